#include "ui/splitter_wnd.h"

#include <QResizeEvent>

CZNSplitterWnd::CZNSplitterWnd(QWidget *parent) : QSplitter(Qt::Vertical, parent)
{
    setObjectName(QStringLiteral("Splitter"));
    setChildrenCollapsible(false);
    for (QSplitter *&row : m_Rows) {
        row = new QSplitter(Qt::Horizontal, this);
        row->setChildrenCollapsible(false);
        addWidget(row);
        connect(row, &QSplitter::splitterMoved, this, [this, row] { OnBarMoved(row); });
    }
    connect(this, &QSplitter::splitterMoved, this, [this] { OnBarMoved(this); });
}

void CZNSplitterWnd::SetPane(int row, int column, QWidget *pane)
{
    QSplitter *target = m_Rows[row ? 1 : 0];
    while (target->count() <= column)
        target->addWidget(new QWidget(target));
    QWidget *old = target->replaceWidget(column ? 1 : 0, pane);
    delete old;
}

QWidget *CZNSplitterWnd::GetPane(int row, int column) const
{
    QSplitter *source = m_Rows[row ? 1 : 0];
    return column < source->count() ? source->widget(column) : nullptr;
}

void CZNSplitterWnd::ApplySizes(int columnWidth, int rowHeight)
{
    m_Applying = true;
    const int w = width(), h = height();
    for (QSplitter *row : m_Rows)
        row->setSizes({columnWidth, std::max(1, w - columnWidth - row->handleWidth())});
    setSizes({rowHeight, std::max(1, h - rowHeight - handleWidth())});
    m_Applying = false;
}

void CZNSplitterWnd::OnBarMoved(QSplitter *source)
{
    if (m_Applying)
        return;
    // One column position for both rows.
    if (source != this) {
        QSplitter *other = source == m_Rows[0] ? m_Rows[1] : m_Rows[0];
        m_Applying = true;
        other->setSizes(source->sizes());
        m_Applying = false;
    }
    const QList<int> columns = m_Rows[0]->sizes();
    const QList<int> rows = sizes();
    m_Shares.OnSplitMoved(width(), height(), columns.value(0), rows.value(0));
}

void CZNSplitterWnd::resizeEvent(QResizeEvent *event)
{
    QSplitter::resizeEvent(event);
    int column = 0, row = 0;
    const int w = event->size().width(), h = event->size().height();
    if (!m_Shares.IsReady())
        m_Shares.Initialise(w, h, &column, &row);
    else
        m_Shares.OnResize(w, h, &column, &row);
    ApplySizes(column, row);
}
