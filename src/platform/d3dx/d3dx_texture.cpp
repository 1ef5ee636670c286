#include "platform/d3dx/d3dx_texture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/pixel_format.h"

namespace
{
using Pixel = std::array<double, 4>; // a, r, g, b in 0..255

Pixel Unpack(D3DCOLOR c)
{
    return {double(c >> 24), double((c >> 16) & 0xFF), double((c >> 8) & 0xFF), double(c & 0xFF)};
}

D3DCOLOR Pack(const Pixel &p)
{
    auto channel = [](double v) { return static_cast<DWORD>(std::clamp(std::floor(v + 0.5), 0.0, 255.0)); };
    return (channel(p[0]) << 24) | (channel(p[1]) << 16) | (channel(p[2]) << 8) | channel(p[3]);
}

struct Contribution {
    UINT index;
    double weight;
};

// How the source samples of one axis make up each destination sample: a box over the covered
// source span when shrinking, the two nearest samples by their centres when growing.
std::vector<std::vector<Contribution>> Weights(UINT from, UINT to, DWORD kind)
{
    std::vector<std::vector<Contribution>> weights(to);
    const double scale = double(from) / double(to);
    for (UINT i = 0; i < to; ++i) {
        auto &w = weights[i];
        if (kind == D3DX_FILTER_POINT) {
            UINT s = std::min(from - 1, static_cast<UINT>((i + 0.5) * scale));
            w.push_back({s, 1.0});
        } else if (from > to) {
            double start = i * scale, end = (i + 1) * scale;
            for (auto s = static_cast<UINT>(start); s < from && s < end; ++s) {
                double cover = std::min(end, s + 1.0) - std::max(start, double(s));
                if (cover > 0.0)
                    w.push_back({s, cover / scale});
            }
        } else {
            double pos = std::clamp((i + 0.5) * scale - 0.5, 0.0, double(from - 1));
            auto s0 = static_cast<UINT>(pos);
            UINT s1 = std::min(from - 1, s0 + 1);
            double t = pos - s0;
            w.push_back({s0, 1.0 - t});
            if (t > 0.0)
                w.push_back({s1, t});
        }
    }
    return weights;
}

// Source pixels (sw x sh, A8R8G8B8) to destination pixels (dw x dh).
std::vector<D3DCOLOR> Resample(const std::vector<D3DCOLOR> &src, UINT sw, UINT sh, UINT dw, UINT dh, DWORD kind)
{
    std::vector<D3DCOLOR> dst(static_cast<size_t>(dw) * dh, 0);
    if (kind == D3DX_FILTER_NONE) {
        // No scaling: what lies outside the source stays transparent black.
        for (UINT y = 0; y < std::min(sh, dh); ++y)
            for (UINT x = 0; x < std::min(sw, dw); ++x)
                dst[static_cast<size_t>(y) * dw + x] = src[static_cast<size_t>(y) * sw + x];
        return dst;
    }
    auto wx = Weights(sw, dw, kind), wy = Weights(sh, dh, kind);
    std::vector<Pixel> rows(static_cast<size_t>(sh) * dw);
    for (UINT y = 0; y < sh; ++y)
        for (UINT x = 0; x < dw; ++x) {
            Pixel sum = {0, 0, 0, 0};
            for (const Contribution &c : wx[x]) {
                Pixel p = Unpack(src[static_cast<size_t>(y) * sw + c.index]);
                for (int k = 0; k < 4; ++k)
                    sum[k] += p[k] * c.weight;
            }
            rows[static_cast<size_t>(y) * dw + x] = sum;
        }
    for (UINT y = 0; y < dh; ++y)
        for (UINT x = 0; x < dw; ++x) {
            Pixel sum = {0, 0, 0, 0};
            for (const Contribution &c : wy[y])
                for (int k = 0; k < 4; ++k)
                    sum[k] += rows[static_cast<size_t>(c.index) * dw + x][k] * c.weight;
            dst[static_cast<size_t>(y) * dw + x] = Pack(sum);
        }
    return dst;
}

bool ValidRect(const RECT &r, UINT width, UINT height)
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && static_cast<UINT>(r.right) <= width &&
           static_cast<UINT>(r.bottom) <= height;
}
} // namespace

HRESULT D3DXCreateTexture(IDirect3DDevice9 *device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9 **texture)
{
    if (!device || !texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    D3DCAPS9 caps;
    if (FAILED(device->GetDeviceCaps(&caps)))
        return D3DERR_INVALIDCALL;
    if (width == 0 || width == D3DX_DEFAULT)
        width = 256;
    if (height == 0 || height == D3DX_DEFAULT)
        height = 256;
    ZnRoundToDevicePowersOfTwo(caps, width, height);
    width = std::min<UINT>(width, caps.MaxTextureWidth);
    height = std::min<UINT>(height, caps.MaxTextureHeight);
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY)
        width = height = std::max(width, height);
    UINT fullChain = 1;
    while ((width >> fullChain) > 0 || (height >> fullChain) > 0)
        ++fullChain;
    if (levels == 0 || levels > fullChain)
        levels = fullChain;

    IDirect3D9 *d3d = nullptr;
    device->GetDirect3D(&d3d);
    D3DDISPLAYMODE mode;
    device->GetDisplayMode(0, &mode);
    auto supported = [&](D3DFORMAT f) {
        return SUCCEEDED(
            d3d->CheckDeviceFormat(caps.AdapterOrdinal, D3DDEVTYPE_HAL, mode.Format, usage, D3DRTYPE_TEXTURE, f));
    };
    if (format == D3DFMT_UNKNOWN || static_cast<UINT>(format) == D3DX_DEFAULT)
        format = D3DFMT_A8R8G8B8;
    if (!supported(format)) {
        D3DFORMAT first = ZNFormatHasAlpha(format) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
        D3DFORMAT second = first == D3DFMT_A8R8G8B8 ? D3DFMT_X8R8G8B8 : D3DFMT_A8R8G8B8;
        format = supported(first) ? first : second;
    }
    d3d->Release();
    return device->CreateTexture(width, height, levels, usage, format, pool, texture, nullptr);
}

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9 *destination, const PALETTEENTRY * /*destinationPalette*/,
                                  const RECT *destinationRect, const void *source, D3DFORMAT sourceFormat,
                                  UINT sourcePitch, const PALETTEENTRY * /*sourcePalette*/, const RECT *sourceRect,
                                  DWORD filter, D3DCOLOR colorKey)
{
    UINT sourceBpp = ZNFormatBytesPerPixel(sourceFormat);
    if (!destination || !source || !sourceRect || sourceBpp == 0 || sourceRect->left < 0 || sourceRect->top < 0 ||
        sourceRect->left >= sourceRect->right || sourceRect->top >= sourceRect->bottom ||
        static_cast<uint64_t>(sourceRect->right) * sourceBpp > sourcePitch)
        return D3DERR_INVALIDCALL;
    DWORD kind = filter == D3DX_DEFAULT ? D3DX_FILTER_TRIANGLE : (filter & 0xFF);
    if (kind < D3DX_FILTER_NONE || kind > D3DX_FILTER_BOX)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    destination->GetDesc(&desc);
    UINT destinationBpp = ZNFormatBytesPerPixel(desc.Format);
    RECT dr = destinationRect ? *destinationRect : RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
    if (destinationBpp == 0 || !ValidRect(dr, desc.Width, desc.Height))
        return D3DERR_INVALIDCALL;

    auto sw = static_cast<UINT>(sourceRect->right - sourceRect->left);
    auto sh = static_cast<UINT>(sourceRect->bottom - sourceRect->top);
    std::vector<D3DCOLOR> pixels(static_cast<size_t>(sw) * sh);
    const auto *bytes = static_cast<const BYTE *>(source);
    for (UINT y = 0; y < sh; ++y) {
        const BYTE *row = bytes + static_cast<size_t>(sourceRect->top + y) * sourcePitch +
                          static_cast<size_t>(sourceRect->left) * sourceBpp;
        for (UINT x = 0; x < sw; ++x) {
            D3DCOLOR c = ZNReadPixel(sourceFormat, row + static_cast<size_t>(x) * sourceBpp);
            pixels[static_cast<size_t>(y) * sw + x] = colorKey != 0 && c == colorKey ? 0 : c;
        }
    }
    auto dw = static_cast<UINT>(dr.right - dr.left), dh = static_cast<UINT>(dr.bottom - dr.top);
    // Every filter maps a pixel of an unscaled copy to itself.
    std::vector<D3DCOLOR> scaled = dw == sw && dh == sh ? std::move(pixels) : Resample(pixels, sw, sh, dw, dh, kind);

    D3DLOCKED_RECT locked;
    HRESULT hr = destination->LockRect(&locked, &dr, 0);
    if (FAILED(hr))
        return hr;
    for (UINT y = 0; y < dh; ++y) {
        BYTE *row = static_cast<BYTE *>(locked.pBits) + static_cast<size_t>(y) * static_cast<size_t>(locked.Pitch);
        for (UINT x = 0; x < dw; ++x)
            ZNWritePixel(desc.Format, row + static_cast<size_t>(x) * destinationBpp,
                         scaled[static_cast<size_t>(y) * dw + x]);
    }
    return destination->UnlockRect();
}

HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface9 *destination, const PALETTEENTRY *destinationPalette,
                                   const RECT *destinationRect, IDirect3DSurface9 *source,
                                   const PALETTEENTRY *sourcePalette, const RECT *sourceRect, DWORD filter,
                                   D3DCOLOR colorKey)
{
    if (!destination || !source || destination == source)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    source->GetDesc(&desc);
    RECT sr = sourceRect ? *sourceRect : RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
    if (!ValidRect(sr, desc.Width, desc.Height))
        return D3DERR_INVALIDCALL;
    D3DLOCKED_RECT locked;
    HRESULT hr = source->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    if (FAILED(hr))
        return hr;
    hr = D3DXLoadSurfaceFromMemory(destination, destinationPalette, destinationRect, locked.pBits, desc.Format,
                                   static_cast<UINT>(locked.Pitch), sourcePalette, &sr, filter, colorKey);
    source->UnlockRect();
    return hr;
}

HRESULT D3DXFilterTexture(IDirect3DBaseTexture9 *baseTexture, const PALETTEENTRY *palette, UINT sourceLevel,
                          DWORD filter)
{
    auto *texture = dynamic_cast<IDirect3DTexture9 *>(baseTexture);
    if (!texture)
        return D3DERR_INVALIDCALL;
    if (sourceLevel == D3DX_DEFAULT)
        sourceLevel = 0;
    if (filter == D3DX_DEFAULT)
        filter = D3DX_FILTER_BOX;
    UINT count = texture->GetLevelCount();
    if (sourceLevel >= count)
        return D3DERR_INVALIDCALL;
    for (UINT level = sourceLevel + 1; level < count; ++level) {
        IDirect3DSurface9 *above = nullptr, *below = nullptr;
        texture->GetSurfaceLevel(level - 1, &above);
        texture->GetSurfaceLevel(level, &below);
        HRESULT hr = D3DXLoadSurfaceFromSurface(below, palette, nullptr, above, palette, nullptr, filter, 0);
        below->Release();
        above->Release();
        if (FAILED(hr))
            return hr;
    }
    return D3D_OK;
}
