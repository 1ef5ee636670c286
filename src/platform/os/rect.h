#pragma once

// CRect: a rectangle in window pixels. The right and bottom edges lie outside it, so a client
// area of w × h pixels is (0, 0, w, h).
#include "platform/os/point.h"
#include "platform/os/win_types.h"

class CRect : public RECT
{
public:
    constexpr CRect() : RECT{0, 0, 0, 0} {}
    constexpr CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    constexpr CRect(const RECT &r) : RECT(r) {}

    constexpr LONG Width() const { return right - left; }
    constexpr LONG Height() const { return bottom - top; }
    constexpr CPoint TopLeft() const { return CPoint(left, top); }
    constexpr CPoint BottomRight() const { return CPoint(right, bottom); }
    constexpr CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    constexpr bool PtInRect(const POINT &p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    constexpr void SetRect(LONG l, LONG t, LONG r, LONG b)
    {
        left = l;
        top = t;
        right = r;
        bottom = b;
    }
    constexpr void OffsetRect(LONG dx, LONG dy)
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    constexpr void InflateRect(LONG dx, LONG dy)
    {
        left -= dx;
        right += dx;
        top -= dy;
        bottom += dy;
    }
    // Swaps the edges where right < left or bottom < top, as a rubber band dragged up or left needs.
    constexpr void NormalizeRect()
    {
        if (right < left) {
            LONG t = left;
            left = right;
            right = t;
        }
        if (bottom < top) {
            LONG t = top;
            top = bottom;
            bottom = t;
        }
    }
    constexpr bool operator==(const CRect &o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
