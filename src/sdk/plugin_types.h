#pragma once

// Types shared by the plug-in records and entry points. Plug-ins are built for this platform
// against these headers: handles, pointers and message parameters take a pointer's width.
#include <cstdint>

class QWidget;

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

// A picture for the Primitives and Entities pages: a resource name, looked up in the Resources
// folder beside the plug-in; null for none.
using ZNPLUGINBITMAP = const char *;

// The optional control exports every plug-in kind shares. CreateControls gets the page's host
// widget, a null instance and the editor's label font, and returns the height in pixels of the
// controls it made. Message gets the host's message record. Each handler returns non-zero when
// it handled the message.
class CZNFont;
using PFNCREATECONTROLS = int32_t (*)(QWidget *parent, void *instance, CZNFont *font);
using PFNDESTROYCONTROLS = void (*)();
using PFNMESSAGE = int32_t (*)(void *message);
using PFNNOTIFY = int32_t (*)(uint32_t message, WPARAM wParam, LPARAM lParam, LRESULT *result);
using PFNPAINT = void (*)();
