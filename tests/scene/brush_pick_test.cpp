#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/face_pick_desc.h"
#include "scene/vertex_pick_desc.h"
#include "sdk/override_data.h"
#include "sdk/pick3d_info.h"
#include "support/shapes.h"

namespace
{

// ---------------------------------------------------------------------------------------------
// 2D: one square face of +-20 at z = 0, seen in a 100 x 100 "Front" view at zoom 1, where its
// corners are the pixels (30, 30), (70, 30), (70, 70) and (30, 70).

enum class Pick2DKind { Faces, FacesWithoutList, Vertices, VerticesWithoutList, OneFace };

struct Pick2DCase {
    const char *name;
    Pick2DKind kind;
    CPoint click;
    bool hidden;
    int result;
    std::vector<std::pair<DWORD, DWORD>> listed; // (face, vertex); the vertex is ignored for faces
    DWORD face = 0;                              // of the one-face pick
};

void PrintTo(const Pick2DCase &c, std::ostream *os)
{
    *os << c.name;
}

const Pick2DCase kPick2DCases[] = {
    {"EdgeAtThreePixelsMisses", Pick2DKind::Faces, {50, 33}, false, 0, {}},
    {"EdgeAtTwoPixelsHits", Pick2DKind::Faces, {50, 32}, false, 1, {{0, 0}}},
    {"EdgeAtTwoPixelsOnTheOtherSideHits", Pick2DKind::Faces, {28, 50}, false, 1, {{0, 0}}},
    {"FootBeyondTheEdgeMisses", Pick2DKind::Faces, {75, 30}, false, 0, {}},
    {"FaceWithTwoEdgesHitIsListedTwice", Pick2DKind::Faces, {31, 31}, false, 1, {{0, 0}, {0, 0}}},
    {"FacePickWithoutListAnswersOne", Pick2DKind::FacesWithoutList, {31, 31}, false, 1, {}},
    {"VertexAtFourPixelsMisses", Pick2DKind::Vertices, {34, 30}, false, 0, {}},
    {"VertexAtThreePixelsHits", Pick2DKind::Vertices, {67, 33}, false, 1, {{0, 1}}},
    {"VertexPickWithoutListAnswersOne", Pick2DKind::VerticesWithoutList, {67, 33}, false, 1, {}},
    {"VertexPickWithoutListMisses", Pick2DKind::VerticesWithoutList, {50, 50}, false, 0, {}},
    {"OneFaceEdgeHit", Pick2DKind::OneFace, {50, 68}, false, 1, {}},
    {"OneFaceEdgeMiss", Pick2DKind::OneFace, {50, 50}, false, 0, {}},
    {"OneFaceIndexPastTheEnd", Pick2DKind::OneFace, {50, 68}, false, 0, {}, 1},
    {"HiddenFacesNotPicked", Pick2DKind::Faces, {50, 32}, true, 0, {}},
    {"HiddenVerticesNotPicked", Pick2DKind::Vertices, {67, 33}, true, 0, {}},
    {"HiddenOneFaceNotPicked", Pick2DKind::OneFace, {50, 68}, true, 0, {}},
};

class BrushPick2DTest : public ::testing::TestWithParam<Pick2DCase>
{
protected:
    void SetUp() override
    {
        view.SetViewType(ZN2DVIEW_FRONT);
        view.SetClientSize(100, 100);
        // Vertex 1 is the corner (20, 20, 0), at pixel (70, 30).
        ZNFACE *face = brush.AddFace(static_cast<short>(4));
        const D3DXVECTOR3 corners[4] = {{-20, 20, 0}, {20, 20, 0}, {20, -20, 0}, {-20, -20, 0}};
        for (short i = 0; i < 4; ++i)
            face->SetVertex(i, corners[i]);
        ZnFinishBrush(brush);
    }
    CZN2DView view;
    ZNBRUSH brush;
};

TEST_P(BrushPick2DTest, Picks)
{
    const Pick2DCase &c = GetParam();
    if (c.hidden)
        brush.m_Flags |= ZNBRUSH_HIDDEN;
    ZNFACEPICKDESC faces;
    ZNVERTEXPICKDESC vertices;
    std::vector<std::pair<DWORD, DWORD>> listed;
    switch (c.kind) {
    case Pick2DKind::Faces:
        EXPECT_EQ(brush.Pick2D(&view, c.click, &faces), c.result);
        for (DWORD i = 0; i < faces.GetCount(); ++i) {
            EXPECT_EQ(faces.GetObject(i), &brush);
            listed.push_back({faces.GetFace(i), 0});
        }
        break;
    case Pick2DKind::FacesWithoutList:
        EXPECT_EQ(brush.Pick2D(&view, c.click, static_cast<ZNFACEPICKDESC *>(nullptr)), c.result);
        break;
    case Pick2DKind::Vertices:
        EXPECT_EQ(brush.Pick2D(&view, c.click, &vertices), c.result);
        for (DWORD i = 0; i < vertices.GetCount(); ++i) {
            EXPECT_EQ(vertices.GetBrush(i), &brush);
            listed.push_back({vertices.GetFace(i), vertices.GetVertex(i)});
        }
        break;
    case Pick2DKind::VerticesWithoutList:
        EXPECT_EQ(brush.Pick2D(&view, c.click, static_cast<ZNVERTEXPICKDESC *>(nullptr)), c.result);
        break;
    case Pick2DKind::OneFace:
        EXPECT_EQ(brush.Pick2D(&view, c.face, c.click), c.result);
        break;
    }
    EXPECT_EQ(listed, c.listed);
}

INSTANTIATE_TEST_SUITE_P(Square, BrushPick2DTest, ::testing::ValuesIn(kPick2DCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(BrushPick2D, AVertexSharedByFacesIsListedOncePerFace)
{
    CZN2DView view;
    view.SetViewType(ZN2DVIEW_FRONT);
    view.SetClientSize(100, 100);
    ZNBRUSH brush;
    ZnBuildBox(brush, {-20, -20, -20}, {20, 20, 20});
    ZNVERTEXPICKDESC list;
    // The pixel (70, 30) is the corner x = 20, y = 20 at both depths: three faces meet at each,
    // and the +x and +y faces hold both.
    EXPECT_EQ(brush.Pick2D(&view, CPoint(70, 30), &list), 1);
    EXPECT_EQ(list.GetCount(), 6u);
    EXPECT_EQ(brush.Pick2D(nullptr, CPoint(70, 30), &list), 0);
}

// ---------------------------------------------------------------------------------------------
// 3D: a ray along +x at y = z = 5 towards box A (0..10), box B (20..30) behind it, and a copy
// of A.

struct Pick3DCase {
    const char *name;
    std::vector<int> asked; // 0 A, 1 B, 2 the copy of A, in this order
    D3DXVECTOR3 origin;
    float length;
    int backFaces;
    int record; // -1: no override record; otherwise its skip field
    bool hideA;
    std::vector<int> results;
    int winner; // -1: the record keeps its start
    DWORD face;
    float distance;
    D3DXVECTOR3 point;
};

void PrintTo(const Pick3DCase &c, std::ostream *os)
{
    *os << c.name;
}

const D3DXVECTOR3 kFront(-10, 5, 5);

const Pick3DCase kPick3DCases[] = {
    {"NearerFaceOfABox", {0}, kFront, 100, 0, -1, false, {1}, 0, 0, 10, {0, 5, 5}},
    {"NearerBrushFirst", {0, 1}, kFront, 100, 0, -1, false, {1, 0}, 0, 0, 10, {0, 5, 5}},
    {"NearerBrushLast", {1, 0}, kFront, 100, 0, -1, false, {1, 1}, 0, 0, 10, {0, 5, 5}},
    {"EqualDistanceKeepsTheFirst", {0, 2}, kFront, 100, 0, -1, false, {1, 0}, 0, 0, 10, {0, 5, 5}},
    {"BeyondThePickLength", {0}, kFront, 9.5f, 0, -1, false, {0}, -1, 0, 0, {0, 0, 0}},
    {"FromInsideTheFaceInFront", {0}, {5, 5, 5}, 100, 0, -1, false, {1}, 0, 1, 5, {10, 5, 5}},
    {"FromInsideWithTheBackFaceFlag", {0}, {5, 5, 5}, 100, 1, -1, false, {0}, -1, 0, 0, {0, 0, 0}},
    {"FromOutsideWithTheBackFaceFlag", {0}, kFront, 100, 1, -1, false, {1}, 0, 0, 10, {0, 5, 5}},
    {"RecordSkip", {0}, kFront, 100, 0, 1, false, {0}, -1, 0, 0, {0, 0, 0}},
    {"RecordSkipAnyValue", {0}, kFront, 100, 0, 2, false, {0}, -1, 0, 0, {0, 0, 0}},
    {"RecordWithoutSkip", {0}, kFront, 100, 0, 0, false, {1}, 0, 0, 10, {0, 5, 5}},
    {"HiddenPickedWithoutARecord", {0}, kFront, 100, 0, -1, true, {1}, 0, 0, 10, {0, 5, 5}},
    {"HiddenNotPickedWithARecord", {0, 1}, kFront, 100, 0, 0, true, {0, 1}, 1, 0, 30, {20, 5, 5}},
};

class BrushPick3DTest : public ::testing::TestWithParam<Pick3DCase>
{
protected:
    void SetUp() override
    {
        ZnBuildBox(brushes[0], {0, 0, 0}, {10, 10, 10});
        ZnBuildBox(brushes[1], {20, 0, 0}, {30, 10, 10});
        ZnBuildBox(brushes[2], {0, 0, 0}, {10, 10, 10});
    }
    ZNBRUSH brushes[3];
};

TEST_P(BrushPick3DTest, KeepsTheNearestHit)
{
    const Pick3DCase &c = GetParam();
    if (c.hideA)
        brushes[0].m_Flags |= ZNBRUSH_HIDDEN;
    OVERRIDEDATA over = {};
    over.Skip = c.record;
    PICK3DINFO info = {};
    info.Distance = 99999.0f;
    D3DXVECTOR3 origin = c.origin;
    D3DXVECTOR3 direction(1, 0, 0);
    std::vector<int> results;
    for (int b : c.asked)
        results.push_back(
            brushes[b].Pick3D(&origin, &direction, c.length, &info, c.backFaces, c.record < 0 ? nullptr : &over));
    EXPECT_EQ(results, c.results);
    if (c.winner < 0) {
        EXPECT_EQ(info.Object, nullptr);
        EXPECT_EQ(info.Distance, 99999.0f);
        return;
    }
    EXPECT_EQ(info.Object, &brushes[c.winner]);
    EXPECT_EQ(info.Face, c.face);
    EXPECT_FLOAT_EQ(info.Distance, c.distance);
    EXPECT_NEAR(info.Point.x, c.point.x, 1e-5f);
    EXPECT_NEAR(info.Point.y, c.point.y, 1e-5f);
    EXPECT_NEAR(info.Point.z, c.point.z, 1e-5f);
}

INSTANTIATE_TEST_SUITE_P(Boxes, BrushPick3DTest, ::testing::ValuesIn(kPick3DCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
