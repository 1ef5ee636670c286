#pragma once

// A device on an offscreen OpenGL context, with helpers to read back what it drew.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/direct3d_device9.h"
#include "platform/d3d9/direct3d_surface9.h"
#include "support/gl_test_support.h"

class ZnDeviceTest : public ZnOffscreenGLTest
{
protected:
    void SetUp() override
    {
        ZnOffscreenGLTest::SetUp();
        if (HasFatalFailure())
            return;
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        CreateDevice(32, 32);
    }
    void TearDown() override
    {
        if (device)
            device->Release();
        if (d3d)
            d3d->Release();
    }

    void CreateDevice(UINT width, UINT height, HWND window = nullptr)
    {
        if (device)
            device->Release();
        device = nullptr;
        params = {};
        params.BackBufferWidth = width;
        params.BackBufferHeight = height;
        params.BackBufferFormat = D3DFMT_X8R8G8B8;
        params.SwapEffect = D3DSWAPEFFECT_COPY;
        params.Windowed = TRUE;
        params.EnableAutoDepthStencil = TRUE;
        params.AutoDepthStencilFormat = D3DFMT_D24X8;
        params.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device),
                  D3D_OK);
    }

    // The back buffer as 0xAARRGGBB values, top row first.
    std::vector<D3DCOLOR> ReadBackBuffer() { return ZnReadBackBuffer(device); }
    D3DCOLOR Pixel(UINT x, UINT y)
    {
        std::vector<D3DCOLOR> pixels = ReadBackBuffer();
        return pixels.empty() ? 0 : pixels[y * params.BackBufferWidth + x];
    }

    IDirect3D9 *d3d = nullptr;
    IDirect3DDevice9 *device = nullptr;
    D3DPRESENT_PARAMETERS params = {};
};

// Channels of two colours within a tolerance.
inline ::testing::AssertionResult ColorNear(D3DCOLOR actual, D3DCOLOR expected, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        int a = static_cast<int>((actual >> shift) & 0xFF), e = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance)
            return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not within " << std::dec
                                                 << tolerance << " of 0x" << std::hex << expected;
    }
    return ::testing::AssertionSuccess();
}

// The two vertex layouts the editor draws with.
struct ZnVertex212 { // position, normal, two texture pairs (40 bytes)
    float x, y, z, nx, ny, nz, u, v, u2, v2;
};
struct ZnVertex242 { // position, diffuse colour, two texture pairs (32 bytes)
    float x, y, z;
    D3DCOLOR color;
    float u = 0.0f, v = 0.0f, u2 = 0.0f, v2 = 0.0f;
};
static_assert(sizeof(ZnVertex212) == 40 && sizeof(ZnVertex242) == 32);

// A colour from channels in 0..1, rounded to 8 bits, alpha 255.
inline D3DCOLOR ZnRgb(double r, double g, double b)
{
    auto c = [](double v) { return static_cast<DWORD>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return 0xFF000000u | (c(r) << 16) | (c(g) << 8) | c(b);
}

// World coordinates equal to back-buffer pixel coordinates (y down), depth 0..1 from z.
inline void ZnSetScreenSpace(IDirect3DDevice9 *device, float width, float height)
{
    D3DMATRIX identity, projection;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixOrthoOffCenterLH(&projection, 0.0f, width, height, 0.0f, 0.0f, 1.0f);
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}
