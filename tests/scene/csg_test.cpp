#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "scene/brush.h"
#include "scene/bsp_carve.h"
#include "scene/bsp_tree.h"
#include "scene/geometry.h"
#include "solid_checks.h"
#include "support/shapes.h"

namespace
{

using BrushMaker = std::function<std::unique_ptr<ZNBRUSH>()>;

double CylinderVolume(float radius, float height, int sides)
{
    return 0.5 * sides * radius * radius * std::sin(2.0 * 3.14159265358979323846 / sides) * height;
}

TEST(SolidChecksTest, SeeOpenAndDoubledSurfaces)
{
    auto box = MakeBox({0, 0, 0}, {10, 10, 10});
    ZnSurface surface = SurfaceOf(*box);
    EXPECT_EQ(OpenEdges(surface, false), "");
    EXPECT_NEAR(SurfaceVolume(surface), 1000.0, 1e-9);
    ZnSurface open(surface.begin() + 1, surface.end());
    EXPECT_NE(OpenEdges(open, true), "");
    ZnSurface doubled = Join(surface, {surface[0]});
    EXPECT_NE(OpenEdges(doubled, true), "");
    // Two boxes side by side, the small one against the middle of the big one's face: closed
    // only when the T-junctions are allowed for, once the faces in contact are gone.
    auto small = MakeBox({10, 0, 0}, {15, 5, 5});
    ZnSurface pair = Join(SurfaceOf(*box), SurfaceOf(*small));
    EXPECT_NE(OpenEdges(pair, true), "");
}

// ---------------------------------------------------------------------------------------------
// Splitting a brush along a plane

struct SplitCase {
    const char *name;
    BrushMaker make;
    D3DXVECTOR3 point;
    D3DXVECTOR3 normal; // unit length
};

// Failing cases print their name, not their bytes.
void PrintTo(const SplitCase &c, std::ostream *os)
{
    *os << c.name;
}

class ClipBrushTest : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(ClipBrushTest, TwoClosedPiecesMakeTheWhole)
{
    const SplitCase &c = GetParam();
    auto brush = c.make();
    const double whole = SurfaceVolume(SurfaceOf(*brush));
    ASSERT_GT(whole, 0.0);
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(brush.get()), 1);
    tree.ClipBrush(&c.point, &c.normal);

    const ZnSurface front = SurfaceOfList(tree.m_FrontResult), back = SurfaceOfList(tree.m_BackResult);
    EXPECT_EQ(OpenEdges(front, true), "");
    EXPECT_EQ(OpenEdges(back, true), "");
    const double vf = SurfaceVolume(front), vb = SurfaceVolume(back);
    EXPECT_GT(vf, 0.0);
    EXPECT_GT(vb, 0.0);
    EXPECT_NEAR(vf + vb, whole, whole * 1e-4);

    // Each piece lies on its side of the plane; its cap is on the plane facing the other piece.
    for (const CZNBSPPOLYGON *p = tree.m_FrontResult; p; p = p->m_Next)
        for (int i = 0; i < p->m_VertexCount; ++i)
            EXPECT_NE(
                ClassifyPointPlane({p->m_Vertices[i].x, p->m_Vertices[i].y, p->m_Vertices[i].z}, c.normal, c.point),
                ZNPLANE_BACK);
    for (const CZNBSPPOLYGON *p = tree.m_BackResult; p; p = p->m_Next)
        for (int i = 0; i < p->m_VertexCount; ++i)
            EXPECT_NE(
                ClassifyPointPlane({p->m_Vertices[i].x, p->m_Vertices[i].y, p->m_Vertices[i].z}, c.normal, c.point),
                ZNPLANE_FRONT);
    int caps = 0;
    for (const CZNBSPPOLYGON *p = tree.m_FrontResult; p; p = p->m_Next)
        if (D3DXVec3Dot(&p->m_Normal, &c.normal) < -0.999f)
            ++caps;
    EXPECT_EQ(caps, 1);

    // The tree's own polygons are untouched.
    EXPECT_NEAR(SurfaceVolume(SurfaceOf(tree)), whole, whole * 1e-6);
}

const SplitCase kSplitCases[] = {
    {"CubeThroughCentre",
     [] {
         return MakeBox({-1, -1, -1}, {1, 1, 1});
     },
     {0, 0, 0},
     {0, 0, 1}},
    {"CylinderOffCentre",
     [] {
         return MakeCylinder({0, 0, 0}, 10, 20);
     },
     {3.3f, 0, 0},
     {1, 0, 0}},
    {"RotatedCylinderAcrossItsAxis",
     [] {
         return Rotated(MakeCylinder({0, 0, 0}, 10, 20), 17, 0, 0);
     },
     {0, 7.5f, 1},
     {0, 1, 0}},
    {"WedgeObliquely",
     [] {
         return MakeWedge({0, 0, 0}, {20, 10, 30});
     },
     {6, 3, 10},
     {0.6f, 0, 0.8f}},
    {"RotatedBoxObliquely",
     [] {
         return Rotated(MakeBox({0, 0, 0}, {10, 20, 30}), 0, 17, 0);
     },
     {4, 9, 12},
     {0, 0.8f, 0.6f}},
};

INSTANTIATE_TEST_SUITE_P(Shapes, ClipBrushTest, ::testing::ValuesIn(kSplitCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ClipBrushTest, CubeThroughItsCentreGivesSixPolygonsPerPiece)
{
    auto cube = MakeBox({-1, -1, -1}, {1, 1, 1});
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(cube.get()), 1);
    const D3DXVECTOR3 point(0, 0, 0), normal(0, 0, 1);
    tree.ClipBrush(&point, &normal);
    const ZnSurface front = SurfaceOfList(tree.m_FrontResult), back = SurfaceOfList(tree.m_BackResult);
    ASSERT_EQ(front.size(), 6u);
    ASSERT_EQ(back.size(), 6u);
    // No T-junctions: the cap meets the cut faces corner to corner.
    EXPECT_EQ(OpenEdges(front, false), "");
    EXPECT_EQ(OpenEdges(back, false), "");
    EXPECT_NEAR(SurfaceVolume(front), 4.0, 1e-5);
    EXPECT_NEAR(SurfaceVolume(back), 4.0, 1e-5);

    // A second split replaces the first pieces.
    const D3DXVECTOR3 miss(0, 0, 5);
    tree.ClipBrush(&miss, &normal);
    EXPECT_EQ(tree.m_FrontResult, nullptr);
    EXPECT_EQ(SurfaceOfList(tree.m_BackResult).size(), 6u);
    EXPECT_NEAR(SurfaceVolume(SurfaceOfList(tree.m_BackResult)), 8.0, 1e-5);
}

TEST(ClipBrushTest, FaceOnThePlaneGoesToTheSideOfItsSolid)
{
    auto cube = MakeBox({0, 0, 0}, {4, 4, 4});
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(cube.get()), 1);
    // The plane of the +x face: the cube lies behind it; no cap is added.
    const D3DXVECTOR3 point(4, 0, 0), normal(1, 0, 0);
    tree.ClipBrush(&point, &normal);
    EXPECT_EQ(tree.m_FrontResult, nullptr);
    const ZnSurface back = SurfaceOfList(tree.m_BackResult);
    EXPECT_EQ(back.size(), 6u);
    EXPECT_EQ(OpenEdges(back, false), "");
    // The same plane turned round: the cube lies in front.
    const D3DXVECTOR3 reversed(-1, 0, 0);
    tree.ClipBrush(&point, &reversed);
    EXPECT_EQ(tree.m_BackResult, nullptr);
    EXPECT_NEAR(SurfaceVolume(SurfaceOfList(tree.m_FrontResult)), 64.0, 1e-4);
}

// ---------------------------------------------------------------------------------------------
// Clipping trees against each other

// The surface kept when each brush's tree clips the other's polygons: the union with
// keepOutside 1, the intersection with 0. Split fragments that both survived are merged back.
ZnSurface Combine(ZNBRUSH &a, ZNBRUSH &b, int keepOutside)
{
    CZNBSPTREE ta, tb;
    EXPECT_EQ(ta.BuildFromBrush(&a), 1);
    EXPECT_EQ(tb.BuildFromBrush(&b), 1);
    EXPECT_EQ(ta.ClipTree(ta.m_RootNode, nullptr, &tb, keepOutside, 0), 1);
    EXPECT_EQ(tb.ClipTree(tb.m_RootNode, nullptr, &ta, keepOutside, 1), 1);
    ta.MergeSplitFragments();
    tb.MergeSplitFragments();
    return Join(SurfaceOf(ta), SurfaceOf(tb));
}

struct PairCase {
    const char *name;
    BrushMaker a;
    BrushMaker b;
    double intersection; // expected volume of A ∩ B; negative when only the identity is checked
};

// Failing cases print their name, not their bytes.
void PrintTo(const PairCase &c, std::ostream *os)
{
    *os << c.name;
}

class ClipTreeTest : public ::testing::TestWithParam<PairCase>
{
};

TEST_P(ClipTreeTest, UnionAndIntersectionAreClosedAndAddUp)
{
    const PairCase &c = GetParam();
    auto a = c.a();
    auto b = c.b();
    const double va = SurfaceVolume(SurfaceOf(*a)), vb = SurfaceVolume(SurfaceOf(*b));
    const double scale = va + vb;

    for (bool swapped : {false, true}) {
        SCOPED_TRACE(swapped ? "B clips first" : "A clips first");
        ZNBRUSH &first = swapped ? *b : *a;
        ZNBRUSH &second = swapped ? *a : *b;
        const ZnSurface both = Combine(first, second, 1);
        const ZnSurface common = Combine(first, second, 0);
        EXPECT_EQ(OpenEdges(both, true), "");
        EXPECT_EQ(OpenEdges(common, true), "");
        const double vu = SurfaceVolume(both), vi = SurfaceVolume(common);
        EXPECT_NEAR(vu, va + vb - vi, scale * 1e-4);
        EXPECT_GE(vi, -scale * 1e-6);
        EXPECT_LE(vi, std::min(va, vb) * (1 + 1e-4));
        EXPECT_GE(vu, std::max(va, vb) * (1 - 1e-4));
        if (c.intersection >= 0) {
            EXPECT_NEAR(vi, c.intersection, scale * 1e-4);
        }
    }
    // The brushes themselves are untouched.
    EXPECT_NEAR(SurfaceVolume(SurfaceOf(*a)), va, 1e-9);
}

// What carving a by b leaves of a's tree; b's tree is left untouched.
ZnSurface Carved(ZNBRUSH &a, ZNBRUSH &b)
{
    CZNBSPTREE ta, tb;
    EXPECT_EQ(ta.BuildFromBrush(&a), 1);
    EXPECT_EQ(tb.BuildFromBrush(&b), 1);
    CZNBSPCARVE carve(&ta, a.GetBoundingBox(0));
    carve.Carve(ZNBSPCARVER{&tb, b.GetBoundingBox(0)});
    EXPECT_EQ(tb.m_PolygonCount, b.GetFaceCount());
    EXPECT_EQ(SurfaceOf(tb).size(), b.GetFaceCount());
    return SurfaceOf(ta);
}

TEST_P(ClipTreeTest, CarveLeavesTheDifference)
{
    const PairCase &c = GetParam();
    auto a = c.a();
    auto b = c.b();
    const double va = SurfaceVolume(SurfaceOf(*a)), vb = SurfaceVolume(SurfaceOf(*b));
    for (bool swapped : {false, true}) {
        SCOPED_TRACE(swapped ? "A carves B" : "B carves A");
        ZNBRUSH &carved = swapped ? *b : *a;
        ZNBRUSH &carver = swapped ? *a : *b;
        const double common = SurfaceVolume(Combine(carved, carver, 0));
        const ZnSurface left = Carved(carved, carver);
        EXPECT_EQ(OpenEdges(left, true), "");
        EXPECT_NEAR(SurfaceVolume(left), (swapped ? vb : va) - common, (va + vb) * 1e-4);
    }
}

const PairCase kPairCases[] = {
    {"OverlappingBoxes",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({5, 5, 5}, {15, 15, 15});
     },
     125.0},
    {"BoxesSharingFacePlanes",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({5, 0, 0}, {15, 10, 10});
     },
     500.0},
    {"IdenticalBoxes",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     1000.0},
    {"DisjointBoxes",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({20, 0, 0}, {30, 10, 10});
     },
     0.0},
    {"ContainedBox",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({2, 3, 4}, {8, 7, 6});
     },
     6.0 * 4.0 * 2.0},
    {"FaceTouchingBoxes",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({10, 2, 2}, {15, 7, 7});
     },
     0.0},
    {"BoxAndRotatedBox",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return Rotated(MakeBox({4, 3, 4}, {14, 8, 12}), 0, 17, 0);
     },
     -1.0},
    {"BoxAndCylinderThroughIt",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeCylinder({5, -2, 5}, 4, 14);
     },
     CylinderVolume(4, 10, 16)},
    {"BoxAndRotatedCylinder",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return Rotated(MakeCylinder({8, -5, 3}, 4, 20), 17, 0, 17);
     },
     -1.0},
    {"WedgeAndBox",
     [] {
         return MakeWedge({0, 0, 0}, {20, 10, 10});
     },
     [] {
         return MakeBox({5, 2, -3}, {12, 20, 6});
     },
     -1.0},
};

INSTANTIATE_TEST_SUITE_P(Pairs, ClipTreeTest, ::testing::ValuesIn(kPairCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Solids that only touch, face on face, along an edge or at a point, share no volume: their
// intersection has no faces at all, while their union and the carve of one by the other keep
// both solids whole.
struct TouchCase {
    const char *name;
    BrushMaker a;
    BrushMaker b;
    bool faceContact; // the contact is an area, so the union is a closed surface
};

void PrintTo(const TouchCase &c, std::ostream *os)
{
    *os << c.name;
}

// Turned by non-grid angles about (5, 10, 5), a point of the contact in the cases above.
std::unique_ptr<ZNBRUSH> TurnedAboutContact(std::unique_ptr<ZNBRUSH> brush)
{
    D3DXVECTOR3 pivot(5, 10, 5);
    brush->Rotate(11, 0, 17, &pivot, 0);
    ZnFinishBrush(*brush);
    return brush;
}

class TouchingSolidsTest : public ::testing::TestWithParam<TouchCase>
{
};

TEST_P(TouchingSolidsTest, IntersectionIsEmptyUnionAndCarveKeepBoth)
{
    const TouchCase &c = GetParam();
    auto a = c.a();
    auto b = c.b();
    const double va = SurfaceVolume(SurfaceOf(*a)), vb = SurfaceVolume(SurfaceOf(*b));
    const double scale = va + vb;

    for (bool swapped : {false, true}) {
        SCOPED_TRACE(swapped ? "B clips first" : "A clips first");
        ZNBRUSH &first = swapped ? *b : *a;
        ZNBRUSH &second = swapped ? *a : *b;
        const double vFirst = swapped ? vb : va;

        const ZnSurface common = Combine(first, second, 0);
        EXPECT_EQ(common.size(), 0u) << "a sheet of volume " << SurfaceVolume(common);

        const ZnSurface both = Combine(first, second, 1);
        EXPECT_NEAR(SurfaceVolume(both), va + vb, scale * 1e-4);
        if (c.faceContact) {
            EXPECT_EQ(OpenEdges(both, true), "");
        }

        const ZnSurface left = Carved(first, second);
        EXPECT_EQ(OpenEdges(left, true), "");
        EXPECT_NEAR(SurfaceVolume(left), vFirst, scale * 1e-4);
    }
}

const TouchCase kTouchCases[] = {
    {"BoxesFaceOnFace",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({10, 0, 0}, {20, 10, 10});
     },
     true},
    {"SmallBoxOnABoxFace",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({10, 2, 2}, {15, 7, 7});
     },
     true},
    {"BoxesOverlappingFacesOffset",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({4, 10, 3}, {14, 16, 13});
     },
     true},
    {"BoxesAlongAnEdge",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({10, 10, 0}, {20, 20, 10});
     },
     false},
    {"BoxesAtACorner",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({10, 10, 10}, {20, 20, 20});
     },
     true},
    {"WedgeSlopeOnABoxEdge",
     [] {
         return MakeWedge({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({5, 5, 0}, {10, 10, 10});
     },
     false},
    {"WedgeEdgeOnABoxFace",
     [] {
         return MakeWedge({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({10, -5, 0}, {20, 5, 10});
     },
     false},
    {"WedgeOnABoxTop",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeWedge({2, 10, -3}, {12, 16, 7});
     },
     true},
    {"WedgesSlopeOnSlope",
     [] {
         return MakeWedge({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return Rotated(MakeWedge({0, 0, 0}, {10, 10, 10}), 0, 0, 180);
     },
     true},
    {"CylinderOnABoxTop",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeCylinder({5, 10, 5}, 4, 6);
     },
     true},
    {"CylinderSideOnABoxFace",
     [] {
         return MakeCylinder({0, 0, 5}, 5, 10);
     },
     [] {
         return MakeBox({5, 0, 0}, {15, 10, 10});
     },
     false},
    {"TurnedCylinderOnATurnedBox",
     [] {
         return TurnedAboutContact(MakeBox({0, 0, 0}, {10, 10, 10}));
     },
     [] {
         return TurnedAboutContact(MakeCylinder({5, 10, 5}, 3, 5));
     },
     true},
};

INSTANTIATE_TEST_SUITE_P(Pairs, TouchingSolidsTest, ::testing::ValuesIn(kTouchCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ClipTreeTest, InsideAndOutsideOfOneSolidSplitTheOther)
{
    // B's polygons outside A and inside A together are all of B's surface.
    auto a = MakeBox({0, 0, 0}, {10, 10, 10});
    auto b = Rotated(MakeCylinder({6, 2, 5}, 5, 10), 0, 0, 17);
    CZNBSPTREE ta, outside, inside;
    ASSERT_EQ(ta.BuildFromBrush(a.get()), 1);
    ASSERT_EQ(outside.BuildFromBrush(b.get()), 1);
    ASSERT_EQ(inside.BuildFromBrush(b.get()), 1);
    ASSERT_EQ(ta.ClipTree(ta.m_RootNode, nullptr, &outside, 1, 0), 1);
    ASSERT_EQ(ta.ClipTree(ta.m_RootNode, nullptr, &inside, 0, 0), 1);
    const ZnSurface kept = Join(SurfaceOf(outside), SurfaceOf(inside));
    EXPECT_EQ(OpenEdges(kept, true), "");
    EXPECT_NEAR(SurfaceVolume(kept), SurfaceVolume(SurfaceOf(*b)), 1e-2);
    EXPECT_GT(outside.m_PolygonCount, b->GetFaceCount());
}

TEST(ClipTreeTest, TreesWithoutPolygonsClipNothing)
{
    auto a = MakeBox({0, 0, 0}, {1, 1, 1});
    CZNBSPTREE ta, empty;
    ASSERT_EQ(ta.BuildFromBrush(a.get()), 1);
    EXPECT_EQ(ta.ClipTree(0, nullptr, &empty, 1, 0), 0);
    EXPECT_EQ(empty.ClipTree(0, nullptr, &ta, 1, 0), 0);
    EXPECT_EQ(ta.ClipTree(0, nullptr, nullptr, 1, 0), 0);
    EXPECT_EQ(SurfaceOf(ta).size(), 6u);
}

TEST(MergeSplitFragmentsTest, RestoresAFaceBothOfWhoseFragmentsSurvived)
{
    // B sticks out past A's +x plane but lies wholly above A: A's +x node splits B's faces that
    // cross x = 10, and both halves survive because they are outside A.
    auto a = MakeBox({0, 0, 0}, {10, 10, 10});
    auto b = MakeBox({5, 12, 0}, {15, 20, 10});
    CZNBSPTREE ta, tb;
    ASSERT_EQ(ta.BuildFromBrush(a.get()), 1);
    ASSERT_EQ(tb.BuildFromBrush(b.get()), 1);
    ASSERT_EQ(ta.ClipTree(ta.m_RootNode, nullptr, &tb, 1, 0), 1);
    ASSERT_GT(tb.m_PolygonCount, 6u);
    int split = 0;
    for (DWORD i = 0; i < 6; ++i)
        if (tb.m_Polygons[i]->m_Deleted) {
            ++split;
            EXPECT_GE(tb.m_Polygons[i]->m_FrontFragment, 6);
            EXPECT_GE(tb.m_Polygons[i]->m_BackFragment, 6);
        }
    EXPECT_EQ(split, 4);
    EXPECT_EQ(OpenEdges(SurfaceOf(tb), true), "");

    tb.MergeSplitFragments();
    for (DWORD i = 0; i < tb.m_PolygonCount; ++i)
        EXPECT_EQ(tb.m_Polygons[i]->m_Deleted, i < 6 ? 0 : 1) << "polygon " << i;
    EXPECT_EQ(OpenEdges(SurfaceOf(tb), false), "");
    EXPECT_NEAR(SurfaceVolume(SurfaceOf(tb)), 800.0, 1e-3);
}

TEST(MergeSplitFragmentsTest, KeepsFacesWhoseFragmentWasRemoved)
{
    auto a = MakeBox({0, 0, 0}, {10, 10, 10});
    auto b = MakeBox({5, 5, 5}, {15, 15, 15});
    CZNBSPTREE ta, tb;
    ASSERT_EQ(ta.BuildFromBrush(a.get()), 1);
    ASSERT_EQ(tb.BuildFromBrush(b.get()), 1);
    ASSERT_EQ(ta.ClipTree(ta.m_RootNode, nullptr, &tb, 1, 0), 1);
    const ZnSurface before = SurfaceOf(tb);
    tb.MergeSplitFragments();
    // Each of B's three faces that reach into A lost a corner square: nothing to restore.
    for (DWORD i = 0; i < 6; ++i) {
        const bool reachesIn = i == 0 || i == 2 || i == 4; // the -x, -y and -z faces
        EXPECT_EQ(tb.m_Polygons[i]->m_Deleted, reachesIn ? 1 : 0) << "face " << i;
    }
    EXPECT_NEAR(SurfaceVolume(SurfaceOf(tb)), SurfaceVolume(before), 1e-6);
}

// ---------------------------------------------------------------------------------------------
// Overlap test

struct InsideCase {
    const char *name;
    BrushMaker a;
    BrushMaker b;
    bool bInA; // some polygon of B has a part inside A
    bool aInB;
};

// Failing cases print their name, not their bytes.
void PrintTo(const InsideCase &c, std::ostream *os)
{
    *os << c.name;
}

class AnyPolygonInsideTest : public ::testing::TestWithParam<InsideCase>
{
};

TEST_P(AnyPolygonInsideTest, TellsWhetherTheSolidsMeet)
{
    const InsideCase &c = GetParam();
    auto a = c.a();
    auto b = c.b();
    CZNBSPTREE ta, tb;
    ASSERT_EQ(ta.BuildFromBrush(a.get()), 1);
    ASSERT_EQ(tb.BuildFromBrush(b.get()), 1);
    EXPECT_EQ(ta.AnyPolygonInside(&tb), c.bInA);
    EXPECT_EQ(tb.AnyPolygonInside(&ta), c.aInB);
    // The test leaves both trees as they were.
    EXPECT_EQ(ta.m_PolygonCount, a->GetFaceCount());
    EXPECT_EQ(tb.m_PolygonCount, b->GetFaceCount());
}

const InsideCase kInsideCases[] = {
    {"OverlappingByHalf",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({5, 0, 0}, {15, 10, 10});
     },
     true, true},
    {"OverlappingCorner",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({8, 8, 8}, {18, 18, 18});
     },
     true, true},
    {"RotatedBoxCrossing",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return Rotated(MakeBox({8, 2, 2}, {16, 8, 8}), 0, 17, 0);
     },
     true, true},
    // Surfaces in contact count as meeting, as touching boxes do.
    {"FaceTouching",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({10, 0, 0}, {20, 10, 10});
     },
     true, true},
    {"EdgeTouching",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({10, 10, 0}, {20, 20, 10});
     },
     false, false},
    {"Distant",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({50, 50, 50}, {60, 60, 60});
     },
     false, false},
    // Only the inner solid's polygons lie inside the other.
    {"Contained",
     [] {
         return MakeBox({0, 0, 0}, {10, 10, 10});
     },
     [] {
         return MakeBox({2, 2, 2}, {8, 8, 8});
     },
     true, false},
    {"CylinderNearACorner",
     [] {
         return MakeCylinder({0, 0, 0}, 5, 10);
     },
     [] {
         return MakeBox({4, 0, 4}, {10, 10, 10});
     },
     false, false},
};

INSTANTIATE_TEST_SUITE_P(Pairs, AnyPolygonInsideTest, ::testing::ValuesIn(kInsideCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
