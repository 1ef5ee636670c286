#pragma once

// CZN3DSImport: reads a 3D Studio scene into the scene file's lists. Every triangle mesh becomes
// one detail brush of triangles (file axes (x, y, z) stored as (x, z, y), faces reversed),
// materials become material records backed by CZNMATERIALs, texture maps become texture records
// resolved against the texture manager, and the keyframer nodes group the brushes and move
// meshes with a pivot into their local frame. The importer only reads.
//
// Ownership: the lists point to objects the caller takes over (then FreeLists) or deletes with
// Clear; each object is listed exactly once. A silent import owns the materials it makes (its
// records have Owned set; Clear(0x10) frees them); an interactive one appends them to the shared
// material list and owns none. Keyframer nodes and mesh matrices are the importer's own and are
// freed by every Clear.
//
// Failures: Load throws a 32-bit code (LONG): the stream's code for a failed or short read (a
// body that would read past its chunk counts as short; 0x896703E8 when the stream recorded
// none), 0x89671F40 for a file that is not 3DS or a keyframer tree deeper than 256 levels,
// 0x89671F42 for a reader without its target, 0x896707D0 for memory. After a throw the lists
// hold what was made so far, and Clear(0x7FFF) frees it.
#include <memory>
#include <vector>

#include "fileio/3ds_file.h"
#include "platform/d3d9/d3d9_types.h"

class CZNGROUP;
class ZNBRUSH;

// Clear flags of this importer.
constexpr DWORD ZN3DS_CLEAR_BRUSHES = 0x01;
constexpr DWORD ZN3DS_CLEAR_OVERLAYS = 0x02;
constexpr DWORD ZN3DS_CLEAR_ENTITIES = 0x04;
constexpr DWORD ZN3DS_CLEAR_GROUPS = 0x08;
constexpr DWORD ZN3DS_CLEAR_MATERIALS = 0x10;
constexpr DWORD ZN3DS_CLEAR_TEXTURES = 0x20;

// One keyframer node of the file.
struct ZN_API KFNODE3DS {
    WORD Kind = 0;                       // 0 ambient node (0xB001), 1 object node (0xB002)
    WORD NodeId = 0;                     // 0xB030; 0 when absent
    WORD ParentId = 0;                   // 0xB010; 0xFFFF no parent; 0 when absent
    D3DXVECTOR3 Pivot{0.0f, 0.0f, 0.0f}; // 0xB013, stored as (x, z, y)
    char Name[65] = {};
    char InstanceName[65] = {};
    KFNODE3DS *Children = nullptr; // first child, children in name order
    KFNODE3DS *Parent = nullptr;
    KFNODE3DS *Next = nullptr; // next sibling, or next root
};

// What the face groups of a mesh give one face of the file.
struct ZN3DSFACEMATERIAL {
    bool Set = false;
    LONG Material = -1;
    CZNTexture *Texture = nullptr;
    bool TwoSided = false;
    bool Blend = false;
};

// What a chunk reader hands to the readers of a chunk's children.
struct ZN3DSCONTEXT {
    WORD ParentId = 0;
    ZNBRUSH *Brush = nullptr;                        // the mesh being built (face groups)
    ZNMATERIALREF *Material = nullptr;               // the material being built (texture maps)
    D3DMATERIAL9 *D3DMaterial = nullptr;             // its colours
    std::vector<ZN3DSFACEMATERIAL> *Faces = nullptr; // per face of the file (face groups)
};

class ZN_API CZN3DSImport : public CZN3DSFile
{
public:
    static constexpr DWORD kMaxNodeDepth = 256;

    CZN3DSImport();
    ~CZN3DSImport() override;

    void Load(CZNStreamIO &stream, bool silent) override;
    void Clear(DWORD flags) override;

    // Keyframer lookups.
    KFNODE3DS *FindNodeById(WORD id) const;
    // The first brush named exactly name, or -1; unnamed brushes never match.
    LONG FindBrushByName(const char *name) const;

    bool IsSilent() const { return m_Silent; }
    float GetMasterScale() const { return m_MasterScale; }
    const std::vector<std::unique_ptr<KFNODE3DS>> &GetNodes() const { return m_Nodes; }
    KFNODE3DS *GetRootNodes() const { return m_RootNodes; }
    const std::vector<D3DXMATRIX> &GetMeshMatrices() const { return m_MeshMatrices; }

protected:
    // Driver and meshes.
    void ReadMainChunk(CHUNK3DS *chunk, ZN3DSCONTEXT *context);
    void ReadMainChildren(CHUNK3DS *chunk, ZN3DSCONTEXT *context);
    void ReadEditorChunk(CHUNK3DS *chunk, ZN3DSCONTEXT *context);
    void ReadObjectBlock(CHUNK3DS *chunk, ZN3DSCONTEXT *context);
    ZNBRUSH *ReadTriMesh(CHUNK3DS *chunk, ZN3DSCONTEXT *context, const char *name);

    // Materials (3ds_import_materials.cpp).
    void ReadMaterialBlock(CHUNK3DS *chunk, ZN3DSCONTEXT *context);
    void ReadTextureMap(CHUNK3DS *chunk, ZN3DSCONTEXT *context);
    void ApplyFaceMaterials(CHUNK3DS *chunk, ZN3DSCONTEXT *context);
    void ReadColorChunkFloat(float *rgb);
    void ReadPercentageChunk(float *value);
    void ReadPercentageValue(float *value, WORD chunkId);

    // Keyframer (3ds_import_keyframer.cpp).
    void ReadKeyframer(CHUNK3DS *chunk, ZN3DSCONTEXT *context);
    void ReadKeyframerNode(CHUNK3DS *chunk, ZN3DSCONTEXT *context);
    void BuildHierarchy();
    void BuildNodeTree();
    void ApplyNode(KFNODE3DS *node, CZNGROUP *parent, DWORD depth);

    // Body reads inside the current chunk; a read that does not fit is a short read.
    int64_t BytesLeft();
    void ReadBytes(void *dest, DWORD count);
    WORD ReadU16();
    DWORD ReadU32();
    float ReadF32();
    // Reads a zero-terminated string that must end inside the chunk; keeps at most maxChars
    // characters in dest (maxChars + 1 bytes) and leaves the stream after the zero.
    void ReadName(char *dest, DWORD maxChars);
    // Throws the short-read code unless count records of size bytes fit in the chunk.
    void CheckCount(uint64_t count, uint64_t size);
    [[noreturn]] void ThrowShortRead();

    bool m_Silent;
    std::vector<std::unique_ptr<KFNODE3DS>> m_Nodes;
    KFNODE3DS *m_RootNodes;
    std::vector<D3DXMATRIX> m_MeshMatrices; // parallel to m_Brushes
    float m_MasterScale;
};
