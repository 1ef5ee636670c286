#pragma once

// CZNSliderCtrl: the thin vertical scroller at the options panel's right edge, drawn by itself: a
// sunken edge around a grey client area and a light-grey thumb (white while dragged) outlined in
// dark grey, as long as the page. Dragging the thumb moves the position and emits
// positionChanged with it truncated, directly to the receiver. Cursor 174 over the thumb, 175
// while it is dragged. The arithmetic is CZNSliderMetrics'.
#include <QWidget>

#include "platform/os/rect.h"
#include "ui/slider_metrics.h"

class CZNSliderCtrl : public QWidget
{
    Q_OBJECT

public:
    // A child of parent covering rect, in the parent's coordinates.
    CZNSliderCtrl(const QRect &rect, QWidget *parent);

    // The setters of CZNSliderMetrics; with redraw the control repaints.
    void SetPos(float value, bool redraw);
    void SetRange(float minimum, float maximum, bool redraw);
    void SetPage(float page, bool redraw);
    const CZNSliderMetrics &Metrics() const { return m_Metrics; }
    // The client area inside the edge, and the thumb in client coordinates.
    RECT GetClientRect() const;
    RECT GetThumbRect() const;
    // The thumb's rectangle in widget coordinates.
    QRect GetThumbWidgetRect() const;
    bool IsDragging() const { return m_Dragging; }

signals:
    void positionChanged(int position);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    static constexpr int kEdge = 2;

    CZNSliderMetrics m_Metrics;
    int m_LastY = 0;
    bool m_Dragging = false;
};
