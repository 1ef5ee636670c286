#include "fileio/iwf_scene.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "fileio/iwf_stage_stream.h"
#include "fileio/iwf_window_stream.h"
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

// Whether a brush, overlay or entity is a member of group or of a group nested in it.
bool TreeHoldsObject(const CZNGROUP *group)
{
    for (DWORD i = 0; i < group->GetChildCount(); ++i) {
        const void *child = group->GetChild(i);
        if (GetObjectType(child) != ZNOBJECT_GROUP || TreeHoldsObject(static_cast<const CZNGROUP *>(child)))
            return true;
    }
    return false;
}

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
    CZNIWFWindowStream window(stream, start, static_cast<int64_t>(size));
    struct Restore {
        CZNStreamIO &stream;
        CZNIWFWindowStream &window;
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
    DropEmptyGroups();
}

void CZNIWFScene::DropEmptyGroups()
{
    // Groups are reached through their members: a tree without any object (stored empty, or
    // every member dropped on the way) would be lost to the caller that takes the objects.
    // Empty nested groups in a tree with objects stay as stored; they go with their tree.
    std::erase_if(m_Groups, [](CZNGROUP *group) {
        if (!group || TreeHoldsObject(group))
            return false;
        DeleteGroupTree(group);
        return true;
    });
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
        const BYTE *bytes = static_cast<CZNIWFWindowStream *>(m_Window)->Span(static_cast<size_t>(left));
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
    m_Stage = std::make_unique<CZNIWFStageStream>(stream);
    Open(*m_Stage, IWF_MODE_WRITE);
}

void CZNIWFScene::PassFinishedChunks(bool all)
{
    // Only a save begun here has a stage, and only between top-level chunks is a prefix final.
    if (!m_Stage || m_Stream != m_Stage.get() || GetCurrentChunk())
        return;
    auto *stage = static_cast<CZNIWFStageStream *>(m_Stage.get());
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
