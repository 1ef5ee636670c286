#pragma once

// CZNMainFrame: the editor's main window. It holds the 2x2 pane grid (Top, Right, Front, 3D, in
// the document's view list in that order), the seven toolbars and the menus built from one
// action table, the status bar (position, grid, snap), the right-docked "Options" dock, and the
// global commands with their update rules. It is the document's shell: file dialogs, wait
// cursor, title and recent files. It owns the views and widgets; the document is the caller's
// and must outlive it. The placement is kept in "WinPos"/"Main"; a malformed value is ignored.
#include <QMainWindow>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/window_placement.h"
#include "editor/doc_shell.h"
#include "platform/os/win_types.h"
#include "ui/options_bar.h"

class CZN2DView;
class CZN2DViewTool;
class CZN3DView;
class CZN3DViewTool;
class CZNEDITORDoc;
class CZNView;
class CZNSplitterWnd;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QToolBar;

class CZNMainFrame : public QMainWindow, public IZNDocShell
{
    Q_OBJECT

public:
    explicit CZNMainFrame(CZNEDITORDoc *document, QWidget *parent = nullptr);
    ~CZNMainFrame() override;

    // The action of a command id; null for ids without one.
    QAction *GetAction(UINT id) const;
    // The toolbars in the order Main, Edit, Draw, CSG, Grouping, Snap, Render Mode.
    const std::vector<QToolBar *> &GetToolBars() const { return m_ToolBars; }
    CZNOptionsBar *GetOptionsBar() const { return m_OptionsBar; }
    CZNSplitterWnd *GetSplitter() const { return m_Splitter; }
    CZN3DView *Get3DView() const { return m_3DView.get(); }
    CZN2DView *Get2DView(int index) const { return m_2DViews[index].get(); }
    // The pane last focused (the 3D view's widget at first).
    QWidget *GetActivePane() const { return m_ActivePane; }

    // Runs the command as its menu item or button would, then the update rules.
    void RunCommand(UINT id);
    // Every update rule: enabled and checked states and the Undo item's text. Besides after each
    // command, it runs once the events of a batch have been handled when any of them was input
    // (a click, key or wheel anywhere in the program) or the editor asked for a panel refresh, so
    // buttons and shortcuts follow the selection, the modes and the undo list without a menu
    // being opened.
    void UpdateCommandUI();
    // Status panes: 0 the position (kept when null), 1 the grid, 2 the snap state.
    void UpdateStatusBar(const float *position);
    QString GetStatusText(int pane) const;

    // Placement: read at start-up, applied and shown; written when the window closes.
    bool ReadWindowPlacement(WINDOWPLACEMENT *placement) const;
    void WriteWindowPlacement(const WINDOWPLACEMENT &placement) const;
    void ShowWindowPlaced(int showCmd);
    void SaveWindowPlacement();

    // Replaces the file dialogs (tests answer with paths) and the help page opener, which returns
    // false when no browser could be started.
    void SetFileDialog(std::function<bool(ZNFILEDIALOG, std::string *)> dialog) { m_FileDialog = std::move(dialog); }
    void SetUrlOpener(std::function<bool(const QUrl &)> opener) { m_UrlOpener = std::move(opener); }
    // Replace the export dialog of As File and its options dialog (tests answer them).
    void SetExportDialog(std::function<bool(std::string *, int *)> dialog) { m_ExportDialog = std::move(dialog); }
    void SetExportOptionsDialog(std::function<bool(IWFEXPORTOPTIONS *)> dialog)
    {
        m_ExportOptionsDialog = std::move(dialog);
    }
    const std::vector<std::string> &GetRecentFiles() const { return m_RecentFiles; }

    // IZNDocShell
    bool AskFilePath(ZNFILEDIALOG kind, std::string *path) override;
    bool AskExportPath(std::string *path, int *fileType) override;
    bool EditExportOptions(IWFEXPORTOPTIONS *options) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void UpdateStatusBar() override { UpdateStatusBar(nullptr); }
    // The options panel's entry points (main_frame_options.cpp); each also brings the commands'
    // states up to date.
    void RebuildSceneTree() override;
    void RefreshMaterialList() override;
    void RefreshActivePage() override;
    void RefreshPrefabs() override;
    void UpdateSceneTree() override;
    void CheckRenderModeButton(UINT id) override;
    void DocumentChanged() override;
    void AddRecentFile(const std::string &path) override;
    // The view of the active pane: a 2D view or the 3D view.
    CZNView *GetActiveView() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Watches the application's input events for the update rules.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateActions();
    void CreateToolBars();
    void CreateMenus();
    void CreateClient();
    // The 3D view's widget (main_frame_3d.cpp: its cursor names clash with the 2D widget's).
    QWidget *Create3DPane();
    void FillRecentMenu();
    bool QtFileDialog(ZNFILEDIALOG kind, std::string *path);
    void CycleFocus(int step);
    void OnToggle(UINT id);
    // UpdateCommandUI once the current batch of events has been handled; requests coalesce.
    void ScheduleCommandUpdate();

    CZNEDITORDoc *m_Document;
    std::map<UINT, QAction *> m_Actions;
    std::vector<QToolBar *> m_ToolBars;
    std::vector<QActionGroup *> m_Groups;
    QMenu *m_RecentMenu = nullptr;
    CZNOptionsBar *m_OptionsBar = nullptr;
    // The page the first placement command left; -1 when none is saved.
    int m_SavedPage = -1;
    CZNSplitterWnd *m_Splitter = nullptr;
    // Each 2D view's input; declared first so that it outlives the view, which tells it when it goes.
    std::unique_ptr<CZN2DViewTool> m_2DTools[3];
    std::unique_ptr<CZN2DView> m_2DViews[3];
    // The tool behind the 3D view's input; it outlives the view.
    std::unique_ptr<CZN3DViewTool> m_3DTool;
    std::unique_ptr<CZN3DView> m_3DView;
    QWidget *m_Panes[4] = {};
    QWidget *m_ActivePane = nullptr;
    QLabel *m_StatusPanes[3] = {};
    std::string m_UndoText;
    std::vector<std::string> m_RecentFiles;
    std::function<bool(ZNFILEDIALOG, std::string *)> m_FileDialog;
    std::function<bool(const QUrl &)> m_UrlOpener;
    std::function<bool(std::string *, int *)> m_ExportDialog;
    std::function<bool(IWFEXPORTOPTIONS *)> m_ExportOptionsDialog;
    bool m_PlacementSaved = false;
    bool m_CommandUpdatePending = false;

    // Delete, the CSG commands and grouping (main_frame_selection.cpp): false for other ids.
    bool RunSelectionCommand(UINT id);
    void UpdateSelectionCommandUI();
    // A placement command shows its page of the options sheet; Select the page saved before
    // (main_frame_options.cpp).
    void SwitchPlacementPage(UINT id);
};
