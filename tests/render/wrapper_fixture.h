#pragma once

// A device wrapper started on a window of a given size, over an offscreen OpenGL context, with
// the messages it reports recorded.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <vector>

#include "app/editor_app.h"
#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_surface9.h"
#include "platform/os/recording_reporter.h"
#include "render/direct3d.h"
#include "support/gl_test_support.h"

class ZnWrapperTest : public ZnOffscreenGLTest
{
protected:
    void SetUp() override
    {
        ZnOffscreenGLTest::SetUp();
        if (HasFatalFailure())
            return;
        GetEditorApp()->SetReporter(&reporter);
        GetEditorApp()->Options().m_CameraMode = 0;
    }
    void TearDown() override
    {
        wrapper.reset();
        IDirect3D9::SetAdapterCapsForTesting(nullptr, 0);
        GetEditorApp()->SetReporter(nullptr);
        GetEditorApp()->Options().m_CameraMode = 0;
    }

    // A started wrapper on a window of the given client size.
    CZN3D &Start(LONG width = 64, LONG height = 64)
    {
        window = std::make_unique<ZnRecordingWindow>(width, height);
        wrapper = std::make_unique<CZN3D>();
        EXPECT_EQ(wrapper->Initialize(window.get()), 1);
        return *wrapper;
    }
    IDirect3DDevice9 *Device() { return wrapper->GetDevice(); }
    DWORD RenderState(D3DRENDERSTATETYPE state)
    {
        DWORD value = 0xDEADBEEF;
        Device()->GetRenderState(state, &value);
        return value;
    }

    // The back buffer as 0xAARRGGBB values, top row first, with its size.
    std::vector<D3DCOLOR> BackBuffer(UINT *width = nullptr, UINT *height = nullptr)
    {
        return ZnReadBackBuffer(Device(), width, height);
    }

    CZNRecordingReporter reporter;
    std::unique_ptr<ZnRecordingWindow> window;
    std::unique_ptr<CZN3D> wrapper;
};
