#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <string>

#include "scene/crc32.h"
#include "scene/debug_log.h"
#include "scene/pair_list.h"
#include "scene/path_utils.h"
#include "support/temp_dir.h"

namespace {

// Takes ownership of a malloc'ed result; null stays null.
std::unique_ptr<char, decltype(&std::free)> Owned(char *p) { return {p, &std::free}; }

const char kBanner[] = "TOVRA v1.0a Debug Information\r\n"
                       "--------------------------------\r\n"
                       "\r\n"
                       "Debug Session Opened\r\n"
                       "--------------------\r\n\r\n";
const char kFooter[] = "\r\n--------------------\r\n"
                       "Debug Session Closed\r\n\r\n";

} // namespace

TEST(Crc32, CheckValues)
{
    CRC32_InitTable();
    EXPECT_EQ(CRC32_Buffer("abc", 3, 0), 0x352441C2u);
    EXPECT_EQ(CRC32_Buffer("123456789", 9, 0), 0xCBF43926u);
    EXPECT_EQ(CRC32_Buffer("The quick brown fox jumps over the lazy dog", 43, 0), 0x414FA339u);
    EXPECT_EQ(CRC32_Buffer(nullptr, 10, 0), 0xFFFFFFFFu);
    EXPECT_EQ(CRC32_Buffer("", 0, 0), 0u);
    // Continuing from a previous result equals the CRC of the whole.
    DWORD first = CRC32_Buffer("12345", 5, 0);
    EXPECT_EQ(CRC32_Buffer("6789", 4, first), 0xCBF43926u);
    EXPECT_EQ(CRC32_Update("x", 0, 0x1234u), 0x1234u);
}

// Long buffers, at every alignment and with every tail length, give the bit-by-bit value, from a
// fresh start and continued from another value.
TEST(Crc32, LongBuffersMatchTheBitwiseDefinition)
{
    auto bitwise = [](const BYTE *p, size_t length, DWORD value) {
        for (size_t i = 0; i < length; ++i) {
            value ^= p[i];
            for (int bit = 0; bit < 8; ++bit)
                value = (value & 1u) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        }
        return value;
    };
    std::vector<BYTE> bytes(70000);
    uint32_t seed = 7;
    for (BYTE &b : bytes) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<BYTE>(seed >> 16);
    }
    for (size_t offset : {0, 1, 7, 15}) {
        for (size_t length : {63, 64, 65, 79, 80, 127, 128, 129, 200, 511, 512, 513, 767, 768, 784, 1000, 4096, 65536 + 33}) {
            for (DWORD start : {0xFFFFFFFFu, 0u, 0x12345678u}) {
                SCOPED_TRACE(testing::Message() << "offset " << offset << " length " << length << " start " << start);
                EXPECT_EQ(CRC32_Update(bytes.data() + offset, length, start),
                          bitwise(bytes.data() + offset, length, start));
            }
        }
    }
}

TEST(Crc32, Files)
{
    ZnTempDir dir;
    // Longer than one 512-byte block so the blockwise read is exercised.
    std::string bytes;
    for (int i = 0; i < 1500; ++i)
        bytes += static_cast<char>(i * 7);
    ZnWriteFile(dir.File("data.bin"), bytes);
    EXPECT_EQ(CRC32_File(dir.File("data.bin").c_str()), CRC32_Buffer(bytes.data(), bytes.size(), 0));
    ZnWriteFile(dir.File("empty.bin"), "");
    EXPECT_EQ(CRC32_File(dir.File("empty.bin").c_str()), 0u);
    EXPECT_EQ(CRC32_File(dir.File("missing.bin").c_str()), 0xFFFFFFFFu);
}

TEST(DebugLog, ExactBytes)
{
    ZnTempDir dir;
    std::string path = dir.File("Test.log");
    {
        CZNDebugLog log(path.c_str());
        ASSERT_TRUE(log.IsOpen());
        log.WriteLine("Info : one");
        log.Printf("%d Textures were located and loaded", 12);
        log.Close();
        EXPECT_FALSE(log.IsOpen());
        log.WriteLine("ignored after close");
    }
    EXPECT_EQ(ZnReadFile(path), std::string(kBanner) + "Info : one\r\n12 Textures were located and loaded\r\n" + kFooter);

    // Reopening replaces the old file.
    CZNDebugLog again;
    again.Open(path.c_str());
    again.WriteLine("second");
    EXPECT_EQ(ZnReadFile(path), std::string(kBanner) + "second\r\n");
    again.OpenTruncate(path.c_str());
    again.Close();
    EXPECT_EQ(ZnReadFile(path), std::string(kBanner) + kFooter);
}

TEST(DebugLog, LongLinesAreCutNotOverrun)
{
    ZnTempDir dir;
    std::string path = dir.File("Long.log");
    std::string longText(5000, 'x');
    CZNDebugLog log(path.c_str());
    log.WriteLine(longText.c_str());
    log.Printf("%s", longText.c_str());
    log.Close();
    std::string expectedLine = std::string(1021, 'x') + "\r\n";
    EXPECT_EQ(ZnReadFile(path), std::string(kBanner) + expectedLine + expectedLine + kFooter);
}

TEST(DebugLog, MissingFolderGivesSilentClosedLog)
{
    ZnTempDir dir;
    std::string path = dir.File("no such folder/AppInit Debug.txt");
    CZNDebugLog log(path.c_str());
    EXPECT_FALSE(log.IsOpen());
    log.WriteLine("nothing");
    log.Printf("%s", "nothing");
    log.Close();
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(PairList, AddGetClear)
{
    CZNPairList list;
    int a, b, c;
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(list.Add(&a + 0, i % 2 ? &b : &c), static_cast<DWORD>(i + 1));
    ASSERT_NE(list.GetPair(6), nullptr);
    EXPECT_EQ(list.GetPair(6)->second, &c);
    EXPECT_EQ(list.GetPair(5)->second, &b);
    EXPECT_EQ(list.GetPair(7), nullptr);
    list.Optimize();
    EXPECT_EQ(list.GetPair(0)->first, &a);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetPair(0), nullptr);
}

TEST(PathHelpers, Table)
{
    struct Case {
        const char *path;
        const char *file;      // null: null result
        const char *directory;
        const char *stripped;  // null: null result
    };
    const Case cases[] = {
        {"Textures\\stone.01.bmp", "stone.01.bmp", "Textures\\", "Textures\\stone"},
        {"Textures/stone.bmp", "stone.bmp", "Textures/", "Textures/stone"},
        {"stone.bmp", "stone.bmp", "", "stone"},
        {"Textures\\", nullptr, "Textures\\", nullptr},
        {"Textures\\stone", "stone", "Textures\\", nullptr},
        {"my.folder/stone", "stone", "my.folder/", nullptr}, // a dot in a folder is no extension
        {"my.folder\\sub/stone.tga", "stone.tga", "my.folder\\sub/", "my.folder\\sub/stone"},
        {".hidden", ".hidden", "", nullptr},
        {"", nullptr, "", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        auto file = Owned(GetFileNameFromPath(c.path));
        auto directory = Owned(GetDirectoryFromPath(c.path));
        auto stripped = Owned(StripExtension(c.path));
        if (c.file)
            EXPECT_STREQ(file.get(), c.file);
        else
            EXPECT_EQ(file.get(), nullptr);
        EXPECT_STREQ(directory.get(), c.directory);
        if (c.stripped)
            EXPECT_STREQ(stripped.get(), c.stripped);
        else
            EXPECT_EQ(stripped.get(), nullptr);
    }
}

TEST(PathHelpers, LongPathsAreCutToFit)
{
    std::string longName = std::string(400, 'a') + ".bmp";
    auto file = Owned(GetFileNameFromPath(("dir/" + longName).c_str()));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::strlen(file.get()), 255u);
    auto stripped = Owned(StripExtension(longName.c_str()));
    ASSERT_NE(stripped, nullptr);
    EXPECT_EQ(std::string(stripped.get()), std::string(255, 'a'));
    auto directory = Owned(GetDirectoryFromPath((std::string(300, 'd') + "/x").c_str()));
    EXPECT_EQ(std::strlen(directory.get()), 301u);
}

TEST(ColourHelpers, SwapRedBlue)
{
    EXPECT_EQ(SwapRedBlue(0x11223344u), 0x11443322u);
    EXPECT_EQ(SwapRedBlue(SwapRedBlue(0xA1B2C3D4u)), 0xA1B2C3D4u);
    EXPECT_EQ(SwapRedBlue(RGB(255, 0, 0)), RGB(0, 0, 255));
}
