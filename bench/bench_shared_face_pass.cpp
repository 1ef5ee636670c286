// The shared-face pass on a flat grid of 10 000 and 40 000 triangles: plain, with one NaN corner,
// and with every corner collapsed onto one point. The pass must grow near-linearly in every case:
// at most 4.5 times the time for 4 times the faces.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "../tests/support/shapes.h"
#include "scene/brush.h"
#include "scene/face.h"

namespace
{

enum Layout { kPlain, kOneNaN, kCollapsed };

// A grid twice as long as wide: 50 × 100 squares for 10 000 triangles, 100 × 200 for 40 000.
std::unique_ptr<ZNBRUSH> Grid(Layout layout, int faces)
{
    auto brush = std::make_unique<ZNBRUSH>();
    const int cols = static_cast<int>(std::lround(50.0 * std::sqrt(faces / 10000.0)));
    ZnAddTriangleGrid(*brush, cols, faces / (2 * cols));
    if (layout == kOneNaN)
        brush->GetFace(brush->GetFaceCount() / 2)->SetVertex(0, D3DXVECTOR3(std::nanf(""), 0, 0));
    if (layout == kCollapsed)
        for (DWORD f = 0; f < brush->GetFaceCount(); ++f)
            for (short j = 0; j < 3; ++j)
                brush->GetFace(f)->SetVertex(j, D3DXVECTOR3(4, 4, 4));
    return brush;
}

void BM_SharedFacePass(benchmark::State &state)
{
    auto brush = Grid(static_cast<Layout>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        brush->UpdateSharedFaceInfo();
        benchmark::DoNotOptimize(brush->m_SharedFaceInfo.GetFaceIndexListCount());
    }
    state.counters["faces"] = static_cast<double>(brush->GetFaceCount());
    state.counters["lists"] = static_cast<double>(brush->m_SharedFaceInfo.GetFaceIndexListCount());
}

BENCHMARK(BM_SharedFacePass)
    ->ArgNames({"layout", "faces"})
    ->ArgsProduct({{kPlain, kOneNaN, kCollapsed}, {10000, 40000}})
    ->Unit(benchmark::kMillisecond);

} // namespace
