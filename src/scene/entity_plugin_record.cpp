#include "scene/entity_plugin_record.h"

ENTITYPLUGINRECORD::ENTITYPLUGINRECORD()
    : Module(nullptr), FileName{}, Info{}, InitializeEntity(nullptr), DestroyEntity(nullptr), SetDataPointer(nullptr),
      SetDefaultData(nullptr), DataUpdated(nullptr), GetRenderText(nullptr), Render2D(nullptr), Render3D(nullptr),
      GetWriteDataSize(nullptr), GetWriteData(nullptr), SetReadData(nullptr), PickEntity3D(nullptr),
      GetEntityBounds(nullptr)
{
}

void ENTITYPLUGINRECORD::Clear()
{
    TemplateEntity.DetachFromPlugin();
    TemplateEntity.FreeData();
    TemplateEntity.SetDataSize(0);
    DataContainer.EmptyContainer();
    ZnFreeLibrary(Module);
    Module = nullptr;
    FileName[0] = '\0';
    Info = ENTITYPLUGININFO{};
    InitializeEntity = DestroyEntity = SetDefaultData = nullptr;
    SetDataPointer = nullptr;
    DataUpdated = nullptr;
    GetRenderText = nullptr;
    Render2D = nullptr;
    Render3D = nullptr;
    GetWriteDataSize = nullptr;
    GetWriteData = nullptr;
    SetReadData = nullptr;
    PickEntity3D = nullptr;
    GetEntityBounds = nullptr;
}
