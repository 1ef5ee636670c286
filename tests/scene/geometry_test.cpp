#include <gtest/gtest.h>

#include <cmath>

#include "scene/geometry.h"
#include "scene_test_support.h"

TEST(Geometry, SnapToGridRoundsHalvesToTheLowerMultiple)
{
    struct Case {
        float v, grid;
        int snap;
        float result;
    } cases[] = {
        {15, 10, 1, 10},  {-15, 10, 1, -20}, {-14, 10, 1, -10}, {16, 10, 1, 20},   {5, 10, 1, 0},
        {-5, 10, 1, -10}, {0, 10, 1, 0},     {23, 10, 1, 20},   {-26, 10, 1, -30}, {7.4f, 0.5f, 1, 7.5f},
        {15, 10, 0, 15},  {15, 0, 1, 15},    {15, -10, 1, 15},  {33, 5, 1, 35},
    };
    for (const auto &c : cases)
        EXPECT_FLOAT_EQ(SnapToGrid(c.v, c.grid, c.snap), c.result) << c.v << " on " << c.grid;
}

TEST(Geometry, SnapIntToGridFollowsTheSameRule)
{
    struct Case {
        int v, step, snap, result;
    } cases[] = {
        {15, 10, 1, 10},   {-15, 10, 1, -20}, {-14, 10, 1, -10}, {16, 10, 1, 20}, {14, 10, 1, 10},
        {-16, 10, 1, -20}, {7, 4, 1, 8},      {15, 10, 0, 15},   {15, 0, 1, 15},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SnapIntToGrid(c.v, c.step, c.snap), c.result) << c.v << " on " << c.step;
}

TEST(Geometry, SnapVectorsByAxisMode)
{
    EXPECT_EQ(SnapVectorToGrid(14, -16, 26, 10, 1), D3DXVECTOR3(10, -20, 30));
    EXPECT_EQ(SnapVectorToGrid(14, -16, 26, 10, 0), D3DXVECTOR3(14, -16, 26));
    struct Case {
        int mode;
        D3DXVECTOR3 result;
    } cases[] = {
        {0, {10, 16, 30}}, {1, {14, 20, 30}}, {2, {10, 20, 26}}, {3, {14, 16, 26}}, {-1, {14, 16, 26}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SnapVectorToGridAxes(14, 16, 26, 10, 1, c.mode), c.result) << "mode " << c.mode;
}

TEST(Geometry, BoxTests)
{
    ZNBBOX a{{0, 0, 0}, {10, 10, 10}};
    struct Case {
        ZNBBOX b;
        int result;
    } cases[] = {
        {{{10, 0, 0}, {20, 10, 10}}, 1},   // sharing one face
        {{{10, 10, 10}, {20, 20, 20}}, 1}, // sharing one corner
        {{{2, 2, 2}, {3, 3, 3}}, 1},       // inside
        {{{10.01f, 0, 0}, {20, 10, 10}}, 0}, {{{0, -5, 0}, {10, -0.1f, 10}}, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(BoxesIntersect(a, c.b), c.result);
        EXPECT_EQ(BoxesIntersect(c.b, a), c.result);
    }

    EXPECT_EQ(PointInBoxTolerance(D3DXVECTOR3(10, 5, 5), a, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(PointInBoxTolerance(D3DXVECTOR3(10, 5, 5), a, 0, 0, 0, 0.5f, 0, 0), 1);
    EXPECT_EQ(PointInBoxTolerance(D3DXVECTOR3(5, 5, 5), a, 0, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(PointInBoxTolerance(D3DXVECTOR3(50, 5, 5), a, 1, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(PointInBoxTolerance(D3DXVECTOR3(5, 5, 50), a, 0, 0, 1, 0, 0, 0), 1);
    EXPECT_EQ(PointInBoxTolerance(D3DXVECTOR3(5, 50, 5), a, 1, 0, 1, 0, 0, 0), 0);

    ZNBBOX merged = MergeBounds(a, ZNBBOX{{-1, 5, 5}, {5, 12, 5}});
    EXPECT_EQ(merged.Min, D3DXVECTOR3(-1, 0, 0));
    EXPECT_EQ(merged.Max, D3DXVECTOR3(10, 12, 10));
    ZNBBOX grown = MergeBoundsPoint(D3DXVECTOR3(-3, 4, 20), a);
    EXPECT_EQ(grown.Min, D3DXVECTOR3(-3, 0, 0));
    EXPECT_EQ(grown.Max, D3DXVECTOR3(10, 10, 20));
}

TEST(Geometry, RayBox)
{
    ZNBBOX box{{0, 0, 0}, {10, 10, 10}};
    D3DXVECTOR3 none(0, 0, 0), hit;
    EXPECT_EQ(IntersectRayBox(box, D3DXVECTOR3(-10, 5, 5), D3DXVECTOR3(1, 0, 0), &hit, none), 1);
    EXPECT_EQ(hit, D3DXVECTOR3(0, 5, 5));
    EXPECT_EQ(IntersectRayBox(box, D3DXVECTOR3(5, 20, 5), D3DXVECTOR3(0, -1, 0), &hit, none), 1);
    EXPECT_EQ(hit, D3DXVECTOR3(5, 10, 5));
    EXPECT_EQ(IntersectRayBox(box, D3DXVECTOR3(5, 5, 5), D3DXVECTOR3(0, 0, 1), &hit, none), 1);
    EXPECT_EQ(hit, D3DXVECTOR3(5, 5, 5));
    EXPECT_EQ(IntersectRayBox(box, D3DXVECTOR3(-10, 5, 5), D3DXVECTOR3(-1, 0, 0), nullptr, none), 0);
    EXPECT_EQ(IntersectRayBox(box, D3DXVECTOR3(-10, 15, 5), D3DXVECTOR3(1, 0, 0), nullptr, none), 0);
    // The tolerance widens the box on the two other axes.
    EXPECT_EQ(IntersectRayBox(box, D3DXVECTOR3(-10, 10.5f, 5), D3DXVECTOR3(1, 0, 0), nullptr, D3DXVECTOR3(1, 1, 1)), 1);
    D3DXVECTOR3 diagonal(1, 1, 0);
    EXPECT_EQ(IntersectRayBox(box, D3DXVECTOR3(-5, -2, 5), diagonal, &hit, none), 1);
    EXPECT_EQ(hit, D3DXVECTOR3(0, 3, 5));
}

TEST(Geometry, SegmentsAndPlanes)
{
    // Beside the exact start of the segment, in the middle, and beyond the end.
    EXPECT_EQ(DistancePointToSegment(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0), D3DXVECTOR3(0, 3, 0)), 99999.0f);
    EXPECT_FLOAT_EQ(DistancePointToSegment(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0), D3DXVECTOR3(4, 3, 0)), 3.0f);
    EXPECT_EQ(DistancePointToSegment(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(10, 0, 0), D3DXVECTOR3(12, 1, 0)), 99999.0f);

    D3DXVECTOR3 point;
    float t = -1;
    const D3DXVECTOR3 q(0, 0, 5), n(0, 0, 1);
    EXPECT_EQ(IntersectSegmentPlane(D3DXVECTOR3(0, 0, 5), D3DXVECTOR3(10, 0, 5), q, n, &point, &t), 0);
    EXPECT_EQ(IntersectSegmentPlane(D3DXVECTOR3(1, 2, 0), D3DXVECTOR3(1, 2, 5), q, n, &point, &t), 1);
    EXPECT_EQ(t, 1.0f);
    EXPECT_EQ(point, D3DXVECTOR3(1, 2, 5));
    EXPECT_EQ(IntersectSegmentPlane(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 20), q, n, &point, &t), 1);
    EXPECT_FLOAT_EQ(t, 0.25f);
    EXPECT_EQ(IntersectSegmentPlane(D3DXVECTOR3(0, 0, 6), D3DXVECTOR3(0, 0, 20), q, n, nullptr, nullptr), 0);

    D3DXVECTOR2 p2;
    EXPECT_EQ(IntersectSegmentLine2D(D3DXVECTOR3(0, 0, 7), D3DXVECTOR3(10, 0, -7), D3DXVECTOR3(4, 0, 0),
                                     D3DXVECTOR3(1, 0, 0), &p2, &t),
              1);
    EXPECT_FLOAT_EQ(t, 0.4f);
    EXPECT_FLOAT_EQ(p2.x, 4.0f);
    EXPECT_EQ(IntersectSegmentLine2D(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 10, 0), D3DXVECTOR3(4, 0, 0),
                                     D3DXVECTOR3(1, 0, 0), &p2, &t),
              0);

    struct Case {
        float z;
        int side;
    } cases[] = {
        {0.01f, ZNPLANE_ON}, {-0.01f, ZNPLANE_ON}, {0.0f, ZNPLANE_ON}, {0.02f, ZNPLANE_FRONT}, {-0.02f, ZNPLANE_BACK}};
    for (const auto &c : cases)
        EXPECT_EQ(ClassifyPointPlane(D3DXVECTOR3(3, 4, c.z), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 0, 0)), c.side)
            << c.z;
}

TEST(Geometry, SmallHelpers)
{
    EXPECT_EQ(PointsNear(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0.5f, -0.5f, 0.5f), 1.0f), 1);
    EXPECT_EQ(PointsNear(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1.0f, 0, 0), 1.0f), 0);
    EXPECT_EQ(FloatsEqual(1.0f, 1.005f), 1);
    EXPECT_EQ(FloatsEqual(1.0f, 1.02f), 0);

    ZNVERTEX v = MakeVertex(D3DXVECTOR3(1, 2, 3), 0, 1, 0);
    EXPECT_EQ(v.x, 1);
    EXPECT_EQ(v.z, 3);
    EXPECT_EQ(v.ny, 1);
    EXPECT_EQ(v.tu, 0);
    EXPECT_EQ(v.tv2, 0);
    D3DXVECTOR3 n =
        ComputeTriangleNormal(MakeVertexFromFloats(0, 0, 0, 0, 0, 0), MakeVertexFromFloats(0, 10, 0, 0, 0, 0),
                              MakeVertexFromFloats(10, 10, 0, 0, 0, 0));
    EXPECT_EQ(n, D3DXVECTOR3(0, 0, -1));
}

TEST_F(MaterialListTest, FaceIntersectsBoxByClippingOrByVerticesAndEdges)
{
    ZNBBOX box{{0, 0, 0}, {10, 10, 10}};
    struct Case {
        std::vector<P3> points;
        int clipped;    // mode 0
        int vertexEdge; // mode 1
    } cases[] = {
        {{{2, 2, 5}, {2, 8, 5}, {8, 8, 5}}, 1, 1},                    // inside
        {{{-5, 5, 5}, {5, 5, 5}, {5, 15, 5}}, 1, 1},                  // one vertex inside
        {{{-5, -5, 5}, {-5, 15, 5}, {15, 15, 5}, {15, -5, 5}}, 1, 0}, // covers the box, no vertex or edge inside
        {{{20, 0, 0}, {20, 10, 0}, {30, 10, 0}}, 0, 0},               // outside
        {{{-5, 2, 2}, {15, 2, 2}, {15, 3, 2}}, 1, 1},                 // an edge passes through
    };
    SizedTexture texture(32, 32);
    for (const auto &c : cases) {
        ZNFACE face;
        FillFace(face, c.points);
        face.SetTexture(&texture);
        EXPECT_EQ(FaceIntersectsBox(box, &face, 0), c.clipped);
        EXPECT_EQ(FaceIntersectsBox(box, &face, 1), c.vertexEdge);
        // The test never changes the face or its references.
        EXPECT_EQ(face.GetVertexCount(), static_cast<short>(c.points.size()));
        EXPECT_EQ(texture.GetRefCount(), 1);
        EXPECT_EQ(Refs(0), 1);
    }
}
