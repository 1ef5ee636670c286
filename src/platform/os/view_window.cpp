#include "platform/os/view_window.h"

IZNViewWindow::~IZNViewWindow() = default;
