#pragma once

// CZNTriangulator: cuts a face that is not convex, or that has straight corners, into triangles
// over its own vertex indices. It walks the face's ring of edges and cuts off one corner at a
// time, looking from a random corner; a corner is cut only when it is convex and holds no other
// vertex of the ring, so every triangle lies inside the polygon. Corners whose closing edge would
// run parallel to another edge are left until nothing else can be cut, and corners so nearly
// straight that their edges count as parallel until after those. A cut looks again only at its
// two neighbours and at the corners that were held up by the vertex it removed, so a face of n
// vertices costs O(n^2) at worst. The random numbers come from the triangulator's own 15-bit
// generator, so a face triangulates the same on every machine.
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"

class ZNFACE;

struct ZNTRIEDGE {
    WORD start;
    WORD end;
    D3DXVECTOR3 direction; // normalised, start to end
};

class ZN_API CZNTriangulator
{
public:
    CZNTriangulator();
    virtual ~CZNTriangulator();
    CZNTriangulator(const CZNTriangulator &) = delete;
    CZNTriangulator &operator=(const CZNTriangulator &) = delete;

    void Reset();
    bool Init(ZNFACE *face);
    bool AddEdge(WORD start, WORD end);
    void RemoveEdge(WORD index);
    // On success the index list (3 per triangle, vertex count - 2 triangles, allocated with
    // malloc) belongs to the caller: take it with GetIndices and free it with free. False for
    // fewer than 3 vertices, and false after a reset for a point that is not finite, a ring left
    // with no corner to cut, or an allocation failure.
    bool Triangulate(ZNFACE *face);

    WORD *GetIndices() const { return m_Indices; }
    WORD GetTriangleCount() const { return m_TriangleCount; }
    DWORD GetIndexCount() const { return m_IndexCount; }

private:
    // 0..32767, the range the start corner is drawn from.
    int NextRandom();

    WORD *m_Indices;
    WORD m_TriangleCount;
    BYTE m_OwnsIndices;
    DWORD m_IndexCount;
    D3DXVECTOR3 *m_Points;
    DWORD m_PointCount;
    ZNTRIEDGE *m_Edges;
    WORD m_EdgeCount;
    WORD m_EdgeCapacity;
    D3DXVECTOR3 m_Normal;
    D3DXVECTOR3 m_Winding; // the ring's own orientation, used for the convexity of corners
    DWORD m_RandomState;
};
