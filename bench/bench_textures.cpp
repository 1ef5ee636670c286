// Texture folder scan: 500 distinct 256 x 256 pictures (PNG, JPEG and TGA in turn) scanned by the
// texture manager with previews and CRCs, against decoding the same files with the image code
// alone. Both run in every iteration, the order alternating, so the same heap and cache history
// weighs on both; "vs_decode" is the scan's time divided by the decoding's, the figure that
// matters (the difference is what the scan adds). Then one 1024 x 1024 picture made into a device
// texture (read again from its file, converted and uploaded) against decoding it alone, likewise
// interleaved: "vs_decode" again.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <QImage>

#include "app/editor_app.h"
#include "platform/d3d9/offscreen_gl_context.h"
#include "platform/os/window.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "support/picture_writers.h"

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

std::string Png(const std::vector<uint8_t> &pixels)
{
    return ZnWriteRgbPng(kSize, kSize, pixels);
}

std::string Jpeg(const std::vector<uint8_t> &pixels)
{
    return ZnWriteJpeg(kSize, kSize, 3, pixels);
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

double ThreadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

bool Scan(const TextureFolder &folder)
{
    CZNTextureManager manager;
    const DWORD count = manager.CacheTextures(nullptr, folder.path.c_str(), "*.*", true);
    benchmark::DoNotOptimize(count);
    return count == kCount;
}

bool DecodeOnly(const TextureFolder &folder)
{
    int loaded = 0;
    for (const std::string &file : folder.files) {
        CZNImage image;
        loaded += image.LoadImageFile(file.c_str()) ? 1 : 0;
    }
    benchmark::DoNotOptimize(loaded);
    return loaded == kCount;
}

void BM_ScanWithPreviewsVsDecode(benchmark::State &state)
{
    const TextureFolder &folder = Folder();
    double scan = 0.0, decode = 0.0;
    int64_t round = 0;
    for (auto _ : state) {
        double scanTime = 0.0;
        for (int half = 0; half < 2; ++half) {
            const bool scanTurn = (half == 0) == (round % 2 == 0);
            const double start = ThreadSeconds();
            const bool ok = scanTurn ? Scan(folder) : DecodeOnly(folder);
            const double seconds = ThreadSeconds() - start;
            if (!ok)
                state.SkipWithError("not every texture was loaded");
            (scanTurn ? scan : decode) += seconds;
            if (scanTurn)
                scanTime = seconds;
        }
        state.SetIterationTime(scanTime);
        ++round;
    }
    if (round > 0 && decode > 0.0) {
        state.counters["scan_ms"] = 1000.0 * scan / double(round);
        state.counters["decode_ms"] = 1000.0 * decode / double(round);
        state.counters["vs_decode"] = scan / decode;
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ScanWithPreviewsVsDecode)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(5.0);

// The device draws offscreen; the window only gives its size.
class BenchWindow : public CZNWindow
{
public:
    void GetClientRect(RECT *rect) const override { *rect = {0, 0, 64, 64}; }
    void PresentFrame(const QImage &, const RECT *) override {}
};

void BM_DeviceTextureVsDecode(benchmark::State &state)
{
    static CZNOffscreenGLContext context;
    BenchWindow window;
    if ((!context.IsValid() && !context.Create()) || !context.MakeCurrent() ||
        GetEditorApp()->Get3D()->Initialize(&window) != 1) {
        state.SkipWithError("no device");
        return;
    }
    const std::string path = Folder().path + "device_picture.tga";
    {
        constexpr uint32_t kSide = 1024;
        std::vector<uint8_t> pixels(size_t{kSide} * kSide * 3);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>(i * 7 + i / 3000);
        std::string out(18, '\0');
        out[2] = 2;
        out[13] = out[15] = static_cast<char>(kSide >> 8);
        out[16] = 24;
        out[17] = 0x20;
        out.append(reinterpret_cast<const char *>(pixels.data()), pixels.size());
        WriteBytes(path, out);
    }
    CZNTexture texture(path.c_str(), nullptr);
    double made = 0.0, decode = 0.0;
    int64_t round = 0;
    for (auto _ : state) {
        double madeTime = 0.0;
        for (int half = 0; half < 2; ++half) {
            const bool makeTurn = (half == 0) == (round % 2 == 0);
            const double start = ThreadSeconds();
            bool ok;
            if (makeTurn) {
                texture.IncreaseRefCount();
                ok = texture.GetD3DTexture() != nullptr;
                texture.DecreaseRefCount();
            } else {
                CZNImage image;
                ok = image.LoadImageFile(path.c_str());
            }
            const double seconds = ThreadSeconds() - start;
            if (!ok)
                state.SkipWithError("no texture");
            (makeTurn ? made : decode) += seconds;
            if (makeTurn)
                madeTime = seconds;
        }
        state.SetIterationTime(madeTime);
        ++round;
    }
    if (round > 0 && decode > 0.0) {
        state.counters["texture_ms"] = 1000.0 * made / double(round);
        state.counters["decode_ms"] = 1000.0 * decode / double(round);
        state.counters["vs_decode"] = made / decode;
    }
    GetEditorApp()->Get3D()->Shutdown();
}
BENCHMARK(BM_DeviceTextureVsDecode)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

} // namespace
