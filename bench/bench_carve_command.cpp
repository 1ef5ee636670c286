// The carve commands on a document: a box carved by 100 and by 1000 pegs on a grid (the grid of
// the BSP benchmarks), the pegs selected, through CarveInPlace and CarveSplit with their undo
// records, rebuilds and band update. Each run also times the library's carve of the same grid
// (the box's tree cloned and carved by the pegs' trees, as BM_CarveBoxByGrid does), side by side.
// The library's carve leaves a tree, not a brush: the brush the command leaves is rebuilt from
// the tree and gets its T-junctions removed, triangles, normals, shared-face and texture data.
// So each run also times that rebuild of the library's result, as the usable library carve.
// Counters: volume, brushes and faces of what is left of the box; ms_command, ms_library and
// ms_usable (library carve and rebuild) per carve; x_library = command / library, x_usable =
// command / usable, and at 1000 pegs vs_100 = the command's time at 1000 pegs as a multiple of
// its time at 100.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "../tests/scene/peg_grid.h"
#include "../tests/scene/solid_checks.h"
#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "scene/brush.h"
#include "scene/bsp_carve.h"
#include "scene/bsp_tree.h"
#include "support/shapes.h"

namespace
{

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A document brush with the faces of a grid brush.
ZNBRUSH *CopyInto(CZNEDITORDoc &doc, ZNBRUSH &source)
{
    ZNBRUSH *brush = doc.NewBrush();
    for (DWORD f = 0; f < source.GetFaceCount(); ++f)
        brush->AddFace(source.GetFace(f));
    ZnFinishBrush(*brush);
    return brush;
}

// What a carved brush computes after its faces were rebuilt, as the carve commands do it.
void Rebuild(ZNBRUSH &brush)
{
    brush.RemoveTJunctions();
    brush.BuildTriIndices();
    brush.CalculateFaceNormals();
    brush.UpdateSharedFaceInfo();
    brush.CalculateVertexNormals(1);
    brush.CalculateFaceCenterPoints();
    brush.CalculateWorldTextureCoords();
}

// The grid in a document of its own with the pegs selected; the box is the first brush.
struct CarveScene {
    std::unique_ptr<CZNEDITORDoc> doc = std::make_unique<CZNEDITORDoc>();
    ZNBRUSH *box = nullptr;

    explicit CarveScene(ZnPegGrid &grid)
    {
        box = CopyInto(*doc, *grid.box);
        GetEditorApp()->SetDocument(doc.get());
        CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
        band->Clear(1, 0);
        for (auto &peg : grid.pegs) {
            ZNSELECTIONENTRY e;
            e.Type = ZNSELECT_BRUSH;
            e.Object = reinterpret_cast<uintptr_t>(CopyInto(*doc, *peg));
            band->AddToSelection(&e, 1, 0);
        }
    }
    ~CarveScene()
    {
        GetEditorApp()->GetSelectionBand()->Clear(1, 0);
        GetEditorApp()->SetDocument(nullptr);
    }
    // What is left of the box: the box in place, or the pieces that are not pegs; its volume,
    // and how many brushes and faces it has.
    double Volume(int *brushes, int *faces) const
    {
        double volume = 0.0;
        *brushes = *faces = 0;
        for (ZNBRUSH *b = doc->GetBrushList(); b; b = b->m_Next)
            if (!b->IsBrushSelected()) {
                volume += SurfaceVolume(SurfaceOf(*b));
                ++*brushes;
                *faces += static_cast<int>(b->GetFaceCount());
            }
        return volume;
    }
};

// Seconds per carve of the command, by method and peg count, for vs_100.
std::map<std::pair<int, int>, double> g_commandSeconds;

void CarveCommand(benchmark::State &state, int split)
{
    const int count = static_cast<int>(state.range(0));
    ZnPegGrid grid(count);
    CZNBSPTREE boxTree;
    boxTree.BuildFromBrush(grid.box.get());
    const ZNBBOX boxBounds = grid.box->GetBoundingBox(0);
    double command = 0.0, library = 0.0, usable = 0.0, volume = 0.0;
    int brushes = 0, faces = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<CarveScene>(grid);
        CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
        state.ResumeTiming();

        Clock::time_point start = Clock::now();
        const int done = split ? band->CarveSplit(nullptr) : band->CarveInPlace(nullptr);
        command += Since(start);
        if (!done)
            state.SkipWithError("the carve failed");

        start = Clock::now();
        std::unique_ptr<CZNBSPTREE> carved(boxTree.Clone());
        CZNBSPCARVE carve(carved.get(), boxBounds);
        carve.Carve(grid.carvers);
        library += Since(start);
        ZNBRUSH rebuilt;
        rebuilt.BuildBrushFromBSPTree(carved.get(), 0);
        Rebuild(rebuilt);
        usable += Since(start);

        state.PauseTiming();
        volume = scene->Volume(&brushes, &faces);
        scene.reset();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    command /= runs;
    library /= runs;
    usable /= runs;
    g_commandSeconds[{split, count}] = command;
    state.counters["ms_command"] = command * 1e3;
    state.counters["ms_library"] = library * 1e3;
    state.counters["x_library"] = library > 0.0 ? command / library : 0.0;
    state.counters["ms_usable"] = usable * 1e3;
    state.counters["x_usable"] = usable > 0.0 ? command / usable : 0.0;
    auto base = g_commandSeconds.find({split, 100});
    if (count == 1000 && base != g_commandSeconds.end() && base->second > 0.0)
        state.counters["vs_100"] = command / base->second;
    state.counters["volume"] = volume;
    state.counters["brushes"] = brushes;
    state.counters["faces"] = faces;
    if (std::fabs(volume - grid.CarvedVolume()) > 1e-3 * grid.CarvedVolume())
        state.SkipWithError("the carved volume is wrong");
}

void BM_CarveInPlaceCommand(benchmark::State &state)
{
    CarveCommand(state, 0);
}
BENCHMARK(BM_CarveInPlaceCommand)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CarveSplitCommand(benchmark::State &state)
{
    CarveCommand(state, 1);
}
BENCHMARK(BM_CarveSplitCommand)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
