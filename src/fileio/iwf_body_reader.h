#pragma once

// CZNIWFBodyReader: little-endian fields taken from one chunk body held in memory. The reader
// borrows the bytes. Every take is checked against what is left; a take past the end throws
// the IWF length code (0x89671B5A), so a hostile count can never read outside the body.
#include <cstdint>
#include <cstring>

#include "fileio/file_errors.h"
#include "platform/os/byte_order.h"
#include "platform/os/win_types.h"

class CZNIWFBodyReader
{
public:
    CZNIWFBodyReader(const BYTE *data, size_t size) : m_Next(data), m_End(data + size) {}

    uint64_t Left() const { return static_cast<uint64_t>(m_End - m_Next); }
    // Throws unless count elements of elementSize bytes fit in what is left. Elements of no bytes
    // (a vertex block whose mask names no field) are refused too: a count of them would make
    // that many objects out of nothing.
    void CheckCount(uint64_t count, uint64_t elementSize) const
    {
        if (elementSize ? count > Left() / elementSize : count != 0)
            Fail();
    }

    BYTE U8() { return *Take(1); }
    WORD U16() { return ZnGetU16LE(Take(2)); }
    DWORD U32() { return ZnGetU32LE(Take(4)); }
    float F32()
    {
        DWORD bits = U32();
        float value;
        std::memcpy(&value, &bits, 4);
        return value;
    }
    void Bytes(void *dest, uint64_t count)
    {
        if (count)
            std::memcpy(dest, Take(count), static_cast<size_t>(count));
    }
    void Skip(uint64_t count) { Take(count); }
    // The next count bytes in place.
    const BYTE *Take(uint64_t count)
    {
        if (count > Left())
            Fail();
        const BYTE *at = m_Next;
        m_Next += count;
        return at;
    }

private:
    [[noreturn]] static void Fail() { throw ZnErrorAsThrown(ZNERR_IWF_BAD_LENGTHS); }

    const BYTE *m_Next;
    const BYTE *m_End;
};
