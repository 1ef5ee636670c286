#pragma once

// CZNEntityPluginManager: the entity plug-ins, loaded once at start-up from a folder of
// libraries, at most kMaxPlugins of them, in sorted file-name order. Each record owns its
// library, a template entity holding the plug-in's default data block and the container of
// blocks handed to SetDataPointer. Unloading frees the libraries and calls no plug-in function.
// A library that does not load, answers another version, lacks a required export, gives no type
// name, a block below the 64-byte head or more data than its block is freed and skipped with
// one log line; the next file takes its record.
#include <cstdint>
#include <string>

#include "platform/export.h"
#include "platform/os/module.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "sdk/entity_plugin.h"

class CZNDebugLog;
class IZNComboBox;
class IZNSplashProgress;

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

class ZN_API CZNEntityPluginManager
{
public:
    static constexpr int kMaxPlugins = 100;

    CZNEntityPluginManager();
    ~CZNEntityPluginManager();
    CZNEntityPluginManager(const CZNEntityPluginManager &) = delete;
    CZNEntityPluginManager &operator=(const CZNEntityPluginManager &) = delete;

    // Loads every library of folder (ending in '/') matching mask, letter case ignored; splash may
    // be null. Returns 1 and makes plug-in 0 active when any loaded, else 0 (only logged).
    int LoadPlugins(IZNSplashProgress *splash, const char *folder, const char *mask);
    void UnloadPlugins();

    // The first plug-in in load order with this type id and vendor id. Ids of length 0 match
    // whatever their pointers; otherwise two null ids match, a null and a non-null id never do,
    // and the bytes are compared over the length. -1 when none matches.
    int FindPlugin(uint16_t typeId, const uint8_t *vendorId, uint8_t vendorIdLength) const;
    int GetPluginCount() const { return m_PluginCount; }
    // Null when index is not in [0, count).
    ENTITYPLUGINRECORD *GetPlugin(int index);

    // As the primitive manager's: 0 out of range, 1 when already active, else fetches the
    // control entry points and returns 1.
    int SetActivePlugin(int index);
    int GetActivePlugin() const { return m_ActivePlugin; }
    int GetActiveComboIndex(IZNComboBox *combo) const;
    // Lists the plug-ins in load order; the light (type id 0x10) goes to row 0 and becomes active.
    void FillComboBox(IZNComboBox *combo);
    static int CountFiles(const char *folder, const char *mask);

    // The active plug-in's control entry points.
    PFNCREATECONTROLS m_CreateControls;
    PFNDESTROYCONTROLS m_DestroyControls;
    PFNMESSAGE m_Message;
    PFNNOTIFY m_Notify;
    PFNENTITYCOMMAND m_Command;
    PFNPAINT m_Paint;

private:
    bool LoadOne(CZNDebugLog &log, const std::string &path, const std::string &fileName);

    ENTITYPLUGINRECORD m_Records[kMaxPlugins];
    int m_ActivePlugin;
    int m_PluginCount;
    int m_Loaded;
};
