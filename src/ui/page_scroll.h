#pragma once

// CZNPageScroll: the arithmetic of an options page's vertical scrolling, free of any widget: the
// page's fixed content height, its offset (0 or negative: how far the content is moved up) and
// the drag state of the left button.
class CZNPageScroll
{
public:
    explicit CZNPageScroll(int contentHeight) : m_ContentHeight(contentHeight) {}

    int GetContentHeight() const { return m_ContentHeight; }
    int GetOffset() const { return m_Offset; }
    // Stores the offset; returns how far the content moves (new - old).
    int SetOffset(int offset);

    void BeginDrag(int y);
    void EndDrag() { m_Dragging = false; }
    bool IsDragging() const { return m_Dragging; }
    // One move of a drag to y over a display area from displayTop to displayBottom: returns how
    // far the content moves. Content taller than the display moves with the pointer until its
    // top meets the display's top or its bottom the display's bottom; content that fits never
    // moves and keeps offset 0.
    int DragTo(int y, int displayTop, int displayBottom);

private:
    int m_ContentHeight;
    int m_Offset = 0;
    int m_LastY = 0;
    bool m_Dragging = false;
};
