// The options panel in the editor's main window, on the test run's platform: the dock and its
// sheet of eight pages, scrolling by dragging a page or the slider, the editor's shortcuts with
// the focus in a page, the placement commands' pages, and the numeric spin control.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>

#include "app/primitive_plugin_manager.h"
#include "editor/undo_record.h"
#include "platform/os/command_ids.h"
#include "support/temp_dir.h"
#include "ui/num_spin_ctrl.h"
#include "ui/options_panel_fixture.h"
#include "ui/qt_app_shell.h"

namespace
{

class OptionsPanelTest : public ZnOptionsPanelTest
{
protected:
    QRect DisplayArea() const { return Sheet()->GetDisplayArea()->geometry(); }
    CZNOptionsPage *Activate(int index) const
    {
        Sheet()->SetActivePage(index);
        QCoreApplication::processEvents();
        return Sheet()->GetActivePage();
    }
};

TEST_F(OptionsPanelTest, EightButtonsInTabOrderOverPagesOfTheirContentHeights)
{
    const struct {
        const char *title;
        int height;
    } expected[] = {{"General", 150},  {"Primitives", 485}, {"Faces", 522},   {"Entities", 485},
                    {"Textures", 540}, {"Overlays", 200},   {"Prefabs", 480}, {"Scene", 485}};
    const QRect area = DisplayArea();
    QRect previous;
    for (int i = 0; i < CZNOptionsSheet::PAGE_COUNT; ++i) {
        SCOPED_TRACE(expected[i].title);
        QAbstractButton *button = Sheet()->GetTabButton(i);
        EXPECT_EQ(button->text(), QString::fromLatin1(expected[i].title));
        // Buttons wrap in rows: each right of the one before, or first in a lower row.
        const QRect r = button->geometry();
        EXPECT_LE(r.right(), CZNOptionsSheet::kWidth - 1);
        if (i > 0) {
            EXPECT_TRUE((r.top() == previous.top() && r.left() == previous.right() + 1) ||
                        (r.left() == 0 && r.top() > previous.top()));
        }
        EXPECT_LT(r.bottom(), area.top());
        previous = r;

        CZNOptionsPage *page = Activate(i);
        EXPECT_TRUE(button->isChecked());
        EXPECT_EQ(page->GetContentHeight(), expected[i].height);
        EXPECT_EQ(page->GetContent()->height(), expected[i].height);
        // The page leaves 14 pixels for the slider; the slider shows the page's height.
        EXPECT_EQ(page->geometry(), QRect(0, 0, area.width() - 14, area.height()));
        EXPECT_EQ(page->GetContent()->width(), area.width() - 14);
        EXPECT_EQ(Sheet()->GetSlider()->Metrics().GetMax(), static_cast<float>(expected[i].height));
        EXPECT_EQ(Sheet()->GetSlider()->Metrics().GetPage(),
                  static_cast<float>(std::min(area.height(), expected[i].height)));
    }
    // The slider at (right - 11, top + 12, right - 1, bottom - 14) of the display area.
    const int right = area.x() + area.width(), bottom = area.y() + area.height();
    EXPECT_EQ(Sheet()->GetSlider()->geometry(),
              QRect(QPoint(right - 11, area.y() + 12), QPoint(right - 1 - 1, bottom - 14 - 1)));
}

TEST_F(OptionsPanelTest, TheDockOpensWideEnoughForTheSheetAndAgainAfterCtrl1)
{
    CZNOptionsBar *bar = frame->GetOptionsBar();
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("Options"));
    EXPECT_EQ(Sheet()->geometry(), QRect(5, 5, 172, 555));
    EXPECT_GE(bar->widget()->width(), 182);
    EXPECT_TRUE(Sheet()->isVisible());

    QTest::keyClick(frame.get(), Qt::Key_1, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar->isVisible());
    QTest::keyClick(frame.get(), Qt::Key_1, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GE(bar->widget()->width(), 182);
}

TEST_F(OptionsPanelTest, DraggingATallPageStopsAtBothEndsAndTheSliderFollows)
{
    CZNOptionsPage *page = Activate(CZNOptionsSheet::PAGE_TEXTURES);
    const int display = DisplayArea().height();
    ASSERT_GT(540, display);
    EXPECT_TRUE(ShowsCursor(page, kPageCursor));

    QTest::mousePress(page, Qt::LeftButton, {}, QPoint(40, 200));
    EXPECT_TRUE(ShowsCursor(page, kPageDragCursor));
    // Down past the top: the content's top stays at the display's top.
    QTest::mouseMove(page, QPoint(40, 260));
    EXPECT_EQ(page->GetScrollOffset(), 0);
    EXPECT_EQ(page->GetContent()->y(), 0);
    QTest::mouseMove(page, QPoint(40, 240));
    EXPECT_EQ(page->GetScrollOffset(), -20);
    EXPECT_EQ(page->GetContent()->y(), -20);
    EXPECT_EQ(Sheet()->GetSlider()->Metrics().GetPos(), 20.0f);
    // Up past the end: the content's bottom stays at the display's bottom.
    QTest::mouseMove(page, QPoint(40, -300));
    EXPECT_EQ(page->GetScrollOffset(), display - 540);
    EXPECT_EQ(page->GetContent()->y(), display - 540);
    EXPECT_EQ(Sheet()->GetSlider()->Metrics().GetPos(), static_cast<float>(540 - display));
    QTest::mouseRelease(page, Qt::LeftButton, {}, QPoint(40, -300));
    EXPECT_TRUE(ShowsCursor(page, kPageCursor));

    // The offset stays with the page: shown again, it is where it was.
    Activate(CZNOptionsSheet::PAGE_GENERAL);
    Activate(CZNOptionsSheet::PAGE_TEXTURES);
    EXPECT_EQ(page->GetContent()->y(), display - 540);
    EXPECT_EQ(Sheet()->GetSlider()->Metrics().GetPos(), static_cast<float>(540 - display));
}

TEST_F(OptionsPanelTest, APageThatFitsDoesNotMoveButShowsTheDragCursor)
{
    CZNOptionsPage *page = Activate(CZNOptionsSheet::PAGE_GENERAL);
    QTest::mousePress(page, Qt::LeftButton, {}, QPoint(40, 100));
    QTest::mouseMove(page, QPoint(40, 40));
    QTest::mouseMove(page, QPoint(40, 300));
    EXPECT_TRUE(ShowsCursor(page, kPageDragCursor));
    QTest::mouseRelease(page, Qt::LeftButton, {}, QPoint(40, 300));
    EXPECT_EQ(page->GetScrollOffset(), 0);
    EXPECT_EQ(page->GetContent()->y(), 0);
    // Nor does a later activation throw it out of view.
    Activate(CZNOptionsSheet::PAGE_SCENE);
    Activate(CZNOptionsSheet::PAGE_GENERAL);
    EXPECT_EQ(page->GetContent()->y(), 0);
}

TEST_F(OptionsPanelTest, DraggingTheSlidersThumbScrollsTheActivePage)
{
    CZNOptionsPage *page = Activate(CZNOptionsSheet::PAGE_FACES);
    CZNSliderCtrl *slider = Sheet()->GetSlider();
    const QPoint grab = slider->GetThumbWidgetRect().center();
    QTest::mousePress(slider, Qt::LeftButton, {}, grab);
    EXPECT_TRUE(slider->IsDragging());
    EXPECT_TRUE(ShowsCursor(slider, kPageDragCursor));
    QTest::mouseMove(slider, grab + QPoint(0, 10));
    const int position = static_cast<int>(slider->Metrics().GetPos());
    EXPECT_GT(position, 0);
    EXPECT_EQ(page->GetScrollOffset(), -position);
    EXPECT_EQ(page->GetContent()->y(), -position);
    // To the end: the page's bottom at the display's bottom.
    QTest::mouseMove(slider, grab + QPoint(0, 400));
    EXPECT_EQ(page->GetScrollOffset(), -static_cast<int>(slider->Metrics().GetPos()));
    EXPECT_EQ(page->GetScrollOffset(), DisplayArea().height() - 522);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, grab + QPoint(0, 400));
    EXPECT_FALSE(slider->IsDragging());
}

TEST_F(OptionsPanelTest, CtrlZWithTheFocusInTheSceneTreeUndoesABrushMove)
{
    ZNBRUSH *brush = Box({0, 0, 0}, {40, 10, 40});
    Activate(CZNOptionsSheet::PAGE_SCENE);
    QTreeWidget *tree = Scene()->GetTree();
    for (bool floating : {false, true}) {
        SCOPED_TRACE(floating ? "floating" : "docked");
        frame->GetOptionsBar()->setFloating(floating);
        QCoreApplication::processEvents();
        Click(Pixel(0, 20));
        ASSERT_EQ(brush->IsBrushSelected(), 1);
        Drag(Pixel(10, 30), Pixel(30, 30));
        ASSERT_EQ(brush->GetBoundingBox(1).Min, D3DXVECTOR3(20, 0, 0));
        ASSERT_NE(doc->GetUndoList(), nullptr);

        tree->window()->activateWindow();
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
        QCoreApplication::processEvents();
        EXPECT_EQ(brush->GetBoundingBox(1).Min, D3DXVECTOR3(0, 0, 0));
        EXPECT_EQ(doc->GetUndoList(), nullptr);
        Band()->Clear(1, 0);
    }
}

TEST_F(OptionsPanelTest, KeypadPlusAndMinusInTheSceneTreeStepTheGrid)
{
    Activate(CZNOptionsSheet::PAGE_SCENE);
    QTreeWidget *tree = Scene()->GetTree();
    tree->setFocus();
    const float grid = GetEditorApp()->GetGridSize();
    QTest::keyClick(tree, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(GetEditorApp()->GetGridSize(), grid + 1.0f);
    // The tree did not take the key: its root is still expanded.
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    QTest::keyClick(tree, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(GetEditorApp()->GetGridSize(), grid);
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
}

TEST_F(OptionsPanelTest, PlacementCommandsShowTheirPagesAndSelectReturnsToTheSavedOne)
{
    Activate(CZNOptionsSheet::PAGE_SCENE);
    frame->RunCommand(ZNCMD_PLACE_PRIMITIVE);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_PRIMITIVES);
    frame->RunCommand(ZNCMD_PLACE_ENTITY);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_ENTITIES);
    frame->RunCommand(ZNCMD_PLACE_SELECT);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_SCENE);
    EXPECT_EQ(GetEditorApp()->GetPlacementMode(), ZNPLACE_SELECT);

    Activate(CZNOptionsSheet::PAGE_GENERAL);
    frame->RunCommand(ZNCMD_PLACE_OVERLAY);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_OVERLAYS);
    frame->RunCommand(ZNCMD_PLACE_PREFAB);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_PREFABS);
    EXPECT_EQ(GetEditorApp()->GetPlacementMode(), ZNPLACE_PREFAB);
    frame->RunCommand(ZNCMD_PLACE_SELECT);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_GENERAL);
    // Nothing saved: Select leaves the page alone.
    Activate(CZNOptionsSheet::PAGE_FACES);
    frame->RunCommand(ZNCMD_PLACE_SELECT);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_FACES);
}

// The editor as start-up leaves it: the Qt shell owns the document and the window, and the Cube
// plug-in from a program folder of the test's own is the active primitive.
class PlacementShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        ZnWidgetApp();
        app = GetEditorApp();
        savedDirectory = app->GetProgramDirectory();
        savedOptions = app->Options();
        app->SetDefaultOptions();
        app->Options().m_SnapToGrid = 0;
        const std::filesystem::path program = dir.Path() / "program";
        std::filesystem::create_directories(program / "Plugins" / "Primitives");
        std::filesystem::create_directories(program / "Debug Logs");
        std::filesystem::copy_file(std::filesystem::path(ZN_SHIPPED_PLUGIN_DIR) / "Primitives" / "cube.so",
                                   program / "Plugins" / "Primitives" / "cube.so");
        app->SetProgramDirectory(program.string() + "/");
        ASSERT_EQ(app->GetPrimitivePluginManager()->LoadPlugins(
                      nullptr, (program / "Plugins" / "Primitives").string().append("/").c_str(), "*.so"),
                  1);
        shell = std::make_unique<CZNQtAppShell>(nullptr);
        ASSERT_TRUE(shell->CreateMainFrame());
        app->SetShell(shell.get());
        frame = shell->GetMainFrame();
        frame->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        app->SetShell(nullptr);
        shell.reset();
        app->GetPrimitivePluginManager()->UnloadPlugins();
        app->SetPlacementMode(ZNPLACE_SELECT);
        app->Options() = savedOptions;
        app->SetProgramDirectory(savedDirectory);
    }

    ZnTempDir dir;
    CZNEDITORApp *app = nullptr;
    std::unique_ptr<CZNQtAppShell> shell;
    CZNMainFrame *frame = nullptr;
    std::string savedDirectory;
    ZNAPPOPTIONS savedOptions{};
};

TEST_F(PlacementShellTest, ACubePlacedInTheTopViewReturnsToTheScenePageWhichListsIt)
{
    CZNOptionsSheet *sheet = frame->GetOptionsBar()->GetSheet();
    sheet->SetActivePage(CZNOptionsSheet::PAGE_SCENE);
    frame->RunCommand(ZNCMD_PLACE_PRIMITIVE);
    ASSERT_EQ(sheet->GetActiveIndex(), CZNOptionsSheet::PAGE_PRIMITIVES);

    QWidget *top = frame->GetSplitter()->GetPane(0, 0);
    QTest::mouseClick(top, Qt::LeftButton, {}, top->rect().center());
    QCoreApplication::processEvents();
    ASSERT_NE(app->GetDocument()->GetBrushList(), nullptr);
    EXPECT_EQ(app->GetPlacementMode(), ZNPLACE_SELECT);
    EXPECT_TRUE(frame->GetAction(ZNCMD_PLACE_SELECT)->isChecked());
    EXPECT_EQ(sheet->GetActiveIndex(), CZNOptionsSheet::PAGE_SCENE);
    QTreeWidget *tree = sheet->GetScenePage()->GetTree();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    ASSERT_EQ(tree->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), QStringLiteral("Cube01"));
}

TEST(NumSpinCtrlTest, TypedTextStaysUntilAnArrowAppliesTheRule)
{
    ZnWidgetApp();
    CZNNumSpinCtrl spin;
    spin.SetRange(0, 255, 1);
    QSignalSpy changes(spin.GetBuddy(), &QLineEdit::textChanged);
    spin.SetValue(12);
    EXPECT_EQ(spin.GetBuddy()->text(), QStringLiteral("12"));
    // Text set by code is a change too.
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(spin.Model().GetPos(), 12);
    spin.show();
    spin.setFocus();

    spin.GetBuddy()->selectAll();
    QTest::keyClicks(spin.GetBuddy(), "300");
    EXPECT_EQ(spin.GetBuddy()->text(), QStringLiteral("300"));
    EXPECT_EQ(spin.GetValue(), 300.0);
    QTest::keyClick(&spin, Qt::Key_Up);
    EXPECT_EQ(spin.GetBuddy()->text(), QStringLiteral("255"));

    spin.GetBuddy()->selectAll();
    QTest::keyClicks(spin.GetBuddy(), "300");
    QTest::keyClick(&spin, Qt::Key_Down);
    EXPECT_EQ(spin.GetBuddy()->text(), QStringLiteral("299"));

    spin.SetPrecision(2);
    spin.SetValue(1.5);
    EXPECT_EQ(spin.GetBuddy()->text(), QStringLiteral("1.50"));
    spin.GetBuddy()->setText(QStringLiteral("abc"));
    EXPECT_EQ(spin.GetValue(), 0.0);
}

} // namespace
