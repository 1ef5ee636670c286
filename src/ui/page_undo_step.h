#pragma once

// The undo step of an options-page edit: one undo level of the selection band's entries (the
// kind, without groups) named by the text, then the change, then the buffer's cap. A level that
// cannot be written does not stop the change. Without a document only the change runs.
#include <functional>

#include "platform/os/win_types.h"

class CZNSelectionBand;

void ZnPageUndoStep(DWORD kind, const char *text, const std::function<void(CZNSelectionBand *)> &change);
