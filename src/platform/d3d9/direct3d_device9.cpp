#include "platform/d3d9/direct3d_device9.h"

#include <cassert>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <malloc.h>

#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/direct3d_state_block9.h"
#include "platform/d3d9/direct3d_surface9.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "platform/d3d9/fixed_function_program.h"
#include "platform/d3d9/gl_api.h"
#include "platform/d3d9/pixel_format.h"
#include "platform/os/same_bytes.h"
#include "platform/os/window.h"

// A call from a thread other than the device's: an assertion in debug builds, else refused.
#define ZN_DEVICE_THREAD_CHECK()                                                                                       \
    do {                                                                                                               \
        const bool onDeviceThread = std::this_thread::get_id() == m_OwnerThread;                                       \
        assert(onDeviceThread && "the device is called from the thread that made it only");                            \
        if (!onDeviceThread)                                                                                           \
            return D3DERR_INVALIDCALL;                                                                                 \
    } while (0)

namespace
{
constexpr UINT kPrimitivesPerFlush = 16384;

enum AttributeLocation : GLuint { kPosition = 0, kNormal = 1, kDiffuse = 2, kSpecular = 3, kTexCoord = 4 };

D3DMATRIX Identity()
{
    D3DMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

GLenum CompareFunction(DWORD func)
{
    switch (func) {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
        return GL_LEQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLenum BlendFactor(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    default:
        return GL_ONE;
    }
}

// Vertices a primitive count of a type needs; 0 for an unknown type, no primitive or too many.
UINT VertexCount(D3DPRIMITIVETYPE type, UINT primitives)
{
    constexpr uint64_t kMaxVertices = 0x0FFFFFFF;
    uint64_t count = 0;
    switch (type) {
    case D3DPT_POINTLIST:
        count = primitives;
        break;
    case D3DPT_LINELIST:
        count = uint64_t(primitives) * 2;
        break;
    case D3DPT_LINESTRIP:
        count = uint64_t(primitives) + 1;
        break;
    case D3DPT_TRIANGLELIST:
        count = uint64_t(primitives) * 3;
        break;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        count = uint64_t(primitives) + 2;
        break;
    default:
        break;
    }
    return primitives == 0 || count > kMaxVertices ? 0 : static_cast<UINT>(count);
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type)
{
    switch (type) {
    case D3DPT_POINTLIST:
        return GL_POINTS;
    case D3DPT_LINELIST:
        return GL_LINES;
    case D3DPT_LINESTRIP:
        return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST:
        return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP:
        return GL_TRIANGLE_STRIP;
    default:
        return GL_TRIANGLE_FAN;
    }
}

// Where each part of a vertex lies, from the flexible vertex format.
struct VertexLayout {
    bool valid = false;
    bool pretransformed = false;
    int normal = -1, diffuse = -1, specular = -1, texCoord = -1;
    UINT size = 0;
};

VertexLayout Layout(DWORD fvf, DWORD texCoordIndex)
{
    VertexLayout layout;
    DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZ)
        layout.size = 12;
    else if (position == D3DFVF_XYZRHW) {
        layout.size = 16;
        layout.pretransformed = true;
    } else
        return layout;
    if (fvf & D3DFVF_NORMAL) {
        layout.normal = static_cast<int>(layout.size);
        layout.size += 12;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        layout.diffuse = static_cast<int>(layout.size);
        layout.size += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        layout.specular = static_cast<int>(layout.size);
        layout.size += 4;
    }
    DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texCoordIndex < sets)
        layout.texCoord = static_cast<int>(layout.size + texCoordIndex * 8);
    layout.size += sets * 8;
    layout.valid = true;
    return layout;
}

bool ValidLight(const D3DLIGHT9 &l)
{
    if (l.Type != D3DLIGHT_POINT && l.Type != D3DLIGHT_SPOT && l.Type != D3DLIGHT_DIRECTIONAL)
        return false;
    const D3DXVECTOR3 &d = l.Direction;
    if (l.Type != D3DLIGHT_POINT && !(d.x * d.x + d.y * d.y + d.z * d.z > 0.0f))
        return false;
    if (l.Type != D3DLIGHT_DIRECTIONAL) {
        if (!(l.Range >= 0.0f) || !(l.Attenuation0 >= 0.0f) || !(l.Attenuation1 >= 0.0f) || !(l.Attenuation2 >= 0.0f))
            return false;
    }
    if (l.Type == D3DLIGHT_SPOT) {
        if (!(l.Theta >= 0.0f) || !(l.Phi >= l.Theta) || !(l.Phi <= D3DX_PI) || !(l.Falloff >= 0.0f))
            return false;
    }
    return true;
}

D3DLIGHT9 DefaultLight()
{
    D3DLIGHT9 l = {};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    l.Direction = {0.0f, 0.0f, 1.0f};
    return l;
}

template <typename Index> uint64_t LargestIndex(const Index *indices, UINT count)
{
    Index largest = 0;
    for (UINT i = 0; i < count; ++i)
        largest = std::max(largest, indices[i]);
    return largest;
}

// The software rasteriser allocates and frees a vertex buffer of some hundred kilobytes for every
// thousand vertices it shades. With glibc's defaults each free gives the top of the heap back to the
// kernel and the next allocation faults the pages in again, which costs more than the shading.
// Keeping freed memory in the heap (up to 64 MB) and serving such sizes from it avoids that.
void KeepDrawMemory()
{
    static const bool set = [] {
        mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
        return true;
    }();
    (void)set;
}

// Copies a draw's data into the bound buffer. The buffer's storage only grows (to the next power of
// two), so that streaming draws of changing sizes neither free nor allocate driver memory.
void Stream(GLenum target, size_t *capacity, const void *data, size_t bytes)
{
    if (bytes > *capacity) {
        size_t grown = 4096;
        while (grown < bytes)
            grown *= 2;
        *capacity = grown;
        glBufferData(target, static_cast<GLsizeiptr>(grown), nullptr, GL_STREAM_DRAW);
    }
    glBufferSubData(target, 0, static_cast<GLsizeiptr>(bytes), data);
}

void SetColor(GLint location, const D3DCOLORVALUE &c)
{
    glUniform4f(location, c.r, c.g, c.b, c.a);
}
} // namespace

IDirect3DDevice9::IDirect3DDevice9(IDirect3D9 *direct3d, UINT adapter, HWND focusWindow)
    : m_direct3d(direct3d), m_adapter(adapter), m_focusWindow(focusWindow)
{
    m_direct3d->AddRef();
}

IDirect3DDevice9::~IDirect3DDevice9()
{
    ReleaseBackBuffer();
    if (m_vertexArray)
        glDeleteVertexArrays(1, &m_vertexArray);
    if (m_vertexBuffer)
        glDeleteBuffers(1, &m_vertexBuffer);
    if (m_indexBuffer)
        glDeleteBuffers(1, &m_indexBuffer);
    m_variants.clear();
    m_program.reset();
    m_direct3d->Release();
}

HRESULT IDirect3DDevice9::Initialize(D3DPRESENT_PARAMETERS *parameters)
{
    ZN_DEVICE_THREAD_CHECK();
    KeepDrawMemory();
    m_program = std::make_unique<CZNFixedFunctionProgram>();
    std::string log;
    if (!m_program->Build(&log))
        return D3DERR_NOTAVAILABLE;
    glGenVertexArrays(1, &m_vertexArray);
    glGenBuffers(1, &m_vertexBuffer);
    glGenBuffers(1, &m_indexBuffer);
    HRESULT hr = SetupBackBuffer(parameters);
    if (FAILED(hr))
        return hr;
    ResetStates();
    return D3D_OK;
}

ULONG IDirect3DDevice9::AddRef()
{
    return ++m_refs;
}

ULONG IDirect3DDevice9::Release()
{
    ULONG left = --m_refs;
    if (left == 0) {
        // Held while the bound textures go, so that the last of them does not delete the device.
        AddResourceRef();
        for (auto &texture : m_state.textures) {
            if (texture)
                texture->Release();
            texture = nullptr;
        }
        ReleaseResourceRef();
    }
    return left;
}

void IDirect3DDevice9::ReleaseResourceRef()
{
    if (--m_resourceRefs == 0 && m_refs == 0)
        delete this;
}

HRESULT IDirect3DDevice9::GetDirect3D(IDirect3D9 **direct3d)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!direct3d)
        return D3DERR_INVALIDCALL;
    *direct3d = m_direct3d;
    m_direct3d->AddRef();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetDeviceCaps(D3DCAPS9 *caps)
{
    ZN_DEVICE_THREAD_CHECK();
    return m_direct3d->GetDeviceCaps(m_adapter, D3DDEVTYPE_HAL, caps);
}

HRESULT IDirect3DDevice9::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE *mode)
{
    ZN_DEVICE_THREAD_CHECK();
    if (swapChain != 0)
        return D3DERR_INVALIDCALL;
    return m_direct3d->GetAdapterDisplayMode(m_adapter, mode);
}

HRESULT IDirect3DDevice9::SetupBackBuffer(D3DPRESENT_PARAMETERS *p)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!p || !p->Windowed)
        return D3DERR_INVALIDCALL;
    if (p->BackBufferFormat == D3DFMT_UNKNOWN)
        p->BackBufferFormat = D3DFMT_X8R8G8B8;
    if (p->BackBufferFormat != D3DFMT_X8R8G8B8 && p->BackBufferFormat != D3DFMT_A8R8G8B8)
        return D3DERR_INVALIDCALL;
    if (p->EnableAutoDepthStencil && p->AutoDepthStencilFormat != D3DFMT_D24S8 &&
        p->AutoDepthStencilFormat != D3DFMT_D24X8 && p->AutoDepthStencilFormat != D3DFMT_D16)
        return D3DERR_INVALIDCALL;
    // A width or height of 0 takes the window's client area.
    HWND window = p->hDeviceWindow ? p->hDeviceWindow : m_focusWindow;
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    if (p->BackBufferWidth == 0)
        p->BackBufferWidth = static_cast<UINT>(std::max<LONG>(0, client.right - client.left));
    if (p->BackBufferHeight == 0)
        p->BackBufferHeight = static_cast<UINT>(std::max<LONG>(0, client.bottom - client.top));
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0 || p->BackBufferWidth > static_cast<UINT>(maxSize) ||
        p->BackBufferHeight > static_cast<UINT>(maxSize))
        return D3DERR_INVALIDCALL;
    if (p->BackBufferCount == 0)
        p->BackBufferCount = 1;

    ReleaseBackBuffer();
    auto width = static_cast<GLsizei>(p->BackBufferWidth);
    auto height = static_cast<GLsizei>(p->BackBufferHeight);
    glGenTextures(1, &m_colorTexture);
    glBindTexture(GL_TEXTURE_2D, m_colorTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &m_depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, m_depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    glGenFramebuffers(1, &m_framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_colorTexture, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_depthBuffer);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        ReleaseBackBuffer();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    m_parameters = *p;
    // A new back buffer starts black, its depth at the far plane.
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    return D3D_OK;
}

void IDirect3DDevice9::ReleaseBackBuffer()
{
    if (m_framebuffer)
        glDeleteFramebuffers(1, &m_framebuffer);
    if (m_colorTexture)
        glDeleteTextures(1, &m_colorTexture);
    if (m_depthBuffer)
        glDeleteRenderbuffers(1, &m_depthBuffer);
    m_framebuffer = m_colorTexture = m_depthBuffer = 0;
}

void IDirect3DDevice9::ResetStates()
{
    ZNDeviceState &s = m_state;
    std::memset(s.renderStates, 0, sizeof s.renderStates);
    DWORD *rs = s.renderStates;
    rs[D3DRS_ZENABLE] = m_parameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_FOGSTART] = ZNFloatToDWORD(0.0f);
    rs[D3DRS_FOGEND] = ZNFloatToDWORD(1.0f);
    rs[D3DRS_FOGDENSITY] = ZNFloatToDWORD(1.0f);
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;

    std::memset(s.textureStageStates, 0, sizeof s.textureStageStates);
    std::memset(s.samplerStates, 0, sizeof s.samplerStates);
    for (DWORD stage = 0; stage < ZN_TEXTURE_STAGES; ++stage) {
        DWORD *tss = s.textureStageStates[stage];
        tss[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        tss[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        tss[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        tss[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        tss[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        tss[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        tss[D3DTSS_TEXCOORDINDEX] = stage;
        DWORD *samp = s.samplerStates[stage];
        samp[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
        samp[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        samp[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        samp[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        samp[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        if (s.textures[stage])
            s.textures[stage]->Release();
        s.textures[stage] = nullptr;
    }
    s.world = s.view = s.projection = Identity();
    s.viewport = {0, 0, m_parameters.BackBufferWidth, m_parameters.BackBufferHeight, 0.0f, 1.0f};
    s.material = {};
    s.lights.clear();
    s.fvf = 0;
    StateChanged();
}

HRESULT IDirect3DDevice9::Reset(D3DPRESENT_PARAMETERS *parameters)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!parameters || m_inScene)
        return D3DERR_INVALIDCALL;
    D3DPRESENT_PARAMETERS p = *parameters;
    HRESULT hr = SetupBackBuffer(&p);
    if (FAILED(hr))
        return hr;
    *parameters = p;
    ResetStates();
    return D3D_OK;
}

bool IDirect3DDevice9::ReadBackBuffer(std::vector<BYTE> *bits)
{
    if (!m_framebuffer)
        return false;
    UINT width = m_parameters.BackBufferWidth, height = m_parameters.BackBufferHeight;
    size_t pitch = static_cast<size_t>(width) * 4;
    bits->resize(pitch * height);
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA, GL_UNSIGNED_BYTE,
                 bits->data());
    return true;
}

void IDirect3DDevice9::WriteBackBuffer(const std::vector<BYTE> &bits)
{
    UINT width = m_parameters.BackBufferWidth, height = m_parameters.BackBufferHeight;
    size_t pitch = static_cast<size_t>(width) * 4;
    if (!m_colorTexture || bits.size() < pitch * height)
        return;
    std::vector<BYTE> pixels(bits.begin(), bits.begin() + static_cast<std::ptrdiff_t>(pitch * height));
    if (m_parameters.BackBufferFormat == D3DFMT_X8R8G8B8)
        for (size_t i = 3; i < pixels.size(); i += 4)
            pixels[i] = 0xFF;
    glBindTexture(GL_TEXTURE_2D, m_colorTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_BGRA,
                    GL_UNSIGNED_BYTE, pixels.data());
}

HRESULT IDirect3DDevice9::Present(const RECT *source, const RECT *destination, HWND windowOverride,
                                  const void * /*dirtyRegion*/)
{
    ZN_DEVICE_THREAD_CHECK();
    HWND window =
        windowOverride ? windowOverride : (m_parameters.hDeviceWindow ? m_parameters.hDeviceWindow : m_focusWindow);
    if (!window)
        return D3D_OK;
    auto width = static_cast<LONG>(m_parameters.BackBufferWidth);
    auto height = static_cast<LONG>(m_parameters.BackBufferHeight);
    RECT src = {0, 0, width, height};
    if (source) {
        src.left = std::clamp<LONG>(source->left, 0, width);
        src.top = std::clamp<LONG>(source->top, 0, height);
        src.right = std::clamp<LONG>(source->right, src.left, width);
        src.bottom = std::clamp<LONG>(source->bottom, src.top, height);
    }
    std::vector<BYTE> bits;
    if (!ReadBackBuffer(&bits))
        return D3DERR_INVALIDCALL;
    QImage frame(src.right - src.left, src.bottom - src.top, QImage::Format_RGB32);
    for (LONG row = src.top; row < src.bottom; ++row)
        std::memcpy(frame.scanLine(row - src.top), bits.data() + (static_cast<size_t>(row) * width + src.left) * 4,
                    static_cast<size_t>(src.right - src.left) * 4);
    window->PresentFrame(frame, destination);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type,
                                        IDirect3DSurface9 **surface)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!surface || swapChain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO || !m_framebuffer)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    GetBackBufferDesc(&desc);
    *surface = new IDirect3DSurface9(this, IDirect3DSurface9::Kind::BackBuffer, desc);
    return D3D_OK;
}

void IDirect3DDevice9::GetBackBufferDesc(D3DSURFACE_DESC *desc) const
{
    *desc = {m_parameters.BackBufferFormat, D3DRTYPE_SURFACE,
             D3DUSAGE_RENDERTARGET,         D3DPOOL_DEFAULT,
             D3DMULTISAMPLE_NONE,           0,
             m_parameters.BackBufferWidth,  m_parameters.BackBufferHeight};
}

HRESULT IDirect3DDevice9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                        D3DPOOL pool, IDirect3DTexture9 **texture, HANDLE * /*shared*/)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    D3DDISPLAYMODE mode;
    m_direct3d->GetAdapterDisplayMode(m_adapter, &mode);
    if (width == 0 || height == 0 || usage != 0 || pool == D3DPOOL_SCRATCH ||
        FAILED(m_direct3d->CheckDeviceFormat(m_adapter, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, format)))
        return D3DERR_INVALIDCALL;
    D3DCAPS9 caps;
    GetDeviceCaps(&caps);
    if (width > caps.MaxTextureWidth || height > caps.MaxTextureHeight)
        return D3DERR_INVALIDCALL;
    UINT fullChain = 1;
    while ((width >> fullChain) > 0 || (height >> fullChain) > 0)
        ++fullChain;
    if (levels == 0)
        levels = fullChain;
    if (levels > fullChain)
        return D3DERR_INVALIDCALL;
    *texture = new IDirect3DTexture9(this, width, height, levels, format, pool);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                      IDirect3DSurface9 **surface, HANDLE * /*shared*/)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    constexpr UINT kMaxSide = 16384;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || pool == D3DPOOL_MANAGED ||
        ZNFormatBytesPerPixel(format) == 0)
        return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc = {format, D3DRTYPE_SURFACE, 0, pool, D3DMULTISAMPLE_NONE, 0, width, height};
    *surface = new IDirect3DSurface9(this, IDirect3DSurface9::Kind::Plain, desc);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginScene()
{
    ZN_DEVICE_THREAD_CHECK();
    if (m_inScene)
        return D3DERR_INVALIDCALL;
    m_inScene = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene()
{
    ZN_DEVICE_THREAD_CHECK();
    if (!m_inScene)
        return D3DERR_INVALIDCALL;
    m_inScene = false;
    glFlush();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Clear(DWORD count, const D3DRECT *rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    ZN_DEVICE_THREAD_CHECK();
    if ((count != 0 && !rects) || (flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0)
        return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !m_parameters.EnableAutoDepthStencil)
        return D3DERR_INVALIDCALL;
    BindTarget();
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        mask |= GL_COLOR_BUFFER_BIT;
        bool keepAlpha = m_parameters.BackBufferFormat == D3DFMT_A8R8G8B8;
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClearColor(static_cast<float>((color >> 16) & 0xFF) / 255.0f,
                     static_cast<float>((color >> 8) & 0xFF) / 255.0f, static_cast<float>(color & 0xFF) / 255.0f,
                     keepAlpha ? static_cast<float>(color >> 24) / 255.0f : 1.0f);
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        mask |= GL_DEPTH_BUFFER_BIT;
        glDepthMask(GL_TRUE);
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
    }
    if (flags & D3DCLEAR_STENCIL) {
        mask |= GL_STENCIL_BUFFER_BIT;
        glStencilMask(0xFF);
        glClearStencil(static_cast<GLint>(stencil & 0xFF));
    }
    const D3DVIEWPORT9 &vp = m_state.viewport;
    D3DRECT whole = {static_cast<LONG>(vp.X), static_cast<LONG>(vp.Y), static_cast<LONG>(vp.X + vp.Width),
                     static_cast<LONG>(vp.Y + vp.Height)};
    glEnable(GL_SCISSOR_TEST);
    for (DWORD i = 0; i < std::max<DWORD>(count, 1); ++i) {
        D3DRECT r = whole;
        if (count) {
            r.x1 = std::max(r.x1, rects[i].x1);
            r.y1 = std::max(r.y1, rects[i].y1);
            r.x2 = std::min(r.x2, rects[i].x2);
            r.y2 = std::min(r.y2, rects[i].y2);
        }
        if (r.x1 >= r.x2 || r.y1 >= r.y2)
            continue;
        glScissor(r.x1, r.y1, r.x2 - r.x1, r.y2 - r.y1);
        glClear(mask);
    }
    glDisable(GL_SCISSOR_TEST);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX *matrix)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!matrix)
        return D3DERR_INVALIDCALL;
    D3DMATRIX *target = nullptr;
    switch (state) {
    case D3DTS_WORLD:
        target = &m_state.world;
        break;
    case D3DTS_VIEW:
        target = &m_state.view;
        break;
    case D3DTS_PROJECTION:
        target = &m_state.projection;
        break;
    default:
        return D3DERR_INVALIDCALL;
    }
    if (!ZnSameBytes(*target, *matrix)) {
        *target = *matrix;
        StateChanged();
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX *matrix)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!matrix)
        return D3DERR_INVALIDCALL;
    switch (state) {
    case D3DTS_WORLD:
        *matrix = m_state.world;
        break;
    case D3DTS_VIEW:
        *matrix = m_state.view;
        break;
    case D3DTS_PROJECTION:
        *matrix = m_state.projection;
        break;
    default:
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetViewport(const D3DVIEWPORT9 *viewport)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!viewport || viewport->Width == 0 || viewport->Height == 0 ||
        static_cast<uint64_t>(viewport->X) + viewport->Width > m_parameters.BackBufferWidth ||
        static_cast<uint64_t>(viewport->Y) + viewport->Height > m_parameters.BackBufferHeight ||
        !(viewport->MinZ >= 0.0f && viewport->MinZ <= 1.0f && viewport->MaxZ >= 0.0f && viewport->MaxZ <= 1.0f))
        return D3DERR_INVALIDCALL;
    if (std::memcmp(&m_state.viewport, viewport, sizeof m_state.viewport) != 0) {
        m_state.viewport = *viewport;
        StateChanged();
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetViewport(D3DVIEWPORT9 *viewport)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = m_state.viewport;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetMaterial(const D3DMATERIAL9 *material)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!material)
        return D3DERR_INVALIDCALL;
    if (!ZnSameBytes(m_state.material, *material)) {
        m_state.material = *material;
        StateChanged();
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetMaterial(D3DMATERIAL9 *material)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!material)
        return D3DERR_INVALIDCALL;
    *material = m_state.material;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetLight(DWORD index, const D3DLIGHT9 *light)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!light || !ValidLight(*light))
        return D3DERR_INVALIDCALL;
    auto it = m_state.lights.find(index);
    if (it == m_state.lights.end())
        m_state.lights[index] = {*light, FALSE};
    else if (std::memcmp(&it->second.light, light, sizeof *light) != 0)
        it->second.light = *light;
    else
        return D3D_OK;
    StateChanged();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetLight(DWORD index, D3DLIGHT9 *light)
{
    ZN_DEVICE_THREAD_CHECK();
    auto it = m_state.lights.find(index);
    if (!light || it == m_state.lights.end())
        return D3DERR_INVALIDCALL;
    *light = it->second.light;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::LightEnable(DWORD index, BOOL enable)
{
    ZN_DEVICE_THREAD_CHECK();
    auto it = m_state.lights.find(index);
    if (it == m_state.lights.end())
        m_state.lights[index] = {DefaultLight(), enable ? TRUE : FALSE};
    else if (it->second.enabled != (enable ? TRUE : FALSE))
        it->second.enabled = enable ? TRUE : FALSE;
    else
        return D3D_OK;
    StateChanged();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetLightEnable(DWORD index, BOOL *enable)
{
    ZN_DEVICE_THREAD_CHECK();
    auto it = m_state.lights.find(index);
    if (!enable || it == m_state.lights.end())
        return D3DERR_INVALIDCALL;
    *enable = it->second.enabled;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    ZN_DEVICE_THREAD_CHECK();
    if (state >= D3DRS_COUNT)
        return D3DERR_INVALIDCALL;
    if (m_state.renderStates[state] != value) {
        m_state.renderStates[state] = value;
        StateChanged();
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderState(D3DRENDERSTATETYPE state, DWORD *value)
{
    ZN_DEVICE_THREAD_CHECK();
    if (state >= D3DRS_COUNT || !value)
        return D3DERR_INVALIDCALL;
    *value = m_state.renderStates[state];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    ZN_DEVICE_THREAD_CHECK();
    if (stage >= ZN_TEXTURE_STAGES || type >= D3DTSS_COUNT)
        return D3DERR_INVALIDCALL;
    if (m_state.textureStageStates[stage][type] != value) {
        m_state.textureStageStates[stage][type] = value;
        StateChanged();
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD *value)
{
    ZN_DEVICE_THREAD_CHECK();
    if (stage >= ZN_TEXTURE_STAGES || type >= D3DTSS_COUNT || !value)
        return D3DERR_INVALIDCALL;
    *value = m_state.textureStageStates[stage][type];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    ZN_DEVICE_THREAD_CHECK();
    if (sampler >= ZN_TEXTURE_STAGES || type >= D3DSAMP_COUNT)
        return D3DERR_INVALIDCALL;
    if (m_state.samplerStates[sampler][type] != value) {
        m_state.samplerStates[sampler][type] = value;
        ++m_stateRevision;
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD *value)
{
    ZN_DEVICE_THREAD_CHECK();
    if (sampler >= ZN_TEXTURE_STAGES || type >= D3DSAMP_COUNT || !value)
        return D3DERR_INVALIDCALL;
    *value = m_state.samplerStates[sampler][type];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTexture(DWORD stage, IDirect3DBaseTexture9 *texture)
{
    ZN_DEVICE_THREAD_CHECK();
    if (stage >= ZN_TEXTURE_STAGES)
        return D3DERR_INVALIDCALL;
    if (m_state.textures[stage] == texture)
        return D3D_OK;
    ++m_stateRevision;
    if (texture)
        texture->AddRef();
    if (m_state.textures[stage])
        m_state.textures[stage]->Release();
    m_state.textures[stage] = texture;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTexture(DWORD stage, IDirect3DBaseTexture9 **texture)
{
    ZN_DEVICE_THREAD_CHECK();
    if (stage >= ZN_TEXTURE_STAGES || !texture)
        return D3DERR_INVALIDCALL;
    *texture = m_state.textures[stage];
    if (*texture)
        (*texture)->AddRef();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetFVF(DWORD fvf)
{
    ZN_DEVICE_THREAD_CHECK();
    if (m_state.fvf != fvf) {
        m_state.fvf = fvf;
        StateChanged();
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetFVF(DWORD *fvf)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!fvf)
        return D3DERR_INVALIDCALL;
    *fvf = m_state.fvf;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS *parameters) const
{
    if (!parameters)
        return D3DERR_INVALIDCALL;
    parameters->AdapterOrdinal = m_adapter;
    parameters->DeviceType = D3DDEVTYPE_HAL;
    parameters->hFocusWindow = m_focusWindow;
    parameters->BehaviorFlags = m_behaviorFlags;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9 **stateBlock)
{
    ZN_DEVICE_THREAD_CHECK();
    if (!stateBlock || type != D3DSBT_ALL)
        return D3DERR_INVALIDCALL;
    *stateBlock = new IDirect3DStateBlock9(this, LightIndices());
    return D3D_OK;
}

std::set<DWORD> IDirect3DDevice9::LightIndices() const
{
    std::set<DWORD> indices;
    for (const auto &entry : m_state.lights)
        indices.insert(entry.first);
    return indices;
}

void IDirect3DDevice9::CopyStateTo(ZNDeviceState *state, const std::set<DWORD> &lights) const
{
    std::memcpy(state->renderStates, m_state.renderStates, sizeof m_state.renderStates);
    std::memcpy(state->textureStageStates, m_state.textureStageStates, sizeof m_state.textureStageStates);
    std::memcpy(state->samplerStates, m_state.samplerStates, sizeof m_state.samplerStates);
    state->world = m_state.world;
    state->view = m_state.view;
    state->projection = m_state.projection;
    state->viewport = m_state.viewport;
    state->material = m_state.material;
    state->fvf = m_state.fvf;
    state->lights.clear();
    for (DWORD index : lights) {
        auto it = m_state.lights.find(index);
        if (it != m_state.lights.end())
            state->lights[index] = it->second;
    }
    for (DWORD stage = 0; stage < ZN_TEXTURE_STAGES; ++stage) {
        if (m_state.textures[stage])
            m_state.textures[stage]->AddRef();
        if (state->textures[stage])
            state->textures[stage]->Release();
        state->textures[stage] = m_state.textures[stage];
    }
}

void IDirect3DDevice9::ApplyState(const ZNDeviceState &state, const std::set<DWORD> &lights)
{
    std::memcpy(m_state.renderStates, state.renderStates, sizeof m_state.renderStates);
    std::memcpy(m_state.textureStageStates, state.textureStageStates, sizeof m_state.textureStageStates);
    std::memcpy(m_state.samplerStates, state.samplerStates, sizeof m_state.samplerStates);
    m_state.world = state.world;
    m_state.view = state.view;
    m_state.projection = state.projection;
    m_state.material = state.material;
    m_state.fvf = state.fvf;
    // A viewport captured for a larger back buffer is not applied.
    if (SUCCEEDED(SetViewport(&state.viewport)))
        m_state.viewport = state.viewport;
    for (DWORD index : lights) {
        auto it = state.lights.find(index);
        if (it != state.lights.end())
            m_state.lights[index] = it->second;
    }
    for (DWORD stage = 0; stage < ZN_TEXTURE_STAGES; ++stage)
        SetTexture(stage, state.textures[stage]);
    StateChanged();
}

void IDirect3DDevice9::BindTarget()
{
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    const D3DVIEWPORT9 &vp = m_state.viewport;
    glViewport(static_cast<GLint>(vp.X), static_cast<GLint>(vp.Y), static_cast<GLsizei>(vp.Width),
               static_cast<GLsizei>(vp.Height));
    glDepthRange(vp.MinZ, vp.MaxZ);
}

void IDirect3DDevice9::ApplyRasterStates()
{
    const DWORD *rs = m_state.renderStates;
    if (rs[D3DRS_ZENABLE] != D3DZB_FALSE && m_parameters.EnableAutoDepthStencil) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(CompareFunction(rs[D3DRS_ZFUNC]));
        glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    } else
        glDisable(GL_DEPTH_TEST);
    // Front faces turn clockwise on the screen; the framebuffer's rows run top down, so OpenGL
    // sees them counter-clockwise.
    glFrontFace(GL_CCW);
    if (rs[D3DRS_CULLMODE] == D3DCULL_CCW) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
    } else if (rs[D3DRS_CULLMODE] == D3DCULL_CW) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
    } else
        glDisable(GL_CULL_FACE);
    switch (rs[D3DRS_FILLMODE]) {
    case D3DFILL_POINT:
        glPolygonMode(GL_FRONT_AND_BACK, GL_POINT);
        break;
    case D3DFILL_WIREFRAME:
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        break;
    default:
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        break;
    }
    if (rs[D3DRS_ALPHABLENDENABLE]) {
        glEnable(GL_BLEND);
        glBlendEquation(GL_FUNC_ADD);
        glBlendFunc(BlendFactor(rs[D3DRS_SRCBLEND]), BlendFactor(rs[D3DRS_DESTBLEND]));
    } else
        glDisable(GL_BLEND);
    // A back buffer without alpha keeps alpha 1, so destination alpha reads as one.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, m_parameters.BackBufferFormat == D3DFMT_A8R8G8B8 ? GL_TRUE : GL_FALSE);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_DITHER);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glPointSize(1.0f);
    glLineWidth(1.0f);
}

void IDirect3DDevice9::UploadUniforms()
{
    const CZNFixedFunctionProgram::Locations &u = m_active->Uniforms();
    const DWORD *rs = m_state.renderStates;
    const DWORD *stage0 = m_state.textureStageStates[0];
    VertexLayout layout = Layout(m_state.fvf, stage0[D3DTSS_TEXCOORDINDEX] & 0xFFFF);

    D3DMATRIX worldView, inverse, normalMatrix;
    D3DXMatrixMultiply(&worldView, &m_state.world, &m_state.view);
    if (D3DXMatrixInverse(&inverse, nullptr, &worldView))
        D3DXMatrixTranspose(&normalMatrix, &inverse);
    else
        normalMatrix = worldView;
    glUniformMatrix4fv(u.worldView, 1, GL_FALSE, worldView);
    glUniformMatrix4fv(u.projection, 1, GL_FALSE, m_state.projection);
    glUniformMatrix4fv(u.normalMatrix, 1, GL_FALSE, normalMatrix);
    const D3DVIEWPORT9 &vp = m_state.viewport;
    glUniform4f(u.viewport, static_cast<float>(vp.X), static_cast<float>(vp.Y), static_cast<float>(vp.Width),
                static_cast<float>(vp.Height));
    glUniform1i(u.pretransformed, layout.pretransformed);
    bool lighting = rs[D3DRS_LIGHTING] && !layout.pretransformed;
    glUniform1i(u.lighting, lighting);
    glUniform1i(u.normalize, rs[D3DRS_NORMALIZENORMALS] != 0);
    glUniform1i(u.localViewer, rs[D3DRS_LOCALVIEWER] != 0);
    glUniform1i(u.specularEnable, rs[D3DRS_SPECULARENABLE] != 0);

    // A material colour taken from the vertex falls back to the material when the vertex lacks it.
    auto source = [&](DWORD state) {
        DWORD s = rs[state];
        if (!rs[D3DRS_COLORVERTEX])
            return 0;
        if (s == D3DMCS_COLOR1 && layout.diffuse >= 0)
            return 1;
        if (s == D3DMCS_COLOR2 && layout.specular >= 0)
            return 2;
        return 0;
    };
    glUniform4i(u.colorSources, source(D3DRS_DIFFUSEMATERIALSOURCE), source(D3DRS_SPECULARMATERIALSOURCE),
                source(D3DRS_AMBIENTMATERIALSOURCE), source(D3DRS_EMISSIVEMATERIALSOURCE));
    const D3DMATERIAL9 &m = m_state.material;
    SetColor(u.materialDiffuse, m.Diffuse);
    SetColor(u.materialAmbient, m.Ambient);
    SetColor(u.materialSpecular, m.Specular);
    SetColor(u.materialEmissive, m.Emissive);
    glUniform1f(u.materialPower, m.Power);
    D3DCOLOR ambient = rs[D3DRS_AMBIENT];
    glUniform4f(u.globalAmbient, static_cast<float>((ambient >> 16) & 0xFF) / 255.0f,
                static_cast<float>((ambient >> 8) & 0xFF) / 255.0f, static_cast<float>(ambient & 0xFF) / 255.0f,
                static_cast<float>(ambient >> 24) / 255.0f);

    // Enabled lights in index order, moved into camera space.
    float diffuse[ZN_MAX_ACTIVE_LIGHTS][4], specular[ZN_MAX_ACTIVE_LIGHTS][4], ambientL[ZN_MAX_ACTIVE_LIGHTS][4];
    float position[ZN_MAX_ACTIVE_LIGHTS][4], direction[ZN_MAX_ACTIVE_LIGHTS][4], atten[ZN_MAX_ACTIVE_LIGHTS][4];
    float cone[ZN_MAX_ACTIVE_LIGHTS][2];
    int count = 0;
    for (const auto &entry : m_state.lights) {
        if (!entry.second.enabled || count == ZN_MAX_ACTIVE_LIGHTS)
            continue;
        const D3DLIGHT9 &l = entry.second.light;
        D3DXVECTOR3 p, d;
        D3DXVec3TransformCoord(&p, &l.Position, &m_state.view);
        D3DXVec3TransformNormal(&d, &l.Direction, &m_state.view);
        if (D3DXVec3LengthSq(&d) > 0.0f)
            D3DXVec3Normalize(&d, &d);
        const D3DCOLORVALUE *colors[3] = {&l.Diffuse, &l.Specular, &l.Ambient};
        float(*targets[3])[4] = {diffuse, specular, ambientL};
        for (int c = 0; c < 3; ++c) {
            targets[c][count][0] = colors[c]->r;
            targets[c][count][1] = colors[c]->g;
            targets[c][count][2] = colors[c]->b;
            targets[c][count][3] = colors[c]->a;
        }
        position[count][0] = p.x;
        position[count][1] = p.y;
        position[count][2] = p.z;
        position[count][3] = l.Range;
        direction[count][0] = d.x;
        direction[count][1] = d.y;
        direction[count][2] = d.z;
        direction[count][3] = static_cast<float>(l.Type);
        atten[count][0] = l.Attenuation0;
        atten[count][1] = l.Attenuation1;
        atten[count][2] = l.Attenuation2;
        atten[count][3] = l.Falloff;
        cone[count][0] = std::cos(l.Theta * 0.5f);
        cone[count][1] = std::cos(l.Phi * 0.5f);
        ++count;
    }
    glUniform1i(u.lightCount, count);
    if (count) {
        glUniform4fv(u.lightDiffuse, count, &diffuse[0][0]);
        glUniform4fv(u.lightSpecular, count, &specular[0][0]);
        glUniform4fv(u.lightAmbient, count, &ambientL[0][0]);
        glUniform4fv(u.lightPosition, count, &position[0][0]);
        glUniform4fv(u.lightDirection, count, &direction[0][0]);
        glUniform4fv(u.lightAttenuation, count, &atten[0][0]);
        glUniform2fv(u.lightCone, count, &cone[0][0]);
    }

    // Fog: table (per pixel) fog wins over vertex fog; pre-transformed vertices get no vertex fog.
    int vertexFog = 0, pixelFog = 0;
    if (rs[D3DRS_FOGENABLE]) {
        if (rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE && rs[D3DRS_FOGTABLEMODE] <= D3DFOG_LINEAR)
            pixelFog = static_cast<int>(rs[D3DRS_FOGTABLEMODE]);
        else if (rs[D3DRS_FOGVERTEXMODE] != D3DFOG_NONE && rs[D3DRS_FOGVERTEXMODE] <= D3DFOG_LINEAR &&
                 !layout.pretransformed) {
            vertexFog = static_cast<int>(rs[D3DRS_FOGVERTEXMODE]);
            pixelFog = 4;
        }
    }
    glUniform1i(u.vertexFogMode, vertexFog);
    glUniform1i(u.pixelFogMode, pixelFog);
    glUniform1i(u.rangeFog, rs[D3DRS_RANGEFOGENABLE] != 0);
    glUniform3f(u.fogParams, ZNDWORDToFloat(rs[D3DRS_FOGSTART]), ZNDWORDToFloat(rs[D3DRS_FOGEND]),
                ZNDWORDToFloat(rs[D3DRS_FOGDENSITY]));
    D3DCOLOR fog = rs[D3DRS_FOGCOLOR];
    glUniform3f(u.fogColor, static_cast<float>((fog >> 16) & 0xFF) / 255.0f,
                static_cast<float>((fog >> 8) & 0xFF) / 255.0f, static_cast<float>(fog & 0xFF) / 255.0f);

    glUniform1i(u.texture, 0);
    glUniform3i(u.colorStage, static_cast<int>(stage0[D3DTSS_COLOROP]), static_cast<int>(stage0[D3DTSS_COLORARG1]),
                static_cast<int>(stage0[D3DTSS_COLORARG2]));
    glUniform3i(u.alphaStage, static_cast<int>(stage0[D3DTSS_ALPHAOP]), static_cast<int>(stage0[D3DTSS_ALPHAARG1]),
                static_cast<int>(stage0[D3DTSS_ALPHAARG2]));
    glUniform1i(u.specularAdd, rs[D3DRS_SPECULARENABLE] != 0);
}

CZNFixedFunctionProgram *IDirect3DDevice9::ProgramForDraw(bool pretransformed, bool hasDiffuse, bool hasSpecular)
{
    const DWORD *rs = m_state.renderStates;
    const DWORD *stage0 = m_state.textureStageStates[0];
    CZNFixedFunctionProgram::Variant v;
    std::memset(&v, 0, sizeof v);
    v.pretransformed = pretransformed;
    v.lighting = rs[D3DRS_LIGHTING] && !pretransformed;
    if (v.lighting) {
        v.normalize = rs[D3DRS_NORMALIZENORMALS] != 0;
        // As UploadUniforms reads them.
        auto source = [&](DWORD state) {
            DWORD s = rs[state];
            if (!rs[D3DRS_COLORVERTEX])
                return 0;
            if (s == D3DMCS_COLOR1 && hasDiffuse)
                return 1;
            if (s == D3DMCS_COLOR2 && hasSpecular)
                return 2;
            return 0;
        };
        v.colorSources[0] = source(D3DRS_DIFFUSEMATERIALSOURCE);
        v.colorSources[1] = source(D3DRS_SPECULARMATERIALSOURCE);
        v.colorSources[2] = source(D3DRS_AMBIENTMATERIALSOURCE);
        v.colorSources[3] = source(D3DRS_EMISSIVEMATERIALSOURCE);
        for (const auto &entry : m_state.lights) {
            if (!entry.second.enabled || v.lightCount == ZN_MAX_ACTIVE_LIGHTS)
                continue;
            v.lightTypes |= (static_cast<unsigned>(entry.second.light.Type) & 3u) << (2 * v.lightCount);
            ++v.lightCount;
        }
        // A black material specular taken from the material adds nothing: its sum is not computed.
        const D3DCOLORVALUE &ms = m_state.material.Specular;
        v.specular = rs[D3DRS_SPECULARENABLE] != 0 && v.lightCount > 0 &&
                     (v.colorSources[1] != 0 || ms.r != 0.0f || ms.g != 0.0f || ms.b != 0.0f);
    }
    if (rs[D3DRS_FOGENABLE]) {
        if (rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE && rs[D3DRS_FOGTABLEMODE] <= D3DFOG_LINEAR)
            v.pixelFog = static_cast<int>(rs[D3DRS_FOGTABLEMODE]);
        else if (rs[D3DRS_FOGVERTEXMODE] != D3DFOG_NONE && rs[D3DRS_FOGVERTEXMODE] <= D3DFOG_LINEAR &&
                 !pretransformed) {
            v.vertexFog = static_cast<int>(rs[D3DRS_FOGVERTEXMODE]);
            v.pixelFog = 4;
        }
    }
    v.textureBound = m_state.textures[0] != nullptr;
    v.colorStage[0] = static_cast<int>(stage0[D3DTSS_COLOROP]);
    v.colorStage[1] = static_cast<int>(stage0[D3DTSS_COLORARG1]);
    v.colorStage[2] = static_cast<int>(stage0[D3DTSS_COLORARG2]);
    v.alphaStage[0] = static_cast<int>(stage0[D3DTSS_ALPHAOP]);
    v.alphaStage[1] = static_cast<int>(stage0[D3DTSS_ALPHAARG1]);
    v.alphaStage[2] = static_cast<int>(stage0[D3DTSS_ALPHAARG2]);
    // Adding a specular colour that is black leaves every pixel as it is: the lighting's sum when it
    // is not computed, or the missing vertex colour when unlit. Without the add the program passes
    // one colour less from vertex to pixel.
    v.specularAdd = rs[D3DRS_SPECULARENABLE] != 0 && (v.lighting ? v.specular != 0 : hasSpecular);

    auto found = m_variants.find(v);
    if (found == m_variants.end()) {
        auto program = std::make_unique<CZNFixedFunctionProgram>();
        std::string log;
        if (!program->Build(&log, &v))
            program.reset();
        found = m_variants.emplace(v, std::move(program)).first;
    }
    return found->second ? found->second.get() : m_program.get();
}

HRESULT IDirect3DDevice9::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void *vertices, UINT stride)
{
    ZN_DEVICE_THREAD_CHECK();
    UINT vertexCount = VertexCount(type, primitiveCount);
    if (!vertices || vertexCount == 0)
        return D3DERR_INVALIDCALL;
    return Draw(type, primitiveCount, vertices, vertexCount, stride, nullptr, D3DFMT_UNKNOWN);
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                                 UINT primitiveCount, const void *indices, D3DFORMAT indexFormat,
                                                 const void *vertices, UINT stride)
{
    ZN_DEVICE_THREAD_CHECK();
    UINT indexCount = VertexCount(type, primitiveCount);
    if (!vertices || !indices || indexCount == 0 || vertexCount == 0 ||
        (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    // Every index must name one of the vertices handed over.
    uint64_t limit = static_cast<uint64_t>(minIndex) + vertexCount;
    uint64_t largest = indexFormat == D3DFMT_INDEX16 ? LargestIndex(static_cast<const uint16_t *>(indices), indexCount)
                                                     : LargestIndex(static_cast<const uint32_t *>(indices), indexCount);
    if (largest >= limit)
        return D3DERR_INVALIDCALL;
    return Draw(type, primitiveCount, vertices, static_cast<UINT>(limit), stride, indices, indexFormat);
}

HRESULT IDirect3DDevice9::Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const void *vertices, UINT vertexCount,
                               UINT stride, const void *indices, D3DFORMAT indexFormat)
{
    ZN_DEVICE_THREAD_CHECK();
    VertexLayout layout = Layout(m_state.fvf, m_state.textureStageStates[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF);
    if (!layout.valid || stride < layout.size || !m_framebuffer)
        return D3DERR_INVALIDCALL;
    BindTarget();
    ApplyRasterStates();
    CZNFixedFunctionProgram *program = ProgramForDraw(layout.pretransformed, layout.diffuse >= 0, layout.specular >= 0);
    if (program != m_active) {
        m_active = program;
        m_uniformsDirty = true;
    }
    glUseProgram(m_active->Program());
    if (m_uniformsDirty) {
        UploadUniforms();
        m_uniformsDirty = false;
    }
    glActiveTexture(GL_TEXTURE0);
    IDirect3DBaseTexture9 *texture = m_state.textures[0];
    if (texture)
        texture->BindForDrawing(m_state.samplerStates[0]);
    glUniform1i(m_active->Uniforms().textureBound, texture != nullptr);

    glBindVertexArray(m_vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    Stream(GL_ARRAY_BUFFER, &m_vertexCapacity, vertices, static_cast<size_t>(vertexCount) * stride);
    auto offset = [](int bytes) { return reinterpret_cast<const void *>(static_cast<uintptr_t>(bytes)); };
    auto gstride = static_cast<GLsizei>(stride);
    glEnableVertexAttribArray(kPosition);
    glVertexAttribPointer(kPosition, layout.pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE, gstride, offset(0));
    if (layout.normal >= 0) {
        glEnableVertexAttribArray(kNormal);
        glVertexAttribPointer(kNormal, 3, GL_FLOAT, GL_FALSE, gstride, offset(layout.normal));
    } else {
        glDisableVertexAttribArray(kNormal);
        glVertexAttrib3f(kNormal, 0.0f, 0.0f, 0.0f);
    }
    // Colours are stored as 0xAARRGGBB words: blue, green, red, alpha in memory.
    if (layout.diffuse >= 0) {
        glEnableVertexAttribArray(kDiffuse);
        glVertexAttribPointer(kDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, gstride, offset(layout.diffuse));
    } else {
        glDisableVertexAttribArray(kDiffuse);
        glVertexAttrib4f(kDiffuse, 1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (layout.specular >= 0) {
        glEnableVertexAttribArray(kSpecular);
        glVertexAttribPointer(kSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, gstride, offset(layout.specular));
    } else {
        glDisableVertexAttribArray(kSpecular);
        glVertexAttrib4f(kSpecular, 0.0f, 0.0f, 0.0f, 0.0f);
    }
    if (layout.texCoord >= 0) {
        glEnableVertexAttribArray(kTexCoord);
        glVertexAttribPointer(kTexCoord, 2, GL_FLOAT, GL_FALSE, gstride, offset(layout.texCoord));
    } else {
        glDisableVertexAttribArray(kTexCoord);
        glVertexAttrib2f(kTexCoord, 0.0f, 0.0f);
    }

    GLenum mode = PrimitiveMode(type);
    if (indices) {
        UINT indexCount = VertexCount(type, primitiveCount);
        size_t indexSize = indexFormat == D3DFMT_INDEX16 ? 2 : 4;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer);
        Stream(GL_ELEMENT_ARRAY_BUFFER, &m_indexCapacity, indices, indexCount * indexSize);
        glDrawElements(mode, static_cast<GLsizei>(indexCount),
                       indexFormat == D3DFMT_INDEX16 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT, nullptr);
    } else {
        glDrawArrays(mode, 0, static_cast<GLsizei>(vertexCount));
    }
    glBindVertexArray(0);
    // The software rasteriser fills in pixels only once its queue is flushed: handing it the first
    // part of a large frame early lets its threads work while the rest is shaded and binned.
    m_primitivesQueued += primitiveCount;
    if (m_primitivesQueued >= kPrimitivesPerFlush) {
        glFlush();
        m_primitivesQueued = 0;
    }
    return D3D_OK;
}
