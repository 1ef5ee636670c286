#pragma once

// Little- and big-endian fields of file formats, read from and written to byte buffers. Every
// format of the system stores little-endian fields; PSD headers are big-endian.
#include "platform/os/win_types.h"

inline WORD ZnGetU16LE(const BYTE *p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}
inline DWORD ZnGetU32LE(const BYTE *p)
{
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}
inline void ZnPutU16LE(BYTE *p, WORD value)
{
    p[0] = static_cast<BYTE>(value);
    p[1] = static_cast<BYTE>(value >> 8);
}
inline void ZnPutU32LE(BYTE *p, DWORD value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<BYTE>(value >> (8 * i));
}
inline WORD ZnGetU16BE(const BYTE *p)
{
    return static_cast<WORD>((p[0] << 8) | p[1]);
}
inline DWORD ZnGetU32BE(const BYTE *p)
{
    return (static_cast<DWORD>(p[0]) << 24) | (static_cast<DWORD>(p[1]) << 16) | (static_cast<DWORD>(p[2]) << 8) |
           static_cast<DWORD>(p[3]);
}
