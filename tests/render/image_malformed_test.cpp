#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <png.h>
#include <zlib.h>

#include "image_fixtures.h"
#include "render/image/image.h"

namespace
{

struct Sample {
    const char *Name;
    std::string Bytes;
};

std::vector<Sample> OwnFormatSamples()
{
    ZnBytes tga;
    tga.U8(0).U8(0).U8(2).Fill(5, 0).U16(0).U16(0).U16(2).U16(2).U8(24).U8(0).Fill(12, 0x42);
    ZnBytes psd;
    psd.U32BE(0x38425053).U16BE(1).Fill(6, 0).U16BE(3).U32BE(1).U32BE(2).U16BE(8).U16BE(3);
    psd.U32BE(0).U32BE(0).U32BE(0).U16BE(0).Fill(6, 0x42);
    return {{"bmp8", ZnSampleBMP8()},     {"pcx8", ZnSamplePCX8()}, {"pcx32", ZnSamplePCX32()},
            {"tgarle", ZnSampleTGARLE()}, {"tgaraw", tga.Data},     {"psdrle", ZnSamplePSDRLE()},
            {"psdraw", psd.Data}};
}

std::string PngChunk(const char *type, const std::string &data)
{
    ZnBytes b;
    b.U32BE(static_cast<uint32_t>(data.size())).Raw(type).Raw(data);
    const std::string crcInput = std::string(type) + data;
    b.U32BE(static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef *>(crcInput.data()), static_cast<uInt>(crcInput.size()))));
    return b.Data;
}

} // namespace

TEST(ImageMalformed, EveryTruncationOfOwnFormatsFails)
{
    for (const Sample &sample : OwnFormatSamples()) {
        SCOPED_TRACE(sample.Name);
        CZNImage image;
        ASSERT_TRUE(ZnLoadImageBytes(image, sample.Bytes));
        for (size_t length = 0; length < sample.Bytes.size(); ++length) {
            EXPECT_FALSE(ZnLoadImageBytes(image, sample.Bytes.substr(0, length))) << "length " << length;
            EXPECT_EQ(image.GetWidth(), 0u);
            EXPECT_EQ(image.GetRedPlane(), nullptr);
        }
    }
}

TEST(ImageMalformed, TruncatedLibraryFormatsFailCleanly)
{
    std::vector<uint8_t> samples(24 * 24 * 3);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint8_t>(i * 37);
    ZnPngPicture picture{24, 24, PNG_COLOR_TYPE_RGB, 8, false, {}, {}, {}};
    for (uint32_t y = 0; y < 24; ++y)
        picture.Rows.emplace_back(reinterpret_cast<const char *>(samples.data() + y * 72), 72);
    const std::string png = ZnWritePng(picture);
    picture.Interlaced = true;
    const std::string interlaced = ZnWritePng(picture);
    const std::string jpeg = ZnWriteJpeg(24, 24, 3, samples);
    for (const std::string *bytes : {&png, &interlaced, &jpeg}) {
        CZNImage image;
        ASSERT_TRUE(ZnLoadImageBytes(image, *bytes));
        // Cut anywhere in the picture data: the load fails. (A PNG cut after its pixel data,
        // in the closing chunk, still gives the whole picture.)
        const size_t end = bytes == &jpeg ? bytes->size() : bytes->size() - 12;
        for (size_t length = 0; length < end; ++length) {
            EXPECT_FALSE(ZnLoadImageBytes(image, bytes->substr(0, length))) << "length " << length;
            EXPECT_EQ(image.GetRedPlane(), nullptr);
        }
    }
}

TEST(ImageMalformed, HugeDimensionsAreRefused)
{
    std::vector<Sample> cases;
    {
        std::string bmp = ZnSampleBMP8();
        for (int i = 0; i < 4; ++i)
            bmp[18 + i] = bmp[22 + i] = static_cast<char>(i == 3 ? 0x7F : 0xFF);
        cases.push_back({"bmp 2^31 x 2^31", bmp});
        std::string bmp2 = ZnSampleBMP8();
        bmp2[18] = 0;
        bmp2[19] = 0;
        bmp2[20] = static_cast<char>(0x01);
        bmp2[21] = 0; // 65536 x 65536 rows: 4 GiB of pixels
        bmp2[22] = 0;
        bmp2[23] = 0;
        bmp2[24] = static_cast<char>(0x01);
        cases.push_back({"bmp 65536 x 65536", bmp2});
        std::string bmp3 = ZnSampleBMP8();
        bmp3[22] = bmp3[23] = bmp3[24] = 0;
        bmp3[25] = static_cast<char>(0x80); // height -2^31
        cases.push_back({"bmp height -2^31", bmp3});
    }
    {
        std::string pcx = ZnSamplePCX32();
        pcx[8] = pcx[9] = pcx[10] = pcx[11] = static_cast<char>(0xFF);
        cases.push_back({"pcx 65536 x 65536", pcx});
    }
    {
        std::string tga = ZnSampleTGARLE();
        tga[12] = tga[13] = tga[14] = tga[15] = static_cast<char>(0xFF);
        cases.push_back({"tga 65535 x 65535", tga});
    }
    {
        std::string psd = ZnSamplePSDRLE();
        for (int i = 14; i < 22; ++i)
            psd[i] = static_cast<char>(i == 14 || i == 18 ? 0x7F : 0xFF);
        cases.push_back({"psd 2^31 x 2^31", psd});
    }
    {
        ZnBytes ihdr;
        ihdr.U32BE(60000).U32BE(60000).U8(8).U8(2).U8(0).U8(0).U8(0);
        ZnBytes png;
        png.Raw("\x89PNG\r\n\x1a\n").Raw(PngChunk("IHDR", ihdr.Data)).Raw(PngChunk("IEND", ""));
        cases.push_back({"png 60000 x 60000", png.Data});
    }
    {
        std::string jpeg = ZnWriteJpeg(8, 8, 3, std::vector<uint8_t>(8 * 8 * 3, 50));
        const size_t sof = jpeg.find("\xFF\xC0");
        ASSERT_NE(sof, std::string::npos);
        for (int i = 5; i < 9; ++i)
            jpeg[sof + i] = static_cast<char>(0xFF);
        cases.push_back({"jpeg 65535 x 65535", jpeg});
        // 64895 x 12095: one plane fits, three do not; a few hundred bytes must not allocate gigabytes.
        jpeg[sof + 5] = 0x2F;
        jpeg[sof + 6] = 0x3F;
        jpeg[sof + 7] = static_cast<char>(0xFD);
        jpeg[sof + 8] = 0x7F;
        cases.push_back({"jpeg 64895 x 12095", jpeg});
    }
    for (const Sample &c : cases) {
        CZNImage image;
        EXPECT_FALSE(ZnLoadImageBytes(image, c.Bytes)) << c.Name;
        EXPECT_EQ(image.GetRedPlane(), nullptr) << c.Name;
    }
}

TEST(ImageMalformed, BadFieldsAreRefused)
{
    auto patch = [](std::string bytes, size_t at, std::vector<uint8_t> values) {
        for (size_t i = 0; i < values.size(); ++i)
            bytes[at + i] = static_cast<char>(values[i]);
        return bytes;
    };
    const std::string bmp = ZnSampleBMP8();
    const std::string psd = ZnSamplePSDRLE();
    const std::string tga = ZnSampleTGARLE();
    const std::string pcx = ZnSamplePCX8();
    const std::vector<Sample> cases = {
        {"bmp index beyond the palette", patch(bmp, 70, {4})},
        {"bmp colours used beyond 256", patch(bmp, 46, {0x01, 0x01, 0, 0})},
        {"bmp unknown header size", patch(bmp, 14, {41})},
        {"bmp negative width", patch(bmp, 18, {0xFD, 0xFF, 0xFF, 0xFF})},
        {"bmp zero height", patch(bmp, 22, {0, 0, 0, 0})},
        {"bmp compressed", patch(bmp, 30, {1})},
        {"bmp two planes", patch(bmp, 26, {2})},
        {"bmp 32 bits", patch(bmp, 28, {32})},
        {"bmp data offset beyond the end", patch(bmp, 10, {0, 0, 0, 1})},
        {"pcx palette marker missing", patch(pcx, pcx.size() - 769, {13})},
        {"pcx xmax below xmin", patch(pcx, 4, {9})},
        {"pcx version 3", patch(pcx, 1, {3})},
        {"pcx line shorter than the width", patch(pcx, 66, {2})},
        {"tga colour map beyond the end", patch(tga, 5, {0xFF, 0xFF})},
        {"tga type 1", patch(tga, 2, {1})},
        {"tga zero width", patch(tga, 12, {0, 0})},
        {"psd section beyond the end", patch(psd, 30, {0x7F, 0xFF, 0xFF, 0xFF})},
        {"psd no channels", patch(psd, 12, {0, 0})},
        {"psd depth 16", patch(psd, 22, {0, 16})},
        {"psd greyscale mode", patch(psd, 24, {0, 1})},
        {"psd compression 2", patch(psd, 40, {0, 2})},
    };
    for (const Sample &c : cases) {
        CZNImage image;
        EXPECT_FALSE(ZnLoadImageBytes(image, c.Bytes)) << c.Name;
        EXPECT_EQ(image.GetRedPlane(), nullptr) << c.Name;
    }
}
