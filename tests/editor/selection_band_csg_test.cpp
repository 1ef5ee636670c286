// The CSG commands of the selection on real cubes: union, intersection (of the selection and
// of one brush with the scene), carving by splitting and in place, and their undo levels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
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

INSTANTIATE_TEST_SUITE_P(Methods, CarveTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &info) {
                             return std::string(info.param ? "Splitting" : "InPlace");
                         });

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
