#include "render/image/image_tga.h"

#include <cstdlib>

#include "fileio/stream_io.h"
#include "render/image/image.h"
#include "platform/os/byte_order.h"
#include "fileio/buffered_stream_reader.h"

namespace
{

constexpr DWORD kHeaderSize = 18;

bool ReadHeader(CZNStreamIO &stream, BYTE (&header)[kHeaderSize])
{
    return stream.Read(header, kHeaderSize) == kHeaderSize && (header[2] == 2 || header[2] == 10) &&
           (header[16] == 16 || header[16] == 24 || header[16] == 32);
}

// Writes one pixel of the file's layout into the planes.
class PixelWriter
{
public:
    PixelWriter(CZNImage &image, DWORD bytesPerPixel, bool attributeAlpha)
        : m_Red(image.GetRedPlane()), m_Green(image.GetGreenPlane()), m_Blue(image.GetBluePlane()),
          m_Alpha(image.GetAlphaPlane()), m_BytesPerPixel(bytesPerPixel), m_AttributeAlpha(attributeAlpha)
    {
    }
    void Put(uint64_t at, const BYTE *pixel) const
    {
        if (m_BytesPerPixel == 2) {
            const WORD v = ZnGetU16LE(pixel);
            m_Red[at] = static_cast<BYTE>((v >> 7) & 0xF8);
            m_Green[at] = static_cast<BYTE>((v >> 2) & 0xF8);
            m_Blue[at] = static_cast<BYTE>(v << 3);
            // The attribute bit is alpha only when the descriptor says the pixel has one.
            m_Alpha[at] = m_AttributeAlpha ? ((v & 0x8000) ? 255 : 0) : 255;
            return;
        }
        m_Blue[at] = pixel[0];
        m_Green[at] = pixel[1];
        m_Red[at] = pixel[2];
        if (m_BytesPerPixel == 4)
            m_Alpha[at] = pixel[3];
    }

private:
    BYTE *m_Red, *m_Green, *m_Blue, *m_Alpha;
    DWORD m_BytesPerPixel;
    bool m_AttributeAlpha;
};

} // namespace

bool ZnValidTGA(CZNStreamIO &stream)
{
    const int64_t start = stream.Tell();
    if (start < 0)
        return false;
    BYTE header[kHeaderSize];
    const bool ok = ReadHeader(stream, header);
    stream.SeekTo(start);
    return ok;
}

bool ZnLoadTGA(CZNStreamIO &stream, CZNImage &image)
{
    image.Release();
    BYTE header[kHeaderSize];
    if (stream.Tell() < 0 || !ReadHeader(stream, header))
        return false;
    const DWORD width = ZnGetU16LE(header + 12);
    const DWORD height = ZnGetU16LE(header + 14);
    const DWORD bytesPerPixel = header[16] / 8u;
    const BYTE descriptor = header[17];
    const bool rle = header[2] == 10;
    const bool topDown = (descriptor & 0x20) != 0;

    const uint64_t colourMap = header[1] != 0 ? uint64_t{ZnGetU16LE(header + 5)} * (header[7] / 8u) : 0;
    const uint64_t pixels = uint64_t{width} * height;
    // The least the pixels can take: raw, or packets of up to 128 pixels.
    const uint64_t pixelBytes = rle ? (pixels + 127) / 128 * (1 + bytesPerPixel) : pixels * bytesPerPixel;
    CZNBufferedStreamReader reader(stream);
    const int64_t dataStart = stream.Tell();
    if (!reader.IsValid() || dataStart < 0 || !reader.Skip(header[0]) || !reader.Skip(colourMap) ||
        !ZnStreamHolds(stream, dataStart, header[0] + colourMap + pixelBytes))
        return false;
    if (!image.AllocImageMem(width, height, 24, bytesPerPixel != 3)) {
        image.Release();
        return false;
    }
    const PixelWriter writer(image, bytesPerPixel, (descriptor & 0x0F) != 0);

    BYTE pixel[4];
    if (!rle) {
        const uint64_t rowLength = uint64_t{width} * bytesPerPixel;
        BYTE *row = static_cast<BYTE *>(std::malloc(static_cast<size_t>(rowLength)));
        bool ok = row != nullptr;
        for (DWORD r = 0; r < height && ok; ++r) {
            ok = reader.Read(row, rowLength);
            const uint64_t base = uint64_t{topDown ? r : height - 1 - r} * width;
            for (DWORD x = 0; x < width && ok; ++x)
                writer.Put(base + x, row + uint64_t{x} * bytesPerPixel);
        }
        std::free(row);
        if (!ok)
            image.Release();
        return ok;
    }

    // Packets fill rows left to right; decoding ends with the last pixel of the image.
    DWORD r = 0, x = 0;
    uint64_t base = uint64_t{topDown ? 0 : height - 1} * width;
    while (r < height) {
        BYTE packet;
        if (!reader.ReadByte(packet)) {
            image.Release();
            return false;
        }
        const DWORD count = (packet & 0x7Fu) + 1;
        const bool run = (packet & 0x80) != 0;
        for (DWORD i = 0; i < count && r < height; ++i) {
            if ((i == 0 || !run) && !reader.Read(pixel, bytesPerPixel)) {
                image.Release();
                return false;
            }
            writer.Put(base + x, pixel);
            if (++x == width) {
                x = 0;
                if (++r < height)
                    base = uint64_t{topDown ? r : height - 1 - r} * width;
            }
        }
    }
    return true;
}
