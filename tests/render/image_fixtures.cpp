#include "image_fixtures.h"

#include <cstdio>
#include <cstring>

#include "fileio/memory_stream_io.h"
#include "render/image/image.h"

bool ZnLoadImageBytes(CZNImage &image, const std::string &bytes)
{
    std::string copy = bytes + '\0'; // never a null block, even for no bytes
    CZNMemoryStreamIO stream;
    if (!stream.Open(copy.data(), static_cast<DWORD>(bytes.size()), 1, false))
        return false;
    return image.LoadImageFile(stream);
}

uint32_t ZnPixel(const CZNImage &image, uint32_t x, uint32_t y)
{
    const uint32_t i = y * image.GetWidth() + x;
    uint32_t c;
    if (image.GetBitsPerPixel() == 8) {
        const RGBQUAD &e = image.GetPalette()[image.GetRedPlane()[i]];
        c = uint32_t{e.rgbRed} << 16 | uint32_t{e.rgbGreen} << 8 | e.rgbBlue;
    } else {
        c = uint32_t{image.GetRedPlane()[i]} << 16 | uint32_t{image.GetGreenPlane()[i]} << 8 | image.GetBluePlane()[i];
    }
    if (image.GetAlphaPlane())
        c |= uint32_t{image.GetAlphaPlane()[i]} << 24;
    return c;
}

std::string ZnSampleBMP8()
{
    // 3 x 2, 8 bits, 4 palette entries, bottom-up rows padded to 4 bytes.
    ZnBytes b;
    b.Raw("BM").U32(54 + 16 + 8).U32(0).U32(54 + 16);
    b.U32(40).U32(3).U32(2).U16(1).U16(8).U32(0).U32(8).U32(2835).U32(2835).U32(4).U32(0);
    b.U32(0x000000FF).U32(0x0000FF00).U32(0x00FF0000).U32(0x00808080);
    b.U8(3).U8(2).U8(1).U8(0); // bottom row
    b.U8(0).U8(1).U8(2).U8(0); // top row
    return b.Data;
}

namespace
{
std::string PcxHeader(unsigned width, unsigned height, unsigned planes, unsigned bytesPerLine)
{
    ZnBytes b;
    b.U8(10).U8(5).U8(1).U8(8).U16(0).U16(0).U16(width - 1).U16(height - 1).U16(72).U16(72);
    b.Fill(48, 0).U8(0).U8(planes).U16(bytesPerLine).U16(1).Fill(58, 0);
    return b.Data;
}
} // namespace

std::string ZnSamplePCX8()
{
    // 3 x 2, 4 bytes per line: a run of 2, a single, a run that would pass the line end.
    ZnBytes b;
    b.Raw(PcxHeader(3, 2, 1, 4));
    b.U8(0xC2).U8(5).U8(7).U8(0xC3).U8(9); // row 0: 5 5 7 | 9 (dropped), run cut at the line end
    b.U8(0xC1).U8(0xC0).U8(1).U8(2).U8(3); // row 1: 0xC0 as a run of one, 1 2, 3 dropped
    b.U8(12);
    for (int i = 0; i < 256; ++i)
        b.U8(i).U8(255 - i).U8(i / 2);
    return b.Data;
}

std::string ZnSamplePCX32()
{
    // 2 x 1, four planes: red, green, blue, alpha.
    ZnBytes b;
    b.Raw(PcxHeader(2, 1, 4, 2));
    b.U8(0x10).U8(0x11).U8(0xC2).U8(0x20).U8(0x30).U8(0x31).U8(0xC2).U8(0xFF);
    return b.Data;
}

std::string ZnSampleTGARLE()
{
    // 3 x 2, 32 bits, run-length encoded, top row first, with an id field and a colour map to skip.
    ZnBytes b;
    b.U8(2).U8(1).U8(10).U16(0).U16(2).U8(24).U16(0).U16(0).U16(3).U16(2).U8(32).U8(0x28);
    b.U8('i').U8('d');
    b.Fill(6, 0x77);                                            // two 24-bit colour map entries
    b.U8(0x81).U8(0x10).U8(0x20).U8(0x30).U8(0xFF);             // run of 2
    b.U8(0x01).U8(1).U8(2).U8(3).U8(4).U8(5).U8(6).U8(7).U8(8); // 2 raw pixels
    b.U8(0x83).U8(0xAA).U8(0xBB).U8(0xCC).U8(0x80);             // run of 4, only 2 fit
    return b.Data;
}

std::string ZnSamplePSDRLE()
{
    // 2 x 2, four channels, PackBits; the alpha channel's last run passes the plane's end.
    ZnBytes b;
    b.U32BE(0x38425053).U16BE(1).Fill(6, 0).U16BE(4).U32BE(2).U32BE(2).U16BE(8).U16BE(3);
    b.U32BE(0).U32BE(2).U16BE(0).U32BE(0); // colour-mode data, 2 bytes of resources, layers
    b.U16BE(1);
    b.Fill(4 * 2 * 2, 0);                        // row byte counts, not needed
    b.U8(3).U8(1).U8(2).U8(3).U8(4);             // red: literal 1 2 3 4
    b.U8(0xFD).U8(9);                            // green: 9 9 9 9
    b.U8(0x80).U8(1).U8(5).U8(6).U8(0xFF).U8(7); // blue: no-op, 5 6, then 7 7
    b.U8(0xF0).U8(200);                          // alpha: run of 17, only 4 fit
    return b.Data;
}
