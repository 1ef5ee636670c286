// The 3DS import driver: Load and Clear, the walk over the main and editor chunks, and the
// conversion of each triangle mesh into a brush of triangles.
#include "fileio/3ds_import.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "app/editor_app.h"
#include "fileio/iwf_scene.h"
#include "fileio/stream_io.h"
#include "platform/os/byte_order.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "scene/group.h"
#include "scene/material.h"

namespace
{

constexpr WORD kVersion = 0x0002;
constexpr WORD kEditor = 0x3D3D;
constexpr WORD kMeshVersion = 0x3D3E;
constexpr WORD kMasterScale = 0x0100;
constexpr WORD kKeyframer = 0xB000;
constexpr WORD kMaterial = 0xAFFF;
constexpr WORD kObject = 0x4000;
constexpr WORD kTriMesh = 0x4100;
constexpr WORD kPoints = 0x4110;
constexpr WORD kHidden = 0x4010;
constexpr WORD kFaces = 0x4120;
constexpr WORD kTexCoords = 0x4140;
constexpr WORD kMeshMatrix = 0x4160;
constexpr DWORD kObjectNameLength = 254;

int64_t ChunkEnd(const CHUNK3DS *chunk)
{
    return chunk->Position + CHUNK3DS_HEADER_SIZE + chunk->DataLength;
}

// File vectors have Z up; the editor's have Y up.
D3DXVECTOR3 Exchange(float x, float y, float z)
{
    return D3DXVECTOR3(x, z, y);
}

float FloatAt(const BYTE *bytes)
{
    DWORD bits = ZnGetU32LE(bytes);
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

struct FaceRecord {
    WORD a, b, c;
};

} // namespace

CZN3DSImport::CZN3DSImport() : m_Silent(false), m_RootNodes(nullptr), m_MasterScale(1.0f)
{
    m_EditorOptionsPresent = false;
}

CZN3DSImport::~CZN3DSImport()
{
    CZN3DSImport::Clear(0);
}

void CZN3DSImport::Clear(DWORD flags)
{
    if (flags & ZN3DS_CLEAR_GROUPS) {
        for (CZNGROUP *group : m_Groups)
            if (group)
                CZNIWFScene::DeleteGroupTree(group);
        m_Groups.clear();
    }
    if (flags & ZN3DS_CLEAR_BRUSHES) {
        DeleteListedBrushes();
    }
    // This importer makes no overlays or entities: their lists are only emptied.
    if (flags & ZN3DS_CLEAR_OVERLAYS)
        m_Overlays.clear();
    if (flags & ZN3DS_CLEAR_ENTITIES)
        m_Entities.clear();
    if (flags & ZN3DS_CLEAR_MATERIALS) {
        DeleteMaterialRefs();
    }
    if (flags & ZN3DS_CLEAR_TEXTURES)
        m_TextureRefs.clear();
    m_Nodes.clear();
    m_RootNodes = nullptr;
    m_MeshMatrices.clear();
}

void CZN3DSImport::Load(CZNStreamIO &stream, bool silent)
{
    m_Silent = silent;
    Open(stream, 1);
    m_EditorOptionsPresent = false;
    m_MasterScale = 1.0f;
    m_RootNodes = nullptr;
    ReadMainChunk(nullptr, nullptr);
    BuildHierarchy();
    Clear(0);
    Close();
    if (m_Silent)
        return;
    std::vector<std::string> missing;
    for (const ZNTEXTUREREF &ref : m_TextureRefs)
        if (!ref.Texture)
            missing.emplace_back(ref.Name);
    if (!missing.empty())
        GetEditorApp()->GetReporter()->ShowMissingResources(missing);
}

// ---------------------------------------------------------------------------------------------
// Body reads

int64_t CZN3DSImport::BytesLeft()
{
    if (!m_TopChunk)
        Throw(ZNERR_3DS_NO_CHUNK);
    return std::max<int64_t>(0, ChunkEnd(m_TopChunk) - TellOrThrow());
}

void CZN3DSImport::ThrowShortRead()
{
    ThrowStream(ZNERR_STREAM_FAILURE);
}

void CZN3DSImport::CheckCount(uint64_t count, uint64_t size)
{
    if (count > static_cast<uint64_t>(BytesLeft()) / size)
        ThrowShortRead();
}

void CZN3DSImport::ReadBytes(void *dest, DWORD count)
{
    if (static_cast<int64_t>(count) > BytesLeft())
        ThrowShortRead();
    if (count && m_Stream->Read(dest, count) != count)
        ThrowShortRead();
}

WORD CZN3DSImport::ReadU16()
{
    BYTE b[2];
    ReadBytes(b, 2);
    return ZnGetU16LE(b);
}

DWORD CZN3DSImport::ReadU32()
{
    BYTE b[4];
    ReadBytes(b, 4);
    return ZnGetU32LE(b);
}

float CZN3DSImport::ReadF32()
{
    BYTE b[4];
    ReadBytes(b, 4);
    return FloatAt(b);
}

void CZN3DSImport::ReadName(char *dest, DWORD maxChars)
{
    std::memset(dest, 0, maxChars + 1);
    DWORD kept = 0;
    BYTE block[256];
    for (;;) {
        const int64_t left = BytesLeft();
        if (left <= 0)
            ThrowShortRead();
        const DWORD take = static_cast<DWORD>(std::min<int64_t>(left, sizeof block));
        const int64_t start = TellOrThrow();
        if (m_Stream->Read(block, take) != take)
            ThrowShortRead();
        const BYTE *zero = static_cast<const BYTE *>(std::memchr(block, 0, take));
        const DWORD length = zero ? static_cast<DWORD>(zero - block) : take;
        const DWORD copy = std::min(length, maxChars - kept);
        std::memcpy(dest + kept, block, copy);
        kept += copy;
        if (zero) {
            if (!m_Stream->SeekTo(start + length + 1))
                ThrowStream(ZNERR_SEEK_FAILED);
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Chunk walk

void CZN3DSImport::ReadMainChunk(CHUNK3DS *, ZN3DSCONTEXT *)
{
    if (m_Mode != 1)
        Throw(ZNERR_3DS_WRONG_MODE);
    if (!m_Stream || !m_Stream->IsOpen())
        Throw(ZNERR_NOT_OPEN);
    CHUNK3DS chunk;
    if (!NextChunk(&chunk, true))
        return;
    do {
        const WORD id = m_TopChunk->ChunkId;
        if (id == 0x4D4D || id == 0xC23D || id == 0x3DAA) {
            // The walk cuts a chunk at the end of the stream; a main chunk that claims more
            // than the stream holds is a cut-off file and fails as a short read.
            BYTE header[CHUNK3DS_HEADER_SIZE];
            const int64_t after = TellOrThrow();
            if (!m_Stream->SeekTo(m_TopChunk->Position))
                ThrowStream(ZNERR_SEEK_FAILED);
            if (m_Stream->Read(header, CHUNK3DS_HEADER_SIZE) != CHUNK3DS_HEADER_SIZE)
                ThrowShortRead();
            if (ZnGetU32LE(header + 2) != m_TopChunk->DataLength + CHUNK3DS_HEADER_SIZE)
                ThrowShortRead();
            if (!m_Stream->SeekTo(after))
                ThrowStream(ZNERR_SEEK_FAILED);
            ReadMainChildren(m_TopChunk, nullptr);
        }
    } while (NextChunk(&chunk, false));
}

void CZN3DSImport::ReadMainChildren(CHUNK3DS *chunk, ZN3DSCONTEXT *)
{
    ZN3DSCONTEXT context;
    context.ParentId = chunk->ChunkId;
    ForEachChild([&] {
        switch (m_TopChunk->ChunkId) {
        case kVersion:
            ReadU32();
            break;
        case kEditor:
            ReadEditorChunk(m_TopChunk, &context);
            break;
        case kKeyframer:
            ReadKeyframer(m_TopChunk, &context);
            break;
        default:
            break;
        }
    });
}

void CZN3DSImport::ReadEditorChunk(CHUNK3DS *chunk, ZN3DSCONTEXT *)
{
    ZN3DSCONTEXT context;
    context.ParentId = chunk->ChunkId;
    ForEachChild([&] {
        switch (m_TopChunk->ChunkId) {
        case kMeshVersion:
            ReadU32();
            break;
        case kMasterScale:
            m_MasterScale = ReadF32();
            break;
        case kObject:
            ReadObjectBlock(m_TopChunk, &context);
            break;
        case kMaterial:
            ReadMaterialBlock(m_TopChunk, &context);
            break;
        default:
            break;
        }
    });
}

void CZN3DSImport::ReadObjectBlock(CHUNK3DS *chunk, ZN3DSCONTEXT *)
{
    char name[kObjectNameLength + 1];
    ReadName(name, kObjectNameLength);
    ZN3DSCONTEXT context;
    context.ParentId = chunk->ChunkId;
    ForEachChild([&] {
        if (m_TopChunk->ChunkId == kTriMesh)
            ReadTriMesh(m_TopChunk, &context, name);
    });
}

ZNBRUSH *CZN3DSImport::ReadTriMesh(CHUNK3DS *, ZN3DSCONTEXT *, const char *name)
{
    D3DXMATRIX matrix;
    D3DXMatrixIdentity(&matrix);

    std::unique_ptr<ZNBRUSH> brush(new (std::nothrow) ZNBRUSH);
    if (!brush)
        Throw(ZNERR_OUT_OF_MEMORY);
    brush->m_Flags |= ZNBRUSH_DETAIL;
    if (name && *name) {
        const size_t length = std::strlen(name);
        brush->m_Name = new (std::nothrow) char[length + 1];
        if (!brush->m_Name)
            Throw(ZNERR_OUT_OF_MEMORY);
        std::memcpy(brush->m_Name, name, length + 1);
    }

    std::vector<D3DXVECTOR3> points;
    std::vector<FaceRecord> faces;
    std::vector<float> coords; // u, v pairs
    std::vector<ZN3DSFACEMATERIAL> faceMaterials;
    bool hidden = false;

    ZN3DSCONTEXT context;
    context.ParentId = kTriMesh;
    context.Brush = brush.get();
    context.Faces = &faceMaterials;
    // A list: a 16-bit count, then that many records of size bytes.
    auto readList = [this](WORD &count, DWORD size) {
        count = ReadU16();
        CheckCount(count, size);
        std::vector<BYTE> raw(static_cast<size_t>(count) * size);
        ReadBytes(raw.data(), static_cast<DWORD>(raw.size()));
        return raw;
    };

    try {
        ForEachChild([&] {
            switch (m_TopChunk->ChunkId) {
            case kPoints: {
                // A later point chunk replaces the earlier one.
                WORD count = 0;
                const std::vector<BYTE> raw = readList(count, 12);
                points.resize(count);
                for (WORD i = 0; i < count; ++i) {
                    const BYTE *p = raw.data() + i * 12;
                    points[i] = Exchange(FloatAt(p), FloatAt(p + 4), FloatAt(p + 8));
                }
                break;
            }
            case kHidden:
                hidden = true;
                break;
            case kFaces: {
                // A later face chunk replaces the earlier faces and their groups.
                WORD count = 0;
                const std::vector<BYTE> raw = readList(count, 8);
                faces.resize(count);
                for (WORD i = 0; i < count; ++i) {
                    const BYTE *f = raw.data() + i * 8;
                    faces[i] = {ZnGetU16LE(f), ZnGetU16LE(f + 2), ZnGetU16LE(f + 4)};
                }
                faceMaterials.assign(count, ZN3DSFACEMATERIAL());
                ApplyFaceMaterials(m_TopChunk, &context);
                break;
            }
            case kTexCoords: {
                WORD count = 0;
                const std::vector<BYTE> raw = readList(count, 8);
                coords.resize(static_cast<size_t>(count) * 2);
                for (size_t i = 0; i < coords.size(); ++i)
                    coords[i] = FloatAt(raw.data() + i * 4);
                break;
            }
            case kMeshMatrix: {
                float v[12];
                for (float &f : v)
                    f = ReadF32();
                // Rows: X axis, the file's Z axis, the file's Y axis, origin; each exchanged.
                const D3DXVECTOR3 rows[4] = {Exchange(v[0], v[1], v[2]), Exchange(v[6], v[7], v[8]),
                                             Exchange(v[3], v[4], v[5]), Exchange(v[9], v[10], v[11])};
                for (int r = 0; r < 4; ++r) {
                    matrix.m[r][0] = rows[r].x;
                    matrix.m[r][1] = rows[r].y;
                    matrix.m[r][2] = rows[r].z;
                    matrix.m[r][3] = r == 3 ? 1.0f : 0.0f;
                }
                break;
            }
            default:
                break;
            }
        });
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }

    // A face naming a point that does not exist is left out.
    std::vector<DWORD> kept;
    try {
        kept.reserve(faces.size());
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
    for (DWORD i = 0; i < faces.size(); ++i)
        if (faces[i].a < points.size() && faces[i].b < points.size() && faces[i].c < points.size())
            kept.push_back(i);

    if (!kept.empty() && brush->AddFaces(static_cast<DWORD>(kept.size()), 0) < 0)
        Throw(ZNERR_OUT_OF_MEMORY);
    for (DWORD k = 0; k < kept.size(); ++k) {
        const FaceRecord &record = faces[kept[k]];
        ZNFACE *face = brush->GetFace(k);
        if (!face || !face->AddVertices(3, nullptr))
            Throw(ZNERR_OUT_OF_MEMORY);
        face->m_Style |= ZNFACESTYLE_LOCKUV;
        if (hidden)
            face->m_Style |= ZNFACESTYLE_INVISIBLE;
        const WORD order[3] = {record.c, record.b, record.a};
        ZNVERTEX *vertices = face->GetVertices();
        for (int v = 0; v < 3; ++v) {
            const D3DXVECTOR3 &p = points[order[v]];
            vertices[v].x = p.x;
            vertices[v].y = p.y;
            vertices[v].z = p.z;
            // A point without a texture coordinate gets (0, 0).
            const size_t uv = static_cast<size_t>(order[v]) * 2;
            vertices[v].tu = uv + 1 < coords.size() ? coords[uv] : 0.0f;
            vertices[v].tv = uv + 1 < coords.size() ? -coords[uv + 1] : 0.0f;
        }
        const ZN3DSFACEMATERIAL &applied = faceMaterials[kept[k]];
        if (applied.Set) {
            face->SetMaterial(applied.Material);
            face->SetTexture(applied.Texture);
        }
        if (applied.TwoSided)
            face->m_Style |= ZNFACESTYLE_TWOSIDED;
        if (applied.Blend) {
            face->m_SrcBlend = 4;
            face->m_DestBlend = 5;
        }
    }

    brush->UpdateBoundingBox();
    brush->UpdateSharedFaceInfo();
    brush->CalculateFaceNormals();
    brush->CalculateFaceCenterPoints();
    brush->CalculateVertexNormals(1);

    try {
        m_Brushes.reserve(m_Brushes.size() + 1);
        m_MeshMatrices.reserve(m_Brushes.size() + 1);
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
    // Both lists have room: neither push can fail, so they stay parallel.
    m_Brushes.push_back(brush.get());
    m_MeshMatrices.push_back(matrix);
    return brush.release();
}
