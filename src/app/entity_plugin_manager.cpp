#include "app/entity_plugin_manager.h"

#include <cstring>

#include "app/editor_app.h"
#include "app/plugin_loading.h"
#include "scene/debug_log.h"

namespace
{

constexpr uint16_t kLightTypeId = 0x10;

} // namespace

CZNEntityPluginManager::CZNEntityPluginManager()
    : m_CreateControls(nullptr), m_DestroyControls(nullptr), m_Message(nullptr), m_Notify(nullptr), m_Command(nullptr),
      m_Paint(nullptr), m_ActivePlugin(-1), m_Loaded(0)
{
}

CZNEntityPluginManager::~CZNEntityPluginManager()
{
    UnloadPlugins();
    // Templates of records past the count are empty already; none may reach a plug-in.
    for (ENTITYPLUGINRECORD &record : m_Records)
        record.TemplateEntity.DetachFromPlugin();
}

int CZNEntityPluginManager::CountFiles(const char *folder, const char *mask)
{
    return ZnCountPluginFiles(folder, mask);
}

bool CZNEntityPluginManager::LoadOne(CZNDebugLog &log, const std::string &path, const std::string &fileName)
{
    ENTITYPLUGINRECORD &record = m_Records[m_PluginCount];
    record.Clear();
    auto reject = [&](const std::string &line) {
        record.Clear();
        if (!line.empty())
            log.WriteLine(line.c_str());
        return false;
    };
    if (path.size() >= sizeof(record.FileName))
        return reject("Plugin '" + fileName + "' not loaded: its path is too long");
    std::string error;
    record.Module = ZnLoadLibrary(path.c_str(), &error);
    if (!record.Module)
        return reject("Plugin '" + fileName + "' could not be loaded: " + error);
    auto init = ZnFetchExport<PFNINITENTITYPLUGIN>(record.Module, "InitEntityPlugin");
    if (!init)
        return reject("Plugin '" + fileName + "' has no InitEntityPlugin. Load Failed");
    if (init(record.Module) != ZN_ENTITY_PLUGIN_VERSION) {
        reject("");
        log.Printf("*** WARNING *** Plugin '%s' returned incorrect version number..... Load Failed\r\n",
                   fileName.c_str());
        return false;
    }
    std::memcpy(record.FileName, path.c_str(), path.size() + 1);
    auto getInfo = ZnFetchExport<PFNGETENTITYPLUGININFO>(record.Module, "GetEntityPluginInfo");
    if (!getInfo)
        return reject("GetEntityPluginInfo was not found. Unloading DLL");
    getInfo(&record.Info);
    const ENTITYPLUGININFO &info = record.Info;
    if (!info.TypeName)
        return reject("Plugin '" + fileName + "' gave no type name. Load Failed");
    if (info.BlockSize < ZN_ENTITY_HEAD_SIZE)
        return reject("Plugin '" + fileName + "' declares a data block of " + std::to_string(info.BlockSize) +
                      " bytes, below the 64-byte entity head. Load Failed");
    if (info.DataSize > info.BlockSize)
        return reject("Plugin '" + fileName + "' declares " + std::to_string(info.DataSize) +
                      " bytes of data in a block of " + std::to_string(info.BlockSize) + " bytes. Load Failed");
    record.SetDataPointer = ZnFetchExport<PFNSETDATAPOINTER>(record.Module, "SetDataPointer");
    if (!record.SetDataPointer)
        return reject("SetDataPointer function was not found. Unloading DLL");

    if (!record.TemplateEntity.AllocData(info.BlockSize))
        return reject("Plugin '" + fileName + "' asks for a data block that cannot be allocated. Load Failed");
    record.TemplateEntity.SetDataSize(info.DataSize);
    record.TemplateEntity.SetType(m_PluginCount);
    record.SetDefaultData = ZnFetchExport<PFNENTITYDATA>(record.Module, "SetDefaultData");
    if (record.SetDefaultData)
        record.SetDefaultData(record.TemplateEntity.GetData());
    record.InitializeEntity = ZnFetchExport<PFNENTITYDATA>(record.Module, "InitializeEntity");
    record.DestroyEntity = ZnFetchExport<PFNENTITYDATA>(record.Module, "DestroyEntity");
    record.DataUpdated = ZnFetchExport<PFNDATAUPDATED>(record.Module, "DataUpdated");
    record.GetRenderText = ZnFetchExport<PFNGETRENDERTEXT>(record.Module, "GetRenderText");
    record.Render2D = ZnFetchExport<PFNRENDER2D>(record.Module, "Render2D");
    record.Render3D = ZnFetchExport<PFNRENDER3D>(record.Module, "Render3D");
    record.GetWriteDataSize = ZnFetchExport<PFNGETWRITEDATASIZE>(record.Module, "GetWriteDataSize");
    record.GetWriteData = ZnFetchExport<PFNGETWRITEDATA>(record.Module, "GetWriteData");
    record.SetReadData = ZnFetchExport<PFNSETREADDATA>(record.Module, "SetReadData");
    record.PickEntity3D = ZnFetchExport<PFNPICKENTITY3D>(record.Module, "PickEntity3D");
    record.GetEntityBounds = ZnFetchExport<PFNGETENTITYBOUNDS>(record.Module, "GetEntityBounds");
    if (record.DataContainer.AddElement(record.TemplateEntity.GetData()) == 0)
        return reject("Plugin '" + fileName + "' could not be given its data. Load Failed");
    record.SetDataPointer(&record.DataContainer);
    log.Printf("Loaded '%s' Entity Plugin....found in file %s\r\n", info.TypeName, record.FileName);
    return true;
}

int CZNEntityPluginManager::LoadPlugins(IZNSplashProgress *splash, const char *folder, const char *mask)
{
    const std::string base = folder ? folder : "";
    const std::string logPath = GetEditorApp()->GetProgramDirectory() + "Debug Logs/Entity Plugins (Debug Info).txt";
    CZNDebugLog log(logPath.c_str());
    ZnLoadPluginFolder(log, splash, base, mask, "Initializing Entity Plugin Manager",
                       "Initialising Entity Plugin System - " + base + (mask ? mask : ""), m_PluginCount, kMaxPlugins,
                       [&](const std::string &path, const std::string &name) { return LoadOne(log, path, name); });

    if (m_PluginCount == 0) {
        log.Printf("WARNING No Entity Plugins could be located!!!");
        return 0;
    }
    log.Printf("Entity Plugins Loaded and initialized successfully");
    m_Loaded = 1;
    SetActivePlugin(0);
    return 1;
}

void CZNEntityPluginManager::UnloadPlugins()
{
    if (m_Loaded)
        for (int i = 0; i < m_PluginCount; ++i)
            m_Records[i].Clear();
    ZnClearControlEntryPoints(*this);
    m_ActivePlugin = -1;
    m_PluginCount = 0;
    m_Loaded = 0;
}

int CZNEntityPluginManager::SetActivePlugin(int index)
{
    if (index < 0 || index >= m_PluginCount)
        return 0;
    if (index == m_ActivePlugin)
        return 1;
    m_ActivePlugin = index;
    ZnFetchControlEntryPoints(*this, m_Records[index].Module);
    return 1;
}

int CZNEntityPluginManager::GetActiveComboIndex(IZNComboBox *combo) const
{
    return ZnFindComboRow(combo, m_ActivePlugin);
}

void CZNEntityPluginManager::FillComboBox(IZNComboBox *combo)
{
    ZnFillPluginCombo(
        *this, combo, [this](int i) { return m_Records[i].Info.TypeName; },
        [this](int i) { return m_Records[i].Info.TypeId == kLightTypeId; });
}
