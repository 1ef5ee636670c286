#pragma once

// ZNOBJECTPICKDESC: the objects hit by one click in a 2D view (brushes, entities, overlays and
// the camera), in the order the picking walked the scene, with a group standing for itself by
// its first hit member. It owns its array, not the objects. AddUnique returns 0 and changes
// nothing when it ignores the object or cannot grow the array.
#include "platform/export.h"
#include "platform/os/win_types.h"

class ZN_API ZNOBJECTPICKDESC
{
public:
    static constexpr BYTE kTag = 'e';

    ZNOBJECTPICKDESC();
    ~ZNOBJECTPICKDESC();
    ZNOBJECTPICKDESC(const ZNOBJECTPICKDESC &) = delete;
    ZNOBJECTPICKDESC &operator=(const ZNOBJECTPICKDESC &) = delete;

    // Appends a camera always; a brush, entity or overlay unless it, or a listed member of its
    // outermost group, is listed already. Other objects are ignored.
    int AddUnique(void *object);
    // Frees the array: the list is empty and reusable.
    void Clear();
    // Same count and the same objects at the same places.
    bool IsEqual(const ZNOBJECTPICKDESC &other) const;
    // The type byte of the object at the cursor; 0 when there is none.
    BYTE GetCurrentType() const;

    DWORD GetCount() const { return m_Count; }
    void *GetObject(DWORD i) const { return i < m_Count ? m_Objects[i] : nullptr; }

    // Fields, in the order of the record.
    BYTE m_Tag;
    DWORD m_Count;
    void **m_Objects; // m_Count entries; null when empty
    DWORD m_Current;  // the hit selected last
};
