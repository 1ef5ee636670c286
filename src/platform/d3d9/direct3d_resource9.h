#pragma once

// Base of the device's reference-counted resources. A resource keeps its device alive.
#include "platform/d3d9/d3d9_types.h"

class IDirect3DDevice9;

class ZN_API IDirect3DResource9
{
public:
    IDirect3DResource9(const IDirect3DResource9 &) = delete;
    IDirect3DResource9 &operator=(const IDirect3DResource9 &) = delete;

    virtual ULONG AddRef();
    // Deletes the resource when the last reference goes; returns the references left.
    virtual ULONG Release();
    HRESULT GetDevice(IDirect3DDevice9 **device);
    virtual D3DRESOURCETYPE GetType() const = 0;

protected:
    explicit IDirect3DResource9(IDirect3DDevice9 *device);
    virtual ~IDirect3DResource9();

    IDirect3DDevice9 *m_device;

private:
    ULONG m_refs = 1;
};
