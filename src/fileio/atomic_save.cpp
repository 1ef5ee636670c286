#include "fileio/atomic_save.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "fileio/file_stream_io.h"

namespace
{
// The file a save replaces: a link is followed to the file it names.
std::filesystem::path SaveTarget(const char *path)
{
    std::filesystem::path target(path ? path : "");
    std::error_code error;
    if (std::filesystem::is_symlink(target, error)) {
        std::filesystem::path resolved = std::filesystem::weakly_canonical(target, error);
        if (!error)
            return resolved;
    }
    return target;
}

// The process's file-creation mask, read once. It is read from the process status where the
// system shows it: setting the mask to read it back would, for that moment, let a file another
// thread creates (the batch conversion saves beside the user interface) be made without it.
mode_t ReadUmask()
{
    if (std::FILE *status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof(line), status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return static_cast<mode_t>(mask & 0777);
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

mode_t CurrentUmask()
{
    static const mode_t mask = ReadUmask();
    return mask;
}
} // namespace

CZNAtomicSave::CZNAtomicSave(const char *path) : m_Target(SaveTarget(path))
{
    std::error_code error;
    if (m_Target.empty() || std::filesystem::is_directory(m_Target, error))
        return;
    m_Writable = !std::filesystem::exists(m_Target, error) || ::access(m_Target.c_str(), W_OK) == 0;
    if (!m_Writable)
        return;
    std::filesystem::path folder = m_Target.parent_path();
    if (folder.empty())
        folder = ".";
    std::string pattern = (folder / ("." + m_Target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return;
    // The new file gets the old file's permissions, or those of a newly created file.
    struct stat old;
    mode_t mode;
    if (::stat(m_Target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode = 0666 & ~CurrentUmask();
    }
    ::fchmod(fd, mode);
    ::close(fd);
    m_TempPath = pattern;
}

CZNAtomicSave::~CZNAtomicSave()
{
    Discard();
}

void CZNAtomicSave::Discard()
{
    if (!m_TempPath.empty())
        std::remove(m_TempPath.c_str());
    m_TempPath.clear();
}

bool CZNAtomicSave::OpenStream(CZNFileStreamIO &stream)
{
    return IsReady() && stream.Open(m_TempPath.c_str(), ZNSTREAM_WRITE | ZNSTREAM_CREATE);
}

bool CZNAtomicSave::Commit(CZNFileStreamIO &stream)
{
    // The data must reach the disk before the new file takes the old one's place.
    bool stored = stream.Flush();
    stream.Close();
    stored = stored && stream.GetLastErrorCode() == 0;
    if (!stored) {
        Discard();
        return false;
    }
    return Commit();
}

bool CZNAtomicSave::Commit()
{
    if (m_TempPath.empty())
        return false;
    if (std::rename(m_TempPath.c_str(), m_Target.c_str()) != 0) {
        Discard();
        return false;
    }
    m_TempPath.clear();
    return true;
}
