#include "platform/d3d9/direct3d_resource9.h"

#include "platform/d3d9/direct3d_device9.h"

IDirect3DResource9::IDirect3DResource9(IDirect3DDevice9 *device) : m_device(device)
{
    if (m_device)
        m_device->AddResourceRef();
}

IDirect3DResource9::~IDirect3DResource9()
{
    if (m_device)
        m_device->ReleaseResourceRef();
}

ULONG IDirect3DResource9::AddRef()
{
    return ++m_refs;
}

ULONG IDirect3DResource9::Release()
{
    ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT IDirect3DResource9::GetDevice(IDirect3DDevice9 **device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = m_device;
    if (m_device)
        m_device->AddRef();
    return D3D_OK;
}
