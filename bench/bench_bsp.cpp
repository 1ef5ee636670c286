// BSP tree speed: building a tree, clipping one tree against another and splitting a brush along
// a plane for brushes of 6, 16 and 64 faces, clipping one box against 1 to 1000 brushes, and
// carving a box in place by 1 to 1000 pegs on a grid. The carve and its clip half report their
// time at 1000 pegs as a multiple of their time at 100 ("vs_100"), the figure that matters.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "../tests/scene/peg_grid.h"
#include "../tests/scene/solid_checks.h"
#include "../tests/support/shapes.h"
#include "scene/brush.h"
#include "scene/bsp_carve.h"
#include "scene/bsp_tree.h"

namespace
{

// A convex brush of the given face count: a box for 6, otherwise a cylinder of faces - 2 sides,
// turned by a non-grid angle so that no plane lines up with the world axes.
std::unique_ptr<ZNBRUSH> Shape(int faces, const D3DXVECTOR3 &at)
{
    auto brush = std::make_unique<ZNBRUSH>();
    if (faces == 6)
        ZnBuildBox(*brush, at - D3DXVECTOR3(8, 8, 8), at + D3DXVECTOR3(8, 8, 8));
    else
        ZnBuildCylinder(*brush, at - D3DXVECTOR3(0, 8, 0), 8, 16, faces - 2);
    brush->UpdateBoundingBox();
    brush->Rotate(17, 23, 0, nullptr, 0);
    ZnFinishBrush(*brush);
    return brush;
}

void BM_BuildTree(benchmark::State &state)
{
    auto brush = Shape(static_cast<int>(state.range(0)), {0, 0, 0});
    for (auto _ : state) {
        CZNBSPTREE tree;
        benchmark::DoNotOptimize(tree.BuildFromBrush(brush.get()));
    }
}
BENCHMARK(BM_BuildTree)->Arg(6)->Arg(16)->Arg(64);

// Both halves of a union of two overlapping brushes of the same shape.
void BM_ClipTree(benchmark::State &state)
{
    auto a = Shape(static_cast<int>(state.range(0)), {0, 0, 0});
    auto b = Shape(static_cast<int>(state.range(0)), {6, 5, 4});
    CZNBSPTREE ta, tb;
    ta.BuildFromBrush(a.get());
    tb.BuildFromBrush(b.get());
    for (auto _ : state) {
        std::unique_ptr<CZNBSPTREE> ca(ta.Clone()), cb(tb.Clone());
        ca->ClipTree(ca->m_RootNode, nullptr, cb.get(), 1, 0);
        cb->ClipTree(cb->m_RootNode, nullptr, ca.get(), 1, 1);
        ca->MergeSplitFragments();
        cb->MergeSplitFragments();
        benchmark::DoNotOptimize(ca->m_PolygonCount + cb->m_PolygonCount);
    }
}
BENCHMARK(BM_ClipTree)->Arg(6)->Arg(16)->Arg(64);

void BM_ClipBrush(benchmark::State &state)
{
    auto brush = Shape(static_cast<int>(state.range(0)), {0, 0, 0});
    CZNBSPTREE tree;
    tree.BuildFromBrush(brush.get());
    const D3DXVECTOR3 point(1.5f, 0.5f, 0), normal(0.6f, 0, 0.8f);
    for (auto _ : state) {
        tree.ClipBrush(&point, &normal);
        benchmark::DoNotOptimize(tree.m_FrontResult);
    }
}
BENCHMARK(BM_ClipBrush)->Arg(6)->Arg(16)->Arg(64);

// One box clipped in turn by the trees of many brushes scattered around and through it, as a
// carve of the box out of a crowded scene does.
void BM_ClipBoxAgainstBrushes(benchmark::State &state)
{
    const int count = static_cast<int>(state.range(0));
    auto box = Shape(6, {0, 0, 0});
    CZNBSPTREE boxTree;
    boxTree.BuildFromBrush(box.get());
    std::vector<std::unique_ptr<ZNBRUSH>> brushes;
    std::vector<std::unique_ptr<CZNBSPTREE>> trees;
    uint32_t seed = 7;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<float>((seed >> 8) & 0xFFFF) / 65535.0f;
    };
    for (int i = 0; i < count; ++i) {
        const D3DXVECTOR3 at(next() * 40 - 20, next() * 40 - 20, next() * 40 - 20);
        brushes.push_back(std::make_unique<ZNBRUSH>());
        ZnBuildBox(*brushes.back(), at - D3DXVECTOR3(3, 4, 5), at + D3DXVECTOR3(3, 4, 5));
        trees.push_back(std::make_unique<CZNBSPTREE>());
        trees.back()->BuildFromBrush(brushes.back().get());
    }
    for (auto _ : state) {
        std::unique_ptr<CZNBSPTREE> clipped(boxTree.Clone());
        for (auto &tree : trees)
            tree->ClipTree(tree->m_RootNode, nullptr, clipped.get(), 1, 0);
        benchmark::DoNotOptimize(clipped->m_PolygonCount);
    }
}
BENCHMARK(BM_ClipBoxAgainstBrushes)->Arg(1)->Arg(10)->Arg(100)->Arg(1000);

// Seconds per iteration of each grid benchmark at each peg count, for the ratios.
std::map<std::pair<int, int>, double> g_gridSeconds;

// Reports the time per iteration and, at 1000 pegs, its multiple of the time at 100.
void ReportGrid(benchmark::State &state, int kind, std::chrono::steady_clock::time_point start)
{
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                           static_cast<double>(state.iterations());
    const int count = static_cast<int>(state.range(0));
    g_gridSeconds[{kind, count}] = seconds;
    auto base = g_gridSeconds.find({kind, 100});
    if (count == 1000 && base != g_gridSeconds.end() && base->second > 0.0)
        state.counters["vs_100"] = seconds / base->second;
}

// Checks the volume left in the box against the grid's.
void CheckVolume(benchmark::State &state, const CZNBSPTREE &carved, double expected)
{
    const double volume = SurfaceVolume(SurfaceOf(carved));
    state.counters["volume"] = volume;
    if (std::fabs(volume - expected) > 1e-4 * expected)
        state.SkipWithError("the carved volume is wrong");
}

// The box carved in place by every peg of the grid.
void BM_CarveBoxByGrid(benchmark::State &state)
{
    ZnPegGrid grid(static_cast<int>(state.range(0)));
    CZNBSPTREE boxTree;
    boxTree.BuildFromBrush(grid.box.get());
    const ZNBBOX box = grid.box->GetBoundingBox(0);
    std::unique_ptr<CZNBSPTREE> carved;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        carved.reset(boxTree.Clone());
        CZNBSPCARVE carve(carved.get(), box);
        carve.Carve(grid.carvers);
        benchmark::DoNotOptimize(carved->m_PolygonCount);
    }
    ReportGrid(state, 0, start);
    state.counters["polygons"] = static_cast<double>(carved->m_PolygonCount);
    CheckVolume(state, *carved, grid.CarvedVolume());
}
BENCHMARK(BM_CarveBoxByGrid)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The clip half of the carve: the box's polygons inside each peg are removed, nothing is added.
void BM_ClipBoxByGrid(benchmark::State &state)
{
    ZnPegGrid grid(static_cast<int>(state.range(0)));
    CZNBSPTREE boxTree;
    boxTree.BuildFromBrush(grid.box.get());
    const ZNBBOX box = grid.box->GetBoundingBox(0);
    std::unique_ptr<CZNBSPTREE> clipped;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        clipped.reset(boxTree.Clone());
        CZNBSPCARVE carve(clipped.get(), box);
        for (const ZNBSPCARVER *carver : carve.Order(grid.carvers))
            carve.Clip(*carver);
        benchmark::DoNotOptimize(clipped->m_PolygonCount);
    }
    ReportGrid(state, 1, start);
    state.counters["polygons"] = static_cast<double>(clipped->m_PolygonCount);
}
BENCHMARK(BM_ClipBoxByGrid)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
