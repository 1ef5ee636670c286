#include "scene/group.h"

#include <cstdlib>
#include <cstring>

#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/geometry.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

CZNGROUP::CZNGROUP()
    : m_ObjectType(ZNOBJECT_GROUP), m_Name(nullptr), m_Parent(nullptr), m_Children(nullptr), m_ChildCount(0)
{
}

CZNGROUP::~CZNGROUP()
{
    // A destroyed group leaves neither its parent nor its members pointing at it.
    if (m_Parent)
        m_Parent->RemoveChild(this);
    Clear();
}

void CZNGROUP::SetName(char *name)
{
    if (name == m_Name)
        return;
    delete[] m_Name;
    m_Name = name;
}

bool CZNGROUP::SetChildParent(void *object, CZNGROUP *parent)
{
    switch (GetObjectType(object)) {
    case ZNOBJECT_GROUP:
        static_cast<CZNGROUP *>(object)->SetParent(parent);
        return true;
    case ZNOBJECT_BRUSH:
        static_cast<ZNBRUSH *>(object)->SetParent(parent);
        return true;
    case ZNOBJECT_ENTITY:
        static_cast<CZNEntity *>(object)->SetGroup(parent);
        return true;
    case ZNOBJECT_OVERLAY:
        static_cast<CZNOverlay *>(object)->SetGroup(parent);
        return true;
    default:
        return false;
    }
}

CZNGROUP *CZNGROUP::GetChildParent(void *object)
{
    switch (GetObjectType(object)) {
    case ZNOBJECT_GROUP:
        return static_cast<CZNGROUP *>(object)->GetParent();
    case ZNOBJECT_BRUSH:
        return static_cast<ZNBRUSH *>(object)->GetParent();
    case ZNOBJECT_ENTITY:
        return static_cast<CZNEntity *>(object)->GetGroup();
    case ZNOBJECT_OVERLAY:
        return static_cast<CZNOverlay *>(object)->GetGroup();
    default:
        return nullptr;
    }
}

int CZNGROUP::AddChild(void *object)
{
    if (!object || object == this)
        return 0;
    for (DWORD i = 0; i < m_ChildCount; ++i)
        if (m_Children[i] == object)
            return 1;
    if (GetObjectType(object) == ZNOBJECT_GROUP) {
        CZNGROUP *group = static_cast<CZNGROUP *>(object);
        // A group never contains one of its own ancestors.
        for (CZNGROUP *up = m_Parent; up; up = up->m_Parent)
            if (up == group)
                return 0;
    }
    CZNGROUP *previous = GetChildParent(object);
    if (previous && previous != this)
        previous->RemoveChild(object);
    void *grown = std::realloc(m_Children, sizeof(void *) * (static_cast<size_t>(m_ChildCount) + 1));
    if (!grown)
        return 0;
    m_Children = static_cast<void **>(grown);
    m_Children[m_ChildCount++] = object;
    SetChildParent(object, this);
    return 1;
}

void CZNGROUP::RemoveAt(DWORD index)
{
    std::memmove(&m_Children[index], &m_Children[index + 1], sizeof(void *) * (m_ChildCount - index - 1));
    --m_ChildCount;
    if (m_ChildCount == 0) {
        std::free(m_Children);
        m_Children = nullptr;
        return;
    }
    // Shrinking never loses the block: keep the larger one when it cannot move.
    void *shrunk = std::realloc(m_Children, sizeof(void *) * m_ChildCount);
    if (shrunk)
        m_Children = static_cast<void **>(shrunk);
}

void CZNGROUP::RemoveChild(void *object)
{
    for (DWORD i = 0; i < m_ChildCount; ++i) {
        if (m_Children[i] != object)
            continue;
        RemoveAt(i);
        SetChildParent(object, nullptr);
        return;
    }
}

CZNGROUP *CZNGROUP::GetRootGroup()
{
    CZNGROUP *group = this;
    while (group->m_Parent)
        group = group->m_Parent;
    return group;
}

int CZNGROUP::IsSelected() const
{
    for (DWORD i = 0; i < m_ChildCount; ++i) {
        void *child = m_Children[i];
        switch (GetObjectType(child)) {
        case ZNOBJECT_GROUP:
            if (static_cast<const CZNGROUP *>(child)->IsSelected())
                return 1;
            break;
        case ZNOBJECT_BRUSH:
            if (static_cast<const ZNBRUSH *>(child)->IsBrushSelected())
                return 1;
            break;
        case ZNOBJECT_ENTITY:
            if (static_cast<const CZNEntity *>(child)->IsSelected())
                return 1;
            break;
        case ZNOBJECT_OVERLAY:
            if (static_cast<const CZNOverlay *>(child)->IsSelected())
                return 1;
            break;
        default:
            break;
        }
    }
    return 0;
}

void CZNGROUP::MergeChildBounds(ZNBBOX *box, int flag) const
{
    for (DWORD i = 0; i < m_ChildCount; ++i) {
        void *child = m_Children[i];
        switch (GetObjectType(child)) {
        case ZNOBJECT_GROUP:
            static_cast<const CZNGROUP *>(child)->MergeChildBounds(box, flag);
            break;
        case ZNOBJECT_BRUSH:
            *box = MergeBounds(*box, static_cast<ZNBRUSH *>(child)->GetBoundingBox(flag));
            break;
        case ZNOBJECT_ENTITY:
            // An entity's box does not depend on the flag.
            *box = MergeBounds(*box, static_cast<const CZNEntity *>(child)->GetBounds(0, nullptr));
            break;
        case ZNOBJECT_OVERLAY:
            *box = MergeBounds(*box, static_cast<CZNOverlay *>(child)->GetBounds(flag));
            break;
        default:
            break;
        }
    }
}

ZNBBOX *CZNGROUP::GetBoundingBox(ZNBBOX *box, int flag) const
{
    if (!box)
        return nullptr;
    box->Min = D3DXVECTOR3(1e7f, 1e7f, 1e7f);
    box->Max = D3DXVECTOR3(-1e7f, -1e7f, -1e7f);
    MergeChildBounds(box, flag);
    return box;
}

DWORD CZNGROUP::RemoveEmptyGroups()
{
    for (DWORD i = 0; i < m_ChildCount; ++i) {
        if (GetObjectType(m_Children[i]) != ZNOBJECT_GROUP)
            continue;
        CZNGROUP *child = static_cast<CZNGROUP *>(m_Children[i]);
        if (child->RemoveEmptyGroups() != 0)
            continue;
        RemoveAt(i);
        --i; // the next child moved into this slot
        child->m_Parent = nullptr;
        child->Clear();
        delete child;
    }
    return m_ChildCount;
}

void CZNGROUP::FreeFromParent(CZNGROUP *parent, void *member)
{
    if (!parent)
        return;
    CZNGROUP *root = parent->GetRootGroup();
    parent->RemoveChild(member);
    if (root->RemoveEmptyGroups() == 0) {
        root->Clear();
        delete root;
    }
}

void CZNGROUP::Clear()
{
    delete[] m_Name;
    m_Name = nullptr;
    for (DWORD i = 0; i < m_ChildCount; ++i)
        SetChildParent(m_Children[i], nullptr);
    std::free(m_Children);
    m_Children = nullptr;
    m_ChildCount = 0;
}
