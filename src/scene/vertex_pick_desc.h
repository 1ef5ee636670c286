#pragma once

// ZNVERTEXPICKDESC: the vertices hit by one click in a 2D view, as triples of vertex index, face
// index and brush, in the order the picking walked the scene. It owns its three parallel
// arrays, not the brushes. Add returns 0 and changes nothing when it cannot grow the arrays.
#include "platform/export.h"
#include "platform/os/win_types.h"

class ZNBRUSH;

class ZN_API ZNVERTEXPICKDESC
{
public:
    static constexpr BYTE kTag = 'f';

    ZNVERTEXPICKDESC();
    ~ZNVERTEXPICKDESC();
    ZNVERTEXPICKDESC(const ZNVERTEXPICKDESC &) = delete;
    ZNVERTEXPICKDESC &operator=(const ZNVERTEXPICKDESC &) = delete;

    // Appends the triple; duplicates stay.
    int Add(DWORD vertex, DWORD face, ZNBRUSH *brush);
    // Frees the arrays: the list is empty and reusable.
    void Clear();
    // Same count and the same triples at the same places.
    bool IsEqual(const ZNVERTEXPICKDESC &other) const;

    DWORD GetCount() const { return m_Count; }
    DWORD GetVertex(DWORD i) const { return i < m_Count ? m_Vertices[i] : 0; }
    DWORD GetFace(DWORD i) const { return i < m_Count ? m_Faces[i] : 0; }
    ZNBRUSH *GetBrush(DWORD i) const { return i < m_Count ? m_Brushes[i] : nullptr; }

    // Fields, in the order of the record.
    BYTE m_Tag;
    DWORD m_Count;
    DWORD *m_Vertices;   // m_Count entries; null when empty
    DWORD *m_Faces;      // m_Count entries; null when empty
    ZNBRUSH **m_Brushes; // m_Count entries; null when empty
    DWORD m_Current;     // the hit selected last
};
