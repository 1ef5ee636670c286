#include "scene/brush.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

#include "scene/face_index_list.h"
#include "scene/geometry.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/pointer_array.h"
#include "scene/shared_face_pass.h"

namespace
{

// Positions are the same when they differ by less than this on every axis.
constexpr float kSamePosition = 0.01f;

const ZNBBOX kEmptyBrushBox = {D3DXVECTOR3(100000.0f, 100000.0f, 100000.0f),
                               D3DXVECTOR3(-100000.0f, -100000.0f, -100000.0f)};

ZNBBOX StartBox()
{
    return {D3DXVECTOR3(1000000.0f, 1000000.0f, 1000000.0f), D3DXVECTOR3(-1000000.0f, -1000000.0f, -1000000.0f)};
}

void SetPosition(ZNVERTEX &v, const D3DXVECTOR3 &p)
{
    v.x = p.x;
    v.y = p.y;
    v.z = p.z;
}

void GrowBox(ZNBBOX &box, const D3DXVECTOR3 &p)
{
    if (p.x < box.Min.x)
        box.Min.x = p.x;
    if (p.y < box.Min.y)
        box.Min.y = p.y;
    if (p.z < box.Min.z)
        box.Min.z = p.z;
    if (p.x > box.Max.x)
        box.Max.x = p.x;
    if (p.y > box.Max.y)
        box.Max.y = p.y;
    if (p.z > box.Max.z)
        box.Max.z = p.z;
}

// D3DXVec3Length and D3DXVec3Normalize with the same operations in the same order, for the
// vertex normal loop.
float LengthOf(const D3DXVECTOR3 &v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

D3DXVECTOR3 UnitVector(const D3DXVECTOR3 &v)
{
    const float length = LengthOf(v);
    if (length == 0.0f)
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return D3DXVECTOR3(v.x / length, v.y / length, v.z / length);
}

// ZNFACE::SetVertexNormal for a vertex known to exist: normals shorter than 0.01 are not
// stored, and those not already of unit length are normalised.
void StoreVertexNormal(ZNVERTEX &v, D3DXVECTOR3 n)
{
    const float length = LengthOf(n);
    if (length < 0.01f)
        return;
    if (length < 0.99f || length > 1.01f)
        n = UnitVector(n);
    v.nx = n.x;
    v.ny = n.y;
    v.nz = n.z;
}

// The crease test on the cosine clamped to [-1, 1] as fmin and fmax clamp it (NaN counts as 1).
bool CreaseKeeps(float dot, float limit)
{
    const float clamped = std::isnan(dot) ? 1.0f : (dot > 1.0f ? 1.0f : (dot < -1.0f ? -1.0f : dot));
    return clamped >= limit;
}

bool NormalsDiffer(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b)
{
    return std::fabs(a.x - b.x) > 0.01f || std::fabs(a.y - b.y) > 0.01f || std::fabs(a.z - b.z) > 0.01f;
}

D3DXVECTOR3 Translation(const D3DXMATRIX &m)
{
    return D3DXVECTOR3(m._41, m._42, m._43);
}

void SetTranslation(D3DXMATRIX &m, const D3DXVECTOR3 &t)
{
    m._41 = t.x;
    m._42 = t.y;
    m._43 = t.z;
}

float &Axis(D3DXVECTOR3 &v, int a)
{
    return a == 0 ? v.x : (a == 1 ? v.y : v.z);
}

// Which vertices a face or vertex edit carries along: the vertices named, and the vertices of
// other faces at the same position as one of them. Matches are found on the positions before
// anything moves and every vertex is marked at most once, so a vertex is never moved twice.
struct SharedFilter {
    bool skipOwnFace;      // faces other than the edited one only
    bool skipSelectedFace; // faces that are selected are left to their own calls
    bool skipSelectedVertex;
};

class VertexMarks
{
public:
    explicit VertexMarks(ZNBRUSH &brush) : m_Brush(brush), m_Marks(brush.GetFaceCount())
    {
        for (DWORD f = 0; f < brush.GetFaceCount(); ++f)
            m_Marks[f].assign(static_cast<size_t>(std::max<short>(brush.GetFace(f)->GetVertexCount(), 0)), 0);
    }

    // Marks vertex v of face f (all of its vertices when v is -1) and the vertices sharing
    // their positions that the filter lets through.
    void MarkWithShared(DWORD f, int v, const SharedFilter &filter)
    {
        ZNFACE *face = m_Brush.GetFace(f);
        const int count = face->GetVertexCount();
        for (int j = 0; j < count; ++j) {
            if (v >= 0 && j != v)
                continue;
            const D3DXVECTOR3 p = Position(face->m_Vertices[j]);
            for (DWORD g = 0; g < m_Brush.GetFaceCount(); ++g) {
                ZNFACE *other = m_Brush.GetFace(g);
                if (filter.skipOwnFace && g == f)
                    continue;
                if (filter.skipSelectedFace && g != f && other->IsFaceSelected())
                    continue;
                for (int m = 0; m < other->GetVertexCount(); ++m) {
                    if (g == f && m == j)
                        continue;
                    if (filter.skipSelectedVertex && other->IsVertexSelected(static_cast<short>(m)))
                        continue;
                    if (PointsNear(Position(other->m_Vertices[m]), p, kSamePosition))
                        m_Marks[g][m] = 1;
                }
            }
            m_Marks[f][j] = 1;
        }
    }

    template <typename Fn> void ForEachMarked(Fn fn)
    {
        for (DWORD f = 0; f < m_Marks.size(); ++f)
            for (size_t m = 0; m < m_Marks[f].size(); ++m)
                if (m_Marks[f][m])
                    fn(m_Brush.GetFace(f)->m_Vertices[m]);
    }

private:
    ZNBRUSH &m_Brush;
    std::vector<std::vector<BYTE>> m_Marks;
};

// The rotation matrices of the three angles in degrees; a zero angle has none.
struct Rotation {
    D3DXMATRIX m[3];
    bool used[3];

    Rotation(float x, float y, float z)
    {
        const float angles[3] = {x, y, z};
        const D3DXVECTOR3 axes[3] = {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 1)};
        for (int i = 0; i < 3; ++i) {
            used[i] = angles[i] != 0.0f;
            if (used[i])
                D3DXMatrixRotationAxis(&m[i], &axes[i], angles[i] * 0.0174533f);
        }
    }

    bool Any() const { return used[0] || used[1] || used[2]; }

    void Apply(ZNVERTEX &v, const D3DXVECTOR3 &pivot) const
    {
        D3DXVECTOR3 p = Position(v) - pivot;
        D3DXVECTOR3 n(v.nx, v.ny, v.nz);
        for (int i = 0; i < 3; ++i) {
            if (!used[i])
                continue;
            D3DXVec3TransformCoord(&p, &p, &m[i]);
            D3DXVec3TransformNormal(&n, &n, &m[i]);
        }
        SetPosition(v, pivot + p);
        v.nx = n.x;
        v.ny = n.y;
        v.nz = n.z;
    }
};

void FillScaleStruct(ZNSCALESTRUCT &s, const ZNBBOX &newBox, const ZNBBOX &oldBox)
{
    s.OldMin = oldBox.Min;
    s.OldMax = oldBox.Max;
    s.OldSize = oldBox.Max - oldBox.Min;
    s.MaxGrowth = newBox.Max - oldBox.Max;
    s.MinGrowth = oldBox.Min - newBox.Min;
    s.XMaxMoved = FloatsEqual(newBox.Max.x, oldBox.Max.x) ? 0 : 1;
    s.XMinMoved = FloatsEqual(newBox.Min.x, oldBox.Min.x) ? 0 : 1;
    s.YMaxMoved = FloatsEqual(newBox.Max.y, oldBox.Max.y) ? 0 : 1;
    s.YMinMoved = FloatsEqual(newBox.Min.y, oldBox.Min.y) ? 0 : 1;
    s.ZMaxMoved = FloatsEqual(newBox.Max.z, oldBox.Max.z) ? 0 : 1;
    s.ZMinMoved = FloatsEqual(newBox.Min.z, oldBox.Min.z) ? 0 : 1;
    s.Position = nullptr;
    s.Offset = D3DXVECTOR3(0, 0, 0);
}

} // namespace

bool ZnCreaseKeeps(float dot)
{
    return std::acos(dot) * 57.29578f < 60.0f;
}

float ZnCreaseCosineLimit()
{
    // The angle test is monotonic in the cosine, so it holds exactly for the cosines at or above
    // the smallest one that passes it; that one is found once by bisection over the float
    // values of [-1, 1], and the test becomes a comparison with no arc cosine.
    static const float limit = [] {
        float fail = -1.0f, pass = 1.0f;
        while (std::nextafter(fail, pass) != pass) {
            float mid = fail + (pass - fail) * 0.5f;
            if (mid <= fail || mid >= pass)
                mid = std::nextafter(fail, pass);
            (ZnCreaseKeeps(mid) ? pass : fail) = mid;
        }
        return pass;
    }();
    return limit;
}

// ---------------------------------------------------------------------------------------------
// Construction and copying

ZNBRUSH::ZNBRUSH()
{
    InitBrush();
}

ZNBRUSH::ZNBRUSH(ZNBRUSH *source)
{
    InitBrush();
    if (source && source->m_ObjectType == ZNOBJECT_BRUSH)
        CopyBrush(source);
}

ZNBRUSH &ZNBRUSH::operator=(const ZNBRUSH &other)
{
    CopyBrush(const_cast<ZNBRUSH *>(&other));
    return *this;
}

ZNBRUSH::~ZNBRUSH()
{
    ReleaseFaces();
    ClearCache();
    delete[] m_Name;
}

void ZNBRUSH::InitBrush()
{
    m_ObjectType = ZNOBJECT_BRUSH;
    m_Next = nullptr;
    m_Bounds = kEmptyBrushBox;
    m_Faces = nullptr;
    m_FaceCount = 0;
    m_Selected = 0;
    m_Parent = nullptr;
    m_Cache = nullptr;
    m_Flags = 0;
    m_Name = nullptr;
    D3DXMatrixIdentity(&m_Transform);
}

void ZNBRUSH::CopyBrush(ZNBRUSH *source)
{
    if (!source || source == this || source->m_ObjectType != ZNOBJECT_BRUSH)
        return;
    m_ObjectType = ZNOBJECT_BRUSH;
    m_Bounds = source->m_Bounds;
    m_Parent = source->m_Parent;
    m_Next = source->m_Next;
    m_Selected = source->m_Selected;
    m_Flags = source->m_Flags;
    m_Transform = source->m_Transform;

    delete[] m_Name;
    m_Name = nullptr;
    if (source->m_Name) {
        const size_t length = std::strlen(source->m_Name);
        m_Name = new (std::nothrow) char[length + 1];
        if (m_Name)
            std::memcpy(m_Name, source->m_Name, length + 1);
    }

    bool ok = true;
    if (m_FaceCount != source->m_FaceCount) {
        ReleaseFaces();
        if (source->m_FaceCount > 0) {
            ok = ResizeFaceArray(source->m_FaceCount);
            for (DWORD i = 0; ok && i < m_FaceCount; ++i) {
                m_Faces[i] = new (std::nothrow) ZNFACE;
                ok = m_Faces[i] != nullptr;
            }
        }
    }
    for (DWORD i = 0; ok && i < m_FaceCount; ++i) {
        ZNFACE *from = source->m_Faces[i];
        ok = m_Faces[i]->Copy(from) == 1 && m_Faces[i]->GetVertexCount() == from->GetVertexCount();
    }
    if (!ok) {
        // Out of memory: no half-copied faces are left behind.
        ReleaseFaces();
        m_SharedFaceInfo.Reset();
        return;
    }
    m_SharedFaceInfo.InitFromContainer(&source->m_SharedFaceInfo);
}

// ---------------------------------------------------------------------------------------------
// Faces

bool ZNBRUSH::ResizeFaceArray(DWORD count)
{
    if (count == 0) {
        std::free(m_Faces);
        m_Faces = nullptr;
        m_FaceCount = 0;
        return true;
    }
    // Fill the new slots with null so that a half-filled array can always be released.
    void *block = std::realloc(m_Faces, sizeof(ZNFACE *) * static_cast<size_t>(count));
    if (!block)
        return false;
    m_Faces = static_cast<ZNFACE **>(block);
    for (DWORD i = m_FaceCount; i < count; ++i)
        m_Faces[i] = nullptr;
    m_FaceCount = count;
    return true;
}

LONG ZNBRUSH::AddFaces(DWORD n, short vertexCount)
{
    const DWORD first = m_FaceCount;
    if (n == 0 || vertexCount < 0 || n > 0x7FFFFFFFu - first)
        return -1;
    if (!ResizeFaceArray(first + n))
        return -1;
    for (DWORD i = first; i < m_FaceCount; ++i) {
        ZNFACE *face = vertexCount > 0 ? new (std::nothrow) ZNFACE(vertexCount) : new (std::nothrow) ZNFACE;
        if (!face || face->GetVertexCount() != vertexCount) {
            delete face;
            for (DWORD k = first; k < i; ++k)
                delete m_Faces[k];
            m_FaceCount = first;
            ZnShrinkPointerArray(m_Faces, first);
            return -1;
        }
        m_Faces[i] = face;
    }
    return static_cast<LONG>(first);
}

ZNFACE *ZNBRUSH::AddFace(short vertexCount)
{
    LONG index = AddFaces(1, vertexCount);
    return index < 0 ? nullptr : m_Faces[index];
}

ZNFACE *ZNBRUSH::AddFace(ZNFACE *face)
{
    if (!face)
        return nullptr;
    ZNFACE *copy = new (std::nothrow) ZNFACE(face, 1);
    if (!copy)
        return nullptr;
    if (copy->GetVertexCount() != face->GetVertexCount() || AttachFace(copy) < 0) {
        delete copy;
        return nullptr;
    }
    return copy;
}

LONG ZNBRUSH::AttachFace(ZNFACE *face)
{
    // A face belongs to one brush, once.
    if (!face || face->m_ObjectType != ZNOBJECT_FACE || FindFace(face) >= 0 || m_FaceCount >= 0x7FFFFFFFu)
        return -1;
    const DWORD index = m_FaceCount;
    if (!ResizeFaceArray(index + 1))
        return -1;
    m_Faces[index] = face;
    return static_cast<LONG>(index);
}

LONG ZNBRUSH::FindFace(const ZNFACE *face) const
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        if (m_Faces[i] == face)
            return static_cast<LONG>(i);
    return -1;
}

void ZNBRUSH::RemoveFaceAt(DWORD index)
{
    std::memmove(&m_Faces[index], &m_Faces[index + 1], sizeof(ZNFACE *) * (m_FaceCount - index - 1));
    m_FaceCount -= 1;
    ZnShrinkPointerArray(m_Faces, m_FaceCount);
}

bool ZNBRUSH::InsertFaceAt(DWORD index, ZNFACE *face)
{
    const DWORD count = m_FaceCount;
    if (index > count || !ResizeFaceArray(count + 1))
        return false;
    std::memmove(&m_Faces[index + 1], &m_Faces[index], sizeof(ZNFACE *) * (count - index));
    m_Faces[index] = face;
    return true;
}

ZNFACE *ZNBRUSH::DetachFace(DWORD index)
{
    if (index >= m_FaceCount)
        return nullptr;
    ZNFACE *face = m_Faces[index];
    RemoveFaceAt(index);
    return face;
}

int ZNBRUSH::DetachFace(ZNFACE *face)
{
    if (!face || face->m_ObjectType != ZNOBJECT_FACE)
        return 0;
    LONG index = FindFace(face);
    if (index < 0)
        return 0;
    RemoveFaceAt(static_cast<DWORD>(index));
    return 1;
}

int ZNBRUSH::DeleteFace(ZNFACE *face)
{
    if (!face)
        return 0;
    LONG index = FindFace(face);
    if (index < 0)
        return 0;
    RemoveFaceAt(static_cast<DWORD>(index));
    delete face;
    return 1;
}

void ZNBRUSH::ReleaseFaces()
{
    ZnDeletePointerArray(m_Faces, m_FaceCount);
}

// ---------------------------------------------------------------------------------------------
// Group, snapshot

void ZNBRUSH::FreeFromParent()
{
    CZNGROUP::FreeFromParent(m_Parent, this);
    m_Parent = nullptr;
}

void ZNBRUSH::Cache(DWORD kind)
{
    ClearCache();
    if (kind == ZNCACHE_FULL) {
        ZNBRUSH *copy = new (std::nothrow) ZNBRUSH(this);
        if (!copy)
            return;
        if (copy->m_FaceCount != m_FaceCount) {
            delete copy;
            return;
        }
        // The snapshot is never listed nor grouped.
        copy->m_Next = nullptr;
        copy->m_Parent = nullptr;
        m_Cache = copy;
        return;
    }
    if (kind < ZNCACHE_MOVE || kind > ZNCACHE_SCALE)
        return;
    ZNBRUSH *copy = new (std::nothrow) ZNBRUSH;
    if (!copy)
        return;
    bool ok = m_FaceCount == 0 || copy->AddFaces(m_FaceCount, 0) == 0;
    for (DWORD i = 0; ok && i < m_FaceCount; ++i) {
        const short count = m_Faces[i]->GetVertexCount();
        if (count <= 0 || !m_Faces[i]->m_Vertices)
            continue;
        ok = copy->m_Faces[i]->AddVertices(count, nullptr) == 1;
        if (ok)
            std::memcpy(copy->m_Faces[i]->m_Vertices, m_Faces[i]->m_Vertices, sizeof(ZNVERTEX) * count);
    }
    if (!ok) {
        delete copy;
        return;
    }
    // The placement goes with the vertices, so that a drag step does not add up the transform.
    copy->m_Transform = m_Transform;
    m_Cache = copy;
}

void ZNBRUSH::RestoreFromCache(DWORD kind)
{
    if (!m_Cache)
        return;
    if (kind == ZNCACHE_FULL) {
        // The brush keeps its place in the list and its group.
        ZNBRUSH *next = m_Next;
        CZNGROUP *parent = m_Parent;
        CopyBrush(m_Cache);
        m_Next = next;
        m_Parent = parent;
        return;
    }
    if (kind < ZNCACHE_MOVE || kind > ZNCACHE_SCALE)
        return;
    // Vertices go back only where the faces still match the snapshot.
    if (m_Cache->m_FaceCount != m_FaceCount)
        return;
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        ZNFACE *from = m_Cache->m_Faces[i];
        ZNFACE *to = m_Faces[i];
        const short count = from->GetVertexCount();
        if (count != to->GetVertexCount() || count <= 0 || !from->m_Vertices || !to->m_Vertices)
            continue;
        std::memcpy(to->m_Vertices, from->m_Vertices, sizeof(ZNVERTEX) * count);
    }
    m_Transform = m_Cache->m_Transform;
}

void ZNBRUSH::ClearCache()
{
    delete m_Cache;
    m_Cache = nullptr;
}

void ZNBRUSH::BeginDragStep(DWORD kind)
{
    if (m_Cache)
        RestoreFromCache(kind);
    else
        Cache(kind);
}

ZNBRUSH *ZNBRUSH::GenerateHollowBrush(float)
{
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Bounds, normals, shared positions, validation

ZNBBOX ZNBRUSH::GetBoundingBox(int recalculate)
{
    if (!recalculate)
        return m_Bounds;
    ZNBBOX box = StartBox();
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        const ZNFACE *face = m_Faces[i];
        for (int j = 0; j < face->GetVertexCount(); ++j)
            GrowBox(box, Position(face->m_Vertices[j]));
    }
    m_Bounds = box;
    // The translation row sits at the centre of the box.
    SetTranslation(m_Transform, (box.Min + box.Max) * 0.5f);
    return box;
}

void ZNBRUSH::UpdateBoundingBox()
{
    GetBoundingBox(1);
}

ZNBBOX ZNBRUSH::GetBoundingBox(DWORD faceIndex)
{
    ZNBBOX box = StartBox();
    if (faceIndex >= m_FaceCount)
        return box;
    const ZNFACE *face = m_Faces[faceIndex];
    for (int j = 0; j < face->GetVertexCount(); ++j)
        GrowBox(box, Position(face->m_Vertices[j]));
    return box;
}

void ZNBRUSH::CalculateFaceNormals()
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        CalculateFaceNormals(i);
}

void ZNBRUSH::CalculateFaceNormals(DWORD faceIndex)
{
    if (faceIndex >= m_FaceCount)
        return;
    ZNFACE *face = m_Faces[faceIndex];
    const int count = face->GetVertexCount();
    if (count < 3 || !face->m_Vertices)
        return;
    // The best-shaped corner (the one nearest a right angle) gives the normal.
    float best = 99999.0f;
    D3DXVECTOR3 bestE1(0, 0, 0), bestE2(0, 0, 0);
    bool found = false;
    for (int t = 0; t < count - 2; ++t) {
        int a = 0, b = t + 1, c = t + 2;
        if (face->m_TriIndices) {
            a = face->m_TriIndices[t * 3];
            b = face->m_TriIndices[t * 3 + 1];
            c = face->m_TriIndices[t * 3 + 2];
            if (a >= count || b >= count || c >= count)
                continue;
        }
        const D3DXVECTOR3 pa = Position(face->m_Vertices[a]);
        D3DXVECTOR3 e1 = Position(face->m_Vertices[b]) - pa;
        D3DXVECTOR3 e2 = Position(face->m_Vertices[c]) - pa;
        D3DXVec3Normalize(&e1, &e1);
        D3DXVec3Normalize(&e2, &e2);
        // A corner with a zero-length edge (a repeated vertex) has no direction.
        if (e1 == D3DXVECTOR3(0, 0, 0) || e2 == D3DXVECTOR3(0, 0, 0))
            continue;
        const float measure = std::fabs(D3DXVec3Dot(&e1, &e2));
        if (measure < best) {
            best = measure;
            bestE1 = e1;
            bestE2 = e2;
            found = true;
        }
    }
    if (!found)
        return;
    D3DXVECTOR3 n(bestE1.y * bestE2.z - bestE1.z * bestE2.y, bestE1.z * bestE2.x - bestE1.x * bestE2.z,
                  bestE1.x * bestE2.y - bestE1.y * bestE2.x);
    D3DXVec3Normalize(&face->m_Normal, &n);
}

void ZNBRUSH::UpdateSharedFaceInfo()
{
    m_SharedFaceInfo.Reset();
    if (m_FaceCount < 2)
        return;
    CZNSharedFacePass::Build(m_Faces, m_FaceCount, m_SharedFaceInfo);
}

namespace
{

// The sum of a list's face normals seen from one normal, by the list and the normal's bits.
struct ListSumKey {
    LONG List;
    DWORD X, Y, Z;
    bool operator==(const ListSumKey &o) const { return List == o.List && X == o.X && Y == o.Y && Z == o.Z; }
};

struct ListSumKeyHash {
    size_t operator()(const ListSumKey &k) const
    {
        uint64_t h = static_cast<uint32_t>(k.List);
        for (DWORD v : {k.X, k.Y, k.Z})
            h = (h ^ v) * 0x100000001B3ull;
        return static_cast<size_t>(h ^ (h >> 29));
    }
};

using ListSums = std::unordered_map<ListSumKey, D3DXVECTOR3, ListSumKeyHash>;

DWORD BitsOf(float v)
{
    DWORD bits;
    std::memcpy(&bits, &v, 4);
    return bits;
}

// The vertex normals of one face: each vertex sums the normals of the faces its list names,
// with the crease test when asked. Sums of lists seen before are taken from sums when given.
void VertexNormalsOfFace(ZNBRUSH &brush, DWORD faceIndex, int crease, ListSums *sums)
{
    const DWORD faceCount = brush.GetFaceCount();
    if (faceIndex >= faceCount)
        return;
    ZNFACE *face = brush.GetFace(faceIndex);
    const float limit = crease ? ZnCreaseCosineLimit() : 0.0f;
    const D3DXVECTOR3 own = face->m_Normal;
    // The face itself always counts; when the crease test keeps it anyway (or its normal is zero
    // and adds nothing), the sum depends on the list and the normal only and can be shared.
    if (sums && crease && !CreaseKeeps(own.x * own.x + own.y * own.y + own.z * own.z, limit) &&
        !(own == D3DXVECTOR3(0, 0, 0)))
        sums = nullptr;
    for (short j = 0; j < face->GetVertexCount(); ++j) {
        const LONG index = face->m_VertexFaceListIndices[j];
        ZNFACEINDEXLIST *list =
            index < 0 ? nullptr : brush.m_SharedFaceInfo.GetFaceIndexList(static_cast<DWORD>(index));
        if (!list) {
            StoreVertexNormal(face->m_Vertices[j], own);
            continue;
        }
        const ListSumKey key = {index, crease ? BitsOf(own.x) : 0, crease ? BitsOf(own.y) : 0,
                                crease ? BitsOf(own.z) : 0};
        if (sums) {
            const auto found = sums->find(key);
            if (found != sums->end()) {
                StoreVertexNormal(face->m_Vertices[j], UnitVector(found->second));
                continue;
            }
        }
        D3DXVECTOR3 sum(0, 0, 0);
        const DWORD *indices = list->GetIndices();
        for (DWORD k = 0; k < list->GetIndexCount(); ++k) {
            const DWORD other = indices[k];
            if (other >= faceCount)
                continue;
            const D3DXVECTOR3 &n = brush.GetFace(other)->m_Normal;
            if (crease && other != faceIndex && !CreaseKeeps(n.x * own.x + n.y * own.y + n.z * own.z, limit))
                continue;
            sum += n;
        }
        if (sums)
            sums->emplace(key, sum);
        StoreVertexNormal(face->m_Vertices[j], UnitVector(sum));
    }
}

} // namespace

void ZNBRUSH::CalculateVertexNormals(int crease)
{
    // The vertices of one shared position whose faces have the same normal get the same sum: it
    // is taken once, so a position shared by thousands of faces (a mesh collapsed to a point)
    // does not sum the whole list for each of its vertices.
    ListSums sums;
    for (DWORD i = 0; i < m_FaceCount; ++i)
        VertexNormalsOfFace(*this, i, crease, &sums);
}

void ZNBRUSH::CalculateVertexNormals(DWORD faceIndex, int crease)
{
    VertexNormalsOfFace(*this, faceIndex, crease, nullptr);
}

void ZNBRUSH::CalculateFaceCenterPoints()
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        m_Faces[i]->CalculateFaceCenterPoint();
}

void ZNBRUSH::BuildTriIndices()
{
    for (DWORD i = 0; i < m_FaceCount; ++i)
        m_Faces[i]->BuildTriIndices();
}

int ZNBRUSH::Validate()
{
    if (m_FaceCount == 0 || !m_Faces)
        return 0;
    DWORD i = 0;
    while (i < m_FaceCount) {
        if (m_Faces[i]->Validate())
            ++i;
        else
            DeleteFace(m_Faces[i]); // the next face moves into this place
    }
    if (m_FaceCount == 0)
        return 0;
    UpdateBoundingBox();
    return 1;
}

int ZNBRUSH::CheckFoldedPolygons(DWORD faceIndex, int split, int keepSelection)
{
    if (faceIndex >= m_FaceCount)
        return 0;
    ZNFACE *face = m_Faces[faceIndex];
    const short count = face->GetVertexCount();
    bool folded = false;
    for (short k = 2; k < count && !folded; ++k) {
        D3DXVECTOR3 n = ComputeTriangleNormal(face->m_Vertices[0], face->m_Vertices[k - 1], face->m_Vertices[k]);
        folded = NormalsDiffer(n, face->m_Normal);
    }
    if (!folded)
        return 0;
    if (split == 1)
        SplitFoldedFace(faceIndex, keepSelection);
    return 1;
}

int ZNBRUSH::SplitFoldedFace(DWORD faceIndex, int keepSelection)
{
    ZNFACE *old = DetachFace(faceIndex);
    const DWORD firstPiece = m_FaceCount;
    const short count = old->GetVertexCount();
    std::vector<BYTE> selected(old->m_VertexSelected, old->m_VertexSelected + count);

    ZNFACE *piece = nullptr;
    D3DXVECTOR3 previous(0, 0, 0);
    bool ok = true;
    for (short k = 2; k < count && ok; ++k) {
        const D3DXVECTOR3 n = ComputeTriangleNormal(old->m_Vertices[0], old->m_Vertices[k - 1], old->m_Vertices[k]);
        const short corners[3] = {0, static_cast<short>(k - 1), k};
        if (piece && !NormalsDiffer(n, previous)) {
            short at = 0;
            ok = piece->AddVertex(old->m_Vertices[k], &at) == 1;
            if (ok && !keepSelection && selected[k] == 1) {
                piece->SelectVertex(at, 1);
                selected[k] = 2;
            }
        } else {
            piece = AddFace(static_cast<short>(3));
            ok = piece != nullptr;
            if (!ok)
                break;
            piece->CopyFaceProperties(old);
            piece->m_Normal = n;
            for (short c = 0; c < 3; ++c) {
                piece->SetVertex(c, old->m_Vertices[corners[c]]);
                if (!keepSelection && selected[corners[c]] == 1) {
                    piece->SelectVertex(c, 1);
                    selected[corners[c]] = 2;
                }
            }
        }
        previous = n;
    }
    if (!ok) {
        // Out of memory: take the pieces back and return the face to its place.
        while (m_FaceCount > firstPiece)
            DeleteFace(m_Faces[m_FaceCount - 1]);
        if (!InsertFaceAt(faceIndex, old)) {
            if (AttachFace(old) < 0)
                delete old;
        }
        return 0;
    }
    if (!keepSelection) {
        for (DWORD i = firstPiece; i < m_FaceCount; ++i) {
            ZNFACE *f = m_Faces[i];
            bool any = false;
            for (short j = 0; j < f->GetVertexCount(); ++j)
                any = any || f->IsVertexSelected(j);
            if (!any)
                f->SelectFace(0);
        }
    }
    delete old;
    return 1;
}

int ZNBRUSH::CheckFoldedPolygons(int split, int keepSelection)
{
    int any = 0;
    DWORD end = m_FaceCount;
    DWORD i = 0;
    while (i < end) {
        ZNFACE *face = m_Faces[i];
        if (!CheckFoldedPolygons(i, split, keepSelection)) {
            ++i;
            continue;
        }
        any = 1;
        if (i >= m_FaceCount || m_Faces[i] != face) {
            // The face was replaced by pieces at the end: the face that moved into its place is
            // examined next, and the pieces are not.
            --end;
        } else {
            ++i;
        }
    }
    return any;
}

// ---------------------------------------------------------------------------------------------
// Move and scale

void ZNBRUSH::MoveBrush(D3DXVECTOR3 *offset, int drag)
{
    if (!offset)
        return;
    if (drag)
        BeginDragStep(ZNCACHE_MOVE);
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        ZNFACE *face = m_Faces[i];
        for (int j = 0; j < face->GetVertexCount(); ++j)
            SetPosition(face->m_Vertices[j], Position(face->m_Vertices[j]) + *offset);
    }
    SetTranslation(m_Transform, Translation(m_Transform) + *offset);
}

void ZNBRUSH::MoveFace(D3DXVECTOR3 *offset, DWORD faceIndex, int drag)
{
    if (!offset || faceIndex >= m_FaceCount)
        return;
    if (drag)
        BeginDragStep(ZNCACHE_MOVE);
    VertexMarks marks(*this);
    marks.MarkWithShared(faceIndex, -1, {true, true, false});
    const D3DXVECTOR3 d = *offset;
    marks.ForEachMarked([&d](ZNVERTEX &v) { SetPosition(v, Position(v) + d); });
}

void ZNBRUSH::MoveVertex(D3DXVECTOR3 *offset, DWORD faceIndex, DWORD vertexIndex, int drag)
{
    if (!offset || faceIndex >= m_FaceCount || vertexIndex >= static_cast<DWORD>(m_Faces[faceIndex]->GetVertexCount()))
        return;
    if (drag)
        BeginDragStep(ZNCACHE_MOVE);
    VertexMarks marks(*this);
    marks.MarkWithShared(faceIndex, static_cast<int>(vertexIndex), {true, false, true});
    const D3DXVECTOR3 d = *offset;
    marks.ForEachMarked([&d](ZNVERTEX &v) { SetPosition(v, Position(v) + d); });
}

void ZNBRUSH::ScaleVertex(ZNSCALESTRUCT *s)
{
    if (!s || !s->Position)
        return;
    D3DXVECTOR3 &p = *s->Position;
    const int32_t maxMoved[3] = {s->XMaxMoved, s->YMaxMoved, s->ZMaxMoved};
    const int32_t minMoved[3] = {s->XMinMoved, s->YMinMoved, s->ZMinMoved};
    s->Offset = D3DXVECTOR3(0, 0, 0);
    for (int a = 0; a < 3; ++a) {
        if (!maxMoved[a] && !minMoved[a])
            continue;
        float r;
        const float size = Axis(s->OldSize, a);
        if (size > 0.01f)
            r = (Axis(p, a) - Axis(s->OldMin, a)) / size;
        else // a flat side has no ratio: the position goes with the side that moved
            r = (maxMoved[a] && minMoved[a]) ? 0.5f : (maxMoved[a] ? 1.0f : 0.0f);
        float offset = 0.0f;
        if (maxMoved[a])
            offset = r * Axis(s->MaxGrowth, a);
        if (minMoved[a])
            offset -= (1.0f - r) * Axis(s->MinGrowth, a);
        Axis(s->Offset, a) = offset;
    }
    p += s->Offset;
}

void ZNBRUSH::ScaleBrushToBounding(ZNBBOX *newBox, ZNBBOX *oldBox, int drag)
{
    if (!newBox || !oldBox)
        return;
    if (drag)
        BeginDragStep(ZNCACHE_SCALE);
    ZNSCALESTRUCT s;
    FillScaleStruct(s, *newBox, *oldBox);
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        ZNFACE *face = m_Faces[i];
        for (int j = 0; j < face->GetVertexCount(); ++j) {
            D3DXVECTOR3 p = Position(face->m_Vertices[j]);
            s.Position = &p;
            ScaleVertex(&s);
            SetPosition(face->m_Vertices[j], p);
        }
    }

    // The transform takes each axis's ratio once, about the origin, and its translation row
    // moves like a position.
    const int32_t moved[3] = {s.XMaxMoved || s.XMinMoved, s.YMaxMoved || s.YMinMoved, s.ZMaxMoved || s.ZMinMoved};
    D3DXVECTOR3 translation = Translation(m_Transform);
    SetTranslation(m_Transform, D3DXVECTOR3(0, 0, 0));
    for (int a = 0; a < 3; ++a) {
        const float oldExtent = Axis(s.OldSize, a);
        if (!moved[a] || oldExtent <= 0.01f)
            continue;
        const float ratio = (Axis(newBox->Max, a) - Axis(newBox->Min, a)) / oldExtent;
        D3DXMATRIX scaling;
        D3DXMatrixScaling(&scaling, a == 0 ? ratio : 1.0f, a == 1 ? ratio : 1.0f, a == 2 ? ratio : 1.0f);
        D3DXMatrixMultiply(&m_Transform, &m_Transform, &scaling);
    }
    s.Position = &translation;
    ScaleVertex(&s);
    SetTranslation(m_Transform, translation);
}

void ZNBRUSH::ScaleFaceToBounding(DWORD faceIndex, ZNBBOX *newBox, ZNBBOX *oldBox, int drag)
{
    if (!newBox || !oldBox || faceIndex >= m_FaceCount)
        return;
    ScaleMarkedToBounding(faceIndex, -1, *newBox, *oldBox, drag);
}

void ZNBRUSH::ScaleVertexToBounding(DWORD faceIndex, DWORD vertexIndex, ZNBBOX *newBox, ZNBBOX *oldBox, int drag)
{
    if (!newBox || !oldBox || faceIndex >= m_FaceCount ||
        vertexIndex >= static_cast<DWORD>(m_Faces[faceIndex]->GetVertexCount()))
        return;
    ScaleMarkedToBounding(faceIndex, static_cast<int>(vertexIndex), *newBox, *oldBox, drag);
}

void ZNBRUSH::ScaleMarkedToBounding(DWORD faceIndex, int vertex, const ZNBBOX &newBox, const ZNBBOX &oldBox, int drag)
{
    if (drag)
        BeginDragStep(ZNCACHE_SCALE);
    ZNSCALESTRUCT s;
    FillScaleStruct(s, newBox, oldBox);
    VertexMarks marks(*this);
    marks.MarkWithShared(faceIndex, vertex, {true, false, false});
    marks.ForEachMarked([this, &s](ZNVERTEX &v) {
        D3DXVECTOR3 p = Position(v);
        s.Position = &p;
        ScaleVertex(&s);
        SetPosition(v, p);
    });
}

// ---------------------------------------------------------------------------------------------
// Rotation

void ZNBRUSH::Rotate(float x, float y, float z, D3DXVECTOR3 *pivot, int drag)
{
    if (drag)
        BeginDragStep(ZNCACHE_ROTATE);
    const D3DXVECTOR3 centre = pivot ? *pivot : (m_Bounds.Min + m_Bounds.Max) * 0.5f;
    const Rotation rotation(x, y, z);
    if (!rotation.Any())
        return;

    // The placement turns about the pivot too: its translation row follows the turned centre.
    SetTranslation(m_Transform, Translation(m_Transform) - centre);
    for (int i = 0; i < 3; ++i)
        if (rotation.used[i])
            D3DXMatrixMultiply(&m_Transform, &m_Transform, &rotation.m[i]);
    SetTranslation(m_Transform, Translation(m_Transform) + centre);

    for (DWORD i = 0; i < m_FaceCount; ++i) {
        ZNFACE *face = m_Faces[i];
        for (int j = 0; j < face->GetVertexCount(); ++j)
            rotation.Apply(face->m_Vertices[j], centre);
    }
}

void ZNBRUSH::RotateFace(DWORD faceIndex, float x, float y, float z, D3DXVECTOR3 *pivot, int drag)
{
    if (faceIndex >= m_FaceCount)
        return;
    if (drag)
        BeginDragStep(ZNCACHE_ROTATE);
    D3DXVECTOR3 centre;
    if (pivot) {
        centre = *pivot;
    } else {
        const ZNBBOX box = GetBoundingBox(faceIndex);
        centre = (box.Min + box.Max) * 0.5f;
    }
    const Rotation rotation(x, y, z);
    if (!rotation.Any())
        return;
    VertexMarks marks(*this);
    marks.MarkWithShared(faceIndex, -1, {true, true, false});
    marks.ForEachMarked([&rotation, &centre](ZNVERTEX &v) { rotation.Apply(v, centre); });
}

void ZNBRUSH::RotateVertex(DWORD faceIndex, DWORD vertexIndex, float x, float y, float z, D3DXVECTOR3 *pivot, int drag)
{
    if (!pivot || faceIndex >= m_FaceCount || vertexIndex >= static_cast<DWORD>(m_Faces[faceIndex]->GetVertexCount()))
        return;
    if (drag)
        BeginDragStep(ZNCACHE_ROTATE);
    const Rotation rotation(x, y, z);
    if (!rotation.Any())
        return;
    const D3DXVECTOR3 centre = *pivot;
    VertexMarks marks(*this);
    marks.MarkWithShared(faceIndex, static_cast<int>(vertexIndex), {false, true, true});
    marks.ForEachMarked([&rotation, &centre](ZNVERTEX &v) { rotation.Apply(v, centre); });
}
