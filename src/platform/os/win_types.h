#pragma once

// The basic fixed-width types and small structures the editor's code is written with.
// Widths are fixed: a DWORD is 32 bits here as everywhere the files were written.
#include <cstdint>

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using FLOAT = float;
using HRESULT = int32_t;
using COLORREF = uint32_t;
using ZNQWORD = uint64_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

// One palette entry as bitmaps store it: blue, green, red, reserved.
typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;
static_assert(sizeof(RGBQUAD) == 4, "a palette entry is 4 bytes");

// Colours are 0x00BBGGRR.
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c)
{
    return static_cast<BYTE>(c & 0xFF);
}
constexpr BYTE GetGValue(COLORREF c)
{
    return static_cast<BYTE>((c >> 8) & 0xFF);
}
constexpr BYTE GetBValue(COLORREF c)
{
    return static_cast<BYTE>((c >> 16) & 0xFF);
}

constexpr WORD LOWORD(DWORD v)
{
    return static_cast<WORD>(v & 0xFFFF);
}
constexpr WORD HIWORD(DWORD v)
{
    return static_cast<WORD>((v >> 16) & 0xFFFF);
}
constexpr DWORD MAKELONG(WORD lo, WORD hi)
{
    return static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16);
}

using HANDLE = void *;

// A window the editor draws into; the shell implements it (platform/os/window.h).
class CZNWindow;
using HWND = CZNWindow *;
