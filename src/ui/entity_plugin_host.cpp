#include "ui/entity_plugin_host.h"

#include "app/editor_app.h"
#include "app/entity_plugin_manager.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "scene/container.h"
#include "scene/entity.h"

CZNEntityPluginHost::CZNEntityPluginHost(QWidget *parent) : CZNPluginHost(parent) {}

LRESULT CZNEntityPluginHost::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CZNEDITORApp *app = GetEditorApp();
    CZNEntityPluginManager *plugins = app->GetEntityPluginManager();
    if (!plugins->m_Command)
        return 0;
    CZNCONTAINER selected;
    app->GetSelectionBand()->GetSelectedEntities(&selected);
    const DWORD count = selected.GetElementCount();
    for (DWORD i = 0; i < count; ++i)
        static_cast<CZNEntity *>(selected.GetElement(i))->ApplyLight(0);
    int32_t redraw = 0;
    const LRESULT result = plugins->m_Command(wParam, lParam, &redraw);
    for (DWORD i = 0; i < count; ++i)
        static_cast<CZNEntity *>(selected.GetElement(i))->ApplyLight(1);
    if (redraw != 0)
        if (CZNEDITORDoc *doc = app->GetDocument())
            doc->RedrawAllViews(nullptr, 0);
    return result;
}
