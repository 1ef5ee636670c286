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
#include "platform/d3d9/offscreen_gl_context.h"
#include "platform/os/recording_reporter.h"
#include "platform/os/window.h"
#include "render/direct3d.h"

// A window of a fixed client size that keeps the last frame presented to it.
class ZnTestWindow : public CZNWindow
{
public:
    ZnTestWindow(LONG width, LONG height) : m_width(width), m_height(height) {}
    void GetClientRect(RECT *rect) const override { *rect = {0, 0, m_width, m_height}; }
    void PresentFrame(const QImage &frame, const RECT *) override { lastFrame = frame.copy(); }
    QImage lastFrame;

private:
    LONG m_width, m_height;
};

class ZnWrapperTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_context = new CZNOffscreenGLContext();
        ASSERT_TRUE(s_context->Create());
    }
    static void TearDownTestSuite()
    {
        delete s_context;
        s_context = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_context->MakeCurrent());
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
        window = std::make_unique<ZnTestWindow>(width, height);
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
        std::vector<D3DCOLOR> pixels;
        IDirect3DSurface9 *surface = nullptr;
        if (Device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface) != D3D_OK)
            return pixels;
        D3DSURFACE_DESC desc;
        surface->GetDesc(&desc);
        D3DLOCKED_RECT locked;
        if (surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
            for (UINT y = 0; y < desc.Height; ++y)
                std::memcpy(&pixels[y * desc.Width], static_cast<BYTE *>(locked.pBits) + y * locked.Pitch,
                            desc.Width * 4);
            surface->UnlockRect();
        }
        surface->Release();
        if (width)
            *width = desc.Width;
        if (height)
            *height = desc.Height;
        return pixels;
    }

    static CZNOffscreenGLContext *s_context;
    CZNRecordingReporter reporter;
    std::unique_ptr<ZnTestWindow> window;
    std::unique_ptr<CZN3D> wrapper;
};
