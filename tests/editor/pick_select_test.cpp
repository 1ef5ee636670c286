#include <gtest/gtest.h>

#include "render/camera.h"
#include "scene/face_pick_desc.h"
#include "scene/group.h"
#include "scene/object_pick_desc.h"
#include "scene/object_type.h"
#include "scene/vertex_pick_desc.h"
#include "select_drag_fixture.h"

namespace
{

using PickSelectTest = SelectDragTest;

// The vertex records of a brush at a position, as (face, vertex) pairs.
std::vector<std::pair<DWORD, DWORD>> VerticesAt(ZNBRUSH *b, const D3DXVECTOR3 &p)
{
    std::vector<std::pair<DWORD, DWORD>> out;
    for (DWORD f = 0; f < b->m_FaceCount; ++f)
        for (short k = 0; k < b->m_Faces[f]->GetVertexCount(); ++k)
            if (b->m_Faces[f]->GetVector(k) == p)
                out.emplace_back(f, static_cast<DWORD>(k));
    return out;
}

ZNSELECTIONENTRY VertexEntry(ZNBRUSH *b, std::pair<DWORD, DWORD> fv)
{
    ZNSELECTIONENTRY e;
    e.Type = ZNSELECT_VERTEX;
    e.Object = reinterpret_cast<uintptr_t>(b);
    e.Face = fv.first;
    e.Vertex = fv.second;
    return e;
}

TEST_F(PickSelectTest, ObjectListKeepsOneMemberPerGroupAndEveryCamera)
{
    ZNBRUSH *a = Box({0, 0, 0}, {10, 10, 10});
    ZNBRUSH *b = Box({0, 0, 0}, {20, 10, 10});
    ZNBRUSH *c = Box({0, 0, 0}, {30, 10, 10});
    GroupOf({a, b}, "Pair");
    CZNCAMERA camera;
    ZNOBJECTPICKDESC list;
    EXPECT_EQ(list.m_Tag, 'e');
    EXPECT_EQ(list.AddUnique(a), 1);
    EXPECT_EQ(list.AddUnique(b), 0); // the group is listed by a
    EXPECT_EQ(list.AddUnique(&camera), 1);
    EXPECT_EQ(list.AddUnique(c), 1);
    EXPECT_EQ(list.AddUnique(c), 0);
    EXPECT_EQ(list.AddUnique(nullptr), 0);
    ASSERT_EQ(list.GetCount(), 3u);
    EXPECT_EQ(list.GetObject(1), &camera);
    EXPECT_EQ(list.GetCurrentType(), ZNOBJECT_BRUSH);

    // A camera first and a grouped brush after it are both listed.
    ZNOBJECTPICKDESC other;
    EXPECT_EQ(other.AddUnique(&camera), 1);
    EXPECT_EQ(other.AddUnique(b), 1);
    EXPECT_EQ(other.GetCount(), 2u);
    EXPECT_FALSE(other.IsEqual(list));
}

TEST_F(PickSelectTest, FaceListsCompareObjectsAndIgnoreEntities)
{
    ZNBRUSH *a = Box({0, 0, 0}, {10, 10, 10});
    ZNBRUSH *b = Box({0, 0, 0}, {10, 10, 10});
    BYTE entity[16] = {ZNOBJECT_ENTITY};
    ZNFACEPICKDESC one, two, three;
    one.Add(2, a);
    two.Add(2, b);
    EXPECT_FALSE(one.IsEqual(two));
    three.Add(2, a);
    EXPECT_TRUE(one.IsEqual(three));
    EXPECT_EQ(three.Add(0, entity), 0);
    EXPECT_EQ(three.GetCount(), 1u);
    ZNFACEPICKDESC none, empty;
    EXPECT_TRUE(none.IsEqual(empty));

    ZNVERTEXPICKDESC v1, v2;
    v1.Add(1, 2, a);
    v2.Add(1, 2, a);
    EXPECT_TRUE(v1.IsEqual(v2));
    v2.Add(1, 2, b);
    EXPECT_FALSE(v1.IsEqual(v2));
}

// Three brushes share the edge x = 0 under the click at world (0, z = 10).
TEST_F(PickSelectTest, RepeatedClicksCycleThroughOverlappingBrushes)
{
    ZNBRUSH *a = Box({0, 0, 0}, {40, 10, 40});
    ZNBRUSH *b = Box({0, 0, 0}, {60, 10, 20});
    ZNBRUSH *c = Box({0, 20, -10}, {30, 30, 50});
    const ZNBRUSH *expected[] = {a, b, c, a};
    for (const ZNBRUSH *want : expected) {
        EXPECT_EQ(tool.PickSelect(view.get(), 200, 190, 0), 1);
        ASSERT_EQ(Band()->GetEntryCount(), 1u);
        EXPECT_EQ(Band()->Entries()[0].Object, reinterpret_cast<uintptr_t>(want));
        EXPECT_EQ(want->IsBrushSelected(), 1);
    }
    EXPECT_EQ(a->IsBrushSelected() + b->IsBrushSelected() + c->IsBrushSelected(), 1);
    ASSERT_NE(doc->GetObjectPickList(), nullptr);
    EXPECT_EQ(doc->GetObjectPickList()->GetCount(), 3u);

    // The same hits in another order are another list: the click starts again at its first hit.
    auto *reversed = new ZNOBJECTPICKDESC;
    reversed->AddUnique(c);
    reversed->AddUnique(b);
    reversed->AddUnique(a);
    reversed->m_Current = 1;
    doc->SetObjectPickList(reversed);
    Band()->Clear(1, 0);
    EXPECT_EQ(tool.PickSelect(view.get(), 200, 190, 0), 1);
    EXPECT_EQ(Band()->Entries()[0].Object, reinterpret_cast<uintptr_t>(a));
    EXPECT_EQ(doc->GetObjectPickList()->GetObject(0), a);

    // Shift appends the hit of another spot; only d lies under (300, 100).
    ZNBRUSH *d = Box({100, 0, 100}, {120, 10, 120});
    EXPECT_EQ(tool.PickSelect(view.get(), 300, 90, MK_SHIFT), 1);
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
    EXPECT_TRUE(Selected(a));
    EXPECT_TRUE(Selected(d));
}

TEST_F(PickSelectTest, FaceAndVertexClicksCycleTheirHits)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    ZNBRUSH *a = Box({0, 0, 0}, {40, 10, 40});
    // On the edge x = 0 at z = 10 the -x face and, seen from above, no other face's edge.
    EXPECT_EQ(tool.PickSelect(view.get(), 200, 190, 0), 1);
    ASSERT_EQ(Band()->GetEntryCount(), 1u);
    const ZNFACEPICKDESC *faces = doc->GetFacePickList();
    ASSERT_NE(faces, nullptr);
    EXPECT_EQ(Band()->Entries()[0].Face, faces->GetFace(0));
    if (faces->GetCount() > 1) {
        EXPECT_EQ(tool.PickSelect(view.get(), 200, 190, 0), 1);
        EXPECT_EQ(Band()->Entries()[0].Face, faces->GetFace(1));
    }

    Band()->Clear(1, 0);
    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    // The corner (0, y, 0): four records at y = 0 and at y = 10 lie under the pixel.
    EXPECT_EQ(tool.PickSelect(view.get(), 200, 200, 0), 1);
    const ZNVERTEXPICKDESC *vertices = doc->GetVertexPickList();
    ASSERT_NE(vertices, nullptr);
    EXPECT_EQ(vertices->GetCount(), 6u);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(tool.PickSelect(view.get(), 200, 200, 0), 1);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(Band()->Entries()[0].Vertex, vertices->GetVertex(1));
    EXPECT_EQ(Band()->Entries()[0].Face, vertices->GetFace(1));
    (void)a;
}

TEST_F(PickSelectTest, ClickOnEmptySpaceClearsTheListAndGrabsTheCrosshair)
{
    ZNBRUSH *a = Box({0, 0, 0}, {40, 10, 40});
    Click(CPoint(200, 190));
    EXPECT_TRUE(Selected(a));
    ASSERT_NE(doc->GetObjectPickList(), nullptr);

    // The crosshair at world (100, z = -100): pixel (300, 300).
    doc->SetCursorPoint(D3DXVECTOR3(100, 0, -100));
    GetEditorApp()->Options().m_SnapToGrid = 1;
    GetEditorApp()->SetGridSize(10);
    view->OnLButtonDown(MK_LBUTTON, CPoint(301, 299));
    EXPECT_EQ(doc->GetObjectPickList(), nullptr);
    EXPECT_EQ(view->GetAxisGrabMask(), 1 | 4);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    view->OnMouseMove(MK_LBUTTON, CPoint(311, 299));
    EXPECT_EQ(doc->GetCursorPoint().x, 110.0f);
    view->OnLButtonUp(0, CPoint(311, 299));
    EXPECT_EQ(view->GetAxisGrabMask(), 0);
}

TEST_F(PickSelectTest, NewScenesFreeThePickLists)
{
    Box({0, 0, 0}, {40, 10, 40});
    tool.PickSelect(view.get(), 200, 190, 0);
    ASSERT_NE(doc->GetObjectPickList(), nullptr);
    doc->SetFacePickList(new ZNFACEPICKDESC);
    doc->SetVertexPickList(new ZNVERTEXPICKDESC);
    doc->DeleteContents();
    EXPECT_EQ(doc->GetObjectPickList(), nullptr);
    EXPECT_EQ(doc->GetFacePickList(), nullptr);
    EXPECT_EQ(doc->GetVertexPickList(), nullptr);
}

// The box projects to (100, 100)-(200, 200) in the Top view; its marker to (150, 150).
struct HandleCase {
    const char *name;
    int x, y;
    UINT keys;
    DWORD handleMode;
    DWORD code;
};

class HandleTest : public SelectDragTest, public ::testing::WithParamInterface<HandleCase>
{
};

TEST_P(HandleTest, HitCode)
{
    const HandleCase &c = GetParam();
    Select(Box({-100, 0, 0}, {0, 50, 100}));
    Band()->SetHandleMode(c.handleMode);
    EXPECT_EQ(Band()->HitTestHandles2D(c.x, c.y, c.keys, view.get()), c.code != 0);
    EXPECT_EQ(Band()->GetHandle(), c.code);
}

INSTANTIATE_TEST_SUITE_P(Band, HandleTest,
                         ::testing::Values(HandleCase{"MarginIsInside", 99, 99, 0, 0, 9},
                                           HandleCase{"CornerSquareNear", 98, 98, 0, 0, 2},
                                           HandleCase{"CornerSquareFar", 92, 92, 0, 0, 2},
                                           HandleCase{"BeyondTheSquare", 91, 91, 0, 0, 0},
                                           HandleCase{"TopEdge", 150, 95, 0, 0, 6},
                                           HandleCase{"RightEdge", 205, 150, 0, 0, 7},
                                           HandleCase{"BottomEdge", 150, 205, 0, 0, 8},
                                           HandleCase{"LeftEdge", 95, 150, 0, 0, 5},
                                           HandleCase{"BottomLeftCorner", 95, 205, 0, 0, 1},
                                           HandleCase{"TopRightCorner", 205, 95, 0, 0, 3},
                                           HandleCase{"BottomRightCorner", 205, 205, 0, 0, 4},
                                           HandleCase{"Marker", 150, 150, 0, 0, 10},
                                           HandleCase{"MarkerWithShift", 150, 150, MK_SHIFT, 0, 9},
                                           HandleCase{"MarkerWithCtrl", 153, 147, MK_CONTROL, 0, 9},
                                           HandleCase{"RotateHasNoEdgeHandles", 150, 95, 0, 1, 0},
                                           HandleCase{"RotateCorner", 98, 98, 0, 1, 2},
                                           HandleCase{"ExtrudeEdge", 150, 95, 0, 2, 6}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PickSelectTest, ThinBoxIsWidenedBeforeTheTests)
{
    // Two units wide: pixels 199 to 201, widened to 197 to 203.
    Select(Box({-1, 0, 0}, {1, 50, 100}));
    EXPECT_TRUE(Band()->HitTestBox2D(196, 150, view.get()));
    EXPECT_FALSE(Band()->HitTestBox2D(195, 150, view.get()));
    EXPECT_TRUE(Band()->HitTestBox2D(204, 150, view.get()));
    EXPECT_FALSE(Band()->HitTestBox2D(205, 150, view.get()));
    // No marker: the visible half extent is 1.
    EXPECT_TRUE(Band()->HitTestHandles2D(200, 150, 0, view.get()));
    EXPECT_EQ(Band()->GetHandle(), 9u);
}

TEST_F(PickSelectTest, CtrlClickTakesOneVertexWithinFourUnits)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    ZNBRUSH *b = Box({0, 0, 0}, {64, 64, 64});
    const auto records = VerticesAt(b, D3DXVECTOR3(0, 0, 0));
    ASSERT_EQ(records.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        const ZNSELECTIONENTRY e = VertexEntry(b, records[i]);
        ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
    }
    // Five units off on x: nothing.
    EXPECT_EQ(Band()->DeselectAt2D(view.get(), 205, 200), 1);
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
    // Four units off on both axes: one of the two coincident vertices per click.
    EXPECT_EQ(Band()->DeselectAt2D(view.get(), 204, 196), 0);
    ASSERT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(b->m_Faces[records[0].first]->IsVertexSelected(static_cast<short>(records[0].second)), 0);
    EXPECT_EQ(b->m_Faces[records[1].first]->IsVertexSelected(static_cast<short>(records[1].second)), 1);
}

TEST_F(PickSelectTest, CtrlClickOnAGroupedBrushRemovesItsGroup)
{
    ZNBRUSH *g1 = Box({0, 0, 0}, {10, 10, 10});
    ZNBRUSH *g2 = Box({20, 0, 0}, {30, 10, 10});
    ZNBRUSH *h = Box({100, 0, 0}, {110, 10, 10});
    GroupOf({g1, g2}, "Pair");
    Select(g1);
    Select(h, 1);
    ASSERT_EQ(Band()->GetEntryCount(), 3u);
    // On g1's edge x = 0, inside the band's box.
    Click(CPoint(200, 195), MK_CONTROL);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_TRUE(Selected(h));
    EXPECT_EQ(g1->IsBrushSelected() + g2->IsBrushSelected(), 0);
}

} // namespace
