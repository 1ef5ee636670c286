#pragma once

// ZNVERTEX and ZNFACE: the vertex record handed to the device (position, normal, two texture
// coordinate pairs; stride 40) and the polygon face of brushes and overlays. Both are exported
// to plug-ins, which build brushes by adding faces and vertices through these members.
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"
#include "scene/bbox.h"

class CZNTexture;

struct ZN_API ZNVERTEX {
    float x, y, z;
    float nx, ny, nz;
    float tu, tv;
    float tu2, tv2;
};

static_assert(sizeof(ZNVERTEX) == 40, "the vertex record is 40 bytes");

// Face style bits.
enum ZNFACESTYLE : DWORD {
    ZNFACESTYLE_INVISIBLE = 0x01,
    ZNFACESTYLE_SKYBOX = 0x02,
    ZNFACESTYLE_FULLBRIGHT = 0x04,
    ZNFACESTYLE_LOCKUV = 0x08,
    ZNFACESTYLE_TWOSIDED = 0x10,
};

// Results of ZNFACE::Classify and ClassifyPointPlane.
enum ZNPLANESIDE : int {
    ZNPLANE_FRONT = 1,
    ZNPLANE_BACK = 2,
    ZNPLANE_ON = 3,
    ZNPLANE_SPANNING = 4,
};

// The largest float: a mapping origin component with this value means "no origin".
constexpr float ZN_NO_MAPPING_ORIGIN = 3.4028235e38f;

inline D3DXVECTOR3 Position(const ZNVERTEX &v)
{
    return D3DXVECTOR3(v.x, v.y, v.z);
}

// Copies the surface attributes that faces and BSP polygons share: texture mapping values, style,
// blending and mapping origin. Texture and material are left to the caller, since faces count
// their references and polygons do not.
template <class To, class From> void ZnCopySurfaceAttributes(To &to, const From &from)
{
    to.m_Style = from.m_Style;
    to.m_UPos = from.m_UPos;
    to.m_VPos = from.m_VPos;
    to.m_UWrap = from.m_UWrap;
    to.m_VWrap = from.m_VWrap;
    to.m_Rotation = from.m_Rotation;
    to.m_MappingMode = from.m_MappingMode;
    to.m_SrcBlend = from.m_SrcBlend;
    to.m_DestBlend = from.m_DestBlend;
    to.m_MappingOrigin = from.m_MappingOrigin;
}

class ZN_API ZNFACE
{
public:
    ZNFACE();
    explicit ZNFACE(short n);
    ZNFACE(ZNFACE *source, int copyVertices);
    // Copies take their own arrays and their own texture and material references.
    ZNFACE(const ZNFACE &other);
    ZNFACE &operator=(const ZNFACE &other);
    ~ZNFACE();

    void ReleaseFaceData();
    void ReleaseVertices();
    int Validate();
    int Copy(ZNFACE *source);
    int CopyFaceProperties(ZNFACE *source);
    ZNFACE *CreateCopy();

    int AddVertex(ZNVERTEX v, short *index);
    int AddVertex(D3DXVECTOR3 p, short *index);
    int AddVertices(short n, short *first);
    ZNVERTEX *InsertVertex(short i);
    int DeleteVertex(short i);

    short GetVertexCount() const { return m_VertexCount; }
    ZNVERTEX *GetVertices() { return m_Vertices; }
    unsigned char *GetVertexSelectedArray() { return m_VertexSelected; }
    LONG *GetVertexFaceListIndexArray() { return m_VertexFaceListIndices; }
    ZNVERTEX GetVertex(short i) const;
    D3DXVECTOR3 GetVector(short i) const;
    D3DXVECTOR3 GetVertexNormal(short i) const;
    int SetVertex(short i, ZNVERTEX v);
    int SetVertex(short i, D3DXVECTOR3 p);
    int SetVertexNormal(short i, D3DXVECTOR3 n);

    int SelectFace(int select);
    int IsFaceSelected() const { return m_Selected ? 1 : 0; }
    int SelectVertex(short i, int select);
    int IsVertexSelected(short i) const;
    int SelectAllVertices(int select);

    int SetTexture(CZNTexture *texture);
    CZNTexture *GetTexture() const { return m_Texture; }
    void SetMaterial(LONG material);
    LONG GetMaterial() const { return m_Material; }

    unsigned long GetMajorAxis() const;
    void CalculateFaceCenterPoint();
    float CalculateArea() const;
    int Classify(D3DXVECTOR3 *normal, D3DXVECTOR3 *point) const;
    int ClipToPlane(D3DXVECTOR3 *normal, D3DXVECTOR3 *point, int keepFront);
    int PointInside(D3DXVECTOR3 *p) const;
    bool IsConvex() const;
    bool ContainsDegenerate() const;
    void BuildTriIndices();
    bool GetPointNormal(const D3DXVECTOR3 &p, D3DXVECTOR3 &n) const;
    int CreateFaceOnPlane(D3DXVECTOR3 *, D3DXVECTOR3 *, ZNBBOX *);

    // Fields, in the order of the record. The per-vertex arrays always hold m_VertexCount entries
    // and share one block, which m_Vertices starts: only the face allocates or frees them.
    BYTE m_ObjectType;             // ZNOBJECT_FACE, or ZNOBJECT_OVERLAYFACE for overlay faces
    ZNVERTEX *m_Vertices;          // null when empty
    BYTE *m_VertexSelected;        // one byte per vertex, 1 = selected
    LONG *m_VertexFaceListIndices; // the vertex's list in the owner's face list container, -1 none
    SHORT m_VertexCount;
    CZNTexture *m_Texture;  // reference counted
    SHORT m_ReservedIndex;  // -1; left alone by Copy
    D3DXVECTOR3 m_Normal;   // plane normal, computed by the owner
    DWORD m_Style;          // ZNFACESTYLE bits
    float m_UPos, m_VPos;   // texture offsets
    float m_UWrap, m_VWrap; // texture repeat factors
    D3DXVECTOR4 m_Rotation; // texture rotation values
    BYTE m_ReservedByte;    // 0xFF; left alone by Copy
    BYTE m_MappingMode;     // 1 world, 2 spherical, 3 cylindrical, 4..6 planar XY, XZ, YZ
    BYTE m_Selected;
    WORD *m_TriIndices;     // 3 * (count - 2) indices, or null: the face is drawn as a fan
    SHORT m_SurfaceTag;     // carried through BSP polygons, -1 none
    LONG m_Material;        // index in the material list; reference counted
    signed char m_SrcBlend; // blend factor index 0..9, -1 no blending
    signed char m_DestBlend;
    D3DXVECTOR3 m_CenterPoint;
    D3DXVECTOR3 m_MappingOrigin; // ZN_NO_MAPPING_ORIGIN on every axis: not set
    BYTE m_BatchHighlight;       // written by the 3D drawing of render batches
    BYTE m_FaceFlag;             // z-bias layer of an overlay face

protected:
    void InitFace();

private:
    // Drops arrays, texture, material and triangle list; leaves the fields as they are otherwise.
    void FreeFaceData();
    // Gives the three per-vertex arrays (one block, which m_Vertices starts) a new length; the
    // triangle list no longer fits and is freed. False (arrays untouched) when an allocation fails.
    bool ResizeVertexArrays(int count);
    void CopyProperties(const ZNFACE &source);
    void CopyAllFields(const ZNFACE &source);
    void FreeTriIndices();
    // IsConvex() && !ContainsDegenerate(), in one pass.
    bool IsConvexWithoutDegenerate() const;
};
