#include "ui/3d_view_widget.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/editor_app.h"
#include "platform/gdi/dc.h"
#include "platform/os/input.h"
#include "render/direct3d.h"
#include "render/view/3d_view.h"

namespace
{
UINT ButtonFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    UINT flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

CPoint ClientPoint(const QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    return CPoint(p.x(), p.y());
}

// The key codes the view knows; 0 for the others.
UINT VirtualKey(int key)
{
    if (key == Qt::Key_Space)
        return VK_SPACE;
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<UINT>(key);
    return 0;
}

bool HasDevice()
{
    CZN3D *d3d = GetEditorApp()->Get3D();
    return d3d && d3d->GetDevice();
}
} // namespace

CZN3DViewWidget::CZN3DViewWidget(CZN3DView *view, QWidget *parent) : QWidget(parent), m_View(view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    if (m_View) {
        m_View->SetWindow(this);
        m_View->SetPointerHost(this);
    }
    ApplyCursor();
}

CZN3DViewWidget::~CZN3DViewWidget()
{
    if (m_View) {
        m_View->SetWindow(nullptr);
        m_View->SetPointerHost(nullptr);
    }
    CZN3D *d3d = GetEditorApp()->Get3D();
    if (d3d && d3d->GetTargetWindow() == static_cast<CZNWindow *>(this))
        d3d->SetTargetWindow(nullptr);
}

void CZN3DViewWidget::GetClientRect(RECT *rect) const
{
    *rect = {0, 0, width(), height()};
}

void CZN3DViewWidget::PresentFrame(const QImage &frame, const RECT *destination)
{
    m_Frame = frame;
    m_FrameRect = destination ? QRect(destination->left, destination->top, destination->right - destination->left,
                                      destination->bottom - destination->top)
                              : QRect(0, 0, frame.width(), frame.height());
    update();
}

void CZN3DViewWidget::paintEvent(QPaintEvent *)
{
    // The widget is opaque: whatever it leaves unpainted shows stale memory, so before start-up
    // has finished it paints the bare background.
    if (!GetEditorApp()->IsInitialized()) {
        QPainter(this).fillRect(rect(), Qt::black);
        return;
    }
    if (m_Canvas.size() != size())
        m_Canvas = QImage(size(), QImage::Format_RGB32);
    m_Canvas.fill(QColor(0, 0, 0));
    if (HasDevice() && !m_Frame.isNull()) {
        QPainter frame(&m_Canvas);
        frame.drawImage(m_FrameRect, m_Frame);
    }
    CZNDC dc;
    if (dc.AttachImage(&m_Canvas)) {
        dc.SetBkMode(OPAQUE);
        dc.SetBkColor(RGB(0, 0, 0));
        dc.SetTextColor(RGB(255, 255, 255));
        dc.TextOut(5, 5, CZN3DView::kLabel);
        dc.DeleteDC();
    }
    QPainter painter(this);
    painter.drawImage(0, 0, m_Canvas);
}

void CZN3DViewWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The back buffer follows the window it presents to.
    CZN3D *d3d = GetEditorApp()->Get3D();
    if (d3d && d3d->GetDevice() && d3d->GetTargetWindow() == static_cast<CZNWindow *>(this) && width() > 0 &&
        height() > 0) {
        d3d->ResetDevice(nullptr);
        if (m_View)
            m_View->Render(0, 0, 1);
    }
}

void CZN3DViewWidget::mousePressEvent(QMouseEvent *event)
{
    if (!m_View)
        return;
    const UINT flags = ButtonFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton)
        m_View->OnLButtonDown(flags, ClientPoint(event));
    else if (event->button() == Qt::RightButton)
        m_View->OnRButtonDown(flags, ClientPoint(event));
}

void CZN3DViewWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_View)
        return;
    const UINT flags = ButtonFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton)
        m_View->OnLButtonUp(flags, ClientPoint(event));
    else if (event->button() == Qt::RightButton)
        m_View->OnRButtonUp(flags, ClientPoint(event));
}

void CZN3DViewWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_View)
        m_View->OnMouseMove(ButtonFlags(event->buttons(), event->modifiers()), ClientPoint(event));
}

void CZN3DViewWidget::keyPressEvent(QKeyEvent *event)
{
    const UINT key = VirtualKey(event->key());
    if (!m_View || !key) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_View->OnKeyDown(key, 1, event->isAutoRepeat() ? KF_REPEAT : 0);
}

void CZN3DViewWidget::keyReleaseEvent(QKeyEvent *event)
{
    const UINT key = VirtualKey(event->key());
    if (!m_View || !key) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    // A real release follows a key that was down; the releases Qt makes between auto-repeated
    // presses carry no previous-state flag, so the view ignores them.
    m_View->OnKeyUp(key, 1, KF_UP | (event->isAutoRepeat() ? 0 : KF_REPEAT));
}

void CZN3DViewWidget::SetCursorShape(ZNCURSORSHAPE shape)
{
    m_Shape = shape;
    ApplyCursor();
}

void CZN3DViewWidget::ShowCursor(bool show)
{
    m_CursorHidden = !show;
    ApplyCursor();
}

void CZN3DViewWidget::ApplyCursor()
{
    const Qt::CursorShape shape =
        m_CursorHidden ? Qt::BlankCursor : (m_Shape == ZNCURSOR_PLACE ? Qt::CrossCursor : Qt::ArrowCursor);
    if (cursor().shape() != shape)
        setCursor(shape);
}

bool CZN3DViewWidget::WarpCursor(POINT client)
{
    const QPoint target = mapToGlobal(QPoint(client.x, client.y));
    QCursor::setPos(target);
    return QCursor::pos() == target;
}
