// The document's entity list: a new entity takes its plug-in's block, defaults and type name.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/object_list.h"
#include "editor/selection_band.h"
#include "scene/entity.h"
#include "scene/entity_plugin_table.h"

CZNEntity *CZNEDITORDoc::NewEntity(int pluginIndex, float x, float y, float z)
{
    CZNEntityPluginTable *plugins = CZNEntityPluginTable::GetLoaded();
    ENTITYPLUGINRECORD *record = plugins ? plugins->GetPlugin(pluginIndex) : nullptr;
    if (!record)
        return nullptr;
    CZNEntity *entity = new (std::nothrow) CZNEntity;
    if (!entity)
        return nullptr;
    AppendEntity(entity);

    const ENTITYPLUGININFO &info = record->Info;
    entity->SetType(pluginIndex);
    // Every block holds at least the head the editor reads and writes.
    BYTE *data = entity->AllocData(std::max<DWORD>(info.BlockSize, 64));
    if (!data) {
        Unlink(entity);
        delete entity;
        return nullptr;
    }
    entity->SetDataSize(info.DataSize);
    // The template's block is BlockSize bytes long.
    if (const BYTE *defaults = record->TemplateEntity.GetData())
        std::memcpy(data, defaults, std::min(info.DataSize, info.BlockSize));
    if (record->InitializeEntity)
        record->InitializeEntity(data);

    entity->SetName(FirstFreeName(info.TypeName).c_str());

    // A fog entity keeps its fog values where the head's last rows would be.
    if (!entity->IsBuiltInKindC()) {
        D3DXMATRIX head;
        D3DXMatrixIdentity(&head);
        head._41 = x;
        head._42 = y;
        head._43 = z;
        std::memcpy(data, &head, sizeof(head));
    }
    SetModifiedFlag(TRUE);
    return entity;
}

void CZNEDITORDoc::AppendEntity(CZNEntity *entity)
{
    if (entity)
        ZnAppendToList(m_EntityList, entity);
}

CZNEntity *CZNEDITORDoc::GetLastEntity() const
{
    return ZnLastInList(m_EntityList);
}

int CZNEDITORDoc::DeleteEntity(CZNEntity *entity)
{
    if (GetObjectIndex(2, entity) < 0)
        return 0;
    Unlink(entity);
    FreeEntity(entity);
    m_EntitiesRemoved = true;
    SetModifiedFlag(TRUE);
    return 1;
}

void CZNEDITORDoc::Unlink(CZNEntity *entity)
{
    ZnUnlinkFromList(m_EntityList, entity);
}

void CZNEDITORDoc::FreeEntity(CZNEntity *entity)
{
    entity->FreeFromParent();
    entity->ApplyLight(0);
    delete entity;
}

void CZNEDITORDoc::DeleteAllEntities()
{
    while (m_EntityList) {
        CZNEntity *e = m_EntityList;
        m_EntityList = e->m_Next;
        FreeEntity(e);
        m_EntitiesRemoved = true;
    }
}

void CZNEDITORDoc::RefillEntityContainers()
{
    if (!m_EntitiesRemoved)
        return;
    m_EntitiesRemoved = false;
    CZNEntityPluginTable *plugins = CZNEntityPluginTable::GetLoaded();
    if (!plugins)
        return;
    // A deleted entity's block has already left its plug-in's container; the containers are
    // filled again so that each plug-in edits the selection or its template, never nothing.
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    for (int i = 0; i < plugins->GetPluginCount(); ++i)
        band->GetSelectedEntitiesOfPlugin(i);
    ENTITYPLUGINRECORD *active = plugins->GetPlugin(GetEditorApp()->GetActiveEntityPlugin());
    if (active && active->DataUpdated)
        active->DataUpdated();
}
