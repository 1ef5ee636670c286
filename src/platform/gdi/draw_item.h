#pragma once

// DRAWITEMSTRUCT: what an owner-drawn list hands its DrawItem step for one row: the row, its
// state, the context to draw into and the row's rectangle in that context, and the row's data.
#include <cstdint>

#include "platform/gdi/gdi_types.h"
#include "platform/os/win_types.h"

constexpr UINT ODT_LISTBOX = 2;
constexpr UINT ODT_COMBOBOX = 3;

constexpr UINT ODA_DRAWENTIRE = 0x0001;

constexpr UINT ODS_SELECTED = 0x0001;
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_FOCUS = 0x0010;

struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    uintptr_t itemData;
};
using LPDRAWITEMSTRUCT = DRAWITEMSTRUCT *;
