#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "image_fixtures.h"
#include "render/image/image.h"

// Pictures written by other programs: the BMP suite's good, questionable and bad files with
// their reference PNGs, and PCX files with references.
namespace
{

const std::string kData = std::string(ZN_TEST_DATA_DIR) + "/images/";

// Both pictures as 24-bit colour must be the same pixel for pixel.
void ExpectSamePicture(const std::string &file, const std::string &reference)
{
    CZNImage image, expected;
    ASSERT_TRUE(image.LoadImageFile((kData + file).c_str())) << file;
    ASSERT_TRUE(expected.LoadImageFile((kData + reference).c_str())) << reference;
    ASSERT_TRUE(image.ChangeColorDepth(24, false));
    ASSERT_TRUE(expected.ChangeColorDepth(24, false));
    ASSERT_EQ(image.GetWidth(), expected.GetWidth()) << file;
    ASSERT_EQ(image.GetHeight(), expected.GetHeight()) << file;
    int differences = 0;
    for (uint32_t y = 0; y < image.GetHeight(); ++y)
        for (uint32_t x = 0; x < image.GetWidth(); ++x)
            differences += ZnPixel(image, x, y) != ZnPixel(expected, x, y);
    EXPECT_EQ(differences, 0) << file;
}

} // namespace

TEST(ImageSamples, BmpSuiteGoodAndQuestionableFiles)
{
    // Uncompressed 1-, 4-, 8- and 24-bit files with 40- to 124-byte headers decode exactly.
    const std::vector<std::pair<std::string, std::string>> decoded = {
        {"g/pal1.bmp", "pal1"},         {"g/pal1bg.bmp", "pal1bg"},       {"g/pal1wb.bmp", "pal1"},
        {"g/pal4.bmp", "pal4"},         {"g/pal4gs.bmp", "pal4gs"},       {"g/pal8-0.bmp", "pal8"},
        {"g/pal8.bmp", "pal8"},         {"g/pal8gs.bmp", "pal8gs"},       {"g/pal8topdown.bmp", "pal8"},
        {"g/pal8v4.bmp", "pal8"},       {"g/pal8v5.bmp", "pal8"},         {"g/pal8w124.bmp", "pal8w124"},
        {"g/pal8w125.bmp", "pal8w125"}, {"g/pal8w126.bmp", "pal8w126"},   {"g/rgb24.bmp", "rgb24"},
        {"g/rgb24pal.bmp", "rgb24"},    {"q/pal1p1.bmp", "pal1p1"},       {"q/pal8offs.bmp", "pal8"},
        {"q/pal8os2v2.bmp", "pal8"},    {"q/rgb24largepal.bmp", "rgb24"}, {"q/rgb24prof.bmp", "rgb24"},
    };
    for (const auto &[file, reference] : decoded)
        ExpectSamePicture("bmpsuite/" + file, "bmpsuite/ref/" + reference + ".png");

    // Compressed, 2-, 16- and 32-bit, OS/2 and oversized-palette files are not read.
    for (const char *file : {"g/pal4rle.bmp", "g/pal8rle.bmp", "g/pal8os2.bmp", "g/rgb16.bmp", "g/rgb32.bmp",
                             "q/pal2.bmp", "q/pal8oversizepal.bmp", "q/rgb24png.bmp"}) {
        CZNImage image;
        EXPECT_FALSE(image.LoadImageFile((kData + "bmpsuite/" + file).c_str())) << file;
        EXPECT_EQ(image.GetRedPlane(), nullptr);
    }
}

TEST(ImageSamples, BmpSuiteBadFilesAreRefused)
{
    // These four break only fields the reader does not use (density, file and image sizes):
    // their pixels are those of pal1.
    const std::vector<std::string> harmless = {"baddens1.bmp", "baddens2.bmp", "badfilesize.bmp", "badbitssize.bmp"};
    for (const std::string &file : harmless)
        ExpectSamePicture("bmpsuite/b/" + file, "bmpsuite/ref/pal1.png");

    int refused = 0;
    for (const auto &entry : std::filesystem::directory_iterator(kData + "bmpsuite/b")) {
        const std::string name = entry.path().filename().string();
        if (std::find(harmless.begin(), harmless.end(), name) != harmless.end())
            continue;
        CZNImage image;
        EXPECT_FALSE(image.LoadImageFile(entry.path().string().c_str())) << name;
        EXPECT_EQ(image.GetRedPlane(), nullptr) << name;
        ++refused;
    }
    EXPECT_EQ(refused, 16);
}

TEST(ImageSamples, PcxFiles)
{
    ExpectSamePicture("pcx/gmarbles.pcx", "pcx/gmarbles.png"); // 8 bits with a palette
    ExpectSamePicture("pcx/marbles.pcx", "pcx/marbles.png");   // three planes
    ExpectSamePicture("sdl_image/sample.pcx", "sdl_image/sample.bmp");
    CZNImage indexed;
    ASSERT_TRUE(indexed.LoadImageFile((kData + "sdl_image/palette.bmp").c_str()));
    EXPECT_EQ(indexed.GetBitsPerPixel(), 8);
    EXPECT_EQ(indexed.GetWidth(), 23u);
    EXPECT_EQ(indexed.GetHeight(), 42u);
    // Version 3 and 1-bit planes are not read.
    for (const char *file : {"pcx/tiny.pcx", "pcx/CGA_BW.PCX"}) {
        CZNImage image;
        EXPECT_FALSE(image.LoadImageFile((kData + file).c_str())) << file;
    }
}
