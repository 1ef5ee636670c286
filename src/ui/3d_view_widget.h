#pragma once

// CZN3DViewWidget: the plain widget that hosts the perspective view. It turns Qt's mouse and key
// events into the view's input calls, shows the frames the device presents to it (it is the
// device's target window) with the view's label drawn over them through the drawing context,
// and carries out the view's cursor requests. It does not own the view. Before start-up has
// finished it paints only the black background; without a device the background and the label.
#include <QImage>
#include <QWidget>

#include "platform/os/pointer_host.h"
#include "platform/os/window.h"

class CZN3DView;

class CZN3DViewWidget : public QWidget, public CZNWindow, public IZNPointerHost
{
public:
    explicit CZN3DViewWidget(CZN3DView *view, QWidget *parent = nullptr);
    ~CZN3DViewWidget() override;

    // CZNWindow
    void GetClientRect(RECT *rect) const override;
    void PresentFrame(const QImage &frame, const RECT *destination) override;

    // IZNPointerHost
    void SetCursorShape(ZNCURSORSHAPE shape) override;
    void ShowCursor(bool show) override;
    // Qt grabs the mouse for the widget while a button is held.
    void SetCapture() override {}
    void ReleaseCapture() override {}
    bool WarpCursor(POINT client) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    void ApplyCursor();

    CZN3DView *m_View;
    QImage m_Frame;
    QRect m_FrameRect;
    QImage m_Canvas;
    ZNCURSORSHAPE m_Shape = ZNCURSOR_ARROW;
    bool m_CursorHidden = false;
};
