#include "ui/owner_draw_delegate.h"

#include <QImage>
#include <QPainter>

#include "platform/gdi/dc.h"

CZNOwnerDrawDelegate::CZNOwnerDrawDelegate(int itemHeight, DrawItemFn drawItem, QObject *parent)
    : QStyledItemDelegate(parent), m_ItemHeight(itemHeight), m_DrawItem(std::move(drawItem))
{
}

void CZNOwnerDrawDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QSize size = option.rect.size();
    if (!m_DrawItem || size.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(option.palette.base().color());
    CZNDC dc;
    if (!dc.AttachImage(&image))
        return;
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = static_cast<UINT>(index.row());
    item.itemAction = ODA_DRAWENTIRE;
    if (option.state & QStyle::State_Selected)
        item.itemState |= ODS_SELECTED;
    if (option.state & QStyle::State_HasFocus)
        item.itemState |= ODS_FOCUS;
    if (!(option.state & QStyle::State_Enabled))
        item.itemState |= ODS_DISABLED;
    item.hDC = dc.GetSafeHdc();
    item.rcItem = RECT{0, 0, size.width(), size.height()};
    item.itemData = static_cast<uintptr_t>(index.data(Qt::UserRole).toULongLong());
    m_DrawItem(&item);
    dc.DeleteDC();
    painter->drawImage(option.rect.topLeft(), image);
}

QSize CZNOwnerDrawDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), m_ItemHeight);
}
