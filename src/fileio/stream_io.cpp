#include "fileio/stream_io.h"

#include <cstdio>
#include <cstring>

CZNStreamIO::CZNStreamIO() : m_LastError(0)
{
    m_ErrorText[0] = '\0';
}

CZNStreamIO::~CZNStreamIO() = default;

void CZNStreamIO::SetError(DWORD code, int32_t osError, const char *name)
{
    if (!name)
        name = "";
    const char *head = "";
    const char *tail = "";
    bool named = true;
    switch (code) {
    case 0:
        head = "No error occured.";
        named = false;
        break;
    case ZNERR_INVALID_ARGS:
        head = "Invalid arguments passed to this function.";
        named = false;
        break;
    case ZNERR_BAD_SOURCE_PTR:
        head = "An invalid, or partially invalid pointer, intended for reading from, was passed to this function.";
        named = false;
        break;
    case ZNERR_BAD_DEST_PTR:
        head = "An invalid, or partially invalid pointer, intended for writing to, was passed to this function.";
        named = false;
        break;
    case ZNERR_NOT_OPEN:
        head = "No file is currently open, or ready for processing.";
        named = false;
        break;
    case ZNERR_ALREADY_OPEN:
        head = "A stream from the location '";
        tail = "' is currently already open within this object instance. You must close this stream first.";
        break;
    case ZNERR_OPEN_FAILED:
        head = "Failed to open the specified stream '";
        tail = "'.";
        break;
    case ZNERR_SEEK_FAILED:
        head = "Failed to seek to specified position within the stream '";
        tail = "'.";
        break;
    default:
        head = "A generic or unknown error occured whilst processing the stream '";
        tail = "'.";
        break;
    }

    // snprintf cuts a text that would not fit (a very long path) at the buffer's end.
    int used;
    if (named)
        used = std::snprintf(m_ErrorText, kErrorTextSize, "%s%s%s", head, name, tail);
    else
        used = std::snprintf(m_ErrorText, kErrorTextSize, "%s", head);
    if (used < 0)
        m_ErrorText[0] = '\0';

    // The system's own explanation, when a system call failed.
    if (osError > 0) {
        const char *system = std::strerror(osError);
        size_t length = std::strlen(m_ErrorText);
        if (system && length < kErrorTextSize - 1)
            std::snprintf(m_ErrorText + length, kErrorTextSize - length,
                          " The operating system provided this additional information : '%s'.", system);
    }
    m_LastError = code;
}

DWORD CZNStreamIO::GetLastErrorCode()
{
    return m_LastError;
}

const char *CZNStreamIO::GetErrorText()
{
    return m_ErrorText;
}

void CZNStreamIO::ClearError()
{
    m_LastError = 0;
    m_ErrorText[0] = '\0';
}
