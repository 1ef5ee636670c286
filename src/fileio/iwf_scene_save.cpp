// The save side of the IWF scene: the lists a save writes, built from a selection or another
// scene file, the editor options, the rendered thumbnail, and the top-level chunk order.
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_set>

#include "app/editor_app.h"
#include "fileio/editor_option_bits.h"
#include "fileio/iwf_scene.h"
#include "fileio/memory_stream_io.h"
#include "fileio/mesh_finisher.h"
#include "platform/cpu/prefetch.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/thumbnail_renderer.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/group.h"
#include "scene/material.h"
#include "scene/object_type.h"
#include "scene/overlay.h"
#include "scene/path_utils.h"
#include "scene/selection_entry.h"

namespace
{

constexpr DWORD kThumbnailSize = 106;

// Calls visit(face) for every face of the brushes and overlays of a group and its nested groups.
template <class Visit> void VisitGroupFaces(CZNGROUP *group, Visit &visit)
{
    for (DWORD i = 0; i < group->GetChildCount(); ++i) {
        void *child = group->GetChild(i);
        if (!child)
            continue;
        if (GetObjectType(child) == ZNOBJECT_BRUSH) {
            ZNBRUSH *brush = static_cast<ZNBRUSH *>(child);
            for (DWORD f = 0; f < brush->GetFaceCount(); ++f)
                visit(brush->GetFace(f));
        } else if (GetObjectType(child) == ZNOBJECT_OVERLAY) {
            CZNOverlay *overlay = static_cast<CZNOverlay *>(child);
            for (DWORD f = 0; f < overlay->GetFaceCount(); ++f)
                visit(overlay->GetFace(f));
        } else if (GetObjectType(child) == ZNOBJECT_GROUP) {
            VisitGroupFaces(static_cast<CZNGROUP *>(child), visit);
        }
    }
}

// Asks the cache for the brushes a few places after index, one level of pointers per place: the
// brush four on, the face table of the one three on, the faces two on and, when asked, the vertex
// arrays of the next one. Each level's pointers were fetched a step earlier, so neither this nor
// the save's own reads of a brush wait on memory (a brush, its faces and their vertices are
// separate allocations).
void PrefetchBrushes(const std::vector<ZNBRUSH *> &brushes, size_t index, bool vertices)
{
    const size_t count = brushes.size();
    if (vertices && index + 1 < count)
        if (const ZNBRUSH *b = brushes[index + 1])
            for (DWORD i = 0; i < b->m_FaceCount; ++i) {
                const ZNFACE *face = b->m_Faces[i];
                if (face && face->m_Vertices && face->m_VertexCount > 0)
                    ZnPrefetchLines(face->m_Vertices, sizeof(ZNVERTEX) * face->m_VertexCount);
            }
    if (index + 2 < count)
        if (const ZNBRUSH *b = brushes[index + 2])
            for (DWORD i = 0; i < b->m_FaceCount; ++i)
                if (b->m_Faces[i])
                    ZnPrefetchLines(b->m_Faces[i], sizeof(ZNFACE));
    if (index + 3 < count)
        if (const ZNBRUSH *b = brushes[index + 3]; b && b->m_Faces && b->m_FaceCount > 0)
            ZnPrefetchLines(b->m_Faces, sizeof(ZNFACE *) * b->m_FaceCount);
    if (index + 4 < count)
        if (const ZNBRUSH *b = brushes[index + 4])
            ZnPrefetchLines(b, sizeof(ZNBRUSH));
}

// The faces of everything being saved: groups (recursively), then brushes, then overlays.
template <class Visit>
void VisitSavedFaces(const std::vector<CZNGROUP *> &groups, const std::vector<ZNBRUSH *> &brushes,
                     const std::vector<CZNOverlay *> &overlays, Visit visit)
{
    for (CZNOverlay *overlay : overlays)
        if (overlay)
            for (DWORD f = 0; f < overlay->GetFaceCount(); ++f)
                visit(overlay->GetFace(f));
    for (CZNGROUP *group : groups)
        if (group)
            VisitGroupFaces(group, visit);
    for (size_t i = 0; i < brushes.size(); ++i) {
        PrefetchBrushes(brushes, i, false);
        if (ZNBRUSH *brush = brushes[i])
            for (DWORD f = 0; f < brush->GetFaceCount(); ++f)
                visit(brush->GetFace(f));
    }
}

ZNTEXTUREREF MakeTextureRecord(CZNTexture *texture)
{
    ZNTEXTUREREF ref;
    ref.Texture = texture;
    ref.CRC = texture->GetCRC();
    char *path = texture->GetPathAndFileName();
    char *name = path ? GetFileNameFromPath(path) : nullptr;
    if (name)
        std::strncpy(ref.Name, name, sizeof ref.Name - 1);
    std::free(name);
    std::free(path);
    return ref;
}

} // namespace

// The capture of the thumbnail renderer brought to the stored form: blurred, 106 x 106,
// 8 bits. Null without a renderer or when a step fails.
std::unique_ptr<CZNImage> CZNIWFScene::RenderThumbnail()
{
    IZNThumbnailRenderer *renderer = GetEditorApp()->GetThumbnailRenderer();
    if (!renderer)
        return nullptr;
    std::unique_ptr<CZNImage> image(renderer->CaptureThumbnail());
    if (!image || !FinishThumbnail(image.get()))
        return nullptr;
    return image;
}

bool CZNIWFScene::FinishThumbnail(CZNImage *capture)
{
    if (!capture || capture->GetWidth() == 0)
        return false;
    capture->Blur();
    return capture->Resize(INTERP_PIXEL, kThumbnailSize, kThumbnailSize) && capture->ChangeColorDepth(8, false);
}

void CZNIWFScene::AppendSelection(const std::vector<ZNSELECTIONENTRY> &entries, DWORD flags)
{
    for (const ZNSELECTIONENTRY &entry : entries) {
        if (!entry.Object)
            continue;
        if (entry.Type == ZNSELECT_ENTITY && (flags & IWFSAVE_ENTITIES))
            m_Entities.push_back(reinterpret_cast<CZNEntity *>(entry.Object));
        if (entry.Type == ZNSELECT_BRUSH && (flags & IWFSAVE_BRUSHES))
            m_Brushes.push_back(reinterpret_cast<ZNBRUSH *>(entry.Object));
        if (entry.Type == ZNSELECT_OVERLAY && (flags & IWFSAVE_OVERLAYS))
            m_Overlays.push_back(reinterpret_cast<CZNOverlay *>(entry.Object));
    }
}

void CZNIWFScene::SaveObjects(CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries, DWORD flags,
                              CZNImage *thumbnail)
{
    BeginSave(stream);
    AppendSelection(entries, flags);
    if (flags & IWFSAVE_GROUPS)
        CollectGroups();
    BuildTables(flags & IWFSAVE_MATERIALS, flags & IWFSAVE_TEXTURES);
    m_EditorOptionsPresent = false;
    if (flags & IWFSAVE_EDITOR_OPTIONS)
        GatherEditorOptions();
    m_SaveFlags = flags;
    m_Thumbnail = thumbnail;
    WriteFile();
    EndSave();
}

void CZNIWFScene::SaveObjectsWithOptions(CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries,
                                         const IWFEXPORTOPTIONS &options, CZNImage *thumbnail)
{
    DWORD flags = ExportOptionsToFlags(options);
    std::unique_ptr<CZNImage> rendered;
    if (options.Option[IWFOPT_THUMBNAIL]) {
        flags |= IWFSAVE_THUMBNAIL;
        if (!thumbnail) {
            rendered = RenderThumbnail();
            thumbnail = rendered.get();
        }
    }
    // The rendered image is freed whether the save succeeds or throws.
    SaveObjects(stream, entries, flags, thumbnail);
}

void CZNIWFScene::ExportFromScene(CZNStreamIO &stream, CZNSceneFile &source, const IWFEXPORTOPTIONS &options,
                                  CZNImage *thumbnail)
{
    BeginSave(stream);
    const DWORD flags = ExportOptionsToFlags(options);
    if (&source != this) {
        if (options.Option[IWFOPT_MESH])
            m_Brushes = source.m_Brushes;
        if (options.Option[IWFOPT_ENTITY])
            m_Entities = source.m_Entities;
        if (options.Option[IWFOPT_DECALMESH])
            m_Overlays = source.m_Overlays;
        if (options.Option[IWFOPT_MATERIALS]) {
            // The source keeps its materials; these records only name them.
            m_MaterialRefs = source.m_MaterialRefs;
            for (ZNMATERIALREF &ref : m_MaterialRefs)
                ref.Owned = 0;
        }
    }
    m_EditorOptionsPresent = false;
    if (options.Option[IWFOPT_EDITOR_OPTIONS]) {
        if (source.m_EditorOptionsPresent) {
            m_EditorOptions = source.m_EditorOptions;
            m_EditorOptionsPresent = true;
        } else {
            GatherEditorOptions();
        }
    }
    m_Thumbnail = options.Option[IWFOPT_THUMBNAIL] ? thumbnail : nullptr;
    m_SaveFlags = flags;
    if (options.Option[IWFOPT_GROUP] && !source.m_Groups.empty()) {
        if (&source != this)
            m_Groups = source.m_Groups;
        CollectGroups();
    }
    if (options.Option[IWFOPT_TEXTURES])
        BuildTextureTable();
    WriteFile();
    EndSave();
}

void CZNIWFScene::CollectGroups()
{
    std::vector<ZNBRUSH *> kept;
    kept.reserve(m_Brushes.size());
    for (ZNBRUSH *brush : m_Brushes) {
        CZNGROUP *parent = brush ? brush->GetParent() : nullptr;
        if (!parent) {
            kept.push_back(brush);
            continue;
        }
        CZNGROUP *root = parent->GetRootGroup();
        if (std::find(m_Groups.begin(), m_Groups.end(), root) == m_Groups.end())
            m_Groups.push_back(root);
    }
    m_Brushes.swap(kept);
    std::vector<CZNOverlay *> keptOverlays;
    keptOverlays.reserve(m_Overlays.size());
    for (CZNOverlay *overlay : m_Overlays) {
        CZNGROUP *parent = overlay ? overlay->GetGroup() : nullptr;
        if (!parent) {
            keptOverlays.push_back(overlay);
            continue;
        }
        CZNGROUP *root = parent->GetRootGroup();
        if (std::find(m_Groups.begin(), m_Groups.end(), root) == m_Groups.end())
            m_Groups.push_back(root);
    }
    m_Overlays.swap(keptOverlays);
    std::vector<CZNEntity *> keptEntities;
    keptEntities.reserve(m_Entities.size());
    for (CZNEntity *entity : m_Entities) {
        CZNGROUP *parent = entity ? entity->GetGroup() : nullptr;
        if (!parent) {
            keptEntities.push_back(entity);
            continue;
        }
        CZNGROUP *root = parent->GetRootGroup();
        if (std::find(m_Groups.begin(), m_Groups.end(), root) == m_Groups.end())
            m_Groups.push_back(root);
    }
    m_Entities.swap(keptEntities);
}

void CZNIWFScene::BuildMaterialTable()
{
    BuildTables(true, false);
}

void CZNIWFScene::BuildTextureTable()
{
    BuildTables(false, true);
}

void CZNIWFScene::BuildTables(bool materials, bool textures)
{
    // One walk over the saved faces serves both tables. Each material index and each texture is
    // looked up in its table only the first time the walk meets it: the table cannot change its
    // answer for it afterwards.
    CZN3D *wrapper = GetEditorApp()->Get3D();
    CZNCONTAINER *list = wrapper->GetMaterialList();
    std::vector<BYTE> seenMaterial(materials ? list->GetElementCount() : 0);
    std::unordered_set<const CZNTexture *> seenTexture;
    auto addTexture = [this](CZNTexture *texture) {
        if (texture && FindTextureRecord(texture) < 0)
            m_TextureRefs.push_back(MakeTextureRecord(texture));
    };
    VisitSavedFaces(m_Groups, m_Brushes, m_Overlays, [&](ZNFACE *face) {
        if (materials) {
            const LONG index = face->GetMaterial();
            // An index outside the list has no record and adds nothing.
            if (index >= 0 && static_cast<size_t>(index) < seenMaterial.size() && !seenMaterial[index]) {
                seenMaterial[index] = 1;
                AddMaterialRecord(wrapper, index);
            }
        }
        if (textures) {
            CZNTexture *texture = face->GetTexture();
            if (texture && seenTexture.insert(texture).second)
                addTexture(texture);
        }
    });
    if (textures)
        for (const ZNMATERIALREF &ref : m_MaterialRefs)
            if (ref.Material)
                addTexture(ref.Material->GetTexture());
}

void CZNIWFScene::AddMaterialRecord(CZN3D *wrapper, LONG index)
{
    CZNMATERIAL *material = wrapper->GetMaterialRecord(static_cast<DWORD>(index));
    if (!material)
        return;
    for (const ZNMATERIALREF &ref : m_MaterialRefs)
        if (ref.Material == material)
            return;
    ZNMATERIALREF ref;
    ref.Material = material;
    ref.Owned = 0;
    ref.Index = static_cast<DWORD>(index);
    m_MaterialRefs.push_back(ref);
}

void CZNIWFScene::GatherEditorOptions()
{
    CZNEDITORApp *app = GetEditorApp();
    if (!app)
        return;
    m_EditorOptions = ZNEDITOROPTIONS{};

    DWORD flags = 0;
    for (const ZNEDITOROPTIONBIT &entry : kEditorOptionBits)
        if (app->GetOptionWord(entry.word))
            flags |= entry.bit;

    CZN3D *wrapper = app->Get3D();
    switch (wrapper->GetRenderMode()) {
    case 4:
        flags |= 0x01000000;
        break;
    case 3:
        flags |= 0x00000004;
        break;
    case 2:
        flags |= 0x00000008;
        break;
    case 1:
        flags |= 0x00000010;
        break;
    default:
        break;
    }
    if (wrapper->IsDefaultLighting())
        flags |= 0x00000020;
    const int32_t cameraMode = app->GetOptionWord(27);
    if (cameraMode == 0)
        flags |= 0x02000000;
    else if (cameraMode == 1)
        flags |= 0x04000000;

    m_EditorOptions.Flags = flags;
    const CZNCAMERA *camera = wrapper->GetCamera();
    m_EditorOptions.CameraPosition = camera->GetPosition();
    m_EditorOptions.CameraLook = camera->GetLook();
    m_EditorOptions.CameraUp = camera->GetUp();
    m_EditorOptions.CameraSelected = camera->IsSelected();
    m_EditorOptions.OptionWord21 = static_cast<DWORD>(app->GetOptionWord(21));
    m_EditorOptions.OptionWord20 = static_cast<DWORD>(app->GetOptionWord(20));
    m_EditorOptionsPresent = true;
}

namespace
{

// Brushes per batch of mesh chunks made on a helper thread.
constexpr size_t kMeshBatch = 64;
// Batches each helper may make before the writer takes them, which bounds the memory held.
constexpr size_t kBatchesAhead = 2;

// The mesh chunks of one batch, framed, with the offset of the last one's footer.
struct MeshBatch {
    std::vector<BYTE> Bytes;
    DWORD LastFooter = 0;
    DWORD Error = 0; // the code the batch threw, or 0
    bool Done = false;
};

} // namespace

void CZNIWFScene::WriteMeshChunksHere()
{
    for (size_t i = 0; i < m_Brushes.size(); ++i) {
        PrefetchBrushes(m_Brushes, i, true);
        ZNBRUSH *brush = m_Brushes[i];
        if (!brush)
            continue;
        BeginChunk(CHUNK_MESH);
        WriteMesh(brush);
        EndChunk();
        PassFinishedChunks(false);
    }
}

void CZNIWFScene::WriteMeshChunks()
{
    // A mesh chunk depends only on its brush and the tables, so the chunks of a large save are
    // made in batches on helper threads, each by a writer of its own into memory, and put in
    // order into the image here. This thread mostly waits for them, so there is a helper per
    // processor (up to three). A small save, or one with a single processor, is written here.
    const size_t count = m_Brushes.size();
    const unsigned helpers = std::min(CZNMeshFinisher::ProcessorCount(), 3u);
    if (count < 2 * kMeshBatch || helpers < 2) {
        WriteMeshChunksHere();
        return;
    }
    const size_t batches = (count + kMeshBatch - 1) / kMeshBatch;
    std::vector<MeshBatch> results(batches);
    std::mutex lock;
    std::condition_variable changed;
    size_t taken = 0; // batches put into the image
    bool stop = false;

    auto help = [&](unsigned first) {
        CZNIWFScene writer;
        writer.m_TextureRefs = m_TextureRefs;
        writer.m_MaterialRefs = m_MaterialRefs;
        for (ZNMATERIALREF &ref : writer.m_MaterialRefs)
            ref.Owned = 0; // the records only name the materials
        writer.m_SaveFlags = m_SaveFlags;
        CZNMemoryStreamIO memory;
        DWORD failed = 0;
        int64_t start = 0;
        try {
            memory.Open(nullptr, 0, ZNSTREAM_WRITE, false);
            writer.Open(memory, IWF_MODE_WRITE);
            writer.SetAuthorId(m_AuthorId, m_AuthorIdLength); // editor chunks carry it
            start = writer.TellOrThrow();
        } catch (LONG code) {
            failed = static_cast<DWORD>(code);
        } catch (const std::bad_alloc &) {
            failed = ZNERR_OUT_OF_MEMORY;
        }
        for (size_t b = first; b < batches; b += helpers) {
            {
                std::unique_lock<std::mutex> hold(lock);
                changed.wait(hold, [&] { return stop || b < taken + kBatchesAhead * helpers; });
                if (stop)
                    return;
            }
            MeshBatch result;
            result.Error = failed;
            if (!failed) {
                try {
                    // Each batch starts over after the header, as the first chunks of a level.
                    writer.SeekToOrThrow(start);
                    writer.m_LastFooterPos = 0;
                    const size_t end = std::min(count, (b + 1) * kMeshBatch);
                    for (size_t i = b * kMeshBatch; i < end; ++i) {
                        PrefetchBrushes(m_Brushes, i, true);
                        if (ZNBRUSH *brush = m_Brushes[i]) {
                            writer.BeginChunk(CHUNK_MESH);
                            writer.WriteMesh(brush);
                            writer.EndChunk();
                        }
                    }
                    const int64_t size = writer.TellOrThrow() - start;
                    if (size >= static_cast<int64_t>(IWF_LENGTH_UNSET))
                        Throw(ZNERR_IWF_BAD_LENGTHS);
                    const BYTE *bytes = memory.GetBuffer() + start;
                    result.Bytes.assign(bytes, bytes + size);
                    if (writer.m_LastFooterPos > 0)
                        result.LastFooter = static_cast<DWORD>(writer.m_LastFooterPos - start);
                } catch (LONG code) {
                    result.Error = static_cast<DWORD>(code);
                } catch (const std::bad_alloc &) {
                    result.Error = ZNERR_OUT_OF_MEMORY;
                }
            }
            {
                std::lock_guard<std::mutex> hold(lock);
                results[b] = std::move(result);
                results[b].Done = true;
            }
            changed.notify_all();
        }
    };

    std::vector<std::thread> threads;
    auto stopHelpers = [&] {
        {
            std::lock_guard<std::mutex> hold(lock);
            stop = true;
        }
        changed.notify_all();
        for (std::thread &t : threads)
            t.join();
        threads.clear();
    };
    // The helpers stop however this ends, before what they use goes.
    struct Stop {
        decltype(stopHelpers) &stop;
        ~Stop() { stop(); }
    } stopping{stopHelpers};
    try {
        for (unsigned h = 0; h < helpers; ++h)
            threads.emplace_back(help, h);
    } catch (const std::system_error &) {
        // Each helper has its own share of the batches: without all of them, none are used.
        stopHelpers();
        WriteMeshChunksHere();
        return;
    }

    for (size_t b = 0; b < batches; ++b) {
        MeshBatch result;
        {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [&] { return results[b].Done; });
            result = std::move(results[b]);
            taken = b + 1;
        }
        changed.notify_all();
        if (result.Error)
            Throw(result.Error);
        if (!result.Bytes.empty())
            AppendChunks(result.Bytes.data(), static_cast<DWORD>(result.Bytes.size()), result.LastFooter);
        PassFinishedChunks(false);
    }
}

void CZNIWFScene::WriteFile()
{
    static constexpr char kSignature[8] = {'-', 'Z', 'N', '_', 'S', 'I', 'G', '-'};
    SetAuthorId(IWF_AUTHOR_ID, IWF_AUTHOR_ID_LENGTH);
    if (m_Thumbnail) {
        BeginChunk(CHUNK_THUMBNAIL);
        WriteThumbnail();
        EndChunk();
    }
    BeginChunk(CHUNK_SIGNATURE);
    WriteBytes(kSignature, sizeof kSignature);
    EndChunk();
    if (!m_TextureRefs.empty()) {
        BeginChunk(CHUNK_TEXTURES);
        WriteTextures();
        EndChunk();
    }
    if (!m_MaterialRefs.empty()) {
        BeginChunk(CHUNK_MATERIALS);
        WriteMaterials();
        EndChunk();
    }
    for (CZNGROUP *group : m_Groups) {
        if (!group)
            continue;
        BeginChunk(CHUNK_GROUP);
        WriteGroup(group);
        EndChunk();
        PassFinishedChunks(false);
    }
    WriteMeshChunks();
    for (CZNOverlay *overlay : m_Overlays) {
        if (!overlay)
            continue;
        BeginChunk(CHUNK_DECALMESH);
        WriteDecalMesh(overlay);
        EndChunk();
        PassFinishedChunks(false);
    }
    for (CZNEntity *entity : m_Entities) {
        if (entity)
            WriteEntity(entity);
        PassFinishedChunks(false);
    }
    if (m_EditorOptionsPresent) {
        BeginChunk(CHUNK_EDITOR_OPTIONS);
        WriteEditorOptions();
        EndChunk();
    }
    WriteSummary();
}
