#pragma once

// CZNCAMERA: the editor's one viewpoint (object type 9), embedded in the Direct3D wrapper. The 3D
// view renders through it, tools move and turn it with the cache idiom, and the 3D view culls
// against its six frustum planes. Angles are in degrees.
#include "platform/export.h"
#include "platform/gdi/gdi_types.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"
#include "scene/bbox.h"

class CZN2DView;
class CZN3D;

// One frustum plane: a point p is outside when Normal · p + Distance > 0.
struct ZNFRUSTUMPLANE {
    float Distance;
    D3DXVECTOR3 Normal;
};

// What CZNCAMERA::Cache keeps.
struct ZNCAMERACACHE {
    D3DXVECTOR3 Position;
    D3DXVECTOR3 Look;
    D3DXVECTOR3 Up;
    D3DXVECTOR3 Right;
    float PitchTotal;
};

class ZN_API CZNCAMERA
{
public:
    // Plane order of the frustum.
    enum { FRUSTUM_LEFT = 0, FRUSTUM_RIGHT, FRUSTUM_TOP, FRUSTUM_BOTTOM, FRUSTUM_NEAR, FRUSTUM_FAR };

    CZNCAMERA();
    ~CZNCAMERA();
    // Copies take the position, axes, pitch, owner, selection and planes, never the snapshot:
    // a copy has no snapshot of its own, and assigning keeps the target's snapshot.
    CZNCAMERA(const CZNCAMERA &other);
    CZNCAMERA &operator=(const CZNCAMERA &other);

    void SetOwner(CZN3D *owner) { m_Owner = owner; }
    CZN3D *GetOwner() const { return m_Owner; }
    void Select(DWORD selected) { m_Selected = selected; }
    DWORD IsSelected() const { return m_Selected; }

    void Cache();
    void RestoreFromCache();
    void ClearCache();
    bool IsCached() const { return m_Cache != nullptr; }

    void SetPositionAndAxes(const D3DXVECTOR3 *position, const D3DXVECTOR3 *look, const D3DXVECTOR3 *up,
                            const D3DXVECTOR3 *right, int update);
    void ResetOrientation();
    void LookAt(const D3DXVECTOR3 *eye, const D3DXVECTOR3 *target, const D3DXVECTOR3 *up, int update);

    // Adds the offset along the world axes.
    void Move(const D3DXVECTOR3 *offset, int update, int fromCache);
    // Adds the offset along the camera's right, up and look axes.
    void MoveLocal(const D3DXVECTOR3 *offset, int update, int fromCache);
    // Orbits the camera about a pivot: about its right, then up, then look axis.
    void Rotate(const D3DXVECTOR3 *pivot, float aboutRight, float aboutUp, float aboutLook, int update, int fromCache);
    // Turns the camera about its own position; the first-person camera mode clamps the pitch at
    // ±89°, yaws about the world up and ignores roll.
    void Turn(float pitch, float yaw, float roll, int update, int fromCache);

    // Sets the view matrix on the owner's device and rebuilds the frustum planes from it.
    void UpdateViewMatrix();
    void UpdateFrustum();
    bool IsBoxInFrustum(const D3DXVECTOR3 *min, const D3DXVECTOR3 *max) const;
    ZNBBOX GetBoundingBox() const;

    // In a 2D view (camera_2d.cpp): true when the click is less than 6 pixels from the camera's
    // pixel on both axes; false without a view.
    bool Pick2D(CZN2DView *view, int x, int y) const;
    // A square, a line along the look axis and the label "Camera", red when selected, else white;
    // nothing without a view or a context.
    void Draw2D(CZN2DView *view, CDC *dc) const;

    // The view matrix the camera's axes and position give.
    D3DXMATRIX GetViewMatrix() const;

    BYTE GetObjectType() const { return m_ObjectType; }
    const D3DXVECTOR3 &GetPosition() const { return m_Position; }
    const D3DXVECTOR3 &GetLook() const { return m_Look; }
    const D3DXVECTOR3 &GetUp() const { return m_Up; }
    const D3DXVECTOR3 &GetRight() const { return m_Right; }
    float GetPitchTotal() const { return m_PitchTotal; }
    // The first-person pitch (degrees) built up so far, as a restored camera states it.
    void SetPitchTotal(float pitch) { m_PitchTotal = pitch; }
    const ZNFRUSTUMPLANE &GetFrustumPlane(int index) const { return m_Frustum[index]; }

private:
    void BeginStep(int fromCache);
    void Orthonormalize();
    void CopyValues(const CZNCAMERA &other);

    BYTE m_ObjectType;
    D3DXVECTOR3 m_Position;
    D3DXVECTOR3 m_Look;
    D3DXVECTOR3 m_Up;
    D3DXVECTOR3 m_Right;
    float m_PitchTotal;
    CZN3D *m_Owner;
    DWORD m_Selected;
    ZNCAMERACACHE *m_Cache;
    ZNFRUSTUMPLANE m_Frustum[6];
};
