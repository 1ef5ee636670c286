#include "render/image/image_psd.h"

#include <algorithm>
#include <cstring>

#include "fileio/buffered_stream_reader.h"
#include "fileio/stream_io.h"
#include "platform/os/byte_order.h"
#include "render/image/image.h"
#include "render/image/peek_stream.h"

namespace
{

constexpr DWORD kHeaderSize = 26;

struct PsdHeader {
    WORD Channels;
    DWORD Height;
    DWORD Width;
    WORD Compression;
};

// Reads and checks the header, skips the colour-mode data, image resources and layer sections
// and reads the compression word; the stream is left at the channel data.
bool ReadHeader(CZNStreamIO &stream, PsdHeader &out)
{
    BYTE header[kHeaderSize];
    if (stream.Read(header, kHeaderSize) != kHeaderSize)
        return false;
    out.Channels = ZnGetU16BE(header + 12);
    out.Height = ZnGetU32BE(header + 14);
    out.Width = ZnGetU32BE(header + 18);
    if (ZnGetU32BE(header) != 0x38425053 || ZnGetU16BE(header + 4) != 1 || out.Channels < 1 || out.Channels > 4 ||
        ZnGetU16BE(header + 22) != 8 || ZnGetU16BE(header + 24) != 3)
        return false;
    for (int section = 0; section < 3; ++section) {
        BYTE length[4];
        if (stream.Read(length, 4) != 4 || stream.Seek(ZnGetU32BE(length), 1) < 0)
            return false;
    }
    BYTE compression[2];
    if (stream.Read(compression, 2) != 2)
        return false;
    out.Compression = ZnGetU16BE(compression);
    return out.Compression == 0 || out.Compression == 1;
}

// PackBits until the plane is full; a run never writes past its end.
bool DecodePackBits(CZNBufferedStreamReader &reader, BYTE *plane, uint64_t size)
{
    uint64_t done = 0;
    BYTE literal[128];
    while (done < size) {
        BYTE n;
        if (!reader.ReadByte(n))
            return false;
        if (n < 128) {
            const DWORD count = n + 1u;
            if (!reader.Read(literal, count))
                return false;
            const uint64_t take = std::min<uint64_t>(count, size - done);
            std::memcpy(plane + done, literal, static_cast<size_t>(take));
            done += take;
        } else if (n > 128) {
            BYTE value;
            if (!reader.ReadByte(value))
                return false;
            const uint64_t take = std::min<uint64_t>(257u - n, size - done);
            std::memset(plane + done, value, static_cast<size_t>(take));
            done += take;
        }
    }
    return true;
}

} // namespace

bool ZnValidPSD(CZNStreamIO &stream)
{
    return ZnPeekStream(stream, [&] {
        PsdHeader header{};
        return ReadHeader(stream, header);
    });
}

bool ZnLoadPSD(CZNStreamIO &stream, CZNImage &image)
{
    image.Release();
    PsdHeader header{};
    if (stream.Tell() < 0 || !ReadHeader(stream, header))
        return false;
    const bool alpha = header.Channels == 4;
    const BYTE bits = static_cast<BYTE>(alpha ? 24 : 8 * header.Channels);
    // The least the channels can take: raw, or the row table and runs of up to 128 bytes.
    const uint64_t pixels = uint64_t{header.Width} * header.Height;
    const uint64_t dataBytes = header.Compression == 1
                                   ? header.Channels * (uint64_t{header.Height} * 2 + (pixels + 127) / 128 * 2)
                                   : header.Channels * pixels;
    if (!ZnStreamHolds(stream, stream.Tell(), dataBytes) ||
        !image.AllocUnclearedImageMem(header.Width, header.Height, bits, alpha)) {
        image.Release();
        return false;
    }
    if (bits == 8) {
        // A single channel is grey.
        RGBQUAD *palette = image.GetPalette();
        for (int i = 0; i < 256; ++i)
            palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = static_cast<BYTE>(i);
    }

    CZNBufferedStreamReader reader(stream);
    const uint64_t size = image.GetPlaneSize();
    BYTE *planes[4] = {image.GetRedPlane(), image.GetGreenPlane(), image.GetBluePlane(), image.GetAlphaPlane()};
    bool ok = reader.IsValid();
    if (ok && header.Compression == 1) // the table of row byte counts is not needed
        ok = reader.Skip(uint64_t{header.Channels} * header.Height * 2);
    for (WORD c = 0; c < header.Channels && ok; ++c)
        ok = header.Compression == 1 ? DecodePackBits(reader, planes[c], size) : reader.Read(planes[c], size);
    if (!ok)
        image.Release();
    return ok;
}
