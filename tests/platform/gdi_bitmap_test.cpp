#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <vector>

#include "platform/gdi/gdi_api.h"
#include "support/gdi_canvas.h"

namespace
{

// A distinct colour for every pixel position.
COLORREF Tag(int x, int y)
{
    return RGB(static_cast<BYTE>(10 + x * 13), static_cast<BYTE>(20 + y * 17), static_cast<BYTE>(x * y + 1));
}

void Paint(ZnCanvas &canvas)
{
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            CZNBrush brush(Tag(x, y));
            const RECT r{x, y, x + 1, y + 1};
            canvas.Dc().FillRect(&r, &brush);
        }
}

// An 8-bit DIB with its colour table: header followed by 256 entries.
struct Dib8 {
    std::vector<uint8_t> info;
    std::vector<uint8_t> bits;
    BITMAPINFO *Info() { return reinterpret_cast<BITMAPINFO *>(info.data()); }
    BITMAPINFOHEADER &Header() { return Info()->bmiHeader; }
};

// width x height, rows bottom-up padded to 4 bytes; pixel (x, y) (y from the top) has index 1 + y * width + x,
// and entry i of the colour table is (red i * 10, green 7, blue 200 - i).
Dib8 MakeDib8(int width, int height)
{
    Dib8 d;
    d.info.assign(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFOHEADER &h = d.Header();
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 8;
    h.biCompression = BI_RGB;
    auto *palette = reinterpret_cast<RGBQUAD *>(d.info.data() + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < 256; ++i)
        palette[i] = RGBQUAD{static_cast<BYTE>(200 - i), 7, static_cast<BYTE>(i * 10), 0};
    const int pitch = (width + 3) & ~3;
    d.bits.assign(static_cast<size_t>(pitch * height), 0xEE);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            d.bits[static_cast<size_t>((height - 1 - y) * pitch + x)] = static_cast<uint8_t>(1 + y * width + x);
    return d;
}

COLORREF PaletteColour(int index)
{
    return RGB(static_cast<BYTE>(index * 10), 7, static_cast<BYTE>(200 - index));
}

} // namespace

TEST(GdiBitmap, BitBltCopiesARegion)
{
    ZnCanvas source(12, 10);
    Paint(source);
    ZnCanvas dest(12, 10, RGB(1, 2, 3));
    EXPECT_TRUE(dest.Dc().BitBlt(5, 6, 4, 3, &source.Dc(), 2, 1, SRCCOPY));
    dest.ExpectPixels([&](int x, int y) {
        if (x >= 5 && x < 9 && y >= 6 && y < 9)
            return Tag(x - 3, y - 5);
        return dest.Background();
    });

    // Parts of the block outside the source or the destination are skipped.
    ZnCanvas edge(12, 10, RGB(1, 2, 3));
    EXPECT_TRUE(BitBlt(edge.Dc().GetSafeHdc(), 9, -2, 6, 6, source.Dc().GetSafeHdc(), -1, 0, SRCCOPY));
    edge.ExpectPixels([&](int x, int y) {
        // Destination x 10..11 takes source x 0..1, destination y 0..3 takes source y 2..5.
        if (x >= 10 && y < 4)
            return Tag(x - 10, y + 2);
        return edge.Background();
    });
    EXPECT_FALSE(dest.Dc().BitBlt(0, 0, 2, 2, &source.Dc(), 0, 0, 0x00660046));
}

TEST(GdiBitmap, BitBltWithinOneContextReadsTheOldPixels)
{
    ZnCanvas canvas(8, 4);
    Paint(canvas);
    canvas.Dc().BitBlt(1, 0, 6, 4, &canvas.Dc(), 0, 0, SRCCOPY);
    canvas.ExpectPixels([&](int x, int y) { return (x >= 1 && x < 7) ? Tag(x - 1, y) : Tag(x, y); });
}

TEST(GdiBitmap, MemoryContextsAndBitmapSelection)
{
    CZNDC first, second;
    ASSERT_TRUE(first.CreateCompatibleDC(nullptr));
    ASSERT_TRUE(second.CreateCompatibleDC(&first));
    CZNBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&first, 6, 5));
    EXPECT_EQ(bitmap.GetImage().pixel(3, 3), qRgb(0, 0, 0)) << "a new bitmap is black";
    CZNBitmap *stock = first.SelectObject(&bitmap);
    EXPECT_EQ(stock, CZNBitmap::GetStock());
    EXPECT_EQ(second.SelectObject(&bitmap), nullptr) << "a bitmap is in one context at a time";
    EXPECT_EQ(first.GetDeviceCaps(HORZRES), 6);
    EXPECT_EQ(first.GetDeviceCaps(LOGPIXELSY), 96);
    first.SelectObject(stock);
    EXPECT_EQ(second.SelectObject(&bitmap), stock);
    EXPECT_FALSE(bitmap.DeleteObject());
    second.SelectObject(stock);
    EXPECT_TRUE(bitmap.DeleteObject());
    EXPECT_FALSE(bitmap.CreateCompatibleBitmap(&first, 0, 5));
    EXPECT_FALSE(bitmap.CreateCompatibleBitmap(&first, 100000, 5));

    // A context over an image the caller owns draws into that image.
    QImage surface(8, 8, QImage::Format_RGB32);
    surface.fill(qRgb(0, 0, 0));
    CZNDC window;
    ASSERT_TRUE(window.AttachImage(&surface));
    EXPECT_EQ(window.SelectObject(&bitmap), nullptr);
    CZNBrush brush(RGB(9, 8, 7));
    const RECT r{2, 2, 4, 3};
    window.FillRect(&r, &brush);
    EXPECT_EQ(surface.pixel(3, 2), qRgb(9, 8, 7));
    EXPECT_EQ(surface.pixel(4, 2), qRgb(0, 0, 0));
    QImage wrongFormat(4, 4, QImage::Format_Grayscale8);
    CZNDC other;
    EXPECT_FALSE(other.AttachImage(&wrongFormat));
}

TEST(GdiBitmap, DibSectionSharesItsRowsWithTheContext)
{
    // The capture path: rows written into the section are what a blit from its context shows.
    const int width = 101, height = 3;
    BITMAPINFO info{};
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    void *bits = nullptr;
    HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(section->GetPitch(), 304) << "303 bytes of pixels and one of padding";
    auto *rows = static_cast<uint8_t *>(bits);
    for (int y = 0; y < height; ++y) // rows bottom-up, blue green red
        for (int x = 0; x < width; ++x) {
            uint8_t *p = rows + (height - 1 - y) * 304 + x * 3;
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y * 50);
            p[2] = 77;
        }
    HGDIOBJ old = SelectObject(dc, section);
    ASSERT_NE(old, nullptr);

    ZnCanvas picture(width, height);
    EXPECT_TRUE(BitBlt(picture.Dc().GetSafeHdc(), 0, 0, width, height, dc, 0, 0, SRCCOPY));
    picture.ExpectPixels([](int x, int y) { return RGB(77, static_cast<BYTE>(y * 50), static_cast<BYTE>(x)); });

    // Drawing into the context writes the section's rows.
    CZNBrush brush(RGB(1, 2, 3));
    const RECT r{100, 0, 101, 1};
    dc->FillRect(&r, &brush);
    const uint8_t *topRight = rows + 2 * 304 + 100 * 3;
    EXPECT_EQ(topRight[0], 3);
    EXPECT_EQ(topRight[1], 2);
    EXPECT_EQ(topRight[2], 1);
    EXPECT_EQ(rows[2 * 304 + 303], 0) << "padding untouched";

    EXPECT_FALSE(DeleteObject(section));
    EXPECT_EQ(SelectObject(dc, old), section);
    EXPECT_TRUE(DeleteObject(section));
    EXPECT_TRUE(DeleteDC(dc));

    info.bmiHeader.biBitCount = 8;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
}

TEST(GdiBitmap, StretchDIBitsDrawsAnEightBitImage)
{
    Dib8 dib = MakeDib8(3, 2);
    ZnCanvas canvas(10, 8);
    EXPECT_EQ(StretchDIBits(canvas.Dc().GetSafeHdc(), 1, 1, 3, 2, 0, 0, 3, 2, dib.bits.data(), dib.Info(),
                            DIB_RGB_COLORS, SRCCOPY),
              2);
    // Twice the size: every pixel becomes a 2 x 2 block.
    EXPECT_EQ(StretchDIBits(canvas.Dc().GetSafeHdc(), 4, 2, 6, 4, 0, 0, 3, 2, dib.bits.data(), dib.Info(),
                            DIB_RGB_COLORS, SRCCOPY),
              2);
    canvas.ExpectPixels([&](int x, int y) {
        if (x >= 1 && x < 4 && y >= 1 && y < 3)
            return PaletteColour(1 + (y - 1) * 3 + (x - 1));
        if (x >= 4 && x < 10 && y >= 2 && y < 6)
            return PaletteColour(1 + (y - 2) / 2 * 3 + (x - 4) / 2);
        return canvas.Background();
    });

    // With rows stored bottom-up the source rectangle is counted from the bottom row.
    ZnCanvas part(4, 4);
    Dib8 tall = MakeDib8(2, 4);
    part.Dc().StretchDIBits(0, 0, 2, 1, 0, 1, 2, 1, tall.bits.data(), tall.Info(), DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(part.At(0, 0), PaletteColour(1 + 2 * 2));
    EXPECT_EQ(part.At(1, 0), PaletteColour(1 + 2 * 2 + 1));
}

TEST(GdiBitmap, StretchDIBitsRefusesBadHeaders)
{
    struct Case {
        const char *name;
        void (*spoil)(BITMAPINFOHEADER &);
        UINT usage;
    };
    const std::vector<Case> cases = {
        {"short header", [](BITMAPINFOHEADER &h) { h.biSize = 12; }, DIB_RGB_COLORS},
        {"huge header", [](BITMAPINFOHEADER &h) { h.biSize = 0x7FFFFFFF; }, DIB_RGB_COLORS},
        {"4 bits", [](BITMAPINFOHEADER &h) { h.biBitCount = 4; }, DIB_RGB_COLORS},
        {"compressed", [](BITMAPINFOHEADER &h) { h.biCompression = 1; }, DIB_RGB_COLORS},
        {"too many colours", [](BITMAPINFOHEADER &h) { h.biClrUsed = 300; }, DIB_RGB_COLORS},
        {"no width", [](BITMAPINFOHEADER &h) { h.biWidth = 0; }, DIB_RGB_COLORS},
        {"negative width", [](BITMAPINFOHEADER &h) { h.biWidth = -3; }, DIB_RGB_COLORS},
        {"no height", [](BITMAPINFOHEADER &h) { h.biHeight = 0; }, DIB_RGB_COLORS},
        {"two planes", [](BITMAPINFOHEADER &h) { h.biPlanes = 2; }, DIB_RGB_COLORS},
        {"palette indices", [](BITMAPINFOHEADER &) {}, DIB_PAL_COLORS},
    };
    for (const Case &c : cases) {
        Dib8 dib = MakeDib8(3, 2);
        c.spoil(dib.Header());
        ZnCanvas canvas(6, 4);
        EXPECT_EQ(canvas.Dc().StretchDIBits(0, 0, 3, 2, 0, 0, 3, 2, dib.bits.data(), dib.Info(), c.usage, SRCCOPY), 0)
            << c.name;
        canvas.ExpectPixels([&](int, int) { return canvas.Background(); });
    }
}

TEST(GdiApi, MulDivRoundsToNearest)
{
    struct Case {
        int a, b, c, result;
    };
    const std::vector<Case> cases = {{8, 96, 72, 11},  {16, 96, 72, 21}, {7, 96, 72, 9}, {-5, 3, 2, -8},
                                     {5, 3, 2, 8},     {5, -3, 2, -8},   {1, 1, 0, -1},  {0x40000000, 4, 1, -1},
                                     {-7, 96, -72, 9}, {1, 1, 3, 0},     {2, 1, 3, 1}};
    for (const Case &c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << " * " << c.b << " / " << c.c;
}
