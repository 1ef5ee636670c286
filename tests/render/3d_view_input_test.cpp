// The 3D view's input without a device: the view keeps its navigation (capture, camera moves,
// the hidden cursor, the Space-held flag, redraws through its source) and hands every call it
// takes on to the input installed on it, after its own part.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/editor_app.h"
#include "platform/os/input.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/view/3d_view.h"
#include "render/view/view_input.h"
#include "render/view3d_source.h"
#include "support/recording_pointer_host.h"

namespace
{

// Writes down every call the view hands on, with what the view had done by then.
class RecordingInput : public IZNViewInput
{
public:
    void OnLButtonDown(CZNView *v, UINT flags, CPoint p) override { Mouse(v, "LButtonDown", flags, p); }
    void OnLButtonUp(CZNView *v, UINT flags, CPoint p) override { Mouse(v, "LButtonUp", flags, p); }
    void OnRButtonDown(CZNView *v, UINT flags, CPoint p) override { Mouse(v, "RButtonDown", flags, p); }
    void OnRButtonUp(CZNView *v, UINT flags, CPoint p) override { Mouse(v, "RButtonUp", flags, p); }
    void OnMouseMove(CZNView *v, UINT flags, CPoint p) override { Mouse(v, "MouseMove", flags, p); }
    void OnKeyDown(CZNView *v, UINT key, UINT, UINT flags) override { Key(v, "KeyDown", key, flags); }
    void OnKeyUp(CZNView *v, UINT key, UINT, UINT flags) override { Key(v, "KeyUp", key, flags); }
    void UpdateCursor(CZNView *v, UINT, CPoint) override
    {
        views.push_back(v);
        calls.push_back("UpdateCursor");
    }

    std::vector<std::string> calls;
    std::vector<CZNView *> views;

private:
    void Mouse(CZNView *v, const char *name, UINT flags, CPoint p)
    {
        views.push_back(v);
        calls.push_back(std::string(name) + " " + std::to_string(flags) + " " + std::to_string(p.x) + "," +
                        std::to_string(p.y));
    }
    void Key(CZNView *v, const char *name, UINT key, UINT flags)
    {
        views.push_back(v);
        calls.push_back(std::string(name) + " " + std::to_string(key) + " " + std::to_string(flags) +
                        " space=" + std::to_string(GetEditorApp()->IsSpaceDown()));
    }
};

class View3DInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Reset();
        view.SetPointerHost(&host);
        view.SetSource(&source);
        view.SetInput(&input);
    }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        const D3DXVECTOR3 origin(0, 0, 0), look(0, 0, 1), up(0, 1, 0), right(1, 0, 0);
        Camera().SetPositionAndAxes(&origin, &look, &up, &right, 1);
        GetEditorApp()->Options().m_DynamicUpdate = 0;
        GetEditorApp()->SetSpaceDown(0);
    }
    static CZNCAMERA &Camera() { return *GetEditorApp()->Get3D()->GetCamera(); }

    ZnView3DSource source;
    ZnRecordingPointerHost host;
    RecordingInput input;
    CZN3DView view;
};

TEST_F(View3DInputTest, ADragMovesTheCameraInTheViewAndEveryStepReachesTheInput)
{
    view.OnLButtonDown(MK_LBUTTON, CPoint(50, 50));
    EXPECT_TRUE(host.captured);
    view.OnMouseMove(MK_LBUTTON, CPoint(60, 54));
    // The view slid the camera with the cursor and hid the cursor before the input saw the move.
    const D3DXVECTOR3 position = Camera().GetPosition();
    EXPECT_FLOAT_EQ(position.x, 10.0f);
    EXPECT_FLOAT_EQ(position.y, -4.0f);
    EXPECT_TRUE(host.hidden);
    EXPECT_EQ(source.refreshes, 0);
    view.OnLButtonUp(0, CPoint(60, 54));
    EXPECT_FALSE(host.hidden);
    EXPECT_FALSE(host.captured);
    // After the drag every view of the source is redrawn.
    EXPECT_EQ(source.redraws, std::vector<int>{0});

    const std::vector<std::string> expected = {"LButtonDown 1 50,50", "UpdateCursor", "MouseMove 1 60,54",
                                               "LButtonUp 0 60,54"};
    EXPECT_EQ(input.calls, expected);
    EXPECT_EQ(input.views, std::vector<CZNView *>(expected.size(), &view));

    // With dynamic update every step has the source's views follow the camera.
    GetEditorApp()->Options().m_DynamicUpdate = 1;
    view.OnRButtonDown(MK_RBUTTON, CPoint(50, 50));
    view.OnMouseMove(MK_RBUTTON, CPoint(55, 50));
    view.OnMouseMove(MK_RBUTTON, CPoint(58, 50));
    EXPECT_EQ(source.refreshes, 2);
    EXPECT_GT(Camera().GetLook().x, 0.0f);
}

TEST_F(View3DInputTest, APressOfOneButtonWhileTheOtherIsHeldIsNeitherNavigationNorInput)
{
    view.OnRButtonDown(MK_RBUTTON, CPoint(50, 50));
    view.OnLButtonDown(MK_LBUTTON | MK_RBUTTON, CPoint(90, 90));
    view.OnLButtonUp(MK_RBUTTON, CPoint(90, 90));
    // The turn is measured from the right button's anchor.
    view.OnMouseMove(MK_RBUTTON, CPoint(60, 50));
    EXPECT_GT(Camera().GetLook().x, 0.0f);
    view.OnRButtonUp(0, CPoint(60, 50));
    EXPECT_EQ(input.calls, (std::vector<std::string>{"RButtonDown 2 50,50", "UpdateCursor", "MouseMove 2 60,50",
                                                     "RButtonUp 0 60,50"}));
}

TEST_F(View3DInputTest, KeysReachTheInputAfterTheViewHasSetTheSpaceFlag)
{
    view.OnKeyDown(VK_SPACE, 1, 0);
    view.OnKeyDown(VK_SPACE, 1, KF_REPEAT); // auto-repeat: no flag change, no redraw
    view.OnKeyDown('A', 1, 0);
    view.OnKeyUp(VK_SPACE, 1, KF_REPEAT | KF_UP);
    const std::vector<std::string> expected = {
        "UpdateCursor",
        "KeyDown 32 0 space=1",
        "KeyDown 32 " + std::to_string(KF_REPEAT) + " space=1",
        "KeyDown 65 0 space=1",
        "UpdateCursor",
        "KeyUp 32 " + std::to_string(KF_REPEAT | KF_UP) + " space=0",
    };
    EXPECT_EQ(input.calls, expected);
    EXPECT_EQ(source.redraws, (std::vector<int>{0, 0}));
}

} // namespace
