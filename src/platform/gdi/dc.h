#pragma once

// The device context the 2D views, the dialogs and the plug-ins draw with. It draws into a 32-bit
// QImage: the bitmap selected into a memory context, or an image owned by the caller (a window's
// backing image). It keeps the pixel rules that drawings depend on: LineTo leaves out the end
// pixel, Rectangle and Ellipse leave out the right and bottom edges, gaps of styled pens and text
// boxes are painted with the background colour in OPAQUE mode.
#include <string>

#include "platform/export.h"
#include "platform/gdi/gdi_types.h"

class QImage;
class QRect;

class ZN_API CZNDC
{
public:
    CZNDC();
    ~CZNDC();
    CZNDC(const CZNDC &) = delete;
    CZNDC &operator=(const CZNDC &) = delete;

    // A memory context holding a 1 x 1 stock bitmap until a bitmap is selected; dc may be null.
    BOOL CreateCompatibleDC(CZNDC *dc);
    // A context drawing straight into surface, which must outlive it (32-bit RGB or ARGB formats).
    BOOL AttachImage(QImage *surface);
    // Releases the selected objects and the target; the context can be created again.
    BOOL DeleteDC();

    HDC GetSafeHdc() { return m_Type != Type::None ? this : nullptr; }
    static CZNDC *FromHandle(HDC dc) { return dc; }
    bool IsMemoryDC() const { return m_Type == Type::Memory; }

    // Contexts handed out as handles by CreateCompatibleDC(HDC) are owned by the handle: DeleteDC(handle)
    // destroys them.
    void SetOwnedByHandle() { m_OwnedByHandle = true; }
    bool IsOwnedByHandle() const { return m_OwnedByHandle; }

    // Selection: each returns the object of the same kind the context held before, or null when the
    // object cannot be selected (not created; a bitmap already in another context or a bitmap for a
    // context that is not a memory context).
    CZNPen *SelectObject(CZNPen *pen);
    CZNBrush *SelectObject(CZNBrush *brush);
    CZNFont *SelectObject(CZNFont *font);
    CZNBitmap *SelectObject(CZNBitmap *bitmap);
    CZNGdiObject *SelectObject(CZNGdiObject *object);
    CZNGdiObject *SelectStockObject(int id);
    CZNPen *GetCurrentPen() const { return m_Pen; }
    CZNBrush *GetCurrentBrush() const { return m_Brush; }
    CZNFont *GetCurrentFont() const { return m_Font; }
    CZNBitmap *GetCurrentBitmap() const { return m_Bitmap; }

    // Lines with the current pen from the current position; the end pixel is not drawn.
    POINT MoveTo(int x, int y);
    POINT MoveTo(POINT point) { return MoveTo(point.x, point.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT point) { return LineTo(point.x, point.y); }
    POINT GetCurrentPosition() const { return m_Position; }

    // Outlined with the current pen and filled with the current brush, covering the pixels from
    // left/top up to but not including right/bottom. Without a pen the filled area is one pixel
    // narrower and lower still.
    BOOL Rectangle(int left, int top, int right, int bottom);
    BOOL Rectangle(const RECT *rect);
    BOOL Ellipse(int left, int top, int right, int bottom);
    BOOL Ellipse(const RECT *rect);
    // Fills the pixels from left/top up to but not including right/bottom.
    void FillRect(const RECT *rect, CZNBrush *brush);
    // The dotted frame of a focused item: every other pixel of the rectangle's one-pixel border
    // (left/top up to but not including right/bottom) is inverted, so a second call removes it.
    void DrawFocusRect(const RECT *rect);

    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const { return m_TextColor; }
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const { return m_BkColor; }
    int SetBkMode(int mode);
    int GetBkMode() const { return m_BkMode; }

    // Text in the current font and text colour with its top-left corner at (x, y); in OPAQUE mode
    // the text box is first filled with the background colour. Characters are Latin-1. A negative
    // count means the text runs to its terminating zero.
    BOOL TextOut(int x, int y, const char *text, int count);
    BOOL TextOut(int x, int y, const std::string &text) { return TextOut(x, y, text.data(), int(text.size())); }
    // Width and height of the text box.
    SIZE GetTextExtent(const char *text, int count) const;
    SIZE GetTextExtent(const std::string &text) const { return GetTextExtent(text.data(), int(text.size())); }
    // Text placed in a rectangle (DT_LEFT/DT_CENTER/DT_RIGHT, DT_TOP/DT_VCENTER/DT_BOTTOM with
    // DT_SINGLELINE, clipped unless DT_NOCLIP); returns the height of the text, 0 on failure.
    int DrawText(const char *text, int count, RECT *rect, UINT format);
    int DrawText(const std::string &text, RECT *rect, UINT format)
    {
        return DrawText(text.data(), int(text.size()), rect, format);
    }

    // Copies a w x h block of src at (xSrc, ySrc) to (x, y); only SRCCOPY.
    BOOL BitBlt(int x, int y, int width, int height, CZNDC *src, int xSrc, int ySrc, DWORD rop);
    // Draws a rectangle of an 8- or 24-bit device-independent bitmap, stretched to the destination
    // rectangle. For rows stored bottom-up, ySrc counts from the bottom row. Returns the number of
    // source rows, 0 on failure.
    int StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                      int srcHeight, const void *bits, const BITMAPINFO *info, UINT usage, DWORD rop);

    int GetDeviceCaps(int index) const;

    // What the context shows: the selected bitmap or the attached image, as a 32-bit image.
    QImage GetImage() const;

private:
    friend class CZNGdiObject;
    enum class Type { None, Memory, Image };

    void ObjectDestroyed(CZNGdiObject *object);
    void ReleaseObjects();
    void Track(CZNGdiObject *previous, CZNGdiObject *next);
    // Puts next in the slot of its kind, keeping the selection records; returns the previous object.
    template <class T> T *Replace(T *&slot, T *next)
    {
        T *previous = slot;
        Track(previous, next);
        slot = next;
        return previous;
    }
    QImage *BeginPaint();
    void EndPaint();
    void DrawLine(QImage &image, int x0, int y0, int x1, int y1, int &phase);
    void DrawTextLine(QImage &image, int x, int y, const char *text, int count, const QRect *clip);

    Type m_Type = Type::None;
    bool m_OwnedByHandle = false;
    QImage *m_Surface = nullptr;
    CZNPen *m_Pen = nullptr;
    CZNBrush *m_Brush = nullptr;
    CZNFont *m_Font = nullptr;
    CZNBitmap *m_Bitmap = nullptr;
    POINT m_Position{0, 0};
    int m_StylePhase = 0;
    COLORREF m_TextColor = 0;
    COLORREF m_BkColor = 0x00FFFFFF;
    int m_BkMode = OPAQUE;
};
