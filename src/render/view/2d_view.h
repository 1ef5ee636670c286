#pragma once

// CZN2DView: an orthographic editing view of two world axes ("Top", "Right", "Front"), with its
// own centre and zoom. This is its coordinate part: the mapping from world positions to view
// pixels that every 2D drawing and picking routine of the scene objects goes through. It owns
// nothing. Setters store what they are given; the mapping never fails.
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"
#include "render/view/view.h"

// View types: which world axes a view shows.
enum ZN2DVIEWTYPE : WORD {
    ZN2DVIEW_TOP = 0,   // u = x, v = -z
    ZN2DVIEW_RIGHT = 1, // u = z, v = -y
    ZN2DVIEW_FRONT = 2, // u = x, v = -y
};

class ZN_API CZN2DView : public CZNView
{
public:
    CZN2DView();
    ~CZN2DView() override;
    CZN2DView(const CZN2DView &) = delete;
    CZN2DView &operator=(const CZN2DView &) = delete;

    // Types other than Top and Right show the Front axes.
    void SetViewType(WORD type) { m_ViewType = type; }

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

    // The drawing and camera-following of the 2D views come with their painting; until then the
    // document's requests change nothing.
    void RedrawForDocument(int) override {}
    void RefreshForDocument() override {}

protected:
    int m_ClientWidth;
    int m_ClientHeight;
    D3DXVECTOR2 m_Centre; // view space
    float m_Zoom;
};
