#pragma once

// CZNDebugLog: a plain-text log under "Debug Logs/". Opening deletes the previous file, every
// line ends in "\r\n" and is flushed at once; a log that failed to open ignores every write.
#include <cstdio>

#include "platform/export.h"

class ZN_API CZNDebugLog
{
public:
    CZNDebugLog();
    explicit CZNDebugLog(const char *path);
    ~CZNDebugLog();
    CZNDebugLog(const CZNDebugLog &) = delete;
    CZNDebugLog &operator=(const CZNDebugLog &) = delete;

    void Open(const char *path);
    void OpenTruncate(const char *path);
    void WriteBanner();
    // At most 1021 characters of text are kept; the rest of a longer line is cut.
    void WriteLine(const char *text);
    void Printf(const char *format, ...) __attribute__((format(printf, 2, 3)));
    void Close();
    bool IsOpen() const { return m_File != nullptr; }

private:
    void OpenWithMode(const char *path, const char *mode);
    void WriteRaw(const char *text);

    std::FILE *m_File;
};
