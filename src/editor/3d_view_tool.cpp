// The 3D view's presses that the selection band acts on: with Space held it places the selection,
// or references to it, on the surface under the cursor; with Shift or Ctrl it adds or removes
// what lies under the cursor.
#include "editor/3d_view_tool.h"

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/os/input.h"
#include "platform/os/pointer_host.h"
#include "render/view/3d_view.h"

namespace
{
CZN3DView *As3DView(CZNView *view)
{
    return view && view->GetViewType() == ZNVIEWTYPE_3D ? static_cast<CZN3DView *>(view) : nullptr;
}
} // namespace

bool CZN3DViewTool::IsPlacementArmed() const
{
    CZNEDITORApp *app = GetEditorApp();
    return app->IsSpaceDown() && app->GetSelectionBand()->IsPlaceArmed();
}

void CZN3DViewTool::PlaceSelection(CZN3DView *view, CPoint point, bool reference)
{
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    if (reference)
        band->CreateReference(point.x, point.y, view);
    else
        band->PlaceObjects(point.x, point.y, view);
}

void CZN3DViewTool::SelectPress(CZN3DView *view, CPoint point, UINT flags)
{
    // Shift adds, Ctrl removes; a pick that hits nothing leaves the scene tree as it is.
    if ((flags & (MK_SHIFT | MK_CONTROL)) &&
        !GetEditorApp()->GetSelectionBand()->PickSelect3D(point.x, point.y, flags, view))
        return;
    if (IZNDocShell *shell = CZNEDITORDoc::GetCurrentShell())
        shell->RebuildSceneTree();
}

void CZN3DViewTool::OnLButtonDown(CZNView *view, UINT flags, CPoint point)
{
    CZN3DView *view3D = As3DView(view);
    if (!view3D || GetEditorApp()->GetPlacementMode() != ZNPLACE_SELECT)
        return;
    if (IsPlacementArmed())
        PlaceSelection(view3D, point, false);
    SelectPress(view3D, point, flags);
}

void CZN3DViewTool::OnRButtonDown(CZNView *view, UINT, CPoint point)
{
    CZN3DView *view3D = As3DView(view);
    if (view3D && IsPlacementArmed())
        PlaceSelection(view3D, point, true);
}

void CZN3DViewTool::UpdateCursor(CZNView *view, UINT, CPoint)
{
    CZN3DView *view3D = As3DView(view);
    if (view3D && view3D->GetPointerHost() && IsPlacementArmed())
        view3D->GetPointerHost()->SetCursorShape(ZNCURSOR_PLACE);
}
