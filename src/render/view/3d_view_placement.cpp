// The 3D view's presses that the selection band acts on: with Space held it places the selection,
// or references to it, on the surface under the cursor; with Shift or Ctrl it adds or removes
// what lies under the cursor.
#include "app/editor_app.h"
#include "editor/selection_band.h"
#include "render/view/3d_view.h"

bool CZN3DView::IsPlacementArmed() const
{
    CZNEDITORApp *app = GetEditorApp();
    return app->IsSpaceDown() && app->GetSelectionBand()->IsPlaceArmed();
}

void CZN3DView::PlaceSelection(CPoint point, bool reference)
{
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    if (reference)
        band->CreateReference(point.x, point.y, this);
    else
        band->PlaceObjects(point.x, point.y, this);
}

bool CZN3DView::PickSelection(CPoint point, UINT flags)
{
    return GetEditorApp()->GetSelectionBand()->PickSelect3D(point.x, point.y, flags, this);
}
