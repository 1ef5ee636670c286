// The main window on the test run's platform: title, toolbars, check states, status texts, the
// update rules and the placement written on closing.
#include <gtest/gtest.h>

#include <QAction>
#include <QSettings>
#include <QToolBar>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "platform/os/memory_clipboard.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/view/3d_view.h"
#include "scene/brush.h"
#include "scene/selection_entry.h"
#include "support/shapes.h"
#include "support/temp_dir.h"
#include "support/widget_app.h"
#include "ui/main_frame.h"

namespace
{

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        ZnWidgetApp();
        GetEditorApp()->SetReporter(&reporter);
        GetEditorApp()->SetDefaultOptions();
        GetEditorApp()->Get3D()->SetRenderMode(3);
        doc = std::make_unique<CZNEDITORDoc>();
        frame = std::make_unique<CZNMainFrame>(doc.get());
        frame->resize(1024, 768);
    }
    void TearDown() override
    {
        frame.reset();
        doc.reset();
        GetEditorApp()->SetReporter(nullptr);
    }

    bool Checked(UINT id) { return frame->GetAction(id)->isChecked(); }
    bool Enabled(UINT id) { return frame->GetAction(id)->isEnabled(); }

    ZnTempDir dir;
    CZNRecordingReporter reporter;
    std::unique_ptr<CZNEDITORDoc> doc;
    std::unique_ptr<CZNMainFrame> frame;
};

TEST_F(MainFrameTest, StartsWithTitleToolbarsChecksAndStatus)
{
    EXPECT_EQ(frame->windowTitle().toStdString(), "Untitled[*] - TOVRA v1.5");
    const std::vector<std::vector<UINT>> expected = {
        {57600, 57601, 57603, 57664, 0, 32775, 32776, 0, 32861, 32858, 0, 32783},
        {10001, 10002, 10003, 32824},
        {32777, 32778, 32779, 32825, 32847},
        {32788, 32789, 32790},
        {32795, 32796},
        {32815, 32816},
        {32859, 32834, 32835, 32836, 0, 32862, 32863}};
    ASSERT_EQ(frame->GetToolBars().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        std::vector<UINT> ids;
        for (QAction *action : frame->GetToolBars()[i]->actions())
            ids.push_back(action->isSeparator() ? 0 : action->data().toUInt());
        EXPECT_EQ(ids, expected[i]) << frame->GetToolBars()[i]->objectName().toStdString();
        EXPECT_FALSE(frame->GetToolBars()[i]->objectName().isEmpty());
    }
    for (UINT id : {32775u, 32777u, 10001u, 32834u})
        EXPECT_TRUE(Checked(id)) << id;
    EXPECT_EQ(frame->GetStatusText(1).toStdString(), "Grid : 10");
    EXPECT_EQ(frame->GetStatusText(2).toStdString(), "Snap : None");
    EXPECT_EQ(doc->GetViews().size(), 4u);
}

TEST_F(MainFrameTest, GridStepsStopAtOne)
{
    GetEditorApp()->SetGridSize(1.5f);
    frame->RunCommand(32855);
    EXPECT_FLOAT_EQ(GetEditorApp()->GetGridSize(), 1.0f);
    frame->RunCommand(32855);
    EXPECT_FLOAT_EQ(GetEditorApp()->GetGridSize(), 1.0f);
    EXPECT_EQ(frame->GetStatusText(1).toStdString(), "Grid : 1");
    frame->RunCommand(32815);
    frame->RunCommand(32816);
    EXPECT_EQ(frame->GetStatusText(2).toStdString(), "Snap : Pos, Rot");
}

TEST_F(MainFrameTest, UpdateRulesDisableDependentToggles)
{
    ZNAPPOPTIONS &o = GetEditorApp()->Options();
    o.m_DynamicUpdate = 1;
    o.m_CameraSelectable = 1;
    frame->UpdateCommandUI();
    EXPECT_TRUE(Checked(32819));
    frame->RunCommand(32820); // Render Camera off
    EXPECT_FALSE(Enabled(32819));
    EXPECT_FALSE(Enabled(32821));
    EXPECT_TRUE(Checked(32819)) << "a disabled item keeps its check";
    EXPECT_EQ(o.m_DynamicUpdate, 1);
    EXPECT_EQ(o.m_CameraSelectable, 1);

    frame->RunCommand(32819); // dynamic update off
    EXPECT_FALSE(Enabled(32822));
    EXPECT_FALSE(Enabled(32823));
    EXPECT_TRUE(Enabled(32809));
    frame->RunCommand(32808); // lights in 2D views off
    EXPECT_FALSE(Enabled(32809));

    EXPECT_EQ(frame->GetAction(57643)->text().toStdString(), "&Undo\tCtrl+Z");
    EXPECT_FALSE(Enabled(57643));
}

TEST_F(MainFrameTest, ClosingWritesThePlacement)
{
    frame->show();
    frame->close();
    QSettings settings(QStringLiteral("ZN-Level Editor"), QStringLiteral("TOVRA"));
    settings.sync();
    const std::string text = settings.value(QStringLiteral("WinPos/Main")).toString().toStdString();
    WINDOWPLACEMENT placement;
    ASSERT_TRUE(CZNWindowPlacement::Parse(text, &placement)) << text;
    EXPECT_EQ(placement.showCmd, 1u);
    EXPECT_EQ(placement.rcNormalPosition.right - placement.rcNormalPosition.left, 1024);
}

// The Undo item names the newest level, and the command takes it back.
TEST_F(MainFrameTest, UndoItemNamesTheNewestLevel)
{
    ZNBRUSH *brush = doc->NewBrush();
    ZnBuildBox(*brush, {0, 0, 0}, {64, 64, 64});
    std::vector<ZNSELECTIONENTRY> entries(1);
    entries[0].Type = ZNSELECT_BRUSH;
    entries[0].Object = reinterpret_cast<uintptr_t>(brush);
    ASSERT_TRUE(doc->WriteUndoData(ZNUNDO_ADD, entries, 0, 0));
    doc->SetUndoDescription("Add Primitive");
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->GetAction(57643)->text().toStdString(), "&Undo Add Primitive\tCtrl + Z");
    EXPECT_TRUE(Enabled(57643));

    frame->RunCommand(57643);
    EXPECT_EQ(doc->GetBrushList(), nullptr);
    EXPECT_EQ(frame->GetAction(57643)->text().toStdString(), "&Undo\tCtrl+Z");
    EXPECT_FALSE(Enabled(57643));
}

} // namespace

TEST_F(MainFrameTest, EditItemsRunTheClipboardCommandsUnderTheirRules)
{
    CZNMemoryClipboard clipboard;
    SetClipboard(&clipboard);
    ZnBuildBox(*doc->NewBrush(), {0, 0, 0}, {10, 10, 10});
    frame->UpdateCommandUI();
    EXPECT_FALSE(Enabled(57634));
    EXPECT_FALSE(Enabled(57637));
    EXPECT_TRUE(Enabled(57642));

    frame->RunCommand(57642);
    EXPECT_EQ(GetEditorApp()->GetSelectionBand()->GetEntryCount(), 1u);
    EXPECT_TRUE(Enabled(57634));
    frame->RunCommand(57634);
    EXPECT_TRUE(Enabled(57637));

    // The 3D pane is active at first: the copy lands centred on the origin.
    EXPECT_EQ(frame->GetActiveView(), static_cast<CZNView *>(frame->Get3DView()));
    frame->RunCommand(57637);
    ZNBRUSH *pasted = doc->GetLastBrush();
    ASSERT_NE(pasted, doc->GetBrushList());
    const ZNBBOX box = pasted->GetBoundingBox(1);
    EXPECT_EQ(box.Min, D3DXVECTOR3(-5, -5, -5));
    GetEditorApp()->GetSelectionBand()->Clear(1, 0);
    SetClipboard(nullptr);
}
