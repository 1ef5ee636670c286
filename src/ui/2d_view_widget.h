#pragma once

// CZN2DViewWidget: the Qt widget that hosts a CZN2DView. It is the view's window: it keeps the
// picture the view paints (sized to the widget), shows it in its paint event, and turns Qt's
// mouse, wheel, key and focus events into the view's handlers with MK_ flags and client pixels.
// It borrows the view, which must outlive it; the picture is its own. Cursor moves fail quietly
// where the platform forbids them, and missing cursor images show the arrow.
#include <QImage>
#include <QPoint>
#include <QWidget>

#include "platform/os/view_window.h"

class CZN2DView;

class CZN2DViewWidget : public QWidget, public IZNViewWindow
{
    Q_OBJECT

public:
    explicit CZN2DViewWidget(CZN2DView *view, QWidget *parent = nullptr);
    ~CZN2DViewWidget() override;

    CZN2DView *GetView() const { return m_View; }

    // The view's window.
    void GetClientRect(RECT *rect) const override;
    QImage *GetWindowImage() override;
    void ShowWindowImage() override;
    void SetCursorById(int id) override;
    POINT GetCursorPos() const override;
    POINT ScreenToClient(POINT screen) const override;
    BOOL SetCursorPos(int x, int y) override;
    SIZE GetDesktopSize() const override;
    void ShowStatusPosition(const D3DXVECTOR3 &position) override;

    // The MK_ flags of a mouse state.
    static UINT MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

signals:
    // The world position under the mouse, for the status bar.
    void statusPositionChanged(float x, float y, float z);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void Press(QMouseEvent *event);
    // The event's desktop position stands for the mouse while the view handles it.
    void BeginMouseEvent(const QMouseEvent *event);

    CZN2DView *m_View;
    QImage m_Image;
    int m_WheelDelta = 0;
    bool m_InMouseEvent = false;
    QPoint m_EventScreenPos;
};
