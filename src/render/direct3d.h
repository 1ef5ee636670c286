#pragma once

// CZN3D: the one object through which the editor talks to the 3D device. One instance lives in
// the application object; it is started once on the 3D view's window. It owns the Direct3D object
// and device, the camera, the material list (whose positions are the material indices faces
// store; the list works with or without a device), the lights, a font for 3D labels, an all-state
// block, one state snapshot for re-targeting the device for a moment, and the objects of a
// back-buffer capture.
#include <memory>
#include <vector>

#include "platform/d3d9/d3d9_types.h"
#include "platform/export.h"
#include "platform/gdi/gdi_types.h"
#include "platform/os/win_types.h"
#include "render/camera.h"
#include "scene/container.h"

class CZNDrawBatcher;
class CZNMATERIAL;
class CZNImage;
class IDirect3D9;
class IDirect3DDevice9;
class IDirect3DBaseTexture9;
class IDirect3DStateBlock9;
class ID3DXFont;
struct ZNRENDERBATCH;

// What start-up learns of one adapter.
struct ZNADAPTERINFO {
    UINT Ordinal;
    D3DDISPLAYMODE DisplayMode;
    DWORD BehaviorFlags; // D3DCREATE_HARDWARE_VERTEXPROCESSING or D3DCREATE_SOFTWARE_VERTEXPROCESSING
    D3DFORMAT DepthFormat;
    DWORD Unusable;
    D3DCAPS9 Caps;
};

// What PushState keeps and PopState brings back. The camera is a copy of its values.
struct ZN3DSTATESNAPSHOT {
    HWND TargetWindow;
    D3DVIEWPORT9 Viewport;
    DWORD DefaultLighting;
    CZNCAMERA Camera;
};

class ZN_API CZN3D
{
public:
    static constexpr int kMaxAdapters = 20;
    static constexpr int kMaxBuiltInMaterials = 10;
    static constexpr D3DCOLOR kDefaultAmbient = 0xFF4C4C4C;

    CZN3D();
    ~CZN3D();
    CZN3D(const CZN3D &) = delete;
    CZN3D &operator=(const CZN3D &) = delete;

    // Creates the device on the window; 1 on success, 0 after reporting why it failed.
    int Initialize(HWND window);
    void Shutdown();

    IDirect3DDevice9 *GetDevice() const { return m_pDevice; }
    IDirect3D9 *GetDirect3D() const { return m_pD3D; }
    CZNCAMERA *GetCamera() { return &m_Camera; }

    void SetTargetWindow(HWND window);
    HWND GetTargetWindow() const { return m_TargetWindow; }
    // Viewport and projection for the rectangle, or for the target window's client area; the
    // viewport is cut to the back buffer, the projection keeps the rectangle's proportions.
    void SetupViewport(const RECT *rect);
    // Resizes the back buffer (at least 200 × 200) and sets the fixed states again; 0 without a
    // device or when the device cannot be reset.
    int ResetDevice(const RECT *rect);

    void SetRenderMode(DWORD mode);
    DWORD GetRenderMode() const { return m_RenderMode; }
    int SetVertexFormat(DWORD fvf, DWORD stride);
    DWORD GetVertexFormat() const { return m_VertexFormat; }
    DWORD GetVertexStride() const { return m_VertexStride; }
    void SetPrimitiveType(DWORD type) { m_PrimitiveType = type; }
    DWORD GetPrimitiveType() const { return m_PrimitiveType; }
    // Draws count vertices as primitives of the remembered type; too few vertices draw nothing.
    void DrawPrimitive(const void *vertices, DWORD count);
    // Primitives that count vertices make for a primitive type.
    static DWORD GetPrimitiveCount(DWORD type, DWORD count);
    // A triangle list of triangles * 3 16-bit indices into vertexCount vertices of the remembered
    // format; fewer than 3 vertices or no triangle draw nothing.
    void DrawIndexedTriangles(const void *vertices, DWORD vertexCount, const WORD *indices, DWORD triangles);
    void SetCullMode(DWORD mode);

    // Batching: between BeginBatch and FlushBatch, fans (DrawPrimitive with the fan type) and
    // indexed triangle lists are not drawn at once but gathered by format, material, texture,
    // cull mode and world transform, and FlushBatch draws each state's triangles with one call.
    // Other primitives are drawn at once. Without a device nothing is gathered. Triangles that the
    // cull mode plainly culls under the view and projection of BeginBatch are left out, and the
    // gathered ones are drawn with that view and projection.
    void BeginBatch();
    void FlushBatch();
    bool IsBatching() const { return m_Batching; }

    // The render batches of the 3D frame being drawn, set by the view for the frame: brushes and
    // overlays file their blended and unlit faces there to be drawn after the opaque geometry.
    // Null outside a frame, and then such faces are left out.
    void SetFrameBatches(ZNRENDERBATCH *blended, ZNRENDERBATCH *unlit)
    {
        m_BlendedBatch = blended;
        m_UnlitBatch = unlit;
    }
    ZNRENDERBATCH *GetBlendedBatch() const { return m_BlendedBatch; }
    ZNRENDERBATCH *GetUnlitBatch() const { return m_UnlitBatch; }

    void BeginScene();
    void EndScene();
    void Clear(DWORD count, const D3DRECT *rects, DWORD flags, D3DCOLOR colour, float z);
    void Present(const RECT *destination);

    void GetProjection(D3DXMATRIX *matrix);
    void SetProjection(D3DXMATRIX *matrix);
    void GetView(D3DXMATRIX *matrix);
    D3DXMATRIX *GetInverseView(D3DXMATRIX *matrix);

    // Binds the texture in render mode 4; every other mode binds none.
    void SetTexture(DWORD stage, IDirect3DBaseTexture9 *texture);
    // Blend factors by index 0 to 9 (zero, one, source colour, ...); other indices leave the
    // state as it is.
    void SetBlendMode(signed char source, signed char destination);

    void CaptureStateBlock();
    void ApplyStateBlock();
    void PushState();
    void PopState();

    void CreateFont(int small);
    void ReleaseFont();
    ID3DXFont *GetFont() const { return m_pFont; }
    // Draws a label at a point in front of the camera and no farther than 180 units from it.
    void DrawText3D(const D3DXVECTOR3 *point, const char *text, D3DCOLOR colour);
    D3DFORMAT FindTextureFormat(int alpha);

    // Materials.
    void SetDefaultMaterial(DWORD index);
    void SetMaterial(const D3DMATERIAL9 *material);
    void GetMaterial(D3DMATERIAL9 *material);
    // Appends a new record named "New Material"; its index, or -1 when it cannot be allocated.
    int AddMaterial();
    // The record at index, or null when the index is not below the count.
    CZNMATERIAL *GetMaterialRecord(DWORD index) const;
    // Deletes every record beyond the built-in ones; returns the remaining count.
    DWORD TrimMaterialList();
    // Takes the records from position first on out of the list, in order, deleting none (a
    // scene's records set aside while another scene is read).
    std::vector<CZNMATERIAL *> TakeMaterials(DWORD first);
    // Appends records taken out before, in order. Put back into a list no longer than when they
    // were taken, they fit the list's block without growing it.
    void PutBackMaterials(const std::vector<CZNMATERIAL *> &records);
    CZNCONTAINER *GetMaterialList() { return &m_MaterialList; }
    WORD GetBuiltInMaterialCount() const { return m_BuiltInMaterialCount; }
    // The wrapper's own value of a built-in material, or null.
    const D3DMATERIAL9 *GetBuiltInMaterial(DWORD index) const;

    // Lights. Scene light slot k is device light k + 2; 0 and 1 are the default lights.
    WORD AddLight(const D3DLIGHT9 *light);
    void RemoveLight(WORD slot);
    void SetLight(WORD slot, const D3DLIGHT9 *light);
    void SetLightPosition(WORD slot, const D3DXVECTOR3 *position, const D3DXVECTOR3 *direction);
    void SetDefaultLighting(DWORD on);
    DWORD IsDefaultLighting() const { return m_DefaultLighting; }
    void SetAmbientLight(D3DCOLOR colour);
    D3DCOLOR GetAmbientLight() const { return m_SceneAmbient; }
    // Light-list entry (0 and 1 the default lights, k + 2 scene slot k), or null.
    const D3DLIGHT9 *GetLightRecord(DWORD entry) const;
    // 0 free, 1 enabled, 2 present but suspended; 0 for a slot that does not exist.
    BYTE GetLightKind(WORD slot) const;
    WORD GetSceneLightCount() const { return m_SceneLightCount; }
    WORD GetLightKindCapacity() const { return m_LightKindCapacity; }

    // Back-buffer capture.
    CZNImage *CaptureToImage();
    HDC CaptureToBitmap();
    void ReleaseCapture();

    const ZNADAPTERINFO &GetAdapterInfo() const { return m_Adapter; }
    const D3DPRESENT_PARAMETERS &GetPresentParameters() const { return m_PresentParameters; }
    DWORD HasMultiTexture() const { return m_MultiTexture; }
    DWORD HasWBuffer() const { return m_WBuffer; }

private:
    int FindDepthFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT *format);
    void InitDeviceStates();
    void BuildBuiltInMaterials();
    // Drops the list's positions from count on; the records are not deleted.
    void CutMaterialList(DWORD count);
    void SetDefaultLights();
    void DeleteLights();
    void SetKindArrayCapacity(WORD capacity);
    void ClientSize(const RECT *rect, LONG *width, LONG *height) const;

    IDirect3D9 *m_pD3D;
    IDirect3DDevice9 *m_pDevice;
    DWORD m_VertexStride;
    DWORD m_VertexFormat;
    DWORD m_PrimitiveType;
    HWND m_TargetWindow;
    ID3DXFont *m_pFont;
    ZN3DSTATESNAPSHOT *m_pSnapshot;
    D3DPRESENT_PARAMETERS m_PresentParameters;
    DWORD m_RenderMode;
    DWORD m_MultiTexture;
    DWORD m_WBuffer;
    CZNCAMERA m_Camera;
    DWORD m_DefaultLighting;
    WORD m_SceneLightCount;
    WORD m_LightKindCapacity;
    WORD m_LightSlot;
    BYTE *m_pLightKinds;
    D3DCOLOR m_SceneAmbient;
    CZNCONTAINER m_LightList;
    WORD m_BuiltInMaterialCount;
    D3DMATERIAL9 m_BuiltInMaterials[kMaxBuiltInMaterials];
    CZNCONTAINER m_MaterialList;
    ZNADAPTERINFO m_Adapter;
    HDC m_CaptureDC;
    HGDIOBJ m_CaptureOldBitmap;
    HBITMAP m_CaptureBitmap;
    IDirect3DStateBlock9 *m_pStateBlock;
    std::unique_ptr<CZNDrawBatcher> m_pBatcher;
    bool m_Batching = false;
    ZNRENDERBATCH *m_BlendedBatch = nullptr;
    ZNRENDERBATCH *m_UnlitBatch = nullptr;
};
