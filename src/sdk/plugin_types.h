#pragma once

// Types shared by the plug-in records and entry points. Plug-ins are built for this platform
// against these headers: handles, pointers and message parameters take a pointer's width.
#include <cstdint>

#include "platform/os/win_types.h"

class QWidget;

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// A plug-in's controls are Qt widgets. Their signals reach the plug-in's Command through
// TOVRA_HostCommand (host_api.h) with wParam = MAKEWPARAM(control id, notification code) and the
// widget as lParam; the codes keep their Windows values.
constexpr WORD BN_CLICKED = 0;     // a button was clicked
constexpr WORD CBN_SELCHANGE = 1;  // a combo box's row was chosen
constexpr WORD EN_CHANGE = 0x0300; // an edit's text changed
constexpr WPARAM MAKEWPARAM(WORD low, WORD high)
{
    return static_cast<WPARAM>(MAKELONG(low, high));
}

// A picture for the Primitives and Entities pages: a resource name, looked up in the Resources
// folder beside the plug-in; null for none.
using ZNPLUGINBITMAP = const char *;

// The optional control exports every plug-in kind shares. CreateControls gets the page's host
// widget, a null instance and the editor's label font (which the host already has, so the
// plug-in's widgets inherit it), makes its widgets as children of the host and returns their
// height in pixels. The host owns the widgets: it deletes them when it goes, at exit without
// DestroyControls, so a plug-in holds its widgets through QPointer. When the user picks another
// plug-in, DestroyControls runs before the host goes. Message, Notify and Paint are looked up but
// never called: every change reaches the plug-in as a command.
class CZNFont;
using PFNCREATECONTROLS = int32_t (*)(QWidget *parent, void *instance, CZNFont *font);
using PFNDESTROYCONTROLS = void (*)();
using PFNMESSAGE = int32_t (*)(void *message);
using PFNNOTIFY = int32_t (*)(uint32_t message, WPARAM wParam, LPARAM lParam, LRESULT *result);
using PFNPAINT = void (*)();
