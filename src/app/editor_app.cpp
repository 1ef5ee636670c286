#include "app/editor_app.h"

#include <climits>
#include <cstring>
#include <filesystem>

#include "app/entity_plugin_manager.h"
#include "app/primitive_plugin_manager.h"
#include "editor/selection_band.h"
#include "fileio/prefab_manager.h"
#include "platform/os/splash_progress.h"
#include "render/direct3d.h"
#include "render/texture_manager.h"
#include "scene/debug_log.h"

CZNEDITORApp::CZNEDITORApp()
    : m_PrimitivePlugins(std::make_unique<CZNPrimitivePluginManager>()),
      m_EntityPlugins(std::make_unique<CZNEntityPluginManager>()), m_3D(std::make_unique<CZN3D>()),
      m_TextureManager(std::make_unique<CZNTextureManager>()), m_PrefabManager(std::make_unique<CZNPrefabManager>()),
      m_SelectionBand(std::make_unique<CZNSelectionBand>())
{
    SetDefaultOptions();
}

int32_t CZNEDITORApp::GetBandDragFlag() const
{
    return m_SelectionBand->IsBoxLocked();
}

CZNEDITORApp::~CZNEDITORApp() = default;

void CZNEDITORApp::SetDefaultOptions()
{
    ZNAPPOPTIONS &o = m_Options;
    o.m_DrawLights2D = 1;
    o.m_DrawLights3D = 1;
    o.m_DrawLightInfluences = 1;
    o.m_DrawEntities2D = 1;
    o.m_DrawEntities3D = 1;
    o.m_SnapToGrid = 0;
    o.m_SnapRotation = 0;
    o.m_CarveMode = 0;
    o.m_Initialized = 0;
    o.m_DoubleBuffer2D = 1;
    o.m_DynamicUpdate = 0;
    o.m_CameraSelectable = 1;
    o.m_DrawCamera2D = 1;
    o.m_KeepCameraInView = 0;
    o.m_KeepCameraCentred = 0;
    o.m_DrawOverlays2D = 1;
    o.m_DrawOverlayBoxes2D = 1;
    o.m_DrawOverlays3D = 1;
    o.m_DrawOverlayBoxes3D = 1;
    o.m_DrawOverlayWireframe3D = 1;
    o.m_SecondGrid = 10.0f;
    o.m_GridSize = 10.0f;
    o.m_FastDraw3D = 1;
    o.m_FastDraw2D = 1;
    o.m_PlaceOnSurfaces = 0;
    o.m_CameraMode = 0;
}

int32_t CZNEDITORApp::GetOptionWord(int index) const
{
    if (index < 0 || index >= kOptionWordCount)
        return 0;
    int32_t value;
    std::memcpy(&value, reinterpret_cast<const char *>(&m_Options) + index * 4, 4);
    return value;
}

void CZNEDITORApp::SetOptionWord(int index, int32_t value)
{
    if (index < 0 || index >= kOptionWordCount)
        return;
    std::memcpy(reinterpret_cast<char *>(&m_Options) + index * 4, &value, 4);
}

void CZNEDITORApp::SetProgramDirectory(const std::string &directory)
{
    m_ProgramDirectory = directory;
    if (!m_ProgramDirectory.empty() && m_ProgramDirectory.back() != '/' && m_ProgramDirectory.back() != '\\')
        m_ProgramDirectory += '/';
}

std::string CZNEDITORApp::LocateExecutableDirectory()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./";
    std::string directory = exe.parent_path().string();
    if (directory.empty() || directory.back() != '/')
        directory += '/';
    return directory;
}

DWORD CZNEDITORApp::LoadTextures(IZNSplashProgress *splash, CZNDebugLog *startupLog)
{
    const std::string folder = m_ProgramDirectory + "Textures/";
    const int entries = m_TextureManager->GetDirectoryEntries(folder.c_str(), "*.*", true);
    if (splash)
        splash->SetCurrentTask(" Searching for Valid Texture Formats and Caching Previews ", entries);
    const DWORD count = m_TextureManager->CacheTextures(splash, folder.c_str(), "*.*", true);
    if (count == 0) {
        if (startupLog)
            startupLog->Printf("WARNING : No Textures could be located. The editor will have no textures loaded");
        return 0;
    }
    m_TextureManager->CheckDuplicates();
    if (startupLog)
        startupLog->Printf("%d Textures were located and loaded", static_cast<int>(m_TextureManager->GetTextureCount()));
    return count;
}

DWORD CZNEDITORApp::LoadPrefabs(IZNSplashProgress *splash, CZNDebugLog *startupLog)
{
    const std::string folder = m_ProgramDirectory + "Prefabs/";
    const DWORD entries = m_PrefabManager->CountFiles(folder.c_str(), "*.*", true);
    if (splash)
        splash->SetCurrentTask(" Searching for IWF prefabs ", static_cast<int>(entries));
    const DWORD count = m_PrefabManager->ScanFolder(splash, folder.c_str(), "*.*", "<General>", true);
    if (count == 0) {
        if (startupLog)
            startupLog->Printf("WARNING : No prefabs could be located. There will be no prefabs on the prefabs tab");
        return 0;
    }
    m_PrefabManager->NumberDuplicateNames();
    if (startupLog)
        startupLog->Printf("%d Prefabs were located and loaded", static_cast<int>(m_PrefabManager->GetCount()));
    return count;
}

IZNReporter *CZNEDITORApp::GetReporter() const
{
    static CZNStderrReporter fallback;
    return m_Reporter ? m_Reporter : &fallback;
}

CZNEDITORApp *GetEditorApp()
{
    static CZNEDITORApp app;
    return &app;
}
