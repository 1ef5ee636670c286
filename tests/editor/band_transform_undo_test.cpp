#include <gtest/gtest.h>

#include <cstring>

#include "band_drag_fixture.h"

// A drag of the scale or rotate handles writes one undo level at its first step, named after
// the tool and the band mode, and one Undo puts the scene back as it was.
struct UndoCase {
    const char *name;
    ZNEDITMODE editMode;
    DWORD handleMode;
    const char *description;
};

class BandTransformUndoTest : public BandDragTest, public ::testing::WithParamInterface<UndoCase>
{
};

TEST_P(BandTransformUndoTest, OneUndoTakesTheDragBack)
{
    const UndoCase &c = GetParam();
    ZNBRUSH *b = Box({-10, -10, -10}, {10, 10, 10});
    Box({30, 0, 0}, {40, 10, 10});
    const IwfBytes before = SceneImage();
    const size_t levels = LevelCount();

    GetEditorApp()->SetEditMode(c.editMode);
    switch (c.editMode) {
    case ZNEDITMODE_BRUSH: {
        ZNSELECTIONENTRY e = EntryOf(b);
        ASSERT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
        break;
    }
    case ZNEDITMODE_FACE:
        // The -z and +z faces.
        for (DWORD f : {4u, 5u}) {
            ZNSELECTIONENTRY e = FaceEntry(b, f);
            ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
        }
        break;
    default:
        // The corners of the -z face.
        for (DWORD v = 0; v < 4; ++v) {
            ZNSELECTIONENTRY e = VertexEntry(b, 4, v);
            ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
        }
        break;
    }
    Band()->SetPivot({2, 3, 0});
    Press(3, c.handleMode, {110, 90});
    if (c.handleMode == ZNHANDLE_SCALE) {
        ScaleStep(0, 115, 85);
        ScaleStep(0, 125, 70);
    } else {
        RotateStep(150, 100);
        RotateStep(160, 120);
    }
    EXPECT_NE(SceneImage(), before);
    ASSERT_NE(doc->GetUndoList(), nullptr);
    ASSERT_NE(doc->GetUndoList()->Description, nullptr);
    EXPECT_STREQ(doc->GetUndoList()->Description, c.description);
    EXPECT_EQ(LevelCount(), levels + 1);
    Release();

    ASSERT_EQ(doc->OnEditUndo(), 1);
    EXPECT_EQ(SceneImage(), before);
    EXPECT_EQ(LevelCount(), levels);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, BandTransformUndoTest,
    ::testing::Values(UndoCase{"ScaleObjects", ZNEDITMODE_BRUSH, ZNHANDLE_SCALE, "Scale Objects"},
                      UndoCase{"ScaleFaces", ZNEDITMODE_FACE, ZNHANDLE_SCALE, "Scale Faces"},
                      UndoCase{"ScaleVertices", ZNEDITMODE_VERTEX, ZNHANDLE_SCALE, "Scale Vertices"},
                      UndoCase{"RotateObjects", ZNEDITMODE_BRUSH, ZNHANDLE_ROTATE, "Rotate Objects"},
                      UndoCase{"RotateFaces", ZNEDITMODE_FACE, ZNHANDLE_ROTATE, "Rotate Faces"},
                      UndoCase{"RotateVertices", ZNEDITMODE_VERTEX, ZNHANDLE_ROTATE, "Rotate Vertices"}),
    [](const ::testing::TestParamInfo<UndoCase> &info) { return std::string(info.param.name); });
