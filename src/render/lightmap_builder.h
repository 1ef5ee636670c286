#pragma once

// CZNLightmapBuilder: preview light maps for the faces of the selected brushes. Each face gets
// one small 24-bit map, lit texel by texel from the scene's point lights with a linear range
// falloff and hard shadows cast by every face of the scene, smoothed, and uploaded as a device
// texture; the face's vertices get their light-map coordinates in the second pair and the face's
// surface tag the map's index. The application object owns one builder; it keeps its maps and
// textures until the next Build, Release or its destruction (which must come before the device's).
// Failures: Build is false and keeps nothing without a device, when memory runs out or when a
// texture cannot be made; a face that cannot be projected keeps the base light.
#include <vector>

#include "platform/d3d9/d3d9_types.h"
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"

class CZNEntity;
class IDirect3DTexture9;
class ZNBRUSH;
class ZNFACE;
struct ZNSELECTIONENTRY;

// One light map: width x height texels of blue, green, red bytes, rows top first.
struct CZNLightMap {
    DWORD Width = 0;
    DWORD Height = 0;
    std::vector<BYTE> Pixels;
    IDirect3DTexture9 *Texture = nullptr; // null until uploaded
};

class ZN_API CZNLightmapBuilder
{
public:
    static constexpr BYTE kBaseLight = 30;

    CZNLightmapBuilder();
    virtual ~CZNLightmapBuilder();
    CZNLightmapBuilder(const CZNLightmapBuilder &) = delete;
    CZNLightmapBuilder &operator=(const CZNLightmapBuilder &) = delete;

    // Maps for every brush entry of entries; brushes is the scene's brush list (the shadow
    // casters), entities its entity list (the lights). True on success, with nothing built for
    // entries without brushes.
    bool Build(const std::vector<ZNSELECTIONENTRY> &entries, ZNBRUSH *brushes, CZNEntity *entities);
    // Frees every map and texture and the light list.
    void Release();

    // The point lights of the entity list whose blocks are long enough.
    void CollectLights(CZNEntity *entities);
    // Adds the light reaching p on face of brush to the texel (blue, green, red bytes).
    void LightTexel(const ZNFACE *face, const ZNBRUSH *brush, const D3DXVECTOR3 &p, BYTE *texel) const;
    // Four-neighbour-column smoothing in place; the border rows and columns stay.
    static void SmoothLightMap(BYTE *pixels, DWORD width, DWORD height);
    // The map size of an edge length in world units: one texel per three units, 8 to 256, a power of two.
    static DWORD MapSize(float length);

    int GetLightMapCount() const { return static_cast<int>(m_LightMaps.size()); }
    const CZNLightMap *GetLightMap(int index) const { return m_LightMaps[static_cast<size_t>(index)]; }
    DWORD GetLightCount() const { return static_cast<DWORD>(m_Lights.size()); }

private:
    // The map of one face; false only when memory runs out.
    bool BuildFace(ZNFACE *face, ZNBRUSH *brush);
    bool CreateTextures();

    std::vector<CZNLightMap *> m_LightMaps;
    std::vector<const BYTE *> m_Lights; // the light entities' blocks
    ZNBRUSH *m_Scene = nullptr;         // the shadow casters of the build under way
};
