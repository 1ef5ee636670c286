// CZN2DView's select tool: the left press and release handed to the selection band, the click
// that picks what lies under the cursor and cycles through overlapping hits with the document's
// pick lists, the mouse moves that drag the band, and the cursor over the band's handles.
#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/os/input.h"
#include "platform/os/view_window.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/face_pick_desc.h"
#include "scene/geometry.h"
#include "scene/object_pick_desc.h"
#include "scene/object_type.h"
#include "scene/overlay.h"
#include "scene/vertex_pick_desc.h"

namespace
{

CZNSelectionBand *Band()
{
    return GetEditorApp()->GetSelectionBand();
}

// The cycling step shared by the three list kinds. With the same hits as the document's list
// the selection moves on to the list's next hit; otherwise the fresh list replaces it and its
// first hit is selected. remove takes a hit out of the band; entry builds a hit's entry (type 0
// when the hit is not selectable). Returns whether an entry was added.
template <class List, class Get, class Set, class Remove, class Entry>
bool Cycle(List *fresh, Get get, Set set, Remove remove, Entry entry, UINT append)
{
    List *held = get();
    if (held && held->IsEqual(*fresh)) {
        delete fresh;
        remove(*held, held->m_Current);
        held->m_Current = held->m_Current + 1 >= held->GetCount() ? 0 : held->m_Current + 1;
    } else {
        set(nullptr);
        if (fresh->GetCount() == 0) {
            delete fresh;
            return false;
        }
        set(fresh);
        held = fresh;
    }
    const ZNSELECTIONENTRY e = entry(*held, held->m_Current);
    return e.Type != 0 && Band()->AddToSelection(&e, append ? 1 : 0, 1) != 0;
}

} // namespace

int CZN2DView::PickSelect(int x, int y, UINT append)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    if (!document)
        return 0;
    const ZNAPPOPTIONS &options = app->Options();
    D3DXVECTOR3 w;
    ScreenToWorld(&w, static_cast<float>(x), static_cast<float>(y), TRUE);
    const int depth = GetDepthAxis();
    auto inGrownBox = [&w, depth](const ZNBBOX &box) {
        return PointInBoxTolerance(w, box, depth == 0, depth == 1, depth == 2, 4.0f, 4.0f, 4.0f) != 0;
    };
    const CPoint pixel(x, y);
    bool added = false;
    switch (app->GetEditMode()) {
    case ZNEDITMODE_BRUSH: {
        auto *list = new ZNOBJECTPICKDESC;
        CZNCAMERA *camera = app->Get3D() ? app->Get3D()->GetCamera() : nullptr;
        if (camera && options.m_CameraSelectable && options.m_DrawCamera2D && camera->Pick2D(this, x, y))
            list->AddUnique(camera);
        // Entities of the kinds the view shows.
        for (CZNEntity *entity = document->GetEntityList(); entity; entity = entity->m_Next)
            if ((entity->IsLightEntity() ? options.m_DrawLights2D : options.m_DrawEntities2D) &&
                entity->HitTest2D(this, x, y))
                list->AddUnique(entity);
        if (options.m_DrawOverlayBoxes2D)
            for (CZNOverlay *overlay = document->GetOverlayList(); overlay; overlay = overlay->m_Next) {
                const ZNBBOX bounds = overlay->GetBounds(0);
                if (IsBoxVisible(&bounds) && overlay->HitTestBox2D(this, x, y))
                    list->AddUnique(overlay);
            }
        for (ZNBRUSH *brush = document->GetBrushList(); brush; brush = brush->m_Next)
            if (IsBoxVisible(&brush->m_Bounds) && inGrownBox(brush->m_Bounds) &&
                brush->Pick2D(this, pixel, static_cast<ZNFACEPICKDESC *>(nullptr)))
                list->AddUnique(brush);
        added = Cycle(
            list, [document] { return document->GetObjectPickList(); },
            [document](ZNOBJECTPICKDESC *l) { document->SetObjectPickList(l); },
            [](const ZNOBJECTPICKDESC &l, DWORD i) {
                void *object = l.GetObject(i);
                Band()->RemoveObject(object, GetObjectType(object));
            },
            [](const ZNOBJECTPICKDESC &l, DWORD i) {
                ZNSELECTIONENTRY e;
                e.Type = MapObjectTypeToCategory(GetObjectType(l.GetObject(i)));
                e.Object = reinterpret_cast<uintptr_t>(l.GetObject(i));
                return e;
            },
            append);
        break;
    }
    case ZNEDITMODE_FACE:
    case ZNEDITMODE_OVERLAY: {
        const bool overlays = app->GetEditMode() == ZNEDITMODE_OVERLAY;
        if (overlays && !options.m_DrawOverlays2D) {
            Redraw(FALSE);
            return 0;
        }
        auto *list = new ZNFACEPICKDESC;
        if (overlays) {
            for (CZNOverlay *overlay = document->GetOverlayList(); overlay; overlay = overlay->m_Next) {
                const ZNBBOX bounds = overlay->GetBounds(0);
                if (IsBoxVisible(&bounds))
                    overlay->PickFaces2D(this, x, y, list);
            }
        } else {
            // Brushes outside the visible area count when the click lies in their grown box.
            for (ZNBRUSH *brush = document->GetBrushList(); brush; brush = brush->m_Next)
                if (inGrownBox(brush->m_Bounds))
                    brush->Pick2D(this, pixel, list);
        }
        auto faceOf = [](const ZNFACEPICKDESC &l, DWORD i) -> ZNFACE * {
            void *object = l.GetObject(i);
            if (GetObjectType(object) == ZNOBJECT_BRUSH)
                return static_cast<ZNBRUSH *>(object)->GetFace(l.GetFace(i));
            return static_cast<CZNOverlay *>(object)->GetFace(l.GetFace(i));
        };
        added = Cycle(
            list, [document] { return document->GetFacePickList(); },
            [document](ZNFACEPICKDESC *l) { document->SetFacePickList(l); },
            [faceOf, overlays](const ZNFACEPICKDESC &l, DWORD i) {
                Band()->RemoveObject(faceOf(l, i), overlays ? ZNOBJECT_OVERLAYFACE : ZNOBJECT_FACE);
            },
            [overlays](const ZNFACEPICKDESC &l, DWORD i) {
                ZNSELECTIONENTRY e;
                const BYTE type = GetObjectType(l.GetObject(i));
                if (overlays ? type == ZNOBJECT_OVERLAY : type == ZNOBJECT_BRUSH) {
                    e.Type = overlays ? ZNSELECT_OVERLAYFACE : ZNSELECT_FACE;
                    e.Object = reinterpret_cast<uintptr_t>(l.GetObject(i));
                    e.Face = l.GetFace(i);
                }
                return e;
            },
            append);
        break;
    }
    case ZNEDITMODE_VERTEX: {
        auto *list = new ZNVERTEXPICKDESC;
        for (ZNBRUSH *brush = document->GetBrushList(); brush; brush = brush->m_Next)
            if (inGrownBox(brush->m_Bounds))
                brush->Pick2D(this, pixel, list);
        added = Cycle(
            list, [document] { return document->GetVertexPickList(); },
            [document](ZNVERTEXPICKDESC *l) { document->SetVertexPickList(l); },
            [](const ZNVERTEXPICKDESC &l, DWORD i) {
                if (ZNFACE *face = l.GetBrush(i)->GetFace(l.GetFace(i)))
                    Band()->RemoveObject(face->GetVertices() + l.GetVertex(i), ZNOBJECT_VERTEX);
            },
            [](const ZNVERTEXPICKDESC &l, DWORD i) {
                ZNSELECTIONENTRY e;
                e.Type = ZNSELECT_VERTEX;
                e.Object = reinterpret_cast<uintptr_t>(l.GetBrush(i));
                e.Face = l.GetFace(i);
                e.Vertex = l.GetVertex(i);
                return e;
            },
            append);
        break;
    }
    }
    Redraw(FALSE);
    return added ? 1 : 0;
}

void CZN2DView::OnLButtonDown(UINT flags, CPoint point)
{
    CZNEDITORApp *app = GetEditorApp();
    const ZNPLACEMENTMODE mode = app->GetPlacementMode();
    IZNDocShell *shell = CZNEDITORDoc::GetCurrentShell();
    if (mode == ZNPLACE_SELECT) {
        if (Band()->OnLButtonDown2D(this, flags, point)) {
            if (PickSelect(point.x, point.y, flags & MK_SHIFT)) {
                // What was picked wins over the crosshair under it.
                m_AxisGrabMask = 0;
            } else if (HitTestCursor(flags, point.x, point.y)) {
                return;
            }
        }
        RedrawDocumentViews();
        if (shell) {
            shell->RefreshActivePage();
            shell->UpdateSceneTree();
        }
        return;
    }
    if (mode == ZNPLACE_PRIMITIVE)
        AddPrimitive(point.x, point.y);
    else if (mode == ZNPLACE_OVERLAY)
        AddOverlay(point.x, point.y);
    else if (mode == ZNPLACE_ENTITY)
        AddEntity(point.x, point.y);
    else if (mode == ZNPLACE_PREFAB)
        PlacePrefab(point.x, point.y);
    else
        return;
    Band()->SetPlacementFlag(1);
    if (shell)
        shell->RebuildSceneTree();
}

void CZN2DView::OnLButtonUp(UINT flags, CPoint point)
{
    if (!m_AxisGrabMask)
        Band()->EndDrag2D(this, flags, point.x, point.y);
    m_AxisGrabMask = 0;
}

void CZN2DView::DragSelectionBand(UINT flags, CPoint point)
{
    Band()->OnDrag2D(this, flags, point.x, point.y);
}

void CZN2DView::ForgetSelectionBand()
{
    if (CZNSelectionBand *band = Band())
        band->DetachView(this);
}

void CZN2DView::UpdateCursor(UINT flags, CPoint point)
{
    CZNSelectionBand *band = Band();
    if (band->IsBoxLocked())
        return;
    if (band->GetHandleMode() == ZNHANDLE_EXTRUDE) {
        SetCursorId(ZNCURSOR_HANDLE2);
        return;
    }
    if (band->HasSelection() && band->HitTestHandles2D(point.x, point.y, flags, this)) {
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
        SetCursorId(id);
        return;
    }
    SetCursorOverAxes(flags, point.x, point.y);
}

void CZN2DView::SetCursorOverAxes(UINT, int x, int y)
{
    D3DXVECTOR3 cursor;
    bool overVertical = false, overHorizontal = false;
    if (GetDocumentCursorPoint(&cursor)) {
        const float *c = &cursor.x;
        const int64_t sx = WorldToScreenX(c[GetHorizontalAxis()]);
        const int64_t sy = WorldToScreenY(c[GetVerticalAxis()]);
        overVertical = sx - 3 < x && x < sx + 3;
        overHorizontal = sy - 3 < y && y < sy + 3;
    }
    const CZNSelectionBand *band = Band();
    if (overVertical && overHorizontal)
        SetCursorId(ZNCURSOR_SIZEALL);
    else if (overVertical)
        SetCursorId(ZNCURSOR_SIZEWE);
    else if (overHorizontal)
        SetCursorId(ZNCURSOR_SIZENS);
    else if (GetEditorApp()->IsSpaceDown() && band->IsPlaceArmed())
        // Space held over an objects selection: the selection is armed for placing on surfaces.
        SetCursorId(ZNCURSOR_PLACE);
    else
        SetCursorId(ZNCURSOR_ARROW);
}
