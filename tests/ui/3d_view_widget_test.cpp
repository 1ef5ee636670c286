#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "render/view3d_fixture.h"
#include "ui/3d_view_widget.h"

namespace
{

// Widgets need a QApplication; the offscreen platform needs no display.
QApplication *WidgetApp()
{
    if (auto *existing = qobject_cast<QApplication *>(QCoreApplication::instance()))
        return existing;
    static int argc = 3;
    static char name[] = "zntest";
    static char option[] = "-platform";
    static char platform[] = "offscreen";
    static char *argv[] = {name, option, platform, nullptr};
    return new QApplication(argc, argv);
}

constexpr D3DCOLOR kTexel = 0x3C78B4;
constexpr D3DCOLOR kUnpainted = 0xFF00FF;

class View3DWidgetTest : public ZnView3DTest
{
protected:
    void SetUp() override
    {
        WidgetApp();
        ZnView3DTest::SetUp();
        if (HasFatalFailure())
            return;
        widget = std::make_unique<CZN3DViewWidget>(&view);
        widget->resize(kWidth, kHeight);
        D3D().SetTargetWindow(widget.get());
        // A face filling the middle of the view.
        Rect(Brush(), -3, -3, 3, 3, 10, Material(0xFFFFFF), Texture(kTexel));
    }
    void TearDown() override
    {
        widget.reset();
        ZnView3DTest::TearDown();
    }
    // What the widget paints, over a magenta canvas: an opaque widget's unpainted pixels would
    // otherwise show whatever memory the grab happened to get.
    QImage Shown()
    {
        QImage image(widget->size(), QImage::Format_RGB32);
        image.fill(kUnpainted);
        widget->render(&image);
        return image;
    }
    static D3DCOLOR Rgb(const QImage &image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }
    // Pixels of the label box that are white.
    static int LabelPixels(const QImage &image)
    {
        int white = 0;
        for (int y = 5; y < 25; ++y)
            for (int x = 5; x < 80; ++x)
                white += Rgb(image, x, y) == 0xFFFFFF;
        return white;
    }
    void Mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint at)
    {
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(widget.get(), &event);
    }

    std::unique_ptr<CZN3DViewWidget> widget;
};

TEST_F(View3DWidgetTest, ShowsTheDevicesFrameUnderTheLabel)
{
    view.Render(0, 0, 1);
    const QImage shown = Shown();
    ASSERT_EQ(shown.width(), kWidth);
    ASSERT_EQ(shown.height(), kHeight);
    // The back buffer is at least 200 x 200; the frame is its top left corner.
    UINT pitch = 0;
    std::vector<D3DCOLOR> back = ZnReadBackBuffer(D3D().GetDevice(), &pitch);
    int differences = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool label = x < 100 && y < 30;
            if (!label && Rgb(shown, x, y) != (back[static_cast<size_t>(y) * pitch + x] & 0xFFFFFF))
                ++differences;
        }
    EXPECT_EQ(differences, 0);
    EXPECT_EQ(Rgb(shown, kWidth / 2, kHeight / 2), kTexel);
    EXPECT_GT(LabelPixels(shown), 20);
}

TEST_F(View3DWidgetTest, WithoutADeviceShowsTheBackgroundAndTheLabel)
{
    view.Render(0, 0, 1);
    D3D().Shutdown();
    const QImage shown = Shown();
    int other = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const D3DCOLOR c = Rgb(shown, x, y);
            const bool label = x < 100 && y < 30;
            // Text edges are smoothed in greys.
            const bool grey = ((c >> 16) & 0xFF) == ((c >> 8) & 0xFF) && ((c >> 8) & 0xFF) == (c & 0xFF);
            other += !(c == 0 || (label && grey));
        }
    EXPECT_EQ(other, 0);
    EXPECT_GT(LabelPixels(shown), 20);
}

// Only the black background: no label, no frame, and no pixel left unpainted.
TEST_F(View3DWidgetTest, BeforeStartUpHasFinishedOnlyTheBackgroundIsPainted)
{
    GetEditorApp()->Options().m_Initialized = 0;
    view.Render(0, 0, 1);
    const QImage shown = Shown();
    int other = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            other += Rgb(shown, x, y) != 0;
    EXPECT_EQ(other, 0);
}

TEST_F(View3DWidgetTest, ALeftDragMovesTheCameraAndHidesTheCursorWhileItLasts)
{
    view.Render(0, 0, 1);
    EXPECT_EQ(Rgb(Shown(), kWidth / 2, kHeight / 2), kTexel);
    const QPoint anchor(80, 60);
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, anchor);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, anchor + QPoint(10, 4));
    const D3DXVECTOR3 moved = D3D().GetCamera()->GetPosition();
    EXPECT_FLOAT_EQ(moved.x, 10.0f);
    EXPECT_FLOAT_EQ(moved.y, -4.0f);
    EXPECT_EQ(widget->cursor().shape(), Qt::BlankCursor);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, anchor + QPoint(10, 4));
    EXPECT_EQ(widget->cursor().shape(), Qt::ArrowCursor);
    // The frame presented after the step shows the face 10 units further left and 4 higher.
    const QImage shown = Shown();
    EXPECT_EQ(Rgb(shown, kWidth / 2, kHeight / 2), 0u);
    const POINT corner = Pixel(-7.5f, 4.0f, 10);
    EXPECT_EQ(Rgb(shown, corner.x, corner.y), kTexel);
}

TEST_F(View3DWidgetTest, SpaceSetsTheHeldFlagAndAutoRepeatIsIgnored)
{
    auto key = [&](QEvent::Type type, bool repeat) {
        QKeyEvent event(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), repeat);
        QApplication::sendEvent(widget.get(), &event);
        return GetEditorApp()->IsSpaceDown();
    };
    EXPECT_EQ(key(QEvent::KeyPress, false), 1);
    EXPECT_EQ(key(QEvent::KeyRelease, true), 1);
    EXPECT_EQ(key(QEvent::KeyPress, true), 1);
    EXPECT_EQ(key(QEvent::KeyRelease, false), 0);
    EXPECT_EQ(key(QEvent::KeyPress, true), 0);
}

} // namespace
