#pragma once

// ZNFACEINDEXLIST: a growable list of face indices, one per face that shares a vertex position
// (built by the owner's shared-face pass). Exported to plug-ins.
#include "platform/export.h"
#include "platform/os/win_types.h"

class ZN_API ZNFACEINDEXLIST
{
public:
    ZNFACEINDEXLIST();
    // Copies take their own array.
    ZNFACEINDEXLIST(const ZNFACEINDEXLIST &other);
    ZNFACEINDEXLIST &operator=(const ZNFACEINDEXLIST &other);
    ~ZNFACEINDEXLIST();

    // Appends; 0 when the array cannot grow (the list stays as it was).
    int AddFaceIndex(DWORD index);
    // Replaces the indices with a copy of count indices in one block; 0 when it cannot be
    // allocated (the list stays as it was).
    int SetIndices(const DWORD *indices, DWORD count);
    // The index at position i, or -1 when i is not below the count.
    LONG GetIndex(DWORD i) const;
    DWORD GetIndexCount() const { return m_Count; }
    DWORD *GetIndices() { return m_Indices; }

private:
    DWORD m_Count;
    DWORD *m_Indices;
};
