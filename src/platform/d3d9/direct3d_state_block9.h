#pragma once

// A saved copy of the device's states. A block records the lights that exist when it is
// created; Capture and Apply touch those lights only, and every other state.
#include <set>

#include "platform/d3d9/device_state.h"

class IDirect3DDevice9;

class ZN_API IDirect3DStateBlock9
{
public:
    IDirect3DStateBlock9(const IDirect3DStateBlock9 &) = delete;
    IDirect3DStateBlock9 &operator=(const IDirect3DStateBlock9 &) = delete;

    ULONG AddRef();
    ULONG Release();
    HRESULT GetDevice(IDirect3DDevice9 **device);
    HRESULT Capture();
    HRESULT Apply();

private:
    friend class IDirect3DDevice9;
    IDirect3DStateBlock9(IDirect3DDevice9 *device, std::set<DWORD> lights);
    ~IDirect3DStateBlock9();

    IDirect3DDevice9 *m_device;
    ULONG m_refs = 1;
    std::set<DWORD> m_lights;
    ZNDeviceState m_state = {};
};
