// CZN2DView's reach into the document: the 3D cursor it draws and drags, the brushes, overlays and
// entities it paints, the primitives (through the active primitive plug-in), entities (of the
// active entity plug-in) and overlays its clicks place,
// the redraw of every view after a crosshair drag or a key, and the selection band it shows.
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/app_shell.h"
#include "app/editor_app.h"
#include "app/entity_plugin_manager.h"
#include "app/primitive_plugin_manager.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_level.h"
#include "editor/undo_record.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/entity.h"
#include "scene/geometry.h"
#include "scene/overlay.h"
#include "scene/selection_entry.h"

namespace
{
// After a placement click: one undo level that adds the new object, then every view redrawn.
void RedrawAndRecordAdded(CZNEDITORDoc *document, ZNSELECTIONTYPE type, void *object, const char *description)
{
    std::vector<ZNSELECTIONENTRY> entries(1);
    entries[0].Type = type;
    entries[0].Object = reinterpret_cast<uintptr_t>(object);
    CZNUndoLevel level(document, description);
    level.Record(ZNUNDO_ADD, entries, 0);
    level.Commit();
}
} // namespace

bool CZN2DView::GetDocumentCursorPoint(D3DXVECTOR3 *point)
{
    const CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    if (!document)
        return false;
    *point = document->GetCursorPoint();
    return true;
}

void CZN2DView::SetDocumentCursorPoint(const D3DXVECTOR3 &point)
{
    if (CZNEDITORDoc *document = GetEditorApp()->GetDocument())
        document->SetCursorPoint(point);
}

ZNBRUSH *CZN2DView::DocumentBrushes()
{
    const CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    return document ? document->GetBrushList() : nullptr;
}

CZNOverlay *CZN2DView::DocumentOverlays()
{
    const CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    return document ? document->GetOverlayList() : nullptr;
}

CZNEntity *CZN2DView::DocumentEntities()
{
    const CZNEDITORDoc *document = GetEditorApp()->GetDocument();
    return document ? document->GetEntityList() : nullptr;
}

void CZN2DView::RedrawDocumentViews()
{
    if (CZNEDITORDoc *document = GetEditorApp()->GetDocument())
        document->RedrawAllViews(nullptr, 0);
}

void CZN2DView::DrawSelectionBand(CDC *dc)
{
    GetEditorApp()->GetSelectionBand()->Draw2D(dc, this);
}

void CZN2DView::AddPrimitive(int x, int y)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    CZNPrimitivePluginManager *plugins = app->GetPrimitivePluginManager();
    if (!document || !plugins || !plugins->m_BuildBrush)
        return;
    PRIMITIVEPLUGINRECORD *record = plugins->GetPlugin(plugins->GetActivePlugin());
    if (!record || !record->Info.Name)
        return;

    D3DXVECTOR3 p;
    ScreenToWorld(&p, static_cast<float>(x), static_cast<float>(y), TRUE);
    const float grid = app->GetGridSize();
    p = SnapVectorToGrid(p.x, p.y, p.z, grid, app->Options().m_SnapToGrid);
    ZNBRUSH *brush = plugins->m_BuildBrush(p, 6.0f * grid, 6.0f * grid, 6.0f * grid);
    if (!brush)
        return;
    if (!brush->Validate()) {
        document->DeleteBrush(brush);
        return;
    }
    brush->UpdateBoundingBox();
    brush->CalculateFaceNormals();
    brush->UpdateSharedFaceInfo();
    brush->CalculateVertexNormals(1);

    // Placement lasts one click.
    if (IZNAppShell *shell = app->GetShell())
        shell->ReturnToSelectMode();
    else
        app->SetPlacementMode(ZNPLACE_SELECT);

    char name[300];
    for (int n = 1;; ++n) {
        std::snprintf(name, sizeof name, "%s%02i", record->Info.Name, n);
        if (!document->FindObjectByName(name))
            break;
    }
    delete[] brush->m_Name;
    brush->m_Name = new char[std::strlen(name) + 1];
    std::strcpy(brush->m_Name, name);

    RedrawAndRecordAdded(document, ZNSELECT_BRUSH, brush, "Add Primitive");
}

void CZN2DView::AddOverlay(int x, int y)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    if (!document)
        return;
    D3DXVECTOR3 p;
    ScreenToWorld(&p, static_cast<float>(x), static_cast<float>(y), TRUE);
    p = SnapVectorToGrid(p.x, p.y, p.z, app->GetGridSize(), app->Options().m_SnapToGrid);
    CZNOverlay *overlay = document->NewOverlay(p);
    if (!overlay)
        return;
    // The face flag first, so that a build started by auto rebuild gives its faces that flag.
    const CZNOverlay *defaults = app->GetDefaultOverlay();
    overlay->SetFaceFlag(defaults->GetFaceFlag());
    overlay->SetAutoRebuildFlag(defaults->GetAutoRebuildFlag());
    char name[32];
    for (int n = 1;; ++n) {
        std::snprintf(name, sizeof name, "Overlay%02i", n);
        if (!document->FindObjectByName(name))
            break;
    }
    overlay->m_Name = new char[std::strlen(name) + 1];
    std::strcpy(overlay->m_Name, name);
    // Placement lasts one click.
    if (IZNAppShell *shell = app->GetShell())
        shell->ReturnToSelectMode();
    else
        app->SetPlacementMode(ZNPLACE_SELECT);
    RedrawAndRecordAdded(document, ZNSELECT_OVERLAY, overlay, "Add Overlay");
}

void CZN2DView::AddEntity(int x, int y)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEDITORDoc *document = app->GetDocument();
    CZNEntityPluginManager *plugins = app->GetEntityPluginManager();
    const int index = plugins ? plugins->GetActivePlugin() : -1;
    // No entity plug-in loaded (or none active): the click places nothing.
    if (!document || index < 0 || !plugins->GetPlugin(index))
        return;
    D3DXVECTOR3 p;
    ScreenToWorld(&p, static_cast<float>(x), static_cast<float>(y), TRUE);
    p = SnapVectorToGrid(p.x, p.y, p.z, app->GetGridSize(), app->Options().m_SnapToGrid);
    CZNEntity *entity = document->NewEntity(index, p.x, p.y, p.z);
    if (!entity)
        return;
    // Placement lasts one click.
    if (IZNAppShell *shell = app->GetShell())
        shell->ReturnToSelectMode();
    else
        app->SetPlacementMode(ZNPLACE_SELECT);
    RedrawAndRecordAdded(document, ZNSELECT_ENTITY, entity, "Add Entity");
}
