// The selection band's queries and setters of the options pages, on real boxes and overlays.
#include <gtest/gtest.h>

#include <vector>

#include "render/view/view.h"
#include "scene/overlay.h"
#include "undo_fixture.h"

namespace
{

// The 3D view as the document sees it: counts its redraws.
class CountingView : public CZNView
{
public:
    CountingView() : CZNView(ZNVIEWTYPE_3D) {}
    void RedrawForDocument(int) override { ++redraws; }
    void RefreshForDocument() override {}
    int redraws = 0;
};

class BandSetterTest : public UndoTest
{
protected:
    void SetUp() override
    {
        UndoTest::SetUp();
        defaultBias = GetEditorApp()->GetDefaultOverlay()->GetFaceFlag();
        doc->AddView(&view);
        boxes = Boxes(3);
    }
    void TearDown() override
    {
        doc->RemoveView(&view);
        GetEditorApp()->GetDefaultOverlay()->SetFaceFlag(defaultBias);
        UndoTest::TearDown();
    }

    void Add(BYTE type, const void *object, DWORD face = 0, DWORD vertex = 0)
    {
        ZNSELECTIONENTRY e;
        e.Type = type;
        e.Object = reinterpret_cast<uintptr_t>(object);
        e.Face = face;
        e.Vertex = vertex;
        ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
    }
    // An overlay over the first box, with the faces it picks up.
    CZNOverlay *BuiltOverlay()
    {
        CZNOverlay *overlay = doc->NewOverlay({0.5f, 0.5f, 0.5f});
        overlay->Rebuild();
        EXPECT_GT(overlay->GetFaceCount(), 1u);
        return overlay;
    }
    static std::vector<float> UPositions(ZNBRUSH *b)
    {
        std::vector<float> out;
        for (DWORD i = 0; i < b->GetFaceCount(); ++i)
            out.push_back(b->GetFace(i)->m_UPos);
        return out;
    }

    CountingView view;
    std::vector<ZNBRUSH *> boxes;
    BYTE defaultBias = 0;
};

} // namespace

TEST_F(BandSetterTest, TextureUPosOverTwoBrushesTouchesNoOther)
{
    const std::vector<float> third = UPositions(boxes[1]);
    Add(ZNSELECT_BRUSH, boxes[0]);
    Add(ZNSELECT_BRUSH, boxes[2]);
    Band()->SetTextureUPos(0.5f);
    for (ZNBRUSH *b : {boxes[0], boxes[2]})
        EXPECT_EQ(UPositions(b), std::vector<float>(6, 0.5f));
    EXPECT_EQ(UPositions(boxes[1]), third);
    EXPECT_EQ(view.redraws, 1);
    EXPECT_EQ(RecordCount(), 0u);
}

TEST_F(BandSetterTest, FaceSettersDoNothingWithAnEmptyBand)
{
    const std::vector<float> before = UPositions(boxes[0]);
    Band()->SetTextureUPos(0.5f);
    Band()->SetTexCoordU(0.5f);
    Band()->CalculateWorldTextureCoords(1);
    EXPECT_EQ(UPositions(boxes[0]), before);
    EXPECT_EQ(view.redraws, 0);
}

TEST_F(BandSetterTest, VertexModeTexCoordChangesOneVertexAndFaceInfoNamesIt)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    Add(ZNSELECT_VERTEX, boxes[1], 4, 2);
    std::vector<ZNVERTEX> before;
    for (DWORD f = 0; f < 6; ++f)
        for (short v = 0; v < 4; ++v)
            before.push_back(boxes[1]->GetFace(f)->GetVertex(v));

    Band()->SetTexCoordU(0.75f);
    for (DWORD f = 0; f < 6; ++f) {
        for (short v = 0; v < 4; ++v) {
            const ZNVERTEX now = boxes[1]->GetFace(f)->GetVertex(v);
            EXPECT_EQ(now.tu, f == 4 && v == 2 ? 0.75f : before[f * 4 + v].tu) << f << " " << v;
            EXPECT_EQ(now.tv, before[f * 4 + v].tv);
        }
    }
    int face = 0, vertex = 0;
    EXPECT_EQ(Band()->GetFirstFaceInfo(&face, &vertex), boxes[1]->GetFace(4));
    EXPECT_EQ(face, 4);
    EXPECT_EQ(vertex, 2);
    EXPECT_EQ(view.redraws, 1);
}

TEST_F(BandSetterTest, TwoFacesLeaveTheFaceIndexUnset)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    Add(ZNSELECT_FACE, boxes[2], 3);
    Add(ZNSELECT_FACE, boxes[0], 1);
    int face = 7, vertex = 7;
    EXPECT_EQ(Band()->GetFirstFaceInfo(&face, &vertex), boxes[2]->GetFace(3));
    EXPECT_EQ(face, -1);
    EXPECT_EQ(vertex, -1);

    // One face: its index, no vertex.
    Band()->Clear(1, 0);
    Add(ZNSELECT_FACE, boxes[0], 5);
    EXPECT_EQ(Band()->GetFirstFaceInfo(&face, &vertex), boxes[0]->GetFace(5));
    EXPECT_EQ(face, 5);
    EXPECT_EQ(vertex, -1);
    EXPECT_EQ(Band()->GetFirstFaceInfo(nullptr, nullptr), boxes[0]->GetFace(5));
}

TEST_F(BandSetterTest, ObjectQueriesFollowTheFirstEntryOfTheirKind)
{
    CZNOverlay *overlay = doc->NewOverlay({0, 0, 0});
    CZNGROUP *group = GroupOf({boxes[1], boxes[2]}, "Pair");
    EXPECT_EQ(Band()->GetFirstGroup(), nullptr);
    Add(ZNSELECT_OVERLAY, overlay);
    Add(ZNSELECT_BRUSH, boxes[2]);
    EXPECT_EQ(Band()->GetFirstBrush(), boxes[1]) << "the group's members are listed in group order";
    EXPECT_EQ(Band()->GetFirstOverlay(), overlay);
    EXPECT_EQ(Band()->GetFirstEntity(), nullptr);
    EXPECT_EQ(Band()->GetFirstGroup(), overlay);
    EXPECT_EQ(Band()->GetActiveOverlay(), overlay);
    int face = 0;
    EXPECT_EQ(Band()->GetFirstFaceInfo(&face, nullptr), boxes[1]->GetFace(0)) << "an overlay without faces is passed";
    EXPECT_EQ(face, -1);

    Band()->Clear(1, 0);
    Add(ZNSELECT_BRUSH, boxes[1]);
    EXPECT_EQ(Band()->GetFirstGroup(), group);
}

TEST_F(BandSetterTest, ActiveOverlayFallsBackToTheDefaultOneWhichZBiasThenChanges)
{
    CZNOverlay *placed = BuiltOverlay();
    const BYTE placedBias = placed->GetFaceFlag();
    Add(ZNSELECT_BRUSH, boxes[0]);
    CZNOverlay *fallback = GetEditorApp()->GetDefaultOverlay();
    EXPECT_EQ(Band()->GetActiveOverlay(), fallback);
    Band()->SetOverlayZBias(3);
    EXPECT_EQ(fallback->GetFaceFlag(), 3);
    EXPECT_EQ(placed->GetFaceFlag(), placedBias);

    // A selected overlay takes it, with every generated face.
    Band()->Clear(1, 0);
    Add(ZNSELECT_OVERLAY, placed);
    Band()->SetOverlayZBias(5);
    EXPECT_EQ(placed->GetFaceFlag(), 5);
    for (DWORD i = 0; i < placed->GetFaceCount(); ++i)
        EXPECT_EQ(placed->GetFace(i)->m_FaceFlag, 5);
    EXPECT_EQ(fallback->GetFaceFlag(), 3);

    // One overlay face: only its byte.
    Band()->Clear(1, 0);
    GetEditorApp()->SetEditMode(ZNEDITMODE_OVERLAY);
    Add(ZNSELECT_OVERLAYFACE, placed, 1);
    EXPECT_EQ(Band()->GetActiveOverlay(), placed);
    Band()->SetOverlayZBias(9);
    EXPECT_EQ(placed->GetFace(1)->m_FaceFlag, 9);
    EXPECT_EQ(placed->GetFace(0)->m_FaceFlag, 5);
}

TEST_F(BandSetterTest, OverlayFaceTexCoordDoesNothingAndDoesNotRedraw)
{
    CZNOverlay *overlay = BuiltOverlay();
    GetEditorApp()->SetEditMode(ZNEDITMODE_OVERLAY);
    Add(ZNSELECT_OVERLAYFACE, overlay, 0);
    const ZNVERTEX before = overlay->GetFace(0)->GetVertex(0);
    Band()->SetTexCoordU(0.25f);
    Band()->SetTexCoordV(0.25f);
    Band()->CalculateWorldTextureCoords(0);
    EXPECT_EQ(overlay->GetFace(0)->GetVertex(0).tu, before.tu);
    EXPECT_EQ(overlay->GetFace(0)->GetVertex(0).tv, before.tv);
    EXPECT_EQ(view.redraws, 0);

    // The face setters reach the overlay face.
    Band()->SetTextureUPos(0.5f);
    EXPECT_EQ(overlay->GetFace(0)->m_UPos, 0.5f);
    EXPECT_EQ(view.redraws, 1);
    int face = 0;
    EXPECT_EQ(Band()->GetFirstFaceInfo(&face, nullptr), overlay->GetFace(0));
    EXPECT_EQ(face, 0);
}

TEST_F(BandSetterTest, LockedFacesAreSkippedAndAClearedOriginIsTheLargestFloat)
{
    ZNBRUSH *b = boxes[0];
    b->GetFace(2)->m_Style |= ZNFACESTYLE_LOCKUV;
    const D3DXVECTOR3 lockedOrigin(1, 2, 3);
    b->GetFace(2)->m_MappingOrigin = lockedOrigin;
    const float lockedU = b->GetFace(2)->GetVertex(0).tu;
    Add(ZNSELECT_BRUSH, b);

    Band()->SetTexCoordU(0.125f);
    Band()->CalculateWorldTextureCoords(0);
    for (DWORD f = 0; f < 6; ++f) {
        const ZNFACE *face = b->GetFace(f);
        if (f == 2) {
            EXPECT_EQ(face->GetVertex(0).tu, lockedU);
            EXPECT_EQ(face->m_MappingOrigin, lockedOrigin);
        } else {
            EXPECT_EQ(face->GetVertex(0).tu, 0.125f) << f << ": no texture, so nothing recomputes it";
            EXPECT_EQ(face->m_MappingOrigin.x, 3.402823466e+38f);
            EXPECT_EQ(face->m_MappingOrigin.y, 3.402823466e+38f);
            EXPECT_EQ(face->m_MappingOrigin.z, 3.402823466e+38f);
        }
    }
    // With the flag the pivot becomes the origin.
    Band()->CalculateWorldTextureCoords(1);
    EXPECT_EQ(b->GetFace(0)->m_MappingOrigin, Band()->GetPivot());
    EXPECT_EQ(b->GetFace(2)->m_MappingOrigin, lockedOrigin);
}

namespace
{
struct MaskCase {
    const char *name;
    DWORD before, flags, mask, after;
};
} // namespace

class FlagMaskTest : public BandSetterTest, public ::testing::WithParamInterface<MaskCase>
{
};

TEST_P(FlagMaskTest, OnlyTheMaskedBitsChange)
{
    const MaskCase &c = GetParam();
    CZNOverlay *overlay = doc->NewOverlay({0, 0, 0});
    boxes[0]->m_Flags = c.before;
    boxes[1]->m_Flags = 0x40;
    overlay->m_Flags = c.before;
    Add(ZNSELECT_BRUSH, boxes[0]);
    Add(ZNSELECT_OVERLAY, overlay);
    if (c.mask == 0xFFFFFFFF) {
        Band()->SetBrushProperty(c.flags);
        Band()->SetOverlayProperty(c.flags);
    } else {
        Band()->SetBrushProperty(c.flags, c.mask);
        Band()->SetOverlayProperty(c.flags, c.mask);
    }
    Band()->SetEntityProperty(c.flags, c.mask);
    EXPECT_EQ(boxes[0]->m_Flags, c.after);
    EXPECT_EQ(overlay->m_Flags, c.after);
    EXPECT_EQ(boxes[1]->m_Flags, 0x40u);
    EXPECT_EQ(view.redraws, 3) << "each redraws";
}

INSTANTIATE_TEST_SUITE_P(Words, FlagMaskTest,
                         ::testing::Values(MaskCase{"WholeWord", 0x6, 0x1, 0xFFFFFFFF, 0x1},
                                           MaskCase{"ClearHidden", 0x6, 0x0, 0x4, 0x2},
                                           MaskCase{"SetDetail", 0x4, 0xFFFFFFFF, 0x2, 0x6},
                                           MaskCase{"EmptyMask", 0x6, 0x0, 0x0, 0x6}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(BandSetterTest, FaceModeBrushPropertyReachesTheFacesBrush)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    Add(ZNSELECT_FACE, boxes[1], 2);
    Band()->SetBrushProperty(ZNBRUSH_DETAIL, ZNBRUSH_DETAIL);
    EXPECT_EQ(boxes[1]->m_Flags, DWORD(ZNBRUSH_DETAIL));
    EXPECT_EQ(boxes[0]->m_Flags, 0u);
    // Flag setters redraw even when nothing changed.
    Band()->Clear(1, 0);
    Band()->SetOverlayProperty(1);
    EXPECT_EQ(view.redraws, 2);
}

TEST_F(BandSetterTest, AlphaBlendAndMaterialReachFacesOrWholeObjects)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    Add(ZNSELECT_FACE, boxes[0], 1);
    Band()->SetAlphaBlend(4, 5);
    EXPECT_EQ(boxes[0]->GetFace(1)->m_SrcBlend, 4);
    EXPECT_EQ(boxes[0]->GetFace(1)->m_DestBlend, 5);
    EXPECT_EQ(boxes[0]->GetFace(0)->m_SrcBlend, -1);
    AddMaterial("Stone", 0.25f);
    const LONG material = AddMaterial("Glass", 0.5f);
    Band()->SetMaterial(material);
    EXPECT_EQ(boxes[0]->GetFace(1)->GetMaterial(), material);
    EXPECT_NE(boxes[0]->GetFace(0)->GetMaterial(), material);

    Band()->Clear(1, 0);
    GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
    Add(ZNSELECT_BRUSH, boxes[2]);
    Band()->SetMaterial(material);
    for (DWORD f = 0; f < 6; ++f)
        EXPECT_EQ(boxes[2]->GetFace(f)->GetMaterial(), material);
    for (ZNBRUSH *b : boxes)
        b->SetMaterial(0);
}

TEST_F(BandSetterTest, OverlayLockFallsBackToTheDefaultOverlay)
{
    CZNOverlay *fallback = GetEditorApp()->GetDefaultOverlay();
    const BYTE was = fallback->GetAutoRebuildFlag();
    Band()->SetOverlayLocked(0);
    EXPECT_EQ(fallback->GetAutoRebuildFlag(), 0);
    CZNOverlay *overlay = doc->NewOverlay({0.5f, 0.5f, 0.5f});
    Add(ZNSELECT_OVERLAY, overlay);
    Band()->SetOverlayLocked(1);
    EXPECT_EQ(overlay->GetAutoRebuildFlag(), 1);
    EXPECT_GT(overlay->GetFaceCount(), 0u) << "setting it rebuilds";
    EXPECT_EQ(fallback->GetAutoRebuildFlag(), 0);
    fallback->m_AutoRebuild = was;
}
