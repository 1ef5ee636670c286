#pragma once

// IZNShellHooks: what the editor's commands ask of the shell besides message boxes: the wait
// cursor and the refreshes of the options panel. The shell implements it; without one (tests,
// tools) every request is simply skipped. Each call is a request and cannot fail.
#include "platform/export.h"

class ZN_API IZNShellHooks
{
public:
    virtual ~IZNShellHooks() = default;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // The options panel's current page shows the selection again.
    virtual void RefreshActivePage() = 0;
    // The options panel's scene tree is rebuilt from the document's lists.
    virtual void RebuildSceneTree() = 0;
    // The Faces page reloads its material list.
    virtual void RefreshMaterialList() = 0;
};
