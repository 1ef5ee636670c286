// The entity plug-ins' block containers after the document removes entities: each is refilled
// in place from the selection, or with its template's block, and the active plug-in is told, so
// that a plug-in's controls never write to a freed block.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/editor_app.h"
#include "app/entity_plugin_manager.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/selection_entry.h"
#include "support/entity_plugins.h"

namespace
{

constexpr int kProbe = 3; // the test-built plug-in

std::vector<void *> Blocks(int plugin)
{
    const CZNCONTAINER &container = ZnEntityPlugins::Record(plugin)->DataContainer;
    std::vector<void *> blocks;
    for (DWORD i = 0; i < container.GetElementCount(); ++i)
        blocks.push_back(container.GetElement(i));
    return blocks;
}

void *Template(int plugin)
{
    return ZnEntityPlugins::Record(plugin)->TemplateEntity.GetData();
}

class EntityContainerTest : public ::testing::Test
{
protected:
    void SetUp() override { ZnEntityPlugins::Manager()->SetActivePlugin(kProbe); }
    void TearDown() override { Band()->Clear(1, 0); }

    static CZNSelectionBand *Band() { return GetEditorApp()->GetSelectionBand(); }
    static void Select(CZNEntity *entity)
    {
        ZNSELECTIONENTRY e;
        e.Type = ZNSELECT_ENTITY;
        e.Object = reinterpret_cast<uintptr_t>(entity);
        e.Face = 0;
        ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
    }
    // The blocks of the selected entities handed to every plug-in, as the Entities page does.
    static void HandOver()
    {
        for (int i = 0; i < ZnEntityPlugins::Manager()->GetPluginCount(); ++i)
            Band()->GetSelectedEntitiesOfPlugin(i);
    }
    int DataUpdatedCalls() const { return *ZnEntityPlugins::Variable<int>("ent_good", "g_DataUpdatedCalls"); }

    ZnEntityPlugins plugins{{"ent_good"}}; // outlives the document
    CZNEDITORDoc doc;
};

TEST_F(EntityContainerTest, RemovingSelectedEntitiesRefillsEveryContainerFromWhatIsLeft)
{
    struct Case {
        const char *name;
        std::function<void(CZNEDITORDoc &)> remove;
        bool keepsSecondLight; // the other selected light stays selected
    };
    const Case cases[] = {
        {"Delete", [](CZNEDITORDoc &) { Band()->DeleteSelected(); }, false},
        {"New", [](CZNEDITORDoc &d) { d.OnNewDocument(); }, false},
        {"Undo of the placement", [](CZNEDITORDoc &d) { d.OnEditUndo(); }, false},
        {"one entry deleted", [](CZNEDITORDoc &) { Band()->RemoveEntry(0, 1); }, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteContents();
        CZNEntity *kept = doc.PlaceEntity(ZnEntityPlugins::kLight, D3DXVECTOR3(100, 0, 0));
        CZNEntity *probe = doc.PlaceEntity(kProbe, D3DXVECTOR3(0, 0, 50));
        CZNEntity *light = doc.PlaceEntity(ZnEntityPlugins::kLight, D3DXVECTOR3(0, 0, 0));
        ASSERT_TRUE(kept && probe && light);
        Select(light);
        Select(probe);
        if (c.keepsSecondLight)
            Select(kept);
        HandOver();
        ASSERT_EQ(Blocks(kProbe), std::vector<void *>{probe->GetData()});
        const int told = DataUpdatedCalls();

        c.remove(doc);

        const std::vector<void *> lights = Blocks(ZnEntityPlugins::kLight);
        if (c.keepsSecondLight) {
            // RemoveEntry(0) took the light placed last; the probe and the other light stay.
            EXPECT_EQ(lights, std::vector<void *>{kept->GetData()});
        } else {
            EXPECT_EQ(lights, std::vector<void *>{Template(ZnEntityPlugins::kLight)});
            EXPECT_EQ(Blocks(kProbe), std::vector<void *>{Template(kProbe)});
        }
        EXPECT_EQ(Blocks(ZnEntityPlugins::kFog), std::vector<void *>{Template(ZnEntityPlugins::kFog)});
        EXPECT_EQ(DataUpdatedCalls(), told + 1);
        Band()->Clear(1, 0);
    }
}

TEST_F(EntityContainerTest, RemovingNoEntityLeavesTheContainersAlone)
{
    CZNEntity *light = doc.PlaceEntity(ZnEntityPlugins::kLight, D3DXVECTOR3(0, 0, 0));
    Select(light);
    HandOver();
    Band()->Clear(1, 0);
    const int told = DataUpdatedCalls();
    doc.RefillEntityContainers();
    EXPECT_EQ(Blocks(ZnEntityPlugins::kLight), std::vector<void *>{light->GetData()});
    EXPECT_EQ(DataUpdatedCalls(), told);
}

} // namespace
