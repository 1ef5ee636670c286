#pragma once

// CZNOpenSceneDialog: File Open's dialog, "Open Scene File". On the left an embedded file dialog
// (one existing file, the IWF filter first, then "All Files (*)"), whose Open and Cancel end this
// dialog; on the right the "Preview" box, a fixed-width column holding the thumbnail list of the
// folder shown. The list is refilled when the dialog is shown, when the folder changes and when
// the file type changes (which also clears the typed name). The file selected in either list is
// selected in the other, where it has a row; a double click on a row opens that file as Open does.
//
// The dialog starts in "IWF Export Config" / "Last Input Dir", else in the program folder; a file
// accepted writes the folder it was opened from there (its absolute path). Cancel writes nothing.
#include <QDialog>
#include <QString>

class CZNScenePreviewWnd;
class QFileDialog;
class QGroupBox;
class QLineEdit;
class QModelIndex;

class CZNOpenSceneDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kPreviewWidth = 160;

    explicit CZNOpenSceneDialog(QWidget *parent = nullptr);

    // The chosen file's absolute path; empty before a file is accepted.
    const QString &GetPathName() const { return m_PathName; }
    const QString &GetStartFolder() const { return m_StartFolder; }

    QFileDialog *GetFileDialog() const { return m_FileDialog; }
    QGroupBox *GetPreviewBox() const { return m_PreviewBox; }
    CZNScenePreviewWnd *GetPreviewList() const { return m_Preview; }
    // The file dialog's name box.
    QLineEdit *GetFileNameEdit() const;

    // The folder shown changed: the list is refilled from it.
    void OnFolderChange(const QString &folder);
    // The file dialog's current file changed: its row, if it has one, is selected.
    void OnFileNameChange(const QString &path);
    // The file type changed: the typed name is cleared and the list refilled.
    void OnTypeChange(const QString &filter);
    // The file dialog accepted a file.
    void OnFileNameOK();
    // A row was selected or double-clicked.
    void OnListSelChange(const QModelIndex &current);
    void OnListDblClk(const QModelIndex &index);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_StartFolder;
    QString m_PathName;
    QFileDialog *m_FileDialog;
    QGroupBox *m_PreviewBox;
    CZNScenePreviewWnd *m_Preview;
    // Set while one list follows the other, so that the change does not come back.
    bool m_Following = false;
};
