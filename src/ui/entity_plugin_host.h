#pragma once

// CZNEntityPluginHost: the Entities page's host of the active entity plug-in's controls. A
// command takes the selected entities out of the preview lighting, runs the plug-in's Command
// (which edits the blocks handed to it) and puts them back, so their lights show the new data;
// the views are redrawn when the plug-in sets its redraw flag. Command runs with nothing selected
// too (it then edits the template).
#include "ui/plugin_host.h"

class CZNEntityPluginHost : public CZNPluginHost
{
    Q_OBJECT

public:
    explicit CZNEntityPluginHost(QWidget *parent);

    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
};
