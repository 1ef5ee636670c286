#include <gtest/gtest.h>

#include "platform/gdi/font.h"
#include "platform/gdi/gdi_api.h"
#include "support/gdi_canvas.h"
#include "support/gui_app.h"

namespace
{

constexpr COLORREF kText = RGB(255, 255, 255);
constexpr COLORREF kBack = RGB(0, 0, 255);

void MakeFont(CZNFont &font, int height)
{
    ASSERT_TRUE(font.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                                CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "DejaVu Sans"));
}

struct Census {
    int text = 0, back = 0, other = 0, outsideBack = 0, farOutside = 0;
};

// Counts the colours inside the box (left, top, width x height); outside it, the pixels in the
// background colour and the changed pixels more than two pixels away (glyphs may overhang a little).
Census Count(const ZnCanvas &canvas, int left, int top, int width, int height)
{
    Census c;
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const COLORREF p = canvas.At(x, y);
            const bool inside = x >= left && x < left + width && y >= top && y < top + height;
            if (!inside) {
                const bool near = x >= left - 2 && x < left + width + 2 && y >= top - 2 && y < top + height + 2;
                c.outsideBack += p == kBack;
                c.farOutside += !near && p != canvas.Background();
                continue;
            }
            if (p == kText)
                ++c.text;
            else if (p == kBack)
                ++c.back;
            else if (p == canvas.Background())
                ++c.other; // untouched inside the box
        }
    return c;
}

} // namespace

TEST(GdiText, OpaqueTextFillsItsBoxWithTheBackgroundColour)
{
    ZnGuiApp();
    ZnCanvas canvas(120, 40);
    CZNFont font;
    MakeFont(font, -14);
    CZNFont *old = canvas.Dc().SelectObject(&font);
    EXPECT_EQ(old, CZNFont::GetStock(SYSTEM_FONT));
    canvas.Dc().SetTextColor(kText);
    EXPECT_EQ(canvas.Dc().SetBkColor(kBack), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Dc().GetBkMode(), OPAQUE);
    const SIZE size = canvas.Dc().GetTextExtent("Top");
    EXPECT_GT(size.cx, 10);
    EXPECT_GE(size.cy, 14);
    EXPECT_TRUE(canvas.Dc().TextOut(5, 5, "Top"));
    const Census c = Count(canvas, 5, 5, size.cx, size.cy);
    EXPECT_EQ(c.outsideBack + c.farOutside, 0) << canvas.Dump();
    EXPECT_EQ(c.other, 0) << "the whole box is painted\n" << canvas.Dump();
    EXPECT_GT(c.text, 3);
    EXPECT_GT(c.back, c.text);
    EXPECT_EQ(canvas.At(5, 5), kBack);
    EXPECT_EQ(canvas.At(5 + size.cx - 1, 5), kBack);
    canvas.Dc().SelectObject(old);
}

TEST(GdiText, TransparentTextLeavesTheBackground)
{
    ZnGuiApp();
    ZnCanvas canvas(120, 40);
    CZNFont font;
    MakeFont(font, -14);
    canvas.Dc().SelectObject(&font);
    canvas.Dc().SetTextColor(kText);
    canvas.Dc().SetBkColor(kBack);
    EXPECT_EQ(canvas.Dc().SetBkMode(TRANSPARENT), OPAQUE);
    canvas.Dc().TextOut(5, 5, std::string("Camera"));
    const SIZE size = canvas.Dc().GetTextExtent("Camera", -1);
    const Census c = Count(canvas, 5, 5, size.cx, size.cy);
    EXPECT_EQ(c.outsideBack + c.farOutside, 0) << canvas.Dump();
    EXPECT_EQ(c.back, 0);
    EXPECT_GT(c.text, 3);
    EXPECT_GT(c.other, c.text) << "most of the box keeps what was there";
    canvas.Dc().SelectStockObject(SYSTEM_FONT);
}

TEST(GdiText, FontHeights)
{
    ZnGuiApp();
    ZnCanvas canvas(8, 8);
    CZNFont small, large, cell;
    MakeFont(small, -10);
    MakeFont(large, -30);
    MakeFont(cell, 20);
    canvas.Dc().SelectObject(&small);
    const SIZE a = canvas.Dc().GetTextExtent("Name", 4);
    canvas.Dc().SelectObject(&large);
    const SIZE b = canvas.Dc().GetTextExtent("Name", 4);
    canvas.Dc().SelectObject(&cell);
    const SIZE c = canvas.Dc().GetTextExtent("Name", 4);
    EXPECT_GE(a.cy, 10);
    EXPECT_GE(b.cy, 30);
    EXPECT_GT(b.cx, 2 * a.cx);
    // A positive height asks for the cell height.
    EXPECT_NEAR(c.cy, 20, 1);
    LOGFONT lf{};
    EXPECT_EQ(cell.GetLogFont(&lf), int(sizeof(LOGFONT)));
    EXPECT_EQ(lf.lfHeight, 20);
    EXPECT_STREQ(lf.lfFaceName, "DejaVu Sans");
    canvas.Dc().SelectStockObject(SYSTEM_FONT);
    const SIZE d = canvas.Dc().GetTextExtent("Name", 4);
    EXPECT_GT(d.cx, 0);
    EXPECT_GT(d.cy, 0);

    // A font made through its handle and attached to a font object (an 8-point label font).
    HFONT handle = CreateFont(-MulDiv(8, GetDeviceCaps(canvas.Dc().GetSafeHdc(), LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                              0, 0, 0, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
    ASSERT_NE(handle, nullptr);
    CZNFont label;
    EXPECT_TRUE(label.Attach(handle));
    EXPECT_EQ(label.GetDescription().lfHeight, -11);
    EXPECT_STREQ(label.GetDescription().lfFaceName, "Tahoma");
    canvas.Dc().SelectObject(&label);
    EXPECT_GE(canvas.Dc().GetTextExtent("Name", 4).cy, 11);
    canvas.Dc().SelectStockObject(DEFAULT_GUI_FONT);
}

TEST(GdiText, DrawTextCentresAndClips)
{
    ZnGuiApp();
    ZnCanvas canvas(120, 50);
    CZNFont font;
    MakeFont(font, -12);
    canvas.Dc().SelectObject(&font);
    canvas.Dc().SetTextColor(kText);
    canvas.Dc().SetBkColor(kBack);
    RECT r{10, 10, 110, 40};
    const SIZE size = canvas.Dc().GetTextExtent("Empty");
    EXPECT_EQ(canvas.Dc().DrawText("Empty", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE), size.cy);
    const int left = 10 + (100 - size.cx) / 2;
    const int top = 10 + (30 - size.cy) / 2;
    const Census c = Count(canvas, left, top, size.cx, size.cy);
    EXPECT_EQ(c.outsideBack + c.farOutside, 0) << canvas.Dump();
    EXPECT_EQ(c.other, 0);
    EXPECT_GT(c.text, 3);

    // Text wider than its rectangle is cut at the rectangle's edges.
    ZnCanvas clipped(120, 50);
    clipped.Dc().SelectObject(&font);
    clipped.Dc().SetTextColor(kText);
    clipped.Dc().SetBkColor(kBack);
    RECT small{10, 10, 30, 20};
    clipped.Dc().DrawText(std::string("A rather long name"), &small, DT_CENTER);
    const Census k = Count(clipped, 10, 10, 20, 10);
    EXPECT_EQ(k.outsideBack + k.farOutside, 0) << clipped.Dump();
    EXPECT_GT(k.back, 0);
    canvas.Dc().SelectStockObject(SYSTEM_FONT);
    clipped.Dc().SelectStockObject(SYSTEM_FONT);
}
