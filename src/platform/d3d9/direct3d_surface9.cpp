#include "platform/d3d9/direct3d_surface9.h"

#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "platform/d3d9/pixel_format.h"

IDirect3DSurface9::IDirect3DSurface9(IDirect3DDevice9 *device, Kind kind, const D3DSURFACE_DESC &desc)
    : IDirect3DResource9(device), m_kind(kind), m_desc(desc)
{
    if (m_kind != Kind::BackBuffer)
        m_bits.assign(static_cast<size_t>(Pitch()) * m_desc.Height, 0);
}

INT IDirect3DSurface9::Pitch() const
{
    return static_cast<INT>(m_desc.Width * ZNFormatBytesPerPixel(m_desc.Format));
}

ULONG IDirect3DSurface9::AddRef()
{
    if (m_container)
        return m_container->AddRef();
    return IDirect3DResource9::AddRef();
}

ULONG IDirect3DSurface9::Release()
{
    if (m_container)
        return m_container->Release();
    return IDirect3DResource9::Release();
}

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC *desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    if (m_kind == Kind::BackBuffer)
        m_device->GetBackBufferDesc(&m_desc);
    *desc = m_desc;
    return D3D_OK;
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags)
{
    if (!locked || m_locked)
        return D3DERR_INVALIDCALL;
    // The back buffer may have been resized by a reset since this surface was handed out.
    if (m_kind == Kind::BackBuffer)
        m_device->GetBackBufferDesc(&m_desc);
    RECT r = {0, 0, static_cast<LONG>(m_desc.Width), static_cast<LONG>(m_desc.Height)};
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
            rect->right > r.right || rect->bottom > r.bottom)
            return D3DERR_INVALIDCALL;
        r = *rect;
    }
    if (m_kind == Kind::BackBuffer && !m_device->ReadBackBuffer(&m_bits))
        return D3DERR_INVALIDCALL;
    m_locked = true;
    m_lockFlags = flags;
    locked->Pitch = Pitch();
    locked->pBits = m_bits.data() + static_cast<size_t>(r.top) * static_cast<size_t>(Pitch()) +
                    static_cast<size_t>(r.left) * ZNFormatBytesPerPixel(m_desc.Format);
    return D3D_OK;
}

HRESULT IDirect3DSurface9::UnlockRect()
{
    if (!m_locked)
        return D3DERR_INVALIDCALL;
    m_locked = false;
    if (m_lockFlags & D3DLOCK_READONLY) {
        if (m_kind == Kind::BackBuffer)
            m_bits.clear();
        return D3D_OK;
    }
    if (m_kind == Kind::TextureLevel)
        m_container->UploadLevel(m_level);
    else if (m_kind == Kind::BackBuffer) {
        m_device->WriteBackBuffer(m_bits);
        m_bits.clear();
    }
    return D3D_OK;
}
