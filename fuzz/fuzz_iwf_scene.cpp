// Loads an arbitrary byte image as an IWF scene: silent and not (the reporter answers with its
// default buttons), and as a thumbnail, which is then drawn; every load is followed by
// Clear(0x7FFF). A hostile image may only end in a thrown code, and no material of the shared
// list may be freed. Entity chunks reach the shipped entity plug-ins and the test-built ones that
// save their own form or use the string layout.
#include <cstddef>
#include <cstdint>

#include "app/editor_app.h"
#include "app/entity_plugin_manager.h"
#include "fileio/iwf_scene.h"
#include "fileio/memory_stream_io.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/dc.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/image/draw_paletted_image.h"
#include "render/image/image.h"

namespace
{

bool LoadEntityPlugins()
{
    CZNEntityPluginManager *manager = GetEditorApp()->GetEntityPluginManager();
    manager->LoadPlugins(nullptr, ZN_SHIPPED_PLUGIN_DIR "/Entities/", "*.so");
    for (const char *name : {"ent_io_a.so", "ent_io_b.so", "ent_string.so", "ent_protocol.so"})
        manager->LoadPlugins(nullptr, ZN_TEST_PLUGIN_DIR "/", name);
    return manager->GetPluginCount() > 0;
}

// A row of the open dialog's thumbnail list to draw on.
struct Canvas {
    Canvas()
    {
        dc.CreateCompatibleDC(nullptr);
        bitmap.CreateCompatibleBitmap(&dc, 128, 124);
        old = dc.SelectObject(&bitmap);
    }
    ~Canvas() { dc.SelectObject(old); }
    CZNDC dc;
    CZNBitmap bitmap;
    CZNBitmap *old = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0xFFFFFFFFu)
        return 0;
    static const bool pluginsLoaded = LoadEntityPlugins();
    (void)pluginsLoaded;
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
        // A thumbnail read is drawn as the open dialog's list draws it, plain and highlighted.
        if (scene.LoadThumbnail(stream, &image)) {
            static Canvas canvas;
            DrawPalettedImage(&canvas.dc, &image, 11, 15, 0, 0, false);
            DrawPalettedImage(&canvas.dc, &image, 11, 15, 0, 0, true);
        }
        scene.Clear(IWFSAVE_ALL);
    }
    // Materials a non-silent load appended belong to the shared list; drop them between inputs.
    GetEditorApp()->Get3D()->TrimMaterialList();
    GetEditorApp()->SetReporter(nullptr);
    return 0;
}
