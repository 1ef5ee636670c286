// ZNBRUSH's picking: a ray against the faces for the 3D view, and edges and vertices against a
// click in a 2D view's pixels, filling the editor's 2D hit lists.
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/face_outline.h"
#include "scene/face_pick_desc.h"
#include "scene/geometry.h"
#include "scene/vertex_pick_desc.h"
#include "sdk/override_data.h"
#include "sdk/pick3d_info.h"

namespace
{

// A hit lies strictly within this many pixels of the click on both axes.
constexpr LONG kEdgeReach = 3;
constexpr LONG kVertexReach = 4;

bool Near(LONG value, LONG click, LONG reach)
{
    return click - reach < value && value < click + reach;
}

D3DXVECTOR3 Pixel(const CZN2DView &view, const D3DXVECTOR3 &p)
{
    POINT pixel;
    view.WorldToScreen(&pixel, &p);
    return D3DXVECTOR3(static_cast<float>(pixel.x), static_cast<float>(pixel.y), 0.0f);
}

// The edges of one face hit by the click, in order; stops at the first when all is false.
template <typename OnHit>
void ForEachEdgeHit(const CZN2DView &view, const ZNFACE &face, const CPoint &click, OnHit onHit)
{
    const short count = face.GetVertexCount();
    for (short k = 0; k < count; ++k) {
        const short next = static_cast<short>(k + 1 == count ? 0 : k + 1);
        if (ZnEdgeNearClick(view, face.GetVector(k), face.GetVector(next), click) && !onHit())
            return;
    }
}

} // namespace

// True when the foot of the perpendicular from the click on the projected edge a-b lies on the
// edge and, cut to whole pixels, near the click.
bool ZnEdgeNearClick(const CZN2DView &view, const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const CPoint &click)
{
    const D3DXVECTOR3 pa = Pixel(view, a);
    const D3DXVECTOR3 pb = Pixel(view, b);
    D3DXVECTOR2 d(pa.x - pb.x, pa.y - pb.y);
    D3DXVec2Normalize(&d, &d);
    const D3DXVECTOR3 p(static_cast<float>(click.x), static_cast<float>(click.y), 0.0f);
    D3DXVECTOR2 foot;
    if (!IntersectSegmentLine2D(pa, pb, p, D3DXVECTOR3(d.x, d.y, 0.0f), &foot, nullptr))
        return false;
    return Near(static_cast<LONG>(foot.x), click.x, kEdgeReach) && Near(static_cast<LONG>(foot.y), click.y, kEdgeReach);
}

int ZNBRUSH::Pick3D(D3DXVECTOR3 *origin, D3DXVECTOR3 *direction, float length, PICK3DINFO *info, int backFaces,
                    OVERRIDEDATA *over)
{
    if (!origin || !direction || !info)
        return 0;
    if (over && (over->Skip != 0 || (m_Flags & ZNBRUSH_HIDDEN)))
        return 0;
    const D3DXVECTOR3 end = *origin + *direction * length;
    int improved = 0;
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        const ZNFACE *face = m_Faces[i];
        if (face->GetVertexCount() < 3)
            continue;
        if (backFaces && !(ZnDot(face->m_Normal, *direction) < 0.0f))
            continue;
        D3DXVECTOR3 hit;
        float t = 0.0f;
        if (!IntersectSegmentPlane(*origin, end, face->GetVector(0), face->m_Normal, &hit, &t))
            continue;
        const float distance = t * length;
        if (!(distance < info->Distance) || !face->PointInside(&hit))
            continue;
        info->Object = this;
        info->Face = i;
        info->Point = hit;
        info->Distance = distance;
        improved = 1;
    }
    return improved;
}

int ZNBRUSH::Pick2D(void *view, CPoint point, ZNFACEPICKDESC *list)
{
    if (!view || (m_Flags & ZNBRUSH_HIDDEN))
        return 0;
    const CZN2DView &projection = *static_cast<const CZN2DView *>(view);
    int hit = 0;
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        ForEachEdgeHit(projection, *m_Faces[i], point, [&]() {
            hit = 1;
            if (list)
                list->Add(i, this);
            return list != nullptr;
        });
        if (hit && !list)
            return 1;
    }
    return hit;
}

int ZNBRUSH::Pick2D(void *view, CPoint point, ZNVERTEXPICKDESC *list)
{
    if (!view || (m_Flags & ZNBRUSH_HIDDEN))
        return 0;
    const CZN2DView &projection = *static_cast<const CZN2DView *>(view);
    int hit = 0;
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        const ZNFACE *face = m_Faces[i];
        for (short k = 0; k < face->GetVertexCount(); ++k) {
            POINT pixel;
            const D3DXVECTOR3 p = face->GetVector(k);
            projection.WorldToScreen(&pixel, &p);
            if (!Near(pixel.x, point.x, kVertexReach) || !Near(pixel.y, point.y, kVertexReach))
                continue;
            if (!list)
                return 1;
            if (list->Add(static_cast<DWORD>(k), i, this))
                hit = 1;
        }
    }
    return hit;
}

int ZNBRUSH::Pick2D(void *view, DWORD faceIndex, CPoint point)
{
    if (!view || faceIndex >= m_FaceCount || (m_Flags & ZNBRUSH_HIDDEN))
        return 0;
    int hit = 0;
    ForEachEdgeHit(*static_cast<const CZN2DView *>(view), *m_Faces[faceIndex], point, [&]() {
        hit = 1;
        return false;
    });
    return hit;
}
