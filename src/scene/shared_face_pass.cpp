#include "scene/shared_face_pass.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "scene/face.h"
#include "scene/face_index_list.h"
#include "scene/face_list_container.h"

namespace
{

// Positions are the same when they differ by less than this on every axis.
constexpr float kSamePosition = 0.01f;
// Up to this many vertices in the cells around a position, its list is opened face by face; with
// more, the position is crowded and its vertices are taken together. Brushes with no more
// vertices than this compare every vertex with every other, without cells.
constexpr size_t kCrowd = 64;

// The grid of cells 0.05 wide that finds the vertices near a position. Cells are centred on
// whole numbers, where most level geometry lies, so that such a position looks in its own cell
// only. A cell index is floor(20 v + 0.5) in a double (20 v is exact for every finite float),
// kept as its bits with -0 made +0.
constexpr double kCellsPerUnit = 20.0;
// A little more than 0.01, so that rounding never leaves out a cell that holds a near vertex.
constexpr double kReach = 0.0101;

double CellOf(double v)
{
    return std::floor(v * kCellsPerUnit + 0.5) + 0.0;
}

// The cells, along one axis, that can hold a coordinate less than 0.01 from v: one, or two
// near a cell's edge.
int CellsAcross(float v, double out[3])
{
    const double lo = CellOf(static_cast<double>(v) - kReach), hi = CellOf(static_cast<double>(v) + kReach);
    int n = 0;
    for (double c = lo; n < 3 && c <= hi && (n == 0 || c != out[n - 1]); c += 1.0)
        out[n++] = c + 0.0;
    return n;
}

struct CellKey {
    double X, Y, Z;
    bool operator==(const CellKey &o) const { return X == o.X && Y == o.Y && Z == o.Z; }
};

uint64_t HashOf(const CellKey &k)
{
    uint64_t h = 0x9E3779B97F4A7C15ull;
    for (double v : {k.X, k.Y, k.Z}) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        h = (h ^ bits) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    return h;
}

constexpr uint32_t kNoCell = 0xFFFFFFFFu;

bool Near(const D3DXVECTOR3 &a, const D3DXVECTOR3 &p)
{
    return std::fabs(a.x - p.x) < kSamePosition && std::fabs(a.y - p.y) < kSamePosition &&
           std::fabs(a.z - p.z) < kSamePosition;
}

bool Finite(const D3DXVECTOR3 &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The working lists of the pass. They are kept by each thread from one call to the next, so that
// a load, which runs the pass for every brush, does not allocate them every time.
struct Scratch {
    std::vector<size_t> First; // each face's first vertex slot, then the total
    std::vector<D3DXVECTOR3> Positions;
    std::vector<DWORD> FaceOf;
    std::vector<LONG> ListOf;
    std::vector<LONG> ListedIn;       // per face: the crowd list that named it last
    std::vector<size_t> Finite;       // the finite slots, in order
    std::vector<CellKey> Keys;        // per cell
    std::vector<uint32_t> Table;      // open addressing: cell numbers, kNoCell where free
    std::vector<uint32_t> CellOfSlot; // per finite slot, in the order of Finite
    std::vector<size_t> CellStart;    // each cell's first entry in CellSlots, then the total
    std::vector<size_t> CellSlots;    // the finite slots cell by cell, each cell's in order
    std::vector<std::pair<size_t, size_t>> Ranges;
    std::vector<std::pair<DWORD, size_t>> Found;
    std::vector<DWORD> Indices;
    std::vector<ZNFACEINDEXLIST *> Lists;
};
thread_local Scratch t_Scratch;

// Gives the lists back after a very large mesh, so a thread does not hold its size for good.
struct ScratchTrim {
    Scratch &Lists;
    ~ScratchTrim()
    {
        if (Lists.Positions.capacity() > (size_t{1} << 17))
            Lists = Scratch();
    }
};

} // namespace

bool CZNSharedFacePass::Build(ZNFACE *const *faces, DWORD count, ZNFACELISTCONTAINER &container)
{
    container.Reset();
    Scratch &s = t_Scratch;
    const ScratchTrim trim{s};
    // One walk over the faces takes their positions side by side.
    s.First.resize(static_cast<size_t>(count) + 1);
    s.First[0] = 0;
    s.Positions.clear();
    s.FaceOf.clear();
    s.Finite.clear();
    for (DWORD i = 0; i < count; ++i) {
        const ZNFACE *face = faces[i];
        const short vertices = face->GetVertexCount();
        for (short j = 0; j < vertices; ++j) {
            const ZNVERTEX &v = face->m_Vertices[j];
            const D3DXVECTOR3 p(v.x, v.y, v.z);
            if (Finite(p))
                s.Finite.push_back(s.Positions.size());
            s.Positions.push_back(p);
            s.FaceOf.push_back(i);
        }
        s.First[i + 1] = s.Positions.size();
    }
    const size_t slots = s.Positions.size();
    s.ListOf.assign(slots, -1);
    s.ListedIn.assign(count, -1);

    // Few vertices are compared each with each; more are put in their cells.
    const bool direct = s.Finite.size() <= kCrowd;
    size_t mask = 0;
    auto findCell = [&](const CellKey &key, bool add) {
        for (size_t at = HashOf(key) & mask;; at = (at + 1) & mask) {
            const uint32_t cell = s.Table[at];
            if (cell == kNoCell) {
                if (!add)
                    return kNoCell;
                s.Table[at] = static_cast<uint32_t>(s.Keys.size());
                s.Keys.push_back(key);
                return s.Table[at];
            }
            if (s.Keys[cell] == key)
                return cell;
        }
    };
    if (!direct) {
        size_t capacity = 16;
        while (capacity < 2 * s.Finite.size())
            capacity *= 2;
        mask = capacity - 1;
        s.Table.assign(capacity, kNoCell);
        s.Keys.clear();
        s.CellOfSlot.resize(s.Finite.size());
        for (size_t f = 0; f < s.Finite.size(); ++f) {
            const D3DXVECTOR3 &p = s.Positions[s.Finite[f]];
            s.CellOfSlot[f] = findCell({CellOf(p.x), CellOf(p.y), CellOf(p.z)}, true);
        }
        s.CellStart.assign(s.Keys.size() + 1, 0);
        for (uint32_t cell : s.CellOfSlot)
            ++s.CellStart[cell + 1];
        for (size_t c = 0; c < s.Keys.size(); ++c)
            s.CellStart[c + 1] += s.CellStart[c];
        s.CellSlots.resize(s.Finite.size());
        for (size_t f = 0; f < s.Finite.size(); ++f)
            s.CellSlots[s.CellStart[s.CellOfSlot[f]]++] = s.Finite[f];
        // The fill moved each start to the next cell's: move them back.
        for (size_t c = s.Keys.size(); c > 0; --c)
            s.CellStart[c] = s.CellStart[c - 1];
        s.CellStart[0] = 0;
    }

    // The runs of CellSlots in the cells that can hold a vertex near p (all finite vertices
    // without cells); the number of vertices in them.
    auto around = [&](const D3DXVECTOR3 &p) {
        s.Ranges.clear();
        const std::vector<size_t> &all = direct ? s.Finite : s.CellSlots;
        if (direct) {
            s.Ranges.emplace_back(0, all.size());
            return all.size();
        }
        double xs[3], ys[3], zs[3];
        const int nx = CellsAcross(p.x, xs), ny = CellsAcross(p.y, ys), nz = CellsAcross(p.z, zs);
        size_t total = 0;
        for (int a = 0; a < nx; ++a)
            for (int b = 0; b < ny; ++b)
                for (int c = 0; c < nz; ++c) {
                    const uint32_t cell = findCell({xs[a], ys[b], zs[c]}, false);
                    if (cell != kNoCell) {
                        s.Ranges.emplace_back(s.CellStart[cell], s.CellStart[cell + 1]);
                        total += s.CellStart[cell + 1] - s.CellStart[cell];
                    }
                }
        return total;
    };

    // The lists are made first and handed to the container together. When one cannot be made,
    // none is kept and no vertex names a list.
    s.Lists.clear();
    s.Lists.reserve(slots);
    s.Indices.reserve(count);
    auto dropAll = [&] {
        for (ZNFACEINDEXLIST *list : s.Lists)
            delete list;
        s.Lists.clear();
        for (DWORD i = 0; i < count; ++i)
            for (short j = 0; j < faces[i]->GetVertexCount(); ++j)
                faces[i]->m_VertexFaceListIndices[j] = -1;
        return false;
    };
    for (DWORD i = 0; i < count; ++i) {
        for (size_t slot = s.First[i]; slot < s.First[i + 1]; ++slot) {
            if (s.ListOf[slot] != -1)
                continue;
            const LONG listIndex = static_cast<LONG>(s.Lists.size());
            const D3DXVECTOR3 p = s.Positions[slot];
            s.Indices.clear();
            // A NaN or infinite position is near nothing: its list holds its own face only.
            if (Finite(p)) {
                const size_t crowd = around(p);
                const size_t *slotAt = direct ? s.Finite.data() : s.CellSlots.data();
                if (crowd <= kCrowd) {
                    // Each other face's first vertex near p, in face order; one listed before
                    // moves over to this list.
                    s.Found.clear();
                    for (const auto &[from, to] : s.Ranges)
                        for (size_t e = from; e < to; ++e) {
                            const size_t q = slotAt[e];
                            if (s.FaceOf[q] != i && Near(s.Positions[q], p))
                                s.Found.emplace_back(s.FaceOf[q], q);
                        }
                    std::sort(s.Found.begin(), s.Found.end());
                    s.Found.erase(std::unique(s.Found.begin(), s.Found.end(),
                                              [](const auto &a, const auto &b) { return a.first == b.first; }),
                                  s.Found.end());
                    for (const auto &[k, q] : s.Found) {
                        s.Indices.push_back(k);
                        s.ListOf[q] = listIndex;
                    }
                } else {
                    // A crowd: every vertex near p not yet listed joins this list once, and so
                    // is never searched from again; each face is named once.
                    for (const auto &[from, to] : s.Ranges)
                        for (size_t e = from; e < to; ++e) {
                            const size_t q = slotAt[e];
                            if (s.ListOf[q] == -1 && Near(s.Positions[q], p)) {
                                s.ListOf[q] = listIndex;
                                const DWORD k = s.FaceOf[q];
                                if (k != i && s.ListedIn[k] != listIndex) {
                                    s.ListedIn[k] = listIndex;
                                    s.Indices.push_back(k);
                                }
                            }
                        }
                    // One cell's vertices come in face order already.
                    if (!std::is_sorted(s.Indices.begin(), s.Indices.end()))
                        std::sort(s.Indices.begin(), s.Indices.end());
                }
            }
            s.Indices.push_back(i);
            s.ListOf[slot] = listIndex;
            ZNFACEINDEXLIST *list = ZNFACEINDEXLIST::Make(s.Indices.data(), static_cast<DWORD>(s.Indices.size()));
            if (!list)
                return dropAll();
            s.Lists.push_back(list);
        }
    }
    if (!container.AddFaceIndexLists(s.Lists.data(), static_cast<DWORD>(s.Lists.size())))
        return dropAll();
    for (DWORD i = 0; i < count; ++i)
        for (size_t slot = s.First[i]; slot < s.First[i + 1]; ++slot)
            faces[i]->m_VertexFaceListIndices[slot - s.First[i]] = s.ListOf[slot];
    return true;
}
