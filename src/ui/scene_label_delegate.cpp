#include "ui/scene_label_delegate.h"

#include <QLineEdit>

void CZNSceneLabelDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    if (auto *edit = qobject_cast<QLineEdit *>(editor); edit && m_Commit)
        m_Commit(index, edit->text());
}
