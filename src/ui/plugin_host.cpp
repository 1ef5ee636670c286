#include "ui/plugin_host.h"

#include "app/editor_app.h"
#include "platform/gdi/font.h"

CZNPluginHost::CZNPluginHost(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PluginHost"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    if (CZNFont *font = GetEditorApp()->GetLabelFont(); font && font->IsCreated())
        setFont(font->GetQFont());
}

int CZNPluginHost::CreateControls(PFNCREATECONTROLS create)
{
    return create ? create(this, nullptr, GetEditorApp()->GetLabelFont()) : 0;
}

LRESULT CZNPluginHost::RouteCommand(QWidget *control, WPARAM wParam, LPARAM lParam)
{
    for (QWidget *widget = control ? control->parentWidget() : nullptr; widget; widget = widget->parentWidget())
        if (auto *host = qobject_cast<CZNPluginHost *>(widget))
            return host->OnCommand(wParam, lParam);
    return 0;
}
