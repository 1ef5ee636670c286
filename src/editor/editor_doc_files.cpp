// The document's file commands: new, open, save and save as, import, and the workers that read
// and write scene files, with the editor options a scene file carries.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/doc_shell.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "editor/wait_cursor.h"
#include "fileio/atomic_save.h"
#include "fileio/editor_option_bits.h"
#include "fileio/file_stream_io.h"
#include "fileio/iwf_export_options.h"
#include "fileio/iwf_scene.h"
#include "fileio/scene_readers.h"
#include "fileio/x_scene.h"
#include "platform/os/reporter.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/image/image.h"
#include "scene/bbox.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/material.h"
#include "scene/overlay.h"
#include "scene/selection_entry.h"

namespace
{
constexpr char kCaption[] = "TOVRA";
constexpr char kCannotRead[] =
    "Cannot open file for reading, either the file does not exist or access has been denied.";
constexpr char kNotValid[] = "The specified file is not of a valid or currently supported type.";
constexpr char kCannotLoad[] = "Unable to read scene from the specified file. The file may not be of a valid type.";
constexpr char kCannotCreate[] = "Cannot open file for writing, access has been denied.";
constexpr char kCannotWrite[] = "Unable to write scene to the specified file.";
constexpr char kAppTitle[] = "TOVRA v1.5";

void Report(const char *text, unsigned type = MB_OK)
{
    GetEditorApp()->GetReporter()->Message(text, kCaption, type);
}

using WaitCursor = CZNWaitCursor;

// The file type last chosen in the export dialog in this run (1 IWF, 2 DirectX).
int g_ExportType = 1;

void MergePoint(ZNBBOX &box, const D3DXVECTOR3 &p)
{
    box.Min.x = std::fmin(box.Min.x, p.x);
    box.Min.y = std::fmin(box.Min.y, p.y);
    box.Min.z = std::fmin(box.Min.z, p.z);
    box.Max.x = std::fmax(box.Max.x, p.x);
    box.Max.y = std::fmax(box.Max.y, p.y);
    box.Max.z = std::fmax(box.Max.z, p.z);
}
} // namespace

void CZNEDITORDoc::SetPathName(const std::string &path)
{
    m_PathName = path;
    if (m_Shell)
        m_Shell->DocumentChanged();
}

void CZNEDITORDoc::SetModifiedFlag(BOOL modified)
{
    const BOOL flag = modified ? TRUE : FALSE;
    if (flag == m_Modified)
        return;
    m_Modified = flag;
    if (m_Shell)
        m_Shell->DocumentChanged();
}

std::string CZNEDITORDoc::GetTitle() const
{
    if (m_PathName.empty())
        return "Untitled";
    return std::filesystem::path(m_PathName).filename().string();
}

std::string CZNEDITORDoc::GetFrameTitle() const
{
    return GetTitle() + " - " + kAppTitle;
}

BOOL CZNEDITORDoc::OnNewDocument()
{
    DeleteContents();
    m_CursorPoint = D3DXVECTOR3(50.0f, 50.0f, 50.0f);
    ApplySceneLightColour();
    SetModifiedFlag(FALSE);
    if (m_Shell && GetEditorApp()->IsInitialized()) {
        m_Shell->RebuildSceneTree();
        m_Shell->RefreshMaterialList();
    }
    RedrawAllViews(nullptr, 0);
    return TRUE;
}

BOOL CZNEDITORDoc::OnOpenDocument(const char *path)
{
    const int result = ImportScene(path, nullptr, FALSE);
    if (result)
        SetModifiedFlag(FALSE);
    if (m_Shell && GetEditorApp()->IsInitialized())
        m_Shell->RebuildSceneTree();
    return result;
}

BOOL CZNEDITORDoc::OnSaveDocument(const char *path)
{
    const int result = ExportScene(path, nullptr, nullptr, 1);
    if (result)
        SetModifiedFlag(FALSE);
    return result;
}

BOOL CZNEDITORDoc::SaveModified()
{
    if (!m_Modified)
        return TRUE;
    const std::string question = "Save changes to " + GetTitle() + "?";
    switch (GetEditorApp()->GetReporter()->Message(question, kCaption, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL:
        return FALSE;
    case IDYES:
        return DoFileSave();
    default:
        return TRUE;
    }
}

BOOL CZNEDITORDoc::DoFileNew()
{
    if (!SaveModified())
        return FALSE;
    OnNewDocument();
    SetPathName(std::string());
    return TRUE;
}

BOOL CZNEDITORDoc::OnFileOpen()
{
    std::string path;
    if (!m_Shell || !m_Shell->AskFilePath(ZNFILEDLG_OPEN, &path) || path.empty())
        return FALSE;
    return OpenDocumentFile(path.c_str());
}

BOOL CZNEDITORDoc::OpenDocumentFile(const char *path)
{
    if (!path || !SaveModified())
        return FALSE;
    if (!OnOpenDocument(path))
        return FALSE;
    SetPathName(path);
    if (m_Shell)
        m_Shell->AddRecentFile(path);
    return TRUE;
}

BOOL CZNEDITORDoc::DoFileSave()
{
    if (m_PathName.empty())
        return DoSaveAs();
    const std::string path = m_PathName;
    return OnSaveDocument(path.c_str());
}

BOOL CZNEDITORDoc::DoSaveAs()
{
    std::string path;
    if (!m_Shell || !m_Shell->AskFilePath(ZNFILEDLG_SAVE_AS, &path) || path.empty())
        return FALSE;
    if (!std::filesystem::path(path).has_extension())
        path += ".iwf";
    if (!OnSaveDocument(path.c_str()))
        return FALSE;
    SetPathName(path);
    if (m_Shell)
        m_Shell->AddRecentFile(path);
    return TRUE;
}

void CZNEDITORDoc::OnFileImport()
{
    const int answer = GetEditorApp()->GetReporter()->Message("Do you wish to clear the currently loaded scene?",
                                                              kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return;
    const bool replace = answer == IDYES;
    // A replaced scene is no longer the file it came from: Save asks for a name rather than
    // write the imported model over that file.
    if (ImportScene(nullptr, nullptr, replace ? FALSE : TRUE) && replace)
        SetPathName(std::string());
    if (m_Shell)
        m_Shell->RebuildSceneTree();
}

int CZNEDITORDoc::ImportScene(const char *path, const D3DXVECTOR3 *placement, BOOL import)
{
    std::string chosen;
    if (!path) {
        if (!m_Shell || !m_Shell->AskFilePath(ZNFILEDLG_IMPORT, &chosen) || chosen.empty())
            return 0;
        path = chosen.c_str();
    }
    std::error_code error;
    CZNFileStreamIO stream;
    if (std::filesystem::is_directory(path, error) || !stream.Open(path, ZNSTREAM_READ)) {
        Report(kCannotRead);
        return 0;
    }
    std::unique_ptr<CZNSceneFile> reader = ZnPickSceneReader(stream);
    if (!reader) {
        Report(kNotValid);
        return 0;
    }

    // The file is read into the reader's own lists beside the scene, which is replaced only once
    // the read has succeeded: a damaged file leaves the scene as it was. Meanwhile a replaced
    // scene's material records are set aside, so the reader meets the list as a cleared scene
    // leaves it.
    CZN3D *d3d = GetEditorApp()->Get3D();
    const std::vector<CZNMATERIAL *> sceneMaterials =
        import ? std::vector<CZNMATERIAL *>() : d3d->TakeMaterials(d3d->GetBuiltInMaterialCount());
    const DWORD firstRead = d3d->GetMaterialList()->GetElementCount();
    {
        WaitCursor wait(m_Shell);
        try {
            reader->Load(stream, false);
        } catch (LONG) {
            reader->Clear(IWFSAVE_ALL);
            reader = nullptr;
        } catch (const std::bad_alloc &) {
            reader->Clear(IWFSAVE_ALL);
            reader = nullptr;
        }
        if (reader && !import) {
            // The old scene goes with its own records in their places; the file's records then
            // take the same places they had while it was read.
            const std::vector<CZNMATERIAL *> fileMaterials = d3d->TakeMaterials(firstRead);
            d3d->PutBackMaterials(sceneMaterials);
            DeleteContents();
            d3d->PutBackMaterials(fileMaterials);
        }
    }
    if (!reader) {
        for (CZNMATERIAL *material : d3d->TakeMaterials(firstRead))
            delete material;
        d3d->PutBackMaterials(sceneMaterials);
        Report(kCannotLoad);
        RedrawAllViews(nullptr, 0);
        return 0;
    }

    // The document takes over every object; an import collects an entry for each, in order.
    std::vector<ZNSELECTIONENTRY> entries;
    ZNBBOX bounds{{9999999.0f, 9999999.0f, 9999999.0f}, {-9999999.0f, -9999999.0f, -9999999.0f}};
    auto collect = [&](BYTE objectType, const void *object) {
        if (!import)
            return;
        ZNSELECTIONENTRY entry{};
        entry.Type = MapObjectTypeToCategory(objectType);
        entry.Object = reinterpret_cast<uintptr_t>(object);
        entries.push_back(entry);
    };
    for (ZNBRUSH *brush : reader->m_Brushes) {
        AppendBrush(brush);
        collect(brush->m_ObjectType, brush);
        if (placement) {
            const ZNBBOX box = brush->GetBoundingBox(1);
            MergePoint(bounds, box.Min);
            MergePoint(bounds, box.Max);
        }
    }
    for (CZNOverlay *overlay : reader->m_Overlays) {
        AppendOverlay(overlay);
        collect(overlay->m_ObjectType, overlay);
        if (placement) {
            const ZNBBOX box = overlay->GetBounds(1);
            MergePoint(bounds, box.Min);
            MergePoint(bounds, box.Max);
        }
    }
    for (CZNEntity *entity : reader->m_Entities) {
        AppendEntity(entity);
        collect(entity->m_ObjectType, entity);
        if (placement) {
            D3DXVECTOR3 position;
            entity->GetPosition(&position);
            MergePoint(bounds, position);
        }
    }
    if (placement && !(reader->m_Brushes.empty() && reader->m_Overlays.empty() && reader->m_Entities.empty())) {
        D3DXVECTOR3 offset((bounds.Min.x + bounds.Max.x) * 0.5f, (bounds.Min.y + bounds.Max.y) * 0.5f,
                           (bounds.Min.z + bounds.Max.z) * 0.5f);
        offset = *placement - offset;
        for (ZNBRUSH *brush : reader->m_Brushes)
            brush->MoveBrush(&offset, 0);
        for (CZNOverlay *overlay : reader->m_Overlays)
            overlay->Move(&offset, 0);
        for (CZNEntity *entity : reader->m_Entities)
            entity->Move(&offset, 0);
    }
    if (m_Shell)
        m_Shell->RefreshMaterialList();
    if (!import && reader->m_EditorOptionsPresent)
        ApplyEditorOptions(reader->m_EditorOptions);
    if (import) {
        CZNUndoLevel level(this, "Import Objects");
        level.Record(ZNUNDO_ADD, entries, 0);
        level.Commit();
    }
    reader->FreeLists();
    if (m_Shell)
        m_Shell->UpdateStatusBar();
    RedrawAllViews(nullptr, 0);
    SetModifiedFlag(TRUE);
    return 1;
}

int CZNEDITORDoc::ExportScene(const char *path, const std::vector<ZNSELECTIONENTRY> *entries,
                              const IWFEXPORTOPTIONS *options, int fileType)
{
    std::string chosen;
    IWFEXPORTOPTIONS edited;
    if (!path) {
        int type = g_ExportType;
        if (!m_Shell || !m_Shell->AskExportPath(&chosen, &type) || chosen.empty() || (type != 1 && type != 2))
            return 0;
        g_ExportType = fileType = type;
        path = chosen.c_str();
        if (fileType == 1 && !options) {
            LoadIWFExportOptions(&edited);
            if (!m_Shell->EditExportOptions(&edited))
                return 0;
            options = &edited;
        }
    }
    if (fileType == 2) {
        // DirectX: the whole scene (every part) or the entries, written beside the target first.
        // The .X writer opens its own file: any failure is the writer's.
        CZNAtomicSave save(path);
        if (!save.IsReady()) {
            Report(kCannotWrite);
            return 0;
        }
        WaitCursor wait(m_Shell);
        CZNXScene scene;
        bool written = true;
        try {
            if (!entries)
                scene.ExportScene(save.GetTempPath().c_str(), 0x3F);
            else
                scene.ExportSelection(save.GetTempPath().c_str(), *entries, 0x3F);
        } catch (LONG) {
            written = false;
        } catch (const std::bad_alloc &) {
            written = false;
        }
        if (!written || !save.Commit()) {
            Report(kCannotWrite);
            return 0;
        }
        return 1;
    }
    if (fileType != 1)
        return 0;
    return WriteIWF(path, entries, options, kCannotWrite);
}

int CZNEDITORDoc::OnSaveSelectionAsIWF()
{
    const CZNSelectionBand *band = GetEditorApp()->GetSelectionBand();
    if (band->GetBandMode() == ZNBAND_EMPTY)
        return 0;
    std::vector<ZNSELECTIONENTRY> entries;
    band->GetEntries(entries);
    return ExportScene(nullptr, &entries, nullptr, 1);
}

int CZNEDITORDoc::WriteIWF(const char *path, const std::vector<ZNSELECTIONENTRY> *entries,
                           const IWFEXPORTOPTIONS *options, const char *failure)
{
    CZNAtomicSave save(path);
    CZNFileStreamIO stream;
    if (!save.OpenStream(stream)) {
        Report(kCannotCreate);
        return 0;
    }

    // With export options, option 0 alone decides: the writer renders its own thumbnail.
    std::unique_ptr<CZNImage> thumbnail = options ? nullptr : CZNIWFScene::RenderThumbnail();
    bool written = true;
    {
        WaitCursor wait(m_Shell);
        CZNIWFScene scene;
        try {
            if (!entries)
                scene.SaveScene(stream, IWFSAVE_ALL, thumbnail.get());
            else if (!options)
                scene.SaveObjects(stream, *entries, IWFSAVE_ALL, thumbnail.get());
            else
                scene.SaveObjectsWithOptions(stream, *entries, *options, thumbnail.get());
        } catch (LONG) {
            written = false;
        } catch (const std::bad_alloc &) {
            written = false;
        }
        scene.FreeLists();
    }
    written = written && save.Commit(stream);
    if (!written) {
        stream.Close();
        Report(failure);
        return 0;
    }
    return 1;
}

void CZNEDITORDoc::ApplyEditorOptions(const ZNEDITOROPTIONS &options)
{
    CZNEDITORApp *app = GetEditorApp();
    for (const ZNEDITOROPTIONBIT &entry : kEditorOptionBits)
        app->SetOptionWord(entry.word, (options.Flags & entry.bit) ? 1 : 0);

    CZN3D *d3d = app->Get3D();
    for (const ZNRENDERMODEBIT &entry : kRenderModeBits) {
        if (!(options.Flags & entry.bit))
            continue;
        d3d->SetRenderMode(entry.mode);
        if (m_Shell)
            m_Shell->CheckRenderModeButton(entry.button);
    }
    d3d->SetDefaultLighting((options.Flags & ZNEDOPT_DEFAULT_LIGHTING) ? 1 : 0);
    ApplySceneLightColour();

    app->SetOptionWord(21, static_cast<int32_t>(options.OptionWord21));
    app->SetOptionWord(20, static_cast<int32_t>(options.OptionWord20));

    // Word 11 of the block is the camera's selected flag, which a scene does not restore.
    CZNCAMERA *camera = d3d->GetCamera();
    D3DXVECTOR3 position = options.CameraPosition;
    D3DXVECTOR3 look = options.CameraLook;
    D3DXVECTOR3 up = options.CameraUp;
    D3DXVECTOR3 right;
    D3DXVec3Cross(&right, &up, &look);
    camera->SetPositionAndAxes(&position, &look, &up, &right, 0);
    if (options.Flags & ZNEDOPT_FIRST_PERSON) {
        app->Options().m_CameraMode = 1;
        // The pitch is the look vector's angle below the horizon, as turning builds it up.
        const float length = D3DXVec3Length(&look);
        const float sine = length > 0.0f ? std::fmax(-1.0f, std::fmin(1.0f, -look.y / length)) : 0.0f;
        camera->SetPitchTotal(std::asin(sine) * 180.0f / 3.14159265358979f);
    } else {
        app->Options().m_CameraMode = 0;
    }
    camera->UpdateViewMatrix();
    if (m_Shell)
        m_Shell->RefreshActivePage();
}

void CZNEDITORDoc::ApplySceneLightColour()
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    if (d3d->IsDefaultLighting()) {
        d3d->SetAmbientLight(CZN3D::kDefaultAmbient);
        return;
    }
    // The first ambient light entity gives the colour; without one it is 0.
    D3DCOLOR colour = 0;
    for (const CZNEntity *entity = GetEntityList(); entity; entity = entity->m_Next)
        if (entity->GetAmbientColour(&colour))
            break;
    d3d->SetAmbientLight(colour);
}
