#include "render/direct3d.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "app/editor_app.h"
#include "fileio/memory_stream_io.h"
#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_state_block9.h"
#include "platform/d3d9/direct3d_surface9.h"
#include "platform/d3dx/d3dx_font.h"
#include "platform/d3dx/d3dx_texture.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/gdi_api.h"
#include "platform/os/window.h"
#include "render/draw_batcher.h"
#include "render/image/image.h"
#include "scene/material.h"

namespace
{
constexpr const char *kMessageCaption = "TOVRA";
constexpr float kFieldOfView = 3.14159265f * (1.0f / 3.0f);
constexpr float kNearPlane = 1.01f;
constexpr float kFarPlane = 10000.0f;
constexpr LONG kMinBackBufferSide = 200;
constexpr float kLabelDistance = 180.0f;

void ReportFatal(const char *text)
{
    GetEditorApp()->GetReporter()->Message(text, kMessageCaption, MB_OK | MB_ICONSTOP);
}

D3DLIGHT9 DefaultLight(int index)
{
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Direction =
        index == 0 ? D3DXVECTOR3(0.286875f, -0.860624f, 0.420749f) : D3DXVECTOR3(-0.286875f, 0.860624f, -0.420749f);
    return light;
}
} // namespace

CZN3D::CZN3D()
    : m_pD3D(nullptr), m_pDevice(nullptr), m_VertexStride(0), m_VertexFormat(0), m_PrimitiveType(D3DPT_TRIANGLEFAN),
      m_TargetWindow(nullptr), m_pFont(nullptr), m_pSnapshot(nullptr), m_PresentParameters{}, m_RenderMode(4),
      m_MultiTexture(0), m_WBuffer(0), m_DefaultLighting(1), m_SceneLightCount(0), m_LightKindCapacity(0),
      m_LightSlot(0), m_pLightKinds(nullptr), m_SceneAmbient(0),
      m_BuiltInMaterialCount(0), m_BuiltInMaterials{}, m_Adapter{}, m_CaptureDC(nullptr), m_CaptureOldBitmap(nullptr),
      m_CaptureBitmap(nullptr), m_pStateBlock(nullptr)
{
    m_Camera.SetOwner(this);
    SetKindArrayCapacity(3);
}

CZN3D::~CZN3D()
{
    Shutdown();
    ReleaseCapture();
}

void CZN3D::Shutdown()
{
    // Whatever was gathered is dropped with the device.
    m_Batching = false;
    m_pBatcher.reset();
    m_BuiltInMaterialCount = 0;
    TrimMaterialList();
    DeleteLights();
    delete m_pSnapshot;
    m_pSnapshot = nullptr;
    delete[] m_pLightKinds;
    m_pLightKinds = nullptr;
    m_LightKindCapacity = 0;
    m_SceneLightCount = 0;
    ReleaseFont();
    if (m_pStateBlock) {
        m_pStateBlock->Release();
        m_pStateBlock = nullptr;
    }
    if (m_pDevice) {
        m_pDevice->Release();
        m_pDevice = nullptr;
    }
    if (m_pD3D) {
        m_pD3D->Release();
        m_pD3D = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// Start-up

int CZN3D::Initialize(HWND window)
{
    m_pD3D = Direct3DCreate9(31);
    if (!m_pD3D) {
        ReportFatal("ABORT LEVEL ERROR:\n\nTovra could not create a DX8 Interface.\n\nPlease make sure you have DX8 "
                    "installed on your system");
        return 0;
    }

    // Learn what every adapter offers.
    ZNADAPTERINFO adapters[kMaxAdapters] = {};
    UINT adapterCount = m_pD3D->GetAdapterCount();
    if (adapterCount > static_cast<UINT>(kMaxAdapters))
        adapterCount = kMaxAdapters;
    for (UINT i = 0; i < adapterCount; ++i) {
        ZNADAPTERINFO &info = adapters[i];
        info.Ordinal = i;
        info.Unusable = 0;
        if (FAILED(m_pD3D->GetAdapterDisplayMode(i, &info.DisplayMode)))
            info.Unusable = 1;
        if (FAILED(m_pD3D->CheckDeviceType(i, D3DDEVTYPE_HAL, info.DisplayMode.Format, info.DisplayMode.Format, TRUE)))
            info.Unusable = 1;
        if (FAILED(m_pD3D->GetDeviceCaps(i, D3DDEVTYPE_HAL, &info.Caps)))
            info.Unusable = 1;
        info.BehaviorFlags = (info.Caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) ? D3DCREATE_HARDWARE_VERTEXPROCESSING
                                                                                  : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
        if (!FindDepthFormat(i, D3DDEVTYPE_HAL, info.DisplayMode.Format, &info.DepthFormat))
            info.Unusable = 1;
    }

    // The first usable adapter with hardware vertex processing, else the first usable one.
    const ZNADAPTERINFO *chosen = nullptr;
    for (UINT i = 0; i < adapterCount; ++i) {
        if (adapters[i].Unusable)
            continue;
        if (adapters[i].BehaviorFlags & D3DCREATE_HARDWARE_VERTEXPROCESSING) {
            chosen = &adapters[i];
            break;
        }
        if (!chosen)
            chosen = &adapters[i];
    }
    if (!chosen) {
        ReportFatal("ABORT LEVEL ERROR:\n\nTovra can not find a 3D hardware Device that works in windowed rendering "
                    "mode at the current color depth of the Desktop.\n\nPlease make sure that your desktop is set to "
                    "run in at least 16bit color as 256 color and 16 color rendering modes are not supported by "
                    "Tovra");
        m_pD3D->Release();
        m_pD3D = nullptr;
        return 0;
    }

    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    D3DPRESENT_PARAMETERS &pp = m_PresentParameters;
    pp = {};
    pp.BackBufferWidth = static_cast<UINT>(client.right - client.left);
    pp.BackBufferHeight = static_cast<UINT>(client.bottom - client.top);
    pp.BackBufferFormat = chosen->DisplayMode.Format;
    pp.BackBufferCount = 0;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_COPY;
    pp.hDeviceWindow = nullptr;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = chosen->DepthFormat;
    pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    pp.FullScreen_RefreshRateInHz = 0;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

    // The wrapper is used from the user-interface thread only: the batch conversion's worker hands
    // its thumbnail renders to that thread, so neither the device nor the wrapper takes a lock.
    if (FAILED(m_pD3D->CreateDevice(chosen->Ordinal, D3DDEVTYPE_HAL, window,
                                    chosen->BehaviorFlags | D3DCREATE_MULTITHREADED, &pp, &m_pDevice)) ||
        !m_pDevice) {
        m_pDevice = nullptr;
        ReportFatal("ABORT LEVEL ERROR:\n\nTovra Failed to Create a 3D device with the required presentation "
                    "parameters");
        m_pD3D->Release();
        m_pD3D = nullptr;
        return 0;
    }

    const D3DCAPS9 &caps = chosen->Caps;
    ZNAPPOPTIONS &options = GetEditorApp()->Options();
    options.m_SupportsMipMaps =
        (caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) && (caps.TextureFilterCaps & D3DPTFILTERCAPS_MIPFLINEAR);
    options.m_SupportsLinearFilter =
        (caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFLINEAR) && (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFLINEAR);
    m_MultiTexture = caps.MaxSimultaneousTextures > 1 ? 1 : 0;
    m_WBuffer = (caps.RasterCaps & D3DPRASTERCAPS_WBUFFER) ? 1 : 0;

    m_Adapter = *chosen;
    m_TargetWindow = window;

    BuildBuiltInMaterials();
    DeleteLights();
    SetDefaultLights();

    InitDeviceStates();
    if (m_pStateBlock) {
        m_pStateBlock->Release();
        m_pStateBlock = nullptr;
    }
    m_pDevice->CreateStateBlock(D3DSBT_ALL, &m_pStateBlock);
    return 1;
}

int CZN3D::FindDepthFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT *format)
{
    static const D3DFORMAT kFormats[] = {D3DFMT_D32,     D3DFMT_D24X8, D3DFMT_D24S8,
                                         D3DFMT_D24X4S4, D3DFMT_D16,   D3DFMT_D15S1};
    for (D3DFORMAT candidate : kFormats) {
        if (SUCCEEDED(m_pD3D->CheckDeviceFormat(adapter, type, displayFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                                candidate)) &&
            SUCCEEDED(m_pD3D->CheckDepthStencilMatch(adapter, type, displayFormat, displayFormat, candidate))) {
            *format = candidate;
            return 1;
        }
    }
    return 0;
}

void CZN3D::InitDeviceStates()
{
    if (!m_pDevice)
        return;
    LONG width = 0, height = 0;
    ClientSize(nullptr, &width, &height);
    // The viewport never reaches beyond the back buffer: a larger window gets the part that fits,
    // with the window's projection, and Present stretches it over the window.
    const DWORD bufferWidth = m_PresentParameters.BackBufferWidth, bufferHeight = m_PresentParameters.BackBufferHeight;
    D3DVIEWPORT9 viewport = {
        0,    0,   std::min(static_cast<DWORD>(width), bufferWidth), std::min(static_cast<DWORD>(height), bufferHeight),
        0.0f, 1.0f};
    m_pDevice->SetViewport(&viewport);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    m_pDevice->SetTransform(D3DTS_WORLD, &identity);
    SetupViewport(nullptr);

    m_Camera.SetOwner(this);
    m_Camera.UpdateViewMatrix();

    m_pDevice->SetRenderState(D3DRS_ZENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);

    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
    m_pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);

    m_pDevice->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    const ZNAPPOPTIONS &options = GetEditorApp()->Options();
    if (options.m_SupportsLinearFilter) {
        m_pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        m_pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    }
    if (options.m_SupportsMipMaps)
        m_pDevice->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);

    m_pDevice->SetRenderState(D3DRS_DITHERENABLE, TRUE);
    m_pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    m_pDevice->SetRenderState(D3DRS_AMBIENT, kDefaultAmbient);

    m_pDevice->SetRenderState(D3DRS_FOGCOLOR, 0);
    m_pDevice->SetRenderState(D3DRS_FOGSTART, ZNFloatToDWORD(2000.0f));
    m_pDevice->SetRenderState(D3DRS_FOGEND, ZNFloatToDWORD(9900.0f));
    m_pDevice->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    m_pDevice->SetRenderState(D3DRS_FOGENABLE, TRUE);

    m_pDevice->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    m_pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);

    for (DWORD i = 0; i < 2; ++i) {
        if (const D3DLIGHT9 *light = GetLightRecord(i)) {
            m_pDevice->SetLight(i, light);
            m_pDevice->LightEnable(i, m_DefaultLighting ? TRUE : FALSE);
        }
    }
    for (WORD slot = 0; slot < m_SceneLightCount; ++slot) {
        const BYTE kind = m_pLightKinds[slot];
        const D3DLIGHT9 *light = GetLightRecord(slot + 2u);
        if ((kind == 1 || kind == 2) && light) {
            m_pDevice->SetLight(slot + 2u, light);
            m_pDevice->LightEnable(slot + 2u, m_DefaultLighting ? FALSE : TRUE);
        }
    }
    if (m_SceneLightCount > 0)
        m_pDevice->SetRenderState(D3DRS_AMBIENT, m_SceneAmbient);

    // The 40-byte face vertex: position, normal and two texture coordinate pairs.
    SetVertexFormat(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2, 40);
    SetPrimitiveType(D3DPT_TRIANGLEFAN);
    SetRenderMode(m_RenderMode);
    m_pDevice->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    CreateFont(0);
}

// ---------------------------------------------------------------------------------------------
// Window, viewport and reset

void CZN3D::ClientSize(const RECT *rect, LONG *width, LONG *height) const
{
    RECT r = {0, 0, 0, 0};
    if (rect)
        r = *rect;
    else
        GetClientRect(m_TargetWindow, &r);
    *width = r.right - r.left;
    *height = r.bottom - r.top;
}

void CZN3D::SetTargetWindow(HWND window)
{
    m_TargetWindow = window;
    SetupViewport(nullptr);
}

void CZN3D::SetupViewport(const RECT *rect)
{
    if (!m_pDevice)
        return;
    LONG width = 0, height = 0;
    ClientSize(rect, &width, &height);
    if (width < 0)
        width = 0;
    if (height < 0)
        height = 0;
    // An empty window keeps a usable projection.
    const float aspect = height > 0 ? static_cast<float>(width) / static_cast<float>(height) : 1.0f;
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, aspect, kNearPlane, kFarPlane);
    m_pDevice->SetTransform(D3DTS_PROJECTION, &projection);
    // The viewport never reaches beyond the back buffer: a larger window gets the part that fits,
    // with the window's projection, and Present stretches it over the window.
    const DWORD bufferWidth = m_PresentParameters.BackBufferWidth, bufferHeight = m_PresentParameters.BackBufferHeight;
    D3DVIEWPORT9 viewport = {
        0,    0,   std::min(static_cast<DWORD>(width), bufferWidth), std::min(static_cast<DWORD>(height), bufferHeight),
        0.0f, 1.0f};
    m_pDevice->SetViewport(&viewport);
}

int CZN3D::ResetDevice(const RECT *rect)
{
    if (!m_pDevice)
        return 0;
    RECT r = {0, 0, 0, 0};
    if (rect)
        r = *rect;
    else
        GetClientRect(m_TargetWindow, &r);
    // Callers pass rectangles whose origin is 0, 0: right and bottom are the size.
    const LONG width = r.right < kMinBackBufferSide ? kMinBackBufferSide : r.right;
    const LONG height = r.bottom < kMinBackBufferSide ? kMinBackBufferSide : r.bottom;
    m_PresentParameters.BackBufferWidth = static_cast<UINT>(width);
    m_PresentParameters.BackBufferHeight = static_cast<UINT>(height);
    if (m_pStateBlock) {
        m_pStateBlock->Release();
        m_pStateBlock = nullptr;
    }
    ReleaseFont();
    if (FAILED(m_pDevice->Reset(&m_PresentParameters)))
        return 0;
    InitDeviceStates();
    m_pDevice->CreateStateBlock(D3DSBT_ALL, &m_pStateBlock);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void CZN3D::SetRenderMode(DWORD mode)
{
    if (m_pDevice) {
        DWORD fill = mode;
        if (mode == 1)
            fill = D3DFILL_POINT;
        else if (mode == 2)
            fill = D3DFILL_WIREFRAME;
        else if (mode == 3 || mode == 4)
            fill = D3DFILL_SOLID;
        m_pDevice->SetRenderState(D3DRS_FILLMODE, fill);
    }
    m_RenderMode = mode;
}

int CZN3D::SetVertexFormat(DWORD fvf, DWORD stride)
{
    if (!m_pDevice)
        return 0;
    m_VertexFormat = fvf;
    m_VertexStride = stride;
    m_pDevice->SetFVF(fvf);
    return 1;
}

DWORD CZN3D::GetPrimitiveCount(DWORD type, DWORD count)
{
    switch (type) {
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return count >= 3 ? count - 2 : 0;
    case D3DPT_TRIANGLELIST:
        return count / 3;
    case D3DPT_LINELIST:
        return count / 2;
    case D3DPT_LINESTRIP:
        return count >= 2 ? count - 1 : 0;
    case D3DPT_POINTLIST:
        return count;
    default:
        return 0;
    }
}

void CZN3D::DrawPrimitive(const void *vertices, DWORD count)
{
    if (!m_pDevice || !vertices)
        return;
    const DWORD primitives = GetPrimitiveCount(m_PrimitiveType, count);
    if (primitives == 0)
        return;
    if (m_Batching && m_PrimitiveType == D3DPT_TRIANGLEFAN) {
        m_pBatcher->AddFan(m_pDevice, m_VertexFormat, m_VertexStride, vertices, count);
        return;
    }
    m_pDevice->DrawPrimitiveUP(static_cast<D3DPRIMITIVETYPE>(m_PrimitiveType), primitives, vertices, m_VertexStride);
}

void CZN3D::DrawIndexedTriangles(const void *vertices, DWORD vertexCount, const WORD *indices, DWORD triangles)
{
    if (!m_pDevice || !vertices || !indices || vertexCount < 3 || triangles == 0)
        return;
    if (m_Batching) {
        m_pBatcher->AddTriangles(m_pDevice, m_VertexFormat, m_VertexStride, vertices, vertexCount, indices, triangles);
        return;
    }
    m_pDevice->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, vertexCount, triangles, indices, D3DFMT_INDEX16, vertices,
                                      m_VertexStride);
}

void CZN3D::SetCullMode(DWORD mode)
{
    if (m_pDevice)
        m_pDevice->SetRenderState(D3DRS_CULLMODE, mode);
}

void CZN3D::BeginBatch()
{
    if (!m_pDevice)
        return;
    if (!m_pBatcher)
        m_pBatcher = std::make_unique<CZNDrawBatcher>();
    m_pBatcher->Begin(m_pDevice);
    m_Batching = true;
}

void CZN3D::FlushBatch()
{
    if (!m_Batching)
        return;
    m_Batching = false;
    m_pBatcher->Flush(m_pDevice);
}

void CZN3D::BeginScene()
{
    if (m_pDevice)
        m_pDevice->BeginScene();
}

void CZN3D::EndScene()
{
    if (m_pDevice)
        m_pDevice->EndScene();
}

void CZN3D::Clear(DWORD count, const D3DRECT *rects, DWORD flags, D3DCOLOR colour, float z)
{
    if (m_pDevice)
        m_pDevice->Clear(count, rects, flags, colour, z, 0);
}

void CZN3D::Present(const RECT *destination)
{
    if (!m_pDevice)
        return;
    D3DVIEWPORT9 viewport = {};
    m_pDevice->GetViewport(&viewport);
    RECT source = {static_cast<LONG>(viewport.X), static_cast<LONG>(viewport.Y),
                   static_cast<LONG>(viewport.X + viewport.Width), static_cast<LONG>(viewport.Y + viewport.Height)};
    // A lost device or a resized window: start again at the window's size.
    if (FAILED(m_pDevice->Present(&source, destination, m_TargetWindow, nullptr)))
        ResetDevice(nullptr);
}

void CZN3D::GetProjection(D3DXMATRIX *matrix)
{
    if (m_pDevice && matrix)
        m_pDevice->GetTransform(D3DTS_PROJECTION, matrix);
}

void CZN3D::SetProjection(D3DXMATRIX *matrix)
{
    if (m_pDevice && matrix)
        m_pDevice->SetTransform(D3DTS_PROJECTION, matrix);
}

void CZN3D::GetView(D3DXMATRIX *matrix)
{
    if (m_pDevice && matrix)
        m_pDevice->GetTransform(D3DTS_VIEW, matrix);
}

D3DXMATRIX *CZN3D::GetInverseView(D3DXMATRIX *matrix)
{
    if (!m_pDevice || !matrix)
        return matrix;
    D3DXMATRIX view;
    m_pDevice->GetTransform(D3DTS_VIEW, &view);
    D3DXMatrixInverse(matrix, nullptr, &view);
    return matrix;
}

void CZN3D::SetTexture(DWORD stage, IDirect3DBaseTexture9 *texture)
{
    if (!m_pDevice)
        return;
    m_pDevice->SetTexture(stage, m_RenderMode == 4 ? texture : nullptr);
}

void CZN3D::SetBlendMode(signed char source, signed char destination)
{
    if (!m_pDevice)
        return;
    if (source >= 0 && source <= 9)
        m_pDevice->SetRenderState(D3DRS_SRCBLEND, static_cast<DWORD>(source) + 1);
    if (destination >= 0 && destination <= 9)
        m_pDevice->SetRenderState(D3DRS_DESTBLEND, static_cast<DWORD>(destination) + 1);
}

// ---------------------------------------------------------------------------------------------
// State block and snapshot

void CZN3D::CaptureStateBlock()
{
    if (m_pStateBlock)
        m_pStateBlock->Capture();
}

void CZN3D::ApplyStateBlock()
{
    if (m_pStateBlock)
        m_pStateBlock->Apply();
}

void CZN3D::PushState()
{
    if (!m_pSnapshot) {
        m_pSnapshot = new (std::nothrow) ZN3DSTATESNAPSHOT{};
        if (!m_pSnapshot)
            return;
    }
    m_pSnapshot->TargetWindow = m_TargetWindow;
    m_pSnapshot->Viewport = {};
    if (m_pDevice)
        m_pDevice->GetViewport(&m_pSnapshot->Viewport);
    m_pSnapshot->DefaultLighting = m_DefaultLighting;
    m_pSnapshot->Camera = m_Camera;
}

void CZN3D::PopState()
{
    if (!m_pSnapshot)
        return;
    m_TargetWindow = m_pSnapshot->TargetWindow;
    SetupViewport(nullptr);
    m_Camera = m_pSnapshot->Camera;
    m_Camera.UpdateViewMatrix();
    SetDefaultLights();
    SetDefaultLighting(m_pSnapshot->DefaultLighting);
    if (!m_pDevice)
        return;
    const BOOL on = m_pSnapshot->DefaultLighting ? TRUE : FALSE;
    m_pDevice->LightEnable(0, on);
    m_pDevice->LightEnable(1, on);
    m_pDevice->SetRenderState(D3DRS_AMBIENT, on ? kDefaultAmbient : m_SceneAmbient);
}

// ---------------------------------------------------------------------------------------------
// Labels and formats

void CZN3D::CreateFont(int small)
{
    ReleaseFont();
    if (!m_pDevice)
        return;
    LOGFONT logFont = {};
    // Tahoma when the system has it; the drawing layer falls back to the sans-serif font.
    std::strncpy(logFont.lfFaceName, "Tahoma", LF_FACESIZE - 1);
    if (small) {
        logFont.lfHeight = -10;
    } else {
        HDC dc = CreateCompatibleDC(nullptr);
        logFont.lfHeight = -MulDiv(16, dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96, 72);
        if (dc)
            DeleteDC(dc);
    }
    if (FAILED(D3DXCreateFontIndirect(m_pDevice, &logFont, &m_pFont)))
        m_pFont = nullptr;
}

void CZN3D::ReleaseFont()
{
    if (m_pFont) {
        m_pFont->Release();
        m_pFont = nullptr;
    }
}

void CZN3D::DrawText3D(const D3DXVECTOR3 *point, const char *text, D3DCOLOR colour)
{
    if (!m_pDevice || !point || !text)
        return;
    D3DXVECTOR3 d = m_Camera.GetPosition() - *point;
    if (D3DXVec3Length(&d) > kLabelDistance)
        return;
    D3DXVECTOR3 direction;
    D3DXVec3Normalize(&direction, &d);
    // Only points in front of the camera get a label.
    if (!(D3DXVec3Dot(&direction, &m_Camera.GetLook()) < 0.0f))
        return;

    D3DXMATRIX view, projection, m;
    m_pDevice->GetTransform(D3DTS_VIEW, &view);
    m_pDevice->GetTransform(D3DTS_PROJECTION, &projection);
    D3DXMatrixMultiply(&m, &view, &projection);
    D3DXVECTOR3 screen;
    D3DXVec3TransformCoord(&screen, point, &m);
    D3DVIEWPORT9 viewport = {};
    m_pDevice->GetViewport(&viewport);
    RECT rect;
    rect.left = static_cast<LONG>((screen.x + 1.0f) * static_cast<float>(viewport.Width) * 0.5f);
    rect.top = static_cast<LONG>((0.5f - screen.y * 0.5f) * static_cast<float>(viewport.Height));
    rect.right = 1600;
    rect.bottom = 2350;

    DWORD fog = FALSE;
    m_pDevice->GetRenderState(D3DRS_FOGENABLE, &fog);
    m_pDevice->SetRenderState(D3DRS_FOGENABLE, FALSE);
    if (m_pFont)
        m_pFont->DrawTextA(text, -1, &rect, 0, colour);
    m_pDevice->SetRenderState(D3DRS_FOGENABLE, fog);
}

D3DFORMAT CZN3D::FindTextureFormat(int alpha)
{
    if (!m_pD3D || !m_pDevice)
        return D3DFMT_UNKNOWN;
    D3DDISPLAYMODE mode = {};
    if (FAILED(m_pDevice->GetDisplayMode(0, &mode)))
        return D3DFMT_UNKNOWN;
    static const D3DFORMAT kAlphaFormats[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5};
    static const D3DFORMAT kPlainFormats[] = {D3DFMT_R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                                              D3DFMT_X4R4G4B4};
    const D3DFORMAT *formats = alpha ? kAlphaFormats : kPlainFormats;
    const size_t count = alpha ? std::size(kAlphaFormats) : std::size(kPlainFormats);
    for (size_t i = 0; i < count; ++i) {
        if (SUCCEEDED(m_pD3D->CheckDeviceFormat(m_Adapter.Ordinal, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE,
                                                formats[i])))
            return formats[i];
    }
    return D3DFMT_UNKNOWN;
}

// ---------------------------------------------------------------------------------------------
// Materials

void CZN3D::BuildBuiltInMaterials()
{
    struct BuiltIn {
        const char *name;
        D3DCOLORVALUE emissive;
    };
    static const BuiltIn kBuiltIns[] = {
        {"Default (White)", {0.0f, 0.0f, 0.0f, 0.0f}}, {"Emissive Red", {1.0f, 0.0f, 0.0f, 0.5f}},
        {"Emissive Yellow", {1.0f, 1.0f, 0.0f, 1.0f}}, {"Emissive Cyan", {0.0f, 1.0f, 1.0f, 1.0f}},
        {"Emissive Green", {0.0f, 0.7f, 0.0f, 1.0f}},
    };
    constexpr WORD kCount = static_cast<WORD>(std::size(kBuiltIns));
    for (WORD i = 0; i < kCount; ++i) {
        D3DMATERIAL9 &m = m_BuiltInMaterials[i];
        m = {};
        m.Diffuse = {1.0f, 1.0f, 1.0f, 0.5f};
        m.Ambient = {1.0f, 1.0f, 1.0f, 0.5f};
        m.Emissive = kBuiltIns[i].emissive;
    }
    m_BuiltInMaterialCount = kCount;
    SetDefaultMaterial(0);
    for (WORD i = 0; i < kCount; ++i) {
        int index = AddMaterial();
        if (CZNMATERIAL *record = index >= 0 ? GetMaterialRecord(static_cast<DWORD>(index)) : nullptr) {
            record->SetD3DMaterial(&m_BuiltInMaterials[i]);
            record->SetName(kBuiltIns[i].name);
        }
        // The wrapper's own emissive values draw in the pure emissive colour.
        if (i > 0) {
            D3DMATERIAL9 &m = m_BuiltInMaterials[i];
            m.Diffuse.r = m.Diffuse.g = m.Diffuse.b = 0.0f;
            m.Ambient.r = m.Ambient.g = m.Ambient.b = 0.0f;
        }
    }
}

const D3DMATERIAL9 *CZN3D::GetBuiltInMaterial(DWORD index) const
{
    return index < m_BuiltInMaterialCount ? &m_BuiltInMaterials[index] : nullptr;
}

void CZN3D::SetDefaultMaterial(DWORD index)
{
    if (m_pDevice && index < static_cast<DWORD>(kMaxBuiltInMaterials))
        m_pDevice->SetMaterial(&m_BuiltInMaterials[index]);
}

void CZN3D::SetMaterial(const D3DMATERIAL9 *material)
{
    if (m_pDevice && material)
        m_pDevice->SetMaterial(material);
}

void CZN3D::GetMaterial(D3DMATERIAL9 *material)
{
    if (m_pDevice && material)
        m_pDevice->GetMaterial(material);
}

int CZN3D::AddMaterial()
{
    CZNMATERIAL *material = new (std::nothrow) CZNMATERIAL;
    if (!material)
        return -1;
    DWORD count = m_MaterialList.GetElementCount();
    if (m_MaterialList.AddElement(material) != count + 1) {
        delete material;
        return -1;
    }
    return static_cast<int>(count);
}

CZNMATERIAL *CZN3D::GetMaterialRecord(DWORD index) const
{
    return static_cast<CZNMATERIAL *>(m_MaterialList.GetElement(index));
}

DWORD CZN3D::TrimMaterialList()
{
    const DWORD count = m_MaterialList.GetElementCount();
    for (DWORD i = m_BuiltInMaterialCount; i < count; ++i)
        delete GetMaterialRecord(i);
    CutMaterialList(m_BuiltInMaterialCount);
    return m_MaterialList.GetElementCount();
}

std::vector<CZNMATERIAL *> CZN3D::TakeMaterials(DWORD first)
{
    std::vector<CZNMATERIAL *> taken;
    for (DWORD i = first; i < m_MaterialList.GetElementCount(); ++i)
        taken.push_back(GetMaterialRecord(i));
    CutMaterialList(first);
    return taken;
}

void CZN3D::PutBackMaterials(const std::vector<CZNMATERIAL *> &records)
{
    for (CZNMATERIAL *record : records)
        if (!m_MaterialList.AddElement(record))
            delete record;
}

void CZN3D::CutMaterialList(DWORD count)
{
    if (count >= m_MaterialList.GetElementCount())
        return;
    // Emptying keeps the block: the records before count go back into their own places.
    void **records = m_MaterialList.GetElements();
    m_MaterialList.EmptyContainer();
    for (DWORD i = 0; i < count; ++i)
        m_MaterialList.AddElement(records[i]);
}

// ---------------------------------------------------------------------------------------------
// Lights

void CZN3D::SetKindArrayCapacity(WORD capacity)
{
    BYTE *kinds = new BYTE[capacity]();
    if (m_pLightKinds)
        std::memcpy(kinds, m_pLightKinds, m_SceneLightCount < capacity ? m_SceneLightCount : capacity);
    delete[] m_pLightKinds;
    m_pLightKinds = kinds;
    m_LightKindCapacity = capacity;
}

void CZN3D::DeleteLights()
{
    for (DWORD i = 0; i < m_LightList.GetElementCount(); ++i)
        delete static_cast<D3DLIGHT9 *>(m_LightList.GetElement(i));
    m_LightList.EmptyContainer();
}

void CZN3D::SetDefaultLights()
{
    for (DWORD i = 0; i < 2; ++i) {
        D3DLIGHT9 *light = static_cast<D3DLIGHT9 *>(m_LightList.GetElement(i));
        if (!light) {
            light = new D3DLIGHT9;
            if (m_LightList.GetElementCount() > i)
                m_LightList.SetElement(i, light);
            else
                m_LightList.AddElement(light);
        }
        *light = DefaultLight(static_cast<int>(i));
        if (m_pDevice)
            m_pDevice->SetLight(i, light);
    }
}

const D3DLIGHT9 *CZN3D::GetLightRecord(DWORD entry) const
{
    return static_cast<const D3DLIGHT9 *>(m_LightList.GetElement(entry));
}

BYTE CZN3D::GetLightKind(WORD slot) const
{
    return slot < m_SceneLightCount && m_pLightKinds ? m_pLightKinds[slot] : 0;
}

WORD CZN3D::AddLight(const D3DLIGHT9 *light)
{
    if (!light)
        return 0;
    // Entries 0 and 1 belong to the default lights; scene slots follow them.
    if (m_LightList.GetElementCount() < 2)
        SetDefaultLights();
    D3DLIGHT9 *record = new D3DLIGHT9(*light);

    WORD slot = m_SceneLightCount;
    for (WORD i = 0; i < m_SceneLightCount; ++i) {
        if (m_pLightKinds[i] == 0) {
            slot = i;
            break;
        }
    }
    if (slot < m_SceneLightCount) {
        delete static_cast<D3DLIGHT9 *>(m_LightList.GetElement(slot + 2u));
        m_LightList.SetElement(slot + 2u, record);
    } else {
        ++m_SceneLightCount;
        if (m_SceneLightCount >= m_LightKindCapacity)
            SetKindArrayCapacity(static_cast<WORD>(m_LightKindCapacity + 3));
        slot = static_cast<WORD>(m_SceneLightCount - 1);
        m_LightList.AddElement(record);
    }
    m_LightSlot = slot;

    if (m_pDevice) {
        m_pDevice->SetLight(slot + 2u, record);
        m_pDevice->LightEnable(slot + 2u, m_DefaultLighting ? FALSE : TRUE);
    }
    m_pLightKinds[slot] = m_DefaultLighting ? 2 : 1;
    return slot;
}

void CZN3D::RemoveLight(WORD slot)
{
    if (slot >= m_SceneLightCount)
        return;
    if (m_pDevice)
        m_pDevice->LightEnable(slot + 2u, FALSE);
    m_pLightKinds[slot] = 0;
    delete static_cast<D3DLIGHT9 *>(m_LightList.GetElement(slot + 2u));
    m_LightList.SetElement(slot + 2u, nullptr);
}

void CZN3D::SetLight(WORD slot, const D3DLIGHT9 *light)
{
    if (!light || slot >= m_SceneLightCount)
        return;
    if (m_pDevice)
        m_pDevice->SetLight(slot + 2u, light);
    delete static_cast<D3DLIGHT9 *>(m_LightList.GetElement(slot + 2u));
    m_LightList.SetElement(slot + 2u, new D3DLIGHT9(*light));
}

void CZN3D::SetLightPosition(WORD slot, const D3DXVECTOR3 *position, const D3DXVECTOR3 *direction)
{
    if (slot >= m_SceneLightCount)
        return;
    D3DLIGHT9 *record = static_cast<D3DLIGHT9 *>(m_LightList.GetElement(slot + 2u));
    if (!record)
        return;
    if (position)
        record->Position = *position;
    if (direction)
        record->Direction = *direction;
    if (m_pDevice)
        m_pDevice->SetLight(slot + 2u, record);
}

void CZN3D::SetDefaultLighting(DWORD on)
{
    if (m_DefaultLighting == on)
        return;
    if (on) {
        for (WORD i = 0; i < m_SceneLightCount; ++i) {
            if (m_pLightKinds[i] == 1) {
                m_pLightKinds[i] = 2;
                if (m_pDevice)
                    m_pDevice->LightEnable(i + 2u, FALSE);
            }
        }
        if (m_pDevice) {
            m_pDevice->SetRenderState(D3DRS_AMBIENT, kDefaultAmbient);
            m_pDevice->LightEnable(0, TRUE);
            m_pDevice->LightEnable(1, TRUE);
        }
        m_DefaultLighting = on;
    } else {
        if (m_pDevice) {
            m_pDevice->LightEnable(0, FALSE);
            m_pDevice->LightEnable(1, FALSE);
        }
        for (WORD i = 0; i < m_SceneLightCount; ++i) {
            if (m_pLightKinds[i] == 2) {
                m_pLightKinds[i] = 1;
                if (m_pDevice)
                    m_pDevice->LightEnable(i + 2u, TRUE);
            }
        }
        if (m_pDevice)
            m_pDevice->SetRenderState(D3DRS_AMBIENT, m_SceneAmbient);
        m_DefaultLighting = 0;
    }
}

void CZN3D::SetAmbientLight(D3DCOLOR colour)
{
    m_SceneAmbient = colour;
    if (m_pDevice)
        m_pDevice->SetRenderState(D3DRS_AMBIENT, colour);
}

// ---------------------------------------------------------------------------------------------
// Capture

CZNImage *CZN3D::CaptureToImage()
{
    if (m_CaptureDC || !m_pDevice)
        return nullptr;
    D3DVIEWPORT9 viewport = {};
    if (FAILED(m_pDevice->GetViewport(&viewport)) || viewport.Width == 0 || viewport.Height == 0)
        return nullptr;
    const DWORD width = viewport.Width, height = viewport.Height;
    const RECT rect = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};

    IDirect3DSurface9 *backBuffer = nullptr;
    if (FAILED(m_pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) || !backBuffer)
        return nullptr;
    IDirect3DSurface9 *copy = nullptr;
    if (FAILED(m_pDevice->CreateOffscreenPlainSurface(width, height, D3DFMT_R8G8B8, D3DPOOL_SCRATCH, &copy, nullptr)) ||
        !copy) {
        backBuffer->Release();
        return nullptr;
    }
    const HRESULT loaded =
        D3DXLoadSurfaceFromSurface(copy, nullptr, &rect, backBuffer, nullptr, &rect, D3DX_FILTER_POINT, 0);
    backBuffer->Release();
    if (FAILED(loaded)) {
        copy->Release();
        return nullptr;
    }

    D3DLOCKED_RECT locked = {};
    if (FAILED(copy->LockRect(&locked, &rect, D3DLOCK_READONLY | D3DLOCK_NO_DIRTY_UPDATE))) {
        copy->Release();
        return nullptr;
    }
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    BYTE *buffer = locked.pBits ? new (std::nothrow) BYTE[rowBytes * height] : nullptr;
    if (buffer) {
        const BYTE *source = static_cast<const BYTE *>(locked.pBits);
        for (DWORD y = 0; y < height; ++y)
            std::memcpy(buffer + y * rowBytes, source + static_cast<ptrdiff_t>(y) * locked.Pitch, rowBytes);
    }
    copy->UnlockRect();
    copy->Release();
    if (!buffer)
        return nullptr;

    // The rows are blue, green, red, top row first.
    _RAWOPTIONS options = ZnBgrRawOptions(width, height, false);
    CZNImage *image = new (std::nothrow) CZNImage;
    CZNMemoryStreamIO stream(buffer, static_cast<DWORD>(rowBytes * height), ZNSTREAM_READ, false);
    if (image && (!stream.IsOpen() || !image->LoadRawImage(stream, options))) {
        delete image;
        image = nullptr;
    }
    stream.Close();
    delete[] buffer;
    return image;
}

HDC CZN3D::CaptureToBitmap()
{
    CZNImage *image = CaptureToImage();
    if (!image)
        return nullptr;
    const DWORD width = image->GetWidth(), height = image->GetHeight();
    const DWORD pitch = CZNImage::TransformDIBBpl(width, 24);
    _RAWOPTIONS options = ZnBgrRawOptions(width, height, false);
    options.RowPadding = pitch - 3 * width; // rows padded to 4 bytes
    options.BottomUp = true;
    DWORD size = 0;
    BYTE *raw = image->CompileRawData(options, size, nullptr);
    delete image;
    if (!raw)
        return nullptr;

    m_CaptureDC = CreateCompatibleDC(nullptr);
    if (!m_CaptureDC) {
        delete[] raw;
        return nullptr;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = pitch * height;
    info.bmiHeader.biXPelsPerMeter = 2835;
    info.bmiHeader.biYPelsPerMeter = 2835;
    void *bits = nullptr;
    m_CaptureBitmap = CreateDIBSection(m_CaptureDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_CaptureBitmap || !bits) {
        if (m_CaptureBitmap)
            DeleteObject(static_cast<HGDIOBJ>(m_CaptureBitmap));
        m_CaptureBitmap = nullptr;
        DeleteDC(m_CaptureDC);
        m_CaptureDC = nullptr;
        delete[] raw;
        return nullptr;
    }
    std::memcpy(bits, raw, size < pitch * height ? size : pitch * height);
    delete[] raw;
    m_CaptureOldBitmap = SelectObject(m_CaptureDC, static_cast<HGDIOBJ>(m_CaptureBitmap));
    return m_CaptureDC;
}

void CZN3D::ReleaseCapture()
{
    if (!m_CaptureDC)
        return;
    SelectObject(m_CaptureDC, m_CaptureOldBitmap);
    DeleteObject(static_cast<HGDIOBJ>(m_CaptureBitmap));
    DeleteDC(m_CaptureDC);
    m_CaptureDC = nullptr;
    m_CaptureOldBitmap = nullptr;
    m_CaptureBitmap = nullptr;
}
