#include "ui/splash_dlg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include "app/editor_app.h"

CZNSplashDlg::CZNSplashDlg(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_CurrentCaption(new QLabel(this)),
      m_CurrentBar(new QProgressBar(this)), m_OverallCaption(new QLabel(this)), m_OverallBar(new QProgressBar(this))
{
    auto *layout = new QVBoxLayout(this);
    auto *picture = new QLabel(this);
    const QPixmap art(QString::fromStdString(GetEditorApp()->GetProgramDirectory() + "Resources/bitmap162.png"));
    if (!art.isNull())
        picture->setPixmap(art);
    else
        picture->setMinimumSize(500, 375);
    layout->addWidget(picture);
    m_CurrentCaption->setAlignment(Qt::AlignCenter);
    m_OverallCaption->setAlignment(Qt::AlignCenter);
    m_CurrentCaption->setText(QStringLiteral("Welcome To Tovra Version 1.02"));
    m_OverallCaption->setText(QStringLiteral("Overall Progress"));
    for (QProgressBar *bar : {m_CurrentBar, m_OverallBar}) {
        bar->setRange(0, 0);
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setMaximum(1);
    }
    layout->addWidget(m_CurrentCaption);
    layout->addWidget(m_CurrentBar);
    layout->addWidget(m_OverallCaption);
    layout->addWidget(m_OverallBar);
    adjustSize();
    // Centred over the main window when it is up (its docks would otherwise cover part of a
    // splash centred on the screen), else on the screen.
    if (parent && parent->isVisible())
        move(parent->window()->geometry().center() - rect().center());
    else if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void CZNSplashDlg::SetCurrentTask(const char *caption, int steps)
{
    m_Current.SetTask(steps);
    m_CurrentBar->setRange(0, std::max(1, m_Current.GetRange()));
    m_CurrentBar->setValue(0);
    m_CurrentCaption->setText(QString::fromUtf8(caption ? caption : ""));
    repaint();
}

void CZNSplashDlg::SetOverallTask(const char *caption, int steps)
{
    m_Overall.SetTask(steps);
    m_OverallBar->setRange(0, std::max(1, m_Overall.GetRange()));
    m_OverallBar->setValue(0);
    m_OverallCaption->setText(QString::fromUtf8(caption ? caption : ""));
    repaint();
}

void CZNSplashDlg::Step(CZNSplashCounters &counters, QProgressBar *bar)
{
    if (counters.Step(bar->width()))
        bar->setValue(counters.GetPosition());
    if (isVisible())
        repaint();
}

void CZNSplashDlg::StepCurrent()
{
    Step(m_Current, m_CurrentBar);
}

void CZNSplashDlg::StepOverall()
{
    Step(m_Overall, m_OverallBar);
}
