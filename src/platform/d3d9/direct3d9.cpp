#include "platform/d3d9/direct3d9.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstring>
#include <vector>

#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/fixed_function_program.h"
#include "platform/d3d9/gl_api.h"

namespace
{
std::vector<D3DCAPS9> g_testAdapters;

// What the OpenGL implementation offers, as capabilities.
D3DCAPS9 GLAdapterCaps()
{
    D3DCAPS9 caps = {};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps.TextureCaps = D3DPTEXTURECAPS_MIPMAP;
    caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                             D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    GLint maxSize = 0;
    if (glGetString(GL_VERSION))
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    caps.MaxTextureWidth = caps.MaxTextureHeight = maxSize > 0 ? static_cast<DWORD>(maxSize) : 4096;
    caps.MaxActiveLights = ZN_MAX_ACTIVE_LIGHTS;
    caps.MaxSimultaneousTextures = 1;
    return caps;
}

bool IsDepthFormat(D3DFORMAT f)
{
    return f == D3DFMT_D24S8 || f == D3DFMT_D24X8 || f == D3DFMT_D16;
}
bool IsTextureFormat(D3DFORMAT f)
{
    switch (f) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
        return true;
    default:
        return false;
    }
}

// An OpenGL 3.3 context is current.
bool HasGL33()
{
    const auto *version = reinterpret_cast<const char *>(glGetString(GL_VERSION));
    if (!version)
        return false;
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    return major > 3 || (major == 3 && minor >= 3);
}
} // namespace

IDirect3D9 *Direct3DCreate9(UINT /*sdkVersion*/)
{
    return new IDirect3D9();
}

void IDirect3D9::SetAdapterCapsForTesting(const D3DCAPS9 *caps, UINT count)
{
    g_testAdapters.assign(caps, caps + (caps ? count : 0));
}

ULONG IDirect3D9::AddRef()
{
    return ++m_refs;
}

ULONG IDirect3D9::Release()
{
    ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

UINT IDirect3D9::GetAdapterCount()
{
    return g_testAdapters.empty() ? 1 : static_cast<UINT>(g_testAdapters.size());
}

HRESULT IDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE *mode)
{
    if (!mode || adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    *mode = {1024, 768, 60, D3DFMT_X8R8G8B8};
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            QSize size = screen->size();
            mode->Width = static_cast<UINT>(size.width());
            mode->Height = static_cast<UINT>(size.height());
            mode->RefreshRate = static_cast<UINT>(screen->refreshRate());
        }
    }
    return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                    BOOL /*windowed*/)
{
    if (adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL || displayFormat != D3DFMT_X8R8G8B8 ||
        (backBufferFormat != D3DFMT_X8R8G8B8 && backBufferFormat != D3DFMT_A8R8G8B8))
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT IDirect3D9::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)
{
    if (adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL || adapterFormat != D3DFMT_X8R8G8B8)
        return D3DERR_NOTAVAILABLE;
    bool ok = false;
    if (usage & D3DUSAGE_DEPTHSTENCIL)
        ok = resourceType == D3DRTYPE_SURFACE && IsDepthFormat(checkFormat);
    else if (usage & D3DUSAGE_RENDERTARGET)
        ok = checkFormat == D3DFMT_X8R8G8B8 || checkFormat == D3DFMT_A8R8G8B8;
    else if (resourceType == D3DRTYPE_TEXTURE)
        ok = IsTextureFormat(checkFormat);
    else if (resourceType == D3DRTYPE_SURFACE)
        ok = IsTextureFormat(checkFormat) || checkFormat == D3DFMT_R8G8B8;
    return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT IDirect3D9::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat)
{
    if (adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL || adapterFormat != D3DFMT_X8R8G8B8 ||
        (renderTargetFormat != D3DFMT_X8R8G8B8 && renderTargetFormat != D3DFMT_A8R8G8B8) ||
        !IsDepthFormat(depthStencilFormat))
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT IDirect3D9::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9 *caps)
{
    if (!caps || adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL)
        return D3DERR_NOTAVAILABLE;
    *caps = g_testAdapters.empty() ? GLAdapterCaps() : g_testAdapters[adapter];
    caps->AdapterOrdinal = adapter;
    return D3D_OK;
}

HRESULT IDirect3D9::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS *parameters, IDirect3DDevice9 **device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!parameters || adapter >= GetAdapterCount())
        return D3DERR_INVALIDCALL;
    if (type != D3DDEVTYPE_HAL || !HasGL33())
        return D3DERR_NOTAVAILABLE;
    auto *created = new IDirect3DDevice9(this, adapter, focusWindow);
    created->m_behaviorFlags = behaviorFlags;
    HRESULT hr = created->Initialize(parameters);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *device = created;
    return D3D_OK;
}
