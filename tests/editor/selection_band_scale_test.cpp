#include <gtest/gtest.h>

#include <cmath>

#include "band_drag_fixture.h"
#include "scene/geometry.h"

namespace
{

constexpr UINT kShift = 4;
constexpr UINT kCtrl = 8;

ZNBBOX BandBox()
{
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    return {band->GetCentre() - band->GetHalfExtents(), band->GetCentre() + band->GetHalfExtents()};
}

void ExpectBox(const ZNBBOX &box, const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
{
    ExpectNear(box.Min, lo);
    ExpectNear(box.Max, hi);
}

} // namespace

using ScaleTest = BandDragTest;

// A 20-unit cube at the origin; the mouse moves 3 pixels right and 4 down from the press.
struct HandleCase {
    const char *name;
    WORD view;
    DWORD handle;
    D3DXVECTOR3 lo, hi;
};

class HandleSidesTest : public BandDragTest, public ::testing::WithParamInterface<HandleCase>
{
};

TEST_P(HandleSidesTest, GrabbedSidesFollowTheMouse)
{
    const HandleCase &c = GetParam();
    ZNBRUSH *b = Box({0, 0, 0}, {20, 20, 20});
    ZNSELECTIONENTRY e = EntryOf(b);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    UseView(c.view);
    Press(c.handle, ZNHANDLE_SCALE, {50, 50});
    ScaleStep(0, 53, 54);
    ExpectBox(BandBox(), c.lo, c.hi);
    ExpectBox(b->GetBoundingBox(1), c.lo, c.hi);
}

// Screen down is negative world along the view's vertical axis; right is positive horizontal.
INSTANTIATE_TEST_SUITE_P(
    Handles, HandleSidesTest,
    ::testing::Values(HandleCase{"Front1", ZN2DVIEW_FRONT, 1, {3, -4, 0}, {20, 20, 20}},
                      HandleCase{"Front2", ZN2DVIEW_FRONT, 2, {3, 0, 0}, {20, 16, 20}},
                      HandleCase{"Front3", ZN2DVIEW_FRONT, 3, {0, 0, 0}, {23, 16, 20}},
                      HandleCase{"Front4", ZN2DVIEW_FRONT, 4, {0, -4, 0}, {23, 20, 20}},
                      HandleCase{"Front5", ZN2DVIEW_FRONT, 5, {3, 0, 0}, {20, 20, 20}},
                      HandleCase{"Front6", ZN2DVIEW_FRONT, 6, {0, 0, 0}, {20, 16, 20}},
                      HandleCase{"Front7", ZN2DVIEW_FRONT, 7, {0, 0, 0}, {23, 20, 20}},
                      HandleCase{"Front8", ZN2DVIEW_FRONT, 8, {0, -4, 0}, {20, 20, 20}},
                      HandleCase{"Top1", ZN2DVIEW_TOP, 1, {3, 0, -4}, {20, 20, 20}},
                      HandleCase{"Top3", ZN2DVIEW_TOP, 3, {0, 0, 0}, {23, 20, 16}},
                      HandleCase{"Right2", ZN2DVIEW_RIGHT, 2, {0, 0, 3}, {20, 16, 20}},
                      HandleCase{"Right4", ZN2DVIEW_RIGHT, 4, {0, -4, 0}, {20, 20, 23}}),
    [](const ::testing::TestParamInfo<HandleCase> &info) { return std::string(info.param.name); });

// Dragging the right side 40 units left, plainly and with Shift.
struct PastCase {
    const char *name;
    UINT flags;
    int dx;
    float lo, hi;
};

class PastOppositeTest : public BandDragTest, public ::testing::WithParamInterface<PastCase>
{
};

TEST_P(PastOppositeTest, AxisKeepsItsMinimum)
{
    const PastCase &c = GetParam();
    ZNSELECTIONENTRY e = EntryOf(Box({0, 0, 0}, {20, 20, 20}));
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    Press(7, ZNHANDLE_SCALE, {120, 100});
    ScaleStep(c.flags, 120 + c.dx, 100);
    ExpectBox(BandBox(), {c.lo, 0, 0}, {c.hi, 20, 20});
}

INSTANTIATE_TEST_SUITE_P(Drags, PastOppositeTest,
                         ::testing::Values(PastCase{"PlainStopsOneShort", 0, -40, 0, 1},
                                           PastCase{"PlainToOneUnit", 0, -19, 0, 1},
                                           PastCase{"SymmetricCollapses", kShift, -40, 9, 11},
                                           PastCase{"SymmetricAtTheCentre", kShift, -9, 9, 11},
                                           PastCase{"SymmetricGrows", kShift, 5, -5, 25},
                                           PastCase{"CtrlAloneIsPlain", kCtrl, 5, 0, 25}),
                         [](const ::testing::TestParamInfo<PastCase> &info) { return std::string(info.param.name); });

TEST_F(ScaleTest, UniformLimitsTheShortestAxisAndKeepsPivotAndOrigin)
{
    ZNSELECTIONENTRY e = EntryOf(Box({0, 0, 0}, {10, 2, 4}));
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    const D3DXVECTOR3 pivot(2, 1, 1), origin(7, -3, 5);
    Band()->SetPivot(pivot);
    Band()->SetPlacementOrigin(origin);
    Press(3, ZNHANDLE_SCALE, {100, 100});
    // Factor (2 * -4 + 10) / 10 = 0.2 would make y 0.4 long: limited to 0.5, y exactly 1.
    ScaleStep(kShift | kCtrl, 96, 100);
    const ZNBBOX box = BandBox();
    ExpectBox(box, pivot + (D3DXVECTOR3(0, 0, 0) - pivot) * 0.5f, pivot + (D3DXVECTOR3(10, 2, 4) - pivot) * 0.5f);
    EXPECT_FLOAT_EQ(box.Max.y - box.Min.y, 1.0f);
    EXPECT_EQ(Band()->GetPivot(), pivot);
    EXPECT_EQ(Band()->GetPlacementOrigin(), origin);
    // Growing uses the same factor on every axis.
    ScaleStep(kShift | kCtrl, 105, 100);
    ExpectBox(BandBox(), pivot + (D3DXVECTOR3(0, 0, 0) - pivot) * 2.0f, pivot + (D3DXVECTOR3(10, 2, 4) - pivot) * 2.0f);
}

TEST_F(ScaleTest, PlainScaleKeepsACentredPivotCentredAndCarriesTheOrigin)
{
    ZNSELECTIONENTRY e = EntryOf(Box({0, 0, 0}, {20, 20, 20}));
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    // After the add: pivot at the centre, placement origin at the middle of the bottom.
    ASSERT_EQ(Band()->GetPivot(), D3DXVECTOR3(10, 10, 10));
    Press(3, ZNHANDLE_SCALE, {110, 90});
    ScaleStep(0, 120, 80);
    ExpectBox(BandBox(), {0, 0, 0}, {30, 30, 20});
    ExpectNear(Band()->GetPivot(), {15, 15, 10});
    ExpectNear(Band()->GetPlacementOrigin(), {15, 0, 10});
}

// A face lying in the plane y = 0 and a single vertex: flat axes never change and nothing
// becomes infinite or NaN.
TEST_F(ScaleTest, FlatSelectionsKeepTheirFlatAxes)
{
    ZNBRUSH *b = Box({0, 0, 0}, {20, 20, 20});
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    DWORD bottom = b->GetFaceCount();
    for (DWORD i = 0; i < b->GetFaceCount(); ++i) {
        const ZNBBOX f = b->GetBoundingBox(i);
        if (f.Max.y == 0.0f)
            bottom = i;
    }
    ASSERT_LT(bottom, b->GetFaceCount());
    ZNSELECTIONENTRY face = FaceEntry(b, bottom);
    ASSERT_EQ(Band()->AddToSelection(&face, 0, 0), 1);
    Press(3, ZNHANDLE_SCALE, {120, 100});
    ScaleStep(0, 125, 90);
    const ZNBBOX after = b->GetBoundingBox(bottom);
    ExpectBox(after, {0, 0, 0}, {25, 0, 20});
    EXPECT_TRUE(AllFinite(b));
    EXPECT_TRUE(std::isfinite(Band()->GetPivot().y));
    EXPECT_TRUE(std::isfinite(Band()->GetPlacementOrigin().y));
    Release();
    Band()->Clear(1, 0);

    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    const std::vector<D3DXVECTOR3> before = Positions(b);
    ZNSELECTIONENTRY vertex = VertexEntry(b, 0, 0);
    ASSERT_EQ(Band()->AddToSelection(&vertex, 0, 0), 1);
    Press(1, ZNHANDLE_SCALE, {100, 100});
    ScaleStep(kShift, 130, 70);
    ScaleStep(kShift | kCtrl, 130, 70);
    EXPECT_EQ(Positions(b), before);
    EXPECT_TRUE(std::isfinite(Band()->GetPivot().x));
}

// The delta is truncated to whole world units before it moves a side; with snap the grabbed
// side lands on the grid however far the mouse went.
struct SnapCase {
    const char *name;
    float zoom;
    int snap;
    int dx;
    float lo;
};

class ScaleSnapTest : public BandDragTest, public ::testing::WithParamInterface<SnapCase>
{
};

TEST_P(ScaleSnapTest, LeftSideLandsWhereExpected)
{
    const SnapCase &c = GetParam();
    ZNSELECTIONENTRY e = EntryOf(Box({3, 0, 0}, {43, 20, 20}));
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    GetEditorApp()->Options().m_SnapToGrid = c.snap;
    view.SetZoom(c.zoom);
    Press(5, ZNHANDLE_SCALE, {100, 100});
    ScaleStep(0, 100 + c.dx, 100);
    EXPECT_FLOAT_EQ(BandBox().Min.x, c.lo);
    EXPECT_FLOAT_EQ(BandBox().Max.x, 43.0f);
}

INSTANTIATE_TEST_SUITE_P(Deltas, ScaleSnapTest,
                         ::testing::Values(SnapCase{"TruncatedRight", 2, 0, 7, 6}, SnapCase{"TruncatedLeft", 2, 0, -7, 0},
                                           SnapCase{"SnapWithoutMove", 1, 1, 0, 0},
                                           SnapCase{"SnapFourteen", 1, 1, 14, 10},
                                           SnapCase{"SnapSixteen", 1, 1, 16, 20},
                                           SnapCase{"SnapLeft", 1, 1, -16, -20}),
                         [](const ::testing::TestParamInfo<SnapCase> &info) { return std::string(info.param.name); });
