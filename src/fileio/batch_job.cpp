#include "fileio/batch_job.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <new>
#include <set>
#include <vector>

#include "app/editor_app.h"
#include "fileio/atomic_save.h"
#include "fileio/batch_host.h"
#include "fileio/file_stream_io.h"
#include "fileio/memory_stream_io.h"
#include "fileio/scene_readers.h"
#include "fileio/x_scene.h"
#include "platform/os/folder_listing.h"
#include "platform/os/reporter.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"

namespace
{
constexpr char kCaption[] = "TOVRA";
constexpr char kSubFolders[] =
    "You have chosen to batch convert the contents of any selected folders.\r\nThis will also "
    "process all sub folders contained within them.\r\n\r\nDo you wish to continue?";
constexpr char kOverwrite[] = "Some or all of the files due to be exported will overwrite\r\nexisting files in the "
                              "output directory.\r\n\r\nDo you wish to continue?";
constexpr char kSuccess[] = "Success\r\n";
constexpr char kThumbnailWarning[] = "Warning: Unable to generate thumbnail for this file.\r\n";
constexpr char kInputNotOpened[] = "FAILURE\r\nUnable to open the specified file. File was not converted.\r\n\r\n";
constexpr char kNoReader[] = "FAILURE\r\nThe specified file is not of a valid or currently supported type.\r\n\r\n";
constexpr char kReaderOutOfMemory[] =
    "FAILURE\r\nFatal Error: Out of memory. File was not converted. Cannot continue.\r\n\r\n";
constexpr char kReadingFailed[] =
    "FAILURE\r\nAn error occured whilst importing the specified file. File was not converted.\r\n";
constexpr char kOutputNotOpened[] = "FAILURE\r\nUnable to open the specified file. File was not converted.\r\n";
constexpr char kWritingFailed[] =
    "FAILURE\r\nAn error occured whilst exporting the specified file. File was not converted.\r\n";
constexpr char kNormalEnd[] = "Conversion process completed.\r\nConverted %i of %i file(s) successfully.";
constexpr char kUserEnd[] = "Conversion process aborted by user.\r\nConverted %i of %i file(s) successfully.";
constexpr char kStoppedEnd[] = "Conversion process aborted due to fatal error, or 'Stop on Error' "
                               "request.\r\nConverted %i of %i file(s) successfully.";

std::string Format(const char *format, int a, int b)
{
    char text[256];
    std::snprintf(text, sizeof(text), format, a, b);
    return text;
}

// On the UI thread: device textures follow the references the worker's reads took and dropped.
void SyncDeviceTextures()
{
    for (CZNTexture *t = GetEditorApp()->GetTextureManager()->GetFirstTexture(); t; t = t->GetNext())
        t->SyncDeviceTexture();
}

std::string FileName(const std::string &path)
{
    return std::filesystem::path(path).filename().string();
}

bool IsFolder(const std::string &path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool IsExistingFile(const std::string &path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// The whole of a file opened for reading, with the file back at its start; null (and the file
// left to be read as a stream) when it is empty, too long to be held, or cannot be read at once.
std::unique_ptr<BYTE[]> ReadWhole(CZNFileStreamIO &file, DWORD *size)
{
    constexpr int64_t kLimit = 256 * 1024 * 1024;
    const int64_t length = file.GetLength();
    if (length <= 0 || length > kLimit)
        return nullptr;
    std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[static_cast<size_t>(length)]);
    *size = static_cast<DWORD>(length);
    const bool read = bytes && file.Read(bytes.get(), *size) == *size;
    file.SeekTo(0);
    return read ? std::move(bytes) : nullptr;
}

// The files below folder, sorted per folder; walking holds the folders being walked (by their
// device and inode), so a link back into one of them is not followed.
void ListFolder(const std::string &folder, std::set<std::pair<dev_t, ino_t>> &walking, std::vector<std::string> &files)
{
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0 || !walking.insert({info.st_dev, info.st_ino}).second)
        return;
    std::vector<ZNFOLDERENTRY> entries;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    if (ZnListFolder(prefix, "*.*", entries)) {
        for (const ZNFOLDERENTRY &entry : entries) {
            const std::string path = prefix + entry.Name;
            if (entry.Directory)
                ListFolder(path, walking, files);
            else
                files.push_back(path);
        }
    }
    walking.erase({info.st_dev, info.st_ino});
}
} // namespace

CZNBatchJob::CZNBatchJob(const ZNBATCHSETTINGS &settings, IZNBatchHost *host) : m_Settings(settings), m_Host(host) {}

CZNBatchJob::~CZNBatchJob()
{
    Join();
}

void CZNBatchJob::Start()
{
    Join();
    m_Worker = std::thread([this] { Run(); });
}

void CZNBatchJob::Join()
{
    if (m_Worker.joinable())
        m_Worker.join();
}

std::string CZNBatchJob::Caption(int converted, int total)
{
    return Format("%i of %i File(s) successfully converted.", converted, total);
}

std::string CZNBatchJob::Label(int converted, int total)
{
    return Format("%i File(s) of %i successfully converted.", converted, total);
}

void CZNBatchJob::Log(const std::string &text)
{
    m_Host->Log(text);
}

int CZNBatchJob::Ask(const char *question)
{
    int answer = IDNO;
    GetEditorApp()->RunOnUIThread(
        [&] { answer = GetEditorApp()->GetReporter()->Message(question, kCaption, MB_YESNO | MB_ICONEXCLAMATION); });
    return answer;
}

std::vector<std::string> CZNBatchJob::ListFiles() const
{
    std::vector<std::string> files;
    std::set<std::pair<dev_t, ino_t>> walking;
    for (const std::string &path : m_Settings.Selection) {
        if (IsFolder(path))
            ListFolder(path, walking, files);
        else
            files.push_back(path);
    }
    return files;
}

std::string CZNBatchJob::MakeOutputPath(const char *path) const
{
    std::string name = FileName(path ? path : "");
    const size_t dot = name.find('.', 1);
    if (dot != std::string::npos)
        name.resize(dot);
    return m_Settings.OutputFolder + name + (m_Settings.OutputType == ZNBATCH_X ? ".x" : ".iwf");
}

void CZNBatchJob::Run()
{
    m_Converted = m_Processed = m_Total = 0;
    m_Host->EnableClose(FALSE);
    try {
        const std::vector<std::string> files = ListFiles();
        m_Total = static_cast<int>(files.size());
        m_Host->ShowCount(0, m_Total);
        m_Host->SetProgressRange(m_Total);
        m_Host->SetProgress(0);
        Log("Tovra Batch Conversion Processor\r\n");
        Log("-----------------------------------------\r\n");
        Log("Batch Import Path:\r\n        " + m_Settings.InputFolder + "\r\n\r\n");
        Log("Batch Export Path:\r\n        " + m_Settings.OutputFolder + "\r\n\r\n");
        Log("Beginning batch conversion process....\r\n\r\n");
        if ((m_Settings.SelectFolders && Ask(kSubFolders) != IDYES) || !CheckOverwrite(files)) {
            Log(Format(kUserEnd, m_Converted, m_Total));
        } else if (ConvertAll(files) < 0) {
            Log(Format(kStoppedEnd, m_Converted, m_Total));
        } else {
            Log(Format(m_Host->IsAbortRequested() ? kUserEnd : kNormalEnd, m_Converted, m_Total));
        }
    } catch (...) {
        Log(Format(kStoppedEnd, m_Converted, m_Total));
    }
    GetEditorApp()->RunOnUIThread(SyncDeviceTextures);
    m_Host->EnableClose(TRUE);
}

int CZNBatchJob::CheckOverwrite(const std::vector<std::string> &files)
{
    for (const std::string &file : files)
        if (IsExistingFile(MakeOutputPath(file.c_str())))
            return Ask(kOverwrite) == IDYES ? 1 : 0;
    return 1;
}

int CZNBatchJob::ConvertAll(const std::vector<std::string> &files)
{
    for (const std::string &file : files) {
        if (m_Host->IsAbortRequested())
            return 1;
        Log("Importing from file '" + FileName(file) + "'....  ");
        const int result = ConvertFile(file);
        ++m_Processed;
        m_Host->ShowCount(m_Converted, m_Total);
        m_Host->SetProgress(m_Processed);
        if (!result)
            return -1;
    }
    return 1;
}

int CZNBatchJob::ConvertFile(const std::string &path)
{
    const int onFailure = m_Settings.StopOnErrors ? 0 : 1;
    CZNFileStreamIO file;
    if (IsFolder(path) || !file.Open(path.c_str(), ZNSTREAM_READ)) {
        Log(kInputNotOpened);
        return onFailure;
    }
    std::unique_ptr<CZNSceneFile> reader;
    try {
        reader = ZnPickSceneReader(file);
    } catch (const std::bad_alloc &) {
        Log(kReaderOutOfMemory);
        return 0;
    } catch (...) {
        reader = nullptr;
    }
    if (!reader) {
        Log(kNoReader);
        return onFailure;
    }

    // The reader's objects go whatever happens; the log shows the clean-up only on a run that
    // goes on.
    struct Cleanup {
        CZNSceneFile &reader;
        ~Cleanup()
        {
            try {
                reader.Clear(IWFSAVE_ALL);
            } catch (...) {
            }
            reader.FreeLists();
        }
    } cleanup{*reader};
    auto finish = [&](int result) {
        if (result) {
            Log("Cleaning up redundant items....  ");
            Log("Completed\r\n\r\n");
        }
        return result;
    };

    // A reader took the file: it is read from memory when it can be read at once. The readers
    // seek back and forth over a file's chunks, and on the file each seek out of the read buffer
    // costs a system call and a new read.
    DWORD size = 0;
    std::unique_ptr<BYTE[]> bytes = ReadWhole(file, &size);
    CZNMemoryStreamIO memory;
    const bool inMemory = bytes && memory.Open(bytes.get(), size, ZNSTREAM_READ, false);
    CZNStreamIO &input = inMemory ? static_cast<CZNStreamIO &>(memory) : file;

    const bool wantThumbnail = m_Settings.OutputType == ZNBATCH_IWF && m_Settings.Options.Option[IWFOPT_THUMBNAIL];
    auto thumbnail = std::make_unique<CZNImage>();
    bool ready = false;
    std::string output;
    try {
        if (wantThumbnail)
            ready = reader->LoadThumbnail(input, thumbnail.get());
        input.SeekTo(0);
        reader->Load(input, true);
        if (wantThumbnail && !ready)
            GetEditorApp()->RunOnUIThread([&] {
                ready = BuildThumbnail(*reader, thumbnail.get());
                SyncDeviceTextures();
            });
        Log(kSuccess);
        if (wantThumbnail && !ready)
            Log(kThumbnailWarning);
        output = MakeOutputPath(path.c_str());
        Log((IsExistingFile(output) ? "Overwriting export file '" : "Exporting to file '") + FileName(output) +
            "'....  ");
        input.Close();
        file.Close();
        bytes.reset();
    } catch (...) {
        Log(kReadingFailed);
        return finish(onFailure);
    }

    CZNAtomicSave save(output.c_str());
    CZNFileStreamIO stream;
    if (m_Settings.OutputType == ZNBATCH_X ? !save.IsReady() : !save.OpenStream(stream)) {
        Log(kOutputNotOpened);
        return finish(onFailure);
    }
    bool written = false;
    try {
        if (m_Settings.OutputType == ZNBATCH_X) {
            CZNXScene writer;
            writer.ExportFromScene(save.GetTempPath().c_str(), *reader, XEXPORT_ALL);
            writer.FreeLists();
            written = save.Commit();
        } else {
            CZNIWFScene writer;
            writer.ExportFromScene(stream, *reader, m_Settings.Options, ready ? thumbnail.get() : nullptr);
            writer.FreeLists();
            written = save.Commit(stream);
        }
    } catch (...) {
        written = false;
    }
    if (!written) {
        stream.Close();
        Log(kWritingFailed);
        return finish(onFailure);
    }
    Log(kSuccess);
    ++m_Converted;
    return finish(1);
}
