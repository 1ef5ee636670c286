#include <gtest/gtest.h>

#include <cstring>

#include "scene/brush.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "support/shapes.h"

namespace
{

char *NewName(const char *text)
{
    char *name = new char[std::strlen(text) + 1];
    std::strcpy(name, text);
    return name;
}

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

std::vector<D3DXVECTOR3> Positions(ZNBRUSH &brush)
{
    std::vector<D3DXVECTOR3> out;
    for (DWORD i = 0; i < brush.GetFaceCount(); ++i)
        for (short j = 0; j < brush.GetFace(i)->GetVertexCount(); ++j)
            out.push_back(brush.GetFace(i)->GetVector(j));
    return out;
}

} // namespace

TEST(BrushModel, NewBrushIsEmpty)
{
    ZNBRUSH brush;
    EXPECT_EQ(GetObjectType(&brush), ZNOBJECT_BRUSH);
    EXPECT_EQ(brush.GetFaceCount(), 0u);
    EXPECT_EQ(brush.GetFaces(), nullptr);
    EXPECT_EQ(brush.GetFace(0), nullptr);
    EXPECT_EQ(brush.m_Next, nullptr);
    EXPECT_EQ(brush.GetParent(), nullptr);
    EXPECT_EQ(brush.m_Name, nullptr);
    EXPECT_EQ(brush.m_Flags, 0u);
    EXPECT_EQ(brush.IsBrushSelected(), 0);
    EXPECT_EQ(brush.IsCached(), 0);
    EXPECT_EQ(brush.m_Transform, Identity());
    EXPECT_EQ(brush.m_SharedFaceInfo.GetFaceIndexListCount(), 0u);

    ZNBBOX stored = brush.GetBoundingBox(0);
    EXPECT_EQ(stored.Min, D3DXVECTOR3(100000, 100000, 100000));
    EXPECT_EQ(stored.Max, D3DXVECTOR3(-100000, -100000, -100000));
    ZNBBOX computed = brush.GetBoundingBox(1);
    EXPECT_EQ(computed.Min, D3DXVECTOR3(1000000, 1000000, 1000000));
    EXPECT_EQ(computed.Max, D3DXVECTOR3(-1000000, -1000000, -1000000));
    EXPECT_EQ(brush.GetBoundingBox(0).Min, computed.Min);
}

TEST(BrushModel, CopyConstructorTakesOnlyBrushes)
{
    ZNBRUSH fromNull(nullptr);
    EXPECT_EQ(fromNull.GetFaceCount(), 0u);

    // A group's first byte is 2: not a brush.
    CZNGROUP group;
    ZNBRUSH fromGroup(reinterpret_cast<ZNBRUSH *>(&group));
    EXPECT_EQ(fromGroup.GetFaceCount(), 0u);
    EXPECT_EQ(fromGroup.GetBoundingBox(0).Min, D3DXVECTOR3(100000, 100000, 100000));
}

TEST(BrushModel, AddFacesAppendsOrReportsMinusOne)
{
    ZNBRUSH brush;
    EXPECT_EQ(brush.AddFaces(0, 4), -1);
    EXPECT_EQ(brush.GetFaceCount(), 0u);
    EXPECT_EQ(brush.GetFaces(), nullptr);
    EXPECT_EQ(brush.AddFaces(2, 4), 0);
    EXPECT_EQ(brush.AddFaces(3, 0), 2);
    ASSERT_EQ(brush.GetFaceCount(), 5u);
    EXPECT_EQ(brush.GetFace(0)->GetVertexCount(), 4);
    EXPECT_EQ(brush.GetFace(4)->GetVertexCount(), 0);
    EXPECT_EQ(brush.GetFace(5), nullptr);

    ZNFACE *triangle = brush.AddFace(static_cast<short>(3));
    ASSERT_NE(triangle, nullptr);
    EXPECT_EQ(triangle->GetVertexCount(), 3);
    EXPECT_EQ(brush.GetFace(5), triangle);
}

TEST(BrushModel, AddFaceCopiesAndAttachFaceTakesOwnership)
{
    ZNBRUSH brush;
    ZNFACE source(static_cast<short>(3));
    source.SetVertex(1, D3DXVECTOR3(1, 2, 3));
    source.m_UPos = 0.5f;
    ZNFACE *copy = brush.AddFace(&source);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, &source);
    EXPECT_EQ(copy->GetVector(1), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(copy->m_UPos, 0.5f);
    EXPECT_EQ(brush.AddFace(static_cast<ZNFACE *>(nullptr)), nullptr);
    EXPECT_EQ(brush.GetFaceCount(), 1u);

    ZNFACE *owned = new ZNFACE(static_cast<short>(4));
    EXPECT_EQ(brush.AttachFace(owned), 1);
    EXPECT_EQ(brush.AttachFace(owned), -1); // a face is held once
    EXPECT_EQ(brush.AttachFace(nullptr), -1);
    ZNFACE overlayFace;
    overlayFace.m_ObjectType = ZNOBJECT_OVERLAYFACE;
    EXPECT_EQ(brush.AttachFace(&overlayFace), -1);
    EXPECT_EQ(brush.GetFaceCount(), 2u);
}

TEST(BrushModel, DetachAndDeleteKeepTheOrder)
{
    ZNBRUSH brush;
    ASSERT_EQ(brush.AddFaces(3, 3), 0);
    ZNFACE *a = brush.GetFace(0), *b = brush.GetFace(1), *c = brush.GetFace(2);

    EXPECT_EQ(brush.DetachFace(3u), nullptr);
    ZNFACE *detached = brush.DetachFace(1u);
    EXPECT_EQ(detached, b);
    ASSERT_EQ(brush.GetFaceCount(), 2u);
    EXPECT_EQ(brush.GetFace(0), a);
    EXPECT_EQ(brush.GetFace(1), c);
    EXPECT_EQ(brush.DetachFace(detached), 0); // no longer there
    delete detached;

    ZNFACE stranger;
    EXPECT_EQ(brush.DeleteFace(&stranger), 0);
    EXPECT_EQ(brush.DeleteFace(a), 1);
    ASSERT_EQ(brush.GetFaceCount(), 1u);
    EXPECT_EQ(brush.GetFace(0), c);
    EXPECT_EQ(brush.DetachFace(c), 1);
    EXPECT_EQ(brush.GetFaceCount(), 0u);
    EXPECT_EQ(brush.GetFaces(), nullptr);
    delete c;
}

TEST(BrushModel, CopyIsDeepAndKeepsItsOwnSnapshot)
{
    ZNBRUSH cube;
    ZnBuildBox(cube, {0, 0, 0}, {10, 10, 10});
    cube.m_Name = NewName("Cube01");
    cube.m_Flags = ZNBRUSH_DETAIL;
    cube.SelectBrush(1);
    cube.GetFace(2)->m_UPos = 3.0f;

    ZNBRUSH copy(&cube);
    ASSERT_EQ(copy.GetFaceCount(), 6u);
    EXPECT_EQ(Positions(copy), Positions(cube));
    ASSERT_NE(copy.m_Name, nullptr);
    EXPECT_NE(copy.m_Name, cube.m_Name);
    EXPECT_STREQ(copy.m_Name, "Cube01");
    EXPECT_EQ(copy.m_Flags, ZNBRUSH_DETAIL);
    EXPECT_EQ(copy.IsBrushSelected(), 1);
    EXPECT_EQ(copy.m_Transform, cube.m_Transform);
    EXPECT_EQ(copy.GetBoundingBox(0).Max, D3DXVECTOR3(10, 10, 10));
    EXPECT_EQ(copy.GetFace(2)->m_UPos, 3.0f);
    EXPECT_EQ(copy.m_SharedFaceInfo.GetFaceIndexListCount(), cube.m_SharedFaceInfo.GetFaceIndexListCount());
    for (DWORD i = 0; i < 6; ++i)
        EXPECT_NE(copy.GetFace(i), cube.GetFace(i));

    // Changing the copy leaves the source alone.
    D3DXVECTOR3 up(0, 5, 0);
    copy.MoveBrush(&up, 0);
    EXPECT_EQ(cube.GetFace(0)->GetVector(0).y, 0.0f);

    // Copying over a brush with another face count; the destination's snapshot stays its own.
    ZNBRUSH other;
    ZnBuildWedge(other, {0, 0, 0}, {4, 4, 4});
    other.Cache(ZNCACHE_FULL);
    other.CopyBrush(&cube);
    EXPECT_EQ(other.GetFaceCount(), 6u);
    EXPECT_EQ(other.IsCached(), 1);
    EXPECT_EQ(Positions(other), Positions(cube));

    ZNBRUSH assigned;
    assigned = cube;
    EXPECT_EQ(Positions(assigned), Positions(cube));
    EXPECT_STREQ(assigned.m_Name, "Cube01");
}

TEST(BrushModel, VertexSnapshotRestoresVerticesOnly)
{
    ZNBRUSH cube;
    ZnBuildBox(cube, {0, 0, 0}, {10, 10, 10});
    const std::vector<D3DXVECTOR3> start = Positions(cube);

    cube.Cache(ZNCACHE_MOVE);
    EXPECT_EQ(cube.IsCached(), 1);
    for (DWORD i = 0; i < cube.GetFaceCount(); ++i) {
        ZNFACE *face = cube.GetFace(i);
        for (short j = 0; j < face->GetVertexCount(); ++j)
            face->SetVertex(j, face->GetVector(j) * 3.0f + D3DXVECTOR3(1, 2, 3));
        face->m_UPos = 7.0f;
    }
    cube.RestoreFromCache(ZNCACHE_MOVE);
    EXPECT_EQ(Positions(cube), start);
    EXPECT_EQ(cube.GetFace(0)->m_UPos, 7.0f); // texture settings are not part of the snapshot
    EXPECT_EQ(cube.IsCached(), 1);            // the snapshot stays until cleared
    cube.ClearCache();
    EXPECT_EQ(cube.IsCached(), 0);
}

TEST(BrushModel, FullSnapshotRestoresEverythingButListAndGroup)
{
    ZNBRUSH cube, neighbour;
    ZnBuildBox(cube, {0, 0, 0}, {10, 10, 10});
    cube.GetFace(0)->m_UPos = 1.0f;
    cube.Cache(ZNCACHE_FULL);

    cube.GetFace(0)->m_UPos = 9.0f;
    cube.AddFaces(2, 3);
    CZNGROUP *group = new CZNGROUP;
    group->AddChild(&cube);
    cube.m_Next = &neighbour;

    cube.RestoreFromCache(ZNCACHE_FULL);
    EXPECT_EQ(cube.GetFaceCount(), 6u);
    EXPECT_EQ(cube.GetFace(0)->m_UPos, 1.0f);
    EXPECT_EQ(cube.m_Next, &neighbour);
    EXPECT_EQ(cube.GetParent(), group);

    cube.m_Next = nullptr;
    cube.FreeFromParent(); // deletes the group it leaves empty
    EXPECT_EQ(cube.GetParent(), nullptr);
}

TEST(BrushModel, VertexSnapshotIsNotForcedOntoChangedFaces)
{
    ZNBRUSH cube;
    ZnBuildBox(cube, {0, 0, 0}, {10, 10, 10});
    ZNBRUSH start(&cube);
    cube.Cache(ZNCACHE_MOVE);

    // One face more: the snapshot no longer describes the brush and nothing is restored.
    D3DXVECTOR3 offset(0, 0, 4);
    cube.MoveBrush(&offset, 0);
    const std::vector<D3DXVECTOR3> moved = Positions(cube);
    ZNFACE *extra = cube.AddFace(static_cast<short>(3));
    ASSERT_NE(extra, nullptr);
    cube.RestoreFromCache(ZNCACHE_MOVE);
    cube.DeleteFace(extra);
    EXPECT_EQ(Positions(cube), moved);

    // One face with a vertex more: only that face keeps its vertices.
    ZNFACE *top = cube.GetFace(5);
    top->InsertVertex(1);
    top->SetVertex(1, D3DXVECTOR3(5, 0, 14));
    cube.RestoreFromCache(ZNCACHE_MOVE);
    EXPECT_EQ(top->GetVertexCount(), 5);
    EXPECT_EQ(top->GetVector(1), D3DXVECTOR3(5, 0, 14));
    for (DWORD i = 0; i < 5; ++i)
        for (short j = 0; j < 4; ++j)
            EXPECT_EQ(cube.GetFace(i)->GetVector(j), start.GetFace(i)->GetVector(j)) << i << " " << j;

    // A full snapshot brings back the face count.
    ZNBRUSH wedge;
    ZnBuildWedge(wedge, {0, 0, 0}, {8, 8, 8});
    wedge.Cache(ZNCACHE_FULL);
    wedge.AddFaces(1, 3);
    wedge.RestoreFromCache(ZNCACHE_FULL);
    EXPECT_EQ(wedge.GetFaceCount(), 5u);
}

TEST(BrushModel, OtherSnapshotKindsTakeNothing)
{
    ZNBRUSH cube;
    ZnBuildBox(cube, {0, 0, 0}, {1, 1, 1});
    for (DWORD kind : {0u, 5u}) {
        cube.Cache(ZNCACHE_MOVE);
        cube.Cache(kind);
        EXPECT_EQ(cube.IsCached(), 0) << kind;
    }
    cube.RestoreFromCache(ZNCACHE_MOVE); // without a snapshot: nothing
    EXPECT_EQ(cube.GetFaceCount(), 6u);
    EXPECT_EQ(cube.GenerateHollowBrush(2.0f), nullptr);
    EXPECT_EQ(cube.GetFaceCount(), 6u);

    // A brush destroyed with a snapshot releases both.
    ZNBRUSH *held = new ZNBRUSH(&cube);
    held->Cache(ZNCACHE_FULL);
    delete held;
}

TEST(BrushModel, GroupsSeeTheirBrushes)
{
    CZNGROUP *root = new CZNGROUP;
    CZNGROUP *inner = new CZNGROUP;
    ZNBRUSH cube, wedge;
    ZnBuildBox(cube, {0, 0, 0}, {64, 64, 64});
    ZnBuildWedge(wedge, {100, 0, 0}, {110, 5, 5});
    ASSERT_EQ(root->AddChild(inner), 1);
    ASSERT_EQ(inner->AddChild(&wedge), 1);
    ASSERT_EQ(root->AddChild(&cube), 1);
    EXPECT_EQ(cube.GetParent(), root);
    EXPECT_EQ(wedge.GetParent(), inner);

    EXPECT_EQ(root->IsSelected(), 0);
    wedge.SelectBrush(1);
    EXPECT_EQ(root->IsSelected(), 1);
    ZNBBOX box;
    root->GetBoundingBox(&box, 0);
    EXPECT_EQ(box.Min, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(box.Max, D3DXVECTOR3(110, 64, 64));

    // Moving a brush into another group takes it out of the first.
    CZNGROUP other;
    ASSERT_EQ(other.AddChild(&cube), 1);
    EXPECT_EQ(cube.GetParent(), &other);
    EXPECT_EQ(root->GetChildCount(), 1u);
    other.RemoveChild(&cube);
    EXPECT_EQ(cube.GetParent(), nullptr);

    // The wedge leaves its group: the empty inner group goes, then the empty root.
    wedge.FreeFromParent();
    EXPECT_EQ(wedge.GetParent(), nullptr);
    cube.FreeFromParent(); // no group: nothing
}

TEST(BrushModel, FreeFromParentKeepsGroupsThatStillHoldMembers)
{
    CZNGROUP *root = new CZNGROUP;
    CZNGROUP *inner = new CZNGROUP;
    ZNBRUSH a, b;
    root->AddChild(inner);
    inner->AddChild(&a);
    root->AddChild(&b);

    a.FreeFromParent();
    EXPECT_EQ(a.GetParent(), nullptr);
    ASSERT_EQ(root->GetChildCount(), 1u); // the empty inner group was removed
    EXPECT_EQ(root->GetChild(0), &b);
    b.FreeFromParent(); // the root is left empty and deleted
    EXPECT_EQ(b.GetParent(), nullptr);
}
