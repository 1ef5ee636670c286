// Entities on the offscreen device: light entities' lights and ambient colour, fog entities' fog
// states, the kinds known by type and vendor ids, and the wire cube of the 3D view.
#include <gtest/gtest.h>

#include "render/view3d_fixture.h"
#include "scene/entity_fixture.h"
#include "sdk/override_data.h"

namespace
{

class EntityDeviceTest : public ZnEntityTest<ZnView3DTest>
{
protected:
    void SetUp() override
    {
        ZnEntityTest<ZnView3DTest>::SetUp();
        if (HasFatalFailure())
            return;
        D3D().SetDefaultLighting(0);
    }
    void TearDown() override
    {
        D3D().SetDefaultLighting(1);
        D3D().SetAmbientLight(0);
        ZnEntityTest<ZnView3DTest>::TearDown();
    }
    // The states of the application's device (the fixture's own wrapper is not started).
    static IDirect3DDevice9 *AppDevice() { return D3D().GetDevice(); }
    static DWORD AppState(D3DRENDERSTATETYPE state)
    {
        DWORD value = 0xDEADBEEF;
        AppDevice()->GetRenderState(state, &value);
        return value;
    }
    static WORD ActiveLights()
    {
        WORD n = 0;
        for (WORD slot = 0; slot < D3D().GetSceneLightCount(); ++slot)
            n += D3D().GetLightKind(slot) != 0;
        return n;
    }
    size_t LightErrors() const
    {
        size_t n = 0;
        for (const auto &entry : reporter.Entries())
            n += entry.text == "Light Error: Unkown Type";
        return n;
    }
};

TEST_F(EntityDeviceTest, ALightKeepsOneLightAndGetsANewOneAfterHideAndShow)
{
    CZNEntity *light = Make("light", D3DXVECTOR3(1, 2, 3));
    light->ApplyLight(1);
    const int index = light->GetLightIndex();
    ASSERT_NE(index, -1);
    light->ApplyLight(1);
    EXPECT_EQ(light->GetLightIndex(), index);
    EXPECT_EQ(ActiveLights(), 1);
    const D3DLIGHT9 *record = D3D().GetLightRecord(static_cast<DWORD>(index) + 2);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Type, D3DLIGHT_POINT);
    EXPECT_FLOAT_EQ(record->Range, 300.0f);
    EXPECT_FLOAT_EQ(record->Position.y, 2.0f);
    EXPECT_FLOAT_EQ(record->Direction.z, 1.0f);

    // Hidden: the light goes; shown again: a light is added anew.
    light->ApplyLight(0);
    EXPECT_EQ(light->GetLightIndex(), -1);
    EXPECT_EQ(ActiveLights(), 0);
    CZNEntity *other = Make("light");
    other->ApplyLight(1); // takes the freed slot
    light->ApplyLight(1);
    EXPECT_NE(light->GetLightIndex(), -1);
    EXPECT_NE(light->GetLightIndex(), other->GetLightIndex());
    EXPECT_EQ(ActiveLights(), 2);

    // Deleting the entity gives its light back.
    entities.clear();
    EXPECT_EQ(ActiveLights(), 0);
}

TEST_F(EntityDeviceTest, AnAmbientKindSetsTheAmbientColourAndHoldsNoLight)
{
    CZNEntity *light = Make("light");
    light->ApplyLight(1); // a point light first
    Put<int32_t>(light, 64, 3);
    Put(light, 100, D3DCOLORVALUE{0.5f, 0.25f, 1.0f, 1.0f});
    light->ApplyLight(1);
    EXPECT_EQ(light->GetLightIndex(), -1);
    EXPECT_EQ(ActiveLights(), 0);
    EXPECT_EQ(D3D().GetAmbientLight(), 0xFF7F3FFFu);
    EXPECT_EQ(AppState(D3DRS_AMBIENT), 0xFF7F3FFFu);

    // Components beyond 0..1 are held at the ends.
    Put(light, 100, D3DCOLORVALUE{2.0f, -1.0f, 0.0f, 1.5f});
    light->ApplyLight(1);
    EXPECT_EQ(D3D().GetAmbientLight(), 0xFFFF0000u);

    D3D().SetDefaultLighting(1);
    light->ApplyLight(1);
    EXPECT_EQ(D3D().GetAmbientLight(), 0xFF4C4C4Cu);
}

TEST_F(EntityDeviceTest, KindsAreKnownByTypeIdAndTheExactVendor)
{
    EXPECT_EQ(Make("fog")->IsBuiltInKindC(), 1);
    EXPECT_EQ(Make("ent_fog_other_vendor")->IsBuiltInKindC(), 0);
    EXPECT_EQ(Make("ent_kind_b")->IsBuiltInKindB(), 1);
    EXPECT_EQ(Make("ent_kind_b")->IsBuiltInKindC(), 0);
    EXPECT_EQ(Make("reference")->IsBuiltInKindB(), 0);

    // A light of another vendor is a light; another kind is not, whatever its light index.
    CZNEntity *foreign = Make("ent_light_other_vendor");
    foreign->ApplyLight(1);
    EXPECT_NE(foreign->GetLightIndex(), -1);
    CZNEntity *probe = Make("ent_protocol");
    probe->SetLightIndex(5);
    probe->ApplyLight(1);
    probe->ApplyLight(0);
    EXPECT_EQ(probe->GetLightIndex(), 5);
    EXPECT_EQ(ActiveLights(), 1);
    probe->SetLightIndex(-1);

    // A 516 of another vendor sets no fog.
    AppDevice()->SetRenderState(D3DRS_FOGCOLOR, 0x12345678);
    CZNEntity *notFog = Make("ent_fog_other_vendor");
    Put<DWORD>(notFog, 40, 0xFFFFFFFF);
    notFog->ApplyFog();
    EXPECT_EQ(AppState(D3DRS_FOGCOLOR), 0x12345678u);
}

struct FogCase {
    const char *name;
    DWORD flags;
    DWORD table, vertex, range;
};

class EntityFogTest : public EntityDeviceTest, public ::testing::WithParamInterface<FogCase>
{
};

TEST_P(EntityFogTest, TheFogStatesReachTheDevice)
{
    const FogCase &c = GetParam();
    CZNEntity *fog = Make("fog");
    Put<DWORD>(fog, 36, c.flags);
    Put<DWORD>(fog, 40, 0xFF112233);
    Put<DWORD>(fog, 44, D3DFOG_LINEAR);
    Put<DWORD>(fog, 48, D3DFOG_EXP);
    Put(fog, 52, 10.0f);
    Put(fog, 56, 200.0f);
    Put(fog, 60, 0.5f);
    AppDevice()->SetRenderState(D3DRS_FOGENABLE, FALSE);
    fog->ApplyFog();
    EXPECT_EQ(AppState(D3DRS_FOGCOLOR), 0xFF112233u);
    EXPECT_EQ(AppState(D3DRS_FOGSTART), ZNFloatToDWORD(10.0f));
    EXPECT_EQ(AppState(D3DRS_FOGEND), ZNFloatToDWORD(200.0f));
    EXPECT_EQ(AppState(D3DRS_FOGDENSITY), ZNFloatToDWORD(0.5f));
    EXPECT_EQ(AppState(D3DRS_RANGEFOGENABLE), c.range);
    EXPECT_EQ(AppState(D3DRS_FOGENABLE), 1u);
    EXPECT_EQ(AppState(D3DRS_FOGTABLEMODE), c.table);
    EXPECT_EQ(AppState(D3DRS_FOGVERTEXMODE), c.vertex);
}

INSTANTIATE_TEST_SUITE_P(Modes, EntityFogTest,
                         ::testing::Values(FogCase{"TableFog", 1, D3DFOG_LINEAR, D3DFOG_NONE, 1},
                                           FogCase{"VertexFog", 0, D3DFOG_NONE, D3DFOG_EXP, 0}),
                         [](const ::testing::TestParamInfo<FogCase> &info) { return std::string(info.param.name); });

TEST_F(EntityDeviceTest, AnUnknownKindIsReportedOnceAndLightsNothing)
{
    CZNEntity *light = Make("light");
    light->ApplyLight(1);
    Put<int32_t>(light, 64, 7);
    for (int frame = 0; frame < 3; ++frame)
        light->ApplyLight(1);
    EXPECT_EQ(LightErrors(), 1u);
    EXPECT_EQ(light->GetLightIndex(), -1);
    EXPECT_EQ(ActiveLights(), 0);

    // Valid again, then unknown again: one more report.
    Put<int32_t>(light, 64, 1);
    light->ApplyLight(1);
    EXPECT_NE(light->GetLightIndex(), -1);
    EXPECT_EQ(D3D().GetLightRecord(static_cast<DWORD>(light->GetLightIndex()) + 2)->Type, D3DLIGHT_SPOT);
    Put<int32_t>(light, 64, -1);
    light->ApplyLight(1);
    light->ApplyLight(1);
    EXPECT_EQ(LightErrors(), 2u);
    EXPECT_EQ(ActiveLights(), 0);
}

struct CubeCase {
    const char *name;
    const char *plugin;
    bool selected;
    int selectedPass;
    D3DCOLOR colour;
};

class EntityCubeTest : public EntityDeviceTest, public ::testing::WithParamInterface<CubeCase>
{
};

TEST_P(EntityCubeTest, TheWireCubeShowsTheState)
{
    const CubeCase &c = GetParam();
    CZNEntity *entity = Make(c.plugin, D3DXVECTOR3(0, 0, 20));
    entity->SetSelected(c.selected);
    if (std::string(c.plugin) == "light")
        entity->ApplyLight(1);
    D3D().Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f);
    D3D().BeginScene();
    entity->Draw3D(&D3D(), c.selectedPass, nullptr);
    D3D().EndScene();
    const std::vector<D3DCOLOR> frame = BackBufferRgb();
    // The near top edge runs through (0, 2, 18); the middle of the near face stays dark.
    int found = 0;
    const POINT edge = Pixel(0, 2, 18);
    for (int dy = -1; dy <= 1; ++dy)
        found += ZnColourNear(At(frame, {edge.x, edge.y + dy}), c.colour) ? 1 : 0;
    EXPECT_GT(found, 0) << std::hex << At(frame, edge);
    EXPECT_EQ(At(frame, Pixel(0, 0, 18)), 0u);
}

INSTANTIATE_TEST_SUITE_P(States, EntityCubeTest,
                         ::testing::Values(CubeCase{"Entity", "reference", false, 0, 0xFFFF00},
                                           CubeCase{"Selected", "reference", true, 0, 0xFF0000},
                                           CubeCase{"SelectedPass", "reference", true, 1, 0xFFFF00},
                                           CubeCase{"Light", "light", false, 0, 0x00FFFF}),
                         [](const ::testing::TestParamInfo<CubeCase> &info) { return std::string(info.param.name); });

TEST_F(EntityDeviceTest, OnlyThePluginDrawsWhenTheOverrideSaysSo)
{
    auto probe = Probe("ent_protocol");
    CZNEntity *entity = Make("ent_protocol", D3DXVECTOR3(0, 0, 20));
    OVERRIDEDATA over{};
    over.DrawOwnSymbol = 0;
    D3D().Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f);
    D3D().BeginScene();
    entity->Draw3D(&D3D(), 0, &over);
    entity->Draw3D(&D3D(), 1, nullptr); // a selected-only pass skips an unselected entity
    entity->m_Flags |= 1;
    entity->Draw3D(&D3D(), 0, nullptr); // hidden
    D3D().EndScene();
    EXPECT_EQ(*probe->Symbol<int>("g_Render3DCalls"), 1);
    for (D3DCOLOR pixel : BackBufferRgb())
        ASSERT_EQ(pixel, 0u);
}

} // namespace
