#pragma once

// The handle-based drawing calls, for code that holds HDC and object handles rather than the
// context and object classes. Objects made here belong to their handle: DeleteObject and DeleteDC
// destroy them.
#include "platform/export.h"
#include "platform/gdi/gdi_types.h"

ZN_API HDC CreateCompatibleDC(HDC dc);
ZN_API BOOL DeleteDC(HDC dc);
ZN_API HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// A 24-bit DIB section; bits receives its pixel rows. usage must be DIB_RGB_COLORS; section and
// offset (a file mapping to place the rows in) must be null and 0.
ZN_API HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO *info, UINT usage, void **bits, void *section, DWORD offset);
ZN_API HPEN CreatePen(int style, int width, COLORREF color);
ZN_API HBRUSH CreateSolidBrush(COLORREF color);
ZN_API HFONT CreateFontIndirect(const LOGFONT *logFont);
ZN_API HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                        DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                        DWORD quality, DWORD pitchAndFamily, const char *faceName);
ZN_API HGDIOBJ GetStockObject(int id);
// Returns the object of the same kind the context held before, null on failure.
ZN_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Destroys an object made by the creation calls above (or frees the resources of a class object);
// stock objects are left alone. Fails for an object still selected into a context.
ZN_API BOOL DeleteObject(HGDIOBJ object);
ZN_API BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
ZN_API int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                         int srcHeight, const void *bits, const BITMAPINFO *info, UINT usage, DWORD rop);
ZN_API int GetDeviceCaps(HDC dc, int index);
// The colour (0x00BBGGRR) of a system colour index: the window background is white, the
// highlight is the application palette's (a default blue without a GUI application); 0 for the
// indices the editor does not use.
ZN_API DWORD GetSysColor(int index);
// number * numerator / denominator with a 64-bit intermediate, rounded to nearest (halves away
// from zero); -1 when denominator is 0 or the result does not fit in an int.
ZN_API int MulDiv(int number, int numerator, int denominator);
