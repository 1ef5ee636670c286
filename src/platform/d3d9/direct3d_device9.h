#pragma once

// The rendering device. It keeps the states of the fixed-function pipeline and draws with one
// OpenGL program that reproduces it, into a framebuffer object of its own (the back buffer).
// It needs a current OpenGL 3.3 core context whenever it is called, and remembers the thread
// that made it: a call from another thread asserts in debug builds and otherwise fails with
// D3DERR_INVALIDCALL, since the context belongs to that thread.
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/fixed_function_program.h"

class IDirect3D9;
class IDirect3DSurface9;
class IDirect3DTexture9;
class IDirect3DStateBlock9;

class ZN_API IDirect3DDevice9
{
public:
    IDirect3DDevice9(const IDirect3DDevice9 &) = delete;
    IDirect3DDevice9 &operator=(const IDirect3DDevice9 &) = delete;

    ULONG AddRef();
    // When the last reference goes the device lets go of its textures; it is deleted once no
    // texture, surface or state block of it is left either.
    ULONG Release();

    HRESULT GetDirect3D(IDirect3D9 **direct3d);
    HRESULT GetDeviceCaps(D3DCAPS9 *caps);
    HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE *mode);

    // Resizes the back buffer and returns every state to its default.
    HRESULT Reset(D3DPRESENT_PARAMETERS *parameters);
    // Copies the source rectangle of the back buffer (null: all of it) to the window: the override,
    // else the device window, else the focus window. Without a window nothing happens.
    HRESULT Present(const RECT *source, const RECT *destination, HWND windowOverride, const void *dirtyRegion);
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9 **surface);

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9 **texture, HANDLE *shared);
    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DSurface9 **surface, HANDLE *shared);

    HRESULT BeginScene();
    HRESULT EndScene();
    // Clears the viewport, or the parts of the given rectangles inside it.
    HRESULT Clear(DWORD count, const D3DRECT *rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil);

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX *matrix);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX *matrix);
    HRESULT SetViewport(const D3DVIEWPORT9 *viewport);
    HRESULT GetViewport(D3DVIEWPORT9 *viewport);
    HRESULT SetMaterial(const D3DMATERIAL9 *material);
    HRESULT GetMaterial(D3DMATERIAL9 *material);
    HRESULT SetLight(DWORD index, const D3DLIGHT9 *light);
    HRESULT GetLight(DWORD index, D3DLIGHT9 *light);
    HRESULT LightEnable(DWORD index, BOOL enable);
    HRESULT GetLightEnable(DWORD index, BOOL *enable);
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD *value);
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD *value);
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD *value);
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9 *texture);
    // Adds a reference to the texture returned.
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9 **texture);
    HRESULT SetFVF(DWORD fvf);
    HRESULT GetFVF(DWORD *fvf);
    // A number that changes whenever a state is set to another value (setting the value a state
    // already has changes nothing), so that a caller may keep what it read from the states until then.
    DWORD GetStateRevision() const { return m_stateRevision; }

    // The adapter, device type, focus window and behaviour flags the device was created with.
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS *parameters) const;
    HRESULT CreateStateBlock(D3DSTATEBLOCKTYPE type, IDirect3DStateBlock9 **stateBlock);

    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void *vertices, UINT stride);
    // Indices (16 or 32 bits) must lie below minIndex + vertexCount.
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                   const void *indices, D3DFORMAT indexFormat, const void *vertices, UINT stride);

private:
    std::thread::id m_OwnerThread = std::this_thread::get_id();

    friend class IDirect3D9;
    friend class IDirect3DResource9;
    friend class IDirect3DSurface9;
    friend class IDirect3DStateBlock9;

    IDirect3DDevice9(IDirect3D9 *direct3d, UINT adapter, HWND focusWindow);
    ~IDirect3DDevice9();
    HRESULT Initialize(D3DPRESENT_PARAMETERS *parameters);
    HRESULT SetupBackBuffer(D3DPRESENT_PARAMETERS *parameters);
    void ReleaseBackBuffer();
    void ResetStates();
    void StateChanged()
    {
        m_uniformsDirty = true;
        ++m_stateRevision;
    }
    void AddResourceRef() { ++m_resourceRefs; }
    void ReleaseResourceRef();

    void GetBackBufferDesc(D3DSURFACE_DESC *desc) const;
    // Back-buffer pixels top row first, X8R8G8B8, pitch width × 4.
    bool ReadBackBuffer(std::vector<BYTE> *bits);
    void WriteBackBuffer(const std::vector<BYTE> &bits);

    // State blocks: copies of the states; the lights copied are the given indices only.
    void CopyStateTo(ZNDeviceState *state, const std::set<DWORD> &lights) const;
    void ApplyState(const ZNDeviceState &state, const std::set<DWORD> &lights);
    std::set<DWORD> LightIndices() const;

    void BindTarget();
    void ApplyRasterStates();
    void UploadUniforms();
    // The program specialised to the states of the next draw, built on first use; the general
    // program when a specialised one cannot be built.
    CZNFixedFunctionProgram *ProgramForDraw(bool pretransformed, bool hasDiffuse, bool hasSpecular);
    HRESULT Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const void *vertices, UINT vertexCount, UINT stride,
                 const void *indices, D3DFORMAT indexFormat);

    IDirect3D9 *m_direct3d;
    UINT m_adapter;
    HWND m_focusWindow;
    DWORD m_behaviorFlags = 0;
    ULONG m_refs = 1;
    ULONG m_resourceRefs = 0;
    D3DPRESENT_PARAMETERS m_parameters = {};
    bool m_inScene = false;

    ZNDeviceState m_state = {};
    bool m_uniformsDirty = true;
    DWORD m_stateRevision = 0;

    std::unique_ptr<CZNFixedFunctionProgram> m_program; // general
    std::map<CZNFixedFunctionProgram::Variant, std::unique_ptr<CZNFixedFunctionProgram>> m_variants;
    CZNFixedFunctionProgram *m_active = nullptr; // the program the uniforms were uploaded to
    unsigned int m_framebuffer = 0;
    unsigned int m_colorTexture = 0;
    unsigned int m_depthBuffer = 0;
    unsigned int m_vertexArray = 0;
    unsigned int m_vertexBuffer = 0;
    unsigned int m_indexBuffer = 0;
    size_t m_vertexCapacity = 0; // bytes of storage the streaming buffers have
    size_t m_indexCapacity = 0;
    UINT m_primitivesQueued = 0; // drawn since the last flush
};
