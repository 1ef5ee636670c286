#pragma once

// ENTITYPLUGINRECORD: one loaded entity plug-in. It owns its library, a template entity holding
// the plug-in's default data block and the container of blocks handed to SetDataPointer, and
// keeps the plug-in's entry points (null where the plug-in exports none).
#include "platform/os/module.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "sdk/entity_plugin.h"

struct ENTITYPLUGINRECORD {
    HMODULE Module;      // null for a rejected record
    char FileName[1024]; // folder + file name as loaded
    ENTITYPLUGININFO Info;
    CZNEntity TemplateEntity;   // the default data block; its type is the plug-in's index
    CZNCONTAINER DataContainer; // the blocks handed to SetDataPointer
    PFNENTITYDATA InitializeEntity;
    PFNENTITYDATA DestroyEntity;
    PFNSETDATAPOINTER SetDataPointer;
    PFNENTITYDATA SetDefaultData;
    PFNDATAUPDATED DataUpdated;
    PFNGETRENDERTEXT GetRenderText;
    PFNRENDER2D Render2D;
    PFNRENDER3D Render3D;
    PFNGETWRITEDATASIZE GetWriteDataSize;
    PFNGETWRITEDATA GetWriteData;
    PFNSETREADDATA SetReadData;
    PFNPICKENTITY3D PickEntity3D;
    PFNGETENTITYBOUNDS GetEntityBounds;

    ENTITYPLUGINRECORD();
    // Back to the empty record: library freed, template emptied without telling the plug-in.
    void Clear();
};
