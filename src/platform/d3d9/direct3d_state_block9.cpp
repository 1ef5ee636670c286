#include "platform/d3d9/direct3d_state_block9.h"

#include "platform/d3d9/direct3d_base_texture9.h"
#include "platform/d3d9/direct3d_device9.h"

IDirect3DStateBlock9::IDirect3DStateBlock9(IDirect3DDevice9 *device, std::set<DWORD> lights)
    : m_device(device), m_lights(std::move(lights))
{
    m_device->AddResourceRef();
    m_device->CopyStateTo(&m_state, m_lights);
}

IDirect3DStateBlock9::~IDirect3DStateBlock9()
{
    for (IDirect3DBaseTexture9 *texture : m_state.textures)
        if (texture)
            texture->Release();
    m_device->ReleaseResourceRef();
}

ULONG IDirect3DStateBlock9::AddRef()
{
    return ++m_refs;
}

ULONG IDirect3DStateBlock9::Release()
{
    ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT IDirect3DStateBlock9::GetDevice(IDirect3DDevice9 **device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = m_device;
    m_device->AddRef();
    return D3D_OK;
}

HRESULT IDirect3DStateBlock9::Capture()
{
    m_device->CopyStateTo(&m_state, m_lights);
    return D3D_OK;
}

HRESULT IDirect3DStateBlock9::Apply()
{
    m_device->ApplyState(m_state, m_lights);
    return D3D_OK;
}
