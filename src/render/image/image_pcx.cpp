#include "render/image/image_pcx.h"

#include "fileio/buffered_stream_reader.h"
#include "fileio/stream_io.h"
#include "platform/os/byte_order.h"
#include "render/image/image.h"
#include "render/image/peek_stream.h"

namespace
{

constexpr DWORD kHeaderSize = 128;
constexpr DWORD kPaletteSize = 768;

// Reads the header and accepts only what the loader reads: 8 bits per plane in 1, 3 or 4 planes
// (2 planes would make 16-bit pixels), a window whose corners are in order, and lines that hold
// the picture's width. Recognition and loading so agree on every header.
bool ReadHeader(CZNStreamIO &stream, BYTE (&header)[kHeaderSize])
{
    if (stream.Read(header, kHeaderSize) != kHeaderSize || header[0] != 10 || header[1] != 5 || header[2] != 1 ||
        header[3] != 8 || (header[65] != 1 && header[65] != 3 && header[65] != 4))
        return false;
    const WORD xMin = ZnGetU16LE(header + 4), yMin = ZnGetU16LE(header + 6);
    const WORD xMax = ZnGetU16LE(header + 8), yMax = ZnGetU16LE(header + 10);
    return xMax >= xMin && yMax >= yMin && ZnGetU16LE(header + 66) >= DWORD{xMax} - xMin + 1;
}

} // namespace

bool ZnValidPCX(CZNStreamIO &stream)
{
    return ZnPeekStream(stream, [&] {
        BYTE header[kHeaderSize];
        return ReadHeader(stream, header);
    });
}

bool ZnLoadPCX(CZNStreamIO &stream, CZNImage &image)
{
    image.Release();
    const int64_t start = stream.Tell();
    BYTE header[kHeaderSize];
    if (start < 0 || !ReadHeader(stream, header))
        return false;
    const WORD xMin = ZnGetU16LE(header + 4), yMin = ZnGetU16LE(header + 6);
    const WORD xMax = ZnGetU16LE(header + 8), yMax = ZnGetU16LE(header + 10);
    const DWORD bytesPerLine = ZnGetU16LE(header + 66);
    const DWORD planes = header[65];
    const DWORD width = DWORD{xMax} - xMin + 1;
    const DWORD height = DWORD{yMax} - yMin + 1;
    const bool alpha = planes == 4;
    const BYTE bits = static_cast<BYTE>(alpha ? 24 : 8 * planes);
    // The least the lines can take: runs of up to 63 bytes, and the palette of 8-bit pictures.
    const uint64_t dataBytes = uint64_t{height} * planes * ((bytesPerLine + 62) / 63) + (bits == 8 ? 769 : 0);
    if (!ZnStreamHolds(stream, start, kHeaderSize + dataBytes) ||
        !image.AllocUnclearedImageMem(width, height, bits, alpha)) {
        image.Release();
        return false;
    }

    CZNBufferedStreamReader reader(stream);
    if (!reader.IsValid()) {
        image.Release();
        return false;
    }
    if (bits == 8) {
        // The 256-colour palette closes the file: a 12 and 256 red, green, blue triplets.
        BYTE tail[1 + kPaletteSize];
        if (stream.Seek(-static_cast<int64_t>(sizeof(tail)), 2) < start + kHeaderSize ||
            stream.Read(tail, sizeof(tail)) != sizeof(tail) || tail[0] != 12) {
            image.Release();
            return false;
        }
        RGBQUAD *palette = image.GetPalette();
        for (int i = 0; i < 256; ++i) {
            palette[i].rgbRed = tail[1 + 3 * i];
            palette[i].rgbGreen = tail[2 + 3 * i];
            palette[i].rgbBlue = tail[3 + 3 * i];
        }
    }
    if (!reader.SeekTo(start + kHeaderSize)) {
        image.Release();
        return false;
    }

    BYTE *targets[4] = {image.GetRedPlane(), image.GetGreenPlane(), image.GetBluePlane(), image.GetAlphaPlane()};
    for (DWORD y = 0; y < height; ++y) {
        for (DWORD p = 0; p < planes; ++p) {
            BYTE *row = targets[p] + static_cast<uint64_t>(y) * width;
            // A run never carries over into the next plane or row.
            DWORD x = 0;
            while (x < bytesPerLine) {
                BYTE value;
                if (!reader.ReadByte(value)) {
                    image.Release();
                    return false;
                }
                DWORD count = 1;
                if (value >= 0xC1) {
                    count = value - 0xC0u;
                    if (!reader.ReadByte(value)) {
                        image.Release();
                        return false;
                    }
                }
                for (; count && x < bytesPerLine; --count, ++x)
                    if (x < width)
                        row[x] = value;
            }
        }
    }
    return true;
}
