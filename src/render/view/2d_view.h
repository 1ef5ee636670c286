#pragma once

// CZN2DView: an orthographic editing view of two world axes ("Top", "Right", "Front"), with its
// own centre and zoom. It maps world positions to view pixels (every 2D drawing and picking
// routine of the scene objects goes through WorldToScreen), paints background, grid, axes, its
// source's 3D-cursor crosshair, the source's scene and 2D overlay (the selection band) and the
// camera with a drawing context, and does the navigation of plain mouse and key input (MK_ flags,
// client pixels, key flags): crosshair drags, pans, zooms, cursor wrapping and the space key.
// Every press, release, move, key and cursor request then goes to the input installed on it,
// which selects, drags and places. It owns its back buffer (a memory context and its bitmap,
// re-created on a size change); its window, source and input are borrowed and may be null: without
// a window painting and cursor calls do nothing, without a source it paints an empty scene and has
// no crosshair, without an input only the navigation happens. Setters store what they are given;
// the mapping never fails.
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
    // The world point under a pixel; its depth is the source's 3D cursor's (when asked and the
    // view has a source) or 0. Returns out.
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
    // The mouse and keys. Each does the view's own navigation, then hands the event to the input.
    // A press goes to the input, which decides whether it grabs the crosshair (HitTestCursor);
    // without an input the press grabs the crosshair lines under it.
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point) { OnLButtonDown(flags, point); }
    // The release of a crosshair drag ends it and stays with the view.
    void OnLButtonUp(UINT flags, CPoint point);
    // Stores the mouse's desktop position for a pan or zoom.
    void OnRButtonDown(UINT flags, CPoint point);
    void OnRButtonDblClk(UINT flags, CPoint point) { OnRButtonDown(flags, point); }
    // Repaints in full after a fast-painted pan or zoom.
    void OnRButtonUp(UINT flags, CPoint point);
    // Shows the position in the status bar; a crosshair drag moves the source's 3D cursor and
    // stays with the view. Otherwise the input gets the move, the cursor follows (UpdateCursor),
    // and the right button pans or zooms with the cursor wrapped at the desktop's edges, or the
    // vertex hints follow the mouse.
    void OnMouseMove(UINT flags, CPoint point);
    // The space bar (auto-repeats ignored) sets the application's space-held state, updates the
    // cursor and redraws every view; then every key goes to the input.
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

    // Grabs the crosshair lines within 2 pixels of the press (bits 1 x, 2 y, 4 z); nothing
    // without a source.
    BOOL HitTestCursor(UINT flags, int x, int y);
    // Lets go of the crosshair lines a press grabbed (what the press selected wins over them).
    void ReleaseCrosshair() { m_AxisGrabMask = 0; }
    // The cursor for the point: the input's (a handle of the selection, a placement), or without
    // an input the crosshair's.
    void UpdateCursor(UINT flags, CPoint point);
    // The cursor of the crosshair lines within 2 pixels of the point: the four-way arrow at their
    // crossing, a sizing arrow across one line, else the arrow.
    int GetCursorOverAxes(int x, int y) const;
    void SetCursorOverAxes(UINT flags, int x, int y);
    // Shows a cursor of the ZNCURSOR_ set in the window.
    void SetCursorId(int id);

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
    // The source's side, each doing nothing without a source: its 3D cursor point (false when
    // there is none), its lists (null), a redraw of all its views, and its 2D overlay drawn into
    // dc over this view's picture.
    bool GetSourceCursorPoint(D3DXVECTOR3 *point) const;
    ZNBRUSH *SourceBrushes() const;
    CZNOverlay *SourceOverlays() const;
    CZNEntity *SourceEntities() const;
    void RedrawSourceViews();
    void DrawSourceOverlay(CDC *dc);

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
    // The cursor again where the mouse is now, after the space key changed.
    void UpdateCursorAtMouse();

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
