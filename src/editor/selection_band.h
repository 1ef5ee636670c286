#pragma once

// CZNSelectionBand: the editor's one selection, held by the application object for the whole
// run. It keeps the selected items as a list of ZNSELECTIONENTRY records and the items' own
// selected flags in step with it, and an oriented box around them with eight handle points per
// 2D view type, a pivot and a placement origin. It owns its entry list, the list of brushes that
// own selected faces or vertices ("touched") and its pen; the scene objects it names belong to
// the document.
//
// Entry words: word 1 (Object) is the object, or for a face or vertex entry the brush that owns
// it (the overlay for an overlay face); word 2 (Face) the face index; word 3 (Vertex) the vertex
// index. Brushes, entities, overlays, faces, vertices, overlay faces and the camera are taken.
//
// Failure rules: a refused add returns 0 and changes nothing but the dragged and box-locked
// flags; null entries and objects, and indices past the end, are ignored.
#include <memory>
#include <vector>

#include "platform/export.h"
#include "platform/gdi/gdi_types.h"
#include "platform/gdi/pen.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/point.h"
#include "platform/os/win_types.h"
#include "scene/bbox.h"
#include "scene/selection_entry.h"

class CZN2DView;
class CZN3DView;
class CZNBSPTREE;
class CZNCONTAINER;
class CZNEntity;
class CZNEDITORDoc;
class CZNUndoLevel;
class CZNGROUP;
class CZNOverlay;
class CZNTexture;
class ZNBRUSH;
class ZNFACE;

// What the band holds.
enum ZNBANDMODE : DWORD {
    ZNBAND_EMPTY = 0,
    ZNBAND_OBJECTS = 1,
    ZNBAND_FACES = 2,
    ZNBAND_VERTICES = 3,
    ZNBAND_OVERLAYFACES = 4,
};

// Which handles the band shows.
enum ZNHANDLEMODE : DWORD {
    ZNHANDLE_SCALE = 0,
    ZNHANDLE_ROTATE = 1,
    ZNHANDLE_EXTRUDE = 2,
};

// What a press in a 2D view hit of the band: a handle square (the corners by where they sit on
// the screen, then the edge midpoints), the box body or the marker.
enum ZNHANDLEHIT : DWORD {
    ZNHIT_NONE = 0,
    ZNHIT_CORNER_LOWER_LEFT = 1,
    ZNHIT_CORNER_UPPER_LEFT = 2,
    ZNHIT_CORNER_UPPER_RIGHT = 3,
    ZNHIT_CORNER_LOWER_RIGHT = 4,
    ZNHIT_EDGE_LEFT = 5,
    ZNHIT_EDGE_TOP = 6,
    ZNHIT_EDGE_RIGHT = 7,
    ZNHIT_EDGE_BOTTOM = 8,
    ZNHIT_BODY = 9,
    ZNHIT_MARKER = 10,
};

class ZN_API CZNSelectionBand
{
public:
    static constexpr float kDefaultHalfExtent = 50.0f;

    CZNSelectionBand();
    // Clears the band (deselecting what it holds).
    ~CZNSelectionBand();

    // Drops the drag level held on that document, taking its records back: a drag that ends
    // without its release leaves no level. Nothing when no level of that document is held.
    void DropDragLevel(const CZNEDITORDoc *doc);
    CZNSelectionBand(const CZNSelectionBand &) = delete;
    CZNSelectionBand &operator=(const CZNSelectionBand &) = delete;

    // Adds an item as the edit mode and the band mode allow; 1 when added, 0 when refused. A
    // grouped object brings its whole outermost group. Without append the band is cleared first.
    int AddToSelection(const ZNSELECTIONENTRY *entry, int append, int redraw);
    // Appends with the words normalised; no other checks. 0 for null.
    int AppendEntry(const ZNSELECTIONENTRY *entry);
    // Removes the first entry equal in category and all three words; flags are not touched.
    int RemoveMatchingEntry(const ZNSELECTIONENTRY *entry);
    int FindEntry(const ZNSELECTIONENTRY *entry) const;
    // Every member of the group, nested groups included, selected and appended (objects mode).
    void AddGroupMembers(CZNGROUP *group);
    // Every entry whose outermost group is group leaves the band, deselected; 0 when refused.
    int RemoveGroupMembers(CZNGROUP *group);
    // Every member of the group joins an empty or objects band, which becomes an active objects
    // band with its handles and bounds; 0 (nothing changed) for another band mode or no members.
    int SelectGroupMembers(CZNGROUP *group);
    // Empties the band; deselects its items when asked.
    void Clear(int deselect, int refreshPanel);
    // Bounds (unless locked by the rotate tool), box corners and handle points.
    void Update();
    // The box over all entries; nothing for an empty band.
    void CalculateBounds();
    // The band in one 2D view.
    void Draw2D(CDC *dc, CZN2DView *view);
    // Appends every entry but the camera, in band order; 0 when the band is empty.
    int GetEntries(std::vector<ZNSELECTIONENTRY> &list) const;
    // Replaces the grouped objects of the list by one group entry per outermost group.
    static int CollapseToTopGroups(std::vector<ZNSELECTIONENTRY> &list);
    // The objects of an objects band, in band order; 0 otherwise.
    int AddSelectedToContainer(CZNCONTAINER *container) const;
    // Removes one entry and deselects its item; without the delete flag a grouped object takes
    // its whole group along.
    void RemoveEntry(DWORD index, int deleteFlag);
    // Removes the first entry naming the object (type byte given).
    void RemoveObject(void *object, BYTE type);
    void AddTouchedBrush(void *object);
    void RemoveTouchedBrush(void *object);

    const std::vector<ZNSELECTIONENTRY> &Entries() const { return m_Entries; }
    DWORD GetEntryCount() const { return static_cast<DWORD>(m_Entries.size()); }
    const std::vector<void *> &TouchedList() const { return m_Touched; }
    DWORD GetBandMode() const { return m_BandMode; }
    DWORD GetHandleMode() const { return m_HandleMode; }
    void SetHandleMode(DWORD mode) { m_HandleMode = mode; }
    // A selection the commands can act on: active and holding entries.
    bool HasSelection() const { return m_Active && !m_Entries.empty(); }
    BYTE IsActive() const { return m_Active; }
    BYTE GetShowHandles() const { return m_ShowHandles; }
    // Set while a drag tool transforms the selection; brush texturing reads it.
    BYTE IsBoxLocked() const { return m_BoxLocked; }
    void SetBoxLocked(BYTE locked) { m_BoxLocked = locked; }
    BYTE IsDragged() const { return m_Dragged; }
    BYTE IsClickConsumed() const { return m_ClickConsumed; }

    const D3DXVECTOR3 &GetCentre() const { return m_Centre; }
    const D3DXVECTOR3 &GetHalfExtents() const { return m_HalfExtents; }
    const D3DXVECTOR3 &GetLookAxis() const { return m_Look; }
    const D3DXVECTOR3 &GetUpAxis() const { return m_Up; }
    const D3DXVECTOR3 &GetRightAxis() const { return m_Right; }
    const D3DXVECTOR3 &GetPivot() const { return m_Pivot; }
    void SetPivot(const D3DXVECTOR3 &p) { m_Pivot = p; }
    const D3DXVECTOR3 &GetPlacementOrigin() const { return m_PlacementOrigin; }
    void SetPlacementOrigin(const D3DXVECTOR3 &p) { m_PlacementOrigin = p; }
    // pivot := centre, placement origin := centre - up half extent * up axis.
    void ResetPivotAndOrigin();
    // The handle points of a 2D view type (0 to 2): four corners, then the edge midpoints.
    const D3DXVECTOR3 *GetHandlePoints(DWORD viewType) const { return m_Handles[viewType < 3 ? viewType : 2]; }
    const D3DXVECTOR3 *GetCorners() const { return m_Corners; }
    // The last move of the selection; type-1 undo records store it.
    const D3DXVECTOR3 &GetMoveTotal() const { return m_MoveTotal; }
    void SetMoveTotal(const D3DXVECTOR3 &v) { m_MoveTotal = v; }
    // Set by a placement click of a 2D view, cleared by Select All.
    BYTE GetPlacementFlag() const { return m_PlacementFlag; }
    void SetPlacementFlag(BYTE flag) { m_PlacementFlag = flag; }

    // Queries of the options pages (selection_band_setters.cpp); none changes anything.
    // The overlay the Overlays page shows: the first selected overlay (objects), the first
    // touched one (faces, overlay faces), else the application's default overlay. Never null.
    CZNOverlay *GetActiveOverlay() const;
    // Objects band only, else null: the first brush, entity or overlay decides: its outermost
    // group when it has one, else the object itself.
    void *GetFirstGroup() const;
    // Objects band only, else null: the first entry of that object type.
    ZNBRUSH *GetFirstBrush() const;
    CZNEntity *GetFirstEntity() const;
    CZNOverlay *GetFirstOverlay() const;
    // The first selected face, or null. Both outputs (when given) are -1 unless the band holds
    // exactly one face, vertex or overlay-face entry: then its face index (and vertex index).
    ZNFACE *GetFirstFaceInfo(int *faceIndex, int *vertexIndex) const;
    // Objects band only: appends every selected entity.
    void GetSelectedEntities(CZNCONTAINER *container) const;
    // The data container of that entity plug-in's record, refilled with the data blocks of the
    // selected entities of the plug-in, or with its template's block when there are none. Null
    // for an index without a record (selection_band_entities.cpp).
    CZNCONTAINER *GetSelectedEntitiesOfPlugin(int plugin) const;

    // Setters of the options pages (selection_band_setters.cpp): one value onto every selected
    // object, face or vertex as the band mode says; they write no undo record (the page does).
    // Face setters do nothing (and do not redraw) with an empty band; afterwards the 3D view is
    // redrawn. Faces with "Lock UV's" keep their texture coordinates.
    void SetTextureUPos(float value);
    void SetTextureVPos(float value);
    void SetTextureUWrap(float value);
    void SetTextureVWrap(float value);
    void SetTextureRotate(const D3DXVECTOR4 &rotation);
    void SetFaceStyle(DWORD style);
    void SetMappingMode(BYTE mode);
    void SetAlphaBlend(int8_t source, int8_t destination);
    void SetTexture(CZNTexture *texture);
    void SetMaterial(LONG material);
    // Texture coordinates of vertices; nothing (and no redraw) for overlay faces.
    void SetTexCoordU(float value);
    void SetTexCoordV(float value);
    // Each face's mapping origin becomes the pivot (useOrigin) or "none", and its coordinates
    // are computed again; nothing (and no redraw) for overlay faces.
    void CalculateWorldTextureCoords(int useOrigin);
    // Flag words: only the bits of mask change (all bits by default); the entries are walked
    // whatever the band mode, and the 3D view is redrawn even when nothing changed.
    void SetBrushProperty(DWORD flags, DWORD mask = 0xFFFFFFFF);
    void SetEntityProperty(DWORD flags, DWORD mask = 0xFFFFFFFF);
    void SetOverlayProperty(DWORD flags, DWORD mask = 0xFFFFFFFF);
    // The selected overlays' automatic rebuild, or the default overlay's when none is selected;
    // all views redraw.
    void SetOverlayLocked(int flag);
    // The selected overlays' z-bias (or the selected overlay faces'), else the default overlay's.
    void SetOverlayZBias(BYTE value);
    // Rebuilds (or clears) the surfaces of the selected overlays as one undo level "Rebuild
    // Surfaces"; all views redraw.
    void RebuildSurfaces(int rebuild);

    // Grouping and deleting (selection_band_group.cpp). The commands act on an objects band of
    // at least two entries (Delete: any entries) and return 0 when refused.
    // A new group over the selected objects' outermost groups, with its undo level; refused with
    // the camera selected (a message says so).
    int GroupSelection();
    // Dissolves the outermost groups of the selection, one undo record per group.
    int UngroupSelection();
    // A new group named "GroupNN" over the objects' outermost groups (or the objects); 1 when
    // made, 0 when they already share one outermost group or fewer than two would join.
    static int GroupObjects(CZNCONTAINER *objects);
    // Clears and deletes the distinct outermost groups of the objects; always 1.
    static int UngroupObjects(CZNCONTAINER *objects);
    // Deletes the selected brushes, entities and overlays from the document and empties the band; a
    // selected camera stays in the scene, deselected. The caller records the undo level first.
    int DeleteSelected();

    // CSG on the selected brushes (selection_band_csg.cpp). Each needs an objects band; detail
    // brushes are never a tool or a target. A result of 0 reports a failed allocation or build;
    // what was done before it stays done and undoable.
    // unionFlag 1: the brushes' union, 0: their common part; one new selected brush replaces
    // them. Too few brushes give a message (or a question) and 1.
    int UnionOrIntersect(int unionFlag);
    // The one selected brush cuts every scene brush it meets down to their common part, and
    // goes.
    int IntersectWithScene();
    // The selected brushes cut the scene's brushes (only `only` when given) into convex pieces
    // outside them: each brush is carved by all its carvers at once, as in place, and what is
    // left is cut into convex pieces, which come in one new group.
    int CarveSplit(ZNBRUSH *only);
    // Cuts one brush into pieces outside the carving tree below node; the brush is deleted, the
    // pieces kept appended to the document (and to pieces). Returns the brush that followed it
    // when lastBrush is set, else null (also when the brush could not be cut and is kept).
    ZNBRUSH *CarveBrush(ZNBRUSH *brush, CZNBSPTREE *tree, int carve, LONG node, int lastBrush,
                        std::vector<ZNBRUSH *> *pieces = nullptr);
    // Every selected brush carves the scene's brushes (only `only` when given) in place: each
    // keeps its list position and gains the carver's faces, turned to face into the hole.
    int CarveInPlace(ZNBRUSH *only);
    // Not settled what it should make: does nothing, returns 1.
    int Hollow();

    // Mouse work in the 2D views (selection_band_handles.cpp, _rubber.cpp, _drag.cpp, _move.cpp).
    // The handle under a pixel (0 none, 1-8 the box handles, 9 inside, 10 the marker) becomes
    // the band's handle code; true when it is not 0.
    bool HitTestHandles2D(int x, int y, UINT flags, CZN2DView *view);
    // Whether the pixel lies inside the projected box (with its 1-pixel margin); false without a view.
    bool HitTestBox2D(int x, int y, CZN2DView *view) const;
    // Takes the first entry under the pixel out of the band: 0 when one went, 1 when none was hit.
    int DeselectAt2D(CZN2DView *view, int x, int y);
    // The rubber band: begun at the press (the start point is the press point), tracked by mouse
    // moves, drawn by Draw2D, applied to the scene at the release.
    void BeginRubberBand(CZN2DView *view, UINT flags, int x, int y);
    void TrackRubberBand(UINT flags, int x, int y);
    void DrawRubberBand(CZN2DView *view, CDC *dc);
    void EndRubberBand(UINT flags);
    BYTE IsRubberBandActive() const { return m_RubberActive; }
    // A view that goes away ends a rubber band it owns, selecting nothing.
    void DetachView(CZN2DView *view);
    // The press of the select tool; 1 when the view is to pick at the click itself.
    int OnLButtonDown2D(CZN2DView *view, UINT flags, CPoint point);
    // A mouse move over a view: a drag step while a drag is under way, else the hover handle.
    void OnDrag2D(CZN2DView *view, UINT flags, int x, int y);
    // The release: commits a drag, or cycles the handle mode after a click on the band body.
    void EndDrag2D(CZN2DView *view, UINT flags, int x, int y);
    // Moves (or, at the first step in extrude mode, extrudes) the selection by the offset since
    // the press; with a view snapped so that the grabbed corner lands on the grid. Without a view
    // the offset is applied as given and no undo record is written unless asked for below.
    void Move(CZN2DView *view, const D3DXVECTOR3 *offset);
    // Move without a view writes its first-step undo records while this is set.
    void SetRecordViewlessMove(BYTE record) { m_RecordViewlessMove = record; }
    // The marker points: with a view from their place at the press, snapped (the pivot also kept
    // in the box and drawn to its centre within 5 pixels); without one moved by the offset.
    void MovePivot(CZN2DView *view, const D3DXVECTOR3 *offset, int redraw);
    void MovePlacementOrigin(CZN2DView *view, const D3DXVECTOR3 *offset, int redraw);
    // The world offset of a mouse movement in a view type at a zoom.
    static D3DXVECTOR3 MouseDeltaToWorld(WORD viewType, int dx, int dy, float zoom);
    BYTE IsFirstStep() const { return m_FirstStep; }

    // Drag state of the transform tools: the press sets it, every drag step reads it.
    // The handle the press grabbed (ZNHANDLEHIT).
    DWORD GetHandle() const { return m_Handle; }
    void SetHandle(DWORD handle) { m_Handle = handle; }
    // 1 from the press until the first drag step has run; undo records are written while it is 1.
    // Setting it starts a new drag: a level still held from an earlier one is kept as its own step.
    BYTE GetFirstStep() const { return m_FirstStep; }
    void SetFirstStep(BYTE first);
    // The band box, the pivot and the placement origin at the press.
    const ZNBBOX &GetStartBox() const { return m_StartBox; }
    void SetStartBox(const ZNBBOX &box) { m_StartBox = box; }
    const D3DXVECTOR3 &GetPivotStart() const { return m_PivotStart; }
    void SetPivotStart(const D3DXVECTOR3 &p) { m_PivotStart = p; }
    const D3DXVECTOR3 &GetPlacementOriginStart() const { return m_PlacementOriginStart; }
    void SetPlacementOriginStart(const D3DXVECTOR3 &p) { m_PlacementOriginStart = p; }
    // The mouse position of the press (client pixels); moves update it, scaling does not.
    POINT GetLastMouse() const { return m_LastMouse; }
    void SetLastMouse(POINT p) { m_LastMouse = p; }
    // The cursor angle of the press in degrees.
    float GetStartAngle() const { return m_StartAngle; }
    void SetStartAngle(float angle) { m_StartAngle = angle; }

    // Scale tool (selection_band_scale.cpp). Builds the new box from the start box: offsets x, y,
    // z move the sides named by the side flags (0 minimum, 1 maximum) in modes 0 (plain) and 1
    // (symmetric); in mode 2 (uniform about the pivot) x is the factor. A flat axis (size within
    // 0.01 of 0) is never changed; a plain scale keeps 1 unit, a symmetric one 2 units, a uniform
    // one makes the shortest non-flat axis no shorter than 1. Writes the undo record at the first
    // step, scales the objects, faces or vertices from their snapshots and updates the band.
    void Scale(CZN2DView *view, float x, float y, float z, int sideX, int sideY, int sideZ, int mode);
    // The point at the press mapped from the old box onto the new one; null boxes do nothing.
    void RescalePivot(const ZNBBOX *newBox, const ZNBBOX *oldBox);
    void RescalePlacementOrigin(const ZNBBOX *newBox, const ZNBBOX *oldBox);
    // One scale drag step: the whole mouse delta since the press, truncated to world units, to
    // the grabbed sides (Shift: symmetric, Shift and Ctrl: uniform). Nothing for a handle outside
    // 1-8 or without a view.
    void ScaleDragStep(CZN2DView *view, UINT flags, int x, int y);

    // Rotate tool (selection_band_rotate.cpp). Turns the selection about the pivot by angles in
    // degrees about X, Y and Z, always from the snapshots of the press; the objects receive
    // (x, y, -z). The band's picture turns with them while the drag holds the box.
    void Rotate(float x, float y, float z);
    // The cursor's angle about the pivot's pixel in degrees: 0 straight above, 90 right (and on
    // the pivot's pixel), 180 below, negative on the left; snapped to 5 with rotation snap.
    float GetCursorAngle(CZN2DView *view, int x, int y) const;
    // One rotate drag step: the angle since the press about the axis out of the view.
    void RotateDragStep(CZN2DView *view, int x, int y);
    // The picture back on the world axes (the release of a drag).
    void ResetRotationPicture();

    // Placing on surfaces (selection_band_place.cpp), called by the 3D view's tool on presses with
    // Space held. Both act only while armed: the band active with objects. PlaceObjects moves the
    // selection so that the placement origin lands on the nearest unselected brush or entity
    // under the client pixel, as one undo level "Place Objects"; CreateReference makes a reference
    // entity (type 0x203, vendor "TOVRA") of every selected object, an outermost group standing
    // for its members, where the object would land, as one undo level. Nothing under the pixel,
    // a brush and an entity hit at the same distance, or no loaded reference type: nothing.
    bool IsPlaceArmed() const;
    void PlaceObjects(int x, int y, CZN3DView *view);
    void CreateReference(int x, int y, CZN3DView *view);

    // The 3D view's Shift- and Ctrl-press, through its tool (selection_band_pick3d.cpp). What the view's pick finds
    // under the client pixel, as the edit mode names it (objects: a brush or an entity; faces: the
    // brush's face; overlay faces: the overlay's face), is added with Shift or, with Ctrl alone,
    // removed; then every view is redrawn and the options panel's page refreshed. Vertex mode
    // selects nothing. False when nothing lies under the pixel.
    bool PickSelect3D(int x, int y, UINT flags, CZN3DView *view);

private:
    // Calls brushFace(brush, face index) and overlayFace(overlay, face index) for every face the
    // band names; false (nothing called) for an empty band.
    template <typename BrushFace, typename OverlayFace>
    bool ForEachSelectedFace(BrushFace brushFace, OverlayFace overlayFace) const;
    void SetFlagWord(BYTE category, DWORD flags, DWORD mask);

    // The view's eight handle points in pixels, widened as drawn when the box is thin.
    void ProjectHandles2D(CZN2DView *view, POINT p[8]) const;
    void MoveObjects(const D3DXVECTOR3 &offset, int fromCache, bool records);
    void MoveFaces(const D3DXVECTOR3 &offset, bool records);
    void MoveVertices(const D3DXVECTOR3 &offset, bool records);
    void ExtrudeEntry(ZNSELECTIONENTRY &entry, const D3DXVECTOR3 &offset);
    // The release's commit of a drag in objects, and in face or vertex band mode.
    void CommitObjects(CZN2DView *view);
    void CommitFacesOrVertices();
    // Deselects one entry's item by band mode and frees its drag cache.
    void DeselectEntry(const ZNSELECTIONENTRY &entry);
    void RedrawViews();
    // The drag's level, opened on the document when none is held.
    CZNUndoLevel &DragLevel();
    // Keeps the held drag level as one undo step: trimmed and the views redrawn.
    void CommitDragLevel();
    bool OtherEntryNames(DWORD skip, uintptr_t object, uintptr_t face, bool sameFace) const;
    // Shared steps of the face and vertex transforms (selection_band_touched.cpp).
    // At the first step: one undo record of the touched brushes and overlays, named when written.
    void WriteTouchedUndo(DWORD type, const char *description);
    // Every touched brush restores its snapshot's part (or takes a whole one); every touched
    // overlay restores its snapshot in that mode (or takes one).
    void RestoreTouched(DWORD brushPart, DWORD overlayMode);
    // Derived data of every touched brush (face normals too when asked) and overlay.
    void FinishTouched(bool brushNormals);
    // At the first step: one undo level of the band's entries, named when written.
    void WriteEntriesUndo(DWORD type, const char *description);

    std::vector<ZNSELECTIONENTRY> m_Entries;
    D3DXVECTOR3 m_Centre;
    D3DXVECTOR3 m_Look, m_Up, m_Right;
    D3DXVECTOR3 m_HalfExtents; // along right, up and look
    D3DXVECTOR3 m_Handles[3][8];
    D3DXVECTOR3 m_Corners[8];
    D3DXVECTOR3 m_Pivot, m_PivotStart;
    D3DXVECTOR3 m_PlacementOrigin, m_PlacementOriginStart;
    BYTE m_Active;
    BYTE m_ShowHandles;
    BYTE m_BoxLocked;
    DWORD m_Handle;
    CZNPen m_Pen;
    DWORD m_HandleMode;
    DWORD m_BandMode;
    D3DXVECTOR3 m_MoveTotal;
    BYTE m_FirstStep;
    BYTE m_Dragged;
    std::vector<void *> m_Touched;
    BYTE m_ClickConsumed;
    // Drag state.
    D3DXVECTOR3 m_MoveReference{0, 0, 0};
    POINT m_LastMouse{0, 0};
    float m_StartAngle = 0;
    // The undo level of the drag under way, from its first record to the release.
    std::unique_ptr<CZNUndoLevel> m_DragLevel;
    ZNBRUSH *m_ExtrudedBrush = nullptr;
    ZNBBOX m_StartBox{};
    D3DXVECTOR3 m_PressPoint{0, 0, 0};
    BYTE m_RecordViewlessMove = 0;
    BYTE m_PlacementFlag = 0;
    // Rubber band.
    BYTE m_RubberActive = 0;
    D3DXVECTOR3 m_RubberStart{0, 0, 0};
    D3DXVECTOR3 m_RubberCorner{0, 0, 0};
    CZN2DView *m_RubberView = nullptr;
    BYTE m_RubberMoved = 0;
    D3DXVECTOR3 m_SavedCentre{0.0f, 0.0f, 0.0f}; // the box centre at the first rotate step
};
