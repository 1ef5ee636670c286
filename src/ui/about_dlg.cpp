#include "ui/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "app/editor_app.h"

CZNAboutDlg::CZNAboutDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Tovra"));
    const QString folder = QString::fromStdString(GetEditorApp()->GetProgramDirectory() + "Resources/");
    auto *layout = new QVBoxLayout(this);
    auto *banner = new QLabel(this);
    banner->setPixmap(QPixmap(folder + QStringLiteral("bitmap162.png")));
    layout->addWidget(banner);
    auto *row = new QHBoxLayout;
    auto *icon = new QLabel(this);
    icon->setPixmap(QPixmap(folder + QStringLiteral("bitmap155.png")));
    icon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    row->addWidget(icon);
    auto *texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Version 1.5"), this));
    texts->addWidget(new QLabel(QStringLiteral("TOVRA level editor"), this));
    texts->addWidget(new QLabel(QStringLiteral("Built for Linux with Qt 6 and OpenGL."), this));
    row->addLayout(texts);
    layout->addLayout(row);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
