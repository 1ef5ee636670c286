// Selecting and dragging a brush with the mouse on a Top view's widget on Qt's offscreen
// platform, and taking the drag back with one Undo.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <memory>

#include "app/editor_app.h"
#include "editor/2d_view_tool.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "editor/undo_record.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "support/shapes.h"
#include "support/widget_app.h"
#include "ui/2d_view_widget.h"

namespace
{

class SelectWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ZnWidgetApp();
        m_Options = GetEditorApp()->Options();
        GetEditorApp()->SetDefaultOptions();
        GetEditorApp()->Options().m_Initialized = 1;
        GetEditorApp()->Options().m_SnapToGrid = 0;
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        document = std::make_unique<CZNEDITORDoc>();
        document->SetCursorPoint(D3DXVECTOR3(5000, 5000, 5000));
        brush = document->NewBrush();
        ZnBuildBox(*brush, {0, 0, 0}, {40, 10, 40});
        view.SetViewType(ZN2DVIEW_TOP);
        view.SetName("Top");
        view.OnInitialUpdate();
        view.SetInput(&tool);
        document->AddView(&view);
        widget = std::make_unique<CZN2DViewWidget>(&view);
        widget->resize(200, 200);
        widget->show();
        QCoreApplication::processEvents();
        view.SetZoom(1);
        view.SetCentre(0, 0);
    }

    void TearDown() override
    {
        GetEditorApp()->GetSelectionBand()->Clear(1, 0);
        widget.reset();
        document.reset();
        GetEditorApp()->Options() = m_Options;
    }

    void SendMouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(widget.get(), &event);
    }

    // World x is pixel x - 100, world z is 100 - pixel y.
    void Drag(QPoint from, QPoint to)
    {
        SendMouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= 4; ++i)
            SendMouse(QEvent::MouseMove, from + (to - from) * i / 4, Qt::NoButton, Qt::LeftButton);
        SendMouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    std::unique_ptr<CZNEDITORDoc> document;
    ZNBRUSH *brush = nullptr;
    CZN2DViewTool tool;
    CZN2DView view;
    std::unique_ptr<CZN2DViewWidget> widget;

private:
    ZNAPPOPTIONS m_Options{};
};

TEST_F(SelectWidgetTest, PressMovesAndReleaseSelectAndMoveABrushAndUndoRestoresIt)
{
    // A click on the brush's edge x = 0 selects it.
    Drag(QPoint(100, 80), QPoint(100, 80));
    EXPECT_EQ(brush->IsBrushSelected(), 1);
    EXPECT_EQ(GetEditorApp()->GetSelectionBand()->GetEntryCount(), 1u);

    // A drag from inside it moves it 20 units along x.
    Drag(QPoint(110, 90), QPoint(130, 90));
    EXPECT_EQ(brush->GetBoundingBox(1).Min, D3DXVECTOR3(20, 0, 0));
    ASSERT_NE(document->GetUndoList(), nullptr);
    EXPECT_STREQ(document->GetUndoList()->Description, "Move Objects");

    document->OnEditUndo();
    EXPECT_EQ(brush->GetBoundingBox(1).Min, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(document->GetUndoList(), nullptr);
}

} // namespace
