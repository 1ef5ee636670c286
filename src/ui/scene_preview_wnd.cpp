#include "ui/scene_preview_wnd.h"

#include <QDir>
#include <QFile>
#include <QStandardItemModel>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "fileio/file_stream_io.h"
#include "fileio/iwf_scene.h"
#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_api.h"
#include "platform/os/folder_listing.h"
#include "render/image/draw_paletted_image.h"
#include "render/image/image.h"
#include "ui/owner_draw_delegate.h"

namespace
{
constexpr int kPathRole = Qt::UserRole + 1;

bool LessIgnoringCase(const std::string &a, const std::string &b)
{
    const auto lower = [](unsigned char c) { return static_cast<char>(std::tolower(c)); };
    const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
        return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
    });
    const bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [&](char x, char y) {
        return lower(static_cast<unsigned char>(x)) < lower(static_cast<unsigned char>(y));
    });
    // Names that differ only in letter case keep a fixed order.
    return less || (!greater && a < b);
}

// The thumbnail stored in the file, or else the default picture; false when neither is there.
bool ReadThumbnail(const std::string &path, CZNImage *image)
{
    std::error_code error;
    // Only a regular file is opened: a pipe or a device that took a row's place would block here.
    if (std::filesystem::is_regular_file(path, error)) {
        CZNFileStreamIO stream;
        if (stream.Open(path.c_str(), ZNSTREAM_READ)) {
            CZNIWFScene scene;
            if (scene.LoadThumbnail(stream, image))
                return true;
        }
    }
    return image->LoadResourceImage(
        reinterpret_cast<const char *>(static_cast<uintptr_t>(CZNScenePreviewWnd::kDefaultPicture)));
}
} // namespace

CZNScenePreviewWnd::CZNScenePreviewWnd(QWidget *parent) : QListView(parent), m_Model(new QStandardItemModel(this))
{
    setObjectName(QStringLiteral("ScenePreviewList"));
    setModel(m_Model);
    setItemDelegate(new CZNOwnerDrawDelegate(
        kItemHeight, [this](LPDRAWITEMSTRUCT item) { DrawItem(item); }, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CZNScenePreviewWnd::FillFromFolder(const QString &folder, const QStringList &patterns)
{
    m_Model->clear();
    m_Folder = QDir(folder).absolutePath();
    std::vector<ZNFOLDERENTRY> entries;
    if (!ZnListFolder(QFile::encodeName(m_Folder).toStdString(), "*", entries))
        return;
    std::vector<std::string> names;
    for (const ZNFOLDERENTRY &entry : entries) {
        if (!entry.RegularFile || entry.Name.empty() || entry.Name[0] == '.')
            continue;
        if (std::any_of(patterns.begin(), patterns.end(), [&](const QString &pattern) {
                return ZnMatchPattern(QFile::encodeName(pattern).constData(), entry.Name.c_str());
            }))
            names.push_back(entry.Name);
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    const QDir dir(m_Folder);
    for (const std::string &name : names) {
        const QString text = QFile::decodeName(name.c_str());
        auto *item = new QStandardItem(text);
        item->setData(dir.absoluteFilePath(text), kPathRole);
        m_Model->appendRow(item);
    }
}

int CZNScenePreviewWnd::GetRowCount() const
{
    return m_Model->rowCount();
}

QString CZNScenePreviewWnd::GetRowName(int row) const
{
    const QStandardItem *item = m_Model->item(row);
    return item ? item->text() : QString();
}

QString CZNScenePreviewWnd::GetRowPath(int row) const
{
    const QStandardItem *item = m_Model->item(row);
    return item ? item->data(kPathRole).toString() : QString();
}

int CZNScenePreviewWnd::FindRow(const QString &path) const
{
    if (path.isEmpty())
        return -1;
    const QString wanted = QDir::cleanPath(QDir(m_Folder).absoluteFilePath(path));
    for (int row = 0; row < m_Model->rowCount(); ++row)
        if (GetRowPath(row) == wanted)
            return row;
    return -1;
}

void CZNScenePreviewWnd::DrawItem(LPDRAWITEMSTRUCT item) const
{
    CZNDC *dc = CZNDC::FromHandle(item->hDC);
    if (!dc || m_Folder.isEmpty())
        return;
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    CZNBrush fill;
    fill.CreateSolidBrush(GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    dc->FillRect(&item->rcItem, &fill);
    if (item->itemState & ODS_FOCUS)
        dc->DrawFocusRect(&item->rcItem);
    dc->SetTextColor(selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
    const int row = static_cast<int>(item->itemID);
    if (item->itemID == static_cast<UINT>(-1) || row >= GetRowCount())
        return;

    CZNImage image;
    if (ReadThumbnail(QFile::encodeName(GetRowPath(row)).toStdString(), &image)) {
        const int width = item->rcItem.right - item->rcItem.left;
        DrawPalettedImage(dc, &image, item->rcItem.left + (width - static_cast<int>(image.GetWidth())) / 2,
                          item->rcItem.top + kThumbnailTop, 0, 0, selected);
    }
    RECT text = item->rcItem;
    dc->SetBkMode(TRANSPARENT);
    dc->DrawText(GetRowName(row).toLatin1().toStdString(), &text, DT_CENTER);
    dc->SetBkMode(OPAQUE);
}
