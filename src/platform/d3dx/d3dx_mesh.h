#pragma once

// ID3DXMesh: a triangle mesh in memory (vertices of one flexible vertex format, 16- or 32-bit
// indices, one attribute id per triangle and the attribute table), and the D3DX functions that
// make, load, weld and save such meshes. No device is involved. A mesh is reference counted:
// the creator holds one reference and Release frees it at zero.
//
// Formats: position (XYZ) with an optional normal and 0 to 8 two-float texture sets; anything
// else is refused with D3DERR_INVALIDCALL. Every function returns an HRESULT: D3D_OK, or
// D3DERR_INVALIDCALL for bad arguments and malformed files, E_OUTOFMEMORY when a block cannot
// be allocated, E_FAIL when a file cannot be written. Nothing is handed out on failure.
#include <vector>

#include "platform/d3d9/d3d9_types.h"
#include "platform/d3dx/d3dx_buffer.h"
#include "platform/export.h"
#include "platform/os/win_types.h"

constexpr DWORD D3DXMESH_32BIT = 0x001;
constexpr DWORD D3DXMESH_SYSTEMMEM = 0x110;
constexpr DWORD D3DXMESHOPT_COMPACT = 0x01000000;
constexpr DWORD D3DXMESHOPT_ATTRSORT = 0x02000000;
constexpr DWORD D3DXF_FILEFORMAT_BINARY = 0;

struct D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};

struct D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    char *pTextureFilename; // null when the material names no texture
};

// The largest difference per component at which two vertices are welded.
struct D3DXWELDEPSILONS {
    float Position;
    float BlendWeights;
    float Normal;
    float PSize;
    float Specular;
    float Diffuse;
    float Texcoord[8];
    float Tangent;
    float Binormal;
    float TessFactor;
};
static_assert(sizeof(D3DXWELDEPSILONS) == 17 * 4, "the weld epsilons are 17 floats");

class ZN_API ID3DXMesh
{
public:
    ID3DXMesh(const ID3DXMesh &) = delete;
    ID3DXMesh &operator=(const ID3DXMesh &) = delete;

    ULONG AddRef() { return ++m_RefCount; }
    ULONG Release();

    DWORD GetNumFaces() const { return m_NumFaces; }
    DWORD GetNumVertices() const { return m_NumVertices; }
    DWORD GetFVF() const { return m_FVF; }
    DWORD GetOptions() const { return m_Options; }
    DWORD GetNumBytesPerVertex() const { return m_Stride; }

    // The blocks in place; locks never fail on a mesh in memory and unlocks do nothing.
    HRESULT LockVertexBuffer(DWORD flags, void **data);
    HRESULT UnlockVertexBuffer() { return D3D_OK; }
    // 2 or 4 bytes per index, three per triangle.
    HRESULT LockIndexBuffer(DWORD flags, void **data);
    HRESULT UnlockIndexBuffer() { return D3D_OK; }
    HRESULT LockAttributeBuffer(DWORD flags, DWORD **data);
    HRESULT UnlockAttributeBuffer() { return D3D_OK; }

    // With a null table only the size is written. The table is the one the last attribute sort
    // built (empty before one).
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE *table, DWORD *size) const;
    // ATTRSORT: triangles sorted stably by attribute and the table built; COMPACT: vertices no
    // index uses are dropped, the rest keep their order. Adjacency is not kept: an output
    // adjacency is filled with 0xFFFFFFFF. faceRemap and vertexRemap may be null.
    HRESULT OptimizeInplace(DWORD flags, const DWORD *adjacencyIn, DWORD *adjacencyOut, DWORD *faceRemap,
                            ID3DXBuffer **vertexRemap);
    // A copy in another vertex format and index size: shared components are copied, new ones
    // are zero. 16-bit indices are refused for more than 65535 vertices.
    HRESULT CloneMeshFVF(DWORD options, DWORD fvf, void *device, ID3DXMesh **clone) const;

    // Creation, for the functions below.
    static HRESULT Create(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, ID3DXMesh **mesh);
    // Bytes of one vertex of the format, or 0 for a format the meshes do not take.
    static DWORD VertexSize(DWORD fvf);

    // Index i of the index block.
    DWORD GetIndex(DWORD i) const;
    void SetIndex(DWORD i, DWORD value);

private:
    ID3DXMesh() = default;
    ~ID3DXMesh() = default;
    friend HRESULT D3DXWeldVertices(ID3DXMesh *, DWORD, const D3DXWELDEPSILONS *, const DWORD *, DWORD *, DWORD *,
                                    ID3DXBuffer **);

    DWORD m_Options = 0;
    DWORD m_FVF = 0;
    DWORD m_Stride = 0;
    DWORD m_NumFaces = 0;
    DWORD m_NumVertices = 0;
    std::vector<BYTE> m_Vertices;
    std::vector<BYTE> m_Indices;
    std::vector<DWORD> m_Attributes;
    std::vector<D3DXATTRIBUTERANGE> m_AttributeTable;
    ULONG m_RefCount = 1;
};

// A mesh of numFaces triangles and numVertices vertices, all zero; numFaces and numVertices
// must be non-zero.
ZN_API HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, void *device,
                                 ID3DXMesh **mesh);

// Merges vertices whose position, normal and texture sets each differ by at most the epsilons
// per component into the one of lowest index, by rewriting the indices; a null epsilons block
// means exact equality. Unused vertices stay until a COMPACT. Adjacency is not kept.
ZN_API HRESULT D3DXWeldVertices(ID3DXMesh *mesh, DWORD flags, const D3DXWELDEPSILONS *epsilons,
                                const DWORD *adjacencyIn, DWORD *adjacencyOut, DWORD *faceRemap,
                                ID3DXBuffer **vertexRemap);

// Reads a .X file held in memory (text, binary or compressed; 32- or 64-bit floats): the meshes
// of every frame and at top level joined into one mesh of format XYZ | NORMAL | TEX1, one vertex
// per triangle corner, and the materials (a block of numMaterials D3DXMATERIAL records followed
// by their names). Any of the outputs but mesh may be null. Malformed files, and files without
// a triangle, give D3DERR_INVALIDCALL.
ZN_API HRESULT D3DXLoadMeshFromXInMemory(const void *data, DWORD size, DWORD options, void *device,
                                         ID3DXBuffer **adjacency, ID3DXBuffer **materials,
                                         ID3DXBuffer **effectInstances, DWORD *numMaterials, ID3DXMesh **mesh);

// Writes the mesh as a binary .X file with 32-bit floats: one Mesh with its normals, first
// texture set and a material list (left out when numMaterials is 0). Only the binary format
// is written; E_FAIL when the file cannot be opened, written, flushed or closed.
ZN_API HRESULT D3DXSaveMeshToX(const char *path, ID3DXMesh *mesh, const DWORD *adjacency, const D3DXMATERIAL *materials,
                               const void *effectInstances, DWORD numMaterials, DWORD format);
// The same file's bytes, for callers that keep it in memory.
ZN_API HRESULT D3DXSaveMeshToXInMemory(ID3DXMesh *mesh, const D3DXMATERIAL *materials, DWORD numMaterials,
                                       std::vector<BYTE> *bytes);
