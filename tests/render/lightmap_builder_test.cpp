// Preview light maps on the offscreen device, lit by entities of the shipped light plug-in.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "render/lightmap_builder.h"
#include "render/view3d_fixture.h"
#include "scene/brush.h"
#include "scene/entity_fixture.h"
#include "scene/face.h"
#include "scene/selection_entry.h"
#include "support/shapes.h"

namespace
{

class LightmapBuilderTest : public ZnEntityTest<ZnView3DTest>
{
protected:
    void TearDown() override
    {
        builder.Release();
        brushes.clear();
        ZnEntityTest<ZnView3DTest>::TearDown();
    }
    // A box brush linked behind the others (the shadow casters).
    ZNBRUSH *Box(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
    {
        brushes.push_back(std::make_unique<ZNBRUSH>());
        ZNBRUSH *b = brushes.back().get();
        ZnBuildBox(*b, lo, hi);
        if (brushes.size() > 1)
            brushes[brushes.size() - 2]->m_Next = b;
        return b;
    }
    ZNBRUSH *Scene() const { return brushes.empty() ? nullptr : brushes.front().get(); }
    // A point light at p with the diffuse colour and range given.
    CZNEntity *Light(const D3DXVECTOR3 &p, float r, float g, float b, float range)
    {
        CZNEntity *light = Make("light", p);
        Put<int32_t>(light, 64, 0);
        Put(light, 68, r);
        Put(light, 72, g);
        Put(light, 76, b);
        Put(light, 116, range);
        if (!entities.empty() && entities.size() > 1)
            entities[entities.size() - 2]->m_Next = light;
        return light;
    }
    CZNEntity *Lights() const { return entities.empty() ? nullptr : entities.front().get(); }
    static std::vector<ZNSELECTIONENTRY> Entries(std::initializer_list<std::pair<BYTE, void *>> objects)
    {
        std::vector<ZNSELECTIONENTRY> entries;
        for (const auto &[type, object] : objects) {
            ZNSELECTIONENTRY e{};
            e.Type = type;
            e.Object = reinterpret_cast<uintptr_t>(object);
            entries.push_back(e);
        }
        return entries;
    }
    // Unlinks the test's lists before their owners free them.
    void Unlink()
    {
        for (auto &b : brushes)
            b->m_Next = nullptr;
        for (auto &e : entities)
            e->m_Next = nullptr;
    }

    std::vector<std::unique_ptr<ZNBRUSH>> brushes;
    CZNLightmapBuilder builder;
};

TEST(LightmapSizeTest, OneTexelPerThreeUnitsFrom8To256AsAPowerOfTwo)
{
    EXPECT_EQ(CZNLightmapBuilder::MapSize(24.0f), 8u);
    EXPECT_EQ(CZNLightmapBuilder::MapSize(100.0f), 64u);
    EXPECT_EQ(CZNLightmapBuilder::MapSize(800.0f), 256u);
    EXPECT_EQ(CZNLightmapBuilder::MapSize(0.0f), 8u);
    EXPECT_EQ(CZNLightmapBuilder::MapSize(std::numeric_limits<float>::quiet_NaN()), 8u);
}

TEST(LightmapSmoothTest, ThreeByThreeCentreByHand)
{
    // One channel shown; every texel's three bytes are equal.
    const BYTE values[9] = {9, 18, 27, 36, 45, 54, 63, 72, 81};
    std::vector<BYTE> pixels;
    for (BYTE v : values)
        pixels.insert(pixels.end(), {v, v, v});
    CZNLightmapBuilder::SmoothLightMap(pixels.data(), 3, 3);
    // Centre (1,1): [T(0,0) + T(1,0) + T(2,0) + 2 (T(0,1) + T(1,1) + T(2,1))] / 9 = (9+36+63 + 2(18+45+72)) / 9 = 42.
    EXPECT_EQ(pixels[4 * 3], 42);
    for (int i : {0, 1, 2, 3, 5, 6, 7, 8})
        EXPECT_EQ(pixels[static_cast<size_t>(i) * 3], values[i]) << i;
}

TEST_F(LightmapBuilderTest, FaceSizesTagsAndSecondCoordinates)
{
    ZNBRUSH *box = Box({0, 0, 0}, {100, 24, 24});
    ASSERT_TRUE(builder.Build(Entries({{ZNSELECT_BRUSH, box}}), Scene(), nullptr));
    ASSERT_EQ(builder.GetLightMapCount(), 6);
    // -x face: 24 x 24 (z, y); -z face: 100 x 24 (x, y).
    EXPECT_EQ(builder.GetLightMap(0)->Width, 8u);
    EXPECT_EQ(builder.GetLightMap(0)->Height, 8u);
    EXPECT_EQ(builder.GetLightMap(4)->Width, 64u);
    EXPECT_EQ(builder.GetLightMap(4)->Height, 8u);
    for (DWORD i = 0; i < box->GetFaceCount(); ++i) {
        const ZNFACE *face = box->GetFace(i);
        EXPECT_EQ(face->m_SurfaceTag, static_cast<SHORT>(i));
        for (short v = 0; v < face->GetVertexCount(); ++v) {
            EXPECT_TRUE(face->m_Vertices[v].tu2 == 0.0f || face->m_Vertices[v].tu2 == 1.0f);
            EXPECT_TRUE(face->m_Vertices[v].tv2 == 0.0f || face->m_Vertices[v].tv2 == 1.0f);
        }
        EXPECT_NE(builder.GetLightMap(static_cast<int>(i))->Texture, nullptr);
    }
    // No light: every byte keeps the base light.
    for (int i = 0; i < builder.GetLightMapCount(); ++i)
        for (BYTE b : builder.GetLightMap(i)->Pixels)
            ASSERT_EQ(b, CZNLightmapBuilder::kBaseLight);
}

TEST_F(LightmapBuilderTest, LightTexelByHandAndWhatNeverLights)
{
    ZNBRUSH *floor = Box({-50, -50, -1}, {50, 50, 0});
    const ZNFACE *top = floor->GetFace(5); // +z at z = 0
    ASSERT_GT(top->m_Normal.z, 0.9f);
    CZNEntity *light = Light({0, 0, 10}, 0.5f, 0.25f, 0.0f, 20.0f);
    builder.CollectLights(Lights());
    ASSERT_EQ(builder.GetLightCount(), 1u);
    BYTE texel[3] = {30, 30, 30};
    // dist 10 of range 20: half of the colour is added to 30/255.
    builder.LightTexel(top, floor, D3DXVECTOR3(0, 0, 0), texel);
    EXPECT_EQ(texel[2], static_cast<BYTE>((30.0f / 255.0f + 0.25f) * 255.0f)); // red
    EXPECT_EQ(texel[1], static_cast<BYTE>((30.0f / 255.0f + 0.125f) * 255.0f));
    EXPECT_EQ(texel[0], 30);

    // At its range, behind the face, or of another kind: nothing.
    auto unlit = [&](const D3DXVECTOR3 &p, const ZNFACE *face) {
        BYTE t[3] = {30, 30, 30};
        builder.LightTexel(face, floor, p, t);
        return t[0] == 30 && t[1] == 30 && t[2] == 30;
    };
    Put(light, 116, 10.0f); // exactly at range from (0,0,0)
    builder.CollectLights(Lights());
    EXPECT_TRUE(unlit(D3DXVECTOR3(0, 0, 0), top));
    Put(light, 116, 20.0f);
    EXPECT_TRUE(unlit(D3DXVECTOR3(0, 0, -1), floor->GetFace(4))); // the bottom faces away
    for (int32_t kind : {1, 2, 3}) {
        Put<int32_t>(light, 64, kind);
        builder.CollectLights(Lights());
        EXPECT_EQ(builder.GetLightCount(), 0u) << kind;
        EXPECT_TRUE(unlit(D3DXVECTOR3(0, 0, 0), top)) << kind;
    }
    // A block too short for the range does not take part.
    Put<int32_t>(light, 64, 0);
    ASSERT_NE(light->AllocData(100), nullptr);
    builder.CollectLights(Lights());
    EXPECT_EQ(builder.GetLightCount(), 0u);
    Unlink();
}

TEST_F(LightmapBuilderTest, AnOccluderBlocksTheLight)
{
    ZNBRUSH *floor = Box({-50, -50, -1}, {50, 50, 0});
    Box({-5, -5, 4}, {5, 5, 5}); // a plate between the light and the floor's centre
    Light({0, 0, 10}, 1.0f, 1.0f, 1.0f, 50.0f);
    builder.CollectLights(Lights());
    ASSERT_TRUE(builder.Build(Entries({{ZNSELECT_BRUSH, floor}}), Scene(), Lights()));
    const CZNLightMap *top = builder.GetLightMap(5);
    ASSERT_EQ(top->Width, 64u); // 100 units: 33 texels, raised to 64
    const auto texel = [&](DWORD r, DWORD c) { return top->Pixels[(static_cast<size_t>(r) * top->Width + c) * 3]; };
    // Unblocked, the texel under the light would be full white (0.8 of the light added); under
    // the plate it keeps about the base light, which smoothing spreads a little; at x = 20 it is lit.
    EXPECT_LT(texel(32, 32), 64);
    EXPECT_GT(texel(32, 45), 150);
    Unlink();
}

TEST_F(LightmapBuilderTest, AnEntitiesOnlySelectionBuildsNothing)
{
    CZNEntity *light = Light({0, 0, 10}, 1, 1, 1, 50);
    EXPECT_TRUE(builder.Build(Entries({{ZNSELECT_ENTITY, light}}), nullptr, Lights()));
    EXPECT_EQ(builder.GetLightMapCount(), 0);
    Unlink();
}

TEST(LightmapNoDeviceTest, WithoutADeviceNothingIsKept)
{
    ZNBRUSH box;
    ZnBuildBox(box, {0, 0, 0}, {24, 24, 24});
    ZNSELECTIONENTRY e{};
    e.Type = ZNSELECT_BRUSH;
    e.Object = reinterpret_cast<uintptr_t>(&box);
    CZNLightmapBuilder builder;
    EXPECT_FALSE(builder.Build({e}, &box, nullptr));
    EXPECT_EQ(builder.GetLightMapCount(), 0);
}
} // namespace
