// Thumbnails drawn with their palette on a drawing context: place and size, stretching, pictures
// of 24 bits, failures, and the highlight of a selected row.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

#include <cstring>

#include "platform/gdi/gdi_api.h"
#include "render/image/draw_paletted_image.h"
#include "render/image/image.h"
#include "support/gdi_canvas.h"
#include "support/gui_app.h"

namespace
{

// A 3 x 2 8-bit picture: blue, green, red on top, red, green, blue below.
void ThreeByTwo(CZNImage &image)
{
    ASSERT_TRUE(image.AllocImageMem(3, 2, 8, false));
    RGBQUAD *palette = image.GetPalette();
    palette[1] = {255, 0, 0, 0}; // blue
    palette[2] = {0, 255, 0, 0}; // green
    palette[3] = {0, 0, 255, 0}; // red
    const BYTE indices[6] = {1, 2, 3, 3, 2, 1};
    std::memcpy(image.GetRedPlane(), indices, 6);
}

// The application's highlight colour for one test.
class HighlightColour
{
public:
    explicit HighlightColour(COLORREF colour) : m_Saved(QGuiApplication::palette())
    {
        QPalette palette = m_Saved;
        palette.setColor(QPalette::Highlight, QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        QGuiApplication::setPalette(palette);
    }
    ~HighlightColour() { QGuiApplication::setPalette(m_Saved); }

private:
    QPalette m_Saved;
};

} // namespace

TEST(DrawPalettedImage, SizesOfZeroDrawThePictureAsItIsAtItsPlace)
{
    CZNImage image;
    ThreeByTwo(image);
    ZnCanvas canvas(12, 8);
    ASSERT_TRUE(DrawPalettedImage(&canvas.Dc(), &image, 5, 4, 0, 0, false));
    const COLORREF blue = RGB(0, 0, 255), green = RGB(0, 255, 0), red = RGB(255, 0, 0);
    const COLORREF rows[2][3] = {{blue, green, red}, {red, green, blue}};
    canvas.ExpectPixels(
        [&](int x, int y) { return x >= 5 && x < 8 && y >= 4 && y < 6 ? rows[y - 4][x - 5] : canvas.Background(); });
}

TEST(DrawPalettedImage, AGivenSizeStretchesTheWholePicture)
{
    CZNImage image;
    ThreeByTwo(image);
    ZnCanvas canvas(8, 6);
    ASSERT_TRUE(DrawPalettedImage(&canvas.Dc(), &image, 1, 1, 6, 4, false));
    const COLORREF blue = RGB(0, 0, 255), green = RGB(0, 255, 0), red = RGB(255, 0, 0);
    const COLORREF rows[2][3] = {{blue, green, red}, {red, green, blue}};
    canvas.ExpectPixels([&](int x, int y) {
        return x >= 1 && x < 7 && y >= 1 && y < 5 ? rows[(y - 1) / 2][(x - 1) / 2] : canvas.Background();
    });
}

TEST(DrawPalettedImage, APictureOfTwentyFourBitsIsReducedToItsColours)
{
    CZNImage image;
    ASSERT_TRUE(image.AllocImageMem(2, 1, 24, false));
    image.GetRedPlane()[0] = 250, image.GetGreenPlane()[0] = 100, image.GetBluePlane()[0] = 10;
    image.GetRedPlane()[1] = 20, image.GetGreenPlane()[1] = 40, image.GetBluePlane()[1] = 200;
    ZnCanvas canvas(4, 3);
    ASSERT_TRUE(DrawPalettedImage(&canvas.Dc(), &image, 1, 1, 0, 0, false));
    EXPECT_EQ(canvas.At(1, 1), RGB(250, 100, 10));
    EXPECT_EQ(canvas.At(2, 1), RGB(20, 40, 200));
    EXPECT_EQ(image.GetBitsPerPixel(), 24) << "the caller's picture is left as it was";
}

TEST(DrawPalettedImage, FailsWithoutAContextOrAPicture)
{
    CZNImage image;
    ThreeByTwo(image);
    ZnCanvas canvas(6, 4);
    EXPECT_FALSE(DrawPalettedImage(nullptr, &image, 0, 0, 0, 0, false));
    EXPECT_FALSE(DrawPalettedImage(&canvas.Dc(), nullptr, 0, 0, 0, 0, true));
    CZNImage empty;
    EXPECT_FALSE(DrawPalettedImage(&canvas.Dc(), &empty, 0, 0, 0, 0, false));
    canvas.ExpectPixels([&](int, int) { return canvas.Background(); });
}

struct ZNHIGHLIGHTCASE {
    const char *name;
    BYTE value;
    BYTE target;
    BYTE expected;
};

class HighlightTest : public ::testing::TestWithParam<ZNHIGHLIGHTCASE>
{
protected:
    void SetUp() override { ZnGuiApp(); }
};

// Each channel moves toward the highlight by (target - value) * 127 / 256, rounded down on both
// sides of zero; the picture's own palette is not changed.
TEST_P(HighlightTest, EachChannelMovesTowardTheHighlight)
{
    const ZNHIGHLIGHTCASE &c = GetParam();
    HighlightColour highlight(RGB(c.target, 0, c.target));
    CZNImage image;
    ASSERT_TRUE(image.AllocImageMem(1, 1, 8, false));
    image.GetPalette()[0] = {c.value, 0, c.value, 0};
    ZnCanvas canvas(2, 1);
    ASSERT_TRUE(DrawPalettedImage(&canvas.Dc(), &image, 0, 0, 0, 0, true));
    ASSERT_TRUE(DrawPalettedImage(&canvas.Dc(), &image, 1, 0, 0, 0, false));
    EXPECT_EQ(canvas.At(0, 0), RGB(c.expected, 0, c.expected));
    EXPECT_EQ(canvas.At(1, 0), RGB(c.value, 0, c.value));
}

INSTANTIATE_TEST_SUITE_P(Values, HighlightTest,
                         ::testing::Values(ZNHIGHLIGHTCASE{"TwoHundredTowardZero", 200, 0, 100},
                                           ZNHIGHLIGHTCASE{"ZeroTowardFull", 0, 255, 126},
                                           ZNHIGHLIGHTCASE{"FullTowardZero", 255, 0, 128},
                                           ZNHIGHLIGHTCASE{"OneBelowRoundsDown", 1, 0, 0},
                                           ZNHIGHLIGHTCASE{"OneAboveStays", 10, 11, 10},
                                           ZNHIGHLIGHTCASE{"AtTheHighlight", 77, 77, 77}),
                         [](const auto &info) { return std::string(info.param.name); });
