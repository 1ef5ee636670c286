#include "ui/page_scroll.h"

int CZNPageScroll::SetOffset(int offset)
{
    const int dy = offset - m_Offset;
    m_Offset = offset;
    return dy;
}

void CZNPageScroll::BeginDrag(int y)
{
    m_LastY = y;
    m_Dragging = true;
}

int CZNPageScroll::DragTo(int y, int displayTop, int displayBottom)
{
    int dy = y - m_LastY;
    m_LastY = y;
    if (m_ContentHeight <= displayBottom - displayTop)
        return 0;
    m_Offset += dy;
    if (m_Offset > 0) {
        dy -= m_Offset;
        m_Offset = 0;
    }
    const int lowest = displayBottom - m_ContentHeight - displayTop;
    if (m_Offset < lowest) {
        dy += lowest - m_Offset;
        m_Offset = lowest;
    }
    return dy;
}
