#include "render/image/image_png.h"

#include <csetjmp>
#include <cstdlib>

#include <png.h>

#include "fileio/stream_io.h"
#include "render/image/image.h"

namespace
{

// libpng's errors jump back to the decoder through png_jmpbuf; no C++ object lives in the
// frames the jump leaves. Everything the cleanup needs is kept here, outside those frames.
struct PngContext {
    png_structp Png;
    png_infop Info;
    png_infop EndInfo;
    BYTE *Pixels;
    png_bytep *Rows;
};

void ErrorHandler(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void WarningHandler(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep data, png_size_t length)
{
    auto *stream = static_cast<CZNStreamIO *>(png_get_io_ptr(png));
    while (length) {
        const DWORD part = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
        if (stream->Read(data, part) != part)
            png_error(png, "read error");
        data += part;
        length -= part;
    }
}

// Per pixel: samples 0, 1, 2 to red (or index), green and blue, the last to alpha, each when
// present. Kept out of the function that calls setjmp, which the compiler optimises less.
void SplitRow(const BYTE *row, DWORD channels, DWORD width, CZNImage *image, uint64_t at)
{
    BYTE *red = image->GetRedPlane() + at;
    BYTE *green = image->GetGreenPlane() ? image->GetGreenPlane() + at : nullptr;
    BYTE *blue = image->GetBluePlane() ? image->GetBluePlane() + at : nullptr;
    BYTE *alpha = image->GetAlphaPlane() ? image->GetAlphaPlane() + at : nullptr;
    if (channels == 3 && green && blue) {
        for (DWORD x = 0; x < width; ++x, row += 3) {
            red[x] = row[0];
            green[x] = row[1];
            blue[x] = row[2];
        }
        return;
    }
    for (DWORD x = 0; x < width; ++x, row += channels) {
        red[x] = row[0];
        if (green)
            green[x] = row[1];
        if (blue)
            blue[x] = row[2];
        if (alpha)
            alpha[x] = row[channels - 1];
    }
}

bool Decode(PngContext *ctx, CZNStreamIO *stream, CZNImage *image)
{
    png_structp png = ctx->Png;
    png_infop info = ctx->Info;
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, stream, ReadData);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
    if (uint64_t{width} * height > CZNImage::kMaxPlaneSize)
        return false;
    if (depth < 8) {
        if (colourType == PNG_COLOR_TYPE_GRAY)
            png_set_expand_gray_1_2_4_to_8(png);
        else
            png_set_packing(png);
    }
    if (depth == 16)
        png_set_strip_16(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    png_get_IHDR(png, info, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
    const DWORD channels = png_get_channels(png, info);

    BYTE bits;
    bool alpha;
    switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        bits = 8, alpha = false;
        break;
    case PNG_COLOR_TYPE_RGB:
        bits = 24, alpha = false;
        break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        bits = 8, alpha = true;
        break;
    case PNG_COLOR_TYPE_RGB_ALPHA:
        bits = 24, alpha = true;
        break;
    default:
        return false;
    }
    const DWORD expected = (bits == 24 ? 3u : 1u) + (alpha ? 1u : 0u);
    if (depth != 8 || channels != expected || !image->AllocImageMem(width, height, bits, alpha))
        return false;

    RGBQUAD *palette = image->GetPalette();
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp entries = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &entries, &count) && entries) {
            for (int i = 0; i < count && i < 256; ++i) {
                palette[i].rgbRed = entries[i].red;
                palette[i].rgbGreen = entries[i].green;
                palette[i].rgbBlue = entries[i].blue;
            }
        }
    } else if (palette) {
        for (int i = 0; i < 256; ++i)
            palette[i].rgbRed = palette[i].rgbGreen = palette[i].rgbBlue = static_cast<BYTE>(i);
    }

    const size_t rowBytes = png_get_rowbytes(png, info);
    if (rowBytes < size_t{width} * channels)
        return false;
    // Interlaced pictures are read whole (every pass refines the rows); others row by row.
    const bool whole = passes > 1;
    const uint64_t bufferSize = uint64_t{rowBytes} * (whole ? height : 1);
    if (bufferSize > 4 * CZNImage::kMaxPlaneSize)
        return false;
    ctx->Pixels = static_cast<BYTE *>(std::malloc(static_cast<size_t>(bufferSize)));
    if (!ctx->Pixels)
        return false;
    if (whole) {
        ctx->Rows = static_cast<png_bytep *>(std::malloc(sizeof(png_bytep) * height));
        if (!ctx->Rows)
            return false;
        for (png_uint_32 y = 0; y < height; ++y)
            ctx->Rows[y] = ctx->Pixels + uint64_t{y} * rowBytes;
        png_read_image(png, ctx->Rows);
    }

    for (png_uint_32 y = 0; y < height; ++y) {
        BYTE *row = whole ? ctx->Rows[y] : ctx->Pixels;
        if (!whole)
            png_read_row(png, row, nullptr);
        SplitRow(row, channels, width, image, uint64_t{y} * width);
    }
    return true;
}

} // namespace

bool ZnValidPNG(CZNStreamIO &stream)
{
    const int64_t start = stream.Tell();
    if (start < 0)
        return false;
    png_byte signature[8];
    const bool ok = stream.Read(signature, 8) == 8 && png_sig_cmp(signature, 0, 8) == 0;
    stream.SeekTo(start);
    return ok;
}

bool ZnLoadPNG(CZNStreamIO &stream, CZNImage &image)
{
    image.Release();
    PngContext ctx{};
    ctx.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorHandler, WarningHandler);
    if (ctx.Png) {
        ctx.Info = png_create_info_struct(ctx.Png);
        ctx.EndInfo = png_create_info_struct(ctx.Png);
    }
    const bool ok = ctx.Png && ctx.Info && ctx.EndInfo && Decode(&ctx, &stream, &image);
    if (ctx.Png)
        png_destroy_read_struct(&ctx.Png, ctx.Info ? &ctx.Info : nullptr, ctx.EndInfo ? &ctx.EndInfo : nullptr);
    std::free(ctx.Rows);
    std::free(ctx.Pixels);
    if (!ok)
        image.Release();
    return ok;
}
