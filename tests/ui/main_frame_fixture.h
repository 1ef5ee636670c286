#pragma once

// Shared set-up of the main-window tests: settings in a temporary folder, the widget
// application with a recording reporter and default options, and one document with its window.
// A test's fixture tweaks options in SetOptions (before the document and window exist) and
// resets the application in ResetApp (after they are gone, with the reporter still listening).
// Mouse input reaches the Top pane through SendMouse, Drag and Click at the pixels of Pixel.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "editor/selection_band.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/selection_entry.h"
#include "support/shapes.h"
#include "support/temp_dir.h"
#include "support/widget_app.h"
#include "ui/main_frame.h"
#include "ui/splitter_wnd.h"

class ZnMainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        ZnWidgetApp();
        savedOptions = GetEditorApp()->Options();
        GetEditorApp()->SetReporter(&reporter);
        GetEditorApp()->SetDefaultOptions();
        SetOptions();
        doc = std::make_unique<CZNEDITORDoc>();
        frame = std::make_unique<CZNMainFrame>(doc.get());
        frame->resize(1024, 768);
    }
    void TearDown() override
    {
        frame.reset();
        doc.reset();
        ResetApp();
        GetEditorApp()->SetReporter(nullptr);
    }
    virtual void SetOptions() {}
    virtual void ResetApp() {}
    // Puts back the options the application had before SetUp.
    void RestoreOptions() { GetEditorApp()->Options() = savedOptions; }

    static CZNSelectionBand *Band() { return GetEditorApp()->GetSelectionBand(); }
    ZNBRUSH *Box(const D3DXVECTOR3 &lo, const D3DXVECTOR3 &hi)
    {
        ZNBRUSH *b = doc->NewBrush();
        ZnBuildBox(*b, lo, hi);
        return b;
    }
    static void Add(BYTE type, void *object, DWORD face = 0)
    {
        ZNSELECTIONENTRY e;
        e.Type = type;
        e.Object = reinterpret_cast<uintptr_t>(object);
        e.Face = face;
        ASSERT_EQ(Band()->AddToSelection(&e, 1, 0), 1);
    }
    bool Enabled(UINT id) const { return frame->GetAction(id)->isEnabled(); }
    CZN2DView *Top() const { return frame->Get2DView(0); }
    QWidget *TopPane() const { return frame->GetSplitter()->GetPane(0, 0); }

    // The Top pane's pixel of world (x, z).
    QPoint Pixel(float x, float z) const
    {
        const D3DXVECTOR3 world(x, 0, z);
        POINT p;
        Top()->WorldToScreen(&p, &world);
        return QPoint(p.x, p.y);
    }
    void SendMouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(at), QPointF(TopPane()->mapToGlobal(at)), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(TopPane(), &event);
    }
    // A left-button press, four moves and a release in the Top pane, then the events that follow.
    void Drag(QPoint from, QPoint to)
    {
        SendMouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        for (int i = 1; i <= 4; ++i)
            SendMouse(QEvent::MouseMove, from + (to - from) * i / 4, Qt::NoButton, Qt::LeftButton);
        SendMouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
        QCoreApplication::processEvents();
    }
    void Click(QPoint at) { Drag(at, at); }

    ZnTempDir dir;
    CZNRecordingReporter reporter;
    std::unique_ptr<CZNEDITORDoc> doc;
    std::unique_ptr<CZNMainFrame> frame;

private:
    ZNAPPOPTIONS savedOptions{};
};

// The window shown and active, in brush edit and select mode without snapping, solid rendering,
// the Top view at zoom 1 around the origin and the crosshair well away from where tests click.
class ZnShownFrameTest : public ZnMainFrameTest
{
protected:
    void SetOptions() override
    {
        GetEditorApp()->Options().m_SnapToGrid = 0;
        GetEditorApp()->Get3D()->SetRenderMode(3);
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
    }
    void SetUp() override
    {
        ZnMainFrameTest::SetUp();
        doc->SetCursorPoint(D3DXVECTOR3(5000, 5000, 5000));
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        Top()->SetZoom(1);
        Top()->SetCentre(0, 0);
    }
    void TearDown() override
    {
        Band()->Clear(1, 0);
        ZnMainFrameTest::TearDown();
    }
    void ResetApp() override
    {
        GetEditorApp()->SetEditMode(ZNEDITMODE_BRUSH);
        GetEditorApp()->SetPlacementMode(ZNPLACE_SELECT);
        RestoreOptions();
    }
};
