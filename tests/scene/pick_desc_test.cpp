#include <gtest/gtest.h>

#include "scene/brush.h"
#include "scene/face_pick_desc.h"
#include "scene/object_type.h"
#include "scene/vertex_pick_desc.h"

namespace
{

TEST(FacePickDesc, ListsBrushAndOverlayFacesInOrderWithDuplicates)
{
    ZNFACEPICKDESC list;
    EXPECT_EQ(list.m_Tag, 'd');
    EXPECT_EQ(list.GetCount(), 0u);
    ZNBRUSH brush;
    BYTE overlay[16] = {ZNOBJECT_OVERLAY};
    BYTE entity[16] = {ZNOBJECT_ENTITY};
    BYTE group[16] = {ZNOBJECT_GROUP};
    EXPECT_EQ(list.Add(3, &brush), 1);
    EXPECT_EQ(list.Add(0, entity), 0);
    EXPECT_EQ(list.Add(0, group), 0);
    EXPECT_EQ(list.Add(0, nullptr), 0);
    EXPECT_EQ(list.Add(7, overlay), 1);
    EXPECT_EQ(list.Add(3, &brush), 1);
    ASSERT_EQ(list.GetCount(), 3u);
    const DWORD faces[] = {3, 7, 3};
    const void *objects[] = {&brush, overlay, &brush};
    for (DWORD i = 0; i < 3; ++i) {
        EXPECT_EQ(list.GetFace(i), faces[i]) << i;
        EXPECT_EQ(list.GetObject(i), objects[i]) << i;
    }
    EXPECT_EQ(list.GetObject(3), nullptr);

    list.m_Current = 2;
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.m_Current, 0u);
    EXPECT_EQ(list.m_Faces, nullptr);
    EXPECT_EQ(list.Add(1, &brush), 1);
    EXPECT_EQ(list.GetFace(0), 1u);
}

TEST(VertexPickDesc, ListsEveryTripleInOrder)
{
    ZNVERTEXPICKDESC list;
    EXPECT_EQ(list.m_Tag, 'f');
    ZNBRUSH a, b;
    EXPECT_EQ(list.Add(2, 5, &a), 1);
    EXPECT_EQ(list.Add(0, 1, &b), 1);
    EXPECT_EQ(list.Add(2, 5, &a), 1);
    ASSERT_EQ(list.GetCount(), 3u);
    EXPECT_EQ(list.GetVertex(1), 0u);
    EXPECT_EQ(list.GetFace(1), 1u);
    EXPECT_EQ(list.GetBrush(1), &b);
    EXPECT_EQ(list.GetBrush(2), &a);
    EXPECT_EQ(list.GetBrush(3), nullptr);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.m_Brushes, nullptr);
}

} // namespace
