#pragma once

// CZNOptionsPage: the base of the options panel's eight pages. A page sits in the sheet's display
// area less 14 pixels on the right (room for the slider) and holds one content child of the
// page's fixed content height, which the page's controls are laid out in. Content taller than the
// display area scrolls: dragged with the left button on the page (cursor 175 while dragging, 174
// over the page), or through the sheet's slider. The page's window is made by the sheet at its
// first activation, which runs OnInitDialog once; every activation runs OnSetActive.
//
// Accelerators first: a key sequence of a main-window action pressed with the focus anywhere in
// the page (a line edit or the tree included, the dock floating or not) runs that action, and
// keypad + and - reach the main window, which steps the grid.
#include <QString>
#include <QWidget>

#include "ui/page_scroll.h"

class CZNSliderCtrl;
class QStackedWidget;

class CZNOptionsPage : public QWidget
{
    Q_OBJECT

public:
    CZNOptionsPage(const QString &title, int contentHeight, QWidget *parent = nullptr);
    ~CZNOptionsPage() override;

    const QString &GetTitle() const { return m_Title; }
    int GetContentHeight() const { return m_Scroll.GetContentHeight(); }
    int GetScrollOffset() const { return m_Scroll.GetOffset(); }
    // Stores the offset and scrolls the content by the change.
    void SetScrollOffset(int offset);
    // The child the page's controls go in.
    QWidget *GetContent() const { return m_Content; }
    bool IsInitialized() const { return m_Initialized; }
    // Ignores the page's own changes of its controls while off; returns the flag it replaces.
    bool SetEditsEnabled(bool enabled)
    {
        const bool was = m_EditsEnabled;
        m_EditsEnabled = enabled;
        return was;
    }
    bool AreEditsEnabled() const { return m_EditsEnabled; }

    // Given by the sheet: the display area the page sits in and the slider that follows it.
    void Attach(QStackedWidget *displayArea, CZNSliderCtrl *slider);

    // Once, at the first activation: the page's controls are filled.
    virtual void OnInitDialog();
    // Every activation: the layout (UpdateLayout); derived pages add to it.
    virtual void OnSetActive();
    // Refreshes the page from the selection while it is the active page; nothing by default.
    virtual void RefreshFromSelection() {}
    // Runs OnInitDialog the first time, then OnSetActive.
    void Activate();

    // The page in the display area less 14 pixels on the right, the content at the offset, and
    // the slider showing the content height, the display height and the offset.
    void UpdateLayout();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Runs the enabled main-window action whose shortcut is the key, or hands keypad + and - to
    // the main window; false when the key is neither.
    bool TranslateAccelerator(const QKeyEvent *key, bool run);

    QString m_Title;
    CZNPageScroll m_Scroll;
    QWidget *m_Content;
    QStackedWidget *m_DisplayArea = nullptr;
    CZNSliderCtrl *m_Slider = nullptr;
    bool m_Initialized = false;
    bool m_EditsEnabled = true;
};
