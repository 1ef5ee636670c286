#include "fileio/scene_readers.h"

#include "fileio/3ds_import.h"
#include "fileio/iwf_scene.h"
#include "fileio/stream_io.h"
#include "fileio/x_scene.h"

std::unique_ptr<CZNSceneFile> ZnPickSceneReader(CZNStreamIO &stream)
{
    std::unique_ptr<CZNSceneFile> readers[] = {std::make_unique<CZNIWFScene>(), std::make_unique<CZN3DSImport>(),
                                               std::make_unique<CZNXScene>()};
    for (std::unique_ptr<CZNSceneFile> &reader : readers) {
        stream.SeekTo(0);
        if (reader->IsValidFile(stream)) {
            stream.SeekTo(0);
            return std::move(reader);
        }
    }
    return nullptr;
}
