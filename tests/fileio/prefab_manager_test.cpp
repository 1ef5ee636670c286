// The prefab manager: scans of a folder tree written by the test, duplicate numbering, the log,
// and a thumbnail drawn into a drawing context.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "fileio/memory_stream_io.h"
#include "fileio/prefab.h"
#include "fileio/prefab_manager.h"
#include "iwf_image.h"
#include "platform/os/splash_progress.h"
#include "render/image/image.h"
#include "support/gdi_canvas.h"
#include "support/temp_dir.h"

namespace
{

namespace fs = std::filesystem;

struct CountingProgress : IZNSplashProgress {
    void SetOverallTask(const char *, int) override {}
    void StepOverall() override {}
    void SetCurrentTask(const char *label, int steps) override
    {
        this->label = label;
        this->steps = steps;
    }
    void StepCurrent() override { ++stepped; }
    std::string label;
    int steps = 0;
    int stepped = 0;
};

// One program folder for the process (tests run as parallel processes, each its own folder): the
// log is opened there by the first scan and stays open.
const fs::path &ProgramFolder()
{
    static const fs::path folder = fs::path(ZN_TEST_TMP_DIR) / ("prefab_program_" + std::to_string(getpid()));
    static bool made = [] {
        fs::remove_all(folder);
        fs::create_directories(folder / "Debug Logs");
        return true;
    }();
    (void)made;
    return folder;
}

class PrefabManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetEditorApp()->SetProgramDirectory(ProgramFolder().string() + "/");
        root = dir.Path() / "Prefabs";
        fs::create_directories(root);
        logStart = ZnReadFile(LogPath()).size();
    }

    static std::string LogPath() { return (ProgramFolder() / "Debug Logs" / "PrefabsManager.log").string(); }
    // What the log got since the test began.
    std::string NewLog() const { return ZnReadFile(LogPath()).substr(logStart); }

    void WriteIwf(const fs::path &path)
    {
        fs::create_directories(path.parent_path());
        const IwfBytes bytes = IwfBuild({IwfSignature()});
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    }
    void WriteText(const fs::path &path, const std::string &text)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (CZNPrefab *p = manager.GetFirst(); p; p = p->GetNext())
            names.emplace_back(p->GetName());
        return names;
    }

    ZnTempDir dir;
    fs::path root;
    size_t logStart = 0;
    CZNPrefabManager manager;
};

} // namespace

TEST_F(PrefabManagerTest, RootAndSubFolderGiveNumberedPrefabsInTheirCategories)
{
    WriteIwf(root / "a.iwf");
    WriteText(root / "b.txt", "not a scene");
    WriteIwf(root / "Rocks" / "a.iwf");
    CountingProgress progress;
    const std::string folder = root.string() + "/";
    // Root: ".", "..", a.iwf, b.txt, Rocks; Rocks: ".", "..", a.iwf.
    EXPECT_EQ(manager.CountFiles(folder.c_str(), "*.*", true), 5u + 3u);
    ASSERT_EQ(manager.ScanFolder(&progress, folder.c_str(), "*.*", "<General>", true), 2u);
    EXPECT_EQ(progress.stepped, 3);
    ASSERT_EQ(manager.GetCategoryCount(), 2);
    EXPECT_STREQ(manager.GetCategoryName(0), "<General>");
    EXPECT_STREQ(manager.GetCategoryName(1), "Rocks");
    manager.NumberDuplicateNames();
    // The listing is sorted by bytes: "Rocks" comes before "a.iwf".
    EXPECT_EQ(Names(), (std::vector<std::string>{"a |01| ", "a |02| "}));
    EXPECT_EQ(manager.GetFirst()->GetCategory(), 1);
    EXPECT_EQ(manager.GetFirst()->GetPath(), folder + "Rocks/a.iwf");
    EXPECT_EQ(manager.GetFirst()->GetNext()->GetCategory(), 0);
    EXPECT_EQ(manager.GetFirst()->GetNext()->GetPath(), folder + "a.iwf");
    EXPECT_EQ(manager.GetCurrent(), manager.GetFirst());
    EXPECT_STREQ(manager.GetCurrentName(), "a");

    const std::string log = NewLog();
    for (const std::string &line :
         {"Initializing Prefab Manager in folder - " + folder + "*.*", "File " + folder + "a.iwf Found",
          "File " + folder + "a.iwf Successfully Validated is a Valid IWF file", std::string("Prefab a was successfully created"),
          "WARNING : File " + folder + "b.txt is NOT a valid IWF file",
          "Initializing Prefab Manager in folder - " + folder + "Rocks/*.*",
          std::string("2 Prefabs were located and loaded ")})
        EXPECT_NE(log.find(line), std::string::npos) << line;

    // Release keeps the names the Prefabs page chooses by.
    manager.SetCurrentCategory("Rocks");
    manager.Release();
    EXPECT_EQ(manager.GetFirst(), nullptr);
    EXPECT_EQ(manager.GetCount(), 0u);
    EXPECT_EQ(manager.GetCurrent(), nullptr);
    EXPECT_EQ(manager.GetCategoryCount(), 0);
    EXPECT_STREQ(manager.GetCurrentName(), "a");
    EXPECT_EQ(manager.GetCurrentCategory(), "Rocks");
}

TEST_F(PrefabManagerTest, TenEqualNamesAndNamesDifferingInCase)
{
    for (int i = 0; i < 10; ++i)
        WriteIwf(root / ("s" + std::to_string(i)) / "wall.iwf");
    WriteIwf(root / "Door.iwf");
    WriteIwf(root / "door.iwf");
    WriteIwf(root / "noextension");
    ASSERT_EQ(manager.ScanFolder(nullptr, root.c_str(), "*.*", "<General>", true), 13u);
    manager.NumberDuplicateNames();
    std::vector<std::string> expected = {"Door", "door", "noextension"};
    for (int i = 1; i <= 10; ++i)
        expected.push_back(i < 10 ? "wall |0" + std::to_string(i) + "| " : "wall |10| ");
    EXPECT_EQ(Names(), expected);
}

TEST_F(PrefabManagerTest, SubSubFolderIsCountedOnceAndNotScanned)
{
    WriteIwf(root / "Rocks" / "Deep" / "x.iwf");
    WriteIwf(root / "Rocks" / "Deep" / "y.iwf");
    WriteText(root / "fake.iwf", "IWF but not really");
    // Root: ".", "..", fake.iwf, Rocks; Rocks: ".", "..", Deep.
    EXPECT_EQ(manager.CountFiles(root.c_str(), "*.*", true), 4u + 3u);
    EXPECT_EQ(manager.ScanFolder(nullptr, root.c_str(), "*.*", "<General>", true), 0u);
    EXPECT_EQ(manager.GetCategoryCount(), 2);
    EXPECT_EQ(manager.GetCurrent(), nullptr);
    EXPECT_NE(NewLog().find("fake.iwf is NOT a valid IWF file"), std::string::npos);
}

TEST_F(PrefabManagerTest, MissingFolderWarnsAndLeavesTheListEmpty)
{
    const std::string missing = (dir.Path() / "Nowhere").string();
    EXPECT_EQ(manager.CountFiles(missing.c_str(), "*.*", true), 0u);
    EXPECT_EQ(manager.ScanFolder(nullptr, missing.c_str(), "*.*", "<General>", true), 0u);
    EXPECT_NE(NewLog().find(" WARNING: No Prefab files were located!!!"), std::string::npos);
}

TEST_F(PrefabManagerTest, CategoryTableStopsAt256AndCutsLongNames)
{
    const std::string longName(300, 'c');
    WriteIwf(root / longName.substr(0, 250) / "a.iwf");
    for (int i = 0; i < 260; ++i)
        fs::create_directories(root / ("d" + std::to_string(1000 + i)));
    manager.ScanFolder(nullptr, root.c_str(), "*.*", longName.c_str(), true);
    EXPECT_EQ(manager.GetCategoryTotal(), 256u);
    EXPECT_EQ(std::string(manager.GetCategoryName(0)), longName.substr(0, 253));
}

TEST_F(PrefabManagerTest, StartUpScanOfTheProgramFolder)
{
    fs::remove_all(ProgramFolder() / "Prefabs");
    WriteIwf(ProgramFolder() / "Prefabs" / "x.iwf");
    WriteIwf(ProgramFolder() / "Prefabs" / "Trees" / "x.iwf");
    CountingProgress progress;
    EXPECT_EQ(GetEditorApp()->LoadPrefabs(&progress, nullptr), 2u);
    EXPECT_EQ(progress.label, " Searching for IWF prefabs ");
    EXPECT_EQ(progress.steps, 2 + 2 + 2 + 1);
    CZNPrefabManager *app = GetEditorApp()->GetPrefabManager();
    EXPECT_STREQ(app->GetFirst()->GetName(), "x |01| ");
    app->Release();
    fs::remove_all(ProgramFolder() / "Prefabs");
}

TEST_F(PrefabManagerTest, ThumbnailIsDrawnUnscaledAtItsPlace)
{
    CZNPrefab prefab;
    ZnCanvas canvas(16, 12, RGB(0, 0, 0));
    EXPECT_FALSE(prefab.DrawThumbnail(&canvas.Dc(), 0, 0, 0, 0));
    auto *image = new CZNImage;
    ASSERT_TRUE(image->AllocImageMem(3, 2, 8, false));
    RGBQUAD *palette = image->GetPalette();
    ASSERT_NE(palette, nullptr);
    palette[1] = {255, 0, 0, 0}; // blue
    palette[2] = {0, 255, 0, 0}; // green
    palette[3] = {0, 0, 255, 0}; // red
    const BYTE indices[6] = {1, 2, 3, 3, 2, 1}; // top row, then bottom row
    std::memcpy(image->GetRedPlane(), indices, 6);
    prefab.SetThumbnail(image);
    EXPECT_FALSE(prefab.DrawThumbnail(nullptr, 0, 0, 0, 0));
    ASSERT_TRUE(prefab.DrawThumbnail(&canvas.Dc(), 5, 4, 0, 0));
    EXPECT_EQ(canvas.At(5, 4), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(6, 4), RGB(0, 255, 0));
    EXPECT_EQ(canvas.At(7, 4), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(5, 5), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(7, 5), RGB(0, 0, 255));
    EXPECT_EQ(canvas.At(8, 4), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(4, 4), RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(5, 6), RGB(0, 0, 0));
}
