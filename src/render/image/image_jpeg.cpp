#include "render/image/image_jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "fileio/stream_io.h"
#include "render/image/image.h"
#include "render/image/interleaved_samples.h"
#include "render/image/peek_stream.h"

namespace
{

constexpr DWORD kSourceBufferSize = 10000;

// libjpeg reports a fatal error through error_exit; it jumps back to the decoder, which cleans
// up and fails. No C++ object lives in the frames the jump leaves.
struct JpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
};

struct JpegSource {
    jpeg_source_mgr Manager;
    CZNStreamIO *Stream;
    JOCTET *Buffer;
    DWORD Size;
};

// Rows asked of the library at a time: it may then write them in place, and each call has its
// cost.
constexpr DWORD kRowsPerCall = 4;

struct JpegContext {
    jpeg_decompress_struct Info;
    JpegError Error;
    JpegSource Source;
    BYTE *Rows;
    bool Created;
};

void ErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError *>(info->err)->Jump, 1);
}

void OutputMessage(j_common_ptr) {}

void InitSource(j_decompress_ptr info)
{
    auto *source = reinterpret_cast<JpegSource *>(info->src);
    if (source->Buffer)
        std::memset(source->Buffer, 0, source->Size);
    source->Manager.next_input_byte = nullptr;
    source->Manager.bytes_in_buffer = 0;
}

boolean FillInputBuffer(j_decompress_ptr info)
{
    auto *source = reinterpret_cast<JpegSource *>(info->src);
    if (!source->Buffer)
        ERREXIT(info, JERR_INPUT_EMPTY);
    const DWORD got = source->Stream->Read(source->Buffer, source->Size);
    if (got == 0 || got > source->Size)
        ERREXIT(info, JERR_INPUT_EMPTY); // the data ends before the picture does
    source->Manager.next_input_byte = source->Buffer;
    source->Manager.bytes_in_buffer = got;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    auto *source = reinterpret_cast<JpegSource *>(info->src);
    if (count <= 0)
        return;
    if (!source->Buffer)
        ERREXIT(info, JERR_INPUT_EMPTY);
    const auto skip = static_cast<size_t>(count);
    if (skip > source->Manager.bytes_in_buffer) {
        if (source->Stream->Seek(static_cast<int64_t>(skip - source->Manager.bytes_in_buffer), 1) < 0)
            ERREXIT(info, JERR_INPUT_EOF);
        FillInputBuffer(info);
    } else {
        source->Manager.next_input_byte += skip;
        source->Manager.bytes_in_buffer -= skip;
    }
}

void TermSource(j_decompress_ptr info)
{
    auto *source = reinterpret_cast<JpegSource *>(info->src);
    source->Manager.next_input_byte = nullptr;
    source->Manager.bytes_in_buffer = 0;
}

bool Decode(JpegContext *ctx, CZNImage *image)
{
    jpeg_decompress_struct *info = &ctx->Info;
    if (setjmp(ctx->Error.Jump))
        return false;
    jpeg_create_decompress(info);
    ctx->Created = true;
    // Big pictures are refused before the library allocates for them.
    info->mem->max_memory_to_use = static_cast<long>(CZNImage::kMaxPlaneSize);
    info->src = &ctx->Source.Manager;
    if (jpeg_read_header(info, TRUE) != JPEG_HEADER_OK)
        return false;
    // Decoded as three planes: refused before any scan is decoded when they cannot be held.
    if (uint64_t{info->image_width} * info->image_height * 3 > CZNImage::kMaxImageSize)
        return false;
#ifdef JCS_EXTENSIONS
    // Colour pictures come out as RGB with a filler byte: four samples a pixel split into planes
    // faster than three. Grey and colour convert alike.
    info->out_color_space = JCS_EXT_RGBX;
#else
    info->out_color_space = JCS_RGB;
#endif
    if (!jpeg_start_decompress(info))
        return false;
    const DWORD components = static_cast<DWORD>(info->output_components);
    if (components < 3 || components > 4 ||
        !image->AllocUnclearedImageMem(info->output_width, info->output_height, 24, false))
        return false;
    const DWORD width = info->output_width;
    // The library writes rows that begin on a 32-byte boundary with stores that bypass the cache;
    // these rows are read back at once, so they begin 16 bytes off it.
    const size_t rowBytes = (size_t{width} * components + 31) / 32 * 32;
    ctx->Rows = static_cast<BYTE *>(std::malloc(rowBytes * kRowsPerCall + 48));
    if (!ctx->Rows)
        return false;
    BYTE *first = ctx->Rows + (48 - reinterpret_cast<uintptr_t>(ctx->Rows) % 32);
    JSAMPROW rows[kRowsPerCall];
    for (DWORD i = 0; i < kRowsPerCall; ++i)
        rows[i] = first + rowBytes * i;
    BYTE *const planes[3] = {image->GetRedPlane(), image->GetGreenPlane(), image->GetBluePlane()};
    while (info->output_scanline < info->output_height) {
        const uint64_t y = info->output_scanline;
        const DWORD wanted = std::min<DWORD>(kRowsPerCall, info->output_height - info->output_scanline);
        const DWORD got = jpeg_read_scanlines(info, rows, wanted);
        if (got == 0 || got > wanted)
            return false;
        for (DWORD i = 0; i < got; ++i) {
            const uint64_t at = (y + i) * width;
            BYTE *const row[4] = {planes[0] + at, planes[1] + at, planes[2] + at, nullptr};
            ZnSplitSamples(rows[i], components, width, row);
        }
    }
    jpeg_finish_decompress(info);
    return true;
}

} // namespace

bool ZnValidJPG(CZNStreamIO &stream)
{
    return ZnPeekStream(stream, [&] {
        BYTE magic[3];
        return stream.Read(magic, 3) == 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF;
    });
}

bool ZnLoadJPG(CZNStreamIO &stream, CZNImage &image)
{
    image.Release();
    auto *ctx = static_cast<JpegContext *>(std::calloc(1, sizeof(JpegContext)));
    if (!ctx)
        return false;
    ctx->Info.err = jpeg_std_error(&ctx->Error.Manager);
    ctx->Error.Manager.error_exit = ErrorExit;
    ctx->Error.Manager.output_message = OutputMessage;
    ctx->Source.Stream = &stream;
    ctx->Source.Size = kSourceBufferSize;
    ctx->Source.Buffer = static_cast<JOCTET *>(std::malloc(kSourceBufferSize));
    ctx->Source.Manager.init_source = InitSource;
    ctx->Source.Manager.fill_input_buffer = FillInputBuffer;
    ctx->Source.Manager.skip_input_data = SkipInputData;
    ctx->Source.Manager.resync_to_restart = jpeg_resync_to_restart;
    ctx->Source.Manager.term_source = TermSource;

    const bool ok = ctx->Source.Buffer && Decode(ctx, &image);
    if (ctx->Created)
        jpeg_destroy_decompress(&ctx->Info);
    std::free(ctx->Rows);
    std::free(ctx->Source.Buffer);
    std::free(ctx);
    if (!ok)
        image.Release();
    return ok;
}
