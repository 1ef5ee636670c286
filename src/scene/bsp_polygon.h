#pragma once

// CZNBSPPOLYGON: one polygon of a BSP tree. It carries a face's vertices and its drawing
// properties through building and clipping so that a brush can be rebuilt from the polygons
// that survive. The record owns its vertex array (malloc); it is not copyable: copies are made
// explicitly through the tree.
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"
#include "scene/face.h"

class CZNTexture;
class ZNBRUSH;

class ZN_API CZNBSPPOLYGON
{
public:
    // An empty polygon: no vertices, splitter node and source face -1, no fragments, mapping
    // origin not set, no surface tag, no blending.
    CZNBSPPOLYGON();
    ~CZNBSPPOLYGON();
    CZNBSPPOLYGON(const CZNBSPPOLYGON &) = delete;
    CZNBSPPOLYGON &operator=(const CZNBSPPOLYGON &) = delete;

    // Replaces the vertices by a copy of count records; false (vertices dropped) when count is
    // out of range or the block cannot be allocated.
    bool SetVertices(const ZNVERTEX *vertices, int count);
    void FreeVertices();
    // Copies every property of source except the vertices, the list link and the fragment links.
    void CopyProperties(const CZNBSPPOLYGON &source);
    // Takes the properties of a face (texture, normal, mapping values, material, blending).
    void CopyFaceProperties(const ZNFACE &face);

    CZNTexture *m_Texture; // the source face's texture; no reference held
    SHORT m_VertexCount;
    LONG m_SplitterNode;  // the node whose plane this polygon gave, -1 none
    ZNVERTEX *m_Vertices; // owned (malloc)
    D3DXVECTOR3 m_Normal;
    CZNBSPPOLYGON *m_Next; // link of the working lists
    BYTE m_UsedAsSplitter;
    DWORD m_Style;
    float m_UPos, m_VPos;
    float m_UWrap, m_VWrap;
    D3DXVECTOR4 m_Rotation;
    BYTE m_MappingMode;
    ZNBRUSH *m_SourceBrush;
    LONG m_FrontFragment; // index of the front piece after a split, -1 when not split
    LONG m_BackFragment;
    SHORT m_SurfaceTag;
    BYTE m_Deleted;
    LONG m_Material;
    signed char m_SrcBlend;
    signed char m_DestBlend;
    D3DXVECTOR3 m_MappingOrigin;
    LONG m_SourceFace; // face index in the source brush; pieces keep their parent's
};
