#include "scene/triangulator.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "scene/face.h"

namespace
{

constexpr float kParallel = 0.999999f;
// How close to a cut triangle another vertex may come before it counts as inside it.
constexpr float kInsideTolerance = 1e-4f;

constexpr int kCornerRefused = 0;
constexpr int kCornerAccepted = 1;
constexpr int kCornerLastResort = 2;

} // namespace

CZNTriangulator::CZNTriangulator()
    : m_Indices(nullptr), m_TriangleCount(0), m_OwnsIndices(0), m_IndexCount(0), m_Points(nullptr), m_PointCount(0),
      m_Edges(nullptr), m_EdgeCount(0), m_EdgeCapacity(0), m_Normal(0, 0, 0), m_Winding(0, 0, 0), m_RandomState(1)
{
}

CZNTriangulator::~CZNTriangulator()
{
    Reset();
}

void CZNTriangulator::Reset()
{
    std::free(m_Points);
    std::free(m_Edges);
    if (m_OwnsIndices)
        std::free(m_Indices);
    m_Points = nullptr;
    m_Edges = nullptr;
    m_Indices = nullptr;
    m_OwnsIndices = 0;
    m_TriangleCount = 0;
    m_IndexCount = 0;
    m_PointCount = 0;
    m_EdgeCount = 0;
    m_EdgeCapacity = 0;
}

int CZNTriangulator::NextRandom()
{
    m_RandomState = m_RandomState * 214013u + 2531011u;
    return static_cast<int>((m_RandomState >> 16) & 0x7FFF);
}

bool CZNTriangulator::Init(ZNFACE *face)
{
    if (!face || face->GetVertexCount() < 3 || !face->GetVertices())
        return false;
    Reset();

    const int count = face->GetVertexCount();
    const ZNVERTEX *vertices = face->GetVertices();
    m_Normal = face->m_Normal;
    m_Points = static_cast<D3DXVECTOR3 *>(std::malloc(sizeof(D3DXVECTOR3) * count));
    if (!m_Points) {
        Reset();
        return false;
    }
    m_PointCount = static_cast<DWORD>(count);

    D3DXVECTOR3 lo(1e8f, 1e8f, 1e8f), hi(-1e8f, -1e8f, -1e8f);
    for (int i = 0; i < count; ++i) {
        m_Points[i] = D3DXVECTOR3(vertices[i].x, vertices[i].y, vertices[i].z);
        D3DXVec3Minimize(&lo, &lo, &m_Points[i]);
        D3DXVec3Maximize(&hi, &hi, &m_Points[i]);
    }
    const D3DXVECTOR3 centre = (lo + hi) * 0.5f;
    for (int i = 0; i < count; ++i)
        m_Points[i] -= centre;

    // The ring's orientation from the area it encloses, so that convex corners are known even
    // when the stored normal was taken at a concave corner.
    D3DXVECTOR3 winding(0, 0, 0);
    for (int i = 0; i < count; ++i)
        winding += ZnCross(m_Points[i], m_Points[(i + 1) % count]);
    if (D3DXVec3Length(&winding) <= 1e-12f)
        winding = m_Normal;
    if (D3DXVec3Length(&winding) <= 1e-12f) {
        Reset();
        return false;
    }
    m_Winding = ZnNormalized(winding);

    for (int i = 0; i < count; ++i) {
        if (!AddEdge(static_cast<WORD>(i), static_cast<WORD>((i + 1) % count))) {
            Reset();
            return false;
        }
    }

    m_Indices = static_cast<WORD *>(std::calloc(static_cast<size_t>(count - 2) * 3, sizeof(WORD)));
    if (!m_Indices) {
        Reset();
        return false;
    }
    m_OwnsIndices = 1;
    return true;
}

bool CZNTriangulator::AddEdge(WORD start, WORD end)
{
    if (start >= m_PointCount || end >= m_PointCount)
        return false;
    if (m_EdgeCount >= m_EdgeCapacity) {
        if (m_EdgeCapacity > 0xFFFF - 10)
            return false;
        void *grown = std::realloc(m_Edges, sizeof(ZNTRIEDGE) * (m_EdgeCapacity + 10));
        if (!grown)
            return false;
        m_Edges = static_cast<ZNTRIEDGE *>(grown);
        m_EdgeCapacity = static_cast<WORD>(m_EdgeCapacity + 10);
    }
    ZNTRIEDGE &edge = m_Edges[m_EdgeCount++];
    edge.start = start;
    edge.end = end;
    edge.direction = ZnNormalized(m_Points[end] - m_Points[start]);
    return true;
}

void CZNTriangulator::RemoveEdge(WORD index)
{
    if (index >= m_EdgeCount)
        return;
    std::memmove(&m_Edges[index], &m_Edges[index + 1], sizeof(ZNTRIEDGE) * (m_EdgeCount - index - 1));
    --m_EdgeCount;
}

int CZNTriangulator::CornerAcceptable(WORD a, WORD b, WORD c, WORD edgeA, WORD edgeB, const D3DXVECTOR3 &closing) const
{
    const D3DXVECTOR3 &dirA = m_Edges[edgeA].direction;
    const D3DXVECTOR3 &dirB = m_Edges[edgeB].direction;
    if (std::fabs(ZnDot(dirA, dirB)) > kParallel)
        return kCornerRefused;

    // Only a convex corner is cut.
    if (ZnDot(ZnCross(dirA, dirB), m_Winding) <= 0.0f)
        return kCornerRefused;

    // No other vertex of the ring may lie inside the triangle or on its sides.
    const D3DXVECTOR3 corners[3] = {m_Points[a], m_Points[b], m_Points[c]};
    D3DXVECTOR3 sides[3];
    for (int k = 0; k < 3; ++k)
        sides[k] = ZnNormalized(corners[(k + 1) % 3] - corners[k]);
    for (WORD i = 0; i < m_EdgeCount; ++i) {
        const WORD v = m_Edges[i].start;
        if (v == a || v == b || v == c)
            continue;
        bool inside = true;
        for (int k = 0; k < 3 && inside; ++k)
            inside = ZnDot(ZnCross(sides[k], m_Points[v] - corners[k]), m_Winding) >= -kInsideTolerance;
        if (inside)
            return kCornerRefused;
    }

    // Corners whose closing edge runs parallel to another remaining edge are cut only when
    // nothing else can be.
    if (m_EdgeCount > 3) {
        for (WORD i = 0; i < m_EdgeCount; ++i) {
            if (i == edgeA || i == edgeB)
                continue;
            if (std::fabs(ZnDot(closing, m_Edges[i].direction)) > kParallel)
                return kCornerLastResort;
        }
    }
    return kCornerAccepted;
}

bool CZNTriangulator::CutCorner(WORD edgeA, WORD edgeB)
{
    const WORD a = m_Edges[edgeA].start;
    const WORD b = m_Edges[edgeA].end;
    const WORD c = m_Edges[edgeB].end;
    m_Indices[m_IndexCount++] = a;
    m_Indices[m_IndexCount++] = b;
    m_Indices[m_IndexCount++] = c;
    ++m_TriangleCount;
    // The higher index first, so that the lower one still names its edge.
    RemoveEdge(edgeA > edgeB ? edgeA : edgeB);
    RemoveEdge(edgeA > edgeB ? edgeB : edgeA);
    return AddEdge(a, c);
}

bool CZNTriangulator::Triangulate(ZNFACE *face)
{
    if (!face || face->GetVertexCount() < 3)
        return false;
    if (!Init(face))
        return false;

    const int target = face->GetVertexCount() - 2;
    int passes = 0;
    while (m_TriangleCount < target) {
        const int edges = m_EdgeCount;
        bool cut = false;
        bool haveLastResort = false;
        WORD lastResortFirst = 0, lastResortSecond = 0;
        const int firstDrawn = NextRandom() * (edges - 1) / 32767;
        for (int k = 1; k <= edges && !cut; ++k) {
            const WORD edgeA = static_cast<WORD>((firstDrawn + k) % edges);
            const int partnerDrawn = NextRandom() * (edges - 1) / 32767;
            for (int j = 1; j <= edges; ++j) {
                const WORD edgeB = static_cast<WORD>((partnerDrawn + j) % edges);
                if (edgeB == edgeA)
                    continue;
                // The corner runs along the first edge, then the second.
                WORD first, second;
                if (m_Edges[edgeB].start == m_Edges[edgeA].end) {
                    first = edgeA;
                    second = edgeB;
                } else if (m_Edges[edgeA].start == m_Edges[edgeB].end) {
                    first = edgeB;
                    second = edgeA;
                } else {
                    continue;
                }
                const WORD a = m_Edges[first].start;
                const WORD b = m_Edges[first].end;
                const WORD c = m_Edges[second].end;
                const D3DXVECTOR3 closing = ZnNormalized(m_Points[c] - m_Points[a]);
                const int verdict = CornerAcceptable(a, b, c, first, second, closing);
                if (verdict == kCornerLastResort && !haveLastResort) {
                    haveLastResort = true;
                    lastResortFirst = first;
                    lastResortSecond = second;
                }
                if (verdict != kCornerAccepted)
                    continue;
                if (!CutCorner(first, second)) {
                    Reset();
                    return false;
                }
                cut = true;
                break;
            }
        }
        if (!cut && haveLastResort) {
            if (!CutCorner(lastResortFirst, lastResortSecond)) {
                Reset();
                return false;
            }
            cut = true;
        }
        // One more pass from a new start is allowed only before the first triangle.
        passes = cut ? 1 : passes + 1;
        if (m_TriangleCount < target && passes >= 2) {
            Reset();
            return false;
        }
    }
    m_OwnsIndices = 0;
    return true;
}
