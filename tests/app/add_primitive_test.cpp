// A click in primitive placement mode places a brush of the real Cube plug-in in a 2D view.
#include <gtest/gtest.h>

#include <cstring>

#include "app/editor_app.h"
#include "app/primitive_plugin_manager.h"
#include "editor/2d_view_tool.h"
#include "editor/editor_doc.h"
#include "editor/undo_record.h"
#include "platform/os/input.h"
#include "plugin_fixture.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"

namespace
{

class AddPrimitiveTest : public PluginFolderTest
{
protected:
    void SetUp() override
    {
        PluginFolderTest::SetUp();
        Copy(Shipped("Primitives", "cube.so"), Primitives() / "cube.so");
        ASSERT_EQ(Manager()->LoadPlugins(nullptr, Folder(Primitives()).c_str(), "*.so"), 1);
        GetEditorApp()->SetDefaultOptions();
        view.SetViewType(ZN2DVIEW_TOP);
        view.SetClientSize(200, 200);
        view.SetCentre(0.0f, 0.0f);
        view.SetZoom(1.0f);
        view.SetInput(&tool);
        doc.AddView(&view);
    }
    void TearDown() override
    {
        doc.DeleteContents();
        Manager()->UnloadPlugins();
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        PluginFolderTest::TearDown();
    }
    static CZNPrimitivePluginManager *Manager() { return GetEditorApp()->GetPrimitivePluginManager(); }
    void Click(int x, int y)
    {
        GetEditorApp()->SetPlacementMode(ZNPLACE_PRIMITIVE);
        view.OnLButtonDown(MK_LBUTTON, CPoint(x, y));
        view.OnLButtonUp(0, CPoint(x, y));
    }

    CZNEDITORDoc doc;
    CZN2DViewTool tool;
    CZN2DView view;
};

TEST_F(AddPrimitiveTest, ClickPlacesANamedCubeWithOneUndoLevel)
{
    Click(100, 100); // the view's centre: x = z = 0, y from the 3D cursor (50)
    ZNBRUSH *cube = doc.GetBrushList();
    ASSERT_NE(cube, nullptr);
    ASSERT_NE(cube->m_Name, nullptr);
    EXPECT_STREQ(cube->m_Name, "Cube01");
    const ZNBBOX box = cube->GetBoundingBox(1);
    EXPECT_EQ(box.Min, D3DXVECTOR3(-30, 20, -30));
    EXPECT_EQ(box.Max, D3DXVECTOR3(30, 80, 30));
    EXPECT_EQ(GetEditorApp()->GetPlacementMode(), ZNPLACE_SELECT);
    ASSERT_NE(doc.GetUndoList(), nullptr);
    EXPECT_STREQ(doc.GetUndoList()->Description, "Add Primitive");

    Click(150, 100);
    ASSERT_NE(cube->m_Next, nullptr);
    EXPECT_STREQ(cube->m_Next->m_Name, "Cube02");

    // One Undo takes the newest cube away and leaves the first.
    EXPECT_EQ(doc.OnEditUndo(), 1);
    EXPECT_EQ(doc.GetBrushList(), cube);
    EXPECT_EQ(cube->m_Next, nullptr);
}

} // namespace
