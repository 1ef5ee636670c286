#pragma once

// What the entity and the primitive plug-in managers share: fetching a library's exports, loading
// a folder of libraries into a table, the control entry points of the active plug-in, and the
// combo box that lists the plug-ins.
#include <functional>
#include <string>

#include "platform/os/combo_box.h"
#include "platform/os/module.h"

class CZNDebugLog;
class IZNSplashProgress;

// The named export as a function pointer of type T; null when there is none.
template <typename T> T ZnFetchExport(HMODULE module, const char *name)
{
    return reinterpret_cast<T>(ZnGetProcAddress(module, name));
}

// Fetches the control entry points every kind of plug-in exports into the manager's members of
// those names; a missing one becomes null.
template <typename Manager> void ZnFetchControlEntryPoints(Manager &manager, HMODULE module)
{
    manager.m_CreateControls = ZnFetchExport<decltype(manager.m_CreateControls)>(module, "CreateControls");
    manager.m_DestroyControls = ZnFetchExport<decltype(manager.m_DestroyControls)>(module, "DestroyControls");
    manager.m_Message = ZnFetchExport<decltype(manager.m_Message)>(module, "Message");
    manager.m_Notify = ZnFetchExport<decltype(manager.m_Notify)>(module, "Notify");
    manager.m_Command = ZnFetchExport<decltype(manager.m_Command)>(module, "Command");
    manager.m_Paint = ZnFetchExport<decltype(manager.m_Paint)>(module, "Paint");
}

template <typename Manager> void ZnClearControlEntryPoints(Manager &manager)
{
    manager.m_CreateControls = nullptr;
    manager.m_DestroyControls = nullptr;
    manager.m_Message = nullptr;
    manager.m_Notify = nullptr;
    manager.m_Command = nullptr;
    manager.m_Paint = nullptr;
}

// Entries of folder matching mask, folders included.
int ZnCountPluginFiles(const char *folder, const char *mask);

// Hands every file of folder (ending in '/') matching mask, letter case ignored, in sorted order
// to loadOne(path, file name); count goes up for each one it takes. Once count has reached max the
// rest are skipped with one log line. splash, which may be null, counts the files under task;
// header is logged before the first file.
void ZnLoadPluginFolder(CZNDebugLog &log, IZNSplashProgress *splash, const std::string &folder, const char *mask,
                        const char *task, const std::string &header, int &count, int max,
                        const std::function<bool(const std::string &path, const std::string &fileName)> &loadOne);

// The row of combo whose item data is index; -1 when none or no combo.
int ZnFindComboRow(IZNComboBox *combo, int index);

// Lists the manager's plug-ins in load order under name(i), with i as item data. One that leads(i)
// goes to row 0 and becomes active; then the active row is selected.
template <typename Manager, typename Name, typename Leads>
void ZnFillPluginCombo(Manager &manager, IZNComboBox *combo, Name name, Leads leads)
{
    if (!combo)
        return;
    for (int i = 0; i < manager.GetPluginCount(); ++i) {
        if (leads(i)) {
            combo->SetItemData(combo->InsertString(0, name(i)), i);
            manager.SetActivePlugin(i);
        } else {
            combo->SetItemData(combo->AddString(name(i)), i);
        }
    }
    combo->SetCurSel(manager.GetActiveComboIndex(combo));
}
