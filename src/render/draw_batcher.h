#pragma once

// CZNDrawBatcher: gathers the triangles of many small draws by the state they are drawn with
// (vertex format, material, texture, cull mode, world transform) into growing indexed triangle
// lists, one per state, cut into runs that 16-bit indices can address, and draws each run with
// one call. The wrapper owns one; it copies the vertices it is given and keeps its arrays from
// flush to flush. Draws it cannot take (indices past the vertices, fewer than 3 or more than
// kRunVertices vertices) are dropped; Flush draws what was gathered and puts
// the device's material, texture, cull mode, world transform and vertex format back.
#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9_types.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"

class IDirect3DDevice9;
class IDirect3DBaseTexture9;

class CZNDrawBatcher
{
public:
    // The state a gathered triangle is drawn with. Compared byte by byte.
    struct Key {
        DWORD Fvf;
        DWORD Stride;
        DWORD CullMode;
        IDirect3DBaseTexture9 *Texture; // not referenced: only compared and bound at the flush
        D3DMATERIAL9 Material;
        D3DXMATRIX World;
    };

    // The device's current state for the vertex format and stride given.
    static Key CurrentKey(IDirect3DDevice9 *device, DWORD fvf, DWORD stride);

    // A fan of count vertices of key.Stride bytes each.
    void AddFan(const Key &key, const void *vertices, DWORD count);
    // A triangle list of triangles * 3 16-bit indices into vertexCount vertices.
    void AddTriangles(const Key &key, const void *vertices, DWORD vertexCount, const WORD *indices, DWORD triangles);
    // Draws every state gathered since the last flush, in the order each state was first seen.
    void Flush(IDirect3DDevice9 *device);
    bool IsEmpty() const;

private:
    static constexpr uint32_t kRunVertices = 65535;

    // A run: its first vertex and first index; indices count from the run's first vertex.
    struct Run {
        size_t Vertex, Index;
    };
    struct Bucket {
        Key State;
        uint64_t Hash; // of State, so that a search compares whole keys only on a likely match
        std::vector<uint8_t> Vertices;
        std::vector<uint16_t> Indices;
        std::vector<Run> Runs;
    };
    // The bucket's run that takes count more vertices; the index its first new vertex gets.
    static uint16_t Reserve(Bucket &bucket, DWORD count);
    Bucket &Find(const Key &key);

    std::vector<Bucket> m_Buckets;
    size_t m_Last = 0;
};
