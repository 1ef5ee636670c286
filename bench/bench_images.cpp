// Picture decoding speed: PNG (RGB, RGBA, interlaced) and baseline JPEG of 2048 x 2048 through
// CZNImage against the libraries called directly on the same bytes, as a texture scan loads one
// picture after another. Each pair runs interleaved in one loop (alternating which goes first), so
// the heap history left by earlier benchmarks weighs on both alike; "vs_library" is the time
// through CZNImage divided by the library's, the figure that matters. Times are the thread's CPU
// time (page faults included), which other work on the machine moves least; the minor page faults
// per load are given beside them. BMP, TGA and PCX, decoded by the image code itself, are given
// as throughput.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <time.h>

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

constexpr uint32_t kSize = 2048;

// A picture with smooth areas and some texture, as RGB triplets.
const std::vector<uint8_t> &Picture()
{
    static const std::vector<uint8_t> pixels = [] {
        std::vector<uint8_t> p(size_t{kSize} * kSize * 3);
        uint32_t noise = 12345;
        for (uint32_t y = 0; y < kSize; ++y)
            for (uint32_t x = 0; x < kSize; ++x) {
                noise = noise * 1103515245u + 12345u;
                uint8_t *px = &p[(size_t{y} * kSize + x) * 3];
                px[0] = static_cast<uint8_t>(x / 8 + ((noise >> 16) & 7));
                px[1] = static_cast<uint8_t>(y / 8);
                px[2] = static_cast<uint8_t>((x ^ y) & 0xF0);
            }
        return p;
    }();
    return pixels;
}

std::string Png(bool alpha, bool interlaced)
{
    const int colourType = alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    ZnPngPicture picture{kSize, kSize, colourType, 8, interlaced, {}, {}, {}};
    const std::vector<uint8_t> &p = Picture();
    for (uint32_t y = 0; y < kSize; ++y) {
        std::string row;
        row.reserve(size_t{kSize} * 4);
        for (uint32_t x = 0; x < kSize; ++x) {
            const uint8_t *px = &p[(size_t{y} * kSize + x) * 3];
            row.append(reinterpret_cast<const char *>(px), 3);
            if (alpha)
                row.push_back(static_cast<char>((x + y) & 0xFF));
        }
        picture.Rows.push_back(std::move(row));
    }
    return ZnWritePng(picture);
}

const std::string &PngRgbFile()
{
    static const std::string bytes = Png(false, false);
    return bytes;
}
const std::string &PngRgbaFile()
{
    static const std::string bytes = Png(true, false);
    return bytes;
}
const std::string &PngInterlacedFile()
{
    static const std::string bytes = Png(false, true);
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
        out[66] = static_cast<char>(kSize & 0xFF);
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

double ThreadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

long MinorFaults()
{
    rusage usage;
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

// One load through CZNImage from a memory stream over the bytes.
bool DecodeThroughImage(std::string &bytes)
{
    CZNMemoryStreamIO stream;
    stream.Open(bytes.data(), static_cast<DWORD>(bytes.size()), 1, false);
    CZNImage image;
    const bool ok = image.LoadImageFile(stream);
    benchmark::DoNotOptimize(image.GetRedPlane());
    return ok;
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

// libpng alone: rows into one reused buffer (the whole picture at once when interlaced).
bool DecodePngDirect(const std::string &bytes, std::vector<uint8_t> &pixels, std::vector<png_bytep> &rows)
{
    PngReadState source{&bytes, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, PngReadMemory);
    png_read_info(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(rowBytes * height);
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = &pixels[rowBytes * y];
    if (passes > 1) {
        png_read_image(png, rows.data());
    } else {
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, rows[y], nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    benchmark::DoNotOptimize(pixels.data());
    return true;
}

// libjpeg alone: RGB rows into one reused buffer.
bool DecodeJpegDirect(const std::string &bytes, std::vector<uint8_t> &pixels)
{
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const size_t rowBytes = size_t{info.output_width} * 3;
    pixels.resize(rowBytes * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &pixels[rowBytes * info.output_scanline];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
    return true;
}

// Runs the library's decode and the decode through CZNImage one after the other in every
// iteration, the order alternating, after one untimed pair; reports both times and their ratio.
template <class Direct> void DecodePair(benchmark::State &state, const std::string &file, Direct direct)
{
    std::string bytes = file;
    if (!direct(bytes) || !DecodeThroughImage(bytes)) {
        state.SkipWithError("decode failed");
        return;
    }
    double image = 0.0, library = 0.0;
    long imageFaults = 0, libraryFaults = 0;
    int64_t round = 0;
    for (auto _ : state) {
        double imageTime = 0.0;
        for (int half = 0; half < 2; ++half) {
            const bool imageTurn = (half == 0) == (round % 2 == 0);
            const long faults = MinorFaults();
            const double start = ThreadSeconds();
            const bool ok = imageTurn ? DecodeThroughImage(bytes) : direct(bytes);
            const double seconds = ThreadSeconds() - start;
            if (!ok)
                state.SkipWithError("decode failed");
            (imageTurn ? image : library) += seconds;
            (imageTurn ? imageFaults : libraryFaults) += MinorFaults() - faults;
            if (imageTurn)
                imageTime = seconds;
        }
        state.SetIterationTime(imageTime);
        ++round;
    }
    if (round > 0 && library > 0.0) {
        state.counters["image_ms"] = 1000.0 * image / double(round);
        state.counters["library_ms"] = 1000.0 * library / double(round);
        state.counters["vs_library"] = image / library;
        state.counters["image_faults"] = double(imageFaults) / double(round);
        state.counters["library_faults"] = double(libraryFaults) / double(round);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

void BM_PngRgb(benchmark::State &state)
{
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    DecodePair(state, PngRgbFile(), [&](const std::string &b) { return DecodePngDirect(b, pixels, rows); });
}

void BM_PngRgba(benchmark::State &state)
{
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    DecodePair(state, PngRgbaFile(), [&](const std::string &b) { return DecodePngDirect(b, pixels, rows); });
}

void BM_PngInterlaced(benchmark::State &state)
{
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    DecodePair(state, PngInterlacedFile(), [&](const std::string &b) { return DecodePngDirect(b, pixels, rows); });
}

void BM_JpegBaseline(benchmark::State &state)
{
    std::vector<uint8_t> pixels;
    DecodePair(state, JpegFile(), [&](const std::string &b) { return DecodeJpegDirect(b, pixels); });
}

void DecodeOwnFormat(benchmark::State &state, const std::string &file)
{
    std::string bytes = file;
    for (auto _ : state)
        if (!DecodeThroughImage(bytes))
            state.SkipWithError("load failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

void BM_BmpDecode(benchmark::State &state)
{
    DecodeOwnFormat(state, BmpFile());
}
void BM_TgaDecode(benchmark::State &state)
{
    DecodeOwnFormat(state, TgaFile());
}
void BM_PcxDecode(benchmark::State &state)
{
    DecodeOwnFormat(state, PcxFile());
}

} // namespace

BENCHMARK(BM_PngRgb)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_PngRgba)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_PngInterlaced)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_JpegBaseline)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_BmpDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TgaDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PcxDecode)->Unit(benchmark::kMillisecond);
