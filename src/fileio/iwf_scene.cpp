#include "fileio/iwf_scene.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "fileio/memory_stream_io.h"
#include "fileio/mesh_finisher.h"
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

// What the two in-place streams below share: no text, nothing to flush, always open, and seeks
// from an origin turned into positions.
class InPlaceStream : public CZNStreamIO
{
public:
    bool ReadString(char *, DWORD) override { return false; }
    bool WriteString(const char *) override { return false; }
    int64_t Seek(int64_t offset, DWORD origin) override
    {
        const int64_t base = origin == ZNSEEK_SET ? 0 : origin == ZNSEEK_CUR ? Tell() : GetLength();
        return SeekTo(base + offset) ? Tell() : -1;
    }
    bool Flush() override { return true; }
    bool IsOpen() override { return true; }
};

// A save on its way to the caller's stream. The chunk layer seeks back to patch lengths and
// footers only inside the chunks still open and in the footer of the last finished top-level
// chunk, so only the image from that footer on is kept here; the bytes before it are final and go
// to the caller's stream in pieces of a few hundred KiB. A large scene is thus never held whole
// in memory, and the caller's stream sees few large writes.
class StageStream final : public InPlaceStream
{
public:
    static constexpr size_t kPassSize = size_t{256} << 10;

    explicit StageStream(CZNStreamIO &target) : m_Target(target) {}

    void Close() override {}
    DWORD Read(void *, DWORD) override { return 0; }
    bool Write(const void *src, DWORD count) override
    {
        if (!count || !src)
            return true;
        const size_t offset = static_cast<size_t>(m_Position - m_Base);
        const size_t end = offset + count;
        if (end > m_Capacity && !Grow(end))
            return false;
        std::memcpy(m_Block.get() + offset, src, count);
        m_Size = std::max(m_Size, end);
        m_Position += count;
        return true;
    }
    bool IsEOF() override { return m_Position >= GetLength(); }
    int64_t Tell() override { return m_Position; }
    // Only positions inside the kept tail: the bytes before it have been handed on.
    bool SeekTo(int64_t position) override
    {
        if (position < m_Base || position > GetLength()) {
            SetError(ZNERR_SEEK_FAILED, -1, GetName());
            return false;
        }
        m_Position = position;
        return true;
    }
    int64_t GetLength() override { return m_Base + static_cast<int64_t>(m_Size); }
    bool SetLength(int64_t) override { return false; }
    const char *GetName() override { return "IWF Save Buffer"; }

    // Hands the bytes before position to the caller's stream when at least kPassSize of them
    // have gathered, or all of them when all is set; false when the caller's stream fails.
    bool Pass(int64_t position, bool all)
    {
        if (position <= m_Base || position > GetLength())
            return true;
        const size_t count = static_cast<size_t>(position - m_Base);
        if (!all && count < kPassSize)
            return true;
        constexpr size_t kPiece = size_t{1} << 30; // the stream takes 32-bit counts
        for (size_t done = 0; done < count; done += kPiece)
            if (!m_Target.Write(m_Block.get() + done, static_cast<DWORD>(std::min(kPiece, count - done))))
                return false;
        std::memmove(m_Block.get(), m_Block.get() + count, m_Size - count);
        m_Size -= count;
        m_Base = position;
        return true;
    }

private:
    bool Grow(size_t needed)
    {
        const size_t capacity = std::max({needed, 2 * m_Capacity, kPassSize + (kPassSize >> 2)});
        std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[capacity]);
        if (!block) {
            SetError(ZNERR_OUT_OF_MEMORY, -1, GetName());
            return false;
        }
        if (m_Size)
            std::memcpy(block.get(), m_Block.get(), m_Size);
        m_Block = std::move(block);
        m_Capacity = capacity;
        return true;
    }

    CZNStreamIO &m_Target;
    std::unique_ptr<BYTE[]> m_Block; // the image from m_Base on
    size_t m_Capacity = 0;
    size_t m_Size = 0;
    int64_t m_Base = 0;     // image position of the block's first byte
    int64_t m_Position = 0; // image position
};

// The rest of a stream walked by a load, read through a window of its bytes held in memory: the
// walk's many seeks cost no calls on the stream, and a large scene is neither read twice nor held
// whole. Positions count from where the rest begins. Span gives bytes in place; they stay valid
// until the next read or span moves the window.
class WindowStream final : public InPlaceStream
{
public:
    static constexpr size_t kWindow = size_t{1} << 20;

    WindowStream(CZNStreamIO &source, int64_t start, int64_t length)
        : m_Source(source), m_Start(start), m_SourcePosition(start), m_Length(length)
    {
    }

    void Close() override {}
    DWORD Read(void *dest, DWORD count) override
    {
        if (!count || !dest)
            return 0;
        const int64_t left = m_Length - m_Position;
        const size_t wanted = static_cast<size_t>(std::min<int64_t>(count, std::max<int64_t>(left, 0)));
        if (!wanted)
            return 0;
        const BYTE *bytes = Span(wanted);
        if (!bytes)
            return 0;
        std::memcpy(dest, bytes, wanted);
        return static_cast<DWORD>(wanted);
    }
    bool Write(const void *, DWORD) override { return false; }
    bool IsEOF() override { return m_Position >= m_Length; }
    int64_t Tell() override { return m_Position; }
    bool SeekTo(int64_t position) override
    {
        if (position < 0 || position > m_Length) {
            SetError(ZNERR_SEEK_FAILED, -1, GetName());
            return false;
        }
        m_Position = position;
        return true;
    }
    int64_t GetLength() override { return m_Length; }
    bool SetLength(int64_t) override { return false; }
    const char *GetName() override { return m_Source.GetName(); }

    // The count bytes from the position on, in place, and the position moved past them; null
    // when they are not all there or the stream fails (its code is recorded).
    const BYTE *Span(size_t count)
    {
        if (static_cast<uint64_t>(count) > static_cast<uint64_t>(m_Length - m_Position)) {
            SetError(ZNERR_IWF_BAD_LENGTHS, -1, GetName());
            return nullptr;
        }
        if (m_Position < m_WindowStart || m_Position + static_cast<int64_t>(count) > m_WindowStart + m_WindowSize) {
            if (!Fill(count))
                return nullptr;
        }
        const BYTE *bytes = m_Block.get() + (m_Position - m_WindowStart);
        m_Position += static_cast<int64_t>(count);
        return bytes;
    }

private:
    // Reads the window from the position on: at least count bytes, up to kWindow or the end.
    bool Fill(size_t count)
    {
        const size_t size = static_cast<size_t>(std::min<int64_t>(std::max(count, kWindow), m_Length - m_Position));
        if (size > m_Capacity) {
            std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]);
            if (!block) {
                SetError(ZNERR_OUT_OF_MEMORY, -1, GetName());
                return false;
            }
            m_Block = std::move(block);
            m_Capacity = size;
        }
        m_WindowSize = 0;
        const int64_t from = m_Start + m_Position;
        // A forward walk reads on without seeking, so the stream's own buffering is kept.
        if (from != m_SourcePosition && !m_Source.SeekTo(from)) {
            Fail();
            return false;
        }
        m_SourcePosition = -1;
        for (size_t done = 0; done < size;) {
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(size - done, size_t{1} << 30));
            const DWORD got = m_Source.Read(m_Block.get() + done, piece);
            if (got != piece) {
                Fail();
                return false;
            }
            done += got;
        }
        m_SourcePosition = from + static_cast<int64_t>(size);
        m_WindowStart = m_Position;
        m_WindowSize = static_cast<int64_t>(size);
        return true;
    }
    void Fail()
    {
        const DWORD code = m_Source.GetLastErrorCode();
        SetError(code ? code : ZNERR_IWF_BAD_LENGTHS, -1, GetName());
    }

    CZNStreamIO &m_Source;
    const int64_t m_Start;    // source position of position 0
    int64_t m_SourcePosition; // where the source stands, -1 when unknown
    const int64_t m_Length;
    int64_t m_Position = 0;
    std::unique_ptr<BYTE[]> m_Block; // the window
    size_t m_Capacity = 0;
    int64_t m_WindowStart = 0;
    int64_t m_WindowSize = 0;
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
      m_Window(nullptr), m_Finisher(nullptr), m_Target(nullptr)
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
    // The brushes read are finished alongside the reading; every one is finished before this
    // returns or throws.
    CZNMeshFinisher finisher;
    struct Finishing {
        CZNMeshFinisher *&slot;
        ~Finishing() { slot = nullptr; }
    } finishing{m_Finisher};
    m_Finisher = &finisher;
    struct InPlace {
        CZNMemoryStreamIO *&slot;
        ~InPlace() { slot = nullptr; }
    } inPlace{m_InPlace};
    if (auto *memory = dynamic_cast<CZNMemoryStreamIO *>(&stream); memory || !stream.IsOpen()) {
        m_InPlace = memory;
        Open(stream, IWF_MODE_READ);
        SetAuthorId(IWF_AUTHOR_ID, IWF_AUTHOR_ID_LENGTH);
        ReadAll(finisher);
        return;
    }

    // The walk seeks back and forth over every chunk; on a file each seek would drop the read
    // buffer. The rest of the stream is walked through a window held in memory, and the stream
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
    WindowStream window(stream, start, static_cast<int64_t>(size));
    struct Restore {
        CZNStreamIO &stream;
        WindowStream &window;
        int64_t start;
        CZNIWFScene &scene;
        ~Restore()
        {
            stream.SeekTo(start + window.Tell());
            scene.m_Window = nullptr;
            scene.CZNIWFFile::Close();
        }
    } restore{stream, window, start, *this};
    m_Window = &window;
    Open(window, IWF_MODE_READ);
    SetAuthorId(IWF_AUTHOR_ID, IWF_AUTHOR_ID_LENGTH);
    ReadAll(finisher);
}

void CZNIWFScene::ReadAll(CZNMeshFinisher &finisher)
{
    try {
        ReadFile(nullptr);
    } catch (const std::bad_alloc &) {
        finisher.Wait();
        Throw(ZNERR_OUT_OF_MEMORY);
    } catch (...) {
        finisher.Wait();
        throw;
    }
    if (!finisher.Wait())
        Throw(ZNERR_OUT_OF_MEMORY);
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
    if (m_Window && m_Stream == m_Window) {
        if (!left)
            return CZNIWFBodyReader(nullptr, 0);
        const BYTE *bytes = static_cast<WindowStream *>(m_Window)->Span(static_cast<size_t>(left));
        if (!bytes)
            ThrowStream(ZNERR_IWF_BAD_LENGTHS);
        return CZNIWFBodyReader(bytes, static_cast<size_t>(left));
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
    // buffer at every chunk; they are made in memory and handed on when finished.
    m_Stage = std::make_unique<StageStream>(stream);
    Open(*m_Stage, IWF_MODE_WRITE);
}

void CZNIWFScene::PassFinishedChunks(bool all)
{
    // Only a save begun here has a stage, and only between top-level chunks is a prefix final.
    if (!m_Stage || m_Stream != m_Stage.get() || GetCurrentChunk())
        return;
    auto *stage = static_cast<StageStream *>(m_Stage.get());
    if (!stage->Pass(all ? stage->GetLength() : m_LastFooterPos, all)) {
        DWORD code = m_Target->GetLastErrorCode();
        Throw(code ? code : ZNERR_STREAM_FAILURE);
    }
}

void CZNIWFScene::EndSave()
{
    PassFinishedChunks(true);
    CZNStreamIO *target = m_Target;
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
