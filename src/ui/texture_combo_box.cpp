#include "ui/texture_combo_box.h"

#include <QLineEdit>

#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/gdi_api.h"
#include "render/image/image.h"
#include "render/texture.h"
#include "render/texture_manager.h"
#include "ui/owner_draw_delegate.h"

namespace
{
QString TextureName(CZNTexture *texture)
{
    return QString::fromLatin1(texture->GetTextureName());
}
} // namespace

CZNTextureComboBox::CZNTextureComboBox(QWidget *parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("TextureList"));
    setEditable(true);
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    setItemDelegate(new CZNOwnerDrawDelegate(kItemHeight, &CZNTextureComboBox::DrawItem, this));
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setMaxVisibleItems(kPopupHeight / kItemHeight);
}

int CZNTextureComboBox::AddTexture(CZNTexture *texture)
{
    if (!texture)
        return -1;
    const QString name = TextureName(texture);
    // After every row that sorts before or equal to the name: equal names keep their order.
    int low = 0, high = count();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (itemText(middle).compare(name, Qt::CaseInsensitive) <= 0)
            low = middle + 1;
        else
            high = middle;
    }
    insertItem(low, name, QVariant::fromValue(reinterpret_cast<quintptr>(texture)));
    return low;
}

CZNTexture *CZNTextureComboBox::GetTexture(int row) const
{
    if (row < 0 || row >= count())
        return nullptr;
    return reinterpret_cast<CZNTexture *>(itemData(row).value<quintptr>());
}

int CZNTextureComboBox::FindString(int start, const QString &prefix) const
{
    const int rows = count();
    const int first = start < 0 || start >= rows ? 0 : start + 1;
    for (int i = 0; i < rows; ++i) {
        const int row = (first + i) % rows;
        if (itemText(row).startsWith(prefix, Qt::CaseInsensitive))
            return row;
    }
    return -1;
}

void CZNTextureComboBox::SelectCurrentTexture(CZNTextureManager *manager, bool adoptFirst)
{
    if (!manager || count() == 0)
        return;
    CZNTexture *current = manager->GetCurrentTexture();
    int row = current ? FindString(-1, TextureName(current)) : -1;
    if (!current || (row < 0 && adoptFirst)) {
        row = 0;
        if (CZNTexture *first = GetTexture(0))
            manager->SetCurrentTexture(first);
    }
    setCurrentIndex(row < 0 ? 0 : row);
}

void CZNTextureComboBox::DrawItem(LPDRAWITEMSTRUCT item)
{
    CZNDC *dc = CZNDC::FromHandle(item->hDC);
    if (!dc)
        return;
    CZNBrush fill;
    fill.CreateSolidBrush(GetSysColor((item->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    dc->FillRect(&item->rcItem, &fill);
    auto *texture = reinterpret_cast<CZNTexture *>(item->itemData);
    if (item->itemID == static_cast<UINT>(-1) || !texture || !texture->GetPreviewImage())
        return;
    const CZNImage *preview = texture->GetPreviewImage();
    const int width = item->rcItem.right - item->rcItem.left;
    const int x = item->rcItem.left + (width - static_cast<int>(preview->GetWidth())) / 2;
    const int y = item->rcItem.top + (kItemHeight - static_cast<int>(preview->GetHeight())) / 2;
    texture->DrawPreview(dc, x, y, 0, 0);
    RECT text = item->rcItem;
    dc->SetBkMode(TRANSPARENT);
    dc->DrawText(texture->GetTextureName(), -1, &text, DT_CENTER);
    dc->SetBkMode(OPAQUE);
}
