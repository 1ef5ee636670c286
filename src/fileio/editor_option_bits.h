#pragma once

// The flag bits of the editor-options block and the application option word each one stands
// for (word 8, the start-up flag, is never saved). Saving sets a bit when its word is non-zero;
// opening a scene sets the word to the bit.
#include "platform/os/command_ids.h"
#include "platform/os/win_types.h"

struct ZNEDITOROPTIONBIT {
    int word;
    DWORD bit;
};

inline constexpr ZNEDITOROPTIONBIT kEditorOptionBits[] = {
    {0, 0x00001000},  {1, 0x00000040},  {2, 0x00002000},  {3, 0x00010000},  {4, 0x00000400},  {5, 0x00000001},
    {6, 0x00000002},  {7, 0x00800000},  {9, 0x00020000},  {10, 0x00100000}, {11, 0x00080000}, {12, 0x00040000},
    {13, 0x00200000}, {14, 0x00400000}, {15, 0x00008000}, {16, 0x00004000}, {17, 0x00000100}, {18, 0x00000080},
    {19, 0x00000200}, {25, 0x08000000}, {24, 0x10000000},
};

// Render mode bits, tested in this order when a scene is opened (the last one set wins), with
// the render mode and the Render Mode toolbar button each stands for.
struct ZNRENDERMODEBIT {
    DWORD bit;
    DWORD mode;
    UINT button;
};

inline constexpr ZNRENDERMODEBIT kRenderModeBits[] = {
    {0x01000000, 4, ZNCMD_RENDER_TEXTURED},
    {0x00000004, 3, ZNCMD_RENDER_SOLID},
    {0x00000008, 2, ZNCMD_RENDER_WIREFRAME},
    {0x00000010, 1, ZNCMD_RENDER_POINT},
};

constexpr DWORD ZNEDOPT_DEFAULT_LIGHTING = 0x00000020;
constexpr DWORD ZNEDOPT_FLY_CAMERA = 0x02000000;
constexpr DWORD ZNEDOPT_FIRST_PERSON = 0x04000000;
