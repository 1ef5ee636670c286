#pragma once

// CZNSplashDlg: the frameless start-up window with the program's picture and two progress bars,
// the current task's and the overall one. Each bar's counters are a CZNSplashCounters; a bar is
// sent a position only when its filled width moves by a pixel, and every step repaints at once,
// since start-up keeps the event loop from running. Given the main window as parent it is a
// separate window kept above it and centred over it. It owns its widgets.
#include <QWidget>

#include "app/splash_counters.h"
#include "platform/os/splash_progress.h"

class QLabel;
class QProgressBar;

class CZNSplashDlg : public QWidget, public IZNSplashProgress
{
    Q_OBJECT

public:
    explicit CZNSplashDlg(QWidget *parent = nullptr);

    void SetCurrentTask(const char *caption, int steps) override;
    void SetOverallTask(const char *caption, int steps) override;
    void StepCurrent() override;
    void StepOverall() override;

    const CZNSplashCounters &GetCurrentCounters() const { return m_Current; }
    const CZNSplashCounters &GetOverallCounters() const { return m_Overall; }

private:
    void Step(CZNSplashCounters &counters, QProgressBar *bar);

    QLabel *m_CurrentCaption;
    QProgressBar *m_CurrentBar;
    QLabel *m_OverallCaption;
    QProgressBar *m_OverallBar;
    CZNSplashCounters m_Current;
    CZNSplashCounters m_Overall;
};
