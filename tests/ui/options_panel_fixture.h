#pragma once

// The main window shown on the test run's platform with the program folder's cursors and tree
// images, for the options panel's tests: its sheet, pages and slider, and the program's own
// cursors to compare with.
#include <QCursor>
#include <QTest>

#include <string>

#include "ui/main_frame_fixture.h"
#include "ui/options_bar.h"
#include "ui/options_page.h"
#include "ui/options_sheet.h"
#include "ui/program_cursor.h"
#include "ui/scene_page.h"
#include "ui/slider_ctrl.h"

class ZnOptionsPanelTest : public ZnMainFrameTest
{
protected:
    void SetOptions() override
    {
        m_SavedProgramDir = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(std::string(ZN_PROGRAM_DIR) + "/");
        GetEditorApp()->Options().m_SnapToGrid = 0;
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
    }
    void SetUp() override
    {
        ZnMainFrameTest::SetUp();
        // The crosshair well away from where the tests click.
        doc->SetCursorPoint(D3DXVECTOR3(5000, 5000, 5000));
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        Top()->SetZoom(1);
        Top()->SetCentre(0, 0);
    }
    void TearDown() override
    {
        Band()->Clear(1, 0);
        ZnMainFrameTest::TearDown();
    }
    void ResetApp() override
    {
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        RestoreOptions();
        GetEditorApp()->SetProgramDirectory(m_SavedProgramDir);
    }

    CZNOptionsSheet *Sheet() const { return frame->GetOptionsBar()->GetSheet(); }
    CZNScenePage *Scene() const { return Sheet()->GetScenePage(); }
    // Whether the widget shows the program's cursor of that id.
    static bool ShowsCursor(const QWidget *widget, int id)
    {
        const QCursor shown = widget->cursor();
        return shown.shape() == Qt::BitmapCursor &&
               shown.pixmap().toImage() == PageCursor(id).pixmap().toImage();
    }

private:
    std::string m_SavedProgramDir;
};
