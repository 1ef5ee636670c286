// Start-up of the application object against a fake shell, in a temporary program folder with the
// shipped Cube plug-in, a real texture and a real "Material.sys".
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "app/app_shell.h"
#include "app/primitive_plugin_manager.h"
#include "platform/d3d9/offscreen_gl_context.h"
#include "platform/os/recent_file_list.h"
#include "platform/os/settings.h"
#include "platform/os/splash_progress.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "support/gl_test_support.h"
#include "support/picture_writers.h"
#include "plugin_fixture.h"

namespace
{

// Every call of the shell and of its splash window, in order, as readable entries.
struct FakeSplash : IZNSplashProgress {
    explicit FakeSplash(std::vector<std::string> &journal) : journal(journal) {}
    void SetOverallTask(const char *label, int steps) override
    {
        journal.push_back("overall '" + std::string(label) + "' " + std::to_string(steps));
    }
    void StepOverall() override { journal.push_back("step overall"); }
    void SetCurrentTask(const char *label, int steps) override
    {
        journal.push_back("current '" + std::string(label) + "' " + std::to_string(steps));
    }
    void StepCurrent() override { ++currentSteps; }
    std::vector<std::string> &journal;
    int currentSteps = 0;
};

enum class Failing { Nothing, MainFrame, OptionsBar, Splash, Device };

class FakeShell : public IZNAppShell
{
public:
    explicit FakeShell(CZNOffscreenGLContext *context) : m_Context(context) {}

    void LoadCursors() override { journal.push_back("cursors"); }
    BOOL CreateMainFrame() override
    {
        journal.push_back("main frame");
        return failing != Failing::MainFrame;
    }
    void ShowMainFrame() override { journal.push_back("show"); }
    BOOL CreateOptionsBar() override
    {
        journal.push_back("options bar");
        return failing != Failing::OptionsBar;
    }
    IZNSplashProgress *CreateSplash() override
    {
        journal.push_back("splash");
        if (failing == Failing::Splash)
            return nullptr;
        splash = std::make_unique<FakeSplash>(journal);
        return splash.get();
    }
    void DestroySplash() override
    {
        journal.push_back("destroy splash");
        splash.reset();
    }
    HWND Get3DViewWindow() override
    {
        journal.push_back("3D window");
        if (failing == Failing::Device)
            m_Context->DoneCurrent(); // no GL context: the device cannot start
        return &window;
    }
    BOOL OpenDocumentFile(const char *path) override
    {
        journal.push_back("open");
        opened = path;
        initializedAtOpen = GetEditorApp()->IsInitialized();
        splashAliveAtOpen = splash != nullptr;
        return TRUE;
    }
    void UpdateAllViews() override { journal.push_back("update views"); }
    void RebuildSceneTree() override { journal.push_back("scene tree"); }
    void ReturnToSelectMode() override { journal.push_back("select mode"); }

    Failing failing = Failing::Nothing;
    std::vector<std::string> journal;
    std::unique_ptr<FakeSplash> splash;
    ZnRecordingWindow window{64, 64};
    std::string opened;
    bool initializedAtOpen = false;
    bool splashAliveAtOpen = true;

private:
    CZNOffscreenGLContext *m_Context;
};

std::vector<uint8_t> Checker(uint32_t size)
{
    std::vector<uint8_t> rgb(size_t{size} * size * 3);
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const uint8_t v = ((x / 4 + y / 4) % 2) ? 220 : 40;
            uint8_t *p = &rgb[(size_t{y} * size + x) * 3];
            p[0] = v;
            p[1] = static_cast<uint8_t>(255 - v);
            p[2] = 128;
        }
    return rgb;
}

void WriteFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

} // namespace

class StartupTest : public PluginFolderTest
{
protected:
    static void SetUpTestSuite()
    {
        s_context = new CZNOffscreenGLContext();
        ASSERT_TRUE(s_context->Create());
    }
    static void TearDownTestSuite()
    {
        delete s_context;
        s_context = nullptr;
    }
    void SetUp() override
    {
        PluginFolderTest::SetUp();
        ASSERT_TRUE(s_context->MakeCurrent());
        // Settings of this test only, never the user's.
        CZNSettings::SetUserFolder((m_Root / "settings").c_str());
        Copy(Shipped("Primitives", "cube.so"), Primitives() / "cube.so");
        fs::create_directories(m_Root / "Textures");
        WriteFile(m_Root / "Textures" / "checker.png", ZnWriteRgbPng(16, 16, Checker(16)));
        WriteFile(m_Root / "Material.sys", ZnWriteRgbPng(32, 32, Checker(32)));
        m_StartFolder = fs::current_path();
    }
    void TearDown() override
    {
        s_context->MakeCurrent();
        GetEditorApp()->ReleaseInstance();
        fs::current_path(m_StartFolder);
        PluginFolderTest::TearDown();
    }

    BOOL Start(std::vector<const char *> args = {"zneditor"})
    {
        return GetEditorApp()->InitInstance(&shell, static_cast<int>(args.size()), args.data());
    }
    // The shell's and the splash's calls; the per-file steps of the current bar are only counted.
    std::vector<std::string> Journal() const { return shell.journal; }

    static inline CZNOffscreenGLContext *s_context = nullptr;
    FakeShell shell{s_context};
    fs::path m_StartFolder;
};

TEST_F(StartupTest, RunsTheStepsInOrder)
{
    ASSERT_EQ(Start(), TRUE);
    const std::vector<std::string> expected = {
        "cursors",
        "main frame",
        "show",
        "options bar",
        "splash",
        "overall 'Overall Progress' 6",
        "current 'Initializing Direct3D Components' 2",
        "step overall",
        "3D window",
        "step overall",
        "current 'Initializing Primitive Plugin Manager' 1",
        "step overall",
        "current 'Initializing Entity Plugin Manager' 0",
        "step overall",
        "current ' Searching for Valid Texture Formats and Caching Previews ' 1",
        "step overall",
        "current ' Searching for IWF prefabs ' 0",
        "destroy splash",
        "update views",
        "scene tree",
    };
    EXPECT_EQ(Journal(), expected);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), "step overall"), 5);

    const std::vector<std::string> log = LogLines("AppInit Debug.txt");
    const std::vector<std::string> expectedLog = {
        "TOVRA v1.0a Debug Information",
        "--------------------------------",
        "Debug Session Opened",
        "--------------------",
        "1 Textures were located and loaded",
        "WARNING : No prefabs could be located. There will be no prefabs on the prefabs tab",
        "Application initialized Successfully",
        "--------------------",
        "Debug Session Closed",
    };
    EXPECT_EQ(log, expectedLog);

    CZNEDITORApp *app = GetEditorApp();
    EXPECT_TRUE(app->IsInitialized());
    EXPECT_EQ(app->GetShell(), &shell);
    EXPECT_NE(app->Get3D()->GetDevice(), nullptr);
    EXPECT_EQ(app->GetPrimitivePluginManager()->GetPluginCount(), 1);
    EXPECT_EQ(app->GetEditMode(), ZNEDITMODE_BRUSH);
    EXPECT_EQ(app->GetGridSize(), 10.0f);
    EXPECT_TRUE(m_Reporter.Entries().empty());
    EXPECT_EQ(fs::current_path(), m_StartFolder);
    EXPECT_TRUE(shell.opened.empty());

    // Shut-down lets go of everything start-up took, and the object can start again.
    app->ReleaseInstance();
    EXPECT_FALSE(app->IsInitialized());
    EXPECT_EQ(app->GetShell(), nullptr);
    EXPECT_EQ(app->GetMaterialPreviewBrush(), nullptr);
    EXPECT_EQ(app->GetMaterialPreviewTexture(), nullptr);
    EXPECT_EQ(app->Get3D()->GetDevice(), nullptr);
    EXPECT_EQ(app->GetPrimitivePluginManager()->GetPluginCount(), 0);
    EXPECT_EQ(app->GetTextureManager()->GetTextureCount(), 0u);
    shell.journal.clear();
    ASSERT_EQ(Start(), TRUE);
    EXPECT_EQ(Journal(), expected);
    EXPECT_EQ(app->GetTextureManager()->GetTextureCount(), 1u);
}

TEST_F(StartupTest, CommandLineSceneOpensAfterStartUp)
{
    // Relative to the folder the user started in, whatever the program folder is.
    ASSERT_EQ(Start({"zneditor", "-verbose", "scenes/level.iwf", "other.iwf"}), TRUE);
    EXPECT_EQ(shell.opened, (m_StartFolder / "scenes" / "level.iwf").string());
    EXPECT_TRUE(shell.initializedAtOpen);
    EXPECT_FALSE(shell.splashAliveAtOpen);
    const std::vector<std::string> &j = shell.journal;
    const auto open = std::find(j.begin(), j.end(), "open");
    ASSERT_NE(open, j.end());
    EXPECT_EQ(std::count(j.begin(), j.end(), "open"), 1);
    EXPECT_LT(std::find(j.begin(), j.end(), "destroy splash"), open);
    EXPECT_LT(open, std::find(j.begin(), j.end(), "update views"));
    EXPECT_EQ(fs::current_path(), m_StartFolder);
}

struct ShellFailureCase {
    const char *name;
    Failing failing;
    bool removePrimitives;
    const char *abortLine;
    const char *lastShellCall;
    size_t messages; // the device and the plug-in manager report their own failures
};

class StartupFailureTest : public StartupTest, public ::testing::WithParamInterface<ShellFailureCase>
{
};

TEST_P(StartupFailureTest, StopsWithItsAbortLine)
{
    const ShellFailureCase &c = GetParam();
    shell.failing = c.failing;
    if (c.removePrimitives)
        fs::remove(Primitives() / "cube.so");
    ASSERT_EQ(Start({"zneditor", "level.iwf"}), FALSE);
    ASSERT_TRUE(s_context->MakeCurrent());

    const std::vector<std::string> log = LogLines("AppInit Debug.txt");
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3], c.abortLine);
    EXPECT_EQ(log.back(), "Debug Session Closed");
    EXPECT_FALSE(PluginFolderTest::HasLine(log, "Application initialized Successfully"));

    EXPECT_FALSE(GetEditorApp()->IsInitialized());
    EXPECT_EQ(m_Reporter.Entries().size(), c.messages);
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(shell.splash, nullptr); // a splash that was shown is gone
    // Nothing after the failing call but closing the splash; no texture scan after a plug-in failure.
    std::vector<std::string> j = shell.journal;
    if (!j.empty() && j.back() == "destroy splash")
        j.pop_back();
    while (!j.empty() && j.back().rfind("current 'Initializing Primitive", 0) == 0)
        j.pop_back();
    while (!j.empty() && j.back() == "step overall")
        j.pop_back();
    ASSERT_FALSE(j.empty());
    EXPECT_EQ(j.back(), c.lastShellCall);
    for (const std::string &entry : shell.journal)
        EXPECT_EQ(entry.find("Searching"), std::string::npos) << entry;
}

INSTANTIATE_TEST_SUITE_P(
    Shell, StartupFailureTest,
    ::testing::Values(
        ShellFailureCase{"MainFrame", Failing::MainFrame, false, " Failed to process Shell Commands", "main frame", 0},
        ShellFailureCase{"OptionsBar", Failing::OptionsBar, false,
                         "ABORT LEVEL ERROR: Failed to Create the Options Property Sheet", "options bar", 0},
        ShellFailureCase{"Splash", Failing::Splash, false, "ABORT LEVEL ERROR: Failed to Create the Splash Loading Screen",
                         "splash", 0},
        ShellFailureCase{"Device", Failing::Device, false, "ABORT LEVEL ERROR: Failed to initialize the D3D Wrapper",
                         "3D window", 1},
        ShellFailureCase{"NoPrimitives", Failing::Nothing, true,
                         "ABORT LEVEL ERROR : No Primtive Plugins could be located. Application will Abort",
                         "3D window", 1}),
    [](const ::testing::TestParamInfo<ShellFailureCase> &info) { return std::string(info.param.name); });

// The material preview: a sphere of radius 30 with 18 segments and 17 rings, and its texture.
TEST_F(StartupTest, MaterialPreviewSphere)
{
    ASSERT_EQ(Start(), TRUE);
    const ZNBRUSH *brush = GetEditorApp()->GetMaterialPreviewBrush();
    ASSERT_NE(brush, nullptr);
    CZNTexture *texture = GetEditorApp()->GetMaterialPreviewTexture();
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(texture->IsLoaded());

    ASSERT_EQ(brush->GetFaceCount(), 324u);
    int triangles = 0, quads = 0;
    std::set<std::tuple<long, long, long>> positions;
    float smallestRadius = 1e9f, largestRadius = 0.0f;
    for (DWORD i = 0; i < brush->GetFaceCount(); ++i) {
        ZNFACE *face = brush->GetFace(i);
        triangles += face->GetVertexCount() == 3;
        quads += face->GetVertexCount() == 4;
        EXPECT_EQ(face->m_UWrap, 2.0f);
        EXPECT_EQ(face->m_VWrap, 2.0f);
        EXPECT_EQ(face->m_Rotation.x, 0.0f);
        EXPECT_EQ(face->m_Rotation.y, 1.5707f);
        EXPECT_EQ(face->m_Rotation.z, 0.0f);
        EXPECT_EQ(face->m_Rotation.w, 0.0f);
        EXPECT_EQ(face->m_MappingMode, 2);
        EXPECT_EQ(face->GetTexture(), texture);
        D3DXVECTOR3 centre(0, 0, 0);
        for (short k = 0; k < face->GetVertexCount(); ++k) {
            const D3DXVECTOR3 p = face->GetVector(k);
            centre += p;
            // Positions rounded to a thousandth, so the copies each face holds count once.
            positions.emplace(std::lround(p.x * 1000), std::lround(p.y * 1000), std::lround(p.z * 1000));
            const float radius = D3DXVec3Length(&p);
            smallestRadius = std::min(smallestRadius, radius);
            largestRadius = std::max(largestRadius, radius);
            // Smooth normals point away from the centre.
            const D3DXVECTOR3 n = face->GetVertexNormal(k);
            EXPECT_GT(D3DXVec3Dot(&n, &p), 0.9f * radius) << "face " << i << " vertex " << k;
        }
        // Every face is wound with its normal facing out.
        EXPECT_GT(D3DXVec3Dot(&face->m_Normal, &centre), 0.0f) << "face " << i;
    }
    EXPECT_EQ(triangles, 36);
    EXPECT_EQ(quads, 288);
    EXPECT_EQ(positions.size(), 308u);
    EXPECT_NEAR(smallestRadius, 30.0f, 1e-3f);
    EXPECT_NEAR(largestRadius, 30.0f, 1e-3f);
    EXPECT_TRUE(positions.count({0, 30000, 0}));
    EXPECT_TRUE(positions.count({0, -30000, 0}));
}

TEST_F(StartupTest, MissingMaterialPictureLeavesAnUntexturedSphere)
{
    // Not there, and a file that is no picture: both give the message once and no texture.
    for (const bool present : {false, true}) {
        SCOPED_TRACE(present ? "not a picture" : "missing");
        fs::remove(m_Root / "Material.sys");
        if (present)
            WriteFile(m_Root / "Material.sys", "not a picture at all");
        m_Reporter.Clear();
        ASSERT_EQ(Start(), TRUE);
        ASSERT_EQ(m_Reporter.Entries().size(), 1u);
        EXPECT_EQ(m_Reporter.Entries()[0].text, "The file Material.sys could not be found. Please reinstall Tovra\n The "
                                                 "Application will continue but may not work correctly.");
        EXPECT_EQ(m_Reporter.Entries()[0].type, static_cast<unsigned>(MB_OK));
        EXPECT_EQ(GetEditorApp()->GetMaterialPreviewTexture(), nullptr);
        const ZNBRUSH *brush = GetEditorApp()->GetMaterialPreviewBrush();
        ASSERT_NE(brush, nullptr);
        ASSERT_EQ(brush->GetFaceCount(), 324u);
        for (DWORD i = 0; i < brush->GetFaceCount(); ++i)
            EXPECT_EQ(brush->GetFace(i)->GetTexture(), nullptr);
        EXPECT_TRUE(GetEditorApp()->IsInitialized());
        GetEditorApp()->ReleaseInstance();
        shell.journal.clear();
    }
}

// Start-up reads the four-entry recent-file list from the settings; shut-down writes it back.
TEST_F(StartupTest, RecentFileListRoundTrip)
{
    {
        CZNSettings settings;
        settings.WriteProfileString("Recent File List", "File1", "/levels/a.iwf");
        settings.WriteProfileString("Recent File List", "File2", "");
        settings.WriteProfileString("Recent File List", "File3", "/levels/c.iwf");
        settings.WriteProfileString("Recent File List", "File5", "/levels/ignored.iwf");
        settings.Flush();
    }
    ASSERT_EQ(Start(), TRUE);
    CZNRecentFileList *list = GetEditorApp()->GetRecentFileList();
    EXPECT_EQ(list->GetSize(), 4);
    ASSERT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->Get(0), "/levels/a.iwf");
    EXPECT_EQ(list->Get(1), "/levels/c.iwf");
    EXPECT_EQ(list->Get(2), "");

    for (const char *path : {"/levels/d.iwf", "/levels/e.iwf", "/levels/c.iwf", "/levels/f.iwf", ""})
        list->Add(path);
    GetEditorApp()->ReleaseInstance();

    CZNSettings settings;
    EXPECT_EQ(settings.GetProfileString("Recent File List", "File1"), "/levels/f.iwf");
    EXPECT_EQ(settings.GetProfileString("Recent File List", "File2"), "/levels/c.iwf");
    EXPECT_EQ(settings.GetProfileString("Recent File List", "File3"), "/levels/e.iwf");
    EXPECT_EQ(settings.GetProfileString("Recent File List", "File4"), "/levels/d.iwf");
    EXPECT_EQ(settings.GetProfileString("Recent File List", "File5", "none"), "/levels/ignored.iwf");
    EXPECT_EQ(settings.GetProfileInt("Recent File List", "File1", -7), -7);
}

// A user locale with a decimal comma is in force when start-up begins (the windowing toolkit
// sets it); numbers are written with a point afterwards.
TEST_F(StartupTest, CommaLocaleDoesNotReachNumbers)
{
    const fs::path locales = m_Root / "locales";
    fs::create_directories(locales);
    const std::string command = "localedef -f UTF-8 -i de_DE '" + (locales / "de_DE.UTF-8").string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0 && !fs::exists(locales / "de_DE.UTF-8" / "LC_NUMERIC"))
        GTEST_SKIP() << "localedef cannot build de_DE here";
    const char *saved = std::getenv("LOCPATH");
    const std::string savedLocpath = saved ? saved : "";
    setenv("LOCPATH", locales.c_str(), 1);
    const bool set = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    char before[32];
    std::snprintf(before, sizeof before, "%g", 1.5);

    const BOOL started = Start();
    char after[32];
    std::snprintf(after, sizeof after, "%g", 1.5);

    std::setlocale(LC_ALL, "C");
    if (saved)
        setenv("LOCPATH", savedLocpath.c_str(), 1);
    else
        unsetenv("LOCPATH");
    ASSERT_TRUE(set);
    EXPECT_STREQ(before, "1,5"); // the locale really was in force
    ASSERT_EQ(started, TRUE);
    EXPECT_STREQ(after, "1.5");
}
