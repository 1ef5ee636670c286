#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "undo_fixture.h"

namespace
{

IwfBytes Bytes(std::initializer_list<int> values)
{
    IwfBytes out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

void AppendU32(IwfBytes &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void AppendFloat(IwfBytes &out, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    AppendU32(out, v);
}

IwfBytes Header(uint32_t type)
{
    IwfBytes out = Bytes({'U', 'N', 'D', 'O'});
    AppendU32(out, type);
    return out;
}

void AppendEntry(IwfBytes &out, uint8_t category, int32_t index)
{
    out.push_back(category);
    AppendU32(out, static_cast<uint32_t>(index));
}

const char *const kRestoreFailed = "Failed to read or restore undo data.";

} // namespace

TEST_F(UndoTest, MoveRecordIsHeaderVectorAndBandEntries)
{
    std::vector<ZNBRUSH *> b = Boxes(4);
    ZNSELECTIONENTRY e = EntryOf(b[2]);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    Band()->SetMoveTotal({1, 2, 3});
    ASSERT_EQ(doc->CreateUndoLevel(ZNUNDO_MOVE, 0, 0), 1);

    IwfBytes want = Header(1);
    AppendFloat(want, 1);
    AppendFloat(want, 2);
    AppendFloat(want, 3);
    AppendU32(want, 1);
    AppendEntry(want, 1, 2);
    ASSERT_EQ(want.size(), 29u);
    EXPECT_EQ(NewestBytes(), want);
    EXPECT_EQ(doc->GetUndoList()->Type, 1u);
    EXPECT_EQ(doc->GetUndoList()->Size, 29u);
}

TEST_F(UndoTest, AddRecordSortsEntriesByIndexOnTheCallersArray)
{
    std::vector<ZNBRUSH *> b = Boxes(6);
    std::vector<ZNSELECTIONENTRY> entries = {EntryOf(b[5]), EntryOf(b[1]), EntryOf(b[3])};
    ASSERT_EQ(doc->WriteUndoData(ZNUNDO_ADD, entries, 0, 1), 1);

    IwfBytes want = Header(10);
    AppendU32(want, 3);
    AppendEntry(want, 1, 1);
    AppendEntry(want, 1, 3);
    AppendEntry(want, 1, 5);
    ASSERT_EQ(want.size(), 27u);
    EXPECT_EQ(NewestBytes(), want);
    EXPECT_EQ(entries[0].Object, reinterpret_cast<uintptr_t>(b[1]));
    EXPECT_EQ(entries[2].Object, reinterpret_cast<uintptr_t>(b[5]));
}

TEST_F(UndoTest, ImageRecordIsHeaderWriterImageOfSortedEntriesAndEntryList)
{
    std::vector<ZNBRUSH *> b = Boxes(5);
    GroupOf({b[1], b[3]}, "Pair");
    for (int withGroups = 0; withGroups < 2; ++withGroups) {
        std::vector<ZNSELECTIONENTRY> entries = {EntryOf(b[3]), EntryOf(b[1])};
        ASSERT_EQ(doc->WriteUndoData(ZNUNDO_ROTATE, entries, 0, withGroups), 1);
        IwfBytes want = Header(2);
        const IwfBytes image = SaveObjects({b[1], b[3]}, withGroups ? 0x7FFF : 0x7FF7);
        want.insert(want.end(), image.begin(), image.end());
        AppendU32(want, 2);
        AppendEntry(want, 1, 1);
        AppendEntry(want, 1, 3);
        EXPECT_EQ(NewestBytes(), want) << "with groups " << withGroups;
    }
}

TEST_F(UndoTest, NothingIsRecordedWithoutEntries)
{
    Boxes(2);
    std::vector<ZNSELECTIONENTRY> none;
    EXPECT_EQ(doc->WriteUndoData(ZNUNDO_REMOVE, none, 0, 1), 0);
    EXPECT_EQ(doc->CreateUndoLevel(ZNUNDO_MOVE, 0, 0), 0);
    EXPECT_EQ(doc->GetUndoList(), nullptr);
    doc->SetUndoDescription("Move Objects"); // nothing to name
    EXPECT_TRUE(reporter.Entries().empty());
}

// Records of the given sizes, oldest first, each with its continuation flag.
struct CapCase {
    const char *name;
    std::vector<std::pair<DWORD, BYTE>> records; // size, continuation
    size_t kept;                                 // records left after the trim
};

class UndoCapTest : public UndoTest, public ::testing::WithParamInterface<CapCase>
{
};

TEST_P(UndoCapTest, TrimDropsWholeOldestLevels)
{
    for (const auto &[size, continuation] : GetParam().records)
        doc->PushUndoRecord(MakeRecord(14, IwfBytes(size, 0), continuation));
    doc->TrimUndoBuffer();
    EXPECT_EQ(RecordCount(), GetParam().kept);
    EXPECT_LE(doc->GetUndoBufferSize(), CZNEDITORDoc::kUndoBufferCap);
    EXPECT_TRUE(reporter.Entries().empty());
    // What is left starts with a level's head.
    std::vector<ZNUNDORECORD *> left;
    for (ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next)
        left.push_back(r);
    if (!left.empty()) {
        EXPECT_EQ(left.back()->Continuation, 0);
    }
}

constexpr DWORD kCap = 10485760;
INSTANTIATE_TEST_SUITE_P(
    Sizes, UndoCapTest,
    ::testing::Values(CapCase{"ExactlyAtTheCap", {{kCap / 2 - 24, 0}, {kCap / 2 - 24, 0}}, 2},
                      CapCase{"OneByteOverDropsTheOldest", {{kCap / 2 - 24 + 1, 0}, {kCap / 2 - 24, 0}}, 1},
                      CapCase{"ThreeRecordLevelGoesWhole",
                              {{100, 0}, {kCap / 2, 1}, {100, 1}, {kCap / 2 - 100, 0}},
                              1},
                      CapCase{"ThreeRecordLevelAtTheCapStays",
                              {{100, 0}, {kCap / 2, 1}, {100, 1}, {kCap / 2 - 200 - 4 * 24, 0}},
                              4}),
    [](const ::testing::TestParamInfo<CapCase> &info) { return std::string(info.param.name); });

TEST_F(UndoTest, OneLevelOverTheCapAsksBeforeItGoes)
{
    const char *question =
        "Warning : The most recent undo level exceeds the maximum amount of memory allowed for any single "
        "operation.\r\nDo you wish to release the most recent undo level?\r\n\r\nNote : Pressing yes will result "
        "in an inability to undo the most recent operation\r\nbut will free up a significant amount of memory.";
    doc->PushUndoRecord(MakeRecord(14, IwfBytes(kCap, 0), 0));
    doc->PushUndoRecord(MakeRecord(14, IwfBytes(10, 0), 1));
    reporter.QueueAnswer(IDNO);
    doc->TrimUndoBuffer();
    EXPECT_EQ(RecordCount(), 2u);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].text, question);
    EXPECT_EQ(reporter.Entries()[0].type, MB_YESNO | MB_ICONWARNING);

    reporter.QueueAnswer(IDYES);
    doc->TrimUndoBuffer();
    EXPECT_EQ(doc->GetUndoList(), nullptr);
    EXPECT_EQ(reporter.Entries().size(), 2u);
}

TEST_F(UndoTest, UndoWithoutRecordsDoesNothing)
{
    Boxes(1);
    doc->SetModifiedFlag(FALSE);
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(UndoTest, ALevelOfThreeRecordsGoesBackInOneUndoNewestFirst)
{
    std::vector<ZNBRUSH *> b = Boxes(3);
    std::vector<ZNSELECTIONENTRY> entries = {EntryOf(b[1])};
    doc->PushUndoRecord(MakeRecord(14, Header(14), 0)); // an older level, which stays
    // Before each record the flags show what that record keeps.
    const BYTE continuation[3] = {0, 1, 1};
    for (DWORD step = 0; step < 3; ++step) {
        b[1]->m_Flags = 0x10 + step;
        ASSERT_EQ(doc->WriteUndoData(ZNUNDO_FLAGS, entries, continuation[step], 0), 1);
    }
    b[1]->m_Flags = 0x20;
    doc->SetModifiedFlag(FALSE);
    ASSERT_EQ(RecordCount(), 4u);
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(b[1]->m_Flags, 0x10u); // the level's first record was restored last
    EXPECT_EQ(RecordCount(), 1u);
    EXPECT_EQ(doc->GetUndoList()->Type, 14u);
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(UndoTest, ARecordWithoutPayloadCompletesItsLevel)
{
    std::vector<ZNBRUSH *> b = Boxes(2);
    std::vector<ZNSELECTIONENTRY> entries = {EntryOf(b[0])};
    b[0]->m_Flags = 1;
    ASSERT_EQ(doc->WriteUndoData(ZNUNDO_FLAGS, entries, 0, 0), 1);
    b[0]->m_Flags = 2;
    ASSERT_EQ(doc->WriteUndoData(ZNUNDO_FLAGS, entries, 0, 0), 1);
    b[0]->m_Flags = 3;
    std::vector<ZNSELECTIONENTRY> again = {EntryOf(b[0])};
    ASSERT_EQ(doc->WriteUndoData(14, again, 1, 0), 1);
    EXPECT_EQ(doc->GetUndoList()->Size, 8u);
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(b[0]->m_Flags, 2u); // type 14 and the record it continued, nothing older
    EXPECT_EQ(RecordCount(), 1u);
}

TEST_F(UndoTest, RemovedBrushesComeBackAtTheirPlaces)
{
    std::vector<ZNBRUSH *> b = Boxes(9);
    GroupOf({b[5], b[7]}, "Outer");
    const IwfBytes before = SceneImage();
    std::vector<ZNSELECTIONENTRY> entries = {EntryOf(b[5]), EntryOf(b[2]), EntryOf(b[7])};
    ASSERT_EQ(doc->WriteUndoData(ZNUNDO_REMOVE, entries, 0, 1), 1);
    doc->SetUndoDescription("Delete Objects");
    for (const ZNSELECTIONENTRY &e : entries)
        doc->DeleteBrush(reinterpret_cast<ZNBRUSH *>(e.Object));
    ASSERT_EQ(Listed().size(), 6u);

    EXPECT_EQ(doc->OnEditUndo(), 1);
    const std::vector<ZNBRUSH *> after = Listed();
    ASSERT_EQ(after.size(), 9u);
    for (int k : {2, 5, 7}) {
        const ZNBBOX box = after[k]->GetBoundingBox(1);
        EXPECT_EQ(box.Min.x, k * 3.0f) << k;
        EXPECT_EQ(box.Max.y, k + 1.0f) << k;
        EXPECT_EQ(doc->GetObjectIndex(1, after[k]), k);
    }
    EXPECT_EQ(SceneImage(), before);
    EXPECT_NE(after[5]->GetParent(), nullptr);
    EXPECT_EQ(after[5]->GetParent(), after[7]->GetParent());
    EXPECT_STREQ(after[5]->GetParent()->GetName(), "Outer");
    EXPECT_EQ(doc->GetLastBrush(), after[8]);
}

TEST_F(UndoTest, ValidateBrushesRecordsOneContinuedRemovalWithoutGroups)
{
    // Brushes 1 and 3 have only faces without vertices.
    std::vector<ZNBRUSH *> b;
    for (int k = 0; k < 4; ++k) {
        if (k % 2) {
            b.push_back(doc->NewBrush());
            b.back()->AddFace(static_cast<short>(0));
        } else {
            b.push_back(Box({k * 3.0f, 0, 0}, {k * 3.0f + 1, 1, 1}));
        }
    }
    std::vector<ZNSELECTIONENTRY> first = {EntryOf(b[0])};
    ASSERT_EQ(doc->WriteUndoData(ZNUNDO_ADD, first, 0, 0), 1);
    doc->ValidateBrushes();
    ASSERT_EQ(Listed().size(), 2u);
    ASSERT_EQ(RecordCount(), 2u);
    EXPECT_EQ(doc->GetUndoList()->Type, 11u);
    EXPECT_EQ(doc->GetUndoList()->Continuation, 1);
    IwfBytes tail;
    AppendU32(tail, 2);
    AppendEntry(tail, 1, 1);
    AppendEntry(tail, 1, 3);
    const IwfBytes bytes = NewestBytes();
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), bytes.end() - static_cast<long>(tail.size())));

    doc->ValidateBrushes(); // nothing invalid left: no record
    EXPECT_EQ(RecordCount(), 2u);
    // The removal and the add go back together.
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(Listed().size(), 3u);
    EXPECT_EQ(doc->GetUndoList(), nullptr);
}

TEST_F(UndoTest, MaterialsMissingFromTheSceneAreAddedAndReported)
{
    struct Case {
        int materials;
        std::string text;
    };
    const Case cases[] = {
        {1, "Info : 1 non-existant material utilised by the data stored within the undo buffer\r\nhas been "
            "automatically added to the scene."},
        {2, "Info : 2 non-existant materials utilised by the data stored within the undo buffer\r\nhave been "
            "automatically added to the scene."},
    };
    for (const Case &c : cases) {
        reporter.Clear();
        std::vector<ZNBRUSH *> b = Boxes(c.materials);
        std::vector<ZNSELECTIONENTRY> entries;
        for (int k = 0; k < c.materials; ++k) {
            b[k]->SetMaterial(AddMaterial("Undo " + std::to_string(k), 0.2f + 0.3f * k));
            entries.push_back(EntryOf(b[k]));
        }
        ASSERT_EQ(doc->WriteUndoData(ZNUNDO_REMOVE, entries, 0, 1), 1);
        for (ZNBRUSH *brush : b)
            doc->DeleteBrush(brush);
        GetEditorApp()->Get3D()->TrimMaterialList();
        const DWORD count = Materials()->GetElementCount();
        EXPECT_EQ(doc->OnEditUndo(), 1);
        EXPECT_EQ(Materials()->GetElementCount(), count + c.materials);
        ASSERT_EQ(reporter.Entries().size(), 1u) << c.materials;
        EXPECT_EQ(reporter.Entries()[0].text, c.text);
        EXPECT_EQ(reporter.Entries()[0].type, MB_ICONINFORMATION);
        doc->DeleteContents();
    }
}

// Broken records: each fails with the message, stays whole at the head, and leaves the scene as
// it was.
struct BrokenCase {
    const char *name;
    DWORD type;
    // Builds the record's bytes from a valid record of the same type over brushes 1 and 3.
    std::function<IwfBytes(const IwfBytes &valid)> damage;
};

class UndoBrokenTest : public UndoTest, public ::testing::WithParamInterface<BrokenCase>
{
};

TEST_P(UndoBrokenTest, FailsWithTheMessageAndKeepsTheRecord)
{
    const BrokenCase &c = GetParam();
    std::vector<ZNBRUSH *> b = Boxes(5);
    b[1]->m_Flags = 2;
    b[3]->m_Flags = 2;
    std::vector<ZNSELECTIONENTRY> entries = {EntryOf(b[1]), EntryOf(b[3])};
    ASSERT_EQ(doc->WriteUndoData(c.type, entries, 0, 1), 1);
    const IwfBytes valid = NewestBytes();
    doc->FreeUndoList();
    if (c.type == ZNUNDO_REMOVE) {
        doc->DeleteBrush(b[1]);
        doc->DeleteBrush(b[3]);
    }
    b[1] = b[3] = nullptr;
    const IwfBytes broken = c.damage(valid);
    doc->PushUndoRecord(MakeRecord(c.type, broken, 0));
    const IwfBytes before = SceneImage();
    doc->SetModifiedFlag(FALSE);

    EXPECT_EQ(doc->OnEditUndo(), 0);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].text, kRestoreFailed);
    EXPECT_EQ(reporter.Entries()[0].type, MB_OK);
    ASSERT_NE(doc->GetUndoList(), nullptr);
    EXPECT_EQ(NewestBytes(), broken);
    EXPECT_EQ(SceneImage(), before);
    EXPECT_FALSE(doc->IsModified());
}

IwfBytes Truncated(const IwfBytes &valid)
{
    return IwfBytes(valid.begin(), valid.begin() + static_cast<long>(valid.size() / 2));
}

// The entry list is the record's last count + 5 * N bytes; replaced by the given list.
IwfBytes WithEntries(const IwfBytes &valid, size_t oldCount, uint32_t count,
                     const std::vector<std::pair<uint8_t, int32_t>> &entries)
{
    IwfBytes out(valid.begin(), valid.end() - static_cast<long>(4 + 5 * oldCount));
    AppendU32(out, count);
    for (const auto &[category, index] : entries)
        AppendEntry(out, category, index);
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Records, UndoBrokenTest,
    ::testing::Values(
        BrokenCase{"RemovalTruncated", ZNUNDO_REMOVE, Truncated},
        BrokenCase{"RemovalCountBeyondTheData", ZNUNDO_REMOVE,
                   [](const IwfBytes &v) { return WithEntries(v, 2, 1000, {{1, 1}, {1, 3}}); }},
        BrokenCase{"RemovalIndexPastTheList", ZNUNDO_REMOVE,
                   [](const IwfBytes &v) { return WithEntries(v, 2, 2, {{1, 1}, {1, 9}}); }},
        BrokenCase{"RemovalFewerImageObjectsThanEntries", ZNUNDO_REMOVE,
                   [](const IwfBytes &v) { return WithEntries(v, 2, 3, {{1, 1}, {1, 2}, {1, 3}}); }},
        BrokenCase{"RotateIndexPastTheList", ZNUNDO_ROTATE,
                   [](const IwfBytes &v) { return WithEntries(v, 2, 2, {{1, 0}, {1, 5}}); }},
        BrokenCase{"RotateNegativeIndex", ZNUNDO_ROTATE,
                   [](const IwfBytes &v) { return WithEntries(v, 2, 2, {{1, 0}, {1, -2}}); }},
        BrokenCase{"AddIndexPastTheList", ZNUNDO_ADD,
                   [](const IwfBytes &v) { return WithEntries(v, 2, 2, {{1, 0}, {1, 5}}); }},
        BrokenCase{"AddCountBeyondTheData", ZNUNDO_ADD,
                   [](const IwfBytes &v) { return WithEntries(v, 2, 0x40000000, {{1, 0}}); }},
        BrokenCase{"FlagsTruncated", ZNUNDO_FLAGS,
                   [](const IwfBytes &v) { return IwfBytes(v.begin(), v.end() - 2); }},
        BrokenCase{"FlagsIndexPastTheList", ZNUNDO_FLAGS,
                   [](const IwfBytes &v) {
                       IwfBytes out = v;
                       out[8 + 4 + 1 + 4 + 4 + 1] = 7; // the second entry's brush index
                       return out;
                   }},
        // An image of two meshes whose vertex blocks claim vertices under a mask naming no field.
        BrokenCase{"RemovalVerticesWithoutFields", ZNUNDO_REMOVE,
                   [](const IwfBytes &v) {
                       IwfBytes out(v.begin(), v.begin() + 8);
                       const IwfBytes image =
                           IwfBuild({IwfSignature(), IwfMeshOfFieldlessVertices(100), IwfMeshOfFieldlessVertices(100)});
                       out.insert(out.end(), image.begin(), image.end());
                       out.insert(out.end(), v.end() - (4 + 5 * 2), v.end());
                       return out;
                   }},
        BrokenCase{"ShorterThanTheHeader", ZNUNDO_ADD, [](const IwfBytes &) { return Bytes({'U', 'N'}); }}),
    [](const ::testing::TestParamInfo<BrokenCase> &info) { return std::string(info.param.name); });

TEST_F(UndoTest, MoveUndoSkipsObjectsGoneAndRecomputesTheBrush)
{
    std::vector<ZNBRUSH *> b = Boxes(3);
    ZNSELECTIONENTRY e = EntryOf(b[2]);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    D3DXVECTOR3 move(4, -2, 1);
    Band()->SetMoveTotal(move);
    const IwfBytes before = SceneImage();
    ASSERT_EQ(doc->CreateUndoLevel(ZNUNDO_MOVE, 0, 0), 1);
    b[2]->MoveBrush(&move, 0);
    b[2]->UpdateBoundingBox();
    b[2]->CalculateFaceCenterPoints();
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(SceneImage(), before);
    EXPECT_EQ(b[2]->m_Bounds.Min.x, 6.0f);
    EXPECT_EQ(Band()->GetCentre().x, 6.5f);

    // A record naming a brush past the list moves nothing and still succeeds.
    IwfBytes record = Header(1);
    AppendFloat(record, 1);
    AppendFloat(record, 0);
    AppendFloat(record, 0);
    AppendU32(record, 1);
    AppendEntry(record, 1, 40);
    doc->PushUndoRecord(MakeRecord(1, record, 0));
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(SceneImage(), before);
}

TEST_F(UndoTest, DeleteContentsEmptiesTheBandAndTheUndoList)
{
    std::vector<ZNBRUSH *> b = Boxes(2);
    ZNSELECTIONENTRY e = EntryOf(b[0]);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    ASSERT_EQ(doc->CreateUndoLevel(ZNUNDO_FLAGS, 0, 0), 1);
    doc->DeleteContents();
    EXPECT_EQ(doc->GetUndoList(), nullptr);
    EXPECT_EQ(doc->GetBrushList(), nullptr);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_EMPTY);
}
