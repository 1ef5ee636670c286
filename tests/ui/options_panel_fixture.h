#pragma once

// The main window shown on the test run's platform with the program folder's cursors and tree
// images, for the options panel's tests: its sheet, pages and slider, and the program's own
// cursors to compare with.
#include <QCursor>

#include <string>

#include "ui/main_frame_fixture.h"
#include "ui/options_bar.h"
#include "ui/options_page.h"
#include "ui/options_sheet.h"
#include "ui/program_cursor.h"
#include "ui/scene_page.h"
#include "ui/slider_ctrl.h"

class ZnOptionsPanelTest : public ZnShownFrameTest
{
protected:
    void SetOptions() override
    {
        ZnShownFrameTest::SetOptions();
        m_SavedProgramDir = GetEditorApp()->GetProgramDirectory();
        GetEditorApp()->SetProgramDirectory(std::string(ZN_PROGRAM_DIR) + "/");
    }
    void ResetApp() override
    {
        ZnShownFrameTest::ResetApp();
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
