// The views with the document's entities: a light entity lights a face in a 3D frame, a fog
// entity's fog reaches the device, the 3D pick finds entities in object mode, the 2D views draw
// lights only with the lights option on, a placement click places an entity, and the scene's
// ambient colour comes from an ambient light entity.
#include <gtest/gtest.h>

#include "app/entity_plugin_manager.h"
#include "editor/2d_view_tool.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "platform/os/input.h"
#include "render/view/2d_view.h"
#include "render/view3d_fixture.h"
#include "scene/entity_fixture.h"
#include "sdk/pick3d_info.h"
#include "support/gdi_canvas.h"

namespace
{

class EntityViewTest : public ZnEntityTest<ZnView3DTest>
{
protected:
    void SetUp() override
    {
        ZnEntityTest<ZnView3DTest>::SetUp();
        if (HasFatalFailure())
            return;
        GetEditorApp()->SetDocument(document.get());
        D3D().SetDefaultLighting(0);
        D3D().SetAmbientLight(0);
    }
    void TearDown() override
    {
        // The document's entities go while their plug-ins and the device are still there.
        document->DeleteContents();
        GetEditorApp()->SetDocument(nullptr);
        D3D().SetDefaultLighting(1);
        D3D().SetAmbientLight(0);
        ZnAppOptions() = saved;
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        ZnEntityTest<ZnView3DTest>::TearDown();
    }
    static ZNAPPOPTIONS &ZnAppOptions() { return GetEditorApp()->Options(); }
    CZNEntity *New(const std::string &plugin, float x, float y, float z)
    {
        CZNEntity *entity = document->NewEntity(Plugin(plugin), x, y, z);
        EXPECT_NE(entity, nullptr);
        return entity;
    }
    static DWORD AppState(D3DRENDERSTATETYPE state)
    {
        DWORD value = 0xDEADBEEF;
        D3D().GetDevice()->GetRenderState(state, &value);
        return value;
    }
    // A material lit only by lights: white diffuse, nothing else.
    int DiffuseWhite()
    {
        const int index = D3D().AddMaterial();
        D3DMATERIAL9 m = {};
        m.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        D3D().GetMaterialRecord(static_cast<DWORD>(index))->SetD3DMaterial(&m);
        return index;
    }

    ZNAPPOPTIONS saved = GetEditorApp()->Options();
};

TEST_F(EntityViewTest, ALightEntityLightsAFace)
{
    ZnAppOptions().m_DrawLights3D = 0; // the light's symbol and label stay out of the picture
    ZNBRUSH *wall = Brush();
    Rect(wall, -10, -10, 10, 10, 30, DiffuseWhite(), nullptr);
    const POINT centre = Pixel(0, 0, 30);

    view.Render(0, 0, 1);
    EXPECT_EQ(Presented()[centre.y * kWidth + centre.x], 0u); // no light, no ambient: black

    CZNEntity *light = New("light", 0, 0, 10);
    view.Render(0, 0, 1);
    const D3DCOLOR lit = Presented()[centre.y * kWidth + centre.x];
    EXPECT_GT(lit & 0xFF, 0x80u) << std::hex << lit;
    EXPECT_NE(light->GetLightIndex(), -1);

    // Moved behind the wall, the light follows its head and the face goes dark.
    const D3DXVECTOR3 behind(0, 0, 40);
    light->Move(&behind, 0);
    view.Render(0, 0, 1);
    EXPECT_EQ(Presented()[centre.y * kWidth + centre.x], 0u);

    // Hidden, it gives its light back.
    light->m_Flags |= 1;
    view.Render(0, 0, 1);
    EXPECT_EQ(light->GetLightIndex(), -1);
}

TEST_F(EntityViewTest, LightSymbolsAreDrawnWithTheLightsOptionOnly)
{
    New("light", 0, 0, 20);
    const POINT edge = Pixel(0, 2, 18);
    for (int on : {0, 1}) {
        ZnAppOptions().m_DrawLights3D = on;
        ZnAppOptions().m_DrawEntities3D = 1;
        view.Render(0, 0, 1);
        int cyan = 0;
        for (int dy = -1; dy <= 1; ++dy)
            cyan += ZnColourNear(Presented()[(edge.y + dy) * kWidth + edge.x], 0x00FFFF) ? 1 : 0;
        EXPECT_EQ(cyan > 0, on == 1);
    }
}

TEST_F(EntityViewTest, TheFogEntitysFogReachesTheDevice)
{
    CZNEntity *fog = New("fog", 0, 0, 0);
    Put<DWORD>(fog, 36, 1);
    Put<DWORD>(fog, 40, 0xFF203040);
    Put<DWORD>(fog, 44, D3DFOG_EXP2);
    Put(fog, 52, 5.0f);
    Put(fog, 56, 50.0f);
    view.Render(0, 0, 1);
    EXPECT_EQ(AppState(D3DRS_FOGCOLOR), 0xFF203040u);
    EXPECT_EQ(AppState(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_EXP2));
    EXPECT_EQ(AppState(D3DRS_FOGVERTEXMODE), static_cast<DWORD>(D3DFOG_NONE));
    EXPECT_EQ(AppState(D3DRS_FOGEND), ZNFloatToDWORD(50.0f));

    // Another maker's 516 after it does not take its place; hidden, the view's own fog returns.
    New("ent_fog_other_vendor", 0, 0, 0);
    view.Render(0, 0, 1);
    EXPECT_EQ(AppState(D3DRS_FOGCOLOR), 0xFF203040u);
    fog->m_Flags |= 1;
    view.Render(0, 0, 1);
    EXPECT_EQ(AppState(D3DRS_FOGCOLOR), 0u);
    EXPECT_EQ(AppState(D3DRS_FOGSTART), ZNFloatToDWORD(2000.0f));
    EXPECT_EQ(AppState(D3DRS_FOGVERTEXMODE), static_cast<DWORD>(D3DFOG_LINEAR));
    EXPECT_EQ(AppState(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_NONE));
}

TEST_F(EntityViewTest, APlacedAndMovedFogEntityKeepsItsFogValues)
{
    CZNEntity *fog = New("fog", 40, 50, 60);
    BYTE defaults[64];
    std::memcpy(defaults, Manager()->GetPlugin(Plugin("fog"))->TemplateEntity.GetData(), 64);
    EXPECT_EQ(std::memcmp(fog->GetData(), defaults, 64), 0);
    const D3DXVECTOR3 d(10, 0, 0);
    fog->Move(&d, 1);
    fog->Move(&d, 1);
    fog->FreeSavedData();
    EXPECT_EQ(std::memcmp(fog->GetData(), defaults, 64), 0);
    view.Render(0, 0, 1);
    EXPECT_EQ(AppState(D3DRS_FOGSTART), ZNFloatToDWORD(2000.0f));
    EXPECT_EQ(AppState(D3DRS_FOGEND), ZNFloatToDWORD(9900.0f));
}

TEST_F(EntityViewTest, KindBIsDrawnOnceInTheFirstPassAndSelectedOnlyFramesSkipTheRest)
{
    auto kindB = Probe("ent_kind_b");
    auto other = Probe("ent_protocol");
    New("ent_kind_b", 0, 0, 20);
    CZNEntity *probe = New("ent_protocol", 0, 0, 20);
    ZnAppOptions().m_DrawEntities3D = 1;
    view.Render(0, 0, 1);
    EXPECT_EQ(*kindB->Symbol<int>("g_Render3DCalls"), 1);
    EXPECT_EQ(*other->Symbol<int>("g_Render3DCalls"), 1);
    view.Render(0, 1, 0); // selected only: nothing is selected
    EXPECT_EQ(*kindB->Symbol<int>("g_Render3DCalls"), 1);
    EXPECT_EQ(*other->Symbol<int>("g_Render3DCalls"), 1);
    probe->SetSelected(1);
    view.Render(0, 1, 0);
    EXPECT_EQ(*other->Symbol<int>("g_Render3DCalls"), 2);
    ZnAppOptions().m_DrawEntities3D = 0;
    view.Render(0, 0, 1);
    EXPECT_EQ(*kindB->Symbol<int>("g_Render3DCalls"), 1);
    EXPECT_EQ(*other->Symbol<int>("g_Render3DCalls"), 2);
}

TEST_F(EntityViewTest, ThePickFindsTheNearestEntityInObjectMode)
{
    auto probe = Probe("ent_protocol");
    CZNEntity *far = New("ent_protocol", 0, 0, 0);
    CZNEntity *near = New("ent_protocol", 0, 0, 0);
    Put(far, 172, 60.0f);
    Put(near, 172, 40.0f);
    ZnAppOptions().m_PlaceOnSurfaces = 1;
    PICK3DINFO hit = view.Pick3D(kWidth / 2, kHeight / 2, 0);
    EXPECT_EQ(hit.Object, near);
    EXPECT_EQ(hit.Face, 0u);
    EXPECT_FLOAT_EQ(hit.Distance, 40.0f);
    EXPECT_EQ(*probe->Symbol<int>("g_LastPickMode"), 1);
    EXPECT_EQ(*probe->Symbol<int>("g_LastPickFlag"), 0);

    // A nearer brush face wins; face mode leaves entities out.
    ZNBRUSH *wall = Brush();
    Rect(wall, -10, -10, 10, 10, 30, Material(0xFFFFFF), nullptr);
    hit = view.Pick3D(kWidth / 2, kHeight / 2, 0);
    EXPECT_EQ(hit.Object, wall);
    Put(near, 172, 20.0f);
    EXPECT_EQ(view.Pick3D(kWidth / 2, kHeight / 2, 0).Object, near);
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    EXPECT_EQ(view.Pick3D(kWidth / 2, kHeight / 2, 0).Object, wall);
}

TEST_F(EntityViewTest, AShiftPressSelectsTheEntityUnderTheCursorAndACtrlPressDeselectsIt)
{
    auto probe = Probe("ent_protocol");
    CZNEntity *entity = New("ent_protocol", 0, 0, 0);
    Put(entity, 172, 40.0f);
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    const CPoint centre(kWidth / 2, kHeight / 2);
    view.OnLButtonDown(MK_LBUTTON | MK_SHIFT, centre);
    view.OnLButtonUp(MK_SHIFT, centre);
    ASSERT_EQ(band->GetEntryCount(), 1u);
    EXPECT_EQ(band->Entries()[0].Type, ZNSELECT_ENTITY);
    EXPECT_EQ(band->Entries()[0].Object, reinterpret_cast<uintptr_t>(entity));
    EXPECT_EQ(entity->IsSelected(), 1);

    view.OnLButtonDown(MK_LBUTTON | MK_CONTROL, centre);
    view.OnLButtonUp(MK_CONTROL, centre);
    EXPECT_EQ(band->GetEntryCount(), 0u);
    EXPECT_EQ(entity->IsSelected(), 0);
}

TEST_F(EntityViewTest, The2DViewsDrawLightsOnlyWithTheLightsOption)
{
    CZN2DView view2d;
    view2d.SetViewType(ZN2DVIEW_FRONT);
    view2d.SetClientSize(60, 60);
    view2d.SetSource(document.get());
    CZNEntity *lit = New("ent_protocol", -10, 0, 0);
    lit->SetLightIndex(4); // counts as a light while it owns one
    New("reference", 10, 0, 0);
    struct Case {
        int lights, entities;
        bool lightDrawn, otherDrawn;
    };
    for (const Case c : {Case{0, 1, false, true}, Case{1, 0, true, false}, Case{1, 1, true, true}}) {
        ZnAppOptions().m_DrawLights2D = c.lights;
        ZnAppOptions().m_DrawEntities2D = c.entities;
        ZnCanvas canvas(60, 60);
        view2d.DrawScene(&canvas.Dc());
        // Crosses at (20, 30) and (40, 30): the light's in the light pen.
        EXPECT_EQ(canvas.At(20, 27) == RGB(0, 255, 255), c.lightDrawn) << canvas.Dump();
        EXPECT_EQ(canvas.At(40, 27) == RGB(255, 255, 0), c.otherDrawn) << canvas.Dump();
    }
    lit->SetLightIndex(-1);
}

TEST_F(EntityViewTest, APlacementClickPlacesAnEntityOfTheActivePlugin)
{
    CZN2DViewTool tool;
    CZN2DView view2d;
    view2d.SetViewType(ZN2DVIEW_TOP);
    view2d.SetClientSize(200, 200);
    view2d.SetSource(document.get());
    view2d.SetInput(&tool);
    ZnAppOptions().m_SnapToGrid = 1;
    GetEditorApp()->SetGridSize(10.0f);
    ASSERT_EQ(Manager()->SetActivePlugin(Plugin("reference")), 1);
    GetEditorApp()->SetPlacementMode(ZNPLACE_ENTITY);
    view2d.OnLButtonDown(MK_LBUTTON, CPoint(123, 100)); // x 23 snaps to 20
    CZNEntity *placed = document->GetEntityList();
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->GetType(), Plugin("reference"));
    D3DXVECTOR3 p;
    placed->GetPosition(&p);
    EXPECT_FLOAT_EQ(p.x, 20.0f);
    EXPECT_FLOAT_EQ(p.z, 0.0f);
    EXPECT_STREQ(placed->GetName(), "Reference01");
    EXPECT_EQ(GetEditorApp()->GetPlacementMode(), ZNPLACE_SELECT);
    ASSERT_NE(document->GetUndoList(), nullptr);
    EXPECT_STREQ(document->GetUndoList()->Description, "Add Entity");
    // One Undo takes the entity away again.
    EXPECT_EQ(document->OnEditUndo(), 1);
    EXPECT_EQ(document->GetEntityList(), nullptr);

    // Without a loaded plug-in the click places nothing and the mode stays.
    entities.clear();
    document->DeleteContents();
    Manager()->UnloadPlugins();
    GetEditorApp()->SetPlacementMode(ZNPLACE_ENTITY);
    view2d.OnLButtonDown(MK_LBUTTON, CPoint(100, 100));
    EXPECT_EQ(document->GetEntityList(), nullptr);
    EXPECT_EQ(GetEditorApp()->GetPlacementMode(), ZNPLACE_ENTITY);
}

TEST_F(EntityViewTest, TheSceneAmbientColourComesFromTheFirstAmbientLight)
{
    New("light", 0, 0, 0); // a point light gives no colour
    document->ApplySceneLightColour();
    EXPECT_EQ(D3D().GetAmbientLight(), 0u);
    CZNEntity *ambient = New("light", 0, 0, 0);
    Put<int32_t>(ambient, 64, 3);
    Put(ambient, 100, D3DCOLORVALUE{0.5f, 0.25f, 1.0f, 1.0f});
    document->ApplySceneLightColour();
    EXPECT_EQ(D3D().GetAmbientLight(), 0xFF7F3FFFu);
    D3D().SetDefaultLighting(1);
    document->ApplySceneLightColour();
    EXPECT_EQ(D3D().GetAmbientLight(), 0xFF4C4C4Cu);
}

// The scene colour reads no further than the ambient colour's last float: a block that ends
// before byte 116 is passed over, one that ends there gives its colour.
TEST_F(EntityViewTest, AnAmbientLightGivesItsColourFromABlockOf116Bytes)
{
    for (DWORD size : {115u, 116u}) {
        CZNEntity *ambient = New("light", 0, 0, 0);
        ASSERT_NE(ambient->AllocData(size), nullptr);
        Put<int32_t>(ambient, 64, 3);
        Put<float>(ambient, 100, size == 115u ? 1.0f : 0.5f);
        Put<float>(ambient, 104, 0.25f);
        Put<float>(ambient, 108, 1.0f);
        if (size == 116u)
            Put<float>(ambient, 112, 1.0f);
    }
    document->ApplySceneLightColour();
    EXPECT_EQ(D3D().GetAmbientLight(), 0xFF7F3FFFu);
}

} // namespace
