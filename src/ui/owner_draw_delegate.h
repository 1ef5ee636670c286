#pragma once

// CZNOwnerDrawDelegate: the bridge between Qt's item views and the owner-drawn lists of the
// options panel and dialogs. Each row is painted by the list's DrawItem step on a drawing context
// over an image of the row (rectangle from (0, 0), selected and focus state from the view), and
// the image is then drawn in place. Every row is as tall as the list's item height; the row's data
// is the item's Qt::UserRole value as an unsigned integer (0 when there is none).
#include <functional>

#include <QStyledItemDelegate>

#include "platform/gdi/draw_item.h"

class CZNOwnerDrawDelegate : public QStyledItemDelegate
{
public:
    using DrawItemFn = std::function<void(LPDRAWITEMSTRUCT)>;

    CZNOwnerDrawDelegate(int itemHeight, DrawItemFn drawItem, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    int GetItemHeight() const { return m_ItemHeight; }

private:
    int m_ItemHeight;
    DrawItemFn m_DrawItem;
};
