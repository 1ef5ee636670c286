// The options panel's arithmetic by plain calls: the slider's clamping, pixels, thumb and drag,
// the numeric spin's positions, text and arrow rule, and a page's drag offset.
#include <gtest/gtest.h>

#include <string>

#include "ui/num_spin_model.h"
#include "ui/page_scroll.h"
#include "ui/slider_metrics.h"

namespace
{

TEST(SliderMetricsTest, SetRangeCutsThePageAndClampsThePosition)
{
    CZNSliderMetrics slider;
    EXPECT_EQ(slider.GetPage(), 10.0f);
    slider.SetRange(0, 5);
    EXPECT_EQ(slider.GetPage(), 5.0f);
    EXPECT_EQ(slider.GetPos(), 0.0f);

    // The position is clamped to the minimum, then to maximum - page.
    CZNSliderMetrics other;
    other.SetPos(50);
    EXPECT_EQ(other.GetPos(), 50.0f);
    other.SetRange(20, 40);
    EXPECT_EQ(other.GetPos(), 30.0f);
    other.SetPos(-5);
    EXPECT_EQ(other.GetPos(), 20.0f);
    other.SetPage(30);
    EXPECT_EQ(other.GetPage(), 20.0f);
    EXPECT_EQ(other.GetPos(), 20.0f);
}

TEST(SliderMetricsTest, ThumbAtAKnownClientHeight)
{
    CZNSliderMetrics slider;
    slider.SetRange(0, 200);
    slider.SetPage(50);
    slider.SetPos(40);
    // Two pixels a unit: the thumb's top at 80 (one above), 100 pixels long, from one pixel left
    // of the client to its right edge.
    const RECT thumb = slider.GetThumbRect(RECT{0, 0, 6, 400});
    EXPECT_EQ(thumb.left, -1);
    EXPECT_EQ(thumb.top, 79);
    EXPECT_EQ(thumb.right, 6);
    EXPECT_EQ(thumb.bottom, 180);
    EXPECT_FLOAT_EQ(slider.ValueToPixels(25, false, 400), 50.0f);
    EXPECT_FLOAT_EQ(slider.ValueToPixels(50, true, 400), 25.0f);
}

TEST(SliderMetricsTest, ADragPastAnEndKeepsTheLastYUntilThePointerComesBack)
{
    CZNSliderMetrics slider;
    slider.SetRange(0, 200);
    slider.SetPage(50);
    int lastY = 100;
    ASSERT_TRUE(slider.DragTo(140, &lastY, 400));
    EXPECT_EQ(slider.GetPos(), 20.0f);
    EXPECT_EQ(lastY, 140);
    // Past the minimum: stopped there, the last y kept.
    ASSERT_TRUE(slider.DragTo(0, &lastY, 400));
    EXPECT_EQ(slider.GetPos(), 0.0f);
    EXPECT_EQ(lastY, 140);
    // Still above the kept y: nothing moves.
    slider.DragTo(120, &lastY, 400);
    EXPECT_EQ(slider.GetPos(), 0.0f);
    EXPECT_EQ(lastY, 140);
    // Below it again: the thumb follows from there.
    slider.DragTo(150, &lastY, 400);
    EXPECT_EQ(slider.GetPos(), 5.0f);
    EXPECT_EQ(lastY, 150);
    // The same at the other end.
    slider.DragTo(1000, &lastY, 400);
    EXPECT_EQ(slider.GetPos(), 150.0f);
    EXPECT_EQ(lastY, 150);
}

TEST(SliderMetricsTest, AZeroSpanOrNoPixelsMapsToZeroAndDoesNotMove)
{
    CZNSliderMetrics slider;
    slider.SetRange(0, 0);
    EXPECT_EQ(slider.GetPage(), 0.0f);
    EXPECT_EQ(slider.ValueToPixels(5, false, 400), 0.0f);
    EXPECT_EQ(slider.ValueToPixels(5, true, 400), 0.0f);
    int lastY = 10;
    EXPECT_FALSE(slider.DragTo(50, &lastY, 400));
    EXPECT_EQ(slider.GetPos(), 0.0f);
    const RECT thumb = slider.GetThumbRect(RECT{0, 0, 6, 400});
    EXPECT_EQ(thumb.top, -1);
    EXPECT_EQ(thumb.bottom, 0);

    CZNSliderMetrics flat;
    flat.SetRange(0, 100);
    EXPECT_EQ(flat.ValueToPixels(50, false, 0), 0.0f);
    EXPECT_EQ(flat.ValueToPixels(50, true, 0), 0.0f);
}

TEST(NumSpinModelTest, RangeStepsAndPositions)
{
    CZNNumSpinModel spin;
    spin.SetRange(0, 255, 1, 0);
    EXPECT_EQ(spin.GetRangeSteps(), 255);
    spin.SetPos(127.5);
    EXPECT_EQ(spin.GetPos(), 128);
    spin.SetPos(-3);
    EXPECT_EQ(spin.GetPos(), 0);
    spin.SetPos(300);
    EXPECT_EQ(spin.GetPos(), 255);

    // Step 0 stores the range but leaves the positions and the position alone.
    spin.SetPos(100);
    spin.SetRange(0, 10, 0, 5);
    EXPECT_EQ(spin.GetRangeSteps(), 255);
    EXPECT_EQ(spin.GetPos(), 100);
    EXPECT_EQ(spin.GetMax(), 10.0);

    spin.SetRange(0, 100000, 1, 50000);
    EXPECT_EQ(spin.GetRangeSteps(), 32767);
    EXPECT_EQ(spin.GetPos(), 16384);
}

struct ZNSPINTEXTCASE {
    const char *name;
    int decimals;
    const char *format;
    double value;
    const char *text;
};

class NumSpinTextTest : public ::testing::TestWithParam<ZNSPINTEXTCASE>
{
};

TEST_P(NumSpinTextTest, WritesTheValue)
{
    CZNNumSpinModel spin;
    spin.SetPrecision(GetParam().decimals);
    spin.SetFormat(GetParam().format);
    EXPECT_EQ(spin.FormatValue(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Texts, NumSpinTextTest,
                         ::testing::Values(ZNSPINTEXTCASE{"TwoDecimals", 2, "", 1.5, "1.50"},
                                           ZNSPINTEXTCASE{"Shortest", -1, "", 1.5, "1.5"},
                                           ZNSPINTEXTCASE{"ShortestWhole", -1, "", 255, "255"},
                                           ZNSPINTEXTCASE{"NoDecimals", 0, "", 2.5, "2"},
                                           ZNSPINTEXTCASE{"FormatWins", 2, "%.3f units", 1.5, "1.500 units"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(NumSpinModelTest, TextReadsAsAtofDoes)
{
    EXPECT_EQ(CZNNumSpinModel::ParseValue("abc"), 0.0);
    EXPECT_EQ(CZNNumSpinModel::ParseValue("2.5x"), 2.5);
    EXPECT_EQ(CZNNumSpinModel::ParseValue(" -7"), -7.0);
}

struct ZNARROWCASE {
    const char *name;
    double value;
    int delta;
    double result;
};

class NumSpinArrowTest : public ::testing::TestWithParam<ZNARROWCASE>
{
};

// Only the bound an arrow heads for applies: a typed 300 over a 0-255 range goes up to 255 but
// down to 299.
TEST_P(NumSpinArrowTest, StepsAndStopsAtTheBoundItHeadsFor)
{
    CZNNumSpinModel spin;
    spin.SetRange(0, 255, 1, 0);
    EXPECT_EQ(spin.ArrowValue(GetParam().value, GetParam().delta), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Arrows, NumSpinArrowTest,
                         ::testing::Values(ZNARROWCASE{"UpInside", 10, 1, 11}, ZNARROWCASE{"DownInside", 10, -1, 9},
                                           ZNARROWCASE{"UpAboveMaximum", 300, 1, 255},
                                           ZNARROWCASE{"DownAboveMaximum", 300, -1, 299},
                                           ZNARROWCASE{"DownBelowMinimum", -5, -1, 0},
                                           ZNARROWCASE{"UpBelowMinimum", -5, 1, -4},
                                           ZNARROWCASE{"UpByFivePastMaximum", 253, 5, 255}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PageScrollTest, ATallPageStopsAtBothEndsOfTheDisplay)
{
    CZNPageScroll page(540);
    page.BeginDrag(100);
    // Down past the top: the content's top stays at the display's top.
    EXPECT_EQ(page.DragTo(150, 0, 480), 0);
    EXPECT_EQ(page.GetOffset(), 0);
    EXPECT_EQ(page.DragTo(120, 0, 480), -30);
    EXPECT_EQ(page.GetOffset(), -30);
    // Up past the end: the content's bottom stays at the display's bottom.
    EXPECT_EQ(page.DragTo(0, 0, 480), -30);
    EXPECT_EQ(page.GetOffset(), -60);
    EXPECT_EQ(page.DragTo(300, 0, 480), 60);
    EXPECT_EQ(page.GetOffset(), 0);
    page.EndDrag();
    EXPECT_FALSE(page.IsDragging());

    EXPECT_EQ(page.SetOffset(-40), -40);
    EXPECT_EQ(page.SetOffset(-10), 30);
}

TEST(PageScrollTest, APageThatFitsKeepsOffsetZero)
{
    CZNPageScroll page(150);
    page.BeginDrag(100);
    EXPECT_EQ(page.DragTo(40, 0, 480), 0);
    EXPECT_EQ(page.DragTo(400, 0, 480), 0);
    EXPECT_EQ(page.GetOffset(), 0);
}

} // namespace
