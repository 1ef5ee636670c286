#pragma once

// IZNPointerHost: what a view asks of the window that hands it mouse input: the cursor's shape
// and visibility, mouse capture and moving the cursor. The 3D view's widget implements it; tests
// record the calls. Every call may be refused by the platform; only WarpCursor says so.
#include "platform/os/view_window.h"
#include "platform/os/win_types.h"

// The views share one set of cursor ids; the 3D view uses the arrow and the placement cursor.
using ZNCURSORSHAPE = ZNCURSORID;

class IZNPointerHost
{
public:
    virtual ~IZNPointerHost() = default;

    virtual void SetCursorShape(ZNCURSORSHAPE shape) = 0;
    // A hidden cursor stays hidden whatever shape is set, until shown again.
    virtual void ShowCursor(bool show) = 0;
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    // Moves the cursor to a point of the client area; false where the platform does not allow it.
    virtual bool WarpCursor(POINT client) = 0;
};
