#pragma once

// CZNQtComboBox: the plug-in managers' combo interface over a QComboBox (not owned). Texts are
// the names' bytes read as Latin-1; item data is kept as a 64-bit integer.
#include "platform/os/combo_box.h"

class QComboBox;

class CZNQtComboBox : public IZNComboBox
{
public:
    explicit CZNQtComboBox(QComboBox *combo) : m_Combo(combo) {}

    int GetCount() const override;
    int InsertString(int row, const char *text) override;
    int AddString(const char *text) override;
    void SetItemData(int row, intptr_t data) override;
    intptr_t GetItemData(int row) const override;
    void SetCurSel(int row) override;

private:
    QComboBox *m_Combo;
};
