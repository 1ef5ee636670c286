#pragma once

// CZNOverlay: a decal. A box in the scene (the projection box, corners c0..c7: c0..c3 the +z side
// top left, top right, bottom right, bottom left; c4..c7 the -z side in the same order) that,
// when built, holds copies of the brush faces inside it clipped to the box, textured on their own.
// The document's overlay list owns overlays; an overlay owns its generated faces (object type 8),
// its drag snapshot and its name. Members taking a face index do nothing and return 0 (or null)
// for an index at or past the face count. Exported to plug-ins.
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
struct OVERRIDEDATA;
struct PICK3DINFO;

// Overlay flag bits.
enum ZNOVERLAYFLAGS : DWORD {
    ZNOVERLAY_HIDDEN = 0x1,
};

// A side of the box: outward unit normal and a point on it.
struct ZNOVERLAYPLANE {
    D3DXVECTOR3 Normal;
    D3DXVECTOR3 Point;
};

class ZN_API CZNOverlay
{
public:
    // The default box, +-30 about the origin; bounds and planes not computed, no faces.
    CZNOverlay();
    // The default box moved to point, with its planes and bounds computed.
    explicit CZNOverlay(const D3DXVECTOR3 *point);
    CZNOverlay(const CZNOverlay &) = delete;
    CZNOverlay &operator=(const CZNOverlay &) = delete;
    ~CZNOverlay();

    // Copies everything but the flags word, the name and the snapshot (each overlay owns its own
    // snapshot); the faces become copies of the source's faces.
    void CopyFrom(const CZNOverlay *source);

    CZNGROUP *GetGroup() const { return m_Group; }
    void SetGroup(CZNGROUP *group) { m_Group = group; }
    int IsSelected() const { return m_Selected ? 1 : 0; }
    void SetSelected(int selected) { m_Selected = selected ? 1 : 0; }
    int IsHidden() const { return (m_Flags & ZNOVERLAY_HIDDEN) != 0; }
    // Setting 1 rebuilds at once from the current document's brushes; 0 only clears the flag.
    BYTE GetAutoRebuildFlag() const { return m_AutoRebuild; }
    void SetAutoRebuildFlag(int flag);
    // The same flag as the edits see it: a dirty overlay is built again after every edit.
    int IsDirty() const { return m_AutoRebuild ? 1 : 0; }
    // The setter writes the flag into every generated face too; returns the face count.
    BYTE GetFaceFlag() const { return m_FaceFlag; }
    DWORD SetFaceFlag(BYTE flag);

    ZNFACE *GetFace(DWORD i) const { return m_Faces && i < m_FaceCount ? m_Faces[i] : nullptr; }
    DWORD GetFaceCount() const { return m_FaceCount; }
    // Appends and takes ownership; 0 (array and face untouched) when the array cannot grow.
    int AppendFace(ZNFACE *face);
    void ClearFaces();
    // Runs the face's destructor; the caller frees the memory.
    void FreeFace(ZNFACE *face);
    // The first face's texture; null without faces.
    CZNTexture *GetTexture() const;

    // The drag snapshot. RestoreFromCache: 1 everything (keeping the list link and group), 2 to 4
    // (move, rotate, scale) vertices, corners and planes; other modes and no snapshot: nothing.
    void Cache();
    int IsCached() const { return m_Cache ? 1 : 0; }
    void RestoreFromCache(DWORD mode);
    void ClearCache();

    // The box of the corners; recalculated and stored when recalc is set.
    ZNBBOX GetBounds(int recalc);
    // Boxes of face vertices, starting from min 1e6 / max -1e6 (returned as is when empty).
    ZNBBOX GetFaceExtents(DWORD i) const;
    ZNBBOX GetExtents() const;

    // Transforms of corners and face vertices; with fromCache each call starts again from the
    // snapshot of the drag's first step. Each ends by recomputing the bounds; planes, normals and
    // texture coordinates are left to the caller.
    void Move(const D3DXVECTOR3 *delta, int fromCache);
    // Degrees about the world axes x, y, z in turn, about centre (null: the bounds' centre).
    void Rotate(float x, float y, float z, const D3DXVECTOR3 *centre, int fromCache);
    // Maps oldBox onto newBox; a side counts as moved when it changed by more than 0.01.
    void ScaleToBox(const ZNBBOX *newBox, const ZNBBOX *oldBox, int fromCache);

    // The six sides from the corners: -x, +x, -y, +y, +z, -z of the unrotated box, outward.
    void CalculateBoxPlanes();
    const ZNOVERLAYPLANE &GetBoxPlane(int i) const { return m_BoxPlanes[i]; }
    const D3DXVECTOR3 &GetCorner(int i) const { return m_Corners[i]; }
    void SetCorner(int i, const D3DXVECTOR3 &p) { m_Corners[i] = p; }
    // Leaves the group, deleting the root group when it is left empty.
    void FreeFromParent();

    // Face generation (overlay_build.cpp). Rebuild replaces every face by the current document's
    // brush faces clipped to the box; a face that cannot be copied or appended is reported and
    // ends the build.
    void Rebuild();
    // 0 when the box lies wholly outside the overlay's first two planes.
    int TouchesBox(const ZNBBOX *box) const;
    // A generated face with the source's geometry; null when memory runs out.
    ZNFACE *CopyBrushFace(const ZNFACE *source) const;
    // Clips by the six planes; 0 (face destroyed and deleted) when nothing is left.
    int ClipFaceToBox(ZNFACE *face);
    void BuildTriIndices();
    // Lists of faces sharing a vertex position; always resets the old lists and indices first.
    void UpdateSharedFaceInfo();
    // Vertex normals from the face normals around them within 80 degrees.
    void SmoothVertexNormals();
    void CalculateFaceCenterPoints();

    // Texturing (overlay_texture.cpp); the rules of the brush's face setters. A locked face
    // (ZNFACESTYLE_LOCKUV) keeps its coordinates.
    int SetFaceMappingMode(DWORD i, DWORD mode);
    int SetFaceTextureUPos(DWORD i, float value);
    int SetFaceTextureVPos(DWORD i, float value);
    int SetFaceTextureUWrap(DWORD i, float value);
    int SetFaceTextureVWrap(DWORD i, float value);
    int SetFaceTextureRotate(DWORD i, float a, float b, float c, float d);
    int SetFaceStyle(DWORD i, DWORD style);
    int SetFaceAlphaBlend(DWORD i, int8_t source, int8_t destination);
    int SetFaceTexture(DWORD i, CZNTexture *texture, int recalc);
    int SetTexture(CZNTexture *texture, int recalc);
    void SetMaterial(LONG material);
    // Coordinates of one face by its mapping mode, against the box of all generated faces; 0 for
    // a bad index or a face without a texture of known size.
    int CalculateFaceTextureCoords(DWORD i);
    // Every face that is not locked; while the selection band drags only faces of mode 1.
    int CalculateWorldTextureCoords();
    // Face normals from the best-shaped triangle; a face of fewer than 3 vertices keeps its own.
    void CalculateFacePlanes();

    // Picking (overlay_pick.cpp). view is a CZN2DView; x, y in its pixels.
    // The nearest face hit by origin + t * direction * length, strictly nearer than info's
    // distance. With an override record a non-zero skip field or a hidden overlay gives 0.
    int Pick3D(const D3DXVECTOR3 *origin, const D3DXVECTOR3 *direction, float length, PICK3DINFO *info,
               OVERRIDEDATA *over);
    // Edges within 3 pixels (strictly) of the click; a hidden overlay gives 0.
    int HitTestBox2D(void *view, int x, int y) const;
    int HitTestFaces2D(void *view, DWORD i, int x, int y) const;
    // Appends (face, overlay) for every face hit; without a list 1 at the first hit.
    int PickFaces2D(void *view, int x, int y, ZNFACEPICKDESC *list);

    // Drawing (overlay_draw.cpp), each under its option of the application.
    void DrawBox2D(void *view, CDC *dc) const;
    void DrawFace2D(void *view, CDC *dc, DWORD i) const;
    void DrawFaces2D(void *view, CDC *dc, const D3DXMATRIX *transform, OVERRIDEDATA *over) const;
    void DrawBox3D(CZN3D *d3d, int selectedPass, OVERRIDEDATA *over) const;
    // Files the visible faces in the document's blended batch and draws the wireframe.
    void DrawFaces3D(CZN3D *d3d, int selectedPass);

    // Fields, in the order of the record.
    BYTE m_ObjectType;  // ZNOBJECT_OVERLAY
    CZNOverlay *m_Next; // the document's overlay list; null when unlinked
    DWORD m_Flags;      // ZNOVERLAYFLAGS
    D3DXVECTOR3 m_Corners[8];
    BYTE m_FaceFlag;    // z-bias layer copied into every generated face
    BYTE m_SurfacesOff; // while set a build generates nothing
    BYTE m_Selected;
    BYTE m_AutoRebuild;
    CZNGROUP *m_Group;
    ZNOVERLAYPLANE m_BoxPlanes[6];
    ZNFACE **m_Faces; // exactly m_FaceCount entries; null when there are none
    DWORD m_FaceCount;
    ZNFACELISTCONTAINER m_SharedFaceInfo;
    CZNOverlay *m_Cache; // owned; null when none
    ZNBBOX m_Bounds;
    char *m_Name; // made with new[], owned; null when unnamed

private:
    // The drag idiom: restore the snapshot in this mode when there is one, else take it.
    void BeginDragStep(DWORD mode, int fromCache);
    // Calls f(position) for every corner and every face vertex position.
    template <typename F> void ForEachPoint(F f);
};
