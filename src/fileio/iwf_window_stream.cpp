#include "fileio/iwf_window_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

DWORD CZNIWFWindowStream::Read(void *dest, DWORD count)
{
    if (!count || !dest)
        return 0;
    const int64_t left = m_Length - m_Position;
    const size_t wanted = static_cast<size_t>(std::min<int64_t>(count, std::max<int64_t>(left, 0)));
    if (!wanted)
        return 0;
    const BYTE *bytes = Span(wanted);
    if (!bytes)
        return 0;
    std::memcpy(dest, bytes, wanted);
    return static_cast<DWORD>(wanted);
}

bool CZNIWFWindowStream::SeekTo(int64_t position)
{
    if (position < 0 || position > m_Length) {
        SetError(ZNERR_SEEK_FAILED, -1, GetName());
        return false;
    }
    m_Position = position;
    return true;
}

const BYTE *CZNIWFWindowStream::Span(size_t count)
{
    if (static_cast<uint64_t>(count) > static_cast<uint64_t>(m_Length - m_Position)) {
        SetError(ZNERR_IWF_BAD_LENGTHS, -1, GetName());
        return nullptr;
    }
    if (m_Position < m_WindowStart || m_Position + static_cast<int64_t>(count) > m_WindowStart + m_WindowSize) {
        if (!Fill(count))
            return nullptr;
    }
    const BYTE *bytes = m_Block.get() + (m_Position - m_WindowStart);
    m_Position += static_cast<int64_t>(count);
    return bytes;
}

bool CZNIWFWindowStream::Fill(size_t count)
{
    const size_t size = static_cast<size_t>(std::min<int64_t>(std::max(count, kWindow), m_Length - m_Position));
    if (size > m_Capacity) {
        std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]);
        if (!block) {
            SetError(ZNERR_OUT_OF_MEMORY, -1, GetName());
            return false;
        }
        m_Block = std::move(block);
        m_Capacity = size;
    }
    m_WindowSize = 0;
    const int64_t from = m_Start + m_Position;
    // A forward walk reads on without seeking, so the stream's own buffering is kept.
    if (from != m_SourcePosition && !m_Source.SeekTo(from)) {
        Fail();
        return false;
    }
    m_SourcePosition = -1;
    for (size_t done = 0; done < size;) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(size - done, size_t{1} << 30));
        const DWORD got = m_Source.Read(m_Block.get() + done, piece);
        if (got != piece) {
            Fail();
            return false;
        }
        done += got;
    }
    m_SourcePosition = from + static_cast<int64_t>(size);
    m_WindowStart = m_Position;
    m_WindowSize = static_cast<int64_t>(size);
    return true;
}

void CZNIWFWindowStream::Fail()
{
    const DWORD code = m_Source.GetLastErrorCode();
    SetError(code ? code : ZNERR_IWF_BAD_LENGTHS, -1, GetName());
}
