#pragma once

// The undo fixture with a 400 x 400 2D view at zoom 1 centred on the world origin in a fake
// window with the real 2D tool as its input, the options put back afterwards, and pixel helpers:
// in the Top view world x is pixel x - 200 and world z is 200 - pixel y; in the Front view world y
// is 200 - pixel y. A test that sets toolOnly before SetUp has a view without a window and sends
// its presses, moves and releases straight to the tool.
#include <memory>

#include "editor/2d_view_tool.h"
#include "platform/os/input.h"
#include "render/view/2d_view.h"
#include "scene/object_pick_desc.h"
#include "support/fake_view_window.h"
#include "support/gui_app.h"
#include "undo_fixture.h"

class SelectDragTest : public UndoTest
{
protected:
    void SetUp() override
    {
        ZnGuiApp();
        UndoTest::SetUp();
        m_Options = GetEditorApp()->Options();
        GetEditorApp()->SetDefaultOptions();
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        // The crosshair well away from the pictures the tests click in.
        doc->SetCursorPoint(D3DXVECTOR3(5000, 5000, 5000));
        MakeView(ZN2DVIEW_TOP);
    }

    void TearDown() override
    {
        Band()->Clear(1, 0);
        if (view)
            doc->RemoveView(view.get());
        view.reset();
        GetEditorApp()->Options() = m_Options;
        UndoTest::TearDown();
    }

    void MakeView(WORD type)
    {
        if (view)
            doc->RemoveView(view.get());
        window = toolOnly ? nullptr : std::make_unique<ZnFakeViewWindow>(400, 400);
        view = std::make_unique<CZN2DView>();
        view->SetViewType(type);
        view->SetWindow(window.get());
        view->SetInput(&tool);
        view->OnInitialUpdate();
        view->OnSize(0, 400, 400);
        view->SetZoom(1);
        view->SetCentre(0, 0);
        doc->AddView(view.get());
    }

    // A press, moves along a straight line in whole steps, and a release, as the view gets them.
    void Drag(CPoint from, CPoint to, UINT keys = 0, int steps = 4)
    {
        Press(MK_LBUTTON | keys, from);
        for (int i = 1; i <= steps; ++i)
            Move(MK_LBUTTON | keys,
                 CPoint(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps));
        Release(keys, to);
    }
    void Click(CPoint at, UINT keys = 0)
    {
        Press(MK_LBUTTON | keys, at);
        Release(keys, at);
    }
    void Press(UINT flags, CPoint at)
    {
        if (toolOnly)
            tool.OnLButtonDown(view.get(), flags, at);
        else
            view->OnLButtonDown(flags, at);
    }
    void Move(UINT flags, CPoint at)
    {
        if (toolOnly)
            tool.OnMouseMove(view.get(), flags, at);
        else
            view->OnMouseMove(flags, at);
    }
    void Release(UINT flags, CPoint at)
    {
        if (toolOnly)
            tool.OnLButtonUp(view.get(), flags, at);
        else
            view->OnLButtonUp(flags, at);
    }
    void Select(ZNBRUSH *b, int append = 0)
    {
        const ZNSELECTIONENTRY e = EntryOf(b);
        ASSERT_EQ(Band()->AddToSelection(&e, append, 0), 1);
    }
    static ZNSELECTIONENTRY FaceEntry(ZNBRUSH *b, DWORD face)
    {
        ZNSELECTIONENTRY e;
        e.Type = ZNSELECT_FACE;
        e.Object = reinterpret_cast<uintptr_t>(b);
        e.Face = face;
        return e;
    }
    bool Selected(ZNBRUSH *b) const
    {
        const ZNSELECTIONENTRY e = EntryOf(b);
        return Band()->FindEntry(&e) != 0;
    }

    bool toolOnly = false;
    CZN2DViewTool tool; // outlives the view
    std::unique_ptr<ZnFakeViewWindow> window;
    std::unique_ptr<CZN2DView> view;

private:
    ZNAPPOPTIONS m_Options{};
};
