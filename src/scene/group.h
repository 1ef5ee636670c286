#pragma once

// CZNGROUP: binds scene objects (brushes, nested groups, entities, overlays) so that they are
// selected, moved and saved as one. Every member knows its parent group; groups are reached
// from their members, and nesting makes a tree whose root is the outermost group.
#include "platform/export.h"
#include "platform/os/win_types.h"
#include "scene/bbox.h"

class ZN_API CZNGROUP
{
public:
    CZNGROUP();
    // Leaves its parent group and clears itself: members are left without a parent.
    ~CZNGROUP();
    CZNGROUP(const CZNGROUP &) = delete;
    CZNGROUP &operator=(const CZNGROUP &) = delete;

    // 0 for null, for the group itself or for a group this one belongs to; 1 without change for
    // a member; otherwise appends the object, links it to this group (taking it out of a group
    // it was in before) and returns 1.
    int AddChild(void *object);
    // Removes a member, keeping the order of the rest, and clears its parent link.
    void RemoveChild(void *object);
    void *GetChild(DWORD index) const { return index < m_ChildCount ? m_Children[index] : nullptr; }
    DWORD GetChildCount() const { return m_ChildCount; }
    CZNGROUP *GetParent() const { return m_Parent; }
    void SetParent(CZNGROUP *parent) { m_Parent = parent; }
    CZNGROUP *GetRootGroup();
    // 1 when any member is selected.
    int IsSelected() const;
    // The box around all descendants; an empty group gives the inverted box 1e7 .. -1e7.
    ZNBBOX *GetBoundingBox(ZNBBOX *box, int flag) const;
    // Removes and deletes nested groups left empty; returns the remaining child count.
    DWORD RemoveEmptyGroups();
    // Frees the name and the child array and clears every member's parent link.
    void Clear();
    // Takes member out of parent (nothing when parent is null); when its tree is then left
    // without any object, the root group is cleared and deleted. Brushes, entities and overlays
    // leave their group this way.
    static void FreeFromParent(CZNGROUP *parent, void *member);
    // The group an object names as its parent; null for none or an unknown type.
    static CZNGROUP *GetChildParent(void *object);

    // The name is a string made with new[], owned by the group; null when unnamed.
    const char *GetName() const { return m_Name; }
    // Takes ownership of name (made with new[]), freeing the old one.
    void SetName(char *name);

private:
    bool SetChildParent(void *object, CZNGROUP *parent);
    void MergeChildBounds(ZNBBOX *box, int flag) const;
    void RemoveAt(DWORD index);

    // Read through the object-type byte by code that walks mixed lists, never by name.
    [[maybe_unused]] DWORD m_ObjectType;
    char *m_Name;
    CZNGROUP *m_Parent;
    void **m_Children;
    DWORD m_ChildCount;
};
