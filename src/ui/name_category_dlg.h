#pragma once

// CZNNameCategoryDlg: the small modal dialog "Name Category" that asks the Prefabs page for a
// category name: "Please specify the new category name :", an edit and OK and Cancel. It works on
// the caller's buffer of kBufferSize bytes: the edit starts with the buffer's text, and OK writes
// the edit's text back (UTF-8, zero-terminated). The edit takes at most kMaxLength characters, the
// prefab manager's category field, so a category made through it is found again by its name; a
// text longer in bytes is cut at a character boundary.
#include <QDialog>

class QLineEdit;

class CZNNameCategoryDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kBufferSize = 256;
    static constexpr int kMaxLength = 253;

    CZNNameCategoryDlg(char *buffer, QWidget *parent = nullptr);

    // Runs the dialog; IDOK when it ended with OK, else IDCANCEL.
    int DoModal();
    QLineEdit *GetEdit() const { return m_Edit; }

    void accept() override;

private:
    char *m_Buffer;
    QLineEdit *m_Edit;
};
