#include "ui/slider_ctrl.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <qdrawutil.h>

#include "ui/program_cursor.h"

CZNSliderCtrl::CZNSliderCtrl(const QRect &rect, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CZNSliderCtrl"));
    setGeometry(rect);
    setMouseTracking(true);
    show();
}

void CZNSliderCtrl::SetPos(float value, bool redraw)
{
    m_Metrics.SetPos(value);
    if (redraw)
        update();
}

void CZNSliderCtrl::SetRange(float minimum, float maximum, bool redraw)
{
    m_Metrics.SetRange(minimum, maximum);
    if (redraw)
        update();
}

void CZNSliderCtrl::SetPage(float page, bool redraw)
{
    m_Metrics.SetPage(page);
    if (redraw)
        update();
}

RECT CZNSliderCtrl::GetClientRect() const
{
    RECT client;
    client.left = 0;
    client.top = 0;
    client.right = std::max(0, width() - 2 * kEdge);
    client.bottom = std::max(0, height() - 2 * kEdge);
    return client;
}

RECT CZNSliderCtrl::GetThumbRect() const
{
    return m_Metrics.GetThumbRect(GetClientRect());
}

QRect CZNSliderCtrl::GetThumbWidgetRect() const
{
    const RECT t = GetThumbRect();
    return QRect(QPoint(t.left + kEdge, t.top + kEdge), QSize(t.right - t.left, t.bottom - t.top));
}

void CZNSliderCtrl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), true);
    const RECT client = GetClientRect();
    painter.setClipRect(kEdge, kEdge, client.right, client.bottom);
    painter.translate(kEdge, kEdge);
    painter.fillRect(QRect(0, 0, client.right + 1, client.bottom + 1), QColor(0x80, 0x80, 0x80));
    // A rectangle of the thumb's size, its outline inside it.
    const RECT t = GetThumbRect();
    painter.setPen(QColor(0x44, 0x44, 0x44));
    painter.setBrush(m_Dragging ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xC0, 0xC0, 0xC0));
    painter.drawRect(QRect(QPoint(t.left, t.top), QSize(t.right - t.left - 1, t.bottom - t.top - 1)));
}

void CZNSliderCtrl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !GetThumbWidgetRect().contains(event->position().toPoint()))
        return;
    setCursor(PageCursor(kPageDragCursor));
    m_LastY = event->position().toPoint().y();
    m_Dragging = true;
    update();
}

void CZNSliderCtrl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (!m_Dragging) {
        setCursor(GetThumbWidgetRect().contains(point) ? PageCursor(kPageCursor) : QCursor(Qt::ArrowCursor));
        return;
    }
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if (!m_Metrics.DragTo(point.y(), &m_LastY, GetClientRect().bottom))
        return;
    update();
    emit positionChanged(static_cast<int>(m_Metrics.GetPos()));
}

void CZNSliderCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_Dragging || event->button() != Qt::LeftButton)
        return;
    m_Dragging = false;
    setCursor(GetThumbWidgetRect().contains(event->position().toPoint()) ? PageCursor(kPageCursor)
                                                                         : QCursor(Qt::ArrowCursor));
    update();
}
