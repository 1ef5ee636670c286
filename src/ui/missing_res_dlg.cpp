#include "ui/missing_res_dlg.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

CZNMissingResDlg::CZNMissingResDlg(const std::vector<std::string> &names, QWidget *parent)
    : QDialog(parent), m_List(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Missing Resources"));
    setModal(true);
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("The following resources could not be located during the scene import."), this));
    for (const std::string &name : names)
        m_List->addItem(QString::fromStdString(name));
    layout->addWidget(m_List);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
