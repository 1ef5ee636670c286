#pragma once

// CZNBatchConvertDlg: the modal "Batch Conversion" dialog. A folder view with a multi-selection
// of files (and of folders with "Select Folders" ticked), a name box, a filter of the scene
// formats, and the "Output Settings": output folder, output type, stop on errors, the IWF export
// options and Select All. "&Convert" checks the folders, remembers them in the settings
// ("IWF Export Config" / "Last Input Dir", "Last Output Dir") and runs a batch job under a
// modal progress dialog; the dialog stays open for further batches until "C&lose". It owns the
// last job and progress dialog until the next Convert or its own end.
#include <QDialog>

#include <memory>
#include <string>
#include <vector>

#include "fileio/iwf_scene.h"

class CZNBatchJob;
class CZNConvertProgressDlg;
class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

class CZNBatchConvertDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CZNBatchConvertDlg(QWidget *parent = nullptr);
    ~CZNBatchConvertDlg() override;

    // The folder shown.
    void SetCurrentFolder(const QString &folder);
    QString GetCurrentFolder() const;

    void OnSelChangeType(int index);
    void OnOptions();
    void OnBrowse();
    void OnSelectAll();
    // The view's selection into the name box: one name plain, several quoted and separated by a blank.
    void OnFileNameChange();
    // Convert: false when nothing was run (a message may have said why).
    bool OnConvert();

    const IWFEXPORTOPTIONS &GetExportOptions() const { return m_Options; }
    CZNConvertProgressDlg *GetProgressDlg() const { return m_Progress.get(); }
    CZNBatchJob *GetJob() const { return m_Job.get(); }

    QListView *GetView() const { return m_View; }
    QFileSystemModel *GetModel() const { return m_Model; }
    QLineEdit *GetNameBox() const { return m_Name; }
    QComboBox *GetFilterCombo() const { return m_Filter; }
    QLineEdit *GetOutputEdit() const { return m_Output; }
    QComboBox *GetTypeCombo() const { return m_Type; }
    QCheckBox *GetStopOnErrors() const { return m_Stop; }
    QCheckBox *GetSelectFolders() const { return m_SelectFolders; }
    QPushButton *GetOptionsButton() const { return m_OptionsButton; }
    QPushButton *GetConvertButton() const { return m_Convert; }

    // The names of a name box text: each quoted name, or the whole text as one; false when a
    // closing quotation mark is missing.
    static bool SplitNames(const QString &text, std::vector<QString> *names);

private:
    void Warn(const char *text, unsigned type);

    std::string m_OutputFolder;
    std::string m_InputFolder;
    IWFEXPORTOPTIONS m_Options;
    std::unique_ptr<CZNConvertProgressDlg> m_Progress;
    std::unique_ptr<CZNBatchJob> m_Job;

    QFileSystemModel *m_Model;
    QListView *m_View;
    QLabel *m_Folder;
    QLineEdit *m_Name;
    QComboBox *m_Filter;
    QLineEdit *m_Output;
    QComboBox *m_Type;
    QCheckBox *m_Stop;
    QCheckBox *m_SelectFolders;
    QPushButton *m_OptionsButton;
    QPushButton *m_Convert;
};
