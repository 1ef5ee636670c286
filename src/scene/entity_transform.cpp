// CZNEntity's head: the saved copy of a drag, move, rotate and scale, and leaving its group.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "scene/entity.h"
#include "scene/group.h"

namespace
{
constexpr DWORD kHeadSize = 64;
constexpr float kDegreesToRadians = 0.017453292f;
// Sides and extents closer than this count as equal.
constexpr float kNear = 0.01f;

float &Axis(D3DXVECTOR3 &v, int a)
{
    return (&v.x)[a];
}
float Axis(const D3DXVECTOR3 &v, int a)
{
    return (&v.x)[a];
}

D3DXVECTOR3 Row(const D3DXMATRIX &m, int r)
{
    return D3DXVECTOR3(m.m[r][0], m.m[r][1], m.m[r][2]);
}
void SetRow(D3DXMATRIX &m, int r, const D3DXVECTOR3 &v)
{
    m.m[r][0] = v.x;
    m.m[r][1] = v.y;
    m.m[r][2] = v.z;
}
} // namespace

bool CZNEntity::ReadHead(D3DXMATRIX *head) const
{
    if (!m_Data || m_BlockSize < kHeadSize)
        return false;
    std::memcpy(head, m_Data, kHeadSize);
    return true;
}

void CZNEntity::WriteHead(const D3DXMATRIX &head)
{
    if (m_Data && m_BlockSize >= kHeadSize)
        std::memcpy(m_Data, &head, kHeadSize);
}

void CZNEntity::SaveData()
{
    FreeSavedData();
    m_SavedHead = new (std::nothrow) BYTE[kHeadSize]();
    if (m_SavedHead && m_Data)
        std::memcpy(m_SavedHead, m_Data, std::min(kHeadSize, m_BlockSize));
}

void CZNEntity::RestoreSavedData()
{
    if (m_SavedHead && m_Data)
        std::memcpy(m_Data, m_SavedHead, std::min(kHeadSize, m_BlockSize));
}

void CZNEntity::FreeSavedData()
{
    delete[] m_SavedHead;
    m_SavedHead = nullptr;
}

void CZNEntity::BeginDragStep(int fromSaved)
{
    if (!fromSaved)
        return;
    if (m_SavedHead)
        RestoreSavedData();
    else
        SaveData();
}

void CZNEntity::Move(const D3DXVECTOR3 *delta, int fromSaved)
{
    if (!delta || IsBuiltInKindC())
        return;
    BeginDragStep(fromSaved);
    D3DXMATRIX head;
    if (!ReadHead(&head))
        return;
    SetRow(head, 3, Row(head, 3) + *delta);
    WriteHead(head);
}

void CZNEntity::Rotate(float xDegrees, float yDegrees, float zDegrees, const D3DXVECTOR3 *centre, int fromSaved)
{
    if (IsBuiltInKindC())
        return;
    BeginDragStep(fromSaved);
    D3DXMATRIX head;
    if (!ReadHead(&head))
        return;
    const D3DXVECTOR3 pivot = centre ? *centre : Row(head, 3);
    const float degrees[3] = {xDegrees, yDegrees, zDegrees};
    const D3DXVECTOR3 axes[3] = {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 1)};
    D3DXMATRIX rotations[3];
    for (int a = 0; a < 3; ++a)
        if (degrees[a] != 0.0f)
            D3DXMatrixRotationAxis(&rotations[a], &axes[a], degrees[a] * kDegreesToRadians);

    D3DXVECTOR3 position = Row(head, 3) - pivot;
    for (int a = 0; a < 3; ++a)
        if (degrees[a] != 0.0f)
            D3DXVec3TransformCoord(&position, &position, &rotations[a]);
    for (int r = 2; r >= 0; --r) {
        D3DXVECTOR3 row = Row(head, r);
        for (int a = 0; a < 3; ++a)
            if (degrees[a] != 0.0f)
                D3DXVec3TransformNormal(&row, &row, &rotations[a]);
        SetRow(head, r, row);
    }
    SetRow(head, 3, position + pivot);
    WriteHead(head);
}

void CZNEntity::Scale(const ZNBBOX *newBox, const ZNBBOX *oldBox, int fromSaved)
{
    if (!newBox || !oldBox || IsBuiltInKindC())
        return;
    BeginDragStep(fromSaved);
    D3DXMATRIX head;
    if (!ReadHead(&head))
        return;
    const ZNBBOX &n = *newBox, &o = *oldBox;
    for (int a = 0; a < 3; ++a) {
        const bool maxMoved = std::fabs(Axis(n.Max, a) - Axis(o.Max, a)) > kNear;
        const bool minMoved = std::fabs(Axis(n.Min, a) - Axis(o.Min, a)) > kNear;
        if (!maxMoved && !minMoved)
            continue;
        const D3DXVECTOR3 position = Row(head, 3);
        const float p = Axis(position, a);
        const float oldExtent = Axis(o.Max, a) - Axis(o.Min, a);
        float t;
        if (oldExtent > kNear) {
            // The head's rows are scaled on this axis once, however many sides moved.
            const float s = (Axis(n.Max, a) - Axis(n.Min, a)) / oldExtent;
            if (std::isfinite(s)) {
                D3DXVECTOR3 factors(1.0f, 1.0f, 1.0f);
                Axis(factors, a) = s;
                D3DXMATRIX scaling;
                D3DXMatrixScaling(&scaling, factors.x, factors.y, factors.z);
                SetRow(head, 3, D3DXVECTOR3(0, 0, 0));
                D3DXMatrixMultiply(&head, &head, &scaling);
                SetRow(head, 3, position);
            }
            t = (p - Axis(o.Min, a)) / oldExtent;
        } else {
            // A flat side has no ratio: the position goes with the side that moved.
            t = (maxMoved && minMoved) ? 0.5f : (maxMoved ? 1.0f : 0.0f);
        }
        float moved = p;
        if (maxMoved)
            moved += t * (Axis(n.Max, a) - Axis(o.Max, a));
        if (minMoved)
            moved -= (1.0f - t) * (Axis(o.Min, a) - Axis(n.Min, a));
        if (std::isfinite(moved)) {
            D3DXVECTOR3 result = Row(head, 3);
            Axis(result, a) = moved;
            SetRow(head, 3, result);
        }
    }
    WriteHead(head);
}

void CZNEntity::FreeFromParent()
{
    CZNGROUP::FreeFromParent(m_Group, this);
    // The group may have gone; a pointer to it must not stay behind.
    m_Group = nullptr;
}
