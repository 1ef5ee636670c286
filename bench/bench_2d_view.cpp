// One full paint of a 2D view holding 5,000 cubes in a 1000 x 800 window, with the cubes in view
// and with the view moved so that every cube lies outside it. Cubes out of view are skipped by
// their projected box before any drawing call, so the "vs_in_view" counter of the second run
// (its time as a multiple of the first's) should stay at or below 0.1. What remains out of view
// is the background fill, the grid and the back buffer's copy to the window.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "support/fake_view_window.h"
#include "support/shapes.h"

namespace
{

constexpr int kCubes = 5000;
constexpr int kWidth = 1000;
constexpr int kHeight = 800;

double g_inViewSeconds = 0.0;

// 100 x 50 cubes of 60 units (the size a placed primitive gets at the default grid size), 9 units
// apart and overlapping, across the window at zoom 1; one in ten selected.
struct Scene {
    Scene()
    {
        CZNEDITORApp *app = GetEditorApp();
        app->SetDefaultOptions();
        app->Options().m_Initialized = 1;
        app->Options().m_DrawCamera2D = 0;
        for (int i = 0; i < kCubes; ++i) {
            const float x = -450.0f + 9.0f * static_cast<float>(i % 100);
            const float y = -225.0f + 9.0f * static_cast<float>(i / 100);
            ZNBRUSH *brush = document.NewBrush();
            ZnBuildBox(*brush, {x, y, -30}, {x + 60, y + 60, 30});
            brush->SelectBrush(i % 10 == 0);
        }
        view.SetViewType(ZN2DVIEW_FRONT);
        view.SetWindow(&window);
        view.OnInitialUpdate();
        view.OnSize(0, kWidth, kHeight);
    }

    CZNEDITORDoc document;
    ZnFakeViewWindow window{kWidth, kHeight};
    CZN2DView view;
};

double Paint(benchmark::State &state, Scene &scene)
{
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        scene.view.Redraw(FALSE);
        benchmark::ClobberMemory();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
           static_cast<double>(state.iterations());
}

void BM_PaintCubesInView(benchmark::State &state)
{
    Scene scene;
    g_inViewSeconds = Paint(state, scene);
    state.SetItemsProcessed(state.iterations() * kCubes);
}
BENCHMARK(BM_PaintCubesInView)->Unit(benchmark::kMillisecond);

void BM_PaintCubesOutOfView(benchmark::State &state)
{
    Scene scene;
    scene.view.SetCentre(100000.0f, 0.0f);
    const double seconds = Paint(state, scene);
    state.SetItemsProcessed(state.iterations() * kCubes);
    if (g_inViewSeconds > 0.0)
        state.counters["vs_in_view"] = seconds / g_inViewSeconds;
}
BENCHMARK(BM_PaintCubesOutOfView)->Unit(benchmark::kMillisecond);

} // namespace
