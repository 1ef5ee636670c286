// ZNBRUSH's face settings and texture mapping: the setters of the options panel, the selection
// band and the plug-ins, and the texture coordinates generated from the vertex positions. The
// mapping reads the size of the face's device texture, so this file reaches into the render layer.
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/editor_app.h"
#include "render/texture.h"
#include "scene/brush.h"

namespace
{

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 2.0f * kPi;
// The largest stored rotation angle.
constexpr float kMaxRotation = 6.28f;
// A box extent below this maps as 1, so a flat brush gets finite coordinates.
constexpr float kMinExtent = 0.01f;

bool IsLocked(const ZNFACE *face)
{
    return (face->m_Style & ZNFACESTYLE_LOCKUV) != 0;
}

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

float ClampRotation(float angle)
{
    if (!(angle >= 0.0f)) // negative or NaN
        return 0.0f;
    return angle > kMaxRotation ? kMaxRotation : angle;
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

int ZNBRUSH::CalculateWorldTextureCoords(DWORD faceIndex)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face || IsLocked(face) || !face->m_Texture)
        return 0;
    unsigned short width = 0, height = 0;
    if (!face->m_Texture->GetTextureDimensions(&width, &height))
        return 0;
    if (face->m_UWrap == 0.0f)
        face->m_UWrap = 1.0f;
    if (face->m_VWrap == 0.0f)
        face->m_VWrap = 1.0f;

    const BYTE mode = face->m_MappingMode;
    switch (mode) {
    case 1:
        MapFaceAligned(face, static_cast<float>(width), static_cast<float>(height));
        break;
    case 2:
    case 3: {
        const ZNBBOX box = GetBoundingBox(1);
        const D3DXVECTOR3 centre = HasMappingOrigin(face) ? face->m_MappingOrigin : (box.Min + box.Max) * 0.5f;
        MapAboutCentre(face, mode, centre, Extent(box.Min.y, box.Max.y));
        break;
    }
    case 4:
    case 5:
    case 6: {
        // The extents are those of the stored box, the minimum that of the box recomputed now.
        const D3DXVECTOR3 extent(Extent(m_Bounds.Min.x, m_Bounds.Max.x), Extent(m_Bounds.Min.y, m_Bounds.Max.y),
                                 Extent(m_Bounds.Min.z, m_Bounds.Max.z));
        const ZNBBOX box = GetBoundingBox(1);
        MapBox(face, mode, extent, box.Min);
        break;
    }
    default: // 7 and anything else keep their coordinates
        break;
    }
    return 1;
}

int ZNBRUSH::CalculateWorldTextureCoords()
{
    // While the selection band drags, only face-aligned mapping follows the geometry.
    const bool dragging = GetEditorApp()->GetBandDragFlag() != 0;
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        const ZNFACE *face = m_Faces[i];
        if (IsLocked(face) || (dragging && face->m_MappingMode != 1))
            continue;
        CalculateWorldTextureCoords(i);
    }
    return 1;
}

int ZNBRUSH::SetFaceTextureUPos(DWORD faceIndex, float value)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    face->m_UPos = value;
    if (IsLocked(face))
        return 0;
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceTextureVPos(DWORD faceIndex, float value)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    face->m_VPos = value;
    if (IsLocked(face))
        return 0;
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceTextureUWrap(DWORD faceIndex, float value)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    face->m_UWrap = value;
    if (IsLocked(face))
        return 0;
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceTextureVWrap(DWORD faceIndex, float value)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    face->m_VWrap = value;
    if (IsLocked(face))
        return 0;
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceTextureRotate(DWORD faceIndex, D3DXVECTOR4 rotation)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face || IsLocked(face))
        return 0;
    face->m_Rotation = D3DXVECTOR4(ClampRotation(rotation.x), ClampRotation(rotation.y), ClampRotation(rotation.z),
                                   ClampRotation(rotation.w));
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceMappingMode(DWORD faceIndex, BYTE mode)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face || mode < 1 || mode > 7 || IsLocked(face))
        return 0;
    face->m_MappingMode = mode;
    CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetFaceAlphaBlend(DWORD faceIndex, int8_t source, int8_t destination)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    if (source >= 0 && source <= 9 && destination >= 0 && destination <= 9) {
        face->m_SrcBlend = source;
        face->m_DestBlend = destination;
        return 1;
    }
    face->m_SrcBlend = -1;
    face->m_DestBlend = -1;
    return 0;
}

int ZNBRUSH::SetFaceStyle(DWORD faceIndex, DWORD style)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face)
        return 0;
    face->m_Style = style;
    return 1;
}

int ZNBRUSH::SetTexture(DWORD faceIndex, CZNTexture *texture, int calculate)
{
    ZNFACE *face = GetFace(faceIndex);
    if (!face || IsLocked(face))
        return 0;
    face->SetTexture(texture);
    if (calculate)
        CalculateWorldTextureCoords(faceIndex);
    return 1;
}

int ZNBRUSH::SetTexture(CZNTexture *texture, int calculate)
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        if (!IsLocked(m_Faces[i]))
            SetTexture(i, texture, calculate);
    return 1;
}

void ZNBRUSH::SetMaterial(LONG material)
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        m_Faces[i]->SetMaterial(material);
}
