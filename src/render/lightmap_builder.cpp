#include "render/lightmap_builder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "app/editor_app.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_surface9.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "platform/d3dx/d3dx_texture.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/geometry.h"
#include "scene/selection_entry.h"

namespace
{
// The light block: kind word, position, diffuse colour, range.
constexpr size_t kKindOffset = 64;
constexpr size_t kPositionOffset = 48;
constexpr size_t kDiffuseOffset = 68;
constexpr size_t kRangeOffset = 116;
constexpr DWORD kMinLightBlock = 120;

float FloatAt(const BYTE *data, size_t offset)
{
    float value;
    std::memcpy(&value, data + offset, sizeof(value));
    return value;
}

int32_t KindOf(const BYTE *data)
{
    int32_t kind;
    std::memcpy(&kind, data + kKindOffset, sizeof(kind));
    return kind;
}

BYTE ToByte(float channel)
{
    // Clamped first, so neither NaN nor a negative value reaches the conversion.
    if (!(channel > 0.0f))
        return 0;
    return static_cast<BYTE>(std::min(channel, 1.0f) * 255.0f);
}

// The face's plane solved for the coordinate of the major axis at (u, v).
bool PlanePoint(int axis, const D3DXVECTOR3 &n, float d, float u, float v, D3DXVECTOR3 *p)
{
    switch (axis) {
    case 3: // z: (x, y)
        if (n.z == 0.0f)
            return false;
        *p = D3DXVECTOR3(u, v, (d - n.x * u - n.y * v) / n.z);
        return true;
    case 1: // y: (x, z)
        if (n.y == 0.0f)
            return false;
        *p = D3DXVECTOR3(u, (d - n.x * u - n.z * v) / n.y, v);
        return true;
    case 2: // x: (z, y)
        if (n.x == 0.0f)
            return false;
        *p = D3DXVECTOR3((d - n.z * u - n.y * v) / n.x, v, u);
        return true;
    default:
        return false;
    }
}

void RawCoordinates(int axis, const ZNVERTEX &v, float *u, float *w)
{
    if (axis == 2) {
        *u = v.z;
        *w = v.y;
    } else if (axis == 1) {
        *u = v.x;
        *w = v.z;
    } else {
        *u = v.x;
        *w = v.y;
    }
}
} // namespace

CZNLightmapBuilder::CZNLightmapBuilder() = default;

CZNLightmapBuilder::~CZNLightmapBuilder()
{
    Release();
}

void CZNLightmapBuilder::Release()
{
    for (CZNLightMap *map : m_LightMaps) {
        if (map->Texture)
            map->Texture->Release();
        delete map;
    }
    m_LightMaps.clear();
    m_Lights.clear();
}

DWORD CZNLightmapBuilder::MapSize(float length)
{
    const float texels = std::fabs(length) * 0.33333334f;
    DWORD size = texels > 8.0f ? (texels >= 256.0f ? 256u : static_cast<DWORD>(texels)) : 8u;
    DWORD power = 8;
    while (power < size)
        power <<= 1;
    return power;
}

void CZNLightmapBuilder::CollectLights(CZNEntity *entities)
{
    m_Lights.clear();
    for (CZNEntity *entity = entities; entity; entity = entity->m_Next) {
        const BYTE *data = entity->GetData();
        if (data && entity->GetBlockSize() >= kMinLightBlock && entity->IsLightEntity() && KindOf(data) == 0)
            m_Lights.push_back(data);
    }
}

void CZNLightmapBuilder::LightTexel(const ZNFACE *face, const ZNBRUSH *brush, const D3DXVECTOR3 &p, BYTE *texel) const
{
    float red = texel[2] / 255.0f, green = texel[1] / 255.0f, blue = texel[0] / 255.0f;
    for (const BYTE *light : m_Lights) {
        if (KindOf(light) != 0)
            continue;
        const D3DXVECTOR3 position(FloatAt(light, kPositionOffset), FloatAt(light, kPositionOffset + 4),
                                   FloatAt(light, kPositionOffset + 8));
        const float range = FloatAt(light, kRangeOffset);
        D3DXVECTOR3 dir = position - p;
        const float dist = D3DXVec3Length(&dir);
        if (!(dist > 0.0f) || !(dist < range))
            continue;
        dir /= dist;
        if (!(D3DXVec3Dot(&dir, &face->m_Normal) > 0.0f))
            continue;
        bool blocked = false;
        for (const ZNBRUSH *b = m_Scene; b && !blocked; b = b->m_Next) {
            for (DWORD i = 0; i < b->GetFaceCount() && !blocked; ++i) {
                const ZNFACE *g = b->GetFace(i);
                if (!g || g == face || g->GetVertexCount() < 3 || !g->m_Vertices)
                    continue;
                const D3DXVECTOR3 q(g->m_Vertices[0].x, g->m_Vertices[0].y, g->m_Vertices[0].z);
                D3DXVECTOR3 hit;
                float t = 1.0f;
                if (IntersectSegmentPlane(position, p, q, g->m_Normal, &hit, &t) && t < 1.0f && g->PointInside(&hit))
                    blocked = true;
            }
        }
        (void)brush;
        if (blocked)
            continue;
        const float share = 1.0f - dist / range;
        red += share * FloatAt(light, kDiffuseOffset);
        green += share * FloatAt(light, kDiffuseOffset + 4);
        blue += share * FloatAt(light, kDiffuseOffset + 8);
    }
    texel[2] = ToByte(red);
    texel[1] = ToByte(green);
    texel[0] = ToByte(blue);
}

void CZNLightmapBuilder::SmoothLightMap(BYTE *pixels, DWORD width, DWORD height)
{
    if (width < 3 || height < 3)
        return;
    auto at = [&](DWORD r, DWORD c) { return pixels + (static_cast<size_t>(r) * width + c) * 3; };
    for (DWORD c = 1; c + 1 < width; ++c)
        for (DWORD r = 1; r + 1 < height; ++r)
            for (int k = 0; k < 3; ++k) {
                const unsigned sum = at(r - 1, c - 1)[k] + at(r, c - 1)[k] + at(r + 1, c - 1)[k] +
                                     2u * (at(r - 1, c)[k] + at(r, c)[k] + at(r + 1, c)[k]);
                at(r, c)[k] = static_cast<BYTE>(sum / 9);
            }
}

bool CZNLightmapBuilder::BuildFace(ZNFACE *face, ZNBRUSH *brush)
{
    auto map = std::unique_ptr<CZNLightMap>(new (std::nothrow) CZNLightMap);
    if (!map)
        return false;
    const short count = face->GetVertexCount();
    const int axis = static_cast<int>(face->GetMajorAxis());
    float uMin = 100000.0f, vMin = 100000.0f, uMax = -100000.0f, vMax = -100000.0f;
    for (short i = 0; i < count && face->m_Vertices; ++i) {
        float u, v;
        RawCoordinates(axis, face->m_Vertices[i], &u, &v);
        uMin = std::min(uMin, u);
        uMax = std::max(uMax, u);
        vMin = std::min(vMin, v);
        vMax = std::max(vMax, v);
    }
    for (short i = 0; i < count && face->m_Vertices; ++i) {
        float u, v;
        RawCoordinates(axis, face->m_Vertices[i], &u, &v);
        face->m_Vertices[i].tu2 = uMax > uMin ? (u - uMin) / (uMax - uMin) : 0.0f;
        face->m_Vertices[i].tv2 = vMax > vMin ? (v - vMin) / (vMax - vMin) : 0.0f;
    }

    D3DXVECTOR3 o, uEnd, vEnd;
    bool lit = count >= 3 && face->m_Vertices;
    if (lit) {
        const D3DXVECTOR3 first(face->m_Vertices[0].x, face->m_Vertices[0].y, face->m_Vertices[0].z);
        const float d = D3DXVec3Dot(&face->m_Normal, &first);
        lit = PlanePoint(axis, face->m_Normal, d, uMin, vMin, &o) &&
              PlanePoint(axis, face->m_Normal, d, uMax, vMin, &uEnd) &&
              PlanePoint(axis, face->m_Normal, d, uMin, vMax, &vEnd);
    }
    const D3DXVECTOR3 uEdge = lit ? uEnd - o : D3DXVECTOR3(0, 0, 0), vEdge = lit ? vEnd - o : D3DXVECTOR3(0, 0, 0);
    map->Width = MapSize(D3DXVec3Length(&uEdge));
    map->Height = MapSize(D3DXVec3Length(&vEdge));
    try {
        map->Pixels.assign(static_cast<size_t>(map->Width) * map->Height * 3, kBaseLight);
    } catch (const std::bad_alloc &) {
        return false;
    }
    face->m_SurfaceTag = static_cast<SHORT>(m_LightMaps.size());

    if (lit) {
        const DWORD w = map->Width, h = map->Height;
        auto point = [&](float u, float v) { return o + u * uEdge + v * vEdge; };
        BYTE *pixels = map->Pixels.data();
        for (DWORD r = 0; r < h; ++r)
            for (DWORD c = 0; c < w; ++c)
                LightTexel(face, brush, point((c + 0.5f) / w, (r + 0.5f) / h),
                           pixels + (static_cast<size_t>(r) * w + c) * 3);
        for (int pass = 0; pass < 4; ++pass)
            SmoothLightMap(pixels, w, h);
        // Border texels take half of the light just outside the map.
        for (DWORD r = 0; r < h; ++r)
            for (DWORD c = 0; c < w; ++c) {
                BYTE *texel = pixels + (static_cast<size_t>(r) * w + c) * 3;
                BYTE sample[3] = {kBaseLight, kBaseLight, kBaseLight};
                auto blend = [&](float u, float v) {
                    LightTexel(face, brush, point(u, v), sample);
                    for (int k = 0; k < 3; ++k)
                        texel[k] = static_cast<BYTE>((texel[k] + sample[k]) / 2);
                };
                if (c == 0)
                    blend(-0.5f / w, (r + 0.5f) / h);
                else if (c == w - 1)
                    blend((w + 0.5f) / w, (r + 0.5f) / h);
                if (r == 0)
                    blend((c + 0.5f) / w, -0.5f / h);
                else if (r == h - 1)
                    blend((c + 0.5f) / w, (h + 0.5f) / h);
            }
    }
    m_LightMaps.push_back(map.release());
    return true;
}

bool CZNLightmapBuilder::Build(const std::vector<ZNSELECTIONENTRY> &entries, ZNBRUSH *brushes, CZNEntity *entities)
{
    Release();
    CZN3D *d3d = GetEditorApp()->Get3D();
    if (!d3d || !d3d->GetDevice())
        return false;
    CollectLights(entities);
    m_Scene = brushes;
    bool ok = true;
    for (const ZNSELECTIONENTRY &entry : entries) {
        if (entry.Type != ZNSELECT_BRUSH || !entry.Object)
            continue;
        ZNBRUSH *brush = reinterpret_cast<ZNBRUSH *>(entry.Object);
        for (DWORD i = 0; i < brush->GetFaceCount() && ok; ++i)
            if (ZNFACE *face = brush->GetFace(i))
                ok = BuildFace(face, brush);
    }
    m_Scene = nullptr;
    if (!ok || !CreateTextures()) {
        Release();
        return false;
    }
    return true;
}

bool CZNLightmapBuilder::CreateTextures()
{
    IDirect3DDevice9 *device = GetEditorApp()->Get3D()->GetDevice();
    D3DCAPS9 caps{};
    if (!device || FAILED(device->GetDeviceCaps(&caps)))
        return false;
    for (CZNLightMap *map : m_LightMaps) {
        DWORD w = std::min(map->Width, caps.MaxTextureWidth), h = std::min(map->Height, caps.MaxTextureHeight);
        if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
            DWORD pw = 1, ph = 1;
            while (pw < w)
                pw <<= 1;
            while (ph < h)
                ph <<= 1;
            w = pw;
            h = ph;
        }
        if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY)
            w = h = std::max(w, h);
        if (w == 0 || h == 0 ||
            FAILED(D3DXCreateTexture(device, w, h, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &map->Texture)))
            return false;
        IDirect3DSurface9 *surface = nullptr;
        if (FAILED(map->Texture->GetSurfaceLevel(0, &surface)))
            return false;
        const RECT source{0, 0, static_cast<LONG>(map->Width), static_cast<LONG>(map->Height)};
        const HRESULT loaded = D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, map->Pixels.data(), D3DFMT_R8G8B8,
                                                         map->Width * 3, nullptr, &source, D3DX_FILTER_POINT, 0);
        surface->Release();
        if (FAILED(loaded))
            return false;
    }
    return true;
}
