#include "scene/container.h"

#include <cstdlib>
#include <cstring>
#include <utility>

CZNCONTAINER::CZNCONTAINER() : m_Elements(nullptr), m_Count(0), m_Capacity(0), m_ResizeAmount(5) {}

CZNCONTAINER::CZNCONTAINER(const CZNCONTAINER &other)
    : m_Elements(nullptr), m_Count(0), m_Capacity(0), m_ResizeAmount(other.m_ResizeAmount)
{
    if (other.m_Capacity > 0) {
        m_Elements = static_cast<void **>(std::malloc(sizeof(void *) * other.m_Capacity));
        if (m_Elements) {
            if (other.m_Count)
                std::memcpy(m_Elements, other.m_Elements, sizeof(void *) * other.m_Count);
            m_Count = other.m_Count;
            m_Capacity = other.m_Capacity;
        }
    }
}

CZNCONTAINER &CZNCONTAINER::operator=(const CZNCONTAINER &other)
{
    if (this != &other) {
        CZNCONTAINER copy(other);
        std::swap(m_Elements, copy.m_Elements);
        std::swap(m_Count, copy.m_Count);
        std::swap(m_Capacity, copy.m_Capacity);
        std::swap(m_ResizeAmount, copy.m_ResizeAmount);
    }
    return *this;
}

CZNCONTAINER::~CZNCONTAINER()
{
    if (m_Elements)
        std::free(m_Elements);
}

bool CZNCONTAINER::Grow()
{
    DWORD capacity = m_Capacity + m_ResizeAmount;
    if (capacity < m_Capacity)
        return false;
    void **block = static_cast<void **>(std::realloc(m_Elements, sizeof(void *) * capacity));
    if (!block)
        return false; // the old block and its elements stay as they were
    m_Elements = block;
    m_Capacity = capacity;
    return true;
}

DWORD CZNCONTAINER::AddElement(void *element)
{
    if (m_Count == m_Capacity && !Grow())
        return 0;
    m_Elements[m_Count++] = element;
    return m_Count;
}

DWORD CZNCONTAINER::AddElementUnique(void *element)
{
    for (DWORD i = 0; i < m_Count; ++i)
        if (m_Elements[i] == element)
            return i;
    return AddElement(element);
}

void CZNCONTAINER::RemoveElement(void *element)
{
    for (DWORD i = 0; i < m_Count; ++i) {
        if (m_Elements[i] != element)
            continue;
        if (i + 1 < m_Count)
            std::memmove(&m_Elements[i], &m_Elements[i + 1], sizeof(void *) * (m_Count - i - 1));
        --m_Count;
        return;
    }
}

void *CZNCONTAINER::GetElement(DWORD index) const
{
    return index < m_Count ? m_Elements[index] : nullptr;
}

int CZNCONTAINER::SetElement(DWORD index, void *element)
{
    if (index >= m_Count)
        return 0;
    m_Elements[index] = element;
    return 1;
}

void CZNCONTAINER::SetResizeAmount(DWORD amount)
{
    if (amount != 0)
        m_ResizeAmount = amount;
}

void CZNCONTAINER::Optimize()
{
    if (m_Count == m_Capacity)
        return;
    if (m_Count == 0) {
        std::free(m_Elements);
        m_Elements = nullptr;
        m_Capacity = 0;
        return;
    }
    void **block = static_cast<void **>(std::realloc(m_Elements, sizeof(void *) * m_Count));
    if (block) {
        m_Elements = block;
        m_Capacity = m_Count;
    }
}

void **CZNCONTAINER::AllocateElements(DWORD count)
{
    if (count <= m_Count)
        return m_Elements;
    void **block = static_cast<void **>(std::realloc(m_Elements, sizeof(void *) * count));
    if (!block)
        return nullptr;
    m_Elements = block;
    m_Count = count;
    m_Capacity = count;
    return m_Elements;
}

void CZNCONTAINER::Sort(int (*compare)(const void *, const void *))
{
    if (m_Count > 1)
        QuickSort(m_Elements, 0, static_cast<LONG>(m_Count) - 1, compare);
}

void CZNCONTAINER::QuickSort(void **array, LONG first, LONG last, int (*compare)(const void *, const void *))
{
    while (first <= last) {
        void *pivot = array[(first + last) / 2];
        LONG i = first, j = last;
        do {
            while (compare(array[i], pivot) < 0 && i < last)
                ++i;
            while (compare(pivot, array[j]) < 0 && j > first)
                --j;
            if (i <= j) {
                std::swap(array[i], array[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (first < j)
            QuickSort(array, first, j, compare);
        if (i >= last)
            return;
        first = i;
    }
}
