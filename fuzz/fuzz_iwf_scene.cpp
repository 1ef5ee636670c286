// Loads an arbitrary byte image as an IWF scene: silent and not (the reporter answers with its
// default buttons), and as a thumbnail; every load is followed by Clear(0x7FFF). A hostile image
// may only end in a thrown code, and no material of the shared list may be freed.
#include <cstddef>
#include <cstdint>

#include "app/editor_app.h"
#include "fileio/iwf_scene.h"
#include "fileio/memory_stream_io.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    static CZNRecordingReporter reporter;
    reporter.Clear();
    GetEditorApp()->SetReporter(&reporter);
    static uint8_t empty = 0;
    void *block = size ? const_cast<uint8_t *>(data) : &empty;

    for (bool silent : {false, true}) {
        CZNMemoryStreamIO stream(block, static_cast<DWORD>(size), ZNSTREAM_READ, false);
        CZNIWFScene scene;
        try {
            scene.Load(stream, silent);
        } catch (LONG) {
        }
        scene.Clear(IWFSAVE_ALL);
    }
    {
        CZNMemoryStreamIO stream(block, static_cast<DWORD>(size), ZNSTREAM_READ, false);
        CZNImage image;
        CZNIWFScene scene;
        scene.LoadThumbnail(stream, &image);
        scene.Clear(IWFSAVE_ALL);
    }
    // Materials a non-silent load appended belong to the shared list; drop them between inputs.
    GetEditorApp()->Get3D()->TrimMaterialList();
    GetEditorApp()->SetReporter(nullptr);
    return 0;
}
