// A 2D view between its two interfaces: it paints what a source gives it (here a stand-in for the
// document holding real brushes) and hands every event to its input (here one that records them)
// after the navigation it does itself.
#include <gtest/gtest.h>

#include <QImage>
#include <string>
#include <vector>

#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "platform/os/input.h"
#include "render/render_batch.h"
#include "render/view/view_input.h"
#include "render/view/view_source.h"
#include "render/view2d_fixture.h"
#include "scene/brush.h"
#include "support/shapes.h"

namespace
{

constexpr QRgb kBrushWhite = 0xFFFFFFFF;
constexpr QRgb kCrosshairBlue = 0xFF2323C8;
constexpr QRgb kOverlayGreen = 0xFF00FF00;

// A stand-in for the document: its lists, its 3D cursor, and a record of what the view asked.
// Its 2D overlay is a green square at the view's top left corner.
class ZnFakeViewSource : public IZNViewSource
{
public:
    ZNBRUSH *GetBrushList() const override { return brushes; }
    CZNOverlay *GetOverlayList() const override { return nullptr; }
    CZNEntity *GetEntityList() const override { return nullptr; }
    const D3DXVECTOR3 &GetCursorPoint() const override { return cursor; }
    void SetCursorPoint(const D3DXVECTOR3 &point) override { cursor = point; }
    ZNRENDERBATCH &GetBlendedBatch() override { return blended; }
    ZNRENDERBATCH &GetUnlitBatch() override { return unlit; }
    void EmptyRenderBatches() override {}
    void RedrawAllViews(CZNView *, int) override { ++redraws; }
    void RefreshViews() override {}
    void DrawOverlay2D(CDC *dc, CZN2DView *view) override
    {
        overlayViews.push_back(view);
        CZNBrush green(RGB(0, 255, 0));
        const RECT square{0, 0, 4, 4};
        dc->FillRect(&square, &green);
    }

    ZNBRUSH *brushes = nullptr;
    D3DXVECTOR3 cursor{0, 0, 0};
    ZNRENDERBATCH blended, unlit;
    int redraws = 0;
    std::vector<CZN2DView *> overlayViews;
};

// Every call as a line: what it was, the point or key, and the flags; the view it came from must
// be the test's.
class ZnRecordingInput : public IZNViewInput
{
public:
    void OnLButtonDown(CZNView *v, UINT f, CPoint p) override { Mouse("LDown", v, f, p); }
    void OnLButtonUp(CZNView *v, UINT f, CPoint p) override { Mouse("LUp", v, f, p); }
    void OnRButtonDown(CZNView *v, UINT f, CPoint p) override { Mouse("RDown", v, f, p); }
    void OnRButtonUp(CZNView *v, UINT f, CPoint p) override { Mouse("RUp", v, f, p); }
    void OnMouseMove(CZNView *v, UINT f, CPoint p) override { Mouse("Move", v, f, p); }
    void UpdateCursor(CZNView *v, UINT f, CPoint p) override { Mouse("Cursor", v, f, p); }
    void OnKeyDown(CZNView *v, UINT key, UINT, UINT f) override { Key("KeyDown", v, key, f); }
    void OnKeyUp(CZNView *v, UINT key, UINT, UINT f) override { Key("KeyUp", v, key, f); }
    void ForgetView(CZNView *v) override { Add("Forget", v, ""); }

    std::vector<std::string> calls;
    std::vector<CZNView *> views;

private:
    void Add(const char *what, CZNView *v, const std::string &rest)
    {
        calls.push_back(what + rest);
        views.push_back(v);
    }
    void Mouse(const char *what, CZNView *v, UINT f, CPoint p)
    {
        Add(what, v, " " + std::to_string(p.x) + "," + std::to_string(p.y) + " f" + std::to_string(f));
    }
    void Key(const char *what, CZNView *v, UINT key, UINT f)
    {
        Add(what, v, " " + std::to_string(key) + " f" + std::to_string(f));
    }
};

// A Front view of 60 x 40 at zoom 1 centred on the origin, shown by the fake source: a box of
// +-10 at pixels (20, 10) to (40, 30) and the crosshair at (-25, -15, 0), pixel (5, 35). The mouse
// rests over client pixel (7, 8).
class View2DSourceTest : public View2DTest
{
protected:
    void SetUp() override
    {
        View2DTest::SetUp();
        PaintSceneWithGrid(1000.0f);
        GetEditorApp()->Options().m_SnapToGrid = 0;
        ZnBuildBox(box, {-10, -10, -10}, {10, 10, 10});
        source.brushes = &box;
        source.cursor = D3DXVECTOR3(-25, -15, 0);
        MakeView(ZN2DVIEW_FRONT, 60, 40);
        document->RemoveView(view.get());
        view->SetSource(&source);
        view->SetInput(&input);
        window->MoveMouse(7, 8);
    }
    void TearDown() override
    {
        view.reset(); // before the input it tells
        View2DTest::TearDown();
    }

    bool AnyPixel(QRgb colour) const
    {
        const QImage &image = window->Image();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == colour)
                    return true;
        return false;
    }

    ZNBRUSH box;
    ZnFakeViewSource source;
    ZnRecordingInput input;
};

TEST_F(View2DSourceTest, PaintsTheSourcesBrushesCrosshairAndOverlay)
{
    view->Redraw(FALSE);
    const QImage &image = window->Image();
    EXPECT_EQ(image.pixel(20, 20), kBrushWhite); // the box's left edge
    EXPECT_EQ(image.pixel(30, 10), kBrushWhite); // its top edge
    bool crosshair = false;
    for (int y = 0; y < 40; ++y)
        crosshair = crosshair || image.pixel(5, y) == kCrosshairBlue;
    EXPECT_TRUE(crosshair);
    // The overlay goes over the finished picture, once, for this view.
    EXPECT_EQ(image.pixel(1, 1), kOverlayGreen);
    EXPECT_EQ(source.overlayViews, std::vector<CZN2DView *>{view.get()});
}

TEST_F(View2DSourceTest, WithoutASourceTheSceneIsEmptyAndTheCrosshairGone)
{
    view->SetSource(nullptr);
    view->SetInput(nullptr);
    view->Redraw(FALSE);
    EXPECT_FALSE(AnyPixel(kBrushWhite));
    EXPECT_FALSE(AnyPixel(kCrosshairBlue));
    EXPECT_FALSE(AnyPixel(kOverlayGreen));
    EXPECT_FALSE(view->HitTestCursor(0, 5, 35));
    view->OnLButtonDown(MK_LBUTTON, CPoint(5, 35));
    view->OnMouseMove(MK_LBUTTON, CPoint(20, 20));
    view->OnLButtonUp(0, CPoint(20, 20));
    view->OnKeyDown(VK_SPACE, 1, 0);
    view->OnKeyUp(VK_SPACE, 1, KF_REPEAT);
    EXPECT_EQ(source.cursor, D3DXVECTOR3(-25, -15, 0));
    EXPECT_EQ(source.redraws, 0);
    // Depth from the cursor falls back to 0.
    D3DXVECTOR3 w;
    view->ScreenToWorld(&w, 30, 20, TRUE);
    EXPECT_EQ(w, D3DXVECTOR3(0, 0, 0));
}

// One event and what the input hears of it.
struct ForwardCase {
    const char *name;
    void (*send)(CZN2DView &view);
    std::vector<std::string> heard;
};

void PrintTo(const ForwardCase &c, std::ostream *os)
{
    *os << c.name;
}

class ForwardTest : public View2DSourceTest, public ::testing::WithParamInterface<ForwardCase>
{
};

TEST_P(ForwardTest, TheInputHearsEveryEventAfterTheView)
{
    GetParam().send(*view);
    EXPECT_EQ(input.calls, GetParam().heard);
    for (CZNView *v : input.views)
        EXPECT_EQ(v, view.get());
}

INSTANTIATE_TEST_SUITE_P(
    Events, ForwardTest,
    ::testing::Values(
        // Even over the crosshair: whether a press grabs it is the input's to decide.
        ForwardCase{"LeftPressOverTheCrosshair", [](CZN2DView &v) { v.OnLButtonDown(MK_LBUTTON, CPoint(5, 35)); },
                    {"LDown 5,35 f1"}},
        ForwardCase{"LeftRelease", [](CZN2DView &v) { v.OnLButtonUp(MK_SHIFT, CPoint(12, 30)); }, {"LUp 12,30 f4"}},
        ForwardCase{"RightPress", [](CZN2DView &v) { v.OnRButtonDown(MK_RBUTTON, CPoint(12, 30)); },
                    {"RDown 12,30 f2"}},
        ForwardCase{"RightDoubleClick", [](CZN2DView &v) { v.OnRButtonDblClk(MK_RBUTTON, CPoint(12, 30)); },
                    {"RDown 12,30 f2"}},
        ForwardCase{"RightRelease", [](CZN2DView &v) { v.OnRButtonUp(0, CPoint(12, 30)); }, {"RUp 12,30 f0"}},
        // The move, then the cursor for where it ended.
        ForwardCase{"Move", [](CZN2DView &v) { v.OnMouseMove(MK_LBUTTON, CPoint(12, 30)); },
                    {"Move 12,30 f1", "Cursor 12,30 f1"}},
        // The space key updates the cursor under the mouse before the key is passed on.
        ForwardCase{"SpacePressed", [](CZN2DView &v) { v.OnKeyDown(VK_SPACE, 1, 0); },
                    {"Cursor 7,8 f0", "KeyDown 32 f0"}},
        ForwardCase{"SpaceRepeat", [](CZN2DView &v) { v.OnKeyDown(VK_SPACE, 1, KF_REPEAT); },
                    {"KeyDown 32 f16384"}},
        ForwardCase{"SpaceReleased", [](CZN2DView &v) { v.OnKeyUp(VK_SPACE, 1, KF_REPEAT); },
                    {"Cursor 7,8 f0", "KeyUp 32 f16384"}},
        ForwardCase{"OtherKey", [](CZN2DView &v) { v.OnKeyDown('A', 1, 0); }, {"KeyDown 65 f0"}},
        ForwardCase{"CursorRequest", [](CZN2DView &v) { v.UpdateCursor(MK_CONTROL, CPoint(3, 4)); },
                    {"Cursor 3,4 f8"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(View2DSourceTest, ACrosshairDragStaysWithTheView)
{
    ASSERT_TRUE(view->HitTestCursor(0, 5, 35)); // as an input grabs it
    view->OnMouseMove(MK_LBUTTON, CPoint(20, 20));
    EXPECT_EQ(source.cursor, D3DXVECTOR3(-10, 0, 0));
    EXPECT_EQ(source.redraws, 1);
    view->OnLButtonUp(0, CPoint(20, 20));
    EXPECT_EQ(view->GetAxisGrabMask(), 0);
    EXPECT_TRUE(input.calls.empty());
}

TEST_F(View2DSourceTest, ARightDragPansAndTheInputStillHearsIt)
{
    window->mouse = POINT{300, 300};
    view->OnRButtonDown(MK_RBUTTON, CPoint(0, 0));
    window->mouse = POINT{310, 296};
    view->OnMouseMove(MK_RBUTTON, CPoint(10, -4));
    EXPECT_EQ(view->GetCentre(), D3DXVECTOR2(-10, 4));
    view->OnRButtonUp(0, CPoint(10, -4));
    EXPECT_EQ(input.calls,
              (std::vector<std::string>{"RDown 0,0 f2", "Move 10,-4 f2", "Cursor 10,-4 f2", "RUp 10,-4 f0"}));
}

TEST_F(View2DSourceTest, TheSpaceKeySetsTheHeldStateAndRedrawsTheSourcesViews)
{
    view->OnKeyDown(VK_SPACE, 1, 0);
    EXPECT_EQ(GetEditorApp()->IsSpaceDown(), 1);
    EXPECT_EQ(source.redraws, 1);
    view->OnKeyUp(VK_SPACE, 1, KF_REPEAT);
    EXPECT_EQ(GetEditorApp()->IsSpaceDown(), 0);
    EXPECT_EQ(source.redraws, 2);
}

TEST_F(View2DSourceTest, WithoutAnInputThePressGrabsTheCrosshairAndTheCursorShowsIt)
{
    view->SetInput(nullptr);
    view->OnLButtonDown(MK_LBUTTON, CPoint(5, 35));
    EXPECT_EQ(view->GetAxisGrabMask(), 1 | 2);
    view->OnLButtonUp(0, CPoint(5, 35));
    view->UpdateCursor(0, CPoint(5, 20));
    EXPECT_EQ(window->cursor, ZNCURSOR_SIZEWE);
}

TEST_F(View2DSourceTest, AViewGoingAwayTellsItsInput)
{
    CZNView *gone = view.get();
    view.reset();
    EXPECT_EQ(input.calls, std::vector<std::string>{"Forget"});
    EXPECT_EQ(input.views, std::vector<CZNView *>{gone});
}

} // namespace
