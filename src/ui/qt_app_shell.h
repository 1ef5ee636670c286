#pragma once

// CZNQtAppShell: the windowed shell that start-up drives. It owns the document, the main frame
// and the splash window it creates over the frame (the frame's child, so it always goes first),
// and destroys the frame and document in DestroyWindows, which main calls before the
// application object lets go of the device and plug-ins. It also owns the device's OpenGL
// context, which stays current on the user-interface thread until the shell is destroyed, after
// the device is released.
#include <memory>

#include "app/app_shell.h"

class CZNEDITORDoc;
class CZNMainFrame;
class CZNOffscreenGLContext;
class CZNQtReporter;
class CZNSplashDlg;

class CZNQtAppShell : public IZNAppShell
{
public:
    explicit CZNQtAppShell(CZNQtReporter *reporter);
    ~CZNQtAppShell() override;

    void LoadCursors() override;
    BOOL CreateMainFrame() override;
    void ShowMainFrame() override;
    BOOL CreateOptionsBar() override;
    IZNSplashProgress *CreateSplash() override;
    void DestroySplash() override;
    HWND Get3DViewWindow() override;
    BOOL OpenDocumentFile(const char *path) override;
    void UpdateAllViews() override;
    void RebuildSceneTree() override;
    void ReturnToSelectMode() override;
    // The plug-in host holding control runs the command; needs no main frame.
    LRESULT HostCommand(QWidget *control, WPARAM wParam, LPARAM lParam) override;

    CZNMainFrame *GetMainFrame() const { return m_Frame.get(); }
    // Closes the frame and deletes the document (the views leave the document first).
    void DestroyWindows();

private:
    CZNQtReporter *m_Reporter;
    std::unique_ptr<CZNEDITORDoc> m_Document;
    std::unique_ptr<CZNMainFrame> m_Frame;
    std::unique_ptr<CZNSplashDlg> m_Splash;
    std::unique_ptr<CZNOffscreenGLContext> m_GLContext;
};
