#include <gtest/gtest.h>

#include <cstring>

#include "app/editor_app.h"
#include "sdk/host_api.h"
#include "platform/os/recording_reporter.h"

TEST(EditorApp, OptionWordsStartValues)
{
    CZNEDITORApp app;
    // Word 8 (initialized) is 0 until start-up has finished; 22 and 23 come from the device.
    const int32_t expected[] = {1, 1, 1, 1, 1, 0, 0, 0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 1, 1, 1};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(app.GetOptionWord(i), expected[i]) << "word " << i;
    float second, grid;
    int32_t w20 = app.GetOptionWord(20), w21 = app.GetOptionWord(21);
    std::memcpy(&second, &w20, 4);
    std::memcpy(&grid, &w21, 4);
    EXPECT_EQ(second, 10.0f);
    EXPECT_EQ(grid, 10.0f);
    EXPECT_EQ(app.GetGridSize(), 10.0f);
    EXPECT_EQ(app.GetOptionWord(24), 1);
    EXPECT_EQ(app.GetOptionWord(25), 1);
    EXPECT_EQ(app.GetOptionWord(26), 0);
    EXPECT_EQ(app.GetOptionWord(27), 0);
    EXPECT_EQ(app.GetOptionWord(28), 0);
    EXPECT_EQ(app.GetOptionWord(-1), 0);
    EXPECT_EQ(app.GetEditMode(), ZNEDITMODE_BRUSH);
    EXPECT_EQ(app.GetPlacementMode(), ZNPLACE_SELECT);
}

TEST(EditorApp, OptionWordsMapToNamedFields)
{
    CZNEDITORApp app;
    app.SetOptionWord(5, 1);
    EXPECT_EQ(app.Options().m_SnapToGrid, 1);
    app.SetOptionWord(27, 1);
    EXPECT_EQ(app.Options().m_CameraMode, 1);
    app.SetGridSize(32.0f);
    int32_t w21 = app.GetOptionWord(21);
    float grid;
    std::memcpy(&grid, &w21, 4);
    EXPECT_EQ(grid, 32.0f);
    app.SetOptionWord(99, 5); // ignored
}

TEST(EditorApp, RenderQueriesReadTheGlobalApp)
{
    CZNEDITORApp *app = GetEditorApp();
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app, GetEditorApp());
    ZNAPPOPTIONS saved = app->Options();
    app->Options().m_DrawLights2D = 0;
    app->Options().m_DrawEntities3D = 0;
    EXPECT_EQ(IsRenderingLights2D(), 0);
    EXPECT_EQ(IsRenderingLights3D(), 1);
    EXPECT_EQ(IsRenderingLightInfluences(), 1);
    EXPECT_EQ(IsRenderingEntities2D(), 1);
    EXPECT_EQ(IsRenderingEntities3D(), 0);
    app->Options() = saved;
}

TEST(EditorApp, ProgramDirectoryAndReporter)
{
    CZNEDITORApp app;
    app.SetProgramDirectory("/opt/editor");
    EXPECT_EQ(app.GetProgramDirectory(), "/opt/editor/");
    std::string exeDir = CZNEDITORApp::LocateExecutableDirectory();
    EXPECT_EQ(exeDir.back(), '/');

    ASSERT_NE(app.GetReporter(), nullptr);
    CZNRecordingReporter recorder;
    recorder.QueueAnswer(IDNO);
    app.SetReporter(&recorder);
    EXPECT_EQ(app.GetReporter()->Message("Save changes?", "TOVRA", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(app.GetReporter()->Message("Done", "TOVRA", MB_OK), IDOK);
    ASSERT_EQ(recorder.Entries().size(), 2u);
    EXPECT_EQ(recorder.Entries()[0].text, "Save changes?");
    EXPECT_EQ(recorder.Entries()[0].type, MB_YESNO | MB_ICONQUESTION);
}
