#include "fileio/iwf_scene.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "fileio/memory_stream_io.h"
#include "fileio/stream_io.h"
#include "render/image/image.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/group.h"
#include "scene/material.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

namespace
{

// The image of a save in memory: fixed blocks written and patched by the chunk layer, then handed
// to the caller's stream block by block. Blocks are never moved or zero-filled, so a large scene
// is copied once on its way in, and nothing reaches the caller's stream before the image is
// complete.
class StageStream final : public CZNStreamIO
{
public:
    static constexpr size_t kBlock = size_t{1} << 20;

    void Close() override {}
    DWORD Read(void *, DWORD) override { return 0; }
    bool Write(const void *src, DWORD count) override
    {
        const BYTE *from = static_cast<const BYTE *>(src);
        size_t left = count;
        while (left) {
            const size_t block = m_Position / kBlock, offset = m_Position % kBlock;
            if (block == m_Blocks.size()) {
                try {
                    m_Blocks.emplace_back(new BYTE[kBlock]);
                } catch (const std::bad_alloc &) {
                    SetError(ZNERR_OUT_OF_MEMORY, -1, GetName());
                    return false;
                }
            }
            const size_t piece = std::min(left, kBlock - offset);
            std::memcpy(m_Blocks[block].get() + offset, from, piece);
            from += piece;
            left -= piece;
            m_Position += piece;
        }
        m_Length = std::max(m_Length, m_Position);
        return true;
    }
    bool ReadString(char *, DWORD) override { return false; }
    bool WriteString(const char *) override { return false; }
    int64_t Seek(int64_t offset, DWORD origin) override
    {
        const int64_t base = origin == ZNSEEK_SET ? 0 : origin == ZNSEEK_CUR ? Tell() : GetLength();
        return SeekTo(base + offset) ? Tell() : -1;
    }
    bool Flush() override { return true; }
    bool IsOpen() override { return true; }
    bool IsEOF() override { return m_Position >= m_Length; }
    int64_t Tell() override { return static_cast<int64_t>(m_Position); }
    // Only positions inside what was written: the chunk layer seeks back to patch lengths.
    bool SeekTo(int64_t position) override
    {
        if (position < 0 || static_cast<uint64_t>(position) > m_Length) {
            SetError(ZNERR_SEEK_FAILED, -1, GetName());
            return false;
        }
        m_Position = static_cast<size_t>(position);
        return true;
    }
    int64_t GetLength() override { return static_cast<int64_t>(m_Length); }
    bool SetLength(int64_t) override { return false; }
    const char *GetName() override { return "IWF Save Buffer"; }

    // Calls write(bytes, count) for the image in order, one block at a time; false when a call
    // gives false.
    template <class Write> bool WriteTo(Write write) const
    {
        for (size_t done = 0, block = 0; done < m_Length; done += kBlock, ++block)
            if (!write(m_Blocks[block].get(), static_cast<DWORD>(std::min(kBlock, m_Length - done))))
                return false;
        return true;
    }

private:
    std::vector<std::unique_ptr<BYTE[]>> m_Blocks;
    size_t m_Position = 0;
    size_t m_Length = 0;
};

constexpr WORD kContainerChunk = 0x02;
// Thrown inside a thumbnail-only walk once the picture is decoded, to end the walk early.
constexpr LONG kThumbnailDone = 0;

struct StyleBit {
    DWORD face;
    DWORD file;
};
constexpr StyleBit kStyleBits[] = {
    {ZNFACESTYLE_INVISIBLE, 0x01}, {ZNFACESTYLE_FULLBRIGHT, 0x02}, {ZNFACESTYLE_SKYBOX, 0x04},
    {ZNFACESTYLE_TWOSIDED, 0x08},  {ZNFACESTYLE_LOCKUV, 0x10},
};

} // namespace

void CZNIWFScene::DeleteGroupTree(CZNGROUP *group)
{
    std::vector<CZNGROUP *> nested;
    for (DWORD i = 0; i < group->GetChildCount(); ++i) {
        void *child = group->GetChild(i);
        if (child && GetObjectType(child) == ZNOBJECT_GROUP)
            nested.push_back(static_cast<CZNGROUP *>(child));
    }
    for (CZNGROUP *child : nested)
        DeleteGroupTree(child);
    delete group;
}

CZNIWFScene::CZNIWFScene()
    : m_Silent(false), m_Thumbnail(nullptr), m_SaveFlags(0), m_ThumbnailDecoded(false), m_InPlace(nullptr),
      m_Target(nullptr)
{
    m_EditorOptionsPresent = false;
}

CZNIWFScene::~CZNIWFScene()
{
    CZNIWFFile::Close();
}

DWORD CZNIWFScene::FaceStyleToFile(DWORD style)
{
    DWORD bits = 0;
    for (const StyleBit &b : kStyleBits)
        if (style & b.face)
            bits |= b.file;
    return bits;
}

DWORD CZNIWFScene::FileStyleToFace(DWORD bits)
{
    DWORD style = 0;
    for (const StyleBit &b : kStyleBits)
        if (bits & b.file)
            style |= b.face;
    return style;
}

DWORD CZNIWFScene::ExportOptionsToFlags(const IWFEXPORTOPTIONS &options)
{
    static constexpr DWORD kFlags[IWFOPT_COUNT] = {
        0,
        IWFSAVE_SUMMARY,
        IWFSAVE_GROUPS,
        IWFSAVE_BRUSHES,
        IWFSAVE_ENTITIES,
        IWFSAVE_INDICES,
        IWFSAVE_MATERIALS,
        IWFSAVE_TEXTURES,
        IWFSAVE_OVERLAYS,
        IWFSAVE_EDITOR_OPTIONS,
        IWFSAVE_EXTRA_FACE_INFO,
        IWFSAVE_EXTRA_MATERIAL_INFO,
        IWFSAVE_EXTRA_TEXTURE_INFO,
        IWFSAVE_EXTRA_OVERLAY_INFO,
    };
    DWORD flags = 0;
    for (int i = 0; i < IWFOPT_COUNT; ++i)
        if (options.Option[i])
            flags |= kFlags[i];
    return flags;
}

void CZNIWFScene::Clear(DWORD flags)
{
    if (flags & IWFSAVE_GROUPS) {
        for (CZNGROUP *group : m_Groups)
            if (group)
                DeleteGroupTree(group);
        m_Groups.clear();
    }
    if (flags & IWFSAVE_BRUSHES) {
        DeleteListedBrushes();
    }
    if (flags & IWFSAVE_OVERLAYS) {
        for (CZNOverlay *overlay : m_Overlays) {
            if (!overlay)
                continue;
            if (CZNGROUP *group = overlay->GetGroup())
                group->RemoveChild(overlay);
            delete overlay;
        }
        m_Overlays.clear();
    }
    if (flags & IWFSAVE_ENTITIES) {
        for (CZNEntity *entity : m_Entities) {
            if (!entity)
                continue;
            if (CZNGROUP *group = entity->GetGroup())
                group->RemoveChild(entity);
            delete entity;
        }
        m_Entities.clear();
    }
    if (flags & IWFSAVE_MATERIALS) {
        DeleteMaterialRefs();
    }
    if (flags & IWFSAVE_TEXTURES)
        m_TextureRefs.clear();
}

// ---------------------------------------------------------------------------------------------
// Loading

void CZNIWFScene::Load(CZNStreamIO &stream, bool silent)
{
    m_Silent = silent;
    m_Thumbnail = nullptr;
    m_EditorOptionsPresent = false;
    struct InPlace {
        CZNMemoryStreamIO *&slot;
        ~InPlace() { slot = nullptr; }
    } inPlace{m_InPlace};
    if (auto *memory = dynamic_cast<CZNMemoryStreamIO *>(&stream); memory || !stream.IsOpen()) {
        m_InPlace = memory;
        Open(stream, IWF_MODE_READ);
        SetAuthorId(IWF_AUTHOR_ID, IWF_AUTHOR_ID_LENGTH);
        try {
            ReadFile(nullptr);
        } catch (const std::bad_alloc &) {
            Throw(ZNERR_OUT_OF_MEMORY);
        }
        return;
    }

    // The walk seeks back and forth over every chunk; on a file each seek would drop the read
    // buffer. The rest of the stream is read in one piece and walked in memory, and the stream
    // is left where the walk ended.
    const int64_t start = stream.Tell();
    const int64_t length = stream.GetLength();
    if (start < 0 || length < 0) {
        DWORD code = stream.GetLastErrorCode();
        Throw(code ? code : ZNERR_STREAM_FAILURE);
    }
    const uint64_t size = static_cast<uint64_t>(std::max<int64_t>(length - start, 0));
    if (size > 0xFFFFFFFFu)
        Throw(ZNERR_IWF_BAD_LENGTHS);
    // Every byte of the image is read before it is used, so it is not zero-filled first.
    std::unique_ptr<BYTE[]> image(new (std::nothrow) BYTE[static_cast<size_t>(size) + 1]);
    if (!image)
        Throw(ZNERR_OUT_OF_MEMORY);
    if (size && stream.Read(image.get(), static_cast<DWORD>(size)) != size) {
        DWORD code = stream.GetLastErrorCode();
        Throw(code ? code : ZNERR_IWF_BAD_TAG);
    }
    CZNMemoryStreamIO memory(image.get(), static_cast<DWORD>(size), ZNSTREAM_READ, false);
    struct Restore {
        CZNStreamIO &stream;
        CZNMemoryStreamIO &memory;
        int64_t start;
        CZNIWFScene &scene;
        ~Restore()
        {
            stream.SeekTo(start + memory.Tell());
            scene.CZNIWFFile::Close();
        }
    } restore{stream, memory, start, *this};
    m_InPlace = &memory;
    Open(memory, IWF_MODE_READ);
    SetAuthorId(IWF_AUTHOR_ID, IWF_AUTHOR_ID_LENGTH);
    try {
        ReadFile(nullptr);
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
}

bool CZNIWFScene::LoadThumbnail(CZNStreamIO &stream, CZNImage *image)
{
    m_Silent = false;
    m_ThumbnailDecoded = false;
    if (!image || !stream.IsOpen())
        return false;
    const int64_t start = stream.Tell();
    try {
        Open(stream, IWF_MODE_READ);
        SetAuthorId(IWF_AUTHOR_ID, IWF_AUTHOR_ID_LENGTH);
        m_Thumbnail = image;
        ReadFile(nullptr);
    } catch (LONG) {
        // Not IWF, damaged, or the walk ended at the decoded picture.
    } catch (const std::bad_alloc &) {
    }
    m_Thumbnail = nullptr;
    CZNIWFFile::Close();
    if (start >= 0)
        stream.SeekTo(start);
    return m_ThumbnailDecoded;
}

void CZNIWFScene::ProcessChunk(IWFCHUNK *chunk, void *data)
{
    CZNIWFFile::ProcessChunk(chunk, data);
    IWFPARENTCONTEXT *context = static_cast<IWFPARENTCONTEXT *>(data);

    if (m_Thumbnail) {
        if (chunk->ChunkId == kContainerChunk) {
            ReadChunks(data);
        } else if (chunk->ChunkId == CHUNK_THUMBNAIL) {
            ReadThumbnail(chunk, context);
            if (m_ThumbnailDecoded)
                throw kThumbnailDone;
        }
        return;
    }

    switch (chunk->ChunkId) {
    case kContainerChunk:
        ReadChunks(data);
        break;
    case CHUNK_THUMBNAIL:
        ReadThumbnail(chunk, context);
        break;
    case CHUNK_GROUP:
        ReadGroup(chunk, context);
        break;
    case CHUNK_MESH:
        ReadMesh(chunk, context);
        break;
    case CHUNK_DECALMESH:
        ReadDecalMesh(chunk, context);
        break;
    case CHUNK_EXTRA_OVERLAY_INFO:
        ReadExtraOverlayInfo(chunk, context);
        break;
    case CHUNK_ENTITY:
        ReadEntity(chunk, context);
        break;
    case CHUNK_SURFACE:
        ReadSurface(chunk, context);
        break;
    case CHUNK_INDICES:
        ReadIndices(chunk, context);
        break;
    case CHUNK_VERTEXCOMPONENTS:
        ReadVertexComponents(chunk, context);
        break;
    case CHUNK_MATERIALS:
        ReadMaterials(chunk, context);
        break;
    case CHUNK_TEXTURES:
    case CHUNK_EXTRA_TEXTURE_INFO:
        ReadTextures(chunk, context);
        break;
    case CHUNK_SIGNATURE:
        ReadSignature(chunk, context);
        break;
    case CHUNK_EXTRA_FACE_INFO:
        ReadExtraFaceInfo(chunk, context);
        break;
    case CHUNK_EXTRA_MATERIAL_INFO:
        ReadExtraMaterialInfo(chunk, context);
        break;
    case CHUNK_EDITOR_OPTIONS:
        ReadEditorOptions(chunk, context);
        break;
    default:
        // Unknown chunks are skipped whole.
        break;
    }
}

CZNIWFBodyReader CZNIWFScene::ReadBody()
{
    const int64_t left = GetChunkDataLeft();
    // A memory image is read where it lies; the stream only moves past the body.
    if (m_InPlace && m_Stream == m_InPlace) {
        const int64_t at = TellOrThrow();
        if (!left)
            return CZNIWFBodyReader(nullptr, 0);
        if (at + left > m_InPlace->GetLength())
            Throw(ZNERR_IWF_BAD_LENGTHS);
        SeekToOrThrow(at + left);
        return CZNIWFBodyReader(m_InPlace->GetBuffer() + at, static_cast<size_t>(left));
    }
    try {
        m_Body.resize(static_cast<size_t>(left));
    } catch (const std::bad_alloc &) {
        Throw(ZNERR_OUT_OF_MEMORY);
    }
    ReadChunkData(m_Body.data(), static_cast<DWORD>(left));
    return CZNIWFBodyReader(m_Body.data(), m_Body.size());
}

// ---------------------------------------------------------------------------------------------
// Saving

void CZNIWFScene::BeginSave(CZNStreamIO &stream)
{
    if (!stream.IsOpen())
        Throw(ZNERR_NOT_OPEN);
    m_Target = &stream;
    // Chunks are framed by seeking back over their headers, which on a file would flush the
    // buffer at every chunk; the image is made in memory and written out in one piece.
    m_Stage = std::make_unique<StageStream>();
    Open(*m_Stage, IWF_MODE_WRITE);
}

void CZNIWFScene::EndSave()
{
    CZNStreamIO *target = m_Target;
    const StageStream *stage = static_cast<StageStream *>(m_Stage.get());
    if (!stage->WriteTo([target](const BYTE *bytes, DWORD count) { return target->Write(bytes, count); })) {
        DWORD code = target->GetLastErrorCode();
        Throw(code ? code : ZNERR_STREAM_FAILURE);
    }
    if (!target->Flush()) {
        DWORD code = target->GetLastErrorCode();
        Throw(code ? code : ZNERR_STREAM_FAILURE);
    }
    CZNIWFFile::Close();
    m_Stage.reset();
    m_Target = nullptr;
}

void CZNIWFScene::FlushBody()
{
    if (m_Out.Size())
        WriteBytes(m_Out.Data(), m_Out.Size());
    m_Out.Reset();
}
