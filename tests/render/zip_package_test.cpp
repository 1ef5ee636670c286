#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "render/texture_package.h"
#include "support/temp_dir.h"
#include "zip_fixtures.h"

namespace
{

uint32_t Crc(const std::string &bytes)
{
    return static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef *>(bytes.data()), static_cast<uInt>(bytes.size())));
}

const std::string kPicture = std::string(3000, 'x') + "tail";

} // namespace

TEST(TexturePackage, ListsEntriesWithNamePartsSizesAndCRC)
{
    ZnTempDir dir;
    const std::string path = dir.File("pack.zip");
    ASSERT_TRUE(ZnWriteZip(path, {{"wall.tga", kPicture},
                                  {"stone/dark/", ""},
                                  {"stone/dark/Brick.Png", "png bytes", true},
                                  {"notes", "plain"},
                                  {"a.b.long_extension_name_here", "z"}}));
    CZNTexturePackage package;
    ASSERT_EQ(package.Open(path.c_str()), 1);
    ASSERT_EQ(package.ReadEntries(), 1);
    ASSERT_EQ(package.GetEntryCount(), 5);
    EXPECT_EQ(package.GetEntry(5), nullptr);
    EXPECT_EQ(package.GetEntry(-1), nullptr);

    struct Expected {
        const char *full, *file, *folder, *extension;
        DWORD directory;
        const std::string *data;
    };
    const std::string png = "png bytes", plain = "plain", z = "z";
    const Expected expected[] = {
        {"wall.tga", "wall.tga", "", "TGA", 0, &kPicture},
        {"stone/dark/", "", "stone/dark/", "", 1, nullptr},
        {"stone/dark/Brick.Png", "Brick.Png", "stone/dark/", "PNG", 0, &png},
        {"notes", "notes", "", "", 0, &plain},
        {"a.b.long_extension_name_here", "a.b.long_extension_name_here", "", "LONG_EXTENSION_NAME", 0, &z},
    };
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const CZNTexturePackageEntry *entry = package.GetEntry(i);
        const Expected &e = expected[i];
        EXPECT_STREQ(entry->FullName, e.full);
        EXPECT_STREQ(entry->FileName, e.file);
        EXPECT_STREQ(entry->Folder, e.folder);
        EXPECT_STREQ(entry->Extension, e.extension);
        EXPECT_EQ(entry->Directory, e.directory);
        EXPECT_EQ(entry->UncompressedSize, e.data ? e.data->size() : 0u);
        EXPECT_EQ(entry->CRC32, e.data ? Crc(*e.data) : 0u);
        if (!e.data) {
            EXPECT_EQ(entry->CompressedSize, 0u);
        }
    }
    // The compressed entry is smaller, the stored one is not.
    EXPECT_LT(package.GetEntry(0)->CompressedSize, kPicture.size());
    EXPECT_EQ(package.GetEntry(2)->CompressedSize, png.size());

    // The table stays after closing.
    package.Close();
    EXPECT_FALSE(package.IsOpen());
    EXPECT_EQ(package.GetEntryCount(), 5);
}

TEST(TexturePackage, ExtractsEntriesToMemoryAndFile)
{
    ZnTempDir dir;
    const std::string path = dir.File("pack.zip");
    ASSERT_TRUE(ZnWriteZip(path, {{"wall.tga", kPicture}, {"sub/raw.bin", "stored!", true}, {"empty.txt", ""}}));
    CZNTexturePackage package;
    ASSERT_EQ(package.Open(path.c_str()), 1);
    EXPECT_STREQ(package.GetPath(), path.c_str());

    EXPECT_EQ(package.Contains("wall.tga"), 1);
    EXPECT_EQ(package.Contains("sub/raw.bin"), 1);
    EXPECT_EQ(package.Contains("raw.bin"), 0);
    EXPECT_EQ(package.Contains(nullptr), 0);

    for (const auto &[name, data] : {std::pair<const char *, std::string>{"wall.tga", kPicture},
                                     std::pair<const char *, std::string>{"sub/raw.bin", "stored!"}}) {
        DWORD size = 0;
        unsigned char *buffer = package.ExtractToMemory(name, &size);
        ASSERT_NE(buffer, nullptr) << name;
        EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), size), data);
        delete[] buffer;
    }
    DWORD size = 99;
    EXPECT_EQ(package.ExtractToMemory("empty.txt", &size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(package.ExtractToMemory("missing.tga", &size), nullptr);

    const std::string out = dir.File("out.tga");
    EXPECT_EQ(package.ExtractToFile("wall.tga", out.c_str()), 1);
    EXPECT_EQ(ZnReadFile(out), kPicture);
    EXPECT_EQ(package.ExtractToFile("missing.tga", dir.File("none.tga").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.tga")));
    EXPECT_EQ(package.ExtractToFile("wall.tga", dir.File("no folder/out.tga").c_str()), 0);
}

TEST(TexturePackage, ClosedOrForeignFilesGiveNothing)
{
    ZnTempDir dir;
    const std::string bmp = dir.File("picture.bmp");
    ZnWriteFile(bmp, ZnMakeBmp(4, 4, 1));
    EXPECT_EQ(CZNTexturePackage::IsPackage(bmp.c_str()), 0);
    EXPECT_EQ(CZNTexturePackage::IsPackage(dir.File("missing.zip").c_str()), 0);
    EXPECT_EQ(CZNTexturePackage::IsPackage(dir.Path().string().c_str()), 0);
    EXPECT_EQ(CZNTexturePackage::IsPackage(nullptr), 0);

    CZNTexturePackage package;
    EXPECT_EQ(package.Open(bmp.c_str()), 0);
    EXPECT_FALSE(package.IsOpen());
    EXPECT_EQ(package.GetPath(), nullptr);
    EXPECT_EQ(package.ReadEntries(), 0);
    EXPECT_EQ(package.Contains("picture.bmp"), 0);
    DWORD size = 5;
    EXPECT_EQ(package.ExtractToMemory("picture.bmp", &size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(TexturePackage, TruncatedAndCorruptArchivesFailCleanly)
{
    ZnTempDir dir;
    const std::string path = dir.File("pack.zip");
    ASSERT_TRUE(ZnWriteZip(path, {{"a.tga", kPicture}, {"b/c.png", kPicture + "more"}}));
    const std::string good = ZnReadFile(path);

    // Every cut of the archive: nothing crashes, and what is extracted is whole.
    for (size_t cut = 0; cut < good.size(); cut += 7) {
        SCOPED_TRACE(cut);
        const std::string cutPath = dir.File("cut.zip");
        ZnWriteFile(cutPath, good.substr(0, cut));
        CZNTexturePackage package;
        if (!package.Open(cutPath.c_str()))
            continue;
        package.ReadEntries();
        DWORD size = 0;
        unsigned char *buffer = package.ExtractToMemory("a.tga", &size);
        if (buffer) {
            EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), size), kPicture);
        }
        delete[] buffer;
    }

    // Damaged compressed data is refused (inflate error or CRC mismatch), not handed out.
    std::string damaged = good;
    for (size_t i = 37; i < 41; ++i)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
    ZnWriteFile(path, damaged);
    CZNTexturePackage package;
    ASSERT_EQ(package.Open(path.c_str()), 1);
    DWORD size = 0;
    EXPECT_EQ(package.ExtractToMemory("a.tga", &size), nullptr);
    unsigned char *other = package.ExtractToMemory("b/c.png", &size);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(size, kPicture.size() + 4);
    delete[] other;
}

TEST(TexturePackage, HugeDeclaredSizesAreNotTrusted)
{
    ZnTempDir dir;
    const std::string path = dir.File("pack.zip");
    ASSERT_TRUE(ZnWriteZip(path, {{"big.tga", kPicture}}));
    const uint32_t sizes[] = {0xFFFFFFF0u, CZNTexturePackage::kMaxEntrySize + 1, 64u << 20};
    for (uint32_t declared : sizes) {
        SCOPED_TRACE(declared);
        std::string zip = ZnReadFile(path);
        ZnPatchZipSizes(zip, declared);
        const std::string patched = dir.File("patched.zip");
        ZnWriteFile(patched, zip);
        CZNTexturePackage package;
        ASSERT_EQ(package.Open(patched.c_str()), 1);
        ASSERT_EQ(package.ReadEntries(), 1);
        EXPECT_EQ(package.GetEntry(0)->UncompressedSize, declared);
        DWORD size = 0;
        unsigned char *buffer = package.ExtractToMemory("big.tga", &size);
        // Beyond the limit nothing is read; within it, the data ends before the declared size.
        EXPECT_EQ(buffer, nullptr);
        EXPECT_EQ(size, 0u);
        delete[] buffer;
    }
}

TEST(TexturePackage, TraversalNamesStayNames)
{
    ZnTempDir dir;
    const std::string path = dir.File("pack.zip");
    ASSERT_TRUE(ZnWriteZip(path, {{"../../escape.png", "data"}, {"/abs/root.tga", "root"}}));
    CZNTexturePackage package;
    ASSERT_EQ(package.Open(path.c_str()), 1);
    ASSERT_EQ(package.ReadEntries(), 1);
    ASSERT_EQ(package.GetEntryCount(), 2);
    EXPECT_STREQ(package.GetEntry(0)->FileName, "escape.png");
    EXPECT_STREQ(package.GetEntry(0)->Folder, "../../");
    EXPECT_STREQ(package.GetEntry(1)->Folder, "/abs/");
    DWORD size = 0;
    unsigned char *buffer = package.ExtractToMemory("../../escape.png", &size);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer), size), "data");
    delete[] buffer;
    // Reading never writes: nothing appeared beside or above the archive.
    EXPECT_FALSE(std::filesystem::exists(dir.Path().parent_path().parent_path() / "escape.png"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "escape.png"));
}
