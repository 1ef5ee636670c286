#include "fileio/memory_stream_io.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr int64_t kMaxLength = 0xFFFFFFFFll;
}

CZNMemoryStreamIO::CZNMemoryStreamIO()
    : m_Buffer(nullptr), m_Length(0), m_Capacity(0), m_Position(0), m_Flags(0), m_OwnsBuffer(false)
{
}

CZNMemoryStreamIO::CZNMemoryStreamIO(void *block, DWORD size, DWORD flags, bool copy) : CZNMemoryStreamIO()
{
    Open(block, size, flags, copy);
}

CZNMemoryStreamIO::~CZNMemoryStreamIO()
{
    Close();
}

bool CZNMemoryStreamIO::Open(void *block, DWORD size, DWORD flags, bool copy)
{
    if (m_Buffer) {
        Fail(ZNERR_ALREADY_OPEN);
        return false;
    }
    if (flags & ZNSTREAM_READ) {
        if (!block) {
            Fail(ZNERR_INVALID_ARGS);
            return false;
        }
        if (copy) {
            // At least one byte, so that an empty copied block still counts as open.
            BYTE *own = static_cast<BYTE *>(std::malloc(size ? size : 1));
            if (!own) {
                Fail(ZNERR_OUT_OF_MEMORY);
                return false;
            }
            if (size)
                std::memcpy(own, block, size);
            m_Buffer = own;
            m_OwnsBuffer = true;
        } else {
            m_Buffer = static_cast<BYTE *>(block);
            m_OwnsBuffer = false;
        }
        m_Length = size;
        m_Capacity = size;
    } else if (flags & ZNSTREAM_WRITE) {
        BYTE *own = static_cast<BYTE *>(std::malloc(kGrowStep));
        if (!own) {
            Fail(ZNERR_OUT_OF_MEMORY);
            return false;
        }
        m_Buffer = own;
        m_OwnsBuffer = true;
        m_Length = 0;
        m_Capacity = kGrowStep;
    }
    m_Flags = flags;
    m_Position = 0;
    ClearError();
    return true;
}

void CZNMemoryStreamIO::Close()
{
    if (m_OwnsBuffer)
        std::free(m_Buffer);
    m_Buffer = nullptr;
    m_Length = 0;
    m_Capacity = 0;
    m_Position = 0;
    m_Flags = 0;
    m_OwnsBuffer = false;
}

DWORD CZNMemoryStreamIO::Read(void *dest, DWORD count)
{
    if (!m_Buffer) {
        Fail(ZNERR_NOT_OPEN);
        return 0;
    }
    if (!count || !dest)
        return 0;
    DWORD left = m_Position < m_Length ? m_Length - m_Position : 0;
    DWORD got = count < left ? count : left;
    if (got)
        std::memcpy(dest, m_Buffer + m_Position, got);
    m_Position += got;
    ClearError();
    return got;
}

bool CZNMemoryStreamIO::Write(const void *src, DWORD count)
{
    if (!m_Buffer) {
        Fail(ZNERR_NOT_OPEN);
        return false;
    }
    if (!count || !src)
        return true;
    const int64_t end = static_cast<int64_t>(m_Position) + count;
    // The bytes past the end are written at once, so they are not zero-filled first.
    if (end > m_Capacity && !Reserve(end))
        return false;
    std::memcpy(m_Buffer + m_Position, src, count);
    m_Position += count;
    if (end > m_Length)
        m_Length = static_cast<DWORD>(end);
    ClearError();
    return true;
}

bool CZNMemoryStreamIO::ReadString(char *, DWORD)
{
    return false;
}

bool CZNMemoryStreamIO::WriteString(const char *)
{
    return false;
}

bool CZNMemoryStreamIO::ReplaceBlock(DWORD capacity)
{
    const size_t bytes = capacity ? capacity : 1;
    BYTE *block;
    if (m_OwnsBuffer) {
        // An own block is resized where it lies when it can be: large blocks grow without a copy.
        block = static_cast<BYTE *>(std::realloc(m_Buffer, bytes));
    } else {
        // A borrowed block is never resized or freed: the stream takes a copy of its own.
        block = static_cast<BYTE *>(std::malloc(bytes));
        DWORD keep = m_Length < capacity ? m_Length : capacity;
        if (block && keep)
            std::memcpy(block, m_Buffer, keep);
    }
    if (!block) {
        Fail(ZNERR_OUT_OF_MEMORY);
        return false;
    }
    m_Buffer = block;
    m_OwnsBuffer = true;
    m_Capacity = capacity;
    return true;
}

bool CZNMemoryStreamIO::Reserve(int64_t length)
{
    if (length > kMaxLength) {
        Fail(ZNERR_OUT_OF_MEMORY);
        return false;
    }
    // Growing by half the block (at least one step) keeps the copying of a long run of writes
    // linear in what is written.
    int64_t capacity = m_Capacity + std::max<int64_t>(kGrowStep, m_Capacity / 2);
    if (capacity < length)
        capacity = length;
    if (capacity > kMaxLength)
        capacity = kMaxLength;
    return ReplaceBlock(static_cast<DWORD>(capacity));
}

bool CZNMemoryStreamIO::SetLength(int64_t length)
{
    if (!m_Buffer) {
        Fail(ZNERR_NOT_OPEN);
        return false;
    }
    if (length < 0)
        length = 0;
    if (length > kMaxLength) {
        Fail(ZNERR_OUT_OF_MEMORY);
        return false;
    }
    if (length > m_Capacity && !Reserve(length))
        return false;
    // A grown range reads as zeros, as a file extended past its end does.
    const bool shrinks = length < m_Length;
    if (length > m_Length)
        std::memset(m_Buffer + m_Length, 0, static_cast<size_t>(length - m_Length));
    m_Length = static_cast<DWORD>(length);
    if (m_Position > m_Length)
        m_Position = m_Length;
    if (shrinks && m_Capacity - m_Length > kGrowStep)
        return Compact();
    ClearError();
    return true;
}

bool CZNMemoryStreamIO::Compact()
{
    if (!m_Buffer)
        return false;
    if (m_Length != m_Capacity && !ReplaceBlock(m_Length))
        return false;
    ClearError();
    return true;
}

int64_t CZNMemoryStreamIO::Seek(int64_t offset, DWORD origin)
{
    if (!m_Buffer) {
        Fail(ZNERR_NOT_OPEN);
        return -1;
    }
    int64_t base;
    switch (origin) {
    case ZNSEEK_SET:
        base = 0;
        break;
    case ZNSEEK_CUR:
        base = m_Position;
        break;
    case ZNSEEK_END:
        base = m_Length;
        break;
    default:
        Fail(ZNERR_INVALID_ARGS);
        return -1;
    }
    // Offsets beyond +-2^62 cannot name a block position; refusing them also keeps the sum exact.
    constexpr int64_t kLimit = int64_t(1) << 62;
    if (offset > kLimit || offset < -kLimit) {
        Fail(ZNERR_SEEK_FAILED);
        return -1;
    }
    int64_t target = base + offset;
    if (target < 0) {
        Fail(ZNERR_SEEK_FAILED);
        return -1;
    }
    if (target > m_Length) {
        if (!(m_Flags & ZNSTREAM_WRITE) || target > kMaxLength) {
            Fail(ZNERR_SEEK_FAILED);
            return -1;
        }
        if (!SetLength(target))
            return -1;
    }
    m_Position = static_cast<DWORD>(target);
    ClearError();
    return target;
}

bool CZNMemoryStreamIO::SeekTo(int64_t position)
{
    if (position < 0)
        position = 0;
    return Seek(position, ZNSEEK_SET) >= 0;
}

bool CZNMemoryStreamIO::Flush()
{
    return true;
}

bool CZNMemoryStreamIO::IsOpen()
{
    return m_Buffer != nullptr;
}

bool CZNMemoryStreamIO::IsEOF()
{
    return m_Position >= m_Length;
}

int64_t CZNMemoryStreamIO::Tell()
{
    return m_Position;
}

int64_t CZNMemoryStreamIO::GetLength()
{
    return m_Length;
}

const char *CZNMemoryStreamIO::GetName()
{
    return "Memory Buffer";
}
