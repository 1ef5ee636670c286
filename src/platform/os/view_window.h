#pragma once

// IZNViewWindow: the window a GUI-free 2D view paints into and reads the mouse through. The shell's
// 2D view widget implements it; tests fake it. The view never owns its window. Positions named
// "screen" are desktop pixels; the client area starts at (0, 0).
#include "platform/export.h"
#include "platform/math/d3dx_math.h"
#include "platform/os/win_types.h"

class QImage;

// Cursors a view asks its window for: the system's shapes, and the program's own (200 the
// rotation arrow, 201 handle mode 2, 202 the placement cursor).
enum ZNCURSORID : int {
    ZNCURSOR_ARROW = 0,
    ZNCURSOR_SIZENS = 1,   // north-south
    ZNCURSOR_SIZEWE = 2,   // west-east
    ZNCURSOR_SIZENWSE = 3, // north-west/south-east
    ZNCURSOR_SIZENESW = 4, // north-east/south-west
    ZNCURSOR_SIZEALL = 5,  // four-way move
    ZNCURSOR_ROTATE = 200,
    ZNCURSOR_HANDLE2 = 201,
    ZNCURSOR_PLACE = 202,
};

class ZN_API IZNViewWindow
{
public:
    virtual ~IZNViewWindow();

    // Client area in pixels; left and top are 0.
    virtual void GetClientRect(RECT *rect) const = 0;
    // The window's own picture, sized to the client area: a window context draws on it. Null
    // while the window has no area.
    virtual QImage *GetWindowImage() = 0;
    // Shows the picture as it now stands.
    virtual void ShowWindowImage() = 0;
    // The cursor shown over the window; unknown ids show the arrow.
    virtual void SetCursorById(int id) = 0;
    // The mouse position on the desktop, and the client position of a desktop position.
    virtual POINT GetCursorPos() const = 0;
    virtual POINT ScreenToClient(POINT screen) const = 0;
    // Moves the mouse; FALSE where the platform does not let programs move it.
    virtual BOOL SetCursorPos(int x, int y) = 0;
    // Width and height of the desktop the window is on.
    virtual SIZE GetDesktopSize() const = 0;
    // The world position under the mouse, for the status bar.
    virtual void ShowStatusPosition(const D3DXVECTOR3 &position) = 0;
};
