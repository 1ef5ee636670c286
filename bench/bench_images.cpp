// Picture decoding speed: PNG and JPEG through CZNImage against the libraries called directly on
// the same bytes (the ratio is what counts), and BMP, TGA and PCX throughput.
#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "fileio/memory_stream_io.h"
#include "render/image/image.h"
#include "support/picture_writers.h"

namespace
{

constexpr uint32_t kSize = 1024;

// A 1024 x 1024 picture with smooth areas and some texture, as RGB triplets.
const std::vector<uint8_t> &Picture()
{
    static const std::vector<uint8_t> pixels = [] {
        std::vector<uint8_t> p(size_t{kSize} * kSize * 3);
        uint32_t noise = 12345;
        for (uint32_t y = 0; y < kSize; ++y)
            for (uint32_t x = 0; x < kSize; ++x) {
                noise = noise * 1103515245u + 12345u;
                uint8_t *px = &p[(size_t{y} * kSize + x) * 3];
                px[0] = static_cast<uint8_t>(x / 4 + ((noise >> 16) & 7));
                px[1] = static_cast<uint8_t>(y / 4);
                px[2] = static_cast<uint8_t>((x ^ y) & 0xF0);
            }
        return p;
    }();
    return pixels;
}

const std::string &PngFile()
{
    static const std::string bytes = ZnWriteRgbPng(kSize, kSize, Picture());
    return bytes;
}

const std::string &JpegFile()
{
    static const std::string bytes = ZnWriteJpeg(kSize, kSize, 3, Picture());
    return bytes;
}

const std::string &BmpFile()
{
    static const std::string bytes = [] {
        CZNImage image;
        image.AllocImageMem(kSize, kSize, 24, false);
        for (size_t i = 0; i < size_t{kSize} * kSize; ++i) {
            image.GetRedPlane()[i] = Picture()[3 * i];
            image.GetGreenPlane()[i] = Picture()[3 * i + 1];
            image.GetBluePlane()[i] = Picture()[3 * i + 2];
        }
        const std::string path = "bench_images.bmp";
        image.SaveBMP(path.c_str());
        std::string out;
        if (std::FILE *f = std::fopen(path.c_str(), "rb")) {
            char chunk[65536];
            size_t got;
            while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
                out.append(chunk, got);
            std::fclose(f);
        }
        std::remove(path.c_str());
        return out;
    }();
    return bytes;
}

const std::string &TgaFile()
{
    static const std::string bytes = [] {
        std::string out(18, '\0');
        out[2] = 2;
        out[12] = out[14] = 0;
        out[13] = out[15] = static_cast<char>(kSize >> 8);
        out[16] = 24;
        out[17] = 0x20;
        for (size_t i = 0; i < size_t{kSize} * kSize; ++i) {
            out += static_cast<char>(Picture()[3 * i + 2]);
            out += static_cast<char>(Picture()[3 * i + 1]);
            out += static_cast<char>(Picture()[3 * i]);
        }
        return out;
    }();
    return bytes;
}

const std::string &PcxFile()
{
    static const std::string bytes = [] {
        std::string out(128, '\0');
        out[0] = 10;
        out[1] = 5;
        out[2] = 1;
        out[3] = 8;
        out[8] = out[10] = static_cast<char>((kSize - 1) & 0xFF);
        out[9] = out[11] = static_cast<char>((kSize - 1) >> 8);
        out[65] = 3;
        out[66] = 0;
        out[67] = static_cast<char>(kSize >> 8);
        for (uint32_t y = 0; y < kSize; ++y)
            for (int plane = 0; plane < 3; ++plane)
                for (uint32_t x = 0; x < kSize;) {
                    const uint8_t value = Picture()[(size_t{y} * kSize + x) * 3 + plane];
                    uint32_t run = 1;
                    while (x + run < kSize && run < 63 && Picture()[(size_t{y} * kSize + x + run) * 3 + plane] == value)
                        ++run;
                    if (run > 1 || value >= 0xC0)
                        out += static_cast<char>(0xC0 | run);
                    out += static_cast<char>(value);
                    x += run;
                }
        return out;
    }();
    return bytes;
}

void DecodeThroughImage(benchmark::State &state, const std::string &bytes)
{
    std::string copy = bytes;
    for (auto _ : state) {
        CZNMemoryStreamIO stream;
        stream.Open(copy.data(), static_cast<DWORD>(copy.size()), 1, false);
        CZNImage image;
        if (!image.LoadImageFile(stream))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image.GetRedPlane());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

struct PngReadState {
    const std::string *Bytes;
    size_t Position;
};

void PngReadMemory(png_structp png, png_bytep data, png_size_t length)
{
    auto *source = static_cast<PngReadState *>(png_get_io_ptr(png));
    if (source->Position + length > source->Bytes->size())
        png_error(png, "short");
    std::memcpy(data, source->Bytes->data() + source->Position, length);
    source->Position += length;
}

void BM_PngThroughImage(benchmark::State &state)
{
    DecodeThroughImage(state, PngFile());
}

void BM_PngDirect(benchmark::State &state)
{
    const std::string &bytes = PngFile();
    std::vector<uint8_t> rows(size_t{kSize} * kSize * 3);
    for (auto _ : state) {
        PngReadState source{&bytes, 0};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            state.SkipWithError("decode failed");
            png_destroy_read_struct(&png, &info, nullptr);
            break;
        }
        png_set_read_fn(png, &source, PngReadMemory);
        png_read_info(png, info);
        png_read_update_info(png, info);
        for (uint32_t y = 0; y < kSize; ++y)
            png_read_row(png, &rows[size_t{y} * kSize * 3], nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void BM_JpegThroughImage(benchmark::State &state)
{
    DecodeThroughImage(state, JpegFile());
}

void BM_JpegDirect(benchmark::State &state)
{
    const std::string &bytes = JpegFile();
    std::vector<uint8_t> rows(size_t{kSize} * kSize * 3);
    for (auto _ : state) {
        jpeg_decompress_struct info;
        jpeg_error_mgr error;
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = &rows[size_t{info.output_scanline} * kSize * 3];
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void BM_BmpDecode(benchmark::State &state)
{
    DecodeThroughImage(state, BmpFile());
}
void BM_TgaDecode(benchmark::State &state)
{
    DecodeThroughImage(state, TgaFile());
}
void BM_PcxDecode(benchmark::State &state)
{
    DecodeThroughImage(state, PcxFile());
}

} // namespace

BENCHMARK(BM_PngThroughImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegThroughImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDirect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TgaDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PcxDecode)->Unit(benchmark::kMillisecond);
