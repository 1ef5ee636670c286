// The main window on the test run's platform: title, toolbars, check states, status texts, the
// update rules and the placement written on closing; and as a user meets it: the keypad keys,
// Help with and without a browser, the unsaved-changes marker and the splash over the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QSettings>
#include <QTest>
#include <QToolBar>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "platform/os/command_ids.h"
#include "platform/os/memory_clipboard.h"
#include "render/direct3d.h"
#include "render/view/3d_view.h"
#include "scene/brush.h"
#include "scene/selection_entry.h"
#include "support/shapes.h"
#include "ui/2d_view_widget.h"
#include "ui/main_frame.h"
#include "ui/main_frame_fixture.h"
#include "ui/qt_app_shell.h"
#include "ui/splash_dlg.h"

namespace
{

class MainFrameTest : public ZnMainFrameTest
{
protected:
    void SetOptions() override { GetEditorApp()->Get3D()->SetRenderMode(3); }

    // Shortcuts reach only the active window.
    void ShowActive()
    {
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }
    bool Checked(UINT id) { return frame->GetAction(id)->isChecked(); }
};

TEST_F(MainFrameTest, StartsWithTitleToolbarsChecksAndStatus)
{
    EXPECT_EQ(frame->windowTitle().toStdString(), "Untitled[*] - TOVRA v1.5");
    const std::vector<std::vector<UINT>> expected = {
        {57600, 57601, 57603, 57664, 0, 32775, 32776, 0, 32861, 32858, 0, 32783},
        {10001, 10002, 10003, 32824},
        {32777, 32778, 32779, 32825, 32847},
        {32788, 32789, 32790},
        {32795, 32796},
        {32815, 32816},
        {32859, 32834, 32835, 32836, 0, 32862, 32863}};
    ASSERT_EQ(frame->GetToolBars().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        std::vector<UINT> ids;
        for (QAction *action : frame->GetToolBars()[i]->actions())
            ids.push_back(action->isSeparator() ? 0 : action->data().toUInt());
        EXPECT_EQ(ids, expected[i]) << frame->GetToolBars()[i]->objectName().toStdString();
        EXPECT_FALSE(frame->GetToolBars()[i]->objectName().isEmpty());
    }
    for (UINT id : {32775u, 32777u, 10001u, 32834u})
        EXPECT_TRUE(Checked(id)) << id;
    EXPECT_EQ(frame->GetStatusText(1).toStdString(), "Grid : 10");
    EXPECT_EQ(frame->GetStatusText(2).toStdString(), "Snap : None");
    EXPECT_EQ(doc->GetViews().size(), 4u);
}

// Each command is one action, found by its id.
TEST_F(MainFrameTest, EveryActionHasItsOwnCommandId)
{
    std::set<UINT> ids;
    for (QAction *action : frame->actions()) {
        const UINT id = action->data().toUInt();
        EXPECT_TRUE(ids.insert(id).second) << id;
        EXPECT_EQ(frame->GetAction(id), action) << id;
    }
}

// Ctrl+2 to Ctrl+8 hide and show one toolbar each; the item's check follows its bar.
struct ToolBarKeyCase {
    const char *name;
    Qt::Key key;
    UINT command;
    const char *bar;
};

class ToolBarKeyTest : public MainFrameTest, public ::testing::WithParamInterface<ToolBarKeyCase>
{
};

TEST_P(ToolBarKeyTest, CtrlDigitHidesAndShowsItsToolbar)
{
    const ToolBarKeyCase &c = GetParam();
    ShowActive();
    // The checks follow the bars when a menu opens or input arrives.
    frame->UpdateCommandUI();
    QToolBar *bar = frame->findChild<QToolBar *>(QString::fromUtf8(c.bar));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(Checked(c.command));
    QTest::keyClick(frame.get(), c.key, Qt::ControlModifier);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(Checked(c.command));
    for (QToolBar *other : frame->GetToolBars()) {
        if (other != bar) {
            EXPECT_TRUE(other->isVisible()) << other->objectName().toStdString();
        }
    }
    QTest::keyClick(frame.get(), c.key, Qt::ControlModifier);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(Checked(c.command));
}

INSTANTIATE_TEST_SUITE_P(
    Bars, ToolBarKeyTest,
    ::testing::Values(ToolBarKeyCase{"Draw", Qt::Key_2, ZNCMD_TOOLBAR_DRAW, "Draw"},
                      ToolBarKeyCase{"Edit", Qt::Key_3, ZNCMD_TOOLBAR_EDIT, "Edit"},
                      ToolBarKeyCase{"CSG", Qt::Key_4, ZNCMD_TOOLBAR_CSG, "CSG"},
                      ToolBarKeyCase{"Main", Qt::Key_5, ZNCMD_TOOLBAR_MAIN, "Main"},
                      ToolBarKeyCase{"RenderMode", Qt::Key_6, ZNCMD_TOOLBAR_RENDER_MODE, "Render Mode"},
                      ToolBarKeyCase{"Grouping", Qt::Key_7, ZNCMD_TOOLBAR_GROUPING, "Grouping"},
                      ToolBarKeyCase{"Snap", Qt::Key_8, ZNCMD_TOOLBAR_SNAP, "Snap"}),
    [](const ::testing::TestParamInfo<ToolBarKeyCase> &info) { return std::string(info.param.name); });

TEST_F(MainFrameTest, GridStepsStopAtOne)
{
    GetEditorApp()->SetGridSize(1.5f);
    frame->RunCommand(32855);
    EXPECT_FLOAT_EQ(GetEditorApp()->GetGridSize(), 1.0f);
    frame->RunCommand(32855);
    EXPECT_FLOAT_EQ(GetEditorApp()->GetGridSize(), 1.0f);
    EXPECT_EQ(frame->GetStatusText(1).toStdString(), "Grid : 1");
    frame->RunCommand(32815);
    frame->RunCommand(32816);
    EXPECT_EQ(frame->GetStatusText(2).toStdString(), "Snap : Pos, Rot");
}

TEST_F(MainFrameTest, UpdateRulesDisableDependentToggles)
{
    ZNAPPOPTIONS &o = GetEditorApp()->Options();
    o.m_DynamicUpdate = 1;
    o.m_CameraSelectable = 1;
    frame->UpdateCommandUI();
    EXPECT_TRUE(Checked(32819));
    frame->RunCommand(32820); // Render Camera off
    EXPECT_FALSE(Enabled(32819));
    EXPECT_FALSE(Enabled(32821));
    EXPECT_TRUE(Checked(32819)) << "a disabled item keeps its check";
    EXPECT_EQ(o.m_DynamicUpdate, 1);
    EXPECT_EQ(o.m_CameraSelectable, 1);

    frame->RunCommand(32819); // dynamic update off
    EXPECT_FALSE(Enabled(32822));
    EXPECT_FALSE(Enabled(32823));
    EXPECT_TRUE(Enabled(32809));
    frame->RunCommand(32808); // lights in 2D views off
    EXPECT_FALSE(Enabled(32809));

    EXPECT_EQ(frame->GetAction(57643)->text().toStdString(), "&Undo\tCtrl+Z");
    EXPECT_FALSE(Enabled(57643));
}

TEST_F(MainFrameTest, ClosingWritesThePlacement)
{
    frame->show();
    frame->close();
    QSettings settings(QStringLiteral("ZN-Level Editor"), QStringLiteral("TOVRA"));
    settings.sync();
    const std::string text = settings.value(QStringLiteral("WinPos/Main")).toString().toStdString();
    WINDOWPLACEMENT placement;
    ASSERT_TRUE(CZNWindowPlacement::Parse(text, &placement)) << text;
    EXPECT_EQ(placement.showCmd, 1u);
    EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 1024);
}

// The Undo item names the newest level, and the command takes it back.
TEST_F(MainFrameTest, UndoItemNamesTheNewestLevel)
{
    ZNBRUSH *brush = doc->NewBrush();
    ZnBuildBox(*brush, {0, 0, 0}, {64, 64, 64});
    std::vector<ZNSELECTIONENTRY> entries(1);
    entries[0].Type = ZNSELECT_BRUSH;
    entries[0].Object = reinterpret_cast<uintptr_t>(brush);
    ASSERT_TRUE(doc->WriteUndoData(ZNUNDO_ADD, entries, 0, 0));
    doc->SetUndoDescription("Add Primitive");
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->GetAction(57643)->text().toStdString(), "&Undo Add Primitive\tCtrl + Z");
    EXPECT_TRUE(Enabled(57643));

    frame->RunCommand(57643);
    EXPECT_EQ(doc->GetBrushList(), nullptr);
    EXPECT_EQ(frame->GetAction(57643)->text().toStdString(), "&Undo\tCtrl+Z");
    EXPECT_FALSE(Enabled(57643));
}

} // namespace

TEST_F(MainFrameTest, EditItemsRunTheClipboardCommandsUnderTheirRules)
{
    CZNMemoryClipboard clipboard;
    SetClipboard(&clipboard);
    ZnBuildBox(*doc->NewBrush(), {0, 0, 0}, {10, 10, 10});
    frame->UpdateCommandUI();
    EXPECT_FALSE(Enabled(57634));
    EXPECT_FALSE(Enabled(57637));
    EXPECT_TRUE(Enabled(57642));

    frame->RunCommand(57642);
    EXPECT_EQ(GetEditorApp()->GetSelectionBand()->GetEntryCount(), 1u);
    EXPECT_TRUE(Enabled(57634));
    frame->RunCommand(57634);
    EXPECT_TRUE(Enabled(57637));

    // The 3D pane is active at first: the copy lands centred on the origin.
    EXPECT_EQ(frame->GetActiveView(), static_cast<CZNView *>(frame->Get3DView()));
    frame->RunCommand(57637);
    ZNBRUSH *pasted = doc->GetLastBrush();
    ASSERT_NE(pasted, doc->GetBrushList());
    const ZNBBOX box = pasted->GetBoundingBox(1);
    EXPECT_EQ(box.Min, D3DXVECTOR3(-5, -5, -5));
    GetEditorApp()->GetSelectionBand()->Clear(1, 0);
    SetClipboard(nullptr);
}

namespace
{

// Where the key goes: the frame itself, the Top 2D view or the 3D view.
enum class KeyTarget { Frame, TopView, PerspectiveView };

class NumpadGridTest : public MainFrameTest, public ::testing::WithParamInterface<KeyTarget>
{
protected:
    QWidget *Target()
    {
        switch (GetParam()) {
        case KeyTarget::TopView:
            for (auto *pane : frame->findChildren<CZN2DViewWidget *>())
                if (pane->GetView() == frame->Get2DView(0))
                    return pane;
            return nullptr;
        case KeyTarget::PerspectiveView:
            return frame->GetActivePane();
        case KeyTarget::Frame:
            break;
        }
        return frame.get();
    }
};

TEST_P(NumpadGridTest, KeypadPlusAndMinusStepTheGrid)
{
    ShowActive();
    QWidget *target = Target();
    ASSERT_NE(target, nullptr);
    target->setFocus();
    GetEditorApp()->SetGridSize(10.0f);
    QTest::keyClick(target, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_FLOAT_EQ(GetEditorApp()->GetGridSize(), 11.0f);
    EXPECT_EQ(frame->GetStatusText(1).toStdString(), "Grid : 11");
    QTest::keyClick(target, Qt::Key_Minus, Qt::KeypadModifier);
    QTest::keyClick(target, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_FLOAT_EQ(GetEditorApp()->GetGridSize(), 9.0f);
    EXPECT_EQ(frame->GetStatusText(1).toStdString(), "Grid : 9");
    // The main keyboard's minus, and the keypad's with Ctrl, leave the grid alone.
    QTest::keyClick(target, Qt::Key_Minus);
    QTest::keyClick(target, Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier);
    EXPECT_FLOAT_EQ(GetEditorApp()->GetGridSize(), 9.0f);
}

INSTANTIATE_TEST_SUITE_P(Panes, NumpadGridTest,
                         ::testing::Values(KeyTarget::Frame, KeyTarget::TopView, KeyTarget::PerspectiveView),
                         [](const ::testing::TestParamInfo<KeyTarget> &info) {
                             switch (info.param) {
                             case KeyTarget::TopView: return std::string("TopView");
                             case KeyTarget::PerspectiveView: return std::string("PerspectiveView");
                             case KeyTarget::Frame: break;
                             }
                             return std::string("Frame");
                         });

// Help: the page beside the program, or not; a browser that starts, or none.
struct HelpCase {
    const char *name;
    bool pageShipped;
    bool browserStarts;
    const char *message; // the start of the message shown; empty for none
};

class HelpTest : public MainFrameTest, public ::testing::WithParamInterface<HelpCase>
{
protected:
    void SetUp() override
    {
        MainFrameTest::SetUp();
        savedProgramDir = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(dir.Path().string());
    }
    void TearDown() override
    {
        GetEditorApp()->SetProgramDirectory(savedProgramDir);
        MainFrameTest::TearDown();
    }
    std::string savedProgramDir;
};

TEST_P(HelpTest, F1AndContentsOpenThePageOrSayWhyNot)
{
    const HelpCase &c = GetParam();
    const std::filesystem::path page = dir.Path() / "Help" / "TovraReference" / "legalinfo.html";
    if (c.pageShipped) {
        std::filesystem::create_directories(page.parent_path());
        std::ofstream(page) << "<html><body>Help</body></html>";
    }
    std::vector<QUrl> opened;
    frame->SetUrlOpener([&](const QUrl &url) {
        opened.push_back(url);
        return c.browserStarts;
    });
    ShowActive();
    QTest::keyClick(frame.get(), Qt::Key_F1);
    frame->GetAction(32857)->trigger();

    const std::vector<QUrl> expectedOpened(c.pageShipped ? 2 : 0, QUrl::fromLocalFile(QString::fromStdString(page.string())));
    EXPECT_EQ(opened, expectedOpened);
    if (!*c.message) {
        EXPECT_TRUE(reporter.Entries().empty());
        return;
    }
    ASSERT_EQ(reporter.Entries().size(), 2u);
    for (const CZNRecordingReporter::Entry &entry : reporter.Entries()) {
        EXPECT_EQ(entry.text.rfind(c.message, 0), 0u) << entry.text;
        EXPECT_NE(entry.text.find(page.string()), std::string::npos) << entry.text;
        EXPECT_EQ(entry.type, MB_OK | MB_ICONEXCLAMATION);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HelpTest,
    ::testing::Values(HelpCase{"BrowserShowsThePage", true, true, ""},
                      HelpCase{"NoBrowser", true, false, "No web browser could be started to show the help file "},
                      HelpCase{"PageMissing", false, true, "The help file "}),
    [](const ::testing::TestParamInfo<HelpCase> &info) { return std::string(info.param.name); });

// The shown title carries Qt's marker while the document has unsaved changes.
TEST_F(MainFrameTest, TheTitleMarksUnsavedChanges)
{
    ShowActive();
    auto shownTitle = [&] { return frame->windowHandle()->title().toStdString(); };
    EXPECT_EQ(shownTitle(), "Untitled - TOVRA v1.5");
    EXPECT_FALSE(frame->isWindowModified());

    for (float x : {0.0f, 100.0f})
        ZnBuildBox(*doc->NewBrush(), {x, 0, 0}, {x + 64, 64, 64});
    frame->RunCommand(57642); // Select All
    frame->RunCommand(32795); // Group
    ASSERT_TRUE(doc->IsModified());
    EXPECT_TRUE(frame->isWindowModified());
    EXPECT_EQ(shownTitle(), "Untitled* - TOVRA v1.5");

    // A name with Qt's placeholder in it is shown as written.
    const std::string path = dir.File("odd[*].iwf");
    frame->SetFileDialog([&](ZNFILEDIALOG, std::string *chosen) {
        *chosen = path;
        return true;
    });
    frame->RunCommand(57604); // Save As
    EXPECT_FALSE(frame->isWindowModified());
    EXPECT_EQ(shownTitle(), "odd[*].iwf - TOVRA v1.5");
    GetEditorApp()->GetSelectionBand()->Clear(1, 0);
}

// Start-up shows the splash over the main window, centred on it, as a window of its own that
// the window system keeps above the frame and its docks.
TEST_F(MainFrameTest, TheSplashIsCentredAboveTheMainWindow)
{
    frame.reset();
    CZNQtAppShell shell(nullptr);
    ASSERT_TRUE(shell.CreateMainFrame());
    shell.GetMainFrame()->move(40, 30);
    shell.ShowMainFrame();
    auto *splash = dynamic_cast<CZNSplashDlg *>(shell.CreateSplash());
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isWindow());
    EXPECT_TRUE(splash->isVisible());
    ASSERT_NE(splash->windowHandle(), nullptr);
    EXPECT_EQ(splash->windowHandle()->transientParent(), shell.GetMainFrame()->windowHandle());
    const QPoint offset = splash->geometry().center() - shell.GetMainFrame()->geometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << ", " << offset.y();
    shell.DestroySplash();
    shell.DestroyWindows();
}

} // namespace
