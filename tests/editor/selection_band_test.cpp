#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/brush.h"
#include "render/camera.h"
#include "render/view/2d_view.h"
#include "scene/container.h"
#include "scene/object_type.h"
#include "support/gdi_canvas.h"
#include "support/gui_app.h"
#include "undo_fixture.h"

namespace
{

ZNSELECTIONENTRY Face(ZNBRUSH *b, DWORD face)
{
    ZNSELECTIONENTRY e;
    e.Type = ZNSELECT_FACE;
    e.Object = reinterpret_cast<uintptr_t>(b);
    e.Face = face;
    return e;
}

ZNSELECTIONENTRY Vertex(ZNBRUSH *b, DWORD face, DWORD vertex)
{
    ZNSELECTIONENTRY e = Face(b, face);
    e.Type = ZNSELECT_VERTEX;
    e.Vertex = vertex;
    return e;
}

ZNSELECTIONENTRY Camera(CZNCAMERA *c)
{
    ZNSELECTIONENTRY e;
    e.Type = ZNSELECT_CAMERA;
    e.Object = reinterpret_cast<uintptr_t>(c);
    return e;
}

// Text colour RGB(255, 180, 0), smoothed into the white background at its edges.
bool IsLabelInk(COLORREF c)
{
    return GetRValue(c) == 255 && GetGValue(c) > 0 && GetGValue(c) < 255 && GetBValue(c) < GetGValue(c);
}

} // namespace

using SelectionBandTest = UndoTest;

// The first add fixes the band mode from the edit mode; later adds must fit it.
struct BandModeCase {
    const char *name;
    ZNEDITMODE editMode;
    char first, second; // 'b' brush, 'f' face, 'v' vertex, 'c' camera, 'd' the first again
    int firstAdded, secondAdded;
    DWORD mode;
};

class BandModeTest : public UndoTest, public ::testing::WithParamInterface<BandModeCase>
{
protected:
    ZNSELECTIONENTRY Make(char kind)
    {
        switch (kind) {
        case 'b':
            return EntryOf(b[next++ % 2]);
        case 'f':
            return Face(b[0], next++);
        case 'v':
            return Vertex(b[0], 1, next++);
        case 'c':
            return Camera(&camera);
        default:
            return last;
        }
    }
    std::vector<ZNBRUSH *> b;
    CZNCAMERA camera;
    DWORD next = 0;
    ZNSELECTIONENTRY last;
};

TEST_P(BandModeTest, FirstAddFixesTheMode)
{
    const BandModeCase &c = GetParam();
    b = Boxes(2);
    GetEditorApp()->SetEditMode(c.editMode);
    last = Make(c.first);
    EXPECT_EQ(Band()->AddToSelection(&last, 1, 0), c.firstAdded);
    ZNSELECTIONENTRY second = Make(c.second);
    EXPECT_EQ(Band()->AddToSelection(&second, 1, 0), c.secondAdded);
    EXPECT_EQ(Band()->GetBandMode(), c.mode);
    EXPECT_EQ(Band()->GetEntryCount(), static_cast<DWORD>(c.firstAdded + c.secondAdded));
    EXPECT_TRUE(Band()->IsDragged());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, BandModeTest,
    ::testing::Values(BandModeCase{"ObjectsTakeBrushes", ZNEDITMODE_BRUSH, 'b', 'b', 1, 1, ZNBAND_OBJECTS},
                      BandModeCase{"ObjectsTakeTheCamera", ZNEDITMODE_BRUSH, 'b', 'c', 1, 1, ZNBAND_OBJECTS},
                      BandModeCase{"ObjectsRefuseFaces", ZNEDITMODE_BRUSH, 'b', 'f', 1, 0, ZNBAND_OBJECTS},
                      BandModeCase{"ObjectsRefuseADuplicate", ZNEDITMODE_BRUSH, 'b', 'd', 1, 0, ZNBAND_OBJECTS},
                      BandModeCase{"FaceModeRefusesBrushesFirst", ZNEDITMODE_FACE, 'b', 'f', 0, 1, ZNBAND_FACES},
                      BandModeCase{"FacesTakeFaces", ZNEDITMODE_FACE, 'f', 'f', 1, 1, ZNBAND_FACES},
                      BandModeCase{"FacesRefuseADuplicate", ZNEDITMODE_FACE, 'f', 'd', 1, 0, ZNBAND_FACES},
                      BandModeCase{"FacesRefuseVertices", ZNEDITMODE_FACE, 'f', 'v', 1, 0, ZNBAND_FACES},
                      BandModeCase{"VerticesTakeVertices", ZNEDITMODE_VERTEX, 'v', 'v', 1, 1, ZNBAND_VERTICES},
                      BandModeCase{"VertexModeRefusesFaces", ZNEDITMODE_VERTEX, 'f', 'b', 0, 0, ZNBAND_EMPTY},
                      BandModeCase{"OverlayModeTakesNoBrush", ZNEDITMODE_OVERLAY, 'b', 'f', 0, 0, ZNBAND_EMPTY}),
    [](const ::testing::TestParamInfo<BandModeCase> &info) { return std::string(info.param.name); });

TEST_F(SelectionBandTest, AddingWithoutAppendReplacesTheSelection)
{
    std::vector<ZNBRUSH *> b = Boxes(2);
    ZNSELECTIONENTRY first = EntryOf(b[0]), second = EntryOf(b[1]);
    ASSERT_EQ(Band()->AddToSelection(&first, 0, 0), 1);
    EXPECT_EQ(b[0]->IsBrushSelected(), 1);
    ASSERT_EQ(Band()->AddToSelection(&second, 0, 0), 1);
    EXPECT_EQ(b[0]->IsBrushSelected(), 0);
    EXPECT_EQ(b[1]->IsBrushSelected(), 1);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
}

TEST_F(SelectionBandTest, OneMemberSelectsItsWholeOutermostGroupAndRemovingOneRemovesAll)
{
    std::vector<ZNBRUSH *> b = Boxes(5);
    CZNGROUP *inner = GroupOf({b[3], b[1]}, "Inner");
    GroupOf({b[0], inner}, "Outer");
    ZNSELECTIONENTRY loose = EntryOf(b[4]);
    ASSERT_EQ(Band()->AddToSelection(&loose, 0, 0), 1);
    ZNSELECTIONENTRY e = EntryOf(b[3]);
    ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
    std::vector<uintptr_t> objects;
    for (const ZNSELECTIONENTRY &x : Band()->Entries())
        objects.push_back(x.Object);
    const std::vector<uintptr_t> want = {reinterpret_cast<uintptr_t>(b[4]), reinterpret_cast<uintptr_t>(b[0]),
                                         reinterpret_cast<uintptr_t>(b[3]), reinterpret_cast<uintptr_t>(b[1])};
    EXPECT_EQ(objects, want);
    for (int k : {0, 1, 3, 4})
        EXPECT_EQ(b[k]->IsBrushSelected(), 1) << k;
    EXPECT_EQ(b[2]->IsBrushSelected(), 0);
    EXPECT_TRUE(Band()->IsClickConsumed());

    Band()->RemoveEntry(3, 0); // b[1], a member of the inner group
    ASSERT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(Band()->Entries()[0].Object, reinterpret_cast<uintptr_t>(b[4]));
    for (int k : {0, 1, 3})
        EXPECT_EQ(b[k]->IsBrushSelected(), 0) << k;

    // A group that was the whole selection leaves an empty band.
    Band()->Clear(1, 0);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    Band()->RemoveEntry(1, 0);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_EMPTY);
}

TEST_F(SelectionBandTest, CollapseToTopGroupsAndEntriesWithoutTheCamera)
{
    std::vector<ZNBRUSH *> b = Boxes(4);
    CZNGROUP *inner = GroupOf({b[2]}, "Inner");
    CZNGROUP *outer = GroupOf({b[0], b[1], inner}, "Outer");
    CZNCAMERA camera;
    ZNSELECTIONENTRY cam = Camera(&camera), loose = EntryOf(b[3]), member = EntryOf(b[1]);
    ASSERT_EQ(Band()->AddToSelection(&cam, 0, 0), 1);
    ASSERT_EQ(Band()->AddToSelection(&loose, 1, 0), 1);
    ASSERT_EQ(Band()->AddToSelection(&member, 1, 0), 1);
    EXPECT_EQ(Band()->GetEntryCount(), 5u);
    EXPECT_EQ(camera.IsSelected(), 1u);

    std::vector<ZNSELECTIONENTRY> list;
    ASSERT_EQ(Band()->GetEntries(list), 1);
    ASSERT_EQ(list.size(), 4u);
    for (const ZNSELECTIONENTRY &e : list)
        EXPECT_NE(e.Type, ZNSELECT_CAMERA);
    EXPECT_EQ(CZNSelectionBand::CollapseToTopGroups(list), 1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Object, reinterpret_cast<uintptr_t>(b[3]));
    EXPECT_EQ(list[1].Type, ZNSELECT_GROUP);
    EXPECT_EQ(list[1].Object, reinterpret_cast<uintptr_t>(outer));

    CZNCONTAINER objects;
    EXPECT_EQ(Band()->AddSelectedToContainer(&objects), 1);
    EXPECT_EQ(objects.GetElementCount(), 5u);
    Band()->Clear(1, 0);
    EXPECT_EQ(camera.IsSelected(), 0u);
    std::vector<ZNSELECTIONENTRY> none;
    EXPECT_EQ(Band()->GetEntries(none), 0);
}

TEST_F(SelectionBandTest, TouchedListHoldsEachOwnerOnce)
{
    std::vector<ZNBRUSH *> b = Boxes(2);
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    ZNSELECTIONENTRY f0 = Face(b[0], 0), f1 = Face(b[0], 3), g = Face(b[1], 2);
    ASSERT_EQ(Band()->AddToSelection(&f0, 1, 0), 1);
    ASSERT_EQ(Band()->AddToSelection(&f1, 1, 0), 1);
    ASSERT_EQ(Band()->AddToSelection(&g, 1, 0), 1);
    EXPECT_EQ(Band()->TouchedList(), (std::vector<void *>{b[0], b[1]}));
    EXPECT_EQ(b[0]->GetFace(3)->IsFaceSelected(), 1);

    Band()->RemoveEntry(0, 0); // b[0] still has face 3 selected
    EXPECT_EQ(b[0]->IsBrushSelected(), 1);
    EXPECT_EQ(Band()->TouchedList().size(), 2u);
    Band()->RemoveObject(b[0]->GetFace(3), ZNOBJECT_FACE);
    EXPECT_EQ(b[0]->IsBrushSelected(), 0);
    EXPECT_EQ(b[0]->GetFace(3)->IsFaceSelected(), 0);
    EXPECT_EQ(Band()->TouchedList(), (std::vector<void *>{b[1]}));

    // Removing the last entry clears the band whole.
    Band()->RemoveEntry(0, 0);
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_EMPTY);
    EXPECT_EQ(Band()->GetHalfExtents(), D3DXVECTOR3(50, 50, 50));
    EXPECT_TRUE(Band()->TouchedList().empty());
    EXPECT_EQ(b[1]->IsBrushSelected(), 0);
    EXPECT_EQ(Band()->IsActive(), 0);
}

TEST_F(SelectionBandTest, UpdateBuildsTheHandleSetsOfEachViewType)
{
    ZNBRUSH *b = Box({0, 0, 0}, {10, 20, 30});
    ZNSELECTIONENTRY e = EntryOf(b);
    // A move leaves the stored box behind; the band measures the vertices.
    D3DXVECTOR3 move(1, 0, 0);
    b->MoveBrush(&move, 0);
    ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
    EXPECT_EQ(Band()->GetCentre(), D3DXVECTOR3(6, 10, 15));
    EXPECT_EQ(Band()->GetHalfExtents(), D3DXVECTOR3(5, 10, 15));
    EXPECT_EQ(Band()->GetPivot(), D3DXVECTOR3(6, 10, 15));
    EXPECT_EQ(Band()->GetPlacementOrigin(), D3DXVECTOR3(6, 0, 15));
    // Corners c0..c7 with x in {1, 11}, y in {0, 20}, z in {0, 30}.
    const D3DXVECTOR3 c[8] = {{1, 20, 0}, {1, 20, 30}, {11, 20, 30}, {11, 20, 0},
                              {1, 0, 0},  {1, 0, 30},  {11, 0, 30},  {11, 0, 0}};
    const int order[3][4] = {{1, 2, 3, 0}, {3, 2, 6, 7}, {0, 3, 7, 4}};
    for (DWORD view = 0; view < 3; ++view) {
        const D3DXVECTOR3 *h = Band()->GetHandlePoints(view);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(h[i], c[order[view][i]]) << "view " << view << " corner " << i;
            EXPECT_EQ(h[4 + i], (c[order[view][i]] + c[order[view][(i + 1) % 4]]) * 0.5f)
                << "view " << view << " midpoint " << i;
        }
    }
}

// The band of a box in a 100 x 100 Top view at zoom 1 centred on the origin (pixel = x + 50,
// -z + 50), drawn on a white canvas with a white brush.
class BandDrawTest : public UndoTest
{
protected:
    void Select(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
    {
        ZNSELECTIONENTRY e = EntryOf(Box(lo, hi));
        ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
        view.SetViewType(ZN2DVIEW_TOP);
        view.SetClientSize(100, 100);
        view.SetCentre(0, 0);
        view.SetZoom(1);
        previous = canvas.Dc().SelectObject(&white);
        Band()->Draw2D(&canvas.Dc(), &view);
        canvas.Dc().SelectObject(previous);
    }
    int Count(COLORREF colour) const
    {
        int n = 0;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x)
                n += canvas.At(x, y) == colour;
        return n;
    }

    CZN2DView view;
    ZnCanvas canvas{100, 100, RGB(255, 255, 255)};
    CZNBrush white{RGB(255, 255, 255)};
    CZNBrush *previous = nullptr;
};

TEST_F(BandDrawTest, HandlesBoxAndPivotMarker)
{
    Select({-20, -10, -20}, {20, 10, 20});
    // Corner 1 is the top-left pixel (30, 30): its square spans x 21..28, y 21..28, outline only.
    EXPECT_EQ(canvas.At(21, 21), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(28, 28), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(24, 24), RGB(255, 255, 255));
    EXPECT_EQ(canvas.At(29, 29), RGB(255, 255, 255));
    // Corner 3 at (70, 70): square 71..78; the right midpoint (70, 50): 71..78 x 46..53.
    EXPECT_EQ(canvas.At(71, 71), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(78, 46), RGB(0, 0, 0));
    // The dotted band line along the top edge y = 30.
    int dots = 0;
    for (int x = 31; x < 70; ++x)
        dots += canvas.At(x, 30) == RGB(175, 175, 0);
    EXPECT_GT(dots, 10);
    EXPECT_LT(dots, 30);
    // The blue cross at the pivot (50, 50) inside a grey ring.
    EXPECT_EQ(canvas.At(50, 50), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(47, 47), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(53, 47), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(50, 46), RGB(200, 200, 200));
    EXPECT_EQ(Count(RGB(255, 0, 0)), 0);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_FALSE(IsLabelInk(canvas.At(x, y))) << x << ", " << y;
}

TEST_F(BandDrawTest, ATwoUnitBoxIsWidenedWithoutMarker)
{
    Select({-1, -1, -1}, {1, 1, 1});
    // Corners at 49 and 51 are pushed 2 pixels out: 47 and 53.
    EXPECT_EQ(canvas.At(38, 38), RGB(0, 0, 0)); // corner 1 square from (47 - 9, 47 - 9)
    EXPECT_EQ(canvas.At(45, 45), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(54, 54), RGB(0, 0, 0)); // corner 3 square from (53 + 1, 53 + 1)
    EXPECT_EQ(canvas.At(61, 61), RGB(0, 0, 0));
    EXPECT_EQ(Count(RGB(0, 0, 255)), 0);
    EXPECT_EQ(Count(RGB(200, 200, 200)), 0);
}

TEST_F(BandDrawTest, SpaceHeldMarksThePlacementOriginWithLabels)
{
    ZnGuiApp();
    GetEditorApp()->SetSpaceDown(1);
    // Half height 10: the placement origin lies 10 below the centre, which the Top view shows
    // at the same pixel; a Front view shows it 10 pixels down.
    Select({-20, -10, -20}, {20, 10, 20});
    EXPECT_EQ(canvas.At(50, 50), RGB(255, 0, 0));
    EXPECT_EQ(Count(RGB(0, 0, 255)), 0);
    int above = 0, below = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (IsLabelInk(canvas.At(x, y)))
                (y < 50 ? above : below) += 1;
    EXPECT_GT(above, 30) << canvas.Dump(); // "Placement"
    EXPECT_GT(below, 20); // "Origin"
    EXPECT_EQ(canvas.Dc().GetBkMode(), OPAQUE);
}

TEST_F(SelectionBandTest, VerticesLeaveByTheirRecordsAndTheFaceWithTheLast)
{
    ZNBRUSH *b = Box({0, 0, 0}, {2, 2, 2});
    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    ZNSELECTIONENTRY v0 = Vertex(b, 1, 0), v2 = Vertex(b, 1, 2), other = Vertex(b, 3, 1);
    for (ZNSELECTIONENTRY *e : {&v0, &v2, &other})
        ASSERT_EQ(Band()->AddToSelection(e, 1, 0), 1);
    ZNFACE *face = b->GetFace(1);
    EXPECT_EQ(Band()->GetCentre(), D3DXVECTOR3(2, 1, 1));

    Band()->RemoveObject(face->GetVertices() + 2, ZNOBJECT_VERTEX);
    EXPECT_EQ(face->IsVertexSelected(2), 0);
    EXPECT_EQ(face->IsFaceSelected(), 1); // vertex 0 is still on it
    Band()->RemoveObject(face->GetVertices() + 0, ZNOBJECT_VERTEX);
    EXPECT_EQ(face->IsFaceSelected(), 0);
    EXPECT_EQ(b->IsBrushSelected(), 1); // a vertex of face 3 is still selected
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_VERTICES);
}
