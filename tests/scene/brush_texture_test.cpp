#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/selection_band.h"
#include "scene/brush.h"
#include "scene_test_support.h"
#include "support/shapes.h"

namespace
{

constexpr float kHalfPi = 1.5707964f;

// A wall at z = 0 facing -z, 256 x 128 units.
void Wall(ZNBRUSH &brush)
{
    ZnAddPolygon(brush, {{0, 0, 0}, {256, 0, 0}, {256, 128, 0}, {0, 128, 0}}, {128, 64, 10});
    ZnFinishBrush(brush);
}

// A floor at y = 0 facing +y.
void Floor(ZNBRUSH &brush)
{
    ZnAddPolygon(brush, {{0, 0, 0}, {256, 0, 0}, {256, 0, -128}, {0, 0, -128}}, {128, -10, -64});
    ZnFinishBrush(brush);
}

ZNVERTEX *VertexAt(ZNFACE &face, const D3DXVECTOR3 &p)
{
    for (short i = 0; i < face.GetVertexCount(); ++i)
        if (Position(face.m_Vertices[i]) == p)
            return &face.m_Vertices[i];
    return nullptr;
}

// Every vertex's texture pair set to a value no mapping produces.
void MarkCoordinates(ZNFACE &face)
{
    for (short i = 0; i < face.GetVertexCount(); ++i)
        face.m_Vertices[i].tu = face.m_Vertices[i].tv = -7.0f;
}

bool CoordinatesMarked(const ZNFACE &face)
{
    for (short i = 0; i < face.GetVertexCount(); ++i)
        if (face.m_Vertices[i].tu != -7.0f || face.m_Vertices[i].tv != -7.0f)
            return false;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Texture coordinates of every mapping mode, with a 256 x 128 texture

struct UV {
    D3DXVECTOR3 at;
    float tu, tv;
};

// The mapping values of the face; what a case leaves out has the face's start value.
struct Mapping {
    BYTE mode;
    float uPos = 0, vPos = 0, uWrap = 1, vWrap = 1;
    D3DXVECTOR4 rotation = {0, 0, 0, 0};
    D3DXVECTOR3 origin = {ZN_NO_MAPPING_ORIGIN, ZN_NO_MAPPING_ORIGIN, ZN_NO_MAPPING_ORIGIN};
};

struct MappingCase {
    const char *name;
    void (*build)(ZNBRUSH &);
    DWORD face;
    Mapping mapping;
    std::vector<UV> expect;
    float tolerance = 0; // 0: equal to a few units in the last place
};

void PrintTo(const MappingCase &c, std::ostream *os)
{
    *os << c.name;
}

void Box10x20(ZNBRUSH &brush)
{
    ZnBuildBox(brush, {0, 0, 0}, {10, 20, 10});
}

void Box10x20x40(ZNBRUSH &brush)
{
    ZnBuildBox(brush, {0, 0, 0}, {10, 20, 40});
}

// A box around the y axis, 20 high.
void Pillar(ZNBRUSH &brush)
{
    ZnBuildBox(brush, {-10, 0, -10}, {10, 20, 10});
}

// One triangle on the three positive axes, 10 from the origin.
void Corner(ZNBRUSH &brush)
{
    ZnAddPolygon(brush, {{0, 0, 10}, {10, 0, 0}, {0, 10, 0}}, {0, 0, 0});
    ZnFinishBrush(brush);
}

const D3DXVECTOR3 kOrigin(0, 0, 0);

const MappingCase kMappingCases[] = {
    {"FaceAlignedWall", Wall, 0, {.mode = 1}, {{{256, 128, 0}, 1, -1}, {{0, 0, 0}, 0, 0}}},
    {"FaceAlignedOffsetAndRepeat", Wall, 0, {.mode = 1, .uPos = 64, .uWrap = 2}, {{{256, 128, 0}, 2.5f, -1}}},
    {"FaceAlignedRepeatZeroCountsAsOne", Wall, 0, {.mode = 1, .uWrap = 0}, {{{256, 128, 0}, 1, -1}}},
    {"FaceAlignedFourthRotation",
     Wall,
     0,
     {.mode = 1, .rotation = {0, 0, 0, kHalfPi}},
     {{{256, 128, 0}, 0.5f, 2}},
     1e-5f},
    {"FaceAlignedMappingOrigin", Wall, 0, {.mode = 1, .origin = {64, 0, 0}}, {{{256, 128, 0}, 0.75f, -1}}},
    {"FaceAlignedFloor", Floor, 0, {.mode = 1}, {{{256, 0, -128}, 1, 1}, {{256, 0, 0}, 1, 0}}},
    {"BoxXY", Box10x20, 4, {.mode = 4}, {{{0, 20, 0}, 0, 0}, {{10, 0, 0}, 1, 1}}},
    {"BoxXYOffsetInTenths", Box10x20, 4, {.mode = 4, .uPos = 5}, {{{0, 20, 0}, 0.5f, 0}}},
    {"BoxXYQuarterTurn",
     Box10x20,
     4,
     {.mode = 4, .rotation = {0, 0, 0, kHalfPi}},
     {{{10, 0, 0}, 1, -1}, {{0, 20, 0}, 0, 0}},
     1e-5f},
    {"BoxXZ", Box10x20x40, 2, {.mode = 5}, {{{10, 0, 40}, 1, 0}, {{0, 0, 0}, 0, 1}}},
    {"BoxZY", Box10x20x40, 0, {.mode = 6}, {{{0, 20, 40}, 1, 0}, {{0, 0, 0}, 0, 1}}},
    {"Spherical",
     Corner,
     0,
     {.mode = 2, .origin = kOrigin},
     {{{0, 0, 10}, 1.5f, 1.5f}, {{10, 0, 0}, 1.25f, 1.5f}, {{0, 10, 0}, 1.5f, 1}}},
    {"SphericalRepeatAndOffsetInRepeats",
     Corner,
     0,
     {.mode = 2, .vPos = 1, .uWrap = 2, .origin = kOrigin},
     {{{10, 0, 0}, 2.5f, 2.5f}}},
    {"CylindricalHeightInBox",
     Pillar,
     1,
     {.mode = 3, .origin = {0, 15, 0}},
     {{{10, 20, 10}, 1.375f, 1.25f}, {{10, 0, -10}, 1.125f, 2.25f}}},
};

class TextureMappingTest : public ::testing::TestWithParam<MappingCase>
{
protected:
    SizedTexture texture{256, 128}; // outlives the brush, which holds a reference
    ZNBRUSH brush;
};

TEST_P(TextureMappingTest, GivesTheCoordinates)
{
    const MappingCase &c = GetParam();
    c.build(brush);
    ZNFACE *face = brush.GetFace(c.face);
    ASSERT_NE(face, nullptr);
    ASSERT_EQ(brush.SetTexture(c.face, &texture, 0), 1);
    face->m_MappingMode = c.mapping.mode;
    face->m_UPos = c.mapping.uPos;
    face->m_VPos = c.mapping.vPos;
    face->m_UWrap = c.mapping.uWrap;
    face->m_VWrap = c.mapping.vWrap;
    face->m_Rotation = c.mapping.rotation;
    face->m_MappingOrigin = c.mapping.origin;
    ASSERT_EQ(brush.CalculateWorldTextureCoords(c.face), 1);
    for (const UV &uv : c.expect) {
        ZNVERTEX *v = VertexAt(*face, uv.at);
        ASSERT_NE(v, nullptr) << uv.at.x << ", " << uv.at.y << ", " << uv.at.z;
        if (c.tolerance == 0) {
            EXPECT_FLOAT_EQ(v->tu, uv.tu) << uv.at.x << ", " << uv.at.y << ", " << uv.at.z;
            EXPECT_FLOAT_EQ(v->tv, uv.tv) << uv.at.x << ", " << uv.at.y << ", " << uv.at.z;
        } else {
            EXPECT_NEAR(v->tu, uv.tu, c.tolerance) << uv.at.x << ", " << uv.at.y << ", " << uv.at.z;
            EXPECT_NEAR(v->tv, uv.tv, c.tolerance) << uv.at.x << ", " << uv.at.y << ", " << uv.at.z;
        }
    }
    EXPECT_EQ(face->m_UWrap == 0 || face->m_VWrap == 0, false);
}

INSTANTIATE_TEST_SUITE_P(Modes, TextureMappingTest, ::testing::ValuesIn(kMappingCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(TextureMapping, AFaceAcrossTheSeamStaysWithinOneRepeat)
{
    SizedTexture texture(256, 128);
    ZNBRUSH brush;
    // Straight behind the centre, where the angle wraps from 1 back to 2.
    ZnAddPolygon(brush, {{-1, -1, -10}, {1, -1, -10}, {1, 1, -10}, {-1, 1, -10}}, {0, 0, 0});
    ZnFinishBrush(brush);
    ZNFACE *face = brush.GetFace(0);
    brush.SetTexture(0, &texture, 0);
    face->m_MappingOrigin = {0, 0, 0};
    for (BYTE mode : {2, 3}) {
        face->m_MappingMode = mode;
        ASSERT_EQ(brush.CalculateWorldTextureCoords(0), 1);
        float lo = 1e9f, hi = -1e9f;
        for (short i = 0; i < face->GetVertexCount(); ++i) {
            lo = std::fmin(lo, face->m_Vertices[i].tu);
            hi = std::fmax(hi, face->m_Vertices[i].tu);
        }
        EXPECT_LT(hi - lo, 0.05f) << int(mode);
        EXPECT_NEAR(lo, 1.984f, 0.001f) << int(mode);
        EXPECT_NEAR(hi, 2.016f, 0.001f) << int(mode);
    }
}

TEST(TextureMapping, FlatBrushesGetFiniteCoordinates)
{
    for (auto shape : {Wall, Floor}) {
        SizedTexture texture(256, 128);
        ZNBRUSH brush;
        shape(brush);
        brush.SetTexture(0, &texture, 0);
        for (BYTE mode = 3; mode <= 6; ++mode) {
            brush.GetFace(0)->m_MappingMode = mode;
            ASSERT_EQ(brush.CalculateWorldTextureCoords(0), 1);
            for (short i = 0; i < brush.GetFace(0)->GetVertexCount(); ++i) {
                const ZNVERTEX &v = brush.GetFace(0)->m_Vertices[i];
                EXPECT_TRUE(std::isfinite(v.tu) && std::isfinite(v.tv)) << int(mode) << " vertex " << i;
            }
        }
    }
}

TEST(TextureMapping, ModeSevenAndFacesWithoutATextureKeepTheirCoordinates)
{
    SizedTexture texture(256, 128);
    SizedTexture unsized(0, 0);
    ZNBRUSH brush;
    Wall(brush);
    ZNFACE *face = brush.GetFace(0);
    MarkCoordinates(*face);
    EXPECT_EQ(brush.CalculateWorldTextureCoords(0), 0); // no texture
    brush.SetTexture(0, &unsized, 0);
    EXPECT_EQ(brush.CalculateWorldTextureCoords(0), 0); // size unknown
    brush.SetTexture(0, &texture, 0);
    face->m_MappingMode = 7;
    EXPECT_EQ(brush.CalculateWorldTextureCoords(0), 1);
    EXPECT_TRUE(CoordinatesMarked(*face));
    face->m_MappingMode = 1;
    face->m_Style = ZNFACESTYLE_LOCKUV;
    EXPECT_EQ(brush.CalculateWorldTextureCoords(0), 0);
    EXPECT_EQ(brush.CalculateWorldTextureCoords(1), 0); // past the last face
    EXPECT_TRUE(CoordinatesMarked(*face));
}

// ---------------------------------------------------------------------------------------------
// The setters, on a wall of mode 1 whose coordinates are marked before each call

struct SetterCase {
    const char *name;
    bool locked;
    std::function<int(ZNBRUSH &)> call;
    int result;
    std::function<void(const ZNFACE &)> expect;
    bool regenerates;
};

void PrintTo(const SetterCase &c, std::ostream *os)
{
    *os << c.name;
}

void ExpectRotation(const ZNFACE &f, float x, float y, float z, float w)
{
    EXPECT_FLOAT_EQ(f.m_Rotation.x, x);
    EXPECT_FLOAT_EQ(f.m_Rotation.y, y);
    EXPECT_FLOAT_EQ(f.m_Rotation.z, z);
    EXPECT_FLOAT_EQ(f.m_Rotation.w, w);
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

const SetterCase kSetterCases[] = {
    {"RotateHeldWithinRange", false,
     [](ZNBRUSH &b) {
         return b.SetFaceTextureRotate(0, {7, -1, 3, 0});
     },
     1, [](const ZNFACE &f) { ExpectRotation(f, 6.28f, 0, 3, 0); }, true},
    {"RotateNaNIsZero", false,
     [](ZNBRUSH &b) {
         return b.SetFaceTextureRotate(0, {kNaN, 1, kNaN, kNaN});
     },
     1, [](const ZNFACE &f) { ExpectRotation(f, 0, 1, 0, 0); }, true},
    {"RotateLockedStoresNothing", true,
     [](ZNBRUSH &b) {
         return b.SetFaceTextureRotate(0, {1, 1, 1, 1});
     },
     0, [](const ZNFACE &f) { ExpectRotation(f, 0, 0, 0, 0); }, false},
    {"ModeZeroRefused", false, [](ZNBRUSH &b) { return b.SetFaceMappingMode(0, 0); }, 0,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_MappingMode, 1); }, false},
    {"ModeEightRefused", false, [](ZNBRUSH &b) { return b.SetFaceMappingMode(0, 8); }, 0,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_MappingMode, 1); }, false},
    {"ModeSevenKeepsCoordinates", false, [](ZNBRUSH &b) { return b.SetFaceMappingMode(0, 7); }, 1,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_MappingMode, 7); }, false},
    {"ModeFourRegenerates", false, [](ZNBRUSH &b) { return b.SetFaceMappingMode(0, 4); }, 1,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_MappingMode, 4); }, true},
    {"ModeLockedRefused", true, [](ZNBRUSH &b) { return b.SetFaceMappingMode(0, 4); }, 0,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_MappingMode, 1); }, false},
    {"UPosRegenerates", false, [](ZNBRUSH &b) { return b.SetFaceTextureUPos(0, 64); }, 1,
     [](const ZNFACE &f) {
         EXPECT_EQ(f.m_UPos, 64);
         EXPECT_FLOAT_EQ(f.m_Vertices[2].tu, 320.0f / 256.0f);
     },
     true},
    {"UPosLockedStoredWithoutRegenerating", true, [](ZNBRUSH &b) { return b.SetFaceTextureUPos(0, 64); }, 0,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_UPos, 64); }, false},
    {"VPosLockedStoredWithoutRegenerating", true, [](ZNBRUSH &b) { return b.SetFaceTextureVPos(0, 8); }, 0,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_VPos, 8); }, false},
    {"UWrapRegenerates", false, [](ZNBRUSH &b) { return b.SetFaceTextureUWrap(0, 2); }, 1,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_UWrap, 2); }, true},
    {"VWrapLockedStoredWithoutRegenerating", true, [](ZNBRUSH &b) { return b.SetFaceTextureVWrap(0, 3); }, 0,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_VWrap, 3); }, false},
    {"AlphaBlendStored", false, [](ZNBRUSH &b) { return b.SetFaceAlphaBlend(0, 3, 5); }, 1,
     [](const ZNFACE &f) {
         EXPECT_EQ(f.m_SrcBlend, 3);
         EXPECT_EQ(f.m_DestBlend, 5);
     },
     false},
    {"AlphaBlendOutOfRangeTurnsBlendingOff", false, [](ZNBRUSH &b) { return b.SetFaceAlphaBlend(0, 3, 12); }, 0,
     [](const ZNFACE &f) {
         EXPECT_EQ(f.m_SrcBlend, -1);
         EXPECT_EQ(f.m_DestBlend, -1);
     },
     false},
    {"AlphaBlendNoneTurnsBlendingOff", false,
     [](ZNBRUSH &b) { return b.SetFaceAlphaBlend(0, static_cast<int8_t>(0xFF), 5); }, 0,
     [](const ZNFACE &f) {
         EXPECT_EQ(f.m_SrcBlend, -1);
         EXPECT_EQ(f.m_DestBlend, -1);
     },
     false},
    {"StyleStoredWhole", true, [](ZNBRUSH &b) { return b.SetFaceStyle(0, 0x12); }, 1,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_Style, 0x12u); }, false},
    {"TextureLockedRefused", true, [](ZNBRUSH &b) { return b.SetTexture(0, nullptr, 1); }, 0,
     [](const ZNFACE &f) { EXPECT_NE(f.m_Texture, nullptr); }, false},
    {"TextureOfEveryFaceSkipsLockedOnes", true, [](ZNBRUSH &b) { return b.SetTexture(nullptr, 1); }, 1,
     [](const ZNFACE &f) { EXPECT_NE(f.m_Texture, nullptr); }, false},
    {"TextureRegeneratesOnRequest", false, [](ZNBRUSH &b) { return b.SetTexture(0, b.GetFace(0)->m_Texture, 1); }, 1,
     [](const ZNFACE &) {}, true},
    {"BadFaceIndexGivesZero", false,
     [](ZNBRUSH &b) {
         return b.SetFaceTextureUPos(1, 1) + b.SetFaceTextureVPos(1, 1) + b.SetFaceTextureUWrap(1, 1) +
                b.SetFaceTextureVWrap(1, 1) + b.SetFaceTextureRotate(1, {1, 1, 1, 1}) + b.SetFaceMappingMode(1, 2) +
                b.SetFaceAlphaBlend(1, 1, 1) + b.SetFaceStyle(1, 1) + b.SetTexture(1, nullptr, 1);
     },
     0, [](const ZNFACE &) {}, false},
};

class FaceSetterTest : public ::testing::TestWithParam<SetterCase>
{
protected:
    void SetUp() override
    {
        Wall(brush);
        ZNFACE *face = brush.GetFace(0);
        brush.SetTexture(0, &texture, 0);
        face->m_SrcBlend = face->m_DestBlend = 2;
        MarkCoordinates(*face);
    }
    SizedTexture texture{256, 128};
    ZNBRUSH brush;
};

TEST_P(FaceSetterTest, StoresAndRegenerates)
{
    const SetterCase &c = GetParam();
    ZNFACE &face = *brush.GetFace(0);
    if (c.locked)
        face.m_Style = ZNFACESTYLE_LOCKUV;
    EXPECT_EQ(c.call(brush), c.result);
    c.expect(face);
    EXPECT_EQ(CoordinatesMarked(face), !c.regenerates);
}

INSTANTIATE_TEST_SUITE_P(Setters, FaceSetterTest, ::testing::ValuesIn(kSetterCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(TextureMapping, WhileTheBandDragsOnlyFaceAlignedFacesFollow)
{
    SizedTexture texture(256, 128);
    ZNBRUSH brush;
    ZnBuildBox(brush, {0, 0, 0}, {10, 20, 10});
    brush.SetTexture(&texture, 0);
    for (DWORD i = 0; i < brush.GetFaceCount(); ++i)
        brush.GetFace(i)->m_MappingMode = i == 0 ? 1 : 4;
    brush.GetFace(5)->m_Style = ZNFACESTYLE_LOCKUV;
    auto marked = [&]() {
        std::string out;
        for (DWORD i = 0; i < brush.GetFaceCount(); ++i)
            out += CoordinatesMarked(*brush.GetFace(i)) ? 'm' : '-';
        return out;
    };
    for (DWORD i = 0; i < brush.GetFaceCount(); ++i)
        MarkCoordinates(*brush.GetFace(i));
    GetEditorApp()->GetSelectionBand()->SetBoxLocked(1);
    EXPECT_EQ(brush.CalculateWorldTextureCoords(), 1);
    GetEditorApp()->GetSelectionBand()->SetBoxLocked(0);
    EXPECT_EQ(marked(), "-mmmmm");
    EXPECT_EQ(brush.CalculateWorldTextureCoords(), 1);
    EXPECT_EQ(marked(), "-----m");
}

using BrushMaterialTest = MaterialListTest;

TEST_F(BrushMaterialTest, SetMaterialReachesLockedFaces)
{
    ZNBRUSH brush;
    ZnBuildBox(brush, {0, 0, 0}, {1, 1, 1});
    brush.GetFace(2)->m_Style = ZNFACESTYLE_LOCKUV;
    brush.SetMaterial(2);
    for (DWORD i = 0; i < brush.GetFaceCount(); ++i)
        EXPECT_EQ(brush.GetFace(i)->GetMaterial(), 2) << i;
    EXPECT_EQ(Refs(2), 6);
    EXPECT_EQ(Refs(0), 0);
}

} // namespace
