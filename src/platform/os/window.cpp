#include "platform/os/window.h"

CZNWindow::~CZNWindow() = default;

BOOL GetClientRect(HWND window, RECT *rect)
{
    if (!window || !rect)
        return FALSE;
    window->GetClientRect(rect);
    return TRUE;
}
