#pragma once

// CZNMemoryStreamIO: a byte stream on a growable memory block named "Memory Buffer". Write
// blocks start at 102400 bytes and grow by half their size (at least 102400 bytes); cutting the
// length more than 102400 bytes below the block's size trims the block.
#include "fileio/stream_io.h"

class ZN_API CZNMemoryStreamIO : public CZNStreamIO
{
public:
    static constexpr DWORD kGrowStep = 102400;

    CZNMemoryStreamIO();
    // Opens at once; the result shows through IsOpen and the recorded error.
    CZNMemoryStreamIO(void *block, DWORD size, DWORD flags, bool copy);
    ~CZNMemoryStreamIO() override;

    void Close() override;
    DWORD Read(void *dest, DWORD count) override;
    bool Write(const void *src, DWORD count) override;
    // Text lines are not supported here: both return false and record nothing.
    bool ReadString(char *dest, DWORD size) override;
    bool WriteString(const char *text) override;
    // Origin 2 counts from the end like the file stream (a negative offset goes back). A target
    // before the start fails; one past the end grows a stream opened for writing and fails
    // otherwise (0x89670BBC, position unchanged).
    int64_t Seek(int64_t offset, DWORD origin) override;
    bool Flush() override;
    bool IsOpen() override;
    bool IsEOF() override;
    int64_t Tell() override;
    bool SeekTo(int64_t position) override;
    int64_t GetLength() override;
    bool SetLength(int64_t length) override;
    const char *GetName() override;

    // Flags 1: read the caller's block (copied when copy is true, else borrowed in place and
    // never freed by the stream). Flags 2: write into a new block of 102400 bytes.
    virtual bool Open(void *block, DWORD size, DWORD flags, bool copy);

    BYTE *GetBuffer() const { return m_Buffer; }
    // A caller that takes the block over sets this to false before closing.
    void SetOwnsBuffer(bool owns) { m_OwnsBuffer = owns; }
    // Trims the block to the data's length.
    bool Compact();

private:
    void Fail(DWORD code) { SetError(code, -1, "Memory Buffer"); }
    bool ReplaceBlock(DWORD capacity);
    // Grows the block to hold at least length bytes; the bytes past the length are left as they are.
    bool Reserve(int64_t length);

    BYTE *m_Buffer;
    DWORD m_Length;
    DWORD m_Capacity;
    DWORD m_Position;
    DWORD m_Flags;
    bool m_OwnsBuffer;
};
