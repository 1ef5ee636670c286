#pragma once

// ZNFACEPICKDESC: the faces hit by one click in a 2D view, as pairs of face index and object
// (a brush or an overlay), in the order the picking walked the scene. It owns its two parallel
// arrays, not the objects. Add returns 0 and changes nothing when it ignores the object or
// cannot grow the arrays.
#include "platform/export.h"
#include "platform/os/win_types.h"

class ZN_API ZNFACEPICKDESC
{
public:
    static constexpr BYTE kTag = 'd';

    ZNFACEPICKDESC();
    ~ZNFACEPICKDESC();
    ZNFACEPICKDESC(const ZNFACEPICKDESC &) = delete;
    ZNFACEPICKDESC &operator=(const ZNFACEPICKDESC &) = delete;

    // Appends (face, object) when the object is a brush or an overlay; duplicates stay.
    int Add(DWORD face, void *object);
    // Frees the arrays: the list is empty and reusable.
    void Clear();
    // Same count and the same (face, object) pairs at the same places.
    bool IsEqual(const ZNFACEPICKDESC &other) const;
    // The type byte of the object at the cursor; 0 when there is none.
    BYTE GetCurrentType() const;

    DWORD GetCount() const { return m_Count; }
    DWORD GetFace(DWORD i) const { return i < m_Count ? m_Faces[i] : 0; }
    void *GetObject(DWORD i) const { return i < m_Count ? m_Objects[i] : nullptr; }

    // Fields, in the order of the record.
    BYTE m_Tag;
    DWORD m_Count;
    DWORD *m_Faces;   // m_Count entries; null when empty
    void **m_Objects; // m_Count entries; null when empty
    DWORD m_Current;  // the hit selected last
};
