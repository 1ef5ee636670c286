#include "ui/name_category_dlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

#include "platform/os/reporter.h"

CZNNameCategoryDlg::CZNNameCategoryDlg(char *buffer, QWidget *parent) : QDialog(parent), m_Buffer(buffer)
{
    setObjectName(QStringLiteral("NameCategory"));
    setWindowTitle(QStringLiteral("Name Category"));
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Please specify the new category name :"), this));
    m_Edit = new QLineEdit(this);
    m_Edit->setMaxLength(kMaxLength);
    if (m_Buffer)
        m_Edit->setText(QString::fromUtf8(m_Buffer, static_cast<qsizetype>(strnlen(m_Buffer, kBufferSize))));
    m_Edit->selectAll();
    layout->addWidget(m_Edit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CZNNameCategoryDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CZNNameCategoryDlg::reject);
    layout->addWidget(buttons);
}

int CZNNameCategoryDlg::DoModal()
{
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CZNNameCategoryDlg::accept()
{
    if (m_Buffer) {
        QString text = m_Edit->text().left(kMaxLength);
        QByteArray bytes = text.toUtf8();
        // Whole characters only, within the manager's field.
        while (bytes.size() > kMaxLength) {
            text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
            bytes = text.toUtf8();
        }
        std::memcpy(m_Buffer, bytes.constData(), static_cast<size_t>(bytes.size()));
        m_Buffer[bytes.size()] = '\0';
    }
    QDialog::accept();
}
