#pragma once

// IZNViewInput: the editing a view's input drives. A view does the navigation it owns (panning,
// zooming, the crosshair drag, camera moves, cursor wrapping) and hands every press, release,
// move and key to the input installed on it, which selects, drags and places. Points are client
// pixels of the view, flags the MK_* mouse flags or the KF_* key flags.
#include "platform/export.h"
#include "platform/os/point.h"
#include "platform/os/win_types.h"

class CZNView;

class ZN_API IZNViewInput
{
public:
    virtual ~IZNViewInput() = default;

    virtual void OnLButtonDown(CZNView *view, UINT flags, CPoint point) = 0;
    virtual void OnLButtonUp(CZNView *view, UINT flags, CPoint point) = 0;
    virtual void OnRButtonDown(CZNView *view, UINT flags, CPoint point) = 0;
    virtual void OnRButtonUp(CZNView *view, UINT flags, CPoint point) = 0;
    virtual void OnMouseMove(CZNView *view, UINT flags, CPoint point) = 0;
    virtual void OnKeyDown(CZNView *view, UINT key, UINT repeat, UINT flags) = 0;
    virtual void OnKeyUp(CZNView *view, UINT key, UINT repeat, UINT flags) = 0;
    // The cursor for what lies under the point (a handle of the selection, a placement).
    virtual void UpdateCursor(CZNView *view, UINT flags, CPoint point) = 0;
    // The view is going away (its destructor calls this): nothing may keep pointing at it.
    virtual void ForgetView(CZNView *) {}
};
