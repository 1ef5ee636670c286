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

    // Culls by the device's current view and projection from now until the next flush.
    void Begin(IDirect3DDevice9 *device);
    // A fan of count vertices of the format and stride given, in the device's current state.
    void AddFan(IDirect3DDevice9 *device, DWORD fvf, DWORD stride, const void *vertices, DWORD count);
    // A triangle list of triangles * 3 16-bit indices into vertexCount vertices.
    void AddTriangles(IDirect3DDevice9 *device, DWORD fvf, DWORD stride, const void *vertices, DWORD vertexCount,
                      const WORD *indices, DWORD triangles);
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
        // The eye as a homogeneous point in the vertices' space, negated for D3DCULL_CW; all zero
        // when nothing is culled. A triangle faces away when its plane puts the eye behind it.
        float Eye[4];
        bool Culls;
        std::vector<uint8_t> Vertices;
        std::vector<uint16_t> Indices;
        std::vector<Run> Runs;
    };
    // The bucket's run that takes count more vertices; the index its first new vertex gets.
    static uint16_t Reserve(Bucket &bucket, DWORD count);
    Bucket &Find(const Key &key);
    // The bucket of the device's current state; the last one again while the device's states
    // have not changed since it was found.
    Bucket &Current(IDirect3DDevice9 *device, DWORD fvf, DWORD stride);
    // Appends vertexCount vertices and count indices into them.
    static void Append(Bucket &bucket, const uint8_t *vertices, DWORD vertexCount, const uint32_t *indices,
                       size_t count);
    void SetEye(Bucket &bucket) const;
    // Whether triangle a, b, c (indices of vertices) faces away from the bucket's eye by a margin.
    static bool FacesAway(const Bucket &bucket, const uint8_t *vertices, DWORD stride, uint32_t a, uint32_t b,
                          uint32_t c);

    std::vector<Bucket> m_Buckets;
    size_t m_Last = 0;
    // What m_Last was found for: no device when nothing is.
    IDirect3DDevice9 *m_LastDevice = nullptr;
    DWORD m_LastRevision = 0, m_LastFvf = 0, m_LastStride = 0;
    bool m_Culling = false;
    D3DXMATRIX m_View, m_Projection; // of Begin, while culling
    std::vector<uint32_t> m_Kept;    // a draw's triangles that face the eye, three indices each
};
