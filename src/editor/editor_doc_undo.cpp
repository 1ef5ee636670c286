// The document's undo list: writing records, the memory cap and restoring.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/object_list.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "editor/wait_cursor.h"
#include "fileio/iwf_scene.h"
#include "fileio/memory_stream_io.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/group.h"
#include "scene/object_type.h"
#include "scene/overlay.h"

namespace
{

constexpr const char *kCaption = "TOVRA";
constexpr const char *kWriteFailed = "Failed to write undo data.";
constexpr const char *kRestoreFailed = "Failed to read or restore undo data.";
constexpr const char *kTrimQuestion =
    "Warning : The most recent undo level exceeds the maximum amount of memory allowed for any single "
    "operation.\r\nDo you wish to release the most recent undo level?\r\n\r\nNote : Pressing yes will result in an "
    "inability to undo the most recent operation\r\nbut will free up a significant amount of memory.";
constexpr DWORD kHeaderSize = 8;
constexpr DWORD kEntrySize = 5;
constexpr BYTE kBrushCategory = 1;
constexpr BYTE kEntityCategory = 2;
constexpr BYTE kOverlayCategory = 5;

// A failed read or write, or a record that does not fit the scene, ends the whole write or
// restore.
struct UndoFailure {
};

void Put(CZNStreamIO &stream, const void *data, DWORD size)
{
    if (!stream.Write(data, size))
        throw UndoFailure{};
}

template <typename T> void PutValue(CZNStreamIO &stream, T value)
{
    Put(stream, &value, sizeof(T));
}

void Get(CZNStreamIO &stream, void *data, DWORD size)
{
    if (stream.Read(data, size) != size)
        throw UndoFailure{};
}

template <typename T> T GetValue(CZNStreamIO &stream)
{
    T value;
    Get(stream, &value, sizeof(T));
    return value;
}

// Bytes left from the stream's position.
uint64_t Remaining(CZNStreamIO &stream)
{
    const int64_t length = stream.GetLength(), at = stream.Tell();
    return length >= at && at >= 0 ? static_cast<uint64_t>(length - at) : 0;
}

// A count read from a record, checked against the bytes that must follow it.
DWORD GetCount(CZNStreamIO &stream, uint64_t bytesEach)
{
    const DWORD count = GetValue<DWORD>(stream);
    if (static_cast<uint64_t>(count) * bytesEach > Remaining(stream))
        throw UndoFailure{};
    return count;
}

struct StoredEntry {
    BYTE category;
    int32_t index;
};

std::vector<StoredEntry> ReadEntries(CZNStreamIO &stream)
{
    const DWORD count = GetCount(stream, kEntrySize);
    std::vector<StoredEntry> entries(count);
    for (StoredEntry &e : entries) {
        e.category = GetValue<BYTE>(stream);
        e.index = GetValue<int32_t>(stream);
    }
    return entries;
}

bool StoresImage(DWORD type)
{
    return (type >= ZNUNDO_ROTATE && type <= ZNUNDO_SCALEVERTICES) || type == ZNUNDO_REMOVE ||
           type == ZNUNDO_CSGINPLACE || type == ZNUNDO_REBUILDSURFACES || type == ZNUNDO_BANDMOVE;
}

bool IsPropertyType(DWORD type)
{
    return (type >= ZNUNDO_TEXTURE && type <= ZNUNDO_TEXTURECOORDS) ||
           (type >= ZNUNDO_MATERIAL && type <= ZNUNDO_ALPHAMODES) || type == ZNUNDO_OVERLAYLOCKED ||
           type == ZNUNDO_ZBIAS || type == ZNUNDO_FLAGS || type == ZNUNDO_MAPPINGORIGIN;
}

LONG TexturePosition(const CZNTexture *texture)
{
    if (!texture)
        return -1;
    LONG position = 0;
    for (CZNTexture *t = GetEditorApp()->GetTextureManager()->GetFirstTexture(); t; t = t->GetNext(), ++position)
        if (t == texture)
            return position;
    return -1;
}

CZNTexture *TextureAt(LONG position)
{
    if (position < 0)
        return nullptr;
    CZNTexture *t = GetEditorApp()->GetTextureManager()->GetFirstTexture();
    for (LONG i = 0; t && i < position; ++i)
        t = t->GetNext();
    return t;
}

DWORD MaterialCount()
{
    return GetEditorApp()->Get3D()->GetMaterialList()->GetElementCount();
}

// The faces and vertices a property entry covers.
// A live brush or overlay, its own faces released, takes over the loaded copy's faces and box;
// the copy is left without faces.
template <typename T> void TakeFaces(T *live, T *copy)
{
    live->m_Bounds = copy->m_Bounds;
    live->m_Faces = copy->m_Faces;
    live->m_FaceCount = copy->m_FaceCount;
    copy->m_Faces = nullptr;
    copy->m_FaceCount = 0;
    // The faces' adjacency belongs to the object that holds them now.
    live->m_SharedFaceInfo.Reset();
    live->UpdateSharedFaceInfo();
}

struct PropertyTarget {
    ZNBRUSH *brush = nullptr;
    CZNEntity *entity = nullptr;
    CZNOverlay *overlay = nullptr;
    std::vector<ZNFACE *> faces;
    std::vector<ZNVERTEX *> vertices;
};

} // namespace

uint64_t CZNEDITORDoc::GetUndoBufferSize() const
{
    uint64_t total = 0;
    for (const ZNUNDORECORD *r = m_UndoList; r; r = r->Next)
        total += static_cast<uint64_t>(r->Size) + ZNUNDORECORD::kRecordCharge;
    return total;
}

void CZNEDITORDoc::PushUndoRecord(ZNUNDORECORD *record)
{
    if (!record)
        return;
    record->Next = m_UndoList;
    m_UndoList = record;
}

void CZNEDITORDoc::DropNewestUndoRecord()
{
    if (ZNUNDORECORD *r = m_UndoList) {
        m_UndoList = r->Next;
        delete r;
    }
}

void CZNEDITORDoc::FreeUndoList()
{
    while (m_UndoList) {
        ZNUNDORECORD *r = m_UndoList;
        m_UndoList = r->Next;
        delete r;
    }
}

int CZNEDITORDoc::CreateUndoLevel(DWORD type, BYTE continuation, int withGroups)
{
    std::vector<ZNSELECTIONENTRY> entries;
    if (!GetEditorApp()->GetSelectionBand()->GetEntries(entries) || entries.empty())
        return 0;
    return WriteUndoData(type, entries, continuation, withGroups);
}

void CZNEDITORDoc::WriteUndoEntries(CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries)
{
    PutValue<DWORD>(stream, static_cast<DWORD>(entries.size()));
    for (const ZNSELECTIONENTRY &e : entries) {
        PutValue<BYTE>(stream, e.Type);
        const bool listed = e.Type == ZNSELECT_BRUSH || e.Type == ZNSELECT_ENTITY || e.Type == ZNSELECT_OVERLAY;
        PutValue<int32_t>(stream, listed ? GetObjectIndex(e.Type, reinterpret_cast<void *>(e.Object)) : -1);
    }
}

void CZNEDITORDoc::WriteImageEntries(CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries, bool withGroups)
{
    // The writer puts the members of every outermost group first (whole groups, in their own
    // order; the groups met through the brushes, then the overlays, then the entities), then the
    // ungrouped objects of each list. Per list, entry k names image object k of that list, so a
    // restore pairs them without guessing; a member the caller did not name gets index -1 and is
    // not restored.
    static constexpr BYTE kListed[3] = {kBrushCategory, kOverlayCategory, kEntityCategory};
    std::vector<CZNGROUP *> roots;
    if (withGroups)
        for (BYTE category : kListed)
            for (const ZNSELECTIONENTRY &e : entries)
                if (e.Type == category && e.Object)
                    if (CZNGROUP *parent = CZNGROUP::GetChildParent(reinterpret_cast<void *>(e.Object))) {
                        CZNGROUP *root = parent->GetRootGroup();
                        if (std::find(roots.begin(), roots.end(), root) == roots.end())
                            roots.push_back(root);
                    }
    // Depth first, children in order, as the writer nests them.
    struct Walk {
        static void Members(CZNGROUP *g, BYTE category, std::vector<void *> &out)
        {
            for (DWORD i = 0; i < g->GetChildCount(); ++i) {
                void *child = g->GetChild(i);
                if (!child)
                    continue;
                if (GetObjectType(child) == ZNOBJECT_GROUP)
                    Members(static_cast<CZNGROUP *>(child), category, out);
                else if (MapObjectTypeToCategory(GetObjectType(child)) == category)
                    out.push_back(child);
            }
        }
    };
    std::vector<std::pair<BYTE, void *>> order;
    for (BYTE category : kListed) {
        std::vector<void *> objects;
        for (CZNGROUP *root : roots)
            Walk::Members(root, category, objects);
        for (const ZNSELECTIONENTRY &e : entries)
            if (e.Type == category && e.Object &&
                !(withGroups && CZNGROUP::GetChildParent(reinterpret_cast<void *>(e.Object))))
                objects.push_back(reinterpret_cast<void *>(e.Object));
        for (void *object : objects)
            order.emplace_back(category, object);
    }
    std::vector<BYTE> others;
    for (const ZNSELECTIONENTRY &e : entries)
        if (std::find(std::begin(kListed), std::end(kListed), e.Type) == std::end(kListed))
            others.push_back(e.Type);

    PutValue<DWORD>(stream, static_cast<DWORD>(order.size() + others.size()));
    for (const auto &[category, object] : order) {
        const uintptr_t word = reinterpret_cast<uintptr_t>(object);
        const bool named =
            std::any_of(entries.begin(), entries.end(), [category = category, word](const ZNSELECTIONENTRY &e) {
                return e.Type == category && e.Object == word;
            });
        PutValue<BYTE>(stream, category);
        PutValue<int32_t>(stream, named ? GetObjectIndex(category, object) : -1);
    }
    for (BYTE category : others) {
        PutValue<BYTE>(stream, category);
        PutValue<int32_t>(stream, -1);
    }
}

int CZNEDITORDoc::WriteUndoData(DWORD type, std::vector<ZNSELECTIONENTRY> &entries, BYTE continuation, int withGroups)
{
    if (entries.empty())
        return 0;
    auto record = std::make_unique<ZNUNDORECORD>();
    CZNMemoryStreamIO stream;
    if (!stream.Open(nullptr, 0, ZNSTREAM_WRITE, false) || !stream.Write("UNDO", 4) ||
        !stream.Write(&type, sizeof(type)))
        return 0;

    CZNWaitCursor wait(m_Shell);
    try {
        auto byIndex = [this](const ZNSELECTIONENTRY &a, const ZNSELECTIONENTRY &b) {
            return GetObjectIndex(a.Type, reinterpret_cast<void *>(a.Object)) <
                   GetObjectIndex(b.Type, reinterpret_cast<void *>(b.Object));
        };
        if (type == ZNUNDO_MOVE) {
            const D3DXVECTOR3 move = GetEditorApp()->GetSelectionBand()->GetMoveTotal();
            Put(stream, &move, sizeof(move));
            WriteUndoEntries(stream, entries);
        } else if (StoresImage(type)) {
            std::stable_sort(entries.begin(), entries.end(), byIndex);
            CZNIWFScene scene;
            scene.SaveObjects(stream, entries, withGroups ? IWFSAVE_ALL : (IWFSAVE_ALL & ~IWFSAVE_GROUPS), nullptr);
            WriteImageEntries(stream, entries, withGroups != 0);
        } else if (type == ZNUNDO_ADD || type == ZNUNDO_GROUP || type == ZNUNDO_UNGROUP) {
            std::stable_sort(entries.begin(), entries.end(), byIndex);
            WriteUndoEntries(stream, entries);
        } else if (IsPropertyType(type)) {
            WriteUndoProperties(type, stream, entries);
        }
        if (!stream.Compact())
            throw UndoFailure{};
    } catch (...) {
        // A failed stream write, a failed IWF save (its code) or memory.
        GetEditorApp()->GetReporter()->Message(kWriteFailed, kCaption, MB_OK);
        return 0;
    }
    record->Size = static_cast<DWORD>(stream.GetLength());
    record->Data = stream.GetBuffer();
    stream.SetOwnsBuffer(false);
    stream.Close();
    record->Type = type;
    record->Continuation = continuation;
    record->Next = m_UndoList;
    m_UndoList = record.release();
    return 1;
}

void CZNEDITORDoc::SetUndoDescription(const char *description)
{
    if (m_UndoList)
        m_UndoList->Description = description;
}

void CZNEDITORDoc::TrimUndoBuffer()
{
    while (m_UndoList && GetUndoBufferSize() > kUndoBufferCap) {
        std::vector<ZNUNDORECORD *> records; // newest first
        int levels = 0;
        for (ZNUNDORECORD *r = m_UndoList; r; r = r->Next) {
            records.push_back(r);
            levels += r->Continuation == 0;
        }
        if (levels <= 1 &&
            GetEditorApp()->GetReporter()->Message(kTrimQuestion, kCaption, MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        // The oldest level goes whole: the oldest record and the newer ones continuing it.
        size_t keep = records.size() - 1;
        while (keep > 0 && records[keep - 1]->Continuation != 0)
            --keep;
        for (size_t i = keep; i < records.size(); ++i)
            delete records[i];
        if (keep == 0)
            m_UndoList = nullptr;
        else
            records[keep - 1]->Next = nullptr;
    }
}

int CZNEDITORDoc::OnEditUndo()
{
    while (ZNUNDORECORD *record = m_UndoList) {
        const DWORD materialsBefore = MaterialCount();
        try {
            CZNWaitCursor wait(m_Shell);
            RestoreUndoRecord(record);
        } catch (...) {
            RefillEntityContainers();
            GetEditorApp()->GetReporter()->Message(kRestoreFailed, kCaption, MB_OK);
            return 0;
        }
        m_UndoList = record->Next;
        const BYTE continuation = record->Continuation;
        delete record;
        SetModifiedFlag(TRUE);
        if (continuation != 0)
            continue; // the level goes on with the next older record
        GetEditorApp()->GetSelectionBand()->ResetPivotAndOrigin();
        RedrawAllViews(nullptr, 0);
        const DWORD materialsAfter = MaterialCount();
        if (materialsAfter > materialsBefore) {
            const DWORD added = materialsAfter - materialsBefore;
            if (m_Shell)
                m_Shell->RefreshMaterialList();
            char text[256];
            if (added == 1)
                std::snprintf(text, sizeof(text),
                              "Info : 1 non-existant material utilised by the data stored within the undo buffer\r\n"
                              "has been automatically added to the scene.");
            else
                std::snprintf(text, sizeof(text),
                              "Info : %i non-existant materials utilised by the data stored within the undo "
                              "buffer\r\nhave been automatically added to the scene.",
                              static_cast<int>(added));
            GetEditorApp()->GetReporter()->Message(text, kCaption, MB_ICONINFORMATION);
        }
        if (m_Shell)
            m_Shell->RebuildSceneTree();
        break;
    }
    RefillEntityContainers();
    return 1;
}

void CZNEDITORDoc::RestoreUndoRecord(ZNUNDORECORD *record)
{
    if (!record->Data || record->Size < kHeaderSize)
        throw UndoFailure{};
    // The stream reads the record's bytes in place and never frees them.
    CZNMemoryStreamIO stream(record->Data, record->Size, ZNSTREAM_READ, false);
    if (!stream.IsOpen() || !stream.SeekTo(kHeaderSize))
        throw UndoFailure{};
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    const DWORD type = record->Type;
    if (type == ZNUNDO_MOVE) {
        D3DXVECTOR3 move;
        Get(stream, &move, sizeof(move));
        const std::vector<StoredEntry> entries = ReadEntries(stream);
        D3DXVECTOR3 back = -move;
        for (const StoredEntry &e : entries) {
            if ((e.category != kBrushCategory && e.category != kEntityCategory) || e.index < 0)
                continue;
            void *object = GetObjectByIndex(e.category, static_cast<DWORD>(e.index));
            if (!object)
                continue; // objects gone since are skipped
            if (e.category == kEntityCategory) {
                static_cast<CZNEntity *>(object)->Move(&back, 0);
                continue;
            }
            ZNBRUSH *brush = static_cast<ZNBRUSH *>(object);
            brush->MoveBrush(&back, 0);
            // As the move did: box, face-aligned texture coordinates and face centres follow.
            brush->UpdateBoundingBox();
            brush->CalculateWorldTextureCoords();
            brush->CalculateFaceCenterPoints();
        }
        RebuildDirtyOverlays();
        band->Update();
    } else if (StoresImage(type)) {
        const DWORD mode = band->GetBandMode();
        const bool faceType = type == ZNUNDO_MOVEFACES || type == ZNUNDO_ROTATEFACES || type == ZNUNDO_SCALEFACES ||
                              type == ZNUNDO_BANDMOVE;
        const bool vertexType = (type >= ZNUNDO_MOVEFACES && type <= ZNUNDO_SCALEVERTICES) || type == ZNUNDO_BANDMOVE;
        if ((faceType && mode == ZNBAND_FACES) || (vertexType && mode == ZNBAND_VERTICES))
            band->Clear(1, 0);
        RestoreUndoObjects(type, stream);
    } else if (type == ZNUNDO_ADD) {
        RestoreAddedObjects(stream);
    } else if (IsPropertyType(type)) {
        // Checked whole first, then applied: a damaged record changes nothing.
        RestoreUndoProperties(type, stream);
    } else if (type == ZNUNDO_GROUP || type == ZNUNDO_UNGROUP) {
        // The named objects leave the group made for them, or are grouped again.
        CZNCONTAINER objects;
        for (const StoredEntry &e : ReadEntries(stream)) {
            void *object = e.index >= 0 ? GetObjectByIndex(e.category, static_cast<DWORD>(e.index)) : nullptr;
            if (!object)
                throw UndoFailure{};
            objects.AddElement(object);
        }
        if (type == ZNUNDO_GROUP)
            CZNSelectionBand::UngroupObjects(&objects);
        else
            CZNSelectionBand::GroupObjects(&objects);
        band->Clear(1, 0);
    }
    // Other types hold nothing.
}

void CZNEDITORDoc::RestoreUndoObjects(DWORD type, CZNStreamIO &stream)
{
    CZNIWFScene scene;
    // Whatever is left of the loaded copies (and their groups) goes with the scene object.
    struct Cleanup {
        CZNIWFScene &scene;
        ~Cleanup()
        {
            scene.Clear(IWFSAVE_GROUPS | IWFSAVE_BRUSHES | IWFSAVE_OVERLAYS | IWFSAVE_ENTITIES | IWFSAVE_MATERIALS);
        }
    } cleanup{scene};
    scene.Load(stream, false);
    const std::vector<StoredEntry> entries = ReadEntries(stream);

    // The three lists, each entry paired with its list's next copy and its place before anything
    // changes.
    enum { kBrushes, kEntities, kOverlays, kLists };
    auto listOf = [](BYTE category) {
        return category == kBrushCategory     ? kBrushes
               : category == kEntityCategory  ? kEntities
               : category == kOverlayCategory ? kOverlays
                                              : -1;
    };
    auto copyAt = [&scene](int list, size_t i) -> void * {
        if (list == kBrushes)
            return i < scene.m_Brushes.size() ? scene.m_Brushes[i] : nullptr;
        if (list == kEntities)
            return i < scene.m_Entities.size() ? scene.m_Entities[i] : nullptr;
        return i < scene.m_Overlays.size() ? scene.m_Overlays[i] : nullptr;
    };
    struct Step {
        void *copy;
        DWORD index;
    };
    std::vector<Step> steps[kLists];
    size_t nextCopy[kLists] = {0, 0, 0};
    for (const StoredEntry &e : entries) {
        const int list = listOf(e.category);
        if (list < 0)
            continue;
        void *copy = copyAt(list, nextCopy[list]++);
        if (!copy)
            throw UndoFailure{};
        if (e.index == -1)
            continue; // a group member the record does not restore
        if (e.index < 0)
            throw UndoFailure{};
        steps[list].push_back({copy, static_cast<DWORD>(e.index)});
    }
    // Every image object is paired with an entry.
    if (nextCopy[kBrushes] != scene.m_Brushes.size() || nextCopy[kEntities] != scene.m_Entities.size() ||
        nextCopy[kOverlays] != scene.m_Overlays.size())
        throw UndoFailure{};
    auto countOf = [](auto *head) {
        DWORD n = 0;
        for (auto *o = head; o; o = o->m_Next)
            ++n;
        return n;
    };
    const DWORD listSizes[kLists] = {static_cast<DWORD>(m_Brushes.size()), countOf(m_EntityList),
                                     countOf(m_OverlayList)};
    for (int list = 0; list < kLists; ++list) {
        // Removed objects go back in ascending order, so each lands where it was.
        std::vector<Step> &s = steps[list];
        std::stable_sort(s.begin(), s.end(), [](const Step &a, const Step &b) { return a.index < b.index; });
        DWORD listSize = listSizes[list];
        for (size_t i = 0; i < s.size(); ++i) {
            if (type == ZNUNDO_REMOVE) {
                if (s[i].index > listSize || (i > 0 && s[i].index == s[i - 1].index))
                    throw UndoFailure{};
                ++listSize;
            } else if (s[i].index >= listSize) {
                throw UndoFailure{};
            }
        }
    }

    if (type == ZNUNDO_REMOVE) {
        std::unordered_set<CZNGROUP *> roots;
        auto keepGroup = [&roots](CZNGROUP *g) {
            if (g)
                roots.insert(g->GetRootGroup());
        };
        // Each copy goes back into its list with the groups it was loaded with.
        for (const Step &s : steps[kBrushes]) {
            auto *copy = static_cast<ZNBRUSH *>(s.copy);
            std::replace(scene.m_Brushes.begin(), scene.m_Brushes.end(), copy, static_cast<ZNBRUSH *>(nullptr));
            InsertBrushAt(copy, s.index);
            keepGroup(copy->GetParent());
        }
        for (const Step &s : steps[kEntities]) {
            auto *copy = static_cast<CZNEntity *>(s.copy);
            std::replace(scene.m_Entities.begin(), scene.m_Entities.end(), copy, static_cast<CZNEntity *>(nullptr));
            ZnInsertInList(m_EntityList, copy, s.index);
            keepGroup(copy->GetGroup());
        }
        for (const Step &s : steps[kOverlays]) {
            auto *copy = static_cast<CZNOverlay *>(s.copy);
            std::replace(scene.m_Overlays.begin(), scene.m_Overlays.end(), copy, static_cast<CZNOverlay *>(nullptr));
            ZnInsertInList(m_OverlayList, copy, s.index);
            keepGroup(copy->GetGroup());
        }
        for (CZNGROUP *&g : scene.m_Groups)
            if (g && roots.count(g->GetRootGroup()))
                g = nullptr;
        if (!steps[kBrushes].empty())
            RebuildDirtyOverlays();
        return;
    }
    for (const Step &s : steps[kBrushes]) {
        auto *copy = static_cast<ZNBRUSH *>(s.copy);
        ZNBRUSH *live = m_Brushes[s.index];
        live->ReleaseFaces();
        TakeFaces(live, copy);
    }
    for (const Step &s : steps[kEntities]) {
        auto *copy = static_cast<CZNEntity *>(s.copy);
        auto *live = static_cast<CZNEntity *>(GetObjectByIndex(kEntityCategory, s.index));
        // Only a block of the same plug-in fits.
        if (copy->GetType() != live->GetType() || !copy->GetData() || !live->GetData())
            throw UndoFailure{};
        std::memcpy(live->GetData(), copy->GetData(), std::min(copy->GetDataSize(), live->GetDataSize()));
        live->FreeSavedData();
    }
    for (const Step &s : steps[kOverlays]) {
        auto *copy = static_cast<CZNOverlay *>(s.copy);
        auto *live = static_cast<CZNOverlay *>(GetObjectByIndex(kOverlayCategory, s.index));
        live->ClearFaces();
        std::memcpy(live->m_Corners, copy->m_Corners, sizeof(live->m_Corners));
        std::memcpy(live->m_BoxPlanes, copy->m_BoxPlanes, sizeof(live->m_BoxPlanes));
        live->m_FaceFlag = copy->m_FaceFlag;
        live->m_SurfacesOff = copy->m_SurfacesOff;
        live->m_AutoRebuild = copy->m_AutoRebuild;
        TakeFaces(live, copy);
    }
    if (!steps[kBrushes].empty())
        RebuildDirtyOverlays();
    GetEditorApp()->GetSelectionBand()->Update();
}

void CZNEDITORDoc::RestoreAddedObjects(CZNStreamIO &stream)
{
    GetEditorApp()->GetSelectionBand()->Clear(1, 0);
    const std::vector<StoredEntry> entries = ReadEntries(stream);
    std::vector<void *> added;
    for (const StoredEntry &e : entries) {
        void *object = e.index >= 0 ? GetObjectByIndex(e.category, static_cast<DWORD>(e.index)) : nullptr;
        if (!object)
            throw UndoFailure{};
        if (std::find(added.begin(), added.end(), object) == added.end())
            added.push_back(object);
    }
    // Brushes, overlays and entities are told apart by their type byte.
    for (void *object : added) {
        const BYTE objectType = GetObjectType(object);
        if (objectType == ZNOBJECT_OVERLAY)
            DeleteOverlay(static_cast<CZNOverlay *>(object));
        else if (objectType == ZNOBJECT_ENTITY)
            DeleteEntity(static_cast<CZNEntity *>(object));
        else
            DeleteBrush(static_cast<ZNBRUSH *>(object));
    }
}

void CZNEDITORDoc::WriteUndoProperties(DWORD type, CZNStreamIO &stream, const std::vector<ZNSELECTIONENTRY> &entries)
{
    PutValue<DWORD>(stream, static_cast<DWORD>(entries.size()));
    for (const ZNSELECTIONENTRY &e : entries) {
        PutValue<BYTE>(stream, e.Type);
        ZNBRUSH *brush = reinterpret_cast<ZNBRUSH *>(e.Object);
        PropertyTarget target;
        switch (e.Type) {
        case ZNSELECT_BRUSH:
            PutValue<int32_t>(stream, GetObjectIndex(kBrushCategory, brush));
            for (DWORD i = 0; i < brush->GetFaceCount(); ++i) {
                ZNFACE *face = brush->GetFace(i);
                target.faces.push_back(face);
                for (short v = 0; v < face->GetVertexCount(); ++v)
                    target.vertices.push_back(face->GetVertices() + v);
            }
            break;
        case ZNSELECT_FACE: {
            PutValue<int32_t>(stream, GetObjectIndex(kBrushCategory, brush));
            PutValue<int32_t>(stream, static_cast<int32_t>(e.Face));
            ZNFACE *face = brush ? brush->GetFace(static_cast<DWORD>(e.Face)) : nullptr;
            if (!face)
                throw UndoFailure{};
            target.faces.push_back(face);
            for (short v = 0; v < face->GetVertexCount(); ++v)
                target.vertices.push_back(face->GetVertices() + v);
            break;
        }
        case ZNSELECT_VERTEX: {
            PutValue<int32_t>(stream, GetObjectIndex(kBrushCategory, brush));
            PutValue<int32_t>(stream, static_cast<int32_t>(e.Face));
            PutValue<int32_t>(stream, static_cast<int32_t>(e.Vertex & 0xFFFF));
            ZNFACE *face = brush ? brush->GetFace(static_cast<DWORD>(e.Face)) : nullptr;
            const short v = static_cast<short>(e.Vertex & 0xFFFF);
            if (!face || v < 0 || v >= face->GetVertexCount())
                throw UndoFailure{};
            target.faces.push_back(face);
            target.vertices.push_back(face->GetVertices() + v);
            break;
        }
        case ZNSELECT_ENTITY:
            target.entity = reinterpret_cast<CZNEntity *>(e.Object);
            PutValue<int32_t>(stream, GetObjectIndex(kEntityCategory, target.entity));
            break;
        case ZNSELECT_OVERLAY:
            target.overlay = reinterpret_cast<CZNOverlay *>(e.Object);
            PutValue<int32_t>(stream, GetObjectIndex(kOverlayCategory, target.overlay));
            for (DWORD i = 0; i < target.overlay->GetFaceCount(); ++i)
                target.faces.push_back(target.overlay->GetFace(i));
            break;
        case ZNSELECT_OVERLAYFACE: {
            target.overlay = reinterpret_cast<CZNOverlay *>(e.Object);
            PutValue<int32_t>(stream, GetObjectIndex(kOverlayCategory, target.overlay));
            PutValue<int32_t>(stream, static_cast<int32_t>(e.Face));
            ZNFACE *face = target.overlay ? target.overlay->GetFace(static_cast<DWORD>(e.Face)) : nullptr;
            if (!face)
                throw UndoFailure{};
            target.faces.push_back(face);
            break;
        }
        default: // nothing but the category
            continue;
        }
        if (type == ZNUNDO_OVERLAYLOCKED && target.overlay)
            PutValue<BYTE>(stream, target.overlay->m_AutoRebuild);
        for (ZNFACE *face : target.faces) {
            switch (type) {
            case ZNUNDO_ZBIAS:
                if (face->m_ObjectType == ZNOBJECT_OVERLAYFACE)
                    PutValue<BYTE>(stream, face->m_FaceFlag);
                break;
            case ZNUNDO_TEXTURE:
                PutValue<int32_t>(stream, TexturePosition(face->GetTexture()));
                break;
            case ZNUNDO_TEXTUREPOS:
                PutValue<float>(stream, face->m_UPos);
                PutValue<float>(stream, face->m_VPos);
                break;
            case ZNUNDO_TEXTUREWRAP:
                PutValue<float>(stream, face->m_UWrap);
                PutValue<float>(stream, face->m_VWrap);
                break;
            case ZNUNDO_TEXTUREROTATION:
                Put(stream, &face->m_Rotation, 16);
                break;
            case ZNUNDO_TEXTUREMODE:
                PutValue<BYTE>(stream, face->m_MappingMode);
                break;
            case ZNUNDO_MATERIAL:
                PutValue<int32_t>(stream, face->m_Material);
                break;
            case ZNUNDO_FACESTYLE:
                PutValue<DWORD>(stream, face->m_Style);
                break;
            case ZNUNDO_ALPHAMODES:
                PutValue<int8_t>(stream, face->m_SrcBlend);
                PutValue<int8_t>(stream, face->m_DestBlend);
                break;
            case ZNUNDO_MAPPINGORIGIN:
                Put(stream, &face->m_MappingOrigin, 12);
                break;
            default:
                break;
            }
        }
        if (type == ZNUNDO_TEXTURECOORDS)
            for (ZNVERTEX *v : target.vertices) {
                PutValue<float>(stream, v->tu);
                PutValue<float>(stream, v->tv);
            }
        if (type == ZNUNDO_FLAGS && e.Type == ZNSELECT_BRUSH)
            PutValue<DWORD>(stream, brush->m_Flags);
        if (type == ZNUNDO_FLAGS && e.Type == ZNSELECT_ENTITY)
            PutValue<DWORD>(stream, target.entity->m_Flags);
        if (type == ZNUNDO_FLAGS && e.Type == ZNSELECT_OVERLAY)
            PutValue<DWORD>(stream, target.overlay->m_Flags);
    }
}

void CZNEDITORDoc::RestoreUndoProperties(DWORD type, CZNStreamIO &stream)
{
    const int64_t start = stream.Tell();
    // Two passes over the block: the first only reads and checks, the second stores.
    for (int apply = 0; apply < 2; ++apply) {
        if (!stream.SeekTo(start))
            throw UndoFailure{};
        const DWORD count = GetCount(stream, 1);
        for (DWORD n = 0; n < count; ++n) {
            const BYTE category = GetValue<BYTE>(stream);
            PropertyTarget target;
            auto objectAt = [this](BYTE list, int32_t index) {
                void *object = index >= 0 ? GetObjectByIndex(list, static_cast<DWORD>(index)) : nullptr;
                if (!object)
                    throw UndoFailure{};
                return object;
            };
            auto brushAt = [&objectAt](int32_t index) {
                return static_cast<ZNBRUSH *>(objectAt(kBrushCategory, index));
            };
            auto faceAt = [](ZNBRUSH *b, int32_t index) {
                ZNFACE *f = index >= 0 ? b->GetFace(static_cast<DWORD>(index)) : nullptr;
                if (!f)
                    throw UndoFailure{};
                return f;
            };
            switch (category) {
            case ZNSELECT_BRUSH:
                target.brush = brushAt(GetValue<int32_t>(stream));
                for (DWORD i = 0; i < target.brush->GetFaceCount(); ++i) {
                    ZNFACE *face = target.brush->GetFace(i);
                    target.faces.push_back(face);
                    for (short v = 0; v < face->GetVertexCount(); ++v)
                        target.vertices.push_back(face->GetVertices() + v);
                }
                break;
            case ZNSELECT_FACE: {
                target.brush = brushAt(GetValue<int32_t>(stream));
                ZNFACE *face = faceAt(target.brush, GetValue<int32_t>(stream));
                target.faces.push_back(face);
                for (short v = 0; v < face->GetVertexCount(); ++v)
                    target.vertices.push_back(face->GetVertices() + v);
                break;
            }
            case ZNSELECT_VERTEX: {
                target.brush = brushAt(GetValue<int32_t>(stream));
                ZNFACE *face = faceAt(target.brush, GetValue<int32_t>(stream));
                const int32_t v = GetValue<int32_t>(stream);
                if (v < 0 || v >= face->GetVertexCount())
                    throw UndoFailure{};
                target.faces.push_back(face);
                target.vertices.push_back(face->GetVertices() + v);
                break;
            }
            case ZNSELECT_ENTITY:
                target.entity = static_cast<CZNEntity *>(objectAt(kEntityCategory, GetValue<int32_t>(stream)));
                break;
            case ZNSELECT_OVERLAY:
            case ZNSELECT_OVERLAYFACE: {
                target.overlay = static_cast<CZNOverlay *>(objectAt(kOverlayCategory, GetValue<int32_t>(stream)));
                if (category == ZNSELECT_OVERLAY) {
                    for (DWORD i = 0; i < target.overlay->GetFaceCount(); ++i)
                        target.faces.push_back(target.overlay->GetFace(i));
                    break;
                }
                const int32_t face = GetValue<int32_t>(stream);
                ZNFACE *f = face >= 0 ? target.overlay->GetFace(static_cast<DWORD>(face)) : nullptr;
                if (!f)
                    throw UndoFailure{};
                target.faces.push_back(f);
                break;
            }
            default:
                // Nothing of other categories is written, so nothing can follow them.
                throw UndoFailure{};
            }
            if (type == ZNUNDO_OVERLAYLOCKED && target.overlay) {
                const BYTE locked = GetValue<BYTE>(stream);
                if (apply)
                    target.overlay->m_AutoRebuild = locked;
            }
            for (ZNFACE *face : target.faces) {
                switch (type) {
                case ZNUNDO_ZBIAS:
                    if (face->m_ObjectType == ZNOBJECT_OVERLAYFACE) {
                        const BYTE bias = GetValue<BYTE>(stream);
                        if (apply)
                            face->m_FaceFlag = bias;
                    }
                    break;
                case ZNUNDO_TEXTURE: {
                    const int32_t position = GetValue<int32_t>(stream);
                    if (apply)
                        face->SetTexture(TextureAt(position));
                    break;
                }
                case ZNUNDO_TEXTUREPOS:
                case ZNUNDO_TEXTUREWRAP: {
                    const float u = GetValue<float>(stream), v = GetValue<float>(stream);
                    if (apply) {
                        (type == ZNUNDO_TEXTUREPOS ? face->m_UPos : face->m_UWrap) = u;
                        (type == ZNUNDO_TEXTUREPOS ? face->m_VPos : face->m_VWrap) = v;
                    }
                    break;
                }
                case ZNUNDO_TEXTUREROTATION: {
                    D3DXVECTOR4 rotation;
                    Get(stream, &rotation, 16);
                    if (apply)
                        face->m_Rotation = rotation;
                    break;
                }
                case ZNUNDO_TEXTUREMODE: {
                    const BYTE mode = GetValue<BYTE>(stream);
                    if (apply)
                        face->m_MappingMode = mode;
                    break;
                }
                case ZNUNDO_MATERIAL: {
                    const int32_t material = GetValue<int32_t>(stream);
                    if (apply)
                        face->SetMaterial(material);
                    break;
                }
                case ZNUNDO_FACESTYLE: {
                    const DWORD style = GetValue<DWORD>(stream);
                    if (apply)
                        face->m_Style = style;
                    break;
                }
                case ZNUNDO_ALPHAMODES: {
                    const int8_t source = GetValue<int8_t>(stream), destination = GetValue<int8_t>(stream);
                    if (apply) {
                        face->m_SrcBlend = source;
                        face->m_DestBlend = destination;
                    }
                    break;
                }
                case ZNUNDO_MAPPINGORIGIN: {
                    D3DXVECTOR3 origin;
                    Get(stream, &origin, 12);
                    if (apply)
                        face->m_MappingOrigin = origin;
                    break;
                }
                default:
                    break;
                }
            }
            if (type == ZNUNDO_TEXTURECOORDS)
                for (ZNVERTEX *v : target.vertices) {
                    const float u = GetValue<float>(stream), t = GetValue<float>(stream);
                    if (apply) {
                        v->tu = u;
                        v->tv = t;
                    }
                }
            if (type == ZNUNDO_FLAGS &&
                (category == ZNSELECT_BRUSH || category == ZNSELECT_ENTITY || category == ZNSELECT_OVERLAY)) {
                const DWORD flags = GetValue<DWORD>(stream);
                if (apply && target.brush)
                    target.brush->m_Flags = flags;
                else if (apply && target.entity)
                    target.entity->m_Flags = flags;
                else if (apply && target.overlay)
                    target.overlay->m_Flags = flags;
            }
            const bool remaps = (type >= ZNUNDO_TEXTURE && type <= ZNUNDO_TEXTUREMODE) || type == ZNUNDO_MAPPINGORIGIN;
            if (apply && remaps && target.brush)
                target.brush->CalculateWorldTextureCoords();
            else if (apply && remaps && target.overlay)
                target.overlay->CalculateWorldTextureCoords();
        }
    }
    if (m_Shell)
        m_Shell->RefreshActivePage();
}
