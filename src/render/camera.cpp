#include "render/camera.h"

#include <cmath>

#include "app/editor_app.h"
#include "platform/d3d9/direct3d_device9.h"
#include "render/direct3d.h"
#include "scene/object_type.h"

namespace
{
constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kPitchLimit = 89.0f;

bool IsFirstPerson()
{
    return GetEditorApp()->Options().m_CameraMode == 1;
}

// Turns the vector as a direction about the axis.
void TurnNormal(D3DXVECTOR3 *v, const D3DXMATRIX &m)
{
    D3DXVECTOR3 in = *v;
    D3DXVec3TransformNormal(v, &in, &m);
}

void TurnPoint(D3DXVECTOR3 *v, const D3DXMATRIX &m)
{
    D3DXVECTOR3 in = *v;
    D3DXVec3TransformCoord(v, &in, &m);
}

D3DXMATRIX AxisRotation(const D3DXVECTOR3 &axis, float degrees)
{
    D3DXMATRIX m;
    D3DXMatrixRotationAxis(&m, &axis, degrees * kDegreesToRadians);
    return m;
}
} // namespace

CZNCAMERA::CZNCAMERA()
    : m_ObjectType(ZNOBJECT_CAMERA), m_Position(0.0f, 0.0f, 0.0f), m_Look(0.0f, 0.0f, 1.0f), m_Up(0.0f, 1.0f, 0.0f),
      m_Right(1.0f, 0.0f, 0.0f), m_PitchTotal(0.0f), m_Owner(nullptr), m_Selected(0), m_Cache(nullptr), m_Frustum{}
{
}

CZNCAMERA::~CZNCAMERA()
{
    ClearCache();
}

CZNCAMERA::CZNCAMERA(const CZNCAMERA &other) : m_Cache(nullptr)
{
    CopyValues(other);
}

CZNCAMERA &CZNCAMERA::operator=(const CZNCAMERA &other)
{
    if (this != &other)
        CopyValues(other);
    return *this;
}

void CZNCAMERA::CopyValues(const CZNCAMERA &other)
{
    m_ObjectType = other.m_ObjectType;
    m_Position = other.m_Position;
    m_Look = other.m_Look;
    m_Up = other.m_Up;
    m_Right = other.m_Right;
    m_PitchTotal = other.m_PitchTotal;
    m_Owner = other.m_Owner;
    m_Selected = other.m_Selected;
    for (int i = 0; i < 6; ++i)
        m_Frustum[i] = other.m_Frustum[i];
}

void CZNCAMERA::Cache()
{
    ClearCache();
    m_Cache = new ZNCAMERACACHE{m_Position, m_Look, m_Up, m_Right, m_PitchTotal};
}

void CZNCAMERA::RestoreFromCache()
{
    if (!m_Cache)
        return;
    m_Position = m_Cache->Position;
    m_Look = m_Cache->Look;
    m_Up = m_Cache->Up;
    m_Right = m_Cache->Right;
    m_PitchTotal = m_Cache->PitchTotal;
}

void CZNCAMERA::ClearCache()
{
    delete m_Cache;
    m_Cache = nullptr;
}

void CZNCAMERA::BeginStep(int fromCache)
{
    if (!fromCache)
        return;
    if (m_Cache)
        RestoreFromCache();
    else
        Cache();
}

void CZNCAMERA::SetPositionAndAxes(const D3DXVECTOR3 *position, const D3DXVECTOR3 *look, const D3DXVECTOR3 *up,
                                   const D3DXVECTOR3 *right, int update)
{
    if (position)
        m_Position = *position;
    if (look)
        m_Look = *look;
    if (up)
        m_Up = *up;
    if (right)
        m_Right = *right;
    if (update)
        UpdateViewMatrix();
}

void CZNCAMERA::ResetOrientation()
{
    m_Look = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    m_Up = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    m_Right = D3DXVECTOR3(1.0f, 0.0f, 0.0f);
    m_PitchTotal = 0.0f;
    UpdateViewMatrix();
}

void CZNCAMERA::LookAt(const D3DXVECTOR3 *eye, const D3DXVECTOR3 *target, const D3DXVECTOR3 *up, int update)
{
    if (!eye || !target || !up)
        return;
    m_Position = *eye;
    m_Up = *up;
    D3DXVECTOR3 direction = *target - *eye;
    D3DXVec3Normalize(&m_Look, &direction);
    D3DXVec3Cross(&m_Right, &m_Up, &m_Look);
    if (update)
        UpdateViewMatrix();
}

void CZNCAMERA::Move(const D3DXVECTOR3 *offset, int update, int fromCache)
{
    if (!offset)
        return;
    BeginStep(fromCache);
    if (offset->x != 0.0f)
        m_Position.x += offset->x;
    if (offset->y != 0.0f)
        m_Position.y += offset->y;
    if (offset->z != 0.0f)
        m_Position.z += offset->z;
    if (update)
        UpdateViewMatrix();
}

void CZNCAMERA::MoveLocal(const D3DXVECTOR3 *offset, int update, int fromCache)
{
    if (!offset)
        return;
    BeginStep(fromCache);
    if (offset->x != 0.0f)
        m_Position += m_Right * offset->x;
    if (offset->y != 0.0f)
        m_Position += m_Up * offset->y;
    if (offset->z != 0.0f)
        m_Position += m_Look * offset->z;
    if (update)
        UpdateViewMatrix();
}

void CZNCAMERA::Rotate(const D3DXVECTOR3 *pivot, float aboutRight, float aboutUp, float aboutLook, int update,
                       int fromCache)
{
    if (!pivot)
        return;
    BeginStep(fromCache);
    m_Position -= *pivot;
    if (aboutRight != 0.0f) {
        D3DXMATRIX m = AxisRotation(m_Right, aboutRight);
        TurnNormal(&m_Look, m);
        TurnNormal(&m_Up, m);
        TurnPoint(&m_Position, m);
    }
    if (aboutUp != 0.0f) {
        D3DXMATRIX m = AxisRotation(m_Up, aboutUp);
        TurnNormal(&m_Look, m);
        TurnNormal(&m_Right, m);
        TurnPoint(&m_Position, m);
    }
    if (aboutLook != 0.0f) {
        D3DXMATRIX m = AxisRotation(m_Look, aboutLook);
        TurnNormal(&m_Right, m);
        TurnNormal(&m_Up, m);
        TurnPoint(&m_Position, m);
    }
    m_Position += *pivot;
    Orthonormalize();
    if (update)
        UpdateViewMatrix();
}

void CZNCAMERA::Turn(float pitch, float yaw, float roll, int update, int fromCache)
{
    BeginStep(fromCache);
    const bool firstPerson = IsFirstPerson();
    if (pitch != 0.0f) {
        m_PitchTotal += pitch;
        if (firstPerson) {
            if (m_PitchTotal > kPitchLimit) {
                pitch -= m_PitchTotal - kPitchLimit;
                m_PitchTotal = kPitchLimit;
            } else if (m_PitchTotal < -kPitchLimit) {
                pitch += -kPitchLimit - m_PitchTotal;
                m_PitchTotal = -kPitchLimit;
            }
        }
        if (pitch != 0.0f) {
            D3DXMATRIX m = AxisRotation(m_Right, pitch);
            TurnNormal(&m_Look, m);
            TurnNormal(&m_Up, m);
        }
    }
    if (yaw != 0.0f) {
        const D3DXVECTOR3 axis = firstPerson ? D3DXVECTOR3(0.0f, 1.0f, 0.0f) : m_Up;
        D3DXMATRIX m = AxisRotation(axis, yaw);
        TurnNormal(&m_Look, m);
        TurnNormal(&m_Right, m);
        TurnNormal(&m_Up, m);
    }
    if (roll != 0.0f && !firstPerson) {
        D3DXMATRIX m = AxisRotation(m_Look, roll);
        TurnNormal(&m_Right, m);
        TurnNormal(&m_Up, m);
    }
    Orthonormalize();
    if (update)
        UpdateViewMatrix();
}

void CZNCAMERA::Orthonormalize()
{
    D3DXVECTOR3 v = m_Look;
    D3DXVec3Normalize(&m_Look, &v);
    D3DXVec3Cross(&v, &m_Up, &m_Look);
    D3DXVec3Normalize(&m_Right, &v);
    D3DXVec3Cross(&v, &m_Look, &m_Right);
    D3DXVec3Normalize(&m_Up, &v);
}

D3DXMATRIX CZNCAMERA::GetViewMatrix() const
{
    return D3DXMATRIX(m_Right.x, m_Up.x, m_Look.x, 0.0f,                                     //
                      m_Right.y, m_Up.y, m_Look.y, 0.0f,                                     //
                      m_Right.z, m_Up.z, m_Look.z, 0.0f,                                     //
                      -D3DXVec3Dot(&m_Position, &m_Right), -D3DXVec3Dot(&m_Position, &m_Up), //
                      -D3DXVec3Dot(&m_Position, &m_Look), 1.0f);
}

void CZNCAMERA::UpdateViewMatrix()
{
    IDirect3DDevice9 *device = m_Owner ? m_Owner->GetDevice() : nullptr;
    if (!device)
        return;
    D3DXMATRIX view = GetViewMatrix();
    device->SetTransform(D3DTS_VIEW, &view);
    UpdateFrustum();
}

void CZNCAMERA::UpdateFrustum()
{
    IDirect3DDevice9 *device = m_Owner ? m_Owner->GetDevice() : nullptr;
    if (!device)
        return;
    D3DXMATRIX view, projection, m;
    device->GetTransform(D3DTS_VIEW, &view);
    device->GetTransform(D3DTS_PROJECTION, &projection);
    D3DXMatrixMultiply(&m, &view, &projection);

    // Column k of the matrix gives a plane's a, b, c, d; each plane is the negated inward form,
    // so its normal points out of the frustum.
    auto column = [&m](int k) { return D3DXVECTOR4(m(0, k), m(1, k), m(2, k), m(3, k)); };
    const D3DXVECTOR4 c1 = column(0), c2 = column(1), c3 = column(2), c4 = column(3);
    const D3DXVECTOR4 planes[6] = {
        -(c1 + c4), -(c4 - c1), -(c4 - c2), -(c2 + c4), -c3, -(c4 - c3),
    };
    for (int i = 0; i < 6; ++i) {
        const D3DXVECTOR4 &p = planes[i];
        float length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        if (length == 0.0f)
            length = 1.0f;
        m_Frustum[i].Normal = D3DXVECTOR3(p.x / length, p.y / length, p.z / length);
        m_Frustum[i].Distance = p.w / length;
    }
}

bool CZNCAMERA::IsBoxInFrustum(const D3DXVECTOR3 *min, const D3DXVECTOR3 *max) const
{
    if (!min || !max)
        return false;
    for (const ZNFRUSTUMPLANE &plane : m_Frustum) {
        const D3DXVECTOR3 &n = plane.Normal;
        // The corner deepest inside this plane.
        D3DXVECTOR3 corner(n.x > 0.0f ? min->x : max->x, n.y > 0.0f ? min->y : max->y, n.z > 0.0f ? min->z : max->z);
        if (n.x * corner.x + n.y * corner.y + n.z * corner.z + plane.Distance > 0.0f)
            return false;
    }
    return true;
}

ZNBBOX CZNCAMERA::GetBoundingBox() const
{
    return ZNBBOX{m_Position, m_Position};
}
