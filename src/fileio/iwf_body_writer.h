#pragma once

// CZNIWFBodyWriter: a chunk body gathered in memory as little-endian fields, so that a writer
// hands the stream one block per chunk instead of one call per field. It owns its bytes;
// Reset empties it and keeps the storage for the next body.
#include <cstring>
#include <vector>

#include "platform/os/byte_order.h"
#include "platform/os/win_types.h"

class CZNIWFBodyWriter
{
public:
    void Reset() { m_Bytes.clear(); }
    const BYTE *Data() const { return m_Bytes.data(); }
    DWORD Size() const { return static_cast<DWORD>(m_Bytes.size()); }

    void U8(BYTE value) { m_Bytes.push_back(value); }
    void U16(WORD value)
    {
        BYTE b[2];
        ZnPutU16LE(b, value);
        m_Bytes.insert(m_Bytes.end(), b, b + 2);
    }
    void U32(DWORD value)
    {
        BYTE b[4];
        ZnPutU32LE(b, value);
        m_Bytes.insert(m_Bytes.end(), b, b + 4);
    }
    void F32(float value)
    {
        DWORD bits;
        std::memcpy(&bits, &value, 4);
        U32(bits);
    }
    void Bytes(const void *data, size_t count)
    {
        const BYTE *p = static_cast<const BYTE *>(data);
        m_Bytes.insert(m_Bytes.end(), p, p + count);
    }

private:
    std::vector<BYTE> m_Bytes;
};
