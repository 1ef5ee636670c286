// The batch conversion's dialogs and the IWF export options dialog, offscreen: what a designer
// clicks, and a whole conversion through them on real files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>

#include "app/editor_app.h"
#include "fileio/batch_job.h"
#include "fileio/iwf_export_options.h"
#include "platform/os/recording_reporter.h"
#include "platform/os/settings.h"
#include "render/direct3d.h"
#include "support/temp_dir.h"
#include "support/widget_app.h"
#include "ui/batch_convert_dlg.h"
#include "ui/convert_progress_dlg.h"
#include "ui/folder_browser.h"
#include "ui/iwf_export_options_dlg.h"

namespace
{
namespace fs = std::filesystem;

class BatchDialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ZnWidgetApp();
        CZNSettings::SetUserFolder((dir.Path() / "settings").c_str());
        GetEditorApp()->SetReporter(&reporter);
    }
    void TearDown() override
    {
        GetEditorApp()->Get3D()->TrimMaterialList();
        GetEditorApp()->SetReporter(nullptr);
    }
    // Runs then on the modal dialog that the next call opens, once it is up.
    static void WhenModal(std::function<void(QWidget *)> then)
    {
        auto *timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, then] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                timer->stop();
                timer->deleteLater();
                then(modal);
            }
        });
        timer->start();
    }

    ZnTempDir dir;
    CZNRecordingReporter reporter;
};

struct ZNSHORTENCASE {
    const char *name;
    QString path;
    QString expected;
};
class ShortenPathTest : public ::testing::TestWithParam<ZNSHORTENCASE>
{
};
TEST_P(ShortenPathTest, KeepsTheStartAndTheLastComponent)
{
    EXPECT_EQ(CZNFolderBrowser::ShortenPath(GetParam().path).toStdString(), GetParam().expected.toStdString());
}
const QString kLong = QStringLiteral("C:\\Program Files\\Tovra Editor\\Media\\Levels\\Outdoor\\scenes");
INSTANTIATE_TEST_SUITE_P(
    Paths, ShortenPathTest,
    ::testing::Values(ZNSHORTENCASE{"SixtyCharacters", kLong + QStringLiteral("\\"),
                                    kLong.left(35) + QStringLiteral("...\\scenes\\")},
                      ZNSHORTENCASE{"Short", QStringLiteral("/home/user/levels/"), QStringLiteral("/home/user/levels/")},
                      ZNSHORTENCASE{"SlashesKeepTheirOwn", QStringLiteral("/home/user/levels"),
                                    QStringLiteral("/home/user/levels/")},
                      ZNSHORTENCASE{"NoSeparator", QString(50, QLatin1Char('a')),
                                    QString(35, QLatin1Char('a')) + QStringLiteral("...") + QLatin1Char('/')}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BatchDialogsTest, VertexComponentsCanBeSelectedButNeverTicked)
{
    IWFEXPORTOPTIONS options;
    ParseIWFExportOptions(IWF_EXPORT_OPTIONS_DEFAULT, &options);
    CZNIWFExportOptionsDlg dialog(&options);
    dialog.show();
    dialog.activateWindow();
    QListWidget *standard = dialog.GetStandardList();
    standard->setFocus();
    ASSERT_EQ(standard->count(), 10);
    ASSERT_EQ(dialog.GetCustomList()->count(), 5);
    EXPECT_TRUE(dialog.GetInfo()->toPlainText().startsWith(
        QStringLiteral("This dialog allows you to enable and disable the export of various IWF chunks")));

    QListWidgetItem *row5 = standard->item(5);
    EXPECT_EQ(row5->text(), QStringLiteral("CHUNK_VERTEXCOMPONENTS"));
    const QRect rect = standard->visualItemRect(row5);
    QTest::mouseClick(standard->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 8, rect.center().y()));
    EXPECT_EQ(standard->currentRow(), 5);
    EXPECT_EQ(row5->checkState(), Qt::Unchecked);
    EXPECT_EQ(dialog.GetInfo()->toPlainText(), QStringLiteral("No options are currently available for this chunk type."));
    QTest::keyClick(standard, Qt::Key_Space);
    EXPECT_EQ(row5->checkState(), Qt::Unchecked);
    row5->setCheckState(Qt::Checked);
    EXPECT_EQ(row5->checkState(), Qt::Unchecked);

    // Another row ticks and unticks with Space, and shows its help.
    standard->setCurrentRow(8);
    EXPECT_TRUE(dialog.GetInfo()->toPlainText().contains(QStringLiteral("texture index -1")));
    QTest::keyClick(standard, Qt::Key_Space);
    EXPECT_EQ(standard->item(8)->checkState(), Qt::Unchecked);
}

TEST_F(BatchDialogsTest, OKWritesTheTicksIntoTheBlock)
{
    IWFEXPORTOPTIONS options;
    ParseIWFExportOptions(IWF_EXPORT_OPTIONS_DEFAULT, &options);
    CZNIWFExportOptionsDlg dialog(&options);
    dialog.GetStandardList()->item(0)->setCheckState(Qt::Unchecked); // option 0
    dialog.GetStandardList()->item(8)->setCheckState(Qt::Unchecked); // option 7
    dialog.GetCustomList()->item(0)->setCheckState(Qt::Checked);     // option 9
    EXPECT_EQ(options.Option[IWFOPT_THUMBNAIL], 1u); // nothing written before OK
    dialog.accept();
    const DWORD expected[IWFOPT_COUNT] = {0, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i < IWFOPT_COUNT; ++i)
        EXPECT_EQ(options.Option[i], expected[i]) << i;
}

TEST_F(BatchDialogsTest, SaveAsDefaultThenCancelChangesTheSettingsNotTheBatch)
{
    CZNBatchConvertDlg batch;
    const IWFEXPORTOPTIONS before = batch.GetExportOptions();
    WhenModal([](QWidget *modal) {
        auto *dialog = qobject_cast<CZNIWFExportOptionsDlg *>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->GetStandardList()->item(1)->setCheckState(Qt::Unchecked);
        dialog->GetSaveDefaultsButton()->click();
        dialog->reject();
    });
    batch.OnOptions();
    EXPECT_EQ(CZNSettings().GetProfileString("IWF Export Config", "Main"), "1 0 1 1 1 0 0 0 1 1 1 1 0 1 1 1 1");
    EXPECT_EQ(batch.GetExportOptions().Option[IWFOPT_SUMMARY], before.Option[IWFOPT_SUMMARY]);
    EXPECT_TRUE(batch.GetOptionsButton()->isEnabled());
    batch.GetTypeCombo()->setCurrentIndex(1);
    EXPECT_FALSE(batch.GetOptionsButton()->isEnabled());
}

// A job whose host is the dialog, run to its end by hand.
TEST_F(BatchDialogsTest, ProgressDialogClosesOnlyWithOKAtTheEnd)
{
    CZNConvertProgressDlg progress;
    progress.show();
    progress.EnableClose(FALSE);
    EXPECT_FALSE(progress.GetOKButton()->isEnabled());
    EXPECT_TRUE(progress.GetAbortButton()->isEnabled());
    QTest::keyClick(&progress, Qt::Key_Escape);
    QTest::keyClick(&progress, Qt::Key_Return);
    progress.close();
    EXPECT_TRUE(progress.isVisible());

    progress.Log("first\r\n");
    progress.GetLog()->moveCursor(QTextCursor::Start);
    progress.Log("second");
    EXPECT_EQ(progress.GetLog()->toPlainText(), QStringLiteral("first\nsecond"));
    progress.ShowCount(1, 3);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("1 of 3 File(s) successfully converted."));
    EXPECT_EQ(progress.GetLabel()->text(), QStringLiteral("1 File(s) of 3 successfully converted."));

    progress.GetAbortButton()->click();
    EXPECT_TRUE(progress.IsAbortRequested());
    EXPECT_FALSE(progress.GetAbortButton()->isEnabled());
    progress.EnableClose(TRUE);
    EXPECT_TRUE(progress.GetOKButton()->isEnabled());
    EXPECT_FALSE(progress.GetAbortButton()->isEnabled());
    progress.GetOKButton()->click();
    EXPECT_FALSE(progress.isVisible());
}

class BatchConvertDlgTest : public BatchDialogsTest
{
protected:
    void SetUp() override
    {
        BatchDialogsTest::SetUp();
        in = dir.Path() / "in";
        out = dir.Path() / "out";
        fs::create_directories(in / "sub");
        fs::create_directories(out);
        fs::copy_file(fs::path(ZN_TEST_DATA_DIR) / "3ds/test1.3ds", in / "a.3ds");
        fs::copy_file(fs::path(ZN_TEST_DATA_DIR) / "models/x/test_cube_binary.x", in / "sub/b.x");
        ZnWriteFile((in / "empty.iwf").string(), "");
        CZNSettings settings;
        settings.WriteProfileString("IWF Export Config", "Last Input Dir", in.c_str());
        settings.WriteProfileString("IWF Export Config", "Last Output Dir", out.c_str());
        // No thumbnails here: no device is started.
        IWFEXPORTOPTIONS options;
        ParseIWFExportOptions(IWF_EXPORT_OPTIONS_DEFAULT, &options);
        options.Option[IWFOPT_THUMBNAIL] = 0;
        SaveIWFExportOptions(options);
    }
    // Clicks OK of the progress dialog once the run has ended; keeps its log.
    void CloseProgressAtTheEnd()
    {
        WhenModal([this](QWidget *modal) {
            auto *progress = qobject_cast<CZNConvertProgressDlg *>(modal);
            ASSERT_NE(progress, nullptr);
            auto *poll = new QTimer(progress);
            QObject::connect(poll, &QTimer::timeout, [this, progress] {
                if (progress->GetOKButton()->isEnabled()) {
                    log = progress->GetLog()->toPlainText().toStdString();
                    bar = progress->GetProgressBar()->value();
                    progress->GetOKButton()->click();
                }
            });
            poll->start(10);
        });
    }

    fs::path in, out;
    std::string log;
    int bar = -1;
};

TEST_F(BatchConvertDlgTest, SelectAllNamesEachItemOnce)
{
    CZNBatchConvertDlg batch;
    batch.show();
    // The folder view fills in the background.
    for (int i = 0; i < 200 && batch.GetModel()->rowCount(batch.GetView()->rootIndex()) < 3; ++i)
        QTest::qWait(10);
    ASSERT_EQ(batch.GetModel()->rowCount(batch.GetView()->rootIndex()), 3); // sub, a.3ds, empty.iwf
    batch.OnSelectAll();
    EXPECT_EQ(batch.GetNameBox()->text(), QStringLiteral("\"a.3ds\" \"empty.iwf\""));
    batch.GetSelectFolders()->setChecked(true);
    EXPECT_EQ(batch.GetNameBox()->text(), QStringLiteral("\"a.3ds\" \"empty.iwf\" \"sub\""));
}

TEST_F(BatchConvertDlgTest, AMissingClosingQuoteConvertsNothing)
{
    CZNBatchConvertDlg batch;
    batch.GetNameBox()->setText(QStringLiteral("\"a.3ds"));
    EXPECT_FALSE(batch.OnConvert());
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].text, "Error : Invalid selection string, missing a closing quotation mark");
    EXPECT_EQ(batch.GetJob(), nullptr);
}

TEST_F(BatchConvertDlgTest, AMissingOutputFolderIsRefusedAndTheStoredOneComesBack)
{
    CZNBatchConvertDlg batch;
    batch.GetNameBox()->setText(QStringLiteral("a.3ds"));
    batch.GetOutputEdit()->setText(QString::fromStdString((dir.Path() / "nowhere").string()));
    EXPECT_FALSE(batch.OnConvert());
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].text, "The output directory specified by the dialog is invalid.\r\n\r\nPlease "
                                          "specify an existing folder for export.");
    EXPECT_EQ(batch.GetOutputEdit()->text().toStdString(), out.string());
    EXPECT_EQ(batch.GetJob(), nullptr);
}

TEST_F(BatchConvertDlgTest, SelectedFoldersAreConvertedAndTheDialogStaysForAnotherBatch)
{
    CZNBatchConvertDlg batch;
    batch.show();
    batch.GetSelectFolders()->setChecked(true);
    batch.GetNameBox()->setText(QStringLiteral("\"a.3ds\" \"sub\" \"empty.iwf\""));
    reporter.QueueAnswer(IDYES);
    CloseProgressAtTheEnd();
    ASSERT_TRUE(batch.OnConvert());
    EXPECT_NE(log.find("Importing from file 'a.3ds'....  Success"), std::string::npos);
    EXPECT_NE(log.find("Importing from file 'b.x'....  Success"), std::string::npos);
    EXPECT_NE(log.find("Importing from file 'empty.iwf'....  FAILURE"), std::string::npos);
    EXPECT_NE(log.find("Conversion process completed.\nConverted 2 of 3 file(s) successfully."), std::string::npos);
    EXPECT_EQ(bar, 3);
    EXPECT_TRUE(fs::exists(out / "a.iwf"));
    EXPECT_TRUE(fs::exists(out / "b.iwf"));
    EXPECT_EQ(CZNSettings().GetProfileString("IWF Export Config", "Last Input Dir"), in.string() + "/");
    EXPECT_EQ(CZNSettings().GetProfileString("IWF Export Config", "Last Output Dir"), out.string() + "/");

    // A second Convert, .X output this time, in the same dialog.
    batch.GetSelectFolders()->setChecked(false);
    batch.GetTypeCombo()->setCurrentIndex(1);
    batch.GetNameBox()->setText(QStringLiteral("a.3ds"));
    CloseProgressAtTheEnd();
    ASSERT_TRUE(batch.OnConvert());
    EXPECT_TRUE(fs::exists(out / "a.x"));
    EXPECT_TRUE(batch.isVisible());
}
} // namespace
