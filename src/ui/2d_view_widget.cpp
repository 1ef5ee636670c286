#include "ui/2d_view_widget.h"

#include <QCursor>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWheelEvent>
#include <algorithm>
#include <string>

#include "app/editor_app.h"
#include "platform/os/input.h"
#include "render/view/2d_view.h"
#include "ui/program_cursor.h"

namespace
{

QCursor CursorFor(int id)
{
    switch (id) {
    case ZNCURSOR_SIZENS:
        return QCursor(Qt::SizeVerCursor);
    case ZNCURSOR_SIZEWE:
        return QCursor(Qt::SizeHorCursor);
    case ZNCURSOR_SIZENWSE:
        return QCursor(Qt::SizeFDiagCursor);
    case ZNCURSOR_SIZENESW:
        return QCursor(Qt::SizeBDiagCursor);
    case ZNCURSOR_SIZEALL:
        return QCursor(Qt::SizeAllCursor);
    case ZNCURSOR_ROTATE:
    case ZNCURSOR_HANDLE2:
    case ZNCURSOR_PLACE:
        return ProgramCursor(id, id == ZNCURSOR_ROTATE ? 15 : 0, id == ZNCURSOR_ROTATE ? 13 : 0);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

CPoint ClientPoint(const QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    return CPoint(p.x(), p.y());
}

} // namespace

CZN2DViewWidget::CZN2DViewWidget(CZN2DView *view, QWidget *parent) : QWidget(parent), m_View(view)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (m_View)
        m_View->SetWindow(this);
}

CZN2DViewWidget::~CZN2DViewWidget()
{
    if (m_View && m_View->GetWindow() == this)
        m_View->SetWindow(nullptr);
}

UINT CZN2DViewWidget::MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
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

void CZN2DViewWidget::GetClientRect(RECT *rect) const
{
    *rect = RECT{0, 0, width(), height()};
}

QImage *CZN2DViewWidget::GetWindowImage()
{
    if (m_Image.size() != size()) {
        if (width() <= 0 || height() <= 0)
            return nullptr;
        m_Image = QImage(size(), QImage::Format_RGB32);
        m_Image.fill(Qt::black);
    }
    return &m_Image;
}

void CZN2DViewWidget::ShowWindowImage()
{
    update();
}

void CZN2DViewWidget::SetCursorById(int id)
{
    setCursor(CursorFor(id));
}

POINT CZN2DViewWidget::GetCursorPos() const
{
    const QPoint p = m_InMouseEvent ? m_EventScreenPos : QCursor::pos();
    return POINT{p.x(), p.y()};
}

POINT CZN2DViewWidget::ScreenToClient(POINT screen) const
{
    const QPoint p = mapFromGlobal(QPoint(screen.x, screen.y));
    return POINT{p.x(), p.y()};
}

BOOL CZN2DViewWidget::SetCursorPos(int x, int y)
{
    // Wayland does not let programs move the mouse, and the offscreen platform has none.
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith("wayland") || platform == "offscreen")
        return FALSE;
    QCursor::setPos(screen(), x, y);
    if (m_InMouseEvent)
        m_EventScreenPos = QPoint(x, y);
    return TRUE;
}

SIZE CZN2DViewWidget::GetDesktopSize() const
{
    const QScreen *where = screen();
    const QSize desktop = where ? where->virtualSize() : QSize(0, 0);
    return SIZE{desktop.width(), desktop.height()};
}

void CZN2DViewWidget::ShowStatusPosition(const D3DXVECTOR3 &position)
{
    emit statusPositionChanged(position.x, position.y, position.z);
}

void CZN2DViewWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_Image.isNull())
        painter.fillRect(rect(), Qt::black);
    else
        painter.drawImage(0, 0, m_Image);
}

void CZN2DViewWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    GetWindowImage();
    if (!m_View)
        return;
    m_View->OnSize(0, width(), height());
    m_View->Redraw(FALSE);
}

void CZN2DViewWidget::BeginMouseEvent(const QMouseEvent *event)
{
    m_InMouseEvent = true;
    m_EventScreenPos = event->globalPosition().toPoint();
}

void CZN2DViewWidget::Press(QMouseEvent *event)
{
    if (!m_View)
        return;
    BeginMouseEvent(event);
    const UINT flags = MouseFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton)
        m_View->OnLButtonDown(flags, ClientPoint(event));
    else if (event->button() == Qt::RightButton)
        m_View->OnRButtonDown(flags, ClientPoint(event));
    m_InMouseEvent = false;
}

void CZN2DViewWidget::mousePressEvent(QMouseEvent *event)
{
    Press(event);
}

void CZN2DViewWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    Press(event);
}

void CZN2DViewWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_View)
        return;
    BeginMouseEvent(event);
    const UINT flags = MouseFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton)
        m_View->OnLButtonUp(flags, ClientPoint(event));
    else if (event->button() == Qt::RightButton)
        m_View->OnRButtonUp(flags, ClientPoint(event));
    m_InMouseEvent = false;
}

void CZN2DViewWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_View)
        return;
    BeginMouseEvent(event);
    m_View->OnMouseMove(MouseFlags(event->buttons(), event->modifiers()), ClientPoint(event));
    m_InMouseEvent = false;
}

void CZN2DViewWidget::wheelEvent(QWheelEvent *event)
{
    event->accept();
    if (!m_View)
        return;
    // Touchpads send small steps: they are summed and handed on in whole notches.
    m_WheelDelta += event->angleDelta().y();
    const int notches = std::clamp(m_WheelDelta / 120, -273, 273);
    if (notches == 0)
        return;
    m_WheelDelta -= notches * 120;
    const QPoint p = event->position().toPoint();
    m_View->OnMouseWheel(MouseFlags(event->buttons(), event->modifiers()), static_cast<short>(notches * 120),
                         CPoint(p.x(), p.y()));
}

void CZN2DViewWidget::keyPressEvent(QKeyEvent *event)
{
    if (!m_View || event->key() != Qt::Key_Space) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_View->OnKeyDown(VK_SPACE, 1, event->isAutoRepeat() ? KF_REPEAT : 0);
}

void CZN2DViewWidget::keyReleaseEvent(QKeyEvent *event)
{
    if (!m_View || event->key() != Qt::Key_Space) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        m_View->OnKeyUp(VK_SPACE, 1, KF_REPEAT);
}

void CZN2DViewWidget::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (m_View)
        m_View->OnActivateView(TRUE);
}

void CZN2DViewWidget::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (m_View)
        m_View->OnActivateView(FALSE);
}
