#pragma once

// CZNSceneLabelDelegate: the Scene tree's label editing. An edit that ends with Enter or by
// leaving the field hands the item's index and the typed text to the commit function, which
// decides what the item shows; an edit ended with Escape commits nothing.
#include <QStyledItemDelegate>

#include <functional>

class CZNSceneLabelDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using Commit = std::function<void(const QModelIndex &index, const QString &text)>;
    CZNSceneLabelDelegate(Commit commit, QObject *parent) : QStyledItemDelegate(parent), m_Commit(std::move(commit)) {}

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    Commit m_Commit;
};
