#pragma once

// CZNBatchJob: one batch conversion. It lists the chosen files and folders once (folders walked
// in sorted order to every depth), then reads each file with the first scene-file class that
// accepts it (IWF, 3DS, .X), gives an IWF output a thumbnail when asked, and writes it into the
// output folder as IWF (with the batch's export options) or as .X, one file at a time, reporting
// every step to its host. Start runs it on a worker thread of its own; Run runs it on the caller's.
// The two questions and the thumbnails run on the UI thread (CZNEDITORApp::RunOnUIThread).
//
// Ownership: the job copies the settings it is given; the host is not owned and must outlive
// the run. The destructor waits for the worker.
// Failures: a file that cannot be opened, read or written is reported in the log and the run goes
// on with the next file (or ends, with stop on errors). An output is written beside its target
// and renamed over it only when complete, so an existing output is never damaged.
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fileio/iwf_scene.h"
#include "platform/export.h"

class IZNBatchHost;
class CZNImage;
class CZNSceneFile;

// Output types.
constexpr DWORD ZNBATCH_IWF = 1;
constexpr DWORD ZNBATCH_X = 2;

// What the batch dialog hands the job at Convert.
struct ZNBATCHSETTINGS {
    std::vector<std::string> Selection; // the chosen files and folders, full paths, in order
    std::string InputFolder;            // for the log; ends with '/'
    std::string OutputFolder;           // ends with '/'
    IWFEXPORTOPTIONS Options;
    DWORD OutputType = ZNBATCH_IWF;
    BYTE StopOnErrors = 0;
    BYTE SelectFolders = 0; // folders were chosen: the job asks before walking them
};

class ZN_API CZNBatchJob
{
public:
    CZNBatchJob(const ZNBATCHSETTINGS &settings, IZNBatchHost *host);
    virtual ~CZNBatchJob();
    CZNBatchJob(const CZNBatchJob &) = delete;
    CZNBatchJob &operator=(const CZNBatchJob &) = delete;

    // Runs Run on a new worker thread; Join waits for it (both do nothing when there is none).
    void Start();
    void Join();
    // The whole run: header, questions, every file, the end line. EnableClose(TRUE) always ends it.
    void Run();

    // The files of the run: the selection's files, and every file below its folders (sorted per
    // folder; a link back into a folder being walked is not followed). Taken once by Run.
    std::vector<std::string> ListFiles() const;
    // The output of an input path: the output folder, the file name up to its first '.' that is
    // not its first character (the whole name when there is none), ".iwf" or ".x".
    std::string MakeOutputPath(const char *path) const;
    // A thumbnail of the scene's brushes drawn with the editor's device: 106 x 106, 8 bits.
    // False without a device, or when the capture fails. On the device's thread only.
    static bool BuildThumbnail(CZNSceneFile &scene, CZNImage *image);

    int GetConverted() const { return m_Converted; }
    int GetTotal() const { return m_Total; }
    static std::string Caption(int converted, int total);
    static std::string Label(int converted, int total);

private:
    // 0 when the user declined.
    int CheckOverwrite(const std::vector<std::string> &files);
    // 1 go on, -1 stop.
    int ConvertAll(const std::vector<std::string> &files);
    // 0 ends the run, 1 goes on.
    int ConvertFile(const std::string &path);
    int Ask(const char *question);
    void Log(const std::string &text);

    ZNBATCHSETTINGS m_Settings;
    IZNBatchHost *m_Host;
    std::thread m_Worker;
    int m_Converted = 0;
    int m_Processed = 0;
    int m_Total = 0;
};
