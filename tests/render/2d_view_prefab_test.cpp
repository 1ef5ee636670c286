// A click in prefab placement mode imports the current prefab centred on the snapped point.
#include <gtest/gtest.h>

#include "editor/undo_record.h"
#include "fileio/prefab.h"
#include "fileio/prefab_manager.h"
#include "platform/os/input.h"
#include "scene/brush.h"
#include "scene/overlay.h"
#include "support/shapes.h"
#include "support/temp_dir.h"
#include "view2d_fixture.h"

namespace
{

class View2DPrefabTest : public View2DTest
{
protected:
    void SetUp() override
    {
        View2DTest::SetUp();
        GetEditorApp()->Options().m_Initialized = 1;
        GetEditorApp()->SetGridSize(16.0f);
        GetEditorApp()->Options().m_SnapToGrid = 1;
        document->SetCursorPoint(D3DXVECTOR3(0, 0, 0));
        MakeView(ZN2DVIEW_TOP, 200, 200);
    }
    void TearDown() override
    {
        GetEditorApp()->GetPrefabManager()->Release();
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        View2DTest::TearDown();
    }
    // A prefab file of a 32-unit cube and an overlay beside it, made current.
    void MakeCurrentPrefab()
    {
        ZnBuildBox(*document->NewBrush(), {0, 0, 0}, {32, 32, 32});
        document->NewOverlay(D3DXVECTOR3(16, 16, 16));
        ASSERT_TRUE(document->OnSaveDocument(dir.File("crate.iwf").c_str()));
        document->DeleteContents();
        auto *prefab = new CZNPrefab;
        prefab->SetName("Crate");
        prefab->SetPath(dir.File("crate.iwf").c_str());
        CZNPrefabManager *manager = GetEditorApp()->GetPrefabManager();
        manager->Append(prefab);
        manager->SetCurrent(prefab);
    }
    void Click(int x, int y)
    {
        GetEditorApp()->SetPlacementMode(ZNPLACE_PREFAB);
        view->OnLButtonDown(MK_LBUTTON, CPoint(x, y));
        view->OnLButtonUp(0, CPoint(x, y));
    }

    ZnTempDir dir;
};

TEST_F(View2DPrefabTest, AClickImportsThePrefabCentredAsOneUndoLevel)
{
    MakeCurrentPrefab();
    const ZNBBOX saved{{0, 0, 0}, {32, 32, 32}};
    Click(100, 100);
    EXPECT_EQ(GetEditorApp()->GetPlacementMode(), ZNPLACE_SELECT);
    ZNBRUSH *brush = document->GetBrushList();
    ASSERT_NE(brush, nullptr);
    ASSERT_NE(document->GetOverlayList(), nullptr);
    // The objects' common centre lands on the snapped click.
    const ZNBBOX box = brush->GetBoundingBox(1);
    const ZNBBOX overlay = document->GetOverlayList()->GetBounds(1);
    const float cx = (std::min(box.Min.x, overlay.Min.x) + std::max(box.Max.x, overlay.Max.x)) * 0.5f;
    const float cz = (std::min(box.Min.z, overlay.Min.z) + std::max(box.Max.z, overlay.Max.z)) * 0.5f;
    EXPECT_FLOAT_EQ(cx, 0.0f);
    EXPECT_FLOAT_EQ(cz, 0.0f);
    EXPECT_FLOAT_EQ(box.Max.x - box.Min.x, saved.Max.x - saved.Min.x);
    EXPECT_FALSE(brush->IsBrushSelected());

    ASSERT_NE(document->GetUndoList(), nullptr);
    EXPECT_STREQ(document->GetUndoList()->Description, "Import Objects");
    EXPECT_EQ(document->OnEditUndo(), 1);
    EXPECT_EQ(document->GetBrushList(), nullptr);
    EXPECT_EQ(document->GetOverlayList(), nullptr);
}

TEST_F(View2DPrefabTest, WithoutACurrentPrefabAClickPlacesNothing)
{
    Click(100, 100);
    EXPECT_EQ(document->GetBrushList(), nullptr);
    EXPECT_EQ(document->GetUndoList(), nullptr);
}

} // namespace
