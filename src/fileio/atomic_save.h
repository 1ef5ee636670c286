#pragma once

// CZNAtomicSave: writes a file through a temporary file beside it, which takes the file's place
// only once every byte has been stored, so a failed or interrupted save leaves the old file as it
// was. A link is followed to the file it names. The temporary file gets the old file's
// permissions (or a new file's) and is removed unless it was committed.
// Failures: IsReady is false when the target is a folder, exists but may not be written, or no
// temporary file can be made beside it; Commit is false when a flush, the close or the rename
// fails, and the temporary file is then removed.
#include <filesystem>
#include <string>

#include "platform/export.h"

class CZNFileStreamIO;

class ZN_API CZNAtomicSave
{
public:
    explicit CZNAtomicSave(const char *path);
    ~CZNAtomicSave();
    CZNAtomicSave(const CZNAtomicSave &) = delete;
    CZNAtomicSave &operator=(const CZNAtomicSave &) = delete;

    bool IsReady() const { return !m_TempPath.empty() && m_Writable; }
    // The temporary file a writer fills (empty when none was made).
    const std::string &GetTempPath() const { return m_TempPath; }
    const std::filesystem::path &GetTarget() const { return m_Target; }
    // Opens the temporary file for writing on stream; false when it is not ready or cannot be opened.
    bool OpenStream(CZNFileStreamIO &stream);
    // Flushes and closes stream (opened on the temporary file), then renames the file over the target.
    bool Commit(CZNFileStreamIO &stream);
    // Renames the temporary file, written and closed by its writer, over the target.
    bool Commit();

private:
    void Discard();

    std::filesystem::path m_Target;
    std::string m_TempPath;
    bool m_Writable = false;
};
