#pragma once

// CZNFileStreamIO: a byte stream on a C runtime file. Positions and lengths are 64-bit.
#include <cstdio>

#include "fileio/stream_io.h"

class ZN_API CZNFileStreamIO : public CZNStreamIO
{
public:
    CZNFileStreamIO();
    // Opens at once; the result shows through IsOpen and the recorded error.
    CZNFileStreamIO(const char *path, DWORD flags);
    ~CZNFileStreamIO() override;

    // A close whose final write fails (buffered data that cannot be stored) records 0x896703E8.
    void Close() override;
    DWORD Read(void *dest, DWORD count) override;
    bool Write(const void *src, DWORD count) override;
    bool ReadString(char *dest, DWORD size) override;
    bool WriteString(const char *text) override;
    int64_t Seek(int64_t offset, DWORD origin) override;
    bool Flush() override;
    bool IsOpen() override;
    bool IsEOF() override;
    int64_t Tell() override;
    bool SeekTo(int64_t position) override;
    // The length as the system reports it: data still buffered counts only after Flush.
    int64_t GetLength() override;
    bool SetLength(int64_t length) override;
    const char *GetName() override;

    virtual bool Open(const char *path, DWORD flags);

private:
    void Fail(DWORD code, int32_t osError);
    // A failed C stream call: records errno as a stream failure and clears the stream's error flag.
    void FailStream();

    std::FILE *m_File;
    char *m_Name;
};
