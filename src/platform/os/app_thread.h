#pragma once

// The application's own thread: the one that runs the Qt event loop (and owns the device's GL
// context). ZnRunOnAppThread runs a task there and waits for it; at once when called there or
// when no Qt application exists.
#include <functional>

#include "platform/export.h"

ZN_API void ZnRunOnAppThread(const std::function<void()> &task);
