// IWF scene save and open: a generated 10 000-brush scene (cubes, wedges and cylinders, 20 list
// materials, 20 textures, some groups) saved with every chunk and opened as File Open does (not
// silent, everything matching), through a file in a temporary folder. The baseline, run side by
// side, writes the same number of bytes through the same stream class in 64 KiB blocks and reads
// them back. The "vs_raw" counter is the ratio of the two; memory-stream times are shown too.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "fileio/file_stream_io.h"
#include "fileio/iwf_scene.h"
#include "fileio/memory_stream_io.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/group.h"
#include "scene/material.h"
#include "scene/selection_entry.h"
#include "support/shapes.h"

namespace
{

constexpr int kBrushes = 10000;
constexpr int kMaterials = 20;
constexpr int kTextures = 20;
constexpr int kGroupEvery = 50; // one group of five brushes in every fifty
constexpr DWORD kBlock = 64 * 1024;

struct Scene {
    std::string folder;
    std::vector<ZNBRUSH *> brushes;
    std::vector<CZNGROUP *> groups;
    std::vector<ZNSELECTIONENTRY> entries;
    CZNRecordingReporter reporter;

    Scene()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zn_bench_iwf_XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return;
        folder = pattern + "/";
        GetEditorApp()->SetReporter(&reporter);
        CZN3D *wrapper = GetEditorApp()->Get3D();
        std::vector<CZNTexture *> textures;
        for (int i = 0; i < kTextures; ++i) {
            CZNImage image;
            image.AllocImageMem(16, 16, 24, false);
            for (DWORD p = 0; p < 256; ++p) {
                image.GetRedPlane()[p] = static_cast<BYTE>(i * 13 + p);
                image.GetGreenPlane()[p] = static_cast<BYTE>(i * 7);
                image.GetBluePlane()[p] = static_cast<BYTE>(p ^ i);
            }
            std::string path = folder + "texture" + std::to_string(i) + ".bmp";
            image.SaveBMP(path.c_str());
            auto *texture = new CZNTexture(path.c_str(), nullptr);
            GetEditorApp()->GetTextureManager()->AddTexture(texture);
            textures.push_back(texture);
        }
        for (int i = 0; i < kMaterials; ++i) {
            int index = wrapper->AddMaterial();
            CZNMATERIAL *m = wrapper->GetMaterialRecord(static_cast<DWORD>(index));
            m->SetName(("Material " + std::to_string(i)).c_str());
            D3DMATERIAL9 value{};
            value.Diffuse = {i / 20.0f, 0.5f, 0.5f, 1.0f};
            value.Power = static_cast<float>(i);
            m->SetD3DMaterial(&value);
        }
        for (int i = 0; i < kBrushes; ++i) {
            auto *b = new ZNBRUSH;
            const D3DXVECTOR3 lo(static_cast<float>(i % 100) * 3, 0, static_cast<float>(i / 100) * 3);
            ZnBuildMixedShape(*b, i, lo);
            for (DWORD f = 0; f < b->GetFaceCount(); ++f) {
                b->GetFace(f)->SetTexture(textures[(i + f) % kTextures]);
                b->GetFace(f)->SetMaterial(static_cast<LONG>((i + f) % kMaterials));
            }
            if (i % kGroupEvery == 0)
                groups.push_back(new CZNGROUP);
            if (i % kGroupEvery < 5)
                groups.back()->AddChild(b);
            brushes.push_back(b);
            ZNSELECTIONENTRY e;
            e.Type = ZNSELECT_BRUSH;
            e.Object = reinterpret_cast<uintptr_t>(b);
            entries.push_back(e);
        }
    }
    ~Scene()
    {
        std::error_code ec;
        if (!folder.empty())
            std::filesystem::remove_all(folder, ec);
    }
};

Scene &TheScene()
{
    static Scene scene;
    return scene;
}

std::string File(const char *name)
{
    return TheScene().folder + name;
}

// Seconds spent freeing loaded scenes, which is neither saving nor loading: the timed loops pause
// around it and the ratio takes it out.
double g_ClearSeconds = 0;

// One save and one open of the scene through the stream pair; the bytes written.
int64_t SaveAndLoad(CZNStreamIO &out, const std::function<CZNStreamIO &()> &reopen, benchmark::State *state)
{
    Scene &scene = TheScene();
    {
        CZNIWFScene writer;
        writer.SaveObjects(out, scene.entries, IWFSAVE_ALL, nullptr);
    }
    int64_t length = out.GetLength();
    CZNStreamIO &in = reopen();
    auto reader = std::make_unique<CZNIWFScene>();
    reader->Load(in, false);
    if (reader->m_Brushes.size() != scene.brushes.size() || !scene.reporter.Entries().empty() ||
        !scene.reporter.MissingResources().empty()) {
        if (state)
            state->SkipWithError("the scene did not load back as saved");
    }
    if (state)
        state->PauseTiming();
    // The reader goes too: the allocator settles the blocks Clear gave back when the reader's
    // own are freed.
    const auto start = std::chrono::steady_clock::now();
    reader->Clear(IWFSAVE_ALL);
    reader.reset();
    g_ClearSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (state)
        state->ResumeTiming();
    return length;
}

int64_t SaveAndLoadFile(benchmark::State *state)
{
    const std::string path = File("scene.iwf");
    CZNFileStreamIO out(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
    CZNFileStreamIO in;
    int64_t length = SaveAndLoad(
        out,
        [&]() -> CZNStreamIO & {
            out.Close();
            in.Open(path.c_str(), ZNSTREAM_READ);
            return in;
        },
        state);
    return length;
}

int64_t SaveAndLoadMemory(benchmark::State *state)
{
    CZNMemoryStreamIO out;
    out.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    CZNMemoryStreamIO in;
    return SaveAndLoad(
        out,
        [&]() -> CZNStreamIO & {
            in.Open(out.GetBuffer(), static_cast<DWORD>(out.GetLength()), ZNSTREAM_READ, false);
            return in;
        },
        state);
}

// The same number of bytes written in 64 KiB blocks and read back.
void RawFile(int64_t bytes)
{
    static std::vector<BYTE> block(kBlock, 0x5A);
    const std::string path = File("raw.bin");
    {
        CZNFileStreamIO out(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
        for (int64_t left = bytes; left > 0; left -= kBlock)
            out.Write(block.data(), static_cast<DWORD>(std::min<int64_t>(left, kBlock)));
        out.Flush();
    }
    CZNFileStreamIO in(path.c_str(), ZNSTREAM_READ);
    while (in.Read(block.data(), kBlock) == kBlock) {
    }
}

void RawMemory(int64_t bytes)
{
    static std::vector<BYTE> block(kBlock, 0x5A);
    CZNMemoryStreamIO out;
    out.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    for (int64_t left = bytes; left > 0; left -= kBlock)
        out.Write(block.data(), static_cast<DWORD>(std::min<int64_t>(left, kBlock)));
    CZNMemoryStreamIO in(out.GetBuffer(), static_cast<DWORD>(out.GetLength()), ZNSTREAM_READ, false);
    while (in.Read(block.data(), kBlock) == kBlock) {
    }
}

int64_t SceneBytes()
{
    static int64_t bytes = SaveAndLoadMemory(nullptr);
    return bytes;
}

// Seconds per call of f, best of five, without the time f spent freeing loaded scenes.
template <class F> double Time(F f)
{
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        g_ClearSeconds = 0;
        auto start = std::chrono::steady_clock::now();
        f();
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::min(best, took - g_ClearSeconds);
    }
    return best;
}

void BM_SaveOpenFile(benchmark::State &state)
{
    const int64_t bytes = SceneBytes();
    for (auto _ : state)
        SaveAndLoadFile(&state);
    const double raw = Time([&] { RawFile(bytes); });
    const double scene = Time([&] { SaveAndLoadFile(nullptr); });
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["raw_ms"] = raw * 1e3;
    state.counters["vs_raw"] = scene / raw;
}
BENCHMARK(BM_SaveOpenFile)->Unit(benchmark::kMillisecond);

void BM_RawWriteReadFile(benchmark::State &state)
{
    const int64_t bytes = SceneBytes();
    for (auto _ : state)
        RawFile(bytes);
    state.SetBytesProcessed(state.iterations() * bytes * 2);
}
BENCHMARK(BM_RawWriteReadFile)->Unit(benchmark::kMillisecond);

void BM_SaveOpenMemory(benchmark::State &state)
{
    const int64_t bytes = SceneBytes();
    for (auto _ : state)
        SaveAndLoadMemory(&state);
    const double raw = Time([&] { RawMemory(bytes); });
    const double scene = Time([&] { SaveAndLoadMemory(nullptr); });
    state.counters["vs_raw"] = scene / raw;
}
BENCHMARK(BM_SaveOpenMemory)->Unit(benchmark::kMillisecond);

void BM_RawWriteReadMemory(benchmark::State &state)
{
    const int64_t bytes = SceneBytes();
    for (auto _ : state)
        RawMemory(bytes);
    state.SetBytesProcessed(state.iterations() * bytes * 2);
}
BENCHMARK(BM_RawWriteReadMemory)->Unit(benchmark::kMillisecond);

} // namespace
