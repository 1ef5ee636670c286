// The window's plain rules: pane shares, the saved placement and the splash bars' counters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/splash_counters.h"
#include "app/splitter_shares.h"
#include "app/window_placement.h"

namespace
{

TEST(SplitterShares, FirstLayoutAndItsShares)
{
    CZNSplitterShares shares;
    int column = 0, row = 0;
    EXPECT_FALSE(shares.OnResize(1000, 800, &column, &row)) << "no shares before the first layout";
    EXPECT_EQ(column, 0);

    shares.Initialise(1000, 800, &column, &row);
    EXPECT_EQ(column, 476);
    EXPECT_EQ(row, 396);
    EXPECT_TRUE(shares.IsReady());
    EXPECT_FLOAT_EQ(shares.GetColumnShare(), 47.6f);
    EXPECT_FLOAT_EQ(shares.GetRowShare(), 49.5f);

    // Odd sizes halve with truncation; tiny ones keep one pixel; nothing divides by zero.
    shares.Initialise(1001, 9, &column, &row);
    EXPECT_EQ(column, 476);
    EXPECT_EQ(row, 1);
    shares.Initialise(0, 0, &column, &row);
    EXPECT_EQ(column, 1);
    EXPECT_FLOAT_EQ(shares.GetColumnShare(), 50.0f);
    EXPECT_FLOAT_EQ(shares.GetRowShare(), 50.0f);
}

TEST(SplitterShares, EnlargingKeepsTheDraggedShares)
{
    CZNSplitterShares shares;
    shares.Initialise(800, 600, nullptr, nullptr);
    shares.OnSplitMoved(800, 600, 200, 450); // 25 % and 75 %
    int column = 0, row = 0;
    ASSERT_TRUE(shares.OnResize(1600, 1200, &column, &row));
    EXPECT_EQ(column, 400);
    EXPECT_EQ(row, 900);
    shares.OnSplitMoved(0, 600, 0, 300);
    EXPECT_FLOAT_EQ(shares.GetColumnShare(), 50.0f);
    ASSERT_TRUE(shares.OnResize(0, 0, &column, &row));
    EXPECT_EQ(column, 1);
    EXPECT_EQ(row, 1);
}

WINDOWPLACEMENT Placement(UINT show, RECT normal)
{
    WINDOWPLACEMENT p;
    p.showCmd = show;
    p.rcNormalPosition = normal;
    return p;
}

TEST(WindowPlacement, TextRoundTrips)
{
    const WINDOWPLACEMENT p = Placement(3, {-20, 15, 1004, 783});
    const std::string text = CZNWindowPlacement::Format(p);
    EXPECT_EQ(text, "0,3,-1,-1,-1,-1,-20,15,1004,783");
    WINDOWPLACEMENT back;
    ASSERT_TRUE(CZNWindowPlacement::Parse(text, &back));
    EXPECT_EQ(CZNWindowPlacement::Format(back), text);
    EXPECT_EQ(back.length, sizeof(WINDOWPLACEMENT));
}

struct RefusedCase {
    const char *name;
    const char *text;
};

class RefusedPlacement : public ::testing::TestWithParam<RefusedCase>
{
};

TEST_P(RefusedPlacement, LeavesThePlacementAlone)
{
    WINDOWPLACEMENT p = Placement(1, {1, 2, 3, 4});
    EXPECT_FALSE(CZNWindowPlacement::Parse(GetParam().text, &p));
    EXPECT_EQ(CZNWindowPlacement::Format(p), "0,1,-1,-1,-1,-1,1,2,3,4");
}

INSTANTIATE_TEST_SUITE_P(Values, RefusedPlacement,
                         ::testing::Values(RefusedCase{"Empty", ""}, RefusedCase{"NineNumbers", "0,1,-1,-1,-1,-1,10,20,30"},
                                           RefusedCase{"Words", "0,1,-1,-1,-1,-1,left,20,30,40"},
                                           RefusedCase{"Blank", " "}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(WindowPlacement, ShowCommandRules)
{
    const WINDOWPLACEMENT maximised = Placement(3, {0, 0, 100, 100});
    EXPECT_EQ(CZNWindowPlacement::OpenShowCommand(1, &maximised), 3);
    EXPECT_EQ(CZNWindowPlacement::OpenShowCommand(-1, &maximised), 3);
    EXPECT_EQ(CZNWindowPlacement::OpenShowCommand(7, &maximised), 7);
    EXPECT_EQ(CZNWindowPlacement::OpenShowCommand(1, nullptr), 1);
    EXPECT_EQ(CZNWindowPlacement::SavedShowCommand(2), 1u);
    EXPECT_EQ(CZNWindowPlacement::SavedShowCommand(6), 1u);
    EXPECT_EQ(CZNWindowPlacement::SavedShowCommand(3), 3u);
}

TEST(WindowPlacement, ARectangleOnNoScreenMovesToThePrimary)
{
    const std::vector<RECT> screens = {{0, 0, 1280, 1024}, {1280, 0, 2560, 1024}};
    RECT kept = {2000, 100, 2400, 400};
    CZNWindowPlacement::KeepOnScreen(&kept, screens, 0);
    EXPECT_EQ(kept.left, 2000);
    RECT lost = {5000, -3000, 5400, -2700};
    CZNWindowPlacement::KeepOnScreen(&lost, screens, 0);
    EXPECT_EQ(lost.left, 0);
    EXPECT_EQ(lost.top, 0);
    EXPECT_EQ(lost.right, 400);
    EXPECT_EQ(lost.bottom, 300);
    RECT huge = {-9000, -9000, -5000, -5000};
    CZNWindowPlacement::KeepOnScreen(&huge, screens, 1);
    EXPECT_EQ(huge.left, 1280);
    EXPECT_EQ(huge.right, 2560);
    EXPECT_EQ(huge.bottom, 1024);
}

TEST(SplashCounters, StepsStopAtTheRangeAndSendOnlyWholePixels)
{
    CZNSplashCounters bar;
    bar.SetTask(4);
    std::vector<bool> sent;
    for (int i = 0; i < 6; ++i)
        sent.push_back(bar.Step(100));
    EXPECT_EQ(sent, (std::vector<bool>{true, true, true, true, false, false}));
    EXPECT_EQ(bar.GetPosition(), 4);
    EXPECT_EQ(bar.GetDrawnPixel(), 100);

    // 1000 steps over 100 pixels: only every tenth step moves the bar.
    bar.SetTask(1000);
    EXPECT_EQ(bar.GetPosition(), 0) << "a new task starts again";
    int sends = 0;
    for (int i = 0; i < 1000; ++i)
        sends += bar.Step(100) ? 1 : 0;
    EXPECT_EQ(sends, 100);

    bar.SetTask(0);
    EXPECT_FALSE(bar.Step(100));
    EXPECT_EQ(bar.GetPosition(), 0);
    EXPECT_EQ(bar.GetDrawnPixel(), 0);
}

} // namespace
