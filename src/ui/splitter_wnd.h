#pragma once

// CZNSplitterWnd: the main window's 2x2 pane grid, a vertical QSplitter of two horizontal ones
// whose column positions are kept in step. It keeps the shares of its client area held by the
// top-left pane (CZNSplitterShares): the first layout sets them, dragging a bar records them and
// a resize re-applies them. It owns the two row splitters; the panes belong to them.
#include <QSplitter>

#include "app/splitter_shares.h"

class CZNSplitterWnd : public QSplitter
{
    Q_OBJECT

public:
    explicit CZNSplitterWnd(QWidget *parent = nullptr);

    // The pane at row, column (0 or 1); null when none was set.
    void SetPane(int row, int column, QWidget *pane);
    QWidget *GetPane(int row, int column) const;
    const CZNSplitterShares &GetShares() const { return m_Shares; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void OnBarMoved(QSplitter *source);
    void ApplySizes(int columnWidth, int rowHeight);

    QSplitter *m_Rows[2];
    CZNSplitterShares m_Shares;
    bool m_Applying = false;
};
