#include "ui/sphere_preview_wnd.h"

#include <QPainter>

#include "app/editor_app.h"
#include "render/direct3d.h"

CZNSpherePreviewWnd::CZNSpherePreviewWnd(QWidget *parent) : QFrame(parent)
{
    setLineWidth(1);
}

CZNSpherePreviewWnd::~CZNSpherePreviewWnd()
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    if (d3d && d3d->GetTargetWindow() == static_cast<CZNWindow *>(this))
        d3d->SetTargetWindow(nullptr);
}

void CZNSpherePreviewWnd::GetClientRect(RECT *rect) const
{
    const QRect area = contentsRect();
    *rect = {0, 0, area.width(), area.height()};
}

void CZNSpherePreviewWnd::PresentFrame(const QImage &frame, const RECT *)
{
    // Called from inside paintEvent: the frame is drawn by that paint, so no new paint is asked for.
    m_Frame = frame;
}

void CZNSpherePreviewWnd::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QRect area = contentsRect();
    m_Frame = QImage();
    CZN3D *d3d = GetEditorApp()->Get3D();
    if (d3d && d3d->GetDevice() && !area.isEmpty()) {
        const DWORD mode = d3d->GetRenderMode();
        d3d->SetRenderMode(4);
        d3d->PushState();
        d3d->SetTargetWindow(this);
        if (RenderPreview(d3d))
            d3d->Present(nullptr);
        d3d->PopState();
        d3d->SetRenderMode(mode);
    }
    QPainter painter(this);
    if (m_Frame.isNull())
        painter.fillRect(area, Qt::black);
    else
        painter.drawImage(area, m_Frame);
    m_Frame = QImage();
}
