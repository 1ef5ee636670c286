#include "scene/object_pick_desc.h"

#include <cstdlib>

#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/overlay.h"
#include "scene/pick_array.h"

namespace
{

// The outermost group of a brush, entity or overlay; null when it has none or is of another kind.
CZNGROUP *RootGroupOfObject(void *object)
{
    CZNGROUP *group = nullptr;
    switch (GetObjectType(object)) {
    case ZNOBJECT_BRUSH:
        group = static_cast<ZNBRUSH *>(object)->GetParent();
        break;
    case ZNOBJECT_ENTITY:
        group = static_cast<CZNEntity *>(object)->GetGroup();
        break;
    case ZNOBJECT_OVERLAY:
        group = static_cast<CZNOverlay *>(object)->GetGroup();
        break;
    default:
        break;
    }
    return group ? group->GetRootGroup() : nullptr;
}

} // namespace

ZNOBJECTPICKDESC::ZNOBJECTPICKDESC() : m_Tag(kTag), m_Count(0), m_Objects(nullptr), m_Current(0) {}

ZNOBJECTPICKDESC::~ZNOBJECTPICKDESC()
{
    Clear();
}

int ZNOBJECTPICKDESC::AddUnique(void *object)
{
    if (!object)
        return 0;
    const BYTE type = GetObjectType(object);
    if (type != ZNOBJECT_CAMERA) {
        if (type != ZNOBJECT_BRUSH && type != ZNOBJECT_ENTITY && type != ZNOBJECT_OVERLAY)
            return 0;
        CZNGROUP *root = RootGroupOfObject(object);
        for (DWORD i = 0; i < m_Count; ++i) {
            if (m_Objects[i] == object)
                return 0;
            // A group is listed once, by its first hit member.
            if (root && RootGroupOfObject(m_Objects[i]) == root)
                return 0;
        }
    }
    if (m_Count == 0xFFFFFFFFu || !ZnGrowPickArray(m_Objects, m_Count))
        return 0;
    m_Objects[m_Count++] = object;
    return 1;
}

void ZNOBJECTPICKDESC::Clear()
{
    std::free(m_Objects);
    m_Objects = nullptr;
    m_Count = 0;
    m_Current = 0;
}

bool ZNOBJECTPICKDESC::IsEqual(const ZNOBJECTPICKDESC &other) const
{
    if (m_Count != other.m_Count)
        return false;
    for (DWORD i = 0; i < m_Count; ++i)
        if (m_Objects[i] != other.m_Objects[i])
            return false;
    return true;
}

BYTE ZNOBJECTPICKDESC::GetCurrentType() const
{
    return m_Current < m_Count && m_Objects[m_Current] ? GetObjectType(m_Objects[m_Current]) : 0;
}
