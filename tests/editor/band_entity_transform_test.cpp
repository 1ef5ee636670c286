// Entities in an objects band are scaled and rotated with the brushes, and one Undo takes them back.
#include <gtest/gtest.h>

#include <memory>

#include "band_drag_fixture.h"
#include "scene/entity.h"
#include "support/entity_plugins.h"

namespace
{

class BandEntityTransformTest : public BandDragTest
{
protected:
    void SetUp() override
    {
        BandDragTest::SetUp();
        plugins = std::make_unique<ZnEntityPlugins>();
    }
    void TearDown() override
    {
        Band()->Clear(1, 0);
        doc.reset();
        plugins.reset();
        BandDragTest::TearDown();
    }
    // A light (its box is its position) selected with a cube around it.
    CZNEntity *SelectCubeAndLight(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi, const D3DXVECTOR3 &at)
    {
        cube = Box(lo, hi);
        CZNEntity *light = doc->NewEntity(ZnEntityPlugins::kLight, at.x, at.y, at.z);
        EXPECT_NE(light, nullptr);
        ZNSELECTIONENTRY e = EntryOf(cube);
        EXPECT_EQ(Band()->AddToSelection(&e, 0, 0), 1);
        e.Type = ZNSELECT_ENTITY;
        e.Object = reinterpret_cast<uintptr_t>(light);
        EXPECT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
        return light;
    }
    static D3DXVECTOR3 Position(const CZNEntity *e)
    {
        D3DXVECTOR3 p;
        e->GetPosition(&p);
        return p;
    }
    static D3DXVECTOR3 Centre(ZNBRUSH *b)
    {
        const ZNBBOX box = b->GetBoundingBox(1);
        return (box.Min + box.Max) * 0.5f;
    }
    void ReleaseEntities(CZNEntity *light)
    {
        Release();
        light->FreeSavedData();
    }

    std::unique_ptr<ZnEntityPlugins> plugins;
    ZNBRUSH *cube = nullptr;
};

TEST_F(BandEntityTransformTest, AnEntityTurnsAboutThePivotWithTheBrushes)
{
    CZNEntity *light = SelectCubeAndLight({4, 4, -1}, {6, 6, 1}, {5, 5, 0});
    const IwfBytes before = SceneImage();
    Band()->SetPivot({0, 0, 0});
    // A quarter turn in the Front view, taken in two steps from the snapshot of the press.
    Press(3, ZNHANDLE_ROTATE, {100, 50});
    RotateStep(130, 60);
    RotateStep(150, 100);
    ExpectNear(Position(light), Centre(cube));
    ExpectNear(Position(light), {5, -5, 0});
    ReleaseEntities(light);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Rotate Objects");

    ASSERT_EQ(doc->OnEditUndo(), 1);
    ExpectNear(Position(light), {5, 5, 0});
    EXPECT_EQ(SceneImage(), before);
}

TEST_F(BandEntityTransformTest, AnEntityFollowsTheScaledBox)
{
    CZNEntity *light = SelectCubeAndLight({0, 0, 0}, {10, 10, 10}, {5, 5, 5});
    const IwfBytes before = SceneImage();
    // The top right handle in the Front view dragged 10 units right and up, in two steps.
    Press(3, ZNHANDLE_SCALE, {110, 90});
    ScaleStep(0, 115, 85);
    ScaleStep(0, 120, 80);
    ExpectNear(cube->GetBoundingBox(1).Max, {20, 20, 10});
    ExpectNear(Position(light), {10, 10, 5});
    ReleaseEntities(light);
    EXPECT_STREQ(doc->GetUndoList()->Description, "Scale Objects");

    ASSERT_EQ(doc->OnEditUndo(), 1);
    ExpectNear(Position(light), {5, 5, 5});
    EXPECT_EQ(SceneImage(), before);
}

} // namespace
