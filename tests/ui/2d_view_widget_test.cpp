// The 2D view's widget on Qt's offscreen platform: it shows the view's picture and hands mouse
// drags and wheel steps to the view.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <memory>

#include "app/editor_app.h"
#include "editor/2d_view_tool.h"
#include "editor/editor_doc.h"
#include "platform/os/input.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "support/shapes.h"
#include "support/widget_app.h"
#include "ui/2d_view_widget.h"

namespace
{

class View2DWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ZnWidgetApp();
        m_Options = GetEditorApp()->Options();
        GetEditorApp()->SetDefaultOptions();
        GetEditorApp()->Options().m_Initialized = 1;
        GetEditorApp()->Options().m_DrawCamera2D = 0;
        GetEditorApp()->SetRightButtonMode(ZNRBUTTON_PAN);
        document = std::make_unique<CZNEDITORDoc>();
        ZnBuildBox(*document->NewBrush(), {-20, -20, -20}, {20, 20, 20});
        view.SetViewType(ZN2DVIEW_FRONT);
        view.SetName("Front");
        view.OnInitialUpdate();
        view.SetInput(&tool);
        document->AddView(&view);
        widget = std::make_unique<CZN2DViewWidget>(&view);
        widget->resize(120, 80);
        widget->show();
        QCoreApplication::processEvents();
    }

    void TearDown() override
    {
        widget.reset();
        document.reset();
        GetEditorApp()->Options() = m_Options;
    }

    void SendMouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(widget.get(), &event);
    }

    void SendWheel(int delta)
    {
        const QPoint at(60, 40);
        QWheelEvent event(QPointF(at), QPointF(widget->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(widget.get(), &event);
    }

    std::unique_ptr<CZNEDITORDoc> document;
    CZN2DViewTool tool;
    CZN2DView view;
    std::unique_ptr<CZN2DViewWidget> widget;

private:
    ZNAPPOPTIONS m_Options{};
};

TEST_F(View2DWidgetTest, ShowsTheViewsPicture)
{
    EXPECT_EQ(view.GetWindow(), widget.get());
    EXPECT_EQ(view.GetClientWidth(), 120);
    EXPECT_EQ(view.GetBackBufferWidth(), 120);
    QImage *picture = widget->GetWindowImage();
    ASSERT_NE(picture, nullptr);
    // The box's left edge at x = 40, drawn white.
    EXPECT_EQ(picture->pixel(40, 45), qRgb(255, 255, 255));
    const QImage shown = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), picture->size());
    EXPECT_EQ(shown, *picture);
}

TEST_F(View2DWidgetTest, RightDragPans)
{
    SendMouse(QEvent::MouseButtonPress, QPoint(60, 40), Qt::RightButton, Qt::RightButton);
    SendMouse(QEvent::MouseMove, QPoint(70, 35), Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(view.GetCentre(), D3DXVECTOR2(-10, 5));
    SendMouse(QEvent::MouseButtonRelease, QPoint(70, 35), Qt::RightButton, Qt::NoButton);
    // A move without the button only shows where the mouse is.
    SendMouse(QEvent::MouseMove, QPoint(20, 20), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(view.GetCentre(), D3DXVECTOR2(-10, 5));
    // The picture follows: the box's left edge moved 10 pixels right.
    EXPECT_EQ(widget->GetWindowImage()->pixel(50, 45), qRgb(255, 255, 255));
}

TEST_F(View2DWidgetTest, TwoHalfStepsOfTheWheelZoomOneNotch)
{
    SendWheel(60);
    EXPECT_EQ(view.GetZoom(), 1.0f);
    SendWheel(60);
    EXPECT_FLOAT_EQ(view.GetZoom(), 1.07f);
    SendWheel(-100);
    SendWheel(-100); // one notch back, 0.9951, snaps to 1; 80 of the delta waits
    EXPECT_EQ(view.GetZoom(), 1.0f);
    SendWheel(-40);
    EXPECT_FLOAT_EQ(view.GetZoom(), 0.93f);
}

TEST_F(View2DWidgetTest, ButtonsAndModifiersBecomeFlags)
{
    EXPECT_EQ(CZN2DViewWidget::MouseFlags(Qt::LeftButton | Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier),
              MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(CZN2DViewWidget::MouseFlags(Qt::NoButton, Qt::NoModifier), 0u);
}

} // namespace
