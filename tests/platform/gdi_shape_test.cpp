#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/pen.h"
#include "support/gdi_canvas.h"

namespace
{

constexpr COLORREF kPen = RGB(255, 0, 0);
constexpr COLORREF kFill = RGB(0, 0, 255);

bool Inside(int x, int y, int left, int top, int right, int bottom)
{
    return x >= left && x < right && y >= top && y < bottom;
}

} // namespace

TEST(GdiShape, RectangleLeavesOutRightAndBottom)
{
    ZnCanvas canvas(12, 10);
    CZNPen pen(PS_SOLID, 1, kPen);
    CZNBrush brush(kFill);
    canvas.Dc().SelectObject(&pen);
    canvas.Dc().SelectObject(&brush);
    EXPECT_TRUE(canvas.Dc().Rectangle(2, 3, 8, 7));
    canvas.ExpectPixels([&](int x, int y) {
        if (!Inside(x, y, 2, 3, 8, 7))
            return canvas.Background();
        return (x == 2 || x == 7 || y == 3 || y == 6) ? kPen : kFill;
    });
    canvas.Dc().SelectStockObject(BLACK_PEN);
    canvas.Dc().SelectStockObject(WHITE_BRUSH);
}

TEST(GdiShape, RectangleWithHollowBrushOrNullPen)
{
    {
        ZnCanvas canvas(12, 10);
        CZNPen pen(PS_SOLID, 1, kPen);
        canvas.Dc().SelectObject(&pen);
        canvas.Dc().SelectStockObject(HOLLOW_BRUSH);
        // Reversed corners are put in order first.
        canvas.Dc().Rectangle(8, 7, 2, 3);
        canvas.ExpectPixels([&](int x, int y) {
            const bool edge = Inside(x, y, 2, 3, 8, 7) && (x == 2 || x == 7 || y == 3 || y == 6);
            return edge ? kPen : canvas.Background();
        });
        canvas.Dc().SelectStockObject(BLACK_PEN);
    }
    {
        // Without a pen the filled area is one pixel narrower and lower: callers widen the
        // rectangle by one to fill a whole area.
        ZnCanvas canvas(12, 10);
        CZNBrush brush(kFill);
        canvas.Dc().SelectStockObject(NULL_PEN);
        canvas.Dc().SelectObject(&brush);
        canvas.Dc().Rectangle(2, 3, 8, 7);
        canvas.ExpectPixels([&](int x, int y) { return Inside(x, y, 2, 3, 7, 6) ? kFill : canvas.Background(); });
        canvas.Dc().SelectStockObject(WHITE_BRUSH);
    }
}

TEST(GdiShape, DottedRectangleFollowsItsOutline)
{
    ZnCanvas canvas(10, 8);
    CZNPen dotted(PS_DOT, 1, kPen);
    canvas.Dc().SelectObject(&dotted);
    canvas.Dc().SelectStockObject(NULL_BRUSH);
    canvas.Dc().SetBkMode(TRANSPARENT);
    canvas.Dc().Rectangle(1, 1, 9, 7);
    // Clockwise from the top-left corner: 7 pixels along the top, 5 down the right side, ...
    const std::vector<POINT> path = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1},
                                     {8, 2}, {8, 3}, {8, 4}, {8, 5}, {8, 6}, {7, 6}, {6, 6}, {5, 6},
                                     {4, 6}, {3, 6}, {2, 6}, {1, 6}, {1, 5}, {1, 4}, {1, 3}, {1, 2}};
    for (size_t i = 0; i < path.size(); ++i)
        EXPECT_EQ(canvas.At(path[i].x, path[i].y), i % 6 < 3 ? kPen : canvas.Background()) << "outline pixel " << i;
    canvas.Dc().SelectStockObject(BLACK_PEN);
}

TEST(GdiShape, FillRectCoversLeftTopUpToRightBottom)
{
    ZnCanvas canvas(10, 10);
    CZNBrush brush(kFill);
    const RECT r{2, 3, 8, 7};
    canvas.Dc().FillRect(&r, &brush);
    canvas.Dc().FillRect(&r, CZNBrush::GetStock(NULL_BRUSH));
    canvas.ExpectPixels([&](int x, int y) { return Inside(x, y, 2, 3, 8, 7) ? kFill : canvas.Background(); });
}

TEST(GdiShape, FocusRectInvertsEveryOtherBorderPixelAndASecondCallRemovesIt)
{
    constexpr COLORREF kBack = RGB(0x20, 0x90, 0xF0);
    ZnCanvas canvas(10, 8, kBack);
    const RECT r{1, 2, 8, 7};
    canvas.Dc().DrawFocusRect(&r);
    canvas.ExpectPixels([&](int x, int y) {
        const bool border = Inside(x, y, 1, 2, 8, 7) && (x == 1 || x == 7 || y == 2 || y == 6);
        return border && (x + y) % 2 == 0 ? RGB(0xDF, 0x6F, 0x0F) : kBack;
    });
    canvas.Dc().DrawFocusRect(&r);
    canvas.ExpectPixels([&](int, int) { return kBack; });
    // A rectangle reaching past the bitmap marks only the pixels inside it.
    const RECT wide{-3, -3, 30, 5};
    canvas.Dc().DrawFocusRect(&wide);
    EXPECT_EQ(canvas.At(0, 4), RGB(0xDF, 0x6F, 0x0F));
    EXPECT_EQ(canvas.At(9, 3), kBack);
    EXPECT_EQ(canvas.At(8, 4), RGB(0xDF, 0x6F, 0x0F));
    EXPECT_EQ(canvas.At(1, 4), kBack);
    EXPECT_EQ(canvas.At(0, 0), kBack);
}

TEST(GdiShape, EllipseTouchesItsBoxButNotRightAndBottom)
{
    const std::vector<RECT> boxes = {{0, 0, 9, 9},  {1, 1, 9, 9}, {2, 1, 15, 6}, {3, 3, 5, 12},
                                     {1, 2, 21, 4}, {4, 4, 5, 5}, {0, 0, 7, 7},  {2, 2, 32, 22}};
    for (const RECT &b : boxes) {
        SCOPED_TRACE(testing::Message() << "box " << b.left << "," << b.top << "," << b.right << "," << b.bottom);
        ZnCanvas canvas(34, 24);
        CZNPen pen(PS_SOLID, 1, kPen);
        CZNBrush brush(kFill);
        canvas.Dc().SelectObject(&pen);
        canvas.Dc().SelectObject(&brush);
        canvas.Dc().Ellipse(&b);
        int minX = 99, minY = 99, maxX = -1, maxY = -1;
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x) {
                const COLORREF c = canvas.At(x, y);
                if (c == canvas.Background())
                    continue;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
                // Symmetric about both axes of the box.
                EXPECT_EQ(canvas.At(b.left + b.right - 1 - x, y), c);
                EXPECT_EQ(canvas.At(x, b.top + b.bottom - 1 - y), c);
            }
        EXPECT_EQ(minX, b.left);
        EXPECT_EQ(minY, b.top);
        EXPECT_EQ(maxX, b.right - 1);
        EXPECT_EQ(maxY, b.bottom - 1);
        const int w = b.right - b.left, h = b.bottom - b.top;
        if (w >= 5 && h >= 5) {
            EXPECT_EQ(canvas.At(b.left, b.top), canvas.Background()) << "corners stay outside\n" << canvas.Dump();
            EXPECT_EQ(canvas.At(b.right - 1, b.bottom - 1), canvas.Background());
            EXPECT_EQ(canvas.At((b.left + b.right) / 2, (b.top + b.bottom) / 2), kFill) << canvas.Dump();
        }
        canvas.Dc().SelectStockObject(BLACK_PEN);
        canvas.Dc().SelectStockObject(WHITE_BRUSH);
    }
}

TEST(GdiShape, HollowMarkerCircle)
{
    // The marker circle of the selection: Ellipse over (x - 4, y - 4, x + 5, y + 5) with the null brush.
    ZnCanvas canvas(11, 11);
    CZNPen pen(PS_SOLID, 1, RGB(200, 200, 200));
    canvas.Dc().SelectObject(&pen);
    canvas.Dc().SelectStockObject(NULL_BRUSH);
    canvas.Dc().Ellipse(5 - 4, 5 - 4, 5 + 5, 5 + 5);
    EXPECT_EQ(canvas.Dump(), "...........\n"
                             "...aaaaa...\n"
                             "..a.....a..\n"
                             ".a.......a.\n"
                             ".a.......a.\n"
                             ".a.......a.\n"
                             ".a.......a.\n"
                             ".a.......a.\n"
                             "..a.....a..\n"
                             "...aaaaa...\n"
                             "...........\n");
    canvas.Dc().SelectStockObject(BLACK_PEN);
}
