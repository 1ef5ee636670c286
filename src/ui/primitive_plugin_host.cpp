#include "ui/primitive_plugin_host.h"

#include "app/editor_app.h"
#include "app/primitive_plugin_manager.h"

CZNPrimitivePluginHost::CZNPrimitivePluginHost(QWidget *parent) : CZNPluginHost(parent) {}

LRESULT CZNPrimitivePluginHost::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CZNPrimitivePluginManager *plugins = GetEditorApp()->GetPrimitivePluginManager();
    return plugins->m_Command ? plugins->m_Command(wParam, lParam) : 0;
}
