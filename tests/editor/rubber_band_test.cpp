#include <gtest/gtest.h>

#include "render/camera.h"
#include "render/direct3d.h"
#include "scene/geometry.h"
#include "select_drag_fixture.h"

namespace
{

using RubberBandTest = SelectDragTest;

// Pixels of world (x, z) in the Top view.
CPoint Top(float x, float z)
{
    return CPoint(static_cast<LONG>(x + 200), static_cast<LONG>(200 - z));
}

TEST_F(RubberBandTest, AClickWithoutMovingSelectsNothing)
{
    ZNBRUSH *a = Box({0, 0, 0}, {40, 10, 40});
    // Inside the brush but on none of its edges.
    Click(Top(20, 20));
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_EQ(a->IsBrushSelected(), 0);
    EXPECT_EQ(Band()->IsRubberBandActive(), 0);
}

TEST_F(RubberBandTest, TopViewTakesBrushesAtAnyHeightAndCrossingFaces)
{
    ZNBRUSH *high = Box({0, 5000, 0}, {40, 5010, 40});
    ZNBRUSH *crossed = Box({60, -3000, 0}, {100, -2990, 40});
    ZNBRUSH *outside = Box({150, 0, 0}, {170, 10, 40});
    // From empty space over all of high and a corner of crossed.
    Drag(Top(-10, -10), Top(70, 50));
    EXPECT_TRUE(Selected(high));
    EXPECT_TRUE(Selected(crossed));
    EXPECT_FALSE(Selected(outside));
    EXPECT_EQ(high->IsBrushSelected(), 1);
    EXPECT_EQ(Band()->IsRubberBandActive(), 0);
}

TEST_F(RubberBandTest, IgnoreBackFacesKeepsOnlyFacesTowardsTheViewer)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    ZNBRUSH *b = Box({0, 0, 0}, {40, 10, 40});
    GetEditorApp()->Options().m_PlaceOnSurfaces = 1;
    Drag(Top(-10, -10), Top(50, 50));
    ASSERT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_GT(b->m_Faces[Band()->Entries()[0].Face]->m_Normal.y, 0.0f);

    Band()->Clear(1, 0);
    GetEditorApp()->Options().m_PlaceOnSurfaces = 0;
    Drag(Top(-10, -10), Top(50, 50));
    EXPECT_EQ(Band()->GetEntryCount(), 6u);
    bool top = false, bottom = false;
    for (const ZNSELECTIONENTRY &e : Band()->Entries()) {
        top = top || b->m_Faces[e.Face]->m_Normal.y > 0.5f;
        bottom = bottom || b->m_Faces[e.Face]->m_Normal.y < -0.5f;
    }
    EXPECT_TRUE(top);
    EXPECT_TRUE(bottom);
}

TEST_F(RubberBandTest, VertexModeTakesVerticesNearTheRectangle)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    Box({0, 0, 0}, {40, 10, 40});
    // Around the corner column x = 0, z = 0 only: 3 records at each of two heights.
    Drag(Top(-10, -10), Top(2, 2));
    EXPECT_EQ(Band()->GetEntryCount(), 6u);
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_VERTICES);
}

TEST_F(RubberBandTest, CtrlRemovesAGroupAndShiftKeepsSelectedBrushes)
{
    ZNBRUSH *g1 = Box({0, 0, 0}, {10, 10, 10});
    ZNBRUSH *g2 = Box({20, 0, 0}, {30, 10, 10});
    ZNBRUSH *h = Box({100, 0, 0}, {110, 10, 10});
    GroupOf({g1, g2}, "Pair");
    Select(g1);
    Select(h, 1);
    ASSERT_EQ(Band()->GetEntryCount(), 3u);

    // Shift from below the band over h: h stays selected once, nothing else changes.
    Drag(Top(95, -20), Top(105, 5), MK_SHIFT);
    EXPECT_EQ(Band()->GetEntryCount(), 3u);
    EXPECT_TRUE(Selected(h));

    // Ctrl from below the band over a corner of g1 only: the whole group leaves.
    Drag(Top(-5, -20), Top(5, 5), MK_CONTROL);
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_TRUE(Selected(h));
    EXPECT_EQ(g1->IsBrushSelected() + g2->IsBrushSelected(), 0);
}

TEST_F(RubberBandTest, HiddenBrushesAndTheCameraAreNeverTaken)
{
    ZNBRUSH *hidden = Box({0, 0, 0}, {40, 10, 40});
    hidden->m_Flags |= ZNBRUSH_HIDDEN;
    ZNBRUSH *shown = Box({50, 0, 0}, {60, 10, 10});
    CZNCAMERA *camera = GetEditorApp()->Get3D()->GetCamera();
    const CZNCAMERA saved = *camera;
    GetEditorApp()->Options().m_CameraSelectable = 1;
    const D3DXVECTOR3 to = D3DXVECTOR3(20, 0, 20) - camera->GetPosition();
    camera->Move(&to, 0, 0);
    Drag(Top(-10, -10), Top(70, 50));
    EXPECT_FALSE(Selected(hidden));
    EXPECT_TRUE(Selected(shown));
    EXPECT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(camera->IsSelected(), 0u);
    *camera = saved;
}

} // namespace
