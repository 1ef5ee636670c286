#pragma once

// CZNEDITORDoc: the one document. It owns the scene's objects, kept in singly linked lists in
// creation order (undo records and the clipboard name objects by their position in a list), and
// deletes them when they are removed or when the scene is cleared. Groups are not listed: they
// hang from their members. It also holds the render batches that the 3D view empties at the
// start of every frame and the 3D drawing of the objects fills.
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"
#include "render/render_batch.h"
#include "render/view/view_source.h"
#include "scene/selection_entry.h"
#include "sdk/primitive_plugin.h"

class CZNCONTAINER;
class CZNIWFScene;
class CZNStreamIO;
class IZNDocShell;
struct IWFEXPORTOPTIONS;
struct ZNEDITOROPTIONS;
struct ZNSELECTIONENTRY;
class CZNView;
class CZNUndoLevel;
class CZNOverlay;
class CZNEntity;
class ZNBRUSH;
class ZNFACEPICKDESC;
class ZNOBJECTPICKDESC;
class ZNVERTEXPICKDESC;
struct ZNUNDORECORD;

// The list category of an object type byte, as selection entries and undo records name them:
// brush 1, entity 2, face 3, camera 4, overlay 5, overlay face 6, vertex 7, group 8; else 0.
ZN_API BYTE MapObjectTypeToCategory(BYTE objectType);

class ZN_API CZNEDITORDoc : public IZNViewSource
{
public:
    // Becomes the application's current document.
    CZNEDITORDoc();
    // Deletes the objects still listed and stops being the current document.
    ~CZNEDITORDoc() override;
    CZNEDITORDoc(const CZNEDITORDoc &) = delete;
    CZNEDITORDoc &operator=(const CZNEDITORDoc &) = delete;

    // An empty brush appended to the brush list; null when it cannot be allocated.
    ZNBRUSH *NewBrush();
    // Links the brush behind the last one and marks the document modified. A brush already
    // listed is left where it is.
    void AppendBrush(ZNBRUSH *brush);
    ZNBRUSH *GetBrushList() const override { return m_BrushList; }
    // The last brush; null when the list is empty.
    ZNBRUSH *GetLastBrush() const;
    // Takes the brush out of its group and the list and destroys it; 0 when it is not listed.
    int DeleteBrush(ZNBRUSH *brush);

    // An overlay around point (the default box moved there) appended to the overlay list; null
    // when it cannot be allocated.
    CZNOverlay *NewOverlay(const D3DXVECTOR3 &point);
    // Links the overlay behind the last one and marks the document modified. An overlay already
    // listed is left where it is.
    void AppendOverlay(CZNOverlay *overlay);
    CZNOverlay *GetOverlayList() const override { return m_OverlayList; }
    // The last overlay; null when the list is empty.
    CZNOverlay *GetLastOverlay() const;
    // Takes the overlay out of its group and the list and destroys it; 0 when it is not listed.
    int DeleteOverlay(CZNOverlay *overlay);

    // An entity of the entity plug-in at index, placed at (x, y, z) and appended to the entity
    // list (editor_doc_entities.cpp): its block (at least the 64-byte head) holds the plug-in's
    // default data, then InitializeEntity's changes, then the identity head moved to the point
    // (a fog entity's head holds its fog values and is left alone). Named from the plug-in's type
    // name and the first free two-digit number ("%s%02i"). Null for an index without a plug-in or
    // when it cannot be allocated; the list is then as it was.
    CZNEntity *NewEntity(int pluginIndex, float x, float y, float z);
    // Links the entity behind the last one; the modified flag is left alone. An entity already
    // listed is left where it is.
    void AppendEntity(CZNEntity *entity);
    CZNEntity *GetEntityList() const override { return m_EntityList; }
    // The last entity; null when the list is empty.
    CZNEntity *GetLastEntity() const;
    // Takes the entity out of its group and the list, gives back its light and destroys it; 0
    // when it is not listed.
    int DeleteEntity(CZNEntity *entity);
    // Once entities have been deleted (New, Open, Delete, Cut, Undo): every entity plug-in's block
    // container is refilled in place from the selection, its template's block when none of its
    // kind is selected, and the active plug-in gets DataUpdated, so that no plug-in control
    // writes to a freed block. Nothing when no entity went since the last call.
    void RefillEntityContainers();

    // Placement (editor_doc_placement.cpp): new objects at a world point, each kept as one undo
    // level that Undo takes back, with every view redrawn. Null (0) when nothing was placed; the
    // lists and the undo list are then as they were.
    // A brush of a primitive plug-in's BuildBrush centred on point, size units a side, named from
    // name ("%s%02i", the first free number), as "Add Primitive". A brush that fails validation
    // is deleted. The plug-in builds into the application's current document: nothing for another.
    ZNBRUSH *PlacePrimitive(PFNBUILDBRUSH build, const char *name, const D3DXVECTOR3 &point, float size);
    // An overlay around point with the application's default overlay's face flag and auto
    // rebuild, named "OverlayNN" (the first free number), as "Add Overlay".
    CZNOverlay *PlaceOverlay(const D3DXVECTOR3 &point);
    // An entity of the entity plug-in at that index (NewEntity names it), as "Add Entity".
    CZNEntity *PlaceEntity(int pluginIndex, const D3DXVECTOR3 &point);
    // The objects of a prefab's scene file centred on point, as "Import Objects" (ImportScene,
    // which reports a failure); the views are redrawn either way. 1 when placed.
    int PlacePrefab(const char *path, const D3DXVECTOR3 &point);
    // base followed by the first two-digit number from 1 up ("%s%02i") that names no object.
    std::string FirstFreeName(const char *base) const;

    // Position of the object in the list of its category (1 brushes, 2 entities, 5 overlays); -1
    // when it is not there.
    int GetObjectIndex(BYTE category, void *object) const;
    // The object at that position of the category's list; null past the end.
    void *GetObjectByIndex(BYTE category, DWORD index) const;
    // The group or object of that name, letter case ignored: groups (reached through the brushes,
    // then the overlays, then the entities) first, then brushes, overlays and entities. Null when
    // nothing matches.
    void *FindObjectByName(const char *name) const;
    // Adds the outermost group of every grouped object once; 0 for a null container.
    int CollectGroups(CZNCONTAINER *groups) const;
    // Deletes every brush that fails validation, recorded as a removal in the undo level of the
    // command that made them.
    void ValidateBrushes(CZNUndoLevel &level);
    // The same, joining the newest undo level.
    void ValidateBrushes();

    // Clears the scene: the selection band and the render batches are emptied, every object and
    // every undo record is deleted (each object after leaving its group, so groups reached only
    // through overlays or entities go too), the material list goes back to its built-in records
    // and the 3D view to its own preview lighting.
    void DeleteContents();

    // Undo. Records are written before the change they take back (type 10 after the objects
    // were added); 1 when a record was stored.
    // A record of the selection band's entries (camera left out); 0 for an empty band.
    int CreateUndoLevel(DWORD type, BYTE continuation, int withGroups);
    // A record of the given entries; their array is sorted by list index for the types that
    // store an IWF image or name objects. 0 without entries or when the write fails.
    int WriteUndoData(DWORD type, std::vector<ZNSELECTIONENTRY> &entries, BYTE continuation, int withGroups);
    // Names the newest record (a static text); nothing without records.
    void SetUndoDescription(const char *description);
    // Drops whole levels, oldest first, while the list is over its cap; the last level only
    // after the user agrees.
    void TrimUndoBuffer();
    // Takes the newest level back; 0 when a record could not be restored, else 1 (also with
    // nothing to undo).
    int OnEditUndo();
    ZNUNDORECORD *GetUndoList() const { return m_UndoList; }
    // Takes over a record made elsewhere as the newest (null is ignored).
    void PushUndoRecord(ZNUNDORECORD *record);
    // Deletes the newest record; nothing without records.
    void DropNewestUndoRecord();
    // The bytes the cap counts: every record's size plus its charge.
    uint64_t GetUndoBufferSize() const;
    void FreeUndoList();
    static constexpr uint64_t kUndoBufferCap = 10485760;

    // View commands (editor_doc_commands.cpp).
    void OnHideAll();
    void OnHideSelected();
    void OnHideDeselected();
    void OnUnhideAll();
    void OnUnhideSelected();
    void OnUnhideDeselected();
    void OnSanitizeSelectedBrushes();
    void OnSceneStatistics();
    void OnSelectionStatistics();
    // Every view centres on the selection band's box; Zoom into Selected also fits it.
    void OnCentreOnSelected();
    void OnZoomIntoSelected();
    // The enable rules of the commands above and of As Prefab, by command id (ZNCOMMANDID); false for
    // an unknown id.
    bool IsCommandEnabled(UINT id) const;

    // Blended faces, and faces drawn without lighting (sky box, full bright).
    ZNRENDERBATCH &GetBlendedBatch() override { return m_BlendedBatch; }
    ZNRENDERBATCH &GetUnlitBatch() override { return m_UnlitBatch; }
    void EmptyRenderBatches() override;

    // The views showing the document, in the order they were added; the document does not own
    // them, and is each one's source while it is listed. Adding a listed view or removing an unlisted one does nothing.
    void AddView(CZNView *view);
    void RemoveView(CZNView *view);
    const std::vector<CZNView *> &GetViews() const { return m_Views; }
    // Every view but skip (may be null) redraws after an edit; the flag asks for a quick frame.
    void RedrawAllViews(CZNView *skip, int flag) override;
    // Every view follows a camera move: the 3D view renders, the 2D views re-centre when their
    // follow option is on and repaint.
    void RefreshViews() override;
    // The application's selection band over a 2D view.
    void DrawOverlay2D(CDC *dc, CZN2DView *view) override;

    // The 3D cursor: the crosshair of the 2D views, and the depth at which they place things.
    // A new document starts with it at (50, 50, 50).
    const D3DXVECTOR3 &GetCursorPoint() const override { return m_CursorPoint; }
    void SetCursorPoint(const D3DXVECTOR3 &point) override { m_CursorPoint = point; }

    BOOL IsModified() const { return m_Modified; }
    // Stores the flag; the shell hears of a change, so the window's unsaved-changes marker follows.
    void SetModifiedFlag(BOOL modified = TRUE);

    // File commands (editor_doc_files.cpp). Messages go through the application's reporter,
    // dialogs and panel refreshes through the shell (may be null: dialogs count as cancelled).
    void SetShell(IZNDocShell *shell) { m_Shell = shell; }
    IZNDocShell *GetShell() const { return m_Shell; }
    // The shell of the application's current document; null without a document or a shell.
    static IZNDocShell *GetCurrentShell();
    // The file the document was last opened from or saved to; empty before.
    const std::string &GetPathName() const { return m_PathName; }
    void SetPathName(const std::string &path);
    // The file name of the path, "Untitled" before the first save.
    std::string GetTitle() const;
    // The main window's title: "<title> - TOVRA v1.5".
    std::string GetFrameTitle() const;

    // An empty scene with the 3D cursor at (50, 50, 50). Always 1.
    BOOL OnNewDocument();
    // Replaces the scene by the file's; on failure the scene is left as it was, unless the
    // reader fails part-way (the scene is then empty). Nonzero on success, which clears modified.
    BOOL OnOpenDocument(const char *path);
    // Writes the whole scene to path; nonzero on success, which clears modified.
    BOOL OnSaveDocument(const char *path);
    // A modified document asks "Save changes to <title>?": Yes saves, No goes on, Cancel (or a
    // failed save) stops. FALSE means stop.
    BOOL SaveModified();
    // The commands of the File menu: New, Open (dialog), Open of a path, Save, Save As, Import.
    BOOL DoFileNew();
    BOOL OnFileOpen();
    BOOL OpenDocumentFile(const char *path);
    BOOL DoFileSave();
    // Save As: the dialog's path, with ".iwf" added when the name has no extension.
    BOOL DoSaveAs();
    void OnFileImport();

    // Reads a scene file (the dialog's when path is null) and replaces the scene (import 0) or
    // adds its objects (import 1); with a placement point the objects arrive centred on it.
    // 1 on success; 0 on cancel or failure, with the failure's message.
    int ImportScene(const char *path, const D3DXVECTOR3 *placement, BOOL import);
    // Writes the scene (entries null) or the entries to path (the dialog's when null) as IWF
    // (file type 1) or .X (2). The file is written beside the target and renamed over it, so a failed
    // write keeps the old file as it was. 1 when written; 0 on cancel or failure.
    int ExportScene(const char *path, const std::vector<ZNSELECTIONENTRY> *entries, const IWFEXPORTOPTIONS *options,
                    int fileType);
    // Export Selected As Prefab: the band's objects written as IWF to the path of the prefab
    // dialog (which opens on the program's "Prefabs" folder), for the prefab manager to find at
    // its next scan. 1 when written; 0 with an empty band (and its message), on cancel or failure.
    int OnSavePrefab();
    // Export Selected As File: the band's objects through the export dialog, which preselects the
    // type last chosen in this run; IWF asks for the export options first. Nothing with an empty
    // band. 1 when written; 0 on cancel or failure.
    int OnSaveSelectionAsIWF();
    // A scene file's editor options back into the application, the wrapper and its camera.
    void ApplyEditorOptions(const ZNEDITOROPTIONS &options);
    // The wrapper's ambient colour: 0xFF4C4C4C with default lighting on, else 0 (no light).
    void ApplySceneLightColour();

    // Clipboard commands and Select All (editor_doc_clipboard.cpp). The clipboard (GetClipboard)
    // carries objects in the format "IIWF - v2.0.0": a u32 length n, then n bytes of an IWF image.
    // Copy: 1 when the clipboard was set; the scene is unchanged. Paste: 1 when objects were
    // pasted, centred on the active 2D view and selected, as one undo step; data that is short,
    // whose length word overruns it or whose image does not read changes nothing. Select All
    // selects what the edit mode can select, without an undo record; always 1.
    // Copy, then the selection removed as one "Cut Selected" level; nothing removed when the
    // copy fails.
    int OnEditCut();
    int OnEditCopy();
    int OnEditPaste();
    int OnEditSelectAll();
    // The enable rules of Cut, Copy, Paste and Select All, by command id; false for other ids.
    bool IsClipboardCommandEnabled(UINT id) const;
    static constexpr const char *kClipboardFormat = "IIWF - v2.0.0";
    // The 2D pick lists of the last select click of each kind (editor_doc_picks.cpp); owned,
    // null when none. A setter deletes the list it replaces.
    ZNOBJECTPICKDESC *GetObjectPickList() const { return m_ObjectPicks; }
    ZNFACEPICKDESC *GetFacePickList() const { return m_FacePicks; }
    ZNVERTEXPICKDESC *GetVertexPickList() const { return m_VertexPicks; }
    void SetObjectPickList(ZNOBJECTPICKDESC *list);
    void SetFacePickList(ZNFACEPICKDESC *list);
    void SetVertexPickList(ZNVERTEXPICKDESC *list);
    // Deletes the three lists: they name objects that an edit may have changed.
    void FreePickLists();
    // Every overlay that rebuilds its surfaces by itself builds them again from the brushes as
    // they are now, in list order (after an edit moved or changed brushes).
    void RebuildDirtyOverlays();

private:
    void DeleteAllBrushes();
    void Unlink(ZNBRUSH *brush);
    void DeleteAllOverlays();
    void Unlink(CZNOverlay *overlay);
    void DeleteAllEntities();
    void Unlink(CZNEntity *entity);
    // Out of its group, its light given back, destroyed; the entity is no longer listed.
    static void FreeEntity(CZNEntity *entity);
    // Links a brush in at a list position (at most the brush count).
    void InsertBrushAt(ZNBRUSH *brush, DWORD index);

    // Undo pieces (editor_doc_undo.cpp).
    void WriteUndoEntries(CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries);
    // The entry list of a record with an IWF image, one entry per image object in its order.
    void WriteImageEntries(CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries, bool withGroups);
    void WriteUndoProperties(DWORD type, CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries);
    void RestoreUndoRecord(ZNUNDORECORD *record);
    void RestoreUndoObjects(DWORD type, CZNStreamIO &stream);
    void RestoreUndoProperties(DWORD type, CZNStreamIO &stream);
    void RestoreAddedObjects(CZNStreamIO &stream);
    // ExportScene's IWF writer: failure is the message of a write that fails part-way.
    int WriteIWF(const char *path, const std::vector<ZNSELECTIONENTRY> *entries, const IWFEXPORTOPTIONS *options,
                 const char *failure);
    void Hide(int which, bool hide);
    void CentreOnSelection(bool zoom);

    ZNBRUSH *m_BrushList;
    std::vector<ZNBRUSH *> m_Brushes;                     // the list in order
    std::unordered_map<const void *, DWORD> m_BrushIndex; // each listed brush's position
    ZNUNDORECORD *m_UndoList = nullptr;
    CZNOverlay *m_OverlayList = nullptr;
    CZNEntity *m_EntityList = nullptr;
    bool m_EntitiesRemoved = false; // an entity was deleted since RefillEntityContainers
    std::vector<CZNView *> m_Views;
    D3DXVECTOR3 m_CursorPoint{50.0f, 50.0f, 50.0f};
    ZNRENDERBATCH m_BlendedBatch;
    ZNRENDERBATCH m_UnlitBatch;
    BOOL m_Modified;
    IZNDocShell *m_Shell = nullptr;
    std::string m_PathName;
    ZNOBJECTPICKDESC *m_ObjectPicks = nullptr;
    ZNFACEPICKDESC *m_FacePicks = nullptr;
    ZNVERTEXPICKDESC *m_VertexPicks = nullptr;
};
