#pragma once

// CZNSplitterShares: the proportions of the main window's 2x2 pane grid. It keeps the share of
// the splitter's client width held by the left column and of its height held by the top row (in
// percent), sets them from the first layout and from dragged split bars, and gives the column
// width and row height for a new size. It owns nothing. A zero width or height gives a share of
// 50; sizes come out at least 1; before the first layout a resize gives nothing.
#include "platform/export.h"

class ZN_API CZNSplitterShares
{
public:
    // The first layout of a client area: column W/2 - 24 and row H/2 - 4 (at least 1 each);
    // the shares follow from them and the splitter becomes ready.
    void Initialise(int width, int height, int *columnWidth, int *rowHeight);
    // After the split bars were dragged: pane (0,0) is paneWidth x paneHeight of the client area.
    void OnSplitMoved(int width, int height, int paneWidth, int paneHeight);
    // The column width and row height that keep the shares in a client area of the new size;
    // false (and nothing written) while the splitter is not ready.
    bool OnResize(int width, int height, int *columnWidth, int *rowHeight) const;

    bool IsReady() const { return m_Ready; }
    float GetColumnShare() const { return m_ColumnShare; }
    float GetRowShare() const { return m_RowShare; }

private:
    static float Share(int part, int whole);

    float m_ColumnShare = 50.0f;
    float m_RowShare = 50.0f;
    bool m_Ready = false;
};
