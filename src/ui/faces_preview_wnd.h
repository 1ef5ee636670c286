#pragma once

// CZNFacesPreviewWnd: the Faces page's sunken brush preview. Its paint renders the material-
// preview sphere with the material on the sphere's face 0 (and that material's texture, or
// "Material.sys") on black, with this window as the device's target, and shows the presented
// frame stretched over its client area. The frame presented during its own paint is only kept
// for that paint. Without a device, or when the material no longer exists, it shows black. The
// wrapper's render mode and state are put back after each paint.
#include <QFrame>
#include <QImage>

#include "platform/os/window.h"

class CZNFacesPreviewWnd : public QFrame, public CZNWindow
{
public:
    explicit CZNFacesPreviewWnd(QWidget *parent = nullptr);
    ~CZNFacesPreviewWnd() override;

    // CZNWindow: the area inside the frame.
    void GetClientRect(RECT *rect) const override;
    void PresentFrame(const QImage &frame, const RECT *destination) override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_Frame;
};
