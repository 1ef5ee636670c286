// Preview light maps on the offscreen device, lit by entities of the shipped light plug-in.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/direct3d_texture9.h"
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

// One light beyond the corner of a 24 x 24 top face reaches only the two samples just outside
// the corner texel: the whole map keeps the base light but that texel, which takes half of the
// left sample, then half of the upper one (the sample buffer keeps the first light, so green
// reaches its limit).
TEST_F(LightmapBuilderTest, EdgePassLightsTheCornerTwiceWithoutResettingItsSample)
{
    ZNBRUSH *plate = Box({0, 0, -1}, {24, 24, 0});
    // The texel centre (1.5, 1.5, 0) is sqrt(34) = 5.83 from the light, outside the range of 5.5;
    // the samples (-1.5, 1.5, 0) and (1.5, -1.5, 0) are 5 away, so each gets 1/11 of the colour:
    // 60.5 steps of red, 200.5 of green, none of blue.
    Light({-1.5f, -1.5f, 4.0f}, 60.5f / 255.0f * 11.0f, 200.5f / 255.0f * 11.0f, 0.0f, 5.5f);
    ASSERT_TRUE(builder.Build(Entries({{ZNSELECT_BRUSH, plate}}), Scene(), Lights()));
    const CZNLightMap *top = builder.GetLightMap(5);
    ASSERT_EQ(top->Width, 8u);
    ASSERT_EQ(top->Height, 8u);
    // Red: sample 30 + 60.5 = 90, texel (30 + 90) / 2 = 60; sample 90 + 60.5 = 150, texel
    // (60 + 150) / 2 = 105. Green: 230, texel 130; 255 (limited), texel 192. Blue stays 30.
    EXPECT_EQ(top->Pixels[2], 105);
    EXPECT_EQ(top->Pixels[1], 192);
    EXPECT_EQ(top->Pixels[0], 30);
    for (size_t i = 3; i < top->Pixels.size(); ++i)
        ASSERT_EQ(top->Pixels[i], CZNLightmapBuilder::kBaseLight) << "byte " << i;
    Unlink();
}

struct ZNLIGHTMAPCAPSCASE {
    const char *name;
    DWORD textureCaps;
    DWORD maxWidth;
    UINT width, height;
};
class LightmapTextureCapsTest : public LightmapBuilderTest, public ::testing::WithParamInterface<ZNLIGHTMAPCAPSCASE>
{
};

// A 64 x 8 map uploaded under the adapter's texture limits: the texture's size follows them and
// each of its texels is the map's texel nearest by centre.
TEST_P(LightmapTextureCapsTest, TextureSizeFollowsTheCapsAndTheTexelsAreTheMaps)
{
    D3DCAPS9 caps{};
    ASSERT_EQ(D3D().GetDevice()->GetDeviceCaps(&caps), D3D_OK);
    caps.TextureCaps =
        (caps.TextureCaps & ~(D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY)) | GetParam().textureCaps;
    caps.MaxTextureWidth = GetParam().maxWidth;
    D3D().Shutdown();
    IDirect3D9::SetAdapterCapsForTesting(&caps, 1);
    ASSERT_EQ(D3D().Initialize(window.get()), 1);

    ZNBRUSH *slab = Box({0, 0, -1}, {100, 24, 0});
    Light({30, 12, 10}, 1.0f, 0.5f, 0.25f, 40.0f);
    ASSERT_TRUE(builder.Build(Entries({{ZNSELECT_BRUSH, slab}}), Scene(), Lights()));
    const CZNLightMap *map = builder.GetLightMap(5);
    ASSERT_EQ(map->Width, 64u);
    ASSERT_EQ(map->Height, 8u);
    ASSERT_NE(map->Texture, nullptr);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(map->Texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, GetParam().width);
    EXPECT_EQ(desc.Height, GetParam().height);

    D3DLOCKED_RECT locked{};
    ASSERT_EQ(map->Texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    int lit = 0;
    for (UINT y = 0; y < desc.Height; ++y)
        for (UINT x = 0; x < desc.Width; ++x) {
            const DWORD sx = (2 * x + 1) * map->Width / (2 * desc.Width),
                        sy = (2 * y + 1) * map->Height / (2 * desc.Height);
            const BYTE *texel = &map->Pixels[(static_cast<size_t>(sy) * map->Width + sx) * 3];
            const D3DCOLOR expected = D3DCOLOR(texel[2]) << 16 | D3DCOLOR(texel[1]) << 8 | texel[0];
            const D3DCOLOR got = static_cast<const D3DCOLOR *>(locked.pBits)[y * (locked.Pitch / 4) + x] & 0xFFFFFF;
            ASSERT_EQ(got, expected) << x << ", " << y;
            lit += texel[2] > CZNLightmapBuilder::kBaseLight;
        }
    map->Texture->UnlockRect(0);
    EXPECT_GT(lit, 0) << "the light shows in the texture";
    Unlink();
}
INSTANTIATE_TEST_SUITE_P(Caps, LightmapTextureCapsTest,
                         ::testing::Values(ZNLIGHTMAPCAPSCASE{"AnySize", 0, 4096, 64, 8},
                                           ZNLIGHTMAPCAPSCASE{"WidthCapped", 0, 32, 32, 8},
                                           ZNLIGHTMAPCAPSCASE{"CappedToANonPowerOfTwo", 0, 48, 48, 8},
                                           ZNLIGHTMAPCAPSCASE{"PowersOfTwo", D3DPTEXTURECAPS_POW2, 4096, 64, 8},
                                           ZNLIGHTMAPCAPSCASE{"SquareOnly", D3DPTEXTURECAPS_SQUAREONLY, 4096, 64, 64}),
                         [](const auto &info) { return std::string(info.param.name); });

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
