// Texture folder scan: 500 distinct 256 x 256 pictures (PNG, JPEG and TGA in turn) scanned by the
// texture manager with previews and CRCs, against decoding the same files with the image code
// alone in the same run (the difference is what the scan adds).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "render/image.h"
#include "render/texture_manager.h"

namespace
{

constexpr uint32_t kSize = 256;
constexpr int kCount = 500;

std::vector<uint8_t> Picture(int index)
{
    std::vector<uint8_t> p(size_t{kSize} * kSize * 3);
    uint32_t noise = 12345u + static_cast<uint32_t>(index) * 7919u;
    for (uint32_t y = 0; y < kSize; ++y)
        for (uint32_t x = 0; x < kSize; ++x) {
            noise = noise * 1103515245u + 12345u;
            uint8_t *px = &p[(size_t{y} * kSize + x) * 3];
            px[0] = static_cast<uint8_t>(x + index * 3 + ((noise >> 16) & 7));
            px[1] = static_cast<uint8_t>(y + index * 5);
            px[2] = static_cast<uint8_t>(((x ^ y) & 0xF0) + index);
        }
    return p;
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    if (std::FILE *f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

void PngAppend(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<std::string *>(png_get_io_ptr(png))->append(reinterpret_cast<const char *>(data), length);
}
void PngNoFlush(png_structp) {}

std::string Png(const std::vector<uint8_t> &pixels)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, PngAppend, PngNoFlush);
    png_set_IHDR(png, info, kSize, kSize, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (uint32_t y = 0; y < kSize; ++y)
        png_write_row(png, const_cast<png_bytep>(&pixels[size_t{y} * kSize * 3]));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string Jpeg(const std::vector<uint8_t> &pixels)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = kSize;
    info.image_height = kSize;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < kSize) {
        JSAMPROW row = const_cast<JSAMPROW>(&pixels[size_t{info.next_scanline} * kSize * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::string out(reinterpret_cast<const char *>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

std::string Tga(const std::vector<uint8_t> &pixels)
{
    std::string out(18, '\0');
    out[2] = 2;
    out[13] = out[15] = static_cast<char>(kSize >> 8);
    out[16] = 24;
    out[17] = 0x20;
    for (size_t i = 0; i < size_t{kSize} * kSize; ++i) {
        out += static_cast<char>(pixels[3 * i + 2]);
        out += static_cast<char>(pixels[3 * i + 1]);
        out += static_cast<char>(pixels[3 * i]);
    }
    return out;
}

// The folder of generated textures, made once per run and removed at exit.
struct TextureFolder {
    std::string path;
    std::vector<std::string> files;

    TextureFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zn_bench_textures_XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return;
        path = pattern + "/";
        for (int i = 0; i < kCount; ++i) {
            const std::vector<uint8_t> pixels = Picture(i);
            char name[32];
            const char *extension = i % 3 == 0 ? "png" : i % 3 == 1 ? "jpg" : "tga";
            std::snprintf(name, sizeof(name), "texture%03d.%s", i, extension);
            const std::string file = path + name;
            WriteBytes(file, i % 3 == 0 ? Png(pixels) : i % 3 == 1 ? Jpeg(pixels) : Tga(pixels));
            files.push_back(file);
        }
    }
    ~TextureFolder()
    {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove_all(path, ec);
    }
};

const TextureFolder &Folder()
{
    static TextureFolder folder;
    return folder;
}

void BM_ScanFolderWithPreviews(benchmark::State &state)
{
    const TextureFolder &folder = Folder();
    for (auto _ : state) {
        CZNTextureManager manager;
        DWORD count = manager.CacheTextures(nullptr, folder.path.c_str(), "*.*", true);
        if (count != kCount)
            state.SkipWithError("not every texture was loaded");
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ScanFolderWithPreviews)->Unit(benchmark::kMillisecond);

void BM_DecodeFilesOnly(benchmark::State &state)
{
    const TextureFolder &folder = Folder();
    for (auto _ : state) {
        int loaded = 0;
        for (const std::string &file : folder.files) {
            CZNImage image;
            loaded += image.LoadImageFile(file.c_str()) ? 1 : 0;
        }
        if (loaded != kCount)
            state.SkipWithError("not every picture was decoded");
        benchmark::DoNotOptimize(loaded);
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_DecodeFilesOnly)->Unit(benchmark::kMillisecond);

} // namespace
