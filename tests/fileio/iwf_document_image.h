#pragma once

// The IWF image of the whole current document, without thumbnail: tests compare it before and
// after an edit and its Undo.
#include "fileio/iwf_image.h"
#include "fileio/iwf_scene.h"
#include "fileio/memory_stream_io.h"

inline IwfBytes IwfDocumentImage()
{
    CZNMemoryStreamIO stream;
    stream.Open(nullptr, 0, ZNSTREAM_WRITE, false);
    CZNIWFScene scene;
    scene.SaveScene(stream, IWFSAVE_ALL & ~IWFSAVE_THUMBNAIL, nullptr);
    return IwfStreamBytes(stream);
}
