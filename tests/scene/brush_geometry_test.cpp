#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "scene/brush.h"
#include "scene/face_index_list.h"
#include "support/shapes.h"

namespace
{

void ExpectNear(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, float tolerance = 1e-4f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

D3DXVECTOR3 FaceCentre(ZNFACE *face)
{
    D3DXVECTOR3 sum(0, 0, 0);
    for (short j = 0; j < face->GetVertexCount(); ++j)
        sum += face->GetVector(j);
    return sum / static_cast<float>(face->GetVertexCount());
}

// The faces named by the shared-position list of one vertex.
std::vector<LONG> SharedFaces(ZNBRUSH &brush, DWORD face, short vertex)
{
    std::vector<LONG> out;
    LONG index = brush.GetFace(face)->m_VertexFaceListIndices[vertex];
    ZNFACEINDEXLIST *list = index < 0 ? nullptr : brush.m_SharedFaceInfo.GetFaceIndexList(static_cast<DWORD>(index));
    if (list)
        for (DWORD i = 0; i < list->GetIndexCount(); ++i)
            out.push_back(list->GetIndex(i));
    return out;
}

struct ShapeCase {
    std::string name;
    std::function<void(ZNBRUSH &)> build;
    DWORD faces;
    ZNBBOX box;
    D3DXVECTOR3 inside;
    DWORD sharedLists; // distinct corner positions
};

const float kR = 8.0f;

std::vector<ShapeCase> Shapes()
{
    return {
        {"cube",
         [](ZNBRUSH &b) {
             ZnBuildBox(b, {-4, 0, 2}, {6, 10, 12});
         },
         6,
         {{-4, 0, 2}, {6, 10, 12}},
         {1, 5, 7},
         8},
        {"wedge",
         [](ZNBRUSH &b) {
             ZnBuildWedge(b, {0, 0, 0}, {10, 10, 20});
         },
         5,
         {{0, 0, 0}, {10, 10, 20}},
         {2, 2, 10},
         6},
        {"cylinder",
         [](ZNBRUSH &b) {
             ZnBuildCylinder(b, {0, 0, 0}, kR, 30, 16);
         },
         18,
         {{-kR, 0, -kR}, {kR, 30, kR}},
         {0, 15, 0},
         32},
    };
}

} // namespace

TEST(BrushGeometry, BoundsAndOutwardNormalsOfRealShapes)
{
    for (const ShapeCase &shape : Shapes()) {
        SCOPED_TRACE(shape.name);
        ZNBRUSH brush;
        shape.build(brush);
        ASSERT_EQ(brush.GetFaceCount(), shape.faces);

        const ZNBBOX box = brush.GetBoundingBox(0);
        ExpectNear(box.Min, shape.box.Min);
        ExpectNear(box.Max, shape.box.Max);
        // The placement sits at the centre of the box, and recomputing does not move it on.
        const D3DXVECTOR3 centre = (box.Min + box.Max) * 0.5f;
        brush.UpdateBoundingBox();
        brush.UpdateBoundingBox();
        EXPECT_EQ(D3DXVECTOR3(brush.m_Transform._41, brush.m_Transform._42, brush.m_Transform._43), centre);

        for (DWORD i = 0; i < brush.GetFaceCount(); ++i) {
            ZNFACE *face = brush.GetFace(i);
            EXPECT_NEAR(D3DXVec3Length(&face->m_Normal), 1.0f, 1e-5f) << i;
            D3DXVECTOR3 out = FaceCentre(face) - shape.inside;
            EXPECT_GT(D3DXVec3Dot(&face->m_Normal, &out), 0.0f) << "face " << i << " points inwards";
            // Every vertex lies on the face's own plane.
            for (short j = 0; j < face->GetVertexCount(); ++j) {
                D3DXVECTOR3 d = face->GetVector(j) - face->GetVector(0);
                EXPECT_NEAR(D3DXVec3Dot(&d, &face->m_Normal), 0.0f, 1e-3f);
            }
            ExpectNear(face->m_CenterPoint, (brush.GetBoundingBox(i).Min + brush.GetBoundingBox(i).Max) * 0.5f);
        }
        EXPECT_EQ(brush.m_SharedFaceInfo.GetFaceIndexListCount(), shape.sharedLists);
    }
}

TEST(BrushGeometry, FaceBoxAndKnownNormals)
{
    ZNBRUSH wedge;
    ZnBuildWedge(wedge, {0, 0, 0}, {10, 10, 20});
    ExpectNear(wedge.GetFace(2)->m_Normal, D3DXVECTOR3(1, 1, 0) / std::sqrt(2.0f)); // the slope
    ExpectNear(wedge.GetFace(0)->m_Normal, D3DXVECTOR3(0, -1, 0));
    ExpectNear(wedge.GetFace(3)->m_Normal, D3DXVECTOR3(0, 0, -1));

    ZNBBOX slope = wedge.GetBoundingBox(2u);
    EXPECT_EQ(slope.Min, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(slope.Max, D3DXVECTOR3(10, 10, 20));
    ZNBBOX none = wedge.GetBoundingBox(5u);
    EXPECT_EQ(none.Min, D3DXVECTOR3(1000000, 1000000, 1000000));
    EXPECT_EQ(none.Max, D3DXVECTOR3(-1000000, -1000000, -1000000));

    // A face with a repeated vertex still gets the normal of its plane.
    ZNBRUSH brush;
    ZnPolygon corners = {{0, 0, 0}, {0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    ZNFACE *face = brush.AddFace(static_cast<short>(corners.size()));
    for (short i = 0; i < 5; ++i)
        face->SetVertex(i, corners[i]);
    brush.CalculateFaceNormals(0u);
    ExpectNear(face->m_Normal, D3DXVECTOR3(0, 0, 1));
    brush.CalculateFaceNormals(1u); // out of range: nothing
}

TEST(BrushGeometry, SharedPositionListsOfCubeAndCylinder)
{
    ZNBRUSH cube;
    ZnBuildBox(cube, {0, 0, 0}, {1, 1, 1});
    for (DWORD f = 0; f < 6; ++f) {
        for (short j = 0; j < 4; ++j) {
            std::vector<LONG> faces = SharedFaces(cube, f, j);
            ASSERT_EQ(faces.size(), 3u) << f << " " << j;
            // Each list holds faces that really have a vertex at that position.
            for (LONG g : faces) {
                bool found = false;
                for (short m = 0; m < 4; ++m)
                    found = found || cube.GetFace(g)->GetVector(m) == cube.GetFace(f)->GetVector(j);
                EXPECT_TRUE(found);
            }
        }
    }
    // The face that opened a list comes last, after the others in face order.
    EXPECT_EQ(SharedFaces(cube, 0, 0).back(), 0);

    ZNBRUSH cylinder;
    ZnBuildCylinder(cylinder, {0, 0, 0}, kR, 30, 16);
    // Side 0 and the top cap meet side 1 and side 15 at their top corners.
    for (short j = 0; j < 16; ++j) {
        std::vector<LONG> faces = SharedFaces(cylinder, 17, j);
        ASSERT_EQ(faces.size(), 3u);
    }
    // The bottom corner of side 0 at angle 0 belongs to side 15, side 0 and the bottom cap.
    short bottom = 0;
    while (!(cylinder.GetFace(0)->GetVector(bottom) == D3DXVECTOR3(kR, 0, 0)))
        ASSERT_LT(++bottom, 4);
    std::vector<LONG> corner = SharedFaces(cylinder, 0, bottom);
    std::sort(corner.begin(), corner.end());
    EXPECT_EQ(corner, (std::vector<LONG>{0, 15, 16}));

    // One face alone has no lists.
    ZNBRUSH single;
    ZnAddPolygon(single, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, {0, 0, -1});
    single.UpdateSharedFaceInfo();
    EXPECT_EQ(single.m_SharedFaceInfo.GetFaceIndexListCount(), 0u);
}

// Positions a hundredth apart or less, where the order of the search shows: each face gives its
// first near vertex (not the one of least x), a gap of exactly 0.01 is not near, and a later list
// takes over a vertex an earlier one had. The search goes face by face in a small brush and in
// one with a NaN corner, and through the positions sorted by x in a larger one (padded here with
// far-away triangles); the lists must be the same.
enum class SharedCase { Finite, WithNaNCorner, AmongManyVertices };

class SharedPositionOrder : public testing::TestWithParam<SharedCase>
{
};

TEST_P(SharedPositionOrder, FirstNearVertexPerFaceInFaceOrder)
{
    ZNBRUSH brush;
    auto add = [&](std::initializer_list<D3DXVECTOR3> corners) {
        ZNFACE *face = brush.AddFace(static_cast<short>(corners.size()));
        short i = 0;
        for (const D3DXVECTOR3 &p : corners)
            face->SetVertex(i++, p);
    };
    add({{0, 0, 0}, {10, 0, 0}, {10, 1, 0}});
    add({{0.008f, 0, 0}, {11, 0, 0}, {11, 1, 0}});
    add({{20, 0, 0}, {0.016f, 0, 0}, {20, 1, 0}});
    add({{30, 0, 0}, {0.003f, 0, 0}, {-0.003f, 0, 0}});
    add({{0.01f, 0, 0}, {40, 0, 0}, {40, 1, 0}});
    const bool nan = GetParam() == SharedCase::WithNaNCorner;
    if (nan)
        add({{std::nanf(""), 0, 0}, {50, 0, 0}, {50, 1, 0}});
    constexpr DWORD kPadding = 30; // triangles, 90 vertices with a list each
    if (GetParam() == SharedCase::AmongManyVertices)
        for (DWORD t = 0; t < kPadding; ++t) {
            const float x = 1000.0f + 10.0f * static_cast<float>(t);
            add({{x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}});
        }
    brush.UpdateSharedFaceInfo();

    const DWORD padded = GetParam() == SharedCase::AmongManyVertices ? 3 * kPadding : 0;
    EXPECT_EQ(brush.m_SharedFaceInfo.GetFaceIndexListCount(), (nan ? 15u : 12u) + padded);
    // Face 3's vertex 1 (x 0.003) joins face 0's list, not its vertex 2 (x -0.003).
    EXPECT_EQ(SharedFaces(brush, 3, 1), (std::vector<LONG>{1, 3, 0}));
    // Face 2's corner reaches face 1 (0.008 away) and face 4 (0.006), not face 0 (0.016) or
    // face 3; face 1's corner moves over to this later list.
    EXPECT_EQ(SharedFaces(brush, 2, 1), (std::vector<LONG>{1, 4, 2}));
    EXPECT_EQ(SharedFaces(brush, 1, 0), (std::vector<LONG>{1, 4, 2}));
    EXPECT_EQ(SharedFaces(brush, 4, 0), (std::vector<LONG>{1, 4, 2}));
    // Face 3's vertex 2 opens the last shared list, which takes face 0's corner over.
    EXPECT_EQ(SharedFaces(brush, 3, 2), (std::vector<LONG>{0, 3}));
    EXPECT_EQ(SharedFaces(brush, 0, 0), (std::vector<LONG>{0, 3}));
    EXPECT_EQ(SharedFaces(brush, 0, 1), (std::vector<LONG>{0}));
    if (nan) {
        EXPECT_EQ(SharedFaces(brush, 5, 0), (std::vector<LONG>{5}));
    }
}

INSTANTIATE_TEST_SUITE_P(BrushGeometry, SharedPositionOrder,
                         testing::Values(SharedCase::Finite, SharedCase::WithNaNCorner, SharedCase::AmongManyVertices),
                         [](const testing::TestParamInfo<SharedCase> &info) {
                             switch (info.param) {
                             case SharedCase::WithNaNCorner:
                                 return std::string("WithNaNCorner");
                             case SharedCase::AmongManyVertices:
                                 return std::string("AmongManyVertices");
                             default:
                                 return std::string("Finite");
                             }
                         });

// A grid of 40 × 40 squares (3200 triangles) with one corner of one face made non-finite: that
// corner's list holds its own face only, and every other vertex keeps the list it has in the
// plain grid, less that face where it shared the corner.
class NonFiniteCorner : public testing::TestWithParam<float>
{
};

TEST_P(NonFiniteCorner, MatchesNothingAndLeavesTheOtherListsAlone)
{
    ZNBRUSH plain, spoilt;
    ZnAddTriangleGrid(plain, 40, 40);
    ZnAddTriangleGrid(spoilt, 40, 40);
    // Face 2 * (40 * 20 + 20) is the lower triangle of a square in the middle; its vertex 0 is
    // an inner corner of six triangles.
    const DWORD face = 2 * (40 * 20 + 20);
    const D3DXVECTOR3 corner = plain.GetFace(face)->GetVector(0);
    spoilt.GetFace(face)->SetVertex(0, D3DXVECTOR3(corner.x, GetParam(), corner.z));
    plain.UpdateSharedFaceInfo();
    spoilt.UpdateSharedFaceInfo();

    EXPECT_EQ(SharedFaces(plain, face, 0).size(), 6u);
    EXPECT_EQ(SharedFaces(spoilt, face, 0), (std::vector<LONG>{static_cast<LONG>(face)}));
    for (DWORD f = 0; f < plain.GetFaceCount(); ++f)
        for (short j = 0; j < 3; ++j) {
            if (f == face && j == 0)
                continue;
            std::vector<LONG> want = SharedFaces(plain, f, j);
            std::vector<LONG> got = SharedFaces(spoilt, f, j);
            if (plain.GetFace(f)->GetVector(j) == corner) {
                want.erase(std::remove(want.begin(), want.end(), static_cast<LONG>(face)), want.end());
                std::sort(want.begin(), want.end());
                std::sort(got.begin(), got.end());
            }
            ASSERT_EQ(got, want) << f << " " << j;
        }
}

INSTANTIATE_TEST_SUITE_P(BrushGeometry, NonFiniteCorner,
                         testing::Values(std::nanf(""), std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity()),
                         [](const testing::TestParamInfo<float> &info) {
                             return std::string(std::isnan(info.param) ? "NaN"
                                                : info.param > 0      ? "Infinite"
                                                                      : "NegativeInfinite");
                         });

// The same grid with every corner moved onto one point, or onto distinct points within a
// thousandth of it: the position is grouped once, into one list that names every face once
// (the face that opened it last), and every vertex points at it.
class CollapsedGrid : public testing::TestWithParam<float>
{
};

TEST_P(CollapsedGrid, IsOneListOfEveryFace)
{
    ZNBRUSH brush;
    ZnAddTriangleGrid(brush, 40, 40);
    const float step = GetParam();
    int k = 0;
    for (DWORD f = 0; f < brush.GetFaceCount(); ++f)
        for (short j = 0; j < 3; ++j, ++k)
            brush.GetFace(f)->SetVertex(j, D3DXVECTOR3(5.0f + step * static_cast<float>(k % 97), 5, 5));
    brush.UpdateSharedFaceInfo();

    ASSERT_EQ(brush.m_SharedFaceInfo.GetFaceIndexListCount(), 1u);
    std::vector<LONG> want;
    for (LONG f = 1; f < static_cast<LONG>(brush.GetFaceCount()); ++f)
        want.push_back(f);
    want.push_back(0);
    EXPECT_EQ(SharedFaces(brush, 0, 0), want);
    for (DWORD f = 0; f < brush.GetFaceCount(); ++f)
        for (short j = 0; j < 3; ++j)
            ASSERT_EQ(brush.GetFace(f)->m_VertexFaceListIndices[j], 0) << f << " " << j;
}

INSTANTIATE_TEST_SUITE_P(BrushGeometry, CollapsedGrid, testing::Values(0.0f, 1e-5f),
                         [](const testing::TestParamInfo<float> &info) {
                             return std::string(info.param == 0.0f ? "OnePoint" : "WithinAThousandth");
                         });

// Many faces at one position that is apart from the others: a fan of 100 triangles round an
// apex. The crowded apex gives the list a face-by-face search gives (the other faces in order,
// then the first), and each rim corner the two triangles that meet there.
TEST(BrushGeometry, CrowdedApexListsLikeAnyOtherPosition)
{
    ZNBRUSH fan;
    constexpr int kSides = 100;
    auto rim = [](int i) {
        const double a = 2.0 * 3.14159265358979323846 * (i % kSides) / kSides;
        return D3DXVECTOR3(static_cast<float>(10.0 * std::cos(a)), 0, static_cast<float>(10.0 * std::sin(a)));
    };
    for (int i = 0; i < kSides; ++i)
        ZnAddPolygon(fan, {{0, 5, 0}, rim(i), rim(i + 1)}, {0, -1, 0});
    fan.UpdateSharedFaceInfo();

    std::vector<LONG> apex;
    for (LONG f = 1; f < kSides; ++f)
        apex.push_back(f);
    apex.push_back(0);
    for (DWORD f = 0; f < kSides; ++f)
        for (short j = 0; j < 3; ++j) {
            const bool atApex = fan.GetFace(f)->GetVector(j) == D3DXVECTOR3(0, 5, 0);
            ASSERT_EQ(SharedFaces(fan, f, j).size(), atApex ? static_cast<size_t>(kSides) : 2u) << f << " " << j;
            if (atApex) {
                ASSERT_EQ(SharedFaces(fan, f, j), apex);
            }
        }
    EXPECT_EQ(fan.m_SharedFaceInfo.GetFaceIndexListCount(), 1u + kSides);
}

TEST(BrushGeometry, VertexNormalsFollowTheCreaseRule)
{
    ZNBRUSH cube;
    ZnBuildBox(cube, {0, 0, 0}, {2, 2, 2});
    // With the crease rule the faces meeting at 90 degrees stay apart.
    cube.CalculateVertexNormals(1);
    for (DWORD f = 0; f < 6; ++f)
        for (short j = 0; j < 4; ++j)
            ExpectNear(cube.GetFace(f)->GetVertexNormal(j), cube.GetFace(f)->m_Normal);
    // Without it every corner points diagonally out of the cube.
    cube.CalculateVertexNormals(0);
    const D3DXVECTOR3 centre(1, 1, 1);
    for (DWORD f = 0; f < 6; ++f) {
        for (short j = 0; j < 4; ++j) {
            D3DXVECTOR3 diagonal = cube.GetFace(f)->GetVector(j) - centre;
            D3DXVec3Normalize(&diagonal, &diagonal);
            ExpectNear(cube.GetFace(f)->GetVertexNormal(j), diagonal);
        }
    }

    // Neighbouring sides of the cylinder meet at 22.5 degrees: their corner normals are
    // smoothed to point straight out, while the caps stay apart.
    ZNBRUSH cylinder;
    ZnBuildCylinder(cylinder, {0, 0, 0}, kR, 30, 16);
    ZNFACE *side = cylinder.GetFace(0);
    for (short j = 0; j < 4; ++j) {
        D3DXVECTOR3 p = side->GetVector(j);
        D3DXVECTOR3 radial(p.x, 0, p.z);
        D3DXVec3Normalize(&radial, &radial);
        ExpectNear(side->GetVertexNormal(j), radial);
    }
    ExpectNear(cylinder.GetFace(17)->GetVertexNormal(0), D3DXVECTOR3(0, 1, 0));
}

TEST(BrushGeometry, CreaseLimitMatchesTheAngleTestAroundItAndAtTheEnds)
{
    // The comparison that replaces the arc cosine must agree with it on every float near the
    // boundary (where a rounding step could flip it) and at the ends of the range.
    const float limit = ZnCreaseCosineLimit();
    EXPECT_NEAR(limit, 0.5f, 1e-5f);
    float below = limit, above = limit;
    for (int i = 0; i < 4096; ++i) {
        below = std::nextafter(below, -2.0f);
        above = std::nextafter(above, 2.0f);
        EXPECT_FALSE(ZnCreaseKeeps(below)) << below;
        EXPECT_TRUE(ZnCreaseKeeps(above)) << above;
    }
    EXPECT_TRUE(ZnCreaseKeeps(limit));
    for (float dot : {-1.0f, -0.5f, 0.0f, 0.49f, 0.51f, 0.9f, 1.0f})
        EXPECT_EQ(ZnCreaseKeeps(dot), dot >= limit) << dot;
}

TEST(BrushGeometry, ValidationDeletesEmptyFacesAndRejectsEmptyBrushes)
{
    ZNBRUSH none;
    EXPECT_EQ(none.Validate(), 0);

    // Faces without any vertex data: nothing is left, the brush is rejected.
    ZNBRUSH hollow;
    hollow.AddFaces(3, 0);
    EXPECT_EQ(hollow.Validate(), 0);
    EXPECT_EQ(hollow.GetFaceCount(), 0u);

    // A cube with two adjacent empty faces between its real ones keeps the six real faces.
    ZNBRUSH cube;
    ZnBuildBox(cube, {0, 0, 0}, {4, 4, 4});
    ZNFACE *first = cube.DetachFace(4u);
    ZNFACE *second = cube.DetachFace(4u);
    cube.AddFaces(2, 0);
    cube.AttachFace(first);
    cube.AttachFace(second);
    ASSERT_EQ(cube.GetFaceCount(), 8u);
    cube.m_Bounds = ZNBBOX{{0, 0, 0}, {0, 0, 0}};
    EXPECT_EQ(cube.Validate(), 1);
    EXPECT_EQ(cube.GetFaceCount(), 6u);
    EXPECT_EQ(cube.GetFace(4), first);
    EXPECT_EQ(cube.GetBoundingBox(0).Max, D3DXVECTOR3(4, 4, 4)); // recomputed
}

TEST(BrushGeometry, FoldedFaceIsReportedOrSplitIntoFlatPieces)
{
    auto foldedCube = [](ZNBRUSH &cube) {
        ZnBuildBox(cube, {0, 0, 0}, {10, 10, 10});
        // Lift the last corner of the top face off its plane.
        ZNFACE *top = cube.GetFace(5);
        D3DXVECTOR3 p = top->GetVector(3);
        top->SetVertex(3, p + D3DXVECTOR3(0, 0, 2));
        return top;
    };

    ZNBRUSH flat;
    ZnBuildBox(flat, {0, 0, 0}, {10, 10, 10});
    EXPECT_EQ(flat.CheckFoldedPolygons(0, 0), 0);
    EXPECT_EQ(flat.CheckFoldedPolygons(6u, 1, 0), 0);

    // Reporting only leaves the brush as it is.
    ZNBRUSH reported;
    ZNFACE *top = foldedCube(reported);
    EXPECT_EQ(reported.CheckFoldedPolygons(5u, 0, 0), 1);
    EXPECT_EQ(reported.GetFaceCount(), 6u);
    EXPECT_EQ(reported.GetFace(5), top);
    EXPECT_EQ(reported.CheckFoldedPolygons(0, 0), 1);

    // Splitting makes two triangles sharing the old first vertex, appended after the others,
    // and the lifted corner's selection goes to the piece that takes it.
    ZNBRUSH split;
    top = foldedCube(split);
    ZNFACE *side = split.GetFace(0);
    const ZNVERTEX corner0 = top->GetVertex(0), corner2 = top->GetVertex(2), corner3 = top->GetVertex(3);
    top->SelectFace(1);
    top->SelectVertex(3, 1);
    top->m_UPos = 4.0f;
    EXPECT_EQ(split.CheckFoldedPolygons(1, 0), 1);
    ASSERT_EQ(split.GetFaceCount(), 7u);
    EXPECT_EQ(split.GetFace(0), side);
    for (DWORD i = 5; i < 7; ++i) {
        ZNFACE *piece = split.GetFace(i);
        ASSERT_EQ(piece->GetVertexCount(), 3);
        EXPECT_EQ(piece->GetVector(0), D3DXVECTOR3(corner0.x, corner0.y, corner0.z));
        EXPECT_EQ(piece->m_UPos, 4.0f);
        EXPECT_EQ(split.CheckFoldedPolygons(i, 0, 0), 0); // each piece is flat
    }
    ZNFACE *second = split.GetFace(6);
    EXPECT_EQ(second->GetVector(1), D3DXVECTOR3(corner2.x, corner2.y, corner2.z));
    EXPECT_EQ(second->GetVector(2), D3DXVECTOR3(corner3.x, corner3.y, corner3.z));
    EXPECT_EQ(second->IsVertexSelected(2), 1);
    EXPECT_EQ(second->IsFaceSelected(), 1);
    EXPECT_EQ(split.GetFace(5)->IsFaceSelected(), 0); // holds no selected vertex

    // Keeping the selection touches no selection byte.
    ZNBRUSH kept;
    top = foldedCube(kept);
    top->SelectFace(1);
    top->SelectVertex(3, 1);
    EXPECT_EQ(kept.CheckFoldedPolygons(5u, 1, 1), 1);
    ASSERT_EQ(kept.GetFaceCount(), 7u);
    EXPECT_EQ(kept.GetFace(5)->IsFaceSelected(), 1);
    EXPECT_EQ(kept.GetFace(6)->IsVertexSelected(2), 0);
}
