// BSP tree speed: building a tree, clipping one tree against another and splitting a brush along
// a plane for brushes of 6, 16 and 64 faces, and clipping one box against 1 to 1000 brushes.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "../tests/support/shapes.h"
#include "scene/brush.h"
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

} // namespace
