#pragma once

// What the device's texture stages accept.
#include "platform/d3d9/direct3d_resource9.h"

class ZN_API IDirect3DBaseTexture9 : public IDirect3DResource9
{
public:
    virtual DWORD GetLevelCount() const = 0;
    D3DRESOURCETYPE GetType() const override { return D3DRTYPE_TEXTURE; }

protected:
    friend class IDirect3DDevice9;
    using IDirect3DResource9::IDirect3DResource9;

    // Binds the texture to the current texture unit with the sampler states of its stage.
    virtual void BindForDrawing(const DWORD *samplerStates) = 0;
};
