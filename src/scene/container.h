#pragma once

// CZNCONTAINER: the growable array of untyped pointers embedded in many classes and exported
// to plug-ins. It never owns what its elements point to.
#include "platform/export.h"
#include "platform/os/win_types.h"

class ZN_API CZNCONTAINER
{
public:
    CZNCONTAINER();
    // Copies take their own block, so one block is never freed twice.
    CZNCONTAINER(const CZNCONTAINER &other);
    CZNCONTAINER &operator=(const CZNCONTAINER &other);
    virtual ~CZNCONTAINER();

    // Appends; returns the new count (0 when the block could not grow: nothing is lost).
    DWORD AddElement(void *element);
    // Index of the first occurrence when already stored; otherwise appends and returns the new count.
    DWORD AddElementUnique(void *element);
    void RemoveElement(void *element);
    void *GetElement(DWORD index) const;
    int SetElement(DWORD index, void *element);
    DWORD GetElementCount() const { return m_Count; }
    void **GetElements() const { return m_Elements; }
    void EmptyContainer() { m_Count = 0; }
    void SetResizeAmount(DWORD amount);
    void Optimize();
    void **AllocateElements(DWORD count);
    void Sort(int (*compare)(const void *, const void *));
    void QuickSort(void **array, LONG first, LONG last, int (*compare)(const void *, const void *));

    DWORD GetCapacity() const { return m_Capacity; }
    DWORD GetResizeAmount() const { return m_ResizeAmount; }

private:
    bool Grow();

    void **m_Elements;
    DWORD m_Count;
    DWORD m_Capacity;
    DWORD m_ResizeAmount;
};
