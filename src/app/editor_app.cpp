#include "app/editor_app.h"

#include <climits>
#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#include "app/app_shell.h"
#include "app/entity_plugin_manager.h"
#include "app/primitive_plugin_manager.h"
#include "editor/selection_band.h"
#include "fileio/prefab_manager.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/app_thread.h"
#include "platform/os/recent_file_list.h"
#include "platform/os/splash_progress.h"
#include "render/direct3d.h"
#include "render/lightmap_builder.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/brush.h"
#include "scene/crc32.h"
#include "scene/debug_log.h"
#include "scene/face.h"
#include "scene/overlay.h"

CZNEDITORApp::CZNEDITORApp()
    : m_PrimitivePlugins(std::make_unique<CZNPrimitivePluginManager>()),
      m_EntityPlugins(std::make_unique<CZNEntityPluginManager>()), m_3D(std::make_unique<CZN3D>()),
      m_TextureManager(std::make_unique<CZNTextureManager>()), m_PrefabManager(std::make_unique<CZNPrefabManager>()),
      m_SelectionBand(std::make_unique<CZNSelectionBand>()), m_LightmapBuilder(std::make_unique<CZNLightmapBuilder>()),
      m_DefaultOverlay(std::make_unique<CZNOverlay>()),
      m_RecentFiles(std::make_unique<CZNRecentFileList>("Recent File List", 4))
{
    SetDefaultOptions();
}

int32_t CZNEDITORApp::GetBandDragFlag() const
{
    return m_SelectionBand->IsBoxLocked();
}

bool CZNEDITORApp::GetActivePrimitive(PFNBUILDBRUSH *build, const char **name)
{
    const PRIMITIVEPLUGINRECORD *record = m_PrimitivePlugins->GetPlugin(m_PrimitivePlugins->GetActivePlugin());
    if (!m_PrimitivePlugins->m_BuildBrush || !record || !record->Info.Name)
        return false;
    *build = m_PrimitivePlugins->m_BuildBrush;
    *name = record->Info.Name;
    return true;
}

int CZNEDITORApp::GetActiveEntityPlugin()
{
    const int index = m_EntityPlugins->GetActivePlugin();
    return index >= 0 && m_EntityPlugins->GetPlugin(index) ? index : -1;
}

void CZNEDITORApp::ReturnToSelectMode()
{
    if (m_Shell)
        m_Shell->ReturnToSelectMode();
    else
        SetPlacementMode(ZNPLACE_SELECT);
}

CZNEDITORApp::~CZNEDITORApp()
{
    ReleaseInstance();
}

namespace
{

// The scene named on the command line: the first argument that is not an option, made absolute
// against the folder the user started in. Empty when there is none.
std::string CommandLineFile(int argc, const char *const *argv)
{
    for (int i = 1; i < argc && argv; ++i) {
        const char *arg = argv[i];
        if (!arg || !*arg || arg[0] == '-')
            continue;
        std::error_code ec;
        std::filesystem::path full = std::filesystem::absolute(arg, ec);
        return ec ? std::string(arg) : full.lexically_normal().string();
    }
    return {};
}

} // namespace

void CZNEDITORApp::RunOnUIThread(const std::function<void()> &task)
{
    if (!task)
        return;
    if (IsUIThread())
        task();
    else if (m_Shell)
        m_Shell->RunOnUIThread(task);
    else
        ZnRunOnAppThread(task);
}

BOOL CZNEDITORApp::InitInstance(IZNAppShell *shell, int argc, const char *const *argv)
{
    // Qt has given the process the user's locale; numbers in files and logs need the C form.
    std::setlocale(LC_NUMERIC, "C");

    m_Options.m_Initialized = 0;
    m_Shell = shell;
    m_UIThread = std::this_thread::get_id();
    if (m_ProgramDirectory.empty())
        SetProgramDirectory(LocateExecutableDirectory());

    CZNDebugLog log((m_ProgramDirectory + "Debug Logs/AppInit Debug.txt").c_str());
    auto fail = [&log](const char *line) {
        log.Printf("%s", line);
        log.Close();
        return FALSE;
    };
    if (!shell)
        return fail(" Failed to process Shell Commands");

    shell->LoadCursors();
    m_RecentFiles->ReadList();
    m_RecentFilesRead = true;

    // The named scene waits until start-up has finished; the frame opens on an empty document.
    std::string heldFile = CommandLineFile(argc, argv);

    if (!shell->CreateMainFrame())
        return fail(" Failed to process Shell Commands");
    shell->ShowMainFrame();
    if (!shell->CreateOptionsBar())
        return fail("ABORT LEVEL ERROR: Failed to Create the Options Property Sheet");
    IZNSplashProgress *splash = shell->CreateSplash();
    if (!splash)
        return fail("ABORT LEVEL ERROR: Failed to Create the Splash Loading Screen");
    auto failWithSplash = [&](const char *line) {
        shell->DestroySplash();
        return fail(line);
    };

    splash->SetOverallTask("Overall Progress", 6);
    splash->SetCurrentTask("Initializing Direct3D Components", 2);
    splash->StepCurrent();
    splash->StepOverall();

    if (!m_3D->Initialize(shell->Get3DViewWindow()))
        return failWithSplash("ABORT LEVEL ERROR: Failed to initialize the D3D Wrapper");
    splash->StepCurrent();
    splash->StepOverall();

    if (!m_PrimitivePlugins->LoadPlugins(splash, (m_ProgramDirectory + "Plugins/Primitives/").c_str(), "*.so"))
        return failWithSplash("ABORT LEVEL ERROR : No Primtive Plugins could be located. Application will Abort");
    splash->StepOverall();

    // The editor runs without entity plug-ins; the manager logs why there are none.
    m_EntityPlugins->LoadPlugins(splash, (m_ProgramDirectory + "Plugins/Entities/").c_str(), "*.so");
    splash->StepOverall();

    CRC32_InitTable();
    LoadTextures(splash, &log);
    splash->StepOverall();
    LoadPrefabs(splash, &log);

    CreateMaterialPreviewObject();

    // The start values; the grid size and the camera mode keep theirs.
    const float gridSize = m_Options.m_GridSize;
    const int32_t cameraMode = m_Options.m_CameraMode;
    const int32_t mipMaps = m_Options.m_SupportsMipMaps, linearFilter = m_Options.m_SupportsLinearFilter;
    SetDefaultOptions();
    m_Options.m_GridSize = gridSize;
    m_Options.m_CameraMode = cameraMode;
    m_Options.m_SupportsMipMaps = mipMaps;
    m_Options.m_SupportsLinearFilter = linearFilter;
    m_EditMode = ZNEDITMODE_BRUSH;

    log.Printf("Application initialized Successfully");
    shell->DestroySplash();
    m_Options.m_Initialized = 1;

    if (!heldFile.empty()) {
        shell->OpenDocumentFile(heldFile.c_str());
        heldFile.clear();
    }
    shell->UpdateAllViews();
    shell->RebuildSceneTree();
    log.Close();
    return TRUE;
}

void CZNEDITORApp::CreateMaterialPreviewObject()
{
    constexpr float kRadius = 30.0f;
    constexpr int kRings = 17, kSegments = 18;

    // Top pole, 17 rings of 18 from the top down, bottom pole: 308 positions.
    std::vector<D3DXVECTOR3> positions;
    positions.reserve(2 + kRings * kSegments);
    positions.emplace_back(0.0f, kRadius, 0.0f);
    for (int ring = 1; ring <= kRings; ++ring) {
        const float phi = D3DXToRadian(10.0f * static_cast<float>(ring));
        const float r = std::sin(phi) * kRadius;
        for (int k = 0; k < kSegments; ++k) {
            const float theta = D3DXToRadian(20.0f * static_cast<float>(k));
            positions.emplace_back(std::sin(theta) * r, std::cos(phi) * kRadius, std::cos(theta) * r);
        }
    }
    positions.emplace_back(0.0f, -kRadius, 0.0f);
    const int top = 0, bottom = static_cast<int>(positions.size()) - 1;
    auto ringVertex = [](int ring, int k) { return 1 + (ring - 1) * kSegments + k % kSegments; };

    delete m_MaterialPreviewBrush;
    m_MaterialPreviewBrush = new ZNBRUSH();
    ZNBRUSH *brush = m_MaterialPreviewBrush;
    auto addFace = [&](std::initializer_list<int> corners) {
        ZNFACE *face = brush->AddFace(static_cast<short>(corners.size()));
        if (!face)
            return;
        short i = 0;
        for (int index : corners)
            face->SetVertex(i++, positions[index]);
    };
    for (int k = 0; k < kSegments; ++k)
        addFace({ringVertex(1, k), ringVertex(1, k + 1), top});
    for (int ring = 2; ring <= kRings; ++ring)
        for (int k = 0; k < kSegments; ++k)
            addFace(
                {ringVertex(ring, k), ringVertex(ring, k + 1), ringVertex(ring - 1, k + 1), ringVertex(ring - 1, k)});
    for (int k = 0; k < kSegments; ++k)
        addFace({bottom, ringVertex(kRings, k + 1), ringVertex(kRings, k)});

    brush->CalculateFaceNormals();
    brush->UpdateSharedFaceInfo();
    brush->CalculateVertexNormals(0);
    for (DWORD i = 0; i < brush->GetFaceCount(); ++i) {
        ZNFACE *face = brush->GetFace(i);
        face->m_UWrap = 2.0f;
        face->m_VWrap = 2.0f;
        face->m_Rotation = D3DXVECTOR4(0.0f, 1.5707f, 0.0f, 0.0f);
        face->m_MappingMode = 2;
    }

    delete m_MaterialPreviewTexture;
    m_MaterialPreviewTexture = new (std::nothrow) CZNTexture();
    if (!m_MaterialPreviewTexture ||
        !m_MaterialPreviewTexture->LoadTexture((m_ProgramDirectory + "Material.sys").c_str(), nullptr)) {
        // No half-loaded texture is kept: the sphere is drawn untextured.
        delete m_MaterialPreviewTexture;
        m_MaterialPreviewTexture = nullptr;
        GetReporter()->Message("The file Material.sys could not be found. Please reinstall Tovra\n The Application "
                               "will continue but may not work correctly.",
                               "TOVRA", MB_OK);
    } else {
        brush->SetTexture(m_MaterialPreviewTexture, 0);
    }
    brush->CalculateWorldTextureCoords();
}

void CZNEDITORApp::ReleaseInstance()
{
    m_Options.m_Initialized = 0;
    if (m_RecentFilesRead) {
        m_RecentFiles->WriteList();
        m_RecentFilesRead = false;
    }
    delete m_MaterialPreviewBrush;
    m_MaterialPreviewBrush = nullptr;
    delete m_MaterialPreviewTexture;
    m_MaterialPreviewTexture = nullptr;
    // The textures go before the device: a texture still referenced frees its device texture.
    m_PrefabManager->Release();
    m_TextureManager.reset();
    m_TextureManager = std::make_unique<CZNTextureManager>();
    m_LightmapBuilder->Release();
    m_3D->Shutdown();
    m_EntityPlugins->UnloadPlugins();
    m_PrimitivePlugins->UnloadPlugins();
    m_Shell = nullptr;
}

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
        startupLog->Printf("%d Textures were located and loaded",
                           static_cast<int>(m_TextureManager->GetTextureCount()));
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
    // Entities, the scene files and the editor find their plug-ins in the table of the one
    // application's entity plug-in manager, handed to the scene as the application is made.
    static CZNEDITORApp *const app = [] {
        static CZNEDITORApp one;
        CZNEntityPluginTable::SetLoaded(one.GetEntityPluginManager());
        return &one;
    }();
    return app;
}
