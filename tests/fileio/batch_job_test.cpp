// The batch conversion job on real files: scene files of the test data copied into a folder of
// the test, converted with a host that records what the progress dialog would show.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "fileio/batch_host.h"
#include "fileio/batch_job.h"
#include "fileio/file_stream_io.h"
#include "fileio/iwf_export_options.h"
#include "fileio/iwf_scene.h"
#include "fileio/x_scene.h"
#include "platform/os/recording_reporter.h"
#include "platform/os/settings.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/container.h"
#include "scene/material.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace
{
namespace fs = std::filesystem;

class RecordingHost : public IZNBatchHost
{
public:
    void Log(const std::string &text) override { log += text; }
    void ShowCount(int converted, int total) override { caption = CZNBatchJob::Caption(converted, total); }
    void SetProgressRange(int total) override { range = total; }
    void SetProgress(int position) override { progress = position; }
    void EnableClose(BOOL enable) override
    {
        closes.push_back(enable);
        ++closeCalls;
    }
    bool IsAbortRequested() const override { return abort.load() != 0; }

    std::atomic<int> abort{0};
    std::atomic<int> closeCalls{0};
    std::string log, caption;
    int range = -1, progress = -1;
    std::vector<BOOL> closes;
};

constexpr char kNoReader[] = "FAILURE\r\nThe specified file is not of a valid or currently supported type.\r\n\r\n";

class BatchJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GetEditorApp()->SetReporter(&reporter);
        in = dir.Path() / "in";
        out = dir.Path() / "out";
        fs::create_directories(in);
        fs::create_directories(out);
        settings.InputFolder = in.string() + "/";
        settings.OutputFolder = out.string() + "/";
        ParseIWFExportOptions(IWF_EXPORT_OPTIONS_DEFAULT, &settings.Options);
        settings.Options.Option[IWFOPT_THUMBNAIL] = 0;
    }
    void TearDown() override
    {
        GetEditorApp()->Get3D()->TrimMaterialList();
        GetEditorApp()->SetReporter(nullptr);
    }

    std::string Copy(const std::string &data, const std::string &name)
    {
        const fs::path target = in / name;
        fs::copy_file(fs::path(ZN_TEST_DATA_DIR) / data, target, fs::copy_options::overwrite_existing);
        return target.string();
    }
    // Three files, the second not a scene.
    void ThreeFiles()
    {
        settings.Selection = {Copy("3ds/test1.3ds", "a.3ds"), Copy("3ds/test.png", "b.3ds"),
                              Copy("models/x/test_cube_text.x", "c.x")};
    }
    std::string EndLine() const { return host.log.substr(host.log.rfind("Conversion process")); }

    ZnTempDir dir;
    fs::path in, out;
    CZNRecordingReporter reporter;
    RecordingHost host;
    ZNBATCHSETTINGS settings;
};

TEST_F(BatchJobTest, ABadFileIsReportedAndTheRunGoesOn)
{
    ThreeFiles();
    CZNBatchJob job(settings, &host);
    job.Run();
    EXPECT_NE(host.log.find("Importing from file 'b.3ds'....  " + std::string(kNoReader)), std::string::npos);
    EXPECT_EQ(EndLine(), "Conversion process completed.\r\nConverted 2 of 3 file(s) successfully.");
    EXPECT_EQ(host.range, 3);
    EXPECT_EQ(host.progress, 3);
    EXPECT_EQ(host.caption, "2 of 3 File(s) successfully converted.");
    EXPECT_EQ(host.closes, (std::vector<BOOL>{FALSE, TRUE}));
    EXPECT_TRUE(fs::exists(out / "a.iwf"));
    EXPECT_FALSE(fs::exists(out / "b.iwf"));
    EXPECT_TRUE(fs::exists(out / "c.iwf"));

    // The outputs read back with the input's geometry.
    for (const char *pair : {"a", "c"}) {
        CZNIWFScene scene;
        CZNFileStreamIO stream((out / (std::string(pair) + ".iwf")).c_str(), ZNSTREAM_READ);
        ASSERT_TRUE(scene.IsValidFile(stream)) << pair;
        stream.SeekTo(0);
        scene.Load(stream, true);
        EXPECT_FALSE(scene.m_Brushes.empty()) << pair;
        scene.Clear(IWFSAVE_ALL);
    }
    EXPECT_TRUE(reporter.Entries().empty());
}

TEST_F(BatchJobTest, StopOnErrorsEndsTheRunAtTheFirstFailure)
{
    ThreeFiles();
    settings.StopOnErrors = 1;
    CZNBatchJob job(settings, &host);
    job.Run();
    EXPECT_EQ(EndLine(), "Conversion process aborted due to fatal error, or 'Stop on Error' request.\r\nConverted 1 "
                         "of 3 file(s) successfully.");
    EXPECT_EQ(host.progress, 2);
    EXPECT_FALSE(fs::exists(out / "c.iwf"));
}

TEST_F(BatchJobTest, HeaderLinesAndAWholeFileBlock)
{
    settings.Selection = {Copy("3ds/test1.3ds", "a.3ds")};
    CZNBatchJob job(settings, &host);
    job.Run();
    const std::string expected = "Tovra Batch Conversion Processor\r\n"
                                 "-----------------------------------------\r\n"
                                 "Batch Import Path:\r\n        " +
                                 settings.InputFolder + "\r\n\r\n" + "Batch Export Path:\r\n        " +
                                 settings.OutputFolder + "\r\n\r\n" +
                                 "Beginning batch conversion process....\r\n\r\n"
                                 "Importing from file 'a.3ds'....  Success\r\n"
                                 "Exporting to file 'a.iwf'....  Success\r\n"
                                 "Cleaning up redundant items....  Completed\r\n\r\n"
                                 "Conversion process completed.\r\nConverted 1 of 1 file(s) successfully.";
    EXPECT_EQ(host.log, expected);
}

TEST_F(BatchJobTest, OverwriteAnsweredNoConvertsNothing)
{
    settings.Selection = {Copy("3ds/test1.3ds", "a.3ds")};
    ZnWriteFile((out / "a.iwf").string(), "old bytes");
    reporter.QueueAnswer(IDNO);
    CZNBatchJob job(settings, &host);
    job.Run();
    EXPECT_EQ(EndLine(), "Conversion process aborted by user.\r\nConverted 0 of 1 file(s) successfully.");
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].type, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(ZnReadFile((out / "a.iwf").string()), "old bytes");
}

TEST_F(BatchJobTest, OverwriteAnsweredYesReplacesAndSaysSo)
{
    settings.Selection = {Copy("3ds/test1.3ds", "a.3ds")};
    ZnWriteFile((out / "a.iwf").string(), "old bytes");
    reporter.QueueAnswer(IDYES);
    CZNBatchJob job(settings, &host);
    job.Run();
    EXPECT_NE(host.log.find("Overwriting export file 'a.iwf'....  Success\r\n"), std::string::npos);
    EXPECT_NE(ZnReadFile((out / "a.iwf").string()), "old bytes");
}

TEST_F(BatchJobTest, FoldersAreWalkedSortedToEveryDepthAfterYes)
{
    fs::create_directories(in / "sub" / "deeper");
    Copy("3ds/test1.3ds", "z.3ds");
    Copy("3ds/cube_with_diffuse_texture.3DS", "sub/deeper/cube.3DS");
    Copy("models/x/test_cube_binary.x", "sub/m.x");
    fs::create_directory_symlink(in, in / "sub" / "loop");
    settings.Selection = {in.string()};
    settings.SelectFolders = 1;
    CZNBatchJob job(settings, &host);
    EXPECT_EQ(job.ListFiles(), (std::vector<std::string>{(in / "sub/deeper/cube.3DS").string(),
                                                          (in / "sub/m.x").string(), (in / "z.3ds").string()}));
    reporter.QueueAnswer(IDYES);
    job.Run();
    EXPECT_EQ(EndLine(), "Conversion process completed.\r\nConverted 3 of 3 file(s) successfully.");
    EXPECT_TRUE(fs::exists(out / "cube.iwf"));
    EXPECT_TRUE(fs::exists(out / "m.iwf"));
    EXPECT_TRUE(fs::exists(out / "z.iwf"));
}

TEST_F(BatchJobTest, FoldersAnsweredNoConvertNothing)
{
    Copy("3ds/test1.3ds", "z.3ds");
    settings.Selection = {in.string()};
    settings.SelectFolders = 1;
    reporter.QueueAnswer(IDNO);
    CZNBatchJob job(settings, &host);
    job.Run();
    EXPECT_EQ(EndLine(), "Conversion process aborted by user.\r\nConverted 0 of 1 file(s) successfully.");
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(BatchJobTest, AMissingOutputFolderGivesOutputNotOpenedAndNoTemporaryFile)
{
    settings.Selection = {Copy("3ds/test1.3ds", "a.3ds")};
    settings.OutputFolder = (dir.Path() / "missing").string() + "/";
    CZNBatchJob job(settings, &host);
    job.Run();
    EXPECT_NE(host.log.find("Exporting to file 'a.iwf'....  FAILURE\r\nUnable to open the specified file. File was "
                            "not converted.\r\n"),
              std::string::npos);
    EXPECT_EQ(EndLine(), "Conversion process completed.\r\nConverted 0 of 1 file(s) successfully.");
}

// A new output gets the permissions of a newly created file; an output written over keeps its own.
TEST_F(BatchJobTest, OutputsGetTheModeOfANewFileOrKeepTheirOwn)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    settings.Selection = {Copy("3ds/test1.3ds", "a.3ds"), Copy("models/x/test_cube_text.x", "c.x")};
    ZnWriteFile((out / "c.iwf").string(), "old bytes");
    fs::permissions(out / "c.iwf", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    reporter.QueueAnswer(IDYES);
    CZNBatchJob job(settings, &host);
    job.Run();
    ASSERT_EQ(EndLine(), "Conversion process completed.\r\nConverted 2 of 2 file(s) successfully.");
    EXPECT_EQ(static_cast<mode_t>(fs::status(out / "a.iwf").permissions()), 0666 & ~mask);
    EXPECT_EQ(fs::status(out / "c.iwf").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_NE(ZnReadFile((out / "c.iwf").string()), "old bytes");
}

TEST_F(BatchJobTest, AnUnwritableOutputFolderGivesOutputNotOpened)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes whatever the permissions say";
    settings.Selection = {Copy("3ds/test1.3ds", "a.3ds"), Copy("models/x/test_cube_text.x", "c.x")};
    fs::permissions(out, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    for (DWORD type : {ZNBATCH_IWF, ZNBATCH_X}) {
        host.log.clear();
        settings.OutputType = type;
        CZNBatchJob job(settings, &host);
        job.Run();
        EXPECT_NE(host.log.find("....  FAILURE\r\nUnable to open the specified file. File was not converted.\r\n"),
                  std::string::npos)
            << type;
        EXPECT_EQ(EndLine(), "Conversion process completed.\r\nConverted 0 of 2 file(s) successfully.") << type;
    }
    fs::permissions(out, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(fs::is_empty(out));
}

// The output folder inside the input folder: the files are listed once, before any output is
// written, so no output is read back as an input.
TEST_F(BatchJobTest, OutputsWrittenInsideTheInputFolderNeverBecomeInputs)
{
    Copy("3ds/test1.3ds", "a.3ds");
    Copy("models/x/test_cube_binary.x", "b.x");
    fs::create_directories(in / "converted");
    settings.OutputFolder = (in / "converted").string() + "/";
    settings.Selection = {in.string()};
    settings.SelectFolders = 1;
    reporter.QueueAnswer(IDYES);
    CZNBatchJob job(settings, &host);
    job.Run();
    EXPECT_EQ(EndLine(), "Conversion process completed.\r\nConverted 2 of 2 file(s) successfully.");
    EXPECT_EQ(host.range, 2);
    EXPECT_TRUE(fs::exists(in / "converted" / "a.iwf"));
    EXPECT_TRUE(fs::exists(in / "converted" / "b.iwf"));
}

TEST_F(BatchJobTest, DirectXOutputHasTheInputsTrianglesAndNoThumbnailWarning)
{
    settings.Selection = {Copy("models/x/test_cube_text.x", "c.x"), Copy("3ds/test1.3ds", "a.3ds")};
    settings.OutputType = ZNBATCH_X;
    settings.Options.Option[IWFOPT_THUMBNAIL] = 1;
    CZNBatchJob job(settings, &host);
    job.Run();
    EXPECT_EQ(host.log.find("Warning: Unable"), std::string::npos);
    for (const char *name : {"c.x", "a.x"}) {
        CZNXScene scene;
        CZNFileStreamIO stream((out / name).c_str(), ZNSTREAM_READ);
        ASSERT_TRUE(scene.IsValidFile(stream)) << name;
        scene.Load(stream, true);
        ASSERT_EQ(scene.m_Brushes.size(), 1u) << name;
        scene.Clear(XSCENE_CLEAR_BRUSHES | XSCENE_CLEAR_TEXTURES);
    }
    for (const auto &entry : fs::directory_iterator(out))
        EXPECT_NE(entry.path().filename().string()[0], '.') << "a temporary file was left";
}

// Names in the output folder other than the expected outputs (temporary files).
std::vector<std::string> Leftovers(const fs::path &folder, const std::vector<std::string> &expected)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end())
            names.push_back(name);
    }
    return names;
}

TEST_F(BatchJobTest, AWriteFailingPartWayKeepsTheEarlierOutputAndStopOnErrorsEndsTheRun)
{
    settings.Selection = {Copy("3ds/test1.3ds", "a.3ds"), Copy("3ds/cube_with_diffuse_texture.3DS", "b.3ds")};
    settings.StopOnErrors = 1;
    ZnWriteFile((out / "a.iwf").string(), "earlier output");
    reporter.QueueAnswer(IDYES);
    CZNBatchJob job(settings, &host);
    ZnWithFileSizeLimit(64, [&] { job.Run(); });
    EXPECT_NE(host.log.find("Overwriting export file 'a.iwf'....  FAILURE\r\nAn error occured whilst exporting the "
                            "specified file. File was not converted.\r\n"),
              std::string::npos);
    EXPECT_EQ(EndLine(), "Conversion process aborted due to fatal error, or 'Stop on Error' request.\r\nConverted 0 "
                         "of 2 file(s) successfully.");
    EXPECT_EQ(host.log.find("'b.3ds'"), std::string::npos);
    EXPECT_EQ(ZnReadFile((out / "a.iwf").string()), "earlier output");
    EXPECT_TRUE(Leftovers(out, {"a.iwf"}).empty());
}

TEST_F(BatchJobTest, AnUnreadableFileIsReportedAndTheRunGoesOn)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads whatever the permissions say";
    settings.Selection = {Copy("3ds/test1.3ds", "locked.3ds"), Copy("3ds/test1.3ds", "a.3ds")};
    fs::permissions(in / "locked.3ds", fs::perms::all, fs::perm_options::remove);
    CZNBatchJob job(settings, &host);
    job.Run();
    EXPECT_NE(host.log.find("Importing from file 'locked.3ds'....  FAILURE\r\nUnable to open the specified file. "
                            "File was not converted.\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(EndLine(), "Conversion process completed.\r\nConverted 1 of 2 file(s) successfully.");
}

// Sets the host's abort flag when the worker's first call to the UI thread (the first thumbnail)
// arrives, so the moment is exact: the worker waits for that call.
class AbortOnFirstCall : public QObject
{
public:
    explicit AbortOnFirstCall(RecordingHost &host) : m_Host(host) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MetaCall && !m_Host.abort.load()) {
            m_Host.abort.store(1);
            ++calls;
        }
        return QObject::eventFilter(watched, event);
    }
    int calls = 0;

private:
    RecordingHost &m_Host;
};

TEST_F(BatchJobTest, AbortDuringTheFirstThumbnailFinishesThatFileOnly)
{
    static int argc = 1;
    static char name[] = "batch";
    static char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    AbortOnFirstCall filter(host);
    app.installEventFilter(&filter);
    settings.Selection = {Copy("3ds/test1.3ds", "a.3ds"), Copy("3ds/test1.3ds", "b.3ds"),
                          Copy("models/x/test_cube_text.x", "c.x")};
    settings.Options.Option[IWFOPT_THUMBNAIL] = 1;
    CZNBatchJob job(settings, &host);
    job.Start();
    // The test's thread is the UI thread: it serves the worker's calls until the run has ended.
    while (host.closeCalls.load() < 2)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    job.Join();
    app.removeEventFilter(&filter);
    EXPECT_EQ(filter.calls, 1);
    EXPECT_EQ(EndLine(), "Conversion process aborted by user.\r\nConverted 1 of 3 file(s) successfully.");
    EXPECT_EQ(host.log.find("'b.3ds'"), std::string::npos);
    EXPECT_TRUE(Leftovers(out, {"a.iwf"}).empty());
    CZNIWFScene scene;
    CZNFileStreamIO stream((out / "a.iwf").c_str(), ZNSTREAM_READ);
    ASSERT_TRUE(scene.IsValidFile(stream));
    stream.SeekTo(0);
    scene.Load(stream, true);
    EXPECT_FALSE(scene.m_Brushes.empty());
    scene.Clear(IWFSAVE_ALL);
}

// The worker converts .X and 3DS files while this thread, the UI thread, keeps reading the shared
// material list, the materials' and textures' reference counts, and serves the worker's calls.
TEST_F(BatchJobTest, TheJobRunsBesideAUIThreadReadingTheSharedLists)
{
    static int argc = 1;
    static char name[] = "batch";
    static char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        settings.Selection.push_back(Copy("models/x/test_cube_text.x", "t" + n + ".x"));
        settings.Selection.push_back(Copy("models/x/test_cube_binary.x", "b" + n + ".x"));
        settings.Selection.push_back(Copy("3ds/test1.3ds", "s" + n + ".3ds"));
        settings.Selection.push_back(Copy("3ds/cube_with_diffuse_texture.3DS", "c" + n + ".3ds"));
    }
    CZNBatchJob job(settings, &host);
    job.Start();
    long seen = 0;
    while (host.closeCalls.load() < 2) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        CZNCONTAINER *list = GetEditorApp()->Get3D()->GetMaterialList();
        for (DWORD k = 0; k < list->GetElementCount(); ++k)
            if (auto *m = static_cast<CZNMATERIAL *>(list->GetElement(k)))
                seen += m->GetD3DMaterial().Power >= 0.0f ? m->GetReferenceCount() >= 0 : 0;
        for (CZNTexture *t = GetEditorApp()->GetTextureManager()->GetFirstTexture(); t; t = t->GetNext())
            seen += t->GetRefCount() >= 0;
    }
    job.Join();
    EXPECT_GT(seen, 0);
    EXPECT_EQ(EndLine(), "Conversion process completed.\r\nConverted 16 of 16 file(s) successfully.");
}

struct ZNOUTPUTCASE {
    const char *name;
    const char *input;
    DWORD type;
    const char *output;
};
class MakeOutputPathTest : public ::testing::TestWithParam<ZNOUTPUTCASE>
{
};
TEST_P(MakeOutputPathTest, CutsAtTheFirstDotAfterTheFirstCharacter)
{
    ZNBATCHSETTINGS settings;
    settings.OutputFolder = "/out/";
    settings.OutputType = GetParam().type;
    CZNBatchJob job(settings, nullptr);
    EXPECT_EQ(job.MakeOutputPath(GetParam().input), GetParam().output);
}
INSTANTIATE_TEST_SUITE_P(Names, MakeOutputPathTest,
                         ::testing::Values(ZNOUTPUTCASE{"TwoDots", "/in/castle.old.3ds", ZNBATCH_IWF, "/out/castle.iwf"},
                                           ZNOUTPUTCASE{"DirectX", "/in/a/b.iwf", ZNBATCH_X, "/out/b.x"},
                                           ZNOUTPUTCASE{"NoDot", "/in/scene", ZNBATCH_IWF, "/out/scene.iwf"},
                                           ZNOUTPUTCASE{"LeadingDot", "/in/.hidden", ZNBATCH_IWF, "/out/.hidden.iwf"},
                                           ZNOUTPUTCASE{"LeadingDotThenExtension", "/in/.a.x", ZNBATCH_X,
                                                        "/out/.a.x"}),
                         [](const auto &info) { return std::string(info.param.name); });

struct ZNOPTIONSCASE {
    const char *name;
    const char *text;
    DWORD expected[IWFOPT_COUNT];
};
class ParseOptionsTest : public ::testing::TestWithParam<ZNOPTIONSCASE>
{
};
TEST_P(ParseOptionsTest, ReadsSeventeenNumbersSkippingTheSpares)
{
    IWFEXPORTOPTIONS options;
    for (DWORD &o : options.Option)
        o = 9;
    ParseIWFExportOptions(GetParam().text, &options);
    for (int i = 0; i < IWFOPT_COUNT; ++i)
        EXPECT_EQ(options.Option[i], GetParam().expected[i]) << "option " << i;
}
INSTANTIATE_TEST_SUITE_P(
    Lines, ParseOptionsTest,
    ::testing::Values(ZNOPTIONSCASE{"Default", IWF_EXPORT_OPTIONS_DEFAULT, {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1}},
                      ZNOPTIONSCASE{"SparesIgnored",
                                    "0 0 0 0 0 7 7 7 1 1 1 1 1 1 1 1 1",
                                    {0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
                      ZNOPTIONSCASE{"FiveNumbers", "1 0 1 0 1", {1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                      ZNOPTIONSCASE{"NotANumber", "x 1 1", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(IwfExportOptionsTest, AMissingLineStoresTheDefaultAndSparesAreWrittenAsZero)
{
    ZnTempDir dir;
    CZNSettings::SetUserFolder(dir.Path().c_str());
    CZNSettings().RemoveProfileEntry("IWF Export Config", "Main");
    IWFEXPORTOPTIONS options;
    LoadIWFExportOptions(&options);
    EXPECT_EQ(CZNSettings().GetProfileString("IWF Export Config", "Main"), IWF_EXPORT_OPTIONS_DEFAULT);
    EXPECT_EQ(options.Option[IWFOPT_EDITOR_OPTIONS], 0u);
    EXPECT_EQ(options.Option[IWFOPT_DECALMESH], 1u);

    for (DWORD &o : options.Option)
        o = 1;
    SaveIWFExportOptions(options);
    EXPECT_EQ(CZNSettings().GetProfileString("IWF Export Config", "Main"), "1 1 1 1 1 0 0 0 1 1 1 1 1 1 1 1 1");
}
} // namespace
