#pragma once

// A mip-mapped 2D texture. Every level keeps its pixels in memory; unlocking a level uploads it
// to the OpenGL texture the device samples. Creation uploads nothing: a level never unlocked goes
// up (as the zeros it holds) when the texture is first drawn, so each level written once is
// uploaded once.
#include <vector>

#include "platform/d3d9/direct3d_base_texture9.h"

class IDirect3DSurface9;

class ZN_API IDirect3DTexture9 : public IDirect3DBaseTexture9
{
public:
    DWORD GetLevelCount() const override { return static_cast<DWORD>(m_levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC *desc);
    // Adds a reference to the texture.
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9 **surface);
    HRESULT LockRect(UINT level, D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags);
    HRESULT UnlockRect(UINT level);

private:
    friend class IDirect3DDevice9;
    friend class IDirect3DSurface9;

    IDirect3DTexture9(IDirect3DDevice9 *device, UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool);
    ~IDirect3DTexture9() override;
    void BindForDrawing(const DWORD *samplerStates) override;
    void UploadLevel(UINT level);

    std::vector<IDirect3DSurface9 *> m_levels;
    std::vector<bool> m_uploaded; // per level: the OpenGL texture holds it
    UINT m_notUploaded = 0;       // levels not uploaded yet
    unsigned int m_glTexture = 0;
    // Sampler values last given to the OpenGL texture: min, mag, wrap s, wrap t.
    int m_glParams[4] = {0, 0, 0, 0};
};
