// Overlays and overlay faces in the selection band: whole overlays in objects and face bands,
// their groups, generated faces in overlay-face bands, bounds and removal.
#include <gtest/gtest.h>

#include "scene/object_type.h"
#include "scene/overlay.h"
#include "undo_fixture.h"

namespace
{

class BandOverlayTest : public UndoTest
{
protected:
    void SetUp() override
    {
        UndoTest::SetUp();
        box = Box({0, 0, 0}, {64, 64, 64});
        // Over the cube's top edge at +x: it picks up pieces of two faces.
        overlay = doc->NewOverlay({64, 64, 32});
        overlay->Rebuild();
        ASSERT_GT(overlay->GetFaceCount(), 1u);
    }
    static ZNSELECTIONENTRY Entry(BYTE type, const void *object, DWORD face = 0)
    {
        ZNSELECTIONENTRY e;
        e.Type = type;
        e.Object = reinterpret_cast<uintptr_t>(object);
        e.Face = face;
        return e;
    }
    ZNBRUSH *box = nullptr;
    CZNOverlay *overlay = nullptr;
};

} // namespace

TEST_F(BandOverlayTest, GroupedOverlayBringsItsGroupAndLeavesWithIt)
{
    GroupOf({box, overlay}, "Decor");
    const ZNSELECTIONENTRY e = Entry(ZNSELECT_OVERLAY, overlay);
    ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_OBJECTS);
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
    EXPECT_TRUE(overlay->IsSelected());
    EXPECT_TRUE(box->IsBrushSelected());
    // The box spans the cube (0..64) and the overlay's box (+-30 about (64, 64, 32)).
    EXPECT_EQ(Band()->GetCentre(), D3DXVECTOR3(47, 47, 32));

    std::vector<ZNSELECTIONENTRY> list;
    Band()->GetEntries(list);
    CZNSelectionBand::CollapseToTopGroups(list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Type, ZNSELECT_GROUP);

    Band()->RemoveObject(overlay, ZNOBJECT_OVERLAY);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_FALSE(overlay->IsSelected());
    EXPECT_FALSE(box->IsBrushSelected());
}

TEST_F(BandOverlayTest, FaceBandTakesTheOverlayWholeAndTouchesIt)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    const ZNSELECTIONENTRY face = Entry(ZNSELECT_FACE, box, 2), whole = Entry(ZNSELECT_OVERLAY, overlay);
    ASSERT_EQ(Band()->AddToSelection(&face, 1, 0), 1);
    ASSERT_EQ(Band()->AddToSelection(&whole, 1, 0), 1);
    EXPECT_EQ(Band()->TouchedList(), (std::vector<void *>{box, overlay}));
    EXPECT_TRUE(overlay->IsSelected());
    Band()->RemoveObject(overlay, ZNOBJECT_OVERLAY);
    EXPECT_FALSE(overlay->IsSelected());
    EXPECT_EQ(Band()->TouchedList(), (std::vector<void *>{box}));
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
}

TEST_F(BandOverlayTest, OverlayFaceBandSelectsGeneratedFaces)
{
    const ZNSELECTIONENTRY first = Entry(ZNSELECT_OVERLAYFACE, overlay, 0);
    ASSERT_EQ(Band()->AddToSelection(&first, 1, 0), 0) << "objects mode takes no overlay face";
    GetEditorApp()->SetEditMode(ZNEDITMODE_OVERLAY);
    const ZNSELECTIONENTRY second = Entry(ZNSELECT_OVERLAYFACE, overlay, 1);
    const ZNSELECTIONENTRY past = Entry(ZNSELECT_OVERLAYFACE, overlay, overlay->GetFaceCount());
    const ZNSELECTIONENTRY brushFace = Entry(ZNSELECT_FACE, box, 1);
    ASSERT_EQ(Band()->AddToSelection(&first, 1, 0), 1);
    ASSERT_EQ(Band()->AddToSelection(&second, 1, 0), 1);
    EXPECT_EQ(Band()->AddToSelection(&past, 1, 0), 0);
    EXPECT_EQ(Band()->AddToSelection(&brushFace, 1, 0), 0);
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_OVERLAYFACES);
    EXPECT_TRUE(overlay->GetFace(0)->IsFaceSelected());
    EXPECT_FALSE(overlay->IsSelected()) << "only the faces are selected";
    EXPECT_EQ(Band()->TouchedList(), (std::vector<void *>{overlay}));

    // The box spans both faces' extents.
    ZNBBOX a = overlay->GetFaceExtents(0), b = overlay->GetFaceExtents(1);
    const D3DXVECTOR3 lo(std::min(a.Min.x, b.Min.x), std::min(a.Min.y, b.Min.y), std::min(a.Min.z, b.Min.z));
    const D3DXVECTOR3 hi(std::max(a.Max.x, b.Max.x), std::max(a.Max.y, b.Max.y), std::max(a.Max.z, b.Max.z));
    EXPECT_EQ(Band()->GetCentre(), (lo + hi) * 0.5f);

    Band()->RemoveObject(overlay->GetFace(1), ZNOBJECT_OVERLAYFACE);
    EXPECT_FALSE(overlay->GetFace(1)->IsFaceSelected());
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    Band()->Clear(1, 0);
    EXPECT_FALSE(overlay->GetFace(0)->IsFaceSelected());
}

TEST_F(BandOverlayTest, RemovingWithTheDeleteFlagDeletesTheOverlay)
{
    const ZNSELECTIONENTRY brush = Entry(ZNSELECT_BRUSH, box), whole = Entry(ZNSELECT_OVERLAY, overlay);
    ASSERT_EQ(Band()->AddToSelection(&brush, 1, 0), 1);
    ASSERT_EQ(Band()->AddToSelection(&whole, 1, 0), 1);
    Band()->RemoveEntry(1, 1);
    EXPECT_EQ(doc->GetOverlayList(), nullptr);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
}
