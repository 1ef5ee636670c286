#include "render/image/image_tga.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "fileio/buffered_stream_reader.h"
#include "fileio/stream_io.h"
#include "platform/os/byte_order.h"
#include "render/image/image.h"
#include "render/image/peek_stream.h"

namespace
{

constexpr DWORD kHeaderSize = 18;

bool ReadHeader(CZNStreamIO &stream, BYTE (&header)[kHeaderSize])
{
    return stream.Read(header, kHeaderSize) == kHeaderSize && (header[2] == 2 || header[2] == 10) &&
           (header[16] == 16 || header[16] == 24 || header[16] == 32);
}

// The newer layout closes the file with a footer naming an extension area, whose attribute type
// says what the alpha bits hold: 0, 1 and 2 mean nothing (no alpha, undefined, undefined but to
// be kept). True when the file says so; a missing or malformed footer or area says nothing. The
// stream position is left anywhere.
bool AlphaHoldsNothing(CZNStreamIO &stream, int64_t start)
{
    constexpr DWORD kFooterSize = 26;
    constexpr DWORD kExtensionSize = 495;
    constexpr DWORD kAttributeAt = 494;
    static const char kSignature[] = "TRUEVISION-XFILE.";
    BYTE footer[kFooterSize];
    const int64_t footerAt = stream.Seek(-static_cast<int64_t>(kFooterSize), 2);
    if (footerAt < start + static_cast<int64_t>(kHeaderSize) || stream.Read(footer, kFooterSize) != kFooterSize ||
        std::memcmp(footer + 8, kSignature, sizeof(kSignature)) != 0)
        return false;
    const DWORD offset = ZnGetU32LE(footer);
    // The area lies between the header and the footer.
    if (offset < kHeaderSize || start + int64_t{offset} + kExtensionSize > footerAt)
        return false;
    BYTE size[2], attribute;
    if (!stream.SeekTo(start + offset) || stream.Read(size, 2) != 2 || ZnGetU16LE(size) < kExtensionSize ||
        !stream.SeekTo(start + offset + kAttributeAt) || stream.Read(&attribute, 1) != 1)
        return false;
    return attribute <= 2;
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
    return ZnPeekStream(stream, [&] {
        BYTE header[kHeaderSize];
        return ReadHeader(stream, header);
    });
}

bool ZnLoadTGA(CZNStreamIO &stream, CZNImage &image)
{
    image.Release();
    BYTE header[kHeaderSize];
    const int64_t start = stream.Tell();
    if (start < 0 || !ReadHeader(stream, header))
        return false;
    const DWORD width = ZnGetU16LE(header + 12);
    const DWORD height = ZnGetU16LE(header + 14);
    const DWORD bytesPerPixel = header[16] / 8u;
    const BYTE descriptor = header[17];
    const bool rle = header[2] == 10;
    const bool topDown = (descriptor & 0x20) != 0;
    const bool rightToLeft = (descriptor & 0x10) != 0;
    const bool alpha = bytesPerPixel != 3;
    const bool opaque = alpha && AlphaHoldsNothing(stream, start);

    // Colour-map entries take whole bytes: 15 bits are stored in 2.
    const uint64_t colourMap = header[1] != 0 ? uint64_t{ZnGetU16LE(header + 5)} * ((header[7] + 7u) / 8u) : 0;
    const uint64_t pixels = uint64_t{width} * height;
    // The least the pixels can take: raw, or packets of up to 128 pixels.
    const uint64_t pixelBytes = rle ? (pixels + 127) / 128 * (1 + bytesPerPixel) : pixels * bytesPerPixel;
    const int64_t dataStart = start + kHeaderSize;
    if (!stream.SeekTo(dataStart))
        return false;
    CZNBufferedStreamReader reader(stream);
    if (!reader.IsValid() || !reader.Skip(header[0]) || !reader.Skip(colourMap) ||
        !ZnStreamHolds(stream, dataStart, header[0] + colourMap + pixelBytes))
        return false;
    if (!image.AllocUnclearedImageMem(width, height, 24, alpha)) {
        image.Release();
        return false;
    }
    const PixelWriter writer(image, bytesPerPixel, (descriptor & 0x0F) != 0);
    // Where pixel x of stored row r goes.
    auto rowStart = [&](DWORD r) { return uint64_t{topDown ? r : height - 1 - r} * width; };
    auto column = [&](DWORD x) { return rightToLeft ? width - 1 - x : x; };

    bool ok = true;
    if (!rle) {
        const uint64_t rowLength = uint64_t{width} * bytesPerPixel;
        BYTE *row = static_cast<BYTE *>(std::malloc(static_cast<size_t>(rowLength)));
        ok = row != nullptr;
        for (DWORD r = 0; r < height && ok; ++r) {
            ok = reader.Read(row, rowLength);
            const uint64_t base = rowStart(r);
            for (DWORD x = 0; x < width && ok; ++x)
                writer.Put(base + column(x), row + uint64_t{x} * bytesPerPixel);
        }
        std::free(row);
    } else {
        // Packets fill rows in storage order; decoding ends with the last pixel of the image.
        BYTE pixel[4];
        DWORD r = 0, x = 0;
        uint64_t base = rowStart(0);
        while (r < height && ok) {
            BYTE packet = 0;
            ok = reader.ReadByte(packet);
            const DWORD count = (packet & 0x7Fu) + 1;
            const bool run = (packet & 0x80) != 0;
            for (DWORD i = 0; ok && i < count && r < height; ++i) {
                if ((i == 0 || !run) && !reader.Read(pixel, bytesPerPixel)) {
                    ok = false;
                    break;
                }
                writer.Put(base + column(x), pixel);
                if (++x == width) {
                    x = 0;
                    if (++r < height)
                        base = rowStart(r);
                }
            }
        }
    }
    if (!ok) {
        image.Release();
        return false;
    }
    // Alpha that holds nothing, by the file's word or by being 0 everywhere, would make the
    // picture vanish under the alpha merge: such pictures are opaque.
    BYTE *alphaPlane = image.GetAlphaPlane();
    const size_t size = image.GetPlaneSize();
    if (alphaPlane && (opaque || std::all_of(alphaPlane, alphaPlane + size, [](BYTE a) { return a == 0; })))
        std::memset(alphaPlane, 255, size);
    return true;
}
