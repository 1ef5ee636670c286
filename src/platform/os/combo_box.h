#pragma once

// IZNComboBox: the drop-down list the plug-in pages fill, as the plug-in managers use it. The
// shell implements it over its widget; rows keep the order they were put in (no sorting).
#include <cstdint>

#include "platform/export.h"

class ZN_API IZNComboBox
{
public:
    virtual ~IZNComboBox() = default;
    virtual int GetCount() const = 0;
    // Inserts text at row (clamped to the list) and returns the row.
    virtual int InsertString(int row, const char *text) = 0;
    // Appends text and returns its row.
    virtual int AddString(const char *text) = 0;
    virtual void SetItemData(int row, intptr_t data) = 0;
    // -1 for a row that does not exist.
    virtual intptr_t GetItemData(int row) const = 0;
    // Selects the row; -1 selects nothing.
    virtual void SetCurSel(int row) = 0;
};
