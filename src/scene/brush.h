#pragma once

// ZNBRUSH: a closed polygon solid made of faces, the main scene object of the editor. It owns
// its faces, keeps its bounding box, the lists of faces that share each vertex position and
// its accumulated placement, and takes a snapshot while an edit is dragged so that every step
// of the drag starts again from the state at the press. Exported to plug-ins, which get new
// brushes from AllocNewBrush and fill them through these members.
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"
#include "scene/bbox.h"
#include "scene/face.h"
#include "scene/face_list_container.h"

class CZNGROUP;

// Brush flag bits.
enum ZNBRUSHFLAGS : DWORD {
    ZNBRUSH_DETAIL = 0x2, // skipped by the CSG commands, drawn as a box in the fast mode of the views
    ZNBRUSH_HIDDEN = 0x4,
};

// Snapshot kinds of Cache and RestoreFromCache.
enum ZNCACHEKIND : DWORD {
    ZNCACHE_FULL = 1,   // the whole brush
    ZNCACHE_MOVE = 2,   // vertex data, for moves
    ZNCACHE_ROTATE = 3, // vertex data, for rotations
    ZNCACHE_SCALE = 4,  // vertex data, for scalings
};

// What the scale operations hand to ScaleVertex: the old box, how each side moved and the one
// position to scale.
struct ZN_API ZNSCALESTRUCT {
    D3DXVECTOR3 OldMin;
    D3DXVECTOR3 OldMax;
    D3DXVECTOR3 OldSize;
    D3DXVECTOR3 MaxGrowth; // new maximum - old maximum
    D3DXVECTOR3 MinGrowth; // old minimum - new minimum
    int32_t XMaxMoved;
    int32_t XMinMoved;
    int32_t YMaxMoved;
    int32_t YMinMoved;
    int32_t ZMaxMoved;
    int32_t ZMinMoved;
    D3DXVECTOR3 *Position; // set before each call
    D3DXVECTOR3 Offset;    // the offset ScaleVertex applied
};

class ZN_API ZNBRUSH
{
public:
    ZNBRUSH();
    // A deep copy of source when it is a brush; an empty brush otherwise.
    explicit ZNBRUSH(ZNBRUSH *source);
    ZNBRUSH(const ZNBRUSH &) = delete;
    // A deep copy through CopyBrush.
    ZNBRUSH &operator=(const ZNBRUSH &other);
    ~ZNBRUSH();

    // Makes this brush an independent copy of source; its own snapshot is kept. When memory
    // runs out the brush is left without faces.
    void CopyBrush(ZNBRUSH *source);

    // Faces. The brush owns every face in its array.
    ZNFACE *AddFace(short vertexCount);
    // Appends n faces of vertexCount vertices; the index of the first, or -1 (nothing added).
    LONG AddFaces(DWORD n, short vertexCount);
    // Appends a copy of face; null (nothing added) for null or when memory runs out.
    ZNFACE *AddFace(ZNFACE *face);
    // Appends face itself and takes ownership; its index, or -1.
    LONG AttachFace(ZNFACE *face);
    // Takes a face out of the array without destroying it; the caller owns it then.
    ZNFACE *DetachFace(DWORD index);
    int DetachFace(ZNFACE *face);
    int DeleteFace(ZNFACE *face);
    void ReleaseFaces();
    ZNFACE *GetFace(DWORD index) const { return index < m_FaceCount ? m_Faces[index] : nullptr; }
    ZNFACE **GetFaces() const { return m_Faces; }
    DWORD GetFaceCount() const { return m_FaceCount; }

    // Group membership.
    void SetParent(CZNGROUP *parent) { m_Parent = parent; }
    CZNGROUP *GetParent() const { return m_Parent; }
    // Leaves the group, deleting groups that end up empty.
    void FreeFromParent();

    void SelectBrush(int select) { m_Selected = select ? 1 : 0; }
    int IsBrushSelected() const { return m_Selected ? 1 : 0; }

    // The drag snapshot.
    void Cache(DWORD kind);
    void RestoreFromCache(DWORD kind);
    void ClearCache();
    int IsCached() const { return m_Cache ? 1 : 0; }

    // Builds nothing: null.
    ZNBRUSH *GenerateHollowBrush(float thickness);

    // Bounds. With a non-zero flag the box is recomputed from the vertices and stored, and the
    // transform's translation row moves to its centre; with 0 the stored box is returned.
    ZNBBOX GetBoundingBox(int recalculate);
    void UpdateBoundingBox();
    // The box of one face, computed on the fly.
    ZNBBOX GetBoundingBox(DWORD faceIndex);

    // Derived data, recomputed in this order after the vertices change.
    void CalculateFaceNormals();
    void CalculateFaceNormals(DWORD faceIndex);
    void UpdateSharedFaceInfo();
    void CalculateVertexNormals(int crease);
    void CalculateVertexNormals(DWORD faceIndex, int crease);
    void CalculateFaceCenterPoints();
    void BuildTriIndices();

    // Deletes faces without vertices; 1 when faces remain.
    int Validate();
    // 1 when the face is not flat; with split 1 it is replaced by flat pieces.
    int CheckFoldedPolygons(DWORD faceIndex, int split, int keepSelection);
    int CheckFoldedPolygons(int split, int keepSelection);

    // Whole-brush rebuilds (brush_csg.cpp). ExtrudeFace makes a new brush of the current
    // document from a face swept by offset (null for a bad face index, an offset below 0.01 on
    // every axis or without a document); RemoveTJunctions inserts a vertex wherever a corner of
    // another face lies inside an edge; BuildBrushFromBSPTree takes the faces from the surviving
    // polygons of a CZNBSPTREE, replacing the brush's own faces unless append is set.
    ZNBRUSH *ExtrudeFace(D3DXVECTOR3 *offset, DWORD faceIndex, DWORD *outIndex);
    void RemoveTJunctions();
    int BuildBrushFromBSPTree(void *tree, int append);

    // Moves. With the drag flag each call starts again from the snapshot taken at the first step.
    void MoveBrush(D3DXVECTOR3 *offset, int drag);
    void MoveFace(D3DXVECTOR3 *offset, DWORD faceIndex, int drag);
    void MoveVertex(D3DXVECTOR3 *offset, DWORD faceIndex, DWORD vertexIndex, int drag);

    // Scalings: map the old box onto the new box.
    void ScaleBrushToBounding(ZNBBOX *newBox, ZNBBOX *oldBox, int drag);
    void ScaleFaceToBounding(DWORD faceIndex, ZNBBOX *newBox, ZNBBOX *oldBox, int drag);
    void ScaleVertexToBounding(DWORD faceIndex, DWORD vertexIndex, ZNBBOX *newBox, ZNBBOX *oldBox, int drag);

    // Rotations by angles in degrees about the world axes, x then y then z, around a pivot.
    void Rotate(float x, float y, float z, D3DXVECTOR3 *pivot, int drag);
    void RotateFace(DWORD faceIndex, float x, float y, float z, D3DXVECTOR3 *pivot, int drag);
    void RotateVertex(DWORD faceIndex, DWORD vertexIndex, float x, float y, float z, D3DXVECTOR3 *pivot, int drag);

    // Fields, in the order of the record.
    BYTE m_ObjectType; // ZNOBJECT_BRUSH
    ZNBRUSH *m_Next;   // the document's brush list; null when unlinked
    ZNBBOX m_Bounds;   // as last computed
    ZNFACE **m_Faces;  // exactly m_FaceCount entries; null when there are none
    DWORD m_FaceCount;
    BYTE m_Selected;
    CZNGROUP *m_Parent;
    ZNBRUSH *m_Cache;                     // the drag snapshot, owned; null when none
    ZNFACELISTCONTAINER m_SharedFaceInfo; // one list per shared vertex position
    DWORD m_Flags;                        // ZNBRUSHFLAGS
    char *m_Name;                         // made with new[], owned; null when unnamed
    D3DXMATRIX m_Transform;               // accumulated placement; translation row at the centre

protected:
    void ScaleVertex(ZNSCALESTRUCT *scale);

private:
    void InitBrush();
    // The drag idiom: restore the snapshot when there is one, else take it.
    void BeginDragStep(DWORD kind);
    // Replaces the face array by one of the given length; false (array unchanged) when the
    // block cannot be allocated.
    bool ResizeFaceArray(DWORD count);
    void RemoveFaceAt(DWORD index);
    bool InsertFaceAt(DWORD index, ZNFACE *face);
    LONG FindFace(const ZNFACE *face) const;
    int SplitFoldedFace(DWORD faceIndex, int keepSelection);
};
