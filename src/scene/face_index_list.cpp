#include "scene/face_index_list.h"

#include <cstdlib>
#include <cstring>

ZNFACEINDEXLIST::ZNFACEINDEXLIST() : m_Count(0), m_Indices(nullptr) {}

ZNFACEINDEXLIST::ZNFACEINDEXLIST(const ZNFACEINDEXLIST &other) : m_Count(0), m_Indices(nullptr)
{
    *this = other;
}

ZNFACEINDEXLIST &ZNFACEINDEXLIST::operator=(const ZNFACEINDEXLIST &other)
{
    if (this == &other)
        return *this;
    std::free(m_Indices);
    m_Indices = nullptr;
    m_Count = 0;
    if (other.m_Count == 0 || !other.m_Indices)
        return *this;
    m_Indices = static_cast<DWORD *>(std::malloc(sizeof(DWORD) * other.m_Count));
    if (!m_Indices)
        return *this;
    std::memcpy(m_Indices, other.m_Indices, sizeof(DWORD) * other.m_Count);
    m_Count = other.m_Count;
    return *this;
}

ZNFACEINDEXLIST::~ZNFACEINDEXLIST()
{
    std::free(m_Indices);
}

int ZNFACEINDEXLIST::AddFaceIndex(DWORD index)
{
    if (m_Count == 0xFFFFFFFFu)
        return 0;
    void *grown = std::realloc(m_Indices, sizeof(DWORD) * (static_cast<size_t>(m_Count) + 1));
    if (!grown)
        return 0;
    m_Indices = static_cast<DWORD *>(grown);
    m_Indices[m_Count++] = index;
    return 1;
}

int ZNFACEINDEXLIST::SetIndices(const DWORD *indices, DWORD count)
{
    DWORD *block = nullptr;
    if (count) {
        if (!indices)
            return 0;
        block = static_cast<DWORD *>(std::malloc(sizeof(DWORD) * static_cast<size_t>(count)));
        if (!block)
            return 0;
        std::memcpy(block, indices, sizeof(DWORD) * static_cast<size_t>(count));
    }
    std::free(m_Indices);
    m_Indices = block;
    m_Count = count;
    return 1;
}

LONG ZNFACEINDEXLIST::GetIndex(DWORD i) const
{
    if (i >= m_Count)
        return -1;
    return static_cast<LONG>(m_Indices[i]);
}
