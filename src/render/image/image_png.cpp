#include "render/image/image_png.h"

#include <csetjmp>
#include <cstdlib>

#include <png.h>

#include "fileio/stream_io.h"
#include "render/image/image.h"
#include "render/image/interleaved_samples.h"
#include "render/image/peek_stream.h"

namespace
{

// libpng's errors jump back to the decoder through png_jmpbuf; no C++ object lives in the
// frames the jump leaves. Everything the cleanup needs is kept here, outside those frames.
struct PngContext {
    png_structp Png;
    png_infop Info;
    png_infop EndInfo;
    BYTE *Row;
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
// present.
void SplitRow(const BYTE *row, DWORD channels, DWORD width, CZNImage *image, uint64_t at, DWORD step)
{
    BYTE *planes[4] = {image->GetRedPlane() + at, nullptr, nullptr, nullptr};
    if (image->GetGreenPlane() && image->GetBluePlane() && channels >= 3) {
        planes[1] = image->GetGreenPlane() + at;
        planes[2] = image->GetBluePlane() + at;
    }
    if (image->GetAlphaPlane() && channels >= 2)
        planes[channels - 1] = image->GetAlphaPlane() + at;
    ZnSplitSamples(row, channels, width, planes, step);
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
    if (depth != 8 || channels != expected || !image->AllocUnclearedImageMem(width, height, bits, alpha))
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
    if (rowBytes < size_t{width} * channels || rowBytes > 4 * CZNImage::kMaxPlaneSize)
        return false;
    ctx->Row = static_cast<BYTE *>(std::malloc(rowBytes));
    if (!ctx->Row)
        return false;
    if (interlace == PNG_INTERLACE_NONE) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, ctx->Row, nullptr);
            SplitRow(ctx->Row, channels, width, image, uint64_t{y} * width, 1);
        }
        return true;
    }
    // Interlaced pictures come as seven smaller pictures, each a lattice of the whole; their
    // pixels go straight to their places in the planes. The library skips empty passes.
    for (int pass = 0; pass < PNG_INTERLACE_ADAM7_PASSES; ++pass) {
        const png_uint_32 rows = PNG_PASS_ROWS(height, pass), columns = PNG_PASS_COLS(width, pass);
        if (rows == 0 || columns == 0)
            continue;
        for (png_uint_32 r = 0; r < rows; ++r) {
            png_read_row(png, ctx->Row, nullptr);
            const uint64_t y = PNG_PASS_START_ROW(pass) + uint64_t{r} * PNG_PASS_ROW_OFFSET(pass);
            SplitRow(ctx->Row, channels, columns, image, y * width + PNG_PASS_START_COL(pass),
                     PNG_PASS_COL_OFFSET(pass));
        }
    }
    return true;
}

} // namespace

bool ZnValidPNG(CZNStreamIO &stream)
{
    return ZnPeekStream(stream, [&] {
        png_byte signature[8];
        return stream.Read(signature, 8) == 8 && png_sig_cmp(signature, 0, 8) == 0;
    });
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
    std::free(ctx.Row);
    if (!ok)
        image.Release();
    return ok;
}
