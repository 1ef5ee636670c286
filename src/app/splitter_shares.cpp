#include "app/splitter_shares.h"

#include <algorithm>

float CZNSplitterShares::Share(int part, int whole)
{
    if (whole <= 0)
        return 50.0f;
    return static_cast<float>(part * 100.0 / whole);
}

void CZNSplitterShares::Initialise(int width, int height, int *columnWidth, int *rowHeight)
{
    const int column = std::max(1, width / 2 - 24);
    const int row = std::max(1, height / 2 - 4);
    if (columnWidth)
        *columnWidth = column;
    if (rowHeight)
        *rowHeight = row;
    m_Ready = true;
    m_ColumnShare = Share(column, width);
    m_RowShare = Share(row, height);
}

void CZNSplitterShares::OnSplitMoved(int width, int height, int paneWidth, int paneHeight)
{
    m_ColumnShare = Share(paneWidth, width);
    m_RowShare = Share(paneHeight, height);
}

bool CZNSplitterShares::OnResize(int width, int height, int *columnWidth, int *rowHeight) const
{
    if (!m_Ready)
        return false;
    if (columnWidth)
        *columnWidth = std::max(1, static_cast<int>(width * 0.01 * m_ColumnShare));
    if (rowHeight)
        *rowHeight = std::max(1, static_cast<int>(height * 0.01 * m_RowShare));
    return true;
}
