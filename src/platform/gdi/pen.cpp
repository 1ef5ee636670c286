#include "platform/gdi/pen.h"

CZNPen::CZNPen(int style, int width, COLORREF color) : CZNGdiObject(Kind::Pen)
{
    CreatePen(style, width, color);
}

BOOL CZNPen::CreatePen(int style, int width, COLORREF color)
{
    if (IsCreated())
        return FALSE;
    if (style != PS_SOLID && style != PS_DASH && style != PS_DOT && style != PS_NULL)
        return FALSE;
    m_Style = style;
    m_Width = width < 1 ? 1 : width;
    m_Color = color & 0x00FFFFFF;
    MarkCreated();
    return TRUE;
}

namespace
{

struct StockPen : CZNPen {
    StockPen(int style, COLORREF color)
    {
        CreatePen(style, 1, color);
        MarkStock();
    }
};

} // namespace

CZNPen *CZNPen::GetStock(int id)
{
    // Stock objects are never destroyed: contexts may still hold them while the program exits.
    static StockPen *const white = new StockPen(PS_SOLID, RGB(255, 255, 255));
    static StockPen *const black = new StockPen(PS_SOLID, RGB(0, 0, 0));
    static StockPen *const none = new StockPen(PS_NULL, RGB(0, 0, 0));
    switch (id) {
    case WHITE_PEN:
        return white;
    case BLACK_PEN:
        return black;
    case NULL_PEN:
        return none;
    default:
        return nullptr;
    }
}
