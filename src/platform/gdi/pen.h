#pragma once

// A pen: line style (solid, dotted, none), width in pixels and colour.
#include "platform/gdi/gdi_object.h"

class ZN_API CZNPen : public CZNGdiObject
{
public:
    CZNPen() : CZNGdiObject(Kind::Pen) {}
    CZNPen(int style, int width, COLORREF color);

    // Styles PS_SOLID, PS_DASH, PS_DOT and PS_NULL; a width below 1 is taken as 1.
    BOOL CreatePen(int style, int width, COLORREF color);

    static CZNPen *FromHandle(HPEN pen) { return pen; }
    operator HPEN() { return IsCreated() ? this : nullptr; }

    int GetStyle() const { return m_Style; }
    int GetWidth() const { return m_Width; }
    COLORREF GetColor() const { return m_Color; }

    // The pens that exist from the start (WHITE_PEN, BLACK_PEN, NULL_PEN), null for another id.
    static CZNPen *GetStock(int id);

private:
    int m_Style = PS_SOLID;
    int m_Width = 1;
    COLORREF m_Color = 0;
};
