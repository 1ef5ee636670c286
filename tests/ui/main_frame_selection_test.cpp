// The main window's commands on the selected objects: Delete with its question and undo level,
// Carve by the carve mode, Hollow, and the update rules of Delete, CSG and grouping.
#include <gtest/gtest.h>

#include <QAction>

#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "scene/group.h"
#include "support/shapes.h"
#include "ui/main_frame.h"
#include "ui/main_frame_fixture.h"

namespace
{

constexpr const char *kDeleteQuestion =
    " This will permenantly REMOVE the selected brushes from the scene.\n Are you sure you wish to continue";

class SelectionCommandTest : public ZnMainFrameTest
{
protected:
    void SetOptions() override { GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH); }
    void TearDown() override
    {
        Band()->Clear(1, 0);
        Camera()->Select(0);
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        ZnMainFrameTest::TearDown();
    }
    static CZNCAMERA *Camera() { return GetEditorApp()->Get3D()->GetCamera(); }
    std::vector<ZNBRUSH *> Listed() const
    {
        std::vector<ZNBRUSH *> out;
        for (ZNBRUSH *b = doc->GetBrushList(); b; b = b->m_Next)
            out.push_back(b);
        return out;
    }
};

struct RuleCase {
    const char *name;
    const char *selection; // b brush, c camera, f face (in face mode)
    bool objectCommands;   // Delete and CSG
    bool grouping;
};

class SelectionRuleTest : public SelectionCommandTest, public ::testing::WithParamInterface<RuleCase>
{
};

TEST_P(SelectionRuleTest, EnabledByBandModeAndCamera)
{
    const RuleCase &c = GetParam();
    ZNBRUSH *b[2] = {Box({0, 0, 0}, {1, 1, 1}), Box({3, 0, 0}, {4, 1, 1})};
    int brush = 0;
    for (const char *p = c.selection; *p; ++p) {
        if (*p == 'b')
            Add(ZNSELECT_BRUSH, b[brush++]);
        else if (*p == 'c')
            Add(ZNSELECT_CAMERA, Camera());
        else {
            GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
            Add(ZNSELECT_FACE, b[0], 2);
        }
    }
    frame->UpdateCommandUI();
    for (UINT id : {32784u, 32788u, 32789u, 32790u, 32793u})
        EXPECT_EQ(Enabled(id), c.objectCommands) << id;
    for (UINT id : {32795u, 32796u})
        EXPECT_EQ(Enabled(id), c.grouping) << id;
}

INSTANTIATE_TEST_SUITE_P(Selections, SelectionRuleTest,
                         ::testing::Values(RuleCase{"Empty", "", false, false},
                                           RuleCase{"Brushes", "bb", true, true},
                                           RuleCase{"BrushesAndCamera", "bbc", true, false},
                                           RuleCase{"CameraAlone", "c", true, false},
                                           RuleCase{"Faces", "f", false, false}),
                         [](const ::testing::TestParamInfo<RuleCase> &info) { return std::string(info.param.name); });

TEST_F(SelectionCommandTest, DeleteAnsweredNoChangesNothing)
{
    ZNBRUSH *a = Box({0, 0, 0}, {1, 1, 1});
    Add(ZNSELECT_BRUSH, a);
    doc->SetModifiedFlag(FALSE);
    reporter.QueueAnswer(IDNO);
    frame->RunCommand(32784);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].text, kDeleteQuestion);
    EXPECT_EQ(reporter.Entries()[0].type, MB_YESNO);
    EXPECT_EQ(Listed(), std::vector<ZNBRUSH *>{a});
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(doc->GetUndoList(), nullptr);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(SelectionCommandTest, DeleteRecordsOneLevelThatBringsTheGroupBack)
{
    ZNBRUSH *keep = Box({-5, 0, 0}, {-4, 1, 1});
    ZNBRUSH *a = Box({0, 0, 0}, {1, 1, 1});
    ZNBRUSH *b = Box({3, 0, 0}, {4, 1, 1});
    auto *group = new CZNGROUP;
    group->AddChild(a);
    group->AddChild(b);
    Add(ZNSELECT_BRUSH, a);
    Add(ZNSELECT_CAMERA, Camera());
    reporter.QueueAnswer(IDYES);
    frame->RunCommand(32784);
    EXPECT_EQ(Listed(), std::vector<ZNBRUSH *>{keep});
    EXPECT_FALSE(Camera()->IsSelected());
    EXPECT_FALSE(Enabled(32784));
    ASSERT_NE(doc->GetUndoList(), nullptr);
    EXPECT_EQ(doc->GetUndoList()->Type, ZNUNDO_REMOVE);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Delete Objects");

    ASSERT_EQ(doc->OnEditUndo(), 1);
    const std::vector<ZNBRUSH *> back = Listed();
    ASSERT_EQ(back.size(), 3u);
    ASSERT_NE(back[1]->GetParent(), nullptr);
    EXPECT_EQ(back[1]->GetParent(), back[2]->GetParent());
}

TEST_F(SelectionCommandTest, CarveFollowsTheCarveMode)
{
    for (int mode : {1, 0}) {
        SCOPED_TRACE(mode ? "splitting" : "in place");
        GetEditorApp()->Options().m_CarveMode = mode;
        ZNBRUSH *a = Box({0, 0, 0}, {64, 64, 64});
        ZNBRUSH *k = Box({32, 0, 0}, {96, 64, 64});
        Add(ZNSELECT_BRUSH, k);
        frame->RunCommand(32788);
        EXPECT_TRUE(reporter.Entries().empty());
        const std::vector<ZNBRUSH *> after = Listed();
        if (mode) {
            EXPECT_EQ(after[0], k);
            ASSERT_GE(after.size(), 2u);
            EXPECT_NE(after[1]->GetParent(), nullptr);
        } else {
            EXPECT_EQ(after, (std::vector<ZNBRUSH *>{a, k}));
            EXPECT_EQ(a->GetParent(), nullptr);
        }
        ASSERT_NE(doc->GetUndoList(), nullptr);
        Band()->Clear(1, 0);
        doc->DeleteContents();
    }
}

TEST_F(SelectionCommandTest, HollowDoesNothingAndShowsNoMessage)
{
    ZNBRUSH *a = Box({0, 0, 0}, {1, 1, 1});
    Add(ZNSELECT_BRUSH, a);
    frame->RunCommand(32793);
    EXPECT_TRUE(reporter.Entries().empty());
    EXPECT_EQ(Listed(), std::vector<ZNBRUSH *>{a});
    EXPECT_EQ(doc->GetUndoList(), nullptr);
}

TEST_F(SelectionCommandTest, GroupAndUngroupRunFromTheirCommands)
{
    ZNBRUSH *a = Box({0, 0, 0}, {1, 1, 1});
    ZNBRUSH *b = Box({3, 0, 0}, {4, 1, 1});
    Add(ZNSELECT_BRUSH, a);
    Add(ZNSELECT_BRUSH, b);
    frame->RunCommand(32795);
    ASSERT_NE(a->GetParent(), nullptr);
    EXPECT_STREQ(a->GetParent()->GetName(), "Group01");
    frame->RunCommand(32796);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(b->GetParent(), nullptr);
}

} // namespace
