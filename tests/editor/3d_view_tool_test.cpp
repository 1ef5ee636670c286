// The 3D view's tool driven through a real 3D view without a window: the placement cursor while
// Space is held over an armed band, and the presses that rebuild the scene tree or are left alone.
// Without a window nothing lies under the cursor, so picks and placements find nothing.
#include <gtest/gtest.h>

#include <string>

#include "app/editor_app.h"
#include "editor/3d_view_tool.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/os/input.h"
#include "render/view/2d_view.h"
#include "render/view/3d_view.h"
#include "support/recording_pointer_host.h"
#include "support/shapes.h"

namespace
{

// The options panel's side of the shell: counts the scene-tree rebuilds.
class TreeShell : public IZNDocShell
{
public:
    bool AskFilePath(ZNFILEDIALOG, std::string *) override { return false; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void UpdateStatusBar() override {}
    void RefreshActivePage() override {}
    void RebuildSceneTree() override { ++rebuilds; }
    void RefreshMaterialList() override {}
    void RefreshPrefabs() override {}
    void CheckRenderModeButton(UINT) override {}
    void DocumentChanged() override {}
    void AddRecentFile(const std::string &) override {}

    int rebuilds = 0;
};

class View3DToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        GetEditorApp()->SetSpaceDown(0);
        document.SetShell(&shell);
        document.AddView(&view);
        view.SetPointerHost(&host);
        view.SetInput(&tool);
        crate = document.NewBrush();
        ZnBuildBox(*crate, {-1, -1, 10}, {1, 1, 12});
    }
    void TearDown() override
    {
        Band()->Clear(1, 0);
        GetEditorApp()->SetSpaceDown(0);
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        document.RemoveView(&view);
    }
    static CZNSelectionBand *Band() { return GetEditorApp()->GetSelectionBand(); }
    void SelectCrate()
    {
        ZNSELECTIONENTRY e;
        e.Type = ZNSELECT_BRUSH;
        e.Object = reinterpret_cast<uintptr_t>(crate);
        ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
    }
    void Space(bool down)
    {
        if (down)
            view.OnKeyDown(VK_SPACE, 1, 0);
        else
            view.OnKeyUp(VK_SPACE, 1, KF_REPEAT | KF_UP);
    }

    CZNEDITORDoc document;
    TreeShell shell;
    ZnRecordingPointerHost host;
    CZN3DViewTool tool;
    CZN3DView view;
    ZNBRUSH *crate = nullptr;
    const CPoint at{40, 30};
};

TEST_F(View3DToolTest, ThePlacementCursorShowsWhileSpaceIsHeldOverAnArmedBand)
{
    // Space alone, with nothing selected, keeps the arrow.
    Space(true);
    EXPECT_FALSE(tool.IsPlacementArmed());
    EXPECT_EQ(host.shape, ZNCURSOR_ARROW);
    Space(false);

    SelectCrate();
    view.OnMouseMove(0, at);
    EXPECT_EQ(host.shape, ZNCURSOR_ARROW);
    Space(true);
    EXPECT_TRUE(tool.IsPlacementArmed());
    EXPECT_EQ(host.shape, ZNCURSOR_PLACE);
    view.OnMouseMove(0, at + CPoint(3, 0));
    EXPECT_EQ(host.shape, ZNCURSOR_PLACE);
    Space(false);
    EXPECT_EQ(host.shape, ZNCURSOR_ARROW);
}

TEST_F(View3DToolTest, APressRebuildsTheSceneTreeUnlessItsPickHitsNothingOrAPlacementToolIsActive)
{
    view.OnLButtonDown(MK_LBUTTON, at);
    view.OnLButtonUp(0, at);
    EXPECT_EQ(shell.rebuilds, 1);
    // A Shift- or Ctrl-pick on nothing leaves the selection and the tree as they are.
    for (UINT keys : {MK_SHIFT, MK_CONTROL}) {
        view.OnLButtonDown(MK_LBUTTON | keys, at);
        view.OnLButtonUp(keys, at);
    }
    EXPECT_EQ(shell.rebuilds, 1);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    // The right button and placement tools leave the tree alone.
    view.OnRButtonDown(MK_RBUTTON, at);
    view.OnRButtonUp(0, at);
    GetEditorApp()->SetPlacementMode(ZNPLACE_PRIMITIVE);
    view.OnLButtonDown(MK_LBUTTON, at);
    view.OnLButtonUp(0, at);
    EXPECT_EQ(shell.rebuilds, 1);
    // Another kind of view is not the tool's.
    GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
    CZN2DView flat;
    tool.OnLButtonDown(&flat, MK_LBUTTON, at);
    EXPECT_EQ(shell.rebuilds, 1);
}

TEST_F(View3DToolTest, AnArmedPressOnNothingPlacesNothing)
{
    SelectCrate();
    document.SetModifiedFlag(FALSE);
    Space(true);
    ASSERT_TRUE(tool.IsPlacementArmed());
    view.OnLButtonDown(MK_LBUTTON, at);
    view.OnLButtonUp(0, at);
    view.OnRButtonDown(MK_RBUTTON, at);
    view.OnRButtonUp(0, at);
    Space(false);
    EXPECT_EQ(document.GetUndoList(), nullptr);
    EXPECT_EQ(document.GetEntityList(), nullptr);
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(crate->GetBoundingBox(1).Min, D3DXVECTOR3(-1, -1, 10));
    // The plain left press still rebuilt the tree.
    EXPECT_EQ(shell.rebuilds, 1);
}

} // namespace
