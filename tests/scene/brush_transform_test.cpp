#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "scene/brush.h"
#include "support/shapes.h"

namespace
{

void ExpectNear(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, float tolerance = 1e-4f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

D3DXVECTOR3 Translation(const ZNBRUSH &brush)
{
    return D3DXVECTOR3(brush.m_Transform._41, brush.m_Transform._42, brush.m_Transform._43);
}

// Counts the vertices of the brush, over all faces, that sit at p.
int CountAt(ZNBRUSH &brush, const D3DXVECTOR3 &p)
{
    int n = 0;
    for (DWORD i = 0; i < brush.GetFaceCount(); ++i)
        for (short j = 0; j < brush.GetFace(i)->GetVertexCount(); ++j) {
            D3DXVECTOR3 d = brush.GetFace(i)->GetVector(j) - p;
            if (D3DXVec3Length(&d) < 1e-4f)
                ++n;
        }
    return n;
}

// The index of the vertex of a face at p; -1 when none.
short VertexAt(ZNFACE *face, const D3DXVECTOR3 &p)
{
    for (short j = 0; j < face->GetVertexCount(); ++j)
        if (face->GetVector(j) == p)
            return j;
    return -1;
}

// A cube 0..10 with its top face (+z, index 5) selected.
constexpr DWORD kTop = 5;

void BuildCube(ZNBRUSH &cube)
{
    ZnBuildBox(cube, {0, 0, 0}, {10, 10, 10});
}

} // namespace

TEST(BrushMove, WholeBrushMovesVerticesAndPlacementButNotTheStoredBox)
{
    ZNBRUSH cube;
    BuildCube(cube);
    D3DXVECTOR3 offset(1, 2, 3);
    cube.MoveBrush(&offset, 0);
    EXPECT_EQ(CountAt(cube, {1, 2, 3}), 3);
    EXPECT_EQ(CountAt(cube, {11, 12, 13}), 3);
    EXPECT_EQ(CountAt(cube, {0, 0, 0}), 0);
    ExpectNear(Translation(cube), D3DXVECTOR3(6, 7, 8));
    EXPECT_EQ(cube.GetBoundingBox(0).Max, D3DXVECTOR3(10, 10, 10));
    EXPECT_EQ(cube.IsCached(), 0);
}

TEST(BrushMove, FaceCarriesTheCornersOfTheOtherFaces)
{
    ZNBRUSH cube;
    BuildCube(cube);
    cube.GetFace(kTop)->SelectFace(1);
    D3DXVECTOR3 up(0, 0, 5);
    cube.MoveFace(&up, kTop, 0);
    // Every top corner, in all three faces that meet there, is now at z 15; the bottom stays.
    for (float x : {0.0f, 10.0f})
        for (float y : {0.0f, 10.0f}) {
            EXPECT_EQ(CountAt(cube, {x, y, 15}), 3);
            EXPECT_EQ(CountAt(cube, {x, y, 10}), 0);
            EXPECT_EQ(CountAt(cube, {x, y, 0}), 3);
        }

    // A move within the face's own plane by a whole edge moves every corner once.
    ZNBRUSH slid;
    BuildCube(slid);
    slid.GetFace(kTop)->SelectFace(1);
    D3DXVECTOR3 along(10, 0, 0);
    slid.MoveFace(&along, kTop, 0);
    EXPECT_EQ(CountAt(slid, {20, 0, 10}), 3);
    EXPECT_EQ(CountAt(slid, {10, 0, 10}), 3);
    EXPECT_EQ(CountAt(slid, {0, 0, 10}), 0);
    EXPECT_EQ(CountAt(slid, {30, 0, 10}), 0);
}

TEST(BrushMove, VertexCarriesTheSamePositionInEveryFace)
{
    ZNBRUSH cube;
    BuildCube(cube);
    ZNFACE *top = cube.GetFace(kTop);
    const short corner = VertexAt(top, {10, 10, 10});
    ASSERT_GE(corner, 0);
    top->SelectVertex(corner, 1);
    D3DXVECTOR3 offset(2, 2, 2);
    cube.MoveVertex(&offset, kTop, static_cast<DWORD>(corner), 0);
    EXPECT_EQ(CountAt(cube, {12, 12, 12}), 3);
    EXPECT_EQ(CountAt(cube, {10, 10, 10}), 0);
    EXPECT_EQ(CountAt(cube, {0, 10, 10}), 3);
    ExpectNear(Translation(cube), D3DXVECTOR3(5, 5, 5)); // a vertex move leaves the placement

    // A vertex of another face that is itself selected is left to its own call.
    ZNBRUSH other;
    BuildCube(other);
    ZNFACE *side = other.GetFace(1); // +x
    side->SelectVertex(VertexAt(side, {10, 10, 10}), 1);
    ZNFACE *lid = other.GetFace(kTop);
    other.MoveVertex(&offset, kTop, static_cast<DWORD>(VertexAt(lid, {10, 10, 10})), 0);
    EXPECT_EQ(CountAt(other, {12, 12, 12}), 2);
    EXPECT_EQ(CountAt(other, {10, 10, 10}), 1);
}

TEST(BrushMove, EachDragStepStartsFromTheSnapshot)
{
    ZNBRUSH cube;
    BuildCube(cube);
    cube.GetFace(kTop)->SelectFace(1);
    D3DXVECTOR3 five(0, 0, 5), seven(0, 0, 7);
    cube.MoveFace(&five, kTop, 1);
    EXPECT_EQ(cube.IsCached(), 1);
    cube.MoveFace(&seven, kTop, 1);
    EXPECT_EQ(CountAt(cube, {0, 0, 17}), 3);
    EXPECT_EQ(CountAt(cube, {0, 0, 12}), 0);
    EXPECT_EQ(CountAt(cube, {0, 0, 22}), 0);
    cube.ClearCache();

    // The whole brush and its placement likewise.
    ZNBRUSH brush;
    BuildCube(brush);
    brush.MoveBrush(&five, 1);
    brush.MoveBrush(&seven, 1);
    EXPECT_EQ(CountAt(brush, {0, 0, 7}), 3);
    ExpectNear(Translation(brush), D3DXVECTOR3(5, 5, 12));

    // An index out of range does nothing, not even a snapshot.
    ZNBRUSH idle;
    BuildCube(idle);
    idle.MoveFace(&five, 6, 1);
    idle.MoveVertex(&five, 0, 4, 1);
    EXPECT_EQ(idle.IsCached(), 0);
    EXPECT_EQ(CountAt(idle, {0, 0, 0}), 3);
}

TEST(BrushScale, BoxMappingTable)
{
    struct Case {
        std::string name;
        ZNBBOX from, to;
        float x, expected;
    };
    const Case cases[] = {
        {"max side out", {{0, 0, 0}, {10, 10, 10}}, {{0, 0, 0}, {20, 10, 10}}, 5, 10},
        {"max side keeps the min", {{0, 0, 0}, {10, 10, 10}}, {{0, 0, 0}, {20, 10, 10}}, 0, 0},
        {"min side out", {{0, 0, 0}, {10, 10, 10}}, {{-10, 0, 0}, {10, 10, 10}}, 0, -10},
        {"min side keeps the max", {{0, 0, 0}, {10, 10, 10}}, {{-10, 0, 0}, {10, 10, 10}}, 10, 10},
        {"both sides", {{0, 0, 0}, {10, 10, 10}}, {{-10, 0, 0}, {20, 10, 10}}, 5, 5},
        {"both sides, max corner", {{0, 0, 0}, {10, 10, 10}}, {{-10, 0, 0}, {20, 10, 10}}, 10, 20},
        {"a move within 0.01 is none", {{0, 0, 0}, {10, 10, 10}}, {{0, 0, 0}, {10.005f, 10, 10}}, 10, 10},
        {"flat box follows the max side", {{5, 0, 0}, {5, 10, 10}}, {{5, 0, 0}, {8, 10, 10}}, 5, 8},
        {"flat box follows the min side", {{5, 0, 0}, {5, 10, 10}}, {{2, 0, 0}, {5, 10, 10}}, 5, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ZNBRUSH brush;
        ZnAddPolygon(brush, {{c.x, 0, 0}, {c.x, 10, 0}, {c.x, 10, 10}}, {c.x - 1, 5, 5});
        ZNBBOX to = c.to, from = c.from;
        brush.ScaleBrushToBounding(&to, &from, 0);
        for (short j = 0; j < 3; ++j)
            EXPECT_NEAR(brush.GetFace(0)->GetVector(j).x, c.expected, 1e-4f);
    }
}

TEST(BrushScale, PlacementTakesTheRatioOncePerAxis)
{
    ZNBRUSH cube;
    BuildCube(cube);
    ZNBBOX from{{0, 0, 0}, {10, 10, 10}}, to{{-10, 0, 0}, {20, 10, 10}};
    cube.ScaleBrushToBounding(&to, &from, 0);
    EXPECT_FLOAT_EQ(cube.m_Transform._11, 3.0f);
    EXPECT_FLOAT_EQ(cube.m_Transform._22, 1.0f);
    ExpectNear(Translation(cube), D3DXVECTOR3(5, 5, 5));
    cube.UpdateBoundingBox();
    EXPECT_EQ(cube.GetBoundingBox(0).Min, D3DXVECTOR3(-10, 0, 0));
    EXPECT_EQ(cube.GetBoundingBox(0).Max, D3DXVECTOR3(20, 10, 10));

    ZNBRUSH stretched;
    BuildCube(stretched);
    ZNBBOX wider{{0, 0, 0}, {20, 10, 10}};
    stretched.ScaleBrushToBounding(&wider, &from, 0);
    EXPECT_FLOAT_EQ(stretched.m_Transform._11, 2.0f);
    ExpectNear(Translation(stretched), D3DXVECTOR3(10, 5, 5));

    // Drag steps scale from the snapshot: x 0..20 then 0..15 ends at 0..15.
    ZNBRUSH dragged;
    BuildCube(dragged);
    ZNBBOX step{{0, 0, 0}, {15, 10, 10}};
    dragged.ScaleBrushToBounding(&wider, &from, 1);
    dragged.ScaleBrushToBounding(&step, &from, 1);
    EXPECT_EQ(CountAt(dragged, {15, 10, 10}), 3);
    EXPECT_FLOAT_EQ(dragged.m_Transform._11, 1.5f);
}

TEST(BrushScale, FaceAndVertexCarryTheirSharedCorners)
{
    ZNBRUSH cube;
    BuildCube(cube);
    // The top face grows on x from 0..10 to 0..20.
    ZNBBOX from{{0, 0, 0}, {10, 10, 10}}, to{{0, 0, 0}, {20, 10, 10}};
    cube.ScaleFaceToBounding(kTop, &to, &from, 0);
    EXPECT_EQ(CountAt(cube, {20, 0, 10}), 3);
    EXPECT_EQ(CountAt(cube, {20, 10, 10}), 3);
    EXPECT_EQ(CountAt(cube, {10, 0, 0}), 3); // the bottom stays
    ExpectNear(Translation(cube), D3DXVECTOR3(5, 5, 5));

    ZNBRUSH one;
    BuildCube(one);
    ZNFACE *top = one.GetFace(kTop);
    one.ScaleVertexToBounding(kTop, static_cast<DWORD>(VertexAt(top, {10, 0, 10})), &to, &from, 0);
    EXPECT_EQ(CountAt(one, {20, 0, 10}), 3);
    EXPECT_EQ(CountAt(one, {10, 10, 10}), 3);
    one.ScaleVertexToBounding(kTop, 4, &to, &from, 1); // out of range: nothing
    EXPECT_EQ(one.IsCached(), 0);
}

TEST(BrushRotate, QuarterTurnAboutY)
{
    ZNBRUSH brush;
    ZnAddPolygon(brush, {{0, 0, 1}, {0, 1, 1}, {0, 1, 2}}, {-1, 0, 0});
    ZNFACE *face = brush.GetFace(0);
    const short j = VertexAt(face, {0, 0, 1});
    face->SetVertexNormal(j, D3DXVECTOR3(0, 0, 1));
    D3DXVECTOR3 origin(0, 0, 0);
    brush.Rotate(0, 90, 0, &origin, 0);
    ExpectNear(face->GetVector(j), D3DXVECTOR3(1, 0, 0), 1e-5f);
    ExpectNear(face->GetVertexNormal(j), D3DXVECTOR3(1, 0, 0), 1e-5f);
}

TEST(BrushRotate, BoxTurnsAboutItsCentre)
{
    ZNBRUSH box;
    ZnBuildBox(box, {0, 0, 0}, {10, 20, 30});
    box.Rotate(0, 0, 90, nullptr, 0);
    ZNBBOX turned = box.GetBoundingBox(1);
    ExpectNear(turned.Max - turned.Min, D3DXVECTOR3(20, 10, 30));
    ExpectNear((turned.Min + turned.Max) * 0.5f, D3DXVECTOR3(5, 10, 15));
    ExpectNear(Translation(box), D3DXVECTOR3(5, 10, 15));

    // No angle, no change: not the positions, not the normals, not the placement.
    ZNBRUSH still, reference;
    ZnBuildWedge(still, {0, 0, 0}, {10, 10, 10});
    ZnBuildWedge(reference, {0, 0, 0}, {10, 10, 10});
    still.Rotate(0, 0, 0, nullptr, 0);
    for (DWORD i = 0; i < still.GetFaceCount(); ++i)
        for (short j = 0; j < still.GetFace(i)->GetVertexCount(); ++j) {
            EXPECT_EQ(still.GetFace(i)->GetVector(j), reference.GetFace(i)->GetVector(j));
            EXPECT_EQ(still.GetFace(i)->GetVertexNormal(j), reference.GetFace(i)->GetVertexNormal(j));
        }
    EXPECT_EQ(still.m_Transform, reference.m_Transform);
}

TEST(BrushRotate, DragStepsStartFromTheSnapshot)
{
    ZNBRUSH dragged, direct;
    ZnBuildCylinder(dragged, {0, 0, 0}, 8, 30, 16);
    ZnBuildCylinder(direct, {0, 0, 0}, 8, 30, 16);
    dragged.Rotate(30, 0, 0, nullptr, 1);
    dragged.Rotate(45, 0, 0, nullptr, 1);
    direct.Rotate(45, 0, 0, nullptr, 0);
    for (DWORD i = 0; i < direct.GetFaceCount(); ++i)
        for (short j = 0; j < direct.GetFace(i)->GetVertexCount(); ++j) {
            ExpectNear(dragged.GetFace(i)->GetVector(j), direct.GetFace(i)->GetVector(j));
            ExpectNear(dragged.GetFace(i)->GetVertexNormal(j), direct.GetFace(i)->GetVertexNormal(j));
        }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(dragged.m_Transform(r, c), direct.m_Transform(r, c), 1e-4f);
}

TEST(BrushRotate, FaceTurnsAboutItsOwnCentreCarryingTheSides)
{
    ZNBRUSH cube;
    BuildCube(cube);
    cube.GetFace(kTop)->SelectFace(1);
    cube.RotateFace(kTop, 0, 0, 45, nullptr, 0);
    // The lid turned about its own centre (5, 5, 10); the bottom stayed.
    ZNFACE *top = cube.GetFace(kTop);
    for (short k = 0; k < 4; ++k) {
        D3DXVECTOR3 d = top->GetVector(k) - D3DXVECTOR3(5, 5, 10);
        EXPECT_NEAR(D3DXVec3Length(&d), std::sqrt(50.0f), 1e-4f);
        EXPECT_TRUE(std::fabs(d.x) < 1e-3f || std::fabs(d.y) < 1e-3f) << "a corner on an axis of the lid";
    }
    for (float x : {0.0f, 10.0f})
        for (float y : {0.0f, 10.0f}) {
            EXPECT_EQ(CountAt(cube, {x, y, 10}), 0);
            EXPECT_EQ(CountAt(cube, {x, y, 0}), 3);
        }
    // The top corners of the sides went round with the lid.
    for (DWORD f = 0; f < 4; ++f) {
        ZNFACE *side = cube.GetFace(f);
        for (short j = 0; j < 4; ++j) {
            D3DXVECTOR3 p = side->GetVector(j);
            if (p.z < 5)
                continue;
            bool onLid = false;
            for (short k = 0; k < 4; ++k) {
                D3DXVECTOR3 d = top->GetVector(k) - p;
                onLid = onLid || D3DXVec3Length(&d) < 1e-4f;
            }
            EXPECT_TRUE(onLid) << f << " " << j;
        }
    }
}

TEST(BrushRotate, VertexTurnsAboutTheGivenPivot)
{
    ZNBRUSH one;
    BuildCube(one);
    D3DXVECTOR3 pivot(0, 0, 10);
    // Only with a pivot and a vertex index in range.
    one.RotateVertex(kTop, 4, 0, 0, 90, &pivot, 1);
    one.RotateVertex(kTop, 0, 0, 0, 90, nullptr, 1);
    one.RotateVertex(kTop + 1, 0, 0, 0, 90, &pivot, 1);
    EXPECT_EQ(one.IsCached(), 0);

    const short corner = VertexAt(one.GetFace(kTop), {10, 0, 10});
    one.RotateVertex(kTop, static_cast<DWORD>(corner), 0, 0, 90, &pivot, 0);
    // (10, 0, 10) turned onto (0, 10, 10) in all three faces that held it.
    EXPECT_EQ(CountAt(one, {10, 0, 10}), 0);
    EXPECT_EQ(CountAt(one, {0, 10, 10}), 6);
    ExpectNear(Translation(one), D3DXVECTOR3(5, 5, 5));
}
