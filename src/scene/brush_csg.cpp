// ZNBRUSH operations that build or repair a brush as a whole: extrusion of a face into a new
// brush, T-junction removal and the rebuild from the polygons of a BSP tree.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/os/reporter.h"
#include "scene/brush.h"
#include "scene/bsp_tree.h"

namespace
{

// Positions closer than this are the same position.
constexpr float kTolerance = 0.01f;

// True when p lies inside the edge a-b: its projection at least kTolerance from both ends and
// its distance from the line below kTolerance.
bool InsideEdge(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, const D3DXVECTOR3 &p)
{
    D3DXVECTOR3 direction = b - a;
    const float length = D3DXVec3Length(&direction);
    if (length < 2.0f * kTolerance)
        return false;
    direction /= length;
    const D3DXVECTOR3 toPoint = p - a;
    const float t = D3DXVec3Dot(&toPoint, &direction);
    if (t < kTolerance || t > length - kTolerance)
        return false;
    const D3DXVECTOR3 off = toPoint - direction * t;
    return D3DXVec3Length(&off) < kTolerance;
}

bool Finite(const D3DXVECTOR3 &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The finite corners of a brush's faces, each with its face, filed by grid cells. The cells are
// about as wide as the median edge, and there are at most a few per corner; a look-up walks an
// edge in steps of a cell, so it meets a few cells per cell of the edge's length.
class CornerGrid
{
public:
    struct Corner {
        D3DXVECTOR3 Position;
        DWORD Face;
    };

    CornerGrid(ZNFACE *const *faces, DWORD count)
    {
        std::vector<float> lengths;
        D3DXVECTOR3 lo(0, 0, 0), hi(0, 0, 0);
        for (DWORD f = 0; f < count; ++f) {
            const ZNFACE &face = *faces[f];
            const int n = face.GetVertexCount();
            for (int i = 0; i < n; ++i) {
                const D3DXVECTOR3 p = Position(face.m_Vertices[i]), q = Position(face.m_Vertices[(i + 1) % n]);
                if (!Finite(p))
                    continue;
                lo = m_Corners.empty() ? p : D3DXVECTOR3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
                hi = m_Corners.empty() ? p : D3DXVECTOR3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
                m_Corners.push_back({p, f});
                D3DXVECTOR3 edge = q - p;
                if (Finite(q))
                    lengths.push_back(D3DXVec3Length(&edge));
            }
        }
        if (m_Corners.empty())
            return;
        m_Origin = lo;
        if (!lengths.empty()) {
            std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
            m_Cell = std::max(static_cast<double>(lengths[lengths.size() / 2]), m_Cell);
        }
        const double extent[3] = {static_cast<double>(hi.x) - lo.x, static_cast<double>(hi.y) - lo.y,
                                  static_cast<double>(hi.z) - lo.z};
        const double cap = 4.0 * static_cast<double>(m_Corners.size()) + 64.0;
        for (;;) {
            double cells = 1.0;
            for (int axis = 0; axis < 3; ++axis)
                cells *= std::min(std::floor(extent[axis] / m_Cell) + 1.0, cap);
            if (cells <= cap)
                break;
            m_Cell *= 2.0;
        }
        for (int axis = 0; axis < 3; ++axis)
            m_Size[axis] = static_cast<size_t>(std::floor(extent[axis] / m_Cell) + 1.0);
        // The corners sorted by cell, and where each cell's run begins.
        std::vector<size_t> cellOf(m_Corners.size());
        m_Start.assign(m_Size[0] * m_Size[1] * m_Size[2] + 1, 0);
        for (size_t i = 0; i < m_Corners.size(); ++i) {
            const D3DXVECTOR3 &p = m_Corners[i].Position;
            cellOf[i] = Flat(Index(0, p.x), Index(1, p.y), Index(2, p.z));
            ++m_Start[cellOf[i] + 1];
        }
        for (size_t c = 1; c < m_Start.size(); ++c)
            m_Start[c] += m_Start[c - 1];
        std::vector<Corner> sorted(m_Corners.size());
        std::vector<size_t> next(m_Start.begin(), m_Start.end() - 1);
        for (size_t i = 0; i < m_Corners.size(); ++i)
            sorted[next[cellOf[i]]++] = m_Corners[i];
        m_Corners = std::move(sorted);
        m_Seen.assign(m_Corners.size(), 0);
    }

    // The corners of faces other than skip within reach of the segment a-b, each once.
    void Near(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, float reach, DWORD skip, std::vector<const Corner *> &out)
    {
        out.clear();
        if (m_Corners.empty())
            return;
        ++m_Stamp;
        D3DXVECTOR3 edge = b - a;
        const double steps = std::ceil(static_cast<double>(D3DXVec3Length(&edge)) / m_Cell);
        if (!(steps <= static_cast<double>(m_Start.size()))) {
            // An edge longer than the grid has cells: every corner is looked at once.
            for (size_t i = 0; i < m_Corners.size(); ++i)
                Take(i, skip, out);
            return;
        }
        const int n = std::max(1, static_cast<int>(steps));
        for (int s = 0; s < n; ++s) {
            const D3DXVECTOR3 p = a + edge * (static_cast<float>(s) / n),
                              q = a + edge * (static_cast<float>(s + 1) / n);
            size_t lo[3], hi[3];
            for (int axis = 0; axis < 3; ++axis) {
                const float u = (&p.x)[axis], v = (&q.x)[axis];
                lo[axis] = Index(axis, std::min(u, v) - reach);
                hi[axis] = Index(axis, std::max(u, v) + reach);
            }
            for (size_t x = lo[0]; x <= hi[0]; ++x)
                for (size_t y = lo[1]; y <= hi[1]; ++y)
                    for (size_t z = lo[2]; z <= hi[2]; ++z) {
                        const size_t cell = Flat(x, y, z);
                        for (size_t i = m_Start[cell]; i < m_Start[cell + 1]; ++i)
                            Take(i, skip, out);
                    }
        }
    }

private:
    // The cell of a coordinate on an axis; positions beyond the grid go to its border cells.
    size_t Index(int axis, float value) const
    {
        const double cell = std::floor((static_cast<double>(value) - (&m_Origin.x)[axis]) / m_Cell);
        if (!(cell > 0.0))
            return 0;
        return static_cast<size_t>(std::min(cell, static_cast<double>(m_Size[axis] - 1)));
    }
    size_t Flat(size_t x, size_t y, size_t z) const { return (x * m_Size[1] + y) * m_Size[2] + z; }
    void Take(size_t i, DWORD skip, std::vector<const Corner *> &out)
    {
        if (m_Seen[i] == m_Stamp || m_Corners[i].Face == skip)
            return;
        m_Seen[i] = m_Stamp;
        out.push_back(&m_Corners[i]);
    }

    std::vector<Corner> m_Corners; // sorted by cell
    std::vector<size_t> m_Start;   // per cell, its first corner; one more at the end
    std::vector<DWORD> m_Seen;     // per corner, the stamp of the last look-up that found it
    DWORD m_Stamp = 0;
    D3DXVECTOR3 m_Origin = D3DXVECTOR3(0, 0, 0);
    double m_Cell = 8.0 * kTolerance;
    size_t m_Size[3] = {1, 1, 1};
};

} // namespace

ZNBRUSH *ZNBRUSH::ExtrudeFace(D3DXVECTOR3 *offset, DWORD faceIndex, DWORD *outIndex)
{
    if (!offset || faceIndex >= m_FaceCount || m_Faces[faceIndex]->GetVertexCount() < 3)
        return nullptr;
    const D3DXVECTOR3 d = *offset;
    if (std::fabs(d.x) < kTolerance && std::fabs(d.y) < kTolerance && std::fabs(d.z) < kTolerance)
        return nullptr;
    CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    ZNBRUSH *brush = document ? document->NewBrush() : nullptr;
    if (!brush)
        return nullptr;

    ZNFACE *source = m_Faces[faceIndex];
    const int n = source->GetVertexCount();
    auto moved = [&d](ZNVERTEX v) {
        v.x += d.x;
        v.y += d.y;
        v.z += d.z;
        return v;
    };
    // New faces start deselected; the shared-position lists of the source brush mean nothing here.
    auto deselect = [](ZNFACE *face) {
        face->SelectFace(0);
        face->SelectAllVertices(0);
        for (int i = 0; i < face->GetVertexCount(); ++i)
            face->m_VertexFaceListIndices[i] = -1;
    };

    bool ok = true;
    // The far cap: the face moved by the offset.
    if (ZNFACE *farCap = brush->AddFace(source)) {
        deselect(farCap);
        for (int i = 0; i < n; ++i)
            farCap->m_Vertices[i] = moved(farCap->m_Vertices[i]);
    } else {
        ok = false;
    }
    // The near cap: the face turned over, vertex 0 kept in place.
    if (ZNFACE *nearCap = ok ? brush->AddFace(source) : nullptr) {
        deselect(nearCap);
        for (int i = 1, j = n - 1; i < j; ++i, --j)
            std::swap(nearCap->m_Vertices[i], nearCap->m_Vertices[j]);
        nearCap->m_Normal = -nearCap->m_Normal;
    } else {
        ok = false;
    }
    // One quad per edge.
    for (int j = 1; ok && j <= n; ++j) {
        const int k = j == n ? 0 : j;
        ZNFACE *side = brush->AddFace(static_cast<short>(4));
        if (!side) {
            ok = false;
            break;
        }
        side->CopyFaceProperties(source);
        deselect(side);
        side->m_Vertices[0] = moved(source->m_Vertices[k]);
        side->m_Vertices[1] = moved(source->m_Vertices[j - 1]);
        side->m_Vertices[2] = source->m_Vertices[j - 1];
        side->m_Vertices[3] = source->m_Vertices[k];
    }
    if (!ok) {
        document->DeleteBrush(brush);
        return nullptr;
    }
    if (outIndex)
        *outIndex = 0;
    brush->UpdateBoundingBox();
    return brush;
}

void ZNBRUSH::RemoveTJunctions()
{
    if (m_FaceCount < 2)
        return;
    // Every corner of another face that lies inside an edge of a face is inserted into that
    // edge, in order along it; corners closer than kTolerance to one inserted before are the
    // same position. The corners come from a grid, looked up along each edge.
    CornerGrid grid(m_Faces, m_FaceCount);
    std::vector<const CornerGrid::Corner *> near;
    std::vector<std::pair<float, D3DXVECTOR3>> inside;
    for (DWORD f = 0; f < m_FaceCount; ++f) {
        ZNFACE *face = m_Faces[f];
        // The edges from the last one back, so that the insertions keep the indices before them.
        for (int k = face->GetVertexCount() - 1; k >= 0; --k) {
            const int count = face->GetVertexCount();
            const D3DXVECTOR3 a = Position(face->m_Vertices[k]), b = Position(face->m_Vertices[(k + 1) % count]);
            if (!Finite(a) || !Finite(b))
                continue;
            grid.Near(a, b, 2.0f * kTolerance, f, near);
            inside.clear();
            D3DXVECTOR3 direction = b - a;
            for (const CornerGrid::Corner *c : near)
                if (InsideEdge(a, b, c->Position)) {
                    const D3DXVECTOR3 toPoint = c->Position - a;
                    inside.push_back({D3DXVec3Dot(&toPoint, &direction), c->Position});
                }
            if (inside.empty())
                continue;
            std::sort(inside.begin(), inside.end(), [](const auto &x, const auto &y) { return x.first < y.first; });
            const float length = D3DXVec3Length(&direction);
            short at = static_cast<short>(k + 1);
            float last = -1.0f;
            for (const auto &[t, p] : inside) {
                // t is along the edge times its length.
                if (last >= 0.0f && t - last < kTolerance * length)
                    continue;
                // After vertex k; on the closing edge that is the end of the ring.
                ZNVERTEX *inserted = face->InsertVertex(at);
                if (!inserted)
                    return;
                inserted->x = p.x;
                inserted->y = p.y;
                inserted->z = p.z;
                last = t;
                ++at;
            }
        }
    }
}

int ZNBRUSH::BuildBrushFromBSPTree(void *tree, int append)
{
    CZNBSPTREE *bsp = static_cast<CZNBSPTREE *>(tree);
    if (!bsp || bsp->m_PolygonCount == 0 || !bsp->m_Polygons)
        return 0;
    if (!append)
        ReleaseFaces();

    // The new faces are attached together at the end: they are no face of this brush yet, and
    // one look-up per face would cost faces squared on a large carve.
    std::vector<ZNFACE *> made;
    bool countMissing = false, arrayMissing = false;
    for (DWORD i = 0; i < bsp->m_PolygonCount; ++i) {
        const CZNBSPPOLYGON *p = bsp->m_Polygons[i];
        if (!p || p->m_Deleted)
            continue;
        // A polygon without vertices never becomes a face.
        if (p->m_VertexCount <= 0) {
            countMissing = true;
            continue;
        }
        if (!p->m_Vertices) {
            arrayMissing = true;
            continue;
        }
        ZNFACE *face = new (std::nothrow) ZNFACE;
        if (!face)
            continue;
        face->SetTexture(p->m_Texture);
        face->SetMaterial(p->m_Material);
        ZnCopySurfaceAttributes(*face, *p);
        face->m_SurfaceTag = p->m_SurfaceTag;
        if (!face->AddVertices(p->m_VertexCount, nullptr)) {
            delete face;
            continue;
        }
        std::memcpy(face->m_Vertices, p->m_Vertices, sizeof(ZNVERTEX) * p->m_VertexCount);
        face->m_Normal = p->m_Normal;
        made.push_back(face);
    }
    const DWORD first = m_FaceCount;
    if (made.size() > 0x7FFFFFFFu - first || !ResizeFaceArray(first + static_cast<DWORD>(made.size()))) {
        for (ZNFACE *face : made)
            delete face;
        made.clear();
    }
    for (size_t k = 0; k < made.size(); ++k)
        m_Faces[first + k] = made[k];

    // Reported once per rebuild; the answer is not used.
    IZNReporter *reporter = GetEditorApp()->GetReporter();
    if (countMissing)
        reporter->Message("A Vertex Count was NULL", "TOVRA", MB_YESNO | MB_ICONEXCLAMATION);
    if (arrayMissing)
        reporter->Message("A Vertex Array was NULL", "TOVRA", MB_YESNO | MB_ICONEXCLAMATION);

    D3DXMatrixIdentity(&m_Transform);
    GetBoundingBox(1);
    return 1;
}
