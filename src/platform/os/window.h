#pragma once

// The window a device presents its frames to. The 3D view's widget implements it; code outside
// the shell only sees this interface through an HWND.
#include "platform/export.h"
#include "platform/os/win_types.h"

class QImage;

class ZN_API CZNWindow
{
public:
    virtual ~CZNWindow();

    // Client area in pixels; left and top are 0.
    virtual void GetClientRect(RECT *rect) const = 0;
    // Shows a presented frame in the destination rectangle of the client area (null: all of it).
    virtual void PresentFrame(const QImage &frame, const RECT *destination) = 0;
};

// The client rectangle of a window; FALSE for a null window.
ZN_API BOOL GetClientRect(HWND window, RECT *rect);
