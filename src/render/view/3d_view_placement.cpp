// The 3D view's presses that the selection band acts on: with Space held it places the selection,
// or references to it, on the surface under the cursor; with Shift or Ctrl it adds or removes
// what lies under the cursor.
#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/os/input.h"
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

void CZN3DView::SelectPress(CPoint point, UINT flags)
{
    // Shift adds, Ctrl removes; a pick that hits nothing leaves the scene tree as it is.
    if ((flags & (MK_SHIFT | MK_CONTROL)) &&
        !GetEditorApp()->GetSelectionBand()->PickSelect3D(point.x, point.y, flags, this))
        return;
    if (IZNDocShell *shell = CZNEDITORDoc::GetCurrentShell())
        shell->RebuildSceneTree();
}
