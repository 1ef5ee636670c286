// The overlay's box, snapshot and transforms, and its face generation from real brushes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/os/recording_reporter.h"
#include "scene/brush.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/overlay.h"
#include "support/shapes.h"

namespace
{

void ExpectNear(const D3DXVECTOR3 &a, const D3DXVECTOR3 &b, float tolerance = 1e-4f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

} // namespace

TEST(OverlayModel, NewOverlayAtAPointHasItsBoxAndNoFaces)
{
    const D3DXVECTOR3 p(10, 0, 0);
    CZNOverlay overlay(&p);
    const ZNBBOX bounds = overlay.GetBounds(0);
    ExpectNear(bounds.Min, D3DXVECTOR3(-20, -30, -30));
    ExpectNear(bounds.Max, D3DXVECTOR3(40, 30, 30));
    EXPECT_EQ(overlay.m_ObjectType, ZNOBJECT_OVERLAY);
    EXPECT_EQ(overlay.GetFaceFlag(), 1);
    EXPECT_EQ(overlay.GetFaceCount(), 0u);
    EXPECT_EQ(overlay.GetFace(0), nullptr);
    EXPECT_EQ(overlay.GetTexture(), nullptr);
}

struct PlaneCase {
    const char *name;
    int index;
    D3DXVECTOR3 normal;
    float offset; // the plane is normal . p = offset
};

class OverlayBoxPlaneTest : public ::testing::TestWithParam<PlaneCase>
{
};

TEST_P(OverlayBoxPlaneTest, IsTheOutwardSide)
{
    CZNOverlay overlay;
    overlay.CalculateBoxPlanes();
    const PlaneCase &c = GetParam();
    const ZNOVERLAYPLANE &plane = overlay.GetBoxPlane(c.index);
    ExpectNear(plane.Normal, c.normal);
    EXPECT_NEAR(ZnDot(plane.Normal, plane.Point), c.offset, 1e-4f);
}

INSTANTIATE_TEST_SUITE_P(DefaultBox, OverlayBoxPlaneTest,
                         ::testing::Values(PlaneCase{"XMin", 0, {-1, 0, 0}, 30}, PlaneCase{"XMax", 1, {1, 0, 0}, 30},
                                           PlaneCase{"YMin", 2, {0, -1, 0}, 30}, PlaneCase{"YMax", 3, {0, 1, 0}, 30},
                                           PlaneCase{"ZMax", 4, {0, 0, 1}, 30}, PlaneCase{"ZMin", 5, {0, 0, -1}, 30}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(OverlayModel, PlanesFollowARotatedBox)
{
    CZNOverlay overlay;
    overlay.GetBounds(1);
    overlay.Rotate(0, 90, 0, nullptr, 0);
    overlay.CalculateBoxPlanes();
    // Turned about y by 90 degrees: the +z side now faces +x or -x, still outwards.
    for (int i = 0; i < 6; ++i) {
        const ZNOVERLAYPLANE &plane = overlay.GetBoxPlane(i);
        EXPECT_NEAR(ZnDot(plane.Normal, plane.Point), 30.0f, 1e-3f) << i;
        EXPECT_NEAR(ZnLength(plane.Normal), 1.0f, 1e-5f);
    }
}

// A default overlay over the top of a cube, built from a document.
class OverlayBuildTest : public ::testing::Test
{
protected:
    void SetUp() override { GetEditorApp()->SetReporter(&m_Reporter); }
    void TearDown() override { GetEditorApp()->SetReporter(nullptr); }
    ZNBRUSH *AddBox(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
    {
        ZNBRUSH *brush = m_Document.NewBrush();
        ZnBuildBox(*brush, lo, hi);
        return brush;
    }
    CZNRecordingReporter m_Reporter;
    CZNEDITORDoc m_Document;
};

TEST_F(OverlayBuildTest, TheTopOfACubeGivesOneClippedSquare)
{
    AddBox({-64, -128, -64}, {64, 0, 64});
    CZNOverlay overlay;
    overlay.SetFaceFlag(3);
    overlay.Rebuild();
    ASSERT_EQ(overlay.GetFaceCount(), 1u);
    const ZNFACE *face = overlay.GetFace(0);
    EXPECT_EQ(face->m_ObjectType, ZNOBJECT_OVERLAYFACE);
    EXPECT_EQ(face->m_FaceFlag, 3);
    ExpectNear(face->m_Normal, D3DXVECTOR3(0, 1, 0));
    ASSERT_EQ(face->GetVertexCount(), 4);
    const ZNBBOX extents = overlay.GetExtents();
    ExpectNear(extents.Min, D3DXVECTOR3(-30, 0, -30));
    ExpectNear(extents.Max, D3DXVECTOR3(30, 0, 30));
    for (short k = 0; k < 4; ++k) {
        const D3DXVECTOR3 p = face->GetVector(k);
        EXPECT_NEAR(std::fabs(p.x), 30.0f, 1e-4f);
        EXPECT_NEAR(std::fabs(p.z), 30.0f, 1e-4f);
        // A lone face gets its own normal, not a list of the brush it came from.
        ExpectNear(face->GetVertexNormal(k), D3DXVECTOR3(0, 1, 0));
    }
    EXPECT_TRUE(m_Reporter.Entries().empty());
}

TEST_F(OverlayBuildTest, NothingInTheBoxOrSurfacesOffGivesNoFaces)
{
    AddBox({-64, -128, -64}, {64, 0, 64});
    const D3DXVECTOR3 far(0, 500, 0);
    CZNOverlay away(&far);
    away.Rebuild();
    EXPECT_EQ(away.GetFaceCount(), 0u);

    CZNOverlay off;
    off.m_SurfacesOff = 1;
    off.Rebuild();
    EXPECT_EQ(off.GetFaceCount(), 0u);
}

TEST_F(OverlayBuildTest, TouchesBoxRejectsOnlyAcrossTheFirstAxis)
{
    CZNOverlay overlay;
    overlay.CalculateBoxPlanes();
    const ZNBBOX beyondX{{40, -10, -10}, {50, 10, 10}};
    const ZNBBOX beyondY{{-10, 40, -10}, {10, 50, 10}};
    const ZNBBOX inside{{-10, -10, -10}, {10, 10, 10}};
    EXPECT_EQ(overlay.TouchesBox(&beyondX), 0);
    EXPECT_EQ(overlay.TouchesBox(&beyondY), 1);
    EXPECT_EQ(overlay.TouchesBox(&inside), 1);
}

TEST_F(OverlayBuildTest, AutoRebuildBuildsAtOnce)
{
    AddBox({-64, -128, -64}, {64, 0, 64});
    CZNOverlay overlay;
    overlay.SetAutoRebuildFlag(1);
    EXPECT_EQ(overlay.GetAutoRebuildFlag(), 1);
    EXPECT_EQ(overlay.GetFaceCount(), 1u);
    overlay.SetAutoRebuildFlag(0);
    EXPECT_EQ(overlay.GetAutoRebuildFlag(), 0);
    EXPECT_EQ(overlay.GetFaceCount(), 1u);
}

struct SmoothCase {
    const char *name;
    float degrees; // angle between the two faces' normals
    bool averaged;
};

class OverlaySmoothingTest : public OverlayBuildTest, public ::testing::WithParamInterface<SmoothCase>
{
};

// Two faces of one wedge-like brush meet along the z axis; the overlay covers both.
TEST_P(OverlaySmoothingTest, SharedVerticesAverageOnlyCloseNormals)
{
    const SmoothCase &c = GetParam();
    const float a = c.degrees * 3.14159265f / 180.0f;
    // A floor strip on x < 0 and a strip rising at the given angle on x > 0.
    ZNBRUSH *brush = m_Document.NewBrush();
    const D3DXVECTOR3 rise(std::cos(a), std::sin(a), 0.0f);
    const D3DXVECTOR3 inside(0, -10, 0);
    ZnAddPolygon(*brush, {{-20, 0, -20}, {0, 0, -20}, {0, 0, 20}, {-20, 0, 20}}, inside);
    ZnAddPolygon(*brush,
                 {{0, 0, -20}, D3DXVECTOR3(0, 0, -20) + rise * 20.0f, D3DXVECTOR3(0, 0, 20) + rise * 20.0f, {0, 0, 20}},
                 inside);
    ZnFinishBrush(*brush);

    CZNOverlay overlay;
    overlay.Rebuild();
    ASSERT_EQ(overlay.GetFaceCount(), 2u);
    const ZNFACE *flat = overlay.GetFace(0);
    const ZNFACE *sloped = overlay.GetFace(1);
    for (short k = 0; k < flat->GetVertexCount(); ++k) {
        const D3DXVECTOR3 p = flat->GetVector(k);
        const D3DXVECTOR3 n = flat->GetVertexNormal(k);
        if (std::fabs(p.x) > 1e-3f) {
            ExpectNear(n, flat->m_Normal);
            continue;
        }
        const D3DXVECTOR3 expected = c.averaged ? ZnNormalized(flat->m_Normal + sloped->m_Normal) : flat->m_Normal;
        ExpectNear(n, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Angles, OverlaySmoothingTest,
                         ::testing::Values(SmoothCase{"RightAngleKeepsOwn", 90.0f, false},
                                           SmoothCase{"ThirtyDegreesAverage", 30.0f, true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(OverlayBuildTest, ABuildOfManyFacesThenOfOneStaysClean)
{
    // Steps of a staircase give many faces sharing positions; then only the floor stays.
    for (int s = 0; s < 4; ++s)
        AddBox({-25.0f + s * 10.0f, -20.0f, -25.0f}, {-15.0f + s * 10.0f, -10.0f + s * 5.0f, 25.0f});
    CZNOverlay overlay;
    overlay.Rebuild();
    EXPECT_GT(overlay.GetFaceCount(), 4u);
    EXPECT_GT(overlay.m_SharedFaceInfo.GetFaceIndexListCount(), 0u);

    CZNOverlay copy;
    copy.CopyFrom(&overlay);
    EXPECT_EQ(copy.GetFaceCount(), overlay.GetFaceCount());

    m_Document.DeleteContents();
    AddBox({-64, -128, -64}, {64, 0, 64});
    overlay.Rebuild();
    ASSERT_EQ(overlay.GetFaceCount(), 1u);
    EXPECT_EQ(overlay.m_SharedFaceInfo.GetFaceIndexListCount(), 0u);
    for (short k = 0; k < overlay.GetFace(0)->GetVertexCount(); ++k) {
        EXPECT_EQ(overlay.GetFace(0)->m_VertexFaceListIndices[k], -1);
        ExpectNear(overlay.GetFace(0)->GetVertexNormal(k), D3DXVECTOR3(0, 1, 0));
    }
}

// Snapshot and transforms.
class OverlayDragTest : public OverlayBuildTest
{
protected:
    void SetUp() override
    {
        OverlayBuildTest::SetUp();
        AddBox({-64, -128, -64}, {64, 0, 64});
        m_Overlay.Rebuild();
        m_Overlay.GetBounds(1);
        ASSERT_EQ(m_Overlay.GetFaceCount(), 1u);
    }
    CZNOverlay m_Overlay;
};

TEST_F(OverlayDragTest, RestoreModesAfterAMove)
{
    m_Overlay.Cache();
    ASSERT_TRUE(m_Overlay.IsCached());
    const D3DXVECTOR3 delta(5, 6, 7);
    m_Overlay.Move(&delta, 0);
    m_Overlay.CalculateBoxPlanes();
    m_Overlay.GetFace(0)->m_UPos = 12.5f;
    ExpectNear(m_Overlay.GetCorner(0), D3DXVECTOR3(-25, 36, 37));

    m_Overlay.RestoreFromCache(5);
    ExpectNear(m_Overlay.GetCorner(0), D3DXVECTOR3(-25, 36, 37));
    m_Overlay.RestoreFromCache(0);
    ExpectNear(m_Overlay.GetCorner(0), D3DXVECTOR3(-25, 36, 37));

    m_Overlay.RestoreFromCache(2);
    ExpectNear(m_Overlay.GetCorner(0), D3DXVECTOR3(-30, 30, 30));
    EXPECT_NEAR(ZnDot(m_Overlay.GetBoxPlane(1).Normal, m_Overlay.GetBoxPlane(1).Point), 30.0f, 1e-4f);
    const ZNBBOX extents = m_Overlay.GetExtents();
    ExpectNear(extents.Min, D3DXVECTOR3(-30, 0, -30));
    EXPECT_EQ(m_Overlay.GetFace(0)->m_UPos, 12.5f);
}

TEST_F(OverlayDragTest, RestoreSkipsFacesThatChangedShape)
{
    m_Overlay.Cache();
    // An auto-rebuild drag dropped the faces and built more than the snapshot holds.
    AddBox({-10, 0, -10}, {10, 10, 10});
    m_Overlay.Rebuild();
    ASSERT_GT(m_Overlay.GetFaceCount(), 1u);
    m_Overlay.RestoreFromCache(3);
    m_Overlay.RestoreFromCache(4);
    ExpectNear(m_Overlay.GetCorner(0), D3DXVECTOR3(-30, 30, 30));
}

TEST_F(OverlayDragTest, FullRestoreKeepsLinkAndGroupAndSnapshot)
{
    m_Overlay.Cache();
    CZNOverlay other;
    CZNGROUP *group = new CZNGROUP;
    group->AddChild(&m_Overlay);
    m_Overlay.m_Next = &other;
    const D3DXVECTOR3 delta(1, 0, 0);
    m_Overlay.Move(&delta, 0);
    m_Overlay.RestoreFromCache(1);
    EXPECT_EQ(m_Overlay.m_Next, &other);
    EXPECT_EQ(m_Overlay.GetGroup(), group);
    EXPECT_TRUE(m_Overlay.IsCached());
    ExpectNear(m_Overlay.GetCorner(0), D3DXVECTOR3(-30, 30, 30));
    m_Overlay.m_Next = nullptr;
    m_Overlay.FreeFromParent(); // the group is left empty and deleted
    EXPECT_EQ(m_Overlay.GetGroup(), nullptr);
}

TEST_F(OverlayDragTest, ClearCacheDeletesTheSnapshotOnce)
{
    m_Overlay.Cache();
    m_Overlay.Cache(); // a second snapshot replaces the first
    m_Overlay.ClearCache();
    EXPECT_FALSE(m_Overlay.IsCached());
    m_Overlay.ClearCache();
    EXPECT_FALSE(m_Overlay.IsCached());
}

TEST_F(OverlayDragTest, DragStepsStartFromTheSnapshot)
{
    const D3DXVECTOR3 step(2, 0, 0);
    m_Overlay.Move(&step, 1);
    m_Overlay.Move(&step, 1);
    ExpectNear(m_Overlay.GetCorner(0), D3DXVECTOR3(-28, 30, 30));
    ExpectNear(m_Overlay.GetExtents().Min, D3DXVECTOR3(-28, 0, -30));
    m_Overlay.ClearCache();
}

TEST_F(OverlayDragTest, RotateTurnsCornersVerticesAndNormals)
{
    m_Overlay.Rotate(90, 0, 0, nullptr, 0);
    // The floor face turns to face -z or +z; its normal follows.
    const ZNFACE *face = m_Overlay.GetFace(0);
    for (short k = 0; k < face->GetVertexCount(); ++k) {
        EXPECT_NEAR(face->GetVector(k).y * face->GetVector(k).y + face->GetVector(k).z * face->GetVector(k).z,
                    900.0f, 1e-2f);
        EXPECT_NEAR(std::fabs(face->GetVertexNormal(k).z), 1.0f, 1e-5f);
    }
    const ZNBBOX bounds = m_Overlay.GetBounds(0);
    ExpectNear(bounds.Min, D3DXVECTOR3(-30, -30, -30));
}

TEST_F(OverlayDragTest, ScaleToBox)
{
    const ZNBBOX same = m_Overlay.GetBounds(0);
    m_Overlay.ScaleToBox(&same, &same, 0);
    ExpectNear(m_Overlay.GetCorner(0), D3DXVECTOR3(-30, 30, 30));
    ExpectNear(m_Overlay.GetCorner(1), D3DXVECTOR3(30, 30, 30));

    ZNBBOX wider = same;
    wider.Max.x = 90; // from 60 to 120 wide
    m_Overlay.ScaleToBox(&wider, &same, 0);
    ExpectNear(m_Overlay.GetCorner(0), D3DXVECTOR3(-30, 30, 30));
    ExpectNear(m_Overlay.GetCorner(1), D3DXVECTOR3(90, 30, 30));
    EXPECT_NEAR(m_Overlay.GetExtents().Max.x, 90.0f, 1e-4f);
}

TEST(OverlayModel, ScalingAFlatAxisMovesWithTheMovedSide)
{
    CZNOverlay overlay;
    for (int i = 0; i < 8; ++i) {
        D3DXVECTOR3 c = overlay.GetCorner(i);
        c.y = 0; // a box of no height
        overlay.SetCorner(i, c);
    }
    const ZNBBOX old = overlay.GetBounds(1);
    ZNBBOX raised = old;
    raised.Max.y = 10;
    overlay.ScaleToBox(&raised, &old, 0);
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(std::isfinite(overlay.GetCorner(i).y));
        EXPECT_NEAR(overlay.GetCorner(i).y, 10.0f, 1e-4f);
    }
}

TEST(OverlayModel, AppendFaceAndFaceFlag)
{
    CZNOverlay overlay;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(overlay.AppendFace(new ZNFACE), 1);
    EXPECT_EQ(overlay.SetFaceFlag(4), 3u);
    for (DWORD i = 0; i < 3; ++i)
        EXPECT_EQ(overlay.GetFace(i)->m_FaceFlag, 4);
    EXPECT_EQ(overlay.GetFace(3), nullptr);
    EXPECT_EQ(overlay.GetFaceExtents(3).Min.x, 1000000.0f);
    overlay.ClearFaces();
    EXPECT_EQ(overlay.GetFaceCount(), 0u);
}
