#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "scene/container.h"

namespace {
void *P(uintptr_t v) { return reinterpret_cast<void *>(v); }
} // namespace

TEST(Container, GrowsInStepsOfFiveAndKeepsOrder)
{
    CZNCONTAINER c;
    EXPECT_EQ(c.GetElementCount(), 0u);
    EXPECT_EQ(c.GetElements(), nullptr);
    EXPECT_EQ(c.AddElement(P(1)), 1u);
    EXPECT_EQ(c.GetCapacity(), 5u);
    for (uintptr_t i = 2; i <= 5; ++i)
        c.AddElement(P(i));
    EXPECT_EQ(c.GetCapacity(), 5u);
    EXPECT_EQ(c.AddElement(P(6)), 6u);
    EXPECT_EQ(c.GetCapacity(), 10u);
    for (DWORD i = 0; i < 6; ++i)
        EXPECT_EQ(c.GetElement(i), P(i + 1));
    EXPECT_EQ(c.GetElement(6), nullptr);
    EXPECT_EQ(c.SetElement(6, P(9)), 0);
    EXPECT_EQ(c.SetElement(5, P(9)), 1);
    EXPECT_EQ(c.GetElement(5), P(9));

    c.SetResizeAmount(0);
    EXPECT_EQ(c.GetResizeAmount(), 5u);
    c.SetResizeAmount(100);
    for (uintptr_t i = 0; i < 5; ++i)
        c.AddElement(P(100 + i));
    EXPECT_EQ(c.GetCapacity(), 110u);
    c.Optimize();
    EXPECT_EQ(c.GetCapacity(), 11u);
    EXPECT_EQ(c.GetElement(10), P(104));

    c.EmptyContainer();
    EXPECT_EQ(c.GetElementCount(), 0u);
    EXPECT_EQ(c.GetCapacity(), 11u);
}

TEST(Container, UniqueAppendAndRemoval)
{
    CZNCONTAINER c;
    c.AddElement(P(10));
    c.AddElement(P(20));
    c.AddElement(P(30));
    EXPECT_EQ(c.AddElementUnique(P(30)), 2u);
    EXPECT_EQ(c.AddElementUnique(P(40)), 4u);
    EXPECT_EQ(c.GetElementCount(), 4u);

    c.AddElement(P(20));
    c.RemoveElement(P(99)); // absent: nothing changes
    EXPECT_EQ(c.GetElementCount(), 5u);
    c.RemoveElement(P(20)); // only the first occurrence goes
    std::vector<void *> rest;
    for (DWORD i = 0; i < c.GetElementCount(); ++i)
        rest.push_back(c.GetElement(i));
    EXPECT_EQ(rest, (std::vector<void *>{P(10), P(30), P(40), P(20)}));
    c.RemoveElement(P(20)); // the last element
    EXPECT_EQ(c.GetElementCount(), 3u);
    EXPECT_EQ(c.GetElement(2), P(40));
}

TEST(Container, AllocateElements)
{
    CZNCONTAINER c;
    c.AddElement(P(1));
    c.AddElement(P(2));
    void **block = c.GetElements();
    EXPECT_EQ(c.AllocateElements(2), block);
    EXPECT_EQ(c.GetElementCount(), 2u);
    EXPECT_EQ(c.GetCapacity(), 5u);
    void **grown = c.AllocateElements(8);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(c.GetElementCount(), 8u);
    EXPECT_EQ(c.GetCapacity(), 8u);
    EXPECT_EQ(grown[1], P(2));
}

namespace {
int g_compareCalls = 0;
int CompareValues(const void *a, const void *b)
{
    ++g_compareCalls;
    auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}
} // namespace

TEST(Container, SortPassesElementValues)
{
    CZNCONTAINER empty, one;
    g_compareCalls = 0;
    empty.Sort(CompareValues);
    one.AddElement(P(5));
    one.Sort(CompareValues);
    EXPECT_EQ(g_compareCalls, 0);

    const std::vector<uintptr_t> inputs[] = {
        {5, 3, 9, 1, 7},
        {1, 2, 3, 4, 5, 6},
        {9, 8, 7, 6, 5, 4, 3, 2, 1},
        {4, 4, 1, 4, 2, 2, 9},
    };
    for (const auto &input : inputs) {
        CZNCONTAINER c;
        for (uintptr_t v : input)
            c.AddElement(P(v));
        c.Sort(CompareValues);
        std::vector<uintptr_t> sorted(input);
        std::sort(sorted.begin(), sorted.end());
        for (DWORD i = 0; i < c.GetElementCount(); ++i)
            EXPECT_EQ(reinterpret_cast<uintptr_t>(c.GetElement(i)), sorted[i]);
    }
}

TEST(Container, CopiesOwnTheirBlock)
{
    auto *original = new CZNCONTAINER;
    original->AddElement(P(1));
    original->AddElement(P(2));
    CZNCONTAINER copy(*original);
    CZNCONTAINER assigned;
    assigned.AddElement(P(7));
    assigned = *original;
    EXPECT_NE(copy.GetElements(), original->GetElements());
    EXPECT_NE(assigned.GetElements(), original->GetElements());
    delete original; // the copies must stay valid
    EXPECT_EQ(copy.GetElementCount(), 2u);
    EXPECT_EQ(copy.GetElement(1), P(2));
    EXPECT_EQ(assigned.GetElement(0), P(1));
    copy.AddElement(P(3));
    EXPECT_EQ(copy.GetElement(2), P(3));
}
