// The data blocks the selection band hands an entity plug-in, with the shipped plug-ins loaded
// into the application.
#include <memory>

#include "app/entity_plugin_manager.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "plugin_fixture.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "support/shapes.h"

using SelectedEntities = PluginFolderTest;

TEST_F(SelectedEntities, WithoutEntitiesOfThePluginItsTemplateBlockIsHanded)
{
    for (const char *file : {"fog.so", "light.so"})
        Copy(Shipped("Entities", file), Entities() / file);
    CZNEntityPluginManager *plugins = GetEditorApp()->GetEntityPluginManager();
    ASSERT_EQ(plugins->LoadPlugins(nullptr, Folder(Entities()).c_str(), "*.so"), 1);
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    {
        auto doc = std::make_unique<CZNEDITORDoc>();
        ENTITYPLUGINRECORD *light = plugins->GetPlugin(1);
        light->DataContainer.AddElement(nullptr); // left over from an earlier call

        // Nothing selected, then a brush only: the template's block alone.
        for (int pass = 0; pass < 2; ++pass) {
            CZNCONTAINER *blocks = band->GetSelectedEntitiesOfPlugin(1);
            ASSERT_EQ(blocks, &light->DataContainer);
            ASSERT_EQ(blocks->GetElementCount(), 1u);
            EXPECT_EQ(blocks->GetElement(0), light->TemplateEntity.GetData());
            ZNBRUSH *brush = doc->NewBrush();
            ZnBuildBox(*brush, {0, 0, 0}, {1, 1, 1});
            ZNSELECTIONENTRY e;
            e.Type = ZNSELECT_BRUSH;
            e.Object = reinterpret_cast<uintptr_t>(brush);
            band->AddToSelection(&e, 1, 0);
        }
        EXPECT_EQ(band->GetSelectedEntitiesOfPlugin(2), nullptr);
        EXPECT_EQ(band->GetSelectedEntitiesOfPlugin(-1), nullptr);
        band->Clear(1, 0);
    }
    plugins->UnloadPlugins();
}
