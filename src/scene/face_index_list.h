#pragma once

// ZNFACEINDEXLIST: a growable list of face indices, one per face that shares a vertex position
// (built by the owner's shared-face pass). Exported to plug-ins.
#include <cstddef>
#include <new>

#include "platform/export.h"
#include "platform/os/win_types.h"

class ZN_API ZNFACEINDEXLIST
{
public:
    // Lists live in blocks from malloc, so that a list and its indices can share one (Make).
    static void *operator new(size_t size);
    static void *operator new(size_t size, const std::nothrow_t &) noexcept;
    static void operator delete(void *block) noexcept;
    // A list of a copy of count indices, made with its indices in one block (the shared-face
    // passes make one per shared position, so this halves their allocations); null when the
    // block cannot be allocated. Deleted with delete like any other.
    static ZNFACEINDEXLIST *Make(const DWORD *indices, DWORD count);

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
    // Where Make puts the indices: right after the list, in the list's own block.
    DWORD *Inline() { return reinterpret_cast<DWORD *>(this + 1); }
    // Frees the indices unless they are in the list's own block.
    void FreeIndices();

    DWORD m_Count;
    DWORD *m_Indices; // from malloc, or Inline() for a list made by Make
};
