#include "render/image/image.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <new>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "app/editor_app.h"
#include "fileio/buffered_stream_reader.h"
#include "fileio/file_stream_io.h"
#include "fileio/memory_stream_io.h"
#include "fileio/stream_io.h"
#include "render/image/color_quantizer.h"
#include "render/image/image_bmp.h"
#include "render/image/image_jpeg.h"
#include "render/image/image_pcx.h"
#include "render/image/image_png.h"
#include "render/image/image_psd.h"
#include "render/image/image_tga.h"
#include "render/image/palette_search.h"

namespace
{

// Plane size of an image, or 0 when it is empty or too large to hold.
uint64_t CheckedPlaneSize(DWORD width, DWORD height)
{
    const uint64_t size = static_cast<uint64_t>(width) * height;
    return size > CZNImage::kMaxPlaneSize ? 0 : size;
}

} // namespace

CZNImage::CZNImage() = default;

CZNImage::CZNImage(const CZNImage &image)
{
    CopyFromImage(&image);
}

CZNImage::~CZNImage()
{
    Release();
}

CZNImage &CZNImage::operator=(const CZNImage &image)
{
    if (this != &image)
        CopyFromImage(&image);
    return *this;
}

void CZNImage::Release()
{
    std::free(m_pRed); // the block of every plane
    std::free(m_pPalette);
    m_pAlpha = m_pRed = m_pGreen = m_pBlue = nullptr;
    m_pPalette = nullptr;
    m_Width = m_Height = 0;
    m_BitsPerPixel = 0;
    m_bAlpha = false;
}

DWORD CZNImage::TransformDIBBpl(DWORD width, BYTE bits)
{
    return static_cast<DWORD>((static_cast<uint64_t>(bits / 8) * width + 3) & ~uint64_t{3});
}

bool CZNImage::AllocImageMem(DWORD width, DWORD height, BYTE bits, bool alpha)
{
    return AllocImage(width, height, bits, alpha, true);
}

bool CZNImage::AllocUnclearedImageMem(DWORD width, DWORD height, BYTE bits, bool alpha)
{
    return AllocImage(width, height, bits, alpha, false);
}

bool CZNImage::AllocImage(DWORD width, DWORD height, BYTE bits, bool alpha, bool cleared)
{
    std::free(m_pRed);
    std::free(m_pPalette);
    m_pAlpha = m_pRed = m_pGreen = m_pBlue = nullptr;
    m_pPalette = nullptr;
    m_Width = width;
    m_Height = height;
    m_BitsPerPixel = bits;
    m_bAlpha = alpha;
    BYTE *planes[4];
    if (!AllocPlanes(planes, width, height, bits, alpha, cleared))
        return false;
    if (bits == 8 && !(m_pPalette = static_cast<RGBQUAD *>(std::calloc(256, sizeof(RGBQUAD))))) {
        std::free(planes[1]);
        return false;
    }
    m_pAlpha = planes[0];
    m_pRed = planes[1];
    m_pGreen = planes[2];
    m_pBlue = planes[3];
    return true;
}

bool CZNImage::AllocPlanes(BYTE *(&planes)[4], DWORD width, DWORD height, BYTE bits, bool alpha, bool cleared)
{
    planes[0] = planes[1] = planes[2] = planes[3] = nullptr;
    if ((bits != 8 && bits != 24) || width == 0 || height == 0)
        return false;
    const uint64_t size = CheckedPlaneSize(width, height);
    const uint64_t count = (bits == 24 ? 3 : 1) + (alpha ? 1 : 0);
    if (size == 0 || size * count > kMaxImageSize)
        return false;
    // Red first: its pointer is the block's.
    const auto bytes = static_cast<size_t>(size * count);
    auto *block = static_cast<BYTE *>(cleared ? std::calloc(bytes, 1) : std::malloc(bytes));
    if (!block)
        return false;
    BYTE *next = block;
    planes[1] = next;
    next += size;
    if (bits == 24) {
        planes[2] = next;
        planes[3] = next + size;
        next += 2 * size;
    }
    if (alpha)
        planes[0] = next;
    return true;
}

bool CZNImage::MovePlanes(BYTE bits, bool alpha)
{
    BYTE *planes[4];
    if (!AllocPlanes(planes, m_Width, m_Height, bits, alpha, false))
        return false;
    const size_t size = GetPlaneSize();
    BYTE *old[4] = {m_pAlpha, m_pRed, m_pGreen, m_pBlue};
    for (int i = 0; i < 4; ++i)
        if (planes[i] && old[i])
            std::memcpy(planes[i], old[i], size);
    std::free(m_pRed);
    m_pAlpha = planes[0];
    m_pRed = planes[1];
    m_pGreen = planes[2];
    m_pBlue = planes[3];
    return true;
}

bool CZNImage::CopyFromImage(const CZNImage *image)
{
    Release();
    if (!image || image->m_Width == 0 || image->m_Height == 0)
        return image != nullptr;
    if (!AllocUnclearedImageMem(image->m_Width, image->m_Height, image->m_BitsPerPixel, image->m_bAlpha)) {
        Release();
        return false;
    }
    const size_t size = GetPlaneSize();
    const BYTE *from[4] = {image->m_pAlpha, image->m_pRed, image->m_pGreen, image->m_pBlue};
    BYTE *to[4] = {m_pAlpha, m_pRed, m_pGreen, m_pBlue};
    for (int i = 0; i < 4; ++i) {
        if (to[i] && from[i])
            std::memcpy(to[i], from[i], size);
        else if (to[i])
            std::memset(to[i], 0, size);
    }
    if (image->m_pPalette && m_pPalette)
        std::memcpy(m_pPalette, image->m_pPalette, 256 * sizeof(RGBQUAD));
    return true;
}

bool CZNImage::Resize(INTERPTYPE type, DWORD width, DWORD height)
{
    if (type != INTERP_PIXEL)
        return false;
    return PixelResize(width, height);
}

bool CZNImage::PixelResize(DWORD width, DWORD height)
{
    if (m_Width == 0 || m_Height == 0)
        return false;
    const uint64_t w = m_Width, h = m_Height;
    BYTE *planes[4];
    if (!AllocPlanes(planes, width, height, m_BitsPerPixel, m_bAlpha, false))
        return false;
    // The source column of every target column and the source row of every target row:
    // ceil(size * i / target) in 1/256 steps, stepped without a division each.
    auto *columns = static_cast<uint64_t *>(std::malloc(sizeof(uint64_t) * (uint64_t{width} + height)));
    if (!columns) {
        std::free(planes[1]);
        return false;
    }
    uint64_t *rows = columns + width;
    auto sources = [](uint64_t *to, uint64_t size, uint64_t target) {
        const uint64_t step = size * 256 / target, spare = size * 256 % target;
        uint64_t at = 0, over = 0;
        for (uint64_t i = 0; i < target; ++i) {
            to[i] = std::min((at + 255) / 256, size - 1);
            at += step;
            over += spare;
            if (over >= target) {
                over -= target;
                ++at;
            }
        }
    };
    sources(columns, w, width);
    sources(rows, h, height);

    const BYTE *old[4] = {m_pAlpha, m_pRed, m_pGreen, m_pBlue};
    for (int i = 0; i < 4; ++i) {
        if (!planes[i])
            continue;
        if (!old[i]) {
            std::memset(planes[i], 0, uint64_t{width} * height);
            continue;
        }
        for (uint64_t y = 0; y < height; ++y) {
            const BYTE *from = old[i] + rows[y] * w;
            BYTE *to = planes[i] + y * width;
            for (uint64_t x = 0; x < width; ++x)
                to[x] = from[columns[x]];
        }
    }
    std::free(columns);

    std::free(m_pRed);
    m_Width = width;
    m_Height = height;
    m_pAlpha = planes[0];
    m_pRed = planes[1];
    m_pGreen = planes[2];
    m_pBlue = planes[3];
    return true;
}

void CZNImage::Blur()
{
    BYTE *planes[4] = {m_pAlpha, m_pRed, m_pGreen, m_pBlue};
    for (BYTE *plane : planes)
        if (plane)
            BlurPlane(plane);
}

void CZNImage::BlurPlane(BYTE *plane)
{
    // In place, column by column: the left column and the sample above are already blurred.
    const int64_t w = m_Width, h = m_Height;
    for (int64_t x = 0; x < w; ++x) {
        for (int64_t y = 0; y < h; ++y) {
            unsigned sum = 0, count = 0;
            for (int64_t dy = -1; dy <= 1; ++dy) {
                const int64_t yy = y + dy;
                if (yy < 0 || yy >= h)
                    continue;
                for (int64_t dx = -1; dx <= 1; ++dx) {
                    const int64_t xx = x + dx;
                    if (xx < 0 || xx >= w)
                        continue;
                    sum += plane[yy * w + xx];
                    ++count;
                }
            }
            plane[y * w + x] = static_cast<BYTE>(sum / count);
        }
    }
}

bool CZNImage::MergeAlphaChannel(DWORD colour)
{
    if (m_BitsPerPixel != 24 || !m_bAlpha || !m_pAlpha || !m_pRed || !m_pGreen || !m_pBlue)
        return true;
    const int keyR = static_cast<int>((colour >> 16) & 0xFF);
    const int keyG = static_cast<int>((colour >> 8) & 0xFF);
    const int keyB = static_cast<int>(colour & 0xFF);
    const DWORD size = GetPlaneSize();
    for (DWORD i = 0; i < size; ++i) {
        const int w = 255 - m_pAlpha[i];
        m_pRed[i] = static_cast<BYTE>(m_pRed[i] + (((keyR - m_pRed[i]) * w) >> 8));
        m_pGreen[i] = static_cast<BYTE>(m_pGreen[i] + (((keyG - m_pGreen[i]) * w) >> 8));
        m_pBlue[i] = static_cast<BYTE>(m_pBlue[i] + (((keyB - m_pBlue[i]) * w) >> 8));
    }
    return ChangeColorDepth(24, false);
}

bool CZNImage::ChangeColorDepth(BYTE bits, bool alpha)
{
    if (bits == m_BitsPerPixel && alpha == m_bAlpha)
        return true;
    if ((bits != 8 && bits != 24) || m_Width == 0 || m_Height == 0) {
        Release();
        return false;
    }
    const DWORD size = GetPlaneSize();

    // Planes dropped keep their room in the block until the image is next reallocated.
    if (alpha != m_bAlpha) {
        if (alpha) {
            if (!MovePlanes(m_BitsPerPixel, true)) {
                Release();
                return false;
            }
            std::memset(m_pAlpha, 255, size);
        } else {
            m_pAlpha = nullptr;
        }
    }

    if (m_BitsPerPixel == 8 && bits == 24) {
        if (!m_pRed || !m_pPalette || !MovePlanes(24, alpha)) {
            Release();
            return false;
        }
        for (DWORD i = 0; i < size; ++i) {
            const RGBQUAD &entry = m_pPalette[m_pRed[i]];
            m_pRed[i] = entry.rgbRed;
            m_pGreen[i] = entry.rgbGreen;
            m_pBlue[i] = entry.rgbBlue;
        }
        std::free(m_pPalette);
        m_pPalette = nullptr;
    } else if (m_BitsPerPixel == 24 && bits == 8) {
        if (!m_pRed || !m_pGreen || !m_pBlue) {
            Release();
            return false;
        }
        CZNColorQuantizer quantizer;
        std::free(m_pPalette);
        m_pPalette = nullptr;
        if (quantizer.Build(this, 256, 6) < 0 ||
            !(m_pPalette = static_cast<RGBQUAD *>(std::calloc(256, sizeof(RGBQUAD))))) {
            Release();
            return false;
        }
        const int count = quantizer.FillPalette(m_pPalette);
        CZNPaletteSearch search(m_pPalette, count);
        if (count > 0)
            search.NearestAll(m_pRed, m_pGreen, m_pBlue, m_pRed, size, m_Width);
        else
            std::memset(m_pRed, 0, size);
        m_pGreen = m_pBlue = nullptr;
    }

    m_BitsPerPixel = bits;
    m_bAlpha = alpha;
    return true;
}

namespace
{

// The image depth of a raw layout: a 32-bit layout is a 24-bit image whose fourth byte holds
// alpha (or nothing, without alpha).
BYTE RawImageBits(const _RAWOPTIONS &options)
{
    return options.BitsPerPixel == 32 ? 24 : options.BitsPerPixel;
}

bool RawInterleaved(const _RAWOPTIONS &options)
{
    return options.Planes == 1 && options.BitsPerPixel != 8;
}

// Bytes of one sample slot: a whole pixel when interleaved, one channel when planar. A 24-bit
// interleaved pixel has no room for alpha, so with alpha it takes one byte more. Packing and
// reading use this one rule, so what one writes the other reads.
DWORD RawBytesPerSample(const _RAWOPTIONS &options)
{
    DWORD bytes = static_cast<DWORD>((options.BitsPerPixel / 8) / options.Planes);
    if (options.Alpha && options.Planes == 1 && options.BitsPerPixel == 24)
        ++bytes;
    return bytes;
}

} // namespace

bool CZNImage::ValidRAW(const _RAWOPTIONS &options)
{
    if (options.Width == 0 || options.Height == 0 || options.BitsPerPixel == 0 || options.Planes == 0)
        return false;
    switch (options.BitsPerPixel) {
    case 8:
        return options.Planes == 1 && options.RedIndex == 0;
    case 24:
        if (options.Planes != 1 && options.Planes != 3)
            return false;
        if (options.Planes == 1 && options.Alpha && options.AlphaIndex > 3)
            return false;
        return options.RedIndex <= 2 && options.GreenIndex <= 2 && options.BlueIndex <= 2;
    case 32:
        if (options.Planes != 1 && options.Planes != 4)
            return false;
        return options.AlphaIndex <= 3 && options.RedIndex <= 3 && options.GreenIndex <= 3 && options.BlueIndex <= 3;
    default:
        return false;
    }
}

BYTE *CZNImage::CompileRawData(_RAWOPTIONS &options, DWORD &size, RGBQUAD **palette)
{
    if (palette)
        *palette = nullptr;
    if (!ValidRAW(options) || m_Width == 0 || m_Height == 0)
        return nullptr;
    const BYTE bits = RawImageBits(options);

    const CZNImage *packed = this;
    CZNImage *copy = nullptr;
    if (options.Width != m_Width || options.Height != m_Height || bits != m_BitsPerPixel) {
        copy = new (std::nothrow) CZNImage(*this);
        if (!copy || copy->m_Width == 0) {
            delete copy;
            return nullptr;
        }
        if ((options.Width != m_Width || options.Height != m_Height) &&
            !copy->Resize(INTERP_PIXEL, options.Width, options.Height)) {
            delete copy;
            return nullptr;
        }
        if ((bits != copy->m_BitsPerPixel || options.Alpha != copy->m_bAlpha) &&
            !copy->ChangeColorDepth(bits, options.Alpha)) {
            delete copy;
            return nullptr;
        }
        packed = copy;
    }

    const DWORD bytesPerSample = RawBytesPerSample(options);
    const uint64_t width = options.Width, height = options.Height;
    const uint64_t rowLength = width * bytesPerSample + options.RowPadding;
    const uint64_t total = rowLength * height * options.Planes + options.DataOffset;
    BYTE *buffer = total > kMaxPlaneSize ? nullptr : new (std::nothrow) BYTE[total]();
    if (!buffer) {
        delete copy;
        return nullptr;
    }

    // Only the alpha the layout asks for is written; an image without alpha is opaque.
    const BYTE *alphaPlane = options.Alpha ? packed->m_pAlpha : nullptr;
    const bool opaque = options.Alpha && !packed->m_pAlpha;
    const bool eightBit = bits == 8;
    uint64_t pos = options.DataOffset;
    for (DWORD p = 0; p < options.Planes; ++p) {
        for (uint64_t r = 0; r < height; ++r) {
            const uint64_t y = options.BottomUp ? height - 1 - r : r;
            const uint64_t from = y * width;
            BYTE *row = buffer + pos;
            if (RawInterleaved(options)) {
                for (uint64_t x = 0; x < width; ++x) {
                    BYTE *pixel = row + x * bytesPerSample;
                    if (packed->m_pRed)
                        pixel[options.RedIndex] = packed->m_pRed[from + x];
                    if (packed->m_pGreen)
                        pixel[options.GreenIndex] = packed->m_pGreen[from + x];
                    if (packed->m_pBlue)
                        pixel[options.BlueIndex] = packed->m_pBlue[from + x];
                    if (alphaPlane)
                        pixel[options.AlphaIndex] = alphaPlane[from + x];
                    else if (opaque)
                        pixel[options.AlphaIndex] = 255;
                }
            } else if (eightBit) {
                if (packed->m_pRed)
                    std::memcpy(row, packed->m_pRed + from, width);
            } else {
                if (options.Alpha && options.AlphaIndex == p) {
                    if (alphaPlane)
                        std::memcpy(row, alphaPlane + from, width);
                    else
                        std::memset(row, 255, width);
                }
                if (packed->m_pRed && options.RedIndex == p)
                    std::memcpy(row, packed->m_pRed + from, width);
                if (packed->m_pGreen && options.GreenIndex == p)
                    std::memcpy(row, packed->m_pGreen + from, width);
                if (packed->m_pBlue && options.BlueIndex == p)
                    std::memcpy(row, packed->m_pBlue + from, width);
            }
            pos += rowLength;
        }
    }

    if (palette && packed->m_pPalette) {
        *palette = new (std::nothrow) RGBQUAD[256];
        if (*palette)
            std::memcpy(*palette, packed->m_pPalette, 256 * sizeof(RGBQUAD));
    }
    size = static_cast<DWORD>(total);
    delete copy;
    return buffer;
}

bool CZNImage::SaveBMP(const char *path)
{
    return ZnSaveBMP(*this, path);
}

bool CZNImage::LoadRawImage(CZNStreamIO &stream, const _RAWOPTIONS &options)
{
    Release();
    if (!stream.IsOpen() || !ValidRAW(options) || !stream.SeekTo(0))
        return false;
    const BYTE bits = RawImageBits(options);
    const DWORD bytesPerSample = RawBytesPerSample(options);
    const uint64_t width = options.Width, height = options.Height;
    const uint64_t rowLength = width * bytesPerSample + options.RowPadding;
    if (rowLength > kMaxPlaneSize || !AllocImageMem(options.Width, options.Height, bits, options.Alpha)) {
        Release();
        return false;
    }
    CZNBufferedStreamReader reader(stream);
    BYTE *row = static_cast<BYTE *>(std::malloc(static_cast<size_t>(rowLength)));
    if (!row || !reader.IsValid() || !reader.Skip(options.DataOffset)) {
        std::free(row);
        Release();
        return false;
    }
    // Alpha the layout does not carry stays opaque.
    if (m_pAlpha)
        std::memset(m_pAlpha, 255, GetPlaneSize());
    const bool interleaved = RawInterleaved(options);
    for (DWORD p = 0; p < options.Planes; ++p) {
        for (uint64_t r = 0; r < height; ++r) {
            if (!reader.Read(row, rowLength)) {
                std::free(row);
                Release();
                return false;
            }
            const uint64_t to = (options.BottomUp ? height - 1 - r : r) * width;
            if (interleaved) {
                for (uint64_t x = 0; x < width; ++x) {
                    const BYTE *pixel = row + x * bytesPerSample;
                    m_pRed[to + x] = pixel[options.RedIndex];
                    m_pGreen[to + x] = pixel[options.GreenIndex];
                    m_pBlue[to + x] = pixel[options.BlueIndex];
                    if (m_pAlpha)
                        m_pAlpha[to + x] = pixel[options.AlphaIndex];
                }
            } else if (bits == 8) {
                std::memcpy(m_pRed + to, row, width);
            } else {
                if (m_pAlpha && options.AlphaIndex == p)
                    std::memcpy(m_pAlpha + to, row, width);
                if (options.RedIndex == p)
                    std::memcpy(m_pRed + to, row, width);
                if (options.GreenIndex == p)
                    std::memcpy(m_pGreen + to, row, width);
                if (options.BlueIndex == p)
                    std::memcpy(m_pBlue + to, row, width);
            }
        }
    }
    std::free(row);
    return true;
}

bool CZNImage::LoadRawImage(const char *path, const _RAWOPTIONS &options)
{
    CZNFileStreamIO stream;
    if (!path || !stream.Open(path, ZNSTREAM_READ))
        return false;
    const bool ok = LoadRawImage(stream, options);
    stream.Close();
    return ok;
}

bool CZNImage::ValidBMP(CZNStreamIO &stream)
{
    return ZnValidBMP(stream);
}
bool CZNImage::ValidJPG(CZNStreamIO &stream)
{
    return ZnValidJPG(stream);
}
bool CZNImage::ValidPNG(CZNStreamIO &stream)
{
    return ZnValidPNG(stream);
}
bool CZNImage::ValidPCX(CZNStreamIO &stream)
{
    return ZnValidPCX(stream);
}
bool CZNImage::ValidPSD(CZNStreamIO &stream)
{
    return ZnValidPSD(stream);
}
bool CZNImage::ValidTGA(CZNStreamIO &stream)
{
    return ZnValidTGA(stream);
}
bool CZNImage::LoadBMP(CZNStreamIO &stream)
{
    return ZnLoadBMP(stream, *this);
}
bool CZNImage::LoadJPG(CZNStreamIO &stream)
{
    return ZnLoadJPG(stream, *this);
}
bool CZNImage::LoadPNG(CZNStreamIO &stream)
{
    return ZnLoadPNG(stream, *this);
}
bool CZNImage::LoadPCX(CZNStreamIO &stream)
{
    return ZnLoadPCX(stream, *this);
}
bool CZNImage::LoadPSD(CZNStreamIO &stream)
{
    return ZnLoadPSD(stream, *this);
}
bool CZNImage::LoadTGA(CZNStreamIO &stream)
{
    return ZnLoadTGA(stream, *this);
}

bool CZNImage::LoadImageFile(CZNStreamIO &stream)
{
    if (!stream.IsOpen())
        return false;
    Release();
    if (ValidBMP(stream))
        return LoadBMP(stream);
    if (ValidJPG(stream))
        return LoadJPG(stream);
    if (ValidPNG(stream))
        return LoadPNG(stream);
    if (ValidPCX(stream))
        return LoadPCX(stream);
    if (ValidPSD(stream))
        return LoadPSD(stream);
    if (ValidTGA(stream))
        return LoadTGA(stream);
    return false;
}

bool CZNImage::LoadImageFile(const char *path)
{
    CZNFileStreamIO stream;
    if (!path || !stream.Open(path, ZNSTREAM_READ))
        return false;
    const bool ok = LoadImageFile(stream);
    stream.Close();
    return ok;
}

bool CZNImage::ValidImageFile(CZNStreamIO &stream)
{
    return ValidBMP(stream) || ValidJPG(stream) || ValidPNG(stream) || ValidPCX(stream) || ValidPSD(stream) ||
           ValidTGA(stream);
}

bool CZNImage::ValidImageFile(const char *path)
{
    if (!path)
        return false;
    // The formats are told apart by their first bytes, read once with plain system calls (a
    // texture scan asks this of every file, and a buffered stream costs several calls and a
    // buffer more) and tested in memory. Only a PSD header, whose sections may run past those
    // bytes, is tested on the file itself when they do not suffice.
    BYTE head[512];
    DWORD got = 0;
    {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        while (got < sizeof(head)) {
            const ssize_t n = ::read(fd, head + got, sizeof(head) - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<DWORD>(n);
        }
        ::close(fd);
    }
    bool ok = false;
    if (got > 0) {
        CZNMemoryStreamIO memory(head, got, ZNSTREAM_READ, false);
        ok = memory.IsOpen() && ValidImageFile(memory);
    }
    if (!ok && got == sizeof(head) && std::memcmp(head, "8BPS", 4) == 0) {
        CZNFileStreamIO stream;
        ok = stream.Open(path, ZNSTREAM_READ) && ValidImageFile(stream);
        stream.Close();
    }
    return ok;
}

bool CZNImage::LoadResourceImage(const char *name)
{
    // The program's bitmap resources are BMP files in "Resources/" beside the executable, named
    // after the resource; a resource number (a value below 0x10000 in place of a name) names
    // the file "<number>.bmp".
    const auto value = reinterpret_cast<uintptr_t>(name);
    if (!name)
        return false;
    char file[64];
    std::string path = GetEditorApp()->GetProgramDirectory() + "Resources/";
    if (value < 0x10000) {
        std::snprintf(file, sizeof(file), "%u.bmp", static_cast<unsigned>(value));
        path += file;
    } else {
        path += name;
        path += ".bmp";
    }
    CZNImage picture;
    if (!picture.LoadImageFile(path.c_str()))
        return false;
    if ((picture.m_Width != 106 || picture.m_Height != 106) && !picture.Resize(INTERP_PIXEL, 106, 106))
        return false;
    if (!picture.ChangeColorDepth(8, false))
        return false;
    return CopyFromImage(&picture);
}
