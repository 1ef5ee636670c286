#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/gdi/bitmap.h"
#include "platform/os/input.h"
#include "render/view/2d_view.h"
#include "render/view2d_fixture.h"
#include "scene/bbox.h"

namespace
{

struct ProjectionCase {
    const char *name;
    WORD type;
    int width, height;
    D3DXVECTOR2 centre;
    float zoom;
    D3DXVECTOR3 world;
    LONG x, y;
};

void PrintTo(const ProjectionCase &c, std::ostream *os)
{
    *os << c.name;
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

const ProjectionCase kProjectionCases[] = {
    // Half sizes 50 and 40; u and v less the centre, times the zoom.
    {"TopShowsXAndMinusZ", ZN2DVIEW_TOP, 100, 80, {3, -4}, 2, {10, 20, 30}, 64, -12},
    {"RightShowsZAndMinusY", ZN2DVIEW_RIGHT, 100, 80, {3, -4}, 2, {10, 20, 30}, 104, 8},
    {"FrontShowsXAndMinusY", ZN2DVIEW_FRONT, 100, 80, {3, -4}, 2, {10, 20, 30}, 64, 8},
    {"OtherTypesShowTheFrontAxes", 3, 100, 80, {3, -4}, 2, {10, 20, 30}, 64, 8},
    {"OddSizesHalveInWholePixels", ZN2DVIEW_FRONT, 101, 81, {0, 0}, 1, {0, 0, 0}, 50, 40},
    {"TruncatedTowardZero", ZN2DVIEW_FRONT, 100, 100, {0, 0}, 1, {-50.5f, 50.7f, 0}, 0, 0},
    {"FractionsCutOff", ZN2DVIEW_FRONT, 100, 100, {0, 0}, 1, {10.9f, -10.9f, 0}, 60, 60},
    {"FarPositionsHeldAtTheLimit", ZN2DVIEW_FRONT, 100, 100, {0, 0}, 25, {1e30f, 1e30f, 0}, 1073741824, -1073741824},
    {"NaNGivesZero", ZN2DVIEW_FRONT, 100, 100, {0, 0}, 1, {kNaN, kNaN, 0}, 0, 0},
};

class WorldToScreenTest : public ::testing::TestWithParam<ProjectionCase>
{
};

TEST_P(WorldToScreenTest, GivesThePixel)
{
    const ProjectionCase &c = GetParam();
    CZN2DView view;
    view.SetViewType(c.type);
    view.SetClientSize(c.width, c.height);
    view.SetCentre(c.centre.x, c.centre.y);
    view.SetZoom(c.zoom);
    POINT pixel{-99, -99};
    EXPECT_EQ(view.WorldToScreen(&pixel, &c.world), &pixel);
    EXPECT_EQ(pixel.x, c.x);
    EXPECT_EQ(pixel.y, c.y);
}

INSTANTIATE_TEST_SUITE_P(Views, WorldToScreenTest, ::testing::ValuesIn(kProjectionCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(View2D, StartsAtTheOriginWithZoomOne)
{
    CZN2DView view;
    EXPECT_EQ(view.GetViewType(), ZN2DVIEW_TOP);
    EXPECT_EQ(view.GetClientWidth(), 0);
    EXPECT_EQ(view.GetClientHeight(), 0);
    EXPECT_EQ(view.GetCentre(), D3DXVECTOR2(0, 0));
    EXPECT_EQ(view.GetZoom(), 1.0f);
    const D3DXVECTOR3 p(1, 2, 3);
    EXPECT_EQ(view.WorldToScreen(nullptr, &p), nullptr);
}

} // namespace

namespace
{

// The world point under a pixel: u and v from the pixel, the depth from the 3D cursor (50, 50, 50).
struct ScreenToWorldCase {
    const char *name;
    WORD type;
    D3DXVECTOR2 centre;
    float zoom;
    float x, y;
    D3DXVECTOR3 world;
};

void PrintTo(const ScreenToWorldCase &c, std::ostream *os)
{
    *os << c.name;
}

const ScreenToWorldCase kScreenToWorldCases[] = {
    {"FrontCentreIsTheCentre", ZN2DVIEW_FRONT, {3, -4}, 1, 50, 40, {3, 4, 50}},
    {"FrontRightAndDownAtZoomTwo", ZN2DVIEW_FRONT, {3, -4}, 2, 70, 60, {13, -6, 50}},
    {"TopDownIsTowardsMinusZ", ZN2DVIEW_TOP, {3, -4}, 2, 70, 60, {13, 50, -6}},
    {"RightAcrossIsZ", ZN2DVIEW_RIGHT, {3, -4}, 2, 70, 60, {50, -6, 13}},
};

class ScreenToWorldTest : public View2DTest, public ::testing::WithParamInterface<ScreenToWorldCase>
{
};

TEST_P(ScreenToWorldTest, TakesTheDepthFromTheCursor)
{
    const ScreenToWorldCase &c = GetParam();
    MakeView(c.type, 100, 80);
    view->SetCentre(c.centre.x, c.centre.y);
    view->SetZoom(c.zoom);
    D3DXVECTOR3 world(-1, -1, -1);
    EXPECT_EQ(view->ScreenToWorld(&world, c.x, c.y, TRUE), &world);
    EXPECT_EQ(world, c.world);
    view->ScreenToWorld(&world, c.x, c.y, FALSE);
    EXPECT_EQ((&world.x)[view->GetDepthAxis()], 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Views, ScreenToWorldTest, ::testing::ValuesIn(kScreenToWorldCases),
                         [](const auto &info) { return std::string(info.param.name); });

struct ZoomCase {
    const char *name;
    float before;
    int step; // wheel delta, or the cursor's downward movement of a zoom drag
    float after;
};

void PrintTo(const ZoomCase &c, std::ostream *os)
{
    *os << c.name;
}

const ZoomCase kWheelCases[] = {
    {"NotchUp", 1.0f, 120, 1.07f},
    {"NotchDownIsNotSnapped", 1.0f, -120, 0.93f},
    {"BackUpSnapsToOne", 0.93f, 120, 1.0f},
    {"LessThanANotchDoesNothing", 1.5f, 119, 1.5f},
    {"TwoNotches", 1.0f, 240, 1.14f},
    {"FifteenNotchesDownClampToTheMinimum", 1.0f, -1800, 0.1f},
    {"CappedAtTheMaximum", 24.0f, 120, 25.0f},
};

class WheelZoomTest : public View2DTest, public ::testing::WithParamInterface<ZoomCase>
{
};

TEST_P(WheelZoomTest, ZoomsByWholeNotches)
{
    const ZoomCase &c = GetParam();
    MakeView(ZN2DVIEW_FRONT, 40, 30);
    view->SetZoom(c.before);
    const int shows = window->shows;
    EXPECT_TRUE(view->OnMouseWheel(0, static_cast<short>(c.step), CPoint(5, 5)));
    EXPECT_FLOAT_EQ(view->GetZoom(), c.after);
    EXPECT_EQ(window->shows, shows + 1);
}

INSTANTIATE_TEST_SUITE_P(Wheel, WheelZoomTest, ::testing::ValuesIn(kWheelCases),
                         [](const auto &info) { return std::string(info.param.name); });

const ZoomCase kDragZoomCases[] = {
    {"UpZoomsIn", 2.0f, -40, 2.1f},
    {"DownZoomsOut", 2.0f, 40, 1.9f},
    {"EnteringTheBandSnapsToOne", 1.02f, 6, 1.0f},
    {"EnteringFromBelowSnapsToOne", 0.98f, -6, 1.0f},
    {"LeavingOneIsNotSnapped", 1.0f, 2, 0.995f},
    {"MovingInsideTheBandIsNotSnapped", 1.008f, 2, 1.003f},
    {"ClampedAtTheMinimum", 0.2f, 400, 0.1f},
    {"ClampedAtTheMaximum", 24.9f, -400, 25.0f},
};

class DragZoomTest : public View2DTest, public ::testing::WithParamInterface<ZoomCase>
{
};

TEST_P(DragZoomTest, FollowsTheCursorsHeight)
{
    const ZoomCase &c = GetParam();
    MakeView(ZN2DVIEW_FRONT, 40, 30);
    GetEditorApp()->SetRightButtonMode(ZNRBUTTON_ZOOM);
    view->SetZoom(c.before);
    window->MoveMouse(20, 15);
    view->OnRButtonDown(MK_RBUTTON, CPoint(20, 15));
    window->MoveMouse(20, 15 + c.step);
    view->OnMouseMove(MK_RBUTTON, CPoint(20, 15 + c.step));
    EXPECT_NEAR(view->GetZoom(), c.after, 1e-5f);
    EXPECT_EQ(view->GetCentre(), D3DXVECTOR2(0, 0));
}

INSTANTIATE_TEST_SUITE_P(Drag, DragZoomTest, ::testing::ValuesIn(kDragZoomCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(View2DTest, RightDragPansWithTheMouse)
{
    MakeView(ZN2DVIEW_FRONT, 40, 30);
    view->SetZoom(2.0f);
    view->SetCentre(1, 1);
    window->MoveMouse(20, 15);
    view->OnRButtonDown(MK_RBUTTON, CPoint(20, 15));
    window->MoveMouse(30, 5);
    view->OnMouseMove(MK_RBUTTON, CPoint(30, 5));
    EXPECT_EQ(view->GetCentre(), D3DXVECTOR2(-4, 6));
    EXPECT_EQ(view->GetLastCursor().x, window->mouse.x);
    EXPECT_EQ(view->GetLastCursor().y, window->mouse.y);
    // A move without the right button leaves the view where it is.
    window->MoveMouse(10, 10);
    view->OnMouseMove(0, CPoint(10, 10));
    EXPECT_EQ(view->GetCentre(), D3DXVECTOR2(-4, 6));
}

TEST_F(View2DTest, ZoomToBox)
{
    MakeView(ZN2DVIEW_TOP, 100, 50);
    const ZNBBOX point{{4, 5, 6}, {4, 5, 6}};
    view->ZoomToBox(&point, TRUE);
    EXPECT_EQ(view->GetCentre(), D3DXVECTOR2(4, -6));
    EXPECT_FLOAT_EQ(view->GetZoom(), 10.0f);

    // A box filling the client area on both axes: each ratio 1, length sqrt(2).
    const ZNBBOX box{{0, -100, 0}, {100, 100, 50}};
    view->ZoomToBox(&box, TRUE);
    EXPECT_EQ(view->GetCentre(), D3DXVECTOR2(50, -25));
    EXPECT_FLOAT_EQ(view->GetZoom(), 1.0f / std::sqrt(2.0f));
    view->ZoomToBox(&point, FALSE);
    EXPECT_FLOAT_EQ(view->GetZoom(), 1.0f / std::sqrt(2.0f));

    // Without a client area the view only re-centres.
    view->SetClientSize(0, 0);
    view->SetZoom(3.0f);
    view->ZoomToBox(&point, TRUE);
    EXPECT_EQ(view->GetCentre(), D3DXVECTOR2(4, -6));
    EXPECT_EQ(view->GetZoom(), 3.0f);
}

struct FollowCase {
    const char *name;
    D3DXVECTOR3 camera;
    bool centred;
    D3DXVECTOR2 centre;
};

void PrintTo(const FollowCase &c, std::ostream *os)
{
    *os << c.name;
}

// A Front view of 100 x 80 at zoom 1 centred on the origin: pixel x = world x + 50, y = 40 - world y.
const FollowCase kFollowCases[] = {
    {"OnTheLeftEdgePixelStays", {-49, 0, 0}, false, {0, 0}},
    {"LeftOfItRecentres", {-50, 0, 0}, false, {-50, 0}},
    {"OnTheRightEdgeStays", {50, 0, 0}, false, {0, 0}},
    {"PastTheRightEdgeRecentres", {51, 0, 0}, false, {51, 0}},
    {"AboveTheTopRecentresOnlyV", {10, 40, 0}, false, {0, -40}},
    {"KeptCentred", {10, 20, 30}, true, {10, -20}},
};

class FollowCameraTest : public View2DTest, public ::testing::WithParamInterface<FollowCase>
{
};

TEST_P(FollowCameraTest, KeepsTheCameraInView)
{
    const FollowCase &c = GetParam();
    MakeView(ZN2DVIEW_FRONT, 100, 80);
    GetEditorApp()->Options().m_KeepCameraInView = 1;
    GetEditorApp()->Options().m_KeepCameraCentred = c.centred ? 1 : 0;
    const D3DXVECTOR3 look(0, 0, 1), up(0, 1, 0), right(1, 0, 0);
    Camera().SetPositionAndAxes(&c.camera, &look, &up, &right, 0);
    document->RefreshViews();
    EXPECT_EQ(view->GetCentre(), c.centre);

    // With the option off the view never moves.
    GetEditorApp()->Options().m_KeepCameraInView = 0;
    view->SetCentre(0, 0);
    document->RefreshViews();
    EXPECT_EQ(view->GetCentre(), D3DXVECTOR2(0, 0));
}

INSTANTIATE_TEST_SUITE_P(Camera, FollowCameraTest, ::testing::ValuesIn(kFollowCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(View2DTest, BackBufferIsReplacedOnlyWhenTheSizeChanges)
{
    MakeView(ZN2DVIEW_FRONT, 40, 30);
    CBitmap *first = view->GetBackBufferBitmap();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetWidth(), 40);
    view->OnSize(0, 40, 30);
    EXPECT_EQ(view->GetBackBufferBitmap(), first);
    view->OnSize(0, 50, 20);
    ASSERT_NE(view->GetBackBufferBitmap(), nullptr);
    EXPECT_EQ(view->GetBackBufferBitmap()->GetWidth(), 50);
    EXPECT_EQ(view->GetBackBufferBitmap()->GetHeight(), 20);
    EXPECT_EQ(view->GetBackBufferWidth(), 50);
    EXPECT_EQ(view->GetBackBufferHeight(), 20);
}

TEST_F(View2DTest, DocumentStartsWithTheCursorAt50)
{
    EXPECT_EQ(document->GetCursorPoint(), D3DXVECTOR3(50, 50, 50));
}

} // namespace
