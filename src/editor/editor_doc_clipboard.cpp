// The document's clipboard commands (Copy, Paste) and Select All, with their enable rules.
// Clipboard data is outside data: its length word is checked against the block, and an image
// that does not read leaves the scene, the selection, the undo list and the material list as
// they were.
#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "fileio/iwf_scene.h"
#include "fileio/memory_stream_io.h"
#include "platform/os/byte_order.h"
#include "platform/os/clipboard.h"
#include "platform/os/command_ids.h"
#include "platform/os/reporter.h"
#include "render/direct3d.h"
#include "render/view/2d_view.h"
#include "scene/bbox.h"
#include "scene/brush.h"
#include "scene/container.h"
#include "scene/entity.h"
#include "scene/face.h"
#include "scene/material.h"
#include "scene/overlay.h"

namespace
{

constexpr char kCaption[] = "TOVRA";
constexpr char kCannotWrite[] = "Failed to write Clipboard data";
constexpr char kCannotOpen[] = "Cannot open the Clipboard";
constexpr char kCannotEmpty[] = "Cannot empty the Clipboard";
constexpr char kCannotSet[] = "Unable to set Clipboard data";
constexpr char kCannotGet[] = "Unable to get Clipboard data";
constexpr char kOneMaterial[] = "Info : 1 non-existant material utilised by the data stored within the clipboard\r\n"
                                "has been automatically added to the scene.";
constexpr char kManyMaterials[] = "Info : %i non-existant materials utilised by the data stored within the "
                                  "clipboard\r\nhave been automatically added to the scene.";

void Report(const char *text, unsigned type = MB_OK)
{
    GetEditorApp()->GetReporter()->Message(text, kCaption, type);
}

DWORD MaterialCount()
{
    return GetEditorApp()->Get3D()->GetMaterialList()->GetElementCount();
}

// Drops the unreferenced records a failed read appended to the shared material list.
void DropMaterialsFrom(DWORD count)
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    CZNCONTAINER *list = d3d->GetMaterialList();
    while (list->GetElementCount() > count) {
        CZNMATERIAL *material = d3d->GetMaterialRecord(list->GetElementCount() - 1);
        if (material && material->GetReferenceCount() > 0)
            return;
        list->RemoveElement(material);
        delete material;
    }
}

void Merge(ZNBBOX &bounds, const ZNBBOX &box)
{
    bounds.Min = D3DXVECTOR3(std::min(bounds.Min.x, box.Min.x), std::min(bounds.Min.y, box.Min.y),
                             std::min(bounds.Min.z, box.Min.z));
    bounds.Max = D3DXVECTOR3(std::max(bounds.Max.x, box.Max.x), std::max(bounds.Max.y, box.Max.y),
                             std::max(bounds.Max.z, box.Max.z));
}

ZNSELECTIONENTRY Entry(BYTE type, const void *object, DWORD face = 0, DWORD vertex = 0)
{
    ZNSELECTIONENTRY e;
    e.Type = type;
    e.Object = reinterpret_cast<uintptr_t>(object);
    e.Face = face;
    e.Vertex = vertex;
    return e;
}

// The image behind the length word of a clipboard block; false when the block is shorter than
// the word or the word promises more bytes than follow it.
bool ImageOfBlock(const std::vector<BYTE> &block, const BYTE **image, DWORD *length)
{
    if (block.size() < 4)
        return false;
    const DWORD n = ZnGetU32LE(block.data());
    if (n > block.size() - 4)
        return false;
    *image = block.data() + 4;
    *length = n;
    return true;
}

} // namespace

int CZNEDITORDoc::OnEditCopy()
{
    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    std::vector<ZNSELECTIONENTRY> entries;
    // Only whole objects go to the clipboard.
    if (band->GetBandMode() != ZNBAND_OBJECTS || !band->GetEntries(entries) || entries.empty())
        return 0;

    CZNMemoryStreamIO stream;
    if (!stream.Open(nullptr, 0, ZNSTREAM_WRITE, false))
        return 0;
    try {
        CZNIWFScene scene;
        scene.SaveObjects(stream, entries, IWFSAVE_ALL, nullptr);
    } catch (LONG) {
        Report(kCannotWrite);
        return 0;
    } catch (const std::bad_alloc &) {
        Report(kCannotWrite);
        return 0;
    }
    const int64_t length = stream.GetLength();
    if (length < 0 || length > 0xFFFFFFFBLL) {
        Report(kCannotWrite);
        return 0;
    }
    std::vector<BYTE> block(static_cast<size_t>(length) + 4);
    ZnPutU32LE(block.data(), static_cast<DWORD>(length));
    if (length)
        std::copy(stream.GetBuffer(), stream.GetBuffer() + length, block.begin() + 4);

    IZNClipboard *clipboard = GetClipboard();
    const UINT format = clipboard->RegisterFormat(kClipboardFormat);
    if (!clipboard->Open()) {
        Report(kCannotOpen);
        return 0;
    }
    if (!clipboard->Empty()) {
        Report(kCannotEmpty);
        clipboard->Close();
        return 0;
    }
    if (!clipboard->SetData(format, block)) {
        Report(kCannotSet);
        clipboard->Close();
        return 0;
    }
    clipboard->Close();
    return 1;
}

int CZNEDITORDoc::OnEditCut()
{
    // Nothing is removed unless the copy reached the clipboard.
    if (!OnEditCopy()) {
        if (m_Shell)
            m_Shell->RebuildSceneTree();
        return 0;
    }
    // Group records too, so that Undo brings the groups back with their objects.
    CZNUndoLevel level(this, "Cut Selected");
    level.RecordSelection(ZNUNDO_REMOVE, 1);
    GetEditorApp()->GetSelectionBand()->DeleteSelected();
    SetModifiedFlag(TRUE);
    level.Commit();
    if (m_Shell)
        m_Shell->RebuildSceneTree();
    return 1;
}

int CZNEDITORDoc::OnEditPaste()
{
    IZNClipboard *clipboard = GetClipboard();
    const UINT format = clipboard->RegisterFormat(kClipboardFormat);
    if (!clipboard->IsFormatAvailable(format))
        return 0;
    if (!clipboard->Open()) {
        Report(kCannotOpen);
        return 0;
    }
    std::vector<BYTE> block;
    const bool got = clipboard->GetData(format, &block);
    clipboard->Close();
    const BYTE *image = nullptr;
    DWORD length = 0;
    if (!got || !ImageOfBlock(block, &image, &length)) {
        Report(kCannotGet);
        return 0;
    }
    CZNMemoryStreamIO stream;
    if (!stream.Open(const_cast<BYTE *>(image), length, ZNSTREAM_READ, true)) {
        // An empty image, or no memory for the copy.
        Report(kCannotGet);
        return 0;
    }

    const DWORD materialsBefore = MaterialCount();
    CZNIWFScene scene;
    bool read = true;
    try {
        scene.Load(stream, false);
    } catch (LONG) {
        read = false;
    } catch (const std::bad_alloc &) {
        read = false;
    }
    if (!read) {
        scene.Clear(IWFSAVE_ALL);
        DropMaterialsFrom(materialsBefore);
        Report(kCannotGet);
        return 0;
    }
    const DWORD added = MaterialCount() - materialsBefore;
    if (added == 1) {
        Report(kOneMaterial, MB_ICONINFORMATION);
    } else if (added > 1) {
        char text[256];
        std::snprintf(text, sizeof text, kManyMaterials, static_cast<int>(added));
        Report(text, MB_ICONINFORMATION);
    }

    CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    band->Clear(1, 1);
    ZNBBOX bounds{{9999999.0f, 9999999.0f, 9999999.0f}, {-9999999.0f, -9999999.0f, -9999999.0f}};
    std::vector<ZNSELECTIONENTRY> undoEntries;
    for (ZNBRUSH *brush : scene.m_Brushes) {
        AppendBrush(brush);
        undoEntries.push_back(Entry(MapObjectTypeToCategory(brush->m_ObjectType), brush));
        const ZNSELECTIONENTRY e = Entry(ZNSELECT_BRUSH, brush);
        band->AddToSelection(&e, 1, 0);
        Merge(bounds, brush->GetBoundingBox(1));
    }
    for (CZNOverlay *overlay : scene.m_Overlays) {
        AppendOverlay(overlay);
        undoEntries.push_back(Entry(MapObjectTypeToCategory(overlay->m_ObjectType), overlay));
        const ZNSELECTIONENTRY e = Entry(ZNSELECT_OVERLAY, overlay);
        band->AddToSelection(&e, 1, 0);
        Merge(bounds, overlay->GetBounds(1));
    }
    for (CZNEntity *entity : scene.m_Entities) {
        AppendEntity(entity);
        undoEntries.push_back(Entry(MapObjectTypeToCategory(entity->m_ObjectType), entity));
        const ZNSELECTIONENTRY e = Entry(ZNSELECT_ENTITY, entity);
        band->AddToSelection(&e, 1, 0);
        D3DXVECTOR3 position;
        entity->GetPosition(&position);
        Merge(bounds, ZNBBOX{position, position});
    }

    // The target: the middle of the active 2D view on its two axes, the pasted centre's depth.
    const D3DXVECTOR3 centre = (bounds.Min + bounds.Max) * 0.5f;
    D3DXVECTOR3 target(0, 0, 0);
    CZNView *active = m_Shell ? m_Shell->GetActiveView() : nullptr;
    if (auto *view = dynamic_cast<CZN2DView *>(active); view && view->GetViewType() < ZNVIEWTYPE_3D) {
        view->ScreenToWorld(&target, static_cast<float>(view->GetClientWidth() / 2),
                            static_cast<float>(view->GetClientHeight() / 2), TRUE);
        const int depth = view->GetDepthAxis();
        (&target.x)[depth] = (&centre.x)[depth];
    }
    D3DXVECTOR3 offset = target - centre;
    for (ZNBRUSH *brush : scene.m_Brushes) {
        brush->MoveBrush(&offset, 0);
        brush->UpdateBoundingBox();
        brush->CalculateFaceCenterPoints();
    }
    for (CZNOverlay *overlay : scene.m_Overlays) {
        overlay->Move(&offset, 0);
        overlay->CalculateBoxPlanes();
    }
    for (CZNEntity *entity : scene.m_Entities)
        entity->Move(&offset, 0);
    scene.FreeLists();

    band->Update();
    band->SetPivot(band->GetCentre());
    // The record names the pasted objects by position, so it follows them.
    CZNUndoLevel level(this, "Paste Objects");
    level.Record(ZNUNDO_ADD, undoEntries, 0);
    level.Commit();
    if (m_Shell)
        m_Shell->RebuildSceneTree();
    if (m_Shell)
        m_Shell->RefreshMaterialList();
    SetModifiedFlag(TRUE);
    return 1;
}

int CZNEDITORDoc::OnEditSelectAll()
{
    CZNEDITORApp *app = GetEditorApp();
    CZNSelectionBand *band = app->GetSelectionBand();
    band->Clear(1, 1);
    auto add = [band](const ZNSELECTIONENTRY &e) { band->AddToSelection(&e, 1, 0); };
    switch (app->GetEditMode()) {
    case ZNEDITMODE_BRUSH:
        for (ZNBRUSH *brush = m_BrushList; brush; brush = brush->m_Next)
            add(Entry(ZNSELECT_BRUSH, brush));
        for (CZNOverlay *overlay = m_OverlayList; overlay; overlay = overlay->m_Next)
            add(Entry(ZNSELECT_OVERLAY, overlay));
        for (CZNEntity *entity = m_EntityList; entity; entity = entity->m_Next)
            add(Entry(ZNSELECT_ENTITY, entity));
        break;
    case ZNEDITMODE_FACE:
        for (ZNBRUSH *brush = m_BrushList; brush; brush = brush->m_Next)
            for (DWORD f = 0; f < brush->GetFaceCount(); ++f)
                add(Entry(ZNSELECT_FACE, brush, f));
        break;
    case ZNEDITMODE_OVERLAY:
        for (CZNOverlay *overlay = m_OverlayList; overlay; overlay = overlay->m_Next)
            for (DWORD f = 0; f < overlay->GetFaceCount(); ++f)
                add(Entry(ZNSELECT_OVERLAYFACE, overlay, f));
        break;
    case ZNEDITMODE_VERTEX:
        for (ZNBRUSH *brush = m_BrushList; brush; brush = brush->m_Next)
            for (DWORD f = 0; f < brush->GetFaceCount(); ++f)
                for (short v = 0; v < brush->GetFace(f)->GetVertexCount(); ++v)
                    add(Entry(ZNSELECT_VERTEX, brush, f, static_cast<DWORD>(v)));
        break;
    default:
        break;
    }
    band->SetPlacementFlag(0);
    if (m_Shell) {
        m_Shell->RefreshActivePage();
        m_Shell->UpdateSceneTree();
    }
    RedrawAllViews(nullptr, 0);
    return 1;
}

bool CZNEDITORDoc::IsClipboardCommandEnabled(UINT id) const
{
    CZNEDITORApp *app = GetEditorApp();
    switch (id) {
    case ZNCMD_EDIT_CUT:
    case ZNCMD_EDIT_COPY:
        return app->GetSelectionBand()->GetBandMode() == ZNBAND_OBJECTS;
    case ZNCMD_EDIT_PASTE: {
        IZNClipboard *clipboard = GetClipboard();
        return clipboard->IsFormatAvailable(clipboard->RegisterFormat(kClipboardFormat));
    }
    case ZNCMD_EDIT_SELECT_ALL:
        switch (app->GetEditMode()) {
        case ZNEDITMODE_BRUSH:
            return m_BrushList || m_OverlayList || m_EntityList;
        case ZNEDITMODE_FACE:
        case ZNEDITMODE_VERTEX:
            return m_BrushList != nullptr;
        case ZNEDITMODE_OVERLAY:
            return m_OverlayList != nullptr;
        }
        return false;
    default:
        return false;
    }
}
