#include "scene/bsp_tree.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

#include "scene/brush.h"
#include "scene/debug_log.h"
#include "scene/geometry.h"

namespace
{

constexpr float kOnPlane = 0.01f;

// Grows a realloc'd array of records by one; false (array untouched) when memory runs out.
template <typename T> bool GrowByOne(T *&array, DWORD count)
{
    void *grown = std::realloc(array, sizeof(T) * (static_cast<size_t>(count) + 1));
    if (!grown)
        return false;
    array = static_cast<T *>(grown);
    return true;
}

// A list with a tail pointer, so that polygons keep their order.
struct PolygonList {
    CZNBSPPOLYGON *head = nullptr;
    CZNBSPPOLYGON *tail = nullptr;
    void Append(CZNBSPPOLYGON *p)
    {
        p->m_Next = nullptr;
        if (tail)
            tail->m_Next = p;
        else
            head = p;
        tail = p;
    }
};

bool AllUsedAsSplitters(const CZNBSPPOLYGON *list)
{
    for (const CZNBSPPOLYGON *p = list; p; p = p->m_Next)
        if (!p->m_UsedAsSplitter)
            return false;
    return true;
}

// Sorts the polygons of a list (linked through m_Next; the list is consumed) to the front and
// the back of a plane. A polygon lying in the plane goes to the side onPlane(polygon, facing the
// plane's way) names, ZNPLANE_FRONT or ZNPLANE_BACK; one that spans the plane is handed to
// spanning(polygon), which puts it or its pieces where the caller's rules say.
template <typename OnPlane, typename Spanning>
void Partition(CZNBSPPOLYGON *list, const ZNBSPPLANE &plane, PolygonList &front, PolygonList &back, OnPlane onPlane,
               Spanning spanning)
{
    for (CZNBSPPOLYGON *p = list, *next = nullptr; p; p = next) {
        next = p->m_Next;
        int side = plane.Classify(p->m_Vertices, p->m_VertexCount);
        if (side == ZNPLANE_ON)
            side = onPlane(p, plane.FacesSameWay(p->m_Normal));
        if (side == ZNPLANE_FRONT)
            front.Append(p);
        else if (side == ZNPLANE_BACK)
            back.Append(p);
        else
            spanning(p);
    }
}

// Splits a polygon by a plane into two new records; false (none made) when memory runs out.
bool SplitIntoNew(CZNBSPTREE &tree, const CZNBSPPOLYGON *polygon, const ZNBSPPLANE &plane, CZNBSPPOLYGON **front,
                  CZNBSPPOLYGON **back)
{
    *front = new (std::nothrow) CZNBSPPOLYGON;
    *back = new (std::nothrow) CZNBSPPOLYGON;
    if (!*front || !*back || !tree.SplitPolygon(polygon, &plane, *front, *back)) {
        delete *front;
        delete *back;
        *front = *back = nullptr;
        return false;
    }
    return true;
}

// Splits a polygon that spans a plane into two new ones appended to front and back, and frees it.
// When memory runs out the polygon cannot be split: with keepWhole it goes whole to the front
// (building, which must not lose a face), otherwise it is freed (clipping drops it); false then.
bool SplitToLists(CZNBSPTREE &tree, CZNBSPPOLYGON *polygon, const ZNBSPPLANE &plane, PolygonList &front,
                  PolygonList &back, bool keepWhole)
{
    CZNBSPPOLYGON *f = nullptr, *b = nullptr;
    if (!SplitIntoNew(tree, polygon, plane, &f, &b)) {
        if (keepWhole)
            front.Append(polygon);
        else
            delete polygon;
        return false;
    }
    delete polygon;
    front.Append(f);
    back.Append(b);
    return true;
}

} // namespace

CZNBSPTREE::CZNBSPTREE()
    : m_Polygons(nullptr), m_SourceBrush(nullptr), m_PolygonCount(0), m_RootNode(-1), m_WorkingList(nullptr),
      m_Planes(nullptr), m_Nodes(nullptr), m_Leaves(nullptr), m_NodeCount(0), m_PlaneCount(0), m_LeafCount(0),
      m_BuiltPolygonCount(0), m_FrontResult(nullptr), m_BackResult(nullptr)
{
}

CZNBSPTREE::~CZNBSPTREE()
{
    Release();
}

void CZNBSPTREE::FreePolygonList(CZNBSPPOLYGON *list)
{
    while (list) {
        CZNBSPPOLYGON *next = list->m_Next;
        delete list;
        list = next;
    }
}

void CZNBSPTREE::Release()
{
    for (DWORD i = 0; i < m_LeafCount; ++i)
        std::free(m_Leaves[i].PolygonIndices);
    std::free(m_Leaves);
    std::free(m_Planes);
    std::free(m_Nodes);
    m_Leaves = nullptr;
    m_Planes = nullptr;
    m_Nodes = nullptr;
    m_LeafCount = m_PlaneCount = m_NodeCount = 0;
    m_RootNode = -1;

    for (DWORD i = 0; i < m_PolygonCount; ++i)
        delete m_Polygons[i];
    std::free(m_Polygons);
    m_Polygons = nullptr;
    m_PolygonCount = 0;
    m_BuiltPolygonCount = 0;

    FreePolygonList(m_WorkingList);
    FreePolygonList(m_FrontResult);
    FreePolygonList(m_BackResult);
    m_WorkingList = m_FrontResult = m_BackResult = nullptr;
    m_SourceBrush = nullptr;
}

LONG CZNBSPTREE::AllocatePolygons(LONG n)
{
    if (n < 1 || static_cast<DWORD>(n) > 0x7FFFFFFFu - m_PolygonCount)
        return -1;
    const DWORD first = m_PolygonCount;
    void *grown = std::realloc(m_Polygons, sizeof(CZNBSPPOLYGON *) * (static_cast<size_t>(first) + n));
    if (!grown)
        return -1;
    m_Polygons = static_cast<CZNBSPPOLYGON **>(grown);
    for (LONG i = 0; i < n; ++i) {
        CZNBSPPOLYGON *p = new (std::nothrow) CZNBSPPOLYGON;
        if (!p) {
            for (LONG k = 0; k < i; ++k)
                delete m_Polygons[first + k];
            return -1;
        }
        m_Polygons[first + i] = p;
    }
    m_PolygonCount = first + n;
    return static_cast<LONG>(first);
}

LONG CZNBSPTREE::AllocateNode()
{
    if (!GrowByOne(m_Nodes, m_NodeCount))
        return -1;
    m_Nodes[m_NodeCount] = {0, -1, -1, -1};
    return static_cast<LONG>(m_NodeCount++);
}

LONG CZNBSPTREE::AllocatePlane(const ZNBSPPLANE &plane)
{
    if (!GrowByOne(m_Planes, m_PlaneCount))
        return -1;
    m_Planes[m_PlaneCount] = plane;
    return static_cast<LONG>(m_PlaneCount++);
}

LONG CZNBSPTREE::AllocateLeaf(CZNBSPPOLYGON *list)
{
    LONG count = 0;
    for (CZNBSPPOLYGON *p = list; p; p = p->m_Next)
        ++count;
    LONG *indices = nullptr;
    if (count > 0) {
        indices = static_cast<LONG *>(std::malloc(sizeof(LONG) * count));
        if (!indices)
            return -1;
        LONG i = 0;
        for (CZNBSPPOLYGON *p = list; p; p = p->m_Next)
            indices[i++] = p->m_SourceFace;
    }
    if (!GrowByOne(m_Leaves, m_LeafCount)) {
        std::free(indices);
        return -1;
    }
    m_Leaves[m_LeafCount] = {count, indices};
    return static_cast<LONG>(m_LeafCount++);
}

int ZNBSPPLANE::Classify(const ZNVERTEX *vertices, int count) const
{
    if (count <= 0 || !vertices)
        return ZNPLANE_ON;
    int behindOrOn = 0, frontOrOn = 0, on = 0;
    for (int i = 0; i < count; ++i) {
        const D3DXVECTOR3 offset = Point - Position(vertices[i]);
        const float d = D3DXVec3Dot(&offset, &Normal);
        if (d >= -kOnPlane)
            ++behindOrOn;
        if (d <= kOnPlane)
            ++frontOrOn;
        if (std::fabs(d) <= kOnPlane)
            ++on;
    }
    if (on == count)
        return ZNPLANE_ON;
    if (behindOrOn == count)
        return ZNPLANE_BACK;
    if (frontOrOn == count)
        return ZNPLANE_FRONT;
    return ZNPLANE_SPANNING;
}

int CZNBSPTREE::ClassifyPolygon(const ZNBSPPLANE *plane, const CZNBSPPOLYGON *polygon) const
{
    if (!plane || !polygon)
        return ZNPLANE_ON;
    return plane->Classify(polygon->m_Vertices, polygon->m_VertexCount);
}

int CZNBSPTREE::SplitPolygon(const CZNBSPPOLYGON *polygon, const ZNBSPPLANE *plane, CZNBSPPOLYGON *front,
                             CZNBSPPOLYGON *back)
{
    if (!polygon || !plane || !front || !back || front == polygon || back == polygon)
        return 0;
    const int count = polygon->m_VertexCount;
    const ZNVERTEX *v = polygon->m_Vertices;
    std::vector<int> side(count > 0 ? count : 0);
    int inFront = 0, behind = 0;
    for (int i = 0; i < count; ++i) {
        side[i] = ClassifyPointPlane(Position(v[i]), plane->Normal, plane->Point);
        if (side[i] == ZNPLANE_FRONT)
            ++inFront;
        else if (side[i] == ZNPLANE_BACK)
            ++behind;
    }

    std::vector<ZNVERTEX> frontRing, backRing;
    if (count > 0 && v) {
        if (inFront == 0) {
            backRing.assign(v, v + count);
        } else if (behind == 0) {
            frontRing.assign(v, v + count);
        } else {
            for (int i = 0; i < count; ++i) {
                const int j = (i + 1) % count;
                if (side[i] == ZNPLANE_ON) {
                    frontRing.push_back(v[i]);
                    backRing.push_back(v[i]);
                } else if (side[i] == ZNPLANE_FRONT) {
                    frontRing.push_back(v[i]);
                } else {
                    backRing.push_back(v[i]);
                }
                if (side[j] == ZNPLANE_ON || side[j] == side[i] || side[i] == ZNPLANE_ON)
                    continue;
                D3DXVECTOR3 crossing;
                float t = 0.0f;
                if (!IntersectSegmentPlane(Position(v[i]), Position(v[j]), plane->Point, plane->Normal, &crossing, &t))
                    continue;
                ZNVERTEX c = v[i];
                c.x = crossing.x;
                c.y = crossing.y;
                c.z = crossing.z;
                c.tu = v[i].tu + t * (v[j].tu - v[i].tu);
                c.tv = v[i].tv + t * (v[j].tv - v[i].tv);
                frontRing.push_back(c);
                backRing.push_back(c);
            }
        }
    }

    for (CZNBSPPOLYGON *piece : {front, back}) {
        piece->CopyProperties(*polygon);
        piece->m_SplitterNode = -1;
        piece->m_FrontFragment = -1;
        piece->m_BackFragment = -1;
        piece->m_Deleted = 0;
    }
    if (!front->SetVertices(frontRing.data(), static_cast<int>(frontRing.size())) ||
        !back->SetVertices(backRing.data(), static_cast<int>(backRing.size()))) {
        front->FreeVertices();
        back->FreeVertices();
        return 0;
    }
    return 1;
}

CZNBSPPOLYGON *CZNBSPTREE::CopyPolygon(const CZNBSPPOLYGON *polygon)
{
    if (!polygon)
        return nullptr;
    CZNBSPPOLYGON *copy = new (std::nothrow) CZNBSPPOLYGON;
    if (!copy)
        return nullptr;
    copy->CopyProperties(*polygon);
    copy->m_FrontFragment = polygon->m_FrontFragment;
    copy->m_BackFragment = polygon->m_BackFragment;
    if (!copy->SetVertices(polygon->m_Vertices, polygon->m_VertexCount)) {
        delete copy;
        return nullptr;
    }
    return copy;
}

CZNBSPPOLYGON *CZNBSPTREE::AddPolygonCopy(CZNBSPPOLYGON *previous, const CZNBSPPOLYGON *polygon)
{
    if (!polygon)
        return nullptr;
    const LONG index = AllocatePolygons(1);
    if (index < 0)
        return nullptr;
    CZNBSPPOLYGON *copy = m_Polygons[index];
    copy->CopyProperties(*polygon);
    copy->SetVertices(polygon->m_Vertices, polygon->m_VertexCount);
    if (previous)
        previous->m_Next = copy;
    return copy;
}

CZNBSPTREE *CZNBSPTREE::Clone() const
{
    CZNBSPTREE *clone = new (std::nothrow) CZNBSPTREE;
    if (!clone)
        return nullptr;
    bool ok = true;
    auto copyBlock = [&ok](auto *source, DWORD count) {
        using T = std::remove_pointer_t<decltype(source)>;
        if (!count || !source)
            return static_cast<T *>(nullptr);
        T *block = static_cast<T *>(std::malloc(sizeof(T) * count));
        if (!block) {
            ok = false;
            return block;
        }
        std::memcpy(block, source, sizeof(T) * count);
        return block;
    };
    clone->m_Planes = copyBlock(m_Planes, m_PlaneCount);
    clone->m_PlaneCount = clone->m_Planes ? m_PlaneCount : 0;
    clone->m_Nodes = copyBlock(m_Nodes, m_NodeCount);
    clone->m_NodeCount = clone->m_Nodes ? m_NodeCount : 0;
    clone->m_Leaves = copyBlock(m_Leaves, m_LeafCount);
    clone->m_LeafCount = clone->m_Leaves ? m_LeafCount : 0;
    for (DWORD i = 0; i < clone->m_LeafCount; ++i) {
        const LONG n = m_Leaves[i].PolygonCount > 0 ? m_Leaves[i].PolygonCount : 0;
        clone->m_Leaves[i].PolygonIndices = copyBlock(m_Leaves[i].PolygonIndices, static_cast<DWORD>(n));
    }
    if (ok && m_PolygonCount > 0) {
        if (clone->AllocatePolygons(static_cast<LONG>(m_PolygonCount)) < 0) {
            ok = false;
        } else {
            for (DWORD i = 0; i < m_PolygonCount && ok; ++i) {
                CZNBSPPOLYGON *copy = clone->m_Polygons[i];
                copy->CopyProperties(*m_Polygons[i]);
                copy->m_FrontFragment = m_Polygons[i]->m_FrontFragment;
                copy->m_BackFragment = m_Polygons[i]->m_BackFragment;
                ok = copy->SetVertices(m_Polygons[i]->m_Vertices, m_Polygons[i]->m_VertexCount);
            }
            // The array order is the list order of a fresh clip.
            for (DWORD i = 0; i + 1 < clone->m_PolygonCount; ++i)
                clone->m_Polygons[i]->m_Next = clone->m_Polygons[i + 1];
        }
    }
    if (!ok) {
        delete clone;
        return nullptr;
    }
    clone->m_RootNode = m_RootNode;
    clone->m_SourceBrush = m_SourceBrush;
    clone->m_BuiltPolygonCount = m_BuiltPolygonCount;
    return clone;
}

void CZNBSPTREE::InvertPolygons()
{
    for (DWORD i = 0; i < m_PolygonCount; ++i) {
        CZNBSPPOLYGON *p = m_Polygons[i];
        if (p->m_VertexCount > 2 && p->m_Vertices) {
            // First vertex stays; the others run backwards.
            ZNVERTEX *first = p->m_Vertices + 1;
            ZNVERTEX *last = p->m_Vertices + p->m_VertexCount - 1;
            while (first < last) {
                const ZNVERTEX t = *first;
                *first++ = *last;
                *last-- = t;
            }
        }
        p->m_Normal = -p->m_Normal;
    }
}

CZNBSPPOLYGON *CZNBSPTREE::PolygonFromFace(ZNBRUSH *brush, DWORD faceIndex) const
{
    ZNFACE *face = brush->GetFace(faceIndex);
    if (!face)
        return nullptr;
    CZNBSPPOLYGON *p = new (std::nothrow) CZNBSPPOLYGON;
    if (!p)
        return nullptr;
    p->CopyFaceProperties(*face);
    p->m_SourceBrush = brush;
    p->m_SourceFace = static_cast<LONG>(faceIndex);
    if (!p->SetVertices(face->m_Vertices, face->m_Vertices ? face->GetVertexCount() : 0)) {
        delete p;
        return nullptr;
    }
    return p;
}

CZNBSPPOLYGON *CZNBSPTREE::ChooseSplitter(CZNBSPPOLYGON *list) const
{
    CZNBSPPOLYGON *best = nullptr;
    long bestScore = 1000000;
    int candidates = 0;
    for (CZNBSPPOLYGON *candidate = list; candidate && candidates < 5; candidate = candidate->m_Next) {
        if (candidate->m_UsedAsSplitter || candidate->m_VertexCount < 3 || !candidate->m_Vertices)
            continue;
        ++candidates;
        const ZNBSPPLANE plane = {Position(candidate->m_Vertices[0]), candidate->m_Normal};
        long front = 0, back = 0, spanning = 0;
        for (CZNBSPPOLYGON *p = list; p; p = p->m_Next) {
            switch (ClassifyPolygon(&plane, p)) {
            case ZNPLANE_FRONT:
                ++front;
                break;
            case ZNPLANE_BACK:
                ++back;
                break;
            case ZNPLANE_SPANNING:
                ++spanning;
                break;
            default:
                break;
            }
        }
        const long score = std::labs(front - back) + 3 * spanning;
        if (score < bestScore) {
            bestScore = score;
            best = candidate;
        }
    }
    return best;
}

// Builds the node and, as a loop, the chain of its back children; front children recurse.
// Consumes the list.
bool CZNBSPTREE::BuildNode(LONG node, CZNBSPPOLYGON *list)
{
    bool ok = true;
    while (list) {
        CZNBSPPOLYGON *splitter = ChooseSplitter(list);
        if (!splitter) {
            // Nothing left to split with: the region is solid.
            FreePolygonList(list);
            return ok;
        }
        splitter->m_UsedAsSplitter = 1;
        splitter->m_SplitterNode = node;
        const ZNBSPPLANE plane = {Position(splitter->m_Vertices[0]), splitter->m_Normal};
        const LONG planeIndex = AllocatePlane(plane);
        if (planeIndex < 0) {
            FreePolygonList(list);
            return false;
        }
        m_Nodes[node].Plane = planeIndex;

        // A polygon lying in the plane and facing its way is used up with it.
        PolygonList front, back;
        Partition(
            list, plane, front, back,
            [](CZNBSPPOLYGON *p, bool sameWay) {
                if (!sameWay)
                    return ZNPLANE_BACK;
                p->m_UsedAsSplitter = 1;
                return ZNPLANE_FRONT;
            },
            [&](CZNBSPPOLYGON *p) {
                if (!SplitToLists(*this, p, plane, front, back, true))
                    ok = false;
            });

        if (!AllUsedAsSplitters(front.head)) {
            const LONG child = AllocateNode();
            if (child < 0) {
                FreePolygonList(front.head);
                FreePolygonList(back.head);
                return false;
            }
            m_Nodes[node].Front = child;
            ok = BuildNode(child, front.head) && ok;
        } else {
            const LONG leaf = AllocateLeaf(front.head);
            FreePolygonList(front.head);
            if (leaf < 0) {
                FreePolygonList(back.head);
                return false;
            }
            m_Nodes[node].Front = leaf;
            m_Nodes[node].FrontIsLeaf = 1;
        }

        if (!back.head || AllUsedAsSplitters(back.head)) {
            FreePolygonList(back.head);
            return ok;
        }
        const LONG child = AllocateNode();
        if (child < 0) {
            FreePolygonList(back.head);
            return false;
        }
        m_Nodes[node].Back = child;
        node = child;
        list = back.head;
    }
    return ok;
}

int CZNBSPTREE::BuildFromBrush(ZNBRUSH *brush)
{
    Release();
    if (!brush || brush->GetFaceCount() == 0)
        return 0;
    m_SourceBrush = brush;

    // The working copies of the faces; a face without a plane (fewer than three vertices or no
    // normal) cannot split anything and bounds nothing.
    PolygonList working;
    for (DWORD i = 0; i < brush->GetFaceCount(); ++i) {
        const ZNFACE *face = brush->GetFace(i);
        if (face->GetVertexCount() < 3 || !face->m_Vertices || face->m_Normal == D3DXVECTOR3(0, 0, 0))
            continue;
        CZNBSPPOLYGON *p = PolygonFromFace(brush, i);
        if (!p) {
            FreePolygonList(working.head);
            Release();
            return 0;
        }
        working.Append(p);
    }
    if (!working.head) {
        Release();
        return 0;
    }

    m_RootNode = AllocateNode();
    if (m_RootNode < 0 || !BuildNode(m_RootNode, working.head)) {
        if (m_RootNode < 0)
            FreePolygonList(working.head);
        Release();
        return 0;
    }

    // The polygon array: one polygon per face, in face order.
    const DWORD faces = brush->GetFaceCount();
    if (AllocatePolygons(static_cast<LONG>(faces)) < 0) {
        Release();
        return 0;
    }
    for (DWORD i = 0; i < faces; ++i) {
        const ZNFACE *face = brush->GetFace(i);
        CZNBSPPOLYGON *p = m_Polygons[i];
        p->CopyFaceProperties(*face);
        p->m_SourceBrush = brush;
        p->m_SourceFace = static_cast<LONG>(i);
        if (!p->SetVertices(face->m_Vertices, face->m_Vertices ? face->GetVertexCount() : 0)) {
            Release();
            return 0;
        }
        p->m_Next = i + 1 < faces ? m_Polygons[i + 1] : nullptr;
    }
    m_BuiltPolygonCount = m_PolygonCount;
    return 1;
}

void CZNBSPTREE::WriteDebugReportTo(const char *path)
{
    CZNDebugLog log(path);
    if (!log.IsOpen())
        return;
    log.WriteLine("-----------------------------------\r\n");
    log.WriteLine("Dumping BSP Tree Polygon Debug Info\r\n");
    log.WriteLine("-----------------------------------\r\n");
    log.Printf(" Node Count %d Leaf Count %d Plane Count %d\n\n", static_cast<int>(m_NodeCount),
               static_cast<int>(m_LeafCount), static_cast<int>(m_PlaneCount));
    for (DWORD i = 0; i < m_PolygonCount; ++i) {
        const CZNBSPPOLYGON *p = m_Polygons[i];
        log.Printf("Polygon %i....\r\n", static_cast<int>(i));
        if (p->m_Deleted) {
            log.WriteLine("  Deleted.\r\n");
            continue;
        }
        log.Printf("  Polygon has %i vertices....\r\n", static_cast<int>(p->m_VertexCount));
        for (int k = 0; k < p->m_VertexCount && p->m_Vertices; ++k)
            log.Printf("    X: %f, Y: %f, Z: %f\r\n", static_cast<double>(p->m_Vertices[k].x),
                       static_cast<double>(p->m_Vertices[k].y), static_cast<double>(p->m_Vertices[k].z));
    }
    log.WriteLine("-------------------------------\r\n");
    log.WriteLine("End Of BSP Polygon Debug Report\r\n");
    log.WriteLine("-------------------------------\r\n\r\n");
    log.Close();
}

// ---------------------------------------------------------------------------------------------
// Clipping

namespace
{

void AppendList(CZNBSPPOLYGON *&head, CZNBSPPOLYGON *list)
{
    if (!list)
        return;
    CZNBSPPOLYGON **link = &head;
    while (*link)
        link = &(*link)->m_Next;
    *link = list;
}

} // namespace

int CZNBSPTREE::ClipTree(LONG node, CZNBSPPOLYGON *list, CZNBSPTREE *other, int removeInside, int coplanarToBack)
{
    if (!other || m_PolygonCount == 0 || other->m_PolygonCount == 0 || !other->m_Polygons)
        return 0;
    if (!list) {
        // A fresh clip: every polygon of the other tree, in array order.
        for (DWORD i = 0; i < other->m_PolygonCount; ++i) {
            CZNBSPPOLYGON *p = other->m_Polygons[i];
            p->m_FrontFragment = p->m_BackFragment = -1;
            p->m_Next = i + 1 < other->m_PolygonCount ? other->m_Polygons[i + 1] : nullptr;
        }
        list = other->m_Polygons[0];
    }
    if (!ValidNode(node) || m_Nodes[node].Plane < 0 || static_cast<DWORD>(m_Nodes[node].Plane) >= m_PlaneCount)
        return 1;

    const ZNBSPPLANE plane = m_Planes[m_Nodes[node].Plane];
    PolygonList live, front, back;
    for (CZNBSPPOLYGON *p = list, *next = nullptr; p; p = next) {
        next = p->m_Next;
        if (!p->m_Deleted)
            live.Append(p);
    }
    Partition(
        live.head, plane, front, back,
        // Facing the same way, the flag picks the side. Facing the other way, the polygon lies
        // where the two solids touch with no volume in common: it goes where it is removed, so a
        // union drops the shared wall and an intersection keeps no sheet.
        [&](CZNBSPPOLYGON *, bool sameWay) {
            return (sameWay ? !coplanarToBack : !removeInside) ? ZNPLANE_FRONT : ZNPLANE_BACK;
        },
        // The pieces join the other tree's array; the split polygon stays there, flagged deleted
        // and linked to them.
        [&](CZNBSPPOLYGON *p) {
            const LONG first = other->AllocatePolygons(2);
            if (first < 0) {
                // Out of memory: the polygon stays whole.
                front.Append(p);
                return;
            }
            CZNBSPPOLYGON *f = other->m_Polygons[first];
            CZNBSPPOLYGON *b = other->m_Polygons[first + 1];
            SplitPolygon(p, &plane, f, b);
            p->m_FrontFragment = first;
            p->m_BackFragment = first + 1;
            p->m_Deleted = 1;
            front.Append(f);
            back.Append(b);
        });

    const ZNBSPNODE &n = m_Nodes[node];
    if (removeInside && n.Back == -1) {
        for (CZNBSPPOLYGON *p = back.head; p; p = p->m_Next)
            p->m_Deleted = 1;
        back.head = nullptr;
    } else if (!removeInside && n.FrontIsLeaf) {
        for (CZNBSPPOLYGON *p = front.head; p; p = p->m_Next)
            p->m_Deleted = 1;
    }
    const LONG frontChild = n.FrontIsLeaf ? -1 : n.Front;
    const LONG backChild = n.Back;
    // An empty list is not passed on: a null list would start a fresh clip.
    if (front.head && frontChild >= 0)
        ClipTree(frontChild, front.head, other, removeInside, coplanarToBack);
    if (back.head && backChild >= 0)
        ClipTree(backChild, back.head, other, removeInside, coplanarToBack);
    return 1;
}

void CZNBSPTREE::ClipPolygonsToTree(LONG node, CZNBSPPOLYGON *list, int keepOutside)
{
    if (!list)
        return;
    if (!ValidNode(node) || m_Nodes[node].Plane < 0 || static_cast<DWORD>(m_Nodes[node].Plane) >= m_PlaneCount) {
        // No tree below: nothing is solid.
        if (keepOutside)
            AppendList(m_WorkingList, list);
        else
            FreePolygonList(list);
        return;
    }
    const ZNBSPPLANE plane = m_Planes[m_Nodes[node].Plane];
    PolygonList front, back;
    Partition(
        list, plane, front, back, [](CZNBSPPOLYGON *, bool sameWay) { return sameWay ? ZNPLANE_FRONT : ZNPLANE_BACK; },
        [&](CZNBSPPOLYGON *p) { SplitToLists(*this, p, plane, front, back, false); });

    const ZNBSPNODE n = m_Nodes[node];
    if (n.FrontIsLeaf) {
        if (keepOutside)
            AppendList(m_WorkingList, front.head);
        else
            FreePolygonList(front.head);
    } else {
        ClipPolygonsToTree(n.Front, front.head, keepOutside);
    }
    if (n.Back == -1) {
        if (keepOutside)
            FreePolygonList(back.head);
        else
            AppendList(m_WorkingList, back.head);
    } else {
        ClipPolygonsToTree(n.Back, back.head, keepOutside);
    }
}

CZNBSPPOLYGON *CZNBSPTREE::CreatePolygonOnPlane(const D3DXVECTOR3 *normal, const D3DXVECTOR3 *point, const ZNBBOX *box)
{
    if (!normal || !point || !box)
        return nullptr;
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, normal);
    if (n == D3DXVECTOR3(0, 0, 0))
        return nullptr;
    const D3DXVECTOR3 c = (box->Min + box->Max) * 0.5f;
    const D3DXVECTOR3 toPoint = *point - c;
    const D3DXVECTOR3 centre = c + n * D3DXVec3Dot(&toPoint, &n);

    // The world axis along which the normal is shortest is surely not parallel to it.
    const float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    D3DXVECTOR3 axis(0, 0, 1);
    if (ax <= ay && ax <= az)
        axis = D3DXVECTOR3(1, 0, 0);
    else if (ay < az)
        axis = D3DXVECTOR3(0, 1, 0);
    D3DXVECTOR3 r, u;
    D3DXVec3Cross(&r, &axis, &n);
    D3DXVec3Normalize(&r, &r);
    D3DXVec3Cross(&u, &n, &r);
    D3DXVec3Normalize(&u, &u);
    const D3DXVECTOR3 halfDiagonal = box->Max - c;
    const float size = D3DXVec3Length(&halfDiagonal);
    r *= size;
    u *= size;

    // Wound so that (v1 - v0) x (v2 - v0) points along the normal, as the faces of a brush.
    const D3DXVECTOR3 corners[4] = {centre - r - u, centre + r - u, centre + r + u, centre - r + u};
    ZNVERTEX vertices[4];
    for (int i = 0; i < 4; ++i)
        vertices[i] = MakeVertex(corners[i], n.x, n.y, n.z);
    CZNBSPPOLYGON *p = new (std::nothrow) CZNBSPPOLYGON;
    if (!p)
        return nullptr;
    if (!p->SetVertices(vertices, 4)) {
        delete p;
        return nullptr;
    }
    p->m_Normal = n;
    return p;
}

void CZNBSPTREE::ClipBrush(const D3DXVECTOR3 *point, const D3DXVECTOR3 *normal)
{
    FreePolygonList(m_FrontResult);
    FreePolygonList(m_BackResult);
    m_FrontResult = m_BackResult = nullptr;
    if (!point || !normal || m_PolygonCount == 0)
        return;

    ZNBBOX box;
    if (m_SourceBrush) {
        box = m_SourceBrush->GetBoundingBox(1);
    } else {
        box = {D3DXVECTOR3(1e30f, 1e30f, 1e30f), D3DXVECTOR3(-1e30f, -1e30f, -1e30f)};
        for (DWORD i = 0; i < m_PolygonCount; ++i)
            for (int k = 0; k < m_Polygons[i]->m_VertexCount && m_Polygons[i]->m_Vertices; ++k)
                box = MergeBoundsPoint(Position(m_Polygons[i]->m_Vertices[k]), box);
    }

    // Copies of the polygons are sorted; a polygon lying in the plane goes with the solid behind
    // it: to the back when it faces the plane's way.
    const ZNBSPPLANE plane = {*point, *normal};
    PolygonList copies, front, back;
    for (DWORD i = 0; i < m_PolygonCount; ++i)
        if (!m_Polygons[i]->m_Deleted)
            if (CZNBSPPOLYGON *copy = CopyPolygon(m_Polygons[i]))
                copies.Append(copy);
    Partition(
        copies.head, plane, front, back,
        [](CZNBSPPOLYGON *, bool sameWay) { return sameWay ? ZNPLANE_BACK : ZNPLANE_FRONT; },
        [&](CZNBSPPOLYGON *p) { SplitToLists(*this, p, plane, front, back, false); });

    // Each piece is closed by a cap on the plane, trimmed to the solid.
    const CZNBSPPOLYGON *first = m_Polygons[0];
    auto close = [&](PolygonList &piece, const D3DXVECTOR3 &capNormal) {
        if (!piece.head)
            return;
        CZNBSPPOLYGON *cap = CreatePolygonOnPlane(&capNormal, point, &box);
        if (!cap)
            return;
        cap->m_SourceBrush = first->m_SourceBrush;
        cap->m_SourceFace = first->m_SourceFace;
        FreePolygonList(m_WorkingList);
        m_WorkingList = nullptr;
        ClipPolygonsToTree(m_RootNode, cap, 0);
        for (CZNBSPPOLYGON *p = m_WorkingList, *next = nullptr; p; p = next) {
            next = p->m_Next;
            piece.Append(p);
        }
        m_WorkingList = nullptr;
    };
    close(front, -*normal);
    close(back, *normal);
    m_FrontResult = front.head;
    m_BackResult = back.head;
}

void CZNBSPTREE::MergeSplitFragments()
{
    for (DWORD i = m_PolygonCount; i-- > 0;) {
        CZNBSPPOLYGON *p = m_Polygons[i];
        const LONG f = p->m_FrontFragment, b = p->m_BackFragment;
        if (f < 0 || b < 0 || static_cast<DWORD>(f) >= m_PolygonCount || static_cast<DWORD>(b) >= m_PolygonCount)
            continue;
        if (m_Polygons[f]->m_Deleted || m_Polygons[b]->m_Deleted)
            continue;
        p->m_Deleted = 0;
        m_Polygons[f]->m_Deleted = 1;
        m_Polygons[b]->m_Deleted = 1;
    }
}

bool CZNBSPTREE::PolygonInside(CZNBSPPOLYGON *polygon, LONG node, int deleteWhenDone)
{
    if (!polygon)
        return false;
    bool inside = false;
    if (ValidNode(node) && m_Nodes[node].Plane >= 0 && static_cast<DWORD>(m_Nodes[node].Plane) < m_PlaneCount &&
        polygon->m_VertexCount > 0 && polygon->m_Vertices) {
        const ZNBSPNODE n = m_Nodes[node];
        const ZNBSPPLANE plane = m_Planes[n.Plane];
        switch (ClassifyPolygon(&plane, polygon)) {
        case ZNPLANE_FRONT:
            inside = !n.FrontIsLeaf && PolygonInside(polygon, n.Front, 0);
            break;
        case ZNPLANE_BACK:
            inside = n.Back == -1 || PolygonInside(polygon, n.Back, 0);
            break;
        case ZNPLANE_ON:
            // A polygon on the boundary counts as inside when either side holds solid there.
            inside = n.Back == -1 || (!n.FrontIsLeaf && PolygonInside(polygon, n.Front, 0)) ||
                     PolygonInside(polygon, n.Back, 0);
            break;
        default: {
            if (n.Back == -1) {
                inside = true;
                break;
            }
            CZNBSPPOLYGON *f = nullptr, *b = nullptr;
            if (!SplitIntoNew(*this, polygon, plane, &f, &b)) {
                // Out of memory: test the whole polygon on both sides.
                inside = (!n.FrontIsLeaf && PolygonInside(polygon, n.Front, 0)) || PolygonInside(polygon, n.Back, 0);
                break;
            }
            if (n.FrontIsLeaf) {
                delete f;
            } else if (PolygonInside(f, n.Front, 1)) {
                delete b;
                inside = true;
                break;
            }
            inside = PolygonInside(b, n.Back, 1);
            break;
        }
        }
    }
    if (deleteWhenDone)
        delete polygon;
    return inside;
}

bool CZNBSPTREE::AnyPolygonInside(CZNBSPTREE *other)
{
    if (!other || !ValidNode(m_RootNode))
        return false;
    for (DWORD i = 0; i < other->m_PolygonCount; ++i) {
        CZNBSPPOLYGON *p = other->m_Polygons[i];
        if (!p->m_Deleted && PolygonInside(p, m_RootNode, 0))
            return true;
    }
    return false;
}
