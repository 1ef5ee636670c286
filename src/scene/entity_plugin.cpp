// An entity reaches its plug-in through the application's entity plug-in manager.
#include "app/editor_app.h"
#include "app/entity_plugin_manager.h"
#include "scene/entity.h"

void CZNEntity::NotifyPluginDestroy()
{
    CZNEntityPluginManager *manager = GetEditorApp()->GetEntityPluginManager();
    ENTITYPLUGINRECORD *record = manager ? manager->GetPlugin(m_Type) : nullptr;
    if (record && record->DestroyEntity)
        record->DestroyEntity(m_Data);
}
