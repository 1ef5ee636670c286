// Imports an arbitrary byte image as a 3DS scene, silent and not (the reporter answers with its
// default buttons); every load is followed by Clear(0x7FFF). A hostile image may only end in a
// thrown code, with nothing leaked and no material of the shared list freed.
#include <cstddef>
#include <cstdint>

#include "app/editor_app.h"
#include "fileio/3ds_import.h"
#include "fileio/memory_stream_io.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    static CZNRecordingReporter reporter;
    reporter.Clear();
    GetEditorApp()->SetReporter(&reporter);
    static uint8_t empty = 0;
    void *block = size ? const_cast<uint8_t *>(data) : &empty;

    for (bool silent : {true, false}) {
        CZNMemoryStreamIO stream(block, static_cast<DWORD>(size), ZNSTREAM_READ, false);
        CZN3DSImport scene;
        try {
            scene.Load(stream, silent);
        } catch (LONG) {
        }
        scene.Clear(0x7FFF);
    }
    // Materials a non-silent import appended belong to the shared list; drop them between inputs.
    GetEditorApp()->Get3D()->TrimMaterialList();
    GetEditorApp()->SetReporter(nullptr);
    return 0;
}
