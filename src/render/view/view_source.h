#pragma once

// IZNViewSource: what a view shows. The views read the scene they paint, the 3D cursor, the
// render batches their frames fill and the selection band's 2D picture through it, and ask it to
// redraw or refresh every view after a change of their own. The document implements it and hands
// itself to each view it is given; a view without a source paints an empty scene.
#include "platform/export.h"
#include "platform/math/d3dx_math.h"

#include "platform/gdi/gdi_types.h"
class CZN2DView;
class CZNEntity;
class CZNOverlay;
class CZNView;
class ZNBRUSH;
struct ZNRENDERBATCH;

class ZN_API IZNViewSource
{
public:
    virtual ~IZNViewSource() = default;

    // The scene's lists, each linked by m_Next; null when empty.
    virtual ZNBRUSH *GetBrushList() const = 0;
    virtual CZNOverlay *GetOverlayList() const = 0;
    virtual CZNEntity *GetEntityList() const = 0;

    // The 3D cursor: the 2D views' crosshair and the depth at which they place things.
    virtual const D3DXVECTOR3 &GetCursorPoint() const = 0;
    virtual void SetCursorPoint(const D3DXVECTOR3 &point) = 0;

    // Blended faces, and faces drawn without lighting, filed aside during a 3D frame.
    virtual ZNRENDERBATCH &GetBlendedBatch() = 0;
    virtual ZNRENDERBATCH &GetUnlitBatch() = 0;
    virtual void EmptyRenderBatches() = 0;

    // Every view but skip (may be null) redraws; the flag asks for a quick frame.
    virtual void RedrawAllViews(CZNView *skip, int flag) = 0;
    // Every view follows a camera move.
    virtual void RefreshViews() = 0;

    // The selection band's picture over a 2D view's back buffer.
    virtual void DrawOverlay2D(CDC *dc, CZN2DView *view) = 0;
};
