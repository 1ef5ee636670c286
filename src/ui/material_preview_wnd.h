#pragma once

// CZNMaterialPreviewWnd: the material workshop's sunken preview. Its paint renders the
// material-preview sphere as it stands (the workshop's material on its face 0, the texture the
// workshop gave it) from straight in front, turned by the material's preview rotation, on black,
// with this window as the device's target, and shows the presented frame stretched over its
// client area. Without a device or a material record it shows black. The wrapper's render mode
// and state are put back after each paint.
#include <QFrame>
#include <QImage>

#include "platform/os/window.h"

class CZNMaterialPreviewWnd : public QFrame, public CZNWindow
{
public:
    explicit CZNMaterialPreviewWnd(QWidget *parent = nullptr);
    ~CZNMaterialPreviewWnd() override;

    // CZNWindow: the area inside the frame.
    void GetClientRect(RECT *rect) const override;
    void PresentFrame(const QImage &frame, const RECT *destination) override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_Frame;
};
