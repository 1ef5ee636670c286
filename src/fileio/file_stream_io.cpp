#include "fileio/file_stream_io.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

CZNFileStreamIO::CZNFileStreamIO() : m_File(nullptr), m_Name(nullptr) {}

CZNFileStreamIO::CZNFileStreamIO(const char *path, DWORD flags) : m_File(nullptr), m_Name(nullptr)
{
    Open(path, flags);
}

CZNFileStreamIO::~CZNFileStreamIO()
{
    Close();
}

void CZNFileStreamIO::Fail(DWORD code, int32_t osError)
{
    SetError(code, osError, m_Name);
}

void CZNFileStreamIO::FailStream()
{
    // errno first: clearing the stream's error flag may change it.
    int error = errno;
    std::clearerr(m_File);
    Fail(ZNERR_STREAM_FAILURE, error);
}

bool CZNFileStreamIO::Open(const char *path, DWORD flags)
{
    if (!path) {
        SetError(ZNERR_INVALID_ARGS, -1, nullptr);
        return false;
    }
    if (m_File) {
        SetError(ZNERR_ALREADY_OPEN, -1, m_Name);
        return false;
    }

    std::string mode;
    struct stat info;
    bool exists = ::stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
    if (!exists) {
        if (!(flags & ZNSTREAM_CREATE)) {
            SetError(ZNERR_FILE_NOT_FOUND, -1, path);
            return false;
        }
        mode = (flags & ZNSTREAM_APPEND) ? "a" : "w";
        if (!(flags & ZNSTREAM_WRITE))
            mode += "+";
    } else {
        int access = 0;
        if (flags & ZNSTREAM_WRITE)
            access = W_OK;
        else if (flags & ZNSTREAM_READ)
            access = R_OK;
        else if (flags & ZNSTREAM_READWRITE)
            access = R_OK | W_OK;
        if (access && ::access(path, access) != 0) {
            SetError(ZNERR_OPEN_FAILED, -1, path);
            return false;
        }
        if (flags & ZNSTREAM_CREATE) {
            mode = (flags & ZNSTREAM_APPEND) ? "a" : "w";
            if (!(flags & ZNSTREAM_WRITE))
                mode += "+";
        } else if (flags & ZNSTREAM_WRITE) {
            mode = "a";
        } else {
            mode = "r";
            if (flags & ZNSTREAM_READWRITE)
                mode += "+";
        }
    }
    mode += (flags & ZNSTREAM_TEXT) ? "t" : "b";

    errno = 0;
    std::FILE *file = std::fopen(path, mode.c_str());
    if (!file) {
        SetError(ZNERR_OPEN_FAILED, errno, path);
        return false;
    }
    char *name = strdup(path);
    if (!name) {
        std::fclose(file);
        SetError(ZNERR_OUT_OF_MEMORY, -1, path);
        return false;
    }
    m_File = file;
    m_Name = name;
    ClearError();
    return true;
}

void CZNFileStreamIO::Close()
{
    if (!m_File)
        return;
    errno = 0;
    bool failed = std::fclose(m_File) != 0;
    m_File = nullptr;
    if (failed)
        Fail(ZNERR_STREAM_FAILURE, errno);
    else
        ClearError();
    std::free(m_Name);
    m_Name = nullptr;
}

DWORD CZNFileStreamIO::Read(void *dest, DWORD count)
{
    if (!m_File) {
        Fail(ZNERR_NOT_OPEN, -1);
        return 0;
    }
    if (!count || !dest)
        return 0;
    errno = 0;
    size_t got = std::fread(dest, 1, count, m_File);
    if (std::ferror(m_File)) {
        FailStream();
        return 0;
    }
    if (got == 0 && !std::feof(m_File)) {
        Fail(ZNERR_STREAM_FAILURE, errno);
        return 0;
    }
    ClearError();
    return static_cast<DWORD>(got);
}

bool CZNFileStreamIO::Write(const void *src, DWORD count)
{
    if (!m_File) {
        Fail(ZNERR_NOT_OPEN, -1);
        return false;
    }
    if (!count || !src)
        return true;
    errno = 0;
    if (std::fwrite(src, 1, count, m_File) != count) {
        FailStream();
        return false;
    }
    ClearError();
    return true;
}

bool CZNFileStreamIO::ReadString(char *dest, DWORD size)
{
    if (!m_File) {
        Fail(ZNERR_NOT_OPEN, -1);
        return false;
    }
    if (!dest || !size) {
        Fail(ZNERR_INVALID_ARGS, -1);
        return false;
    }
    dest[0] = '\0';
    // fgets takes an int; a larger buffer is simply used up to INT_MAX.
    int limit = size > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(size);
    errno = 0;
    if (!std::fgets(dest, limit, m_File)) {
        dest[0] = '\0';
        if (!std::feof(m_File) || std::ferror(m_File)) {
            FailStream();
            return false;
        }
    }
    ClearError();
    return true;
}

bool CZNFileStreamIO::WriteString(const char *text)
{
    if (!m_File) {
        Fail(ZNERR_NOT_OPEN, -1);
        return false;
    }
    if (!text) {
        Fail(ZNERR_INVALID_ARGS, -1);
        return false;
    }
    errno = 0;
    if (std::fputs(text, m_File) < 0) {
        FailStream();
        return false;
    }
    ClearError();
    return true;
}

int64_t CZNFileStreamIO::Seek(int64_t offset, DWORD origin)
{
    if (!m_File) {
        Fail(ZNERR_NOT_OPEN, -1);
        return -1;
    }
    int whence;
    switch (origin) {
    case ZNSEEK_SET:
        whence = SEEK_SET;
        break;
    case ZNSEEK_CUR:
        whence = SEEK_CUR;
        break;
    case ZNSEEK_END:
        whence = SEEK_END;
        break;
    default:
        Fail(ZNERR_INVALID_ARGS, -1);
        return -1;
    }
    errno = 0;
    if (::fseeko(m_File, static_cast<off_t>(offset), whence) != 0) {
        Fail(ZNERR_SEEK_FAILED, errno);
        return -1;
    }
    off_t position = ::ftello(m_File);
    if (position < 0) {
        Fail(ZNERR_SEEK_FAILED, errno);
        return -1;
    }
    ClearError();
    return static_cast<int64_t>(position);
}

bool CZNFileStreamIO::Flush()
{
    if (!m_File)
        return true;
    errno = 0;
    if (std::fflush(m_File) != 0) {
        FailStream();
        return false;
    }
    ClearError();
    return true;
}

bool CZNFileStreamIO::IsOpen()
{
    return m_File != nullptr;
}

bool CZNFileStreamIO::IsEOF()
{
    if (!m_File) {
        Fail(ZNERR_NOT_OPEN, -1);
        return true;
    }
    return std::feof(m_File) != 0;
}

int64_t CZNFileStreamIO::Tell()
{
    if (!m_File) {
        Fail(ZNERR_NOT_OPEN, -1);
        return -1;
    }
    errno = 0;
    off_t position = ::ftello(m_File);
    if (position < 0) {
        Fail(ZNERR_STREAM_FAILURE, errno);
        return -1;
    }
    return static_cast<int64_t>(position);
}

bool CZNFileStreamIO::SeekTo(int64_t position)
{
    if (position < 0)
        position = 0;
    return Seek(position, ZNSEEK_SET) >= 0;
}

int64_t CZNFileStreamIO::GetLength()
{
    if (!m_File) {
        Fail(ZNERR_NOT_OPEN, -1);
        return -1;
    }
    struct stat info;
    if (::fstat(::fileno(m_File), &info) != 0 || info.st_size < 0) {
        Fail(ZNERR_STREAM_FAILURE, errno);
        return -1;
    }
    return static_cast<int64_t>(info.st_size);
}

bool CZNFileStreamIO::SetLength(int64_t length)
{
    if (!m_File) {
        Fail(ZNERR_NOT_OPEN, -1);
        return false;
    }
    if (length < 0)
        length = 0;
    errno = 0;
    // Buffered data is written first, so it cannot land beyond the new end afterwards.
    if (std::fflush(m_File) != 0 || ::ftruncate(::fileno(m_File), static_cast<off_t>(length)) != 0) {
        FailStream();
        return false;
    }
    ClearError();
    return true;
}

const char *CZNFileStreamIO::GetName()
{
    return m_Name;
}
