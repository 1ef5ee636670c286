#pragma once

// A grid of pegs to carve a box with, for the carve tests and benchmarks.
#include <memory>
#include <utility>
#include <vector>

#include "scene/bbox.h"
#include "scene/brush.h"
#include "scene/bsp_carve.h"
#include "scene/bsp_tree.h"
#include "support/shapes.h"

// A scene for carving: a box whose top is dug into by square pegs laid on a grid. The grid is
// about twice as wide as the box, so about half the pegs dig 2 units deep into it and the others
// stand beside it. Each peg is turned by a non-grid angle about the vertical and stays within its
// cell, so the pegs never meet each other.
struct ZnPegGrid {
    std::unique_ptr<ZNBRUSH> box;
    std::vector<std::unique_ptr<ZNBRUSH>> pegs;
    std::vector<std::unique_ptr<CZNBSPTREE>> trees;
    std::vector<ZNBSPCARVER> carvers;
    int meeting = 0; // pegs that dig into the box

    explicit ZnPegGrid(int count)
    {
        int columns = 1;
        while (columns * columns < count)
            ++columns;
        const int rows = (count + columns - 1) / columns;
        const int boxColumns = (columns + 1) / 2;
        box = std::make_unique<ZNBRUSH>();
        ZnBuildBox(*box, {-1, -1, 0}, {4.0f * boxColumns - 1, 4.0f * rows - 1, 10});
        for (int i = 0; i < count; ++i) {
            const float x = 4.0f * (i % columns), y = 4.0f * (i / columns);
            auto peg = std::make_unique<ZNBRUSH>();
            ZnBuildBox(*peg, {x, y, 8}, {x + 2, y + 2, 12});
            peg->Rotate(0, 0, 17, nullptr, 0);
            ZnFinishBrush(*peg);
            if (i % columns < boxColumns)
                ++meeting;
            trees.push_back(std::make_unique<CZNBSPTREE>());
            trees.back()->BuildFromBrush(peg.get());
            carvers.push_back({trees.back().get(), peg->GetBoundingBox(0)});
            pegs.push_back(std::move(peg));
        }
    }
    // The box's volume less what the pegs take.
    double CarvedVolume() const
    {
        const ZNBBOX b = box->GetBoundingBox(0);
        const D3DXVECTOR3 size = b.Max - b.Min;
        return static_cast<double>(size.x) * size.y * size.z - 8.0 * meeting;
    }
};
