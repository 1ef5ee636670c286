#pragma once

// CZNConvertProgressDlg: the modal "Conversion Progress" dialog of a batch conversion. It starts
// its job's worker when it is shown and is the job's host: the worker's calls are passed to the
// dialog's thread, and Abort sets the flag the worker reads before each file. Enter, Esc and the
// window's close button do nothing; OK, enabled only at the end of the run, closes it. The job is
// not owned and must outlive the dialog's run.
#include <QDialog>

#include <atomic>

#include "fileio/batch_host.h"

class CZNBatchJob;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class CZNConvertProgressDlg : public QDialog, public IZNBatchHost
{
    Q_OBJECT

public:
    explicit CZNConvertProgressDlg(QWidget *parent = nullptr);

    void SetJob(CZNBatchJob *job) { m_Job = job; }
    void OnAbort();

    QLabel *GetLabel() const { return m_Label; }
    QProgressBar *GetProgressBar() const { return m_Progress; }
    QPlainTextEdit *GetLog() const { return m_Log; }
    QPushButton *GetOKButton() const { return m_OK; }
    QPushButton *GetAbortButton() const { return m_Abort; }

    // IZNBatchHost, from any thread.
    void Log(const std::string &text) override;
    void ShowCount(int converted, int total) override;
    void SetProgressRange(int total) override;
    void SetProgress(int position) override;
    void EnableClose(BOOL enable) override;
    bool IsAbortRequested() const override { return m_AbortFlag.load() != 0; }

    void reject() override {}

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Runs call on the dialog's thread, at once when already there.
    template <typename Call> void OnDialogThread(Call call);

    CZNBatchJob *m_Job = nullptr;
    bool m_Started = false;
    std::atomic<int> m_AbortFlag{0};
    QLabel *m_Label;
    QProgressBar *m_Progress;
    QPlainTextEdit *m_Log;
    QPushButton *m_OK;
    QPushButton *m_Abort;
};
