#include "scene/face_mapping.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace
{

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 2.0f * kPi;
// A box extent below this maps as 1, so a flat brush gets finite coordinates.
constexpr float kMinExtent = 0.01f;

bool HasMappingOrigin(const ZNFACE *face)
{
    const D3DXVECTOR3 &o = face->m_MappingOrigin;
    return !(o.x == ZN_NO_MAPPING_ORIGIN && o.y == ZN_NO_MAPPING_ORIGIN && o.z == ZN_NO_MAPPING_ORIGIN);
}

float Extent(float lo, float hi)
{
    const float extent = hi - lo;
    return extent < kMinExtent ? 1.0f : extent;
}

// Mode 1: U and V axes in the face's plane, turned about the normal by the fourth angle; one
// repeat spans as many world units as the texture has pixels, divided by the repeat value.
void MapFaceAligned(ZNFACE *face, float width, float height)
{
    const D3DXVECTOR3 n = face->m_Normal;
    D3DXVECTOR3 u = std::fabs(n.y) >= 0.70710677f ? D3DXVECTOR3(n.y, -n.x, 0.0f) : D3DXVECTOR3(-n.z, 0.0f, n.x);
    u = ZnNormalized(u);
    D3DXVECTOR3 v = ZnNormalized(ZnCross(n, u));
    D3DXMATRIX turn;
    D3DXMatrixRotationAxis(&turn, &n, -face->m_Rotation.w);
    D3DXVec3TransformNormal(&u, &u, &turn);
    D3DXVec3TransformNormal(&v, &v, &turn);

    const D3DXVECTOR3 origin = HasMappingOrigin(face) ? face->m_MappingOrigin : D3DXVECTOR3(0, 0, 0);
    const float spanU = width / face->m_UWrap;
    const float spanV = height / face->m_VWrap;
    for (short i = 0; i < face->GetVertexCount(); ++i) {
        ZNVERTEX vertex = face->GetVertex(i);
        const D3DXVECTOR3 d = Position(vertex) - origin;
        vertex.tu = (ZnDot(d, u) + face->m_UPos) / spanU;
        vertex.tv = (ZnDot(d, v) + face->m_VPos) / spanV;
        face->SetVertex(i, vertex);
    }
}

// Modes 2 and 3: the angle about the centre's y axis gives u; the elevation angle (2) or the
// height in the box (3) gives v. Offsets are in whole repeats.
void MapAboutCentre(ZNFACE *face, BYTE mode, const D3DXVECTOR3 &centre, float heightExtent)
{
    const D3DXVECTOR3 axes[3] = {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 1)};
    const float angles[3] = {face->m_Rotation.x, face->m_Rotation.y, face->m_Rotation.z};
    D3DXMATRIX turns[3];
    for (int a = 0; a < 3; ++a)
        if (angles[a] != 0.0f)
            D3DXMatrixRotationAxis(&turns[a], &axes[a], -angles[a]);

    const short count = face->GetVertexCount();
    std::vector<float> us(static_cast<size_t>(std::max<short>(count, 0)));
    std::vector<float> vs(us.size());
    for (short i = 0; i < count; ++i) {
        D3DXVECTOR3 offset = face->GetVector(i) - centre;
        for (int a = 0; a < 3; ++a)
            if (angles[a] != 0.0f)
                D3DXVec3TransformCoord(&offset, &offset, &turns[a]);
        const D3DXVECTOR3 d = ZnNormalized(offset);
        us[i] = 1.0f - std::atan2(d.x, d.z) / kTwoPi + 0.5f;
        if (mode == 2)
            vs[i] = 1.0f - std::asin(std::clamp(d.y, -1.0f, 1.0f)) / kPi + 0.5f;
        else
            vs[i] = 1.0f - offset.y / heightExtent + 0.5f;
    }
    // u runs from 1 to 2 once round; a face whose u values lie far apart straddles the seam at
    // 1 and 2, and its low values move up one repeat to join the high ones.
    if (!us.empty()) {
        const auto [lo, hi] = std::minmax_element(us.begin(), us.end());
        if (*hi - *lo > 0.5f)
            for (float &u : us)
                if (u < 1.5f)
                    u += 1.0f;
    }
    for (short i = 0; i < count; ++i) {
        ZNVERTEX vertex = face->GetVertex(i);
        vertex.tu = us[i] * face->m_UWrap + face->m_UPos;
        vertex.tv = vs[i] * face->m_VWrap + face->m_VPos;
        face->SetVertex(i, vertex);
    }
}

// Modes 4 to 6: the brush's box projected along one axis; offsets are in tenths of a repeat.
void MapBox(ZNFACE *face, BYTE mode, const D3DXVECTOR3 &extent, const D3DXVECTOR3 &minimum)
{
    auto axis = [](const D3DXVECTOR3 &p, int a) { return a == 0 ? p.x : (a == 1 ? p.y : p.z); };
    const int first = mode == 6 ? 2 : 0;
    const int second = mode == 5 ? 2 : 1;
    const bool turned = face->m_Rotation.w != 0.0f;
    D3DXMATRIX turn;
    if (turned) {
        const D3DXVECTOR3 z(0, 0, 1);
        D3DXMatrixRotationAxis(&turn, &z, -face->m_Rotation.w);
    }
    for (short i = 0; i < face->GetVertexCount(); ++i) {
        ZNVERTEX vertex = face->GetVertex(i);
        const D3DXVECTOR3 p = Position(vertex);
        D3DXVECTOR2 uv((axis(p, first) - axis(minimum, first)) / axis(extent, first),
                       1.0f - (axis(p, second) - axis(minimum, second)) / axis(extent, second));
        if (turned)
            D3DXVec2TransformCoord(&uv, &uv, &turn);
        vertex.tu = uv.x * face->m_UWrap + face->m_UPos * 0.1f;
        vertex.tv = uv.y * face->m_VWrap + face->m_VPos * 0.1f;
        face->SetVertex(i, vertex);
    }
}

} // namespace

void ZnMapFaceTexture(ZNFACE *face, float width, float height, const ZNBBOX &sizeBox, const ZNBBOX &box)
{
    if (!face)
        return;
    if (face->m_UWrap == 0.0f)
        face->m_UWrap = 1.0f;
    if (face->m_VWrap == 0.0f)
        face->m_VWrap = 1.0f;
    const BYTE mode = face->m_MappingMode;
    switch (mode) {
    case 1:
        MapFaceAligned(face, width, height);
        break;
    case 2:
    case 3: {
        const D3DXVECTOR3 centre = HasMappingOrigin(face) ? face->m_MappingOrigin : (box.Min + box.Max) * 0.5f;
        MapAboutCentre(face, mode, centre, Extent(box.Min.y, box.Max.y));
        break;
    }
    case 4:
    case 5:
    case 6: {
        const D3DXVECTOR3 extent(Extent(sizeBox.Min.x, sizeBox.Max.x), Extent(sizeBox.Min.y, sizeBox.Max.y),
                                 Extent(sizeBox.Min.z, sizeBox.Max.z));
        MapBox(face, mode, extent, box.Min);
        break;
    }
    default: // 7 and anything else keep their coordinates
        break;
    }
}
