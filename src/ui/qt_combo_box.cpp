#include "ui/qt_combo_box.h"

#include <QComboBox>

#include <algorithm>

int CZNQtComboBox::GetCount() const
{
    return m_Combo->count();
}

int CZNQtComboBox::InsertString(int row, const char *text)
{
    row = std::clamp(row, 0, m_Combo->count());
    m_Combo->insertItem(row, QString::fromLatin1(text ? text : ""));
    return row;
}

int CZNQtComboBox::AddString(const char *text)
{
    m_Combo->addItem(QString::fromLatin1(text ? text : ""));
    return m_Combo->count() - 1;
}

void CZNQtComboBox::SetItemData(int row, intptr_t data)
{
    if (row >= 0 && row < m_Combo->count())
        m_Combo->setItemData(row, QVariant::fromValue<qlonglong>(data));
}

intptr_t CZNQtComboBox::GetItemData(int row) const
{
    if (row < 0 || row >= m_Combo->count())
        return -1;
    return static_cast<intptr_t>(m_Combo->itemData(row).toLongLong());
}

void CZNQtComboBox::SetCurSel(int row)
{
    m_Combo->setCurrentIndex(row >= 0 && row < m_Combo->count() ? row : -1);
}
