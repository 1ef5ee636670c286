#pragma once

// CZNScenePreviewWnd: the open dialog's thumbnail list. One 124-pixel row per regular file of the
// folder being shown that the file type's patterns match (letter case ignored; names beginning
// with a dot, folders, pipes and devices left out), in name order ignoring case. A row shows the
// file's name centred on top and, 15 pixels below the row's top, the thumbnail stored in the file,
// or the program's default picture when the file has none; it is read again at every paint.
// Each row keeps its file's absolute path. A folder that cannot be listed gives no rows.
#include <QListView>
#include <QStringList>

#include "platform/gdi/draw_item.h"

class QStandardItemModel;

class CZNScenePreviewWnd : public QListView
{
    Q_OBJECT

public:
    static constexpr int kItemHeight = 124;
    static constexpr int kThumbnailTop = 15;
    // The default picture, a bitmap resource of the program.
    static constexpr unsigned kDefaultPicture = 191;

    explicit CZNScenePreviewWnd(QWidget *parent = nullptr);

    // Lists folder's files that match one of patterns ("*.iwf", "*"); the folder is stored even
    // when it cannot be listed.
    void FillFromFolder(const QString &folder, const QStringList &patterns);
    const QString &GetFolder() const { return m_Folder; }

    int GetRowCount() const;
    QString GetRowName(int row) const;
    QString GetRowPath(int row) const;
    // The row of an absolute path; -1 when none.
    int FindRow(const QString &path) const;

    // One row into the record's context: the list's owner-draw step.
    void DrawItem(LPDRAWITEMSTRUCT item) const;

private:
    QStandardItemModel *m_Model;
    // Empty until the first fill: nothing is drawn before a folder is known.
    QString m_Folder;
};
