#include "scene/face.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scene/bsp_tree.h"
#include "scene/geometry.h"
#include "scene/object_type.h"
#include "scene/triangulator.h"

namespace
{

// Edge test of PointInside against the polygon given by its corner positions.
bool InsideEdges(const D3DXVECTOR3 *corners, int count, const D3DXVECTOR3 &normal, const D3DXVECTOR3 &p)
{
    for (int i = 0; i < count; ++i) {
        const D3DXVECTOR3 &a = corners[i];
        const D3DXVECTOR3 &b = corners[(i + 1) % count];
        D3DXVECTOR3 m = ZnCross(normal, ZnNormalized(b - a));
        if (ZnDot(m, p - a) < 0.0f)
            return false;
    }
    return true;
}

// The edge from a to b normalised as D3DXVec3Normalize does (a zero edge stays zero).
D3DXVECTOR3 UnitEdge(const ZNVERTEX &a, const ZNVERTEX &b)
{
    const D3DXVECTOR3 d(b.x - a.x, b.y - a.y, b.z - a.z);
    const float length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    if (length == 0.0f)
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return D3DXVECTOR3(d.x / length, d.y / length, d.z / length);
}

// std::fmin and std::fmax without the library call for ordered values, where both give the
// first value when it is less (greater) and the second otherwise; NaNs go to the library.
float MinOf(float a, float b)
{
    return std::isunordered(a, b) ? std::fmin(a, b) : (a < b ? a : b);
}

float MaxOf(float a, float b)
{
    return std::isunordered(a, b) ? std::fmax(a, b) : (a > b ? a : b);
}

template <typename T> T *CopyBlock(const T *source, size_t count)
{
    if (!source || count == 0)
        return nullptr;
    T *block = static_cast<T *>(std::malloc(sizeof(T) * count));
    if (block)
        std::memcpy(block, source, sizeof(T) * count);
    return block;
}

} // namespace

ZNFACE::ZNFACE() : m_ObjectType(ZNOBJECT_FACE)
{
    InitFace();
}

ZNFACE::ZNFACE(short n) : m_ObjectType(ZNOBJECT_FACE)
{
    InitFace();
    if (n > 0)
        AddVertices(n, nullptr);
}

ZNFACE::ZNFACE(ZNFACE *source, int copyVertices) : m_ObjectType(ZNOBJECT_FACE)
{
    InitFace();
    if (!source || source->m_ObjectType != ZNOBJECT_FACE)
        return;
    if (copyVertices == 0) {
        ReleaseFaceData();
        CopyProperties(*source);
    } else {
        Copy(source);
    }
}

ZNFACE::ZNFACE(const ZNFACE &other) : m_ObjectType(ZNOBJECT_FACE)
{
    InitFace();
    *this = other;
}

ZNFACE &ZNFACE::operator=(const ZNFACE &other)
{
    if (this == &other)
        return *this;
    FreeFaceData();
    CopyAllFields(other);
    return *this;
}

ZNFACE::~ZNFACE()
{
    FreeFaceData();
}

void ZNFACE::InitFace()
{
    // The object type is set by the constructors and kept, so that an overlay's face stays one
    // when its data is released.
    m_Vertices = nullptr;
    m_VertexSelected = nullptr;
    m_VertexFaceListIndices = nullptr;
    m_VertexCount = 0;
    m_Texture = nullptr;
    m_ReservedIndex = -1;
    m_Normal = D3DXVECTOR3(0, 0, 0);
    m_Style = 0;
    m_UPos = 0.0f;
    m_VPos = 0.0f;
    m_UWrap = 1.0f;
    m_VWrap = 1.0f;
    m_Rotation = D3DXVECTOR4(0, 0, 0, 0);
    m_ReservedByte = 0xFF;
    m_MappingMode = 1;
    m_Selected = 0;
    m_TriIndices = nullptr;
    m_SurfaceTag = -1;
    m_SrcBlend = -1;
    m_DestBlend = -1;
    m_CenterPoint = D3DXVECTOR3(0, 0, 0);
    m_MappingOrigin = D3DXVECTOR3(ZN_NO_MAPPING_ORIGIN, ZN_NO_MAPPING_ORIGIN, ZN_NO_MAPPING_ORIGIN);
    m_BatchHighlight = 0;
    m_FaceFlag = 0;
    // The face holds no material reference yet.
    m_Material = -1;
    SetMaterial(0);
}

void ZNFACE::FreeFaceData()
{
    ReleaseVertices();
    if (m_Texture)
        SetTexture(nullptr);
    SetMaterial(-1);
    FreeTriIndices();
}

void ZNFACE::ReleaseFaceData()
{
    FreeFaceData();
    m_SurfaceTag = -1;
    InitFace();
}

void ZNFACE::ReleaseVertices()
{
    // The three arrays share the block that starts with the vertices.
    std::free(m_Vertices);
    m_Vertices = nullptr;
    m_VertexSelected = nullptr;
    m_VertexFaceListIndices = nullptr;
    m_VertexCount = 0;
}

void ZNFACE::FreeTriIndices()
{
    std::free(m_TriIndices);
    m_TriIndices = nullptr;
}

bool ZNFACE::ResizeVertexArrays(int count)
{
    FreeTriIndices();
    if (count <= 0) {
        ReleaseVertices();
        return true;
    }
    // One block per face: the vertices, then the list slots, then the selection bytes. A face is
    // made by the hundred thousand when a scene is opened; one allocation each keeps that cheap.
    const size_t n = static_cast<size_t>(count);
    BYTE *block = static_cast<BYTE *>(std::malloc((sizeof(ZNVERTEX) + sizeof(LONG) + sizeof(BYTE)) * n));
    if (!block)
        return false;
    auto *vertices = reinterpret_cast<ZNVERTEX *>(block);
    auto *indices = reinterpret_cast<LONG *>(block + sizeof(ZNVERTEX) * n);
    BYTE *selected = block + (sizeof(ZNVERTEX) + sizeof(LONG)) * n;
    const size_t keep = m_Vertices ? std::min(n, static_cast<size_t>(std::max<int>(m_VertexCount, 0))) : 0;
    if (keep) {
        std::memcpy(vertices, m_Vertices, sizeof(ZNVERTEX) * keep);
        std::memcpy(indices, m_VertexFaceListIndices, sizeof(LONG) * keep);
        std::memcpy(selected, m_VertexSelected, keep);
    }
    std::free(m_Vertices);
    m_Vertices = vertices;
    m_VertexFaceListIndices = indices;
    m_VertexSelected = selected;
    return true;
}

void ZNFACE::CopyProperties(const ZNFACE &source)
{
    SetTexture(source.m_Texture);
    SetMaterial(source.m_Material);
    ZnCopySurfaceAttributes(*this, source);
    m_Normal = source.m_Normal;
    m_Selected = source.m_Selected;
}

void ZNFACE::CopyAllFields(const ZNFACE &source)
{
    // The face holds nothing when this runs: every field is taken over, the arrays as copies of
    // their own and the texture and material with references of their own.
    m_ObjectType = source.m_ObjectType;
    m_Vertices = nullptr;
    m_VertexSelected = nullptr;
    m_VertexFaceListIndices = nullptr;
    m_VertexCount = 0;
    m_Texture = nullptr;
    m_ReservedIndex = source.m_ReservedIndex;
    m_Normal = source.m_Normal;
    ZnCopySurfaceAttributes(*this, source);
    m_ReservedByte = source.m_ReservedByte;
    m_Selected = source.m_Selected;
    m_TriIndices = nullptr;
    m_SurfaceTag = source.m_SurfaceTag;
    m_Material = -1;
    m_CenterPoint = source.m_CenterPoint;
    m_BatchHighlight = source.m_BatchHighlight;
    m_FaceFlag = source.m_FaceFlag;

    SetTexture(source.m_Texture);
    SetMaterial(source.m_Material);

    const int count = source.m_VertexCount;
    if (count > 0 && source.m_Vertices && source.m_VertexSelected && source.m_VertexFaceListIndices) {
        if (!ResizeVertexArrays(count))
            return;
        std::memcpy(m_Vertices, source.m_Vertices, sizeof(ZNVERTEX) * count);
        std::memcpy(m_VertexSelected, source.m_VertexSelected, count);
        std::memcpy(m_VertexFaceListIndices, source.m_VertexFaceListIndices, sizeof(LONG) * count);
        m_VertexCount = static_cast<SHORT>(count);
        if (source.m_TriIndices && count >= 3)
            m_TriIndices = CopyBlock(source.m_TriIndices, static_cast<size_t>(count - 2) * 3);
    }
}

int ZNFACE::Validate()
{
    return (m_VertexCount != 0 && m_Vertices && m_VertexSelected && m_VertexFaceListIndices) ? 1 : 0;
}

int ZNFACE::Copy(ZNFACE *source)
{
    if (!source || (source->m_ObjectType != ZNOBJECT_FACE && source->m_ObjectType != ZNOBJECT_OVERLAYFACE))
        return 0;
    if (source == this)
        return 1;
    ReleaseFaceData();
    CopyProperties(*source);
    const short count = source->m_VertexCount;
    if (count <= 0 || !source->m_Vertices)
        return 1;
    if (!AddVertices(count, nullptr))
        return 0;
    std::memcpy(m_Vertices, source->m_Vertices, sizeof(ZNVERTEX) * count);
    if (source->m_VertexSelected)
        std::memcpy(m_VertexSelected, source->m_VertexSelected, count);
    if (source->m_VertexFaceListIndices)
        std::memcpy(m_VertexFaceListIndices, source->m_VertexFaceListIndices, sizeof(LONG) * count);
    if (source->m_TriIndices && count >= 3)
        m_TriIndices = CopyBlock(source->m_TriIndices, static_cast<size_t>(count - 2) * 3);
    return 1;
}

int ZNFACE::CopyFaceProperties(ZNFACE *source)
{
    if (!source || source->m_ObjectType != ZNOBJECT_FACE)
        return 0;
    if (source != this)
        CopyProperties(*source);
    return 1;
}

ZNFACE *ZNFACE::CreateCopy()
{
    return new ZNFACE(this, 1);
}

int ZNFACE::AddVertex(ZNVERTEX v, short *index)
{
    short first = 0;
    if (!AddVertices(1, &first))
        return 0;
    m_Vertices[first] = v;
    if (index)
        *index = first;
    return 1;
}

int ZNFACE::AddVertex(D3DXVECTOR3 p, short *index)
{
    ZNVERTEX v{};
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
    return AddVertex(v, index);
}

int ZNFACE::AddVertices(short n, short *first)
{
    // The count is a 16-bit field: a face never grows past 32767 vertices.
    if (n < 0 || m_VertexCount + n > 0x7FFF)
        return 0;
    const int old = m_VertexCount;
    if (n > 0) {
        if (!ResizeVertexArrays(old + n)) {
            ReleaseFaceData();
            return 0;
        }
        std::memset(m_Vertices + old, 0, sizeof(ZNVERTEX) * n);
        std::memset(m_VertexSelected + old, 0, n);
        for (int i = old; i < old + n; ++i)
            m_VertexFaceListIndices[i] = -1;
        m_VertexCount = static_cast<SHORT>(old + n);
    }
    if (first)
        *first = static_cast<short>(old);
    return 1;
}

ZNVERTEX *ZNFACE::InsertVertex(short i)
{
    const int count = m_VertexCount;
    if (i < 0 || i > count || count >= 0x7FFF)
        return nullptr;
    if (!ResizeVertexArrays(count + 1)) {
        ReleaseFaceData();
        return nullptr;
    }
    const int tail = count - i;
    std::memmove(m_Vertices + i + 1, m_Vertices + i, sizeof(ZNVERTEX) * tail);
    std::memmove(m_VertexSelected + i + 1, m_VertexSelected + i, tail);
    std::memmove(m_VertexFaceListIndices + i + 1, m_VertexFaceListIndices + i, sizeof(LONG) * tail);
    std::memset(&m_Vertices[i], 0, sizeof(ZNVERTEX));
    m_VertexSelected[i] = 0;
    m_VertexFaceListIndices[i] = -1;
    m_VertexCount = static_cast<SHORT>(count + 1);
    return &m_Vertices[i];
}

int ZNFACE::DeleteVertex(short i)
{
    const int count = m_VertexCount;
    if (i < 0 || i >= count)
        return 0;
    const int tail = count - i - 1;
    std::memmove(m_Vertices + i, m_Vertices + i + 1, sizeof(ZNVERTEX) * tail);
    std::memmove(m_VertexSelected + i, m_VertexSelected + i + 1, tail);
    std::memmove(m_VertexFaceListIndices + i, m_VertexFaceListIndices + i + 1, sizeof(LONG) * tail);
    // Deleting the last vertex leaves an empty face that keeps its properties.
    if (!ResizeVertexArrays(count - 1)) {
        ReleaseFaceData();
        return 0;
    }
    m_VertexCount = static_cast<SHORT>(count - 1);
    return 1;
}

ZNVERTEX ZNFACE::GetVertex(short i) const
{
    if (i < 0 || i >= m_VertexCount)
        return ZNVERTEX{};
    return m_Vertices[i];
}

D3DXVECTOR3 ZNFACE::GetVector(short i) const
{
    if (i < 0 || i >= m_VertexCount)
        return D3DXVECTOR3(0, 0, 0);
    return Position(m_Vertices[i]);
}

D3DXVECTOR3 ZNFACE::GetVertexNormal(short i) const
{
    if (i < 0 || i >= m_VertexCount)
        return D3DXVECTOR3(0, 0, 0);
    return D3DXVECTOR3(m_Vertices[i].nx, m_Vertices[i].ny, m_Vertices[i].nz);
}

int ZNFACE::SetVertex(short i, ZNVERTEX v)
{
    if (i < 0 || i >= m_VertexCount)
        return 0;
    m_Vertices[i] = v;
    return 1;
}

int ZNFACE::SetVertex(short i, D3DXVECTOR3 p)
{
    if (i < 0 || i >= m_VertexCount)
        return 0;
    m_Vertices[i].x = p.x;
    m_Vertices[i].y = p.y;
    m_Vertices[i].z = p.z;
    return 1;
}

int ZNFACE::SetVertexNormal(short i, D3DXVECTOR3 n)
{
    if (i < 0 || i >= m_VertexCount)
        return 0;
    float length = ZnLength(n);
    if (length < 0.01f)
        return 0;
    if (length < 0.99f || length > 1.01f)
        D3DXVec3Normalize(&n, &n);
    m_Vertices[i].nx = n.x;
    m_Vertices[i].ny = n.y;
    m_Vertices[i].nz = n.z;
    return 1;
}

int ZNFACE::SelectFace(int select)
{
    m_Selected = select ? 1 : 0;
    return 1;
}

int ZNFACE::SelectVertex(short i, int select)
{
    if (i < 0 || i >= m_VertexCount)
        return 0;
    m_VertexSelected[i] = select ? 1 : 0;
    return 1;
}

int ZNFACE::IsVertexSelected(short i) const
{
    if (i < 0 || i >= m_VertexCount)
        return 0;
    return m_VertexSelected[i] ? 1 : 0;
}

int ZNFACE::SelectAllVertices(int select)
{
    if (!m_VertexSelected)
        return 0;
    std::memset(m_VertexSelected, select ? 1 : 0, m_VertexCount);
    return 1;
}

unsigned long ZNFACE::GetMajorAxis() const
{
    float a = std::fabs(m_Normal.x);
    float b = std::fabs(m_Normal.y);
    float c = std::fabs(m_Normal.z);
    if (a >= b)
        return a >= c ? 2 : 3;
    return b >= c ? 1 : 3;
}

void ZNFACE::CalculateFaceCenterPoint()
{
    // The per-axis minimum and maximum of D3DXVec3Minimize and D3DXVec3Maximize, written out.
    D3DXVECTOR3 lo(1e6f, 1e6f, 1e6f);
    D3DXVECTOR3 hi(-1e6f, -1e6f, -1e6f);
    for (int i = 0; i < m_VertexCount; ++i) {
        const ZNVERTEX &v = m_Vertices[i];
        lo = D3DXVECTOR3(MinOf(lo.x, v.x), MinOf(lo.y, v.y), MinOf(lo.z, v.z));
        hi = D3DXVECTOR3(MaxOf(hi.x, v.x), MaxOf(hi.y, v.y), MaxOf(hi.z, v.z));
    }
    m_CenterPoint = (lo + hi) * 0.5f;
}

float ZNFACE::CalculateArea() const
{
    if (m_VertexCount < 3 || !m_Vertices)
        return 0.0f;
    const D3DXVECTOR3 origin = Position(m_Vertices[0]);
    float sum = 0.0f;
    for (int i = 1; i + 1 < m_VertexCount; ++i) {
        D3DXVECTOR3 c = ZnCross(Position(m_Vertices[i]) - origin, Position(m_Vertices[i + 1]) - origin);
        sum += 0.5f * ZnDot(c, m_Normal);
    }
    return std::fabs(sum);
}

int ZNFACE::Classify(D3DXVECTOR3 *normal, D3DXVECTOR3 *point) const
{
    if (!normal || !point)
        return ZNPLANE_ON;
    return ZNBSPPLANE{*point, *normal}.Classify(m_Vertices, m_VertexCount);
}

int ZNFACE::ClipToPlane(D3DXVECTOR3 *normal, D3DXVECTOR3 *point, int keepFront)
{
    if (!normal || !point)
        return 0;
    D3DXVECTOR3 n = *normal;
    if (keepFront != 1)
        n = -n;

    const int count = m_VertexCount;
    std::vector<int> side(count);
    int front = 0, back = 0;
    for (int i = 0; i < count; ++i) {
        side[i] = ClassifyPointPlane(Position(m_Vertices[i]), n, *point);
        if (side[i] == ZNPLANE_FRONT)
            ++front;
        else if (side[i] == ZNPLANE_BACK)
            ++back;
    }
    if (front == 0) {
        ReleaseVertices();
        FreeTriIndices();
        return 1;
    }
    if (back == 0)
        return 1;

    std::vector<ZNVERTEX> ring;
    ring.reserve(count + 2);
    for (int i = 0; i < count; ++i) {
        const int j = (i + 1) % count;
        if (side[i] == ZNPLANE_ON || side[i] == ZNPLANE_FRONT)
            ring.push_back(m_Vertices[i]);
        if (side[i] != ZNPLANE_ON && side[j] != ZNPLANE_ON && side[i] != side[j]) {
            D3DXVECTOR3 crossing;
            float t = 0.0f;
            if (IntersectSegmentPlane(Position(m_Vertices[i]), Position(m_Vertices[j]), *point, n, &crossing, &t)) {
                ZNVERTEX v{};
                v.x = crossing.x;
                v.y = crossing.y;
                v.z = crossing.z;
                v.tu = m_Vertices[i].tu + t * (m_Vertices[j].tu - m_Vertices[i].tu);
                v.tv = m_Vertices[i].tv + t * (m_Vertices[j].tv - m_Vertices[i].tv);
                ring.push_back(v);
            }
        }
    }

    const int newCount = static_cast<int>(ring.size());
    if (newCount > 0x7FFF || !ResizeVertexArrays(newCount)) {
        ReleaseFaceData();
        return 0;
    }
    m_VertexCount = static_cast<SHORT>(newCount);
    if (newCount > 0) {
        std::memcpy(m_Vertices, ring.data(), sizeof(ZNVERTEX) * newCount);
        std::memset(m_VertexSelected, 0, newCount);
        for (int i = 0; i < newCount; ++i)
            m_VertexFaceListIndices[i] = -1;
    }
    return 1;
}

int ZNFACE::PointInside(D3DXVECTOR3 *p) const
{
    if (!p)
        return 0;
    for (int i = 0; i < m_VertexCount; ++i) {
        D3DXVECTOR3 a = Position(m_Vertices[i]);
        D3DXVECTOR3 b = Position(m_Vertices[(i + 1) % m_VertexCount]);
        D3DXVECTOR3 m = ZnCross(m_Normal, ZnNormalized(b - a));
        if (ZnDot(m, *p - a) < 0.0f)
            return 0;
    }
    return 1;
}

bool ZNFACE::IsConvex() const
{
    const int count = m_VertexCount;
    if (!m_Vertices || count < 3)
        return false;
    D3DXVECTOR3 prev = ZnNormalized(Position(m_Vertices[0]) - Position(m_Vertices[count - 1]));
    bool negative = false, positive = false;
    for (int i = 0; i < count; ++i) {
        D3DXVECTOR3 e = ZnNormalized(Position(m_Vertices[(i + 1) % count]) - Position(m_Vertices[i]));
        float s = ZnDot(ZnCross(e, prev), m_Normal);
        if (s < -0.00001f)
            negative = true;
        else if (s > 0.00001f)
            positive = true;
        if (negative && positive)
            return false;
        prev = e;
    }
    return true;
}

bool ZNFACE::IsConvexWithoutDegenerate() const
{
    // IsConvex() && !ContainsDegenerate() in one walk: both look at the same normalised edges.
    const int count = m_VertexCount;
    if (!m_Vertices || count < 3)
        return false;
    D3DXVECTOR3 prev = UnitEdge(m_Vertices[count - 1], m_Vertices[0]);
    bool negative = false, positive = false, degenerate = false;
    for (int i = 0; i < count; ++i) {
        const D3DXVECTOR3 e = UnitEdge(m_Vertices[i], m_Vertices[(i + 1) % count]);
        const D3DXVECTOR3 c(e.y * prev.z - e.z * prev.y, e.z * prev.x - e.x * prev.z, e.x * prev.y - e.y * prev.x);
        const float s = c.x * m_Normal.x + c.y * m_Normal.y + c.z * m_Normal.z;
        if (s < -0.00001f)
            negative = true;
        else if (s > 0.00001f)
            positive = true;
        if (negative && positive)
            return false;
        if (std::fabs(prev.x * e.x + prev.y * e.y + prev.z * e.z) > 0.999999f)
            degenerate = true;
        prev = e;
    }
    return !degenerate;
}

bool ZNFACE::ContainsDegenerate() const
{
    const int count = m_VertexCount;
    if (!m_Vertices || count < 3)
        return false;
    D3DXVECTOR3 prev = ZnNormalized(Position(m_Vertices[0]) - Position(m_Vertices[count - 1]));
    for (int i = 0; i < count; ++i) {
        D3DXVECTOR3 e = ZnNormalized(Position(m_Vertices[(i + 1) % count]) - Position(m_Vertices[i]));
        if (std::fabs(ZnDot(prev, e)) > 0.999999f)
            return true;
        prev = e;
    }
    return false;
}

void ZNFACE::BuildTriIndices()
{
    FreeTriIndices();
    if (IsConvexWithoutDegenerate())
        return;
    if (m_VertexCount < 3)
        return;
    CZNTriangulator triangulator;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (triangulator.Triangulate(this)) {
            m_TriIndices = triangulator.GetIndices();
            return;
        }
    }
}

bool ZNFACE::GetPointNormal(const D3DXVECTOR3 &p, D3DXVECTOR3 &n) const
{
    const int count = m_VertexCount;
    if (!m_Vertices || count < 3)
        return false;

    int corner[3] = {0, 1, 2};
    const int triangles = count - 2;
    for (int k = 0; k < triangles; ++k) {
        if (m_TriIndices) {
            corner[0] = m_TriIndices[k * 3];
            corner[1] = m_TriIndices[k * 3 + 1];
            corner[2] = m_TriIndices[k * 3 + 2];
        } else {
            corner[0] = 0;
            corner[1] = k + 1;
            corner[2] = k + 2;
        }
        D3DXVECTOR3 positions[3] = {Position(m_Vertices[corner[0]]), Position(m_Vertices[corner[1]]),
                                    Position(m_Vertices[corner[2]])};
        if (InsideEdges(positions, 3, m_Normal, p))
            break;
    }

    float distance[3];
    for (int i = 0; i < 3; ++i)
        distance[i] = ZnLength(Position(m_Vertices[corner[i]]) - p);
    int f = 2;
    if (distance[0] > distance[1] && distance[0] > distance[2])
        f = 0;
    else if (distance[1] > distance[0] && distance[1] > distance[2])
        f = 1;
    const ZNVERTEX &F = m_Vertices[corner[f]];
    const ZNVERTEX &G = m_Vertices[corner[(f + 1) % 3]];
    const ZNVERTEX &H = m_Vertices[corner[(f + 2) % 3]];
    const D3DXVECTOR3 pF = Position(F), pG = Position(G), pH = Position(H);
    const D3DXVECTOR3 nF(F.nx, F.ny, F.nz), nG(G.nx, G.ny, G.nz), nH(H.nx, H.ny, H.nz);

    D3DXVECTOR3 result = nF;
    D3DXVECTOR3 far = p + (p - pF) * 10000.0f;
    D3DXVECTOR3 planeNormal = ZnNormalized(ZnCross(pH - pG, m_Normal));
    D3DXVECTOR3 q;
    if (IntersectSegmentPlane(pF, far, pG, planeNormal, &q, nullptr)) {
        float edge = ZnLength(pH - pG);
        float toQ = ZnLength(q - pF);
        D3DXVECTOR3 nQ = edge > 0.0f ? nG + (nH - nG) * (ZnLength(q - pG) / edge) : nG;
        if (toQ > 0.0f)
            result = nF + (nQ - nF) * (ZnLength(p - pF) / toQ);
    }
    D3DXVec3Normalize(&n, &result);
    return true;
}

int ZNFACE::CreateFaceOnPlane(D3DXVECTOR3 *, D3DXVECTOR3 *, ZNBBOX *)
{
    return 1;
}
