#pragma once

// CZNSpherePreviewWnd: a sunken frame that shows the material-preview sphere. Its paint makes this
// window the device's target, lets the subclass render the sphere in render mode 4, and shows the
// presented frame stretched over its client area; without a device, or when the subclass draws
// nothing, it shows black. The wrapper's render mode and state are put back after each paint, and
// the frame presented during a paint is kept only for that paint.
#include <QFrame>
#include <QImage>

#include "platform/os/window.h"

class CZN3D;

class CZNSpherePreviewWnd : public QFrame, public CZNWindow
{
public:
    explicit CZNSpherePreviewWnd(QWidget *parent = nullptr);
    ~CZNSpherePreviewWnd() override;

    // CZNWindow: the area inside the frame.
    void GetClientRect(RECT *rect) const override;
    void PresentFrame(const QImage &frame, const RECT *destination) override;

protected:
    // Renders the sphere into the device's back buffer; true when there is a frame to present.
    virtual bool RenderPreview(CZN3D *d3d) = 0;
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_Frame;
};
