#include <gtest/gtest.h>

#include <string>

#include "editor/selection_band.h"
#include "platform/os/input.h"
#include "render/view2d_fixture.h"
#include "scene/brush.h"
#include "support/shapes.h"

namespace
{

// A Front view of 60 x 40 at zoom 1 centred on the origin with the crosshair at (10, 5, 7):
// its vertical line (x) at pixel 40, its horizontal line (y) at pixel 15.
class View2DInputTest : public View2DTest
{
protected:
    void SetUp() override
    {
        View2DTest::SetUp();
        GetEditorApp()->Options().m_Initialized = 1;
        document->SetCursorPoint(D3DXVECTOR3(10, 5, 7));
        MakeView(ZN2DVIEW_FRONT, 60, 40);
    }
};

struct GrabCase {
    const char *name;
    int x, y;
    BYTE mask;
    int cursor; // shown over that pixel
};

void PrintTo(const GrabCase &c, std::ostream *os)
{
    *os << c.name;
}

const GrabCase kGrabCases[] = {
    {"CrossingGrabsBoth", 40, 15, 1 | 2, ZNCURSOR_SIZEALL},
    {"TwoLeftOfTheVerticalLine", 38, 30, 1, ZNCURSOR_SIZEWE},
    {"TwoRightOfTheVerticalLine", 42, 30, 1, ZNCURSOR_SIZEWE},
    {"ThreeLeftIsNothing", 37, 30, 0, ZNCURSOR_ARROW},
    {"ThreeRightIsNothing", 43, 30, 0, ZNCURSOR_ARROW},
    {"TwoAboveTheHorizontalLine", 5, 13, 2, ZNCURSOR_SIZENS},
    {"TwoBelowTheHorizontalLine", 5, 17, 2, ZNCURSOR_SIZENS},
    {"ThreeBelowIsNothing", 5, 18, 0, ZNCURSOR_ARROW},
    {"NearTheCrossingGrabsBoth", 42, 17, 1 | 2, ZNCURSOR_SIZEALL},
};

class CrosshairGrabTest : public View2DInputTest, public ::testing::WithParamInterface<GrabCase>
{
};

TEST_P(CrosshairGrabTest, WithinTwoPixels)
{
    const GrabCase &c = GetParam();
    view->OnLButtonDown(MK_LBUTTON, CPoint(c.x, c.y));
    EXPECT_EQ(view->GetAxisGrabMask(), c.mask);
    view->OnLButtonUp(0, CPoint(c.x, c.y));
    EXPECT_EQ(view->GetAxisGrabMask(), 0);
    view->SetCursorOverAxes(0, c.x, c.y);
    EXPECT_EQ(view->GetCursorId(), c.cursor);
    EXPECT_EQ(window->cursor, c.cursor);
}

INSTANTIATE_TEST_SUITE_P(Front, CrosshairGrabTest, ::testing::ValuesIn(kGrabCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Top shows x across and z down: its horizontal line is z (bit 4); Right shows z across (bit 4).
TEST_F(View2DInputTest, EachViewGrabsItsOwnAxes)
{
    view->SetViewType(ZN2DVIEW_TOP); // x at 40, z (7) at pixel 20 - 7
    EXPECT_TRUE(view->HitTestCursor(0, 40, 13));
    EXPECT_EQ(view->GetAxisGrabMask(), 1 | 4);
    view->SetViewType(ZN2DVIEW_RIGHT); // z (7) at 37, y (5) at 15
    EXPECT_TRUE(view->HitTestCursor(0, 37, 15));
    EXPECT_EQ(view->GetAxisGrabMask(), 4 | 2);
    EXPECT_FALSE(view->HitTestCursor(0, 5, 5));
    EXPECT_EQ(view->GetAxisGrabMask(), 0);
}

TEST_F(View2DInputTest, CrosshairDragSetsAndSnapsTheViewsAxesAndRedrawsEveryView)
{
    ZnFakeViewWindow otherWindow(30, 30);
    CZN2DView other;
    other.SetViewType(ZN2DVIEW_TOP);
    other.SetWindow(&otherWindow);
    other.OnSize(0, 30, 30);
    document->AddView(&other);
    GetEditorApp()->Options().m_SnapToGrid = 1;

    view->OnLButtonDown(MK_LBUTTON, CPoint(40, 15));
    const int shows = window->shows, otherShows = otherWindow.shows;
    // Pixel (52, 3) is world (22, 17): snapped to the grid of 10.
    window->MoveMouse(52, 3);
    view->OnMouseMove(MK_LBUTTON, CPoint(52, 3));
    EXPECT_EQ(document->GetCursorPoint(), D3DXVECTOR3(20, 20, 7));
    EXPECT_EQ(window->shows, shows + 1);
    EXPECT_EQ(otherWindow.shows, otherShows + 1);
    EXPECT_EQ(view->GetLastCursor().x, window->mouse.x);

    // Only the grabbed line moves: the vertical one changes x alone.
    view->OnLButtonUp(0, CPoint(52, 3));
    view->OnLButtonDown(MK_LBUTTON, CPoint(50, 35)); // x = 20 is at pixel 50
    EXPECT_EQ(view->GetAxisGrabMask(), 1);
    GetEditorApp()->Options().m_SnapToGrid = 0;
    view->OnMouseMove(MK_LBUTTON, CPoint(33, 35));
    EXPECT_EQ(document->GetCursorPoint(), D3DXVECTOR3(3, 20, 7));
    view->OnLButtonUp(0, CPoint(33, 35));
    document->RemoveView(&other);
}

TEST_F(View2DInputTest, MouseMoveShowsTheWorldPositionAtTheCursorsDepth)
{
    view->OnMouseMove(0, CPoint(35, 10));
    EXPECT_EQ(window->status, D3DXVECTOR3(5, 10, 7));
}

// A right-drag that reaches a desktop edge goes on from the other edge without a jump.
struct WrapCase {
    const char *name;
    POINT from, to;  // desktop positions of the mouse
    POINT warpedTo;  // where the view puts it
    D3DXVECTOR2 pan; // centre movement of the step
};

void PrintTo(const WrapCase &c, std::ostream *os)
{
    *os << c.name;
}

// A 200 x 150 desktop.
const WrapCase kWrapCases[] = {
    {"LeftEdgeToRight", {3, 70}, {0, 70}, {198, 70}, {3, 0}},
    {"RightEdgeToLeft", {196, 70}, {199, 70}, {1, 70}, {-3, 0}},
    {"TopEdgeToBottom", {100, 2}, {100, 0}, {100, 148}, {0, 2}},
    {"BottomEdgeToTop", {100, 140}, {100, 149}, {100, 1}, {0, -9}},
    {"CornerWrapsBoth", {2, 2}, {0, 0}, {198, 148}, {2, 2}},
};

class WrapTest : public View2DInputTest, public ::testing::WithParamInterface<WrapCase>
{
};

TEST_P(WrapTest, PanGoesOnFromTheOtherEdge)
{
    const WrapCase &c = GetParam();
    window->desktop = SIZE{200, 150};
    window->mouse = c.from;
    view->OnRButtonDown(MK_RBUTTON, CPoint(0, 0));
    window->mouse = c.to;
    view->OnMouseMove(MK_RBUTTON, CPoint(0, 0));
    EXPECT_EQ(view->GetCentre(), c.pan);
    EXPECT_EQ(window->mouse.x, c.warpedTo.x);
    EXPECT_EQ(window->mouse.y, c.warpedTo.y);
    EXPECT_EQ(view->GetLastCursor().x, c.warpedTo.x);
    EXPECT_EQ(view->GetLastCursor().y, c.warpedTo.y);
    // The next step counts from where the mouse was put.
    window->mouse = POINT{window->mouse.x + 1, window->mouse.y + 1};
    view->OnMouseMove(MK_RBUTTON, CPoint(0, 0));
    EXPECT_EQ(view->GetCentre(), c.pan - D3DXVECTOR2(1, 1));
}

INSTANTIATE_TEST_SUITE_P(Desktop, WrapTest, ::testing::ValuesIn(kWrapCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Where the platform cannot move the mouse, the drag goes on from where the mouse really is.
TEST_F(View2DInputTest, WithoutWarpingTheDragCountsFromTheRealMouse)
{
    window->desktop = SIZE{200, 150};
    window->canWarp = false;
    window->mouse = POINT{3, 70};
    view->OnRButtonDown(MK_RBUTTON, CPoint(0, 0));
    window->mouse = POINT{0, 70};
    view->OnMouseMove(MK_RBUTTON, CPoint(0, 0));
    window->mouse = POINT{-4, 70};
    view->OnMouseMove(MK_RBUTTON, CPoint(0, 0));
    EXPECT_EQ(view->GetCentre(), D3DXVECTOR2(7, 0));
    EXPECT_EQ(window->warps, 0);
}

TEST_F(View2DInputTest, SpaceHeldOnceRepeatsIgnored)
{
    const int shows = window->shows;
    view->OnKeyDown(VK_SPACE, 1, 0);
    EXPECT_EQ(GetEditorApp()->IsSpaceDown(), 1);
    EXPECT_EQ(window->shows, shows + 1);
    view->OnKeyDown(VK_SPACE, 1, KF_REPEAT);
    view->OnKeyDown(VK_SPACE, 1, KF_MENUMODE);
    EXPECT_EQ(window->shows, shows + 1);
    // A release counts only with the previous-state bit.
    view->OnKeyUp(VK_SPACE, 1, 0);
    EXPECT_EQ(GetEditorApp()->IsSpaceDown(), 1);
    view->OnKeyUp(VK_SPACE, 1, KF_REPEAT);
    EXPECT_EQ(GetEditorApp()->IsSpaceDown(), 0);
    EXPECT_EQ(window->shows, shows + 2);
    // Other keys do nothing.
    view->OnKeyDown('A', 1, 0);
    EXPECT_EQ(GetEditorApp()->IsSpaceDown(), 0);
}

TEST_F(View2DInputTest, PlacementModesLeaveTheCrosshair)
{
    GetEditorApp()->SetPlacementMode(ZNPLACE_PRIMITIVE);
    view->OnLButtonDown(MK_LBUTTON, CPoint(40, 15));
    EXPECT_EQ(view->GetAxisGrabMask(), 0);
}

TEST_F(View2DInputTest, CursorStaysWhileTheBandDrags)
{
    view->SetCursorOverAxes(0, 40, 15);
    GetEditorApp()->GetSelectionBand()->SetBoxLocked(1);
    view->UpdateCursor(0, CPoint(5, 5));
    GetEditorApp()->GetSelectionBand()->SetBoxLocked(0);
    EXPECT_EQ(view->GetCursorId(), ZNCURSOR_SIZEALL);
    view->UpdateCursor(0, CPoint(5, 5));
    EXPECT_EQ(view->GetCursorId(), ZNCURSOR_ARROW);
}

TEST_F(View2DInputTest, VertexHintsMarkNearVerticesInVertexMode)
{
    ZNBRUSH *brush = document->NewBrush();
    ZnBuildBox(*brush, {-10, -10, -10}, {10, 10, 10}); // corners at pixels (20, 10) .. (40, 30)
    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    GetEditorApp()->SetGridSize(1000.0f);
    document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
    view->Redraw(FALSE);
    auto hinted = [&](int x, int y) { return window->Image().pixel(x, y) == qRgb(100, 100, 255); };
    view->OnMouseMove(0, CPoint(22, 12));
    EXPECT_TRUE(hinted(17, 7));   // the square (17, 7)-(23, 13) around (20, 10)
    EXPECT_FALSE(hinted(37, 27)); // (40, 30) is more than 20 pixels away
    view->OnMouseMove(0, CPoint(45, 45));
    EXPECT_FALSE(hinted(17, 7));
    EXPECT_TRUE(hinted(37, 27));
}

} // namespace
