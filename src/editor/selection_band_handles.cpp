// The band's handle hit test, its box test and the Ctrl-click deselection in a 2D view.
#include <cstdlib>

#include "app/editor_app.h"
#include "editor/selection_band.h"
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

// Half extents of the band along a view's two axes (right/look, look/up, right/up).
void VisibleExtents(WORD type, const D3DXVECTOR3 &half, float *u, float *v)
{
    *u = type == ZN2DVIEW_RIGHT ? half.z : half.x;
    *v = type == ZN2DVIEW_TOP ? half.z : half.y;
}

// The world point lies strictly inside the box grown by 4 units, the view's depth axis ignored.
bool InGrownBox(const D3DXVECTOR3 &p, const ZNBBOX &box, int depthAxis)
{
    return PointInBoxTolerance(p, box, depthAxis == 0, depthAxis == 1, depthAxis == 2, 4.0f, 4.0f, 4.0f) != 0;
}

} // namespace

void CZNSelectionBand::ProjectHandles2D(CZN2DView *view, POINT p[8]) const
{
    const WORD type = view->GetViewType() < 3 ? view->GetViewType() : 2;
    for (int i = 0; i < 8; ++i)
        view->WorldToScreen(&p[i], &m_Handles[type][i]);
    // A flat selection still shows its handles apart.
    if (std::abs(p[1].x - p[0].x) < 4) {
        p[1].x += 2, p[2].x += 2, p[5].x += 2;
        p[0].x -= 2, p[3].x -= 2, p[7].x -= 2;
    }
    if (std::abs(p[2].y - p[1].y) < 4) {
        p[0].y -= 2, p[1].y -= 2, p[4].y -= 2;
        p[2].y += 2, p[3].y += 2, p[6].y += 2;
    }
}

bool CZNSelectionBand::HitTestHandles2D(int x, int y, UINT flags, CZN2DView *view)
{
    m_Handle = ZNHIT_NONE;
    if (!view)
        return false;
    const WORD type = view->GetViewType() < 3 ? view->GetViewType() : 2;
    float extentU, extentV;
    VisibleExtents(type, m_HalfExtents, &extentU, &extentV);
    if (m_BandMode != ZNBAND_OVERLAYFACES && extentU >= 4.0f && extentV >= 4.0f) {
        const D3DXVECTOR3 at = GetEditorApp()->IsSpaceDown() ? m_PlacementOrigin : m_Pivot;
        POINT m;
        view->WorldToScreen(&m, &at);
        if (m.x - 4 < x && x < m.x + 4 && m.y - 4 < y && y < m.y + 4 && !(flags & (MK_SHIFT | MK_CONTROL))) {
            m_Handle = ZNHIT_MARKER;
            return true;
        }
    }
    POINT p[8];
    ProjectHandles2D(view, p);
    const POINT &c1 = p[0], &c2 = p[1], &c3 = p[2], &c4 = p[3];
    const POINT &top = p[4], &right = p[5], &bottom = p[6], &left = p[7];
    // Every later match overwrites an earlier one; the squares lie one pixel clear of the box.
    if (c1.x - 1 <= x && x <= c3.x + 1 && c1.y - 1 <= y && y <= c4.y + 1)
        m_Handle = ZNHIT_BODY;
    if (c1.x - 9 < x && x < c1.x - 1 && c1.y - 9 < y && y < c1.y - 1)
        m_Handle = ZNHIT_CORNER_UPPER_LEFT;
    if (c2.x + 1 < x && x < c2.x + 9 && c2.y - 9 < y && y < c2.y - 1)
        m_Handle = ZNHIT_CORNER_UPPER_RIGHT;
    if (c3.x + 1 < x && x < c3.x + 9 && c3.y + 1 < y && y < c3.y + 9)
        m_Handle = ZNHIT_CORNER_LOWER_RIGHT;
    if (c4.x - 9 < x && x < c4.x - 1 && c4.y + 1 < y && y < c4.y + 9)
        m_Handle = ZNHIT_CORNER_LOWER_LEFT;
    if (m_HandleMode != ZNHANDLE_ROTATE) {
        if (top.x - 4 < x && x < top.x + 4 && top.y - 9 < y && y < top.y - 1)
            m_Handle = ZNHIT_EDGE_TOP;
        if (right.x + 1 < x && x < right.x + 9 && right.y - 4 < y && y < right.y + 4)
            m_Handle = ZNHIT_EDGE_RIGHT;
        if (bottom.x - 4 < x && x < bottom.x + 4 && bottom.y + 1 < y && y < bottom.y + 9)
            m_Handle = ZNHIT_EDGE_BOTTOM;
        if (left.x - 9 < x && x < left.x - 1 && left.y - 4 < y && y < left.y + 4)
            m_Handle = ZNHIT_EDGE_LEFT;
    }
    return m_Handle != ZNHIT_NONE;
}

bool CZNSelectionBand::HitTestBox2D(int x, int y, CZN2DView *view) const
{
    if (!view)
        return false;
    POINT p[8];
    ProjectHandles2D(view, p);
    return p[0].x - 1 <= x && x <= p[2].x + 1 && p[0].y - 1 <= y && y <= p[3].y + 1;
}

int CZNSelectionBand::DeselectAt2D(CZN2DView *view, int x, int y)
{
    if (!view || m_BandMode == ZNBAND_EMPTY)
        return 1;
    D3DXVECTOR3 w;
    view->ScreenToWorld(&w, static_cast<float>(x), static_cast<float>(y), TRUE);
    const int depth = view->GetDepthAxis();
    const CPoint pixel(x, y);
    for (DWORD i = 0; i < m_Entries.size(); ++i) {
        const ZNSELECTIONENTRY &e = m_Entries[i];
        void *object = reinterpret_cast<void *>(e.Object);
        if (!object)
            continue;
        const BYTE type = GetObjectType(object);
        bool hit = false;
        switch (m_BandMode) {
        case ZNBAND_OBJECTS:
            if (type == ZNOBJECT_BRUSH) {
                ZNBRUSH *brush = static_cast<ZNBRUSH *>(object);
                hit = InGrownBox(w, brush->m_Bounds, depth) &&
                      brush->Pick2D(view, pixel, static_cast<ZNFACEPICKDESC *>(nullptr));
            } else if (type == ZNOBJECT_OVERLAY) {
                hit = static_cast<CZNOverlay *>(object)->HitTestBox2D(view, x, y);
            } else if (type == ZNOBJECT_ENTITY) {
                hit = static_cast<CZNEntity *>(object)->HitTest2D(view, x, y);
            } else if (type == ZNOBJECT_CAMERA) {
                hit = static_cast<CZNCAMERA *>(object)->Pick2D(view, x, y);
            }
            break;
        case ZNBAND_FACES:
            if (type == ZNOBJECT_BRUSH) {
                ZNBRUSH *brush = static_cast<ZNBRUSH *>(object);
                hit = InGrownBox(w, brush->m_Bounds, depth) && brush->Pick2D(view, static_cast<DWORD>(e.Face), pixel);
            } else if (type == ZNOBJECT_OVERLAY) {
                CZNOverlay *overlay = static_cast<CZNOverlay *>(object);
                hit = InGrownBox(w, overlay->GetBounds(0), depth) && overlay->HitTestBox2D(view, x, y);
            }
            break;
        case ZNBAND_VERTICES:
            if (type == ZNOBJECT_BRUSH)
                if (ZNFACE *face = static_cast<ZNBRUSH *>(object)->GetFace(static_cast<DWORD>(e.Face))) {
                    const short k = static_cast<short>(e.Vertex & 0xFFFF);
                    if (k >= 0 && k < face->GetVertexCount()) {
                        const D3DXVECTOR3 v = face->GetVector(k);
                        const float *pv = &v.x, *pw = &w.x;
                        hit = true;
                        for (int a = 0; a < 3; ++a)
                            if (a != depth && !(pv[a] - 4.0f <= pw[a] && pw[a] <= pv[a] + 4.0f))
                                hit = false;
                    }
                }
            break;
        case ZNBAND_OVERLAYFACES:
            if (type == ZNOBJECT_OVERLAY) {
                CZNOverlay *overlay = static_cast<CZNOverlay *>(object);
                hit = InGrownBox(w, overlay->GetBounds(0), depth) &&
                      overlay->HitTestFaces2D(view, static_cast<DWORD>(e.Face), x, y);
            }
            break;
        default:
            break;
        }
        if (hit) {
            RemoveEntry(i, 0);
            return 0;
        }
    }
    return 1;
}
