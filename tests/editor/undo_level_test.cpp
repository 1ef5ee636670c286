// The undo level of one command or drag: which record begins it, which continue it, its name,
// and what is left when it is dropped before its commit.
#include <gtest/gtest.h>

#include <vector>

#include "band_drag_fixture.h"
#include "editor/undo_level.h"

namespace
{

class UndoLevelTest : public BandDragTest
{
protected:
    // The continuation bytes, oldest record first.
    std::vector<int> Continuations() const
    {
        std::vector<int> out;
        for (ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next)
            out.insert(out.begin(), r->Continuation);
        return out;
    }
    // An earlier command's level of one record.
    void EarlierLevel(ZNBRUSH *b)
    {
        CZNUndoLevel earlier(doc.get(), "Earlier");
        std::vector<ZNSELECTIONENTRY> entries{EntryOf(b)};
        ASSERT_TRUE(earlier.Record(ZNUNDO_FLAGS, entries, 0));
        earlier.Commit();
    }
};

TEST_F(UndoLevelTest, FirstRecordBeginsTheLevelLaterOnesContinueItAndOneUndoTakesItBack)
{
    const std::vector<ZNBRUSH *> b = Boxes(3);
    EarlierLevel(b[0]);
    {
        CZNUndoLevel level(doc.get(), "Ungroup Objects");
        EXPECT_FALSE(level.IsBegun());
        std::vector<ZNSELECTIONENTRY> none;
        EXPECT_FALSE(level.Record(ZNUNDO_UNGROUP, none, 0)); // nothing to store: still not begun
        std::vector<ZNSELECTIONENTRY> first{EntryOf(b[1])}, second{EntryOf(b[2])};
        ASSERT_TRUE(level.Record(ZNUNDO_FLAGS, first, 0));
        ASSERT_TRUE(level.Record(ZNUNDO_FLAGS, second, 0, "Own Text"));
        // An empty band writes nothing and does not end the level.
        EXPECT_FALSE(level.RecordSelection(ZNUNDO_FLAGS, 0));
        level.Commit();
        // Ended: nothing further is written.
        EXPECT_FALSE(level.Record(ZNUNDO_FLAGS, first, 0));
    }
    EXPECT_EQ(Continuations(), (std::vector<int>{0, 0, 1}));
    const ZNUNDORECORD *newest = doc->GetUndoList();
    EXPECT_STREQ(newest->Description, "Own Text");
    EXPECT_STREQ(newest->Next->Description, "Ungroup Objects");
    EXPECT_STREQ(newest->Next->Next->Description, "Earlier");

    const DWORD flags1 = b[1]->m_Flags, flags2 = b[2]->m_Flags;
    b[1]->m_Flags = flags1 ^ 7;
    b[2]->m_Flags = flags2 ^ 9;
    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(b[1]->m_Flags, flags1);
    EXPECT_EQ(b[2]->m_Flags, flags2);
    EXPECT_EQ(Continuations(), (std::vector<int>{0}));
}

TEST_F(UndoLevelTest, CommitNamesTheNewestRecordOfALevelThatBegan)
{
    const std::vector<ZNBRUSH *> b = Boxes(2);
    {
        CZNUndoLevel level(doc.get(), nullptr);
        std::vector<ZNSELECTIONENTRY> first{EntryOf(b[0])}, second{EntryOf(b[1])};
        ASSERT_TRUE(level.Record(ZNUNDO_FLAGS, first, 0));
        ASSERT_TRUE(level.Record(ZNUNDO_REMOVE, second, 0));
        EXPECT_EQ(doc->GetUndoList()->Description, nullptr);
        level.Commit("Carve Objects");
    }
    EXPECT_STREQ(doc->GetUndoList()->Description, "Carve Objects");
    EXPECT_EQ(doc->GetUndoList()->Next->Description, nullptr);
    {
        // A level that wrote nothing names nothing.
        CZNUndoLevel empty(doc.get(), nullptr);
        empty.Commit("Union Selected");
    }
    EXPECT_STREQ(doc->GetUndoList()->Description, "Carve Objects");
    EXPECT_EQ(RecordCount(), 2u);
}

TEST_F(UndoLevelTest, ALevelDroppedBeforeItsCommitLeavesNoLevel)
{
    const std::vector<ZNBRUSH *> b = Boxes(3);
    EarlierLevel(b[0]);
    {
        CZNUndoLevel level(doc.get(), "Hide Object(s)");
        std::vector<ZNSELECTIONENTRY> first{EntryOf(b[1])}, second{EntryOf(b[2])};
        ASSERT_TRUE(level.Record(ZNUNDO_FLAGS, first, 0));
        ASSERT_TRUE(level.Record(ZNUNDO_FLAGS, second, 0));
        EXPECT_EQ(RecordCount(), 3u);
    }
    EXPECT_EQ(Continuations(), (std::vector<int>{0}));
    EXPECT_STREQ(doc->GetUndoList()->Description, "Earlier");

    CZNUndoLevel cancelled(doc.get(), "Hide Object(s)");
    std::vector<ZNSELECTIONENTRY> entries{EntryOf(b[1])};
    ASSERT_TRUE(cancelled.Record(ZNUNDO_FLAGS, entries, 0));
    cancelled.Cancel();
    EXPECT_FALSE(cancelled.Record(ZNUNDO_FLAGS, entries, 0));
    cancelled.Commit();
    EXPECT_EQ(Continuations(), (std::vector<int>{0}));

    // Another command's level written on top is never taken back with it.
    {
        CZNUndoLevel open(doc.get(), "Hide Object(s)");
        ASSERT_TRUE(open.Record(ZNUNDO_FLAGS, entries, 0));
        EarlierLevel(b[2]);
    }
    EXPECT_EQ(Continuations(), (std::vector<int>{0, 0, 0}));
    EXPECT_STREQ(doc->GetUndoList()->Description, "Earlier");
}

TEST_F(UndoLevelTest, AJoiningLevelContinuesTheNewestAndDropsOnlyItsOwnRecords)
{
    const std::vector<ZNBRUSH *> b = Boxes(2);
    {
        // Without records to join, the first record begins a level.
        CZNUndoLevel joined(doc.get(), CZNUndoLevel::JoinNewest{});
        std::vector<ZNSELECTIONENTRY> entries{EntryOf(b[0])};
        ASSERT_TRUE(joined.Record(ZNUNDO_FLAGS, entries, 0));
        joined.Commit();
    }
    {
        CZNUndoLevel joined(doc.get(), CZNUndoLevel::JoinNewest{});
        std::vector<ZNSELECTIONENTRY> entries{EntryOf(b[1])};
        ASSERT_TRUE(joined.Record(ZNUNDO_FLAGS, entries, 0));
        EXPECT_EQ(Continuations(), (std::vector<int>{0, 1}));
    }
    EXPECT_EQ(Continuations(), (std::vector<int>{0}));
}

// A rotate drag writes its record at the first step; the level is held until the release.
TEST_F(UndoLevelTest, ADragHoldsOneLevelUntilItsReleaseAndLeavesNoneWhenDroppedBefore)
{
    ZNBRUSH *b = Box({-10, -10, -10}, {10, 10, 10});
    ZNBRUSH *other = Box({30, 0, 0}, {40, 10, 10});
    EarlierLevel(other);
    ZNSELECTIONENTRY e = EntryOf(b);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);

    Press(ZNHIT_CORNER_UPPER_RIGHT, ZNHANDLE_ROTATE, {110, 90});
    RotateStep(150, 100);
    RotateStep(160, 120);
    EXPECT_EQ(Continuations(), (std::vector<int>{0, 0}));
    EXPECT_STREQ(doc->GetUndoList()->Description, "Rotate Objects");
    // The document's contents going mid-drag drop the drag's level with its record.
    Band()->DropDragLevel(doc.get());
    EXPECT_EQ(Continuations(), (std::vector<int>{0}));
    EXPECT_STREQ(doc->GetUndoList()->Description, "Earlier");

    // A press that starts a new drag keeps a level whose release never came as its own step.
    Press(ZNHIT_CORNER_UPPER_RIGHT, ZNHANDLE_ROTATE, {110, 90});
    RotateStep(150, 100);
    Press(ZNHIT_CORNER_UPPER_RIGHT, ZNHANDLE_ROTATE, {110, 90});
    RotateStep(150, 100);
    Release();
    EXPECT_EQ(Continuations(), (std::vector<int>{0, 0, 0}));
}

} // namespace
