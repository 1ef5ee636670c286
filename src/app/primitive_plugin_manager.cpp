#include "app/primitive_plugin_manager.h"

#include <cctype>
#include <cstring>

#include "app/editor_app.h"
#include "app/plugin_loading.h"
#include "scene/debug_log.h"

namespace
{

bool EqualsNoCase(const char *a, const char *b)
{
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

} // namespace

CZNPrimitivePluginManager::CZNPrimitivePluginManager()
    : m_BuildBrush(nullptr), m_CreateControls(nullptr), m_DestroyControls(nullptr), m_Message(nullptr),
      m_Notify(nullptr), m_Command(nullptr), m_Paint(nullptr), m_Records{}, m_ActivePlugin(-1), m_PluginCount(0),
      m_Loaded(0)
{
}

CZNPrimitivePluginManager::~CZNPrimitivePluginManager()
{
    UnloadPlugins();
}

int CZNPrimitivePluginManager::CountFiles(const char *folder, const char *mask)
{
    return ZnCountPluginFiles(folder, mask);
}

void CZNPrimitivePluginManager::Reject(CZNDebugLog &log, PRIMITIVEPLUGINRECORD &record, const std::string &line)
{
    ZnFreeLibrary(record.Module);
    record = PRIMITIVEPLUGINRECORD{};
    if (!line.empty())
        log.WriteLine(line.c_str());
}

bool CZNPrimitivePluginManager::LoadOne(CZNDebugLog &log, const std::string &path, const std::string &fileName)
{
    PRIMITIVEPLUGINRECORD &record = m_Records[m_PluginCount];
    record = PRIMITIVEPLUGINRECORD{};
    if (path.size() >= sizeof(record.FileName)) {
        Reject(log, record, "Plugin '" + fileName + "' not loaded: its path is too long");
        return false;
    }
    std::string error;
    record.Module = ZnLoadLibrary(path.c_str(), &error);
    if (!record.Module) {
        Reject(log, record, "Plugin '" + fileName + "' could not be loaded: " + error);
        return false;
    }
    auto init = ZnFetchExport<PFNINITPRIMITIVEPLUGIN>(record.Module, "InitPrimitivePlugin");
    if (!init) {
        Reject(log, record, "Plugin '" + fileName + "' has no InitPrimitivePlugin. Load Failed");
        return false;
    }
    log.Printf("The Proc Adress Was Found: Calling function next");
    if (init() != ZN_PRIMITIVE_PLUGIN_VERSION) {
        Reject(log, record, "");
        log.Printf("*** WARNING *** Plugin '%s' returned incorrect version number..... Load Failed\r\n",
                   fileName.c_str());
        return false;
    }
    std::memcpy(record.FileName, path.c_str(), path.size() + 1);
    auto getInfo = ZnFetchExport<PFNGETPRIMITIVEPLUGININFO>(record.Module, "GetPrimitivePluginInfo");
    if (!getInfo) {
        Reject(log, record, "Plugin '" + fileName + "' has no GetPrimitivePluginInfo. Load Failed");
        return false;
    }
    getInfo(&record.Info);
    if (!record.Info.Name) {
        Reject(log, record, "Plugin '" + fileName + "' gave no name. Load Failed");
        return false;
    }
    if (!ZnFetchExport<PFNBUILDBRUSH>(record.Module, "BuildBrush")) {
        Reject(log, record, "Plugin '" + fileName + "' has no BuildBrush. Load Failed");
        return false;
    }
    log.Printf("Loaded '%s' Primitive Plugin....found in file %s", record.Info.Name, record.FileName);
    return true;
}

int CZNPrimitivePluginManager::LoadPlugins(IZNSplashProgress *splash, const char *folder, const char *mask)
{
    const std::string base = folder ? folder : "";
    const std::string logPath =
        GetEditorApp()->GetProgramDirectory() + "Debug Logs/Privimtive Plugins (Debug Info).txt";
    CZNDebugLog log(logPath.c_str());
    ZnLoadPluginFolder(log, splash, base, mask, "Initializing Primitive Plugin Manager",
                       "Initialising Primtive Plugin System - " + base + (mask ? mask : "") + "\r\n", m_PluginCount,
                       kMaxPlugins,
                       [&](const std::string &path, const std::string &name) { return LoadOne(log, path, name); });

    if (m_PluginCount == 0) {
        log.Printf("PLUGIN ERROR : No Primitive Plugins could be located!!!");
        GetEditorApp()->GetReporter()->Message(
            "FATAL ERROR:\n\n Tovra is unable to find any Primitive plugins. Tovra can not operate without at least "
            "one primitive type.\n\n Click OK to Abort this Application.",
            "TOVRA", MB_OK | MB_ICONERROR);
        return 0;
    }
    log.Printf("Primitive Plugins Loaded and initialized successfully");
    m_Loaded = 1;
    SetActivePlugin(0);
    return 1;
}

void CZNPrimitivePluginManager::UnloadPlugins()
{
    if (m_Loaded) {
        for (int i = 0; i < m_PluginCount; ++i) {
            ZnFreeLibrary(m_Records[i].Module);
            m_Records[i] = PRIMITIVEPLUGINRECORD{};
        }
    }
    m_BuildBrush = nullptr;
    ZnClearControlEntryPoints(*this);
    m_ActivePlugin = -1;
    m_PluginCount = 0;
    m_Loaded = 0;
}

int CZNPrimitivePluginManager::SetActivePlugin(int index)
{
    if (index < 0 || index >= m_PluginCount)
        return 0;
    if (index == m_ActivePlugin)
        return 1;
    m_ActivePlugin = index;
    HMODULE module = m_Records[index].Module;
    ZnFetchControlEntryPoints(*this, module);
    m_BuildBrush = ZnFetchExport<PFNBUILDBRUSH>(module, "BuildBrush");
    return 1;
}

PRIMITIVEPLUGINRECORD *CZNPrimitivePluginManager::GetPlugin(int index)
{
    return index >= 0 && index < m_PluginCount ? &m_Records[index] : nullptr;
}

int CZNPrimitivePluginManager::GetActiveComboIndex(IZNComboBox *combo) const
{
    return ZnFindComboRow(combo, m_ActivePlugin);
}

void CZNPrimitivePluginManager::FillComboBox(IZNComboBox *combo)
{
    ZnFillPluginCombo(
        *this, combo, [this](int i) { return m_Records[i].Info.Name; },
        [this](int i) { return EqualsNoCase(m_Records[i].Info.Name, "Cube"); });
}
