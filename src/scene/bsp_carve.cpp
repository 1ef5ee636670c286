#include "scene/bsp_carve.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

#include "scene/bsp_tree.h"

namespace
{

constexpr DWORD kGone = 0xFFFFFFFFu;
const ZNBBOX kNoBox = {D3DXVECTOR3(1e30f, 1e30f, 1e30f), D3DXVECTOR3(-1e30f, -1e30f, -1e30f)};

// Boxes that come within kNear of each other. The tree operations take a point within 0.01 of a
// plane to lie on it, so a polygon just outside a carver's box may still be in its solid (lying
// on one of its faces); boxes that miss by more than twice that cannot meet.
constexpr float kNear = 0.02f;

bool Overlap(const ZNBBOX &a, const ZNBBOX &b)
{
    return a.Min.x <= b.Max.x + kNear && a.Max.x >= b.Min.x - kNear && a.Min.y <= b.Max.y + kNear &&
           a.Max.y >= b.Min.y - kNear && a.Min.z <= b.Max.z + kNear && a.Max.z >= b.Min.z - kNear;
}

ZNBBOX BoundsOf(const CZNBSPPOLYGON &p)
{
    ZNBBOX box = kNoBox;
    for (int k = 0; k < p.m_VertexCount && p.m_Vertices; ++k) {
        const ZNVERTEX &v = p.m_Vertices[k];
        box.Min = D3DXVECTOR3(std::min(box.Min.x, v.x), std::min(box.Min.y, v.y), std::min(box.Min.z, v.z));
        box.Max = D3DXVECTOR3(std::max(box.Max.x, v.x), std::max(box.Max.y, v.y), std::max(box.Max.z, v.z));
    }
    return box;
}

bool Usable(const CZNBSPTREE *tree)
{
    return tree && tree->m_RootNode >= 0 && tree->m_PolygonCount > 0;
}

// Appends copies of the polygons of source from index first on that are not deleted; false
// (the copies made flagged deleted again) when memory runs out.
bool AppendSurvivors(CZNBSPTREE &target, const CZNBSPTREE &source, DWORD first)
{
    const DWORD start = target.m_PolygonCount;
    for (DWORD i = first; i < source.m_PolygonCount; ++i) {
        if (source.m_Polygons[i]->m_Deleted)
            continue;
        if (!target.AddPolygonCopy(nullptr, source.m_Polygons[i])) {
            for (DWORD k = start; k < target.m_PolygonCount; ++k)
                target.m_Polygons[k]->m_Deleted = 1;
            return false;
        }
    }
    return true;
}

} // namespace

CZNBSPCARVE::CZNBSPCARVE(CZNBSPTREE *target, const ZNBBOX &box) : m_Target(target), m_Box(box)
{
    if (m_Target)
        Track(0);
}

bool CZNBSPCARVE::Meets(const ZNBSPCARVER &carver) const
{
    return Overlap(carver.Box, m_Box);
}

std::vector<const ZNBSPCARVER *> CZNBSPCARVE::Order(const std::vector<ZNBSPCARVER> &carvers) const
{
    std::vector<const ZNBSPCARVER *> order;
    for (const ZNBSPCARVER &carver : carvers)
        if (Meets(carver))
            order.push_back(&carver);
    // Fisher-Yates with a fixed linear congruential sequence.
    uint32_t seed = 12345;
    for (size_t i = order.size(); i > 1; --i) {
        seed = seed * 1664525u + 1013904223u;
        std::swap(order[i - 1], order[(seed >> 8) % i]);
    }
    return order;
}

int CZNBSPCARVE::Carve(const std::vector<ZNBSPCARVER> &carvers)
{
    int met = 0;
    for (const ZNBSPCARVER *carver : Order(carvers))
        met += Carve(*carver);
    return met;
}

int CZNBSPCARVE::Carve(const ZNBSPCARVER &carver)
{
    if (!Clip(carver))
        return 0;
    Dent(carver);
    m_Done.push_back(carver);
    return 1;
}

int CZNBSPCARVE::Clip(const ZNBSPCARVER &carver)
{
    if (!Usable(m_Target) || !Usable(carver.Tree) || carver.Tree == m_Target || !Meets(carver))
        return 0;
    // The polygons with a part inside the carver, by their place in m_Alive; the others stay as
    // they are.
    std::vector<size_t> near;
    const ZNBBOX box = carver.Box;
    const size_t count = m_Alive.size();
    for (size_t j = 0; j < count; ++j)
        if (Overlap(m_Alive[j].Box, box) &&
            carver.Tree->PolygonInside(m_Target->m_Polygons[m_Alive[j].Index], carver.Tree->m_RootNode, 0))
            near.push_back(j);
    if (near.empty())
        return 1;

    CZNBSPTREE scratch;
    for (size_t j : near)
        if (!scratch.AddPolygonCopy(nullptr, m_Target->m_Polygons[m_Alive[j].Index]))
            return 0;
    carver.Tree->ClipTree(carver.Tree->m_RootNode, nullptr, &scratch, 1, 1);
    scratch.MergeSplitFragments();

    // Scratch polygon k < near.size() is the copy of the polygon at m_Alive[near[k]]; the rest
    // are pieces.
    const DWORD first = m_Target->m_PolygonCount;
    if (!AppendSurvivors(*m_Target, scratch, static_cast<DWORD>(near.size())))
        return 0;
    for (size_t k = 0; k < near.size(); ++k)
        if (scratch.m_Polygons[k]->m_Deleted) {
            // The entry stays until the list is compacted, with a box that meets nothing.
            Entry &e = m_Alive[near[k]];
            m_Target->m_Polygons[e.Index]->m_Deleted = 1;
            e = {kNoBox, kGone};
            ++m_Gone;
        }
    if (m_Gone * 2 > m_Alive.size()) {
        std::erase_if(m_Alive, [](const Entry &e) { return e.Index == kGone; });
        m_Gone = 0;
    }
    Track(first);
    return 1;
}

void CZNBSPCARVE::Dent(const ZNBSPCARVER &carver)
{
    // The carver's surface outside the carvers before it, as the surface of their union: where
    // it lies on an earlier carver's surface facing the same way it stays, as Clip took that
    // carver's walls away there; where the two touch face to face it goes, with the wall Clip
    // removed.
    std::unique_ptr<CZNBSPTREE> dent(carver.Tree->Clone());
    if (!dent)
        return;
    for (const ZNBSPCARVER &earlier : m_Done) {
        if (!Overlap(earlier.Box, carver.Box))
            continue;
        earlier.Tree->ClipTree(earlier.Tree->m_RootNode, nullptr, dent.get(), 1, 0);
        dent->MergeSplitFragments();
    }
    // Turned inside out, it bounds the space left: its part inside the target's solid stays. A
    // wall in the plane of a face of the target facing the same way (the carver touches that face
    // from outside) replaces the target's polygon Clip removed there; facing the other way (the
    // carver is flush with the face) it goes, and the face stays open.
    dent->InvertPolygons();
    m_Target->ClipTree(m_Target->m_RootNode, nullptr, dent.get(), 0, 1);
    dent->MergeSplitFragments();
    const DWORD first = m_Target->m_PolygonCount;
    AppendSurvivors(*m_Target, *dent, 0);
    Track(first);
}

void CZNBSPCARVE::Track(DWORD first)
{
    for (DWORD i = first; i < m_Target->m_PolygonCount; ++i)
        if (!m_Target->m_Polygons[i]->m_Deleted)
            m_Alive.push_back({BoundsOf(*m_Target->m_Polygons[i]), i});
}
