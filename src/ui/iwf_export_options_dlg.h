#pragma once

// CZNIWFExportOptionsDlg: the modal "IWF Export Options" dialog. Two one-column check lists name
// the chunk kinds (standard and custom); selecting a row shows its help text below. The options
// block given to the constructor is not owned; it is written on OK and on "Save as Default
// Options" (which also stores it as the user's default and leaves the dialog open). The
// "CHUNK_VERTEXCOMPONENTS" row is always written: it is dimmed and can never be ticked.
#include <QDialog>

struct IWFEXPORTOPTIONS;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class CZNIWFExportOptionsDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CZNIWFExportOptionsDlg(IWFEXPORTOPTIONS *options, QWidget *parent = nullptr);

    QListWidget *GetStandardList() const { return m_Standard; }
    QListWidget *GetCustomList() const { return m_Custom; }
    QPlainTextEdit *GetInfo() const { return m_Info; }
    QPushButton *GetSaveDefaultsButton() const { return m_SaveDefaults; }

    void accept() override;

private:
    void OnSaveDefaults();
    void ReadChecks();
    void ShowHelp(const QListWidget *list, int row);

    IWFEXPORTOPTIONS *m_Options;
    QListWidget *m_Standard;
    QListWidget *m_Custom;
    QPlainTextEdit *m_Info;
    QPushButton *m_SaveDefaults;
};
