// The 3D view's camera work without a device: the distance order of blended faces, zooming to a
// box and the navigation by mouse drags and the Space key.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/os/input.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/view/3d_view.h"
#include "scene/face.h"
#include "support/recording_pointer_host.h"

namespace
{

// A view of the document that counts what the document asks of it.
class ZnViewProbe : public CZNView
{
public:
    ZnViewProbe() : CZNView(0) {}
    void RedrawForDocument(int) override { ++redraws; }
    void RefreshForDocument() override { ++refreshes; }
    int redraws = 0, refreshes = 0;
};

CZNCAMERA &Camera()
{
    return *GetEditorApp()->Get3D()->GetCamera();
}

void PlaceCamera(const D3DXVECTOR3 &position)
{
    const D3DXVECTOR3 look(0, 0, 1), up(0, 1, 0), right(1, 0, 0);
    Camera().SetPositionAndAxes(&position, &look, &up, &right, 0);
    Camera().Select(0);
}

ZNFACE FaceAt(const D3DXVECTOR3 &centre)
{
    ZNFACE face;
    face.m_CenterPoint = centre;
    return face;
}

D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

struct CompareCase {
    std::string name;
    D3DXVECTOR3 a, b;
    bool moveA, moveB; // translated by (0, 0, 10)
    int expected;
};

class CompareFaceDistanceTest : public ::testing::TestWithParam<CompareCase>
{
};

TEST_P(CompareFaceDistanceTest, NearerIsOneFartherIsMinusOne)
{
    PlaceCamera({1, 2, 3});
    const CompareCase &c = GetParam();
    ZNFACE a = FaceAt(c.a), b = FaceAt(c.b);
    const D3DXMATRIX shift = Translation(0, 0, 10);
    EXPECT_EQ(CZN3DView::CompareFaceDistance(&a, &b, c.moveA ? &shift : nullptr, c.moveB ? &shift : nullptr),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CompareFaceDistanceTest,
    ::testing::Values(CompareCase{"Nearer", {1, 2, 5}, {1, 2, 9}, false, false, 1},
                      CompareCase{"Farther", {1, 2, 9}, {1, 2, 5}, false, false, -1},
                      CompareCase{"EqualOnOtherSides", {1, 2, 7}, {1, 2, -1}, false, false, 0},
                      CompareCase{"DistanceNotDepth", {1, 8, 5}, {1, 2, 9}, false, false, -1},
                      CompareCase{"MatrixMovesAAway", {1, 2, 5}, {1, 2, 9}, true, false, -1},
                      CompareCase{"MatrixMovesBAway", {1, 2, 9}, {1, 2, 5}, false, true, 1},
                      CompareCase{"BothMovedKeepOrder", {1, 2, 5}, {1, 2, 9}, true, true, 1},
                      CompareCase{"MatrixMakesThemEqual", {1, 2, 13}, {1, 2, 3}, false, true, 0}),
    [](const auto &info) { return info.param.name; });

TEST(SortFacesBackToFront, AShuffledSetComesOutFarthestFirstWithItsMatrices)
{
    PlaceCamera({0, 0, 0});
    std::mt19937 random(7);
    for (int size : {2, 3, 17, 200}) {
        std::vector<ZNFACE> faces;
        std::vector<D3DXMATRIX> shifts;
        for (int i = 0; i < size; ++i) {
            // Repeated distances too, and half of the faces placed by a matrix.
            faces.push_back(FaceAt({0, 0, static_cast<float>(random() % 40)}));
            shifts.push_back(Translation(0, static_cast<float>(random() % 5), 0));
        }
        std::vector<ZNFACE *> order;
        std::vector<const D3DXMATRIX *> matrices;
        for (int i = 0; i < size; ++i) {
            order.push_back(&faces[static_cast<size_t>(i)]);
            matrices.push_back(i % 2 ? &shifts[static_cast<size_t>(i)] : nullptr);
        }
        CZN3DView::SortFacesBackToFront(order.data(), 0, size - 1, matrices.data());
        auto distance = [&](size_t k) {
            D3DXVECTOR3 c = order[k]->m_CenterPoint;
            if (matrices[k])
                D3DXVec3TransformCoord(&c, &c, matrices[k]);
            return ZnLength(c);
        };
        for (size_t k = 1; k < order.size(); ++k)
            EXPECT_GE(distance(k - 1), distance(k)) << "size " << size << " at " << k;
        // Each face kept its own matrix.
        for (size_t k = 0; k < order.size(); ++k) {
            const auto i = static_cast<size_t>(order[k] - faces.data());
            EXPECT_EQ(matrices[k], i % 2 ? &shifts[i] : nullptr);
        }
        std::vector<ZNFACE *> sorted = order;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    }
}

struct ZoomCase {
    std::string name;
    ZNBBOX box;
    int useBoxSize;
    D3DXVECTOR3 expected;
};

class ZoomCameraToBoundsTest : public ::testing::TestWithParam<ZoomCase>
{
};

TEST_P(ZoomCameraToBoundsTest, TheCameraBacksAwayAlongItsLook)
{
    PlaceCamera({0, 0, -20});
    const ZoomCase &c = GetParam();
    CZN3DView::ZoomCameraToBounds(&c.box, c.useBoxSize);
    const D3DXVECTOR3 p = Camera().GetPosition();
    EXPECT_NEAR(p.x, c.expected.x, 1e-4f);
    EXPECT_NEAR(p.y, c.expected.y, 1e-4f);
    EXPECT_NEAR(p.z, c.expected.z, 1e-4f);
    EXPECT_EQ(Camera().GetLook(), D3DXVECTOR3(0, 0, 1));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ZoomCameraToBoundsTest,
    ::testing::Values(
        // Diagonal of a 2 x 3 x 6 box is 7.
        ZoomCase{"DiagonalAsDistance", {{0, 0, 0}, {2, 3, 6}}, 1, {1, 1.5f, 3 - 7}},
        ZoomCase{"TinyBoxGetsTen", {{5, 5, 5}, {5.05f, 5, 5}}, 1, {5.025f, 5, 5 - 10}},
        ZoomCase{"PointGetsTen", {{1, 2, 3}, {1, 2, 3}}, 1, {1, 2, 3 - 10}},
        // From (0, 0, -20) the centre (0, 0, 10) is 30 away.
        ZoomCase{"CurrentDistance", {{-1, -1, 9}, {1, 1, 11}}, 0, {0, 0, -20}},
        ZoomCase{"CurrentDistanceOffAxis", {{3, 4, -20}, {3, 4, -20}}, 0, {3, 4, -25}}),
    [](const auto &info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Navigation

using RecordingHost = ZnRecordingPointerHost;

class NavigationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PlaceCamera({0, 0, 0});
        GetEditorApp()->Options().m_DynamicUpdate = 0;
        GetEditorApp()->SetSpaceDown(0);
        view.SetPointerHost(&host);
        document.AddView(&view);
        document.AddView(&probe);
    }
    void TearDown() override
    {
        GetEditorApp()->Options().m_DynamicUpdate = 0;
        GetEditorApp()->SetSpaceDown(0);
        PlaceCamera({0, 0, 0});
    }
    // Presses the buttons at (50, 50), moves through the points, releases.
    void Drag(UINT buttons, const std::vector<CPoint> &path)
    {
        const CPoint anchor(50, 50);
        // The second button of a two-button drag goes down while the first is held.
        if (buttons & MK_LBUTTON)
            view.OnLButtonDown(MK_LBUTTON, anchor);
        if (buttons & MK_RBUTTON)
            view.OnRButtonDown(buttons, anchor);
        for (const CPoint &p : path)
            view.OnMouseMove(buttons, anchor + p);
    }
    void Release(UINT buttons)
    {
        if (buttons & MK_LBUTTON)
            view.OnLButtonUp(buttons & MK_RBUTTON, CPoint(50, 50));
        if (buttons & MK_RBUTTON)
            view.OnRButtonUp(0, CPoint(50, 50));
    }

    CZNEDITORDoc document;
    CZN3DView view;
    ZnViewProbe probe;
    RecordingHost host;
};

struct DragCase {
    std::string name;
    UINT buttons;
    CPoint move; // cursor offset from the anchor
    D3DXVECTOR3 position, look, up;
};

class DragTest : public NavigationTest, public ::testing::WithParamInterface<DragCase>
{
};

const float kS = std::sin(1.0f * 3.14159265f / 180.0f), kC = std::cos(1.0f * 3.14159265f / 180.0f);

TEST_P(DragTest, MovesOrTurnsTheCamera)
{
    const DragCase &c = GetParam();
    Drag(c.buttons, {c.move});
    const CZNCAMERA &camera = Camera();
    for (const auto &[got, want] : {std::pair{camera.GetPosition(), c.position}, std::pair{camera.GetLook(), c.look},
                                    std::pair{camera.GetUp(), c.up}}) {
        EXPECT_NEAR(got.x, want.x, 1e-5f);
        EXPECT_NEAR(got.y, want.y, 1e-5f);
        EXPECT_NEAR(got.z, want.z, 1e-5f);
    }
    EXPECT_TRUE(host.hidden);
    EXPECT_TRUE(host.captured);
    Release(c.buttons);
    EXPECT_FALSE(host.hidden);
    EXPECT_FALSE(host.captured);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DragTest,
    ::testing::Values(
        // Left: the camera slides with the cursor, right and down.
        DragCase{"LeftRightDown", MK_LBUTTON, {10, 4}, {10, -4, 0}, {0, 0, 1}, {0, 1, 0}},
        DragCase{"LeftLeftUp", MK_LBUTTON, {-3, -7}, {-3, 7, 0}, {0, 0, 1}, {0, 1, 0}},
        // Right: a tenth of a degree per pixel, turning towards the cursor.
        DragCase{"RightYaw", MK_RBUTTON, {10, 0}, {0, 0, 0}, {kS, 0, kC}, {0, 1, 0}},
        DragCase{"RightPitch", MK_RBUTTON, {0, 10}, {0, 0, 0}, {0, -kS, kC}, {0, kC, kS}},
        // Both: forward and back with the vertical move, roll with the horizontal.
        DragCase{"BothBack", MK_LBUTTON | MK_RBUTTON, {0, 10}, {0, 0, -10}, {0, 0, 1}, {0, 1, 0}},
        DragCase{"BothForward", MK_LBUTTON | MK_RBUTTON, {0, -6}, {0, 0, 6}, {0, 0, 1}, {0, 1, 0}},
        DragCase{"BothRoll", MK_LBUTTON | MK_RBUTTON, {10, 0}, {0, 0, 0}, {0, 0, 1}, {kS, kC, 0}}),
    [](const auto &info) { return info.param.name; });

TEST_F(NavigationTest, TwoStepsOfALeftDragMoveAsOneStepOfTheirSum)
{
    for (bool canWarp : {false, true}) {
        PlaceCamera({0, 0, 0});
        host.canWarp = canWarp;
        // Where the cursor is warped back, the second step starts at the anchor again.
        const CPoint second = canWarp ? CPoint(4, 2) : CPoint(7, 3);
        Drag(MK_LBUTTON, {{3, 1}, second});
        const D3DXVECTOR3 stepped = Camera().GetPosition();
        Release(MK_LBUTTON);
        PlaceCamera({0, 0, 0});
        Drag(MK_LBUTTON, {{7, 3}});
        const D3DXVECTOR3 once = Camera().GetPosition();
        Release(MK_LBUTTON);
        EXPECT_NEAR(stepped.x, once.x, 1e-5f) << canWarp;
        EXPECT_NEAR(stepped.y, once.y, 1e-5f) << canWarp;
        EXPECT_NEAR(stepped.z, once.z, 1e-5f) << canWarp;
        EXPECT_NEAR(once.x, 7.0f, 1e-5f);
        if (canWarp) {
            EXPECT_EQ(host.warps, 3);
            EXPECT_EQ(host.warpedTo.x, 50);
            EXPECT_EQ(host.warpedTo.y, 50);
        }
    }
}

TEST_F(NavigationTest, AButtonPressedWhileTheOtherIsHeldIsIgnored)
{
    view.OnRButtonDown(MK_RBUTTON, CPoint(50, 50));
    view.OnLButtonDown(MK_LBUTTON | MK_RBUTTON, CPoint(90, 90));
    view.OnMouseMove(MK_RBUTTON, CPoint(60, 50));
    // Measured from the right button's anchor.
    EXPECT_NEAR(Camera().GetLook().x, kS, 1e-5f);
    // Moves without a button only follow the cursor.
    PlaceCamera({0, 0, 0});
    view.OnMouseMove(0, CPoint(10, 10));
    view.OnMouseMove(0, CPoint(40, 30));
    EXPECT_EQ(Camera().GetPosition(), D3DXVECTOR3(0, 0, 0));
}

TEST_F(NavigationTest, AStepRedrawsThisViewOrRefreshesAllViews)
{
    Drag(MK_LBUTTON, {{5, 0}});
    EXPECT_EQ(probe.refreshes, 0);
    Release(MK_LBUTTON);
    // After the drag the other views catch up.
    EXPECT_EQ(probe.redraws, 1);
    GetEditorApp()->Options().m_DynamicUpdate = 1;
    Drag(MK_LBUTTON, {{5, 0}, {9, 0}});
    EXPECT_EQ(probe.refreshes, 2);
    Release(MK_LBUTTON);
    EXPECT_EQ(probe.redraws, 1);
}

struct KeyCase {
    std::string name;
    BYTE before;
    bool down;
    UINT key, flags;
    BYTE after;
    int redraws;
};

class SpaceKeyTest : public NavigationTest, public ::testing::WithParamInterface<KeyCase>
{
};

TEST_P(SpaceKeyTest, SetsTheSpaceFlagOnFirstPressAndRelease)
{
    const KeyCase &c = GetParam();
    GetEditorApp()->SetSpaceDown(c.before);
    if (c.down)
        view.OnKeyDown(c.key, 1, c.flags);
    else
        view.OnKeyUp(c.key, 1, c.flags);
    EXPECT_EQ(GetEditorApp()->IsSpaceDown(), c.after);
    EXPECT_EQ(probe.redraws, c.redraws);
}

INSTANTIATE_TEST_SUITE_P(Table, SpaceKeyTest,
                         ::testing::Values(KeyCase{"Press", 0, true, VK_SPACE, 0, 1, 1},
                                           KeyCase{"AutoRepeatPress", 0, true, VK_SPACE, KF_REPEAT, 0, 0},
                                           KeyCase{"MenuPress", 0, true, VK_SPACE, KF_MENUMODE, 0, 0},
                                           KeyCase{"OtherKey", 0, true, 'A', 0, 0, 0},
                                           KeyCase{"Release", 1, false, VK_SPACE, KF_REPEAT | KF_UP, 0, 1},
                                           KeyCase{"AutoRepeatRelease", 1, false, VK_SPACE, KF_UP, 1, 0}),
                         [](const auto &info) { return info.param.name; });

} // namespace
