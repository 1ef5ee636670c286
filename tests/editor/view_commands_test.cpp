#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/view/2d_view.h"
#include "scene/entity.h"
#include "scene/overlay.h"
#include "undo_fixture.h"

using ViewCommandsTest = UndoTest;

TEST_F(ViewCommandsTest, HideSelectedSetsTheHiddenBitAndUndoPutsTheFlagsBack)
{
    std::vector<ZNBRUSH *> b = Boxes(3);
    for (ZNBRUSH *brush : b)
        brush->m_Flags = ZNBRUSH_DETAIL;
    ZNSELECTIONENTRY e = EntryOf(b[1]);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    doc->SetModifiedFlag(FALSE);
    doc->OnHideSelected();
    EXPECT_EQ(b[1]->m_Flags, 6u);
    EXPECT_EQ(b[0]->m_Flags, 2u);
    EXPECT_TRUE(doc->IsModified());
    ASSERT_NE(doc->GetUndoList(), nullptr);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Hide Object(s)");
    EXPECT_EQ(b[1]->IsBrushSelected(), 1); // hiding keeps the selection

    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(b[1]->m_Flags, 2u);
    EXPECT_EQ(doc->GetUndoList(), nullptr);
}

TEST_F(ViewCommandsTest, HideAndUnhideOfAllAndTheDeselected)
{
    std::vector<ZNBRUSH *> b = Boxes(3);
    ZNSELECTIONENTRY e = EntryOf(b[0]);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    doc->OnHideDeselected();
    EXPECT_EQ(b[0]->m_Flags, 0u);
    EXPECT_EQ(b[1]->m_Flags, ZNBRUSH_HIDDEN);
    EXPECT_EQ(b[2]->m_Flags, ZNBRUSH_HIDDEN);
    doc->OnHideAll();
    EXPECT_EQ(b[0]->m_Flags, ZNBRUSH_HIDDEN);
    doc->OnUnhideSelected();
    EXPECT_EQ(b[0]->m_Flags, 0u);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Unhide Object(s)");
    doc->OnUnhideAll();
    for (ZNBRUSH *brush : b)
        EXPECT_EQ(brush->m_Flags, 0u);
    // Four levels, each undone by itself, back to the start.
    EXPECT_EQ(RecordCount(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(doc->OnEditUndo(), 1);
    for (ZNBRUSH *brush : b)
        EXPECT_EQ(brush->m_Flags, 0u);

    // With everything selected, Hide Deselected has nothing to do and records nothing.
    Band()->Clear(1, 0);
    for (ZNBRUSH *brush : b) {
        ZNSELECTIONENTRY all = EntryOf(brush);
        Band()->AddToSelection(&all, 1, 0);
    }
    doc->OnHideDeselected();
    EXPECT_EQ(doc->GetUndoList(), nullptr);
}

TEST_F(ViewCommandsTest, HideAllOnAnEmptySceneDoesNothing)
{
    doc->SetModifiedFlag(FALSE);
    doc->OnHideAll();
    doc->OnUnhideAll();
    EXPECT_EQ(doc->GetUndoList(), nullptr);
    EXPECT_FALSE(doc->IsModified());
}

// Overlays and entities are hidden, shown, counted and enable the commands as brushes do.
TEST_F(ViewCommandsTest, OverlaysAndEntitiesAreHiddenAndCountedLikeBrushes)
{
    // Far from any brush: the overlay has no surfaces.
    CZNOverlay *overlay = doc->NewOverlay(D3DXVECTOR3(1000, 1000, 1000));
    ASSERT_NE(overlay, nullptr);
    EXPECT_TRUE(doc->IsCommandEnabled(32869)) << "an overlay alone is a scene to hide";
    EXPECT_TRUE(doc->IsCommandEnabled(32866));
    ZNBRUSH *brush = Box({0, 0, 0}, {1, 1, 1});
    auto *entity = new CZNEntity;
    ASSERT_NE(entity->AllocData(3000), nullptr);
    entity->SetDataSize(3000);
    doc->AppendEntity(entity);
    ZNSELECTIONENTRY selected[2] = {EntryOf(brush), {}};
    selected[1].Type = ZNSELECT_ENTITY;
    selected[1].Object = reinterpret_cast<uintptr_t>(entity);
    ASSERT_EQ(Band()->AddToSelection(selected, 0, 0), 1);
    ASSERT_EQ(Band()->AddToSelection(&selected[1], 1, 0), 1);

    doc->OnSelectionStatistics();
    doc->OnSceneStatistics();
    ASSERT_EQ(reporter.Entries().size(), 2u);
    EXPECT_EQ(reporter.Entries()[0].text,
              "The currently selected portion of the scene is made\r\nup of the following items:\r\n\r\nBrushes : "
              "1\r\nFaces : 6\r\nVertices : 24\r\n\r\nOverlays : 0\r\nOverlay Surfaces : 0\r\nOverlay Vertices : "
              "0\r\n\r\nEntities : 1\r\nEntity Data Size : 2kb");
    EXPECT_NE(reporter.Entries()[1].text.find("Brushes : 1\r\nFaces : 6\r\nVertices : 24\r\n\r\nOverlays : "
                                              "1\r\nOverlay Surfaces : 0\r\nOverlay Vertices : 0\r\n\r\nEntities : 1\r\n"),
              std::string::npos)
        << reporter.Entries()[1].text;

    doc->OnHideDeselected();
    EXPECT_TRUE(overlay->IsHidden());
    EXPECT_FALSE(entity->IsHidden());
    EXPECT_EQ(brush->m_Flags, 0u);
    doc->OnHideSelected();
    EXPECT_TRUE(entity->IsHidden());
    EXPECT_EQ(brush->m_Flags, ZNBRUSH_HIDDEN);
    doc->OnUnhideAll();
    EXPECT_FALSE(overlay->IsHidden());
    EXPECT_FALSE(entity->IsHidden());
    EXPECT_EQ(brush->m_Flags, 0u);

    // Each level puts back the flag words it recorded.
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_TRUE(overlay->IsHidden());
    EXPECT_TRUE(entity->IsHidden());
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_FALSE(entity->IsHidden());
    EXPECT_TRUE(overlay->IsHidden());
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_FALSE(overlay->IsHidden());
}

// Two boxes meeting at x = 10 would share corners; face 1 of a single box has one corner moved
// by d on every axis away from the matching corner of face 0.
struct WeldCase {
    const char *name;
    float offset;
    bool welded;
};

class WeldTest : public UndoTest, public ::testing::WithParamInterface<WeldCase>
{
};

TEST_P(WeldTest, NearCornersTakeTheLowerFacesPosition)
{
    ZNBRUSH *b = Box({0, 0, 0}, {10, 10, 10});
    // Face 2 (y = 0) shares corner (0, 0, 0) with face 0 (x = 0).
    ZNFACE *face = b->GetFace(2);
    short corner = -1;
    for (short i = 0; i < face->GetVertexCount(); ++i)
        if (face->GetVector(i) == D3DXVECTOR3(0, 0, 0))
            corner = i;
    ASSERT_GE(corner, 0);
    const float d = GetParam().offset;
    face->SetVertex(corner, D3DXVECTOR3(d, d, d));
    ZNSELECTIONENTRY e = EntryOf(b);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    const IwfBytes before = SceneImage();
    doc->SetModifiedFlag(FALSE);

    doc->OnSanitizeSelectedBrushes();
    bool found = false, moved = false;
    for (short i = 0; i < b->GetFace(2)->GetVertexCount(); ++i) {
        found |= b->GetFace(2)->GetVector(i) == D3DXVECTOR3(0, 0, 0);
        moved |= b->GetFace(2)->GetVector(i) == D3DXVECTOR3(d, d, d);
    }
    EXPECT_EQ(found, GetParam().welded);
    EXPECT_EQ(moved, !GetParam().welded);
    EXPECT_EQ(b->GetFaceCount(), 6u);
    EXPECT_TRUE(doc->IsModified());
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].text, "Sanitization process completed successfully.");
    EXPECT_EQ(reporter.Entries()[0].type, MB_ICONINFORMATION);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Sanitize selected objects");

    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(SceneImage(), before);
}

INSTANTIATE_TEST_SUITE_P(Offsets, WeldTest,
                         ::testing::Values(WeldCase{"Below", 0.009f, true}, WeldCase{"AtTheLimit", 0.01f, false}),
                         [](const ::testing::TestParamInfo<WeldCase> &info) { return std::string(info.param.name); });

// A brush of one flat triangle with legs a and 0.02, area a * 0.01.
struct AreaCase {
    const char *name;
    float leg;
    bool kept;
};

class WeldAreaTest : public UndoTest, public ::testing::WithParamInterface<AreaCase>
{
};

TEST_P(WeldAreaTest, DegenerateFacesAreDeleted)
{
    ZNBRUSH *b = Box({0, 0, 0}, {1, 1, 1});
    ZNFACE *triangle = b->AddFace(static_cast<short>(3));
    triangle->SetVertex(0, D3DXVECTOR3(5, 0, 0));
    triangle->SetVertex(1, D3DXVECTOR3(5 + GetParam().leg, 0, 0));
    triangle->SetVertex(2, D3DXVECTOR3(5, 0.02f, 0));
    b->CalculateFaceNormals();
    const float area = triangle->CalculateArea();
    ZNSELECTIONENTRY e = EntryOf(b);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    doc->OnSanitizeSelectedBrushes();
    EXPECT_EQ(b->GetFaceCount(), GetParam().kept ? 7u : 6u) << "area " << area;
    EXPECT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(b->GetFaceCount(), 7u);
}

INSTANTIATE_TEST_SUITE_P(Areas, WeldAreaTest,
                         ::testing::Values(AreaCase{"HundredthDeleted", 1.0f, false},
                                           AreaCase{"AboveKept", 1.01f, true}),
                         [](const ::testing::TestParamInfo<AreaCase> &info) { return std::string(info.param.name); });

TEST_F(ViewCommandsTest, StatisticsTexts)
{
    std::vector<ZNBRUSH *> b = Boxes(2);
    ZnBuildWedge(*doc->NewBrush(), {20, 0, 0}, {21, 1, 1});
    ZNSELECTIONENTRY e = EntryOf(b[1]);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    doc->OnSelectionStatistics();
    doc->OnSceneStatistics();
    ASSERT_EQ(reporter.Entries().size(), 2u);
    EXPECT_EQ(reporter.Entries()[0].text,
              "The currently selected portion of the scene is made\r\nup of the following items:\r\n\r\nBrushes : "
              "1\r\nFaces : 6\r\nVertices : 24\r\n\r\nOverlays : 0\r\nOverlay Surfaces : 0\r\nOverlay Vertices : "
              "0\r\n\r\nEntities : 0\r\nEntity Data Size : 0kb");
    EXPECT_EQ(reporter.Entries()[1].text,
              "The currently loaded scene is made up of\r\nthe following items:\r\n\r\nBrushes : 3\r\nFaces : "
              "17\r\nVertices : 66\r\n\r\nOverlays : 0\r\nOverlay Surfaces : 0\r\nOverlay Vertices : "
              "0\r\n\r\nEntities : 0\r\nEntity Data Size : 0kb");
    EXPECT_EQ(reporter.Entries()[0].type, MB_ICONINFORMATION);
}

// Enable rules: (edit mode, brushes in the scene, a selection) -> the ids enabled.
struct EnableCase {
    const char *name;
    ZNEDITMODE mode;
    bool scene, selection;
    std::vector<UINT> enabled;
};

class EnableTest : public UndoTest, public ::testing::WithParamInterface<EnableCase>
{
};

TEST_P(EnableTest, CommandsFollowModeSceneAndSelection)
{
    const EnableCase &c = GetParam();
    if (c.scene) {
        ZNBRUSH *b = Box({0, 0, 0}, {1, 1, 1});
        if (c.selection) {
            ZNSELECTIONENTRY e = EntryOf(b);
            ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
        }
    }
    GetEditorApp()->SetEditMode(c.mode);
    std::vector<UINT> enabled;
    for (UINT id : {32869u, 32870u, 32875u, 32872u, 32873u, 32876u, 32868u, 32866u, 32867u, 32858u, 32861u})
        if (doc->IsCommandEnabled(id))
            enabled.push_back(id);
    EXPECT_EQ(enabled, c.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, EnableTest,
    ::testing::Values(
        EnableCase{"EmptyScene", ZNEDITMODE_BRUSH, false, false, {}},
        EnableCase{"SceneWithoutSelection", ZNEDITMODE_BRUSH, true, false, {32869, 32875, 32872, 32876, 32866}},
        EnableCase{"Selection",
                   ZNEDITMODE_BRUSH,
                   true,
                   true,
                   {32869, 32870, 32875, 32872, 32873, 32876, 32868, 32866, 32867, 32858, 32861}},
        EnableCase{"SelectionInFaceMode", ZNEDITMODE_FACE, true, true, {32866, 32858, 32861}}),
    [](const ::testing::TestParamInfo<EnableCase> &info) { return std::string(info.param.name); });

TEST_F(ViewCommandsTest, CentreAndZoomOnSelectedMoveEveryTwoDView)
{
    CZN2DView top, front;
    top.SetViewType(ZN2DVIEW_TOP);
    front.SetViewType(ZN2DVIEW_FRONT);
    for (CZN2DView *view : {&top, &front}) {
        view->SetClientSize(200, 100);
        view->SetZoom(1);
        doc->AddView(view);
    }
    ZNSELECTIONENTRY e = EntryOf(Box({10, 0, -40}, {30, 20, -20}));
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);

    doc->OnCentreOnSelected();
    EXPECT_EQ(top.GetCentre(), D3DXVECTOR2(20, 30));
    EXPECT_EQ(front.GetCentre(), D3DXVECTOR2(20, -10));
    EXPECT_EQ(top.GetZoom(), 1.0f);
    EXPECT_EQ(front.GetZoom(), 1.0f);

    top.SetCentre(0, 0);
    doc->OnZoomIntoSelected();
    EXPECT_EQ(top.GetCentre(), D3DXVECTOR2(20, 30));
    // A 20 x 20 box in 200 x 100 pixels: 1 / |(0.1, 0.2)|.
    EXPECT_NEAR(top.GetZoom(), 1.0f / std::sqrt(0.05f), 1e-4f);
    EXPECT_NEAR(front.GetZoom(), 1.0f / std::sqrt(0.05f), 1e-4f);
    doc->RemoveView(&top);
    doc->RemoveView(&front);
}
