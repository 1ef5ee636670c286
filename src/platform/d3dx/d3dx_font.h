#pragma once

// A font that draws text into the device's frame: the text is rasterised by Qt (which needs a
// running QGuiApplication), then drawn as a textured screen rectangle blended over the frame.
#include "platform/d3d9/direct3d_device9.h"
#include "platform/gdi/gdi_types.h"

class ZN_API ID3DXFont
{
public:
    ID3DXFont(const ID3DXFont &) = delete;
    ID3DXFont &operator=(const ID3DXFont &) = delete;

    ULONG AddRef();
    ULONG Release();
    HRESULT GetDevice(IDirect3DDevice9 **device);
    HRESULT GetLogFont(LOGFONT *logFont);
    // Draws count characters (-1: up to the terminator) in the rectangle: top left unless DT_CENTER,
    // DT_RIGHT, or with DT_SINGLELINE DT_VCENTER or DT_BOTTOM; lines break at line feeds; clipped
    // to the rectangle unless DT_NOCLIP. The device's states are left as they were. Returns the
    // height of the text, 0 on failure.
    INT DrawTextA(const char *text, INT count, RECT *rect, DWORD format, D3DCOLOR color);

private:
    friend ZN_API HRESULT D3DXCreateFontIndirect(IDirect3DDevice9 *, const LOGFONT *, ID3DXFont **);
    ID3DXFont(IDirect3DDevice9 *device, const LOGFONT &logFont);
    ~ID3DXFont();

    IDirect3DDevice9 *m_device;
    LOGFONT m_logFont;
    ULONG m_refs = 1;
};

ZN_API HRESULT D3DXCreateFontIndirect(IDirect3DDevice9 *device, const LOGFONT *logFont, ID3DXFont **font);
