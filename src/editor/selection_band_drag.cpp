// The band's three mouse handlers in the 2D views: the press that grabs a handle, the body or
// the marker (or begins a rubber band), the drag step that turns the mouse into a move, scale or
// rotation of the whole drag since the press, and the release that commits it.
#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "platform/os/input.h"
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

CZNEDITORDoc *Document()
{
    return GetEditorApp()->GetDocument();
}

} // namespace

int CZNSelectionBand::OnLButtonDown2D(CZN2DView *view, UINT flags, CPoint point)
{
    if (!view)
        return 1;
    const int x = point.x, y = point.y;
    m_Dragged = 0;
    view->ScreenToWorld(&m_PressPoint, static_cast<float>(x), static_cast<float>(y), TRUE);
    HitTestHandles2D(x, y, flags, view);
    bool outside = false;
    if (m_Active) {
        if (m_Handle == ZNHIT_NONE) {
            if (!HitTestBox2D(x, y, view)) {
                outside = true;
                m_Dragged = 1;
                if (!(flags & (MK_SHIFT | MK_CONTROL)))
                    Clear(1, 1);
            }
        } else if ((flags & MK_SHIFT) && (m_Handle == ZNHIT_BODY || m_Handle == ZNHIT_MARKER)) {
            m_ClickConsumed = 1;
            return 1;
        } else if ((flags & MK_CONTROL) && !(flags & MK_SHIFT)) {
            m_ClickConsumed = 1;
            DeselectAt2D(view, x, y);
            return 0;
        } else {
            // A drag starts; it owns the press, so the crosshair under it is not grabbed.
            m_LastMouse = point;
            m_PivotStart = m_Pivot;
            m_PlacementOriginStart = m_PlacementOrigin;
            SetFirstStep(1);
            m_MoveTotal = D3DXVECTOR3(0, 0, 0);
            POINT centre;
            view->WorldToScreen(&centre, &m_Centre);
            const int h = view->GetHorizontalAxis(), v = view->GetVerticalAxis();
            const bool right = x >= centre.x, above = y < centre.y;
            m_MoveReference = m_Corners[0];
            for (const D3DXVECTOR3 &corner : m_Corners) {
                const float *c = &corner.x, *m = &m_Centre.x;
                if ((c[h] >= m[h]) == right && (c[v] >= m[v]) == above) {
                    m_MoveReference = corner;
                    break;
                }
            }
            m_StartAngle = GetCursorAngle(view, x, y);
            m_StartBox.Min = m_Centre - m_HalfExtents;
            m_StartBox.Max = m_Centre + m_HalfExtents;
            m_BoxLocked = 1;
            if (m_Handle != ZNHIT_BODY)
                m_Dragged = 1;
            return 0;
        }
    }
    // Nothing of the band took the press: a rubber band starts here unless the crosshair is
    // grabbed, one is under way or the right button is down.
    const bool cursorHit = view->HitTestCursor(flags, x, y) != 0;
    if (!cursorHit && (!m_Active || outside) && !m_RubberActive && !(flags & MK_RBUTTON)) {
        m_RubberStart = m_PressPoint;
        BeginRubberBand(view, flags, x, y);
    }
    return 1;
}

void CZNSelectionBand::OnDrag2D(CZN2DView *view, UINT flags, int x, int y)
{
    if (m_ClickConsumed || !view)
        return;
    CZNEDITORApp *app = GetEditorApp();
    if (m_Active && app->GetEditMode() != ZNEDITMODE_OVERLAY) {
        if (!m_BoxLocked) {
            HitTestHandles2D(x, y, flags, view);
        } else {
            m_ShowHandles = 0;
            m_Dragged = 1;
            const bool marker = m_Handle == ZNHIT_MARKER;
            if (marker || (m_HandleMode == ZNHANDLE_SCALE && m_Handle == ZNHIT_BODY) ||
                m_HandleMode == ZNHANDLE_EXTRUDE) {
                m_MoveTotal +=
                    MouseDeltaToWorld(view->GetViewType(), x - m_LastMouse.x, y - m_LastMouse.y, view->GetZoom());
                m_LastMouse = POINT{x, y};
                if (!marker)
                    Move(view, &m_MoveTotal);
                else if (app->IsSpaceDown())
                    MovePlacementOrigin(view, &m_MoveTotal, 0);
                else
                    MovePivot(view, &m_MoveTotal, 0);
            } else if (m_HandleMode == ZNHANDLE_SCALE) {
                ScaleDragStep(view, flags, x, y);
            } else {
                RotateDragStep(view, x, y);
            }
            m_FirstStep = 0;
            if (CZNEDITORDoc *document = Document()) {
                document->SetModifiedFlag(TRUE);
                document->RedrawAllViews(nullptr, 0);
            }
        }
    }
    if (m_RubberActive)
        TrackRubberBand(flags, x, y);
}

void CZNSelectionBand::EndDrag2D(CZN2DView *view, UINT flags, int x, int y)
{
    m_BoxLocked = 0;
    const bool rubberWasActive = m_RubberActive != 0;
    EndRubberBand(flags);
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = Document();
    if (app->GetEditMode() == ZNEDITMODE_OVERLAY) {
        m_ShowHandles = 1;
        m_ClickConsumed = 0;
        m_Dragged = 0;
        return;
    }
    if (m_ClickConsumed) {
        m_ShowHandles = 1;
        m_Dragged = 0;
        m_ClickConsumed = 0;
        Update();
        RedrawViews();
        return;
    }
    if (m_Dragged) {
        if (m_BandMode == ZNBAND_OBJECTS)
            CommitObjects(view);
        CommitDragLevel();
        m_Dragged = 0;
        if (m_BandMode == ZNBAND_FACES || m_BandMode == ZNBAND_VERTICES)
            CommitFacesOrVertices();
        // Overlays that follow the brushes take their surfaces from where the brushes are now.
        if (document)
            document->RebuildDirtyOverlays();
        // The band's picture goes back to the world axes.
        m_Look = D3DXVECTOR3(0, 0, 1);
        m_Up = D3DXVECTOR3(0, 1, 0);
        m_Right = D3DXVECTOR3(1, 0, 0);
        m_ExtrudedBrush = nullptr;
        m_ShowHandles = 1;
        Update();
        RedrawViews();
        return;
    }
    if (m_Active && !rubberWasActive) {
        const DWORD last = m_BandMode == ZNBAND_FACES ? ZNHANDLE_EXTRUDE : ZNHANDLE_ROTATE;
        m_HandleMode = m_HandleMode >= last ? ZNHANDLE_SCALE : m_HandleMode + 1;
        RedrawViews();
        if (view)
            view->UpdateCursor(flags, CPoint(x, y));
    }
}

void CZNSelectionBand::CommitObjects(CZN2DView *view)
{
    CZNEDITORDoc *document = Document();
    const bool move = (m_HandleMode == ZNHANDLE_SCALE && m_Handle == ZNHIT_BODY) || m_HandleMode == ZNHANDLE_EXTRUDE;
    if (move && document) {
        if (view) {
            const D3DXVECTOR3 target = m_MoveReference + m_MoveTotal;
            m_MoveTotal = SnapVectorToGridAxes(target.x, target.y, target.z, GetEditorApp()->GetGridSize(),
                                               GetEditorApp()->Options().m_SnapToGrid, view->GetViewType()) -
                          m_MoveReference;
        }
        DragLevel().RecordSelection(ZNUNDO_MOVE, 0, "Move Objects");
    }
    for (const ZNSELECTIONENTRY &e : m_Entries) {
        void *object = reinterpret_cast<void *>(e.Object);
        if (!object)
            continue;
        switch (GetObjectType(object)) {
        case ZNOBJECT_BRUSH: {
            ZNBRUSH *brush = static_cast<ZNBRUSH *>(object);
            brush->ClearCache();
            // The stored box follows the geometry, for culling, the rubber band and CSG.
            brush->UpdateBoundingBox();
            brush->CalculateFaceNormals();
            brush->CalculateWorldTextureCoords();
            brush->CalculateFaceCenterPoints();
            break;
        }
        case ZNOBJECT_ENTITY:
            static_cast<CZNEntity *>(object)->FreeSavedData();
            break;
        case ZNOBJECT_CAMERA:
            static_cast<CZNCAMERA *>(object)->ClearCache();
            break;
        case ZNOBJECT_OVERLAY: {
            CZNOverlay *overlay = static_cast<CZNOverlay *>(object);
            overlay->ClearCache();
            overlay->CalculateFacePlanes();
            overlay->CalculateWorldTextureCoords();
            overlay->CalculateFaceCenterPoints();
            break;
        }
        default:
            break;
        }
    }
}

void CZNSelectionBand::CommitFacesOrVertices()
{
    CZNEDITORDoc *document = Document();
    const bool faces = m_BandMode == ZNBAND_FACES;
    const D3DXVECTOR3 pivot = m_Pivot, origin = m_PlacementOrigin;
    Clear(0, 0);
    if (!document)
        return;
    document->FreePickLists();
    for (ZNBRUSH *brush = document->GetBrushList(); brush; brush = brush->m_Next) {
        if (!brush->IsBrushSelected())
            continue;
        brush->ClearCache();
        brush->CheckFoldedPolygons(1, faces ? 1 : 0);
    }
    for (ZNBRUSH *brush = document->GetBrushList(); brush; brush = brush->m_Next) {
        if (!brush->IsBrushSelected())
            continue;
        // The brush is rebuilt before its items are listed again, so that vertex indices name
        // the vertices as they are after the T-junctions are removed.
        brush->RemoveTJunctions();
        brush->BuildTriIndices();
        brush->UpdateBoundingBox();
        brush->CalculateFaceNormals();
        brush->UpdateSharedFaceInfo();
        brush->CalculateVertexNormals(1);
        brush->CalculateWorldTextureCoords();
        brush->CalculateFaceCenterPoints();
        for (DWORD f = 0; f < brush->m_FaceCount; ++f) {
            ZNFACE *face = brush->m_Faces[f];
            ZNSELECTIONENTRY e;
            e.Object = reinterpret_cast<uintptr_t>(brush);
            e.Face = f;
            if (faces) {
                if (!face->IsFaceSelected())
                    continue;
                e.Type = ZNSELECT_FACE;
                AddToSelection(&e, 4, 0);
                continue;
            }
            for (short k = 0; k < face->GetVertexCount(); ++k) {
                if (!face->IsVertexSelected(k))
                    continue;
                e.Type = ZNSELECT_VERTEX;
                e.Vertex = static_cast<uintptr_t>(k);
                AddToSelection(&e, 4, 0);
            }
        }
    }
    if (faces) {
        for (CZNOverlay *overlay = document->GetOverlayList(); overlay; overlay = overlay->m_Next) {
            if (!overlay->IsSelected())
                continue;
            ZNSELECTIONENTRY e;
            e.Type = ZNSELECT_OVERLAY;
            e.Object = reinterpret_cast<uintptr_t>(overlay);
            e.Face = e.Object;
            AddToSelection(&e, 4, 0);
            overlay->ClearCache();
        }
    }
    m_Pivot = pivot;
    m_PlacementOrigin = origin;
}
