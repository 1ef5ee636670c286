#pragma once

// CZNEntityPluginManager: the entity plug-ins, loaded once at start-up from a folder of
// libraries into its table, at most kMaxPlugins of them, in sorted file-name order, and the
// active one with its control entry points. Unloading frees the libraries and calls no plug-in
// function.
// A library that does not load, answers another version, lacks a required export, gives no type
// name, a block below the 64-byte head or more data than its block is freed and skipped with
// one log line; the next file takes its record.
#include <cstdint>
#include <string>

#include "platform/export.h"
#include "scene/entity_plugin_table.h"
#include "sdk/entity_plugin.h"

class CZNDebugLog;
class IZNComboBox;
class IZNSplashProgress;

class ZN_API CZNEntityPluginManager : public CZNEntityPluginTable
{
public:
    CZNEntityPluginManager();
    ~CZNEntityPluginManager();
    CZNEntityPluginManager(const CZNEntityPluginManager &) = delete;
    CZNEntityPluginManager &operator=(const CZNEntityPluginManager &) = delete;

    // Loads every library of folder (ending in '/') matching mask, letter case ignored; splash may
    // be null. Returns 1 and makes plug-in 0 active when any loaded, else 0 (only logged).
    int LoadPlugins(IZNSplashProgress *splash, const char *folder, const char *mask);
    void UnloadPlugins();

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

    int m_ActivePlugin;
    int m_Loaded;
};
