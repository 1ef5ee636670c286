#pragma once

// CZNXFileReader: reads a .X file held in memory (text, binary, or either compressed; 32- or
// 64-bit floats) into triangles ready for a mesh: three corners per triangle (position, normal,
// one texture set), an attribute per triangle and the materials the attributes name. Meshes of
// every frame, nested or at top level, are joined in file order and placed by their frames'
// matrices. The reader borrows the bytes only during Read.
//
// Failure rule: Read returns D3DERR_INVALIDCALL for a malformed file (bad header, bad
// compression, unknown token, a count larger than the values that follow, a face of fewer than
// 3 indices or an index past the vertices, nesting deeper than 256, no triangle at all) and
// E_OUTOFMEMORY when a block cannot be allocated; the outputs are then empty. Counts are checked
// against the bytes or values left before anything is allocated for them.
#include <string>
#include <vector>

#include "platform/d3d9/d3d9_types.h"
#include "platform/os/win_types.h"

// One triangle corner in the layout of the mesh format XYZ | NORMAL | TEX1.
struct ZNXCORNER {
    float x, y, z;
    float nx, ny, nz;
    float tu, tv;
};
static_assert(sizeof(ZNXCORNER) == 32, "a corner is one vertex of format 0x112");

struct ZNXMATERIAL {
    D3DMATERIAL9 Material{};
    bool HasTexture = false;
    std::string TextureFile; // cut to 255 characters
};

// The attribute of a triangle whose mesh names no material for it.
constexpr DWORD ZNX_NO_MATERIAL = 0xFFFFFFFFu;

class CZNXFileReader
{
public:
    HRESULT Read(const BYTE *data, size_t size);

    std::vector<ZNXCORNER> m_Corners; // three per triangle
    std::vector<DWORD> m_Attributes;  // one per triangle: a material index, or ZNX_NO_MATERIAL
    std::vector<ZNXMATERIAL> m_Materials;
};
