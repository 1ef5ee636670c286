#include "scene/face_list_container.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "scene/face_index_list.h"
#include "scene/pointer_array.h"

ZNFACELISTCONTAINER::ZNFACELISTCONTAINER() : m_Count(0), m_Lists(nullptr) {}

ZNFACELISTCONTAINER::ZNFACELISTCONTAINER(const ZNFACELISTCONTAINER &other) : m_Count(0), m_Lists(nullptr)
{
    InitFromContainer(&other);
}

ZNFACELISTCONTAINER &ZNFACELISTCONTAINER::operator=(const ZNFACELISTCONTAINER &other)
{
    InitFromContainer(&other);
    return *this;
}

ZNFACELISTCONTAINER::~ZNFACELISTCONTAINER()
{
    Reset();
}

void ZNFACELISTCONTAINER::Reset()
{
    ZnDeletePointerArray(m_Lists, m_Count);
}

int ZNFACELISTCONTAINER::AddFaceIndexList(ZNFACEINDEXLIST *list)
{
    return list && ZnAppendToPointerArray(m_Lists, m_Count, list) ? 1 : 0;
}

int ZNFACELISTCONTAINER::AddFaceIndexLists(ZNFACEINDEXLIST *const *lists, DWORD count)
{
    if (!count)
        return 1;
    if (!lists || count > 0xFFFFFFFFu - m_Count)
        return 0;
    for (DWORD i = 0; i < count; ++i)
        if (!lists[i])
            return 0;
    const size_t total = static_cast<size_t>(m_Count) + count;
    void *grown = std::realloc(m_Lists, sizeof(ZNFACEINDEXLIST *) * total);
    if (!grown)
        return 0;
    m_Lists = static_cast<ZNFACEINDEXLIST **>(grown);
    std::memcpy(m_Lists + m_Count, lists, sizeof(ZNFACEINDEXLIST *) * count);
    m_Count = static_cast<DWORD>(total);
    return 1;
}

int ZNFACELISTCONTAINER::AddFaceIndexListCopy(const ZNFACEINDEXLIST *list)
{
    if (!list)
        return 0;
    ZNFACEINDEXLIST *copy = new (std::nothrow) ZNFACEINDEXLIST;
    if (!copy)
        return 0;
    for (DWORD i = 0; i < list->GetIndexCount(); ++i)
        copy->AddFaceIndex(static_cast<DWORD>(list->GetIndex(i)));
    if (!AddFaceIndexList(copy)) {
        delete copy;
        return 0;
    }
    return 1;
}

int ZNFACELISTCONTAINER::InitFromContainer(const ZNFACELISTCONTAINER *other)
{
    if (!other)
        return 0;
    if (other == this)
        return 1;
    Reset();
    for (DWORD i = 0; i < other->m_Count; ++i)
        AddFaceIndexListCopy(other->m_Lists[i]);
    return 1;
}
