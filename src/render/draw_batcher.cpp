#include "render/draw_batcher.h"

#include <cstring>

#include "platform/d3d9/direct3d_base_texture9.h"
#include "platform/d3d9/direct3d_device9.h"

CZNDrawBatcher::Key CZNDrawBatcher::CurrentKey(IDirect3DDevice9 *device, DWORD fvf, DWORD stride)
{
    Key key;
    std::memset(&key, 0, sizeof key);
    key.Fvf = fvf;
    key.Stride = stride;
    device->GetRenderState(D3DRS_CULLMODE, &key.CullMode);
    IDirect3DBaseTexture9 *texture = nullptr;
    device->GetTexture(0, &texture);
    if (texture)
        texture->Release();
    key.Texture = texture;
    device->GetMaterial(&key.Material);
    device->GetTransform(D3DTS_WORLD, &key.World);
    return key;
}

namespace
{
// FNV-1a over the key's 64-bit words (CurrentKey zeroes the padding).
uint64_t HashKey(const CZNDrawBatcher::Key &key)
{
    static_assert(sizeof key % sizeof(uint64_t) == 0);
    const auto *bytes = reinterpret_cast<const uint8_t *>(&key);
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < sizeof key; i += sizeof(uint64_t)) {
        uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        hash = (hash ^ word) * 1099511628211ull;
    }
    return hash ^ (hash >> 29);
}
} // namespace

CZNDrawBatcher::Bucket &CZNDrawBatcher::Find(const Key &key)
{
    if (m_Last < m_Buckets.size() && std::memcmp(&m_Buckets[m_Last].State, &key, sizeof key) == 0)
        return m_Buckets[m_Last];
    const uint64_t hash = HashKey(key);
    for (size_t i = 0; i < m_Buckets.size(); ++i)
        if (m_Buckets[i].Hash == hash && std::memcmp(&m_Buckets[i].State, &key, sizeof key) == 0) {
            m_Last = i;
            return m_Buckets[i];
        }
    m_Buckets.push_back(Bucket{key, hash, {}, {}, {}});
    m_Last = m_Buckets.size() - 1;
    return m_Buckets.back();
}

uint16_t CZNDrawBatcher::Reserve(Bucket &bucket, DWORD count)
{
    const size_t vertices = bucket.Vertices.size() / bucket.State.Stride;
    if (bucket.Runs.empty() || vertices - bucket.Runs.back().Vertex + count > kRunVertices)
        bucket.Runs.push_back(Run{vertices, bucket.Indices.size()});
    return static_cast<uint16_t>(vertices - bucket.Runs.back().Vertex);
}

void CZNDrawBatcher::AddFan(const Key &key, const void *vertices, DWORD count)
{
    if (!vertices || count < 3 || count > kRunVertices || key.Stride == 0)
        return;
    Bucket &bucket = Find(key);
    const uint16_t base = Reserve(bucket, count);
    const auto *bytes = static_cast<const uint8_t *>(vertices);
    bucket.Vertices.insert(bucket.Vertices.end(), bytes, bytes + static_cast<size_t>(count) * key.Stride);
    for (uint32_t i = 1; i + 1 < count; ++i) {
        bucket.Indices.push_back(base);
        bucket.Indices.push_back(static_cast<uint16_t>(base + i));
        bucket.Indices.push_back(static_cast<uint16_t>(base + i + 1));
    }
}

void CZNDrawBatcher::AddTriangles(const Key &key, const void *vertices, DWORD vertexCount, const WORD *indices,
                                  DWORD triangles)
{
    if (!vertices || !indices || vertexCount < 3 || vertexCount > kRunVertices || triangles == 0 || key.Stride == 0)
        return;
    const size_t count = static_cast<size_t>(triangles) * 3;
    for (size_t i = 0; i < count; ++i)
        if (indices[i] >= vertexCount)
            return;
    Bucket &bucket = Find(key);
    const uint16_t base = Reserve(bucket, vertexCount);
    const auto *bytes = static_cast<const uint8_t *>(vertices);
    bucket.Vertices.insert(bucket.Vertices.end(), bytes, bytes + static_cast<size_t>(vertexCount) * key.Stride);
    for (size_t i = 0; i < count; ++i)
        bucket.Indices.push_back(static_cast<uint16_t>(base + indices[i]));
}

bool CZNDrawBatcher::IsEmpty() const
{
    for (const Bucket &bucket : m_Buckets)
        if (!bucket.Indices.empty())
            return false;
    return true;
}

void CZNDrawBatcher::Flush(IDirect3DDevice9 *device)
{
    if (!device || IsEmpty()) {
        for (Bucket &bucket : m_Buckets) {
            bucket.Vertices.clear();
            bucket.Indices.clear();
            bucket.Runs.clear();
        }
        return;
    }
    DWORD fvf = 0;
    device->GetFVF(&fvf);
    const Key saved = CurrentKey(device, fvf, 0);
    IDirect3DBaseTexture9 *savedTexture = nullptr;
    device->GetTexture(0, &savedTexture); // held while other textures are bound

    // States not used this time are dropped, so that the search stays short.
    std::vector<Bucket> kept;
    for (Bucket &bucket : m_Buckets) {
        if (bucket.Indices.empty())
            continue;
        const Key &k = bucket.State;
        device->SetFVF(k.Fvf);
        device->SetRenderState(D3DRS_CULLMODE, k.CullMode);
        device->SetTexture(0, k.Texture);
        device->SetMaterial(&k.Material);
        device->SetTransform(D3DTS_WORLD, &k.World);
        const size_t vertexCount = bucket.Vertices.size() / k.Stride;
        for (size_t r = 0; r < bucket.Runs.size(); ++r) {
            const Run &run = bucket.Runs[r];
            const bool last = r + 1 == bucket.Runs.size();
            const size_t vertices = (last ? vertexCount : bucket.Runs[r + 1].Vertex) - run.Vertex;
            const size_t indices = (last ? bucket.Indices.size() : bucket.Runs[r + 1].Index) - run.Index;
            device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertices),
                                           static_cast<UINT>(indices / 3), bucket.Indices.data() + run.Index,
                                           D3DFMT_INDEX16, bucket.Vertices.data() + run.Vertex * k.Stride, k.Stride);
        }
        bucket.Vertices.clear();
        bucket.Indices.clear();
        bucket.Runs.clear();
        kept.push_back(std::move(bucket));
    }
    m_Buckets = std::move(kept);
    m_Last = 0;

    device->SetFVF(saved.Fvf);
    device->SetRenderState(D3DRS_CULLMODE, saved.CullMode);
    device->SetTexture(0, savedTexture);
    if (savedTexture)
        savedTexture->Release();
    device->SetMaterial(&saved.Material);
    device->SetTransform(D3DTS_WORLD, &saved.World);
}
