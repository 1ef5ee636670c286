#pragma once

// CZNMissingResDlg: the modal "Missing Resources" dialog shown after a scene import that left
// textures without a match. It lists the names it is given, in their order, and offers OK; it
// owns only its widgets.
#include <QDialog>
#include <string>
#include <vector>

class QListWidget;

class CZNMissingResDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CZNMissingResDlg(const std::vector<std::string> &names, QWidget *parent = nullptr);

    QListWidget *GetList() const { return m_List; }

private:
    QListWidget *m_List;
};
