#pragma once

// IZNDocShell: what the editor's commands need from the window around them besides message
// boxes: the file dialogs (tests answer them with paths), the wait cursor, and the panels and bars
// that follow an edit or a new scene. The main frame implements it and the document holds it;
// without one the dialogs count as cancelled and the rest is skipped. Every call but the dialog
// is a request and cannot fail.
#include <string>

#include "platform/export.h"
#include "platform/os/win_types.h"

class CZNView;
struct IWFEXPORTOPTIONS;

// The file dialogs of the document's commands.
enum ZNFILEDIALOG : int {
    ZNFILEDLG_OPEN = 0,    // File Open
    ZNFILEDLG_SAVE_AS = 1, // File Save As
    ZNFILEDLG_IMPORT = 2,  // File Import
    ZNFILEDLG_EXPORT = 3,  // Export Selected As File
    ZNFILEDLG_PREFAB = 4,  // Export Selected As Prefab
};

class ZN_API IZNDocShell
{
public:
    virtual ~IZNDocShell() = default;
    // The path chosen in the dialog of that kind; false when it was cancelled.
    virtual bool AskFilePath(ZNFILEDIALOG kind, std::string *path) = 0;
    // The export dialog of As File: *fileType is the type to preselect on entry and the chosen
    // type on return (1 IWF, 2 DirectX). By default the ZNFILEDLG_EXPORT dialog, type unchanged.
    virtual bool AskExportPath(std::string *path, int *fileType)
    {
        (void)fileType;
        return AskFilePath(ZNFILEDLG_EXPORT, path);
    }
    // The IWF export options dialog on options; false when it was not accepted, and options are
    // then as they were. By default accepted unchanged.
    virtual bool EditExportOptions(IWFEXPORTOPTIONS *options)
    {
        (void)options;
        return true;
    }
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // The grid and snap panes of the status bar.
    virtual void UpdateStatusBar() = 0;
    // The options panel: scene tree, material list and the active page; no-ops without it.
    virtual void RebuildSceneTree() = 0;
    virtual void RefreshMaterialList() = 0;
    virtual void RefreshActivePage() = 0;
    virtual void RefreshPrefabs() = 0;
    // Checks a button of the Render Mode toolbar.
    virtual void CheckRenderModeButton(UINT id) = 0;
    // The document's path or modified state changed: title and recent files follow.
    virtual void DocumentChanged() = 0;
    virtual void AddRecentFile(const std::string &path) = 0;
    // The view that last had the focus; null when none is known.
    virtual CZNView *GetActiveView() { return nullptr; }
    // The options panel's scene tree shows the selection again (a no-op without it).
    virtual void UpdateSceneTree() {}
};
