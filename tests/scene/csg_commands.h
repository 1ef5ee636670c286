#pragma once

// The carve command composed from the tree calls, for the tests and benchmarks: one brush carved
// by any number of others, in place in the carved brush's tree.
#include <memory>
#include <vector>

#include "scene/bbox.h"
#include "scene/brush.h"
#include "scene/bsp_tree.h"
#include "scene/geometry.h"

// A brush that carves: its tree and its bounds.
struct ZnCarver {
    CZNBSPTREE *tree;
    ZNBBOX box;
};

// Carves the solid of target (a tree whose nodes describe it, bounded by targetBox) by each
// carver in turn. The target's polygons inside a carver are deleted; the carver's polygons,
// turned over, that lie inside the target and outside the carvers before it are appended to the
// target. A carver whose box misses the target's box is skipped, and so is an earlier carver
// whose box misses the current one. Carvers must not be the target.
inline void ZnCarveInPlace(CZNBSPTREE &target, const ZNBBOX &targetBox, const std::vector<ZnCarver> &carvers)
{
    std::vector<const ZnCarver *> done;
    for (const ZnCarver &carver : carvers) {
        if (!BoxesIntersect(carver.box, targetBox))
            continue;
        // The target's polygons inside the carver go; those in its faces' planes facing the same
        // way go with them, so a carver flush with the target's face opens it.
        carver.tree->ClipTree(carver.tree->m_RootNode, nullptr, &target, 1, 1);
        target.MergeSplitFragments();

        // The carver turned inside out bounds the space left: keep its part inside the target.
        std::unique_ptr<CZNBSPTREE> dent(carver.tree->Clone());
        if (!dent)
            continue;
        dent->InvertPolygons();
        target.ClipTree(target.m_RootNode, nullptr, dent.get(), 0, 1);
        dent->MergeSplitFragments();
        for (const ZnCarver *earlier : done) {
            if (!BoxesIntersect(earlier->box, carver.box))
                continue;
            earlier->tree->ClipTree(earlier->tree->m_RootNode, nullptr, dent.get(), 1, 1);
            dent->MergeSplitFragments();
        }
        for (DWORD i = 0; i < dent->m_PolygonCount; ++i)
            if (!dent->m_Polygons[i]->m_Deleted)
                target.AddPolygonCopy(nullptr, dent->m_Polygons[i]);
        done.push_back(&carver);
    }
}

// A carved by B: what ZnCarveInPlace leaves of a tree of A, B's tree untouched.
inline void ZnCarve(CZNBSPTREE &ta, ZNBRUSH &a, CZNBSPTREE &tb, ZNBRUSH &b)
{
    ZnCarveInPlace(ta, a.GetBoundingBox(0), {{&tb, b.GetBoundingBox(0)}});
}
