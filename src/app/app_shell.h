#pragma once

// IZNAppShell: what start-up and the application object need from the windowed shell. The main
// window implements it; tests fake it. The shell owns every window it creates; the application
// object only holds a pointer to the shell, from InitInstance until ReleaseInstance.
// Failures: the three creation calls return FALSE (or null) and start-up stops there; the other
// calls cannot fail, or their failures are ignored.
#include <functional>

#include "platform/export.h"
#include "platform/os/app_thread.h"
#include "platform/os/win_types.h"
#include "sdk/plugin_types.h"

class IZNSplashProgress;

class ZN_API IZNAppShell
{
public:
    virtual ~IZNAppShell() = default;

    // Loads the eleven cursors of the views, option pages and slider. Failures are ignored.
    virtual void LoadCursors() = 0;
    // Creates the main frame with its toolbars, status bar, splitter and views, and an empty
    // document (which stores itself in the application object). FALSE when it cannot.
    virtual BOOL CreateMainFrame() = 0;
    // Shows the main frame with its saved placement and updates it.
    virtual void ShowMainFrame() = 0;
    // Creates the options bar and gives it to the main frame. FALSE when it cannot.
    virtual BOOL CreateOptionsBar() = 0;
    // Creates and shows the modeless splash window; its progress bars, or null when it cannot be
    // created. The pointer stays valid until DestroySplash.
    virtual IZNSplashProgress *CreateSplash() = 0;
    // Closes the splash window, if any.
    virtual void DestroySplash() = 0;
    // The window of the 3D view, with its GL context made current, for the device to start on;
    // null when the main frame has no 3D pane.
    virtual HWND Get3DViewWindow() = 0;
    // Opens a scene file as the user's File/Open does (asks to save changes first); full path.
    virtual BOOL OpenDocumentFile(const char *path) = 0;
    // Redraws every view of the document.
    virtual void UpdateAllViews() = 0;
    // Rebuilds the options panel's scene tree when the main frame has its options bar.
    virtual void RebuildSceneTree() = 0;
    // Puts the editor back in select mode after a placement (toolbar button and mode together).
    virtual void ReturnToSelectMode() = 0;
    // Runs task on the UI thread and returns once it has run; called from a worker thread only.
    // By default the Qt application's thread serves it.
    virtual void RunOnUIThread(const std::function<void()> &task) { ZnRunOnAppThread(task); }
    // A plug-in widget's command (TOVRA_HostCommand): the host holding control runs it and
    // gives the plug-in's result; 0 when control is in no host.
    virtual LRESULT HostCommand(QWidget *control, WPARAM wParam, LPARAM lParam)
    {
        (void)control;
        (void)wParam;
        (void)lParam;
        return 0;
    }
};
