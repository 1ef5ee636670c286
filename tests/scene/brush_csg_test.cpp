#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/os/recording_reporter.h"
#include "render/texture.h"
#include "scene/brush.h"
#include "scene/bsp_tree.h"
#include "scene_test_support.h"
#include "solid_checks.h"
#include "support/shapes.h"

namespace
{

D3DXVECTOR3 Centre(const ZNBBOX &box)
{
    return (box.Min + box.Max) * 0.5f;
}

// Reports go to a recorder for the length of a test.
class RecordingTest : public MaterialListTest
{
protected:
    void SetUp() override
    {
        MaterialListTest::SetUp();
        GetEditorApp()->SetReporter(&m_Reporter);
    }
    void TearDown() override
    {
        GetEditorApp()->SetReporter(nullptr);
        MaterialListTest::TearDown();
    }
    CZNRecordingReporter m_Reporter;
};

using BuildFromTreeTest = RecordingTest;

TEST_F(BuildFromTreeTest, RoundTripKeepsFacesTexturesAndMaterials)
{
    CZNTexture texture;
    {
        auto source = Rotated(MakeCylinder({3, 1, -2}, 6, 9), 0, 17, 0);
        for (DWORD i = 0; i < source->GetFaceCount(); ++i) {
            ZNFACE *face = source->GetFace(i);
            face->SetTexture(i % 2 ? &texture : nullptr);
            face->SetMaterial(static_cast<LONG>(i % kMaterials));
            face->m_UPos = 0.25f * i;
            face->m_VWrap = 2.0f;
            face->m_Rotation = D3DXVECTOR4(0.5f, 0, 0, 0);
            face->m_Style = i == 0 ? static_cast<DWORD>(ZNFACESTYLE_FULLBRIGHT) : 0u;
            face->m_MappingMode = 4;
            face->m_SrcBlend = 2;
            face->m_DestBlend = 5;
            face->m_SurfaceTag = static_cast<SHORT>(i);
            face->m_MappingOrigin = D3DXVECTOR3(1, 2, 3);
        }
        const LONG textureRefs = texture.GetRefCount();
        const LONG material1Refs = Refs(1);

        CZNBSPTREE tree;
        ASSERT_EQ(tree.BuildFromBrush(source.get()), 1);
        // The tree holds no references.
        EXPECT_EQ(texture.GetRefCount(), textureRefs);

        ZNBRUSH rebuilt;
        ASSERT_EQ(rebuilt.BuildBrushFromBSPTree(&tree, 0), 1);
        ASSERT_EQ(rebuilt.GetFaceCount(), source->GetFaceCount());
        for (DWORD i = 0; i < source->GetFaceCount(); ++i) {
            ZNFACE *a = source->GetFace(i), *b = rebuilt.GetFace(i);
            ASSERT_EQ(b->GetVertexCount(), a->GetVertexCount());
            EXPECT_EQ(0, std::memcmp(b->m_Vertices, a->m_Vertices, sizeof(ZNVERTEX) * a->GetVertexCount()));
            EXPECT_EQ(b->m_Normal, a->m_Normal);
            EXPECT_EQ(b->GetTexture(), a->GetTexture());
            EXPECT_EQ(b->GetMaterial(), a->GetMaterial());
            EXPECT_EQ(b->m_UPos, a->m_UPos);
            EXPECT_EQ(b->m_VWrap, a->m_VWrap);
            EXPECT_EQ(b->m_Rotation, a->m_Rotation);
            EXPECT_EQ(b->m_Style, a->m_Style);
            EXPECT_EQ(b->m_MappingMode, a->m_MappingMode);
            EXPECT_EQ(b->m_SrcBlend, a->m_SrcBlend);
            EXPECT_EQ(b->m_DestBlend, a->m_DestBlend);
            EXPECT_EQ(b->m_SurfaceTag, a->m_SurfaceTag);
            EXPECT_EQ(b->m_MappingOrigin, a->m_MappingOrigin);
        }
        // The new faces hold their own references.
        const LONG textured = static_cast<LONG>(source->GetFaceCount() / 2);
        EXPECT_EQ(texture.GetRefCount(), textureRefs + textured);
        EXPECT_GT(Refs(1), material1Refs);

        // Bounds recomputed; the placement is the identity moved to the box centre.
        const ZNBBOX box = rebuilt.GetBoundingBox(0);
        const ZNBBOX expected = source->GetBoundingBox(1);
        EXPECT_EQ(box.Min, expected.Min);
        EXPECT_EQ(box.Max, expected.Max);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        const D3DXVECTOR3 c = Centre(box);
        identity._41 = c.x;
        identity._42 = c.y;
        identity._43 = c.z;
        EXPECT_EQ(0, std::memcmp(&rebuilt.m_Transform, &identity, sizeof(D3DXMATRIX)));
        EXPECT_EQ(OpenEdges(SurfaceOf(rebuilt), false), "");
        EXPECT_TRUE(m_Reporter.Entries().empty());
    }
    EXPECT_EQ(texture.GetRefCount(), 0);
}

TEST_F(BuildFromTreeTest, AppendKeepsTheOldFacesAndDeletedPolygonsAddNothing)
{
    auto a = MakeBox({0, 0, 0}, {10, 10, 10});
    auto b = MakeWedge({20, 0, 0}, {30, 10, 10});
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(b.get()), 1);
    tree.m_Polygons[2]->m_Deleted = 1;

    ASSERT_EQ(a->BuildBrushFromBSPTree(&tree, 1), 1);
    EXPECT_EQ(a->GetFaceCount(), 6u + 4u);
    EXPECT_EQ(a->GetBoundingBox(0).Max.x, 30.0f);

    ASSERT_EQ(a->BuildBrushFromBSPTree(&tree, 0), 1);
    ASSERT_EQ(a->GetFaceCount(), 4u);
    for (DWORD i = 0; i < 4; ++i) {
        const DWORD source = i < 2 ? i : i + 1;
        EXPECT_EQ(a->GetFace(i)->m_Normal, b->GetFace(source)->m_Normal);
    }
    EXPECT_EQ(a->GetBoundingBox(0).Min.x, 20.0f);
}

TEST_F(BuildFromTreeTest, RefusesTreesWithoutPolygons)
{
    auto a = MakeBox({0, 0, 0}, {10, 10, 10});
    const ZNBBOX box = a->GetBoundingBox(0);
    CZNBSPTREE empty;
    EXPECT_EQ(a->BuildBrushFromBSPTree(nullptr, 0), 0);
    EXPECT_EQ(a->BuildBrushFromBSPTree(&empty, 0), 0);
    EXPECT_EQ(a->GetFaceCount(), 6u);
    EXPECT_EQ(a->GetBoundingBox(0).Max, box.Max);
    EXPECT_TRUE(m_Reporter.Entries().empty());
}

TEST_F(BuildFromTreeTest, PolygonsWithoutVerticesAreReportedOnceAndSkipped)
{
    auto a = MakeBox({0, 0, 0}, {10, 10, 10});
    CZNBSPTREE tree;
    ASSERT_EQ(tree.BuildFromBrush(a.get()), 1);
    tree.m_Polygons[1]->FreeVertices();
    tree.m_Polygons[4]->FreeVertices();
    ZNBRUSH rebuilt;
    ASSERT_EQ(rebuilt.BuildBrushFromBSPTree(&tree, 0), 1);
    EXPECT_EQ(rebuilt.GetFaceCount(), 4u);
    ASSERT_EQ(m_Reporter.Entries().size(), 1u);
    EXPECT_EQ(m_Reporter.Entries()[0].text, "A Vertex Count was NULL");
    EXPECT_EQ(m_Reporter.Entries()[0].type, MB_YESNO | MB_ICONEXCLAMATION);
}

// The union of two brushes rebuilt as one: the surviving polygons of both trees.
std::unique_ptr<ZNBRUSH> RebuiltUnion(ZNBRUSH &a, ZNBRUSH &b)
{
    CZNBSPTREE ta, tb;
    EXPECT_EQ(ta.BuildFromBrush(&a), 1);
    EXPECT_EQ(tb.BuildFromBrush(&b), 1);
    EXPECT_EQ(ta.ClipTree(0, nullptr, &tb, 1, 0), 1);
    EXPECT_EQ(tb.ClipTree(0, nullptr, &ta, 1, 1), 1);
    ta.MergeSplitFragments();
    tb.MergeSplitFragments();
    auto result = std::make_unique<ZNBRUSH>();
    EXPECT_EQ(result->BuildBrushFromBSPTree(&ta, 0), 1);
    EXPECT_EQ(result->BuildBrushFromBSPTree(&tb, 1), 1);
    return result;
}

TEST(RemoveTJunctionsTest, UnionOfTouchingBoxesBecomesWatertight)
{
    // Smaller boxes against the +x face of a 20-unit box: in its middle, along an edge, at a
    // corner, and turned by a non-grid angle about the face's normal.
    const std::function<std::unique_ptr<ZNBRUSH>()> smalls[] = {
        [] {
            return MakeBox({20, 5, 5}, {30, 15, 12});
        },
        [] {
            return MakeBox({20, 0, 4}, {26, 9, 20});
        },
        [] {
            return MakeBox({20, 0, 0}, {25, 7, 7});
        },
        [] {
            return Rotated(MakeBox({20, 6, 6}, {28, 14, 14}), 17, 0, 0);
        },
    };
    for (const auto &makeSmall : smalls) {
        auto big = MakeBox({0, 0, 0}, {20, 20, 20});
        auto small = makeSmall();
        auto brush = RebuiltUnion(*big, *small);
        const ZnSurface before = SurfaceOf(*brush);
        EXPECT_EQ(OpenEdges(before, true), "");
        EXPECT_NE(OpenEdges(before, false), "");

        brush->RemoveTJunctions();
        const ZnSurface after = SurfaceOf(*brush);
        EXPECT_EQ(OpenEdges(after, false), "");
        EXPECT_NEAR(SurfaceVolume(after), SurfaceVolume(before), 1e-3);
        // A second pass finds nothing more.
        brush->RemoveTJunctions();
        size_t vertices = 0, again = 0;
        for (const ZnPolygon &p : after)
            vertices += p.size();
        for (const ZnPolygon &p : SurfaceOf(*brush))
            again += p.size();
        EXPECT_EQ(again, vertices);
    }
}

TEST(RemoveTJunctionsTest, CornerInsideAnEdgeIsInsertedInOrder)
{
    struct Case {
        float height; // of the small box beside the big one's +x face
        int added;    // vertices the big box's +x face gains
    };
    for (const Case &c : {Case{10.0f, 2}, Case{19.98f, 2}, Case{19.995f, 0}, Case{20.0f, 0}}) {
        SCOPED_TRACE(c.height);
        ZNBRUSH brush;
        ZnBuildBox(brush, {0, 0, 0}, {20, 20, 20});
        ZnBuildBox(brush, {20, 0, 0}, {30, c.height, 20});
        ZNFACE *face = brush.GetFace(1);
        const ZnPolygon before = SurfaceOf(brush)[1];
        brush.RemoveTJunctions();
        ASSERT_EQ(face->GetVertexCount(), 4 + c.added);
        // The ring keeps its corners in order and every inserted vertex lies between its
        // neighbours on the edge it splits.
        const ZnPolygon after = SurfaceOf(brush)[1];
        EXPECT_NEAR(SurfaceVolume({after}), SurfaceVolume({before}), 1e-6);
        int corners = 0;
        for (size_t i = 0; i < after.size(); ++i) {
            const D3DXVECTOR3 &p = after[i];
            const D3DXVECTOR3 &prev = after[(i + after.size() - 1) % after.size()];
            const D3DXVECTOR3 &next = after[(i + 1) % after.size()];
            D3DXVECTOR3 e1 = p - prev, e2 = next - p, cross;
            D3DXVec3Cross(&cross, &e1, &e2);
            if (D3DXVec3Length(&cross) > 1e-3f) {
                ++corners;
            } else {
                EXPECT_NEAR(p.x, 20.0f, 1e-6f);
                EXPECT_NEAR(p.y, c.height, 1e-6f);
                // Only positions are set on inserted vertices.
                EXPECT_EQ(face->m_Vertices[i].nx, 0.0f);
            }
        }
        EXPECT_EQ(corners, 4);
    }
}

TEST(RemoveTJunctionsTest, CornersOfSeveralFacesGoInOnceEachInOrder)
{
    // Three boxes stacked in y beside the big box's +x face: their corners at y = 5, 10 and 15
    // lie inside its two edges along y, the ones at 5 and 10 on two boxes each.
    ZNBRUSH brush;
    ZnBuildBox(brush, {0, 0, 0}, {20, 20, 20});
    for (const float y : {0.0f, 5.0f, 10.0f})
        ZnBuildBox(brush, {20, y, 0}, {30, y + 5, 20});
    brush.RemoveTJunctions();
    const ZnPolygon ring = SurfaceOf(brush)[1];
    ASSERT_EQ(ring.size(), 10u);
    // In order along the edges, the ring runs round the face once: its length is the face's
    // perimeter, and no two neighbours share a position.
    double length = 0.0;
    for (size_t i = 0; i < ring.size(); ++i) {
        D3DXVECTOR3 edge = ring[(i + 1) % ring.size()] - ring[i];
        EXPECT_GT(D3DXVec3Length(&edge), 1.0f) << i;
        length += D3DXVec3Length(&edge);
    }
    EXPECT_NEAR(length, 80.0, 1e-3);
}

// ---------------------------------------------------------------------------------------------
// Extrusion

struct ExtrudeCase {
    const char *name;
    std::function<std::unique_ptr<ZNBRUSH>()> make;
    DWORD face;
    D3DXVECTOR3 offset;
};

// Failing cases print their name, not their bytes.
void PrintTo(const ExtrudeCase &c, std::ostream *os)
{
    *os << c.name;
}

class ExtrudeFaceTest : public ::testing::TestWithParam<ExtrudeCase>
{
};

TEST_P(ExtrudeFaceTest, MakesAClosedPrismInTheDocument)
{
    const ExtrudeCase &c = GetParam();
    CZNEDITORDoc document;
    auto brush = c.make();
    ZNFACE *face = brush->GetFace(c.face);
    face->SelectFace(1);
    face->SelectAllVertices(1);
    const ZnSurface original = SurfaceOf(*brush);
    const int n = face->GetVertexCount();

    DWORD out = 99;
    D3DXVECTOR3 offset = c.offset;
    ZNBRUSH *prism = brush->ExtrudeFace(&offset, c.face, &out);
    ASSERT_NE(prism, nullptr);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(document.GetBrushList(), prism);
    ASSERT_EQ(prism->GetFaceCount(), static_cast<DWORD>(n + 2));

    // The far cap is the face moved by the offset; the near cap is the face turned over.
    ZNFACE *farCap = prism->GetFace(0), *nearCap = prism->GetFace(1);
    ASSERT_EQ(farCap->GetVertexCount(), n);
    ASSERT_EQ(nearCap->GetVertexCount(), n);
    for (short i = 0; i < n; ++i) {
        const D3DXVECTOR3 moved = face->GetVector(i) + c.offset;
        const D3DXVECTOR3 gap = farCap->GetVector(i) - moved;
        EXPECT_LT(D3DXVec3Length(&gap), 1e-4f);
        EXPECT_EQ(nearCap->GetVector(i), face->GetVector(static_cast<short>(i == 0 ? 0 : n - i)));
    }
    EXPECT_EQ(nearCap->m_Normal, -face->m_Normal);
    for (DWORD i = 0; i < prism->GetFaceCount(); ++i) {
        ZNFACE *f = prism->GetFace(i);
        EXPECT_EQ(f->IsFaceSelected(), 0);
        for (short v = 0; v < f->GetVertexCount(); ++v)
            EXPECT_EQ(f->IsVertexSelected(v), 0);
        EXPECT_EQ(f->GetMaterial(), face->GetMaterial());
    }

    // A closed solid of the face's area times the offset's height above it.
    ZnFinishBrush(*prism);
    const ZnSurface surface = SurfaceOf(*prism);
    EXPECT_EQ(OpenEdges(surface, false), "");
    const D3DXVECTOR3 n3 = face->m_Normal;
    const double height = D3DXVec3Dot(&c.offset, &n3);
    EXPECT_NEAR(SurfaceVolume(surface), face->CalculateArea() * height, std::fabs(height) * 1e-3);

    // The brush that holds the face is unchanged.
    const ZnSurface after = SurfaceOf(*brush);
    ASSERT_EQ(after.size(), original.size());
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i], original[i]);
}

const ExtrudeCase kExtrudeCases[] = {
    {"CubeTop",
     [] {
         return MakeBox({-1, -1, -1}, {1, 1, 1});
     },
     5,
     {0, 0, 10}},
    {"CylinderCap",
     [] {
         return MakeCylinder({0, 0, 0}, 4, 6);
     },
     17,
     {0, 5, 0}},
    {"WedgeSlopeSideways",
     [] {
         return MakeWedge({0, 0, 0}, {10, 10, 10});
     },
     2,
     {6, 2, 3}},
    {"RotatedBoxFace",
     [] {
         return Rotated(MakeBox({0, 0, 0}, {10, 4, 6}), 0, 17, 0);
     },
     1,
     {3, 0, -1}},
};

INSTANTIATE_TEST_SUITE_P(Faces, ExtrudeFaceTest, ::testing::ValuesIn(kExtrudeCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ExtrudeFaceRefusalTest, TinyOffsetsBadFacesAndNoDocumentMakeNothing)
{
    auto cube = MakeBox({-1, -1, -1}, {1, 1, 1});
    DWORD out = 7;
    D3DXVECTOR3 tiny(0.005f, 0, -0.009f), fine(0, 0, 10);
    {
        CZNEDITORDoc document;
        EXPECT_EQ(cube->ExtrudeFace(&tiny, 5, &out), nullptr);
        EXPECT_EQ(cube->ExtrudeFace(&fine, 6, &out), nullptr);
        EXPECT_EQ(cube->ExtrudeFace(nullptr, 5, &out), nullptr);
        EXPECT_EQ(document.GetBrushList(), nullptr);
        EXPECT_EQ(out, 7u);
        // 0.01 on one axis is enough.
        D3DXVECTOR3 small(0, 0.01f, 0);
        EXPECT_NE(cube->ExtrudeFace(&small, 3, nullptr), nullptr);
    }
    ASSERT_EQ(GetEditorApp()->GetDocument(), nullptr);
    EXPECT_EQ(cube->ExtrudeFace(&fine, 5, &out), nullptr);
    EXPECT_EQ(cube->GetFaceCount(), 6u);
}

} // namespace
