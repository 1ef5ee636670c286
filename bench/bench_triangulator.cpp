// Triangulator speed on comb faces of 400, 1600 and 6400 vertices: a row of teeth whose tips are
// the only corners that can be cut and whose valleys are all concave, so that every cut has many
// corners to look at. One run triangulates the three sizes in turn; the counters give each
// size's time and the growth for 4x the vertices (16 for a search that grows with n squared).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "scene/face.h"
#include "scene/triangulator.h"

namespace
{

// Teeth along x with tips at y = 10 and valleys at y = 2, closed along y = 0.
std::unique_ptr<ZNFACE> Comb(int vertices)
{
    const int teeth = (vertices - 2) / 2;
    auto face = std::make_unique<ZNFACE>(static_cast<short>(teeth * 2 + 2));
    short i = 0;
    for (int k = 0; k < teeth * 2; ++k)
        face->SetVertex(i++, D3DXVECTOR3(static_cast<float>(k), (k % 2 == 0) ? 10.0f : 2.0f, 0));
    face->SetVertex(i++, D3DXVECTOR3(static_cast<float>(teeth * 2 - 1), 0, 0));
    face->SetVertex(i++, D3DXVECTOR3(0, 0, 0));
    face->m_Normal = D3DXVECTOR3(0, 0, -1);
    return face;
}

void BM_CombGrowth(benchmark::State &state)
{
    constexpr int kSizes[] = {400, 1600, 6400};
    constexpr int kCount = 3;
    std::unique_ptr<ZNFACE> faces[kCount];
    for (int s = 0; s < kCount; ++s)
        faces[s] = Comb(kSizes[s]);
    double seconds[kCount] = {};
    for (auto _ : state) {
        for (int s = 0; s < kCount; ++s) {
            const auto start = std::chrono::steady_clock::now();
            CZNTriangulator triangulator;
            const bool done = triangulator.Triangulate(faces[s].get());
            seconds[s] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (!done) {
                state.SkipWithError("a comb was not triangulated");
                return;
            }
            std::free(triangulator.GetIndices());
        }
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["ms_400"] = seconds[0] / runs * 1e3;
    state.counters["ms_1600"] = seconds[1] / runs * 1e3;
    state.counters["ms_6400"] = seconds[2] / runs * 1e3;
    state.counters["x_1600_vs_400"] = seconds[0] > 0 ? seconds[1] / seconds[0] : 0.0;
    state.counters["x_6400_vs_1600"] = seconds[1] > 0 ? seconds[2] / seconds[1] : 0.0;
}
BENCHMARK(BM_CombGrowth)->Unit(benchmark::kMillisecond);

} // namespace
