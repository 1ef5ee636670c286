// Copy, Paste and Select All of the document, their enable rules, and clipboard data that does
// not hold what it promises. The clipboard is a memory clipboard, except for one round trip
// through the real one on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/doc_shell.h"
#include "platform/os/byte_order.h"
#include "platform/os/clipboard.h"
#include "platform/os/memory_clipboard.h"
#include "render/view/2d_view.h"
#include "scene/overlay.h"
#include "support/gui_app.h"
#include "undo_fixture.h"

namespace
{

// The window around the document: only the active view matters here.
class ActiveViewShell : public IZNDocShell
{
public:
    bool AskFilePath(ZNFILEDIALOG, std::string *) override { return false; }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void UpdateStatusBar() override {}
    void RebuildSceneTree() override { ++treeRebuilds; }
    void RefreshMaterialList() override { ++materialRefreshes; }
    void RefreshActivePage() override {}
    void RefreshPrefabs() override {}
    void CheckRenderModeButton(UINT) override {}
    void DocumentChanged() override {}
    void AddRecentFile(const std::string &) override {}
    CZNView *GetActiveView() override { return active; }

    CZNView *active = nullptr;
    int treeRebuilds = 0;
    int materialRefreshes = 0;
};

// The 3D view as the document sees it.
class PerspectiveView : public CZNView
{
public:
    PerspectiveView() : CZNView(ZNVIEWTYPE_3D) {}
    void RedrawForDocument(int) override {}
    void RefreshForDocument() override {}
};

class ClipboardTest : public UndoTest
{
protected:
    void SetUp() override
    {
        UndoTest::SetUp();
        SetClipboard(&clipboard);
        doc->SetShell(&shell);
        format = clipboard.RegisterFormat(CZNEDITORDoc::kClipboardFormat);
    }
    void TearDown() override
    {
        SetClipboard(nullptr);
        UndoTest::TearDown();
    }

    void Select(const std::vector<ZNBRUSH *> &brushes)
    {
        Band()->Clear(1, 0);
        for (ZNBRUSH *b : brushes) {
            const ZNSELECTIONENTRY e = EntryOf(b);
            Band()->AddToSelection(&e, 1, 0);
        }
    }
    std::vector<BYTE> Block() const { return clipboard.Get(format); }
    static std::vector<BYTE> BlockOf(const IwfBytes &image)
    {
        std::vector<BYTE> block(4 + image.size());
        ZnPutU32LE(block.data(), static_cast<DWORD>(image.size()));
        std::copy(image.begin(), image.end(), block.begin() + 4);
        return block;
    }
    static D3DXVECTOR3 Centre(ZNBRUSH *b)
    {
        const ZNBBOX box = b->GetBoundingBox(1);
        return (box.Min + box.Max) * 0.5f;
    }
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> out;
        for (const auto &e : reporter.Entries())
            out.push_back(e.text);
        return out;
    }

    CZNMemoryClipboard clipboard;
    ActiveViewShell shell;
    UINT format = 0;
};

} // namespace

TEST_F(ClipboardTest, CopyPutsLengthWordAndImageOfTheSelection)
{
    std::vector<ZNBRUSH *> boxes = Boxes(3);
    GroupOf({boxes[0], boxes[2]}, "Pair");
    Select({boxes[1], boxes[0]});
    doc->SetModifiedFlag(FALSE);

    ASSERT_EQ(doc->OnEditCopy(), 1);
    const std::vector<BYTE> block = Block();
    ASSERT_GE(block.size(), 4u);
    EXPECT_EQ(ZnGetU32LE(block.data()), block.size() - 4);

    // The image is the scene writer's of the band's entries (the group brings its members).
    std::vector<ZNSELECTIONENTRY> entries;
    Band()->GetEntries(entries);
    EXPECT_EQ(entries.size(), 3u);
    CZNMemoryStreamIO stream;
    stream.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    CZNIWFScene scene;
    scene.SaveObjects(stream, entries, IWFSAVE_ALL, nullptr);
    EXPECT_EQ(IwfBytes(block.begin() + 4, block.end()), IwfStreamBytes(stream));

    EXPECT_EQ(clipboard.m_Opens, 1);
    EXPECT_EQ(clipboard.m_Closes, 1);
    EXPECT_EQ(Listed(), boxes);
    EXPECT_EQ(Band()->GetEntryCount(), 3u);
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ClipboardTest, CopyWithNothingOrOnlyTheCameraOrFacesDoesNothing)
{
    ZNBRUSH *box = Box({0, 0, 0}, {1, 1, 1});
    EXPECT_EQ(doc->OnEditCopy(), 0);
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    ZNSELECTIONENTRY face;
    face.Type = ZNSELECT_FACE;
    face.Object = reinterpret_cast<uintptr_t>(box);
    ASSERT_EQ(Band()->AddToSelection(&face, 1, 0), 1);
    EXPECT_EQ(doc->OnEditCopy(), 0);
    EXPECT_FALSE(clipboard.Holds(format));
    EXPECT_EQ(clipboard.m_Opens, 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ClipboardTest, RoundTripThroughTheSystemClipboard)
{
    ZnGuiApp();
    SetClipboard(nullptr);
    std::vector<ZNBRUSH *> boxes = Boxes(2);
    Select(boxes);
    ASSERT_EQ(doc->OnEditCopy(), 1);
    EXPECT_TRUE(doc->IsClipboardCommandEnabled(57637));
    const IwfBytes before = SceneImage();

    ASSERT_EQ(doc->OnEditPaste(), 1);
    const std::vector<ZNBRUSH *> listed = Listed();
    ASSERT_EQ(listed.size(), 4u);
    // No active view: the pasted pair is centred on the origin, the two keeping their distance.
    const ZNBBOX a = listed[2]->GetBoundingBox(1), b = listed[3]->GetBoundingBox(1);
    EXPECT_NEAR((std::min(a.Min.x, b.Min.x) + std::max(a.Max.x, b.Max.x)) * 0.5f, 0.0f, 1e-4);
    EXPECT_NEAR((std::min(a.Min.y, b.Min.y) + std::max(a.Max.y, b.Max.y)) * 0.5f, 0.0f, 1e-4);
    const D3DXVECTOR3 apart = Centre(listed[3]) - Centre(listed[2]), was = Centre(listed[1]) - Centre(listed[0]);
    EXPECT_NEAR(apart.x, was.x, 1e-4);
    EXPECT_NEAR(apart.y, was.y, 1e-4);
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(SceneImage(), before);
}

namespace
{
struct TargetCase {
    const char *name;
    int view; // 0..2 a 2D view of that type, 3 the 3D view, -1 none
    D3DXVECTOR3 expected;
};
} // namespace

class PasteTargetTest : public ClipboardTest, public ::testing::WithParamInterface<TargetCase>
{
};

TEST_P(PasteTargetTest, PastedCentreLandsOnTheActive2DView)
{
    // A box whose centre is (10, 20, 30).
    ZNBRUSH *box = Box({5, 15, 25}, {15, 25, 35});
    Select({box});
    ASSERT_EQ(doc->OnEditCopy(), 1);

    // Each 2D view shows world (100, 300, 200) in its middle on its two axes.
    CZN2DView flat;
    PerspectiveView perspective;
    const TargetCase &c = GetParam();
    if (c.view >= 0 && c.view < 3) {
        flat.SetViewType(static_cast<WORD>(c.view));
        flat.SetClientSize(301, 200);
        flat.SetZoom(2.0f);
        const D3DXVECTOR3 world(100, 300, 200);
        flat.SetCentre(flat.WorldToView(world).x, flat.WorldToView(world).y);
        shell.active = &flat;
    } else if (c.view == 3) {
        shell.active = &perspective;
    }
    ASSERT_EQ(doc->OnEditPaste(), 1);
    ZNBRUSH *pasted = doc->GetLastBrush();
    ASSERT_NE(pasted, box);
    const D3DXVECTOR3 centre = Centre(pasted);
    EXPECT_NEAR(centre.x, c.expected.x, 1e-3);
    EXPECT_NEAR(centre.y, c.expected.y, 1e-3);
    EXPECT_NEAR(centre.z, c.expected.z, 1e-3);
    EXPECT_EQ(pasted->m_Bounds.Min, pasted->GetBoundingBox(1).Min) << "the stored box follows the move";
    EXPECT_NEAR(Band()->GetPivot().x, c.expected.x, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Views, PasteTargetTest,
                         ::testing::Values(TargetCase{"Top", 0, {100, 20, 200}}, TargetCase{"Right", 1, {10, 300, 200}},
                                           TargetCase{"Front", 2, {100, 300, 30}}, TargetCase{"Perspective", 3, {0, 0, 0}},
                                           TargetCase{"None", -1, {0, 0, 0}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ClipboardTest, PasteSelectsExactlyThePastedObjectsAndOneUndoRemovesThem)
{
    std::vector<ZNBRUSH *> boxes = Boxes(3);
    CZNOverlay *overlay = doc->NewOverlay({0, 0, 0});
    ZNSELECTIONENTRY o;
    o.Type = ZNSELECT_OVERLAY;
    o.Object = reinterpret_cast<uintptr_t>(overlay);
    Select({boxes[0], boxes[2]});
    ASSERT_EQ(Band()->AddToSelection(&o, 1, 0), 1);
    ASSERT_EQ(doc->OnEditCopy(), 1);
    doc->SetModifiedFlag(FALSE);
    const IwfBytes before = SceneImage();

    ASSERT_EQ(doc->OnEditPaste(), 1);
    const std::vector<ZNBRUSH *> listed = Listed();
    ASSERT_EQ(listed.size(), 5u);
    ASSERT_NE(doc->GetLastOverlay(), overlay);
    std::vector<uintptr_t> selected, expected = {reinterpret_cast<uintptr_t>(listed[3]),
                                                 reinterpret_cast<uintptr_t>(listed[4]),
                                                 reinterpret_cast<uintptr_t>(doc->GetLastOverlay())};
    for (const ZNSELECTIONENTRY &e : Band()->Entries())
        selected.push_back(e.Object);
    EXPECT_EQ(selected, expected);
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_OBJECTS);
    for (ZNBRUSH *b : boxes)
        EXPECT_FALSE(b->IsBrushSelected());
    EXPECT_FALSE(overlay->IsSelected());
    EXPECT_TRUE(doc->GetLastOverlay()->IsSelected());
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(RecordCount(), 1u);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Paste Objects");
    EXPECT_EQ(shell.treeRebuilds, 1);
    EXPECT_EQ(shell.materialRefreshes, 1);

    // Twice gives two sets.
    ASSERT_EQ(doc->OnEditPaste(), 1);
    EXPECT_EQ(Listed().size(), 7u);
    EXPECT_EQ(Band()->GetEntryCount(), 3u);
    EXPECT_EQ(RecordCount(), 2u);

    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(SceneImage(), before);
    EXPECT_EQ(Listed(), boxes);
    EXPECT_EQ(doc->GetLastOverlay(), overlay);
}

TEST_F(ClipboardTest, PastedGroupIsSelectedWhole)
{
    std::vector<ZNBRUSH *> boxes = Boxes(2);
    GroupOf({boxes[0], boxes[1]}, "Pair");
    Select({boxes[0]});
    ASSERT_EQ(doc->OnEditCopy(), 1);
    ASSERT_EQ(doc->OnEditPaste(), 1);
    const std::vector<ZNBRUSH *> listed = Listed();
    ASSERT_EQ(listed.size(), 4u);
    ASSERT_NE(listed[2]->GetParent(), nullptr);
    EXPECT_EQ(listed[2]->GetParent(), listed[3]->GetParent());
    EXPECT_NE(listed[2]->GetParent(), boxes[0]->GetParent());
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
}

TEST_F(ClipboardTest, AGroupWithoutObjectsIsLeftOutOfThePasteAndUndoLeavesNothing)
{
    std::vector<ZNBRUSH *> boxes = Boxes(2);
    GroupOf({boxes[0]}, "One");
    Select({boxes[0]});
    ASSERT_EQ(doc->OnEditCopy(), 1);
    const std::vector<BYTE> good = Block();
    // The copied group gains a nested branch of empty groups, and a group of an empty group
    // (not reached through any pasted object) follows it.
    std::vector<IwfNode> top = IwfParse(IwfBytes(good.begin() + 4, good.end()));
    const auto group = std::find_if(top.begin(), top.end(), [](const IwfNode &n) { return n.id == 0x10; });
    ASSERT_NE(group, top.end());
    const IwfNode empty = IwfChunk(0x10, IwfBody().U8(5).Str("Empty").bytes);
    group->children.push_back(IwfChunk(0x10, IwfBody().U8(6).Str("Branch").bytes, {empty}));
    top.push_back(IwfChunk(0x10, IwfBody().U8(4).Str("Lost").bytes, {empty}));
    clipboard.Put(format, BlockOf(IwfBuild(top)));
    const IwfBytes before = SceneImage();

    ASSERT_EQ(doc->OnEditPaste(), 1);
    const std::vector<ZNBRUSH *> listed = Listed();
    ASSERT_EQ(listed.size(), 3u);
    const CZNGROUP *pasted = listed[2]->GetParent();
    ASSERT_NE(pasted, nullptr);
    EXPECT_NE(pasted, boxes[0]->GetParent());
    EXPECT_STREQ(pasted->GetName(), "One");
    EXPECT_EQ(pasted->GetChildCount(), 2u) << "the empty branch goes with its tree";
    EXPECT_EQ(pasted->GetParent(), nullptr);
    // Undo deletes the pasted brush and its group with it (LeakSanitizer checks no group stays).
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(SceneImage(), before);
    EXPECT_EQ(Listed(), boxes);
}

namespace
{
struct MaterialCase {
    const char *name;
    int materials;
    const char *text;
};
} // namespace

class PasteMaterialTest : public ClipboardTest, public ::testing::WithParamInterface<MaterialCase>
{
};

TEST_P(PasteMaterialTest, MissingMaterialsAreAddedAndReported)
{
    const MaterialCase &c = GetParam();
    std::vector<ZNBRUSH *> boxes = Boxes(2);
    const LONG first = AddMaterial("Stone0", 0.5f);
    boxes[0]->SetMaterial(first);
    boxes[1]->SetMaterial(c.materials == 2 ? AddMaterial("Stone1", 0.75f) : first);
    Select(boxes);
    ASSERT_EQ(doc->OnEditCopy(), 1);
    Band()->Clear(1, 0);
    for (ZNBRUSH *b : boxes)
        doc->DeleteBrush(b);
    const DWORD builtIn = GetEditorApp()->Get3D()->TrimMaterialList();

    ASSERT_EQ(doc->OnEditPaste(), 1);
    EXPECT_EQ(Materials()->GetElementCount(), builtIn + c.materials);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].text, c.text);
    EXPECT_EQ(reporter.Entries()[0].type, unsigned(MB_ICONINFORMATION));
}

INSTANTIATE_TEST_SUITE_P(
    Counts, PasteMaterialTest,
    ::testing::Values(MaterialCase{"One", 1,
                                   "Info : 1 non-existant material utilised by the data stored within the clipboard\r\n"
                                   "has been automatically added to the scene."},
                      MaterialCase{"Two", 2,
                                   "Info : 2 non-existant materials utilised by the data stored within the clipboard\r\n"
                                   "have been automatically added to the scene."}),
    [](const auto &info) { return std::string(info.param.name); });

namespace
{
enum FailStep { kOpen, kEmpty, kSet, kGet };
struct FailureCase {
    const char *name;
    bool paste;
    FailStep step;
    const char *text;
};
} // namespace

class ClipboardFailureTest : public ClipboardTest, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(ClipboardFailureTest, EachFailureHasItsTextAndClosesTheClipboard)
{
    const FailureCase &c = GetParam();
    std::vector<ZNBRUSH *> boxes = Boxes(2);
    Select({boxes[1]});
    ASSERT_EQ(doc->OnEditCopy(), 1);
    const std::vector<BYTE> good = Block();
    doc->SetModifiedFlag(FALSE);

    clipboard.m_FailOpen = c.step == kOpen;
    clipboard.m_FailEmpty = c.step == kEmpty;
    clipboard.m_FailSet = c.step == kSet;
    clipboard.m_FailGet = c.step == kGet;
    EXPECT_EQ(c.paste ? doc->OnEditPaste() : doc->OnEditCopy(), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{c.text});
    EXPECT_FALSE(clipboard.IsOpen());
    EXPECT_EQ(clipboard.m_Opens, clipboard.m_Closes);
    // Only a clipboard that was emptied loses what it held.
    EXPECT_EQ(Block(), c.step == kSet ? std::vector<BYTE>() : good);
    EXPECT_EQ(Listed(), boxes);
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ClipboardFailureTest,
    ::testing::Values(FailureCase{"CopyOpen", false, kOpen, "Cannot open the Clipboard"},
                      FailureCase{"CopyEmpty", false, kEmpty, "Cannot empty the Clipboard"},
                      FailureCase{"CopySet", false, kSet, "Unable to set Clipboard data"},
                      FailureCase{"PasteOpen", true, kOpen, "Cannot open the Clipboard"},
                      FailureCase{"PasteGet", true, kGet, "Unable to get Clipboard data"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ClipboardTest, PasteWithoutTheFormatDoesNothingSilently)
{
    Boxes(1);
    clipboard.Put(clipboard.RegisterFormat("Some Other Format"), {1, 2, 3, 4});
    EXPECT_EQ(doc->OnEditPaste(), 0);
    EXPECT_EQ(clipboard.m_Opens, 0);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Listed().size(), 1u);
}

namespace
{
// A damaged block made from a good one.
struct DamageCase {
    const char *name;
    std::vector<BYTE> (*damage)(const std::vector<BYTE> &good);
};

std::vector<BYTE> ShortBlock(const std::vector<BYTE> &good)
{
    return std::vector<BYTE>(good.begin(), good.begin() + 3);
}
std::vector<BYTE> LengthBeyondBlock(const std::vector<BYTE> &good)
{
    std::vector<BYTE> block = good;
    ZnPutU32LE(block.data(), static_cast<DWORD>(good.size() - 3));
    return block;
}
std::vector<BYTE> HugeLength(const std::vector<BYTE> &good)
{
    std::vector<BYTE> block = good;
    ZnPutU32LE(block.data(), 0xFFFFFFFFu);
    return block;
}
// The image cut off before its end, with a length word that says so.
std::vector<BYTE> TruncatedImage(const std::vector<BYTE> &good)
{
    std::vector<BYTE> block(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() * 2 / 3));
    ZnPutU32LE(block.data(), static_cast<DWORD>(block.size() - 4));
    return block;
}
// Two meshes whose vertex blocks claim vertices under a mask naming no field.
std::vector<BYTE> VerticesWithoutFields(const std::vector<BYTE> &)
{
    const IwfBytes image = IwfBuild({IwfSignature(), IwfMeshOfFieldlessVertices(100), IwfMeshOfFieldlessVertices(100)});
    std::vector<BYTE> block(4);
    ZnPutU32LE(block.data(), static_cast<DWORD>(image.size()));
    block.insert(block.end(), image.begin(), image.end());
    return block;
}
std::vector<BYTE> EmptyImage(const std::vector<BYTE> &)
{
    return {0, 0, 0, 0};
}
} // namespace

class DamagedPasteTest : public ClipboardTest, public ::testing::WithParamInterface<DamageCase>
{
};

TEST_P(DamagedPasteTest, ChangesNothing)
{
    // Two boxes with materials the scene no longer has, so a partial read would add some.
    std::vector<ZNBRUSH *> boxes = Boxes(2);
    boxes[0]->SetMaterial(AddMaterial("Brick", 0.25f));
    boxes[1]->SetMaterial(AddMaterial("Slate", 0.75f));
    Select(boxes);
    ASSERT_EQ(doc->OnEditCopy(), 1);
    const std::vector<BYTE> good = Block();
    for (ZNBRUSH *b : boxes)
        b->SetMaterial(0);
    GetEditorApp()->Get3D()->TrimMaterialList();
    const DWORD materials = Materials()->GetElementCount();
    doc->SetModifiedFlag(FALSE);
    const IwfBytes before = SceneImage();

    clipboard.Put(format, GetParam().damage(good));
    EXPECT_EQ(doc->OnEditPaste(), 0);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to get Clipboard data"});
    EXPECT_EQ(Listed(), boxes);
    EXPECT_EQ(SceneImage(), before);
    EXPECT_EQ(Band()->GetEntryCount(), 2u) << "the selection stays";
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(Materials()->GetElementCount(), materials);
    EXPECT_FALSE(clipboard.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Blocks, DamagedPasteTest,
                         ::testing::Values(DamageCase{"ShortBlock", ShortBlock},
                                           DamageCase{"LengthBeyondBlock", LengthBeyondBlock},
                                           DamageCase{"HugeLength", HugeLength},
                                           DamageCase{"TruncatedImage", TruncatedImage},
                                           DamageCase{"EmptyImage", EmptyImage},
                                           DamageCase{"VerticesWithoutFields", VerticesWithoutFields}),
                         [](const auto &info) { return std::string(info.param.name); });

// Select All and the enable rules.

namespace
{
struct SelectAllCase {
    const char *name;
    ZNEDITMODE mode;
    bool withObjects;
    DWORD bandMode;
    DWORD entries;
};
} // namespace

class SelectAllTest : public ClipboardTest, public ::testing::WithParamInterface<SelectAllCase>
{
};

TEST_P(SelectAllTest, SelectsWhatTheEditModeCanSelect)
{
    const SelectAllCase &c = GetParam();
    CZNOverlay *overlay = nullptr;
    if (c.withObjects) {
        Boxes(2);
        // An overlay over the first box picks up the faces inside it.
        overlay = doc->NewOverlay({0.5f, 0.5f, 0.5f});
        overlay->Rebuild();
        ASSERT_GT(overlay->GetFaceCount(), 0u);
    }
    GetEditorApp()->SetEditMode(c.mode);
    Band()->SetPlacementFlag(1);
    EXPECT_EQ(doc->IsClipboardCommandEnabled(57642), c.withObjects);

    EXPECT_EQ(doc->OnEditSelectAll(), 1);
    const DWORD expected = c.mode == ZNEDITMODE_OVERLAY && overlay ? overlay->GetFaceCount() : c.entries;
    EXPECT_EQ(Band()->GetEntryCount(), expected);
    EXPECT_EQ(Band()->GetBandMode(), c.withObjects ? c.bandMode : DWORD(ZNBAND_EMPTY));
    EXPECT_EQ(Band()->GetPlacementFlag(), 0);
    EXPECT_EQ(RecordCount(), 0u);
    if (c.withObjects && c.mode == ZNEDITMODE_BRUSH) {
        EXPECT_TRUE(overlay->IsSelected());
    }
    if (c.withObjects && c.mode == ZNEDITMODE_VERTEX) {
        EXPECT_TRUE(doc->GetBrushList()->GetFace(5)->IsVertexSelected(3));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SelectAllTest,
    ::testing::Values(SelectAllCase{"Objects", ZNEDITMODE_BRUSH, true, ZNBAND_OBJECTS, 3},
                      SelectAllCase{"Faces", ZNEDITMODE_FACE, true, ZNBAND_FACES, 12},
                      SelectAllCase{"Vertices", ZNEDITMODE_VERTEX, true, ZNBAND_VERTICES, 48},
                      SelectAllCase{"OverlayFaces", ZNEDITMODE_OVERLAY, true, ZNBAND_OVERLAYFACES, 0},
                      SelectAllCase{"ObjectsEmpty", ZNEDITMODE_BRUSH, false, ZNBAND_EMPTY, 0},
                      SelectAllCase{"VerticesEmpty", ZNEDITMODE_VERTEX, false, ZNBAND_EMPTY, 0},
                      SelectAllCase{"OverlayFacesEmpty", ZNEDITMODE_OVERLAY, false, ZNBAND_EMPTY, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ClipboardTest, SelectAllEnableRuleFollowsTheListsOfTheMode)
{
    // Face modes need a brush; overlay mode an overlay; objects mode either.
    doc->NewOverlay({0, 0, 0});
    const std::pair<ZNEDITMODE, bool> withOverlayOnly[] = {
        {ZNEDITMODE_BRUSH, true}, {ZNEDITMODE_FACE, false}, {ZNEDITMODE_VERTEX, false}, {ZNEDITMODE_OVERLAY, true}};
    for (auto [mode, enabled] : withOverlayOnly) {
        GetEditorApp()->SetEditMode(mode);
        EXPECT_EQ(doc->IsClipboardCommandEnabled(57642), enabled) << mode;
    }
}

TEST_F(ClipboardTest, CutAndCopyNeedAnObjectsBandPasteTheFormat)
{
    ZNBRUSH *box = Box({0, 0, 0}, {1, 1, 1});
    for (UINT id : {57635u, 57634u})
        EXPECT_FALSE(doc->IsClipboardCommandEnabled(id));
    EXPECT_FALSE(doc->IsClipboardCommandEnabled(57637));

    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    ZNSELECTIONENTRY face;
    face.Type = ZNSELECT_FACE;
    face.Object = reinterpret_cast<uintptr_t>(box);
    ASSERT_EQ(Band()->AddToSelection(&face, 1, 0), 1);
    for (UINT id : {57635u, 57634u})
        EXPECT_FALSE(doc->IsClipboardCommandEnabled(id));

    GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
    Select({box});
    for (UINT id : {57635u, 57634u})
        EXPECT_TRUE(doc->IsClipboardCommandEnabled(id));

    clipboard.Put(clipboard.RegisterFormat("Some Other Format"), {1});
    EXPECT_FALSE(doc->IsClipboardCommandEnabled(57637));
    ASSERT_EQ(doc->OnEditCopy(), 1);
    EXPECT_TRUE(doc->IsClipboardCommandEnabled(57637));
    EXPECT_FALSE(doc->IsClipboardCommandEnabled(57643)) << "not a clipboard command";
}

// Cut copies, then removes the selection as one level; Undo brings positions and group back.
TEST_F(ClipboardTest, CutThenUndoBringsPositionsAndGroupBack)
{
    std::vector<ZNBRUSH *> boxes = Boxes(3);
    GroupOf({boxes[0], boxes[1]}, "Pair");
    const D3DXVECTOR3 first = Centre(boxes[0]), second = Centre(boxes[1]);
    Select({boxes[0]});
    ASSERT_EQ(doc->OnEditCut(), 1);
    EXPECT_EQ(Listed().size(), 1u);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_TRUE(doc->IsModified());
    ASSERT_NE(doc->GetUndoList(), nullptr);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Cut Selected");
    EXPECT_GT(Block().size(), 4u);

    ASSERT_EQ(doc->OnEditUndo(), 1);
    const std::vector<ZNBRUSH *> listed = Listed();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(Centre(listed[0]), first);
    EXPECT_EQ(Centre(listed[1]), second);
    ASSERT_NE(listed[0]->GetParent(), nullptr);
    EXPECT_EQ(listed[0]->GetParent(), listed[1]->GetParent());
}

TEST_F(ClipboardTest, CutWhoseCopyFailsRemovesNothing)
{
    std::vector<ZNBRUSH *> boxes = Boxes(2);
    Select({boxes[0]});
    clipboard.m_FailSet = true;
    EXPECT_EQ(doc->OnEditCut(), 0);
    EXPECT_EQ(Listed(), boxes);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to set Clipboard data"});
}
