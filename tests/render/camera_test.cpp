#include <gtest/gtest.h>

#include <cmath>

#include "app/editor_app.h"
#include "render/camera.h"
#include "wrapper_fixture.h"

namespace
{
constexpr float kEps = 1e-4f;

void ExpectVec(const D3DXVECTOR3 &v, float x, float y, float z, float eps = kEps)
{
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

float Degrees(float radians)
{
    return radians * 180.0f / 3.14159265f;
}

class CameraTest : public ::testing::Test
{
protected:
    void SetUp() override { GetEditorApp()->Options().m_CameraMode = 0; }
    void TearDown() override { GetEditorApp()->Options().m_CameraMode = 0; }
    CZNCAMERA camera;
};
} // namespace

TEST_F(CameraTest, StartsAtTheOriginLookingDownZ)
{
    EXPECT_EQ(camera.GetObjectType(), 9);
    ExpectVec(camera.GetPosition(), 0, 0, 0);
    ExpectVec(camera.GetLook(), 0, 0, 1);
    ExpectVec(camera.GetUp(), 0, 1, 0);
    ExpectVec(camera.GetRight(), 1, 0, 0);
    EXPECT_EQ(camera.GetPitchTotal(), 0.0f);
    EXPECT_FALSE(camera.IsCached());
    ZNBBOX box = camera.GetBoundingBox();
    EXPECT_EQ(box.Min, camera.GetPosition());
    EXPECT_EQ(box.Max, camera.GetPosition());
}

TEST_F(CameraTest, MovesAlongWorldAndOwnAxes)
{
    D3DXVECTOR3 offset(10, -5, 2);
    camera.Move(&offset, 0, 0);
    ExpectVec(camera.GetPosition(), 10, -5, 2);

    // A quarter turn to the right: look along +x, right along -z.
    camera.Turn(0, 90, 0, 0, 0);
    ExpectVec(camera.GetLook(), 1, 0, 0);
    ExpectVec(camera.GetRight(), 0, 0, -1);
    D3DXVECTOR3 local(1, 2, 3);
    camera.MoveLocal(&local, 0, 0);
    ExpectVec(camera.GetPosition(), 13, -3, 1);
}

TEST_F(CameraTest, DragStepsStartAgainFromTheSnapshot)
{
    D3DXVECTOR3 step(10, 0, 0);
    camera.Move(&step, 0, 1);
    EXPECT_TRUE(camera.IsCached());
    step = D3DXVECTOR3(25, 0, 0);
    camera.Move(&step, 0, 1);
    ExpectVec(camera.GetPosition(), 25, 0, 0);
    camera.Turn(0, 30, 0, 0, 1);
    ExpectVec(camera.GetPosition(), 0, 0, 0); // the turn started from the snapshot too
    camera.RestoreFromCache();
    ExpectVec(camera.GetLook(), 0, 0, 1);
    camera.ClearCache();
    EXPECT_FALSE(camera.IsCached());
}

TEST_F(CameraTest, CopiesNeverShareTheSnapshot)
{
    D3DXVECTOR3 position(1, 2, 3);
    camera.Move(&position, 0, 1);
    CZNCAMERA copy(camera);
    EXPECT_FALSE(copy.IsCached());
    ExpectVec(copy.GetPosition(), 1, 2, 3);
    CZNCAMERA other;
    other.Cache();
    other = camera;
    EXPECT_TRUE(other.IsCached()); // keeps its own snapshot
    camera.ClearCache();
    other.RestoreFromCache();
    ExpectVec(other.GetPosition(), 0, 0, 0);
}

TEST_F(CameraTest, LookAtKeepsTheGivenUp)
{
    D3DXVECTOR3 eye(0, 0, -10), target(0, 0, 10), up(0, 2, 0);
    camera.LookAt(&eye, &target, &up, 0);
    ExpectVec(camera.GetPosition(), 0, 0, -10);
    ExpectVec(camera.GetLook(), 0, 0, 1);
    ExpectVec(camera.GetUp(), 0, 2, 0);
    ExpectVec(camera.GetRight(), 2, 0, 0); // up × look, not normalised
}

TEST_F(CameraTest, RotatesAboutAPivot)
{
    D3DXVECTOR3 eye(0, 0, -100), target(0, 0, 0), up(0, 1, 0);
    camera.LookAt(&eye, &target, &up, 0);
    camera.Rotate(&target, 0, 90, 0, 0, 0);
    // Orbiting keeps the camera looking at the pivot.
    const D3DXVECTOR3 &p = camera.GetPosition();
    EXPECT_NEAR(D3DXVec3Length(&p), 100.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(p.x), 100.0f, 1e-3f);
    D3DXVECTOR3 toPivot = -p / 100.0f;
    ExpectVec(camera.GetLook(), toPivot.x, toPivot.y, toPivot.z);

    // About its own position only the axes change.
    D3DXVECTOR3 before = camera.GetPosition();
    camera.Rotate(&before, 30, 20, 10, 0, 0);
    ExpectVec(camera.GetPosition(), before.x, before.y, before.z, 1e-3f);
    EXPECT_NEAR(D3DXVec3Dot(&camera.GetLook(), &camera.GetUp()), 0.0f, kEps);
    EXPECT_NEAR(D3DXVec3Dot(&camera.GetLook(), &camera.GetRight()), 0.0f, kEps);
}

TEST_F(CameraTest, FirstPersonPitchStopsAt89Degrees)
{
    GetEditorApp()->Options().m_CameraMode = 1;
    for (int i = 0; i < 3; ++i)
        camera.Turn(50, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(camera.GetPitchTotal(), 89.0f);
    EXPECT_NEAR(Degrees(std::asin(std::fabs(camera.GetLook().y))), 89.0f, 0.01f);
    for (int i = 0; i < 4; ++i)
        camera.Turn(-50, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(camera.GetPitchTotal(), -89.0f);
    EXPECT_NEAR(Degrees(std::asin(std::fabs(camera.GetLook().y))), 89.0f, 0.01f);

    // Roll is ignored and yaw turns about the world up: right stays level.
    D3DXVECTOR3 right = camera.GetRight();
    camera.Turn(0, 0, 30, 0, 0);
    ExpectVec(camera.GetRight(), right.x, right.y, right.z);
    camera.Turn(0, 40, 0, 0, 0);
    EXPECT_NEAR(camera.GetRight().y, 0.0f, kEps);
}

TEST_F(CameraTest, FlyCameraPitchIsFree)
{
    for (int i = 0; i < 3; ++i)
        camera.Turn(50, 0, 0, 0, 0);
    EXPECT_FLOAT_EQ(camera.GetPitchTotal(), 150.0f);
    // 150° past level: looking back and down.
    EXPECT_NEAR(camera.GetLook().z, std::cos(150.0f * 3.14159265f / 180.0f), kEps);
    camera.Turn(0, 0, 90, 0, 0);
    EXPECT_NEAR(D3DXVec3Dot(&camera.GetRight(), &camera.GetLook()), 0.0f, kEps);
}

using CameraDeviceTest = ZnWrapperTest;

TEST_F(CameraDeviceTest, SetsTheViewMatrixOnTheDevice)
{
    CZN3D &d3d = Start(100, 100);
    CZNCAMERA *camera = d3d.GetCamera();
    EXPECT_EQ(camera->GetOwner(), &d3d);
    D3DXVECTOR3 offset(5, 6, 7);
    camera->Move(&offset, 1, 0);
    camera->Turn(10, 20, 0, 1, 0);
    D3DXMATRIX view;
    d3d.GetView(&view);
    EXPECT_EQ(view, camera->GetViewMatrix());
    // The view matrix takes the eye to the origin.
    D3DXVECTOR3 eye;
    D3DXVec3TransformCoord(&eye, &camera->GetPosition(), &view);
    ExpectVec(eye, 0, 0, 0);
    D3DXMATRIX inverse;
    d3d.GetInverseView(&inverse);
    ExpectVec(D3DXVECTOR3(inverse._41, inverse._42, inverse._43), 5, 6, 7);
}

TEST_F(CameraDeviceTest, CullsBoxesAgainstTheFrustum)
{
    CZN3D &d3d = Start(100, 100);
    CZNCAMERA *camera = d3d.GetCamera();
    camera->ResetOrientation();
    struct Case {
        const char *what;
        D3DXVECTOR3 min, max;
        bool inside;
    };
    const Case cases[] = {
        {"in front", {-10, -10, 90}, {10, 10, 110}, true},
        {"behind", {-10, -10, -110}, {10, 10, -90}, false},
        {"far left", {-500, -10, 90}, {-400, 10, 110}, false},
        {"straddling the left side", {-200, -10, 90}, {0, 10, 110}, true},
        {"straddling the near plane", {-1, -1, -5}, {1, 1, 5}, true},
        {"beyond the far plane", {-10, -10, 10100}, {10, 10, 10200}, false},
        {"above", {-10, 500, 90}, {10, 600, 110}, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(camera->IsBoxInFrustum(&c.min, &c.max), c.inside) << c.what;

    // Turning the camera round brings the box behind it into view.
    camera->Turn(0, 180, 0, 1, 0);
    EXPECT_TRUE(camera->IsBoxInFrustum(&cases[1].min, &cases[1].max));
    EXPECT_FALSE(camera->IsBoxInFrustum(&cases[0].min, &cases[0].max));
}

TEST_F(CameraDeviceTest, ABoxTouchingAPlanePasses)
{
    CZN3D &d3d = Start(100, 100);
    CZNCAMERA *camera = d3d.GetCamera();
    const ZNFRUSTUMPLANE &nearPlane = camera->GetFrustumPlane(CZNCAMERA::FRUSTUM_NEAR);
    ExpectVec(nearPlane.Normal, 0, 0, -1);
    EXPECT_NEAR(nearPlane.Distance, 1.01f, 1e-4f);
    // Nearest corner exactly on the near plane: the plane's value there is 0.
    const float z = nearPlane.Distance / -nearPlane.Normal.z;
    D3DXVECTOR3 min(-1, -1, z - 1), max(1, 1, z);
    ASSERT_EQ(nearPlane.Normal.z * z + nearPlane.Distance, 0.0f);
    EXPECT_TRUE(camera->IsBoxInFrustum(&min, &max));
    max.z = z - 0.01f;
    EXPECT_FALSE(camera->IsBoxInFrustum(&min, &max));
}
