#pragma once

// CZNOptionsBar: the "Options" dock at the main window's right edge, holding the options sheet at
// (5, 5); never narrower than the sheet, so it opens wide enough to show it whole. Its four entry
// points keep the panel in step with the editor: each is a no-op for a page that is not active,
// except RefreshPrefabs.
#include <QDockWidget>

class CZNOptionsSheet;
class CZNScenePage;

class CZNOptionsBar : public QDockWidget
{
    Q_OBJECT

public:
    explicit CZNOptionsBar(QWidget *parent);

    CZNOptionsSheet *GetSheet() const { return m_Sheet; }

    // The active page is refreshed from the selection.
    void RefreshActivePage();
    // With the Scene page active, its tree is rebuilt from the document.
    void RebuildSceneTree();
    // With the Scene page active, its check boxes follow the selection.
    void UpdateSceneTree();
    // The Prefabs page reloads its categories and list, active or not.
    void RefreshPrefabs();

private:
    // Runs the step on the Scene page, with the tree's drawing off, when that page is active.
    void OnActiveScenePage(void (CZNScenePage::*step)());

    CZNOptionsSheet *m_Sheet;
};
