#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "app/editor_app.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "scene/bsp_tree.h"
#include "scene/geometry.h"
#include "solid_checks.h"
#include "support/shapes.h"
#include "support/temp_dir.h"

namespace
{

D3DXVECTOR3 Pos(const ZNVERTEX &v)
{
    return D3DXVECTOR3(v.x, v.y, v.z);
}

// Every vertex of every face lies on or behind the plane.
bool BoundsBrush(ZNBRUSH &brush, const ZNBSPPLANE &plane)
{
    for (DWORD i = 0; i < brush.GetFaceCount(); ++i)
        for (short j = 0; j < brush.GetFace(i)->GetVertexCount(); ++j)
            if (ClassifyPointPlane(brush.GetFace(i)->GetVector(j), plane.Normal, plane.Point) == ZNPLANE_FRONT)
                return false;
    return true;
}

TEST(BspTreeTest, BrushWithoutFacesBuildsNothing)
{
    ZNBRUSH empty;
    CZNBSPTREE tree;
    EXPECT_EQ(tree.BuildFromBrush(&empty), 0);
    EXPECT_EQ(tree.BuildFromBrush(nullptr), 0);
    EXPECT_EQ(tree.m_RootNode, -1);
    EXPECT_EQ(tree.m_PolygonCount, 0u);
    EXPECT_EQ(tree.m_NodeCount, 0u);
    EXPECT_EQ(tree.m_Polygons, nullptr);
}

// A convex brush gives a chain of back children, one node per face, each front child a leaf
// holding the face whose plane the node uses; the last back child is solid.
class ConvexTreeTest : public ::testing::TestWithParam<int>
{
};

std::unique_ptr<ZNBRUSH> ConvexShape(int which)
{
    switch (which) {
    case 0:
        return MakeBox({-1, -1, -1}, {1, 1, 1});
    case 1:
        return MakeWedge({0, 0, 0}, {20, 10, 30});
    case 2:
        return MakeCylinder({5, -3, 2}, 8, 12);
    default:
        return Rotated(MakeCylinder({5, -3, 2}, 8, 12), 17, 0, 17);
    }
}

TEST_P(ConvexTreeTest, NodeChainWithALeafPerFace)
{
    auto brush = ConvexShape(GetParam());
    const DWORD faces = brush->GetFaceCount();
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(brush.get()), 1);
    EXPECT_EQ(tree.m_SourceBrush, brush.get());
    EXPECT_EQ(tree.m_RootNode, 0);
    ASSERT_EQ(tree.m_NodeCount, faces);
    EXPECT_EQ(tree.m_PlaneCount, faces);
    EXPECT_EQ(tree.m_LeafCount, faces);
    EXPECT_EQ(tree.m_PolygonCount, faces);
    EXPECT_EQ(tree.m_BuiltPolygonCount, faces);

    std::vector<int> seen(faces, 0);
    for (DWORD n = 0; n < faces; ++n) {
        const ZNBSPNODE &node = tree.m_Nodes[n];
        EXPECT_EQ(node.FrontIsLeaf, 1);
        EXPECT_EQ(node.Back, n + 1 < faces ? static_cast<LONG>(n + 1) : -1);
        ASSERT_GE(node.Front, 0);
        const ZNBSPLEAF &leaf = tree.m_Leaves[node.Front];
        ASSERT_EQ(leaf.PolygonCount, 1);
        const LONG face = leaf.PolygonIndices[0];
        ASSERT_GE(face, 0);
        ASSERT_LT(face, static_cast<LONG>(faces));
        ++seen[face];
        // The node's plane is the plane of that face, and the whole brush is behind it.
        const ZNBSPPLANE &plane = tree.m_Planes[node.Plane];
        EXPECT_EQ(plane.Normal, brush->GetFace(face)->m_Normal);
        EXPECT_EQ(plane.Point, brush->GetFace(face)->GetVector(0));
        EXPECT_TRUE(BoundsBrush(*brush, plane));
    }
    for (DWORD i = 0; i < faces; ++i)
        EXPECT_EQ(seen[i], 1) << "face " << i;

    // The polygon array holds the faces, in face order, with their own vertices.
    for (DWORD i = 0; i < faces; ++i) {
        const CZNBSPPOLYGON *p = tree.m_Polygons[i];
        const ZNFACE *face = brush->GetFace(i);
        EXPECT_EQ(p->m_SourceFace, static_cast<LONG>(i));
        EXPECT_EQ(p->m_SourceBrush, brush.get());
        EXPECT_EQ(p->m_Deleted, 0);
        ASSERT_EQ(p->m_VertexCount, face->GetVertexCount());
        EXPECT_NE(p->m_Vertices, face->m_Vertices);
        EXPECT_EQ(0, std::memcmp(p->m_Vertices, face->m_Vertices, sizeof(ZNVERTEX) * p->m_VertexCount));
    }
    EXPECT_EQ(OpenEdges(SurfaceOf(tree), false), "");
}

std::string ConvexShapeName(const ::testing::TestParamInfo<int> &info)
{
    static const char *const kNames[] = {"Box", "Wedge", "Cylinder", "TurnedCylinder"};
    return kNames[info.param];
}

INSTANTIATE_TEST_SUITE_P(Shapes, ConvexTreeTest, ::testing::Values(0, 1, 2, 3), ConvexShapeName);

TEST(BspTreeTest, CubeTreeFollowsFaceOrder)
{
    auto cube = MakeBox({-1, -1, -1}, {1, 1, 1});
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(cube.get()), 1);
    // All candidates score alike, so every node takes the next face.
    for (DWORD n = 0; n < 6; ++n)
        EXPECT_EQ(tree.m_Leaves[tree.m_Nodes[n].Front].PolygonIndices[0], static_cast<LONG>(n));
}

TEST(BspTreeTest, CoplanarFaceFacingTheSameWayIsNeverASplitter)
{
    // A box whose top is made of two quads in one plane.
    ZNBRUSH brush;
    const D3DXVECTOR3 inside(5, 5, 5);
    ZnAddPolygon(brush, {{5, 10, 0}, {10, 10, 0}, {10, 10, 10}, {5, 10, 10}}, inside);
    ZnAddPolygon(brush, {{0, 10, 0}, {5, 10, 0}, {5, 10, 10}, {0, 10, 10}}, inside);
    ZnAddPolygon(brush, {{0, 0, 0}, {10, 0, 0}, {10, 0, 10}, {0, 0, 10}}, inside);
    ZnAddPolygon(brush, {{0, 0, 0}, {0, 10, 0}, {0, 10, 10}, {0, 0, 10}}, inside);
    ZnAddPolygon(brush, {{10, 0, 0}, {10, 10, 0}, {10, 10, 10}, {10, 0, 10}}, inside);
    ZnAddPolygon(brush, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, inside);
    ZnAddPolygon(brush, {{0, 0, 10}, {10, 0, 10}, {10, 10, 10}, {0, 10, 10}}, inside);
    ZnFinishBrush(brush);

    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(&brush), 1);
    EXPECT_EQ(tree.m_NodeCount, 6u);
    EXPECT_EQ(tree.m_PolygonCount, 7u);
    // The top node's leaf bounds both halves of the top.
    const ZNBSPLEAF &top = tree.m_Leaves[tree.m_Nodes[0].Front];
    ASSERT_EQ(top.PolygonCount, 2);
    EXPECT_EQ(top.PolygonIndices[0], 0);
    EXPECT_EQ(top.PolygonIndices[1], 1);
    EXPECT_NEAR(SurfaceVolume(SurfaceOf(tree)), 1000.0, 1e-3);
}

TEST(BspTreeTest, SplitPolygonCutsAQuadInTwo)
{
    CZNBSPTREE tree;
    CZNBSPPOLYGON quad;
    ZNVERTEX v[4] = {};
    const float corners[4][2] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    for (int i = 0; i < 4; ++i) {
        v[i].x = corners[i][0];
        v[i].y = corners[i][1];
        v[i].tu = corners[i][0] / 10.0f;
        v[i].tv = corners[i][1] / 10.0f;
    }
    ASSERT_TRUE(quad.SetVertices(v, 4));
    quad.m_Normal = D3DXVECTOR3(0, 0, -1);
    quad.m_Material = 2;
    quad.m_SourceFace = 3;
    quad.m_Deleted = 1;

    const ZNBSPPLANE plane = {D3DXVECTOR3(4, 0, 0), D3DXVECTOR3(1, 0, 0)};
    EXPECT_EQ(tree.ClassifyPolygon(&plane, &quad), ZNPLANE_SPANNING);
    CZNBSPPOLYGON front, back;
    ASSERT_EQ(tree.SplitPolygon(&quad, &plane, &front, &back), 1);
    ASSERT_EQ(front.m_VertexCount, 4);
    ASSERT_EQ(back.m_VertexCount, 4);
    for (const CZNBSPPOLYGON *piece : {&front, &back}) {
        EXPECT_EQ(piece->m_Material, 2);
        EXPECT_EQ(piece->m_SourceFace, 3);
        EXPECT_EQ(piece->m_Deleted, 0);
        EXPECT_EQ(piece->m_FrontFragment, -1);
        EXPECT_EQ(piece->m_Normal, quad.m_Normal);
        // Texture coordinates follow the positions.
        for (int i = 0; i < piece->m_VertexCount; ++i)
            EXPECT_NEAR(piece->m_Vertices[i].tu, piece->m_Vertices[i].x / 10.0f, 1e-6f);
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_GE(front.m_Vertices[i].x, 4.0f);
        EXPECT_LE(back.m_Vertices[i].x, 4.0f);
    }
    EXPECT_EQ(tree.ClassifyPolygon(&plane, &front), ZNPLANE_FRONT);
    EXPECT_EQ(tree.ClassifyPolygon(&plane, &back), ZNPLANE_BACK);

    // A polygon on one side goes whole to that side.
    const ZNBSPPLANE beside = {D3DXVECTOR3(-5, 0, 0), D3DXVECTOR3(1, 0, 0)};
    ASSERT_EQ(tree.SplitPolygon(&quad, &beside, &front, &back), 1);
    EXPECT_EQ(front.m_VertexCount, 4);
    EXPECT_EQ(back.m_VertexCount, 0);
}

TEST(BspTreeTest, PolygonOnPlaneCoversTheBoxAndFacesAlongTheNormal)
{
    CZNBSPTREE tree;
    const ZNBBOX box = {D3DXVECTOR3(-3, 0, 2), D3DXVECTOR3(7, 4, 12)};
    struct Case {
        D3DXVECTOR3 normal;
        D3DXVECTOR3 point;
    };
    const float s = std::sqrt(1.0f / 3.0f);
    for (const Case &c : {Case{{1, 0, 0}, {1, 0, 0}}, Case{{0, -1, 0}, {0, 2, 0}}, Case{{0, 0, 1}, {0, 0, 5}},
                          Case{{s, s, s}, {2, 2, 7}}}) {
        std::unique_ptr<CZNBSPPOLYGON> p(tree.CreatePolygonOnPlane(&c.normal, &c.point, &box));
        ASSERT_TRUE(p);
        ASSERT_EQ(p->m_VertexCount, 4);
        EXPECT_NEAR(D3DXVec3Dot(&p->m_Normal, &c.normal), 1.0f, 1e-6f);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(ClassifyPointPlane(Pos(p->m_Vertices[i]), c.normal, c.point), ZNPLANE_ON);
            EXPECT_EQ(p->m_Vertices[i].tu, 0.0f);
        }
        const D3DXVECTOR3 n = ComputeTriangleNormal(p->m_Vertices[0], p->m_Vertices[1], p->m_Vertices[2]);
        EXPECT_NEAR(D3DXVec3Dot(&n, &c.normal), 1.0f, 1e-5f);
        // Every box corner projected onto the plane lies inside the square.
        for (int k = 0; k < 8; ++k) {
            D3DXVECTOR3 corner((k & 1) ? box.Max.x : box.Min.x, (k & 2) ? box.Max.y : box.Min.y,
                               (k & 4) ? box.Max.z : box.Min.z);
            const D3DXVECTOR3 toCorner = c.point - corner;
            corner += c.normal * D3DXVec3Dot(&toCorner, &c.normal);
            for (int i = 0; i < 4; ++i) {
                const D3DXVECTOR3 a = Pos(p->m_Vertices[i]), b = Pos(p->m_Vertices[(i + 1) % 4]);
                D3DXVECTOR3 edge = b - a, toPoint = corner - a, cross;
                D3DXVec3Cross(&cross, &edge, &toPoint);
                EXPECT_GE(D3DXVec3Dot(&cross, &c.normal), 0.0f);
            }
        }
    }
}

TEST(BspTreeTest, CloneIsIndependentOfItsSource)
{
    auto wedge = MakeWedge({0, 0, 0}, {10, 10, 10});
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(wedge.get()), 1);
    std::unique_ptr<CZNBSPTREE> clone(tree.Clone());
    ASSERT_TRUE(clone);
    EXPECT_EQ(clone->m_NodeCount, tree.m_NodeCount);
    EXPECT_EQ(clone->m_LeafCount, tree.m_LeafCount);
    EXPECT_EQ(clone->m_PlaneCount, tree.m_PlaneCount);
    EXPECT_EQ(clone->m_PolygonCount, tree.m_PolygonCount);
    EXPECT_EQ(clone->m_RootNode, tree.m_RootNode);
    EXPECT_EQ(clone->m_SourceBrush, wedge.get());
    EXPECT_NE(clone->m_Nodes, tree.m_Nodes);
    EXPECT_EQ(0, std::memcmp(clone->m_Nodes, tree.m_Nodes, sizeof(ZNBSPNODE) * tree.m_NodeCount));
    for (DWORD i = 0; i < tree.m_LeafCount; ++i) {
        EXPECT_NE(clone->m_Leaves[i].PolygonIndices, tree.m_Leaves[i].PolygonIndices);
        EXPECT_EQ(clone->m_Leaves[i].PolygonIndices[0], tree.m_Leaves[i].PolygonIndices[0]);
    }
    for (DWORD i = 0; i < tree.m_PolygonCount; ++i)
        EXPECT_NE(clone->m_Polygons[i]->m_Vertices, tree.m_Polygons[i]->m_Vertices);

    clone->m_Polygons[0]->m_Vertices[0].x = 99.0f;
    clone->Release();
    EXPECT_EQ(clone->m_RootNode, -1);
    EXPECT_EQ(clone->m_PolygonCount, 0u);
    EXPECT_EQ(tree.m_Polygons[0]->m_Vertices[0].x, wedge->GetFace(0)->m_Vertices[0].x);
    EXPECT_EQ(OpenEdges(SurfaceOf(tree), false), "");
    EXPECT_NEAR(SurfaceVolume(SurfaceOf(tree)), 500.0, 1e-3);
}

TEST(BspTreeTest, InvertedPolygonsTurnTheSolidInsideOut)
{
    auto cylinder = MakeCylinder({0, 0, 0}, 5, 10);
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(cylinder.get()), 1);
    const double volume = SurfaceVolume(SurfaceOf(tree));
    tree.InvertPolygons();
    EXPECT_NEAR(SurfaceVolume(SurfaceOf(tree)), -volume, 1e-3);
    EXPECT_EQ(OpenEdges(SurfaceOf(tree), false), "");
    for (DWORD i = 0; i < tree.m_PolygonCount; ++i) {
        const CZNBSPPOLYGON *p = tree.m_Polygons[i];
        const ZNFACE *face = cylinder->GetFace(i);
        EXPECT_EQ(p->m_Normal, -face->m_Normal);
        EXPECT_EQ(Pos(p->m_Vertices[0]), Pos(face->m_Vertices[0]));
        EXPECT_EQ(Pos(p->m_Vertices[1]), Pos(face->m_Vertices[face->GetVertexCount() - 1]));
    }
}

TEST(BspTreeTest, AddPolygonCopyAppendsAndLinks)
{
    auto cube = MakeBox({0, 0, 0}, {1, 1, 1});
    CZNBSPTREE source, target;
    ASSERT_EQ(source.BuildFromBrush(cube.get()), 1);
    CZNBSPPOLYGON *previous = nullptr;
    for (DWORD i = 0; i < source.m_PolygonCount; ++i)
        previous = target.AddPolygonCopy(previous, source.m_Polygons[i]);
    ASSERT_EQ(target.m_PolygonCount, 6u);
    for (DWORD i = 0; i < 6; ++i) {
        EXPECT_NE(target.m_Polygons[i]->m_Vertices, source.m_Polygons[i]->m_Vertices);
        EXPECT_EQ(target.m_Polygons[i]->m_Next, i < 5 ? target.m_Polygons[i + 1] : nullptr);
    }
    EXPECT_NEAR(SurfaceVolume(SurfaceOf(target)), 1.0, 1e-6);
}

TEST(BspTreeTest, DebugReportListsThePolygons)
{
    ZnTempDir dir;
    std::filesystem::create_directories(dir.Path() / "Debug Logs");
    const std::string saved = GetEditorApp()->GetProgramDirectory();
    GetEditorApp()->SetProgramDirectory(dir.Path().string() + "/");

    auto cube = MakeBox({0, 0, 0}, {2, 2, 2});
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(cube.get()), 1);
    tree.m_Polygons[1]->m_Deleted = 1;
    tree.WriteDebugReport();
    GetEditorApp()->SetProgramDirectory(saved);

    const std::string text = ZnReadFile((dir.Path() / "Debug Logs" / "BSP Debug.log").string());
    EXPECT_NE(text.find("Dumping BSP Tree Polygon Debug Info"), std::string::npos);
    EXPECT_NE(text.find(" Node Count 6 Leaf Count 6 Plane Count 6\n\n"), std::string::npos);
    EXPECT_NE(text.find("Polygon 0....\r\n"), std::string::npos);
    EXPECT_NE(text.find("Polygon 1....\r\n\r\n  Deleted."), std::string::npos);
    EXPECT_NE(text.find("  Polygon has 4 vertices....\r\n"), std::string::npos);
    EXPECT_NE(text.find("    X: 0.000000, Y: 0.000000, Z: 0.000000\r\n"), std::string::npos);
    EXPECT_NE(text.find("End Of BSP Polygon Debug Report"), std::string::npos);
}

TEST(BspTreeTest, DrawingDeletedPolygonsWithoutADeviceDoesNothing)
{
    auto cube = MakeBox({0, 0, 0}, {2, 2, 2});
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(cube.get()), 1);
    tree.m_Polygons[0]->m_Deleted = 1;
    ASSERT_EQ(GetEditorApp()->Get3D()->GetDevice(), nullptr);
    tree.DrawDeletedPolygons();
    EXPECT_EQ(tree.m_PolygonCount, 6u);
}

} // namespace
