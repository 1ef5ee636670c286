#include "scene/face_pick_desc.h"

#include <cstdlib>

#include "scene/object_type.h"
#include "scene/pick_array.h"

ZNFACEPICKDESC::ZNFACEPICKDESC() : m_Tag(kTag), m_Count(0), m_Faces(nullptr), m_Objects(nullptr), m_Current(0) {}

ZNFACEPICKDESC::~ZNFACEPICKDESC()
{
    Clear();
}

int ZNFACEPICKDESC::Add(DWORD face, void *object)
{
    if (!object)
        return 0;
    const BYTE type = GetObjectType(object);
    if (type != ZNOBJECT_BRUSH && type != ZNOBJECT_OVERLAY)
        return 0;
    if (m_Count == 0xFFFFFFFFu || !ZnGrowPickArray(m_Faces, m_Count) || !ZnGrowPickArray(m_Objects, m_Count))
        return 0;
    m_Faces[m_Count] = face;
    m_Objects[m_Count] = object;
    ++m_Count;
    return 1;
}

void ZNFACEPICKDESC::Clear()
{
    std::free(m_Faces);
    std::free(m_Objects);
    m_Faces = nullptr;
    m_Objects = nullptr;
    m_Count = 0;
    m_Current = 0;
}

bool ZNFACEPICKDESC::IsEqual(const ZNFACEPICKDESC &other) const
{
    if (m_Count != other.m_Count)
        return false;
    for (DWORD i = 0; i < m_Count; ++i)
        if (m_Faces[i] != other.m_Faces[i] || m_Objects[i] != other.m_Objects[i])
            return false;
    return true;
}

BYTE ZNFACEPICKDESC::GetCurrentType() const
{
    return m_Current < m_Count && m_Objects[m_Current] ? GetObjectType(m_Objects[m_Current]) : 0;
}
