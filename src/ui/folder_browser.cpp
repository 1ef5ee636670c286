#include "ui/folder_browser.h"

#include <QFileDialog>

#include <algorithm>

CZNFolderBrowser::CZNFolderBrowser(const char *initialFolder, UINT, QWidget *owner, const char *rootFolder)
    : m_Initial(QString::fromUtf8(initialFolder ? initialFolder : "")),
      m_Root(QString::fromUtf8(rootFolder ? rootFolder : "")), m_Owner(owner)
{
}

CZNFolderBrowser::~CZNFolderBrowser() = default;

int CZNFolderBrowser::Browse()
{
    m_Chosen = m_Initial;
    QFileDialog dialog(m_Owner, QStringLiteral("Current Selection"), m_Initial);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    if (!m_Root.isEmpty()) {
        // Outside the root the dialog goes back to it.
        QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [this, &dialog](const QString &folder) {
            if (!folder.startsWith(m_Root))
                dialog.setDirectory(m_Root);
        });
    }
    dialog.setLabelText(QFileDialog::LookIn, ShortenPath(m_Initial));
    m_Dialog = &dialog;
    const int result = dialog.exec();
    m_Dialog = nullptr;
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return 2;
    m_Chosen = dialog.selectedFiles().first();
    return 1;
}

QString CZNFolderBrowser::ShortenPath(const QString &path)
{
    const qsizetype lastBack = path.lastIndexOf(QLatin1Char('\\')), lastSlash = path.lastIndexOf(QLatin1Char('/'));
    const QChar separator = lastBack < 0 && lastSlash < 0 ? QLatin1Char('/') : path[std::max(lastBack, lastSlash)];
    QString text = path;
    if (text.endsWith(QLatin1Char('\\')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    if (text.size() > 45) {
        const qsizetype last = std::max(text.lastIndexOf(QLatin1Char('\\')), text.lastIndexOf(QLatin1Char('/')));
        if (last < 0) {
            text = text.left(35) + QStringLiteral("...");
        } else {
            const QString tail = text.mid(last);
            text = text.left(std::max<qsizetype>(0, 42 - tail.size())) + QStringLiteral("...") + tail;
        }
    }
    return text + separator;
}
