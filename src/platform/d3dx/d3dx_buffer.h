#pragma once

// ID3DXBuffer: a block of bytes handed out by the .X mesh functions (materials, adjacency,
// remaps). Reference counted like the other D3DX objects: Release frees it at zero. The block
// is fixed at creation; Create returns null when it cannot be allocated.
#include <cstddef>
#include <vector>

#include "platform/export.h"
#include "platform/os/win_types.h"

class ZN_API ID3DXBuffer
{
public:
    static ID3DXBuffer *Create(size_t size);

    ULONG AddRef() { return ++m_RefCount; }
    ULONG Release();
    void *GetBufferPointer() { return m_Bytes.empty() ? nullptr : m_Bytes.data(); }
    DWORD GetBufferSize() const { return static_cast<DWORD>(m_Bytes.size()); }

private:
    ID3DXBuffer() = default;
    ~ID3DXBuffer() = default;

    std::vector<BYTE> m_Bytes;
    ULONG m_RefCount = 1;
};
