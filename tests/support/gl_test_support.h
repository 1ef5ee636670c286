#pragma once

// What tests that draw through the device share: one offscreen OpenGL context per test suite,
// a window that keeps what is presented to it, and a read of the back buffer.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <vector>

#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_surface9.h"
#include "platform/d3d9/offscreen_gl_context.h"
#include "platform/os/window.h"

// A window of a fixed client size that keeps the last frame presented to it.
class ZnRecordingWindow : public CZNWindow
{
public:
    ZnRecordingWindow(LONG width, LONG height) : m_width(width), m_height(height) {}
    void GetClientRect(RECT *rect) const override { *rect = {0, 0, m_width, m_height}; }
    void PresentFrame(const QImage &frame, const RECT *destination) override
    {
        lastFrame = frame.copy();
        lastDestination = destination ? *destination : RECT{0, 0, m_width, m_height};
        ++presents;
    }
    QImage lastFrame;
    RECT lastDestination = {};
    int presents = 0;

private:
    LONG m_width, m_height;
};

// The back buffer as 0xAARRGGBB values, top row first, with its size; empty when it cannot be read.
inline std::vector<D3DCOLOR> ZnReadBackBuffer(IDirect3DDevice9 *device, UINT *width = nullptr,
                                              UINT *height = nullptr)
{
    std::vector<D3DCOLOR> pixels;
    IDirect3DSurface9 *surface = nullptr;
    if (!device || device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface) != D3D_OK)
        return pixels;
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    D3DLOCKED_RECT locked;
    if (surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
        pixels.resize(static_cast<size_t>(desc.Width) * desc.Height);
        for (UINT y = 0; y < desc.Height; ++y)
            std::memcpy(&pixels[static_cast<size_t>(y) * desc.Width],
                        static_cast<BYTE *>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch, desc.Width * 4);
        surface->UnlockRect();
    }
    surface->Release();
    if (width)
        *width = desc.Width;
    if (height)
        *height = desc.Height;
    return pixels;
}

// A test suite with one offscreen OpenGL context, made current before each test.
class ZnOffscreenGLTest : public ::testing::Test
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
    void SetUp() override { ASSERT_TRUE(s_context && s_context->MakeCurrent()); }

    static inline CZNOffscreenGLContext *s_context = nullptr;
};
