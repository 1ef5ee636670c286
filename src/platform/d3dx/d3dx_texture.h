#pragma once

// Texture and surface helpers: texture creation fitted to the device, pixel transfer between
// memory and surfaces with format conversion and rescaling, and mip-level generation.
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_surface9.h"
#include "platform/d3d9/direct3d_texture9.h"

constexpr UINT D3DX_DEFAULT = 0xFFFFFFFF;

// Filters: the low byte is the kind; dithering is accepted and has no effect here.
constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;
constexpr DWORD D3DX_FILTER_DITHER = 0x80000;

// Rounds width and height up to powers of two (2^31 at the most) on a device whose caps have
// D3DPTEXTURECAPS_POW2; on another they stay as they are.
inline void ZnRoundToDevicePowersOfTwo(const D3DCAPS9 &caps, UINT &width, UINT &height)
{
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_POW2))
        return;
    UINT w = 1, h = 1;
    while (w < width && w < 0x80000000u)
        w <<= 1;
    while (h < height && h < 0x80000000u)
        h <<= 1;
    width = w;
    height = h;
}

struct PALETTEENTRY {
    BYTE peRed, peGreen, peBlue, peFlags;
};

// Sizes of 0 become 256; sizes follow the device's power-of-two and square rules and limits; 0
// levels make the whole chain; a format the device lacks becomes A8R8G8B8 or X8R8G8B8.
ZN_API HRESULT D3DXCreateTexture(IDirect3DDevice9 *device, UINT width, UINT height, UINT levels, DWORD usage,
                                 D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9 **texture);

// Copies the source rectangle of pixels in memory into the destination rectangle of a surface
// (null: all of it), converting the format and scaling with the filter. Source pixels equal to a
// non-zero colour key (as A8R8G8B8) become transparent black.
ZN_API HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9 *destination, const PALETTEENTRY *destinationPalette,
                                         const RECT *destinationRect, const void *source, D3DFORMAT sourceFormat,
                                         UINT sourcePitch, const PALETTEENTRY *sourcePalette, const RECT *sourceRect,
                                         DWORD filter, D3DCOLOR colorKey);

// The same from a rectangle of another surface (null: all of it), the back buffer included.
ZN_API HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface9 *destination, const PALETTEENTRY *destinationPalette,
                                          const RECT *destinationRect, IDirect3DSurface9 *source,
                                          const PALETTEENTRY *sourcePalette, const RECT *sourceRect, DWORD filter,
                                          D3DCOLOR colorKey);

// Rebuilds every level below the source level from the one above it (default filter: box).
ZN_API HRESULT D3DXFilterTexture(IDirect3DBaseTexture9 *texture, const PALETTEENTRY *palette, UINT sourceLevel,
                                 DWORD filter);
