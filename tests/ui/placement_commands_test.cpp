// The placement commands in the editor as start-up leaves it (the Qt shell owns the document
// and the window): the Draw toolbar's buttons switch the options sheet to their pages and Select
// goes back to the page shown before placement began, as does the return to select mode after
// a placed entity or overlay; each placement is one undo level named after what it added.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QTest>
#include <QToolBar>

#include <filesystem>
#include <memory>
#include <string>

#include "app/editor_app.h"
#include "app/entity_plugin_manager.h"
#include "app/primitive_plugin_manager.h"
#include "editor/editor_doc.h"
#include "editor/undo_record.h"
#include "platform/os/command_ids.h"
#include "scene/entity.h"
#include "scene/overlay.h"
#include "support/temp_dir.h"
#include "support/widget_app.h"
#include "ui/main_frame.h"
#include "ui/options_bar.h"
#include "ui/options_sheet.h"
#include "ui/qt_app_shell.h"
#include "ui/splitter_wnd.h"

namespace
{

namespace fs = std::filesystem;

// The Cube primitive and the Light entity, each the active plug-in of its kind, loaded from a
// program folder of the test's own; the Faces page shown.
class PlacementCommandTest : public ::testing::Test
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
        const fs::path program = dir.Path() / "program";
        const fs::path primitives = program / "Plugins" / "Primitives";
        const fs::path entities = program / "Plugins" / "Entities";
        fs::create_directories(primitives);
        fs::create_directories(entities);
        fs::create_directories(program / "Debug Logs");
        fs::copy_file(fs::path(ZN_SHIPPED_PLUGIN_DIR) / "Primitives" / "cube.so", primitives / "cube.so");
        fs::copy_file(fs::path(ZN_SHIPPED_PLUGIN_DIR) / "Entities" / "light.so", entities / "light.so");
        app->SetProgramDirectory(program.string() + "/");
        ASSERT_EQ(app->GetPrimitivePluginManager()->LoadPlugins(nullptr, (primitives.string() + "/").c_str(), "*.so"),
                  1);
        ASSERT_EQ(app->GetEntityPluginManager()->LoadPlugins(nullptr, (entities.string() + "/").c_str(), "*.so"), 1);
        ASSERT_EQ(app->GetEntityPluginManager()->SetActivePlugin(0), 1);
        savedFaceFlag = app->GetDefaultOverlay()->GetFaceFlag();
        savedAutoRebuild = app->GetDefaultOverlay()->GetAutoRebuildFlag();
        shell = std::make_unique<CZNQtAppShell>(nullptr);
        ASSERT_TRUE(shell->CreateMainFrame());
        app->SetShell(shell.get());
        frame = shell->GetMainFrame();
        frame->show();
        QCoreApplication::processEvents();
        Sheet()->SetActivePage(CZNOptionsSheet::PAGE_FACES);
    }
    void TearDown() override
    {
        app->SetShell(nullptr);
        shell.reset();
        app->GetDefaultOverlay()->SetFaceFlag(savedFaceFlag);
        app->GetDefaultOverlay()->SetAutoRebuildFlag(savedAutoRebuild);
        app->GetEntityPluginManager()->UnloadPlugins();
        app->GetPrimitivePluginManager()->UnloadPlugins();
        app->SetPlacementMode(ZNPLACE_SELECT);
        app->Options() = savedOptions;
        app->SetProgramDirectory(savedDirectory);
    }

    CZNOptionsSheet *Sheet() const { return frame->GetOptionsBar()->GetSheet(); }
    CZNEDITORDoc *Document() const { return app->GetDocument(); }
    // A click on the command's button of the Draw toolbar.
    void ClickButton(UINT id) const
    {
        QAction *action = frame->GetAction(id);
        for (QToolBar *bar : frame->GetToolBars())
            if (QWidget *button = bar->widgetForAction(action)) {
                QTest::mouseClick(button, Qt::LeftButton);
                QCoreApplication::processEvents();
                return;
            }
        ADD_FAILURE() << id << " has no button";
    }
    void ClickTopPane() const
    {
        QWidget *top = frame->GetSplitter()->GetPane(0, 0);
        QTest::mouseClick(top, Qt::LeftButton, {}, top->rect().center());
        QCoreApplication::processEvents();
    }
    // Select mode, its button checked and the Faces page shown again.
    void ExpectBackToSelectOnFaces() const
    {
        EXPECT_EQ(app->GetPlacementMode(), ZNPLACE_SELECT);
        EXPECT_TRUE(frame->GetAction(ZNCMD_PLACE_SELECT)->isChecked());
        EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_FACES);
    }
    const char *NewestUndo() const
    {
        const ZNUNDORECORD *newest = Document()->GetUndoList();
        return newest ? newest->Description : "";
    }

    ZnTempDir dir;
    CZNEDITORApp *app = nullptr;
    std::unique_ptr<CZNQtAppShell> shell;
    CZNMainFrame *frame = nullptr;
    std::string savedDirectory;
    ZNAPPOPTIONS savedOptions{};
    BYTE savedFaceFlag = 1;
    BYTE savedAutoRebuild = 0;
};

TEST_F(PlacementCommandTest, PrimitiveThenEntityThenSelectReturnsToTheFacesPage)
{
    ClickButton(ZNCMD_PLACE_PRIMITIVE);
    EXPECT_EQ(app->GetPlacementMode(), ZNPLACE_PRIMITIVE);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_PRIMITIVES);
    ClickButton(ZNCMD_PLACE_ENTITY);
    EXPECT_EQ(app->GetPlacementMode(), ZNPLACE_ENTITY);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_ENTITIES);
    ClickButton(ZNCMD_PLACE_SELECT);
    ExpectBackToSelectOnFaces();
    // The saved page was let go: another Select leaves the page shown now.
    Sheet()->SetActivePage(CZNOptionsSheet::PAGE_SCENE);
    ClickButton(ZNCMD_PLACE_SELECT);
    EXPECT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_SCENE);
}

TEST_F(PlacementCommandTest, OnePlacedEntityIsNamedAfterItsTypeAndReturnsToTheFacesPage)
{
    ClickButton(ZNCMD_PLACE_ENTITY);
    ASSERT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_ENTITIES);
    ClickTopPane();
    const CZNEntity *entity = Document()->GetEntityList();
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->m_Next, nullptr);
    EXPECT_STREQ(entity->GetName(), "Light01");
    EXPECT_STREQ(NewestUndo(), "Add Entity");
    ExpectBackToSelectOnFaces();
    // One Undo takes it away.
    frame->GetAction(ZNCMD_EDIT_UNDO)->trigger();
    EXPECT_EQ(Document()->GetEntityList(), nullptr);
}

TEST_F(PlacementCommandTest, APlacedOverlayTakesTheDefaultOverlaysFaceFlagAndAutoRebuild)
{
    CZNOverlay *defaults = app->GetDefaultOverlay();
    defaults->SetFaceFlag(4);
    defaults->SetAutoRebuildFlag(1);
    ClickButton(ZNCMD_PLACE_OVERLAY);
    ASSERT_EQ(Sheet()->GetActiveIndex(), CZNOptionsSheet::PAGE_OVERLAYS);
    ClickTopPane();
    const CZNOverlay *overlay = Document()->GetOverlayList();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->m_Next, nullptr);
    EXPECT_STREQ(overlay->m_Name, "Overlay01");
    EXPECT_EQ(overlay->GetFaceFlag(), 4);
    EXPECT_EQ(overlay->GetAutoRebuildFlag(), 1);
    EXPECT_STREQ(NewestUndo(), "Add Overlay");
    ExpectBackToSelectOnFaces();
}

} // namespace
