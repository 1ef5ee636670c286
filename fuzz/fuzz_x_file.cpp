// Loads an arbitrary byte image as a .X scene (text, binary or compressed, any float size):
// IsValidFile, then Load, then Clear of brushes and texture records. A hostile image may only
// end in a thrown code; materials the load appended to the shared list are dropped between
// inputs.
#include <cstddef>
#include <cstdint>

#include "app/editor_app.h"
#include "fileio/memory_stream_io.h"
#include "fileio/x_scene.h"
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

    CZNMemoryStreamIO stream(block, static_cast<DWORD>(size), ZNSTREAM_READ, false);
    CZNXScene scene;
    const bool valid = scene.IsValidFile(stream);
    try {
        scene.Load(stream, false);
        if (!valid || scene.m_Brushes.size() != 1)
            __builtin_trap();
    } catch (LONG) {
        if (valid)
            __builtin_trap();
    }
    scene.Clear(XSCENE_CLEAR_BRUSHES | XSCENE_CLEAR_TEXTURES);
    GetEditorApp()->Get3D()->TrimMaterialList();
    GetEditorApp()->SetReporter(nullptr);
    return 0;
}
