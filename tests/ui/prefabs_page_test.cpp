// The Prefabs page in a shown main window, on a temporary program folder whose "Prefabs/" holds
// real prefab files with thumbnails: categories added, deleted and renamed through the page's
// buttons, the choices kept over a rescan, the rows' pixels, the placement of the chosen prefab
// and the enable rule of Place Prefab; and a screenshot of the page.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/undo_record.h"
#include "fileio/file_stream_io.h"
#include "fileio/iwf_scene.h"
#include "fileio/prefab.h"
#include "fileio/prefab_manager.h"
#include "platform/gdi/gdi_api.h"
#include "platform/os/command_ids.h"
#include "render/image/image.h"
#include "scene/overlay.h"
#include "ui/main_frame_fixture.h"
#include "ui/name_category_dlg.h"
#include "ui/options_bar.h"
#include "ui/options_sheet.h"
#include "ui/prefab_list_box.h"
#include "ui/prefabs_page.h"

namespace
{
namespace fs = std::filesystem;

constexpr char kQuestion[] = "Are you sure you wish to delete the category '<General>'?\r\n\r\nNote: Continuing to do "
                             "so will also delete any prefabs stored within that category.";
constexpr char kNotValid[] = "The category name is not valid.";
constexpr char kRenameFailed[] = "Unable to rename the specified category, category no longer exists or is in use.";
constexpr int kThumbnailSide = 106;

// The thumbnail colours of the three loose prefabs.
const QRgb kArch = qRgb(200, 40, 30), kBarrel = qRgb(30, 170, 60), kCrate = qRgb(40, 70, 210);

class PrefabsPageTest : public ZnShownFrameTest
{
protected:
    void SetOptions() override
    {
        ZnShownFrameTest::SetOptions();
        savedProgramDir = GetEditorApp()->GetProgramDirectory();
        program = dir.Path() / "program";
        fs::create_directories(program / "Debug Logs");
        fs::create_directories(program / "Prefabs" / "Empty");
        WritePrefab(Folder() / "Arch.iwf", kArch);
        WritePrefab(Folder() / "barrel.iwf", kBarrel);
        WritePrefab(Folder() / "Crate.iwf", kCrate);
        WriteText(Folder() / "notes.txt");
        WritePrefab(Folder() / "Rocks" / "Boulder.iwf", qRgb(90, 90, 90));
        WritePrefab(Folder() / "Rocks" / "pebble.iwf", qRgb(160, 160, 160));
        WritePrefab(Folder() / "Trees" / "oak.iwf", qRgb(20, 120, 20));
        GetEditorApp()->SetProgramDirectory(program.string());
    }
    void ResetApp() override
    {
        ZnShownFrameTest::ResetApp();
        Prefabs()->Release();
        Prefabs()->SetCurrentName(nullptr);
        Prefabs()->SetCurrentCategory("");
        GetEditorApp()->SetProgramDirectory(savedProgramDir);
    }

    // A prefab file of a 32-unit cube; with a colour, its thumbnail is 106 x 106 pixels of that
    // colour around a darker square.
    static void WritePrefab(const fs::path &path, std::optional<QRgb> colour)
    {
        fs::create_directories(path.parent_path());
        ZNBRUSH brush;
        ZnBuildBox(brush, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(32, 32, 32));
        ZNSELECTIONENTRY entry;
        entry.Type = ZNSELECT_BRUSH;
        entry.Object = reinterpret_cast<uintptr_t>(&brush);
        CZNImage thumbnail;
        if (colour) {
            ASSERT_TRUE(thumbnail.AllocImageMem(kThumbnailSide, kThumbnailSide, 8, false));
            for (int y = 0; y < kThumbnailSide; ++y)
                for (int x = 0; x < kThumbnailSide; ++x)
                    thumbnail.GetRedPlane()[y * kThumbnailSide + x] = (x >= 30 && x < 76 && y >= 30 && y < 76) ? 2 : 1;
            RGBQUAD *palette = thumbnail.GetPalette();
            palette[1] = RGBQUAD{static_cast<BYTE>(qBlue(*colour)), static_cast<BYTE>(qGreen(*colour)),
                                 static_cast<BYTE>(qRed(*colour)), 0};
            palette[2] = RGBQUAD{static_cast<BYTE>(qBlue(*colour) / 2), static_cast<BYTE>(qGreen(*colour) / 2),
                                 static_cast<BYTE>(qRed(*colour) / 2), 0};
        }
        CZNFileStreamIO stream(path.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
        ASSERT_TRUE(stream.IsOpen());
        CZNIWFScene scene;
        scene.SaveObjects(stream, {entry}, IWFSAVE_BRUSHES, colour ? &thumbnail : nullptr);
    }
    static void WriteText(const fs::path &path)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "not a prefab";
    }

    fs::path Folder() const { return program / "Prefabs"; }
    static CZNPrefabManager *Prefabs() { return GetEditorApp()->GetPrefabManager(); }
    CZNOptionsSheet *Sheet() const { return frame->GetOptionsBar()->GetSheet(); }
    CZNPrefabsPage *Page() const { return Sheet()->GetPrefabsPage(); }
    CZNPrefabListBox *List() const { return Page()->GetPrefabList(); }
    QComboBox *Combo() const { return Page()->GetCategoryCombo(); }

    // Shows the Prefabs page as a click on its tab does.
    void ShowPage()
    {
        QTest::mouseClick(Sheet()->GetTabButton(CZNOptionsSheet::PAGE_PREFABS), Qt::LeftButton);
        QCoreApplication::processEvents();
        ASSERT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_PREFABS);
    }
    // Chooses the category in the combo with the keyboard, as the user does.
    void ChooseCategory(const char *name)
    {
        const int row = Combo()->findText(QString::fromLatin1(name));
        ASSERT_GE(row, 0) << name;
        Combo()->setFocus();
        QTest::keyClick(Combo(), Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(Combo(), Qt::Key_Down);
        QCoreApplication::processEvents();
        ASSERT_EQ(Combo()->currentText().toStdString(), name);
    }
    // Clicks the row of the prefab name.
    void ClickRow(const char *name)
    {
        const int row = List()->FindStringExact(name);
        ASSERT_GE(row, 0) << name;
        List()->scrollToItem(List()->item(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          List()->visualItemRect(List()->item(row)).center());
        QCoreApplication::processEvents();
    }
    std::vector<std::string> ComboTexts() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < Combo()->count(); ++i)
            texts.push_back(Combo()->itemText(i).toStdString());
        return texts;
    }
    std::vector<std::string> ListTexts() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < List()->count(); ++i)
            texts.push_back(List()->item(i)->text().toStdString());
        return texts;
    }
    // Every path below the program folder, links not followed.
    std::vector<std::string> Tree() const
    {
        std::vector<std::string> paths;
        for (auto it = fs::recursive_directory_iterator(program); it != fs::recursive_directory_iterator(); ++it)
            paths.push_back(fs::relative(it->path(), program).string());
        std::sort(paths.begin(), paths.end());
        return paths;
    }
    // The page's asker answers with the text (and records what it was offered); an empty
    // optional cancels.
    void Answer(std::optional<std::string> text)
    {
        Page()->SetNameAsker([this, text](QWidget *, char *buffer) {
            offered.push_back(buffer);
            if (!text)
                return false;
            std::snprintf(buffer, CZNNameCategoryDlg::kBufferSize, "%s", text->c_str());
            return true;
        });
    }
    const CZNRecordingReporter::Entry *LastMessage() const
    {
        return reporter.Entries().empty() ? nullptr : &reporter.Entries().back();
    }
    std::string CurrentName() const { return Prefabs()->GetCurrent() ? Prefabs()->GetCurrent()->GetName() : ""; }
    CZNPrefab *Find(const char *name) const
    {
        for (CZNPrefab *p = Prefabs()->GetFirst(); p; p = p->GetNext())
            if (std::string(p->GetName()) == name)
                return p;
        return nullptr;
    }
    // The list as it paints now, and the rectangle of the named row in it.
    QImage Shot() const { return List()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QRect RowRect(const char *name) const
    {
        return List()->visualItemRect(List()->item(List()->FindStringExact(name)));
    }
    static QRgb Rgb(const QImage &image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
    static QRgb Highlight()
    {
        const COLORREF c = GetSysColor(COLOR_HIGHLIGHT);
        return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)) & 0xFFFFFF;
    }
    // Where the row's thumbnail begins.
    static QPoint ThumbnailAt(const QRect &row)
    {
        return QPoint(row.left() + (row.width() - kThumbnailSide) / 2, row.top() + 15);
    }

    fs::path program;
    std::string savedProgramDir;
    std::vector<std::string> offered;
};

TEST_F(PrefabsPageTest, AddTypedIntoTheDialogMakesTheFolderAndTheEntry)
{
    ShowPage();
    const std::vector<std::string> before = ComboTexts();
    EXPECT_EQ(before, (std::vector<std::string>{"<General>", "Empty", "Rocks", "Trees"}));

    // Runs then on the Name Category dialog once it is up, and presses its OK.
    auto whenDialog = [](std::function<void(CZNNameCategoryDlg *)> then) {
        auto *timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, then] {
            auto *dialog = qobject_cast<CZNNameCategoryDlg *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            timer->stop();
            timer->deleteLater();
            EXPECT_EQ(dialog->windowTitle().toStdString(), "Name Category");
            EXPECT_TRUE(dialog->GetEdit()->text().isEmpty());
            then(dialog);
            QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
        timer->start();
    };
    whenDialog([](CZNNameCategoryDlg *dialog) { QTest::keyClicks(dialog->GetEdit(), "Rocks2"); });
    QTest::mouseClick(Page()->GetAddButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(fs::is_directory(Folder() / "Rocks2"));
    EXPECT_EQ(ComboTexts(), (std::vector<std::string>{"<General>", "Empty", "Rocks", "Rocks2", "Trees"}));
    // The current category stays.
    EXPECT_EQ(Combo()->currentText().toStdString(), "<General>");
    EXPECT_TRUE(reporter.Entries().empty());

    // A name longer than the category field is cut to it, and the category made is found again.
    whenDialog([](CZNNameCategoryDlg *dialog) { dialog->GetEdit()->insert(QString(300, QLatin1Char('x'))); });
    QTest::mouseClick(Page()->GetAddButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    const std::string longName(CZNNameCategoryDlg::kMaxLength, 'x');
    EXPECT_TRUE(fs::is_directory(Folder() / longName));
    ASSERT_EQ(ComboTexts().back(), longName);
    ChooseCategory(longName.c_str());
    QTest::mouseClick(Page()->GetRefreshButton(), Qt::LeftButton);
    EXPECT_EQ(Combo()->currentText().toStdString(), longName);
    EXPECT_EQ(Prefabs()->GetCurrentCategory(), longName);
}

struct ZNREFUSEDADD {
    const char *name;
    const char *typed;
    const char *text;
    unsigned type;
    bool removePrefabs; // the prefabs folder is gone first
};

TEST_F(PrefabsPageTest, AddIsRefusedWithItsTextAndChangesNothing)
{
    const ZNREFUSEDADD cases[] = {
        {"Exists", "Rocks", "A prefab category with this name already exists.", MB_ICONEXCLAMATION, false},
        {"Escapes", "../x", kNotValid, MB_ICONEXCLAMATION, false},
        {"Empty", "", kNotValid, MB_ICONEXCLAMATION, false},
        {"Dot", ".", kNotValid, MB_ICONEXCLAMATION, false},
        {"DotDot", "..", kNotValid, MB_ICONEXCLAMATION, false},
        {"Backslash", "a\\b", kNotValid, MB_ICONEXCLAMATION, false},
        {"NoPrefabsFolder", "New", "The prefabs directory could not be located!.", MB_ICONERROR, true},
    };
    ShowPage();
    for (const ZNREFUSEDADD &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.removePrefabs)
            fs::rename(Folder(), program / "Elsewhere");
        const std::vector<std::string> tree = Tree(), combo = ComboTexts();
        reporter.Clear();
        Answer(std::string(c.typed));
        QTest::mouseClick(Page()->GetAddButton(), Qt::LeftButton);
        ASSERT_EQ(reporter.Entries().size(), 1u);
        EXPECT_EQ(LastMessage()->text, c.text);
        EXPECT_EQ(LastMessage()->type, c.type);
        EXPECT_EQ(Tree(), tree);
        EXPECT_EQ(ComboTexts(), combo);
    }
    // A cancelled dialog does nothing.
    reporter.Clear();
    Answer(std::nullopt);
    QTest::mouseClick(Page()->GetAddButton(), Qt::LeftButton);
    EXPECT_TRUE(reporter.Entries().empty());
}

TEST_F(PrefabsPageTest, DeleteGeneralRemovesTheLooseFilesAndKeepsTheCategories)
{
    ShowPage();
    // No: nothing changes, after the exact question.
    const std::vector<std::string> tree = Tree();
    reporter.QueueAnswer(IDNO);
    QTest::mouseClick(Page()->GetDeleteButton(), Qt::LeftButton);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(LastMessage()->text, kQuestion);
    EXPECT_EQ(LastMessage()->type, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(Tree(), tree);

    reporter.Clear();
    reporter.QueueAnswer(IDYES);
    QTest::mouseClick(Page()->GetDeleteButton(), Qt::LeftButton);
    EXPECT_EQ(reporter.Entries().size(), 1u);
    for (const char *gone : {"Arch.iwf", "barrel.iwf", "Crate.iwf", "notes.txt"})
        EXPECT_FALSE(fs::exists(Folder() / gone)) << gone;
    for (const char *kept : {"Rocks/Boulder.iwf", "Rocks/pebble.iwf", "Trees/oak.iwf", "Empty"})
        EXPECT_TRUE(fs::exists(Folder() / kept)) << kept;
    EXPECT_EQ(ComboTexts(), (std::vector<std::string>{"<General>", "Empty", "Rocks", "Trees"}));
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(Prefabs()->GetCurrent(), nullptr);
}

TEST_F(PrefabsPageTest, DeleteACategoryRemovesItsLinksAsLinks)
{
    // Outside the prefabs folder: a folder and a file the category links to.
    const fs::path outside = dir.Path() / "outside";
    fs::create_directories(outside / "deep");
    WritePrefab(outside / "keep.iwf", kArch);
    WriteText(outside / "deep" / "keep.txt");
    fs::create_directories(Folder() / "Links" / "Sub");
    fs::create_directory_symlink(outside, Folder() / "Links" / "toFolder");
    fs::create_symlink(outside / "keep.iwf", Folder() / "Links" / "toFile.iwf");
    WritePrefab(Folder() / "Links" / "Sub" / "inner.iwf", kCrate);
    ShowPage();
    ChooseCategory("Links");

    reporter.QueueAnswer(IDYES);
    QTest::mouseClick(Page()->GetDeleteButton(), Qt::LeftButton);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    std::string question = kQuestion;
    question.replace(question.find("<General>"), 9, "Links");
    EXPECT_EQ(LastMessage()->text, question);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Folder() / "Links")));
    for (const fs::path &kept : {outside / "keep.iwf", outside / "deep" / "keep.txt"})
        EXPECT_TRUE(fs::exists(kept)) << kept;
    EXPECT_EQ(ComboTexts(), (std::vector<std::string>{"<General>", "Empty", "Rocks", "Trees"}));
    // The category gone, the first one is current.
    EXPECT_EQ(Combo()->currentText().toStdString(), "<General>");
    EXPECT_EQ(Prefabs()->GetCurrentCategory(), "<General>");
}

TEST_F(PrefabsPageTest, RenameRefusalsKeepEverythingAndASuccessSelectsTheNewName)
{
    ShowPage();
    // "<General>" cannot be renamed; nobody is asked.
    Answer(std::string("Other"));
    QTest::mouseClick(Page()->GetRenameButton(), Qt::LeftButton);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(LastMessage()->text, "The '<General>' category cannot be renamed.");
    EXPECT_EQ(LastMessage()->type, MB_ICONEXCLAMATION);
    EXPECT_TRUE(offered.empty());

    ChooseCategory("Rocks");
    const std::vector<std::string> tree = Tree();
    // Onto an existing category, or out of the prefabs folder.
    for (const auto &[typed, text] : {std::pair<const char *, const char *>{"Trees", kRenameFailed},
                                      {"Empty", kRenameFailed},
                                      {"../Rocks", kNotValid}}) {
        SCOPED_TRACE(typed);
        reporter.Clear();
        Answer(std::string(typed));
        QTest::mouseClick(Page()->GetRenameButton(), Qt::LeftButton);
        ASSERT_EQ(reporter.Entries().size(), 1u);
        EXPECT_EQ(LastMessage()->text, text);
        EXPECT_EQ(LastMessage()->type, MB_ICONEXCLAMATION);
        EXPECT_EQ(Tree(), tree);
        EXPECT_EQ(Prefabs()->GetCurrentCategory(), "Rocks");
        EXPECT_EQ(Combo()->currentText().toStdString(), "Rocks");
    }
    // The dialog was offered the current name each time.
    EXPECT_EQ(offered, (std::vector<std::string>{"Rocks", "Rocks", "Rocks"}));

    reporter.Clear();
    Answer(std::string("Stones"));
    QTest::mouseClick(Page()->GetRenameButton(), Qt::LeftButton);
    EXPECT_TRUE(reporter.Entries().empty());
    EXPECT_FALSE(fs::exists(Folder() / "Rocks"));
    EXPECT_TRUE(fs::exists(Folder() / "Stones" / "pebble.iwf"));
    EXPECT_EQ(Combo()->currentText().toStdString(), "Stones");
    EXPECT_EQ(Prefabs()->GetCurrentCategory(), "Stones");
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Boulder", "pebble"}));
}

TEST_F(PrefabsPageTest, ARescanKeepsCategoryAndPrefabByNameAndAnEmptyCategoryDisablesPlacePrefab)
{
    // Before the page has chosen anything there is no prefab to place.
    frame->UpdateCommandUI();
    EXPECT_FALSE(Enabled(ZNCMD_PLACE_PREFAB));
    ShowPage();
    // Sorted ignoring case.
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Arch", "barrel", "Crate"}));
    EXPECT_EQ(CurrentName(), "Arch");
    EXPECT_EQ(List()->currentRow(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(Enabled(ZNCMD_PLACE_PREFAB));

    ChooseCategory("Rocks");
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Boulder", "pebble"}));
    ClickRow("pebble");
    EXPECT_EQ(CurrentName(), "pebble");
    EXPECT_STREQ(Prefabs()->GetCurrentName(), "pebble");

    // A new prefab that sorts first, then a rescan.
    WritePrefab(Folder() / "Rocks" / "aaa.iwf", qRgb(1, 2, 3));
    QTest::mouseClick(Page()->GetRefreshButton(), Qt::LeftButton);
    EXPECT_EQ(Combo()->currentText().toStdString(), "Rocks");
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"aaa", "Boulder", "pebble"}));
    EXPECT_EQ(List()->currentRow(), 2);
    EXPECT_EQ(CurrentName(), "pebble");
    EXPECT_EQ(std::string(Prefabs()->GetCurrent()->GetPath()), (Folder() / "Rocks" / "pebble.iwf").string());

    ChooseCategory("Empty");
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(Prefabs()->GetCurrent(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_FALSE(Enabled(ZNCMD_PLACE_PREFAB));

    // A rescan of a folder with no prefab at all still lists its categories.
    fs::remove_all(Folder());
    fs::create_directories(Folder() / "Fresh");
    QTest::mouseClick(Page()->GetRefreshButton(), Qt::LeftButton);
    EXPECT_EQ(ComboTexts(), (std::vector<std::string>{"<General>", "Fresh"}));
    EXPECT_EQ(Prefabs()->GetCurrent(), nullptr);
}

TEST_F(PrefabsPageTest, RowsShowTheHighlightUnderPictureAndNameAndTheThumbnailInItsPlace)
{
    ShowPage();
    ClickRow("barrel");
    const QImage shot = Shot();
    const QRgb highlight = Highlight();
    ASSERT_NE(highlight, 0xFFFFFFu);
    for (const auto &[name, colour] : {std::pair<const char *, QRgb>{"Arch", kArch}, {"barrel", kBarrel}}) {
        SCOPED_TRACE(name);
        const QRect row = RowRect(name);
        const bool selected = std::string(name) == "barrel";
        const QRgb background = selected ? highlight : 0xFFFFFFu;
        const QPoint at = ThumbnailAt(row);
        // The thumbnail's corners, and the background just outside them.
        EXPECT_EQ(Rgb(shot, at.x(), at.y()), colour & 0xFFFFFF);
        EXPECT_EQ(Rgb(shot, at.x() + kThumbnailSide - 1, at.y() + kThumbnailSide - 1), colour & 0xFFFFFF);
        EXPECT_EQ(Rgb(shot, at.x() - 1, at.y()), background);
        EXPECT_EQ(Rgb(shot, at.x(), at.y() - 1), background);
        EXPECT_EQ(Rgb(shot, at.x() + kThumbnailSide, at.y() + kThumbnailSide - 1), background);
        EXPECT_EQ(Rgb(shot, row.left() + 1, row.bottom() - 1), background);
        // The name above the thumbnail, centred, on the row's background: no window colour shows
        // through on the selected row.
        QRect ink;
        int window = 0;
        for (int y = row.top(); y < at.y(); ++y)
            for (int x = row.left(); x <= row.right(); ++x) {
                const QRgb pixel = Rgb(shot, x, y);
                window += pixel == 0xFFFFFF;
                if (pixel != background)
                    ink |= QRect(x, y, 1, 1);
            }
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.center().x(), row.center().x(), 2);
        if (selected) {
            EXPECT_EQ(window, 0);
        }
    }
}

TEST_F(PrefabsPageTest, AMissingThumbnailIsReadAgainAtTheNextPaintAndALoadedOneIsKept)
{
    WritePrefab(Folder() / "Plain.iwf", std::nullopt);
    ShowPage();
    CZNPrefab *plain = Find("Plain");
    ASSERT_NE(plain, nullptr);
    QRect row = RowRect("Plain");
    List()->scrollToItem(List()->item(List()->FindStringExact("Plain")));
    row = RowRect("Plain");
    QImage shot = Shot();
    EXPECT_EQ(plain->GetThumbnail(), nullptr);
    // Only the name: the thumbnail's place shows the background.
    EXPECT_EQ(Rgb(shot, ThumbnailAt(row).x() + 10, ThumbnailAt(row).y() + 10), 0xFFFFFFu);
    int ink = 0;
    for (int y = row.top(); y < row.top() + 15; ++y)
        for (int x = row.left(); x <= row.right(); ++x)
            ink += Rgb(shot, x, y) != 0xFFFFFF;
    EXPECT_GT(ink, 10);

    // The file gains a thumbnail: the next paint reads it.
    WritePrefab(Folder() / "Plain.iwf", kCrate);
    shot = Shot();
    const CZNImage *loaded = plain->GetThumbnail();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Rgb(shot, ThumbnailAt(row).x() + 10, ThumbnailAt(row).y() + 10), kCrate & 0xFFFFFF);

    // Once loaded it is kept, whatever the file holds now.
    WritePrefab(Folder() / "Plain.iwf", kArch);
    shot = Shot();
    EXPECT_EQ(plain->GetThumbnail(), loaded);
    EXPECT_EQ(Rgb(shot, ThumbnailAt(row).x() + 10, ThumbnailAt(row).y() + 10), kCrate & 0xFFFFFF);
    EXPECT_TRUE(reporter.Entries().empty());
}

TEST_F(PrefabsPageTest, AThumbnailThatCannotBeDrawnIsDroppedAndReportedOnceAfterThePaint)
{
    ShowPage();
    QCoreApplication::processEvents();
    CZNPrefab *arch = Find("Arch"), *barrel = Find("barrel");
    ASSERT_TRUE(arch && barrel);
    // Loaded, but with no pixels to draw.
    const auto breakThumbnails = [&] {
        arch->SetThumbnail(new CZNImage);
        barrel->SetThumbnail(new CZNImage);
    };
    breakThumbnails();
    QImage shot = Shot();
    // Nothing is shown inside the paint.
    EXPECT_TRUE(reporter.Entries().empty());
    EXPECT_EQ(arch->GetThumbnail(), nullptr);
    EXPECT_EQ(barrel->GetThumbnail(), nullptr);
    // The name is still drawn.
    const QRect row = RowRect("Arch");
    bool ink = false;
    for (int x = row.left(); x <= row.right(); ++x)
        for (int y = row.top(); y < row.top() + 15; ++y)
            ink |= Rgb(shot, x, y) != Rgb(shot, row.left() + 1, row.top() + 1);
    EXPECT_TRUE(ink);

    QCoreApplication::processEvents();
    ASSERT_EQ(reporter.Entries().size(), 2u);
    for (const auto &entry : reporter.Entries()) {
        EXPECT_EQ(entry.text, "A prefab that was successfully loaded could not be rendered in the list box");
        EXPECT_EQ(entry.caption, "TOVRA");
    }
    // The same prefabs failing again are not reported again.
    breakThumbnails();
    Shot();
    QCoreApplication::processEvents();
    EXPECT_EQ(reporter.Entries().size(), 2u);
}

TEST_F(PrefabsPageTest, TheChosenPrefabIsPlacedAtTheSnappedClickWithOneUndo)
{
    GetEditorApp()->Options().m_SnapToGrid = 1;
    GetEditorApp()->SetGridSize(16.0f);
    doc->SetCursorPoint(D3DXVECTOR3(0, 0, 0));
    ShowPage();
    ChooseCategory("Rocks");
    ClickRow("pebble");
    const int levels = [this] {
        int n = 0;
        for (const ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next)
            n += !r->Continuation;
        return n;
    }();

    frame->GetAction(ZNCMD_PLACE_PREFAB)->trigger();
    EXPECT_EQ(GetEditorApp()->GetPlacementMode(), ZNPLACE_PREFAB);
    Click(Pixel(37, -21));
    EXPECT_EQ(GetEditorApp()->GetPlacementMode(), ZNPLACE_SELECT);
    ZNBRUSH *brush = doc->GetBrushList();
    ASSERT_NE(brush, nullptr);
    EXPECT_EQ(doc->GetLastBrush(), brush);
    const ZNBBOX box = brush->GetBoundingBox(1);
    EXPECT_FLOAT_EQ((box.Min.x + box.Max.x) / 2, 32.0f);
    EXPECT_FLOAT_EQ((box.Min.z + box.Max.z) / 2, -16.0f);
    EXPECT_FLOAT_EQ(box.Max.x - box.Min.x, 32.0f);
    ASSERT_NE(doc->GetUndoList(), nullptr);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Import Objects");
    int after = 0;
    for (const ZNUNDORECORD *r = doc->GetUndoList(); r; r = r->Next)
        after += !r->Continuation;
    EXPECT_EQ(after, levels + 1);

    frame->RunCommand(ZNCMD_EDIT_UNDO);
    EXPECT_EQ(doc->GetBrushList(), nullptr);
}

TEST_F(PrefabsPageTest, APrefabSavedFromTheSelectionIsListedWhileAnotherPageIsActive)
{
    ShowPage();
    QTest::mouseClick(Sheet()->GetTabButton(CZNOptionsSheet::PAGE_SCENE), Qt::LeftButton);
    ZNBRUSH *cube = Box(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(32, 32, 32));
    Add(ZNSELECT_BRUSH, cube);
    frame->SetFileDialog([this](ZNFILEDIALOG, std::string *path) {
        *path = (Folder() / "Made.iwf").string();
        return true;
    });
    frame->RunCommand(ZNCMD_FILE_EXPORT_PREFAB);
    ASSERT_TRUE(fs::exists(Folder() / "Made.iwf"));
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_SCENE);
    EXPECT_EQ(ListTexts(), (std::vector<std::string>{"Arch", "barrel", "Crate", "Made"}));
    // The choice made before stays.
    EXPECT_EQ(CurrentName(), "Arch");
}

TEST_F(PrefabsPageTest, ScreenshotOfThePageWithThreePrefabsOneSelected)
{
    ShowPage();
    ClickRow("barrel");
    List()->scrollToTop();
    QCoreApplication::processEvents();
    const QImage shot = Sheet()->grab().toImage();
    const std::string path = std::string(ZN_TEST_TMP_DIR) + "/prefabs_page.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));
    // The selected row's thumbnail shows on the page.
    const QImage list = Shot();
    const QPoint at = ThumbnailAt(RowRect("barrel"));
    EXPECT_EQ(Rgb(list, at.x() + 5, at.y() + 5), kBarrel & 0xFFFFFF);
}

} // namespace
