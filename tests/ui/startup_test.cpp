// The editor started for real: in this process through the Qt shell with the shipped plug-ins,
// and as the built executable in a child process.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QSettings>
#include <QToolBar>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/os/recording_reporter.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "support/shapes.h"
#include "support/temp_dir.h"
#include "support/widget_app.h"
#include "ui/2d_view_widget.h"
#include "ui/3d_view_widget.h"
#include "ui/main_frame.h"
#include "ui/program_folder.h"
#include "ui/qt_app_shell.h"

namespace fs = std::filesystem;

namespace
{

std::string ReadFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The pixels that differ between two pictures of one size, and the box they lie in.
struct ZnDiff {
    int count = 0;
    QRect box;
};

ZnDiff Difference(const QImage &a, const QImage &b)
{
    ZnDiff diff;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                ++diff.count;
                diff.box |= QRect(x, y, 1, 1);
            }
    return diff;
}

// Every toolbar button shows its picture from the program folder's Resources, at its toolbar's
// size. The drawn-initials stand-in is opaque grey, so a button whose pixels equal its file's, and
// whose file is partly transparent and partly drawn, shows the shipped artwork.
void ExpectButtonArtwork(const CZNMainFrame &frame, const fs::path &program)
{
    int buttons = 0;
    for (QToolBar *bar : frame.GetToolBars())
        for (QAction *action : bar->actions()) {
            if (action->isSeparator())
                continue;
            ++buttons;
            const UINT id = action->data().toUInt();
            const fs::path file = program / "Resources" / ("button" + std::to_string(id) + ".png");
            const QImage art =
                QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            ASSERT_FALSE(art.isNull()) << file;
            EXPECT_EQ(art.size(), bar->iconSize()) << id;
            int transparent = 0;
            for (int y = 0; y < art.height(); ++y)
                for (int x = 0; x < art.width(); ++x)
                    transparent += qAlpha(art.pixel(x, y)) == 0;
            const int drawn = art.width() * art.height() - transparent;
            EXPECT_GT(transparent, 0) << id;
            EXPECT_GT(drawn * 10, art.width() * art.height()) << id;
            const QImage shown = action->icon().pixmap(bar->iconSize()).toImage();
            EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied), art) << id;
        }
    EXPECT_EQ(buttons, 31);
}

class StartUpTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", (dir.Path() / "config").c_str(), 1);
        ZnWidgetApp();
        ZnMakeProgramFolder(dir.Path() / "program", false);
        GetEditorApp()->SetProgramDirectory((dir.Path() / "program").string());
        GetEditorApp()->SetReporter(&reporter);
    }
    void TearDown() override
    {
        shell.DestroyWindows();
        GetEditorApp()->ReleaseInstance();
        GetEditorApp()->SetReporter(nullptr);
    }

    QImage Grab(QWidget *widget) { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    ZnTempDir dir;
    CZNRecordingReporter reporter;
    CZNQtAppShell shell{nullptr};
};

TEST_F(StartUpTest, TheWindowComesUpAndAScreenshotShowsACube)
{
    const char *argv[] = {"zneditor", nullptr};
    ASSERT_TRUE(GetEditorApp()->InitInstance(&shell, 1, argv));
    const std::string log = ReadFile(dir.Path() / "program" / "Debug Logs" / "AppInit Debug.txt");
    EXPECT_NE(log.find("Application initialized Successfully"), std::string::npos) << log;

    CZNMainFrame *frame = shell.GetMainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->windowTitle().toStdString(), "Untitled[*] - TOVRA v1.5");
    EXPECT_EQ(frame->GetToolBars().size(), 7u);
    for (UINT id : {32775u, 32777u, 10001u, 32834u})
        EXPECT_TRUE(frame->GetAction(id)->isChecked()) << id;
    EXPECT_EQ(frame->GetStatusText(1).toStdString(), "Grid : 10");
    EXPECT_EQ(frame->GetStatusText(2).toStdString(), "Snap : None");
    ExpectButtonArtwork(*frame, dir.Path() / "program");

    frame->setWindowState(Qt::WindowNoState);
    frame->resize(1024, 768);
    QCoreApplication::processEvents();
    CZNEDITORDoc *doc = GetEditorApp()->GetDocument();
    ASSERT_NE(doc, nullptr);
    CZN2DViewWidget *top = nullptr;
    for (auto *pane : frame->findChildren<CZN2DViewWidget *>())
        if (pane->GetView() == frame->Get2DView(0))
            top = pane;
    CZN3DViewWidget *perspective = nullptr;
    for (QWidget *child : frame->findChildren<QWidget *>())
        if (auto *widget = dynamic_cast<CZN3DViewWidget *>(child))
            perspective = widget;
    ASSERT_NE(top, nullptr);
    ASSERT_NE(perspective, nullptr);
    doc->RedrawAllViews(nullptr, 0);
    QCoreApplication::processEvents();
    const QImage topBefore = Grab(top), perspectiveBefore = Grab(perspective);

    // One cube where the camera looks.
    const CZNCAMERA *camera = GetEditorApp()->Get3D()->GetCamera();
    const D3DXVECTOR3 at = camera->GetPosition() + camera->GetLook() * 100.0f;
    ZnBuildBox(*doc->NewBrush(), at - D3DXVECTOR3(32, 32, 32), at + D3DXVECTOR3(32, 32, 32));
    doc->RedrawAllViews(nullptr, 0);
    QCoreApplication::processEvents();

    const QImage screenshot = Grab(frame);
    EXPECT_EQ(screenshot.size(), QSize(1024, 768));
    EXPECT_TRUE(screenshot.save(QString::fromStdString(std::string(ZN_TEST_TMP_DIR) + "/main_window_screenshot.png")));

    // The Top pane shows the cube's outline: a square of about 64 pixels at zoom 1.
    const ZnDiff outline = Difference(topBefore, Grab(top));
    EXPECT_GT(outline.count, 64 * 2);
    EXPECT_NEAR(outline.box.width(), 65, 4);
    EXPECT_NEAR(outline.box.height(), 65, 4);
    // The 3D pane shows the cube around its centre.
    const ZnDiff solid = Difference(perspectiveBefore, Grab(perspective));
    EXPECT_GT(solid.count, 1000);
    EXPECT_TRUE(solid.box.contains(perspective->rect().center())) << solid.box.x() << "," << solid.box.y();

    // The four panes share the window as the splitter says: 3D at the lower right.
    const QPoint topAt = top->mapTo(frame, QPoint(0, 0)), perspectiveAt = perspective->mapTo(frame, QPoint(0, 0));
    EXPECT_LT(topAt.x(), perspectiveAt.x());
    EXPECT_LT(topAt.y(), perspectiveAt.y());

    reporter.QueueAnswer(IDNO); // "Save changes to Untitled?"
    frame->close();
    QSettings settings(QStringLiteral("ZN-Level Editor"), QStringLiteral("TOVRA"));
    settings.sync();
    EXPECT_FALSE(settings.value(QStringLiteral("WinPos/Main")).toString().isEmpty());
}

// The built executable in a folder of its own logs the success line and keeps running.
TEST(EditorProcessTest, LogsThatItInitialized)
{
    ZnTempDir dir;
    const fs::path program = dir.Path() / "program";
    ZnMakeProgramFolder(program, true);
    const fs::path logPath = program / "Debug Logs" / "AppInit Debug.txt";
    const std::string config = (dir.Path() / "config").string();
    const std::string exe = (program / "zneditor").string();

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        execl(exe.c_str(), exe.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    bool initialized = false, exited = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!initialized && std::chrono::steady_clock::now() < deadline) {
        initialized = ReadFile(logPath).find("Application initialized Successfully") != std::string::npos;
        int status = 0;
        if (!initialized && waitpid(child, &status, WNOHANG) == child) {
            exited = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!exited) {
        // Still running after start-up: the message loop holds it until it is told to go.
        EXPECT_EQ(waitpid(child, nullptr, WNOHANG), 0);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    EXPECT_TRUE(initialized) << ReadFile(logPath);
    EXPECT_FALSE(exited);
}

} // namespace
