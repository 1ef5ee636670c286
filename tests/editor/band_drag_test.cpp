#include <gtest/gtest.h>

#include "platform/os/view_window.h"
#include "scene/geometry.h"
#include "select_drag_fixture.h"

namespace
{

// The band's drags as the 2D tool gets them from a real view without a window.
class BandDragTest : public SelectDragTest
{
protected:
    void SetUp() override
    {
        toolOnly = true;
        SelectDragTest::SetUp();
    }
};

CPoint Top(float x, float z)
{
    return CPoint(static_cast<LONG>(x + 200), static_cast<LONG>(200 - z));
}

// Front view: world x to the right, world y up.
CPoint Front(float x, float y)
{
    return CPoint(static_cast<LONG>(x + 200), static_cast<LONG>(200 - y));
}

struct SnapCase {
    float value, snapped;
};

TEST(BandSnap, HalfStepsGoToTheLowerMultiple)
{
    for (const SnapCase &c : {SnapCase{15, 10}, SnapCase{16, 20}, SnapCase{-14, -10}, SnapCase{-15, -20},
                              SnapCase{4, 0}, SnapCase{25, 20}})
        EXPECT_EQ(SnapToGrid(c.value, 10, 1), c.snapped) << c.value;
    EXPECT_EQ(SnapToGrid(15, 10, 0), 15.0f);
}

struct DeltaCase {
    WORD type;
    D3DXVECTOR3 world;
};

TEST(BandMouseDelta, ScreenDownIsNegativeAlongTheViewsVerticalAxis)
{
    // 8 pixels right and 4 down at zoom 2.
    for (const DeltaCase &c : {DeltaCase{ZN2DVIEW_TOP, {4, 0, -2}}, DeltaCase{ZN2DVIEW_RIGHT, {0, -2, 4}},
                               DeltaCase{ZN2DVIEW_FRONT, {4, -2, 0}}}) {
        const D3DXVECTOR3 d = CZNSelectionBand::MouseDeltaToWorld(c.type, 8, 4, 2.0f);
        EXPECT_EQ(d, c.world) << c.type;
    }
}

struct MoveCase {
    const char *name;
    CPoint press;
    D3DXVECTOR3 moved;
};

class GrabbedCornerTest : public BandDragTest, public ::testing::WithParamInterface<MoveCase>
{
};

// A 0..64 cube dragged 25 pixels right with snap on and grid 10: the grabbed corner lands on
// the grid.
TEST_P(GrabbedCornerTest, MovesTheGrabbedCornerOntoTheGrid)
{
    GetEditorApp()->Options().m_SnapToGrid = 1;
    GetEditorApp()->SetGridSize(10);
    ZNBRUSH *b = Box({0, 0, 0}, {64, 64, 64});
    Select(b);
    const CPoint from = GetParam().press;
    Drag(from, CPoint(from.x + 25, from.y));
    const ZNBBOX box = b->GetBoundingBox(1);
    EXPECT_EQ(box.Min, GetParam().moved);
    EXPECT_EQ(b->m_Bounds.Min, GetParam().moved);
    EXPECT_EQ(b->IsCached(), 0);
    ASSERT_NE(doc->GetUndoList(), nullptr);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Move Objects");
    EXPECT_EQ(RecordCount(), 1u);

    doc->OnEditUndo();
    EXPECT_EQ(b->GetBoundingBox(1).Min, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(doc->GetUndoList(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Band, GrabbedCornerTest,
                         ::testing::Values(MoveCase{"LowerLeftQuarter", Top(10, 10), {20, 0, 0}},
                                           MoveCase{"UpperLeftQuarter", Top(10, 54), {20, 0, -4}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(BandDragTest, ARubberBandFindsABrushWhereItWasDragged)
{
    ZNBRUSH *b = Box({0, 0, 0}, {64, 64, 64});
    Select(b);
    Drag(Top(10, 10), Top(40, 10));
    ASSERT_EQ(b->m_Bounds.Min.x, 30.0f);
    Band()->Clear(1, 0);
    // Only the part beyond the old place.
    Drag(Top(80, -10), Top(100, 20));
    EXPECT_TRUE(Selected(b));
}

TEST_F(BandDragTest, AClickOnTheBodyChangesNothingAndCyclesTheHandles)
{
    ZNBRUSH *b = Box({0, 0, 0}, {64, 64, 64});
    Select(b);
    const ZNBBOX before = b->GetBoundingBox(1);
    const DWORD objects[] = {ZNHANDLE_ROTATE, ZNHANDLE_SCALE, ZNHANDLE_ROTATE};
    for (DWORD mode : objects) {
        Click(Top(10, 10));
        EXPECT_EQ(Band()->GetHandleMode(), mode);
    }
    EXPECT_EQ(b->GetBoundingBox(1).Min, before.Min);
    EXPECT_EQ(doc->GetUndoList(), nullptr);

    Band()->Clear(1, 0);
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    const ZNSELECTIONENTRY e = FaceEntry(b, 3); // +y
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    const DWORD faces[] = {ZNHANDLE_ROTATE, ZNHANDLE_EXTRUDE, ZNHANDLE_SCALE};
    for (DWORD mode : faces) {
        Click(Top(10, 10));
        EXPECT_EQ(Band()->GetHandleMode(), mode);
    }
    EXPECT_EQ(doc->GetUndoList(), nullptr);
}

TEST_F(BandDragTest, TheMarkerStaysInTheBoxAndSnapsToTheCentre)
{
    ZNBRUSH *b = Box({0, 0, 0}, {64, 64, 64});
    Select(b);
    // The pivot at the centre (32, 32, 32): pixel (232, 168). Far right: held at the box side.
    Drag(Top(32, 32), Top(132, 32));
    EXPECT_EQ(Band()->GetPivot().x, 64.0f);
    EXPECT_EQ(Band()->GetPivot().z, 32.0f);
    // Back to 4 pixels from the centre: drawn onto it.
    Drag(Top(64, 32), Top(36, 29));
    EXPECT_EQ(Band()->GetPivot(), D3DXVECTOR3(32, 32, 32));
    EXPECT_EQ(b->GetBoundingBox(1).Min, D3DXVECTOR3(0, 0, 0));

    // With Space only the placement origin moves, beyond the box.
    GetEditorApp()->SetSpaceDown(1);
    const D3DXVECTOR3 origin = Band()->GetPlacementOrigin();
    const CPoint at = Top(origin.x, origin.z);
    Drag(at, CPoint(at.x + 100, at.y));
    EXPECT_EQ(Band()->GetPlacementOrigin(), origin + D3DXVECTOR3(100, 0, 0));
    EXPECT_EQ(Band()->GetPivot(), D3DXVECTOR3(32, 32, 32));
    EXPECT_EQ(doc->GetUndoList(), nullptr);
}

TEST_F(BandDragTest, ThreeFacesExtrudeIntoThreeBrushesUndoneAsOne)
{
    MakeView(ZN2DVIEW_FRONT);
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    std::vector<ZNBRUSH *> cubes;
    for (int k = 0; k < 3; ++k)
        cubes.push_back(Box({k * 40.0f, 0, 0}, {k * 40.0f + 20, 20, 20}));
    for (ZNBRUSH *c : cubes) {
        const ZNSELECTIONENTRY e = FaceEntry(c, 3); // +y
        ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
    }
    Band()->SetHandleMode(ZNHANDLE_EXTRUDE);
    // Up 30 pixels from the flat band (it has no marker).
    Drag(Front(10, 20), Front(10, 50));
    EXPECT_EQ(Listed().size(), 6u);
    std::vector<int> continuations;
    for (ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next) {
        EXPECT_EQ(r->Type, ZNUNDO_ADD);
        EXPECT_STREQ(r->Description, "Extrude Faces");
        continuations.insert(continuations.begin(), r->Continuation);
    }
    EXPECT_EQ(continuations, (std::vector<int>{0, 1, 1}));
    // The band names the new brushes' faces.
    for (const ZNSELECTIONENTRY &e : Band()->Entries())
        EXPECT_EQ(std::count(cubes.begin(), cubes.end(), reinterpret_cast<ZNBRUSH *>(e.Object)), 0);

    doc->OnEditUndo();
    EXPECT_EQ(Listed(), cubes);
    EXPECT_EQ(doc->GetUndoList(), nullptr);
}

TEST_F(BandDragTest, VertexAndFaceDragsClearCachesAndSplitFoldedFaces)
{
    MakeView(ZN2DVIEW_FRONT);
    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    ZNBRUSH *b = Box({0, 0, 0}, {40, 40, 40});
    // One record of the corner (40, 40, 40).
    for (DWORD f = 0; f < b->m_FaceCount; ++f)
        for (short k = 0; k < b->m_Faces[f]->GetVertexCount(); ++k)
            if (b->m_Faces[f]->GetVector(k) == D3DXVECTOR3(40, 40, 40) && Band()->GetEntryCount() == 0) {
                ZNSELECTIONENTRY e;
                e.Type = ZNSELECT_VERTEX;
                e.Object = reinterpret_cast<uintptr_t>(b);
                e.Face = f;
                e.Vertex = static_cast<uintptr_t>(k);
                ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
            }
    ASSERT_EQ(Band()->GetEntryCount(), 1u);
    // The vertex itself is the band: grab it from just inside its 1-pixel margin.
    Drag(Front(40, 40), Front(40, 60));
    EXPECT_STREQ(doc->GetUndoList()->Description, "Move Vertices");
    EXPECT_EQ(b->IsCached(), 0);
    EXPECT_GT(b->m_FaceCount, 6u);
    EXPECT_EQ(b->m_Bounds.Max.y, 60.0f);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(doc->GetVertexPickList(), nullptr);

    doc->OnEditUndo();
    EXPECT_EQ(b->m_FaceCount, 6u);
    EXPECT_EQ(b->GetBoundingBox(1).Max, D3DXVECTOR3(40, 40, 40));

    Band()->Clear(1, 0);
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    const ZNSELECTIONENTRY e = FaceEntry(b, 3); // +y
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    Drag(Front(10, 40), Front(10, 70));
    EXPECT_STREQ(doc->GetUndoList()->Description, "Move Faces");
    EXPECT_EQ(b->IsCached(), 0);
    EXPECT_EQ(b->m_Bounds.Max.y, 70.0f);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(b->m_Faces[Band()->Entries()[0].Face]->IsFaceSelected(), 1);
}

struct CursorCase {
    const char *name;
    int x, y;
    UINT keys;
    DWORD handleMode;
    int cursor;
};

class CursorTest : public BandDragTest, public ::testing::WithParamInterface<CursorCase>
{
};

// The box projects to (100, 100)-(200, 200) in the Top view; its marker to (150, 150).
TEST_P(CursorTest, FollowsTheHandleUnderTheMouse)
{
    const CursorCase &c = GetParam();
    Select(Box({-100, 0, 0}, {0, 50, 100}));
    Band()->SetHandleMode(c.handleMode);
    view->UpdateCursor(c.keys, CPoint(c.x, c.y));
    EXPECT_EQ(view->GetCursorId(), c.cursor);
}

INSTANTIATE_TEST_SUITE_P(
    Band, CursorTest,
    ::testing::Values(CursorCase{"BottomLeftScale", 95, 205, 0, 0, ZNCURSOR_SIZENESW},
                      CursorCase{"TopRightScale", 205, 95, 0, 0, ZNCURSOR_SIZENESW},
                      CursorCase{"TopLeftScale", 95, 95, 0, 0, ZNCURSOR_SIZENWSE},
                      CursorCase{"BottomRightScale", 205, 205, 0, 0, ZNCURSOR_SIZENWSE},
                      CursorCase{"LeftScale", 95, 150, 0, 0, ZNCURSOR_SIZEWE},
                      CursorCase{"TopScale", 150, 95, 0, 0, ZNCURSOR_SIZENS},
                      CursorCase{"BodyScale", 120, 120, 0, 0, ZNCURSOR_SIZEALL},
                      CursorCase{"BodyScaleShift", 120, 120, MK_SHIFT, 0, ZNCURSOR_ARROW},
                      CursorCase{"Marker", 150, 150, 0, 0, ZNCURSOR_ARROW},
                      CursorCase{"CornerRotate", 95, 205, 0, 1, ZNCURSOR_ROTATE},
                      CursorCase{"BodyRotate", 120, 120, 0, 1, ZNCURSOR_ROTATE},
                      CursorCase{"BodyRotateCtrl", 120, 120, MK_CONTROL, 1, ZNCURSOR_ARROW},
                      CursorCase{"ExtrudeAnywhere", 300, 300, 0, 2, ZNCURSOR_HANDLE2},
                      CursorCase{"Outside", 300, 300, 0, 0, ZNCURSOR_ARROW}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BandDragTest, CursorOverTheCrosshairAndWhilePlacing)
{
    // The crosshair at world (100, z = -100): pixel (300, 300).
    doc->SetCursorPoint(D3DXVECTOR3(100, 0, -100));
    const struct {
        int x, y, cursor;
    } cases[] = {{301, 299, ZNCURSOR_SIZEALL}, {302, 250, ZNCURSOR_SIZEWE}, {250, 302, ZNCURSOR_SIZENS},
                 {250, 250, ZNCURSOR_ARROW}};
    for (const auto &c : cases) {
        view->UpdateCursor(0, CPoint(c.x, c.y));
        EXPECT_EQ(view->GetCursorId(), c.cursor) << c.x << "," << c.y;
    }
    // Space over empty space: the placement cursor once an objects selection is armed.
    GetEditorApp()->SetSpaceDown(1);
    view->UpdateCursor(0, CPoint(250, 250));
    EXPECT_EQ(view->GetCursorId(), ZNCURSOR_ARROW);
    Select(Box({-100, 0, 0}, {0, 50, 100}));
    view->UpdateCursor(0, CPoint(250, 250));
    EXPECT_EQ(view->GetCursorId(), ZNCURSOR_PLACE);
}

} // namespace
