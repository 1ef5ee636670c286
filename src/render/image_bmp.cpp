#include "render/image_bmp.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "render/image.h"

namespace {

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
