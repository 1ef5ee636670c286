#include "render/image/image_bmp.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "fileio/buffered_stream_reader.h"
#include "fileio/stream_io.h"
#include "platform/os/byte_order.h"
#include "render/image/image.h"
#include "render/image/peek_stream.h"

namespace
{

constexpr DWORD kFileHeaderSize = 14;
constexpr DWORD kInfoHeaderSize = 40;

void PutU16(BYTE *p, WORD v)
{
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
}

void PutU32(BYTE *p, DWORD v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<BYTE>(v >> (8 * i));
}

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

} // namespace

bool ZnSaveBMP(const CZNImage &image, const char *path)
{
    if (!path || image.GetWidth() == 0 || image.GetHeight() == 0 || !image.GetRedPlane())
        return false;
    const bool rgb = image.GetBitsPerPixel() == 24 || image.GetBitsPerPixel() == 32;
    if (rgb && (!image.GetGreenPlane() || !image.GetBluePlane()))
        return false;
    const BYTE bits = rgb ? 24 : 8;
    const DWORD width = image.GetWidth();
    const DWORD height = image.GetHeight();
    const uint64_t rowLength = CZNImage::TransformDIBBpl(width, bits);
    const DWORD dataOffset = kFileHeaderSize + kInfoHeaderSize + (rgb ? 0 : 1024);
    const uint64_t imageSize = rowLength * height;
    if (imageSize + dataOffset > 0xFFFFFFFFull || height > 0x7FFFFFFFu || width > 0x7FFFFFFFu)
        return false;

    BYTE header[kFileHeaderSize + kInfoHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    PutU32(header + 2, static_cast<DWORD>(dataOffset + imageSize));
    PutU32(header + 10, dataOffset);
    BYTE *info = header + kFileHeaderSize;
    PutU32(info + 0, kInfoHeaderSize);
    PutU32(info + 4, width);
    PutU32(info + 8, height); // positive: bottom row first
    PutU16(info + 12, 1);
    PutU16(info + 14, bits);
    PutU32(info + 16, 0);
    PutU32(info + 20, static_cast<DWORD>(imageSize));
    PutU32(info + 24, 2835);
    PutU32(info + 28, 2835);

    std::vector<BYTE> row;
    try {
        row.resize(static_cast<size_t>(rowLength));
    } catch (const std::bad_alloc &) {
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "wb"));
    if (!file)
        return false;
    if (std::fwrite(header, sizeof(header), 1, file.get()) != 1)
        return false;
    if (!rgb) {
        BYTE palette[1024] = {};
        if (image.GetPalette())
            std::memcpy(palette, image.GetPalette(), sizeof(palette));
        if (std::fwrite(palette, sizeof(palette), 1, file.get()) != 1)
            return false;
    }
    const BYTE *red = image.GetRedPlane();
    const BYTE *green = image.GetGreenPlane();
    const BYTE *blue = image.GetBluePlane();
    for (DWORD r = 0; r < height; ++r) {
        const uint64_t from = static_cast<uint64_t>(height - 1 - r) * width;
        if (rgb) {
            for (DWORD x = 0; x < width; ++x) {
                row[3 * static_cast<size_t>(x) + 0] = blue[from + x];
                row[3 * static_cast<size_t>(x) + 1] = green[from + x];
                row[3 * static_cast<size_t>(x) + 2] = red[from + x];
            }
        } else {
            std::memcpy(row.data(), red + from, width);
        }
        if (std::fwrite(row.data(), row.size(), 1, file.get()) != 1)
            return false;
    }
    return std::fclose(file.release()) == 0;
}

namespace
{

// Reads the file header and the first 40 bytes of the information header; the position is
// left behind them.
bool ReadBMPHeaders(CZNStreamIO &stream, BYTE (&header)[kFileHeaderSize + kInfoHeaderSize])
{
    return stream.Read(header, sizeof(header)) == sizeof(header);
}

bool HeaderAcceptable(const BYTE *header)
{
    const BYTE *info = header + kFileHeaderSize;
    const WORD bits = ZnGetU16LE(info + 14);
    return ZnGetU16LE(header) == 0x4D42 && ZnGetU16LE(info + 12) == 1 &&
           (bits == 1 || bits == 4 || bits == 8 || bits == 24) && ZnGetU32LE(info + 16) == 0;
}

// Information header sizes of the versions whose first 40 bytes have the common layout.
bool KnownInfoHeaderSize(DWORD size)
{
    return size == 40 || size == 52 || size == 56 || size == 64 || size == 108 || size == 124;
}

} // namespace

bool ZnValidBMP(CZNStreamIO &stream)
{
    return ZnPeekStream(stream, [&] {
        BYTE header[kFileHeaderSize + kInfoHeaderSize];
        return ReadBMPHeaders(stream, header) && HeaderAcceptable(header);
    });
}

bool ZnLoadBMP(CZNStreamIO &stream, CZNImage &image)
{
    image.Release();
    const int64_t start = stream.Tell();
    BYTE header[kFileHeaderSize + kInfoHeaderSize];
    if (start < 0 || !ReadBMPHeaders(stream, header) || !HeaderAcceptable(header))
        return false;
    const BYTE *info = header + kFileHeaderSize;
    const DWORD infoSize = ZnGetU32LE(info);
    const DWORD dataOffset = ZnGetU32LE(header + 10);
    const int32_t width = static_cast<int32_t>(ZnGetU32LE(info + 4));
    const int32_t storedHeight = static_cast<int32_t>(ZnGetU32LE(info + 8));
    const WORD bits = ZnGetU16LE(info + 14);
    const DWORD coloursUsed = ZnGetU32LE(info + 32);
    if (!KnownInfoHeaderSize(infoSize) || width <= 0 || storedHeight == 0 || storedHeight == INT32_MIN)
        return false;
    const bool topDown = storedHeight < 0;
    const DWORD height = static_cast<DWORD>(topDown ? -storedHeight : storedHeight);

    const DWORD paletteCount = bits <= 8 ? (coloursUsed ? coloursUsed : (1u << bits)) : 0;
    if (paletteCount > 256)
        return false;
    const uint64_t rowLength = (uint64_t{bits} * static_cast<DWORD>(width) + 31) / 32 * 4;
    const uint64_t pixelStart = dataOffset ? dataOffset : kFileHeaderSize + infoSize + paletteCount * 4;
    if (!ZnStreamHolds(stream, start, pixelStart + rowLength * height) ||
        !image.AllocUnclearedImageMem(static_cast<DWORD>(width), height, bits == 24 ? 24 : 8, false)) {
        image.Release();
        return false;
    }

    CZNBufferedStreamReader reader(stream);
    if (!reader.IsValid() || !reader.SeekTo(start + kFileHeaderSize + infoSize) ||
        !reader.Read(image.GetPalette(), uint64_t{paletteCount} * 4)) {
        image.Release();
        return false;
    }
    // The pixels start at the file header's offset (right after the palette when it is 0).
    if (dataOffset != 0 && !reader.SeekTo(start + dataOffset)) {
        image.Release();
        return false;
    }

    BYTE *row = static_cast<BYTE *>(std::malloc(static_cast<size_t>(rowLength)));
    if (!row) {
        image.Release();
        return false;
    }
    const DWORD w = static_cast<DWORD>(width);
    bool ok = true;
    for (DWORD r = 0; r < height && ok; ++r) {
        if (!reader.Read(row, rowLength)) {
            ok = false;
            break;
        }
        const uint64_t y = topDown ? r : height - 1 - r;
        BYTE *red = image.GetRedPlane() + y * w;
        if (bits == 24) {
            BYTE *green = image.GetGreenPlane() + y * w;
            BYTE *blue = image.GetBluePlane() + y * w;
            for (DWORD x = 0; x < w; ++x) {
                blue[x] = row[3 * static_cast<size_t>(x)];
                green[x] = row[3 * static_cast<size_t>(x) + 1];
                red[x] = row[3 * static_cast<size_t>(x) + 2];
            }
            continue;
        }
        BYTE seen = 0; // the largest index of the row
        for (DWORD x = 0; x < w; ++x) {
            BYTE index;
            if (bits == 8)
                index = row[x];
            else if (bits == 4)
                index = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
            else
                index = (row[x / 8] >> (7 - (x & 7))) & 0x01;
            red[x] = index;
            seen = std::max(seen, index);
        }
        ok = seen < paletteCount;
    }
    std::free(row);
    if (!ok)
        image.Release();
    return ok;
}
