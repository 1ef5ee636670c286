// The owner-draw bridge: a list's rows are painted by its DrawItem step through a drawing context
// over an image of the row, with the row's index, state and data, and every row is as tall as the
// list's item height.
#include <gtest/gtest.h>

#include <vector>

#include <QImage>
#include <QListWidget>

#include "platform/gdi/brush.h"
#include "platform/gdi/dc.h"
#include "support/widget_app.h"
#include "ui/owner_draw_delegate.h"

namespace
{

constexpr COLORREF kSelectedFill = RGB(255, 0, 0);
constexpr COLORREF kFill = RGB(0, 0, 255);

TEST(OwnerDrawDelegateTest, RowsAreDrawnByTheStepWithTheirStateAndData)
{
    ZnWidgetApp();
    QListWidget list;
    list.resize(120, 200);
    std::vector<DRAWITEMSTRUCT> calls;
    auto *delegate = new CZNOwnerDrawDelegate(
        40,
        [&calls](LPDRAWITEMSTRUCT item) {
            calls.push_back(*item);
            CZNBrush brush((item->itemState & ODS_SELECTED) ? kSelectedFill : kFill);
            CZNDC::FromHandle(item->hDC)->FillRect(&item->rcItem, &brush);
        },
        &list);
    list.setItemDelegate(delegate);
    for (int i = 0; i < 3; ++i) {
        auto *row = new QListWidgetItem(QString::number(i), &list);
        row->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(100 + i));
    }
    list.setCurrentRow(1);
    list.show();

    EXPECT_EQ(list.visualItemRect(list.item(0)).height(), 40);
    EXPECT_EQ(list.visualItemRect(list.item(2)).top(), 80);

    const QImage shot = list.viewport()->grab().toImage();
    const auto pixel = [&shot](int row) { return shot.pixelColor(10, row * 40 + 20).rgb() & 0xFFFFFF; };
    EXPECT_EQ(pixel(0), 0x0000FFu);
    EXPECT_EQ(pixel(1), 0xFF0000u);
    EXPECT_EQ(pixel(2), 0x0000FFu);

    ASSERT_GE(calls.size(), 3u);
    for (const DRAWITEMSTRUCT &item : calls) {
        ASSERT_LT(item.itemID, 3u);
        EXPECT_EQ(item.itemData, 100u + item.itemID);
        EXPECT_EQ(item.itemAction, ODA_DRAWENTIRE);
        EXPECT_EQ(item.rcItem.left, 0);
        EXPECT_EQ(item.rcItem.top, 0);
        EXPECT_EQ(item.rcItem.bottom, 40);
        EXPECT_EQ((item.itemState & ODS_SELECTED) != 0, item.itemID == 1);
    }
}

} // namespace
