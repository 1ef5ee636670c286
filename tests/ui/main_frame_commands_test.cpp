// The main window's commands as a user meets them, on the test run's platform: buttons and
// shortcuts follow the selection without a menu being opened, the document's view commands and
// As Prefab run from their items under their rules, an edit-mode change lets the band go, and
// the editor's panel and wait-cursor requests reach the document's shell.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "fileio/iwf_scene.h"
#include "fileio/prefab.h"
#include "fileio/prefab_manager.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/lightmap_builder.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/group.h"
#include "scene/overlay.h"
#include "support/shapes.h"
#include "ui/main_frame.h"
#include "ui/main_frame_fixture.h"
#include "ui/splitter_wnd.h"

namespace
{

constexpr UINT kCsgAndGroup[] = {32788, 32789, 32790, 32795};

class FrameCommandTest : public ZnShownFrameTest
{
protected:
    void SetUp() override
    {
        ZnShownFrameTest::SetUp();
        frame->SetFileDialog([this](ZNFILEDIALOG kind, std::string *path) {
            asked.push_back(kind);
            *path = answer;
            return !answer.empty();
        });
    }

    void Keys(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(frame.get(), key, modifiers);
        QCoreApplication::processEvents();
    }

    std::vector<ZNFILEDIALOG> asked;
    std::string answer;
};

TEST_F(FrameCommandTest, ARubberBandLightsCsgAndGroupingAndCtrlGGroups)
{
    ZNBRUSH *a = Box({0, 0, 0}, {40, 10, 40});
    ZNBRUSH *b = Box({80, 0, 0}, {120, 10, 40});
    QWidget *carveButton = frame->GetToolBars()[3]->widgetForAction(frame->GetAction(32788));
    ASSERT_NE(carveButton, nullptr);
    for (UINT id : kCsgAndGroup)
        EXPECT_FALSE(Enabled(id)) << id;

    // From empty space over both cubes; no menu is opened.
    Drag(Pixel(-20, -20), Pixel(140, 60));
    ASSERT_EQ(Band()->GetEntryCount(), 2u);
    for (UINT id : kCsgAndGroup)
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_TRUE(carveButton->isEnabled());

    // A click on empty space lets them go, and the buttons grey.
    Click(Pixel(-60, -60));
    ASSERT_EQ(Band()->GetEntryCount(), 0u);
    for (UINT id : kCsgAndGroup)
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_FALSE(carveButton->isEnabled());

    Drag(Pixel(-20, -20), Pixel(140, 60));
    Keys(Qt::Key_G);
    ASSERT_NE(a->GetParent(), nullptr);
    EXPECT_EQ(a->GetParent(), b->GetParent());

    Keys(Qt::Key_Z);
    EXPECT_EQ(a->GetParent(), nullptr);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    for (UINT id : kCsgAndGroup)
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_FALSE(carveButton->isEnabled());
}

// A selection made where no panel refresh is asked for is taken up after the next input
// anywhere in the window, here a click on the status bar.
TEST_F(FrameCommandTest, AnyInputBringsTheStatesUpToDate)
{
    Add(ZNSELECT_BRUSH, Box({0, 0, 0}, {40, 10, 40}));
    QWidget *status = frame->statusBar();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(5, 5), QPointF(status->mapToGlobal(QPoint(5, 5))), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(status, &event);
    }
    QCoreApplication::processEvents();
    for (UINT id : kCsgAndGroup)
        EXPECT_TRUE(Enabled(id)) << id;
}

TEST_F(FrameCommandTest, FaceModeLetsTheBandGo)
{
    ZNBRUSH *a = Box({0, 0, 0}, {40, 10, 40});
    // A click on the cube's edge x = 0 selects it.
    Click(Pixel(0, 20));
    ASSERT_EQ(a->IsBrushSelected(), 1);
    EXPECT_TRUE(Enabled(32788));

    frame->GetAction(10002)->trigger();
    EXPECT_EQ(GetEditorApp()->GetEditMode(), ZNEDITMODE_FACE);
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    EXPECT_EQ(Band()->GetBandMode(), ZNBAND_EMPTY);
    EXPECT_EQ(a->IsBrushSelected(), 0);
    EXPECT_FALSE(Enabled(32788));

    // A drag inside the cube no longer carries it along.
    Drag(Pixel(10, 10), Pixel(30, 10));
    EXPECT_EQ(a->GetBoundingBox(1).Min, D3DXVECTOR3(0, 0, 0));
}

// The document's view commands and As Prefab: the states (empty scene; two cubes; the first
// selected; in face mode one of its faces selected) that enable each, as '+' in that order, and
// what the command does from its item with the first cube selected.
struct WiredCase {
    const char *name;
    UINT id;
    const char *enabled;
    bool startHidden;
    void (*check)(const std::vector<ZNBRUSH *> &cubes, const CZNRecordingReporter &reporter,
                  const std::filesystem::path &prefab);
};

bool Hidden(const ZNBRUSH *b)
{
    return (b->m_Flags & ZNBRUSH_HIDDEN) != 0;
}

void ExpectHidden(const std::vector<ZNBRUSH *> &cubes, bool first, bool second)
{
    EXPECT_EQ(Hidden(cubes[0]), first);
    EXPECT_EQ(Hidden(cubes[1]), second);
}

std::string LastMessage(const CZNRecordingReporter &reporter)
{
    return reporter.Entries().empty() ? std::string() : reporter.Entries().back().text;
}

class WiredCommandTest : public FrameCommandTest, public ::testing::WithParamInterface<WiredCase>
{
};

TEST_P(WiredCommandTest, EnabledByItsRuleAndRunFromItsItem)
{
    const WiredCase &c = GetParam();
    auto state = [&](int i) {
        frame->UpdateCommandUI();
        EXPECT_EQ(Enabled(c.id), c.enabled[i] == '+') << "state " << i;
    };
    state(0);
    std::vector<ZNBRUSH *> cubes = {Box({0, 0, 0}, {40, 10, 40}), Box({80, 0, 0}, {120, 10, 40})};
    state(1);
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    Add(ZNSELECT_FACE, cubes[0], 2);
    state(3);
    Band()->Clear(1, 0);
    GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
    Add(ZNSELECT_BRUSH, cubes[0]);
    state(2);

    for (ZNBRUSH *b : cubes)
        if (c.startHidden)
            b->m_Flags |= ZNBRUSH_HIDDEN;
    const std::filesystem::path prefab = std::filesystem::path(dir.Path()) / "Prefabs" / "Cube.iwf";
    std::filesystem::create_directories(prefab.parent_path());
    answer = prefab.string();
    Top()->SetCentre(500, 500);
    frame->GetAction(c.id)->trigger();
    c.check(cubes, reporter, prefab);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, WiredCommandTest,
    ::testing::Values(
        WiredCase{"HideAll", 32869, "-++-", false,
                  [](const std::vector<ZNBRUSH *> &c, const CZNRecordingReporter &, const std::filesystem::path &) {
                      ExpectHidden(c, true, true);
                  }},
        WiredCase{"HideSelected", 32870, "--+-", false,
                  [](const std::vector<ZNBRUSH *> &c, const CZNRecordingReporter &, const std::filesystem::path &) {
                      ExpectHidden(c, true, false);
                  }},
        WiredCase{"HideDeselected", 32875, "-++-", false,
                  [](const std::vector<ZNBRUSH *> &c, const CZNRecordingReporter &, const std::filesystem::path &) {
                      ExpectHidden(c, false, true);
                  }},
        WiredCase{"UnhideAll", 32872, "-++-", true,
                  [](const std::vector<ZNBRUSH *> &c, const CZNRecordingReporter &, const std::filesystem::path &) {
                      ExpectHidden(c, false, false);
                  }},
        WiredCase{"UnhideSelected", 32873, "--+-", true,
                  [](const std::vector<ZNBRUSH *> &c, const CZNRecordingReporter &, const std::filesystem::path &) {
                      ExpectHidden(c, false, true);
                  }},
        WiredCase{"UnhideDeselected", 32876, "-++-", true,
                  [](const std::vector<ZNBRUSH *> &c, const CZNRecordingReporter &, const std::filesystem::path &) {
                      ExpectHidden(c, true, false);
                  }},
        WiredCase{"Sanitize", 32868, "--+-", false,
                  [](const std::vector<ZNBRUSH *> &, const CZNRecordingReporter &r, const std::filesystem::path &) {
                      EXPECT_EQ(LastMessage(r), "Sanitization process completed successfully.");
                      const ZNUNDORECORD *newest = GetEditorApp()->GetDocument()->GetUndoList();
                      ASSERT_NE(newest, nullptr);
                      EXPECT_STREQ(newest->Description, "Sanitize selected objects");
                  }},
        WiredCase{"SceneStatistics", 32866, "-+++", false,
                  [](const std::vector<ZNBRUSH *> &, const CZNRecordingReporter &r, const std::filesystem::path &) {
                      EXPECT_NE(LastMessage(r).find("Brushes : 2\r\nFaces : 12\r\n"), std::string::npos);
                  }},
        WiredCase{"SelectionStatistics", 32867, "--+-", false,
                  [](const std::vector<ZNBRUSH *> &, const CZNRecordingReporter &r, const std::filesystem::path &) {
                      EXPECT_NE(LastMessage(r).find("Brushes : 1\r\nFaces : 6\r\n"), std::string::npos);
                  }},
        WiredCase{"CentreOnSelected", 32858, "--++", false,
                  [](const std::vector<ZNBRUSH *> &, const CZNRecordingReporter &, const std::filesystem::path &) {
                      const CZN2DView *top = static_cast<CZN2DView *>(GetEditorApp()->GetDocument()->GetViews()[0]);
                      const D3DXVECTOR3 centre(20, 5, 20);
                      POINT p;
                      top->WorldToScreen(&p, &centre);
                      EXPECT_NEAR(p.x, top->GetClientWidth() / 2, 1);
                      EXPECT_NEAR(p.y, top->GetClientHeight() / 2, 1);
                      EXPECT_EQ(top->GetZoom(), 1.0f);
                  }},
        WiredCase{"ZoomIntoSelected", 32861, "--++", false,
                  [](const std::vector<ZNBRUSH *> &, const CZNRecordingReporter &, const std::filesystem::path &) {
                      const CZN2DView *top = static_cast<CZN2DView *>(GetEditorApp()->GetDocument()->GetViews()[0]);
                      const D3DXVECTOR3 centre(20, 5, 20);
                      POINT p;
                      top->WorldToScreen(&p, &centre);
                      EXPECT_NEAR(p.x, top->GetClientWidth() / 2, 1);
                      EXPECT_NEAR(p.y, top->GetClientHeight() / 2, 1);
                      EXPECT_GT(top->GetZoom(), 1.0f);
                  }},
        WiredCase{"AsPrefab", 32839, "--+-", false,
                  [](const std::vector<ZNBRUSH *> &, const CZNRecordingReporter &r, const std::filesystem::path &f) {
                      EXPECT_TRUE(r.Entries().empty());
                      EXPECT_GT(std::filesystem::file_size(f), 0u);
                  }}),
    [](const ::testing::TestParamInfo<WiredCase> &info) { return std::string(info.param.name); });

TEST_F(FrameCommandTest, AsPrefabWritesAPrefabThePrefabManagerLoads)
{
    // With nothing selected the command explains itself and asks for no file.
    frame->RunCommand(32839);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].text,
              "Cannot create prefab.!!!\nYou have no objects selected into the selection box. ");
    EXPECT_TRUE(asked.empty());

    Box({0, 0, 0}, {40, 10, 40});
    Box({80, 0, 0}, {120, 10, 40});
    Drag(Pixel(-20, -20), Pixel(140, 60));
    ASSERT_TRUE(Enabled(32839));
    const std::filesystem::path folder = std::filesystem::path(dir.Path()) / "Prefabs";
    std::filesystem::create_directories(folder);
    answer = (folder / "Pair.iwf").string();
    frame->GetAction(32839)->trigger();
    EXPECT_EQ(asked, std::vector<ZNFILEDIALOG>{ZNFILEDLG_PREFAB});
    EXPECT_EQ(reporter.Entries().size(), 1u);

    CZNPrefabManager manager;
    ASSERT_EQ(manager.ScanFolder(nullptr, (folder.string() + "/").c_str(), "*.*", "<General>", true), 1u);
    const CZNPrefab *prefab = manager.GetFirst();
    EXPECT_STREQ(prefab->GetName(), "Pair");

    // Placed back, it brings both cubes.
    Band()->Clear(1, 0);
    const D3DXVECTOR3 at(500, 0, 500);
    ASSERT_EQ(doc->ImportScene(prefab->GetPath(), &at, TRUE), 1);
    int brushes = 0;
    for (ZNBRUSH *brush = doc->GetBrushList(); brush; brush = brush->m_Next)
        ++brushes;
    EXPECT_EQ(brushes, 4);
    const ZNBBOX placed = doc->GetLastBrush()->GetBoundingBox(1);
    EXPECT_EQ(placed.Max, D3DXVECTOR3(560, 5, 520));
}

// A shell that writes down what the editor asks of it; a probe adds a word to the wait-cursor
// lines, to see what the cursor was around.
class RecordingShell : public IZNDocShell
{
public:
    bool AskFilePath(ZNFILEDIALOG, std::string *) override { return false; }
    void BeginWaitCursor() override { calls.push_back("BeginWaitCursor" + Probe()); }
    void EndWaitCursor() override { calls.push_back("EndWaitCursor" + Probe()); }
    void UpdateStatusBar() override {}
    void RebuildSceneTree() override { calls.push_back("RebuildSceneTree"); }
    void RefreshMaterialList() override { calls.push_back("RefreshMaterialList"); }
    void RefreshActivePage() override { calls.push_back("RefreshActivePage"); }
    void RefreshPrefabs() override { calls.push_back("RefreshPrefabs"); }
    void CheckRenderModeButton(UINT) override {}
    void DocumentChanged() override {}
    void AddRecentFile(const std::string &) override {}

    bool Saw(const char *call) const
    {
        for (const std::string &c : calls)
            if (c == call)
                return true;
        return false;
    }
    std::string Probe() const { return probe ? " " + probe() : std::string(); }

    std::vector<std::string> calls;
    std::function<std::string()> probe;
};

TEST_F(FrameCommandTest, TheDocumentsShellHearsTheEditorsRequests)
{
    RecordingShell shell;
    doc->SetShell(&shell);
    ZNBRUSH *a = Box({0, 0, 0}, {40, 10, 40});
    Box({80, 0, 0}, {120, 10, 40});

    Click(Pixel(0, 20));
    ASSERT_EQ(a->IsBrushSelected(), 1);
    EXPECT_TRUE(shell.Saw("RefreshActivePage")) << "select click";

    shell.calls.clear();
    frame->RunCommand(32825);
    Click(Pixel(-60, -60));
    ASSERT_NE(doc->GetOverlayList(), nullptr);
    EXPECT_TRUE(shell.Saw("RebuildSceneTree")) << "placement";

    shell.calls.clear();
    Drag(Pixel(-20, -20), Pixel(140, 60));
    frame->RunCommand(32795);
    ASSERT_NE(a->GetParent(), nullptr);
    EXPECT_TRUE(shell.Saw("RefreshActivePage")) << "grouping";

    shell.calls.clear();
    Keys(Qt::Key_H);
    ASSERT_TRUE(Hidden(a));
    EXPECT_TRUE(shell.Saw("RebuildSceneTree")) << "hiding";
    EXPECT_TRUE(shell.Saw("RefreshActivePage")) << "hiding";

    // Undo restores under the wait cursor, then has the scene tree rebuilt.
    shell.calls.clear();
    shell.probe = [a] { return std::string(Hidden(a) ? "hidden" : "shown"); };
    Keys(Qt::Key_Z);
    ASSERT_FALSE(Hidden(a));
    ASSERT_GE(shell.calls.size(), 3u);
    EXPECT_EQ(shell.calls.front(), "BeginWaitCursor hidden");
    EXPECT_EQ(shell.calls[shell.calls.size() - 2], "EndWaitCursor shown");
    EXPECT_EQ(shell.calls.back(), "RebuildSceneTree");
    doc->SetShell(frame.get());
}

} // namespace

namespace
{
TEST_F(FrameCommandTest, AsFileFollowsTheBandAndBuildLightingHasNoItem)
{
    QAction *asFile = frame->GetAction(ZNCMD_FILE_EXPORT_FILE);
    EXPECT_EQ(asFile->statusTip(), QStringLiteral("Save the Current Select as an IWF."));
    EXPECT_FALSE(Enabled(ZNCMD_FILE_EXPORT_FILE));
    EXPECT_TRUE(Enabled(ZNCMD_FILE_BATCH_CONVERSION));
    QAction *lighting = frame->GetAction(ZNCMD_3D_BUILD_LIGHTMAPS);
    ASSERT_NE(lighting, nullptr);
    EXPECT_TRUE(lighting->shortcut().isEmpty());
    for (QObject *owner : lighting->associatedObjects())
        EXPECT_EQ(qobject_cast<QWidget *>(owner), frame.get()) << "only the window holds it";

    Box({0, 0, 0}, {40, 10, 40});
    Drag(Pixel(-20, -20), Pixel(60, 60));
    ASSERT_TRUE(Enabled(ZNCMD_FILE_EXPORT_FILE));
    const std::string path = (dir.Path() / "selection.iwf").string();
    std::vector<int> preselected;
    frame->SetExportDialog([&](std::string *p, int *type) {
        preselected.push_back(*type);
        *p = path;
        *type = 1;
        return true;
    });
    int optionsShown = 0;
    frame->SetExportOptionsDialog([&](IWFEXPORTOPTIONS *o) {
        ++optionsShown;
        o->Option[IWFOPT_THUMBNAIL] = 0;
        return true;
    });
    asFile->trigger();
    EXPECT_EQ(preselected, std::vector<int>{1});
    EXPECT_EQ(optionsShown, 1);
    EXPECT_GT(std::filesystem::file_size(path), 0u);
    EXPECT_TRUE(reporter.Entries().empty());

    // With a selection, Build Lighting runs without a word.
    lighting->trigger();
    EXPECT_TRUE(reporter.Entries().empty());
    GetEditorApp()->GetLightmapBuilder()->Release();
}
} // namespace
