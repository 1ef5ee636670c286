// Pastes an arbitrary clipboard block into a fresh document through a memory clipboard. A block
// that does not paste may only fail with the message and leave the document empty, unmodified,
// without undo records and the material list as it was; one that pastes is one undo step that
// takes every pasted object away again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/os/memory_clipboard.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "scene/container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0xFFFFFF)
        return 0;
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
            if ((doc.GetBrushList() || doc.GetOverlayList()) && !doc.GetUndoList())
                std::abort();
            if (doc.GetUndoList() && (!doc.OnEditUndo() || doc.GetBrushList() || doc.GetOverlayList()))
                std::abort();
        } else if (doc.GetBrushList() || doc.GetOverlayList() || doc.GetUndoList() || doc.IsModified() ||
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
