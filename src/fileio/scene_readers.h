#pragma once

// The scene-file readers tried by content, in order: IWF, 3DS, .X. A file's name never decides.
#include <memory>

#include "platform/export.h"

class CZNSceneFile;
class CZNStreamIO;

// The first reader that accepts the stream, with the stream back at its start; null when none
// does. A reader that cannot be allocated throws std::bad_alloc.
ZN_API std::unique_ptr<CZNSceneFile> ZnPickSceneReader(CZNStreamIO &stream);
