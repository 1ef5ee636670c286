#include "ui/options_page.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QStackedWidget>

#include "ui/program_cursor.h"
#include "ui/slider_ctrl.h"

namespace
{
constexpr int kSliderRoom = 14;
}

CZNOptionsPage::CZNOptionsPage(const QString &title, int contentHeight, QWidget *parent)
    : QWidget(parent), m_Title(title), m_Scroll(contentHeight), m_Content(new QWidget(this))
{
    setObjectName(title);
    m_Content->setObjectName(title + QStringLiteral("Content"));
    m_Content->setGeometry(0, 0, width(), contentHeight);
    setCursor(PageCursor(kPageCursor));
    // Key presses in the page and its children pass the accelerator test first.
    qApp->installEventFilter(this);
}

CZNOptionsPage::~CZNOptionsPage()
{
    qApp->removeEventFilter(this);
}

void CZNOptionsPage::Attach(QStackedWidget *displayArea, CZNSliderCtrl *slider)
{
    m_DisplayArea = displayArea;
    m_Slider = slider;
}

void CZNOptionsPage::OnInitDialog() {}

void CZNOptionsPage::OnSetActive()
{
    UpdateLayout();
}

void CZNOptionsPage::Activate()
{
    if (!m_Initialized) {
        m_Initialized = true;
        OnInitDialog();
    }
    OnSetActive();
}

void CZNOptionsPage::UpdateLayout()
{
    if (!m_DisplayArea)
        return;
    const QRect area = m_DisplayArea->rect();
    setGeometry(0, 0, area.width() - kSliderRoom, area.height());
    m_Content->setGeometry(0, m_Scroll.GetOffset(), width(), m_Scroll.GetContentHeight());
    if (m_Slider) {
        m_Slider->SetRange(0.0f, static_cast<float>(m_Scroll.GetContentHeight()), true);
        m_Slider->SetPage(static_cast<float>(area.height()), true);
        m_Slider->SetPos(static_cast<float>(-m_Scroll.GetOffset()), true);
    }
}

void CZNOptionsPage::SetScrollOffset(int offset)
{
    const int dy = m_Scroll.SetOffset(offset);
    if (dy)
        scroll(0, dy);
}

void CZNOptionsPage::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_Scroll.BeginDrag(event->position().toPoint().y());
    setCursor(PageCursor(kPageDragCursor));
}

void CZNOptionsPage::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_Scroll.IsDragging())
        return;
    const int height = m_DisplayArea ? m_DisplayArea->height() : this->height();
    const int dy = m_Scroll.DragTo(event->position().toPoint().y(), 0, height);
    if (m_Scroll.GetContentHeight() <= height)
        return;
    if (m_Slider)
        m_Slider->SetPos(static_cast<float>(-m_Scroll.GetOffset()), true);
    if (dy)
        scroll(0, dy);
}

void CZNOptionsPage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_Scroll.IsDragging()) {
        m_Scroll.EndDrag();
        setCursor(PageCursor(kPageCursor));
    }
}

bool CZNOptionsPage::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && watched->isWidgetType() &&
        (watched == this || isAncestorOf(static_cast<QWidget *>(watched)))) {
        // The override is taken so that the window's own shortcut does not fire as well; the key
        // press that follows runs the action here, before the focused control sees it.
        auto *key = static_cast<QKeyEvent *>(event);
        if (type == QEvent::ShortcutOverride) {
            if (TranslateAccelerator(key, false)) {
                event->accept();
                return true;
            }
        } else if (TranslateAccelerator(key, true)) {
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool CZNOptionsPage::TranslateAccelerator(const QKeyEvent *key, bool run)
{
    if (key->key() == Qt::Key_unknown || key->key() == 0)
        return false;
    const QKeySequence sequence(key->keyCombination());
    QWidget *window = parentWidget();
    while (window && !qobject_cast<QMainWindow *>(window))
        window = window->parentWidget();
    if (!window)
        return false;
    // Keypad + and - step the grid: keys of the window itself rather than shortcuts.
    if (key->modifiers() == Qt::KeypadModifier && (key->key() == Qt::Key_Plus || key->key() == Qt::Key_Minus)) {
        if (run) {
            QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(window, &copy);
        }
        return true;
    }
    for (QAction *action : window->actions()) {
        if (!action->shortcuts().contains(sequence))
            continue;
        if (!action->isEnabled())
            return false;
        if (run)
            action->trigger();
        return true;
    }
    return false;
}
