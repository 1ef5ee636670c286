#include <gtest/gtest.h>

#include "editor/selection_band.h"
#include "scene/brush.h"
#include "support/shapes.h"
#include "view2d_fixture.h"

namespace
{

int BandPixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == 0xAFAF00;
    return n;
}

} // namespace

// The selection band shows over the painted scene, and over the back buffer in a quick refresh.
TEST_F(View2DTest, PaintAndQuickRefreshShowTheSelectionBand)
{
    GetEditorApp()->Options().m_Initialized = 1;
    MakeView(ZN2DVIEW_TOP, 120, 100);
    view->SetZoom(1);
    view->SetCentre(0, 0);
    ZNBRUSH *brush = document->NewBrush();
    ZnBuildBox(*brush, {-30, -5, -30}, {30, 5, 30});
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    view->Redraw(FALSE);
    EXPECT_EQ(BandPixels(window->Image()), 0);

    ZNSELECTIONENTRY e;
    e.Type = ZNSELECT_BRUSH;
    e.Object = reinterpret_cast<uintptr_t>(brush);
    ASSERT_EQ(band->AddToSelection(&e, 0, 0), 1);
    view->Redraw(FALSE);
    EXPECT_GT(BandPixels(window->Image()), 40);

    window->GetWindowImage()->fill(0xFF808080);
    view->QuickRefresh();
    EXPECT_GT(BandPixels(window->Image()), 40);
    band->Clear(1, 0);
}
