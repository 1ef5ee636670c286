#include "platform/gdi/gdi_api.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include <QGuiApplication>
#include <QPalette>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/font.h"
#include "platform/gdi/pen.h"

namespace
{

// Hands a freshly created object out as a handle owned by that handle.
template <typename T> T *Release(std::unique_ptr<T> object, BOOL created)
{
    if (!created)
        return nullptr;
    object->SetOwnedByHandle();
    return object.release();
}

} // namespace

HDC CreateCompatibleDC(HDC dc)
{
    auto context = std::make_unique<CZNDC>();
    if (!context->CreateCompatibleDC(dc))
        return nullptr;
    context->SetOwnedByHandle();
    return context.release();
}

BOOL DeleteDC(HDC dc)
{
    if (!dc)
        return FALSE;
    if (dc->IsOwnedByHandle()) {
        delete dc;
        return TRUE;
    }
    return dc->DeleteDC();
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height)
{
    auto bitmap = std::make_unique<CZNBitmap>();
    const BOOL created = bitmap->CreateCompatibleBitmap(dc, width, height);
    return Release(std::move(bitmap), created);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO *info, UINT usage, void **bits, void *section, DWORD offset)
{
    if (bits)
        *bits = nullptr;
    if (usage != DIB_RGB_COLORS || section || offset)
        return nullptr;
    auto bitmap = std::make_unique<CZNBitmap>();
    const BOOL created = bitmap->CreateDIBSection(info, bits);
    return Release(std::move(bitmap), created);
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    auto pen = std::make_unique<CZNPen>();
    const BOOL created = pen->CreatePen(style, width, color);
    return Release(std::move(pen), created);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto brush = std::make_unique<CZNBrush>();
    const BOOL created = brush->CreateSolidBrush(color);
    return Release(std::move(brush), created);
}

HFONT CreateFontIndirect(const LOGFONT *logFont)
{
    auto font = std::make_unique<CZNFont>();
    const BOOL created = font->CreateFontIndirect(logFont);
    return Release(std::move(font), created);
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, const char *faceName)
{
    auto font = std::make_unique<CZNFont>();
    const BOOL created = font->CreateFont(
        height, width, escapement, orientation, weight, static_cast<BYTE>(italic), static_cast<BYTE>(underline),
        static_cast<BYTE>(strikeOut), static_cast<BYTE>(charSet), static_cast<BYTE>(outPrecision),
        static_cast<BYTE>(clipPrecision), static_cast<BYTE>(quality), static_cast<BYTE>(pitchAndFamily), faceName);
    return Release(std::move(font), created);
}

HGDIOBJ GetStockObject(int id)
{
    if (CZNPen *pen = CZNPen::GetStock(id))
        return pen;
    if (CZNBrush *brush = CZNBrush::GetStock(id))
        return brush;
    return CZNFont::GetStock(id);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    return dc ? dc->SelectObject(object) : nullptr;
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (!object)
        return FALSE;
    if (object->IsStock())
        return TRUE;
    if (object->IsSelected())
        return FALSE;
    if (object->IsOwnedByHandle()) {
        delete object;
        return TRUE;
    }
    return object->DeleteObject();
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop)
{
    return dest ? dest->BitBlt(x, y, width, height, src, xSrc, ySrc, rop) : FALSE;
}

int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void *bits, const BITMAPINFO *info, UINT usage, DWORD rop)
{
    return dc ? dc->StretchDIBits(xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight, bits, info,
                                  usage, rop)
              : 0;
}

int GetDeviceCaps(HDC dc, int index)
{
    return dc ? dc->GetDeviceCaps(index) : 0;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    int64_t product = int64_t(number) * numerator;
    int64_t d = denominator;
    if (d < 0) {
        product = -product;
        d = -d;
    }
    const int64_t result = product >= 0 ? (product + d / 2) / d : -((-product + d / 2) / d);
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(result);
}

DWORD GetSysColor(int index)
{
    if (index == COLOR_WINDOW)
        return 0x00FFFFFF;
    if (index == COLOR_HIGHLIGHT) {
        if (!qGuiApp)
            return RGB(0x30, 0x8C, 0xC6);
        const QColor colour = QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
        return RGB(static_cast<BYTE>(colour.red()), static_cast<BYTE>(colour.green()),
                   static_cast<BYTE>(colour.blue()));
    }
    return 0;
}
