// CZN2DView's prefab placement: the click imports the current prefab's file into the document.
#include "app/app_shell.h"
#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "fileio/prefab.h"
#include "fileio/prefab_manager.h"
#include "render/view/2d_view.h"
#include "scene/geometry.h"

void CZN2DView::PlacePrefab(int x, int y)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    const CZNPrefabManager *prefabs = app->GetPrefabManager();
    const CZNPrefab *prefab = prefabs ? prefabs->GetCurrent() : nullptr;
    if (!document || !prefab)
        return;
    D3DXVECTOR3 p;
    ScreenToWorld(&p, static_cast<float>(x), static_cast<float>(y), TRUE);
    p = SnapVectorToGrid(p.x, p.y, p.z, app->GetGridSize(), app->Options().m_SnapToGrid);
    // The import writes its own undo level and reports its own failures.
    document->ImportScene(prefab->GetPath(), &p, TRUE);
    document->RedrawAllViews(nullptr, 0);
    // Placement lasts one click.
    if (IZNAppShell *shell = app->GetShell())
        shell->ReturnToSelectMode();
    else
        app->SetPlacementMode(ZNPLACE_SELECT);
}
