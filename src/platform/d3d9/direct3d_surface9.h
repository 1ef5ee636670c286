#pragma once

// A rectangle of pixels: an offscreen plain surface in memory, a level of a texture, or the
// device's back buffer. Locking gives the pixels top row first with the surface's pitch.
#include <vector>

#include "platform/d3d9/direct3d_resource9.h"

class IDirect3DTexture9;

class ZN_API IDirect3DSurface9 : public IDirect3DResource9
{
public:
    // A level of a texture counts its references on the texture.
    ULONG AddRef() override;
    ULONG Release() override;
    D3DRESOURCETYPE GetType() const override { return D3DRTYPE_SURFACE; }

    HRESULT GetDesc(D3DSURFACE_DESC *desc);
    // rect null: the whole surface. The back buffer is read when it is locked and written back
    // when it is unlocked, unless the lock was read-only.
    HRESULT LockRect(D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags);
    HRESULT UnlockRect();

private:
    friend class IDirect3DDevice9;
    friend class IDirect3DTexture9;
    enum class Kind { Plain, TextureLevel, BackBuffer };

    IDirect3DSurface9(IDirect3DDevice9 *device, Kind kind, const D3DSURFACE_DESC &desc);
    ~IDirect3DSurface9() override = default;
    INT Pitch() const;

    Kind m_kind;
    D3DSURFACE_DESC m_desc;
    std::vector<BYTE> m_bits;
    IDirect3DTexture9 *m_container = nullptr;
    UINT m_level = 0;
    bool m_locked = false;
    DWORD m_lockFlags = 0;
};
