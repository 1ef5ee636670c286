#include "scene/shared_face_pass.h"

#include <algorithm>
#include <cmath>
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

// A finite vertex in its cell of 0.01 on each axis. The cell is floor(100 v): the product of a
// float and 100 is exact in a double, so two coordinates less than 0.01 apart lie in the same or
// neighbouring cells, at any magnitude.
struct CellEntry {
    double X, Y, Z;
    size_t Slot;
};

bool CellBefore(const CellEntry &a, const CellEntry &b)
{
    if (a.X != b.X)
        return a.X < b.X;
    if (a.Y != b.Y)
        return a.Y < b.Y;
    return a.Z < b.Z;
}

double CellOf(float v)
{
    return std::floor(static_cast<double>(v) * 100.0);
}

// The cells c - 1, c and c + 1, once each (far out, c ± 1 rounds back to c).
int CellsAround(double c, double out[3])
{
    int n = 0;
    for (double v : {c - 1.0, c, c + 1.0})
        if (n == 0 || out[n - 1] != v)
            out[n++] = v;
    return n;
}

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
    std::vector<size_t> First;        // each face's first vertex slot, then the total
    std::vector<D3DXVECTOR3> Positions;
    std::vector<DWORD> FaceOf;
    std::vector<LONG> ListOf;
    std::vector<CellEntry> Cells;     // the finite slots, in cell order
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
        if (Lists.Positions.capacity() > (size_t{1} << 14))
            Lists = Scratch();
    }
};

} // namespace

bool CZNSharedFacePass::Build(ZNFACE *const *faces, DWORD count, ZNFACELISTCONTAINER &container)
{
    container.Reset();
    Scratch &s = t_Scratch;
    const ScratchTrim trim{s};
    s.First.assign(static_cast<size_t>(count) + 1, 0);
    for (DWORD i = 0; i < count; ++i)
        s.First[i + 1] = s.First[i] + static_cast<size_t>(std::max<short>(faces[i]->GetVertexCount(), 0));
    const size_t slots = s.First[count];
    s.Positions.resize(slots);
    s.FaceOf.resize(slots);
    s.ListOf.assign(slots, -1);
    s.Cells.clear();
    for (DWORD i = 0; i < count; ++i) {
        ZNFACE *face = faces[i];
        for (size_t j = 0; j < s.First[i + 1] - s.First[i]; ++j) {
            const size_t slot = s.First[i] + j;
            const ZNVERTEX &v = face->m_Vertices[j];
            const D3DXVECTOR3 p(v.x, v.y, v.z);
            face->m_VertexFaceListIndices[j] = -1;
            s.Positions[slot] = p;
            s.FaceOf[slot] = i;
            if (Finite(p))
                s.Cells.push_back({CellOf(p.x), CellOf(p.y), CellOf(p.z), slot});
        }
    }
    const bool direct = s.Cells.size() <= kCrowd;
    if (!direct)
        std::sort(s.Cells.begin(), s.Cells.end(), CellBefore);

    // The runs of s.Cells in the 27 cells around p (all of it without cells); the number of
    // vertices in them.
    auto around = [&](const D3DXVECTOR3 &p) {
        s.Ranges.clear();
        if (direct) {
            s.Ranges.emplace_back(0, s.Cells.size());
            return s.Cells.size();
        }
        double xs[3], ys[3];
        const int nx = CellsAround(CellOf(p.x), xs);
        const int ny = CellsAround(CellOf(p.y), ys);
        const double z = CellOf(p.z);
        size_t total = 0;
        for (int a = 0; a < nx; ++a)
            for (int b = 0; b < ny; ++b) {
                const auto from = std::lower_bound(s.Cells.begin(), s.Cells.end(), CellEntry{xs[a], ys[b], z - 1.0, 0},
                                                   CellBefore);
                const auto to = std::upper_bound(from, s.Cells.end(), CellEntry{xs[a], ys[b], z + 1.0, 0}, CellBefore);
                if (from != to) {
                    s.Ranges.emplace_back(static_cast<size_t>(from - s.Cells.begin()),
                                          static_cast<size_t>(to - s.Cells.begin()));
                    total += static_cast<size_t>(to - from);
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
                if (around(p) <= kCrowd) {
                    // Each other face's first vertex near p, in face order; one listed before
                    // moves over to this list.
                    s.Found.clear();
                    for (const auto &[from, to] : s.Ranges)
                        for (size_t e = from; e < to; ++e) {
                            const size_t q = s.Cells[e].Slot;
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
                            const size_t q = s.Cells[e].Slot;
                            if (s.ListOf[q] == -1 && Near(s.Positions[q], p)) {
                                s.ListOf[q] = listIndex;
                                if (s.FaceOf[q] != i)
                                    s.Indices.push_back(s.FaceOf[q]);
                            }
                        }
                    std::sort(s.Indices.begin(), s.Indices.end());
                    s.Indices.erase(std::unique(s.Indices.begin(), s.Indices.end()), s.Indices.end());
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
