// The CSG commands of the selection on real cubes: union, intersection (of the selection and
// of one brush with the scene), carving by splitting and in place, and their undo levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/editor_app.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "scene/face.h"
#include "scene/group.h"
#include "scene/solid_checks.h"
#include "undo_fixture.h"

namespace
{

const D3DXVECTOR3 kALo(0, 0, 0), kAHi(64, 64, 64);
const D3DXVECTOR3 kBLo(32, 0, 0), kBHi(96, 64, 64);
const D3DXVECTOR3 kCLo(48, 0, 0), kCHi(112, 64, 64);
constexpr double kSlab = 64.0 * 64.0; // volume of a slab of the cubes one unit thick in x

// Every vertex position of every listed brush, brush by brush in list order.
using Snapshot = std::vector<std::vector<float>>;

class CsgTest : public UndoTest
{
protected:
    void TearDown() override
    {
        GetEditorApp()->GetSelectionBand()->Clear(1, 0);
        UndoTest::TearDown();
    }
    static void Select(const std::vector<ZNBRUSH *> &brushes)
    {
        Band()->Clear(1, 0);
        for (ZNBRUSH *b : brushes) {
            const ZNSELECTIONENTRY e = EntryOf(b);
            ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
        }
    }
    Snapshot Take() const
    {
        Snapshot s;
        for (ZNBRUSH *b : Listed()) {
            std::vector<float> p;
            for (DWORD f = 0; f < b->GetFaceCount(); ++f)
                for (short v = 0; v < b->GetFace(f)->GetVertexCount(); ++v) {
                    const ZNVERTEX &x = b->GetFace(f)->m_Vertices[v];
                    p.insert(p.end(), {x.x, x.y, x.z});
                }
            s.push_back(p);
        }
        return s;
    }
    // One Undo takes the whole command back: the same vertices at the same list positions.
    void ExpectOneUndoRestores(const Snapshot &before)
    {
        ASSERT_EQ(doc->OnEditUndo(), 1);
        EXPECT_EQ(doc->GetUndoList(), nullptr);
        EXPECT_EQ(Take(), before);
    }
    static double Volume(ZNBRUSH *b) { return SurfaceVolume(SurfaceOf(*b)); }
    static void ExpectBox(ZNBRUSH *b, const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
    {
        const ZNBBOX box = b->GetBoundingBox(1);
        EXPECT_NEAR(box.Min.x, lo.x, 1e-3);
        EXPECT_NEAR(box.Min.y, lo.y, 1e-3);
        EXPECT_NEAR(box.Min.z, lo.z, 1e-3);
        EXPECT_NEAR(box.Max.x, hi.x, 1e-3);
        EXPECT_NEAR(box.Max.y, hi.y, 1e-3);
        EXPECT_NEAR(box.Max.z, hi.z, 1e-3);
    }
    static bool Convex(ZNBRUSH *b)
    {
        for (DWORD f = 0; f < b->GetFaceCount(); ++f) {
            const ZNFACE *face = b->GetFace(f);
            const D3DXVECTOR3 p0 = Position(face->m_Vertices[0]);
            for (DWORD g = 0; g < b->GetFaceCount(); ++g)
                for (short v = 0; v < b->GetFace(g)->GetVertexCount(); ++v) {
                    const D3DXVECTOR3 d = Position(b->GetFace(g)->m_Vertices[v]) - p0;
                    if (D3DXVec3Dot(&d, &face->m_Normal) > 0.01f)
                        return false;
                }
        }
        return true;
    }
    std::string LastText() const { return reporter.Entries().empty() ? "" : reporter.Entries().back().text; }
};

TEST_F(CsgTest, UnionOfTwoCubesIsOneSelectedBrush)
{
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *b = Box(kBLo, kBHi);
    ZNBRUSH *far = Box({200, 0, 0}, {210, 10, 10});
    const Snapshot before = Take();
    Select({a, b});
    ASSERT_EQ(Band()->UnionOrIntersect(1), 1);
    const std::vector<ZNBRUSH *> after = Listed();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], far);
    ZNBRUSH *r = after[1];
    ExpectBox(r, kALo, {96, 64, 64});
    EXPECT_NEAR(Volume(r), 96 * kSlab, 1.0);
    EXPECT_EQ(OpenEdges(SurfaceOf(*r), true), "");
    ASSERT_EQ(Band()->GetEntryCount(), 1u);
    EXPECT_EQ(Band()->Entries()[0].Object, reinterpret_cast<uintptr_t>(r));
    EXPECT_TRUE(r->IsBrushSelected());
    EXPECT_STREQ(doc->GetUndoList()->Description, "Union Selected");
    ExpectOneUndoRestores(before);
}

TEST_F(CsgTest, IntersectOfThreeCubesIsTheirCommonPart)
{
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *b = Box(kBLo, kBHi);
    ZNBRUSH *c = Box(kCLo, kCHi);
    const Snapshot before = Take();
    Select({a, b, c});
    ASSERT_EQ(Band()->UnionOrIntersect(0), 1);
    const std::vector<ZNBRUSH *> after = Listed();
    ASSERT_EQ(after.size(), 1u);
    ExpectBox(after[0], {48, 0, 0}, kAHi);
    EXPECT_NEAR(Volume(after[0]), 16 * kSlab, 1.0);
    EXPECT_EQ(OpenEdges(SurfaceOf(*after[0]), true), "");
    EXPECT_TRUE(after[0]->IsBrushSelected());
    EXPECT_STREQ(doc->GetUndoList()->Description, "Intersect Selected");
    ExpectOneUndoRestores(before);
}

TEST_F(CsgTest, IntersectTakesTheFirstBrushWithATreeAsItsBase)
{
    ZNBRUSH *detail = Box({40, 10, 10}, {50, 20, 20});
    detail->m_Flags |= ZNBRUSH_DETAIL;
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *b = Box(kBLo, kBHi);
    const Snapshot before = Take();
    Select({detail, a, b});
    ASSERT_EQ(Band()->UnionOrIntersect(0), 1);
    const std::vector<ZNBRUSH *> after = Listed();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], detail);
    EXPECT_EQ(Take()[0], before[0]);
    ExpectBox(after[1], kBLo, kAHi);
    EXPECT_NEAR(Volume(after[1]), 32 * kSlab, 1.0);
    Band()->Clear(1, 0);
    ExpectOneUndoRestores(before);
}

TEST_F(CsgTest, UnionOfBrushesApartHoldsTheFacesOfBoth)
{
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *d = Box({200, 0, 0}, {210, 10, 10});
    const Snapshot before = Take();
    Select({a, d});
    ASSERT_EQ(Band()->UnionOrIntersect(1), 1);
    ASSERT_EQ(Listed().size(), 1u);
    ZNBRUSH *r = Listed()[0];
    EXPECT_EQ(r->GetFaceCount(), 12u);
    EXPECT_NEAR(Volume(r), 64 * kSlab + 1000.0, 1.0);
    Band()->Clear(1, 0);
    ExpectOneUndoRestores(before);
}

TEST_F(CsgTest, AnEmptyCommonPartLeavesNoBrushAndRemovesTheInputs)
{
    ZNBRUSH *keep = Box({-50, 0, 0}, {-40, 10, 10});
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *b = Box(kBLo, kBHi);
    ZNBRUSH *d = Box({200, 0, 0}, {264, 64, 64});
    const Snapshot before = Take();
    Select({a, b, d});
    ASSERT_EQ(Band()->UnionOrIntersect(0), 1);
    EXPECT_EQ(Listed(), std::vector<ZNBRUSH *>{keep});
    EXPECT_EQ(Band()->GetEntryCount(), 0u);
    ExpectOneUndoRestores(before);
}

struct RefusalCase {
    const char *name;
    int unionFlag;
    int brushes; // selected brushes; the camera is selected besides
    const char *text;
};

class CsgRefusalTest : public CsgTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(CsgRefusalTest, TooFewBrushesGiveTheMessageAndChangeNothing)
{
    const RefusalCase &c = GetParam();
    std::vector<ZNBRUSH *> b = {Box(kALo, kAHi), Box(kBLo, kBHi)};
    b.resize(static_cast<size_t>(c.brushes));
    Select(b);
    ZNSELECTIONENTRY cam;
    cam.Type = ZNSELECT_CAMERA;
    cam.Object = reinterpret_cast<uintptr_t>(GetEditorApp()->Get3D()->GetCamera());
    ASSERT_EQ(Band()->AddToSelection(&cam, 1, 0), 1);
    const Snapshot before = Take();
    EXPECT_EQ(Band()->UnionOrIntersect(c.unionFlag), 1);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(LastText(), c.text);
    EXPECT_EQ(reporter.Entries()[0].type, MB_ICONINFORMATION);
    EXPECT_EQ(Take(), before);
    EXPECT_EQ(RecordCount(), 0u);
    GetEditorApp()->Get3D()->GetCamera()->Select(0);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, CsgRefusalTest,
    ::testing::Values(
        RefusalCase{"IntersectWithoutBrushes", 0, 0,
                    "Tovra can not perform the Intersect Opertion. There are no Brushes in the Selection band"},
        RefusalCase{"UnionOfOneBrush", 1, 1,
                    "To Perform Union of Brushes you must have Two or more brushes Selected"}),
    [](const ::testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

TEST_F(CsgTest, CommandsOutsideAnObjectsBandFailSilently)
{
    Box(kALo, kAHi);
    EXPECT_EQ(Band()->UnionOrIntersect(1), 0);
    EXPECT_EQ(Band()->UnionOrIntersect(0), 0);
    EXPECT_EQ(Band()->CarveSplit(nullptr), 0);
    EXPECT_EQ(Band()->CarveInPlace(nullptr), 0);
    EXPECT_EQ(Band()->Hollow(), 1);
    EXPECT_TRUE(reporter.Entries().empty());
}

const char *const kOneBrushQuestion =
    "You have Selected to perform INTERSECT with only ONE Brush selected. Proceeding will intersect this Brush "
    "with ANY Brush in the scene that its Bounding Box intersects. \n Are you SURE you wish to proceed.";

TEST_F(CsgTest, IntersectWithOneBrushAnsweredNoChangesNothing)
{
    Box(kALo, kAHi);
    ZNBRUSH *b = Box(kBLo, kBHi);
    Box(kCLo, kCHi);
    const Snapshot before = Take();
    Select({b});
    reporter.QueueAnswer(IDNO);
    EXPECT_EQ(Band()->UnionOrIntersect(0), 1);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(LastText(), kOneBrushQuestion);
    EXPECT_EQ(reporter.Entries()[0].type, MB_YESNO | MB_ICONWARNING);
    EXPECT_EQ(Take(), before);
    EXPECT_EQ(RecordCount(), 0u);
}

TEST_F(CsgTest, IntersectWithOneBrushCutsTheSceneInPlaceAndDeletesIt)
{
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *s = Box(kBLo, kBHi);
    ZNBRUSH *c = Box(kCLo, kCHi);
    ZNBRUSH *touching = Box({96, 0, 0}, {128, 64, 64}); // meets S only in a face: nothing is left
    ZNBRUSH *far = Box({300, 0, 0}, {310, 10, 10});
    ZNBRUSH *detail = Box({40, 10, 10}, {50, 20, 20});
    detail->m_Flags |= ZNBRUSH_DETAIL;
    const Snapshot before = Take();
    const std::vector<float> farBefore = before[4], detailBefore = before[5];
    Select({s});
    reporter.QueueAnswer(IDYES);
    ASSERT_EQ(Band()->UnionOrIntersect(0), 1);
    EXPECT_EQ(Listed(), (std::vector<ZNBRUSH *>{a, c, far, detail}));
    ExpectBox(a, kBLo, kAHi);
    ExpectBox(c, kCLo, kBHi);
    EXPECT_NEAR(Volume(a), 32 * kSlab, 1.0);
    EXPECT_NEAR(Volume(c), 48 * kSlab, 1.0);
    EXPECT_TRUE(a->IsBrushSelected());
    EXPECT_TRUE(c->IsBrushSelected());
    EXPECT_EQ(Band()->GetEntryCount(), 2u);
    const Snapshot after = Take();
    EXPECT_EQ(after[2], farBefore);
    EXPECT_EQ(after[3], detailBefore);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Scene Intersection");
    (void)touching;
    Band()->Clear(1, 0);
    ExpectOneUndoRestores(before);
}

TEST_F(CsgTest, ADetailBrushCountsButIsNeitherUsedNorRemoved)
{
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *b = Box(kBLo, kBHi);
    b->m_Flags |= ZNBRUSH_DETAIL;
    const Snapshot before = Take();
    Select({a, b});
    ASSERT_EQ(Band()->UnionOrIntersect(1), 1);
    const std::vector<ZNBRUSH *> after = Listed();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], b);
    EXPECT_EQ(Take()[0], before[1]);
    // The other brush is replaced by a rebuilt copy of itself.
    EXPECT_NE(after[1], a);
    ExpectBox(after[1], kALo, kAHi);
    EXPECT_NEAR(Volume(after[1]), 64 * kSlab, 1.0);
    Band()->Clear(1, 0);
    ExpectOneUndoRestores(before);
}

TEST_F(CsgTest, UnionOfACubeInsideABiggerOneIsTheBiggerOne)
{
    for (bool innerFirst : {false, true}) {
        SCOPED_TRACE(innerFirst ? "inner selected first" : "outer selected first");
        ZNBRUSH *outer = Box(kALo, kAHi);
        ZNBRUSH *inner = Box({16, 16, 16}, {48, 48, 48});
        const Snapshot before = Take();
        Select(innerFirst ? std::vector<ZNBRUSH *>{inner, outer} : std::vector<ZNBRUSH *>{outer, inner});
        ASSERT_EQ(Band()->UnionOrIntersect(1), 1);
        ASSERT_EQ(Listed().size(), 1u);
        ZNBRUSH *r = Listed()[0];
        EXPECT_EQ(r->GetFaceCount(), 6u);
        EXPECT_NEAR(Volume(r), 64 * kSlab, 1.0);
        EXPECT_EQ(OpenEdges(SurfaceOf(*r), true), "");
        Band()->Clear(1, 0);
        ExpectOneUndoRestores(before);
        doc->DeleteContents();
    }
}

// Carving: by splitting (convex pieces in one new group per carver) or in place.
class CarveTest : public CsgTest, public ::testing::WithParamInterface<bool>
{
protected:
    int Carve() { return GetParam() ? Band()->CarveSplit(nullptr) : Band()->CarveInPlace(nullptr); }
};

TEST_P(CarveTest, CarvingLeavesWhatLiesOutsideTheCarver)
{
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *k = Box(kBLo, kBHi);
    ZNBRUSH *c = Box(kCLo, kCHi);
    for (DWORD f = 0; f < a->GetFaceCount(); ++f)
        a->SetFaceAlphaBlend(f, 5, 6);
    const Snapshot before = Take();
    Select({k});
    ASSERT_EQ(Carve(), 1);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Carve Objects");
    const std::vector<ZNBRUSH *> after = Listed();
    if (!GetParam()) {
        // Each cut brush keeps its identity and place.
        EXPECT_EQ(after, (std::vector<ZNBRUSH *>{a, k, c}));
        EXPECT_NEAR(Volume(a), 32 * kSlab, 1.0);
        EXPECT_NEAR(Volume(c), 16 * kSlab, 1.0);
        EXPECT_EQ(OpenEdges(SurfaceOf(*a), true), "");
        EXPECT_EQ(OpenEdges(SurfaceOf(*c), true), "");
    } else {
        // The carver stays; the cut brushes are replaced by convex pieces outside it, in one group.
        ASSERT_GE(after.size(), 3u);
        EXPECT_EQ(after[0], k);
        double total = 0;
        CZNGROUP *group = after[1]->GetParent();
        ASSERT_NE(group, nullptr);
        for (size_t i = 1; i < after.size(); ++i) {
            ZNBRUSH *piece = after[i];
            EXPECT_EQ(piece->GetParent(), group);
            EXPECT_TRUE(Convex(piece)) << i;
            EXPECT_EQ(OpenEdges(SurfaceOf(*piece), true), "") << i;
            const ZNBBOX box = piece->GetBoundingBox(1);
            EXPECT_TRUE(box.Max.x <= 32.01f || box.Min.x >= 95.99f) << i;
            total += Volume(piece);
        }
        EXPECT_EQ(group->GetChildCount(), after.size() - 1);
        EXPECT_NEAR(total, 48 * kSlab, 1.0);
    }
    // The translucent brush's pieces keep its blending on the faces they took from it.
    for (ZNBRUSH *b : Listed())
        for (DWORD f = 0; f < b->GetFaceCount(); ++f) {
            const ZNFACE *face = b->GetFace(f);
            const ZNBBOX box = b->GetBoundingBox(1);
            if (box.Max.x <= 32.01f && face->m_Normal.x > -0.99f && face->m_Normal.x < 0.99f) {
                EXPECT_EQ(face->m_SrcBlend, 5);
                EXPECT_EQ(face->m_DestBlend, 6);
            }
        }
    Band()->Clear(1, 0);
    ExpectOneUndoRestores(before);
}

TEST_P(CarveTest, SelectedAndDetailBrushesAreNeverCut)
{
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *k = Box(kBLo, kBHi);
    ZNBRUSH *c = Box(kCLo, kCHi);
    c->m_Flags |= ZNBRUSH_DETAIL;
    const Snapshot before = Take();
    Select({a, k}); // each carves the other's place, but both are selected
    ASSERT_EQ(Carve(), 1);
    EXPECT_EQ(Listed(), (std::vector<ZNBRUSH *>{a, k, c}));
    EXPECT_EQ(Take(), before);
    EXPECT_EQ(RecordCount(), 0u);
}

TEST_P(CarveTest, ACubeInsideTheCarverIsRemoved)
{
    ZNBRUSH *outer = Box(kALo, kAHi);
    ZNBRUSH *keep = Box({200, 0, 0}, {210, 10, 10});
    Box({16, 16, 16}, {48, 48, 48});
    const Snapshot before = Take();
    Select({outer});
    ASSERT_EQ(Carve(), 1);
    EXPECT_EQ(Listed(), (std::vector<ZNBRUSH *>{outer, keep}));
    Band()->Clear(1, 0);
    ExpectOneUndoRestores(before);
}

TEST_P(CarveTest, SeveralCarversLeaveTheClosedDifference)
{
    // Two crossing tunnels through one cube, a peg turned by a non-grid angle in its top corner,
    // and a peg through a second cube: each cube is cut by the carvers that meet it.
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *far = Box({200, 0, 0}, {240, 40, 40});
    ZNBRUSH *xTunnel = Box({-10, 16, 16}, {74, 48, 48});
    ZNBRUSH *zTunnel = Box({16, 16, -10}, {48, 48, 74});
    ZNBRUSH *corner = Box({-8, -8, 56}, {8, 8, 72});
    corner->Rotate(0, 0, 17, nullptr, 0);
    ZnFinishBrush(*corner);
    ZNBRUSH *peg = Box({210, 10, 30}, {230, 30, 50});
    // The turned peg is a square about the vertical through the cube's corner: a quarter of it,
    // whatever the angle, lies over the cube, 8 units deep.
    const double cornerTaken = 16.0 * 16 / 4 * 8;
    const Snapshot before = Take();
    Select({xTunnel, zTunnel, corner, peg});
    ASSERT_EQ(Carve(), 1);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Carve Objects");

    const double cube = 64.0 * 64 * 64, tunnel = 64.0 * 32 * 32, crossing = 32.0 * 32 * 32;
    const double expectA = cube - 2 * tunnel + crossing - cornerTaken, expectFar = 40.0 * 40 * 40 - 20.0 * 20 * 10;
    double total = 0.0;
    CZNGROUP *group = nullptr;
    int pieces = 0;
    for (ZNBRUSH *b : Listed()) {
        if (b == xTunnel || b == zTunnel || b == corner || b == peg)
            continue;
        EXPECT_EQ(OpenEdges(SurfaceOf(*b), true), "");
        total += Volume(b);
        ++pieces;
        if (GetParam()) {
            // Convex pieces in one new group.
            EXPECT_TRUE(Convex(b));
            group = group ? group : b->GetParent();
            EXPECT_NE(group, nullptr);
            EXPECT_EQ(b->GetParent(), group);
        }
    }
    if (GetParam()) {
        EXPECT_GT(pieces, 2);
    } else {
        EXPECT_EQ(pieces, 2);
        EXPECT_NEAR(Volume(a), expectA, 1.0);
        EXPECT_NEAR(Volume(far), expectFar, 1.0);
    }
    EXPECT_NEAR(total, expectA + expectFar, 1.0);
    Band()->Clear(1, 0);
    ExpectOneUndoRestores(before);
}

INSTANTIATE_TEST_SUITE_P(Methods, CarveTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "Splitting" : "InPlace");
                         });

// Two 15-sided upright cylinders of radius 10 whose side faces lie close to each other, about
// the 0.01 within which the trees take a point to lie on a plane: the carver's faces lie 0.003 to
// 0.019 outside the target's (wider by 0.011, set off 0.008) or 0.003 to 0.009 inside them
// (narrower by 0.006, set off 0.003), and it covers the target from a height up or down. What is
// left is closed and has the volume of the exact difference, worked out from the sections.
struct NearCase {
    const char *name;
    float wider;     // how much farther out the carver's faces lie than the target's, on average
    float offset;    // how far the carver is set off, in the direction
    float direction; // degrees about the axis, from +x
    float from;      // where the carver begins, on the target's 0 to 20
    bool split;
};

void PrintTo(const NearCase &c, std::ostream *os)
{
    *os << c.name;
}

class NearCoplanarCarveTest : public CsgTest, public ::testing::WithParamInterface<NearCase>
{
protected:
    using Point2 = std::pair<double, double>;
    // The cross-section (x, z) of an upright prism, from its top face, and its height range.
    static std::vector<Point2> Section(ZNBRUSH *b, double *low, double *high)
    {
        std::vector<Point2> ring;
        *low = 1e30;
        *high = -1e30;
        for (DWORD f = 0; f < b->GetFaceCount(); ++f) {
            const ZNFACE *face = b->GetFace(f);
            for (short v = 0; v < face->GetVertexCount(); ++v) {
                *low = std::min<double>(*low, face->m_Vertices[v].y);
                *high = std::max<double>(*high, face->m_Vertices[v].y);
            }
            if (face->m_Normal.y > 0.99f && ring.empty())
                for (short v = 0; v < face->GetVertexCount(); ++v)
                    ring.emplace_back(face->m_Vertices[v].x, face->m_Vertices[v].z);
        }
        return ring;
    }
    static double Area(const std::vector<Point2> &ring)
    {
        double twice = 0.0;
        for (size_t i = 0; i < ring.size(); ++i) {
            const Point2 &p = ring[i], &q = ring[(i + 1) % ring.size()];
            twice += p.first * q.second - q.first * p.second;
        }
        return std::fabs(twice) / 2.0;
    }
    // The common part of two convex rings, in doubles (each edge of the clipper in turn).
    static std::vector<Point2> Common(std::vector<Point2> subject, std::vector<Point2> clipper)
    {
        double twice = 0.0;
        for (size_t i = 0; i < clipper.size(); ++i)
            twice += clipper[i].first * clipper[(i + 1) % clipper.size()].second -
                     clipper[(i + 1) % clipper.size()].first * clipper[i].second;
        if (twice < 0.0)
            std::reverse(clipper.begin(), clipper.end());
        for (size_t e = 0; e < clipper.size() && !subject.empty(); ++e) {
            const Point2 a = clipper[e], b = clipper[(e + 1) % clipper.size()];
            auto side = [&](const Point2 &p) {
                return (b.first - a.first) * (p.second - a.second) - (b.second - a.second) * (p.first - a.first);
            };
            std::vector<Point2> kept;
            for (size_t i = 0; i < subject.size(); ++i) {
                const Point2 p = subject[i], q = subject[(i + 1) % subject.size()];
                const double sp = side(p), sq = side(q);
                if (sp >= 0.0)
                    kept.push_back(p);
                if ((sp >= 0.0) != (sq >= 0.0)) {
                    const double t = sp / (sp - sq);
                    kept.emplace_back(p.first + t * (q.first - p.first), p.second + t * (q.second - p.second));
                }
            }
            subject = kept;
        }
        return subject;
    }
    // The volume of target less carver, both upright prisms, worked out from their sections.
    static double ExactDifference(ZNBRUSH *target, ZNBRUSH *carver)
    {
        double t0, t1, c0, c1;
        const std::vector<Point2> t = Section(target, &t0, &t1), c = Section(carver, &c0, &c1);
        const double overlap = std::max(0.0, std::min(t1, c1) - std::max(t0, c0));
        return Area(t) * (t1 - t0) - Area(Common(t, c)) * overlap;
    }
    ZNBRUSH *Cylinder(const D3DXVECTOR3 &base, float radius, float height)
    {
        ZNBRUSH *b = doc->NewBrush();
        ZnBuildCylinder(*b, base, radius, height, 15);
        return b;
    }
};

TEST_P(NearCoplanarCarveTest, LeavesTheClosedDifference)
{
    const NearCase &c = GetParam();
    const double angle = c.direction * 3.14159265358979323846 / 180.0;
    ZNBRUSH *target = Cylinder({0, 0, 0}, 10, 20);
    // The radius that puts the faces c.wider farther out.
    const float wider = c.wider / std::cos(3.14159265358979323846f / 15);
    ZNBRUSH *carver = Cylinder({c.offset * static_cast<float>(std::cos(angle)), c.from,
                                c.offset * static_cast<float>(std::sin(angle))},
                               10 + wider, 20);
    const double expected = ExactDifference(target, carver);
    const Snapshot before = Take();
    Select({carver});
    ASSERT_EQ(c.split ? Band()->CarveSplit(nullptr) : Band()->CarveInPlace(nullptr), 1);
    double volume = 0.0;
    for (ZNBRUSH *b : Listed()) {
        if (b == carver)
            continue;
        EXPECT_EQ(OpenEdges(SurfaceOf(*b), true), "");
        volume += Volume(b);
    }
    EXPECT_NEAR(volume, expected, 0.01 * expected);
    Band()->Clear(1, 0);
    ExpectOneUndoRestores(before);
}

INSTANTIATE_TEST_SUITE_P(
    Cylinders, NearCoplanarCarveTest,
    ::testing::Values(NearCase{"InPlaceWiderTopThreeQuarters", 0.011f, 0.008f, 17, 5, false},
                      NearCase{"InPlaceWiderTopHalf", 0.011f, 0.008f, 45, 10, false},
                      NearCase{"InPlaceWiderAboveAQuarter", 0.011f, 0.008f, 90, 3, false},
                      NearCase{"InPlaceWiderBelow", 0.011f, 0.008f, 133, -5, false},
                      NearCase{"InPlaceNarrowerTopThreeQuarters", -0.006f, 0.003f, 17, 5, false},
                      NearCase{"InPlaceNarrowerTopHalf", -0.006f, 0.003f, 45, 10, false},
                      NearCase{"InPlaceNarrowerAboveAQuarter", -0.006f, 0.003f, 90, 3, false},
                      NearCase{"InPlaceNarrowerBelow", -0.006f, 0.003f, 133, -5, false},
                      NearCase{"SplitWiderTopThreeQuarters", 0.011f, 0.008f, 17, 5, true},
                      NearCase{"SplitWiderTopHalf", 0.011f, 0.008f, 45, 10, true},
                      NearCase{"SplitWiderAboveAQuarter", 0.011f, 0.008f, 90, 3, true},
                      NearCase{"SplitWiderBelow", 0.011f, 0.008f, 133, -5, true},
                      NearCase{"SplitNarrowerTopThreeQuarters", -0.006f, 0.003f, 17, 5, true},
                      NearCase{"SplitNarrowerTopHalf", -0.006f, 0.003f, 45, 10, true},
                      NearCase{"SplitNarrowerAboveAQuarter", -0.006f, 0.003f, 90, 3, true},
                      NearCase{"SplitNarrowerBelow", -0.006f, 0.003f, 133, -5, true}),
    [](const ::testing::TestParamInfo<NearCase> &info) { return std::string(info.param.name); });

TEST_F(CsgTest, CarvingInPlaceTurnsTheHolesFacesIntoTheHole)
{
    ZNBRUSH *a = Box(kALo, kAHi);
    ZNBRUSH *tunnel = Box({16, 16, -10}, {48, 48, 74});
    const Snapshot before = Take();
    Select({tunnel});
    ASSERT_EQ(Band()->CarveInPlace(nullptr), 1);
    EXPECT_EQ(Listed(), (std::vector<ZNBRUSH *>{a, tunnel}));
    EXPECT_NEAR(Volume(a), 64.0 * 64 * 64 - 32.0 * 32 * 64, 1.0);
    EXPECT_EQ(OpenEdges(SurfaceOf(*a), true), "");
    // The tunnel's walls: at x = 16 facing +x, at x = 48 facing -x, likewise in y.
    int walls = 0;
    for (DWORD f = 0; f < a->GetFaceCount(); ++f) {
        const ZNFACE *face = a->GetFace(f);
        const ZNBBOX box = a->GetBoundingBox(f);
        const D3DXVECTOR3 n = face->m_Normal;
        if (box.Min.x > 15.99f && box.Max.x < 16.01f) {
            EXPECT_GT(n.x, 0.99f);
            ++walls;
        } else if (box.Min.x > 47.99f && box.Max.x < 48.01f) {
            EXPECT_LT(n.x, -0.99f);
            ++walls;
        } else if (box.Min.y > 15.99f && box.Max.y < 16.01f) {
            EXPECT_GT(n.y, 0.99f);
            ++walls;
        } else if (box.Min.y > 47.99f && box.Max.y < 48.01f) {
            EXPECT_LT(n.y, -0.99f);
            ++walls;
        }
    }
    EXPECT_GE(walls, 4);
    Band()->Clear(1, 0);
    ExpectOneUndoRestores(before);
}

} // namespace
