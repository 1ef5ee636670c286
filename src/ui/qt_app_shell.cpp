#include "ui/qt_app_shell.h"

#include <QCoreApplication>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/d3d9/offscreen_gl_context.h"
#include "platform/os/command_ids.h"
#include "render/direct3d.h"
#include "ui/3d_view_widget.h"
#include "ui/main_frame.h"
#include "ui/plugin_host.h"
#include "ui/qt_reporter.h"
#include "ui/splash_dlg.h"

CZNQtAppShell::CZNQtAppShell(CZNQtReporter *reporter) : m_Reporter(reporter) {}

CZNQtAppShell::~CZNQtAppShell()
{
    DestroyWindows();
}

void CZNQtAppShell::LoadCursors()
{
    // The view widgets load their own cursors from the program's Resources folder.
}

BOOL CZNQtAppShell::CreateMainFrame()
{
    // The Render Mode toolbar starts with Solid checked; the device starts in that mode, so the
    // button tells the truth.
    GetEditorApp()->Get3D()->SetRenderMode(3);
    m_Document = std::make_unique<CZNEDITORDoc>();
    m_Frame = std::make_unique<CZNMainFrame>(m_Document.get());
    if (m_Reporter)
        m_Reporter->SetParent(m_Frame.get());
    m_Document->OnNewDocument();
    m_Frame->resize(1024, 768);
    return TRUE;
}

void CZNQtAppShell::ShowMainFrame()
{
    if (!m_Frame)
        return;
    m_Frame->ShowWindowPlaced(SW_SHOWNORMAL);
    QCoreApplication::processEvents();
}

BOOL CZNQtAppShell::CreateOptionsBar()
{
    // The frame docks its options bar when it is made.
    return m_Frame && m_Frame->GetOptionsBar() ? TRUE : FALSE;
}

IZNSplashProgress *CZNQtAppShell::CreateSplash()
{
    // Over the main window, which is already shown: above it and its docks.
    m_Splash = std::make_unique<CZNSplashDlg>(m_Frame.get());
    m_Splash->show();
    m_Splash->raise();
    QCoreApplication::processEvents();
    return m_Splash.get();
}

void CZNQtAppShell::DestroySplash()
{
    m_Splash.reset();
}

HWND CZNQtAppShell::Get3DViewWindow()
{
    if (!m_Frame)
        return nullptr;
    // The device draws in its own framebuffer on an offscreen context; frames reach the widget
    // as images, so no window surface is involved.
    if (!m_GLContext) {
        m_GLContext = std::make_unique<CZNOffscreenGLContext>();
        if (!m_GLContext->Create()) {
            m_GLContext.reset();
            return nullptr;
        }
    }
    if (!m_GLContext->MakeCurrent())
        return nullptr;
    for (QWidget *child : m_Frame->findChildren<QWidget *>())
        if (auto *widget = dynamic_cast<CZN3DViewWidget *>(child))
            return widget;
    return nullptr;
}

BOOL CZNQtAppShell::OpenDocumentFile(const char *path)
{
    return m_Document && path ? m_Document->OpenDocumentFile(path) : FALSE;
}

void CZNQtAppShell::UpdateAllViews()
{
    if (m_Document)
        m_Document->RedrawAllViews(nullptr, 0);
    if (m_Frame)
        m_Frame->UpdateCommandUI();
}

void CZNQtAppShell::RebuildSceneTree()
{
    if (m_Frame)
        m_Frame->RebuildSceneTree();
}

void CZNQtAppShell::ReturnToSelectMode()
{
    // The Select command: the mode, its button and the options page saved before placement.
    if (m_Frame)
        m_Frame->RunCommand(ZNCMD_PLACE_SELECT);
    else
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
}

void CZNQtAppShell::DestroyWindows()
{
    if (m_Reporter)
        m_Reporter->SetParent(nullptr);
    m_Splash.reset();
    m_Frame.reset();
    m_Document.reset();
}

LRESULT CZNQtAppShell::HostCommand(QWidget *control, WPARAM wParam, LPARAM lParam)
{
    return CZNPluginHost::RouteCommand(control, wParam, lParam);
}
