// Grouping, ungrouping and deleting the selection, with their undo records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "scene/container.h"
#include "scene/group.h"
#include "undo_fixture.h"

namespace
{

class GroupingTest : public UndoTest
{
protected:
    void TearDown() override
    {
        Camera()->Select(0);
        UndoTest::TearDown();
    }
    static CZNCAMERA *Camera() { return GetEditorApp()->Get3D()->GetCamera(); }
    static ZNSELECTIONENTRY CameraEntry()
    {
        ZNSELECTIONENTRY e;
        e.Type = ZNSELECT_CAMERA;
        e.Object = reinterpret_cast<uintptr_t>(Camera());
        return e;
    }
    // A fresh selection of the brushes.
    static void Select(const std::vector<ZNBRUSH *> &brushes)
    {
        Band()->Clear(1, 0);
        for (ZNBRUSH *b : brushes) {
            const ZNSELECTIONENTRY e = EntryOf(b);
            Band()->AddToSelection(&e, 1, 0);
        }
    }
    static std::string RootName(ZNBRUSH *b)
    {
        if (!b->GetParent())
            return "";
        const char *name = b->GetParent()->GetRootGroup()->GetName();
        return name ? name : "(unnamed)";
    }
    static void SetName(ZNBRUSH *b, const char *name)
    {
        delete[] b->m_Name;
        b->m_Name = new char[std::strlen(name) + 1];
        std::strcpy(b->m_Name, name);
    }
};

TEST_F(GroupingTest, GroupsAreNamedWithTheFirstFreeNumber)
{
    std::vector<ZNBRUSH *> b = Boxes(6);
    SetName(b[5], "group03"); // letter case does not matter
    Select({b[0], b[1]});
    EXPECT_EQ(Band()->GroupSelection(), 1);
    Select({b[2], b[3]});
    EXPECT_EQ(Band()->GroupSelection(), 1);
    Select({b[4], b[5]});
    EXPECT_EQ(Band()->GroupSelection(), 1);
    EXPECT_EQ(RootName(b[0]), "Group01");
    EXPECT_EQ(RootName(b[1]), "Group01");
    EXPECT_EQ(RootName(b[2]), "Group02");
    EXPECT_EQ(RootName(b[4]), "Group04");

    ASSERT_EQ(RecordCount(), 3u);
    EXPECT_EQ(doc->GetUndoList()->Type, ZNUNDO_GROUP);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Group Objects");
    EXPECT_EQ(doc->GetUndoList()->Continuation, 0);
}

TEST_F(GroupingTest, FromTheHundredthGroupNamesHaveThreeDigits)
{
    std::vector<ZNBRUSH *> b = Boxes(101);
    char name[32];
    for (int k = 1; k <= 99; ++k) {
        std::snprintf(name, sizeof(name), "Group%02i", k);
        SetName(b[k - 1], name);
    }
    Select({b[99], b[100]});
    ASSERT_EQ(Band()->GroupSelection(), 1);
    EXPECT_EQ(RootName(b[99]), "Group100");
}

TEST_F(GroupingTest, AGroupedSetAndOneMoreObjectNestTheOldGroup)
{
    std::vector<ZNBRUSH *> b = Boxes(3);
    CZNGROUP *old = GroupOf({b[0], b[1]}, "Old");
    Select({b[0], b[2]}); // b[0] brings its whole group
    ASSERT_EQ(Band()->GetEntryCount(), 3u);
    ASSERT_EQ(Band()->GroupSelection(), 1);
    CZNGROUP *outer = b[2]->GetParent();
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(old->GetParent(), outer);
    EXPECT_EQ(b[0]->GetParent(), old);
    ASSERT_EQ(outer->GetChildCount(), 2u);
    EXPECT_EQ(outer->GetChild(0), old);
    EXPECT_EQ(outer->GetChild(1), b[2]);

    // Undo takes the new level away; the old group stands on its own again.
    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(b[2]->GetParent(), nullptr);
    EXPECT_EQ(old->GetParent(), nullptr);
    EXPECT_EQ(b[0]->GetParent(), old);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
}

TEST_F(GroupingTest, WithTheCameraSelectedNothingIsGrouped)
{
    std::vector<ZNBRUSH *> b = Boxes(2);
    Select(b);
    const ZNSELECTIONENTRY cam = CameraEntry();
    ASSERT_EQ(Band()->AddToSelection(&cam, 1, 0), 1);
    const IwfBytes before = SceneImage();
    EXPECT_EQ(Band()->GroupSelection(), 0);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].text, "Error: Can Not Group whilst Camera is in Current Selection");
    EXPECT_EQ(reporter.Entries()[0].type, MB_OK);
    EXPECT_EQ(b[0]->GetParent(), nullptr);
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_EQ(SceneImage(), before);
}

TEST_F(GroupingTest, RegroupingASharedGroupRecordsNothing)
{
    std::vector<ZNBRUSH *> b = Boxes(2);
    CZNGROUP *g = GroupOf({b[0], b[1]}, "Shared");
    Select({b[0]});
    ASSERT_EQ(Band()->GetEntryCount(), 2u);
    EXPECT_EQ(Band()->GroupSelection(), 0);
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_EQ(b[0]->GetParent(), g);
    EXPECT_EQ(g->GetParent(), nullptr);
}

TEST_F(GroupingTest, RefusedWithoutTwoEntriesOrOutsideObjectsMode)
{
    std::vector<ZNBRUSH *> b = Boxes(2);
    Select({b[0]});
    EXPECT_EQ(Band()->GroupSelection(), 0);
    EXPECT_EQ(Band()->UngroupSelection(), 0);
    Band()->Clear(1, 0);
    EXPECT_EQ(Band()->DeleteSelected(), 0);
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_EQ(Listed().size(), 2u);
}

TEST_F(GroupingTest, UngroupingTwoGroupsThenUndoGivesTwoGroups)
{
    std::vector<ZNBRUSH *> b = Boxes(5);
    CZNGROUP *inner = GroupOf({b[1], b[2]}, "Inner");
    GroupOf({b[0], inner}, "First");
    GroupOf({b[3], b[4]}, "Second");
    Select({b[0], b[3]});
    ASSERT_EQ(Band()->GetEntryCount(), 5u);
    doc->SetModifiedFlag(FALSE);
    ASSERT_EQ(Band()->UngroupSelection(), 1);
    EXPECT_TRUE(doc->IsModified());
    // Only the outermost level goes: the nested group stands alone.
    EXPECT_EQ(b[0]->GetParent(), nullptr);
    EXPECT_EQ(b[3]->GetParent(), nullptr);
    EXPECT_EQ(b[4]->GetParent(), nullptr);
    EXPECT_EQ(b[1]->GetParent(), inner);
    EXPECT_EQ(inner->GetParent(), nullptr);
    // One record per dissolved group, one level.
    ASSERT_EQ(RecordCount(), 2u);
    EXPECT_EQ(doc->GetUndoList()->Type, ZNUNDO_UNGROUP);
    EXPECT_EQ(doc->GetUndoList()->Continuation, 1);
    EXPECT_EQ(doc->GetUndoList()->Next->Continuation, 0);
    EXPECT_STREQ(doc->GetUndoList()->Next->Description, "Ungroup Objects");

    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(RecordCount(), 0u);
    ASSERT_NE(b[0]->GetParent(), nullptr);
    ASSERT_NE(b[3]->GetParent(), nullptr);
    CZNGROUP *first = b[0]->GetParent(), *second = b[3]->GetParent();
    EXPECT_NE(first, second);
    EXPECT_EQ(inner->GetParent(), first);
    EXPECT_EQ(b[4]->GetParent(), second);
    EXPECT_EQ(first->GetChildCount(), 2u);
    EXPECT_EQ(second->GetChildCount(), 2u);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
}

TEST_F(GroupingTest, UngroupObjectsWithoutGroupsChangesNothing)
{
    std::vector<ZNBRUSH *> b = Boxes(2);
    CZNCONTAINER objects;
    objects.AddElement(b[0]);
    objects.AddElement(b[1]);
    EXPECT_EQ(CZNSelectionBand::UngroupObjects(&objects), 1);
    EXPECT_EQ(CZNSelectionBand::GroupObjects(&objects), 1);
    EXPECT_EQ(b[0]->GetParent(), b[1]->GetParent());
    // One object alone makes no group.
    CZNCONTAINER one;
    one.AddElement(Box({50, 0, 0}, {51, 1, 1}));
    EXPECT_EQ(CZNSelectionBand::GroupObjects(&one), 0);
}

TEST_F(GroupingTest, DeleteKeepsTheCameraAndEmptiesTheBand)
{
    std::vector<ZNBRUSH *> b = Boxes(4);
    GroupOf({b[1], b[2]}, "Doomed");
    Select({b[1], b[3]});
    const ZNSELECTIONENTRY cam = CameraEntry();
    ASSERT_EQ(Band()->AddToSelection(&cam, 1, 0), 1);
    ASSERT_EQ(Band()->GetEntryCount(), 4u);
    EXPECT_EQ(Band()->DeleteSelected(), 1);
    EXPECT_EQ(Listed(), std::vector<ZNBRUSH *>{b[0]});
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_EQ(Band()->GetBandMode(), static_cast<DWORD>(ZNBAND_EMPTY));
    EXPECT_FALSE(Camera()->IsSelected());
    EXPECT_EQ(doc->FindObjectByName("Doomed"), nullptr);
}

TEST_F(GroupingTest, RemovingTheOnlyEntryWithTheDeleteFlagDeletesItsObject)
{
    std::vector<ZNBRUSH *> b = Boxes(2);
    Select({b[1]});
    Band()->RemoveEntry(0, 1);
    EXPECT_EQ(Listed(), std::vector<ZNBRUSH *>{b[0]});
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    // Without the flag the object only leaves the band.
    Select({b[0]});
    Band()->RemoveEntry(0, 0);
    EXPECT_EQ(Listed().size(), 1u);
    EXPECT_FALSE(b[0]->IsBrushSelected());
}

TEST_F(GroupingTest, DeleteRecordedWithGroupsComesBackWhole)
{
    std::vector<ZNBRUSH *> b = Boxes(4);
    GroupOf({b[1], b[2]}, "Kept");
    const IwfBytes before = SceneImage();
    Select({b[1]});
    ASSERT_EQ(doc->CreateUndoLevel(ZNUNDO_REMOVE, 0, 1), 1);
    doc->SetUndoDescription("Delete Objects");
    ASSERT_EQ(Band()->DeleteSelected(), 1);
    EXPECT_EQ(Listed().size(), 2u);
    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(SceneImage(), before);
    const std::vector<ZNBRUSH *> after = Listed();
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(RootName(after[1]), "Kept");
    EXPECT_EQ(after[1]->GetParent(), after[2]->GetParent());
}

} // namespace
