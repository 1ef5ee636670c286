#pragma once

// CZNFolderBrowser: picks a folder with the non-native folder dialog, titled "Current Selection",
// opened on the initial folder (and kept below the root folder when one is given). Browse returns
// 1 when a folder was chosen (GetFolder then names it) and 2 when the dialog was cancelled (the
// initial folder stays). ShortenPath makes a long path fit a status line.
#include <QString>

#include "platform/os/win_types.h"

class QFileDialog;
class QWidget;

class CZNFolderBrowser
{
public:
    CZNFolderBrowser(const char *initialFolder, UINT flags, QWidget *owner, const char *rootFolder);
    virtual ~CZNFolderBrowser();
    CZNFolderBrowser(const CZNFolderBrowser &) = delete;
    CZNFolderBrowser &operator=(const CZNFolderBrowser &) = delete;

    virtual int Browse();
    const QString &GetFolder() const { return m_Chosen; }
    // The open dialog while Browse runs (tests answer it); null otherwise.
    QFileDialog *GetDialog() const { return m_Dialog; }

    // At most 45 characters and a separator: one trailing separator dropped, then a long path
    // keeps its start, "..." and its last component; the path's own separator ('/' when it has
    // none) is appended.
    static QString ShortenPath(const QString &path);

private:
    QString m_Initial;
    QString m_Root;
    QString m_Chosen;
    QWidget *m_Owner;
    QFileDialog *m_Dialog = nullptr;
};
