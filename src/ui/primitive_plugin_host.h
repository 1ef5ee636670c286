#pragma once

// CZNPrimitivePluginHost: the Primitives page's host of the active primitive plug-in's controls.
// Their commands go to the plug-in's Command.
#include "ui/plugin_host.h"

class CZNPrimitivePluginHost : public CZNPluginHost
{
    Q_OBJECT

public:
    explicit CZNPrimitivePluginHost(QWidget *parent);

    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
};
