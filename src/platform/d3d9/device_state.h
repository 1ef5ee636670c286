#pragma once

// Every state a device holds between draws; state blocks keep copies of it.
#include <map>

#include "platform/d3d9/d3d9_types.h"

class IDirect3DBaseTexture9;

constexpr DWORD ZN_TEXTURE_STAGES = 8;

struct ZNLightSlot {
    D3DLIGHT9 light;
    BOOL enabled;
};

struct ZNDeviceState {
    DWORD renderStates[D3DRS_COUNT];
    DWORD textureStageStates[ZN_TEXTURE_STAGES][D3DTSS_COUNT];
    DWORD samplerStates[ZN_TEXTURE_STAGES][D3DSAMP_COUNT];
    D3DMATRIX world, view, projection;
    D3DVIEWPORT9 viewport;
    D3DMATERIAL9 material;
    // Lights by index; a light exists once it has been set or enabled.
    std::map<DWORD, ZNLightSlot> lights;
    DWORD fvf;
    // Not counted here: the device and the state blocks add the references.
    IDirect3DBaseTexture9 *textures[ZN_TEXTURE_STAGES];
};
