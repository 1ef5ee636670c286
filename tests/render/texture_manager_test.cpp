#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "platform/os/splash_progress.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/debug_log.h"
#include "support/temp_dir.h"
#include "zip_fixtures.h"

namespace fs = std::filesystem;

namespace
{

class CountingSplash : public IZNSplashProgress
{
public:
    void SetOverallTask(const char *, int) override {}
    void StepOverall() override {}
    void SetCurrentTask(const char *text, int count) override
    {
        label = text;
        steps = count;
    }
    void StepCurrent() override { ++stepped; }
    std::string label;
    int steps = -1;
    int stepped = 0;
};

std::vector<std::string> Names(const CZNTextureManager &manager)
{
    std::vector<std::string> names;
    for (CZNTexture *t = manager.GetFirstTexture(); t; t = t->GetNext())
        names.push_back(t->GetTextureName());
    return names;
}

std::string FileOf(const CZNTexture *texture)
{
    char *path = texture->GetPathAndFileName();
    std::string result = path ? path : "";
    std::free(path);
    return result;
}

// A program folder in a temporary directory: the scan log goes to its "Debug Logs/" and the
// texture tree is its "Textures/". The application's program directory points there meanwhile.
class TextureTreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedDirectory = GetEditorApp()->GetProgramDirectory();
        savedMipMaps = GetEditorApp()->Options().m_SupportsMipMaps;
        GetEditorApp()->Options().m_SupportsMipMaps = 0; // as without a device
        fs::create_directories(dir.Path() / "Debug Logs");
        fs::create_directories(dir.Path() / "Textures");
        CZNTextureManager::CloseLog();
        GetEditorApp()->SetProgramDirectory(dir.Path().string());
        textures = dir.File("Textures") + "/";
    }
    void TearDown() override
    {
        CZNTextureManager::CloseLog();
        GetEditorApp()->SetProgramDirectory(savedDirectory);
        GetEditorApp()->Options().m_SupportsMipMaps = savedMipMaps;
    }
    void Write(const std::string &relative, const std::string &bytes)
    {
        fs::path path = fs::path(textures) / relative;
        fs::create_directories(path.parent_path());
        ZnWriteFile(path.string(), bytes);
    }
    std::string Log()
    {
        CZNTextureManager::CloseLog();
        return ZnReadFile(dir.File("Debug Logs/Texture Manager.log"));
    }

    // Files, sub-folders and a package of good, duplicate, corrupt, unsupported and oddly
    // named entries.
    void BuildTree()
    {
        Write("Brick.bmp", ZnMakeBmp(16, 16, 1));
        Write("a_stone.png", ZnMakePng(24, 12, 2));
        Write("copy_of_brick.tga", ZnMakeTga(16, 16, 1)); // the same picture as Brick.bmp
        Write("notes.txt", "a text file in the texture tree");
        Write("noext", ZnMakePng(8, 8, 4));
        Write("sub/Brick.TGA", ZnMakeTga(20, 10, 3));
        Write("sub/grass.jpg", ZnMakeJpeg(16, 16, 5));
        Write(".hidden/secret.png", ZnMakePng(8, 8, 6));
        const std::string tga = ZnMakeTga(8, 8, 8);
        ASSERT_TRUE(ZnWriteZip(textures + "pack.zip", {{"walls/", ""},
                                                       {"walls/rock.jpg", ZnMakeJpeg(12, 12, 7)},
                                                       {"LAVA.PNG", ZnMakePng(10, 10, 9)},
                                                       {"broken.tga", tga.substr(0, 40)},
                                                       {"readme.txt", "read me"},
                                                       {"../escape.png", ZnMakePng(6, 6, 10)},
                                                       {"dup.bmp", ZnMakeBmp(24, 12, 2)}}));
    }

    ZnTempDir dir;
    std::string textures;
    std::string savedDirectory;
    int32_t savedMipMaps = 0;
};

} // namespace

TEST_F(TextureTreeTest, ScanLoadsEveryDistinctPictureInSortedOrder)
{
    BuildTree();
    CZNTextureManager manager;
    CountingSplash splash;
    const int entries = manager.GetDirectoryEntries(textures.c_str(), "*.*", true);
    // 8 entries at the top (".hidden" counts as one), 7 package entries, 2 in "sub".
    EXPECT_EQ(entries, 16);

    CZNTexture *chosen = new CZNTexture();
    manager.AddTexture(chosen);
    manager.SetCurrentTexture(chosen);
    ASSERT_EQ(manager.DetachTexture(chosen), 1);
    delete chosen;

    EXPECT_EQ(manager.CacheTextures(&splash, textures.c_str(), "*.*", true), 9u); // the detached one still counts
    EXPECT_EQ(splash.stepped, entries);
    EXPECT_EQ(manager.GetCurrentTexture(), nullptr);
    EXPECT_EQ(Names(manager),
              (std::vector<std::string>{"Brick", "a_stone", "", "rock", "LAVA", "escape", "Brick", "grass"}));
    // A second scan of the tree finds every picture listed already and appends nothing.
    EXPECT_EQ(manager.CacheTextures(nullptr, textures.c_str(), "*.*", true), 9u);
    EXPECT_EQ(Names(manager).size(), 8u);

    std::vector<std::string> files;
    std::vector<std::string> packages;
    for (CZNTexture *t = manager.GetFirstTexture(); t; t = t->GetNext()) {
        EXPECT_EQ(t->IsLoaded(), 1);
        EXPECT_EQ(t->GetMipLevels(), 1);
        files.push_back(FileOf(t));
        packages.push_back(t->GetPackagePath() ? t->GetPackagePath() : "");
    }
    const std::string pack = textures + "pack.zip";
    EXPECT_EQ(files, (std::vector<std::string>{textures + "Brick.bmp", textures + "a_stone.png", textures + "noext",
                                               "walls/rock.jpg", "LAVA.PNG", "../escape.png",
                                               textures + "sub/Brick.TGA", textures + "sub/grass.jpg"}));
    EXPECT_EQ(packages, (std::vector<std::string>{"", "", "", pack, pack, pack, "", ""}));
    EXPECT_EQ(manager.GetLastTexture(), manager.FindMatchByFileName("grass.jpg"));

    manager.CheckDuplicates();
    EXPECT_EQ(Names(manager), (std::vector<std::string>{"Brick |01| ", "a_stone", "", "rock", "LAVA", "escape",
                                                        "Brick |02| ", "grass"}));

    // Nothing was written for the traversal entry.
    EXPECT_FALSE(fs::exists(dir.Path() / "escape.png"));
    EXPECT_FALSE(fs::exists(dir.Path().parent_path() / "escape.png"));
}

TEST_F(TextureTreeTest, LooksTexturesUpByFileNameAndCRC)
{
    BuildTree();
    CZNTextureManager manager;
    EXPECT_EQ(manager.FindMatchByCRC(0), nullptr);
    EXPECT_EQ(manager.FindMatchByFileName("Brick.bmp"), nullptr);
    manager.CacheTextures(nullptr, textures.c_str(), "*.*", true);

    struct Case {
        const char *name;
        const char *file; // expected file path of the match, null for none
    };
    const std::string brick = textures + "Brick.bmp", grass = textures + "sub/grass.jpg";
    const Case cases[] = {
        {"brick.BMP", brick.c_str()},
        {"GRASS.JPG", grass.c_str()},
        {"rock.jpg", "walls/rock.jpg"},
        {"lava.png", "LAVA.PNG"},
        {"escape.png", "../escape.png"},
        {"copy_of_brick.tga", nullptr},
        {"walls", nullptr},
        {"", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CZNTexture *found = manager.FindMatchByFileName(c.name);
        if (!c.file) {
            EXPECT_EQ(found, nullptr);
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(FileOf(found), c.file);
    }
    EXPECT_EQ(manager.FindMatchByFileName(nullptr), nullptr);

    for (CZNTexture *t = manager.GetFirstTexture(); t; t = t->GetNext())
        EXPECT_EQ(manager.FindMatchByCRC(t->GetCRC()), t);
    // The duplicate's picture finds the texture that was loaded first.
    CZNTexture copy((textures + "copy_of_brick.tga").c_str(), nullptr);
    EXPECT_EQ(manager.FindMatchByCRC(copy.GetCRC()), manager.FindMatchByFileName("Brick.bmp"));
    EXPECT_EQ(manager.FindMatchByCRC(copy.GetCRC() ^ 1), nullptr);
}

// Scene files store a texture inside a package sub-folder by its entry name with the folders.
TEST_F(TextureTreeTest, NamesWithFoldersFindTheTextureByItsFileName)
{
    ASSERT_TRUE(ZnWriteZip(textures + "walls.zip", {{"walls/", ""}, {"walls/rock.bmp", ZnMakeBmp(8, 8, 11)}}));
    Write("sub/moss.tga", ZnMakeTga(8, 8, 12));
    CZNTextureManager manager;
    ASSERT_EQ(manager.CacheTextures(nullptr, textures.c_str(), "*.*", true), 2u);

    struct Case {
        const char *name;
        const char *file; // expected file path of the match, null for none
    };
    const std::string moss = textures + "sub/moss.tga";
    const Case cases[] = {
        {"walls/rock.bmp", "walls/rock.bmp"},
        {"walls\\rock.bmp", "walls/rock.bmp"},
        {"WALLS/Rock.BMP", "walls/rock.bmp"},
        {"other\\walls/rock.bmp", "walls/rock.bmp"},
        {"sub\\moss.tga", moss.c_str()},
        {"C:\\maps\\textures\\sub\\MOSS.TGA", moss.c_str()},
        {"walls/", nullptr},
        {"walls/rock", nullptr},
        {"walls/rock.bmp/", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CZNTexture *found = manager.FindMatchByFileName(c.name);
        if (!c.file) {
            EXPECT_EQ(found, nullptr);
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(FileOf(found), c.file);
    }
}

TEST_F(TextureTreeTest, ScanLogTellsWhatHappenedToEveryEntry)
{
    BuildTree();
    CZNTextureManager manager;
    manager.CacheTextures(nullptr, textures.c_str(), "*.*", true);
    const std::string log = Log();
    const std::string pack = textures + "pack.zip";
    const std::vector<std::string> expected = {
        "TOVRA v1.0a Debug Information",
        "Initializing Texture Manager in folder - " + textures + "*.*\r\n",
        " WARNING :" + textures + ".hidden is an invalid image file                 \r\n",
        textures + "Brick.bmp is a valid image file                   \r\n",
        textures + "Brick.bmp Was Successfully Loaded.      \r\n",
        "\nWARNING:Image " + textures +
            "copy_of_brick.tga already Matched the CRC of an already loaded Texture. It will NOT be loaded \n  \r\n",
        " WARNING :" + textures + "notes.txt is an invalid image file                 \r\n",
        "\n" + pack + " is a valid Package file . Searching for Valid Images inside       \n \r\n",
        "walls/rock.jpg extension matches supported Types. Attempting to Load...        \r\n",
        "walls/rock.jpg In Package " + pack + " Was Successfully Loaded.      \r\n",
        "WARNING: broken.tga could NOT be loaded.      \r\n",
        "\nWARNING:Image dup.bmp already Matched the CRC of an already loaded Texture. It will NOT be loaded \n  \r\n",
        "Initializing Texture Manager in folder - " + textures + "sub/*.*\r\n",
        textures + "sub/grass.jpg Was Successfully Loaded.      \r\n",
        "Leaving Directory\r\n",
    };
    size_t from = 0;
    for (const std::string &line : expected) {
        size_t at = log.find(line, from);
        EXPECT_NE(at, std::string::npos) << "missing, or out of order: " << line;
        if (at != std::string::npos)
            from = at;
    }
    // Entries of other kinds are not tried, hidden folders not entered.
    EXPECT_EQ(log.find("readme.txt"), std::string::npos);
    EXPECT_EQ(log.find("secret.png"), std::string::npos);
    EXPECT_EQ(log.find("walls/ extension"), std::string::npos);
}

TEST_F(TextureTreeTest, PatternsRecursionAndMissingFolders)
{
    BuildTree();
    struct Case {
        const char *pattern;
        bool recurse;
        DWORD count;
    };
    // The pattern applies to folders as well: "s*" enters "sub" but finds nothing there.
    const Case cases[] = {
        {"*.*", false, 6}, {"*", true, 8},  {"*.PNG", true, 1},
        {"b*", true, 1},   {"s*", true, 0}, {"?????.bmp", false, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.pattern);
        CZNTextureManager manager;
        CountingSplash splash;
        EXPECT_EQ(manager.CacheTextures(&splash, textures.c_str(), c.pattern, c.recurse), c.count);
        EXPECT_EQ(splash.stepped, manager.GetDirectoryEntries(textures.c_str(), c.pattern, c.recurse));
    }
    CZNTextureManager manager;
    EXPECT_EQ(manager.GetDirectoryEntries(dir.File("no such folder").c_str(), "*.*", true), 0);
    EXPECT_EQ(manager.CacheTextures(nullptr, dir.File("no such folder").c_str(), "*.*", true), 0u);
    EXPECT_EQ(manager.GetFirstTexture(), nullptr);
}

TEST_F(TextureTreeTest, LinksBackIntoTheTreeAreNotFollowedAgain)
{
    BuildTree();
    fs::create_directory_symlink(textures, textures + "sub/back");
    fs::create_directory_symlink(".", textures + "sub/self");
    fs::create_directory_symlink(textures + "sub", textures + "zz_sub_again");
    CZNTextureManager manager;
    CountingSplash splash;
    const int entries = manager.GetDirectoryEntries(textures.c_str(), "*.*", true);
    EXPECT_EQ(manager.CacheTextures(&splash, textures.c_str(), "*.*", true), 8u);
    EXPECT_EQ(splash.stepped, entries);
    // The folder reached a second time by another link is scanned, but its pictures are known.
    const std::string log = Log();
    EXPECT_NE(log.find("Initializing Texture Manager in folder - " + textures + "zz_sub_again/*.*"), std::string::npos);
    EXPECT_EQ(log.find("sub/back/*.*"), std::string::npos);
    EXPECT_EQ(log.find("sub/self/*.*"), std::string::npos);
}

TEST_F(TextureTreeTest, MipMappingDevicesGiveScannedTexturesThreeLevels)
{
    Write("one.bmp", ZnMakeBmp(8, 8, 1));
    GetEditorApp()->Options().m_SupportsMipMaps = 1;
    CZNTextureManager manager;
    ASSERT_EQ(manager.CacheTextures(nullptr, textures.c_str(), "*.*", true), 1u);
    EXPECT_EQ(manager.GetFirstTexture()->GetMipLevels(), 3);
}

TEST_F(TextureTreeTest, ReloadKeepsNamesAndListsFailuresAsNotLoaded)
{
    BuildTree();
    CZNTextureManager manager;
    manager.CacheTextures(nullptr, textures.c_str(), "*.*", true);
    manager.CheckDuplicates();
    const std::vector<std::string> names = Names(manager);
    std::vector<DWORD> crcs;
    for (CZNTexture *t = manager.GetFirstTexture(); t; t = t->GetNext())
        crcs.push_back(t->GetCRC());

    fs::remove(textures + "sub/grass.jpg");
    manager.ReloadTextures();
    EXPECT_EQ(Names(manager), names);
    size_t i = 0;
    for (CZNTexture *t = manager.GetFirstTexture(); t; t = t->GetNext(), ++i) {
        SCOPED_TRACE(names[i]);
        const bool gone = t == manager.GetLastTexture();
        EXPECT_EQ(t->IsLoaded(), gone ? 0 : 1);
        EXPECT_EQ(t->GetCRC(), gone ? 0u : crcs[i]);
    }
    EXPECT_EQ(i, names.size());
}

TEST(TextureManager, NumbersEqualNamesInListOrder)
{
    struct Case {
        std::vector<std::string> names;
        std::vector<std::string> expected;
    };
    std::vector<Case> cases = {
        {{"Brick", "Stone", "Brick", "Brick"}, {"Brick |01| ", "Stone", "Brick |02| ", "Brick |03| "}},
        {{"Brick", "brick"}, {"Brick", "brick"}},
        {{"a", "b"}, {"a", "b"}},
        {{}, {}},
    };
    Case eleven;
    for (int i = 1; i <= 11; ++i) {
        eleven.names.push_back("Brick");
        char suffix[16];
        std::snprintf(suffix, sizeof(suffix), i < 10 ? " |0%d| " : " |%d| ", i);
        eleven.expected.push_back(std::string("Brick") + suffix);
    }
    cases.push_back(eleven);
    for (const Case &c : cases) {
        CZNTextureManager manager;
        for (const std::string &name : c.names) {
            CZNTexture *texture = new CZNTexture();
            texture->SetTextureName(name.c_str());
            manager.AddTexture(texture);
        }
        EXPECT_EQ(manager.GetTextureCount(), c.names.size());
        manager.CheckDuplicates();
        EXPECT_EQ(Names(manager), c.expected);
    }
    CZNTextureManager manager;
    EXPECT_EQ(manager.RenameDuplicates(nullptr), 0);
    manager.AddTexture(nullptr);
    EXPECT_EQ(manager.GetTextureCount(), 0u);
    EXPECT_EQ(manager.GetLastTexture(), nullptr);
}

TEST(TextureManager, DetachUnlinksWithoutDeleting)
{
    CZNTextureManager manager;
    CZNTexture *a = new CZNTexture(), *b = new CZNTexture(), *c = new CZNTexture();
    a->SetTextureName("a");
    b->SetTextureName("b");
    c->SetTextureName("c");
    manager.AddTexture(a);
    manager.AddTexture(b);
    manager.AddTexture(c);
    CZNTexture stranger;
    EXPECT_EQ(manager.DetachTexture(&stranger), 0);
    EXPECT_EQ(manager.DetachTexture(nullptr), 0);
    EXPECT_EQ(Names(manager), (std::vector<std::string>{"a", "b", "c"}));

    EXPECT_EQ(manager.DetachTexture(b), 1);
    EXPECT_EQ(Names(manager), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(b->GetNext(), nullptr);
    EXPECT_EQ(manager.DetachTexture(a), 1);
    EXPECT_EQ(manager.GetFirstTexture(), c);
    EXPECT_EQ(manager.DetachTexture(c), 1);
    EXPECT_EQ(manager.GetFirstTexture(), nullptr);
    EXPECT_EQ(manager.GetTextureCount(), 3u);
    EXPECT_EQ(manager.DetachTexture(c), 0);
    delete a;
    delete b;
    delete c;
}

TEST_F(TextureTreeTest, StartUpScanUsesTheProgramsTextureFolder)
{
    CZNDebugLog startup(dir.File("Debug Logs/AppInit Debug.txt").c_str());
    CountingSplash splash;
    CZNTextureManager *manager = GetEditorApp()->GetTextureManager();
    ASSERT_EQ(manager->GetTextureCount(), 0u);

    // An empty tree: a warning, no duplicate check.
    EXPECT_EQ(GetEditorApp()->LoadTextures(&splash, &startup), 0u);
    EXPECT_EQ(splash.label, " Searching for Valid Texture Formats and Caching Previews ");
    EXPECT_EQ(splash.steps, 0);

    Write("Brick.bmp", ZnMakeBmp(8, 8, 1));
    Write("sub/Brick.tga", ZnMakeTga(8, 8, 2));
    Write("notes.txt", "text");
    EXPECT_EQ(GetEditorApp()->LoadTextures(&splash, &startup), 2u);
    EXPECT_EQ(splash.steps, 4);
    EXPECT_EQ(splash.stepped, 4);
    EXPECT_EQ(Names(*manager), (std::vector<std::string>{"Brick |01| ", "Brick |02| "}));
    // Without a splash window the scan works the same.
    EXPECT_EQ(GetEditorApp()->LoadTextures(nullptr, nullptr), 2u);
    startup.Close();
    const std::string log = ZnReadFile(dir.File("Debug Logs/AppInit Debug.txt"));
    EXPECT_NE(log.find("WARNING : No Textures could be located. The editor will have no textures loaded\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("2 Textures were located and loaded\r\n"), std::string::npos);

    // Leave the application's manager empty for other tests.
    while (CZNTexture *texture = manager->GetFirstTexture()) {
        manager->DetachTexture(texture);
        delete texture;
    }
}
