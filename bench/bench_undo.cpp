// Recording, moving and undoing the last brush of a scene of 10 and of 50,000 brushes, with the
// selection band holding it, the record described "Move Objects" and the buffer trimmed. The two
// scenes run side by side in every iteration; the counter x_50000_vs_10 is the cost of the large
// scene against the small one (1.0 when the size of the scene does not matter).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "scene/brush.h"
#include "support/shapes.h"

namespace
{

std::unique_ptr<CZNEDITORDoc> Scene(int brushes)
{
    auto doc = std::make_unique<CZNEDITORDoc>();
    for (int k = 0; k < brushes; ++k) {
        const float x = static_cast<float>(k % 250) * 3, z = static_cast<float>(k / 250) * 3;
        ZnBuildBox(*doc->NewBrush(), {x, 0, z}, {x + 2, 2, z + 2});
    }
    return doc;
}

// One move of the last brush, recorded and taken back; the seconds it took.
double MoveAndUndo(CZNEDITORDoc &doc)
{
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    GetEditorApp()->SetDocument(&doc);
    ZNBRUSH *last = doc.GetLastBrush();
    ZNSELECTIONENTRY e;
    e.Type = ZNSELECT_BRUSH;
    e.Object = reinterpret_cast<uintptr_t>(last);
    band->AddToSelection(&e, 0, 0);

    const auto start = std::chrono::steady_clock::now();
    D3DXVECTOR3 move(3, 0, -2);
    band->SetMoveTotal(move);
    if (doc.CreateUndoLevel(ZNUNDO_MOVE, 0, 0))
        doc.SetUndoDescription("Move Objects");
    last->MoveBrush(&move, 0);
    last->UpdateBoundingBox();
    last->CalculateWorldTextureCoords();
    last->CalculateFaceCenterPoints();
    band->Update();
    doc.TrimUndoBuffer();
    doc.OnEditUndo();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    band->Clear(1, 0);
    return seconds;
}

void BM_MoveUndoLastBrush(benchmark::State &state)
{
    std::unique_ptr<CZNEDITORDoc> small = Scene(10);
    std::unique_ptr<CZNEDITORDoc> large = Scene(50000);
    double smallSeconds = 0, largeSeconds = 0;
    for (auto _ : state) {
        smallSeconds += MoveAndUndo(*small);
        largeSeconds += MoveAndUndo(*large);
    }
    if (large->GetUndoList() || small->GetUndoList())
        state.SkipWithError("a record was left");
    const double runs = static_cast<double>(state.iterations());
    state.counters["us_10"] = smallSeconds / runs * 1e6;
    state.counters["us_50000"] = largeSeconds / runs * 1e6;
    state.counters["x_50000_vs_10"] = smallSeconds > 0 ? largeSeconds / smallSeconds : 0.0;
    GetEditorApp()->SetDocument(nullptr);
}
BENCHMARK(BM_MoveUndoLastBrush)->Unit(benchmark::kMicrosecond);

} // namespace
