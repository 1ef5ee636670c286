#include "scene/vertex_pick_desc.h"

#include <cstdlib>

#include "scene/pick_array.h"

ZNVERTEXPICKDESC::ZNVERTEXPICKDESC()
    : m_Tag(kTag), m_Count(0), m_Vertices(nullptr), m_Faces(nullptr), m_Brushes(nullptr), m_Current(0)
{
}

ZNVERTEXPICKDESC::~ZNVERTEXPICKDESC()
{
    Clear();
}

int ZNVERTEXPICKDESC::Add(DWORD vertex, DWORD face, ZNBRUSH *brush)
{
    if (m_Count == 0xFFFFFFFFu || !ZnGrowPickArray(m_Vertices, m_Count) || !ZnGrowPickArray(m_Faces, m_Count) ||
        !ZnGrowPickArray(m_Brushes, m_Count))
        return 0;
    m_Vertices[m_Count] = vertex;
    m_Faces[m_Count] = face;
    m_Brushes[m_Count] = brush;
    ++m_Count;
    return 1;
}

void ZNVERTEXPICKDESC::Clear()
{
    std::free(m_Vertices);
    std::free(m_Faces);
    std::free(m_Brushes);
    m_Vertices = nullptr;
    m_Faces = nullptr;
    m_Brushes = nullptr;
    m_Count = 0;
    m_Current = 0;
}

bool ZNVERTEXPICKDESC::IsEqual(const ZNVERTEXPICKDESC &other) const
{
    if (m_Count != other.m_Count)
        return false;
    for (DWORD i = 0; i < m_Count; ++i)
        if (m_Vertices[i] != other.m_Vertices[i] || m_Faces[i] != other.m_Faces[i] ||
            m_Brushes[i] != other.m_Brushes[i])
            return false;
    return true;
}
