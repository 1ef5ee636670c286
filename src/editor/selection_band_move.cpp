// Moving the selection: whole objects, faces (or their extrusion into new brushes) and
// vertices, each step starting again from the snapshots of the drag's first step; and the two
// marker points that follow it.
#include <cmath>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "render/camera.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/geometry.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

namespace
{

ZNSELECTIONENTRY ObjectEntry(void *object)
{
    ZNSELECTIONENTRY e;
    e.Type = MapObjectTypeToCategory(GetObjectType(object));
    e.Object = reinterpret_cast<uintptr_t>(object);
    return e;
}

D3DXVECTOR3 SnapOnViewAxes(const D3DXVECTOR3 &p, const CZN2DView *view)
{
    CZNEDITORApp *app = GetEditorApp();
    return SnapVectorToGridAxes(p.x, p.y, p.z, app->GetGridSize(), app->Options().m_SnapToGrid, view->GetViewType());
}

} // namespace

D3DXVECTOR3 CZNSelectionBand::MouseDeltaToWorld(WORD viewType, int dx, int dy, float zoom)
{
    const float u = static_cast<float>(dx) / zoom, v = static_cast<float>(dy) / zoom;
    switch (viewType) {
    case ZN2DVIEW_TOP:
        return D3DXVECTOR3(u, 0, -v);
    case ZN2DVIEW_RIGHT:
        return D3DXVECTOR3(0, -v, u);
    default:
        return D3DXVECTOR3(u, -v, 0);
    }
}

void CZNSelectionBand::Move(CZN2DView *view, const D3DXVECTOR3 *offsetIn)
{
    if (!offsetIn)
        return;
    const D3DXVECTOR3 offset = *offsetIn;
    D3DXVECTOR3 applied = offset;
    int fromCache = 0;
    if (view) {
        applied = SnapOnViewAxes(m_MoveReference + offset, view) - m_MoveReference;
        fromCache = 1;
    }
    const bool records = m_FirstStep && (view || m_RecordViewlessMove);
    switch (m_BandMode) {
    case ZNBAND_OBJECTS:
        MoveObjects(applied, fromCache, records);
        break;
    case ZNBAND_FACES:
        MoveFaces(applied, records);
        break;
    case ZNBAND_VERTICES:
        MoveVertices(applied, records);
        break;
    default:
        break;
    }
    Update();
    MovePivot(view, &offset, 0);
    MovePlacementOrigin(view, &offset, 0);
}

void CZNSelectionBand::MoveObjects(const D3DXVECTOR3 &offset, int fromCache, bool records)
{
    if (m_FirstStep) {
        // The overlays' own record; the release's move record joins its level.
        if (records) {
            std::vector<ZNSELECTIONENTRY> overlays;
            for (const ZNSELECTIONENTRY &e : m_Entries)
                if (e.Type == ZNSELECT_OVERLAY)
                    overlays.push_back(e);
            DragLevel().Record(ZNUNDO_BANDMOVE, overlays, 0, "Move Objects");
        }
    }
    D3DXVECTOR3 d = offset;
    for (const ZNSELECTIONENTRY &e : m_Entries) {
        void *object = reinterpret_cast<void *>(e.Object);
        if (!object)
            continue;
        switch (GetObjectType(object)) {
        case ZNOBJECT_BRUSH: {
            ZNBRUSH *brush = static_cast<ZNBRUSH *>(object);
            brush->MoveBrush(&d, fromCache);
            brush->CalculateWorldTextureCoords();
            brush->CalculateFaceCenterPoints();
            if (!fromCache)
                brush->UpdateBoundingBox();
            break;
        }
        case ZNOBJECT_OVERLAY: {
            CZNOverlay *overlay = static_cast<CZNOverlay *>(object);
            overlay->Move(&d, fromCache);
            overlay->CalculateWorldTextureCoords();
            overlay->CalculateFaceCenterPoints();
            break;
        }
        case ZNOBJECT_ENTITY:
            static_cast<CZNEntity *>(object)->Move(&d, fromCache);
            break;
        case ZNOBJECT_CAMERA:
            static_cast<CZNCAMERA *>(object)->Move(&d, 1, fromCache);
            break;
        default:
            break;
        }
    }
}

void CZNSelectionBand::MoveFaces(const D3DXVECTOR3 &offset, bool records)
{
    if (records && m_HandleMode != ZNHANDLE_EXTRUDE) {
        std::vector<ZNSELECTIONENTRY> touched;
        for (void *object : m_Touched)
            touched.push_back(ObjectEntry(object));
        DragLevel().Record(ZNUNDO_MOVEFACES, touched, 0, "Move Faces");
    }
    for (void *object : m_Touched) {
        if (GetObjectType(object) == ZNOBJECT_BRUSH) {
            ZNBRUSH *brush = static_cast<ZNBRUSH *>(object);
            if (brush->IsCached())
                brush->RestoreFromCache(ZNCACHE_MOVE);
            else
                brush->Cache(ZNCACHE_FULL);
        } else if (GetObjectType(object) == ZNOBJECT_OVERLAY) {
            CZNOverlay *overlay = static_cast<CZNOverlay *>(object);
            if (overlay->IsCached())
                overlay->RestoreFromCache(2);
            else
                overlay->Cache();
        }
    }
    D3DXVECTOR3 d = offset;
    const bool extrude = m_FirstStep && m_HandleMode == ZNHANDLE_EXTRUDE;
    // Extrusion changes entries and the touched list: walk by index over a stable count.
    const size_t count = m_Entries.size();
    for (size_t i = 0; i < count; ++i) {
        ZNSELECTIONENTRY &e = m_Entries[i];
        void *object = reinterpret_cast<void *>(e.Object);
        if (!object)
            continue;
        if (e.Type == ZNSELECT_FACE && GetObjectType(object) == ZNOBJECT_BRUSH) {
            if (extrude)
                ExtrudeEntry(e, offset);
            else
                static_cast<ZNBRUSH *>(object)->MoveFace(&d, static_cast<DWORD>(e.Face), 0);
        } else if (e.Type == ZNSELECT_OVERLAY && GetObjectType(object) == ZNOBJECT_OVERLAY) {
            static_cast<CZNOverlay *>(object)->Move(&d, 0);
        }
    }
    for (void *object : m_Touched) {
        if (GetObjectType(object) == ZNOBJECT_BRUSH) {
            ZNBRUSH *brush = static_cast<ZNBRUSH *>(object);
            brush->CalculateWorldTextureCoords();
            brush->CalculateFaceCenterPoints();
        } else if (GetObjectType(object) == ZNOBJECT_OVERLAY) {
            CZNOverlay *overlay = static_cast<CZNOverlay *>(object);
            overlay->CalculateFacePlanes();
            overlay->CalculateWorldTextureCoords();
            overlay->CalculateFaceCenterPoints();
        }
    }
}

void CZNSelectionBand::ExtrudeEntry(ZNSELECTIONENTRY &entry, const D3DXVECTOR3 &offset)
{
    ZNBRUSH *oldBrush = reinterpret_cast<ZNBRUSH *>(entry.Object);
    const DWORD oldFace = static_cast<DWORD>(entry.Face);
    D3DXVECTOR3 d = offset;
    DWORD newFace = 0;
    ZNBRUSH *created = oldBrush->ExtrudeFace(&d, oldFace, &newFace);
    if (!created)
        return;
    const bool first = m_ExtrudedBrush == nullptr;
    if (first)
        m_ExtrudedBrush = created;
    if (ZNFACE *face = oldBrush->GetFace(oldFace))
        face->SelectFace(0);
    entry.Object = reinterpret_cast<uintptr_t>(created);
    entry.Face = newFace;
    bool named = false;
    for (const ZNSELECTIONENTRY &other : m_Entries)
        named = named || other.Object == reinterpret_cast<uintptr_t>(oldBrush);
    if (!named) {
        oldBrush->SelectBrush(0);
        oldBrush->ClearCache();
        RemoveTouchedBrush(oldBrush);
    }
    created->SelectBrush(1);
    if (ZNFACE *face = created->GetFace(newFace))
        face->SelectFace(1);
    AddTouchedBrush(created);
    created->ClearCache();
    m_MoveTotal = D3DXVECTOR3(0, 0, 0);
    std::vector<ZNSELECTIONENTRY> added{ObjectEntry(created)};
    DragLevel().Record(ZNUNDO_ADD, added, 0, "Extrude Faces");
}

void CZNSelectionBand::MoveVertices(const D3DXVECTOR3 &offset, bool records)
{
    if (records) {
        std::vector<ZNSELECTIONENTRY> touched;
        for (void *object : m_Touched)
            touched.push_back(ObjectEntry(object));
        DragLevel().Record(ZNUNDO_MOVEVERTICES, touched, 0, "Move Vertices");
    }
    for (void *object : m_Touched) {
        ZNBRUSH *brush = static_cast<ZNBRUSH *>(object);
        if (brush->IsCached())
            brush->RestoreFromCache(ZNCACHE_MOVE);
        else
            brush->Cache(ZNCACHE_FULL);
    }
    D3DXVECTOR3 d = offset;
    for (const ZNSELECTIONENTRY &e : m_Entries)
        if (ZNBRUSH *brush = reinterpret_cast<ZNBRUSH *>(e.Object); brush && e.Type == ZNSELECT_VERTEX)
            brush->MoveVertex(&d, static_cast<DWORD>(e.Face), static_cast<DWORD>(e.Vertex & 0xFFFF), 0);
    for (void *object : m_Touched) {
        ZNBRUSH *brush = static_cast<ZNBRUSH *>(object);
        brush->CalculateFaceNormals();
        brush->CalculateWorldTextureCoords();
        brush->CalculateFaceCenterPoints();
    }
}

void CZNSelectionBand::MovePivot(CZN2DView *view, const D3DXVECTOR3 *offset, int redraw)
{
    if (!offset)
        return;
    if (!view) {
        m_Pivot += *offset;
    } else {
        D3DXVECTOR3 p = SnapOnViewAxes(m_PivotStart + *offset, view);
        // Kept in the box, and drawn to its centre within 5 pixels.
        const float magnet = 5.0f / view->GetZoom();
        float *c = &p.x;
        const float *centre = &m_Centre.x, *half = &m_HalfExtents.x;
        for (int a = 0; a < 3; ++a) {
            c[a] = std::fmax(centre[a] - half[a], std::fmin(centre[a] + half[a], c[a]));
            if (std::fabs(c[a] - centre[a]) < magnet)
                c[a] = centre[a];
        }
        m_Pivot = p;
    }
    if (redraw) {
        Update();
        RedrawViews();
    }
}

void CZNSelectionBand::MovePlacementOrigin(CZN2DView *view, const D3DXVECTOR3 *offset, int redraw)
{
    if (!offset)
        return;
    if (!view)
        m_PlacementOrigin += *offset;
    else
        m_PlacementOrigin = SnapOnViewAxes(m_PlacementOriginStart + *offset, view);
    if (redraw) {
        Update();
        RedrawViews();
    }
}
