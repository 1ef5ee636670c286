// The main window as a user meets it: the keypad keys, Help with and without a browser, the
// title's unsaved-changes marker and the splash over the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QWindow>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "support/temp_dir.h"
#include "support/widget_app.h"
#include "ui/2d_view_widget.h"
#include "ui/main_frame.h"

namespace
{

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        ZnWidgetApp();
        GetEditorApp()->SetReporter(&reporter);
        GetEditorApp()->SetDefaultOptions();
        doc = std::make_unique<CZNEDITORDoc>();
        frame = std::make_unique<CZNMainFrame>(doc.get());
        frame->resize(1024, 768);
    }
    void TearDown() override
    {
        frame.reset();
        doc.reset();
        GetEditorApp()->SetReporter(nullptr);
    }
    // Shortcuts reach only the active window.
    void ShowActive()
    {
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    }

    ZnTempDir dir;
    CZNRecordingReporter reporter;
    std::unique_ptr<CZNEDITORDoc> doc;
    std::unique_ptr<CZNMainFrame> frame;
};

// Where the key goes: the frame itself, the Top 2D view or the 3D view.
enum class KeyTarget { Frame, TopView, PerspectiveView };

class NumpadGridTest : public MainWindowTest, public ::testing::WithParamInterface<KeyTarget>
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

class HelpTest : public MainWindowTest, public ::testing::WithParamInterface<HelpCase>
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        savedProgramDir = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(dir.Path().string());
    }
    void TearDown() override
    {
        GetEditorApp()->SetProgramDirectory(savedProgramDir);
        MainWindowTest::TearDown();
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

} // namespace
