#include "fileio/buffered_stream_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "fileio/stream_io.h"

CZNBufferedStreamReader::CZNBufferedStreamReader(CZNStreamIO &stream)
    : m_Stream(stream), m_Buffer(static_cast<BYTE *>(std::malloc(kBufferSize))), m_Next(m_Buffer), m_End(m_Buffer)
{
}

CZNBufferedStreamReader::~CZNBufferedStreamReader()
{
    std::free(m_Buffer);
}

bool CZNBufferedStreamReader::Fill()
{
    if (!m_Buffer)
        return false;
    const DWORD got = m_Stream.Read(m_Buffer, kBufferSize);
    if (got == 0 || got > kBufferSize)
        return false;
    m_Next = m_Buffer;
    m_End = m_Buffer + got;
    return true;
}

bool CZNBufferedStreamReader::Read(void *dest, uint64_t count)
{
    if (!m_Buffer)
        return false;
    BYTE *out = static_cast<BYTE *>(dest);
    const uint64_t buffered = static_cast<uint64_t>(m_End - m_Next);
    const uint64_t first = std::min(buffered, count);
    if (first) {
        std::memcpy(out, m_Next, static_cast<size_t>(first));
        m_Next += first;
        out += first;
        count -= first;
    }
    if (count == 0)
        return true;
    if (count >= kBufferSize) {
        // Large blocks go straight from the stream.
        while (count) {
            const DWORD part = static_cast<DWORD>(std::min<uint64_t>(count, 0x40000000u));
            if (m_Stream.Read(out, part) != part)
                return false;
            out += part;
            count -= part;
        }
        return true;
    }
    while (count) {
        if (!Fill())
            return false;
        const uint64_t part = std::min(static_cast<uint64_t>(m_End - m_Next), count);
        std::memcpy(out, m_Next, static_cast<size_t>(part));
        m_Next += part;
        out += part;
        count -= part;
    }
    return true;
}

bool CZNBufferedStreamReader::Skip(uint64_t count)
{
    const uint64_t buffered = static_cast<uint64_t>(m_End - m_Next);
    if (count <= buffered) {
        m_Next += count;
        return true;
    }
    count -= buffered;
    m_Next = m_End = m_Buffer;
    if (count > (uint64_t{1} << 62))
        return false;
    return m_Stream.Seek(static_cast<int64_t>(count), 1) >= 0;
}

bool CZNBufferedStreamReader::SeekTo(int64_t position)
{
    m_Next = m_End = m_Buffer;
    return position >= 0 && m_Stream.SeekTo(position);
}

bool ZnStreamHolds(CZNStreamIO &stream, int64_t start, uint64_t bytes)
{
    const int64_t length = stream.GetLength();
    if (length < 0)
        return true;
    return length >= start && static_cast<uint64_t>(length - start) >= bytes;
}
