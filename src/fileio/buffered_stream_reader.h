#pragma once

// CZNBufferedStreamReader: buffered reading from a CZNStreamIO, so that decoders can
// take their data byte by byte without a stream call per byte. Every read is exact: a short read
// is a failure.
#include <cstddef>
#include <cstdint>

#include "platform/os/win_types.h"

class CZNStreamIO;

// Whether the stream holds at least bytes from position start on (true when its length is
// unknown). Readers ask before allocating for a picture, so that a short file claiming a huge
// picture is refused at once.
bool ZnStreamHolds(CZNStreamIO &stream, int64_t start, uint64_t bytes);

class CZNBufferedStreamReader
{
public:
    static constexpr DWORD kBufferSize = 64 * 1024;

    explicit CZNBufferedStreamReader(CZNStreamIO &stream);
    ~CZNBufferedStreamReader();
    CZNBufferedStreamReader(const CZNBufferedStreamReader &) = delete;
    CZNBufferedStreamReader &operator=(const CZNBufferedStreamReader &) = delete;

    // False when the buffer could not be allocated.
    bool IsValid() const { return m_Buffer != nullptr; }

    // Reads exactly count bytes.
    bool Read(void *dest, uint64_t count);
    bool ReadByte(BYTE &value)
    {
        if (m_Next == m_End && !Fill())
            return false;
        value = *m_Next++;
        return true;
    }
    // Skips count bytes forward; a failed seek fails.
    bool Skip(uint64_t count);
    // Moves to an absolute stream position.
    bool SeekTo(int64_t position);

private:
    bool Fill();

    CZNStreamIO &m_Stream;
    BYTE *m_Buffer;
    const BYTE *m_Next;
    const BYTE *m_End;
};
