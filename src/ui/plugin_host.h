#pragma once

// CZNPluginHost: the base of the two plug-in host windows, the plain child widget of the
// Primitives or Entities page in which the active plug-in makes its controls. It is filled with
// the palette's window colour and has the editor's label font (when there is one), which the
// plug-in's widgets inherit. It owns those widgets as their Qt parent. Commands from them
// (TOVRA_HostCommand) reach the host that holds them through RouteCommand; Message and Notify
// are never called, so every change reaches the plug-in as a command.
#include <QWidget>

#include "sdk/plugin_types.h"

class CZNPluginHost : public QWidget
{
    Q_OBJECT

public:
    // Asks the plug-in for its controls, when it has create, with this widget, a null instance
    // and the label font; returns their height in pixels, 0 without create.
    int CreateControls(PFNCREATECONTROLS create);
    // The command of a control in this host; the plug-in's result, 0 when it has no Command.
    virtual LRESULT OnCommand(WPARAM wParam, LPARAM lParam) = 0;

    // Runs the command in the host holding control (an ancestor of it); 0 when there is none.
    static LRESULT RouteCommand(QWidget *control, WPARAM wParam, LPARAM lParam);

protected:
    explicit CZNPluginHost(QWidget *parent);
};
