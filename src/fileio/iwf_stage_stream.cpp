#include "fileio/iwf_stage_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

bool CZNIWFStageStream::Write(const void *src, DWORD count)
{
    if (!count || !src)
        return true;
    const size_t offset = static_cast<size_t>(m_Position - m_Base);
    const size_t end = offset + count;
    if (end > m_Capacity && !Grow(end))
        return false;
    std::memcpy(m_Block.get() + offset, src, count);
    m_Size = std::max(m_Size, end);
    m_Position += count;
    return true;
}

bool CZNIWFStageStream::SeekTo(int64_t position)
{
    if (position < m_Base || position > GetLength()) {
        SetError(ZNERR_SEEK_FAILED, -1, GetName());
        return false;
    }
    m_Position = position;
    return true;
}

bool CZNIWFStageStream::Pass(int64_t position, bool all)
{
    if (position <= m_Base || position > GetLength())
        return true;
    const size_t count = static_cast<size_t>(position - m_Base);
    if (!all && count < kPassSize)
        return true;
    constexpr size_t kPiece = size_t{1} << 30; // the stream takes 32-bit counts
    for (size_t done = 0; done < count; done += kPiece)
        if (!m_Target.Write(m_Block.get() + done, static_cast<DWORD>(std::min(kPiece, count - done))))
            return false;
    std::memmove(m_Block.get(), m_Block.get() + count, m_Size - count);
    m_Size -= count;
    m_Base = position;
    return true;
}

bool CZNIWFStageStream::Grow(size_t needed)
{
    const size_t capacity = std::max({needed, 2 * m_Capacity, kPassSize + (kPassSize >> 2)});
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[capacity]);
    if (!block) {
        SetError(ZNERR_OUT_OF_MEMORY, -1, GetName());
        return false;
    }
    if (m_Size)
        std::memcpy(block.get(), m_Block.get(), m_Size);
    m_Block = std::move(block);
    m_Capacity = capacity;
    return true;
}
