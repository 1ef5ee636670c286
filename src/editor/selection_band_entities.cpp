// The selection band hands an entity plug-in the data blocks of its selected entities.
#include "editor/selection_band.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/entity_plugin_table.h"
#include "scene/object_type.h"

CZNCONTAINER *CZNSelectionBand::GetSelectedEntitiesOfPlugin(int plugin) const
{
    CZNEntityPluginTable *plugins = CZNEntityPluginTable::GetLoaded();
    ENTITYPLUGINRECORD *record = plugins ? plugins->GetPlugin(plugin) : nullptr;
    if (!record)
        return nullptr;
    CZNCONTAINER *container = &record->DataContainer;
    container->EmptyContainer();
    if (m_BandMode == ZNBAND_OBJECTS) {
        for (const ZNSELECTIONENTRY &e : m_Entries) {
            void *object = reinterpret_cast<void *>(e.Object);
            if (!object || GetObjectType(object) != ZNOBJECT_ENTITY)
                continue;
            auto *entity = static_cast<CZNEntity *>(object);
            if (entity->GetType() == plugin)
                container->AddElement(entity->GetData());
        }
    }
    // The plug-in always has a block to edit: its template's when nothing of its kind is selected.
    if (container->GetElementCount() == 0)
        container->AddElement(record->TemplateEntity.GetData());
    return container;
}
