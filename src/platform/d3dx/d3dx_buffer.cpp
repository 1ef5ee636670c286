#include "platform/d3dx/d3dx_buffer.h"

#include <new>

ID3DXBuffer *ID3DXBuffer::Create(size_t size)
{
    auto *buffer = new (std::nothrow) ID3DXBuffer;
    if (!buffer)
        return nullptr;
    try {
        buffer->m_Bytes.assign(size, 0);
    } catch (const std::bad_alloc &) {
        delete buffer;
        return nullptr;
    }
    return buffer;
}

ULONG ID3DXBuffer::Release()
{
    const ULONG left = --m_RefCount;
    if (!left)
        delete this;
    return left;
}
