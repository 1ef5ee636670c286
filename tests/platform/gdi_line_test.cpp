#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "platform/gdi/gdi_api.h"
#include "platform/gdi/pen.h"
#include "support/gdi_canvas.h"

namespace
{

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kYellow = RGB(175, 175, 0);

using Pixels = std::set<std::pair<int, int>>;

struct LineCase {
    POINT from, to;
    Pixels expected;
};

} // namespace

TEST(GdiLine, LineToLeavesOutTheEndPixel)
{
    const std::vector<LineCase> cases = {
        {{2, 3}, {7, 3}, {{2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}}},
        {{6, 4}, {2, 4}, {{6, 4}, {5, 4}, {4, 4}, {3, 4}}},
        {{5, 1}, {5, 5}, {{5, 1}, {5, 2}, {5, 3}, {5, 4}}},
        {{5, 5}, {5, 2}, {{5, 5}, {5, 4}, {5, 3}}},
        {{1, 1}, {5, 5}, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}},
        {{6, 1}, {2, 5}, {{6, 1}, {5, 2}, {4, 3}, {3, 4}}},
        {{0, 0}, {6, 3}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3}}},
        {{3, 3}, {3, 3}, {}},
        {{4, 6}, {5, 6}, {{4, 6}}},
    };
    for (const LineCase &c : cases) {
        ZnCanvas canvas(10, 8);
        CZNPen pen(PS_SOLID, 1, kRed);
        CZNPen *old = canvas.Dc().SelectObject(&pen);
        canvas.Dc().MoveTo(c.from);
        EXPECT_TRUE(canvas.Dc().LineTo(c.to));
        canvas.Dc().SelectObject(old);
        SCOPED_TRACE(testing::Message() << "(" << c.from.x << "," << c.from.y << ") to (" << c.to.x << "," << c.to.y
                                        << ")");
        canvas.ExpectPixels([&](int x, int y) { return c.expected.count({x, y}) ? kRed : canvas.Background(); });
    }
}

TEST(GdiLine, ClosedPathDrawsEveryCornerOnce)
{
    // A face outline: MoveTo the first vertex, LineTo the others and back to the first.
    ZnCanvas canvas(8, 8);
    CZNPen pen(PS_SOLID, 1, kRed);
    canvas.Dc().SelectObject(&pen);
    canvas.Dc().MoveTo(1, 1);
    canvas.Dc().LineTo(5, 1);
    canvas.Dc().LineTo(5, 4);
    canvas.Dc().LineTo(1, 4);
    canvas.Dc().LineTo(1, 1);
    canvas.ExpectPixels([&](int x, int y) {
        const bool onEdge = ((y == 1 || y == 4) && x >= 1 && x <= 5) || ((x == 1 || x == 5) && y >= 1 && y <= 4);
        return onEdge ? kRed : canvas.Background();
    });
    EXPECT_EQ(canvas.Dc().GetCurrentPosition().x, 1);
    EXPECT_EQ(canvas.Dc().GetCurrentPosition().y, 1);
    canvas.Dc().SelectStockObject(BLACK_PEN);
}

TEST(GdiLine, MoveToReturnsThePreviousPosition)
{
    ZnCanvas canvas(4, 4);
    POINT p = canvas.Dc().MoveTo(3, 2);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    canvas.Dc().LineTo(1, 1);
    p = canvas.Dc().MoveTo(0, 0);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 1);
}

TEST(GdiLine, DottedPenDrawsThreeOnThreeOff)
{
    for (int mode : {TRANSPARENT, OPAQUE}) {
        ZnCanvas canvas(24, 3);
        CZNPen dotted(PS_DOT, 1, kYellow);
        canvas.Dc().SelectObject(&dotted);
        canvas.Dc().SetBkMode(mode);
        canvas.Dc().SetBkColor(RGB(0, 0, 255));
        canvas.Dc().MoveTo(0, 1);
        canvas.Dc().LineTo(20, 1);
        SCOPED_TRACE(mode == OPAQUE ? "opaque" : "transparent");
        // In OPAQUE mode the gaps of a styled pen take the background colour.
        const COLORREF gap = mode == OPAQUE ? RGB(0, 0, 255) : canvas.Background();
        canvas.ExpectPixels([&](int x, int y) {
            if (y != 1 || x >= 20)
                return canvas.Background();
            return x % 6 < 3 ? kYellow : gap;
        });
        canvas.Dc().SelectStockObject(BLACK_PEN);
    }
}

TEST(GdiLine, NullPenDrawsNothingAndWidePenCoversItsWidth)
{
    ZnCanvas canvas(12, 9);
    canvas.Dc().SelectStockObject(NULL_PEN);
    canvas.Dc().MoveTo(1, 1);
    canvas.Dc().LineTo(10, 1);
    canvas.ExpectPixels([&](int, int) { return canvas.Background(); });

    CZNPen wide(PS_SOLID, 3, kRed);
    canvas.Dc().SelectObject(&wide);
    canvas.Dc().MoveTo(2, 5);
    canvas.Dc().LineTo(9, 5);
    for (int y = 3; y <= 7; ++y)
        EXPECT_EQ(canvas.At(5, y), (y >= 4 && y <= 6) ? kRed : canvas.Background()) << "row " << y;
    canvas.Dc().SelectStockObject(BLACK_PEN);
}

TEST(GdiObjects, SelectObjectReturnsThePreviousObject)
{
    ZnCanvas canvas(4, 4);
    CZNPen a(PS_SOLID, 1, kRed);
    CZNPen b(PS_DOT, 1, kYellow);
    CZNPen *first = canvas.Dc().SelectObject(&a);
    EXPECT_EQ(first, CZNPen::GetStock(BLACK_PEN));
    EXPECT_EQ(canvas.Dc().SelectObject(&b), &a);
    EXPECT_EQ(canvas.Dc().SelectObject(first), &b);
    EXPECT_EQ(canvas.Dc().GetCurrentPen(), first);

    // Through handles, as plug-ins do.
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    ASSERT_NE(pen, nullptr);
    HGDIOBJ previous = SelectObject(canvas.Dc().GetSafeHdc(), pen);
    EXPECT_EQ(previous, CZNPen::GetStock(BLACK_PEN));
    EXPECT_FALSE(DeleteObject(pen)) << "a selected object is not deleted";
    EXPECT_EQ(SelectObject(canvas.Dc().GetSafeHdc(), previous), pen);
    EXPECT_TRUE(DeleteObject(pen));

    // Uncreated objects are refused and change nothing.
    CZNPen empty;
    EXPECT_EQ(canvas.Dc().SelectObject(&empty), nullptr);
    EXPECT_EQ(canvas.Dc().GetCurrentPen(), first);
}

TEST(GdiObjects, StockObjectsAndDestroyedSelections)
{
    ZnCanvas canvas(6, 3);
    EXPECT_EQ(GetStockObject(NULL_BRUSH), GetStockObject(HOLLOW_BRUSH));
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_PEN))) << "deleting a stock object is harmless";
    EXPECT_TRUE(CZNPen::GetStock(WHITE_PEN)->IsCreated());

    {
        CZNPen temporary(PS_SOLID, 1, kRed);
        canvas.Dc().SelectObject(&temporary);
        EXPECT_FALSE(temporary.DeleteObject());
    }
    // The context went back to the stock black pen when the selected pen was destroyed.
    EXPECT_EQ(canvas.Dc().GetCurrentPen(), CZNPen::GetStock(BLACK_PEN));
    canvas.Dc().SetBkColor(RGB(9, 9, 9));
    CZNBrush white(RGB(255, 255, 255));
    RECT row{0, 1, 6, 2};
    canvas.Dc().FillRect(&row, &white);
    canvas.Dc().MoveTo(0, 1);
    canvas.Dc().LineTo(4, 1);
    EXPECT_EQ(canvas.At(3, 1), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(4, 1), RGB(255, 255, 255));
}

TEST(GdiLine, FarAwayCoordinatesAreClipped)
{
    ZnCanvas canvas(10, 6);
    CZNPen pen(PS_SOLID, 1, kRed);
    canvas.Dc().SelectObject(&pen);
    canvas.Dc().MoveTo(-2000000000, 2);
    canvas.Dc().LineTo(2000000000, 2);
    canvas.Dc().MoveTo(-100, -100);
    canvas.Dc().LineTo(100, 100);
    canvas.Dc().MoveTo(INT32_MIN, INT32_MIN);
    canvas.Dc().LineTo(INT32_MAX, INT32_MAX);
    canvas.Dc().MoveTo(INT32_MAX, 0);
    canvas.Dc().LineTo(INT32_MIN, 5);
    // The last line falls 5 rows over 2^32 columns: it crosses the image on row 2 (2.4999... rounded).
    canvas.ExpectPixels([&](int x, int y) { return (y == 2 || x == y) ? kRed : canvas.Background(); });

    // A dotted line keeps its pattern where it enters the image.
    ZnCanvas dots(12, 3);
    CZNPen dotted(PS_DOT, 1, kYellow);
    dots.Dc().SelectObject(&dotted);
    dots.Dc().SetBkMode(TRANSPARENT);
    dots.Dc().MoveTo(-4, 1);
    dots.Dc().LineTo(100, 1);
    dots.ExpectPixels([&](int x, int y) { return y == 1 && (x + 4) % 6 < 3 ? kYellow : dots.Background(); });

    // A huge ellipse shows only its part inside the image: here its flat middle rows.
    ZnCanvas big(10, 6);
    CZNBrush brush(RGB(0, 0, 255));
    big.Dc().SelectObject(&brush);
    big.Dc().SelectObject(&pen);
    big.Dc().Ellipse(-1000000, -3, 1000010, 9);
    big.ExpectPixels([&](int, int) { return RGB(0, 0, 255); });
    big.Dc().SelectStockObject(BLACK_PEN);
    big.Dc().SelectStockObject(WHITE_BRUSH);
    canvas.Dc().SelectStockObject(BLACK_PEN);
    dots.Dc().SelectStockObject(BLACK_PEN);
}
