// A 2D view paints the document's overlays in dotted pens after the brushes: their faces in every
// edit mode, their boxes too in overlay mode, selected ones in the selected colour.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/input.h"
#include "render/view2d_fixture.h"
#include "editor/undo_record.h"
#include "scene/brush.h"
#include "scene/overlay.h"
#include "support/shapes.h"

namespace
{

constexpr QRgb kGreen = qRgb(0, 155, 0);
constexpr QRgb kRed = qRgb(255, 100, 100);

// A 40-wide wall whose front lies at z = 0 and a default overlay over it, seen from the front in
// a 100 x 100 window: the overlay's faces outline the square +-20, its box the square +-30.
class View2DOverlayTest : public View2DTest
{
protected:
    void SetUp() override
    {
        View2DTest::SetUp();
        PaintSceneWithGrid(1000.0f);
        document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
        ZnBuildBox(*document->NewBrush(), {-20, -20, 0}, {20, 20, 40});
        overlay = document->NewOverlay({0, 0, 0});
        overlay->Rebuild();
        ASSERT_EQ(overlay->GetFaceCount(), 5u); // the front and the four sides as far as z = 30
        MakeView(ZN2DVIEW_FRONT, 100, 100);
    }
    void TearDown() override
    {
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        View2DTest::TearDown();
    }
    // Pixels of that colour along the top edge of a square of half size h about the origin.
    int OnTopEdge(float h, QRgb colour)
    {
        POINT a, b;
        const D3DXVECTOR3 left(-h, h, 0), right(h, h, 0);
        view->WorldToScreen(&a, &left);
        view->WorldToScreen(&b, &right);
        int n = 0;
        for (LONG x = a.x + 1; x < b.x; ++x)
            n += (window->Image().pixel(x, a.y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return n;
    }
    CZNOverlay *overlay = nullptr;
};

} // namespace

TEST_F(View2DOverlayTest, BrushModeDrawsTheFacesDotted)
{
    view->Redraw(FALSE);
    EXPECT_GT(OnTopEdge(20, kGreen), 5);
    EXPECT_LT(OnTopEdge(20, kGreen), 38); // dotted: the white brush edge shows between the dots
    EXPECT_EQ(OnTopEdge(30, kGreen), 0);  // no box outside overlay mode

    overlay->SetSelected(1);
    view->Redraw(FALSE);
    EXPECT_EQ(OnTopEdge(20, kGreen), 0);
    EXPECT_GT(OnTopEdge(20, kRed), 5);
}

TEST_F(View2DOverlayTest, OverlayModeDrawsTheBoxAndSelectedFaces)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_OVERLAY);
    view->Redraw(FALSE);
    EXPECT_GT(OnTopEdge(30, kGreen), 5);
    EXPECT_GT(OnTopEdge(20, kGreen), 5);
    for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
        overlay->GetFace(i)->SelectFace(1);
    view->Redraw(FALSE);
    EXPECT_GT(OnTopEdge(30, kGreen), 5);
    EXPECT_GT(OnTopEdge(20, kRed), 5);
}

TEST_F(View2DOverlayTest, HiddenOverlaysAndTheOptionsLeaveThemOut)
{
    GetEditorApp()->SetEditMode(ZNEDITMODE_OVERLAY);
    overlay->m_Flags |= ZNOVERLAY_HIDDEN;
    view->Redraw(FALSE);
    EXPECT_EQ(OnTopEdge(30, kGreen), 0);
    EXPECT_EQ(OnTopEdge(20, kGreen), 0);
    overlay->m_Flags = 0;
    GetEditorApp()->Options().m_DrawOverlayBoxes2D = 0;
    GetEditorApp()->Options().m_DrawOverlays2D = 0;
    view->Redraw(FALSE);
    EXPECT_EQ(OnTopEdge(30, kGreen), 0);
    EXPECT_EQ(OnTopEdge(20, kGreen), 0);
}

// Placement: the Front view of 100 x 100 shows x = 0, y = 0 at pixel (50, 50), one unit a pixel.
class View2DPlaceOverlayTest : public View2DTest
{
protected:
    void SetUp() override
    {
        View2DTest::SetUp();
        GetEditorApp()->Options().m_Initialized = 1;
        GetEditorApp()->SetGridSize(16.0f);
        GetEditorApp()->Options().m_SnapToGrid = 1;
        document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 40));
        MakeView(ZN2DVIEW_FRONT, 100, 100);
    }
    void TearDown() override
    {
        CZNOverlay *defaults = GetEditorApp()->GetDefaultOverlay();
        defaults->SetFaceFlag(1);
        defaults->m_AutoRebuild = 0;
        View2DTest::TearDown();
    }
};

TEST_F(View2DPlaceOverlayTest, AClickPlacesANamedOverlayAtTheSnappedPoint)
{
    GetEditorApp()->SetPlacementMode(ZNPLACE_OVERLAY);
    // x = 7, y = 10 and the cursor's depth 40 snap to 0, 16 and 32 (a half goes down).
    view->OnLButtonDown(MK_LBUTTON, CPoint(57, 40));
    view->OnLButtonUp(0, CPoint(57, 40));
    CZNOverlay *overlay = document->GetLastOverlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_STREQ(overlay->m_Name, "Overlay01");
    const ZNBBOX bounds = overlay->GetBounds(0);
    EXPECT_EQ(bounds.Min, D3DXVECTOR3(-30, -14, 2));
    EXPECT_EQ(bounds.Max, D3DXVECTOR3(30, 46, 62));
    EXPECT_EQ(overlay->GetFaceCount(), 0u); // the default overlay has no auto rebuild
    EXPECT_EQ(GetEditorApp()->GetPlacementMode(), ZNPLACE_SELECT);

    // In select mode a click places nothing.
    view->OnLButtonDown(MK_LBUTTON, CPoint(57, 40));
    EXPECT_EQ(document->GetLastOverlay(), overlay);

    // The placement is one undo level, which takes the overlay away again.
    ASSERT_NE(document->GetUndoList(), nullptr);
    EXPECT_STREQ(document->GetUndoList()->Description, "Add Overlay");
    document->OnEditUndo();
    EXPECT_EQ(document->GetOverlayList(), nullptr);
}

TEST_F(View2DPlaceOverlayTest, NamesSkipTakenNumbersAndTheDefaultsAreCopied)
{
    // "overlay02" is taken by a brush, in another letter case.
    ZNBRUSH *wall = document->NewBrush();
    ZnBuildBox(*wall, {-64, -64, 40}, {64, 64, 80});
    wall->m_Name = new char[10];
    std::strcpy(wall->m_Name, "overlay02");
    CZNOverlay *defaults = GetEditorApp()->GetDefaultOverlay();
    defaults->SetFaceFlag(4);
    defaults->m_AutoRebuild = 1;
    std::vector<std::string> names;
    for (int i = 0; i < 2; ++i) {
        GetEditorApp()->SetPlacementMode(ZNPLACE_OVERLAY);
        tool.AddOverlay(view.get(), 50, 50);
        names.push_back(document->GetLastOverlay()->m_Name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Overlay01", "Overlay03"}));
    CZNOverlay *overlay = document->GetLastOverlay();
    EXPECT_EQ(overlay->GetFaceFlag(), 4);
    EXPECT_EQ(overlay->GetAutoRebuildFlag(), 1);
    // Built at once from the wall's front, with the default's face flag.
    ASSERT_GT(overlay->GetFaceCount(), 0u);
    for (DWORD i = 0; i < overlay->GetFaceCount(); ++i)
        EXPECT_EQ(overlay->GetFace(i)->m_FaceFlag, 4);
}
