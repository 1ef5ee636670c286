#pragma once

// ZNFACELISTCONTAINER: the face index lists of a brush or an overlay, one per shared vertex
// position; a face vertex's face-list slot holds the number of its list here. The container
// owns its lists. Exported to plug-ins.
#include "platform/export.h"
#include "platform/os/win_types.h"

class ZNFACEINDEXLIST;

class ZN_API ZNFACELISTCONTAINER
{
public:
    ZNFACELISTCONTAINER();
    // Copies are deep: every list is copied.
    ZNFACELISTCONTAINER(const ZNFACELISTCONTAINER &other);
    ZNFACELISTCONTAINER &operator=(const ZNFACELISTCONTAINER &other);
    ~ZNFACELISTCONTAINER();

    // Deletes every list and empties the container.
    void Reset();
    // Appends the list itself (made with new) and takes ownership of it; 0 for null or when
    // the array cannot grow.
    int AddFaceIndexList(ZNFACEINDEXLIST *list);
    // Appends count lists (each made with new, none null) with one growth of the array and takes
    // ownership of them; 0 when the array cannot grow (nothing is taken).
    int AddFaceIndexLists(ZNFACEINDEXLIST *const *lists, DWORD count);
    // Appends a copy of the list; 0 for null or when the array cannot grow.
    int AddFaceIndexListCopy(const ZNFACEINDEXLIST *list);
    // A deep copy of the other container; 0 (and nothing changed) for null.
    int InitFromContainer(const ZNFACELISTCONTAINER *other);
    ZNFACEINDEXLIST *GetFaceIndexList(DWORD i) const { return i < m_Count ? m_Lists[i] : nullptr; }
    DWORD GetFaceIndexListCount() const { return m_Count; }
    ZNFACEINDEXLIST **GetFaceIndexListArray() { return m_Lists; }

private:
    DWORD m_Count;
    ZNFACEINDEXLIST **m_Lists;
};
