// Placing the selection, or references to it, on the surface under the cursor of a real 3D view.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/entity_plugin_manager.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "fileio/iwf_document_image.h"
#include "fileio/iwf_image.h"
#include "fileio/iwf_scene.h"
#include "fileio/memory_stream_io.h"
#include "render/camera.h"
#include "render/view3d_fixture.h"
#include "scene/entity.h"
#include "scene/group.h"
#include "scene/overlay.h"
#include "support/entity_plugins.h"
#include "support/shapes.h"

namespace
{

void ExpectNearVector(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b)
{
    EXPECT_NEAR(a.x, b.x, 1e-3f);
    EXPECT_NEAR(a.y, b.y, 1e-3f);
    EXPECT_NEAR(a.z, b.z, 1e-3f);
}

char *Copy(const std::string &text)
{
    char *copy = new char[text.size() + 1];
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// The camera sits at the origin looking along +z; the wall's near face is at z = 16.
const D3DXVECTOR3 kOnTheWall(0, 0, 16);

} // namespace

// A real 3D view on the offscreen context, the shipped entity plug-ins and the protocol test
// plug-in (whose pick reports the distance stored in its block at 172, at the point
// (distance, 0, 0)). A wall of 8 units faces the camera at z = 16; the crate stands aside.
class PlaceTest : public ZnView3DTest
{
protected:
    static constexpr int kCentreX = kWidth / 2, kCentreY = kHeight / 2;
    static constexpr int kProtocol = ZnEntityPlugins::kReference + 1;

    void SetUp() override
    {
        ZnView3DTest::SetUp();
        if (HasFatalFailure())
            return;
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        GetEditorApp()->Options().m_PlaceOnSurfaces = 0;
        plugins = std::make_unique<ZnEntityPlugins>(std::vector<std::string>{"ent_protocol"});
        wall = Box({-4, -4, 16}, {4, 4, 24}, "Wall");
    }
    void TearDown() override
    {
        Band()->Clear(1, 0);
        GetEditorApp()->SetSpaceDown(0);
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        document.reset();
        plugins.reset();
        ZnView3DTest::TearDown();
    }
    static CZNSelectionBand *Band() { return GetEditorApp()->GetSelectionBand(); }

    ZNBRUSH *Box(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi, const std::string &name)
    {
        ZNBRUSH *b = Brush();
        ZnBuildBox(*b, lo, hi);
        delete[] b->m_Name;
        b->m_Name = Copy(name);
        return b;
    }
    ZNBRUSH *Crate() { return Box({30, 0, 0}, {32, 2, 2}, "Crate"); }
    static void Select(void *object, BYTE category)
    {
        ZNSELECTIONENTRY e;
        e.Type = category;
        e.Object = reinterpret_cast<uintptr_t>(object);
        ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
    }
    // An entity of the protocol plug-in whose pick reports distance (0: it is never hit).
    CZNEntity *Target(float distance)
    {
        CZNEntity *e = document->NewEntity(kProtocol, 0, 0, 0);
        EXPECT_NE(e, nullptr);
        if (e)
            std::memcpy(e->GetData() + 172, &distance, sizeof(distance));
        return e;
    }
    IwfBytes SceneImage()
    {
        return IwfDocumentImage();
    }
    size_t RecordCount() const
    {
        size_t n = 0;
        for (ZNUNDORECORD *r = document->GetUndoList(); r; r = r->Next)
            ++n;
        return n;
    }
    std::vector<CZNEntity *> Entities() const
    {
        std::vector<CZNEntity *> out;
        for (CZNEntity *e = document->GetEntityList(); e; e = e->m_Next)
            out.push_back(e);
        return out;
    }
    // The references made of the crate and the others (every entity of the reference type).
    std::vector<CZNEntity *> References() const
    {
        std::vector<CZNEntity *> out;
        for (CZNEntity *e : Entities())
            if (e->GetType() != kProtocol)
                out.push_back(e);
        return out;
    }
    static D3DXVECTOR3 BlockPosition(const CZNEntity *e)
    {
        D3DXVECTOR3 p;
        std::memcpy(&p, e->GetData() + 48, sizeof(p));
        return p;
    }
    static std::string BlockName(const CZNEntity *e) { return reinterpret_cast<const char *>(e->GetData() + 84); }
    // Space held, a press and release of one button at the client centre.
    void Press(bool right)
    {
        GetEditorApp()->SetSpaceDown(1);
        const CPoint centre(kCentreX, kCentreY);
        if (right) {
            view.OnRButtonDown(0, centre);
            view.OnRButtonUp(0, centre);
        } else {
            view.OnLButtonDown(0, centre);
            view.OnLButtonUp(0, centre);
        }
        GetEditorApp()->SetSpaceDown(0);
    }

    std::unique_ptr<ZnEntityPlugins> plugins;
    ZNBRUSH *wall = nullptr;
};

TEST_F(PlaceTest, TheCentreRayIsTheLookDirectionFromTheCamera)
{
    CZNCAMERA *camera = D3D().GetCamera();
    const D3DXVECTOR3 eye(3, -2, -5);
    camera->Move(&eye, 1, 0);
    camera->Turn(-7, 13, 0, 1, 0);
    D3DXVECTOR3 origin, direction;
    ASSERT_TRUE(view.GetPickRay(kCentreX, kCentreY, &origin, &direction));
    ExpectNearVector(origin, eye);
    ExpectNearVector(direction, camera->GetLook());
}

// A client area of no width or no height casts no ray: nothing is placed.
TEST_F(PlaceTest, AnEmptyClientAreaPlacesNothing)
{
    ZNBRUSH *crate = Crate();
    Select(crate, ZNSELECT_BRUSH);
    const IwfBytes before = SceneImage();
    for (const auto &[w, h] : {std::pair<LONG, LONG>{0, kHeight}, {kWidth, 0}}) {
        ZnRecordingWindow empty(w, h);
        view.SetWindow(&empty);
        D3DXVECTOR3 origin, direction;
        EXPECT_FALSE(view.GetPickRay(0, 0, &origin, &direction));
        Band()->PlaceObjects(0, 0, &view);
        Band()->CreateReference(0, 0, &view);
    }
    view.SetWindow(window.get());
    EXPECT_EQ(SceneImage(), before);
    EXPECT_EQ(document->GetUndoList(), nullptr);
}

// The placement origin (the middle of the crate's bottom) lands where the centre ray meets the
// wall, through the 3D view's left press with Space held; one Undo puts the crate back.
TEST_F(PlaceTest, TheSelectionLandsOnTheWallAndOneUndoTakesItBack)
{
    ZNBRUSH *crate = Crate();
    const IwfBytes before = SceneImage();
    Select(crate, ZNSELECT_BRUSH);
    ExpectNearVector(Band()->GetPlacementOrigin(), {31, 0, 1});

    // Without Space, or with another placement mode, the press only anchors.
    view.OnLButtonDown(0, CPoint(kCentreX, kCentreY));
    view.OnLButtonUp(0, CPoint(kCentreX, kCentreY));
    GetEditorApp()->SetPlacementMode(ZNPLACE_PRIMITIVE);
    Press(false);
    GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
    EXPECT_EQ(SceneImage(), before);
    EXPECT_EQ(document->GetUndoList(), nullptr);
    document->SetModifiedFlag(FALSE);

    Press(false);
    const ZNBBOX box = crate->GetBoundingBox(1);
    ExpectNearVector(box.Min, {-1, 0, 15});
    ExpectNearVector(box.Max, {1, 2, 17});
    ExpectNearVector(Band()->GetPlacementOrigin(), kOnTheWall);
    ExpectNearVector(Band()->GetPivot(), {0, 1, 16});
    ExpectNearVector(Band()->GetCentre(), {0, 1, 16});
    ASSERT_NE(document->GetUndoList(), nullptr);
    EXPECT_EQ(document->GetUndoList()->Type, static_cast<DWORD>(ZNUNDO_MOVE));
    EXPECT_STREQ(document->GetUndoList()->Description, "Place Objects");
    EXPECT_TRUE(document->IsModified());

    ASSERT_EQ(document->OnEditUndo(), 1);
    EXPECT_EQ(SceneImage(), before);
    EXPECT_EQ(document->GetUndoList(), nullptr);
}

// With an overlay selected the move writes the overlays' record too; it joins the placement's
// level as its continuation, so one Undo takes both records back.
TEST_F(PlaceTest, TheOverlaysRecordJoinsThePlacementLevel)
{
    ZNBRUSH *crate = Crate();
    CZNOverlay *overlay = document->NewOverlay({31, 4, 1});
    ASSERT_NE(overlay, nullptr);
    const D3DXVECTOR3 overlayCentre = [&] {
        const ZNBBOX b = overlay->GetBounds(1);
        return (b.Min + b.Max) * 0.5f;
    }();
    Select(crate, ZNSELECT_BRUSH);
    Select(overlay, ZNSELECT_OVERLAY);
    const D3DXVECTOR3 offset = kOnTheWall - Band()->GetPlacementOrigin();

    Press(false);
    const ZNBBOX moved = overlay->GetBounds(1);
    ExpectNearVector((moved.Min + moved.Max) * 0.5f, overlayCentre + offset);
    ExpectNearVector(Band()->GetPlacementOrigin(), kOnTheWall);
    ASSERT_EQ(RecordCount(), 2u);
    const ZNUNDORECORD *overlays = document->GetUndoList();
    EXPECT_EQ(overlays->Type, static_cast<DWORD>(ZNUNDO_BANDMOVE));
    EXPECT_EQ(overlays->Continuation, 1);
    EXPECT_EQ(overlays->Next->Type, static_cast<DWORD>(ZNUNDO_MOVE));
    EXPECT_EQ(overlays->Next->Continuation, 0);
    EXPECT_STREQ(overlays->Next->Description, "Place Objects");

    ASSERT_EQ(document->OnEditUndo(), 1);
    EXPECT_EQ(document->GetUndoList(), nullptr);
    ExpectNearVector(crate->GetBoundingBox(1).Min, {30, 0, 0});
    const ZNBBOX back = overlay->GetBounds(1);
    ExpectNearVector((back.Min + back.Max) * 0.5f, overlayCentre);
}

// A self-building overlay over the crate gives up its surfaces when the crate is placed away.
TEST_F(PlaceTest, SelfBuildingOverlaysFollowThePlacedBrushes)
{
    ZNBRUSH *crate = Box({228, 0, 0}, {248, 20, 20}, "Crate");
    CZNOverlay *overlay = document->NewOverlay({238, 10, 10});
    ASSERT_NE(overlay, nullptr);
    overlay->SetAutoRebuildFlag(1);
    overlay->Rebuild();
    ASSERT_GT(overlay->GetFaceCount(), 0u);
    Select(crate, ZNSELECT_BRUSH);

    Press(false);
    ExpectNearVector(Band()->GetPlacementOrigin(), kOnTheWall);
    EXPECT_EQ(overlay->GetFaceCount(), 0u);
}

// What the ray meets decides: nothing, the nearer of a brush and an entity, a tie, and never
// the selection itself.
struct HitCase {
    const char *name;
    bool wall;          // the wall stays in the scene
    float entity;       // the protocol entity's pick distance; 0: no entity
    bool selectedFirst; // the selected crate stands before the wall on the ray
    bool moves;
    D3DXVECTOR3 origin; // where the placement origin ends
};

class PlaceHitTest : public PlaceTest, public ::testing::WithParamInterface<HitCase>
{
};

TEST_P(PlaceHitTest, PlacementOriginGoesToTheNearestUnselectedHit)
{
    const HitCase &c = GetParam();
    if (!c.wall) {
        ASSERT_EQ(document->DeleteBrush(wall), 1);
    }
    if (c.entity > 0)
        Target(c.entity);
    ZNBRUSH *crate = c.selectedFirst ? Box({-1, -1, 8}, {1, 1, 10}, "Crate") : Crate();
    Select(crate, ZNSELECT_BRUSH);
    const D3DXVECTOR3 start = Band()->GetPlacementOrigin();
    const IwfBytes before = SceneImage();

    Band()->PlaceObjects(kCentreX, kCentreY, &view);
    if (!c.moves) {
        EXPECT_EQ(SceneImage(), before);
        EXPECT_EQ(RecordCount(), 0u);
        EXPECT_EQ(Band()->GetPlacementOrigin(), start);
        return;
    }
    ExpectNearVector(Band()->GetPlacementOrigin(), c.origin);
    const ZNBBOX box = crate->GetBoundingBox(1);
    ExpectNearVector({(box.Min.x + box.Max.x) / 2, box.Min.y, (box.Min.z + box.Max.z) / 2}, c.origin);
}

INSTANTIATE_TEST_SUITE_P(
    Hits, PlaceHitTest,
    ::testing::Values(HitCase{"Nothing", false, 0, false, false, {}},
                      HitCase{"OnlyTheEntity", false, 12, false, true, {12, 0, 0}},
                      HitCase{"EntityNearer", true, 12, false, true, {12, 0, 0}},
                      HitCase{"WallNearer", true, 20, false, true, kOnTheWall},
                      HitCase{"Tie", true, 16, false, false, {}},
                      HitCase{"SelectionIsNeverHit", true, 0, true, true, kOnTheWall}),
    [](const ::testing::TestParamInfo<HitCase> &info) { return std::string(info.param.name); });

// Selected entities are not hit either.
TEST_F(PlaceTest, SelectedEntitiesAreNotHit)
{
    Target(12)->SetSelected(1);
    ZNBRUSH *crate = Crate();
    Select(crate, ZNSELECT_BRUSH);
    Band()->PlaceObjects(kCentreX, kCentreY, &view);
    ExpectNearVector(Band()->GetPlacementOrigin(), kOnTheWall);
}

// With "Ignore Back Faces" a ray from inside the wall passes its far face from behind.
TEST_F(PlaceTest, TheBackFaceOptionReachesTheBrushPick)
{
    ZNBRUSH *crate = Crate();
    Select(crate, ZNSELECT_BRUSH);
    const D3DXVECTOR3 inside(0, 0, 20);
    D3D().GetCamera()->Move(&inside, 1, 0);
    GetEditorApp()->Options().m_PlaceOnSurfaces = 1;
    const IwfBytes before = SceneImage();
    Band()->PlaceObjects(kCentreX, kCentreY, &view);
    EXPECT_EQ(SceneImage(), before);
    GetEditorApp()->Options().m_PlaceOnSurfaces = 0;
    Band()->PlaceObjects(kCentreX, kCentreY, &view);
    ExpectNearVector(Band()->GetPlacementOrigin(), {0, 0, 24});
}

// Placing is armed only for an objects band: faces stay where they are, and the 3D view keeps the
// arrow cursor.
TEST_F(PlaceTest, FaceBandModeDoesNothing)
{
    ZNBRUSH *crate = Crate();
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    ZNSELECTIONENTRY e;
    e.Type = ZNSELECT_FACE;
    e.Object = reinterpret_cast<uintptr_t>(crate);
    e.Face = 0;
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    EXPECT_FALSE(Band()->IsPlaceArmed());
    const IwfBytes before = SceneImage();
    GetEditorApp()->SetSpaceDown(1);
    EXPECT_FALSE(tool.IsPlacementArmed());
    view.OnLButtonDown(0, CPoint(kCentreX, kCentreY));
    view.OnLButtonUp(0, CPoint(kCentreX, kCentreY));
    view.OnRButtonDown(0, CPoint(kCentreX, kCentreY));
    view.OnRButtonUp(0, CPoint(kCentreX, kCentreY));
    Band()->PlaceObjects(kCentreX, kCentreY, &view);
    Band()->CreateReference(kCentreX, kCentreY, &view);
    EXPECT_EQ(SceneImage(), before);
    EXPECT_EQ(document->GetUndoList(), nullptr);
    EXPECT_EQ(References().size(), 0u);
}

// References take the first free number; the block holds where the object would land and its
// name; one Undo removes what one press made.
TEST_F(PlaceTest, ReferencesAreNumberedAndUndoneTogether)
{
    ZNBRUSH *crate = Crate();
    Select(crate, ZNSELECT_BRUSH);
    EXPECT_FALSE(tool.IsPlacementArmed());
    GetEditorApp()->SetSpaceDown(1);
    EXPECT_TRUE(tool.IsPlacementArmed());
    GetEditorApp()->SetSpaceDown(0);

    Press(true);
    Band()->CreateReference(kCentreX, kCentreY, &view);
    std::vector<CZNEntity *> made = References();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_STREQ(made[0]->GetName(), "Crate(Ref#1)");
    EXPECT_STREQ(made[1]->GetName(), "Crate(Ref#2)");
    EXPECT_EQ(made[0]->GetType(), ZnEntityPlugins::kReference);
    // The crate's centre, moved as its placement origin would be.
    ExpectNearVector(BlockPosition(made[0]), {0, 1, 16});
    int32_t word;
    std::memcpy(&word, made[0]->GetData() + 64, sizeof(word));
    EXPECT_EQ(word, 0);
    EXPECT_EQ(BlockName(made[0]), "Crate");
    // The crate stays where it is.
    ExpectNearVector(crate->GetBoundingBox(1).Min, {30, 0, 0});
    ASSERT_NE(document->GetUndoList(), nullptr);
    EXPECT_EQ(document->GetUndoList()->Type, static_cast<DWORD>(ZNUNDO_ADD));
    EXPECT_STREQ(document->GetUndoList()->Description, "Reference Create && Place");

    // A freed number is used again first.
    ASSERT_EQ(document->DeleteEntity(made[0]), 1);
    Band()->CreateReference(kCentreX, kCentreY, &view);
    made = References();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_STREQ(made[1]->GetName(), "Crate(Ref#1)");

    ASSERT_EQ(document->OnEditUndo(), 1);
    made = References();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_STREQ(made[0]->GetName(), "Crate(Ref#2)");
}

// Numbers are free only when no object of any kind, group included, bears the name; nothing
// under the cursor makes nothing.
TEST_F(PlaceTest, TakenNamesOfEveryKindAreSkipped)
{
    ZNBRUSH *crate = Crate();
    Box({40, 0, 0}, {41, 1, 1}, "crate(ref#1)");
    ZNBRUSH *member = Box({44, 0, 0}, {45, 1, 1}, "Member");
    auto *group = new CZNGROUP;
    group->SetName(Copy("Crate(Ref#2)"));
    group->AddChild(member);
    Target(0)->SetName("Crate(Ref#3)");
    Select(crate, ZNSELECT_BRUSH);

    Band()->CreateReference(kCentreX, kCentreY, &view);
    std::vector<CZNEntity *> made = References();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_STREQ(made[0]->GetName(), "Crate(Ref#4)");

    // The top left pixel's ray passes by the wall and everything else.
    const size_t records = RecordCount();
    Band()->CreateReference(0, 0, &view);
    EXPECT_EQ(References().size(), 1u);
    EXPECT_EQ(RecordCount(), records);
}

// A grouped selection gives one reference named after its outermost group; a long name is cut
// to the name buffer with its terminating zero.
TEST_F(PlaceTest, GroupsAndLongNames)
{
    ZNBRUSH *a = Box({30, 0, 0}, {32, 2, 2}, "A");
    ZNBRUSH *b = Box({34, 0, 0}, {36, 2, 2}, "B");
    auto *inner = new CZNGROUP;
    inner->SetName(Copy("Inner"));
    inner->AddChild(a);
    inner->AddChild(b);
    auto *outer = new CZNGROUP;
    outer->SetName(Copy("Outer"));
    outer->AddChild(inner);
    Select(a, ZNSELECT_BRUSH);
    ASSERT_EQ(Band()->GetEntryCount(), 2u);
    Band()->CreateReference(kCentreX, kCentreY, &view);
    std::vector<CZNEntity *> made = References();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_STREQ(made[0]->GetName(), "Outer(Ref#1)");
    EXPECT_EQ(BlockName(made[0]), "Outer");
    // The group's box is 30..36 x 0..2 x 0..2; its bottom middle lands on the wall.
    ExpectNearVector(BlockPosition(made[0]), {0, 1, 16});

    Band()->Clear(1, 0);
    const std::string longName(300, 'x');
    ZNBRUSH *named = Box({40, 0, 0}, {42, 2, 2}, longName);
    Select(named, ZNSELECT_BRUSH);
    Band()->CreateReference(kCentreX, kCentreY, &view);
    made = References();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(std::string(made[1]->GetName()), longName + "(Ref#1)");
    EXPECT_EQ(made[1]->GetBlockSize(), 340u);
    EXPECT_EQ(BlockName(made[1]), std::string(255, 'x'));
}

// The reference type is looked up by its id and the exact vendor "TOVRA": a smaller block of
// that type gets the name cut to what it holds; the same letters in another case are no
// reference type, and without one nothing is made.
TEST_F(PlaceTest, TheReferenceTypeIsFoundByIdAndExactVendor)
{
    ZNBRUSH *crate = Box({30, 0, 0}, {32, 2, 2}, std::string(120, 'c'));
    Select(crate, ZNSELECT_BRUSH);
    auto loadOnly = [](const char *name) {
        CZNEntityPluginManager *manager = ZnEntityPlugins::Manager();
        const std::string saved = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(std::string(ZN_TEST_TMP_DIR) + "/no such folder/");
        manager->UnloadPlugins();
        manager->LoadPlugins(nullptr, (std::string(ZN_TEST_PLUGIN_DIR) + "/").c_str(), name);
        GetEditorApp()->SetProgramDirectory(saved);
        ASSERT_EQ(manager->GetPluginCount(), 1);
    };
    loadOnly("ent_reference_other_case.so");
    Band()->CreateReference(kCentreX, kCentreY, &view);
    EXPECT_EQ(document->GetEntityList(), nullptr);
    EXPECT_EQ(document->GetUndoList(), nullptr);

    loadOnly("ent_small_reference.so");
    Band()->CreateReference(kCentreX, kCentreY, &view);
    ASSERT_NE(document->GetEntityList(), nullptr);
    const CZNEntity *reference = document->GetEntityList();
    EXPECT_EQ(reference->GetBlockSize(), 176u);
    EXPECT_EQ(BlockName(reference), std::string(176 - 84 - 1, 'c'));
    ExpectNearVector(BlockPosition(reference), {0, 1, 16});
    EXPECT_EQ(std::string(reference->GetName()), std::string(120, 'c') + "(Ref#1)");
}
