// File Open's dialog with the thumbnail list, offscreen, on a folder of real files: two scenes
// written by the IWF writer with known thumbnails, a text file named like a scene, a hidden
// scene, a sub-folder and a named pipe. What the list holds and draws, how the two lists follow
// each other, the type change, and opening a scene through the main window with the folder kept.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fileio/file_stream_io.h"
#include "fileio/iwf_scene.h"
#include "platform/gdi/gdi_api.h"
#include "platform/os/command_ids.h"
#include "platform/os/settings.h"
#include "render/image/image.h"
#include "scene/brush.h"
#include "scene/selection_entry.h"
#include "ui/main_frame_fixture.h"
#include "ui/open_scene_dialog.h"
#include "ui/scene_preview_wnd.h"

namespace
{
namespace fs = std::filesystem;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRust = RGB(200, 40, 40);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kLeaf = RGB(40, 160, 40);
// The default picture's frame colour.
constexpr COLORREF kFrame = RGB(96, 104, 120);

// An 8-bit thumbnail of one colour with a 10 x 10 blue block in its top-left corner.
std::unique_ptr<CZNImage> Thumbnail(DWORD width, DWORD height, COLORREF colour)
{
    auto image = std::make_unique<CZNImage>();
    EXPECT_TRUE(image->AllocImageMem(width, height, 8, false));
    image->GetPalette()[1] = {GetBValue(colour), GetGValue(colour), GetRValue(colour), 0};
    image->GetPalette()[2] = {255, 0, 0, 0};
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            image->GetRedPlane()[y * width + x] = x < 10 && y < 10 ? 2 : 1;
    return image;
}

// A scene of cubes side by side with its thumbnail, written by the IWF writer.
void WriteScene(const std::string &path, int cubes, CZNImage *thumbnail)
{
    std::vector<std::unique_ptr<ZNBRUSH>> brushes;
    std::vector<ZNSELECTIONENTRY> entries;
    for (int i = 0; i < cubes; ++i) {
        brushes.push_back(std::make_unique<ZNBRUSH>());
        const float x = 96.0f * static_cast<float>(i);
        ZnBuildBox(*brushes.back(), {x, 0, 0}, {x + 64, 64, 64});
        ZNSELECTIONENTRY entry;
        entry.Type = ZNSELECT_BRUSH;
        entry.Object = reinterpret_cast<uintptr_t>(brushes.back().get());
        entries.push_back(entry);
    }
    CZNFileStreamIO stream;
    ASSERT_TRUE(stream.Open(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE));
    CZNIWFScene scene;
    try {
        scene.SaveObjects(stream, entries, IWFSAVE_ALL, thumbnail);
    } catch (LONG code) {
        FAIL() << "save failed: " << code;
    }
    stream.Close();
}

COLORREF ColourAt(const QImage &image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

// Waits, handling events, until done() holds.
bool WaitFor(const std::function<bool()> &done)
{
    for (int i = 0; i < 500 && !done(); ++i)
        QTest::qWait(10);
    return done();
}

// Runs then on the open dialog that the next call shows, once it is up.
void WhenDialogShown(std::function<void(CZNOpenSceneDialog *)> then)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, then] {
        if (auto *dialog = qobject_cast<CZNOpenSceneDialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            then(dialog);
        }
    });
    timer->start();
}

class OpenSceneDialogTest : public ZnMainFrameTest
{
protected:
    void SetUp() override
    {
        ZnMainFrameTest::SetUp();
        CZNSettings::SetUserFolder((dir.Path() / "settings").c_str());
        // The built program folder, whose Resources hold the default picture.
        savedProgramDir = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(std::string(ZN_PROGRAM_DIR) + "/");
        fs::create_directories(scenes);
        WriteScene((scenes / "a.iwf").string(), 2, Thumbnail(106, 106, kRust).get());
        WriteScene((scenes / "B.IWF").string(), 1, Thumbnail(64, 48, kLeaf).get());
        std::ofstream(scenes / "notes.iwf") << "Notes for the next level, not a scene.\n";
        fs::copy_file(scenes / "a.iwf", scenes / ".hidden.iwf");
        // A folder holding only folders.
        fs::create_directories(scenes / "levels" / "old");
        fs::create_directories(scenes / "levels" / "new");
        ASSERT_EQ(mkfifo((scenes / "pipe.iwf").c_str(), 0600), 0);
        frame->show();
    }
    void TearDown() override
    {
        if (savedPalette)
            QApplication::setPalette(*savedPalette);
        GetEditorApp()->SetProgramDirectory(savedProgramDir);
        ZnMainFrameTest::TearDown();
    }
    void SetLastInputDir(const fs::path &folder)
    {
        CZNSettings().WriteProfileString("IWF Export Config", "Last Input Dir", folder.c_str());
    }
    static std::string LastInputDir()
    {
        return CZNSettings().GetProfileString("IWF Export Config", "Last Input Dir", "(none)");
    }
    // The highlight colour for the rest of the test.
    void SetHighlight(COLORREF colour)
    {
        if (!savedPalette)
            savedPalette = std::make_unique<QPalette>(QApplication::palette());
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Highlight, QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        QApplication::setPalette(palette);
    }

    static std::vector<std::string> Rows(const CZNScenePreviewWnd *list)
    {
        std::vector<std::string> rows;
        for (int row = 0; row < list->GetRowCount(); ++row)
            rows.push_back(list->GetRowName(row).toStdString());
        return rows;
    }
    // The file dialog's view that shows the folder (list or details, whichever is up).
    static QAbstractItemView *FileView(QFileDialog *files)
    {
        for (const char *name : {"listView", "treeView"})
            if (auto *view = files->findChild<QAbstractItemView *>(QString::fromLatin1(name));
                view && view->isVisible())
                return view;
        return nullptr;
    }
    // The index of a name in the file view, once the folder has been read; invalid when absent.
    static QModelIndex FileIndex(QFileDialog *files, const QString &name)
    {
        QAbstractItemView *view = FileView(files);
        QModelIndex found;
        WaitFor([&] {
            const QModelIndex root = view->rootIndex();
            for (int row = 0; row < view->model()->rowCount(root); ++row)
                if (view->model()->index(row, 0, root).data().toString() == name)
                    found = view->model()->index(row, 0, root);
            return found.isValid();
        });
        return found;
    }
    static void ClickFile(QFileDialog *files, const QString &name, bool twice)
    {
        const QModelIndex index = FileIndex(files, name);
        ASSERT_TRUE(index.isValid()) << name.toStdString();
        QAbstractItemView *view = FileView(files);
        view->scrollTo(index);
        const QPoint at = view->visualRect(index).center();
        // A double click is a click and then the second press.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    }
    static void ClickRow(CZNScenePreviewWnd *list, int row, bool twice)
    {
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        const QPoint at = list->visualRect(index).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    // What the list shows of one row.
    static QImage RowImage(CZNScenePreviewWnd *list, int row)
    {
        const QModelIndex index = list->model()->index(row, 0);
        list->scrollTo(index);
        QCoreApplication::processEvents();
        return list->viewport()->grab(list->visualRect(index)).toImage();
    }

    const fs::path scenes = dir.Path() / "scenes";
    std::unique_ptr<QPalette> savedPalette;
    std::string savedProgramDir;
};

TEST_F(OpenSceneDialogTest, RowsAreTheRegularScenesInNameOrderWithoutHiddenFilesFoldersOrPipes)
{
    SetLastInputDir(scenes);
    CZNOpenSceneDialog dialog(frame.get());
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Open Scene File");
    EXPECT_EQ(dialog.GetPreviewBox()->title().toStdString(), "Preview");
    dialog.show();
    CZNScenePreviewWnd *list = dialog.GetPreviewList();
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"a.iwf", "B.IWF", "notes.iwf"}));
    EXPECT_EQ(list->GetRowPath(1).toStdString(), (scenes / "B.IWF").string());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->visualRect(list->model()->index(1, 0)).height(), 124);

    // The preview column keeps its width and the dialog's height as the dialog grows.
    const int width = dialog.GetPreviewBox()->width();
    dialog.resize(dialog.width() + 200, dialog.height() + 150);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.GetPreviewBox()->width(), width);
    EXPECT_GT(dialog.GetPreviewBox()->height(), dialog.height() - 40);

    // Into a folder of folders: no rows.
    ClickFile(dialog.GetFileDialog(), QStringLiteral("levels"), true);
    ASSERT_TRUE(WaitFor([&] { return list->GetFolder() == QString::fromStdString((scenes / "levels").string()); }));
    EXPECT_EQ(list->GetRowCount(), 0);

    // A folder typed into the name box is shown and listed too.
    QLineEdit *name = dialog.GetFileNameEdit();
    name->setFocus();
    name->setText(QString::fromStdString(scenes.string()));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(list->GetFolder().toStdString(), scenes.string());
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"a.iwf", "B.IWF", "notes.iwf"}));

    // A folder that cannot be listed gives no rows rather than keep the last folder's.
    list->FillFromFolder(QString::fromStdString(scenes.string()), {QStringLiteral("*.iwf")});
    ASSERT_EQ(list->GetRowCount(), 3);
    list->FillFromFolder(QString::fromStdString((dir.Path() / "gone").string()), {QStringLiteral("*.iwf")});
    EXPECT_EQ(list->GetRowCount(), 0);
}

TEST_F(OpenSceneDialogTest, RowsShowTheNameOnTopAndTheThumbnailFifteenPixelsBelow)
{
    SetHighlight(RGB(0, 0, 0));
    SetLastInputDir(scenes);
    CZNOpenSceneDialog dialog(frame.get());
    dialog.show();
    CZNScenePreviewWnd *list = dialog.GetPreviewList();
    ASSERT_EQ(list->GetRowCount(), 3);
    const int width = list->viewport()->width();

    struct Expected {
        int row;
        int pictureWidth, pictureHeight;
        COLORREF corner, inside;
    };
    // a.iwf and B.IWF show their own thumbnails, notes.iwf the default picture.
    for (const Expected &e : {Expected{0, 106, 106, kBlue, kRust}, Expected{1, 64, 48, kBlue, kLeaf},
                              Expected{2, 106, 106, kFrame, kFrame}}) {
        SCOPED_TRACE(e.row);
        const QImage row = RowImage(list, e.row);
        ASSERT_EQ(row.size(), QSize(width, 124));
        const int left = (width - e.pictureWidth) / 2;
        EXPECT_EQ(ColourAt(row, left, 15), e.corner);
        EXPECT_EQ(ColourAt(row, left + e.pictureWidth - 1, 15 + e.pictureHeight - 1), e.inside);
        EXPECT_EQ(ColourAt(row, left - 1, 15 + e.pictureHeight / 2), kWhite);
        EXPECT_EQ(ColourAt(row, left + e.pictureWidth, 15 + e.pictureHeight / 2), kWhite);
        EXPECT_EQ(ColourAt(row, left, 14), kWhite);
        EXPECT_EQ(ColourAt(row, left, 15 + e.pictureHeight), kWhite);
        // The name: black ink in the band above the picture, centred.
        QRect ink;
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < width; ++x)
                if (ColourAt(row, x, y) != kWhite)
                    ink |= QRect(x, y, 1, 1);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_LE(std::abs((ink.left() + ink.right() + 1) - width), 3);
    }

    // Selected, the row takes the highlight and the thumbnail moves toward it:
    // 200 -> 100, 40 -> 20, 255 -> 128 with a black highlight.
    ClickRow(list, 0, false);
    const QImage selected = RowImage(list, 0);
    const int left = (width - 106) / 2;
    EXPECT_EQ(ColourAt(selected, left + 5, 20), RGB(0, 0, 128));
    EXPECT_EQ(ColourAt(selected, left + 50, 60), RGB(100, 20, 20));
    EXPECT_EQ(ColourAt(selected, left - 3, 60), RGB(0, 0, 0));
    bool whiteText = false;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < width; ++x)
            whiteText |= ColourAt(selected, x, y) == kWhite;
    EXPECT_TRUE(whiteText);

    // The screenshot of the dialog with a.iwf chosen.
    const QImage shot = dialog.grab().toImage();
    EXPECT_TRUE(shot.save(QString::fromStdString(std::string(ZN_TEST_TMP_DIR) + "/open_scene_dialog.png")));
}

TEST_F(OpenSceneDialogTest, SelectionFollowsBothWays)
{
    SetLastInputDir(scenes);
    CZNOpenSceneDialog dialog(frame.get());
    dialog.show();
    CZNScenePreviewWnd *list = dialog.GetPreviewList();
    QFileDialog *files = dialog.GetFileDialog();
    ASSERT_TRUE(FileIndex(files, QStringLiteral("notes.iwf")).isValid());

    ClickRow(list, 1, false);
    EXPECT_EQ(dialog.GetFileNameEdit()->text().toStdString(), "B.IWF");
    EXPECT_EQ(files->selectedFiles(), QStringList{QString::fromStdString((scenes / "B.IWF").string())});

    ClickFile(files, QStringLiteral("notes.iwf"), false);
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_EQ(list->selectionModel()->selectedIndexes().size(), 1);

    // An entry without a row (a folder) leaves the list's choice.
    ClickFile(files, QStringLiteral("levels"), false);
    EXPECT_EQ(list->currentIndex().row(), 2);
}

TEST_F(OpenSceneDialogTest, ATypeChangeClearsTheTypedNameAndRefillsTheList)
{
    std::ofstream(scenes / "readme.txt") << "read me\n";
    SetLastInputDir(scenes);
    CZNOpenSceneDialog dialog(frame.get());
    dialog.show();
    QLineEdit *name = dialog.GetFileNameEdit();
    ASSERT_NE(name, nullptr);
    name->setText(QStringLiteral("a.iwf"));
    auto *types = dialog.GetFileDialog()->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 2);
    types->setFocus();
    QTest::keyClick(types, Qt::Key_Down);
    EXPECT_EQ(types->currentText().toStdString(), "All Files (*)");
    EXPECT_TRUE(name->text().isEmpty());
    EXPECT_EQ(Rows(dialog.GetPreviewList()), (std::vector<std::string>{"a.iwf", "B.IWF", "notes.iwf", "readme.txt"}));
}

TEST_F(OpenSceneDialogTest, ADoubleClickOpensTheSceneAndTheFolderIsKeptForNextTime)
{
    // No folder stored yet: the dialog starts in the program folder; Cancel writes nothing.
    std::string start;
    WhenDialogShown([&](CZNOpenSceneDialog *dialog) {
        start = dialog->GetStartFolder().toStdString();
        dialog->GetFileDialog()->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    });
    frame->RunCommand(ZNCMD_FILE_OPEN);
    EXPECT_EQ(start, GetEditorApp()->GetProgramDirectory());
    EXPECT_EQ(LastInputDir(), "(none)");
    EXPECT_EQ(doc->GetBrushList(), nullptr);

    // From the folder above the scenes, into them, and a double click on a.iwf's row.
    SetLastInputDir(dir.Path());
    std::vector<std::string> rows;
    WhenDialogShown([&](CZNOpenSceneDialog *dialog) {
        ClickFile(dialog->GetFileDialog(), QStringLiteral("scenes"), true);
        CZNScenePreviewWnd *list = dialog->GetPreviewList();
        WaitFor([&] { return list->GetRowCount() == 3; });
        rows = Rows(list);
        ClickRow(list, 0, true);
    });
    frame->RunCommand(ZNCMD_FILE_OPEN);
    EXPECT_EQ(rows, (std::vector<std::string>{"a.iwf", "B.IWF", "notes.iwf"}));
    EXPECT_EQ(doc->GetPathName(), (scenes / "a.iwf").string());
    EXPECT_EQ(frame->windowTitle().toStdString(), "a.iwf[*] - TOVRA v1.5");
    EXPECT_FALSE(frame->isWindowModified());
    int brushes = 0;
    for (ZNBRUSH *b = doc->GetBrushList(); b; b = b->m_Next)
        ++brushes;
    EXPECT_EQ(brushes, 2);
    EXPECT_EQ(LastInputDir(), scenes.string());

    // The next dialog starts there; Cancel keeps the scene and the folder.
    std::string shown;
    WhenDialogShown([&](CZNOpenSceneDialog *dialog) {
        shown = dialog->GetFileDialog()->directory().absolutePath().toStdString();
        dialog->GetFileDialog()->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    });
    frame->RunCommand(ZNCMD_FILE_OPEN);
    EXPECT_EQ(shown, scenes.string());
    EXPECT_EQ(doc->GetPathName(), (scenes / "a.iwf").string());
    EXPECT_EQ(LastInputDir(), scenes.string());
}

} // namespace
