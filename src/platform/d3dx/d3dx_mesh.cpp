#include "platform/d3dx/d3dx_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <numeric>
#include <unordered_map>

namespace
{

constexpr DWORD kKnownFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEXCOUNT_MASK;

DWORD TexCount(DWORD fvf)
{
    return (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
}

DWORD TexOffset(DWORD fvf)
{
    return 12 + ((fvf & D3DFVF_NORMAL) ? 12 : 0);
}

void FillAdjacency(DWORD *adjacency, DWORD faces)
{
    if (adjacency)
        std::fill(adjacency, adjacency + 3 * static_cast<size_t>(faces), 0xFFFFFFFFu);
}

} // namespace

ULONG ID3DXMesh::Release()
{
    const ULONG left = --m_RefCount;
    if (!left)
        delete this;
    return left;
}

DWORD ID3DXMesh::VertexSize(DWORD fvf)
{
    if ((fvf & ~kKnownFVF) || (fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ || TexCount(fvf) > 8)
        return 0;
    return TexOffset(fvf) + 8 * TexCount(fvf);
}

HRESULT ID3DXMesh::Create(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, ID3DXMesh **mesh)
{
    if (!mesh)
        return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    const DWORD stride = VertexSize(fvf);
    if (!numFaces || !numVertices || !stride || numFaces > 0xFFFFFFFFu / 3)
        return D3DERR_INVALIDCALL;
    if (!(options & D3DXMESH_32BIT) && numVertices > 0xFFFF)
        return D3DERR_INVALIDCALL;
    auto *made = new (std::nothrow) ID3DXMesh;
    if (!made)
        return E_OUTOFMEMORY;
    try {
        made->m_Vertices.assign(static_cast<size_t>(numVertices) * stride, 0);
        made->m_Indices.assign(static_cast<size_t>(numFaces) * 3 * ((options & D3DXMESH_32BIT) ? 4 : 2), 0);
        made->m_Attributes.assign(numFaces, 0);
    } catch (const std::bad_alloc &) {
        delete made;
        return E_OUTOFMEMORY;
    }
    made->m_Options = options;
    made->m_FVF = fvf;
    made->m_Stride = stride;
    made->m_NumFaces = numFaces;
    made->m_NumVertices = numVertices;
    *mesh = made;
    return D3D_OK;
}

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, void *, ID3DXMesh **mesh)
{
    return ID3DXMesh::Create(numFaces, numVertices, options, fvf, mesh);
}

DWORD ID3DXMesh::GetIndex(DWORD i) const
{
    if (m_Options & D3DXMESH_32BIT) {
        DWORD value;
        std::memcpy(&value, m_Indices.data() + 4 * static_cast<size_t>(i), 4);
        return value;
    }
    WORD value;
    std::memcpy(&value, m_Indices.data() + 2 * static_cast<size_t>(i), 2);
    return value;
}

void ID3DXMesh::SetIndex(DWORD i, DWORD value)
{
    if (m_Options & D3DXMESH_32BIT) {
        std::memcpy(m_Indices.data() + 4 * static_cast<size_t>(i), &value, 4);
    } else {
        const WORD narrow = static_cast<WORD>(value);
        std::memcpy(m_Indices.data() + 2 * static_cast<size_t>(i), &narrow, 2);
    }
}

HRESULT ID3DXMesh::LockVertexBuffer(DWORD, void **data)
{
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = m_Vertices.data();
    return D3D_OK;
}

HRESULT ID3DXMesh::LockIndexBuffer(DWORD, void **data)
{
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = m_Indices.data();
    return D3D_OK;
}

HRESULT ID3DXMesh::LockAttributeBuffer(DWORD, DWORD **data)
{
    if (!data)
        return D3DERR_INVALIDCALL;
    *data = m_Attributes.data();
    return D3D_OK;
}

HRESULT ID3DXMesh::GetAttributeTable(D3DXATTRIBUTERANGE *table, DWORD *size) const
{
    if (!size)
        return D3DERR_INVALIDCALL;
    if (table)
        std::copy_n(m_AttributeTable.begin(), std::min<size_t>(*size, m_AttributeTable.size()), table);
    *size = static_cast<DWORD>(m_AttributeTable.size());
    return D3D_OK;
}

HRESULT ID3DXMesh::OptimizeInplace(DWORD flags, const DWORD *, DWORD *adjacencyOut, DWORD *faceRemap,
                                   ID3DXBuffer **vertexRemap)
{
    if (vertexRemap)
        *vertexRemap = nullptr;
    for (DWORD i = 0; i < 3 * m_NumFaces; ++i)
        if (GetIndex(i) >= m_NumVertices)
            return D3DERR_INVALIDCALL;
    try {
        std::vector<DWORD> order(m_NumFaces);
        std::iota(order.begin(), order.end(), 0u);
        if (flags & D3DXMESHOPT_ATTRSORT) {
            std::stable_sort(order.begin(), order.end(),
                             [this](DWORD a, DWORD b) { return m_Attributes[a] < m_Attributes[b]; });
            std::vector<BYTE> indices(m_Indices.size());
            std::vector<DWORD> attributes(m_NumFaces);
            const size_t triangleBytes = m_Indices.size() / m_NumFaces;
            for (DWORD f = 0; f < m_NumFaces; ++f) {
                std::memcpy(indices.data() + f * triangleBytes, m_Indices.data() + order[f] * triangleBytes,
                            triangleBytes);
                attributes[f] = m_Attributes[order[f]];
            }
            m_Indices.swap(indices);
            m_Attributes.swap(attributes);
        }

        std::vector<DWORD> remap(m_NumVertices);
        std::iota(remap.begin(), remap.end(), 0u);
        if (flags & D3DXMESHOPT_COMPACT) {
            std::vector<BYTE> used(m_NumVertices, 0);
            for (DWORD i = 0; i < 3 * m_NumFaces; ++i)
                used[GetIndex(i)] = 1;
            DWORD kept = 0;
            for (DWORD v = 0; v < m_NumVertices; ++v) {
                if (!used[v])
                    continue;
                if (kept != v)
                    std::memmove(m_Vertices.data() + static_cast<size_t>(kept) * m_Stride,
                                 m_Vertices.data() + static_cast<size_t>(v) * m_Stride, m_Stride);
                remap[v] = kept++;
            }
            for (DWORD i = 0; i < 3 * m_NumFaces; ++i)
                SetIndex(i, remap[GetIndex(i)]);
            m_NumVertices = kept;
            m_Vertices.resize(static_cast<size_t>(kept) * m_Stride);
        }

        if (flags & D3DXMESHOPT_ATTRSORT) {
            m_AttributeTable.clear();
            for (DWORD f = 0; f < m_NumFaces; ++f) {
                DWORD low = 0xFFFFFFFFu, high = 0;
                for (DWORD c = 0; c < 3; ++c) {
                    low = std::min(low, GetIndex(3 * f + c));
                    high = std::max(high, GetIndex(3 * f + c));
                }
                if (m_AttributeTable.empty() || m_AttributeTable.back().AttribId != m_Attributes[f]) {
                    m_AttributeTable.push_back({m_Attributes[f], f, 0, low, high - low + 1});
                } else {
                    D3DXATTRIBUTERANGE &range = m_AttributeTable.back();
                    const DWORD end = std::max(range.VertexStart + range.VertexCount, high + 1);
                    range.VertexStart = std::min(range.VertexStart, low);
                    range.VertexCount = end - range.VertexStart;
                }
                ++m_AttributeTable.back().FaceCount;
            }
        }
        if (faceRemap)
            std::copy(order.begin(), order.end(), faceRemap);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    FillAdjacency(adjacencyOut, m_NumFaces);
    return D3D_OK;
}

HRESULT ID3DXMesh::CloneMeshFVF(DWORD options, DWORD fvf, void *, ID3DXMesh **clone) const
{
    if (!clone)
        return D3DERR_INVALIDCALL;
    *clone = nullptr;
    ID3DXMesh *made = nullptr;
    const HRESULT hr = Create(m_NumFaces, m_NumVertices, options, fvf, &made);
    if (FAILED(hr))
        return hr;
    const bool normals = (m_FVF & D3DFVF_NORMAL) && (fvf & D3DFVF_NORMAL);
    const DWORD sets = std::min(TexCount(m_FVF), TexCount(fvf));
    for (DWORD v = 0; v < m_NumVertices; ++v) {
        const BYTE *from = m_Vertices.data() + static_cast<size_t>(v) * m_Stride;
        BYTE *to = made->m_Vertices.data() + static_cast<size_t>(v) * made->m_Stride;
        std::memcpy(to, from, 12);
        if (normals)
            std::memcpy(to + 12, from + 12, 12);
        std::memcpy(to + TexOffset(fvf), from + TexOffset(m_FVF), 8 * sets);
    }
    for (DWORD i = 0; i < 3 * m_NumFaces; ++i)
        made->SetIndex(i, GetIndex(i));
    made->m_Attributes = m_Attributes;
    made->m_AttributeTable = m_AttributeTable;
    *clone = made;
    return D3D_OK;
}

HRESULT D3DXWeldVertices(ID3DXMesh *mesh, DWORD, const D3DXWELDEPSILONS *epsilons, const DWORD *, DWORD *adjacencyOut,
                         DWORD *faceRemap, ID3DXBuffer **vertexRemap)
{
    if (!mesh)
        return D3DERR_INVALIDCALL;
    if (vertexRemap)
        *vertexRemap = nullptr;
    for (DWORD i = 0; i < 3 * mesh->m_NumFaces; ++i)
        if (mesh->GetIndex(i) >= mesh->m_NumVertices)
            return D3DERR_INVALIDCALL;
    // The components compared, with their epsilon: position, normal, each texture set.
    struct Part {
        DWORD offset, floats;
        float epsilon;
    };
    std::vector<Part> parts;
    parts.push_back({0, 3, epsilons ? epsilons->Position : 0.0f});
    if (mesh->m_FVF & D3DFVF_NORMAL)
        parts.push_back({12, 3, epsilons ? epsilons->Normal : 0.0f});
    for (DWORD t = 0; t < TexCount(mesh->m_FVF); ++t)
        parts.push_back({TexOffset(mesh->m_FVF) + 8 * t, 2, epsilons ? epsilons->Texcoord[t] : 0.0f});

    const DWORD count = mesh->m_NumVertices;
    const DWORD stride = mesh->m_Stride;
    auto component = [&](DWORD v, DWORD offset) {
        float value;
        std::memcpy(&value, mesh->m_Vertices.data() + static_cast<size_t>(v) * stride + offset, 4);
        return value;
    };
    auto close = [&](DWORD a, DWORD b) {
        for (const Part &part : parts)
            for (DWORD k = 0; k < part.floats; ++k)
                if (!(std::fabs(component(a, part.offset + 4 * k) - component(b, part.offset + 4 * k)) <= part.epsilon))
                    return false;
        return true;
    };
    // Vertices are bucketed on a grid of positions at least twice the epsilon wide, so a match
    // lies in the same cell or a neighbouring one.
    const float cell = std::max(parts[0].epsilon * 2.0f, 1e-6f);
    // The cell indices are clamped (infinities included) and mixed in unsigned arithmetic, which
    // wraps where a signed product of a far cell would overflow.
    auto key = [&](DWORD v, int dx, int dy, int dz) {
        uint64_t k[3];
        const int d[3] = {dx, dy, dz};
        for (int i = 0; i < 3; ++i) {
            double q = std::floor(static_cast<double>(component(v, 4 * i)) / cell);
            if (std::isnan(q))
                q = 0.0;
            k[i] = static_cast<uint64_t>(static_cast<int64_t>(std::clamp(q, -1e15, 1e15)) + d[i]);
        }
        return static_cast<size_t>(k[0] * 73856093u ^ k[1] * 19349663u ^ k[2] * 83492791u);
    };
    try {
        std::vector<DWORD> target(count);
        std::unordered_multimap<size_t, DWORD> kept;
        for (DWORD v = 0; v < count; ++v) {
            DWORD best = v;
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dz = -1; dz <= 1; ++dz) {
                        auto [first, last] = kept.equal_range(key(v, dx, dy, dz));
                        for (auto it = first; it != last; ++it)
                            if (it->second < best && close(v, it->second))
                                best = it->second;
                    }
            target[v] = best;
            if (best == v)
                kept.emplace(key(v, 0, 0, 0), v);
        }
        for (DWORD i = 0; i < 3 * mesh->m_NumFaces; ++i)
            mesh->SetIndex(i, target[mesh->GetIndex(i)]);
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    }
    if (faceRemap)
        std::iota(faceRemap, faceRemap + mesh->m_NumFaces, 0u);
    FillAdjacency(adjacencyOut, mesh->m_NumFaces);
    return D3D_OK;
}
