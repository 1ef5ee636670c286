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

const ZNBBOX kEmptyBox = {D3DXVECTOR3(1e30f, 1e30f, 1e30f), D3DXVECTOR3(-1e30f, -1e30f, -1e30f)};

bool Finite(const D3DXVECTOR3 &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

ZNBBOX Merged(ZNBBOX box, const D3DXVECTOR3 &p)
{
    box.Min = D3DXVECTOR3(std::min(box.Min.x, p.x), std::min(box.Min.y, p.y), std::min(box.Min.z, p.z));
    box.Max = D3DXVECTOR3(std::max(box.Max.x, p.x), std::max(box.Max.y, p.y), std::max(box.Max.z, p.z));
    return box;
}

ZNBBOX Grown(ZNBBOX box, float by)
{
    box.Min -= D3DXVECTOR3(by, by, by);
    box.Max += D3DXVECTOR3(by, by, by);
    return box;
}

bool Meet(const ZNBBOX &a, const ZNBBOX &b)
{
    return a.Min.x <= b.Max.x && a.Max.x >= b.Min.x && a.Min.y <= b.Max.y && a.Max.y >= b.Min.y && a.Min.z <= b.Max.z &&
           a.Max.z >= b.Min.z;
}

// A point within a box.
bool Holds(const ZNBBOX &box, const D3DXVECTOR3 &p)
{
    return p.x >= box.Min.x && p.x <= box.Max.x && p.y >= box.Min.y && p.y <= box.Max.y && p.z >= box.Min.z &&
           p.z <= box.Max.z;
}

bool Contains(const ZNBBOX &outer, const ZNBBOX &inner)
{
    return outer.Min.x <= inner.Min.x && outer.Min.y <= inner.Min.y && outer.Min.z <= inner.Min.z &&
           outer.Max.x >= inner.Max.x && outer.Max.y >= inner.Max.y && outer.Max.z >= inner.Max.z;
}

// The box of a face's finite corners; a position that is not finite never lies inside an edge,
// and an edge with such an end holds no position.
ZNBBOX FiniteBounds(const ZNFACE &face)
{
    ZNBBOX box = kEmptyBox;
    for (int i = 0; i < face.GetVertexCount(); ++i)
        if (Finite(Position(face.m_Vertices[i])))
            box = Merged(box, Position(face.m_Vertices[i]));
    return box;
}

// The faces of a brush filed by the grid cells their finite corners lie in. The cells are about
// as wide as the faces on average, and there are at most a few per corner.
class CornerGrid
{
public:
    CornerGrid(ZNFACE *const *faces, DWORD count) : m_Seen(count, 0)
    {
        ZNBBOX all = kEmptyBox;
        double widths = 0.0;
        size_t corners = 0;
        for (DWORD f = 0; f < count; ++f) {
            const ZNBBOX box = FiniteBounds(*faces[f]);
            if (box.Min.x > box.Max.x)
                continue;
            all = Merged(Merged(all, box.Min), box.Max);
            widths += std::max({static_cast<double>(box.Max.x) - box.Min.x, static_cast<double>(box.Max.y) - box.Min.y,
                                static_cast<double>(box.Max.z) - box.Min.z});
            corners += static_cast<size_t>(faces[f]->GetVertexCount());
        }
        if (corners == 0)
            return;
        m_Origin[0] = all.Min.x;
        m_Origin[1] = all.Min.y;
        m_Origin[2] = all.Min.z;
        const double extent[3] = {static_cast<double>(all.Max.x) - all.Min.x, static_cast<double>(all.Max.y) - all.Min.y,
                                  static_cast<double>(all.Max.z) - all.Min.z};
        const double cap = 4.0 * static_cast<double>(corners) + 64.0;
        m_Cell = std::max(widths / count, 8.0 * kTolerance);
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
        m_Cells.resize(m_Size[0] * m_Size[1] * m_Size[2]);
        for (DWORD f = 0; f < count; ++f)
            for (int i = 0; i < faces[f]->GetVertexCount(); ++i)
                Add(f, Position(faces[f]->m_Vertices[i]));
    }

    void Add(DWORD face, const D3DXVECTOR3 &p)
    {
        if (m_Cells.empty() || !Finite(p))
            return;
        std::vector<DWORD> &cell = m_Cells[(Index(0, p.x) * m_Size[1] + Index(1, p.y)) * m_Size[2] + Index(2, p.z)];
        if (cell.empty() || cell.back() != face)
            cell.push_back(face);
    }

    // The faces from first on, other than skip, with a corner in the cells the box covers; in
    // increasing order.
    void FacesNear(const ZNBBOX &box, DWORD first, DWORD skip, std::vector<DWORD> &out)
    {
        out.clear();
        if (m_Cells.empty() || box.Min.x > box.Max.x)
            return;
        ++m_Stamp;
        const size_t lo[3] = {Index(0, box.Min.x), Index(1, box.Min.y), Index(2, box.Min.z)};
        const size_t hi[3] = {Index(0, box.Max.x), Index(1, box.Max.y), Index(2, box.Max.z)};
        for (size_t x = lo[0]; x <= hi[0]; ++x)
            for (size_t y = lo[1]; y <= hi[1]; ++y)
                for (size_t z = lo[2]; z <= hi[2]; ++z)
                    for (DWORD face : m_Cells[(x * m_Size[1] + y) * m_Size[2] + z])
                        if (face >= first && face != skip && m_Seen[face] != m_Stamp) {
                            m_Seen[face] = m_Stamp;
                            out.push_back(face);
                        }
        std::sort(out.begin(), out.end());
    }

private:
    // The cell of a coordinate on an axis; positions beyond the grid go to its border cells.
    size_t Index(int axis, float value) const
    {
        const double cell = std::floor((static_cast<double>(value) - m_Origin[axis]) / m_Cell);
        if (!(cell > 0.0))
            return 0;
        return static_cast<size_t>(std::min(cell, static_cast<double>(m_Size[axis] - 1)));
    }

    double m_Origin[3] = {0.0, 0.0, 0.0};
    double m_Cell = 1.0;
    size_t m_Size[3] = {1, 1, 1};
    std::vector<std::vector<DWORD>> m_Cells;
    std::vector<DWORD> m_Seen; // per face, the stamp of the last look-up that found it
    DWORD m_Stamp = 0;
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
    // Only faces with a corner near face f can have one inside its edges: the grid gives them,
    // in face order, and the walk over them is the walk over every face. A corner inside an
    // edge lies within kTolerance of the face's box; the faces are looked up over a wider
    // reach, and again, for the faces still to come, when the corners inserted into f grow its
    // box out of that reach.
    constexpr float kSlack = 2.0f * kTolerance, kReach = 4.0f * kTolerance;
    CornerGrid grid(m_Faces, m_FaceCount);
    // The box of every face's finite corners, kept as corners are inserted: a face whose box
    // stays out of reach of an edge's has no corner inside it.
    std::vector<ZNBBOX> boxes(m_FaceCount);
    for (DWORD f = 0; f < m_FaceCount; ++f)
        boxes[f] = FiniteBounds(*m_Faces[f]);
    std::vector<DWORD> near, rest;
    for (DWORD f = 0; f < m_FaceCount; ++f) {
        ZNFACE *face = m_Faces[f];
        ZNBBOX reach = Grown(boxes[f], kReach);
        grid.FacesNear(reach, 0, f, near);
        for (size_t n = 0; n < near.size(); ++n) {
            const DWORD g = near[n];
            const ZNFACE *other = m_Faces[g];
            if (!Meet(Grown(boxes[g], kSlack), boxes[f]))
                continue;
            // Each edge in turn; an inserted vertex shortens the edge being tested, and the walk
            // goes on with the edge that starts at it.
            for (int k = 0; k < face->GetVertexCount(); ++k) {
                const int count = face->GetVertexCount();
                const D3DXVECTOR3 a = Position(face->m_Vertices[k]);
                D3DXVECTOR3 b = Position(face->m_Vertices[(k + 1) % count]);
                ZNBBOX edge = Grown(Merged(Merged(kEmptyBox, a), b), kSlack);
                for (int j = 0; j < other->GetVertexCount(); ++j) {
                    const D3DXVECTOR3 p = Position(other->m_Vertices[j]);
                    if (!Holds(edge, p) || !InsideEdge(a, b, p))
                        continue;
                    // After vertex k; on the closing edge that is the end of the ring.
                    ZNVERTEX *inserted = face->InsertVertex(static_cast<short>(k + 1));
                    if (!inserted)
                        return;
                    inserted->x = p.x;
                    inserted->y = p.y;
                    inserted->z = p.z;
                    b = p;
                    edge = Grown(Merged(Merged(kEmptyBox, a), b), kSlack);
                    grid.Add(f, p);
                    boxes[f] = Merged(boxes[f], p);
                    if (!Contains(reach, Grown(boxes[f], kSlack))) {
                        reach = Grown(boxes[f], kReach);
                        grid.FacesNear(reach, g + 1, f, rest);
                        near.resize(n + 1);
                        near.insert(near.end(), rest.begin(), rest.end());
                    }
                }
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
        if (AttachFace(face) < 0)
            delete face;
    }

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
