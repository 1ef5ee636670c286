#include "platform/gdi/brush.h"

CZNBrush::CZNBrush(COLORREF color) : CZNGdiObject(Kind::Brush)
{
    CreateSolidBrush(color);
}

BOOL CZNBrush::CreateSolidBrush(COLORREF color)
{
    if (IsCreated())
        return FALSE;
    m_Style = BS_SOLID;
    m_Color = color & 0x00FFFFFF;
    MarkCreated();
    return TRUE;
}

namespace
{

struct StockBrush : CZNBrush {
    explicit StockBrush(COLORREF color)
    {
        CreateSolidBrush(color);
        MarkStock();
    }
    StockBrush()
    {
        CreateSolidBrush(0);
        SetNull();
        MarkStock();
    }
};

} // namespace

CZNBrush *CZNBrush::GetStock(int id)
{
    // Stock objects are never destroyed: contexts may still hold them while the program exits.
    static StockBrush *const white = new StockBrush(RGB(255, 255, 255));
    static StockBrush *const lightGray = new StockBrush(RGB(192, 192, 192));
    static StockBrush *const gray = new StockBrush(RGB(128, 128, 128));
    static StockBrush *const darkGray = new StockBrush(RGB(64, 64, 64));
    static StockBrush *const black = new StockBrush(RGB(0, 0, 0));
    static StockBrush *const none = new StockBrush();
    switch (id) {
    case WHITE_BRUSH:
        return white;
    case LTGRAY_BRUSH:
        return lightGray;
    case GRAY_BRUSH:
        return gray;
    case DKGRAY_BRUSH:
        return darkGray;
    case BLACK_BRUSH:
        return black;
    case NULL_BRUSH:
        return none;
    default:
        return nullptr;
    }
}
