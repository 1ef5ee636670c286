#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <png.h>

#include "fileio/file_stream_io.h"
#include "fileio/memory_stream_io.h"
#include "image_fixtures.h"
#include "platform/os/byte_order.h"
#include "render/image/image.h"
#include "support/temp_dir.h"

namespace
{

void ExpectPixels(const CZNImage &image, uint32_t w, uint32_t h, const std::vector<uint32_t> &expected)
{
    ASSERT_EQ(image.GetWidth(), w);
    ASSERT_EQ(image.GetHeight(), h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            EXPECT_EQ(ZnPixel(image, x, y), expected[y * w + x]) << std::hex << "at " << x << "," << y;
}

// A 24-bit picture with alpha whose pixel values depend on the position.
CZNImage Gradient(uint32_t w, uint32_t h, bool alpha)
{
    CZNImage image;
    EXPECT_TRUE(image.AllocImageMem(w, h, 24, alpha));
    for (uint32_t i = 0; i < w * h; ++i) {
        image.GetRedPlane()[i] = static_cast<BYTE>(i * 7);
        image.GetGreenPlane()[i] = static_cast<BYTE>(255 - i * 3);
        image.GetBluePlane()[i] = static_cast<BYTE>(i * 13 + 1);
        if (alpha)
            image.GetAlphaPlane()[i] = static_cast<BYTE>(i * 29);
    }
    return image;
}

} // namespace

TEST(ImageBMP, SavedFilesReadBackExactly)
{
    ZnTempDir dir;
    // Odd widths exercise the row padding.
    for (uint32_t w : {1u, 3u, 5u}) {
        CZNImage rgb = Gradient(w, 3, true);
        ASSERT_TRUE(rgb.SaveBMP(dir.File("rgb.bmp").c_str()));
        CZNImage back;
        ASSERT_TRUE(back.LoadImageFile(dir.File("rgb.bmp").c_str()));
        EXPECT_EQ(back.GetBitsPerPixel(), 24);
        EXPECT_FALSE(back.HasAlpha());
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < w; ++x)
                EXPECT_EQ(ZnPixel(back, x, y), ZnPixel(rgb, x, y) & 0xFFFFFF);

        CZNImage indexed = Gradient(w, 3, false);
        ASSERT_TRUE(indexed.ChangeColorDepth(8, false));
        ASSERT_TRUE(indexed.SaveBMP(dir.File("pal.bmp").c_str()));
        ASSERT_TRUE(back.LoadImageFile(dir.File("pal.bmp").c_str()));
        EXPECT_EQ(back.GetBitsPerPixel(), 8);
        EXPECT_EQ(std::memcmp(back.GetRedPlane(), indexed.GetRedPlane(), indexed.GetPlaneSize()), 0);
        EXPECT_EQ(std::memcmp(back.GetPalette(), indexed.GetPalette(), 1024), 0);
    }
}

TEST(ImageBMP, IndexedDepthsHeadersAndRowOrder)
{
    CZNImage image;
    ASSERT_TRUE(ZnLoadImageBytes(image, ZnSampleBMP8()));
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    ExpectPixels(image, 3, 2, {0x0000FF, 0x00FF00, 0xFF0000, 0x808080, 0xFF0000, 0x00FF00});

    // 1 bit, colours used 0 (two entries), top-down, most significant bit first.
    ZnBytes one;
    one.Raw("BM").U32(0).U32(0).U32(62);
    one.U32(40).U32(10).U32(-2).U16(1).U16(1).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    one.U32(0x000000).U32(0xFFFFFF);
    one.U8(0b10110000).U8(0b01000000).U16(0).U8(0b00000000).U8(0b11000000).U16(0);
    ASSERT_TRUE(ZnLoadImageBytes(image, one.Data));
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    ExpectPixels(image, 10, 2, {0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0, 0,        0xFFFFFF,
                                0,        0, 0,        0,        0, 0, 0, 0, 0xFFFFFF, 0xFFFFFF});

    // 4 bits, colours used 0 (sixteen entries), high nibble first; a version-5 header and a gap
    // before the pixels that the data offset skips.
    ZnBytes four;
    four.Raw("BM").U32(0).U32(0).U32(14 + 124 + 64 + 6);
    four.U32(124).U32(3).U32(1).U16(1).U16(4).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).Fill(124 - 40, 0);
    for (uint32_t i = 0; i < 16; ++i)
        four.U32(i * 0x010101);
    four.Fill(6, 0xEE).U8(0xF1).U8(0x50).U16(0);
    ASSERT_TRUE(ZnLoadImageBytes(image, four.Data));
    ExpectPixels(image, 3, 1, {0x0F0F0F, 0x010101, 0x050505});
}

TEST(ImagePCX, PalettePlanesAndRuns)
{
    CZNImage image;
    ASSERT_TRUE(ZnLoadImageBytes(image, ZnSamplePCX8()));
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    const uint8_t expected[6] = {5, 5, 7, 0xC0, 1, 2};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(image.GetRedPlane()[i], expected[i]) << i;
    EXPECT_EQ(image.GetPalette()[7].rgbRed, 7);
    EXPECT_EQ(image.GetPalette()[7].rgbGreen, 248);
    EXPECT_EQ(image.GetPalette()[7].rgbBlue, 3);

    ASSERT_TRUE(ZnLoadImageBytes(image, ZnSamplePCX32()));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_TRUE(image.HasAlpha());
    ExpectPixels(image, 2, 1, {0xFF102030, 0xFF112031});

    // Three planes; two planes (16 bits) and other bit depths per plane are refused.
    std::string rgb = ZnSamplePCX32();
    rgb[65] = 3;
    ASSERT_TRUE(ZnLoadImageBytes(image, rgb));
    EXPECT_FALSE(image.HasAlpha());
    ExpectPixels(image, 2, 1, {0x102030, 0x112031});
    std::string two = ZnSamplePCX32();
    two[65] = 2;
    EXPECT_FALSE(ZnLoadImageBytes(image, two));
    std::string bits = ZnSamplePCX32();
    bits[3] = 1;
    EXPECT_FALSE(ZnLoadImageBytes(image, bits));
}

namespace
{

struct PcxCase {
    const char *Name;
    std::string Bytes;
    bool Readable;
};

void PrintTo(const PcxCase &c, std::ostream *os)
{
    *os << c.Name;
}

std::vector<PcxCase> PcxCases()
{
    auto patch = [](std::string bytes, size_t at, unsigned value) {
        bytes[at] = static_cast<char>(value);
        return bytes;
    };
    const std::string four = ZnSamplePCX32();
    return {
        {"EightBitsOnePlane", ZnSamplePCX8(), true},
        {"EightBitsThreePlanes", patch(four, 65, 3), true},
        {"EightBitsFourPlanes", four, true},
        {"OneBitOnePlane", patch(ZnSamplePCX8(), 3, 1), false},
        {"TwoBitsOnePlane", patch(ZnSamplePCX8(), 3, 2), false},
        {"FourBitsOnePlane", patch(ZnSamplePCX8(), 3, 4), false},
        {"OneBitFourPlanes", patch(four, 3, 1), false},
        {"EightBitsTwoPlanes", patch(four, 65, 2), false},
        {"XMaxBelowXMin", patch(ZnSamplePCX8(), 4, 9), false},
        {"LineShorterThanTheWidth", patch(ZnSamplePCX8(), 66, 2), false},
    };
}

class ImagePCXHeaders : public ::testing::TestWithParam<PcxCase>
{
};

} // namespace

// What the header test accepts the reader reads, and what it refuses no other format takes.
TEST_P(ImagePCXHeaders, RecognisedExactlyWhenReadable)
{
    const PcxCase &c = GetParam();
    std::string copy = c.Bytes;
    CZNMemoryStreamIO stream;
    ASSERT_TRUE(stream.Open(copy.data(), static_cast<DWORD>(copy.size()), 1, false));
    EXPECT_EQ(CZNImage::ValidImageFile(stream), c.Readable);
    CZNImage image;
    EXPECT_EQ(ZnLoadImageBytes(image, c.Bytes), c.Readable);
}

INSTANTIATE_TEST_SUITE_P(Cases, ImagePCXHeaders, ::testing::ValuesIn(PcxCases()),
                         [](const ::testing::TestParamInfo<PcxCase> &info) { return std::string(info.param.Name); });

TEST(ImageTGA, RawAndRunLengthPixels)
{
    CZNImage image;
    ASSERT_TRUE(ZnLoadImageBytes(image, ZnSampleTGARLE()));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_TRUE(image.HasAlpha());
    ExpectPixels(image, 3, 2, {0xFF302010, 0xFF302010, 0x04030201, 0x08070605, 0x80CCBBAA, 0x80CCBBAA});

    // Uncompressed 24 bits, bottom row first.
    ZnBytes raw;
    raw.U8(0).U8(0).U8(2).Fill(5, 0).U16(0).U16(0).U16(2).U16(2).U8(24).U8(0);
    raw.U8(1).U8(2).U8(3).U8(4).U8(5).U8(6).U8(7).U8(8).U8(9).U8(10).U8(11).U8(12);
    ASSERT_TRUE(ZnLoadImageBytes(image, raw.Data));
    EXPECT_FALSE(image.HasAlpha());
    ExpectPixels(image, 2, 2, {0x090807, 0x0C0B0A, 0x030201, 0x060504});

    // 16 bits: 5-5-5 samples; the attribute bit is alpha only when the descriptor has alpha bits.
    for (unsigned descriptor : {0x20u, 0x21u}) {
        ZnBytes sixteen;
        sixteen.U8(0).U8(0).U8(2).Fill(5, 0).U16(0).U16(0).U16(2).U16(1).U8(16).U8(descriptor);
        sixteen.U16(0x7C00).U16(0x83E0 | 0x001F);
        ASSERT_TRUE(ZnLoadImageBytes(image, sixteen.Data));
        ExpectPixels(image, 2, 1, {descriptor == 0x20 ? 0xFFF80000u : 0x00F80000u, 0xFF00F8F8u});
    }

    // Other pixel depths are refused.
    std::string eight = raw.Data;
    eight[16] = 8;
    EXPECT_FALSE(ZnLoadImageBytes(image, eight));
}

namespace
{

// A TGA header: id length, colour-map type, image type, colour-map length and entry bits, size,
// pixel bits and descriptor.
ZnBytes TgaHeader(unsigned type, unsigned width, unsigned height, unsigned bits, unsigned descriptor,
                  unsigned mapLength = 0, unsigned mapBits = 0)
{
    ZnBytes b;
    b.U8(0).U8(mapLength ? 1 : 0).U8(type).U16(0).U16(mapLength).U8(mapBits);
    b.U16(0).U16(0).U16(width).U16(height).U8(bits).U8(descriptor);
    return b;
}

// Appends an extension area with the given alpha attribute type at offset, and the footer naming
// it (offset 0: the footer names none).
std::string WithExtension(std::string file, unsigned attribute, uint32_t offset)
{
    ZnBytes b;
    b.Raw(file);
    const uint32_t at = static_cast<uint32_t>(file.size());
    b.U16(495).Fill(492, 0).U8(attribute);
    b.U32(offset == ~0u ? at : offset).U32(0).Raw("TRUEVISION-XFILE.").U8(0);
    return b.Data;
}

struct TgaCase {
    const char *Name;
    std::string Bytes;
    uint32_t Width, Height;
    std::vector<uint32_t> Pixels; // 0xAARRGGBB, top row first; alpha 0 without an alpha plane
};

void PrintTo(const TgaCase &c, std::ostream *os)
{
    *os << c.Name;
}

std::vector<TgaCase> TgaCases()
{
    std::vector<TgaCase> cases;
    // Colour maps are skipped by whole bytes per entry: 15-bit entries take 2.
    ZnBytes mapped = TgaHeader(2, 2, 1, 24, 0x20, 3, 15);
    mapped.Fill(6, 0x77).U8(1).U8(2).U8(3).U8(4).U8(5).U8(6);
    cases.push_back({"ColourMapOf15BitEntries", mapped.Data, 2, 1, {0x030201, 0x060504}});
    ZnBytes mappedRle = TgaHeader(10, 3, 1, 16, 0x20, 2, 15);
    mappedRle.Fill(4, 0x77).U8(0x82).U16(0x7C00);
    cases.push_back({"ColourMapOf15BitEntriesRunLength", mappedRle.Data, 3, 1, {0xFFF80000, 0xFFF80000, 0xFFF80000}});

    // Stored pixels A B / C D; descriptor bit 4 stores each row right to left.
    for (unsigned descriptor : {0x30u, 0x10u}) {
        ZnBytes b = TgaHeader(2, 2, 2, 24, descriptor);
        for (unsigned v : {0xA0u, 0xB0u, 0xC0u, 0xD0u})
            b.U8(v).U8(v + 1).U8(v + 2);
        const uint32_t A = 0xA2A1A0, B = 0xB2B1B0, C = 0xC2C1C0, D = 0xD2D1D0;
        if (descriptor == 0x30)
            cases.push_back({"RightToLeftTopDown", b.Data, 2, 2, {B, A, D, C}});
        else
            cases.push_back({"RightToLeftBottomUp", b.Data, 2, 2, {D, C, B, A}});
    }
    ZnBytes rle = TgaHeader(10, 3, 2, 24, 0x30);
    rle.U8(0x83).U8(1).U8(2).U8(3); // run of 4 over the row end
    rle.U8(0x01).U8(4).U8(5).U8(6).U8(7).U8(8).U8(9);
    cases.push_back(
        {"RightToLeftRunLength", rle.Data, 3, 2, {0x030201, 0x030201, 0x030201, 0x090807, 0x060504, 0x030201}});

    // 32 bits with alpha bytes 0x00 and 0x40 and an extension area naming the alpha's kind.
    ZnBytes junk = TgaHeader(2, 2, 1, 32, 0x28);
    junk.U8(1).U8(2).U8(3).U8(0x00).U8(4).U8(5).U8(6).U8(0x40);
    const std::vector<uint32_t> opaque = {0xFF030201, 0xFF060504}, kept = {0x00030201, 0x40060504};
    cases.push_back({"ExtensionSaysNoAlpha", WithExtension(junk.Data, 0, ~0u), 2, 1, opaque});
    cases.push_back({"ExtensionSaysUndefinedAlpha", WithExtension(junk.Data, 1, ~0u), 2, 1, opaque});
    cases.push_back({"ExtensionSaysAlphaToKeep", WithExtension(junk.Data, 2, ~0u), 2, 1, opaque});
    cases.push_back({"ExtensionSaysUsefulAlpha", WithExtension(junk.Data, 3, ~0u), 2, 1, kept});
    cases.push_back({"ExtensionOffsetIntoHeader", WithExtension(junk.Data, 0, 4), 2, 1, kept});
    cases.push_back({"ExtensionOffsetIntoFooter", WithExtension(junk.Data, 0, 40), 2, 1, kept});
    cases.push_back({"WithoutExtension", junk.Data, 2, 1, kept});

    // Alpha that is 0 for every pixel holds nothing either.
    ZnBytes clear = TgaHeader(2, 2, 1, 32, 0x28);
    clear.U8(1).U8(2).U8(3).U8(0).U8(4).U8(5).U8(6).U8(0);
    cases.push_back({"AllZeroAlpha", clear.Data, 2, 1, opaque});
    ZnBytes clearRle = TgaHeader(10, 2, 1, 32, 0x28);
    clearRle.U8(0x81).U8(1).U8(2).U8(3).U8(0);
    cases.push_back({"AllZeroAlphaRunLength", clearRle.Data, 2, 1, {0xFF030201, 0xFF030201}});
    ZnBytes clear16 = TgaHeader(2, 2, 1, 16, 0x21);
    clear16.U16(0x7C00).U16(0x001F);
    cases.push_back({"AllZeroAttributeBits", clear16.Data, 2, 1, {0xFFF80000, 0xFF0000F8}});
    return cases;
}

class ImageTGAFiles : public ::testing::TestWithParam<TgaCase>
{
};

} // namespace

TEST_P(ImageTGAFiles, LoadAsStored)
{
    const TgaCase &c = GetParam();
    CZNImage image;
    ASSERT_TRUE(ZnLoadImageBytes(image, c.Bytes));
    ExpectPixels(image, c.Width, c.Height, c.Pixels);
}

INSTANTIATE_TEST_SUITE_P(Cases, ImageTGAFiles, ::testing::ValuesIn(TgaCases()),
                         [](const ::testing::TestParamInfo<TgaCase> &info) { return std::string(info.param.Name); });

TEST(ImagePSD, ChannelsRawAndPackBits)
{
    CZNImage image;
    ASSERT_TRUE(ZnLoadImageBytes(image, ZnSamplePSDRLE()));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_TRUE(image.HasAlpha());
    ExpectPixels(image, 2, 2, {0xC8010905, 0xC8020906, 0xC8030907, 0xC8040907});

    auto raw = [](unsigned channels) {
        ZnBytes b;
        b.U32BE(0x38425053).U16BE(1).Fill(6, 0).U16BE(channels).U32BE(1).U32BE(2).U16BE(8).U16BE(3);
        b.U32BE(0).U32BE(0).U32BE(0).U16BE(0);
        for (unsigned c = 0; c < channels; ++c)
            b.U8(0x10 * (c + 1)).U8(0x10 * (c + 1) + 1);
        return b.Data;
    };
    ASSERT_TRUE(ZnLoadImageBytes(image, raw(3)));
    EXPECT_FALSE(image.HasAlpha());
    ExpectPixels(image, 2, 1, {0x102030, 0x112131});
    // One channel is grey.
    ASSERT_TRUE(ZnLoadImageBytes(image, raw(1)));
    EXPECT_EQ(image.GetBitsPerPixel(), 8);
    ExpectPixels(image, 2, 1, {0x101010, 0x111111});
    EXPECT_FALSE(ZnLoadImageBytes(image, raw(2)));
    EXPECT_FALSE(ZnLoadImageBytes(image, raw(5)));
}

TEST(ImagePNG, EveryColourTypeAndDepth)
{
    struct Case {
        const char *name;
        ZnPngPicture picture;
        BYTE bits;
        bool alpha;
        std::vector<uint32_t> pixels;
    };
    const std::vector<uint8_t> palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30};
    const std::vector<Case> cases = {
        {"rgb8",
         {2, 1, PNG_COLOR_TYPE_RGB, 8, false, {"\x01\x02\x03\x04\x05\x06"}, {}, {}},
         24,
         false,
         {0x010203, 0x040506}},
        {"rgba8",
         {2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, {std::string("\x01\x02\x03\x80\x04\x05\x06\x00", 8)}, {}, {}},
         24,
         true,
         {0x80010203, 0x00040506}},
        {"rgb16", {1, 1, PNG_COLOR_TYPE_RGB, 16, false, {"\x12\x34\x56\x78\x9A\xBC"}, {}, {}}, 24, false, {0x12569A}},
        {"grey1", {3, 1, PNG_COLOR_TYPE_GRAY, 1, false, {"\xA0"}, {}, {}}, 8, false, {0xFFFFFF, 0x000000, 0xFFFFFF}},
        {"grey8", {2, 1, PNG_COLOR_TYPE_GRAY, 8, false, {"\x40\x41"}, {}, {}}, 8, false, {0x404040, 0x414141}},
        {"greyalpha", {1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {"\x40\x7F"}, {}, {}}, 8, true, {0x7F404040}},
        {"palette4",
         {3, 1, PNG_COLOR_TYPE_PALETTE, 4, false, {"\x31\x20"}, palette, {}},
         8,
         false,
         {0x0A141E, 0x00FF00, 0x0000FF}},
        {"palettetrns",
         {2, 1, PNG_COLOR_TYPE_PALETTE, 8, false, {std::string("\x00\x03", 2)}, palette, {0x40}},
         24,
         true,
         {0x40FF0000, 0xFF0A141E}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CZNImage image;
        const std::string bytes = ZnWritePng(c.picture);
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(ZnLoadImageBytes(image, bytes));
        EXPECT_EQ(image.GetBitsPerPixel(), c.bits);
        EXPECT_EQ(image.HasAlpha(), c.alpha);
        ExpectPixels(image, c.picture.Width, c.picture.Height, c.pixels);
    }
}

TEST(ImagePNG, InterlacedPicturesReadEveryPass)
{
    ZnPngPicture picture{13, 11, PNG_COLOR_TYPE_RGB, 8, true, {}, {}, {}};
    std::vector<uint32_t> expected;
    for (uint32_t y = 0; y < picture.Height; ++y) {
        std::string row;
        for (uint32_t x = 0; x < picture.Width; ++x) {
            const uint32_t c = (x * 19) << 16 | (y * 23) << 8 | ((x + y) * 5);
            row += static_cast<char>(c >> 16);
            row += static_cast<char>(c >> 8);
            row += static_cast<char>(c);
            expected.push_back(c);
        }
        picture.Rows.push_back(row);
    }
    CZNImage image;
    ASSERT_TRUE(ZnLoadImageBytes(image, ZnWritePng(picture)));
    ExpectPixels(image, picture.Width, picture.Height, expected);
}

namespace
{

struct InterlacedCase {
    const char *Name;
    uint32_t Width, Height;
    int ColourType, Depth;
    bool Transparency;
};

void PrintTo(const InterlacedCase &c, std::ostream *os)
{
    *os << c.Name;
}

// A picture of the case's layout with samples that differ from pixel to pixel.
ZnPngPicture InterlacedCasePicture(const InterlacedCase &c, bool interlaced)
{
    ZnPngPicture picture{c.Width, c.Height, c.ColourType, c.Depth, interlaced, {}, {}, {}};
    const int channels = c.ColourType == PNG_COLOR_TYPE_RGB          ? 3
                         : c.ColourType == PNG_COLOR_TYPE_RGB_ALPHA  ? 4
                         : c.ColourType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                                     : 1;
    const uint32_t bitsPerRow = c.Width * channels * c.Depth;
    uint32_t seed = 7;
    for (uint32_t y = 0; y < c.Height; ++y) {
        std::string row((bitsPerRow + 7) / 8, '\0');
        for (uint32_t bit = 0; bit < bitsPerRow; bit += c.Depth) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t value = (seed >> 16) & ((1u << c.Depth) - 1) & (c.Depth == 16 ? 0xFFFF : 0xFF);
            if (c.Depth == 16) {
                row[bit / 8] = static_cast<char>(value >> 8);
                row[bit / 8 + 1] = static_cast<char>(value);
            } else {
                row[bit / 8] = static_cast<char>(row[bit / 8] | (value << (8 - c.Depth - bit % 8)));
            }
        }
        picture.Rows.push_back(row);
    }
    if (c.ColourType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i < (1 << c.Depth); ++i)
            picture.Palette.insert(picture.Palette.end(), {uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 5)});
        if (c.Transparency)
            picture.Transparency = {0x00, 0x80};
    }
    return picture;
}

class ImagePNGInterlaced : public ::testing::TestWithParam<InterlacedCase>
{
};

} // namespace

// Every pass lands where it belongs: an interlaced file loads exactly as the same picture stored
// plainly, down to pictures too small for some passes.
TEST_P(ImagePNGInterlaced, LoadsAsThePlainPicture)
{
    const InterlacedCase &c = GetParam();
    CZNImage plain, interlaced;
    ASSERT_TRUE(ZnLoadImageBytes(plain, ZnWritePng(InterlacedCasePicture(c, false))));
    ASSERT_TRUE(ZnLoadImageBytes(interlaced, ZnWritePng(InterlacedCasePicture(c, true))));
    ASSERT_EQ(interlaced.GetBitsPerPixel(), plain.GetBitsPerPixel());
    ASSERT_EQ(interlaced.HasAlpha(), plain.HasAlpha());
    std::vector<uint32_t> expected;
    for (uint32_t y = 0; y < c.Height; ++y)
        for (uint32_t x = 0; x < c.Width; ++x)
            expected.push_back(ZnPixel(plain, x, y));
    ExpectPixels(interlaced, c.Width, c.Height, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImagePNGInterlaced,
    ::testing::Values(InterlacedCase{"OnePixel", 1, 1, PNG_COLOR_TYPE_RGB, 8, false},
                      InterlacedCase{"OneRow", 9, 1, PNG_COLOR_TYPE_RGB, 8, false},
                      InterlacedCase{"OneColumn", 1, 9, PNG_COLOR_TYPE_RGB, 8, false},
                      InterlacedCase{"ThreeByTwo", 3, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, false},
                      InterlacedCase{"Rgb", 37, 29, PNG_COLOR_TYPE_RGB, 8, false},
                      InterlacedCase{"Rgba16", 17, 23, PNG_COLOR_TYPE_RGB_ALPHA, 16, false},
                      InterlacedCase{"Grey2", 21, 13, PNG_COLOR_TYPE_GRAY, 2, false},
                      InterlacedCase{"GreyAlpha", 19, 12, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false},
                      InterlacedCase{"Palette1", 33, 10, PNG_COLOR_TYPE_PALETTE, 1, false},
                      InterlacedCase{"Palette4Transparent", 15, 17, PNG_COLOR_TYPE_PALETTE, 4, true}),
    [](const ::testing::TestParamInfo<InterlacedCase> &info) { return std::string(info.param.Name); });

TEST(ImageJPG, ColourAndGreyWithinTolerance)
{
    const uint32_t w = 16, h = 8;
    std::vector<uint8_t> rgb, grey;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            rgb.push_back(static_cast<uint8_t>(x * 6));
            rgb.push_back(static_cast<uint8_t>(y * 12));
            rgb.push_back(128);
            grey.push_back(static_cast<uint8_t>(x * 8 + y * 4));
        }
    CZNImage image;
    ASSERT_TRUE(ZnLoadImageBytes(image, ZnWriteJpeg(w, h, 3, rgb)));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    EXPECT_FALSE(image.HasAlpha());
    ASSERT_EQ(image.GetWidth(), w);
    ASSERT_EQ(image.GetHeight(), h);
    for (uint32_t i = 0; i < w * h; ++i) {
        EXPECT_NEAR(image.GetRedPlane()[i], rgb[3 * i], 8) << i;
        EXPECT_NEAR(image.GetGreenPlane()[i], rgb[3 * i + 1], 8) << i;
        EXPECT_NEAR(image.GetBluePlane()[i], rgb[3 * i + 2], 8) << i;
    }

    // The library converts grey pictures to RGB: every pixel is grey.
    ASSERT_TRUE(ZnLoadImageBytes(image, ZnWriteJpeg(w, h, 1, grey)));
    EXPECT_EQ(image.GetBitsPerPixel(), 24);
    for (uint32_t i = 0; i < w * h; ++i) {
        EXPECT_NEAR(image.GetRedPlane()[i], grey[i], 6) << i;
        EXPECT_EQ(image.GetRedPlane()[i], image.GetGreenPlane()[i]);
        EXPECT_EQ(image.GetRedPlane()[i], image.GetBluePlane()[i]);
    }
}

namespace
{

// The PSD sample with image resources of 1000 bytes: its header runs far into the file.
std::string PsdWithLongResources()
{
    const std::string psd = ZnSamplePSDRLE();
    const size_t modeLength = ZnGetU32BE(reinterpret_cast<const BYTE *>(psd.data()) + 26);
    const size_t resourcesAt = 30 + modeLength;
    const size_t resourcesLength = ZnGetU32BE(reinterpret_cast<const BYTE *>(psd.data()) + resourcesAt);
    std::string resources(4 + 1000, '\0');
    resources[2] = 0x03;
    resources[3] = static_cast<char>(0xE8);
    return psd.substr(0, resourcesAt) + resources + psd.substr(resourcesAt + 4 + resourcesLength);
}

} // namespace

TEST(ImageFormats, RecognisedByContentNotName)
{
    ZnTempDir dir;
    const std::vector<std::string> samples = {ZnSampleBMP8(),
                                              ZnSamplePCX8(),
                                              ZnSampleTGARLE(),
                                              ZnSamplePSDRLE(),
                                              PsdWithLongResources(),
                                              ZnWritePng({1, 1, PNG_COLOR_TYPE_RGB, 8, false, {"abc"}, {}, {}}),
                                              ZnWriteJpeg(8, 8, 3, std::vector<uint8_t>(8 * 8 * 3, 99))};
    for (size_t i = 0; i < samples.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string path = dir.File("picture" + std::to_string(i) + ".txt");
        ZnWriteFile(path, samples[i]);
        EXPECT_TRUE(CZNImage::ValidImageFile(path.c_str()));
        CZNImage image;
        EXPECT_TRUE(image.LoadImageFile(path.c_str()));

        // Behind other bytes: the tests and the loaders start at the stream's position.
        std::string padded = "0123" + samples[i];
        CZNMemoryStreamIO stream;
        ASSERT_TRUE(stream.Open(padded.data(), static_cast<DWORD>(padded.size()), 1, false));
        ASSERT_EQ(stream.Seek(4, 0), 4);
        EXPECT_TRUE(CZNImage::ValidImageFile(stream));
        EXPECT_EQ(stream.Tell(), 4);
        EXPECT_TRUE(image.LoadImageFile(stream));
        EXPECT_GT(image.GetWidth(), 0u);
    }

    ZnWriteFile(dir.File("text.bmp"), "BM this is not a picture at all, only some words of text.");
    EXPECT_FALSE(CZNImage::ValidImageFile(dir.File("text.bmp").c_str()));
    CZNImage image;
    ASSERT_TRUE(ZnLoadImageBytes(image, ZnSampleBMP8()));
    EXPECT_FALSE(image.LoadImageFile(dir.File("text.bmp").c_str()));
    EXPECT_EQ(image.GetWidth(), 0u); // released before trying
    EXPECT_FALSE(image.LoadImageFile(dir.File("missing.bmp").c_str()));
    EXPECT_FALSE(CZNImage::ValidImageFile(dir.File("missing.bmp").c_str()));
    CZNFileStreamIO closed;
    EXPECT_FALSE(image.LoadImageFile(closed));
    EXPECT_FALSE(CZNImage::ValidImageFile(closed));
}

TEST(ImageRaw, LoadRawImageReadsWhatCompileRawDataPacks)
{
    const CZNImage source = Gradient(5, 3, true);
    const std::vector<_RAWOPTIONS> layouts = {
        {5, 3, 24, false, 1, 0, 2, 1, 0, 0, 1, true},  // BGR, padded, bottom-up
        {5, 3, 24, true, 1, 3, 0, 1, 2, 7, 0, false},  // RGB + alpha byte, header space
        {5, 3, 32, true, 1, 0, 1, 2, 3, 0, 0, false},  // ARGB
        {5, 3, 32, true, 4, 3, 0, 1, 2, 0, 2, true},   // four planes
        {5, 3, 24, false, 3, 0, 0, 1, 2, 0, 0, false}, // three planes
    };
    for (size_t i = 0; i < layouts.size(); ++i) {
        SCOPED_TRACE(i);
        _RAWOPTIONS options = layouts[i];
        CZNImage image = source;
        DWORD size = 0;
        BYTE *raw = image.CompileRawData(options, size, nullptr);
        ASSERT_NE(raw, nullptr);
        CZNMemoryStreamIO stream;
        ASSERT_TRUE(stream.Open(raw, size, 1, false));
        CZNImage back;
        ASSERT_TRUE(back.LoadRawImage(stream, options));
        EXPECT_EQ(back.HasAlpha(), options.Alpha);
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 5; ++x)
                EXPECT_EQ(ZnPixel(back, x, y), ZnPixel(source, x, y) & (options.Alpha ? 0xFFFFFFFF : 0xFFFFFF));
        stream.Close();
        delete[] raw;
    }

    // An 8-bit layout carries the indices; the caller supplies the palette.
    ZnTempDir dir;
    ZnWriteFile(dir.File("indices.raw"), std::string("\x01\x02\x03\x04", 4));
    CZNImage indexed;
    _RAWOPTIONS eight{2, 2, 8, false, 1, 0, 0, 0, 0, 0, 0, true};
    ASSERT_TRUE(indexed.LoadRawImage(dir.File("indices.raw").c_str(), eight));
    EXPECT_EQ(indexed.GetBitsPerPixel(), 8);
    EXPECT_EQ(indexed.GetRedPlane()[0], 3);
    EXPECT_EQ(indexed.GetRedPlane()[3], 2);
    EXPECT_FALSE(indexed.LoadRawImage(dir.File("missing.raw").c_str(), eight));

    // Short data and inconsistent records fail and release the image.
    const std::vector<_RAWOPTIONS> bad = {
        {3, 2, 8, false, 1, 0, 0, 0, 0, 0, 0, false},  // 6 bytes needed, 4 given
        {2, 2, 8, false, 2, 0, 0, 0, 0, 0, 0, false},  // 8 bits in two planes
        {2, 2, 8, false, 1, 0, 1, 0, 0, 0, 0, false},  // 8 bits with red index 1
        {2, 2, 24, false, 2, 0, 0, 1, 2, 0, 0, false}, // 24 bits in two planes
        {2, 2, 24, false, 1, 0, 3, 1, 2, 0, 0, false}, // red beyond the pixel
        {2, 2, 32, true, 1, 4, 0, 1, 2, 0, 0, false},  // alpha beyond the pixel
        {2, 2, 16, false, 1, 0, 0, 1, 2, 0, 0, false}, // 16 bits
        {0, 2, 8, false, 1, 0, 0, 0, 0, 0, 0, false},  // no width
    };
    for (const _RAWOPTIONS &options : bad) {
        ASSERT_TRUE(indexed.LoadRawImage(dir.File("indices.raw").c_str(), eight));
        EXPECT_FALSE(indexed.LoadRawImage(dir.File("indices.raw").c_str(), options));
        EXPECT_EQ(indexed.GetWidth(), 0u);
    }
}
