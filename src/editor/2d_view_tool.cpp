// The 2D views' select tool: the left press and release handed to the selection band, the mouse
// moves that drag the band, the cursor over the band's handles, and the press of a placement mode.
#include "editor/2d_view_tool.h"

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/os/input.h"
#include "platform/os/view_window.h"
#include "render/view/2d_view.h"

namespace
{

CZNSelectionBand *Band()
{
    return GetEditorApp()->GetSelectionBand();
}

} // namespace

CZN2DView *CZN2DViewTool::As2D(CZNView *view)
{
    return view && view->GetViewType() != ZNVIEWTYPE_3D ? static_cast<CZN2DView *>(view) : nullptr;
}

void CZN2DViewTool::OnLButtonDown(CZNView *target, UINT flags, CPoint point)
{
    CZN2DView *view = As2D(target);
    if (!view)
        return;
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    const ZNPLACEMENTMODE mode = app->GetPlacementMode();
    IZNDocShell *shell = CZNEDITORDoc::GetCurrentShell();
    if (mode == ZNPLACE_SELECT) {
        if (Band()->OnLButtonDown2D(view, flags, point)) {
            if (PickSelect(view, point.x, point.y, flags & MK_SHIFT)) {
                // What was picked wins over the crosshair under it.
                view->ReleaseCrosshair();
            } else if (view->HitTestCursor(flags, point.x, point.y)) {
                return;
            }
        }
        if (document)
            document->RedrawAllViews(nullptr, 0);
        if (shell) {
            shell->RefreshActivePage();
            shell->UpdateSceneTree();
        }
        return;
    }
    if (mode == ZNPLACE_PRIMITIVE)
        AddPrimitive(view, point.x, point.y);
    else if (mode == ZNPLACE_OVERLAY)
        AddOverlay(view, point.x, point.y);
    else if (mode == ZNPLACE_ENTITY)
        AddEntity(view, point.x, point.y);
    else if (mode == ZNPLACE_PREFAB)
        PlacePrefab(view, point.x, point.y);
    else
        return;
    Band()->SetPlacementFlag(1);
    if (shell)
        shell->RebuildSceneTree();
}

void CZN2DViewTool::OnLButtonUp(CZNView *target, UINT flags, CPoint point)
{
    if (CZN2DView *view = As2D(target))
        Band()->EndDrag2D(view, flags, point.x, point.y);
}

void CZN2DViewTool::OnMouseMove(CZNView *target, UINT flags, CPoint point)
{
    if (CZN2DView *view = As2D(target))
        Band()->OnDrag2D(view, flags, point.x, point.y);
}

void CZN2DViewTool::ForgetView(CZNView *target)
{
    if (CZN2DView *view = As2D(target))
        Band()->DetachView(view);
}

void CZN2DViewTool::UpdateCursor(CZNView *target, UINT flags, CPoint point)
{
    CZN2DView *view = As2D(target);
    CZNSelectionBand *band = Band();
    if (!view || band->IsBoxLocked())
        return;
    if (band->GetHandleMode() == ZNHANDLE_EXTRUDE) {
        view->SetCursorId(ZNCURSOR_HANDLE2);
        return;
    }
    if (band->HasSelection() && band->HitTestHandles2D(point.x, point.y, flags, view)) {
        const bool rotate = band->GetHandleMode() == ZNHANDLE_ROTATE;
        const bool plain = !(flags & (MK_SHIFT | MK_CONTROL));
        int id = ZNCURSOR_ARROW;
        switch (band->GetHandle()) {
        case ZNHIT_CORNER_LOWER_LEFT:
        case ZNHIT_CORNER_UPPER_RIGHT:
            id = rotate ? ZNCURSOR_ROTATE : ZNCURSOR_SIZENESW;
            break;
        case ZNHIT_CORNER_UPPER_LEFT:
        case ZNHIT_CORNER_LOWER_RIGHT:
            id = rotate ? ZNCURSOR_ROTATE : ZNCURSOR_SIZENWSE;
            break;
        case ZNHIT_EDGE_LEFT:
        case ZNHIT_EDGE_RIGHT:
            id = rotate ? ZNCURSOR_ARROW : ZNCURSOR_SIZEWE;
            break;
        case ZNHIT_EDGE_TOP:
        case ZNHIT_EDGE_BOTTOM:
            id = rotate ? ZNCURSOR_ARROW : ZNCURSOR_SIZENS;
            break;
        case ZNHIT_BODY:
            id = plain ? (rotate ? ZNCURSOR_ROTATE : ZNCURSOR_SIZEALL) : ZNCURSOR_ARROW;
            break;
        default:
            break;
        }
        view->SetCursorId(id);
        return;
    }
    int id = view->GetCursorOverAxes(point.x, point.y);
    // Space held over an objects selection: the selection is armed for placing on surfaces.
    if (id == ZNCURSOR_ARROW && GetEditorApp()->IsSpaceDown() && band->IsPlaceArmed())
        id = ZNCURSOR_PLACE;
    view->SetCursorId(id);
}
