#pragma once

// The Direct3D object: the adapters and what they support, and device creation. There is one
// adapter, the OpenGL implementation of the current context; tests may describe other adapters.
#include "platform/d3d9/d3d9_types.h"

class IDirect3DDevice9;

class ZN_API IDirect3D9
{
public:
    IDirect3D9() = default;
    IDirect3D9(const IDirect3D9 &) = delete;
    IDirect3D9 &operator=(const IDirect3D9 &) = delete;

    ULONG AddRef();
    ULONG Release();

    UINT GetAdapterCount();
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE *mode);
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                            BOOL windowed);
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat);
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT renderTargetFormat,
                                   D3DFORMAT depthStencilFormat);
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9 *caps);
    // Needs a current OpenGL 3.3 core context; the device draws through it from then on.
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS *parameters, IDirect3DDevice9 **device);

    // Replaces the adapters by count adapters with the given capabilities (count 0: the one
    // adapter of the OpenGL implementation again). For tests.
    static void SetAdapterCapsForTesting(const D3DCAPS9 *caps, UINT count);

private:
    ~IDirect3D9() = default;
    ULONG m_refs = 1;
};

// The Direct3D object, or null.
ZN_API IDirect3D9 *Direct3DCreate9(UINT sdkVersion);
