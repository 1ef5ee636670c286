#include <gtest/gtest.h>

#include <cmath>

#include "platform/math/d3dx_math.h"

namespace {

void ExpectVec(const D3DXVECTOR3 &v, float x, float y, float z, float eps = 1e-5f)
{
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

void ExpectMatrixNear(const D3DXMATRIX &a, const D3DXMATRIX &b, float eps = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << "row " << r << " col " << c;
}

} // namespace

TEST(Math, VectorBasics)
{
    D3DXVECTOR3 a(1, 2, 3), b(4, -5, 6), out;
    EXPECT_FLOAT_EQ(D3DXVec3Dot(&a, &b), 4 - 10 + 18);
    D3DXVec3Cross(&out, &a, &b);
    ExpectVec(out, 2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4);
    D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
    D3DXVec3Cross(&out, &x, &y);
    ExpectVec(out, 0, 0, 1);
    EXPECT_FLOAT_EQ(D3DXVec3Length(&a), std::sqrt(14.0f));
    ExpectVec(a + b, 5, -3, 9);
    ExpectVec(a - b, -3, 7, -3);
    ExpectVec(a * 2.0f, 2, 4, 6);
    ExpectVec(*D3DXVec3Scale(&out, &a, -1.0f), -1, -2, -3);
}

TEST(Math, NormaliseKeepsZeroVectorZero)
{
    D3DXVECTOR3 zero(0, 0, 0), out(9, 9, 9);
    D3DXVec3Normalize(&out, &zero);
    ExpectVec(out, 0, 0, 0);
    D3DXVECTOR3 v(3, 0, 4);
    D3DXVec3Normalize(&out, &v);
    ExpectVec(out, 0.6f, 0, 0.8f);
    D3DXVECTOR2 z2(0, 0), o2;
    D3DXVec2Normalize(&o2, &z2);
    EXPECT_EQ(o2, D3DXVECTOR2(0, 0));
}

TEST(Math, RotationsFollowRowVectorLeftHandedConventions)
{
    struct Case {
        const char *name;
        D3DXMATRIX m;
        D3DXVECTOR3 in, expected;
    };
    const float quarter = D3DX_PI / 2;
    D3DXMATRIX rx, ry, rz, raxis;
    D3DXMatrixRotationX(&rx, quarter);
    D3DXMatrixRotationY(&ry, quarter);
    D3DXMatrixRotationZ(&rz, quarter);
    D3DXVECTOR3 yaxis(0, 2, 0); // not unit length on purpose
    D3DXMatrixRotationAxis(&raxis, &yaxis, quarter);
    const Case cases[] = {
        {"x: y to z", rx, {0, 1, 0}, {0, 0, 1}},
        {"y: z to x", ry, {0, 0, 1}, {1, 0, 0}},
        {"z: x to y", rz, {1, 0, 0}, {0, 1, 0}},
        {"axis y: z to x", raxis, {0, 0, 1}, {1, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        D3DXVECTOR3 out;
        D3DXVec3TransformCoord(&out, &c.in, &c.m);
        ExpectVec(out, c.expected.x, c.expected.y, c.expected.z);
    }
    ExpectMatrixNear(raxis, ry);
}

TEST(Math, YawPitchRollAndQuaternionsAgree)
{
    const float yaw = 0.3f, pitch = -0.7f, roll = 1.1f;
    D3DXMATRIX fromAngles, fromQuat, rz, rx, ry;
    D3DXMatrixRotationYawPitchRoll(&fromAngles, yaw, pitch, roll);
    D3DXMatrixRotationZ(&rz, roll);
    D3DXMatrixRotationX(&rx, pitch);
    D3DXMatrixRotationY(&ry, yaw);
    ExpectMatrixNear(fromAngles, rz * rx * ry);

    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, yaw, pitch, roll);
    D3DXMatrixRotationQuaternion(&fromQuat, &q);
    ExpectMatrixNear(fromAngles, fromQuat);

    // The product applies the first rotation, then the second, like the matrices.
    D3DXQUATERNION qa, qb, qab;
    D3DXVECTOR3 axisA(1, 2, 3), axisB(-2, 0.5f, 1);
    D3DXQuaternionRotationAxis(&qa, &axisA, 0.8f);
    D3DXQuaternionRotationAxis(&qb, &axisB, -1.3f);
    D3DXQuaternionMultiply(&qab, &qa, &qb);
    D3DXMATRIX ma, mb, mab, ra;
    D3DXMatrixRotationQuaternion(&ma, &qa);
    D3DXMatrixRotationQuaternion(&mb, &qb);
    D3DXMatrixRotationQuaternion(&mab, &qab);
    ExpectMatrixNear(mab, ma * mb);
    D3DXMatrixRotationAxis(&ra, &axisA, 0.8f);
    ExpectMatrixNear(ma, ra);

    D3DXQUATERNION back;
    D3DXQuaternionRotationMatrix(&back, &ma);
    D3DXMATRIX mback;
    D3DXMatrixRotationQuaternion(&mback, &back);
    ExpectMatrixNear(mback, ma);
}

TEST(Math, TransformCoordAndNormal)
{
    D3DXMATRIX s, t, m;
    D3DXMatrixScaling(&s, 2, 3, 4);
    D3DXMatrixTranslation(&t, 10, 20, 30);
    m = s * t; // scale first, then translate
    D3DXVECTOR3 p(1, 1, 1), out;
    D3DXVec3TransformCoord(&out, &p, &m);
    ExpectVec(out, 12, 23, 34);
    D3DXVec3TransformNormal(&out, &p, &m);
    ExpectVec(out, 2, 3, 4);
}

TEST(Math, InverseOfGeneralAffineMatrix)
{
    // Rotation about a skew axis, non-uniform scale and a translation, worked back by hand:
    // M = S * R * T, so M^-1 = T^-1 * R^T * S^-1.
    D3DXMATRIX s, r, t, m;
    D3DXVECTOR3 axis(1, -2, 0.5f);
    D3DXMatrixScaling(&s, 2, 0.5f, 4);
    D3DXMatrixRotationAxis(&r, &axis, 0.9f);
    D3DXMatrixTranslation(&t, -3, 7, 11);
    m = s * r * t;

    D3DXMATRIX tInv, rT, sInv, expected;
    D3DXMatrixTranslation(&tInv, 3, -7, -11);
    D3DXMatrixTranspose(&rT, &r);
    D3DXMatrixScaling(&sInv, 0.5f, 2, 0.25f);
    expected = tInv * rT * sInv;

    D3DXMATRIX inv;
    float det = 0;
    ASSERT_NE(D3DXMatrixInverse(&inv, &det, &m), nullptr);
    EXPECT_NEAR(det, 2 * 0.5f * 4, 1e-4f);
    ExpectMatrixNear(inv, expected, 1e-5f);
    D3DXMATRIX identity, product = m * inv;
    D3DXMatrixIdentity(&identity);
    ExpectMatrixNear(product, identity, 1e-5f);
}

TEST(Math, SingularMatrixHasNoInverse)
{
    D3DXMATRIX flat, out;
    D3DXMatrixScaling(&flat, 1, 0, 1);
    D3DXMatrixIdentity(&out);
    D3DXMATRIX before = out;
    float det = 5;
    EXPECT_EQ(D3DXMatrixInverse(&out, &det, &flat), nullptr);
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(out, before);
}

TEST(Math, PointThroughPerspectiveProjection)
{
    // fov 90 degrees, aspect 2, near 1, far 101: x scale 0.5, y scale 1, q = 101/100.
    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 2, 2.0f, 1.0f, 101.0f);
    EXPECT_NEAR(proj._11, 0.5f, 1e-6f);
    EXPECT_NEAR(proj._22, 1.0f, 1e-6f);
    EXPECT_NEAR(proj._33, 1.01f, 1e-6f);
    EXPECT_EQ(proj._34, 1.0f);
    EXPECT_NEAR(proj._43, -1.01f, 1e-6f);
    EXPECT_EQ(proj._44, 0.0f);

    const struct {
        D3DXVECTOR3 in, expected;
    } cases[] = {
        {{0, 0, 1}, {0, 0, 0}},            // on the near plane: depth 0
        {{0, 0, 101}, {0, 0, 1}},          // on the far plane: depth 1
        {{4, 2, 4}, {0.5f, 0.5f, 0.7575f}}, // x = 4*0.5/4, y = 2/4, z = (4*1.01-1.01)/4
    };
    for (const auto &c : cases) {
        D3DXVECTOR3 out;
        D3DXVec3TransformCoord(&out, &c.in, &proj);
        ExpectVec(out, c.expected.x, c.expected.y, c.expected.z, 1e-5f);
    }
}

TEST(Math, LookAtPutsTargetOnPositiveZ)
{
    D3DXVECTOR3 eye(10, 0, 0), at(0, 0, 0), up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &at, &view);
    ExpectVec(out, 0, 0, 10);
    D3DXVECTOR3 above(10, 5, 0);
    D3DXVec3TransformCoord(&out, &above, &view);
    ExpectVec(out, 0, 5, 0);
    // Looking down -x with y up, world +z is to the right in a left-handed view.
    D3DXVECTOR3 side(0, 0, 1);
    D3DXVec3TransformCoord(&out, &side, &view);
    ExpectVec(out, 1, 0, 10);
}
