#include <gtest/gtest.h>

#include <cstring>

#include "render/direct3d.h"
#include "scene/material.h"
#include "wrapper_fixture.h"

namespace
{
bool SameColor(const D3DCOLORVALUE &c, float r, float g, float b, float a)
{
    return c.r == r && c.g == g && c.b == b && c.a == a;
}

D3DLIGHT9 PointLight(float red)
{
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {red, 0.5f, 0.25f, 1.0f};
    light.Position = D3DXVECTOR3(10, 20, 30);
    light.Range = 500.0f;
    light.Attenuation0 = 1.0f;
    return light;
}

BOOL Enabled(IDirect3DDevice9 *device, DWORD index)
{
    BOOL enabled = 2;
    device->GetLightEnable(index, &enabled);
    return enabled;
}
} // namespace

using MaterialsTest = ZnWrapperTest;
using LightsTest = ZnWrapperTest;

TEST_F(MaterialsTest, FiveBuiltInMaterials)
{
    CZN3D &d3d = Start();
    struct Expected {
        const char *name;
        float er, eg, eb, ea;
    };
    const Expected expected[] = {
        {"Default (White)", 0, 0, 0, 0}, {"Emissive Red", 1, 0, 0, 0.5f},   {"Emissive Yellow", 1, 1, 0, 1},
        {"Emissive Cyan", 0, 1, 1, 1},   {"Emissive Green", 0, 0.7f, 0, 1},
    };
    ASSERT_EQ(d3d.GetBuiltInMaterialCount(), 5);
    ASSERT_EQ(d3d.GetMaterialList()->GetElementCount(), 5u);
    for (DWORD i = 0; i < 5; ++i) {
        SCOPED_TRACE(expected[i].name);
        CZNMATERIAL *record = d3d.GetMaterialRecord(i);
        ASSERT_NE(record, nullptr);
        EXPECT_STREQ(record->GetName(), expected[i].name);
        D3DMATERIAL9 m = record->GetD3DMaterial();
        EXPECT_TRUE(SameColor(m.Diffuse, 1, 1, 1, 0.5f));
        EXPECT_TRUE(SameColor(m.Ambient, 1, 1, 1, 0.5f));
        EXPECT_TRUE(SameColor(m.Specular, 0, 0, 0, 0));
        EXPECT_TRUE(SameColor(m.Emissive, expected[i].er, expected[i].eg, expected[i].eb, expected[i].ea));
        EXPECT_EQ(m.Power, 0.0f);
        // The wrapper's own emissive values draw in the pure emissive colour.
        const D3DMATERIAL9 *own = d3d.GetBuiltInMaterial(i);
        ASSERT_NE(own, nullptr);
        const float white = i == 0 ? 1.0f : 0.0f;
        EXPECT_TRUE(SameColor(own->Diffuse, white, white, white, 0.5f));
        EXPECT_TRUE(SameColor(own->Ambient, white, white, white, 0.5f));
        EXPECT_TRUE(SameColor(own->Emissive, expected[i].er, expected[i].eg, expected[i].eb, expected[i].ea));
    }
    EXPECT_EQ(d3d.GetBuiltInMaterial(5), nullptr);

    D3DMATERIAL9 onDevice = {};
    d3d.GetMaterial(&onDevice);
    EXPECT_EQ(std::memcmp(&onDevice, d3d.GetBuiltInMaterial(0), sizeof onDevice), 0);
    d3d.SetDefaultMaterial(3);
    d3d.GetMaterial(&onDevice);
    EXPECT_EQ(std::memcmp(&onDevice, d3d.GetBuiltInMaterial(3), sizeof onDevice), 0);

    EXPECT_EQ(d3d.GetMaterialRecord(5), nullptr);
    EXPECT_EQ(d3d.AddMaterial(), 5);
    EXPECT_STREQ(d3d.GetMaterialRecord(5)->GetName(), "New Material");
    EXPECT_EQ(d3d.AddMaterial(), 6);
    EXPECT_EQ(d3d.TrimMaterialList(), 5u);
    EXPECT_EQ(d3d.GetMaterialRecord(5), nullptr);
    EXPECT_STREQ(d3d.GetMaterialRecord(4)->GetName(), "Emissive Green");

    d3d.Shutdown();
    EXPECT_EQ(d3d.GetBuiltInMaterialCount(), 0);
    EXPECT_EQ(d3d.GetMaterialList()->GetElementCount(), 0u);
    EXPECT_EQ(d3d.GetDevice(), nullptr);
}

TEST_F(LightsTest, TwoDefaultDirectionalLights)
{
    CZN3D &d3d = Start();
    const D3DXVECTOR3 directions[2] = {{0.286875f, -0.860624f, 0.420749f}, {-0.286875f, 0.860624f, -0.420749f}};
    for (DWORD i = 0; i < 2; ++i) {
        const D3DLIGHT9 *record = d3d.GetLightRecord(i);
        ASSERT_NE(record, nullptr);
        D3DLIGHT9 onDevice = {};
        ASSERT_EQ(Device()->GetLight(i, &onDevice), D3D_OK);
        for (const D3DLIGHT9 *light : {record, static_cast<const D3DLIGHT9 *>(&onDevice)}) {
            EXPECT_EQ(light->Type, D3DLIGHT_DIRECTIONAL);
            EXPECT_EQ(light->Direction, directions[i]);
            EXPECT_TRUE(SameColor(light->Diffuse, 1, 1, 1, 0));
            EXPECT_TRUE(SameColor(light->Ambient, 0, 0, 0, 0));
            EXPECT_TRUE(SameColor(light->Specular, 0, 0, 0, 0));
        }
        EXPECT_EQ(Enabled(Device(), i), TRUE);
    }
    EXPECT_EQ(d3d.IsDefaultLighting(), 1u);
}

TEST_F(LightsTest, SceneLightsTakeDeviceSlotsFromTwoAndGrowTheKindArray)
{
    CZN3D &d3d = Start();
    EXPECT_EQ(d3d.AddLight(nullptr), 0);
    EXPECT_EQ(d3d.GetSceneLightCount(), 0);
    for (WORD k = 0; k < 3; ++k) {
        EXPECT_EQ(d3d.GetLightKindCapacity(), 3) << k;
        D3DLIGHT9 light = PointLight(0.1f * (k + 1));
        EXPECT_EQ(d3d.AddLight(&light), k);
        D3DLIGHT9 onDevice = {};
        ASSERT_EQ(Device()->GetLight(k + 2u, &onDevice), D3D_OK);
        EXPECT_EQ(onDevice.Diffuse.r, light.Diffuse.r);
        EXPECT_EQ(onDevice.Position, light.Position);
        // Suspended while the default lighting is on.
        EXPECT_EQ(Enabled(Device(), k + 2u), FALSE);
        EXPECT_EQ(d3d.GetLightKind(k), 2);
    }
    EXPECT_EQ(d3d.GetLightKindCapacity(), 6);
    // Nothing was placed at a doubled offset.
    D3DLIGHT9 stray = {};
    EXPECT_NE(Device()->GetLight(6, &stray), D3D_OK);

    d3d.RemoveLight(1);
    EXPECT_EQ(d3d.GetLightKind(1), 0);
    EXPECT_EQ(d3d.GetLightRecord(3), nullptr);
    d3d.RemoveLight(40); // no such slot
    D3DLIGHT9 again = PointLight(0.9f);
    EXPECT_EQ(d3d.AddLight(&again), 1);
    EXPECT_EQ(d3d.GetSceneLightCount(), 3);
    ASSERT_NE(d3d.GetLightRecord(3), nullptr);
    EXPECT_EQ(d3d.GetLightRecord(3)->Diffuse.r, 0.9f);

    D3DXVECTOR3 position(-1, -2, -3), direction(0, -1, 0);
    d3d.SetLightPosition(2, &position, &direction);
    D3DLIGHT9 onDevice = {};
    Device()->GetLight(4, &onDevice);
    EXPECT_EQ(onDevice.Position, position);
    EXPECT_EQ(onDevice.Direction, direction);
    D3DLIGHT9 replaced = PointLight(0.7f);
    d3d.SetLight(0, &replaced);
    Device()->GetLight(2, &onDevice);
    EXPECT_EQ(onDevice.Diffuse.r, 0.7f);
    EXPECT_EQ(d3d.GetLightRecord(2)->Diffuse.r, 0.7f);
}

TEST_F(LightsTest, SwitchingBetweenDefaultAndSceneLighting)
{
    CZN3D &d3d = Start();
    D3DLIGHT9 light = PointLight(1.0f);
    d3d.SetAmbientLight(0xFF102030);
    d3d.AddLight(&light);
    d3d.AddLight(&light);
    d3d.SetDefaultLighting(1); // already on: nothing changes
    EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0xFF102030u);

    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "switched" : "after a reset");
        if (pass == 0)
            d3d.SetDefaultLighting(0);
        else
            ASSERT_EQ(d3d.ResetDevice(nullptr), 1);
        EXPECT_EQ(d3d.IsDefaultLighting(), 0u);
        EXPECT_EQ(Enabled(Device(), 0), FALSE);
        EXPECT_EQ(Enabled(Device(), 1), FALSE);
        EXPECT_EQ(Enabled(Device(), 2), TRUE);
        EXPECT_EQ(Enabled(Device(), 3), TRUE);
        EXPECT_EQ(d3d.GetLightKind(0), 1);
        EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0xFF102030u);
    }
    // A light added while scene lighting is on is lit at once.
    EXPECT_EQ(d3d.AddLight(&light), 2);
    EXPECT_EQ(Enabled(Device(), 4), TRUE);
    EXPECT_EQ(d3d.GetLightKind(2), 1);

    d3d.SetDefaultLighting(1);
    EXPECT_EQ(Enabled(Device(), 0), TRUE);
    EXPECT_EQ(Enabled(Device(), 1), TRUE);
    for (DWORD i = 2; i < 5; ++i)
        EXPECT_EQ(Enabled(Device(), i), FALSE) << i;
    EXPECT_EQ(d3d.GetLightKind(1), 2);
    EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0xFF4C4C4Cu);
}

TEST_F(LightsTest, DefaultAndSceneLightingLightAFaceDifferently)
{
    CZN3D &d3d = Start(32, 32);
    Device()->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    // A white face square to the camera, lit by a green point light in front of it.
    D3DLIGHT9 green = {};
    green.Type = D3DLIGHT_POINT;
    green.Diffuse = {0, 1, 0, 1};
    green.Position = D3DXVECTOR3(0, 0, 0);
    green.Range = 1000.0f;
    green.Attenuation0 = 1.0f;
    d3d.AddLight(&green);
    d3d.SetAmbientLight(0xFF000000);
    const float q[4][2] = {{-20, 20}, {20, 20}, {20, -20}, {-20, -20}};
    float vertices[4][10] = {};
    for (int i = 0; i < 4; ++i) {
        vertices[i][0] = q[i][0];
        vertices[i][1] = q[i][1];
        vertices[i][2] = 10.0f;
        vertices[i][5] = -1.0f;
    }
    auto centre = [&]() {
        d3d.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f);
        d3d.BeginScene();
        d3d.SetDefaultMaterial(0);
        d3d.DrawPrimitive(vertices, 4);
        d3d.EndScene();
        return BackBuffer()[16 * 32 + 16];
    };
    const D3DCOLOR lit = centre();
    // Default lighting: grey from the ambient and the default lights, no green cast.
    EXPECT_EQ((lit >> 16) & 0xFF, (lit >> 8) & 0xFF);
    EXPECT_GT(lit & 0xFF, 0x30u);
    d3d.SetDefaultLighting(0);
    const D3DCOLOR scene = centre();
    EXPECT_LT((scene >> 16) & 0xFF, 8u);
    // Lit per vertex: each corner sees the light at a third of full strength.
    EXPECT_NEAR(static_cast<int>((scene >> 8) & 0xFF), 85, 3);
}
