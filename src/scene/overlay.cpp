#include "scene/overlay.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/pointer_array.h"

namespace
{

constexpr float kDegreesToRadians = 0.017453292f;
// A box side moves, and an extent counts, only beyond this.
constexpr float kScaleTolerance = 0.01f;

const D3DXVECTOR3 kDefaultCorners[8] = {{-30, 30, 30},  {30, 30, 30},  {30, -30, 30},  {-30, -30, 30},
                                        {-30, 30, -30}, {30, 30, -30}, {30, -30, -30}, {-30, -30, -30}};

float &Axis(D3DXVECTOR3 &v, int a)
{
    return a == 0 ? v.x : (a == 1 ? v.y : v.z);
}

float Axis(const D3DXVECTOR3 &v, int a)
{
    return a == 0 ? v.x : (a == 1 ? v.y : v.z);
}

ZNBBOX StartBox()
{
    return ZNBBOX{D3DXVECTOR3(1000000.0f, 1000000.0f, 1000000.0f), D3DXVECTOR3(-1000000.0f, -1000000.0f, -1000000.0f)};
}

void Grow(ZNBBOX &box, const D3DXVECTOR3 &p)
{
    for (int a = 0; a < 3; ++a) {
        if (Axis(p, a) < Axis(box.Min, a))
            Axis(box.Min, a) = Axis(p, a);
        if (Axis(p, a) > Axis(box.Max, a))
            Axis(box.Max, a) = Axis(p, a);
    }
}

ZNFACE *NewOverlayFace()
{
    ZNFACE *face = new ZNFACE;
    face->m_ObjectType = ZNOBJECT_OVERLAYFACE;
    face->m_FaceFlag = 1;
    return face;
}

} // namespace

template <typename F> void CZNOverlay::ForEachPoint(F f)
{
    for (D3DXVECTOR3 &c : m_Corners)
        f(c);
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        ZNFACE *face = m_Faces[i];
        for (short k = 0; k < face->GetVertexCount(); ++k) {
            ZNVERTEX &v = face->m_Vertices[k];
            D3DXVECTOR3 p(v.x, v.y, v.z);
            f(p);
            v.x = p.x;
            v.y = p.y;
            v.z = p.z;
        }
    }
}

CZNOverlay::CZNOverlay()
    : m_ObjectType(ZNOBJECT_OVERLAY), m_Next(nullptr), m_Flags(0), m_FaceFlag(1), m_SurfacesOff(0), m_Selected(0),
      m_AutoRebuild(0), m_Group(nullptr), m_BoxPlanes{}, m_Faces(nullptr), m_FaceCount(0), m_Cache(nullptr), m_Bounds{},
      m_Name(nullptr)
{
    std::memcpy(m_Corners, kDefaultCorners, sizeof(m_Corners));
}

CZNOverlay::CZNOverlay(const D3DXVECTOR3 *point) : CZNOverlay()
{
    if (point)
        for (D3DXVECTOR3 &c : m_Corners)
            c += *point;
    CalculateBoxPlanes();
    GetBounds(1);
}

CZNOverlay::~CZNOverlay()
{
    ClearCache();
    ClearFaces();
    delete[] m_Name;
}

void CZNOverlay::CopyFrom(const CZNOverlay *source)
{
    if (!source || source == this)
        return;
    m_ObjectType = source->m_ObjectType;
    m_Next = source->m_Next;
    m_FaceFlag = source->m_FaceFlag;
    m_SurfacesOff = source->m_SurfacesOff;
    m_Selected = source->m_Selected;
    m_AutoRebuild = source->m_AutoRebuild;
    m_Group = source->m_Group;
    m_Bounds = source->m_Bounds;
    std::memcpy(m_BoxPlanes, source->m_BoxPlanes, sizeof(m_BoxPlanes));
    std::memcpy(m_Corners, source->m_Corners, sizeof(m_Corners));
    if (m_FaceCount != source->m_FaceCount) {
        ClearFaces();
        if (source->m_FaceCount) {
            m_Faces = static_cast<ZNFACE **>(std::calloc(source->m_FaceCount, sizeof(ZNFACE *)));
            if (!m_Faces)
                throw std::bad_alloc();
            // The count follows each face, so a throwing allocation leaves a consistent array.
            for (DWORD i = 0; i < source->m_FaceCount; ++i) {
                m_Faces[i] = NewOverlayFace();
                m_FaceCount = i + 1;
            }
        }
    }
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        m_Faces[i]->Copy(source->m_Faces[i]);
        m_Faces[i]->m_FaceFlag = source->m_Faces[i]->m_FaceFlag;
    }
    m_SharedFaceInfo.InitFromContainer(&source->m_SharedFaceInfo);
}

void CZNOverlay::SetAutoRebuildFlag(int flag)
{
    m_AutoRebuild = flag ? 1 : 0;
    if (flag == 1)
        Rebuild();
}

DWORD CZNOverlay::SetFaceFlag(BYTE flag)
{
    m_FaceFlag = flag;
    for (DWORD i = 0; i < m_FaceCount; ++i)
        m_Faces[i]->m_FaceFlag = flag;
    return m_FaceCount;
}

int CZNOverlay::AppendFace(ZNFACE *face)
{
    return ZnAppendToPointerArray(m_Faces, m_FaceCount, face) ? 1 : 0;
}

void CZNOverlay::ClearFaces()
{
    ZnDeletePointerArray(m_Faces, m_FaceCount);
}

void CZNOverlay::FreeFace(ZNFACE *face)
{
    if (face)
        face->ReleaseFaceData();
}

CZNTexture *CZNOverlay::GetTexture() const
{
    return m_FaceCount ? m_Faces[0]->GetTexture() : nullptr;
}

void CZNOverlay::Cache()
{
    ClearCache();
    CZNOverlay *snapshot = new CZNOverlay;
    snapshot->CopyFrom(this);
    m_Cache = snapshot;
}

void CZNOverlay::RestoreFromCache(DWORD mode)
{
    if (!m_Cache)
        return;
    if (mode == 1) {
        // The snapshot's link and group may be stale by now.
        CZNOverlay *next = m_Next;
        CZNGROUP *group = m_Group;
        CopyFrom(m_Cache);
        m_Next = next;
        m_Group = group;
        return;
    }
    if (mode < 2 || mode > 4)
        return;
    // Faces may have been dropped or rebuilt since the snapshot: only a face present in both with
    // the same vertex count takes the snapshot's vertices.
    for (DWORD i = 0; i < m_FaceCount && i < m_Cache->m_FaceCount; ++i) {
        ZNFACE *face = m_Faces[i];
        const ZNFACE *saved = m_Cache->m_Faces[i];
        if (face->GetVertexCount() != saved->GetVertexCount() || !face->m_Vertices)
            continue;
        std::memcpy(face->m_Vertices, saved->m_Vertices, sizeof(ZNVERTEX) * static_cast<size_t>(saved->m_VertexCount));
    }
    std::memcpy(m_BoxPlanes, m_Cache->m_BoxPlanes, sizeof(m_BoxPlanes));
    std::memcpy(m_Corners, m_Cache->m_Corners, sizeof(m_Corners));
}

void CZNOverlay::ClearCache()
{
    if (!m_Cache)
        return;
    m_Cache->m_Cache = nullptr;
    delete m_Cache;
    m_Cache = nullptr;
}

void CZNOverlay::BeginDragStep(DWORD mode, int fromCache)
{
    if (!fromCache)
        return;
    if (m_Cache)
        RestoreFromCache(mode);
    else
        Cache();
}

ZNBBOX CZNOverlay::GetBounds(int recalc)
{
    if (recalc) {
        ZNBBOX box{m_Corners[0], m_Corners[0]};
        for (const D3DXVECTOR3 &c : m_Corners)
            Grow(box, c);
        m_Bounds = box;
    }
    return m_Bounds;
}

ZNBBOX CZNOverlay::GetFaceExtents(DWORD i) const
{
    ZNBBOX box = StartBox();
    const ZNFACE *face = GetFace(i);
    if (face)
        for (short k = 0; k < face->GetVertexCount(); ++k)
            Grow(box, face->GetVector(k));
    return box;
}

ZNBBOX CZNOverlay::GetExtents() const
{
    ZNBBOX box = StartBox();
    for (DWORD i = 0; i < m_FaceCount; ++i)
        for (short k = 0; k < m_Faces[i]->GetVertexCount(); ++k)
            Grow(box, m_Faces[i]->GetVector(k));
    return box;
}

void CZNOverlay::Move(const D3DXVECTOR3 *delta, int fromCache)
{
    BeginDragStep(2, fromCache);
    if (delta) {
        const D3DXVECTOR3 d = *delta;
        ForEachPoint([&](D3DXVECTOR3 &p) { p += d; });
    }
    GetBounds(1);
}

void CZNOverlay::Rotate(float x, float y, float z, const D3DXVECTOR3 *centre, int fromCache)
{
    BeginDragStep(3, fromCache);
    const D3DXVECTOR3 pivot = centre ? *centre : (m_Bounds.Min + m_Bounds.Max) * 0.5f;
    const D3DXVECTOR3 axes[3] = {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 1)};
    const float angles[3] = {x, y, z};
    D3DXMATRIX turns[3];
    for (int a = 0; a < 3; ++a)
        if (angles[a] != 0.0f)
            D3DXMatrixRotationAxis(&turns[a], &axes[a], angles[a] * kDegreesToRadians);
    ForEachPoint([&](D3DXVECTOR3 &p) {
        D3DXVECTOR3 q = p - pivot;
        for (int a = 0; a < 3; ++a)
            if (angles[a] != 0.0f)
                D3DXVec3TransformCoord(&q, &q, &turns[a]);
        p = q + pivot;
    });
    for (DWORD i = 0; i < m_FaceCount; ++i) {
        ZNFACE *face = m_Faces[i];
        for (short k = 0; k < face->GetVertexCount(); ++k) {
            ZNVERTEX &v = face->m_Vertices[k];
            D3DXVECTOR3 n(v.nx, v.ny, v.nz);
            for (int a = 0; a < 3; ++a)
                if (angles[a] != 0.0f)
                    D3DXVec3TransformNormal(&n, &n, &turns[a]);
            v.nx = n.x;
            v.ny = n.y;
            v.nz = n.z;
        }
    }
    GetBounds(1);
}

void CZNOverlay::ScaleToBox(const ZNBBOX *newBox, const ZNBBOX *oldBox, int fromCache)
{
    BeginDragStep(4, fromCache);
    if (newBox && oldBox) {
        const ZNBBOX nb = *newBox, ob = *oldBox;
        ForEachPoint([&](D3DXVECTOR3 &p) {
            for (int a = 0; a < 3; ++a) {
                const float maxShift = Axis(nb.Max, a) - Axis(ob.Max, a);
                const float minShift = Axis(ob.Min, a) - Axis(nb.Min, a);
                const bool maxMoved = std::abs(maxShift) > kScaleTolerance;
                const bool minMoved = std::abs(minShift) > kScaleTolerance;
                const float extent = Axis(ob.Max, a) - Axis(ob.Min, a);
                float shift = 0.0f;
                if (extent <= kScaleTolerance) {
                    // A flat axis has no proportion: it goes with the side that moved.
                    if (maxMoved)
                        shift = maxShift;
                    else if (minMoved)
                        shift = -minShift;
                } else {
                    const float t = (Axis(p, a) - Axis(ob.Min, a)) / extent;
                    if (maxMoved)
                        shift += t * maxShift;
                    if (minMoved)
                        shift -= (1.0f - t) * minShift;
                }
                Axis(p, a) += shift;
            }
        });
    }
    GetBounds(1);
}

void CZNOverlay::CalculateBoxPlanes()
{
    const D3DXVECTOR3 *c = m_Corners;
    const D3DXVECTOR3 n1 = ZnNormalized(ZnCross(c[4] - c[7], c[3] - c[7]));
    const D3DXVECTOR3 n2 = ZnNormalized(ZnCross(c[6] - c[7], c[3] - c[7]));
    // The normal of the +z and -z sides, from the -z side towards the +z side.
    D3DXVECTOR3 n3 = ZnNormalized(ZnCross(n1, n2));
    if (ZnDot(n3, c[0] - c[4]) < 0.0f)
        n3 = -n3;
    m_BoxPlanes[0] = {-n1, c[0]};
    m_BoxPlanes[1] = {n1, c[1]};
    m_BoxPlanes[2] = {n2, c[2]};
    m_BoxPlanes[3] = {-n2, c[0]};
    m_BoxPlanes[4] = {n3, c[0]};
    m_BoxPlanes[5] = {-n3, c[4]};
}

void CZNOverlay::FreeFromParent()
{
    CZNGROUP::FreeFromParent(m_Group, this);
    m_Group = nullptr;
}
