// The document's entity list: placing entities of the shipped and a test-built plug-in, their
// names, indices, deletion, groups and clearing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/editor_doc.h"
#include "editor/undo_record.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/group.h"
#include "scene/overlay.h"
#include "support/entity_plugins.h"
#include "support/shapes.h"
#include "support/temp_dir.h"

namespace
{

constexpr int kProbe = 3; // the test-built plug-in: type name "Probe", a 96-byte block

char *NewName(const char *text)
{
    char *name = new char[std::strlen(text) + 1];
    std::strcpy(name, text);
    return name;
}

std::vector<CZNEntity *> Listed(const CZNEDITORDoc &doc)
{
    std::vector<CZNEntity *> out;
    for (CZNEntity *e = doc.GetEntityList(); e; e = e->m_Next)
        out.push_back(e);
    return out;
}

D3DXMATRIX Head(const CZNEntity &entity)
{
    D3DXMATRIX head;
    std::memcpy(&head, entity.GetData(), sizeof(head));
    return head;
}

class DocumentEntityTest : public ::testing::Test
{
protected:
    int DestroyCalls() const { return *ZnEntityPlugins::Variable<int>("ent_good", "g_DestroyCalls"); }

    ZnEntityPlugins plugins{{"ent_good"}}; // outlives the document
    CZNEDITORDoc doc;
};

struct PlacedCase {
    const char *name;
    int plugin;
    const char *entityName;
};

class PlacedEntity : public DocumentEntityTest, public ::testing::WithParamInterface<PlacedCase>
{
};

} // namespace

TEST_P(PlacedEntity, HeadIsTheIdentityAtThePointAndTheRestIsTheDefaults)
{
    const PlacedCase &c = GetParam();
    const ENTITYPLUGINRECORD *record = ZnEntityPlugins::Record(c.plugin);
    CZNEntity *entity = doc.NewEntity(c.plugin, 10.0f, -20.0f, 30.5f);
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(Listed(doc), std::vector<CZNEntity *>{entity});
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(entity->GetType(), c.plugin);
    EXPECT_EQ(entity->GetDataSize(), record->Info.DataSize);
    EXPECT_STREQ(entity->GetName(), c.entityName);

    D3DXMATRIX expected;
    D3DXMatrixIdentity(&expected);
    expected._41 = 10.0f;
    expected._42 = -20.0f;
    expected._43 = 30.5f;
    EXPECT_EQ(Head(*entity), expected);
    D3DXVECTOR3 position;
    entity->GetPosition(&position);
    EXPECT_EQ(position, D3DXVECTOR3(10.0f, -20.0f, 30.5f));
    const DWORD size = record->Info.BlockSize;
    std::vector<BYTE> tail(entity->GetData() + 64, entity->GetData() + size);
    std::vector<BYTE> defaults(record->TemplateEntity.GetData() + 64, record->TemplateEntity.GetData() + size);
    if (c.plugin == kProbe) {
        // InitializeEntity ran on the copy, before the head was written.
        EXPECT_EQ(*ZnEntityPlugins::Variable<int>("ent_good", "g_InitializeCalls"), 1);
        EXPECT_EQ(defaults.back(), 0x5A);
        defaults.back() = 0x33;
    }
    EXPECT_EQ(tail, defaults);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PlacedEntity,
                         ::testing::Values(PlacedCase{"Light", ZnEntityPlugins::kLight, "Light01"},
                                           PlacedCase{"Reference", ZnEntityPlugins::kReference, "Reference01"},
                                           PlacedCase{"TestBuilt", kProbe, "Probe01"}),
                         [](const ::testing::TestParamInfo<PlacedCase> &info) { return info.param.name; });

TEST_F(DocumentEntityTest, FogEntityKeepsItsFogValuesWhereTheHeadWouldBe)
{
    const ENTITYPLUGINRECORD *record = ZnEntityPlugins::Record(ZnEntityPlugins::kFog);
    CZNEntity *fog = doc.NewEntity(ZnEntityPlugins::kFog, 100.0f, 200.0f, 300.0f);
    ASSERT_NE(fog, nullptr);
    EXPECT_EQ(fog->IsBuiltInKindC(), 1);
    EXPECT_STREQ(fog->GetName(), "Fog01");
    ASSERT_EQ(record->Info.BlockSize, 64u);
    EXPECT_EQ(std::memcmp(fog->GetData(), record->TemplateEntity.GetData(), 64), 0);
    float start, end;
    std::memcpy(&start, fog->GetData() + 52, 4);
    std::memcpy(&end, fog->GetData() + 56, 4);
    EXPECT_EQ(start, 2000.0f);
    EXPECT_EQ(end, 9900.0f);
    CZNEntity *light = doc.NewEntity(ZnEntityPlugins::kLight, 0, 0, 0);
    EXPECT_EQ(light->IsBuiltInKindC(), 0);
}

TEST_F(DocumentEntityTest, AStatedBlockBelowTheHeadStillGetsAHeadAndOnlyTheStatedBytesAreCopied)
{
    ENTITYPLUGINRECORD *record = ZnEntityPlugins::Record(kProbe);
    const ENTITYPLUGININFO saved = record->Info;
    const PFNENTITYDATA initialize = record->InitializeEntity;
    record->Info.BlockSize = 32; // the template's block is still 96 bytes
    record->InitializeEntity = nullptr; // it would write to byte 95
    CZNEntity *entity = doc.NewEntity(kProbe, 1, 2, 3);
    record->Info = saved;
    record->InitializeEntity = initialize;
    ASSERT_NE(entity, nullptr);
    D3DXVECTOR3 position;
    entity->GetPosition(&position);
    EXPECT_EQ(position, D3DXVECTOR3(1, 2, 3));
}

TEST_F(DocumentEntityTest, NamesTakeTheFirstFreeNumberAgainstEveryObjectInAnyCase)
{
    EXPECT_STREQ(doc.NewEntity(ZnEntityPlugins::kLight, 0, 0, 0)->GetName(), "Light01");
    doc.DeleteEntity(doc.GetEntityList());
    ZNBRUSH *brush = doc.NewBrush();
    brush->m_Name = NewName("light01");
    EXPECT_STREQ(doc.NewEntity(ZnEntityPlugins::kLight, 0, 0, 0)->GetName(), "Light02");
    // A group reached only through an entity counts too.
    CZNEntity *reference = doc.NewEntity(ZnEntityPlugins::kReference, 0, 0, 0);
    CZNGROUP *group = new CZNGROUP;
    group->SetName(NewName("LIGHT03"));
    group->AddChild(reference);
    CZNOverlay *overlay = doc.NewOverlay({0, 0, 0});
    overlay->m_Name = NewName("Light04");
    EXPECT_STREQ(doc.NewEntity(ZnEntityPlugins::kLight, 0, 0, 0)->GetName(), "Light05");
}

TEST_F(DocumentEntityTest, NumbersAbove99PrintWithThreeDigits)
{
    for (int n = 1; n <= 98; ++n)
        doc.NewEntity(kProbe, 0, 0, 0);
    EXPECT_STREQ(doc.NewEntity(kProbe, 0, 0, 0)->GetName(), "Probe99");
    EXPECT_STREQ(doc.NewEntity(kProbe, 0, 0, 0)->GetName(), "Probe100");
}

TEST_F(DocumentEntityTest, AnIndexWithoutAPluginGivesNothing)
{
    for (int index : {-1, 4, 100}) {
        EXPECT_EQ(doc.NewEntity(index, 0, 0, 0), nullptr) << index;
        EXPECT_EQ(doc.GetEntityList(), nullptr);
        EXPECT_FALSE(doc.IsModified());
    }
}

TEST_F(DocumentEntityTest, AppendKeepsCreationOrderAndLeavesModifiedAlone)
{
    CZNEntity *first = doc.NewEntity(ZnEntityPlugins::kLight, 0, 0, 0);
    CZNEntity *second = doc.NewEntity(ZnEntityPlugins::kFog, 0, 0, 0);
    doc.SetModifiedFlag(FALSE);
    CZNEntity *third = new CZNEntity;
    third->m_Next = first; // a stale link
    doc.AppendEntity(third);
    doc.AppendEntity(first);
    doc.AppendEntity(nullptr);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Listed(doc), (std::vector<CZNEntity *>{first, second, third}));
    EXPECT_EQ(doc.GetLastEntity(), third);

    EXPECT_EQ(doc.GetObjectIndex(2, first), 0);
    EXPECT_EQ(doc.GetObjectIndex(2, third), 2);
    EXPECT_EQ(doc.GetObjectIndex(1, first), -1);
    EXPECT_EQ(doc.GetObjectIndex(5, first), -1);
    EXPECT_EQ(doc.GetObjectByIndex(2, 1), second);
    EXPECT_EQ(doc.GetObjectByIndex(2, 3), nullptr);
    ZNBRUSH *brush = doc.NewBrush();
    EXPECT_EQ(doc.GetObjectIndex(2, brush), -1);
}

TEST_F(DocumentEntityTest, DeleteEntityTellsThePluginOnceLeavesTheHandedOverBlocksAndGivesBackTheLight)
{
    CZNEntity stranger;
    EXPECT_EQ(doc.DeleteEntity(&stranger), 0);
    EXPECT_EQ(doc.DeleteEntity(nullptr), 0);
    EXPECT_FALSE(doc.IsModified());

    CZNEntity *probe = doc.NewEntity(kProbe, 0, 0, 0);
    CZNEntity *light = doc.NewEntity(ZnEntityPlugins::kLight, 0, 0, 0);
    CZNEntity *kept = doc.NewEntity(ZnEntityPlugins::kLight, 0, 0, 0);
    doc.SetModifiedFlag(FALSE);
    // The Entities page hands the selected entities' blocks to their plug-in.
    ZnEntityPlugins::Record(kProbe)->DataContainer.AddElement(probe->GetData());
    CZNGROUP *group = new CZNGROUP;
    group->AddChild(probe);

    EXPECT_EQ(doc.DeleteEntity(probe), 1); // its group, left empty, goes too (ASan checks)
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(DestroyCalls(), 1);
    EXPECT_EQ(ZnEntityPlugins::Record(kProbe)->DataContainer.GetElementCount(), 1u); // the template's

    CZN3D *d3d = GetEditorApp()->Get3D();
    D3DLIGHT9 values{};
    values.Type = D3DLIGHT_POINT;
    const WORD slot = d3d->AddLight(&values);
    light->SetLightIndex(slot);
    ASSERT_NE(d3d->GetLightKind(slot), 0);
    EXPECT_EQ(doc.DeleteEntity(light), 1);
    EXPECT_EQ(d3d->GetLightKind(slot), 0);
    EXPECT_EQ(Listed(doc), std::vector<CZNEntity *>{kept});
    EXPECT_EQ(doc.DeleteEntity(light), 0);
}

TEST_F(DocumentEntityTest, FindByNameLooksAtGroupsThenBrushesOverlaysAndEntities)
{
    ZNBRUSH *brush = doc.NewBrush();
    brush->m_Name = NewName("Shared");
    CZNOverlay *overlay = doc.NewOverlay({0, 0, 0});
    overlay->m_Name = NewName("Decal");
    CZNEntity *light = doc.NewEntity(ZnEntityPlugins::kLight, 0, 0, 0);
    CZNEntity *fog = doc.NewEntity(ZnEntityPlugins::kFog, 0, 0, 0);
    fog->SetName("DECAL");
    EXPECT_EQ(doc.FindObjectByName("light01"), light);
    EXPECT_EQ(doc.FindObjectByName("decal"), overlay);
    light->SetName("SHARED");
    EXPECT_EQ(doc.FindObjectByName("shared"), brush);
    EXPECT_EQ(doc.FindObjectByName("Fog01"), nullptr);

    // Groups come first, through brushes, then overlays, then entities.
    CZNGROUP *entityGroup = new CZNGROUP;
    entityGroup->SetName(NewName("Shared"));
    entityGroup->AddChild(fog);
    EXPECT_EQ(doc.FindObjectByName("shared"), entityGroup);
    CZNGROUP *overlayGroup = new CZNGROUP;
    overlayGroup->SetName(NewName("shared"));
    overlayGroup->AddChild(overlay);
    EXPECT_EQ(doc.FindObjectByName("SHARED"), overlayGroup);
    CZNGROUP *outer = new CZNGROUP;
    outer->SetName(NewName("Outer"));
    CZNGROUP *inner = new CZNGROUP; // unnamed: skipped
    outer->AddChild(inner);
    inner->AddChild(light);
    EXPECT_EQ(doc.FindObjectByName("outer"), outer);
}

TEST_F(DocumentEntityTest, CollectGroupsTakesBrushThenEntityThenOverlayGroupsOnce)
{
    ZNBRUSH *brush = doc.NewBrush();
    CZNOverlay *overlay = doc.NewOverlay({0, 0, 0});
    CZNEntity *first = doc.NewEntity(ZnEntityPlugins::kLight, 0, 0, 0);
    CZNEntity *second = doc.NewEntity(ZnEntityPlugins::kReference, 0, 0, 0);
    CZNGROUP *overlayGroup = new CZNGROUP;
    overlayGroup->AddChild(overlay);
    CZNGROUP *outer = new CZNGROUP;
    CZNGROUP *inner = new CZNGROUP;
    outer->AddChild(inner);
    inner->AddChild(first);
    outer->AddChild(second);
    CZNGROUP *brushGroup = new CZNGROUP;
    brushGroup->AddChild(brush);
    CZNCONTAINER groups;
    ASSERT_EQ(doc.CollectGroups(&groups), 1);
    ASSERT_EQ(groups.GetElementCount(), 3u);
    EXPECT_EQ(groups.GetElement(0), brushGroup);
    EXPECT_EQ(groups.GetElement(1), outer);
    EXPECT_EQ(groups.GetElement(2), overlayGroup);
    EXPECT_EQ(doc.CollectGroups(nullptr), 0);
}

TEST_F(DocumentEntityTest, ClearingEmptiesTheListAndFreesGroupsReachedOnlyThroughEntities)
{
    CZNEntity *first = doc.NewEntity(kProbe, 0, 0, 0);
    CZNEntity *second = doc.NewEntity(kProbe, 0, 0, 0);
    doc.NewEntity(ZnEntityPlugins::kLight, 0, 0, 0);
    CZNGROUP *outer = new CZNGROUP;
    CZNGROUP *inner = new CZNGROUP;
    outer->AddChild(inner);
    inner->AddChild(first);
    outer->AddChild(second);
    doc.DeleteContents(); // LeakSanitizer reports the groups if they are lost
    EXPECT_EQ(doc.GetEntityList(), nullptr);
    EXPECT_EQ(doc.GetLastEntity(), nullptr);
    EXPECT_EQ(DestroyCalls(), 2);
    EXPECT_EQ(doc.NewEntity(kProbe, 0, 0, 0)->GetName(), std::string("Probe01"));
}

TEST(EntityGroup, MembershipSelectionAndMovingBetweenGroups)
{
    CZNEntity entity;
    CZNGROUP first;
    CZNGROUP second;
    EXPECT_EQ(first.AddChild(&entity), 1);
    EXPECT_EQ(entity.GetGroup(), &first);
    EXPECT_EQ(first.IsSelected(), 0);
    entity.SetSelected(1);
    EXPECT_EQ(first.IsSelected(), 1);
    // Joining another group leaves the first one.
    EXPECT_EQ(second.AddChild(&entity), 1);
    EXPECT_EQ(entity.GetGroup(), &second);
    EXPECT_EQ(first.GetChildCount(), 0u);
    second.RemoveChild(&entity);
    EXPECT_EQ(entity.GetGroup(), nullptr);
}

TEST_F(DocumentEntityTest, AGroupsBoxTakesItsEntitiesBounds)
{
    CZNEntity *light = doc.NewEntity(ZnEntityPlugins::kLight, -5, 2, 40);
    CZNEntity *probe = doc.NewEntity(kProbe, 10, 20, 30);
    CZNGROUP *outer = new CZNGROUP;
    CZNGROUP *inner = new CZNGROUP;
    outer->AddChild(inner);
    inner->AddChild(light);
    outer->AddChild(probe);
    ZNBBOX box;
    outer->GetBoundingBox(&box, 0);
    EXPECT_EQ(box.Min, D3DXVECTOR3(-5, 2, 30));
    EXPECT_EQ(box.Max, D3DXVECTOR3(10, 20, 40));
    EXPECT_EQ(outer->IsSelected(), 0);
    light->SetSelected(1);
    EXPECT_EQ(outer->IsSelected(), 1);
}

TEST_F(DocumentEntityTest, SavedEntitiesComeBackWhenTheSceneIsOpened)
{
    ZnTempDir dir;
    CZNEntity *light = doc.NewEntity(ZnEntityPlugins::kLight, 1, 2, 3);
    light->m_Flags = 1;
    doc.NewEntity(ZnEntityPlugins::kFog, 0, 0, 0);
    const std::vector<BYTE> lightBlock(light->GetData(), light->GetData() + 144);
    const std::string path = dir.File("entities.iwf");
    ASSERT_TRUE(doc.OnSaveDocument(path.c_str()));
    ASSERT_TRUE(doc.OnOpenDocument(path.c_str()));
    const std::vector<CZNEntity *> back = Listed(doc);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_STREQ(back[0]->GetName(), "Light01");
    EXPECT_EQ(back[0]->m_Flags, 1u);
    EXPECT_EQ(std::vector<BYTE>(back[0]->GetData(), back[0]->GetData() + 144), lightBlock);
    EXPECT_STREQ(back[1]->GetName(), "Fog01");
    EXPECT_EQ(back[1]->GetType(), ZnEntityPlugins::kFog);
}

TEST_F(DocumentEntityTest, UndoOfAGroupHoldingAnEntityLeavesNoCopyBehind)
{
    ZNBRUSH *brush = doc.NewBrush();
    ZnBuildBox(*brush, {0, 0, 0}, {10, 10, 10});
    CZNEntity *light = doc.NewEntity(ZnEntityPlugins::kLight, 5, 5, 5);
    CZNGROUP *group = new CZNGROUP;
    group->AddChild(brush);
    group->AddChild(light);
    std::vector<ZNSELECTIONENTRY> entries(1);
    entries[0].Type = ZNSELECT_BRUSH;
    entries[0].Object = reinterpret_cast<uintptr_t>(brush);
    // The record's image holds the whole group, the entity with it.
    ASSERT_EQ(doc.WriteUndoData(ZNUNDO_SCALE, entries, 0, 1), 1);
    EXPECT_EQ(doc.OnEditUndo(), 1); // LeakSanitizer reports a loaded copy left behind
    EXPECT_EQ(Listed(doc), std::vector<CZNEntity *>{light});
    EXPECT_EQ(light->GetGroup(), group);
}
