#include "ui/convert_progress_dlg.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>
#include <QVBoxLayout>

#include "fileio/batch_job.h"

CZNConvertProgressDlg::CZNConvertProgressDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Conversion Progress"));
    m_Label = new QLabel(QStringLiteral("0 File(s) of 0 successfully converted."), this);
    m_Progress = new QProgressBar(this);
    m_Progress->setRange(0, 0);
    m_Progress->setValue(0);
    m_Log = new QPlainTextEdit(this);
    m_Log->setReadOnly(true);
    m_Log->setUndoRedoEnabled(false);
    m_Log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_OK = new QPushButton(QStringLiteral("OK"), this);
    m_Abort = new QPushButton(QStringLiteral("Abort"), this);
    m_OK->setAutoDefault(false);
    m_Abort->setAutoDefault(false);
    m_OK->setEnabled(false);

    auto *status = new QGroupBox(QStringLiteral("Conversion Status"), this);
    auto *statusLayout = new QVBoxLayout(status);
    statusLayout->addWidget(m_Log);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_OK);
    buttons->addWidget(m_Abort);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_Label);
    layout->addWidget(m_Progress);
    layout->addWidget(status, 1);
    layout->addLayout(buttons);
    resize(520, 400);

    connect(m_OK, &QPushButton::clicked, this, [this] { QDialog::accept(); });
    connect(m_Abort, &QPushButton::clicked, this, &CZNConvertProgressDlg::OnAbort);
}

template <typename Call> void CZNConvertProgressDlg::OnDialogThread(Call call)
{
    if (QThread::currentThread() == thread())
        call();
    else
        QMetaObject::invokeMethod(this, call, Qt::QueuedConnection);
}

void CZNConvertProgressDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_Job && !m_Started) {
        m_Started = true;
        m_Job->Start();
    }
}

void CZNConvertProgressDlg::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void CZNConvertProgressDlg::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CZNConvertProgressDlg::OnAbort()
{
    m_AbortFlag.store(1);
    m_Abort->setEnabled(false);
}

void CZNConvertProgressDlg::Log(const std::string &text)
{
    // The job's line breaks are "\r\n"; the log's are plain.
    const QString line = QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    OnDialogThread([this, line] {
        // Appended at the end of the log, wherever the user has put the caret.
        QTextCursor cursor(m_Log->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(line);
        m_Log->verticalScrollBar()->setValue(m_Log->verticalScrollBar()->maximum());
    });
}

void CZNConvertProgressDlg::ShowCount(int converted, int total)
{
    OnDialogThread([this, converted, total] {
        setWindowTitle(QString::fromStdString(CZNBatchJob::Caption(converted, total)));
        m_Label->setText(QString::fromStdString(CZNBatchJob::Label(converted, total)));
    });
}

void CZNConvertProgressDlg::SetProgressRange(int total)
{
    OnDialogThread([this, total] { m_Progress->setRange(0, total); });
}

void CZNConvertProgressDlg::SetProgress(int position)
{
    OnDialogThread([this, position] { m_Progress->setValue(position); });
}

void CZNConvertProgressDlg::EnableClose(BOOL enable)
{
    OnDialogThread([this, enable] {
        m_OK->setEnabled(enable != FALSE);
        m_Abort->setEnabled(enable == FALSE && !IsAbortRequested());
    });
}
