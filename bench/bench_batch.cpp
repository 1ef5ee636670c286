// Batch conversion throughput: 200 files (40 generated IWF scenes of 500 brushes with 8 list
// materials, 8 textures and some groups, and 40 copies each of two 3DS and two .X test files)
// converted to IWF by the job on its worker, default options with the thumbnail off, while this
// thread serves the worker's calls to the UI thread. The baseline, run side by side, reads the
// same input bytes and writes files of the outputs' sizes, one by one, through the same stream
// class in 64 KiB blocks. "vs_raw" is the ratio of the two (target: at most 4); "files_per_s" is
// the conversion's throughput; "cpu_vs_raw" compares the processor time the two take.
// BM_BatchToX converts the same files to .X, BM_BatchToIWFWithThumbnails to IWF with a thumbnail
// drawn for each file on an offscreen device (no targets).
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "fileio/batch_host.h"
#include "fileio/batch_job.h"
#include "fileio/file_stream_io.h"
#include "fileio/iwf_export_options.h"
#include "fileio/iwf_scene.h"
#include "platform/d3d9/offscreen_gl_context.h"
#include "platform/os/recording_reporter.h"
#include "platform/os/window.h"
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
namespace fs = std::filesystem;

constexpr int kScenes = 40;
constexpr int kBrushes = 500;
constexpr int kCopies = 40;
constexpr int kMaterials = 8;
constexpr int kTextures = 8;
constexpr DWORD kBlock = 64 * 1024;

class CountingHost : public IZNBatchHost
{
public:
    void Log(const std::string &) override {}
    void ShowCount(int, int) override {}
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void EnableClose(BOOL enable) override
    {
        done.store(enable ? 1 : 0);
        // Wakes the serving thread's event loop.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    }
    bool IsAbortRequested() const override { return false; }
    std::atomic<int> done{0};
};

struct Inputs {
    fs::path root;
    std::vector<std::string> files;
    CZNRecordingReporter reporter;

    Inputs()
    {
        static int argc = 1;
        static char name[] = "bench_batch";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        std::string pattern = (fs::temp_directory_path() / "zn_bench_batch_XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return;
        root = pattern;
        fs::create_directories(root / "in");
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
            const std::string path = (root / ("texture" + std::to_string(i) + ".bmp")).string();
            image.SaveBMP(path.c_str());
            auto *texture = new CZNTexture(path.c_str(), nullptr);
            GetEditorApp()->GetTextureManager()->AddTexture(texture);
            textures.push_back(texture);
        }
        const DWORD firstMaterial = wrapper->GetMaterialList()->GetElementCount();
        for (int i = 0; i < kMaterials; ++i) {
            CZNMATERIAL *m = wrapper->GetMaterialRecord(static_cast<DWORD>(wrapper->AddMaterial()));
            m->SetName(("Material " + std::to_string(i)).c_str());
            D3DMATERIAL9 value{};
            value.Diffuse = {i / 8.0f, 0.5f, 0.5f, 1.0f};
            m->SetD3DMaterial(&value);
        }
        std::vector<ZNBRUSH *> brushes;
        std::vector<CZNGROUP *> groups;
        std::vector<ZNSELECTIONENTRY> entries;
        for (int i = 0; i < kBrushes; ++i) {
            auto *b = new ZNBRUSH;
            const D3DXVECTOR3 lo(static_cast<float>(i % 25) * 3, 0, static_cast<float>(i / 25) * 3);
            ZnBuildMixedShape(*b, i, lo);
            for (DWORD f = 0; f < b->GetFaceCount(); ++f) {
                b->GetFace(f)->SetTexture(textures[(i + f) % kTextures]);
                b->GetFace(f)->SetMaterial(static_cast<LONG>(firstMaterial + (i + f) % kMaterials));
            }
            if (i % 50 == 0)
                groups.push_back(new CZNGROUP);
            if (i % 50 < 5)
                groups.back()->AddChild(b);
            brushes.push_back(b);
            ZNSELECTIONENTRY e{};
            e.Type = ZNSELECT_BRUSH;
            e.Object = reinterpret_cast<uintptr_t>(b);
            entries.push_back(e);
        }
        for (int s = 0; s < kScenes; ++s) {
            const std::string path = (root / "in" / ("scene" + std::to_string(s) + ".iwf")).string();
            CZNFileStreamIO out(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
            CZNIWFScene writer;
            writer.SaveObjects(out, entries, IWFSAVE_ALL & ~IWFSAVE_THUMBNAIL, nullptr);
            writer.FreeLists();
            out.Close();
            files.push_back(path);
        }
        for (CZNGROUP *g : groups)
            g->Clear();
        for (ZNBRUSH *b : brushes)
            delete b;
        for (CZNGROUP *g : groups)
            delete g;
        const fs::path data(ZN_TEST_DATA_DIR);
        const std::pair<const char *, const char *> samples[] = {{"3ds/test1.3ds", ".3ds"},
                                                                 {"3ds/cube_with_diffuse_texture.3DS", ".3ds"},
                                                                 {"models/x/test_cube_binary.x", ".x"},
                                                                 {"models/x/test_cube_text.x", ".x"}};
        int n = 0;
        for (const auto &[sample, extension] : samples)
            for (int c = 0; c < kCopies; ++c) {
                const fs::path target = root / "in" / ("copy" + std::to_string(n++) + extension);
                fs::copy_file(data / sample, target);
                files.push_back(target.string());
            }
    }
    ~Inputs()
    {
        std::error_code ec;
        if (!root.empty())
            fs::remove_all(root, ec);
    }
};

Inputs &TheInputs()
{
    static Inputs inputs;
    return inputs;
}

// One run of the job over every input into a fresh output folder; the output sizes.
std::vector<int64_t> Convert(DWORD type, bool thumbnails, benchmark::State *state)
{
    Inputs &inputs = TheInputs();
    const fs::path out = inputs.root / "out";
    fs::remove_all(out);
    fs::create_directories(out);
    ZNBATCHSETTINGS settings;
    settings.Selection = inputs.files;
    settings.InputFolder = (inputs.root / "in").string() + "/";
    settings.OutputFolder = out.string() + "/";
    ParseIWFExportOptions(IWF_EXPORT_OPTIONS_DEFAULT, &settings.Options);
    settings.Options.Option[IWFOPT_THUMBNAIL] = thumbnails ? 1 : 0;
    settings.OutputType = type;
    CountingHost host;
    CZNBatchJob job(settings, &host);
    job.Start();
    while (!host.done.load())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    job.Join();
    if (state && job.GetConverted() != static_cast<int>(inputs.files.size()))
        state->SkipWithError("not every file was converted");
    std::vector<int64_t> sizes;
    for (const auto &entry : fs::directory_iterator(out))
        sizes.push_back(static_cast<int64_t>(entry.file_size()));
    return sizes;
}

// The inputs read and files of the given sizes written, one by one, in 64 KiB blocks.
void Raw(const std::vector<int64_t> &sizes)
{
    static std::vector<BYTE> block(kBlock, 0x5A);
    Inputs &inputs = TheInputs();
    for (const std::string &file : inputs.files) {
        CZNFileStreamIO in(file.c_str(), ZNSTREAM_READ);
        while (in.Read(block.data(), kBlock) == kBlock) {
        }
    }
    const fs::path out = inputs.root / "raw";
    fs::create_directories(out);
    int n = 0;
    for (int64_t size : sizes) {
        const std::string path = (out / ("raw" + std::to_string(n++))).string();
        CZNFileStreamIO file(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
        for (int64_t left = size; left > 0; left -= kBlock)
            file.Write(block.data(), static_cast<DWORD>(std::min<int64_t>(left, kBlock)));
        file.Flush();
    }
}

// The processor time of the whole process (every thread, user and system), in seconds.
double ProcessSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The best of three runs: elapsed time and, apart, the processor time, which other load on the
// machine disturbs less.
struct Times {
    double wall = 1e9;
    double cpu = 1e9;
};
template <class F> Times Time(F f)
{
    Times best;
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessSeconds();
        f();
        best.cpu = std::min(best.cpu, ProcessSeconds() - cpuStart);
        best.wall =
            std::min(best.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

void Run(benchmark::State &state, DWORD type, bool thumbnails = false)
{
    const std::vector<int64_t> sizes = Convert(type, thumbnails, &state);
    for (auto _ : state)
        Convert(type, thumbnails, &state);
    const Times raw = Time([&] { Raw(sizes); });
    const Times converted = Time([&] { Convert(type, thumbnails, nullptr); });
    const double files = static_cast<double>(TheInputs().files.size());
    state.counters["files"] = files;
    state.counters["files_per_s"] = files / converted.wall;
    state.counters["raw_ms"] = raw.wall * 1e3;
    state.counters["vs_raw"] = converted.wall / raw.wall;
    state.counters["cpu_vs_raw"] = converted.cpu / raw.cpu;
}

void BM_BatchToIWF(benchmark::State &state)
{
    Run(state, ZNBATCH_IWF);
}
BENCHMARK(BM_BatchToIWF)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_BatchToX(benchmark::State &state)
{
    Run(state, ZNBATCH_X);
}
BENCHMARK(BM_BatchToX)->Unit(benchmark::kMillisecond)->Iterations(1);

// The window of the device that draws the thumbnails: 640 x 640, frames discarded.
class DiscardingWindow : public CZNWindow
{
public:
    void GetClientRect(RECT *rect) const override { *rect = {0, 0, 640, 640}; }
    void PresentFrame(const QImage &, const RECT *) override {}
};

// The editor's device started on this thread, which serves the worker's thumbnails.
bool StartDevice()
{
    static CZNOffscreenGLContext context;
    static DiscardingWindow window;
    static const bool started =
        context.Create() && context.MakeCurrent() && GetEditorApp()->Get3D()->Initialize(&window) == 1;
    return started;
}

void BM_BatchToIWFWithThumbnails(benchmark::State &state)
{
    if (!StartDevice()) {
        state.SkipWithError("no device");
        return;
    }
    Run(state, ZNBATCH_IWF, true);
}
BENCHMARK(BM_BatchToIWFWithThumbnails)->Unit(benchmark::kMillisecond)->Iterations(1);
} // namespace
