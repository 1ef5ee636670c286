#pragma once

// ZNBRUSH: a closed polygon solid made of faces, the main scene object of the editor. It owns
// its faces, keeps its bounding box, the lists of faces that share each vertex position and
// its accumulated placement, and takes a snapshot while an edit is dragged so that every step
// of the drag starts again from the state at the press. Exported to plug-ins, which get new
// brushes from AllocNewBrush and fill them through these members.
#include <cstdint>

#include "platform/export.h"
#include "platform/gdi/gdi_types.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/point.h"
#include "platform/os/win_types.h"
#include "scene/bbox.h"
#include "scene/face.h"
#include "scene/face_list_container.h"

class CZN3D;
class CZNGROUP;
class CZNTexture;
class ZNFACEPICKDESC;
class ZNVERTEXPICKDESC;
struct OVERRIDEDATA;
struct PICK3DINFO;

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

    // Face settings and texture mapping (brush_texture.cpp). The per-face members return 0 for a
    // face index at or beyond the face count. A face whose style has ZNFACESTYLE_LOCKUV keeps its
    // texture coordinates: the offset and repeat setters still store their value but return 0,
    // the other setters refuse it. A changed mapping value regenerates the face's coordinates when
    // its texture's size is known.
    int SetFaceTextureUPos(DWORD faceIndex, float value);
    int SetFaceTextureVPos(DWORD faceIndex, float value);
    int SetFaceTextureUWrap(DWORD faceIndex, float value);
    int SetFaceTextureVWrap(DWORD faceIndex, float value);
    // Each angle is held within 0 to 6.28; NaN becomes 0.
    int SetFaceTextureRotate(DWORD faceIndex, D3DXVECTOR4 rotation);
    // Modes 1 to 7; any other is refused.
    int SetFaceMappingMode(DWORD faceIndex, BYTE mode);
    // Both values within 0 to 9 are stored; anything else turns blending off and returns 0.
    int SetFaceAlphaBlend(DWORD faceIndex, int8_t source, int8_t destination);
    int SetFaceStyle(DWORD faceIndex, DWORD style);
    // Moves the face's texture reference; regenerates its coordinates when calculate is set.
    int SetTexture(DWORD faceIndex, CZNTexture *texture, int calculate);
    // Every face that is not locked; always 1.
    int SetTexture(CZNTexture *texture, int calculate);
    // Every face, locked or not.
    void SetMaterial(LONG material);
    // Texture coordinates of one face from its positions and mapping mode; 0 for a bad index, a
    // locked face, or a face without a texture of known size. Mode 7 keeps the coordinates.
    int CalculateWorldTextureCoords(DWORD faceIndex);
    // Every face that is not locked; while the selection band drags, only faces of mode 1.
    int CalculateWorldTextureCoords();

    // Drawing (brush_draw.cpp). view is a CZN2DView. An override record, when given, decides
    // alone whether the brush is drawn (its skip field 1: not) and drawn as selected; without
    // one a hidden brush draws nothing. Null views and contexts, and wrappers without a device,
    // draw nothing.
    // The outline of one face in the context's current pen.
    void Draw2D(void *view, DWORD faceIndex, CDC *dc);
    // The outlines of all faces, each vertex first transformed by matrix when one is given.
    void Draw2D(void *view, CDC *dc, const D3DXMATRIX *matrix, OVERRIDEDATA *over);
    // The stored bounding box in blue.
    void DrawBBOX2D(void *view, CDC *dc, const D3DXMATRIX *matrix);
    // Selection mode 0 draws the brush, 1 its faces each with its own selected state; other modes
    // draw nothing. Blended faces and sky-box or full-bright faces are filed in the current
    // document's render batches instead of being drawn (and skipped without a document).
    void Draw3D(CZN3D *d3d, DWORD selectionMode, int materialFlag, int selectedOnly, int highlight, OVERRIDEDATA *over);
    // The stored bounding box as cyan lines; with selectedOnly set, only for a selected brush.
    void DrawBBOX3D(CZN3D *d3d, int selectedOnly);

    // Picking (brush_pick.cpp). view is a CZN2DView; point is in its pixels.
    // Writes the nearest face hit by the segment origin + t * direction * length into info when it
    // is strictly nearer than info's distance; 1 when it did. With backFaces set only faces
    // looking towards the ray count. With an override record, a non-zero skip field or a hidden
    // brush gives 0; without one hidden brushes are picked.
    int Pick3D(D3DXVECTOR3 *origin, D3DXVECTOR3 *direction, float length, PICK3DINFO *info, int backFaces,
               OVERRIDEDATA *over);
    // Appends (face, brush) to list for every edge within 3 pixels of point; without a list, 1 at
    // the first hit. A hidden brush gives 0.
    int Pick2D(void *view, CPoint point, ZNFACEPICKDESC *list);
    // Appends (vertex, face, brush) for every vertex within 4 pixels of point; without a list, 1
    // at the first hit. A hidden brush gives 0.
    int Pick2D(void *view, CPoint point, ZNVERTEXPICKDESC *list);
    // 1 when an edge of that face is within 3 pixels of point.
    int Pick2D(void *view, DWORD faceIndex, CPoint point);

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
    // Scales the vertices of the face (vertex -1) or the one vertex, with those sharing their
    // positions, from oldBox to newBox.
    void ScaleMarkedToBounding(DWORD faceIndex, int vertex, const ZNBBOX &newBox, const ZNBBOX &oldBox, int drag);
    // Replaces the face array by one of the given length; false (array unchanged) when the
    // block cannot be allocated.
    bool ResizeFaceArray(DWORD count);
    void RemoveFaceAt(DWORD index);
    bool InsertFaceAt(DWORD index, ZNFACE *face);
    LONG FindFace(const ZNFACE *face) const;
    int SplitFoldedFace(DWORD faceIndex, int keepSelection);
};

// The crease test of CalculateVertexNormals: a neighbour's normal counts when the angle between
// the two normals, from their dot product clamped to [-1, 1], is below 60 degrees.
ZN_API bool ZnCreaseKeeps(float dot);
// The smallest dot product the crease test accepts; the test is the same as dot >= this.
ZN_API float ZnCreaseCosineLimit();
