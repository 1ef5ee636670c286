#pragma once

// CZN2DView: an orthographic editing view of two world axes ("Top", "Right", "Front"), with its
// own centre and zoom. It maps world positions to view pixels (every 2D drawing and picking
// routine of the scene objects goes through WorldToScreen), paints background, grid, axes, the
// document's 3D-cursor crosshair, the scene, the selection band and the camera
// with a drawing context, and turns plain
// mouse and key input (MK_ flags, client pixels, key flags) into crosshair drags, pans and zooms.
// It owns its back buffer (a memory context and its bitmap, re-created on a size change); its
// window is borrowed and may be null, in which case painting and cursor calls do nothing. Setters
// store what they are given; the mapping never fails; a missing document or window ends a call
// quietly.
#include <memory>

#include "platform/export.h"
#include "platform/gdi/gdi_types.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/command_ids.h"
#include "platform/os/point.h"
#include "platform/os/win_types.h"
#include "render/view/view.h"

class IZNViewWindow;
class CZNEntity;
class CZNOverlay;
class ZNBRUSH;
struct ZNBBOX;

// View types: which world axes a view shows.
enum ZN2DVIEWTYPE : WORD {
    ZN2DVIEW_TOP = 0,   // u = x, v = -z
    ZN2DVIEW_RIGHT = 1, // u = z, v = -y
    ZN2DVIEW_FRONT = 2, // u = x, v = -y
};

// Right-button modes of the 2D views (the application's right-button mode).
constexpr int32_t ZNRBUTTON_PAN = ZNCMD_RBUTTON_PAN;
constexpr int32_t ZNRBUTTON_ZOOM = ZNCMD_RBUTTON_ZOOM;

class ZN_API CZN2DView : public CZNView
{
public:
    static constexpr float kMinZoom = 0.1f;
    static constexpr float kMaxZoom = 25.0f;

    CZN2DView();
    ~CZN2DView() override;
    CZN2DView(const CZN2DView &) = delete;
    CZN2DView &operator=(const CZN2DView &) = delete;

    // Types other than Top and Right show the Front axes.
    void SetViewType(WORD type) { m_ViewType = type; }
    // The label drawn in the corner; the text must outlive the view.
    void SetName(const char *name) { m_Name = name; }
    const char *GetName() const { return m_Name; }

    // The window painted into and asked for the mouse; not owned, may be null.
    void SetWindow(IZNViewWindow *window) { m_Window = window; }
    IZNViewWindow *GetWindow() const { return m_Window; }

    // The client size is read from the window at every paint; without a window it stays as set.
    void SetClientSize(int width, int height)
    {
        m_ClientWidth = width;
        m_ClientHeight = height;
    }
    int GetClientWidth() const { return m_ClientWidth; }
    int GetClientHeight() const { return m_ClientHeight; }

    // The view-space point (u to the right, v downwards) shown at the middle of the client area.
    void SetCentre(float u, float v) { m_Centre = D3DXVECTOR2(u, v); }
    D3DXVECTOR2 GetCentre() const { return m_Centre; }

    // Pixels per world unit.
    void SetZoom(float zoom) { m_Zoom = zoom; }
    float GetZoom() const { return m_Zoom; }

    // The view-space coordinates (u, v) of a world position.
    D3DXVECTOR2 WorldToView(const D3DXVECTOR3 &p) const;
    // The pixel of a world position: (u - centre) * zoom + half the client size, truncated toward
    // zero. Pixels beyond +-2^30 (and NaN, as 0) are held there, so that any position converts.
    POINT *WorldToScreen(POINT *out, const D3DXVECTOR3 *p) const;
    // The same for one horizontal view coordinate, and for one world coordinate on the vertical
    // axis (negated on the way).
    LONG WorldToScreenX(float u) const;
    LONG WorldToScreenY(float w) const;
    // The world point under a pixel; its depth is the document's 3D cursor's (when asked and a
    // document exists) or 0. Returns out.
    D3DXVECTOR3 *ScreenToWorld(D3DXVECTOR3 *out, float x, float y, BOOL depthFromCursor) const;
    // World axis indices (0 x, 1 y, 2 z) shown horizontally and vertically, and the depth axis.
    int GetHorizontalAxis() const;
    int GetVerticalAxis() const;
    int GetDepthAxis() const;

    // Centres on the box and, with zoomToo, zooms so that it fills the client area; a client area
    // without width or height only re-centres. No repaint.
    void ZoomToBox(const ZNBBOX *box, BOOL zoomToo);
    // After a camera move: keeps the camera in view or centred as the options say, and repaints.
    void FollowCamera();
    // A full paint into the window now; fastAllowed lets detail brushes be boxes with the 2D fast
    // draw option.
    void Redraw(BOOL fastAllowed);
    // The back buffer copied to the window with the camera on top (once start-up has finished).
    void QuickRefresh();

    // Window events.
    void OnInitialUpdate();
    void OnActivateView(BOOL activate);
    BOOL IsActive() const { return m_Active; }
    // Re-creates the back buffer when the size changed.
    void OnSize(UINT type, int cx, int cy);
    // Zooms about the view centre by whole notches of 120; always TRUE.
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point) { OnLButtonDown(flags, point); }
    void OnLButtonUp(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonDblClk(UINT flags, CPoint point) { OnRButtonDown(flags, point); }
    void OnRButtonUp(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    // Only the space bar counts; auto-repeats are ignored.
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnKeyUp(UINT key, UINT repeat, UINT flags);

    // Painting.
    void OnDraw(CDC *dc);
    // Lines at every multiple of the grid size, every tenth stronger, minor ones only above zoom
    // 0.4, then the world axes. Sizes that do not give a finite spacing of at least 0.01 pixel
    // draw the axes only.
    void DrawGrid(CDC *dc, float gridSize);
    void DrawCursor(CDC *dc);
    void DrawScene(CDC *dc);
    // The entity pass of a paint over a list linked by m_Next: an entity owning a light is drawn
    // with the lights-in-2D option on, any other with the entities-in-2D option on.
    void DrawEntities(CDC *dc, CZNEntity *first);
    // Whether the box's projection touches the back buffer; a box one pixel thin counts.
    BOOL IsBoxVisible(const ZNBBOX *box) const;

    // The placement click of overlay mode: a new overlay of the document at the snapped click
    // (depth from the 3D cursor) with the default overlay's face flag and auto rebuild, named
    // "OverlayNN" with the first free number; then back to select mode and every view redrawn.
    void AddOverlay(int x, int y);
    // The placement click of entity mode: a new entity of the active entity plug-in at the
    // snapped click (depth from the 3D cursor), then back to select mode, every view redrawn and
    // one "Add Entity" undo level. Nothing without a document or an active plug-in.
    void AddEntity(int x, int y);
    // Grabs the crosshair lines within 2 pixels of the press (bits 1 x, 2 y, 4 z).
    BOOL HitTestCursor(UINT flags, int x, int y);
    // Places a primitive of the active plug-in at the snapped click: six grid units a side, named
    // from the plug-in, one "Add Primitive" undo level; a null or invalid brush leaves nothing.
    void AddPrimitive(int x, int y);
    // Imports the prefab manager's current prefab centred on the snapped click, as one "Import
    // Objects" undo level; then back to select mode and every view redrawn. Nothing without a
    // current prefab.
    void PlacePrefab(int x, int y);
    // The select click (2d_view_select.cpp): every object, face or vertex of the edit mode under
    // the pixel is listed; the same list as the last click of its kind moves the selection on
    // to its next hit, another starts again at its first. 1 when something was selected.
    int PickSelect(int x, int y, UINT append);
    // The cursor for the band's handle under the point, else for the crosshair lines under it.
    void UpdateCursor(UINT flags, CPoint point);
    void SetCursorOverAxes(UINT flags, int x, int y);

    BYTE GetAxisGrabMask() const { return m_AxisGrabMask; }
    POINT GetLastCursor() const { return m_LastCursor; }
    int GetCursorId() const { return m_CursorId; }
    int IsFastPaint() const { return m_FastPaint; }
    int IsFastPainted() const { return m_FastPainted; }
    int GetBackBufferWidth() const { return m_BackBufferWidth; }
    int GetBackBufferHeight() const { return m_BackBufferHeight; }
    // The back buffer's context; null before the first sizing.
    CDC *GetBackBufferDC() const { return m_MemoryDC.get(); }
    CBitmap *GetBackBufferBitmap() const { return m_BackBufferBitmap.get(); }

    // The document's requests: repaint after an edit; follow a camera move.
    void RedrawForDocument(int flag) override { Redraw(flag); }
    void RefreshForDocument() override { FollowCamera(); }

protected:
    // The document's side (2d_view_document.cpp), each doing nothing without a document: its 3D
    // cursor point (false when there is none), its first brush, a redraw of all its views; and
    // the selection band.
    static bool GetDocumentCursorPoint(D3DXVECTOR3 *point);
    static void SetDocumentCursorPoint(const D3DXVECTOR3 &point);
    static ZNBRUSH *DocumentBrushes();
    static CZNOverlay *DocumentOverlays();
    static CZNEntity *DocumentEntities();
    static void RedrawDocumentViews();
    // The application's selection band drawn into dc over this view's picture.
    void DrawSelectionBand(CDC *dc);
    // A mouse move handed to the selection band (2d_view_select.cpp).
    void DragSelectionBand(UINT flags, CPoint point);
    // A view going away stops being the band's rubber-band view.
    void ForgetSelectionBand();

    void ReadClientSize();
    void ReleaseBackBuffer();
    void DrawBrushes(CDC *dc, CPen *unselected, CPen *selected, bool boxesAllowed);
    // Every visible overlay that is not hidden: all its faces, in the selected pen when the
    // overlay is selected (brush, face and vertex modes); or its box and unselected faces in the
    // first pen, then its selected faces in the second (overlay mode).
    void DrawOverlays(CDC *dc, CPen *unselected, CPen *selected, bool overlayMode);
    void DrawVertexHints(CPoint point);
    void DragCursorPoint(int x, int y);
    void DragView(POINT screen);
    void WrapCursor(POINT screen);
    void SetCursorId(int id);

    BOOL m_Active;
    int m_ClientWidth;
    int m_ClientHeight;
    int m_BackBufferWidth;
    int m_BackBufferHeight;
    const char *m_Name;
    CBrush *m_BackgroundBrush;
    D3DXVECTOR2 m_Centre; // view space
    float m_Zoom;
    POINT m_LastCursor; // desktop pixels
    std::unique_ptr<CBitmap> m_BackBufferBitmap;
    CBitmap *m_PreviousBitmap;
    std::unique_ptr<CDC> m_MemoryDC;
    BYTE m_AxisGrabMask;
    int m_FastPaint;
    int m_FastPainted;
    IZNViewWindow *m_Window;
    int m_CursorId;
};
