// The placement clicks of the 2D views' tool: the click gives the point, the application the
// active plug-in or prefab, and the document does the placing.
#include "app/editor_app.h"
#include "editor/2d_view_tool.h"
#include "editor/editor_doc.h"
#include "fileio/prefab.h"
#include "fileio/prefab_manager.h"
#include "render/view/2d_view.h"
#include "scene/geometry.h"

D3DXVECTOR3 CZN2DViewTool::PlacementPoint(CZN2DView *view, int x, int y)
{
    const CZNEDITORApp *app = GetEditorApp();
    D3DXVECTOR3 p;
    view->ScreenToWorld(&p, static_cast<float>(x), static_cast<float>(y), TRUE);
    return SnapVectorToGrid(p.x, p.y, p.z, app->GetGridSize(), app->Options().m_SnapToGrid);
}

void CZN2DViewTool::AddPrimitive(CZN2DView *view, int x, int y)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    PFNBUILDBRUSH build = nullptr;
    const char *name = nullptr;
    if (!document || !view || !app->GetActivePrimitive(&build, &name))
        return;
    if (document->PlacePrimitive(build, name, PlacementPoint(view, x, y), 6.0f * app->GetGridSize()))
        app->ReturnToSelectMode();
}

void CZN2DViewTool::AddOverlay(CZN2DView *view, int x, int y)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    // Back to select mode through the shell, so the toolbar and the saved options page follow.
    if (document && view && document->PlaceOverlay(PlacementPoint(view, x, y)))
        app->ReturnToSelectMode();
}

void CZN2DViewTool::AddEntity(CZN2DView *view, int x, int y)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    // No entity plug-in loaded (or none active): the click places nothing.
    const int index = app->GetActiveEntityPlugin();
    if (document && view && index >= 0 && document->PlaceEntity(index, PlacementPoint(view, x, y)))
        app->ReturnToSelectMode();
}

void CZN2DViewTool::PlacePrefab(CZN2DView *view, int x, int y)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    const CZNPrefabManager *prefabs = app->GetPrefabManager();
    const CZNPrefab *prefab = prefabs ? prefabs->GetCurrent() : nullptr;
    if (!document || !view || !prefab)
        return;
    document->PlacePrefab(prefab->GetPath(), PlacementPoint(view, x, y));
    app->ReturnToSelectMode();
}
