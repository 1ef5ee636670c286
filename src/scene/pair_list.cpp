#include "scene/pair_list.h"

#include <cstdlib>

CZNPairList::CZNPairList() : m_Pairs(nullptr), m_Count(0), m_Capacity(0), m_GrowStep(5) {}

CZNPairList::~CZNPairList()
{
    std::free(m_Pairs);
}

DWORD CZNPairList::Add(void *first, void *second)
{
    if (m_Count == m_Capacity) {
        DWORD capacity = m_Capacity + m_GrowStep;
        auto *pairs = static_cast<ZNPAIR *>(std::realloc(m_Pairs, sizeof(ZNPAIR) * capacity));
        if (!pairs)
            return 0;
        m_Pairs = pairs;
        m_Capacity = capacity;
    }
    m_Pairs[m_Count] = {first, second};
    return ++m_Count;
}

ZNPAIR *CZNPairList::GetPair(DWORD index) const
{
    return index < m_Count ? &m_Pairs[index] : nullptr;
}

void CZNPairList::Optimize()
{
    if (m_Count == m_Capacity)
        return;
    if (m_Count == 0) {
        std::free(m_Pairs);
        m_Pairs = nullptr;
        m_Capacity = 0;
        return;
    }
    auto *pairs = static_cast<ZNPAIR *>(std::realloc(m_Pairs, sizeof(ZNPAIR) * m_Count));
    if (pairs) {
        m_Pairs = pairs;
        m_Capacity = m_Count;
    }
}
