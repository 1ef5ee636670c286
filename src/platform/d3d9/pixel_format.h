#pragma once

// Reading and writing single pixels of the surface formats the device supports, through the
// 32-bit A8R8G8B8 value (0xAARRGGBB). Formats without alpha read as alpha 255.
#include "platform/d3d9/d3d9_types.h"

// Bytes per pixel of a colour format; 0 for a format the device does not store.
ZN_API UINT ZNFormatBytesPerPixel(D3DFORMAT format);
bool ZNFormatHasAlpha(D3DFORMAT format);
ZN_API D3DCOLOR ZNReadPixel(D3DFORMAT format, const BYTE *pixel);
ZN_API void ZNWritePixel(D3DFORMAT format, BYTE *pixel, D3DCOLOR argb);
