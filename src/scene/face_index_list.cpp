#include "scene/face_index_list.h"

#include <cstdlib>
#include <cstring>

static_assert(sizeof(ZNFACEINDEXLIST) % alignof(DWORD) == 0, "indices follow a list in its block");

void *ZNFACEINDEXLIST::operator new(size_t size)
{
    if (void *block = std::malloc(size))
        return block;
    throw std::bad_alloc();
}

void *ZNFACEINDEXLIST::operator new(size_t size, const std::nothrow_t &) noexcept
{
    return std::malloc(size);
}

void ZNFACEINDEXLIST::operator delete(void *block) noexcept
{
    std::free(block);
}

ZNFACEINDEXLIST *ZNFACEINDEXLIST::Make(const DWORD *indices, DWORD count)
{
    if (count && !indices)
        return nullptr;
    void *block = std::malloc(sizeof(ZNFACEINDEXLIST) + sizeof(DWORD) * static_cast<size_t>(count));
    if (!block)
        return nullptr;
    auto *list = ::new (block) ZNFACEINDEXLIST;
    if (count) {
        list->m_Indices = list->Inline();
        std::memcpy(list->m_Indices, indices, sizeof(DWORD) * static_cast<size_t>(count));
        list->m_Count = count;
    }
    return list;
}

void ZNFACEINDEXLIST::FreeIndices()
{
    if (m_Indices != Inline())
        std::free(m_Indices);
    m_Indices = nullptr;
}

ZNFACEINDEXLIST::ZNFACEINDEXLIST() : m_Count(0), m_Indices(nullptr) {}

ZNFACEINDEXLIST::ZNFACEINDEXLIST(const ZNFACEINDEXLIST &other) : m_Count(0), m_Indices(nullptr)
{
    *this = other;
}

ZNFACEINDEXLIST &ZNFACEINDEXLIST::operator=(const ZNFACEINDEXLIST &other)
{
    if (this == &other)
        return *this;
    FreeIndices();
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
    FreeIndices();
}

int ZNFACEINDEXLIST::AddFaceIndex(DWORD index)
{
    if (m_Count == 0xFFFFFFFFu)
        return 0;
    const size_t bytes = sizeof(DWORD) * (static_cast<size_t>(m_Count) + 1);
    void *grown = nullptr;
    if (m_Indices && m_Indices == Inline()) {
        // The indices leave the list's own block for one that can grow.
        grown = std::malloc(bytes);
        if (grown)
            std::memcpy(grown, m_Indices, sizeof(DWORD) * m_Count);
    } else {
        grown = std::realloc(m_Indices, bytes);
    }
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
    FreeIndices();
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
