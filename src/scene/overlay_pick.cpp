// CZNOverlay's picking: a ray against the generated faces for the 3D view, and the box's edges
// and the faces' outlines against a click in a 2D view's pixels, filling the editor's face list.
#include "render/view/2d_view.h"
#include "scene/face_outline.h"
#include "scene/face_pick_desc.h"
#include "scene/geometry.h"
#include "scene/overlay.h"
#include "sdk/override_data.h"
#include "sdk/pick3d_info.h"

namespace
{

// The twelve edges of the box as corner pairs: the +z side, the -z side and the edges joining them.
constexpr int kBoxEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                  {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

bool OutlineHit(const CZN2DView &view, const ZNFACE &face, const CPoint &click)
{
    const short count = face.GetVertexCount();
    for (short k = 0; k < count; ++k) {
        const short next = static_cast<short>(k + 1 == count ? 0 : k + 1);
        if (ZnEdgeNearClick(view, face.GetVector(k), face.GetVector(next), click))
            return true;
    }
    return false;
}

} // namespace

int CZNOverlay::Pick3D(const D3DXVECTOR3 *origin, const D3DXVECTOR3 *direction, float length, PICK3DINFO *info,
                       OVERRIDEDATA *over)
{
    if (!origin || !direction || !info)
        return 0;
    if (over && (over->Skip != 0 || IsHidden()))
        return 0;
    const D3DXVECTOR3 end = *origin + *direction * length;
    int improved = 0;
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        const ZNFACE *face = m_Faces[i];
        if (face->GetVertexCount() < 3)
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

int CZNOverlay::HitTestBox2D(void *view, int x, int y) const
{
    if (!view || IsHidden())
        return 0;
    const CZN2DView &projection = *static_cast<const CZN2DView *>(view);
    const CPoint click(x, y);
    for (const auto &edge : kBoxEdges)
        if (ZnEdgeNearClick(projection, m_Corners[edge[0]], m_Corners[edge[1]], click))
            return 1;
    return 0;
}

int CZNOverlay::HitTestFaces2D(void *view, DWORD i, int x, int y) const
{
    if (!view || i >= m_FaceCount || IsHidden())
        return 0;
    return OutlineHit(*static_cast<const CZN2DView *>(view), *m_Faces[i], CPoint(x, y)) ? 1 : 0;
}

int CZNOverlay::PickFaces2D(void *view, int x, int y, ZNFACEPICKDESC *list)
{
    if (!view || IsHidden())
        return 0;
    const CZN2DView &projection = *static_cast<const CZN2DView *>(view);
    int hit = 0;
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        if (!OutlineHit(projection, *m_Faces[i], CPoint(x, y)))
            continue;
        if (!list)
            return 1;
        list->Add(i, this);
        hit = 1;
    }
    return hit;
}
