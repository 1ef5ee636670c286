#pragma once

// A stand-in for the 3D view's widget as pointer host: records the cursor shape, visibility,
// capture and warps the view asks for, and lets the cursor be warped only when told to.
#include "platform/os/pointer_host.h"

class ZnRecordingPointerHost : public IZNPointerHost
{
public:
    void SetCursorShape(ZNCURSORSHAPE s) override { shape = s; }
    void ShowCursor(bool show) override { hidden = !show; }
    void SetCapture() override { captured = true; }
    void ReleaseCapture() override { captured = false; }
    bool WarpCursor(POINT client) override
    {
        if (!canWarp)
            return false;
        ++warps;
        warpedTo = client;
        return true;
    }
    ZNCURSORSHAPE shape = ZNCURSOR_ARROW;
    bool hidden = false, captured = false, canWarp = false;
    int warps = 0;
    POINT warpedTo = {};
};
