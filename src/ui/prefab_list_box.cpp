#include "ui/prefab_list_box.h"

#include <QMetaObject>

#include <memory>

#include "app/editor_app.h"
#include "fileio/file_stream_io.h"
#include "fileio/iwf_scene.h"
#include "fileio/prefab.h"
#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_api.h"
#include "platform/os/reporter.h"
#include "render/image/image.h"
#include "ui/owner_draw_delegate.h"

namespace
{
constexpr char kCaption[] = "TOVRA";
constexpr char kNotRendered[] = "A prefab that was successfully loaded could not be rendered in the list box";

QString PrefabText(const CZNPrefab *prefab)
{
    return QString::fromUtf8(prefab->GetName());
}

// The prefab file's thumbnail, or null when the file cannot be opened or holds none.
CZNImage *LoadThumbnail(const CZNPrefab *prefab)
{
    auto image = std::make_unique<CZNImage>();
    CZNFileStreamIO stream(prefab->GetPath(), ZNSTREAM_READ);
    if (!stream.IsOpen())
        return nullptr;
    CZNIWFScene scene;
    return scene.LoadThumbnail(stream, image.get()) ? image.release() : nullptr;
}
// Rows as wide as the list's visible area: a row asks for no width of its own, so the view
// gives each the viewport's width, with or without the scroll bar.
class CZNPrefabRowDelegate : public CZNOwnerDrawDelegate
{
public:
    using CZNOwnerDrawDelegate::CZNOwnerDrawDelegate;
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        return QSize(0, GetItemHeight());
    }
};
} // namespace

CZNPrefabListBox::CZNPrefabListBox(QWidget *parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("PrefabList"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
    setItemDelegate(new CZNPrefabRowDelegate(
        kItemHeight, [this](LPDRAWITEMSTRUCT item) { DrawItem(item); }, this));
}

int CZNPrefabListBox::AddPrefab(CZNPrefab *prefab)
{
    if (!prefab)
        return -1;
    const QString name = PrefabText(prefab);
    // After every row that sorts before or equal to the name: equal names keep their order.
    int low = 0, high = count();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (item(middle)->text().compare(name, Qt::CaseInsensitive) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    auto *row = new QListWidgetItem(name);
    row->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(prefab)));
    insertItem(low, row);
    return low;
}

CZNPrefab *CZNPrefabListBox::GetPrefab(int row) const
{
    const QListWidgetItem *entry = item(row);
    return entry ? reinterpret_cast<CZNPrefab *>(entry->data(Qt::UserRole).value<quintptr>()) : nullptr;
}

int CZNPrefabListBox::FindStringExact(const char *text) const
{
    if (!text)
        return -1;
    const QString wanted = QString::fromUtf8(text);
    for (int row = 0; row < count(); ++row)
        if (item(row)->text() == wanted)
            return row;
    return -1;
}

void CZNPrefabListBox::ResetContent()
{
    clear();
    m_Reported.clear();
}

void CZNPrefabListBox::DrawItem(LPDRAWITEMSTRUCT item)
{
    CZNDC *dc = CZNDC::FromHandle(item->hDC);
    if (!dc)
        return;
    CZNBrush fill;
    fill.CreateSolidBrush(GetSysColor((item->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    dc->FillRect(&item->rcItem, &fill);
    auto *prefab = reinterpret_cast<CZNPrefab *>(item->itemData);
    if (item->itemID == static_cast<UINT>(-1) || !prefab)
        return;

    if (!prefab->GetThumbnail())
        prefab->SetThumbnail(LoadThumbnail(prefab));
    if (const CZNImage *thumbnail = prefab->GetThumbnail()) {
        const int width = item->rcItem.right - item->rcItem.left;
        const int x = item->rcItem.left + (width - static_cast<int>(thumbnail->GetWidth())) / 2;
        if (!prefab->DrawThumbnail(dc, x, item->rcItem.top + kThumbnailTop, 0, 0)) {
            prefab->SetThumbnail(nullptr);
            if (m_Reported.insert(prefab).second && m_PendingReports++ == 0)
                QMetaObject::invokeMethod(this, &CZNPrefabListBox::ReportFailures, Qt::QueuedConnection);
        }
    }

    RECT text = item->rcItem;
    dc->SetBkMode(TRANSPARENT);
    dc->DrawText(prefab->GetName(), -1, &text, DT_CENTER);
    dc->SetBkMode(OPAQUE);
}

void CZNPrefabListBox::ReportFailures()
{
    // Taken first: the boxes repaint the list, which may queue further reports.
    int pending = m_PendingReports;
    m_PendingReports = 0;
    IZNReporter *reporter = GetEditorApp()->GetReporter();
    while (pending-- > 0 && reporter)
        reporter->Message(kNotRendered, kCaption, MB_OK);
}
