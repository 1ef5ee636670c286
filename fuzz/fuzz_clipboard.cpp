// Pastes an arbitrary clipboard block into a fresh document through a memory clipboard. A block
// that does not paste may only fail with the message and leave the document empty, unmodified,
// without undo records and the material list as it was; one that pastes is one undo step that
// takes every pasted object away again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/editor_app.h"
#include "app/entity_plugin_manager.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/os/memory_clipboard.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "scene/container.h"

namespace
{

// Pasted entities are read through the shipped entity plug-ins.
bool LoadEntityPlugins()
{
    CZNEntityPluginManager *manager = GetEditorApp()->GetEntityPluginManager();
    manager->LoadPlugins(nullptr, ZN_SHIPPED_PLUGIN_DIR "/Entities/", "*.so");
    return manager->GetPluginCount() > 0;
}

bool HasObjects(const CZNEDITORDoc &doc)
{
    return doc.GetBrushList() || doc.GetOverlayList() || doc.GetEntityList();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0xFFFFFF)
        return 0;
    static const bool pluginsLoaded = LoadEntityPlugins();
    (void)pluginsLoaded;
    static CZNRecordingReporter reporter;
    static CZNMemoryClipboard clipboard;
    reporter.Clear();
    GetEditorApp()->SetReporter(&reporter);
    SetClipboard(&clipboard);
    clipboard.Put(clipboard.RegisterFormat(CZNEDITORDoc::kClipboardFormat), std::vector<BYTE>(data, data + size));
    CZN3D *d3d = GetEditorApp()->Get3D();
    const DWORD materials = d3d->GetMaterialList()->GetElementCount();
    {
        CZNEDITORDoc doc;
        if (doc.OnEditPaste()) {
            if (!doc.IsModified())
                std::abort();
            if (HasObjects(doc) && !doc.GetUndoList())
                std::abort();
            if (doc.GetUndoList() && (!doc.OnEditUndo() || HasObjects(doc)))
                std::abort();
        } else if (HasObjects(doc) || doc.GetUndoList() || doc.IsModified() ||
                   d3d->GetMaterialList()->GetElementCount() != materials || reporter.Entries().empty() ||
                   reporter.Entries().back().text != "Unable to get Clipboard data") {
            std::abort();
        }
        GetEditorApp()->GetSelectionBand()->Clear(0, 0);
        doc.DeleteContents();
    }
    d3d->TrimMaterialList();
    SetClipboard(nullptr);
    GetEditorApp()->SetReporter(nullptr);
    return 0;
}
