#pragma once

// CZNEDITORApp: the one application object, reached from everywhere through GetEditorApp().
// It holds the editor's global state: program directory, current document, edit and placement
// modes, the 28 option words and the reporter that stands for message boxes. It owns the Direct3D
// wrapper, the managers, the recent-file list and the material-preview sphere with its texture;
// this header only names them, so every layer may include it cheaply. InitInstance starts the
// editor against a shell (not owned); ReleaseInstance lets go of everything in shut-down order.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/export.h"
#include "platform/os/command_ids.h"
#include "platform/os/reporter.h"
#include "platform/os/win_types.h"
#include "sdk/primitive_plugin.h"

class CZN3D;
class CZNRecentFileList;
class CZNTexture;
class IZNAppShell;
class ZNBRUSH;
class CZNDebugLog;
class CZNEDITORDoc;
class CZNEntityPluginManager;
class CZNPrimitivePluginManager;
class CZNOverlay;
class CZNFont;
class CZNLightmapBuilder;
class CZNPrefabManager;
class CZNSelectionBand;
class CZNTextureManager;
class IZNSplashProgress;
class IZNThumbnailRenderer;

// Edit modes.
enum ZNEDITMODE : int32_t {
    ZNEDITMODE_BRUSH = 0,
    ZNEDITMODE_FACE = 1,
    ZNEDITMODE_VERTEX = 2,
    ZNEDITMODE_OVERLAY = 3,
};

// Placement modes of a left click in a 2D view.
enum ZNPLACEMENTMODE : int32_t {
    ZNPLACE_SELECT = 0,
    ZNPLACE_PRIMITIVE = 1,
    ZNPLACE_ENTITY = 2,
    ZNPLACE_OVERLAY = 3,
    ZNPLACE_PREFAB = 4,
};

// The option words, numbered 0 to 27 in this order. Words 20 and 21 hold floats.
// Views and commands use the named fields; the IWF editor-options chunk walks them by number.
struct ZNAPPOPTIONS {
    int32_t m_DrawLights2D;           // 0
    int32_t m_DrawLights3D;           // 1  light label and bounding box in the 3D view
    int32_t m_DrawLightInfluences;    // 2
    int32_t m_DrawEntities2D;         // 3
    int32_t m_DrawEntities3D;         // 4
    int32_t m_SnapToGrid;             // 5  translation snap of the selection band
    int32_t m_SnapRotation;           // 6
    int32_t m_CarveMode;              // 7  0 carve in place, otherwise carve by splitting
    int32_t m_Initialized;            // 8  1 once start-up has finished; never saved
    int32_t m_DoubleBuffer2D;         // 9
    int32_t m_DynamicUpdate;          // 10 camera movement redraws the 2D views
    int32_t m_CameraSelectable;       // 11
    int32_t m_DrawCamera2D;           // 12
    int32_t m_KeepCameraInView;       // 13
    int32_t m_KeepCameraCentred;      // 14
    int32_t m_DrawOverlays2D;         // 15
    int32_t m_DrawOverlayBoxes2D;     // 16
    int32_t m_DrawOverlays3D;         // 17
    int32_t m_DrawOverlayBoxes3D;     // 18
    int32_t m_DrawOverlayWireframe3D; // 19
    float m_SecondGrid;               // 20 only saved and restored with the editor options
    float m_GridSize;                 // 21
    int32_t m_SupportsMipMaps;        // 22 written by the Direct3D wrapper's start-up
    int32_t m_SupportsLinearFilter;   // 23 written by the Direct3D wrapper's start-up
    int32_t m_FastDraw3D;             // 24
    int32_t m_FastDraw2D;             // 25
    int32_t m_PlaceOnSurfaces;        // 26 options-panel check box, passed to entity 3D picks
    int32_t m_CameraMode;             // 27 0 fly, 1 first person
};
static_assert(sizeof(ZNAPPOPTIONS) == 28 * 4, "the option words are 28 32-bit words");

class ZN_API CZNEDITORApp
{
public:
    static constexpr int kOptionWordCount = 28;

    CZNEDITORApp();
    ~CZNEDITORApp();
    CZNEDITORApp(const CZNEDITORApp &) = delete;
    CZNEDITORApp &operator=(const CZNEDITORApp &) = delete;

    // Start-up. Makes LC_NUMERIC "C", takes the executable's folder as the program directory
    // unless one was set before (tests and tools lay out their own program folder), writes
    // "Debug Logs/AppInit Debug.txt" there and runs the steps against the shell: windows, splash,
    // device on the 3D view, plug-ins, textures, prefabs, the material preview. argv[1..] is the
    // command line; its first argument that is not an option names a scene, resolved against the
    // current folder (start-up never changes it) and opened once start-up has finished.
    // FALSE after one log line when a window, the device or every primitive plug-in is missing;
    // the caller then ends the program (after ReleaseInstance).
    BOOL InitInstance(IZNAppShell *shell, int argc, const char *const *argv);
    // Builds the material-preview sphere and gives it "Material.sys" from the program directory.
    // A picture that does not load is reported once and the preview stays untextured.
    void CreateMaterialPreviewObject();
    // Shut-down while the windowing system is alive: saves the recent-file list and frees, in
    // order, the preview sphere, its texture, the device (whose GL context must be current),
    // the prefabs, the textures, the entity and the primitive plug-ins. Call it after the shell
    // has destroyed its document and views. The object can be started again afterwards.
    void ReleaseInstance();

    // The shell start-up ran against; null before InitInstance and after ReleaseInstance. Tests
    // that drive a shell without start-up set it themselves.
    IZNAppShell *GetShell() const { return m_Shell; }
    void SetShell(IZNAppShell *shell) { m_Shell = shell; }
    // The sphere the material previews draw; null before start-up.
    ZNBRUSH *GetMaterialPreviewBrush() const { return m_MaterialPreviewBrush; }
    // The sphere's texture; null when "Material.sys" did not load.
    CZNTexture *GetMaterialPreviewTexture() const { return m_MaterialPreviewTexture; }
    // The four most recent scenes ("Recent File List" in the settings), read at start-up.
    CZNRecentFileList *GetRecentFileList() { return m_RecentFiles.get(); }

    // Start values of the option words (the values at the end of start-up, word 8 excepted:
    // it stays 0 until start-up has finished; words 22 and 23 are left to the device).
    void SetDefaultOptions();

    ZNAPPOPTIONS &Options() { return m_Options; }
    const ZNAPPOPTIONS &Options() const { return m_Options; }
    // Raw access by number, as the editor-options chunk stores them; 0 beyond the range.
    int32_t GetOptionWord(int index) const;
    void SetOptionWord(int index, int32_t value);

    float GetGridSize() const { return m_Options.m_GridSize; }
    void SetGridSize(float size) { m_Options.m_GridSize = size; }
    bool IsInitialized() const { return m_Options.m_Initialized != 0; }

    ZNEDITMODE GetEditMode() const { return m_EditMode; }
    void SetEditMode(ZNEDITMODE mode) { m_EditMode = mode; }
    ZNPLACEMENTMODE GetPlacementMode() const { return m_PlacementMode; }
    void SetPlacementMode(ZNPLACEMENTMODE mode) { m_PlacementMode = mode; }
    int32_t GetRightButtonMode() const { return m_RightButtonMode; }
    void SetRightButtonMode(int32_t mode) { m_RightButtonMode = mode; }
    BYTE IsSpaceDown() const { return m_SpaceDown; }
    void SetSpaceDown(BYTE down) { m_SpaceDown = down; }
    // Non-zero while a drag of the selection band transforms the selection: the band's
    // box-locked flag.
    int32_t GetBandDragFlag() const;

    // The folder of the executable, ending in '/'. Every relative path of the system starts here.
    const std::string &GetProgramDirectory() const { return m_ProgramDirectory; }
    void SetProgramDirectory(const std::string &directory);
    // The folder of the running executable, ending in '/'.
    static std::string LocateExecutableDirectory();

    CZNEDITORDoc *GetDocument() const { return m_Document; }
    void SetDocument(CZNEDITORDoc *document) { m_Document = document; }

    // The plug-ins; never null.
    CZNPrimitivePluginManager *GetPrimitivePluginManager() { return m_PrimitivePlugins.get(); }
    CZNEntityPluginManager *GetEntityPluginManager() { return m_EntityPlugins.get(); }
    // What a placement click places: the active primitive plug-in's BuildBrush and name (false,
    // both left alone, when no loaded plug-in is active or it lacks either), and the active
    // entity plug-in's index (-1 when no loaded plug-in is active).
    bool GetActivePrimitive(PFNBUILDBRUSH *build, const char **name);
    int GetActiveEntityPlugin();
    // A placement lasts one click: the shell goes back to select mode with its toolbar, or
    // without a shell the mode alone does.
    void ReturnToSelectMode();

    // The 3D device wrapper and, through it, the material list.
    CZN3D *Get3D() { return m_3D.get(); }
    // The overlay whose face flag and auto-rebuild setting new placed overlays copy; never null.
    CZNOverlay *GetDefaultOverlay() { return m_DefaultOverlay.get(); }
    // Every texture of the editor.
    CZNTextureManager *GetTextureManager() { return m_TextureManager.get(); }
    // The one selection; never null.
    CZNSelectionBand *GetSelectionBand() { return m_SelectionBand.get(); }
    // The preview light maps of the selection; never null.
    CZNLightmapBuilder *GetLightmapBuilder() { return m_LightmapBuilder.get(); }

    // The start-up texture scan of the program's "Textures/" tree: sizes the splash window's bar
    // (splash may be null), caches every texture with its preview, numbers equal names and
    // writes the outcome to the start-up log (may be null). Returns the texture count.
    DWORD LoadTextures(IZNSplashProgress *splash, CZNDebugLog *startupLog);

    // The font of labels drawn in the 2D views (the camera's); null: the context's own font.
    CZNFont *GetLabelFont() const { return m_LabelFont; }
    void SetLabelFont(CZNFont *font) { m_LabelFont = font; }

    // The prefabs of the program's "Prefabs/" tree.
    CZNPrefabManager *GetPrefabManager() { return m_PrefabManager.get(); }
    // The start-up prefab scan of the program's "Prefabs/" tree: sizes the splash window's bar
    // (splash may be null), scans with the root category "<General>", numbers equal names and
    // writes the outcome to the start-up log (may be null). Returns the prefab count.
    DWORD LoadPrefabs(IZNSplashProgress *splash, CZNDebugLog *startupLog);

    // Where message boxes go; never null (standard error when nothing is set).
    IZNReporter *GetReporter() const;
    void SetReporter(IZNReporter *reporter) { m_Reporter = reporter; }

    // Runs task on the UI thread (the thread that made this object or last ran InitInstance) and
    // waits for it: at once on that thread, else through the shell (the Qt application's thread
    // without one). The batch
    // conversion's worker asks its questions and renders its thumbnails this way.
    void RunOnUIThread(const std::function<void()> &task);
    bool IsUIThread() const { return std::this_thread::get_id() == m_UIThread; }

    // What renders scene thumbnails for the writer; null when nothing can (not owned).
    IZNThumbnailRenderer *GetThumbnailRenderer() const { return m_ThumbnailRenderer; }
    void SetThumbnailRenderer(IZNThumbnailRenderer *renderer) { m_ThumbnailRenderer = renderer; }

private:
    std::string m_ProgramDirectory;
    CZNEDITORDoc *m_Document = nullptr;
    ZNEDITMODE m_EditMode = ZNEDITMODE_BRUSH;
    ZNPLACEMENTMODE m_PlacementMode = ZNPLACE_SELECT;
    int32_t m_RightButtonMode = ZNCMD_RBUTTON_PAN;
    BYTE m_SpaceDown = 0;
    ZNAPPOPTIONS m_Options{};
    // Destroyed last, primitives after entities: scene objects may still call their plug-ins.
    std::unique_ptr<CZNPrimitivePluginManager> m_PrimitivePlugins;
    std::unique_ptr<CZNEntityPluginManager> m_EntityPlugins;
    std::unique_ptr<CZN3D> m_3D;
    std::unique_ptr<CZNTextureManager> m_TextureManager; // destroyed before the device wrapper
    std::unique_ptr<CZNPrefabManager> m_PrefabManager;
    std::unique_ptr<CZNSelectionBand> m_SelectionBand;
    std::unique_ptr<CZNLightmapBuilder> m_LightmapBuilder; // its textures go before the device
    std::unique_ptr<CZNOverlay> m_DefaultOverlay;
    IZNReporter *m_Reporter = nullptr;
    IZNThumbnailRenderer *m_ThumbnailRenderer = nullptr;
    CZNFont *m_LabelFont = nullptr;
    IZNAppShell *m_Shell = nullptr;
    std::thread::id m_UIThread = std::this_thread::get_id();
    ZNBRUSH *m_MaterialPreviewBrush = nullptr;
    CZNTexture *m_MaterialPreviewTexture = nullptr;
    std::unique_ptr<CZNRecentFileList> m_RecentFiles;
    bool m_RecentFilesRead = false;
};

// The one application object. Never null.
ZN_API CZNEDITORApp *GetEditorApp();
