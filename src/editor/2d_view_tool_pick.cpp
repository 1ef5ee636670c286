// The select click of the 2D views' tool: what lies under the cursor is listed in the document's
// pick list of the edit mode, and repeated clicks on the same hits walk through them.
#include "app/editor_app.h"
#include "editor/2d_view_tool.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
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

int CZN2DViewTool::PickSelect(CZN2DView *view, int x, int y, UINT append)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    if (!document || !view)
        return 0;
    const ZNAPPOPTIONS &options = app->Options();
    D3DXVECTOR3 w;
    view->ScreenToWorld(&w, static_cast<float>(x), static_cast<float>(y), TRUE);
    const int depth = view->GetDepthAxis();
    auto inGrownBox = [&w, depth](const ZNBBOX &box) {
        return PointInBoxTolerance(w, box, depth == 0, depth == 1, depth == 2, 4.0f, 4.0f, 4.0f) != 0;
    };
    const CPoint pixel(x, y);
    bool added = false;
    switch (app->GetEditMode()) {
    case ZNEDITMODE_BRUSH: {
        auto *list = new ZNOBJECTPICKDESC;
        CZNCAMERA *camera = app->Get3D() ? app->Get3D()->GetCamera() : nullptr;
        if (camera && options.m_CameraSelectable && options.m_DrawCamera2D && camera->Pick2D(view, x, y))
            list->AddUnique(camera);
        // Entities of the kinds the view shows.
        for (CZNEntity *entity = document->GetEntityList(); entity; entity = entity->m_Next)
            if ((entity->IsLightEntity() ? options.m_DrawLights2D : options.m_DrawEntities2D) &&
                entity->HitTest2D(view, x, y))
                list->AddUnique(entity);
        if (options.m_DrawOverlayBoxes2D)
            for (CZNOverlay *overlay = document->GetOverlayList(); overlay; overlay = overlay->m_Next) {
                const ZNBBOX bounds = overlay->GetBounds(0);
                if (view->IsBoxVisible(&bounds) && overlay->HitTestBox2D(view, x, y))
                    list->AddUnique(overlay);
            }
        for (ZNBRUSH *brush = document->GetBrushList(); brush; brush = brush->m_Next)
            if (view->IsBoxVisible(&brush->m_Bounds) && inGrownBox(brush->m_Bounds) &&
                brush->Pick2D(view, pixel, static_cast<ZNFACEPICKDESC *>(nullptr)))
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
            view->Redraw(FALSE);
            return 0;
        }
        auto *list = new ZNFACEPICKDESC;
        if (overlays) {
            for (CZNOverlay *overlay = document->GetOverlayList(); overlay; overlay = overlay->m_Next) {
                const ZNBBOX bounds = overlay->GetBounds(0);
                if (view->IsBoxVisible(&bounds))
                    overlay->PickFaces2D(view, x, y, list);
            }
        } else {
            // Brushes outside the visible area count when the click lies in their grown box.
            for (ZNBRUSH *brush = document->GetBrushList(); brush; brush = brush->m_Next)
                if (inGrownBox(brush->m_Bounds))
                    brush->Pick2D(view, pixel, list);
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
                brush->Pick2D(view, pixel, list);
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
    view->Redraw(FALSE);
    return added ? 1 : 0;
}
