#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "band_drag_fixture.h"
#include "scene/geometry.h"

using RotateTest = BandDragTest;

// The pivot at the origin shows at pixel (100, 100) of the Front view.
struct AngleCase {
    const char *name;
    int x, y;
    int snap;
    float angle;
};

class CursorAngleTest : public BandDragTest, public ::testing::WithParamInterface<AngleCase>
{
};

TEST_P(CursorAngleTest, AngleAboutThePivot)
{
    const AngleCase &c = GetParam();
    GetEditorApp()->Options().m_SnapRotation = c.snap;
    Band()->SetPivot({0, 0, 0});
    EXPECT_NEAR(Band()->GetCursorAngle(&view, c.x, c.y), c.angle, 0.01f);
}

INSTANTIATE_TEST_SUITE_P(
    Cursor, CursorAngleTest,
    ::testing::Values(AngleCase{"Above", 100, 40, 0, 0}, AngleCase{"Right", 130, 100, 0, 90},
                      AngleCase{"Below", 100, 170, 0, 180}, AngleCase{"Left", 20, 100, 0, -90},
                      AngleCase{"OnThePivot", 100, 100, 0, 90}, AngleCase{"UpperLeft", 90, 90, 0, -45},
                      // tan 46.99 = 1072 / 1000, tan 47.49 = 10910 / 10000, tan 48.01 = 1111 / 1000
                      AngleCase{"Snap47", 1172, -900, 1, 45}, AngleCase{"Snap47Half", 11010, -9900, 1, 45},
                      AngleCase{"Snap48", 1211, -900, 1, 50}, AngleCase{"Unsnapped48", 1211, -900, 0, 48.01f},
                      AngleCase{"BelowRightSnapped", 101, 1100, 1, 180},
                      AngleCase{"BelowLeftSnapped", 99, 1100, 1, -180}),
    [](const ::testing::TestParamInfo<AngleCase> &info) { return std::string(info.param.name); });

TEST_F(RotateTest, ExactHalfStepSnapsDown)
{
    EXPECT_EQ(SnapToGrid(47.5f, 5.0f, 1), 45.0f);
}

// Crossing the vertical line below the pivot turns from 180 to -180 degrees: the same place.
TEST_F(RotateTest, HalfTurnEitherWayIsTheSame)
{
    ZNBRUSH *b = Box({0, 10, 0}, {4, 14, 4});
    ZNSELECTIONENTRY e = EntryOf(b);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    Band()->SetPivot({0, 0, 0});
    GetEditorApp()->Options().m_SnapRotation = 1;
    Press(3, ZNHANDLE_ROTATE, {100, 50});
    RotateStep(101, 300);
    const std::vector<D3DXVECTOR3> plus = Positions(b);
    RotateStep(99, 300);
    const std::vector<D3DXVECTOR3> minus = Positions(b);
    ASSERT_EQ(plus.size(), minus.size());
    for (size_t i = 0; i < plus.size(); ++i)
        ExpectNear(plus[i], minus[i]);
    ExpectNear(b->GetBoundingBox(1).Min, {-4, -14, 0});
}

// In every view a drag from above the pivot to its right turns what was above the pivot to its
// right on the screen.
class RotateViewTest : public BandDragTest, public ::testing::WithParamInterface<WORD>
{
};

TEST_P(RotateViewTest, AboveTurnsToTheRight)
{
    UseView(GetParam());
    // A small cube 30 units above the origin on the screen.
    D3DXVECTOR3 above;
    view.ScreenToWorld(&above, 100, 70, FALSE);
    ZNBRUSH *b = Box(above - D3DXVECTOR3(1, 1, 1), above + D3DXVECTOR3(1, 1, 1));
    ZNSELECTIONENTRY e = EntryOf(b);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    Band()->SetPivot({0, 0, 0});
    Press(1, ZNHANDLE_ROTATE, {100, 60});
    RotateStep(140, 100);
    const ZNBBOX box = b->GetBoundingBox(1);
    const POINT p = PixelOf((box.Min + box.Max) * 0.5f);
    EXPECT_EQ(p.x, 130);
    EXPECT_EQ(p.y, 100);
}

INSTANTIATE_TEST_SUITE_P(Views, RotateViewTest, ::testing::Values(ZN2DVIEW_TOP, ZN2DVIEW_RIGHT, ZN2DVIEW_FRONT),
                         [](const ::testing::TestParamInfo<WORD> &info) {
                             return std::string(info.param == ZN2DVIEW_TOP     ? "Top"
                                                : info.param == ZN2DVIEW_RIGHT ? "Right"
                                                                               : "Front");
                         });

// Every step starts from the press: 30 then 45 degrees is exactly one 45 degree turn.
TEST_F(RotateTest, StepsAreAbsolute)
{
    Box({-7, 2, -3}, {5, 9, 4});
    std::vector<D3DXVECTOR3> twoSteps;
    for (const std::vector<float> &steps : {std::vector<float>{30, 45}, std::vector<float>{45}}) {
        // Undo selects what it restored; every run starts from a new selection.
        Band()->Clear(1, 0);
        ZNBRUSH *b = Listed().front();
        ZNSELECTIONENTRY e = EntryOf(b);
        ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
        Band()->SetPivot({1, 1, 1});
        Band()->SetBoxLocked(1);
        Band()->SetHandleMode(ZNHANDLE_ROTATE);
        Band()->SetFirstStep(1);
        for (float angle : steps) {
            Band()->Rotate(0, 0, angle);
            Band()->SetFirstStep(0);
        }
        if (twoSteps.empty()) {
            twoSteps = Positions(b);
            Release();
            ASSERT_EQ(doc->OnEditUndo(), 1);
        } else {
            EXPECT_EQ(Positions(b), twoSteps);
        }
    }
}

// Mid-drag the band's corners are the turned cube's corners; the release puts the band back on
// the world axes around the turned cube.
TEST_F(RotateTest, BandTurnsWithTheSelection)
{
    ZNBRUSH *b = Box({-10, -10, -10}, {10, 10, 10});
    ZNSELECTIONENTRY e = EntryOf(b);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    Band()->SetPivot({4, -3, 2});
    for (WORD type : {ZN2DVIEW_TOP, ZN2DVIEW_RIGHT, ZN2DVIEW_FRONT}) {
        UseView(type);
        Press(3, ZNHANDLE_ROTATE, {100, 50});
        RotateStep(160, 80);
        const std::vector<D3DXVECTOR3> cube = Positions(b);
        const D3DXVECTOR3 *corners = Band()->GetCorners();
        for (int i = 0; i < 8; ++i) {
            const bool found = std::any_of(cube.begin(), cube.end(), [&](const D3DXVECTOR3 &p) {
                D3DXVECTOR3 d = p - corners[i];
                return D3DXVec3Length(&d) < 1e-3f;
            });
            EXPECT_TRUE(found) << "view " << type << " corner " << i;
        }
        Release();
        EXPECT_EQ(Band()->GetLookAxis(), D3DXVECTOR3(0, 0, 1));
        EXPECT_EQ(Band()->GetUpAxis(), D3DXVECTOR3(0, 1, 0));
        EXPECT_EQ(Band()->GetRightAxis(), D3DXVECTOR3(1, 0, 0));
        const ZNBBOX box = b->GetBoundingBox(1);
        ExpectNear(Band()->GetCentre(), (box.Min + box.Max) * 0.5f);
        ExpectNear(Band()->GetHalfExtents(), (box.Max - box.Min) * 0.5f);
        ASSERT_EQ(doc->OnEditUndo(), 1);
        Band()->Clear(1, 0);
        b = Listed().front();
        ZNSELECTIONENTRY again = EntryOf(b);
        ASSERT_EQ(Band()->AddToSelection(&again, 0, 0), 1);
        Band()->SetPivot({4, -3, 2});
    }
}
