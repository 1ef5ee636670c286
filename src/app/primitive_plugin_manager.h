#pragma once

// CZNPrimitivePluginManager: the primitive plug-ins, loaded once at start-up from a folder of
// libraries, at most kMaxPlugins of them, in sorted file-name order. It owns the loaded libraries
// (freed by UnloadPlugins and the destructor, which call no plug-in function) and holds the active
// plug-in's entry points. A library that does not load, answers another version, lacks a required
// export or gives no name is freed and skipped with one log line; the next file takes its record.
#include <cstdint>
#include <string>

#include "platform/export.h"
#include "platform/os/module.h"
#include "sdk/primitive_plugin.h"

class CZNDebugLog;
class IZNComboBox;
class IZNSplashProgress;

struct PRIMITIVEPLUGINRECORD {
    HMODULE Module;      // null for a rejected record
    char FileName[1024]; // folder + file name as loaded
    PRIMITIVEPLUGININFO Info;
};

class ZN_API CZNPrimitivePluginManager
{
public:
    static constexpr int kMaxPlugins = 100;

    CZNPrimitivePluginManager();
    ~CZNPrimitivePluginManager();
    CZNPrimitivePluginManager(const CZNPrimitivePluginManager &) = delete;
    CZNPrimitivePluginManager &operator=(const CZNPrimitivePluginManager &) = delete;

    // Loads every library of folder (ending in '/') matching mask, letter case ignored; splash
    // may be null. With none loaded, shows the fatal message through the application's reporter
    // and returns 0; otherwise makes plug-in 0 active and returns 1.
    int LoadPlugins(IZNSplashProgress *splash, const char *folder, const char *mask);
    // Frees every loaded library; nothing is active afterwards.
    void UnloadPlugins();

    // 0 out of range; 1 when already active (nothing fetched again); otherwise fetches the
    // plug-in's entry points (missing ones become null) and returns 1.
    int SetActivePlugin(int index);
    int GetActivePlugin() const { return m_ActivePlugin; }
    int GetPluginCount() const { return m_PluginCount; }
    // Null when index is not in [0, count).
    PRIMITIVEPLUGINRECORD *GetPlugin(int index);

    // The row whose item data is the active index; -1 when none.
    int GetActiveComboIndex(IZNComboBox *combo) const;
    // Lists the plug-ins in load order; the one named "Cube" (any case) goes to row 0 and becomes
    // active. Then the active row is selected.
    void FillComboBox(IZNComboBox *combo);
    // Entries of folder matching mask, folders included.
    static int CountFiles(const char *folder, const char *mask);

    // The active plug-in's entry points.
    PFNBUILDBRUSH m_BuildBrush;
    PFNCREATECONTROLS m_CreateControls;
    PFNDESTROYCONTROLS m_DestroyControls;
    PFNMESSAGE m_Message;
    PFNNOTIFY m_Notify;
    PFNPRIMITIVECOMMAND m_Command;
    PFNPAINT m_Paint;

private:
    // Loads path into the record at the current count; false (record cleared) when it is refused.
    bool LoadOne(CZNDebugLog &log, const std::string &path, const std::string &fileName);
    void Reject(CZNDebugLog &log, PRIMITIVEPLUGINRECORD &record, const std::string &line);

    PRIMITIVEPLUGINRECORD m_Records[kMaxPlugins];
    int m_ActivePlugin;
    int m_PluginCount;
    int m_Loaded;
};
