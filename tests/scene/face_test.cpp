#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <vector>

#include "scene/geometry.h"
#include "scene/object_type.h"
#include "scene_test_support.h"

namespace
{

using FaceTest = MaterialListTest;

// A square of side 10 in the plane z = 0, wound so that its normal is (0, 0, -1).
void Square(ZNFACE &face, float z = 0.0f)
{
    FillFace(face, {{0, 0, z}, {0, 10, z}, {10, 10, z}, {10, 0, z}});
}

} // namespace

TEST_F(FaceTest, NewFaceHasItsDefaultsAndOneReferenceOnMaterialZero)
{
    EXPECT_EQ(Refs(0), 0);
    {
        ZNFACE face;
        EXPECT_EQ(face.m_ObjectType, ZNOBJECT_FACE);
        EXPECT_EQ(face.GetMaterial(), 0);
        EXPECT_EQ(Refs(0), 1);
        EXPECT_EQ(face.GetVertexCount(), 0);
        EXPECT_EQ(face.GetVertices(), nullptr);
        EXPECT_EQ(face.GetTexture(), nullptr);
        EXPECT_EQ(face.m_MappingMode, 1);
        EXPECT_EQ(face.m_UWrap, 1.0f);
        EXPECT_EQ(face.m_VWrap, 1.0f);
        EXPECT_EQ(face.m_UPos, 0.0f);
        EXPECT_EQ(face.m_SrcBlend, -1);
        EXPECT_EQ(face.m_DestBlend, -1);
        EXPECT_EQ(face.m_MappingOrigin, D3DXVECTOR3(FLT_MAX, FLT_MAX, FLT_MAX));
        EXPECT_EQ(face.m_ReservedIndex, -1);
        EXPECT_EQ(face.m_ReservedByte, 0xFF);
        EXPECT_EQ(face.m_SurfaceTag, -1);
        EXPECT_EQ(face.m_TriIndices, nullptr);
        EXPECT_EQ(face.Validate(), 0);

        ZNFACE sized(4);
        EXPECT_EQ(Refs(0), 2);
        ASSERT_EQ(sized.GetVertexCount(), 4);
        for (short i = 0; i < 4; ++i) {
            EXPECT_EQ(sized.GetVector(i), D3DXVECTOR3(0, 0, 0));
            EXPECT_EQ(sized.IsVertexSelected(i), 0);
            EXPECT_EQ(sized.GetVertexFaceListIndexArray()[i], -1);
        }
        EXPECT_EQ(sized.Validate(), 1);
    }
    EXPECT_EQ(Refs(0), 0);
}

TEST_F(FaceTest, CopiesAreDeepAndEveryFormKeepsReferenceCountsBalanced)
{
    SizedTexture texture(64, 32);
    {
        ZNFACE face;
        Square(face);
        face.SetTexture(&texture);
        face.SetMaterial(1);
        face.m_Style = ZNFACESTYLE_TWOSIDED;
        face.m_UPos = 0.25f;
        face.m_SurfaceTag = 7;
        face.SelectVertex(2, 1);
        face.GetVertexFaceListIndexArray()[1] = 5;
        EXPECT_EQ(texture.GetRefCount(), 1);
        EXPECT_EQ(Refs(0), 0);
        EXPECT_EQ(Refs(1), 1);
        unsigned short w = 0, h = 0;
        EXPECT_EQ(texture.GetTextureDimensions(&w, &h), 1);
        EXPECT_EQ(w, 64);
        EXPECT_EQ(h, 32);

        ZNFACE constructed(face);
        ZNFACE assigned;
        assigned = face;
        ZNFACE copied;
        EXPECT_EQ(copied.Copy(&face), 1);
        ZNFACE full(&face, 1);
        ZNFACE propertiesOnly(&face, 0);
        ZNFACE *created = face.CreateCopy();

        EXPECT_EQ(texture.GetRefCount(), 7);
        EXPECT_EQ(Refs(1), 7);
        EXPECT_EQ(Refs(0), 0);

        for (ZNFACE *copy : {&constructed, &assigned, &copied, &full, created}) {
            ASSERT_EQ(copy->GetVertexCount(), 4);
            EXPECT_NE(copy->GetVertices(), face.GetVertices());
            EXPECT_NE(copy->GetVertexSelectedArray(), face.GetVertexSelectedArray());
            EXPECT_NE(copy->GetVertexFaceListIndexArray(), face.GetVertexFaceListIndexArray());
            for (short i = 0; i < 4; ++i)
                EXPECT_EQ(copy->GetVector(i), face.GetVector(i));
            EXPECT_EQ(copy->IsVertexSelected(2), 1);
            EXPECT_EQ(copy->GetVertexFaceListIndexArray()[1], 5);
            EXPECT_EQ(copy->GetTexture(), &texture);
            EXPECT_EQ(copy->GetMaterial(), 1);
            EXPECT_EQ(copy->m_Style, ZNFACESTYLE_TWOSIDED);
            EXPECT_EQ(copy->m_UPos, 0.25f);
        }
        // The whole-record copies carry every field; Copy and its forms leave the tag.
        EXPECT_EQ(constructed.m_SurfaceTag, 7);
        EXPECT_EQ(assigned.m_SurfaceTag, 7);
        EXPECT_EQ(copied.m_SurfaceTag, -1);
        EXPECT_EQ(propertiesOnly.GetVertexCount(), 0);
        EXPECT_EQ(propertiesOnly.GetTexture(), &texture);

        // Changing a copy never changes the source.
        constructed.SetVertex(0, D3DXVECTOR3(-5, -5, -5));
        EXPECT_EQ(face.GetVector(0), D3DXVECTOR3(0, 0, 0));

        // Assigning over a face drops what it held; self-assignment changes nothing.
        assigned = propertiesOnly;
        assigned = assigned;
        EXPECT_EQ(assigned.GetVertexCount(), 0);
        EXPECT_EQ(texture.GetRefCount(), 7);
        delete created;
        EXPECT_EQ(texture.GetRefCount(), 6);
    }
    EXPECT_EQ(texture.GetRefCount(), 0);
    EXPECT_EQ(Refs(0), 0);
    EXPECT_EQ(Refs(1), 0);
    // The last reference freed the device texture.
    EXPECT_EQ(texture.GetTextureDimensions(nullptr, nullptr), 0);
}

TEST_F(FaceTest, ReleaseFaceDataDropsTextureAndMaterialAndTakesMaterialZero)
{
    SizedTexture texture(8, 8);
    ZNFACE face;
    Square(face);
    face.SetTexture(&texture);
    face.SetMaterial(2);
    face.BuildTriIndices();
    face.ReleaseFaceData();
    EXPECT_EQ(face.GetVertexCount(), 0);
    EXPECT_EQ(face.GetTexture(), nullptr);
    EXPECT_EQ(texture.GetRefCount(), 0);
    EXPECT_EQ(face.GetMaterial(), 0);
    EXPECT_EQ(Refs(2), 0);
    EXPECT_EQ(Refs(0), 1);

    // A material index that names no record takes and drops nothing.
    face.SetMaterial(99);
    EXPECT_EQ(Refs(0), 0);
    face.SetMaterial(-1);
    EXPECT_EQ(face.GetMaterial(), -1);
    // Releasing a texture that has no references left never goes below zero.
    texture.DecreaseRefCount();
    EXPECT_EQ(texture.GetRefCount(), 0);
}

TEST_F(FaceTest, VerticesAreAddedInsertedAndDeleted)
{
    ZNFACE face;
    short index = -1;
    EXPECT_EQ(face.AddVertex(D3DXVECTOR3(1, 2, 3), &index), 1);
    EXPECT_EQ(index, 0);
    ZNVERTEX v = MakeVertexFromFloats(4, 5, 6, 0, 0, 1);
    v.tu = 0.5f;
    EXPECT_EQ(face.AddVertex(v, &index), 1);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(face.GetVertex(1).tu, 0.5f);
    short first = -1;
    EXPECT_EQ(face.AddVertices(2, &first), 1);
    EXPECT_EQ(first, 2);
    ASSERT_EQ(face.GetVertexCount(), 4);
    face.SetVertex(2, D3DXVECTOR3(7, 8, 9));
    face.SetVertex(3, D3DXVECTOR3(10, 11, 12));
    face.SelectVertex(1, 1);

    ZNVERTEX *inserted = face.InsertVertex(1);
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(inserted, &face.GetVertices()[1]);
    ASSERT_EQ(face.GetVertexCount(), 5);
    EXPECT_EQ(face.GetVector(0), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(face.GetVector(1), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(face.GetVector(2), D3DXVECTOR3(4, 5, 6));
    EXPECT_EQ(face.IsVertexSelected(1), 0);
    EXPECT_EQ(face.IsVertexSelected(2), 1);
    EXPECT_EQ(face.GetVertexFaceListIndexArray()[1], -1);
    EXPECT_EQ(face.InsertVertex(7), nullptr);
    EXPECT_NE(face.InsertVertex(5), nullptr); // at the end
    EXPECT_EQ(face.GetVertexCount(), 6);

    EXPECT_EQ(face.DeleteVertex(0), 1);
    EXPECT_EQ(face.GetVertexCount(), 5);
    EXPECT_EQ(face.GetVector(1), D3DXVECTOR3(4, 5, 6));
    EXPECT_EQ(face.IsVertexSelected(1), 1);
    EXPECT_EQ(face.DeleteVertex(5), 0);
    EXPECT_EQ(face.DeleteVertex(-1), 0);

    // Index arguments at or past the count change nothing.
    EXPECT_EQ(face.SetVertex(5, D3DXVECTOR3(1, 1, 1)), 0);
    EXPECT_EQ(face.SelectVertex(5, 1), 0);
    EXPECT_EQ(face.GetVertexNormal(5), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(face.SelectAllVertices(1), 1);
    for (short i = 0; i < 5; ++i)
        EXPECT_EQ(face.IsVertexSelected(i), 1);
}

TEST_F(FaceTest, DeletingTheLastVertexKeepsTheFaceProperties)
{
    SizedTexture texture(16, 16);
    ZNFACE face;
    face.AddVertex(D3DXVECTOR3(1, 1, 1), nullptr);
    face.SetTexture(&texture);
    face.SetMaterial(1);
    face.m_Style = ZNFACESTYLE_SKYBOX;
    EXPECT_EQ(face.DeleteVertex(0), 1);
    EXPECT_EQ(face.GetVertexCount(), 0);
    EXPECT_EQ(face.GetVertices(), nullptr);
    EXPECT_EQ(face.GetVertexSelectedArray(), nullptr);
    EXPECT_EQ(face.GetTexture(), &texture);
    EXPECT_EQ(face.GetMaterial(), 1);
    EXPECT_EQ(face.m_Style, ZNFACESTYLE_SKYBOX);
    EXPECT_EQ(face.SelectAllVertices(1), 0);
    EXPECT_EQ(face.AddVertex(D3DXVECTOR3(2, 2, 2), nullptr), 1);
    EXPECT_EQ(face.GetVertexCount(), 1);
}

TEST_F(FaceTest, VertexNormalIsStoredUnitLength)
{
    struct Case {
        D3DXVECTOR3 in;
        int result;
        D3DXVECTOR3 stored;
    } cases[] = {
        {{0.005f, 0, 0}, 0, {0, 0, 0}},
        {{0, 2, 0}, 1, {0, 1, 0}},
        {{0, 0, 1.005f}, 1, {0, 0, 1.005f}},
        {{3, 4, 0}, 1, {0.6f, 0.8f, 0}},
    };
    for (const Case &c : cases) {
        ZNFACE face(1);
        EXPECT_EQ(face.SetVertexNormal(0, c.in), c.result);
        D3DXVECTOR3 n = face.GetVertexNormal(0);
        EXPECT_NEAR(n.x, c.stored.x, 1e-6f);
        EXPECT_NEAR(n.y, c.stored.y, 1e-6f);
        EXPECT_NEAR(n.z, c.stored.z, 1e-6f);
    }
    ZNFACE face(1);
    EXPECT_EQ(face.SetVertexNormal(1, D3DXVECTOR3(0, 1, 0)), 0);
}

TEST_F(FaceTest, ClassifyUsesTheTolerance)
{
    struct Case {
        float z;
        int side;
    } cases[] = {
        {0.0f, ZNPLANE_ON},     {0.005f, ZNPLANE_ON},   {-0.005f, ZNPLANE_ON},
        {-0.02f, ZNPLANE_BACK}, {0.02f, ZNPLANE_FRONT}, {5.0f, ZNPLANE_FRONT},
    };
    D3DXVECTOR3 normal(0, 0, 1), point(0, 0, 0);
    for (const Case &c : cases) {
        ZNFACE face;
        Square(face, c.z);
        EXPECT_EQ(face.Classify(&normal, &point), c.side) << "z = " << c.z;
    }
    ZNFACE tilted;
    FillFace(tilted, {{0, 0, -1}, {0, 10, -1}, {10, 10, 1}, {10, 0, 1}});
    EXPECT_EQ(tilted.Classify(&normal, &point), ZNPLANE_SPANNING);
    ZNFACE empty;
    EXPECT_EQ(empty.Classify(&normal, &point), ZNPLANE_ON);
}

TEST_F(FaceTest, ClipQuadThroughTheMiddleInterpolatesTextureCoordinates)
{
    struct Case {
        int keepFront;
        float lo, hi;
    } cases[] = {{1, 5, 10}, {0, 0, 5}};
    for (const Case &c : cases) {
        ZNFACE face;
        Square(face);
        face.SelectVertex(0, 1);
        D3DXVECTOR3 normal(1, 0, 0), point(5, 0, 0);
        ASSERT_EQ(face.ClipToPlane(&normal, &point, c.keepFront), 1);
        ASSERT_EQ(face.GetVertexCount(), 4);
        for (short i = 0; i < 4; ++i) {
            ZNVERTEX v = face.GetVertex(i);
            EXPECT_GE(v.x, c.lo - 1e-4f);
            EXPECT_LE(v.x, c.hi + 1e-4f);
            EXPECT_NEAR(v.tu, v.x / 10.0f, 1e-5f);
            EXPECT_NEAR(v.tv, v.y / 10.0f, 1e-5f);
            EXPECT_EQ(face.IsVertexSelected(i), 0);
            EXPECT_EQ(face.GetVertexFaceListIndexArray()[i], -1);
        }
        EXPECT_NEAR(face.CalculateArea(), 50.0f, 1e-3f);
    }

    // Entirely on the removed side: the face empties; entirely kept: unchanged.
    ZNFACE face;
    Square(face);
    D3DXVECTOR3 normal(1, 0, 0), far(20, 0, 0), near(-20, 0, 0);
    EXPECT_EQ(face.ClipToPlane(&normal, &near, 1), 1);
    EXPECT_EQ(face.GetVertexCount(), 4);
    EXPECT_EQ(face.GetVector(2), D3DXVECTOR3(10, 10, 0));
    EXPECT_EQ(face.ClipToPlane(&normal, &far, 1), 1);
    EXPECT_EQ(face.GetVertexCount(), 0);
    EXPECT_EQ(face.ClipToPlane(nullptr, &far, 1), 0);
}

namespace
{

// Clips copies of the face to both sides of the plane: no vertex may cross it and the two
// halves must add up to the whole.
void ExpectClipHalvesAddUp(const ZNFACE &face, D3DXVECTOR3 normal, D3DXVECTOR3 point)
{
    ZNFACE front(face), back(face);
    ASSERT_EQ(front.ClipToPlane(&normal, &point, 1), 1);
    ASSERT_EQ(back.ClipToPlane(&normal, &point, 0), 1);
    for (short i = 0; i < front.GetVertexCount(); ++i) {
        D3DXVECTOR3 d = front.GetVector(i) - point;
        EXPECT_GE(D3DXVec3Dot(&d, &normal), -0.011f);
    }
    for (short i = 0; i < back.GetVertexCount(); ++i) {
        D3DXVECTOR3 d = back.GetVector(i) - point;
        EXPECT_LE(D3DXVec3Dot(&d, &normal), 0.011f);
    }
    float whole = face.CalculateArea();
    EXPECT_NEAR(front.CalculateArea() + back.CalculateArea(), whole, whole * 1e-4f);
}

} // namespace

TEST_F(FaceTest, ClipHasNoVertexLimit)
{
    // A 200-vertex circle cut through its centre.
    ZNFACE circle;
    for (int i = 0; i < 200; ++i) {
        float a = -2.0f * D3DX_PI * i / 200.0f;
        circle.AddVertex(D3DXVECTOR3(100 * std::cos(a), 100 * std::sin(a), 0), nullptr);
    }
    circle.m_Normal = D3DXVECTOR3(0, 0, -1);
    ExpectClipHalvesAddUp(circle, D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 0, 0));
    ZNFACE half(circle);
    D3DXVECTOR3 normal(1, 0, 0), point(0, 0, 0);
    half.ClipToPlane(&normal, &point, 1);
    EXPECT_GE(half.GetVertexCount(), 101);

    // A 200-vertex comb whose edges cross the plane 198 times: the kept ring has 299 vertices.
    ZNFACE comb;
    for (int k = 0; k < 198; ++k)
        comb.AddVertex(D3DXVECTOR3(static_cast<float>(k), (k % 2 == 0) ? 10.0f : 2.0f, 0), nullptr);
    comb.AddVertex(D3DXVECTOR3(197, 0, 0), nullptr);
    comb.AddVertex(D3DXVECTOR3(0, 0, 0), nullptr);
    comb.m_Normal = D3DXVECTOR3(0, 0, -1);
    ASSERT_EQ(comb.GetVertexCount(), 200);
    ExpectClipHalvesAddUp(comb, D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 6, 0));
    ZNFACE below(comb);
    D3DXVECTOR3 up(0, 1, 0), at(0, 6, 0);
    below.ClipToPlane(&up, &at, 0);
    EXPECT_EQ(below.GetVertexCount(), 101 + 198);
}

TEST_F(FaceTest, ShapeQueries)
{
    ZNFACE square;
    Square(square);
    EXPECT_TRUE(square.IsConvex());
    EXPECT_FALSE(square.ContainsDegenerate());
    EXPECT_NEAR(square.CalculateArea(), 100.0f, 1e-4f);
    square.CalculateFaceCenterPoint();
    EXPECT_EQ(square.m_CenterPoint, D3DXVECTOR3(5, 5, 0));
    D3DXVECTOR3 inside(5, 5, 0), onEdge(0, 5, 0), outside(11, 5, 0);
    EXPECT_EQ(square.PointInside(&inside), 1);
    EXPECT_EQ(square.PointInside(&onEdge), 1);
    EXPECT_EQ(square.PointInside(&outside), 0);

    ZNFACE ell;
    FillFace(ell, {{0, 0, 0}, {0, 20, 0}, {10, 20, 0}, {10, 10, 0}, {20, 10, 0}, {20, 0, 0}});
    EXPECT_FALSE(ell.IsConvex());
    EXPECT_NEAR(ell.CalculateArea(), 300.0f, 1e-3f);

    ZNFACE split;
    FillFace(split, {{0, 0, 0}, {0, 5, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}});
    EXPECT_TRUE(split.ContainsDegenerate());
    EXPECT_TRUE(split.IsConvex());

    ZNFACE empty;
    EXPECT_FALSE(empty.IsConvex());
    EXPECT_EQ(empty.CalculateArea(), 0.0f);
    empty.CalculateFaceCenterPoint();
    EXPECT_EQ(empty.m_CenterPoint, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(empty.PointInside(&outside), 1);

    struct Axis {
        D3DXVECTOR3 normal;
        unsigned long axis;
    } axes[] = {{{0.6f, 0.6f, 0.5f}, 2}, {{0, 0.7f, 0.7f}, 1}, {{0, 0, -1}, 3}, {{0.1f, -0.9f, 0.2f}, 1}};
    for (const Axis &a : axes) {
        square.m_Normal = a.normal;
        EXPECT_EQ(square.GetMajorAxis(), a.axis);
    }

    ZNFACE copy(ell);
    D3DXVECTOR3 n(0, 0, 1), p(0, 0, 0);
    ZNBBOX box{{0, 0, 0}, {1, 1, 1}};
    EXPECT_EQ(copy.CreateFaceOnPlane(&n, &p, &box), 1);
    ASSERT_EQ(copy.GetVertexCount(), ell.GetVertexCount());
    for (short i = 0; i < copy.GetVertexCount(); ++i)
        EXPECT_EQ(copy.GetVector(i), ell.GetVector(i));
}

TEST_F(FaceTest, TriangleListOnlyForFacesThatNeedOne)
{
    ZNFACE square;
    Square(square);
    square.BuildTriIndices();
    EXPECT_EQ(square.m_TriIndices, nullptr);

    ZNFACE ell;
    FillFace(ell, {{0, 0, 0}, {0, 20, 0}, {10, 20, 0}, {10, 10, 0}, {20, 10, 0}, {20, 0, 0}});
    ell.BuildTriIndices();
    ASSERT_NE(ell.m_TriIndices, nullptr);
    for (int i = 0; i < 12; ++i)
        EXPECT_LT(ell.m_TriIndices[i], 6);

    // The list is copied with the face and dropped when the vertex count changes.
    ZNFACE copy(ell);
    ASSERT_NE(copy.m_TriIndices, nullptr);
    EXPECT_NE(copy.m_TriIndices, ell.m_TriIndices);
    copy.AddVertex(D3DXVECTOR3(1, 1, 0), nullptr);
    EXPECT_EQ(copy.m_TriIndices, nullptr);
}

TEST_F(FaceTest, PointNormalInterpolatesVertexNormals)
{
    ZNFACE face;
    FillFace(face, {{0, 0, 0}, {0, 10, 0}, {10, 0, 0}});
    face.SetVertexNormal(0, D3DXVECTOR3(0, 0, -1));
    face.SetVertexNormal(1, D3DXVECTOR3(1, 0, 0));
    face.SetVertexNormal(2, D3DXVECTOR3(0, 1, 0));

    struct Case {
        D3DXVECTOR3 p;
        D3DXVECTOR3 n;
    } cases[] = {
        {{0, 10, 0}, {1, 0, 0}},
        {{10, 0, 0}, {0, 1, 0}},
        {{5, 5, 0}, {0.70710678f, 0.70710678f, 0}},
    };
    for (const Case &c : cases) {
        D3DXVECTOR3 n;
        ASSERT_TRUE(face.GetPointNormal(c.p, n));
        EXPECT_NEAR(n.x, c.n.x, 1e-4f);
        EXPECT_NEAR(n.y, c.n.y, 1e-4f);
        EXPECT_NEAR(n.z, c.n.z, 1e-4f);
    }
    ZNFACE empty;
    D3DXVECTOR3 n;
    EXPECT_FALSE(empty.GetPointNormal(D3DXVECTOR3(0, 0, 0), n));
}
