#pragma once

// A document, an application state put back after each test, and a 2D view in a fake window with
// the real 2D tool as its input.
#include <gtest/gtest.h>

#include "app/editor_app.h"
#include "editor/2d_view_tool.h"
#include "editor/editor_doc.h"
#include "render/camera.h"
#include "render/direct3d.h"
#include "render/view/2d_view.h"
#include "support/fake_view_window.h"
#include "support/gui_app.h"

class View2DTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ZnGuiApp();
        CZNEDITORApp *app = GetEditorApp();
        m_Options = app->Options();
        m_Camera = *app->Get3D()->GetCamera();
        app->SetDefaultOptions();
        app->SetEditMode(ZNEDITMODE_BRUSH);
        app->SetPlacementMode(ZNPLACE_SELECT);
        app->SetRightButtonMode(ZNRBUTTON_PAN);
        app->SetSpaceDown(0);
        document = std::make_unique<CZNEDITORDoc>();
    }

    void TearDown() override
    {
        document.reset();
        CZNEDITORApp *app = GetEditorApp();
        app->Options() = m_Options;
        *app->Get3D()->GetCamera() = m_Camera;
    }

    // A view of the given type in a window of the given size, sized and initialised.
    void MakeView(WORD type, int width, int height)
    {
        window = std::make_unique<ZnFakeViewWindow>(width, height);
        view = std::make_unique<CZN2DView>();
        view->SetViewType(type);
        view->SetWindow(window.get());
        view->SetInput(&tool);
        view->OnInitialUpdate();
        view->OnSize(0, width, height);
        document->AddView(view.get());
    }

    // Start-up finished and the camera left out, so that a paint shows the grid of that size and
    // the scene.
    static void PaintSceneWithGrid(float gridSize)
    {
        GetEditorApp()->Options().m_Initialized = 1;
        GetEditorApp()->Options().m_DrawCamera2D = 0;
        GetEditorApp()->SetGridSize(gridSize);
    }

    CZNCAMERA &Camera() { return *GetEditorApp()->Get3D()->GetCamera(); }

    std::unique_ptr<CZNEDITORDoc> document;
    CZN2DViewTool tool; // outlives the view
    std::unique_ptr<ZnFakeViewWindow> window;
    std::unique_ptr<CZN2DView> view;

private:
    ZNAPPOPTIONS m_Options{};
    CZNCAMERA m_Camera;
};
