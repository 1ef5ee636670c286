#pragma once

// CZNPaletteSearch: the nearest entry of one palette to many colours, answering exactly as
// CZNColorQuantizer::NearestColor (least sum of absolute differences, the lower index on ties)
// without trying every entry. The distance to an entry answered for a neighbouring colour bounds
// the nearest distance d from above, and the sum of a colour's samples bounds every distance from
// below, so only entries whose sums lie within d of the colour's can be nearer; entries are kept
// sorted by sum and that window is compared at once, several entries per instruction where the
// processor can. Answers are remembered in a small table while it answers often enough. Holds its
// own copy of the colours; nothing fails.
#include <cstddef>
#include <cstdint>

#include "platform/export.h"
#include "platform/os/win_types.h"

class ZN_API CZNPaletteSearch
{
public:
    // Up to 256 entries of palette are searched (none when palette is null or count < 1).
    CZNPaletteSearch(const RGBQUAD *palette, int count);

    // Index of the nearest entry, -1 without entries.
    int Nearest(BYTE red, BYTE green, BYTE blue);
    // The nearest entry of each of count colours given as planes, into indices (which may be one
    // of the planes); nothing is written without entries. With a row length the colours are rows
    // of a picture, which speeds the search and changes no answer.
    void NearestAll(const BYTE *red, const BYTE *green, const BYTE *blue, BYTE *indices, size_t count,
                    size_t rowLength = 0);

    // What the search works on: the colours, and the entries sorted by sum as rows of samples
    // with room for two blocks of 32 past the last (copies of the last entry).
    struct Table {
        alignas(32) uint8_t Red[256 + 64];
        alignas(32) uint8_t Green[256 + 64];
        alignas(32) uint8_t Blue[256 + 64];
        alignas(32) uint8_t Index[256 + 64];
        RGBQUAD Palette[256];
        int Count;
        int16_t FirstWithSum[3 * 255 + 2]; // sorted position of the first entry whose sum is >= s
        int Last;                          // the entry last answered (by Nearest), -1 before the first
        uint32_t CachedColour[1024];       // colour | 1 << 24 once answered
        int16_t CachedIndex[1024];
    };

private:
    Table m_Table;
};
