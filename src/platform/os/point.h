#pragma once

// CPoint: a point in window pixels (x to the right, y down), as the views and tools receive mouse
// positions from the shell.
#include "platform/os/win_types.h"

class CPoint : public POINT
{
public:
    constexpr CPoint() : POINT{0, 0} {}
    constexpr CPoint(LONG px, LONG py) : POINT{px, py} {}
    constexpr CPoint(const POINT &p) : POINT(p) {}

    constexpr bool operator==(const CPoint &o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const CPoint &o) const { return !(*this == o); }
    constexpr CPoint operator+(const CPoint &o) const { return CPoint(x + o.x, y + o.y); }
    constexpr CPoint operator-(const CPoint &o) const { return CPoint(x - o.x, y - o.y); }
    constexpr CPoint &operator+=(const CPoint &o)
    {
        x += o.x;
        y += o.y;
        return *this;
    }
    constexpr CPoint &operator-=(const CPoint &o)
    {
        x -= o.x;
        y -= o.y;
        return *this;
    }
    constexpr void Offset(LONG dx, LONG dy)
    {
        x += dx;
        y += dy;
    }
};
