#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/editor_app.h"
#include "render/image/image.h"
#include "support/temp_dir.h"

namespace
{

// A 24-bit image whose pixel (x, y) is given by a function of x and y.
template <class F> CZNImage MakeRGB(DWORD w, DWORD h, bool alpha, F colour)
{
    CZNImage image;
    EXPECT_TRUE(image.AllocImageMem(w, h, 24, alpha));
    for (DWORD y = 0; y < h; ++y)
        for (DWORD x = 0; x < w; ++x) {
            const DWORD c = colour(x, y); // 0xAARRGGBB
            const DWORD i = y * w + x;
            image.GetRedPlane()[i] = static_cast<BYTE>(c >> 16);
            image.GetGreenPlane()[i] = static_cast<BYTE>(c >> 8);
            image.GetBluePlane()[i] = static_cast<BYTE>(c);
            if (alpha)
                image.GetAlphaPlane()[i] = static_cast<BYTE>(c >> 24);
        }
    return image;
}

DWORD PixelOf(const CZNImage &image, DWORD x, DWORD y)
{
    const DWORD i = y * image.GetWidth() + x;
    DWORD c = 0;
    if (image.GetBitsPerPixel() == 8) {
        const RGBQUAD &e = image.GetPalette()[image.GetRedPlane()[i]];
        c = (DWORD{e.rgbRed} << 16) | (DWORD{e.rgbGreen} << 8) | e.rgbBlue;
    } else {
        c = (DWORD{image.GetRedPlane()[i]} << 16) | (DWORD{image.GetGreenPlane()[i]} << 8) | image.GetBluePlane()[i];
    }
    if (image.GetAlphaPlane())
        c |= DWORD{image.GetAlphaPlane()[i]} << 24;
    return c;
}

_RAWOPTIONS Layout(DWORD w, DWORD h, BYTE bits, bool alpha, BYTE planes, BYTE a, BYTE r, BYTE g, BYTE b,
                   DWORD offset = 0, DWORD padding = 0, bool bottomUp = false)
{
    return _RAWOPTIONS{w, h, bits, alpha, planes, a, r, g, b, offset, padding, bottomUp};
}

} // namespace

TEST(Image, AllocationAndCopy)
{
    CZNImage image;
    EXPECT_EQ(image.GetBitsPerPixel(), 0);
    EXPECT_FALSE(image.AllocImageMem(4, 4, 16, false));
    EXPECT_FALSE(image.AllocImageMem(0, 4, 24, false));
    EXPECT_FALSE(image.AllocImageMem(0x10000, 0x10001, 8, false)); // more than 1 GiB per plane
    ASSERT_TRUE(image.AllocImageMem(3, 2, 8, true));
    EXPECT_EQ(image.GetPlaneSize(), 6u);
    ASSERT_NE(image.GetPalette(), nullptr);
    EXPECT_EQ(image.GetGreenPlane(), nullptr);
    image.GetRedPlane()[5] = 7;
    image.GetAlphaPlane()[1] = 9;
    image.GetPalette()[7].rgbGreen = 200;

    CZNImage copy(image);
    EXPECT_EQ(copy.GetWidth(), 3u);
    EXPECT_EQ(copy.GetHeight(), 2u);
    EXPECT_TRUE(copy.HasAlpha());
    EXPECT_NE(copy.GetRedPlane(), image.GetRedPlane());
    EXPECT_EQ(copy.GetRedPlane()[5], 7);
    EXPECT_EQ(copy.GetAlphaPlane()[1], 9);
    EXPECT_EQ(copy.GetPalette()[7].rgbGreen, 200);

    CZNImage other;
    other = copy;
    const CZNImage &self = other;
    other = self; // self-assignment changes nothing
    EXPECT_EQ(other.GetRedPlane()[5], 7);
    other.Release();
    EXPECT_EQ(other.GetWidth(), 0u);
    EXPECT_EQ(other.GetRedPlane(), nullptr);
    EXPECT_EQ(other.GetPalette(), nullptr);

    EXPECT_EQ(CZNImage::TransformDIBBpl(5, 24), 16u);
    EXPECT_EQ(CZNImage::TransformDIBBpl(5, 8), 8u);
    EXPECT_EQ(CZNImage::TransformDIBBpl(8, 8), 8u);
}

TEST(Image, ResizeReplicatesPixels)
{
    CZNImage one = MakeRGB(1, 1, true, [](DWORD, DWORD) { return 0x80123456u; });
    EXPECT_FALSE(one.Resize(static_cast<INTERPTYPE>(1), 4, 4));
    EXPECT_EQ(one.GetWidth(), 1u);
    ASSERT_TRUE(one.Resize(INTERP_PIXEL, 3, 2));
    for (DWORD y = 0; y < 2; ++y)
        for (DWORD x = 0; x < 3; ++x)
            EXPECT_EQ(PixelOf(one, x, y), 0x80123456u);

    // Shrinking 5 -> 2 picks source column ceil(5 * x / 2): 0 and 3; 4 -> 3 rows: 0, 2, 3.
    CZNImage image = MakeRGB(5, 4, false, [](DWORD x, DWORD y) { return x * 16 + y; });
    ASSERT_TRUE(image.Resize(INTERP_PIXEL, 2, 3));
    const DWORD rows[3] = {0, 2, 3};
    const DWORD cols[2] = {0, 3};
    for (DWORD y = 0; y < 3; ++y)
        for (DWORD x = 0; x < 2; ++x)
            EXPECT_EQ(PixelOf(image, x, y), cols[x] * 16 + rows[y]) << x << "," << y;

    // Enlarging never reads beyond the last row or column.
    CZNImage two = MakeRGB(2, 2, false, [](DWORD x, DWORD y) { return x * 16 + y; });
    ASSERT_TRUE(two.Resize(INTERP_PIXEL, 5, 5));
    EXPECT_EQ(PixelOf(two, 4, 4), 0x11u);
    EXPECT_EQ(PixelOf(two, 0, 0), 0u);
    EXPECT_EQ(PixelOf(two, 1, 1), 0x11u); // ceil(2 * 1 / 5) = 1

    // Longer rows: each target column x takes ceil(w * x / width) in 1/256 steps, the last at most.
    for (auto [from, to] : {std::pair<DWORD, DWORD>{256, 64}, {1000, 333}, {7, 3}, {3, 1000}, {999, 1000}}) {
        CZNImage row = MakeRGB(from, 1, false, [](DWORD x, DWORD) { return x; });
        ASSERT_TRUE(row.Resize(INTERP_PIXEL, to, 1));
        for (DWORD x = 0; x < to; ++x)
            ASSERT_EQ(PixelOf(row, x, 0), std::min<uint64_t>((uint64_t{from} * x * 256 / to + 255) / 256, from - 1))
                << from << " -> " << to << " column " << x;
    }

    EXPECT_FALSE(two.Resize(INTERP_PIXEL, 0, 5));
    EXPECT_EQ(two.GetWidth(), 5u);
}

TEST(Image, ResizeKeepsPaletteOfEightBitImage)
{
    CZNImage image;
    ASSERT_TRUE(image.AllocImageMem(2, 1, 8, false));
    image.GetRedPlane()[1] = 3;
    image.GetPalette()[3].rgbRed = 99;
    ASSERT_TRUE(image.Resize(INTERP_PIXEL, 4, 1));
    EXPECT_EQ(image.GetRedPlane()[3], 3);
    EXPECT_EQ(image.GetPalette()[3].rgbRed, 99);
}

TEST(Image, ChangeColorDepth)
{
    // Adding alpha fills it opaque.
    CZNImage image = MakeRGB(2, 2, false, [](DWORD x, DWORD y) { return 0x102030u * (x + 2 * y + 1); });
    ASSERT_TRUE(image.ChangeColorDepth(24, true));
    ASSERT_NE(image.GetAlphaPlane(), nullptr);
    for (DWORD i = 0; i < 4; ++i)
        EXPECT_EQ(image.GetAlphaPlane()[i], 255);
    ASSERT_TRUE(image.ChangeColorDepth(24, false));
    EXPECT_EQ(image.GetAlphaPlane(), nullptr);

    // Few colours: every colour gets its own entry and every pixel matches exactly.
    const DWORD colours[5] = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFEFEFE};
    CZNImage few = MakeRGB(7, 5, false, [&](DWORD x, DWORD y) { return colours[(x + y) % 5]; });
    ASSERT_TRUE(few.ChangeColorDepth(8, false));
    EXPECT_EQ(few.GetBitsPerPixel(), 8);
    EXPECT_EQ(few.GetGreenPlane(), nullptr);
    ASSERT_NE(few.GetPalette(), nullptr);
    std::set<BYTE> used;
    for (DWORD y = 0; y < 5; ++y)
        for (DWORD x = 0; x < 7; ++x) {
            EXPECT_EQ(PixelOf(few, x, y), colours[(x + y) % 5]);
            used.insert(few.GetRedPlane()[y * 7 + x]);
        }
    EXPECT_EQ(used.size(), 5u);

    // And back to 24 bits through the palette.
    ASSERT_TRUE(few.ChangeColorDepth(24, false));
    EXPECT_EQ(few.GetPalette(), nullptr);
    for (DWORD y = 0; y < 5; ++y)
        for (DWORD x = 0; x < 7; ++x)
            EXPECT_EQ(PixelOf(few, x, y), colours[(x + y) % 5]);

    // Unsupported depths release the image.
    EXPECT_FALSE(few.ChangeColorDepth(16, false));
    EXPECT_EQ(few.GetWidth(), 0u);
}

TEST(Image, QuantizerReducesManyColoursToAtMost256)
{
    // 64 x 64 distinct colours of a smooth ramp.
    CZNImage image = MakeRGB(64, 64, false, [](DWORD x, DWORD y) { return (x * 4) << 16 | (y * 4) << 8 | 0x80; });
    ASSERT_TRUE(image.ChangeColorDepth(8, false));
    int worst = 0;
    std::set<BYTE> used;
    for (DWORD y = 0; y < 64; ++y)
        for (DWORD x = 0; x < 64; ++x) {
            const DWORD c = PixelOf(image, x, y);
            used.insert(image.GetRedPlane()[y * 64 + x]);
            const int d = std::abs(int((c >> 16) & 0xFF) - int(x * 4)) + std::abs(int((c >> 8) & 0xFF) - int(y * 4)) +
                          std::abs(int(c & 0xFF) - 0x80);
            worst = std::max(worst, d);
        }
    EXPECT_LE(used.size(), 256u);
    EXPECT_GT(used.size(), 100u);
    EXPECT_LE(worst, 24); // a reduced cell spans 8 levels of red and green at most
}

TEST(Image, QuantizedNoisePicturesKeepTheirPalettesAndIndices)
{
    // Noisy pictures keep the tree at its colour limit, so nearly every pixel makes a new leaf
    // and a reduction follows: the palettes and indices below were taken from the plain
    // insert-then-reduce order, and any shortcut through the tree must give the same bytes.
    const struct {
        uint32_t seed;
        uint64_t hash;
    } cases[] = {{1u, 1978471805136840343ull}, {77u, 1296383535473619818ull}, {4242u, 12804126981954534878ull}};
    for (const auto &c : cases) {
        uint32_t noise = c.seed;
        CZNImage image = MakeRGB(64, 64, false, [&](DWORD x, DWORD y) {
            noise = noise * 1103515245u + 12345u;
            const DWORD red = (x * 4 + ((noise >> 16) & 15)) & 0xFF;
            const DWORD green = (y * 4 + ((noise >> 20) & 7)) & 0xFF;
            const DWORD blue = ((x ^ y) * 8 + (noise >> 27)) & 0xFF;
            return red << 16 | green << 8 | blue;
        });
        ASSERT_TRUE(image.ChangeColorDepth(8, false));
        uint64_t hash = 14695981039346656037ull;
        auto mix = [&](BYTE b) { hash = (hash ^ b) * 1099511628211ull; };
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD &e = image.GetPalette()[i];
            mix(e.rgbRed), mix(e.rgbGreen), mix(e.rgbBlue);
        }
        for (DWORD i = 0; i < 64 * 64; ++i)
            mix(image.GetRedPlane()[i]);
        EXPECT_EQ(hash, c.hash) << c.seed;
    }
}

TEST(Image, BlurAveragesInPlaceColumnByColumn)
{
    // One plane, 3 x 2: columns are visited first, so earlier results feed later ones.
    CZNImage image;
    ASSERT_TRUE(image.AllocImageMem(3, 2, 8, false));
    const BYTE start[6] = {90, 0, 0, 0, 0, 0};
    std::memcpy(image.GetRedPlane(), start, 6);
    image.Blur();
    // (0,0): (90+0+0+0)/4 = 22; (0,1): (22+0+0+0)/4 = 5; (1,0): (22+0+0+5+0+0)/6 = 4;
    // (1,1): (22+4+0+5+0+0)/6 = 5; (2,0): (4+0+5+0)/4 = 2; (2,1): (4+2+5+0)/4 = 2.
    const BYTE expected[6] = {22, 4, 2, 5, 5, 2};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(image.GetRedPlane()[i], expected[i]) << i;

    CZNImage flat = MakeRGB(4, 3, true, [](DWORD, DWORD) { return 0x7F405060u; });
    flat.Blur();
    for (DWORD y = 0; y < 3; ++y)
        for (DWORD x = 0; x < 4; ++x)
            EXPECT_EQ(PixelOf(flat, x, y), 0x7F405060u);
}

TEST(Image, MergeAlphaChannelBlendsTowardsKeyColour)
{
    CZNImage image = MakeRGB(3, 1, true, [](DWORD x, DWORD) {
        const DWORD alpha[3] = {255, 0, 128};
        return alpha[x] << 24 | 0x204060u;
    });
    ASSERT_TRUE(image.MergeAlphaChannel(0xFF0000));
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(image.GetAlphaPlane(), nullptr);
    EXPECT_EQ(PixelOf(image, 0, 0), 0x204060u); // opaque: unchanged
    // w = 255: red 0x20 + ((0xFF - 0x20) * 255 >> 8) = 0x20 + 0xDE; green 0x40 - 0x40 (-64 * 255 >> 8 = -64)
    EXPECT_EQ(PixelOf(image, 1, 0), 0xFE0000u | (0x40 + ((-0x40 * 255) >> 8)) << 8 | (0x60 + ((-0x60 * 255) >> 8)));
    // w = 127: 0x20 + (0xDF * 127 >> 8) = 0x20 + 110
    EXPECT_EQ((PixelOf(image, 2, 0) >> 16) & 0xFF, 0x20u + ((0xDFu * 127) >> 8));

    CZNImage plain = MakeRGB(1, 1, false, [](DWORD, DWORD) { return 0x010203u; });
    EXPECT_TRUE(plain.MergeAlphaChannel(0xFFFFFF));
    EXPECT_EQ(PixelOf(plain, 0, 0), 0x010203u);
    CZNImage indexed;
    ASSERT_TRUE(indexed.AllocImageMem(1, 1, 8, true));
    indexed.GetRedPlane()[0] = 5;
    EXPECT_TRUE(indexed.MergeAlphaChannel(0xFFFFFF));
    EXPECT_TRUE(indexed.HasAlpha());
    EXPECT_EQ(indexed.GetRedPlane()[0], 5);
}

TEST(Image, CompileRawDataLayouts)
{
    CZNImage image = MakeRGB(2, 2, true, [](DWORD x, DWORD y) { return 0xA0000000u | (x + 2 * y) * 0x111111u; });
    DWORD size = 0;
    RGBQUAD *palette = reinterpret_cast<RGBQUAD *>(1);

    // Interleaved BGR, bottom-up, padded rows, header space: the image itself is packed.
    _RAWOPTIONS bgr = Layout(2, 2, 24, false, 1, 0, 2, 1, 0, 3, 2, true);
    BYTE *raw = image.CompileRawData(bgr, size, &palette);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(palette, nullptr);
    ASSERT_EQ(size, 3u + (2 * 3 + 2) * 2);
    const BYTE expectBgr[16] = {0x22, 0x22, 0x22, 0x33, 0x33, 0x33, 0, 0, 0, 0, 0, 0x11, 0x11, 0x11, 0, 0};
    EXPECT_EQ(std::memcmp(raw + 3, expectBgr, 16), 0);
    delete[] raw;
    EXPECT_TRUE(image.HasAlpha()); // the image is unchanged

    // Interleaved 32 bits with alpha in byte 3.
    _RAWOPTIONS rgba = Layout(2, 2, 32, true, 1, 3, 0, 1, 2);
    raw = image.CompileRawData(rgba, size, nullptr);
    ASSERT_NE(raw, nullptr);
    ASSERT_EQ(size, 16u);
    EXPECT_EQ(raw[4 * 3 + 0], 0x33);
    EXPECT_EQ(raw[4 * 3 + 3], 0xA0);
    delete[] raw;

    // 24 bits interleaved with alpha: four bytes per pixel.
    _RAWOPTIONS rgbAlpha = Layout(2, 2, 24, true, 1, 3, 0, 1, 2);
    raw = image.CompileRawData(rgbAlpha, size, nullptr);
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(size, 16u);
    delete[] raw;

    // Planar: three planes one after the other.
    _RAWOPTIONS planar = Layout(2, 2, 24, false, 3, 0, 2, 1, 0);
    raw = image.CompileRawData(planar, size, nullptr);
    ASSERT_NE(raw, nullptr);
    ASSERT_EQ(size, 12u);
    const BYTE expectPlanar[4] = {0x00, 0x11, 0x22, 0x33};
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(std::memcmp(raw + 4 * p, expectPlanar, 4), 0);
    delete[] raw;

    // A different size and depth goes through a converted copy, with its palette.
    _RAWOPTIONS small = Layout(1, 1, 8, false, 1, 0, 0, 0, 0, 0, 3);
    raw = image.CompileRawData(small, size, &palette);
    ASSERT_NE(raw, nullptr);
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(palette[raw[0]].rgbRed, 0x00);
    delete[] raw;
    delete[] palette;
    EXPECT_EQ(image.GetWidth(), 2u);
    EXPECT_EQ(image.GetBitsPerPixel(), 24);

    // Invalid records.
    _RAWOPTIONS bad = Layout(2, 2, 8, false, 2, 0, 0, 0, 0);
    EXPECT_EQ(image.CompileRawData(bad, size, nullptr), nullptr);
}

namespace
{
DWORD U32At(const std::string &s, size_t at)
{
    return DWORD(BYTE(s[at])) | DWORD(BYTE(s[at + 1])) << 8 | DWORD(BYTE(s[at + 2])) << 16 |
           DWORD(BYTE(s[at + 3])) << 24;
}
} // namespace

TEST(Image, SaveBMPWritesBottomUpRowsAndHeaders)
{
    ZnTempDir dir;
    CZNImage image = MakeRGB(3, 2, true, [](DWORD x, DWORD y) { return 0x55000000u | (x + 3 * y + 1) * 0x010203u; });
    ASSERT_TRUE(image.SaveBMP(dir.File("rgb.bmp").c_str()));
    const std::string rgb = ZnReadFile(dir.File("rgb.bmp"));
    ASSERT_EQ(rgb.size(), 54u + 12 * 2);
    EXPECT_EQ(rgb.substr(0, 2), "BM");
    EXPECT_EQ(U32At(rgb, 2), 78u);
    EXPECT_EQ(U32At(rgb, 10), 54u);
    EXPECT_EQ(U32At(rgb, 14), 40u);
    EXPECT_EQ(U32At(rgb, 18), 3u);
    EXPECT_EQ(U32At(rgb, 22), 2u);
    EXPECT_EQ(U32At(rgb, 26), 0x00180001u); // one plane, 24 bits
    EXPECT_EQ(U32At(rgb, 30), 0u);
    EXPECT_EQ(U32At(rgb, 34), 24u);
    EXPECT_EQ(U32At(rgb, 38), 2835u);
    EXPECT_EQ(U32At(rgb, 42), 2835u);
    EXPECT_EQ(U32At(rgb, 46), 0u);
    // First stored row is the bottom one: pixel value 4 = 0x04080C as blue, green, red.
    EXPECT_EQ(BYTE(rgb[54]), 0x0C);
    EXPECT_EQ(BYTE(rgb[55]), 0x08);
    EXPECT_EQ(BYTE(rgb[56]), 0x04);
    EXPECT_EQ(BYTE(rgb[54 + 9]), 0); // padding
    EXPECT_EQ(BYTE(rgb[66]), 0x03);  // top row, first pixel: 0x010203
    EXPECT_TRUE(image.HasAlpha());

    CZNImage indexed;
    ASSERT_TRUE(indexed.AllocImageMem(2, 1, 8, false));
    indexed.GetRedPlane()[0] = 1;
    indexed.GetRedPlane()[1] = 2;
    indexed.GetPalette()[2].rgbBlue = 77;
    ASSERT_TRUE(indexed.SaveBMP(dir.File("pal.bmp").c_str()));
    const std::string pal = ZnReadFile(dir.File("pal.bmp"));
    ASSERT_EQ(pal.size(), 1078u + 4);
    EXPECT_EQ(U32At(pal, 10), 1078u);
    EXPECT_EQ(U32At(pal, 28) & 0xFFFF, 8u);
    EXPECT_EQ(BYTE(pal[54 + 8]), 77);
    EXPECT_EQ(BYTE(pal[1078]), 1);
    EXPECT_EQ(BYTE(pal[1079]), 2);

    // A failed save leaves the image as it was.
    EXPECT_FALSE(image.SaveBMP(dir.File("missing/folder.bmp").c_str()));
    EXPECT_EQ(image.GetWidth(), 3u);
    EXPECT_TRUE(image.HasAlpha());
    CZNImage empty;
    EXPECT_FALSE(empty.SaveBMP(dir.File("empty.bmp").c_str()));
}

TEST(Image, LoadResourceImageGivesA106By106EightBitPicture)
{
    ZnTempDir dir;
    const std::string previous = GetEditorApp()->GetProgramDirectory();
    GetEditorApp()->SetProgramDirectory(dir.Path().string());
    std::filesystem::create_directories(dir.Path() / "Resources");
    CZNImage picture = MakeRGB(4, 2, false, [](DWORD x, DWORD) { return x < 2 ? 0xFF0000u : 0x0000FFu; });
    ASSERT_TRUE(picture.SaveBMP((dir.Path() / "Resources" / "191.bmp").string().c_str()));
    ASSERT_TRUE(picture.SaveBMP((dir.Path() / "Resources" / "Splash.bmp").string().c_str()));

    CZNImage image;
    ASSERT_TRUE(image.LoadResourceImage(reinterpret_cast<const char *>(uintptr_t{191})));
    EXPECT_EQ(image.GetWidth(), 106u);
    EXPECT_EQ(image.GetHeight(), 106u);
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    EXPECT_EQ(PixelOf(image, 0, 0), 0xFF0000u);
    EXPECT_EQ(PixelOf(image, 105, 105), 0x0000FFu);
    ASSERT_TRUE(image.LoadResourceImage("Splash"));
    EXPECT_EQ(image.GetWidth(), 106u);
    EXPECT_FALSE(image.LoadResourceImage("Missing"));
    EXPECT_FALSE(image.LoadResourceImage(nullptr));
    GetEditorApp()->SetProgramDirectory(previous);
}
