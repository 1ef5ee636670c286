// Undoes an arbitrary undo record in a scene of four boxes, two of them grouped. The first byte
// picks the record's type, the second its continuation flag, the rest is the record's image. A
// damaged record may only fail with the message and stay at the head, whole; a record that
// restores leaves the list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "scene/brush.h"
#include "scene/group.h"
#include "support/shapes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static constexpr DWORD kTypes[] = {1, 2, 3, 4, 7, 10, 11, 12, 14, 17, 40, 41, 42, 43, 44, 45, 60, 61, 62, 100, 111};
    if (size < 2 || size > 0xFFFFFF)
        return 0;
    static CZNRecordingReporter reporter;
    reporter.Clear();
    GetEditorApp()->SetReporter(&reporter);
    {
        CZNEDITORDoc doc;
        for (int k = 0; k < 4; ++k) {
            const float x = static_cast<float>(k) * 3;
            ZnBuildBox(*doc.NewBrush(), {x, 0, 0}, {x + 2, 2, 2});
        }
        auto *group = new CZNGROUP;
        group->AddChild(doc.GetObjectByIndex(1, 1));
        group->AddChild(doc.GetObjectByIndex(1, 3));

        auto *record = new ZNUNDORECORD;
        record->Type = kTypes[data[0] % (sizeof kTypes / sizeof kTypes[0])];
        record->Continuation = data[1] & 1;
        record->Size = static_cast<DWORD>(size - 2);
        record->Data = static_cast<BYTE *>(std::malloc(record->Size ? record->Size : 1));
        if (record->Size)
            std::memcpy(record->Data, data + 2, record->Size);
        doc.PushUndoRecord(record);
        if (doc.OnEditUndo()) {
            if (doc.GetUndoList())
                std::abort();
        } else if (doc.GetUndoList() != record || record->Size != size - 2 ||
                   (record->Size && std::memcmp(record->Data, data + 2, record->Size) != 0)) {
            std::abort();
        }
        GetEditorApp()->GetSelectionBand()->Clear(0, 0);
        doc.DeleteContents();
    }
    GetEditorApp()->Get3D()->TrimMaterialList();
    GetEditorApp()->SetReporter(nullptr);
    return 0;
}
