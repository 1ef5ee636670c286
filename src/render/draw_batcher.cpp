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
    m_Buckets.push_back(Bucket{key, hash, {}, false, {}, {}, {}});
    SetEye(m_Buckets.back());
    m_Last = m_Buckets.size() - 1;
    return m_Buckets.back();
}

CZNDrawBatcher::Bucket &CZNDrawBatcher::Current(IDirect3DDevice9 *device, DWORD fvf, DWORD stride)
{
    const DWORD revision = device->GetStateRevision();
    if (m_LastDevice == device && m_LastRevision == revision && m_LastFvf == fvf && m_LastStride == stride &&
        m_Last < m_Buckets.size())
        return m_Buckets[m_Last];
    Bucket &bucket = Find(CurrentKey(device, fvf, stride));
    m_LastDevice = device;
    m_LastRevision = revision;
    m_LastFvf = fvf;
    m_LastStride = stride;
    return bucket;
}

void CZNDrawBatcher::Begin(IDirect3DDevice9 *device)
{
    m_LastDevice = nullptr;
    m_Culling = device != nullptr;
    if (!m_Culling)
        return;
    device->GetTransform(D3DTS_VIEW, &m_View);
    device->GetTransform(D3DTS_PROJECTION, &m_Projection);
    for (Bucket &bucket : m_Buckets)
        SetEye(bucket);
}

// Clip x, y and w are affine in the vertex position p: [p, 1] times the columns 0, 1 and 3 of the
// whole transform. The triangle's signed area on the screen has the sign of the determinant of its
// three (x, y, w) rows, which is -n . (e.xyz - e.w * p0) with n = (p1 - p0) x (p2 - p0) and e the
// point that all three columns send to zero (the eye, at infinity for a parallel projection). The
// sign holds for the part of the triangle in front of the eye, which is all that is drawn.
void CZNDrawBatcher::SetEye(Bucket &bucket) const
{
    std::memset(bucket.Eye, 0, sizeof bucket.Eye);
    bucket.Culls = false;
    const Key &k = bucket.State;
    if (!m_Culling || (k.Fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ || k.Stride < 12 ||
        (k.CullMode != D3DCULL_CCW && k.CullMode != D3DCULL_CW))
        return;
    D3DXMATRIX worldView, whole;
    D3DXMatrixMultiply(&worldView, &k.World, &m_View);
    D3DXMatrixMultiply(&whole, &worldView, &m_Projection);
    double c[4][3];
    for (int r = 0; r < 4; ++r) {
        c[r][0] = whole.m[r][0];
        c[r][1] = whole.m[r][1];
        c[r][2] = whole.m[r][3];
    }
    auto det3 = [&c](int a, int b, int d) {
        return c[a][0] * (c[b][1] * c[d][2] - c[b][2] * c[d][1]) - c[a][1] * (c[b][0] * c[d][2] - c[b][2] * c[d][0]) +
               c[a][2] * (c[b][0] * c[d][1] - c[b][1] * c[d][0]);
    };
    // Front faces turn clockwise on the screen: D3DCULL_CCW culls a positive screen area.
    const double sign = k.CullMode == D3DCULL_CCW ? 1.0 : -1.0;
    bucket.Eye[0] = static_cast<float>(-sign * det3(1, 2, 3));
    bucket.Eye[1] = static_cast<float>(sign * det3(0, 2, 3));
    bucket.Eye[2] = static_cast<float>(-sign * det3(0, 1, 3));
    bucket.Eye[3] = static_cast<float>(sign * det3(0, 1, 2));
    bucket.Culls = true;
}

bool CZNDrawBatcher::FacesAway(const Bucket &bucket, const uint8_t *vertices, DWORD stride, uint32_t a, uint32_t b,
                               uint32_t c)
{
    float p[3][3];
    std::memcpy(p[0], vertices + static_cast<size_t>(a) * stride, sizeof p[0]);
    std::memcpy(p[1], vertices + static_cast<size_t>(b) * stride, sizeof p[1]);
    std::memcpy(p[2], vertices + static_cast<size_t>(c) * stride, sizeof p[2]);
    const float *e = bucket.Eye;
    const float u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
    const float v[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
    const double n[3] = {double(u[1]) * v[2] - double(u[2]) * v[1], double(u[2]) * v[0] - double(u[0]) * v[2],
                         double(u[0]) * v[1] - double(u[1]) * v[0]};
    const double d[3] = {e[0] - double(e[3]) * p[0][0], e[1] - double(e[3]) * p[0][1], e[2] - double(e[3]) * p[0][2]};
    const double t = n[0] * d[0] + n[1] * d[1] + n[2] * d[2];
    if (!(t < 0.0))
        return false;
    // Only a triangle turned away by more than about half a degree: one nearly edge-on is left to
    // the rasteriser, whose rounding of the corners decides it.
    constexpr double kMargin = 0.01;
    return t * t >
           kMargin * kMargin * (n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) * (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

uint16_t CZNDrawBatcher::Reserve(Bucket &bucket, DWORD count)
{
    const size_t vertices = bucket.Vertices.size() / bucket.State.Stride;
    if (bucket.Runs.empty() || vertices - bucket.Runs.back().Vertex + count > kRunVertices)
        bucket.Runs.push_back(Run{vertices, bucket.Indices.size()});
    return static_cast<uint16_t>(vertices - bucket.Runs.back().Vertex);
}

void CZNDrawBatcher::AddFan(IDirect3DDevice9 *device, DWORD fvf, DWORD stride, const void *vertices, DWORD count)
{
    if (!device || !vertices || count < 3 || count > kRunVertices || stride == 0)
        return;
    Bucket &bucket = Current(device, fvf, stride);
    const Key &key = bucket.State;
    const auto *bytes = static_cast<const uint8_t *>(vertices);
    if (bucket.Culls) {
        m_Kept.clear();
        for (uint32_t i = 1; i + 1 < count; ++i)
            if (!FacesAway(bucket, bytes, key.Stride, 0, i, i + 1))
                m_Kept.insert(m_Kept.end(), {0u, i, i + 1});
        if (m_Kept.empty())
            return;
        if (m_Kept.size() < static_cast<size_t>(count - 2) * 3) {
            Append(bucket, bytes, count, m_Kept.data(), m_Kept.size());
            return;
        }
    }
    const uint16_t base = Reserve(bucket, count);
    bucket.Vertices.insert(bucket.Vertices.end(), bytes, bytes + static_cast<size_t>(count) * key.Stride);
    for (uint32_t i = 1; i + 1 < count; ++i) {
        bucket.Indices.push_back(base);
        bucket.Indices.push_back(static_cast<uint16_t>(base + i));
        bucket.Indices.push_back(static_cast<uint16_t>(base + i + 1));
    }
}

void CZNDrawBatcher::Append(Bucket &bucket, const uint8_t *vertices, DWORD vertexCount, const uint32_t *indices,
                            size_t count)
{
    const uint16_t base = Reserve(bucket, vertexCount);
    bucket.Vertices.insert(bucket.Vertices.end(), vertices,
                           vertices + static_cast<size_t>(vertexCount) * bucket.State.Stride);
    for (size_t i = 0; i < count; ++i)
        bucket.Indices.push_back(static_cast<uint16_t>(base + indices[i]));
}

void CZNDrawBatcher::AddTriangles(IDirect3DDevice9 *device, DWORD fvf, DWORD stride, const void *vertices,
                                  DWORD vertexCount, const WORD *indices, DWORD triangles)
{
    if (!device || !vertices || !indices || vertexCount < 3 || vertexCount > kRunVertices || triangles == 0 ||
        stride == 0)
        return;
    const size_t count = static_cast<size_t>(triangles) * 3;
    for (size_t i = 0; i < count; ++i)
        if (indices[i] >= vertexCount)
            return;
    Bucket &bucket = Current(device, fvf, stride);
    const Key &key = bucket.State;
    const auto *bytes = static_cast<const uint8_t *>(vertices);
    m_Kept.clear();
    for (size_t i = 0; i < count; i += 3)
        if (!bucket.Culls || !FacesAway(bucket, bytes, key.Stride, indices[i], indices[i + 1], indices[i + 2]))
            m_Kept.insert(m_Kept.end(), {indices[i], indices[i + 1], indices[i + 2]});
    if (!m_Kept.empty())
        Append(bucket, bytes, vertexCount, m_Kept.data(), m_Kept.size());
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
        m_Culling = false;
        m_LastDevice = nullptr;
        for (Bucket &bucket : m_Buckets) {
            bucket.Culls = false;
            bucket.Vertices.clear();
            bucket.Indices.clear();
            bucket.Runs.clear();
        }
        return;
    }
    DWORD fvf = 0;
    device->GetFVF(&fvf);
    const Key saved = CurrentKey(device, fvf, 0);
    // The triangles were culled for the view and projection of Begin: they are drawn with them.
    D3DXMATRIX savedView, savedProjection;
    device->GetTransform(D3DTS_VIEW, &savedView);
    device->GetTransform(D3DTS_PROJECTION, &savedProjection);
    const bool otherView = m_Culling && (std::memcmp(&savedView, &m_View, sizeof m_View) != 0 ||
                                         std::memcmp(&savedProjection, &m_Projection, sizeof m_Projection) != 0);
    if (otherView) {
        device->SetTransform(D3DTS_VIEW, &m_View);
        device->SetTransform(D3DTS_PROJECTION, &m_Projection);
    }
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
        bucket.Culls = false;
        kept.push_back(std::move(bucket));
    }
    m_Buckets = std::move(kept);
    m_Last = 0;
    m_LastDevice = nullptr;

    device->SetFVF(saved.Fvf);
    device->SetRenderState(D3DRS_CULLMODE, saved.CullMode);
    device->SetTexture(0, savedTexture);
    if (savedTexture)
        savedTexture->Release();
    device->SetMaterial(&saved.Material);
    device->SetTransform(D3DTS_WORLD, &saved.World);
    if (otherView) {
        device->SetTransform(D3DTS_VIEW, &savedView);
        device->SetTransform(D3DTS_PROJECTION, &savedProjection);
    }
    m_Culling = false;
}
