#pragma once

// CZNBSPCARVE: the solid of one BSP tree carved in place by the trees of other brushes, as a
// carve of one brush by many does it. The target tree's nodes give the solid being carved and
// stay as they are; its polygon array collects the result: polygons inside a carver are flagged
// deleted, the pieces of those that cross a carver's surface are appended, and so are the
// carver's own polygons, turned over, that bound the space it leaves. A brush is then rebuilt from
// the target's polygons that are not deleted.
//
// Each carver meets only the target's polygons near it: the carve keeps the bounds of the target's
// polygons that are not deleted, so a carver whose box misses the target's, or a polygon whose
// box misses the carver's, costs nothing; the polygons a carver does meet are clipped on a scratch
// tree so that their splits and merges cost no more than they are.
//
// The carve holds pointers to the target and to the carvers' trees, owning none of them; they
// must outlive it, and nothing else may change the target while it is carved. Carvers must be
// other trees than the target.
#include <vector>

#include "platform/export.h"
#include "platform/os/win_types.h"
#include "scene/bbox.h"

class CZNBSPTREE;

// A brush's tree given to a carve, with the box that bounds its solid.
struct ZNBSPCARVER {
    CZNBSPTREE *Tree;
    ZNBBOX Box;
};

class ZN_API CZNBSPCARVE
{
public:
    // A carve of target's solid, which box bounds.
    CZNBSPCARVE(CZNBSPTREE *target, const ZNBBOX &box);

    // True when the carver's box meets the target's box.
    bool Meets(const ZNBSPCARVER &carver) const;
    // The carvers that meet the target, in the order Carve takes them: shuffled, the same on
    // every run. A carver cuts the polygons it meets along whole planes; taken in the order they
    // lie in, the cuts of one row of carvers run on through the next row and split it again and
    // again, while in a random order the cuts stay short on average.
    std::vector<const ZNBSPCARVER *> Order(const std::vector<ZNBSPCARVER> &carvers) const;

    // Carves by every carver that meets the target, in Order; returns how many did.
    int Carve(const std::vector<ZNBSPCARVER> &carvers);
    // Carves by one carver: the target's polygons inside it go (Clip), and its polygons that lie
    // inside the target's solid and outside every carver carved by before are appended, turned
    // over. 0 when Clip gives 0 (nothing changes), else 1.
    int Carve(const ZNBSPCARVER &carver);
    // The first half of Carve: the target's polygons inside the carver are flagged deleted, those
    // that cross its surface are split and their pieces outside appended. Polygons lying in one
    // of its faces' planes and facing the same way go too, so a carver flush with a face of the
    // target opens it. Fragments that all survive are merged back. 0 (nothing changes) when the
    // boxes miss, a tree has no nodes or polygons, the carver is the target, or memory runs out.
    int Clip(const ZNBSPCARVER &carver);

private:
    // A polygon of the target that is not deleted, with its bounds.
    struct Entry {
        ZNBBOX Box;
        DWORD Index;
    };
    // Appends the carver's polygons that bound the space it leaves.
    void Dent(const ZNBSPCARVER &carver);
    // Takes in the target's polygons from index first on.
    void Track(DWORD first);

    CZNBSPTREE *m_Target;
    ZNBBOX m_Box;
    // The polygons not deleted, in index order. Entries of polygons deleted since the last
    // compaction (m_Gone of them) stay in place with a box that meets nothing.
    std::vector<Entry> m_Alive;
    size_t m_Gone = 0;
    std::vector<ZNBSPCARVER> m_Done; // the carvers carved by so far
};
