#include "platform/d3d9/pixel_format.h"

#include "platform/os/byte_order.h"

namespace
{
// Widens an n-bit channel to 8 bits and narrows it back, both rounded.
DWORD Expand(DWORD value, DWORD bits)
{
    DWORD maxValue = (1u << bits) - 1;
    return (value * 255 + maxValue / 2) / maxValue;
}
DWORD Reduce(DWORD value8, DWORD bits)
{
    DWORD maxValue = (1u << bits) - 1;
    return (value8 * maxValue + 127) / 255;
}

// Channel layout of a 16-bit format: bits of alpha, red, green and blue from the top down.
struct Layout16 {
    DWORD a, r, g, b;
};
bool GetLayout16(D3DFORMAT format, Layout16 *layout)
{
    switch (format) {
    case D3DFMT_R5G6B5:
        *layout = {0, 5, 6, 5};
        return true;
    case D3DFMT_X1R5G5B5:
        *layout = {0, 5, 5, 5};
        return true;
    case D3DFMT_A1R5G5B5:
        *layout = {1, 5, 5, 5};
        return true;
    case D3DFMT_A4R4G4B4:
        *layout = {4, 4, 4, 4};
        return true;
    case D3DFMT_X4R4G4B4:
        *layout = {0, 4, 4, 4};
        return true;
    default:
        return false;
    }
}
} // namespace

UINT ZNFormatBytesPerPixel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 4;
    case D3DFMT_R8G8B8:
        return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
        return 2;
    default:
        return 0;
    }
}

bool ZNFormatHasAlpha(D3DFORMAT format)
{
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5 || format == D3DFMT_A4R4G4B4;
}

D3DCOLOR ZNReadPixel(D3DFORMAT format, const BYTE *p)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
        return ZnGetU32LE(p);
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R8G8B8:
        return D3DCOLOR_ARGB(0xFF, p[2], p[1], p[0]);
    default:
        break;
    }
    Layout16 l;
    if (!GetLayout16(format, &l))
        return 0;
    DWORD v = ZnGetU16LE(p);
    DWORD b = v & ((1u << l.b) - 1);
    DWORD g = (v >> l.b) & ((1u << l.g) - 1);
    DWORD r = (v >> (l.b + l.g)) & ((1u << l.r) - 1);
    DWORD a = l.a ? (v >> (l.b + l.g + l.r)) & ((1u << l.a) - 1) : 0;
    return D3DCOLOR_ARGB(l.a ? Expand(a, l.a) : 0xFF, Expand(r, l.r), Expand(g, l.g), Expand(b, l.b));
}

void ZNWritePixel(D3DFORMAT format, BYTE *p, D3DCOLOR argb)
{
    DWORD a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        p[0] = static_cast<BYTE>(b);
        p[1] = static_cast<BYTE>(g);
        p[2] = static_cast<BYTE>(r);
        p[3] = static_cast<BYTE>(format == D3DFMT_A8R8G8B8 ? a : 0xFF);
        return;
    case D3DFMT_R8G8B8:
        p[0] = static_cast<BYTE>(b);
        p[1] = static_cast<BYTE>(g);
        p[2] = static_cast<BYTE>(r);
        return;
    default:
        break;
    }
    Layout16 l;
    if (!GetLayout16(format, &l))
        return;
    DWORD v = Reduce(b, l.b) | (Reduce(g, l.g) << l.b) | (Reduce(r, l.r) << (l.b + l.g));
    if (l.a)
        v |= Reduce(a, l.a) << (l.b + l.g + l.r);
    else if (l.r + l.g + l.b < 16)
        v |= ((1u << (16 - l.r - l.g - l.b)) - 1) << (l.b + l.g + l.r);
    ZnPutU16LE(p, static_cast<WORD>(v));
}
