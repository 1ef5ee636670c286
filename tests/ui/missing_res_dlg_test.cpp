// The Missing Resources dialog: its texts, the names in the order given, and OK closing it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "support/widget_app.h"
#include "ui/missing_res_dlg.h"

namespace
{

TEST(MissingResDlg, ListsTheNamesInOrderAndOkAccepts)
{
    ZnWidgetApp();
    CZNMissingResDlg dialog({"stone.bmp", "grass.png", "stone.bmp"});
    EXPECT_EQ(dialog.windowTitle(), "Missing Resources");
    EXPECT_TRUE(dialog.isModal());
    QLabel *label = dialog.findChild<QLabel *>();
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "The following resources could not be located during the scene import.");
    QListWidget *list = dialog.GetList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "stone.bmp");
    EXPECT_EQ(list->item(1)->text(), "grass.png");
    EXPECT_EQ(list->item(2)->text(), "stone.bmp");

    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    ASSERT_TRUE(buttons);
    ASSERT_EQ(buttons->buttons().size(), 1);
    dialog.show();
    buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
