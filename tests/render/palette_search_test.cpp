#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/image/color_quantizer.h"
#include "render/image/image.h"
#include "render/image/palette_search.h"

namespace
{

struct PaletteCase {
    const char *Name;
    std::vector<RGBQUAD> Palette;
};

void PrintTo(const PaletteCase &c, std::ostream *os)
{
    *os << c.Name;
}

std::vector<RGBQUAD> RandomPalette(int count, uint32_t seed, int levels)
{
    std::vector<RGBQUAD> palette(static_cast<size_t>(count));
    for (RGBQUAD &e : palette) {
        auto next = [&] {
            seed = seed * 1103515245u + 12345u;
            return static_cast<BYTE>((seed >> 16) % levels * (255 / (levels - 1)));
        };
        e = {next(), next(), next(), 0};
    }
    return palette;
}

// A picture of smooth ramps and noise.
CZNImage RampsAndNoise(DWORD width, DWORD height, uint32_t seed)
{
    CZNImage image;
    EXPECT_TRUE(image.AllocImageMem(width, height, 24, false));
    for (DWORD i = 0; i < image.GetPlaneSize(); ++i) {
        seed = seed * 1103515245u + 12345u;
        image.GetRedPlane()[i] = static_cast<BYTE>(i % width * 2 + (seed >> 28));
        image.GetGreenPlane()[i] = static_cast<BYTE>(i / width * 3);
        image.GetBluePlane()[i] = static_cast<BYTE>((seed >> 16) & 0xFF);
    }
    return image;
}

// The palette the quantizer gives such a picture.
std::vector<RGBQUAD> QuantizedPalette()
{
    CZNImage image = RampsAndNoise(96, 64, 99);
    CZNColorQuantizer quantizer;
    std::vector<RGBQUAD> palette(256);
    EXPECT_GT(quantizer.Build(&image, 256, 6), 0);
    palette.resize(static_cast<size_t>(quantizer.FillPalette(palette.data())));
    return palette;
}

std::vector<PaletteCase> PaletteCases()
{
    std::vector<PaletteCase> cases = {
        {"OneEntry", {{10, 200, 30, 0}}},           {"TwoEqualEntries", {{90, 90, 90, 0}, {90, 90, 90, 0}}},
        {"Seventeen", RandomPalette(17, 5, 256)},   {"Random256", RandomPalette(256, 7, 256)},
        {"ManyTies256", RandomPalette(256, 11, 4)}, // few distinct values: equal entries and distances
        {"Quantized", QuantizedPalette()},
    };
    std::vector<RGBQUAD> greys;
    for (int i = 0; i < 256; i += 3)
        greys.push_back({BYTE(255 - i), BYTE(255 - i), BYTE(255 - i), 0});
    cases.push_back({"Greys", greys});
    return cases;
}

class PaletteSearchCases : public ::testing::TestWithParam<PaletteCase>
{
};

} // namespace

// Every colour of a lattice, twice (the second time from the table of answers), and random
// colours get the index the exhaustive search gives.
TEST_P(PaletteSearchCases, AnswersAsTheExhaustiveSearch)
{
    const std::vector<RGBQUAD> &palette = GetParam().Palette;
    const int count = static_cast<int>(palette.size());
    CZNPaletteSearch search(palette.data(), count);
    for (int round = 0; round < 2; ++round)
        for (int r = 0; r < 256; r += 7)
            for (int g = 0; g < 256; g += 7)
                for (int b = 0; b < 256; b += 7)
                    ASSERT_EQ(search.Nearest(BYTE(r), BYTE(g), BYTE(b)),
                              CZNColorQuantizer::NearestColor(palette.data(), count, BYTE(r), BYTE(g), BYTE(b)))
                        << r << "," << g << "," << b;
    uint32_t seed = 3;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const BYTE r = BYTE(seed >> 8), g = BYTE(seed >> 16), b = BYTE(seed >> 24);
        ASSERT_EQ(search.Nearest(r, g, b), CZNColorQuantizer::NearestColor(palette.data(), count, r, g, b));
    }
}

INSTANTIATE_TEST_SUITE_P(Palettes, PaletteSearchCases, ::testing::ValuesIn(PaletteCases()),
                         [](const ::testing::TestParamInfo<PaletteCase> &info) {
                             return std::string(info.param.Name);
                         });

// Every colour of pictures reduced to 8 bits gets the exhaustive search's index, whatever colour
// was answered before it.
TEST(PaletteSearch, DepthChangeMapsEveryPixelToTheNearestEntry)
{
    for (uint32_t seed : {5u, 6u}) {
        CZNImage image = RampsAndNoise(64, 64, seed);
        const CZNImage original = image;
        CZNColorQuantizer quantizer;
        RGBQUAD palette[256];
        ASSERT_GT(quantizer.Build(&original, 256, 6), 0);
        const int count = quantizer.FillPalette(palette);
        ASSERT_TRUE(image.ChangeColorDepth(8, false));
        for (DWORD i = 0; i < image.GetPlaneSize(); ++i)
            ASSERT_EQ(image.GetRedPlane()[i],
                      CZNColorQuantizer::NearestColor(palette, count, original.GetRedPlane()[i],
                                                      original.GetGreenPlane()[i], original.GetBluePlane()[i]));
    }
}

// Colours far from every entry (254 and more away) are answered too, and ties there go to the
// lower index.
TEST(PaletteSearch, DistantColours)
{
    const RGBQUAD palette[3] = {{255, 255, 255, 0}, {250, 250, 250, 0}, {255, 255, 255, 0}};
    CZNPaletteSearch search(palette, 3);
    for (int v : {0, 1, 2, 3, 84, 85, 86, 128})
        for (int round = 0; round < 2; ++round)
            EXPECT_EQ(search.Nearest(BYTE(v), BYTE(v), BYTE(v)), 1) << v;
    EXPECT_EQ(search.Nearest(255, 255, 255), 0);
    EXPECT_EQ(search.Nearest(0, 0, 255), 1);
}

TEST(PaletteSearch, EmptyPaletteAnswersNothing)
{
    CZNPaletteSearch none(nullptr, 5);
    EXPECT_EQ(none.Nearest(1, 2, 3), -1);
    const RGBQUAD one = {1, 2, 3, 0};
    CZNPaletteSearch empty(&one, 0);
    EXPECT_EQ(empty.Nearest(1, 2, 3), -1);
}
