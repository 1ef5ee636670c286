#pragma once

// CZNStreamIO: the abstract byte stream every reader and writer works on. A stream never
// throws: each operation returns a success value and records the last error as a code with a
// composed text. A successful read, write, seek, length change, flush or open clears it.
#include <cstdint>

#include "fileio/file_errors.h"
#include "platform/export.h"
#include "platform/os/win_types.h"

// Open flags, shared by the file and the memory stream where they apply.
constexpr DWORD ZNSTREAM_READ = 1;
constexpr DWORD ZNSTREAM_WRITE = 2;
constexpr DWORD ZNSTREAM_CREATE = 4;
constexpr DWORD ZNSTREAM_APPEND = 8;
constexpr DWORD ZNSTREAM_READWRITE = 16;
constexpr DWORD ZNSTREAM_TEXT = 32;

// Seek origins.
constexpr DWORD ZNSEEK_SET = 0;
constexpr DWORD ZNSEEK_CUR = 1;
constexpr DWORD ZNSEEK_END = 2;

class ZN_API CZNStreamIO
{
public:
    static constexpr DWORD kErrorTextSize = 1024;

    CZNStreamIO();
    virtual ~CZNStreamIO();
    CZNStreamIO(const CZNStreamIO &) = delete;
    CZNStreamIO &operator=(const CZNStreamIO &) = delete;

    virtual void Close() = 0;
    // Bytes read: fewer than asked (or 0) at the end of the data without an error; 0 on failure,
    // so a failed read never looks like a complete one.
    virtual DWORD Read(void *dest, DWORD count) = 0;
    virtual bool Write(const void *src, DWORD count) = 0;
    virtual bool ReadString(char *dest, DWORD size) = 0;
    virtual bool WriteString(const char *text) = 0;
    // New position, -1 on failure.
    virtual int64_t Seek(int64_t offset, DWORD origin) = 0;
    virtual bool Flush() = 0;
    virtual bool IsOpen() = 0;
    virtual bool IsEOF() = 0;
    virtual int64_t Tell() = 0;
    virtual bool SeekTo(int64_t position) = 0;
    virtual int64_t GetLength() = 0;
    virtual bool SetLength(int64_t length) = 0;
    virtual const char *GetName() = 0;

    // Records the code and rebuilds the text from it, the operating-system error number
    // (-1 when no system call failed) and the stream's name.
    virtual void SetError(DWORD code, int32_t osError, const char *name);
    virtual DWORD GetLastErrorCode();
    virtual const char *GetErrorText();
    virtual void ClearError();

private:
    DWORD m_LastError;
    char m_ErrorText[kErrorTextSize];
};
