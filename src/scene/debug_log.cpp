#include "scene/debug_log.h"

#include <cstdarg>
#include <cstring>

namespace
{
constexpr size_t kLineBuffer = 1024;
}

CZNDebugLog::CZNDebugLog() : m_File(nullptr) {}

CZNDebugLog::CZNDebugLog(const char *path) : m_File(nullptr)
{
    Open(path);
}

CZNDebugLog::~CZNDebugLog()
{
    // Closing without the footer: an owner that wants it calls Close first.
    if (m_File)
        std::fclose(m_File);
}

void CZNDebugLog::OpenWithMode(const char *path, const char *mode)
{
    if (m_File) {
        std::fclose(m_File);
        m_File = nullptr;
    }
    if (!path)
        return;
    std::remove(path);
    m_File = std::fopen(path, mode);
    if (m_File)
        WriteBanner();
}

void CZNDebugLog::Open(const char *path)
{
    OpenWithMode(path, "a+");
}

void CZNDebugLog::OpenTruncate(const char *path)
{
    OpenWithMode(path, "w");
}

void CZNDebugLog::WriteBanner()
{
    WriteLine("TOVRA v1.0a Debug Information");
    WriteLine("--------------------------------");
    WriteLine("");
    WriteLine("Debug Session Opened");
    WriteLine("--------------------\r\n");
}

void CZNDebugLog::WriteRaw(const char *text)
{
    std::fputs(text, m_File);
    std::fflush(m_File);
}

void CZNDebugLog::WriteLine(const char *text)
{
    if (!m_File)
        return;
    char buffer[kLineBuffer];
    size_t length = text ? std::strlen(text) : 0;
    if (length > kLineBuffer - 3)
        length = kLineBuffer - 3;
    if (length)
        std::memcpy(buffer, text, length);
    std::memcpy(buffer + length, "\r\n", 3);
    WriteRaw(buffer);
}

void CZNDebugLog::Printf(const char *format, ...)
{
    if (!m_File || !format)
        return;
    char buffer[kLineBuffer];
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(buffer, kLineBuffer - 2, format, args);
    va_end(args);
    if (written < 0)
        return;
    size_t length = std::strlen(buffer);
    std::memcpy(buffer + length, "\r\n", 3);
    WriteRaw(buffer);
}

void CZNDebugLog::Close()
{
    if (!m_File)
        return;
    WriteLine("\r\n--------------------");
    WriteLine("Debug Session Closed\r\n");
    std::fclose(m_File);
    m_File = nullptr;
}
