#pragma once

// A view source of the test's own in place of the document: the lists the test links, two render
// batches of its own, and counts of the redraws and refreshes the view asks for.
#include <vector>

#include "render/render_batch.h"
#include "render/view/view_source.h"

class ZnView3DSource : public IZNViewSource
{
public:
    ZNBRUSH *GetBrushList() const override { return brushes; }
    CZNOverlay *GetOverlayList() const override { return overlays; }
    CZNEntity *GetEntityList() const override { return entities; }
    const D3DXVECTOR3 &GetCursorPoint() const override { return cursor; }
    void SetCursorPoint(const D3DXVECTOR3 &point) override { cursor = point; }
    ZNRENDERBATCH &GetBlendedBatch() override { return blended; }
    ZNRENDERBATCH &GetUnlitBatch() override { return unlit; }
    void EmptyRenderBatches() override
    {
        ++empties;
        blended.Empty();
        unlit.Empty();
    }
    void RedrawAllViews(CZNView *, int flag) override { redraws.push_back(flag); }
    void RefreshViews() override { ++refreshes; }
    void DrawOverlay2D(CDC *, CZN2DView *) override {}

    ZNBRUSH *brushes = nullptr;
    CZNOverlay *overlays = nullptr;
    CZNEntity *entities = nullptr;
    D3DXVECTOR3 cursor{0, 0, 0};
    ZNRENDERBATCH blended, unlit;
    int empties = 0, refreshes = 0;
    std::vector<int> redraws; // the flag of each redraw of all views
};
