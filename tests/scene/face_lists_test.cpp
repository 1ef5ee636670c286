#include <gtest/gtest.h>

#include <vector>

#include "scene/face_index_list.h"
#include "scene/face_list_container.h"

namespace
{

ZNFACEINDEXLIST *MakeList(std::initializer_list<DWORD> indices)
{
    auto *list = new ZNFACEINDEXLIST;
    for (DWORD i : indices)
        EXPECT_EQ(list->AddFaceIndex(i), 1);
    return list;
}

} // namespace

TEST(FaceIndexList, GrowsByOneAndAnswersOutOfRangeWithMinusOne)
{
    ZNFACEINDEXLIST list;
    EXPECT_EQ(list.GetIndexCount(), 0u);
    EXPECT_EQ(list.GetIndices(), nullptr);
    EXPECT_EQ(list.GetIndex(0), -1);
    list.AddFaceIndex(4);
    list.AddFaceIndex(9);
    list.AddFaceIndex(4);
    EXPECT_EQ(list.GetIndexCount(), 3u);
    EXPECT_EQ(list.GetIndex(0), 4);
    EXPECT_EQ(list.GetIndex(1), 9);
    EXPECT_EQ(list.GetIndex(2), 4);
    EXPECT_EQ(list.GetIndex(3), -1);

    // Copies take their own array.
    ZNFACEINDEXLIST copy(list);
    ZNFACEINDEXLIST assigned;
    assigned.AddFaceIndex(1);
    assigned = list;
    for (ZNFACEINDEXLIST *c : {&copy, &assigned}) {
        EXPECT_NE(c->GetIndices(), list.GetIndices());
        ASSERT_EQ(c->GetIndexCount(), 3u);
        EXPECT_EQ(c->GetIndex(1), 9);
    }
    list.GetIndices()[1] = 77;
    EXPECT_EQ(copy.GetIndex(1), 9);
    assigned = assigned;
    EXPECT_EQ(assigned.GetIndex(2), 4);
}

// A list made with its indices in its own block behaves as any other: it grows, is replaced,
// copied and assigned, and is deleted with delete, whichever state its indices are in.
TEST(FaceIndexList, MadeInOneBlockGrowsCopiesAndDeletes)
{
    const DWORD three[] = {5, 6, 7};
    std::vector<ZNFACEINDEXLIST *> made;
    for (int step = 0; step < 5; ++step) {
        ZNFACEINDEXLIST *list = ZNFACEINDEXLIST::Make(three, 3);
        ASSERT_TRUE(list);
        ASSERT_EQ(list->GetIndexCount(), 3u);
        EXPECT_EQ(list->GetIndex(2), 7);
        if (step == 1) {
            EXPECT_EQ(list->AddFaceIndex(8), 1);
            EXPECT_EQ(list->AddFaceIndex(9), 1);
            ASSERT_EQ(list->GetIndexCount(), 5u);
            EXPECT_EQ(list->GetIndex(0), 5);
            EXPECT_EQ(list->GetIndex(4), 9);
        } else if (step == 2) {
            const DWORD one[] = {42};
            EXPECT_EQ(list->SetIndices(one, 1), 1);
            EXPECT_EQ(list->GetIndex(0), 42);
            EXPECT_EQ(list->GetIndexCount(), 1u);
        } else if (step == 3) {
            ZNFACEINDEXLIST plain;
            plain.AddFaceIndex(1);
            *list = plain;
            EXPECT_EQ(list->GetIndex(0), 1);
            ZNFACEINDEXLIST *empty = ZNFACEINDEXLIST::Make(three, 0);
            ASSERT_TRUE(empty);
            EXPECT_EQ(empty->GetIndices(), nullptr);
            *empty = *list;
            EXPECT_EQ(empty->GetIndex(0), 1);
            delete empty;
        } else if (step == 4) {
            ZNFACEINDEXLIST copy(*list);
            EXPECT_NE(copy.GetIndices(), list->GetIndices());
            EXPECT_EQ(copy.GetIndex(1), 6);
        }
        made.push_back(list);
    }
    ZNFACELISTCONTAINER container;
    EXPECT_EQ(container.AddFaceIndexLists(made.data(), static_cast<DWORD>(made.size())), 1);
    ZNFACELISTCONTAINER deep(container);
    EXPECT_EQ(deep.GetFaceIndexList(1)->GetIndex(4), 9);
    EXPECT_EQ(ZNFACEINDEXLIST::Make(nullptr, 2), nullptr);
}

TEST(FaceListContainer, OwnsItsListsAndCopiesDeeply)
{
    ZNFACELISTCONTAINER container;
    EXPECT_EQ(container.AddFaceIndexList(nullptr), 0);
    EXPECT_EQ(container.AddFaceIndexListCopy(nullptr), 0);
    EXPECT_EQ(container.AddFaceIndexList(MakeList({0, 1, 2})), 1);
    EXPECT_EQ(container.AddFaceIndexList(MakeList({3})), 1);
    ZNFACEINDEXLIST outside;
    outside.AddFaceIndex(8);
    EXPECT_EQ(container.AddFaceIndexListCopy(&outside), 1);
    ASSERT_EQ(container.GetFaceIndexListCount(), 3u);
    EXPECT_NE(container.GetFaceIndexList(2), &outside);
    EXPECT_EQ(container.GetFaceIndexList(2)->GetIndex(0), 8);
    EXPECT_EQ(container.GetFaceIndexList(3), nullptr);
    EXPECT_EQ(container.GetFaceIndexListArray()[1]->GetIndex(0), 3);

    ZNFACELISTCONTAINER copy;
    EXPECT_EQ(copy.InitFromContainer(nullptr), 0);
    copy.AddFaceIndexList(MakeList({5}));
    EXPECT_EQ(copy.InitFromContainer(nullptr), 0);
    EXPECT_EQ(copy.GetFaceIndexListCount(), 1u);
    EXPECT_EQ(copy.InitFromContainer(&container), 1);
    ASSERT_EQ(copy.GetFaceIndexListCount(), 3u);
    EXPECT_EQ(copy.GetFaceIndexList(0)->GetIndexCount(), 3u);
    EXPECT_NE(copy.GetFaceIndexList(0), container.GetFaceIndexList(0));

    // Changing the source afterwards leaves the copy alone.
    container.GetFaceIndexList(0)->AddFaceIndex(99);
    container.GetFaceIndexList(0)->GetIndices()[0] = 42;
    EXPECT_EQ(copy.GetFaceIndexList(0)->GetIndexCount(), 3u);
    EXPECT_EQ(copy.GetFaceIndexList(0)->GetIndex(0), 0);

    ZNFACELISTCONTAINER constructed(container);
    ZNFACELISTCONTAINER assigned;
    assigned = container;
    assigned = assigned;
    for (ZNFACELISTCONTAINER *c : {&constructed, &assigned}) {
        ASSERT_EQ(c->GetFaceIndexListCount(), 3u);
        EXPECT_NE(c->GetFaceIndexList(1), container.GetFaceIndexList(1));
        EXPECT_EQ(c->GetFaceIndexList(0)->GetIndex(0), 42);
        EXPECT_EQ(c->GetFaceIndexList(0)->GetIndex(3), 99);
    }

    ZNFACELISTCONTAINER empty;
    EXPECT_EQ(copy.InitFromContainer(&empty), 1);
    EXPECT_EQ(copy.GetFaceIndexListCount(), 0u);
    EXPECT_EQ(copy.GetFaceIndexListArray(), nullptr);

    container.Reset();
    EXPECT_EQ(container.GetFaceIndexListCount(), 0u);
    EXPECT_EQ(container.GetFaceIndexList(0), nullptr);
}

TEST(FaceListContainer, TakesListsMadeInOneBlockTogether)
{
    // A list filled in one block replaces what it held; nothing given means empty.
    ZNFACEINDEXLIST list;
    list.AddFaceIndex(7);
    const DWORD indices[] = {2, 5, 2, 9};
    EXPECT_EQ(list.SetIndices(indices, 4), 1);
    ASSERT_EQ(list.GetIndexCount(), 4u);
    EXPECT_NE(list.GetIndices(), indices);
    EXPECT_EQ(list.GetIndex(3), 9);
    EXPECT_EQ(list.SetIndices(nullptr, 2), 0);
    EXPECT_EQ(list.GetIndexCount(), 4u);
    EXPECT_EQ(list.SetIndices(nullptr, 0), 1);
    EXPECT_EQ(list.GetIndexCount(), 0u);
    EXPECT_EQ(list.GetIndices(), nullptr);

    // Lists appended together follow those already held, in order; a null among them is refused
    // and nothing is taken.
    ZNFACELISTCONTAINER container;
    container.AddFaceIndexList(MakeList({1}));
    ZNFACEINDEXLIST *made[] = {MakeList({2, 3}), MakeList({4})};
    ZNFACEINDEXLIST *withNull[] = {made[0], nullptr};
    EXPECT_EQ(container.AddFaceIndexLists(withNull, 2), 0);
    EXPECT_EQ(container.AddFaceIndexLists(nullptr, 1), 0);
    EXPECT_EQ(container.GetFaceIndexListCount(), 1u);
    EXPECT_EQ(container.AddFaceIndexLists(nullptr, 0), 1);
    EXPECT_EQ(container.AddFaceIndexLists(made, 2), 1);
    ASSERT_EQ(container.GetFaceIndexListCount(), 3u);
    EXPECT_EQ(container.GetFaceIndexList(1), made[0]);
    EXPECT_EQ(container.GetFaceIndexList(2), made[1]);
    EXPECT_EQ(container.GetFaceIndexList(1)->GetIndex(1), 3);
}
