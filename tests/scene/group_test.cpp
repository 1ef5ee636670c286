#include <gtest/gtest.h>

#include <cstring>

#include "scene/group.h"
#include "scene/object_type.h"

namespace
{

char *NewName(const char *text)
{
    char *name = new char[std::strlen(text) + 1];
    std::strcpy(name, text);
    return name;
}

} // namespace

TEST(Group, NewGroupIsEmpty)
{
    CZNGROUP group;
    EXPECT_EQ(GetObjectType(&group), ZNOBJECT_GROUP);
    EXPECT_EQ(group.GetChildCount(), 0u);
    EXPECT_EQ(group.GetChild(0), nullptr);
    EXPECT_EQ(group.GetParent(), nullptr);
    EXPECT_EQ(group.GetName(), nullptr);
    EXPECT_EQ(group.IsSelected(), 0);
    EXPECT_EQ(group.GetRootGroup(), &group);
    ZNBBOX box;
    EXPECT_EQ(group.GetBoundingBox(&box, 0), &box);
    EXPECT_EQ(box.Min, D3DXVECTOR3(1e7f, 1e7f, 1e7f));
    EXPECT_EQ(box.Max, D3DXVECTOR3(-1e7f, -1e7f, -1e7f));
}

TEST(Group, AddAndRemoveKeepParentLinksConsistent)
{
    CZNGROUP outer, a, b, c;
    EXPECT_EQ(outer.AddChild(nullptr), 0);
    EXPECT_EQ(outer.AddChild(&outer), 0);
    EXPECT_EQ(outer.AddChild(&a), 1);
    EXPECT_EQ(outer.AddChild(&b), 1);
    EXPECT_EQ(outer.AddChild(&c), 1);
    EXPECT_EQ(outer.AddChild(&b), 1); // already a member: unchanged
    ASSERT_EQ(outer.GetChildCount(), 3u);
    for (CZNGROUP *g : {&a, &b, &c})
        EXPECT_EQ(g->GetParent(), &outer);

    // Removal keeps the order of the rest and clears the link.
    outer.RemoveChild(&b);
    EXPECT_EQ(b.GetParent(), nullptr);
    ASSERT_EQ(outer.GetChildCount(), 2u);
    EXPECT_EQ(outer.GetChild(0), &a);
    EXPECT_EQ(outer.GetChild(1), &c);
    outer.RemoveChild(&b); // not a member: nothing
    EXPECT_EQ(outer.GetChildCount(), 2u);

    // A group can never take in one of its ancestors.
    EXPECT_EQ(a.AddChild(&b), 1);
    EXPECT_EQ(b.AddChild(&outer), 0);
    EXPECT_EQ(b.AddChild(&a), 0);
    EXPECT_EQ(b.GetChildCount(), 0u);

    // Moving a member into another group takes it out of the first.
    EXPECT_EQ(c.AddChild(&b), 1);
    EXPECT_EQ(b.GetParent(), &c);
    EXPECT_EQ(a.GetChildCount(), 0u);

    outer.RemoveChild(&a);
    outer.RemoveChild(&c);
    EXPECT_EQ(outer.GetChildCount(), 0u);
    EXPECT_EQ(outer.GetChild(0), nullptr);
    EXPECT_EQ(a.GetParent(), nullptr);
    EXPECT_EQ(c.GetParent(), nullptr);
    c.RemoveChild(&b);
}

TEST(Group, RootGroupOfANestedGroup)
{
    CZNGROUP top, middle, inner, deepest;
    top.AddChild(&middle);
    middle.AddChild(&inner);
    inner.AddChild(&deepest);
    EXPECT_EQ(deepest.GetRootGroup(), &top);
    EXPECT_EQ(middle.GetRootGroup(), &top);
    EXPECT_EQ(top.GetRootGroup(), &top);
    // Destroying a group leaves its members without a parent.
    inner.Clear();
    EXPECT_EQ(deepest.GetParent(), nullptr);
}

TEST(Group, RemoveEmptyGroupsDeletesNestedGroupsLeftEmpty)
{
    // A group whose only child is an empty group.
    CZNGROUP outer;
    auto *empty = new CZNGROUP;
    empty->SetName(NewName("empty"));
    outer.AddChild(empty);
    EXPECT_EQ(outer.RemoveEmptyGroups(), 0u);
    EXPECT_EQ(outer.GetChildCount(), 0u);

    // Chains of empty groups go at once; a group with a member stays.
    CZNGROUP root;
    auto *chain = new CZNGROUP;
    auto *link = new CZNGROUP;
    chain->AddChild(link);
    auto *kept = new CZNGROUP;
    auto *leaf = new CZNGROUP;
    // A member of a type groups leave alone.
    BYTE member[16] = {ZNOBJECT_CAMERA};
    kept->AddChild(leaf);
    leaf->AddChild(member);
    auto *last = new CZNGROUP;
    root.AddChild(chain);
    root.AddChild(kept);
    root.AddChild(last);
    EXPECT_EQ(root.RemoveEmptyGroups(), 1u);
    ASSERT_EQ(root.GetChild(0), kept);
    EXPECT_EQ(kept->GetChild(0), leaf);
    EXPECT_EQ(leaf->GetChildCount(), 1u);
    root.RemoveChild(kept);
    kept->RemoveChild(leaf);
    delete kept;
    delete leaf;
}

TEST(Group, ClearFreesNameAndUnlinksMembers)
{
    CZNGROUP group, a, b;
    group.SetName(NewName("Stairs"));
    EXPECT_STREQ(group.GetName(), "Stairs");
    group.SetName(NewName("Stairs 2"));
    EXPECT_STREQ(group.GetName(), "Stairs 2");
    group.AddChild(&a);
    group.AddChild(&b);
    group.Clear();
    EXPECT_EQ(group.GetName(), nullptr);
    EXPECT_EQ(group.GetChildCount(), 0u);
    EXPECT_EQ(a.GetParent(), nullptr);
    EXPECT_EQ(b.GetParent(), nullptr);
}
