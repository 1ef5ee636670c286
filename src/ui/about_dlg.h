#pragma once

// CZNAboutDlg: the modal "About Tovra" box of the Help menu: the program's pictures, its version
// and an OK button. It owns its widgets.
#include <QDialog>

class CZNAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CZNAboutDlg(QWidget *parent = nullptr);
};
