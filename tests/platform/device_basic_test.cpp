// Device creation, clearing, back-buffer reads, presenting, state blocks and reset.
#include "device_fixture.h"

#include "platform/d3d9/direct3d_state_block9.h"
#include "platform/d3d9/direct3d_texture9.h"

#include <thread>

TEST_F(ZnDeviceTest, OneAdapterWithADisplayModeAndHardwareTransform)
{
    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, mode.Format, mode.Format, TRUE), D3D_OK);
    D3DCAPS9 caps;
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
    EXPECT_GE(caps.MaxActiveLights, 16u);
    EXPECT_GE(caps.MaxTextureWidth, 1024u);
    EXPECT_EQ(d3d->GetDeviceCaps(1, D3DDEVTYPE_HAL, &caps), D3DERR_INVALIDCALL);
}

TEST_F(ZnDeviceTest, FormatChecks)
{
    // Depth formats in the order the editor tries them: the first accepted is D24X8.
    const D3DFORMAT depth[] = {D3DFMT_D32, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D16, D3DFMT_D15S1};
    const HRESULT expected[] = {D3DERR_NOTAVAILABLE, D3D_OK, D3D_OK, D3DERR_NOTAVAILABLE, D3D_OK, D3DERR_NOTAVAILABLE};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                         depth[i]),
                  expected[i]);
    }
    EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D24X8), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_R8G8B8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8), D3D_OK);
}

TEST_F(ZnDeviceTest, AdaptersDescribedByATest)
{
    D3DCAPS9 caps[2] = {};
    caps[0].DevCaps = 0;
    caps[1].DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps[1].RasterCaps = D3DPRASTERCAPS_WBUFFER;
    IDirect3D9::SetAdapterCapsForTesting(caps, 2);
    EXPECT_EQ(d3d->GetAdapterCount(), 2u);
    D3DCAPS9 read;
    ASSERT_EQ(d3d->GetDeviceCaps(1, D3DDEVTYPE_HAL, &read), D3D_OK);
    EXPECT_EQ(read.DevCaps, D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_EQ(read.RasterCaps, D3DPRASTERCAPS_WBUFFER);
    EXPECT_EQ(read.AdapterOrdinal, 1u);
    IDirect3D9::SetAdapterCapsForTesting(nullptr, 0);
    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
}

TEST_F(ZnDeviceTest, ClearFillsTheViewportAndRectangles)
{
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 1.0f, 0), D3D_OK);
    std::vector<D3DCOLOR> pixels = ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 32u * 32u);
    for (D3DCOLOR c : pixels)
        ASSERT_EQ(c, 0xFF336699u);

    D3DRECT rect = {4, 2, 10, 6};
    ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0), D3D_OK);
    // A smaller viewport limits the clear as well.
    D3DVIEWPORT9 vp = {20, 20, 4, 4, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&vp), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    pixels = ReadBackBuffer();
    for (UINT y = 0; y < 32; ++y) {
        for (UINT x = 0; x < 32; ++x) {
            D3DCOLOR expected = 0xFF336699;
            if (x >= 4 && x < 10 && y >= 2 && y < 6)
                expected = 0xFF102030;
            if (x >= 20 && x < 24 && y >= 20 && y < 24)
                expected = 0xFFFFFFFF;
            ASSERT_EQ(pixels[y * 32 + x], expected) << x << "," << y;
        }
    }
}

TEST_F(ZnDeviceTest, BackBufferReadAfterPresentEqualsTheFrame)
{
    ZnRecordingWindow window(32, 32);
    CreateDevice(32, 32, &window);
    // Without a window nothing is presented, and nothing fails.
    ZnRecordingWindow other(10, 10);
    D3DRECT left = {0, 0, 16, 32};
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    device->Clear(1, &left, D3DCLEAR_TARGET, 0xFFFF8000, 1.0f, 0);
    std::vector<D3DCOLOR> before = ReadBackBuffer();
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_EQ(window.presents, 1);
    std::vector<D3DCOLOR> after = ReadBackBuffer();
    EXPECT_EQ(before, after);
    ASSERT_EQ(window.lastFrame.width(), 32);
    ASSERT_EQ(window.lastFrame.height(), 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(window.lastFrame.pixel(x, y), after[static_cast<size_t>(y) * 32 + x]);

    // A source rectangle and another window.
    RECT source = {8, 4, 24, 12};
    ASSERT_EQ(device->Present(&source, nullptr, &other, nullptr), D3D_OK);
    ASSERT_EQ(other.lastFrame.width(), 16);
    ASSERT_EQ(other.lastFrame.height(), 8);
    EXPECT_EQ(other.lastFrame.pixel(7, 0), 0xFFFF8000u);
    EXPECT_EQ(other.lastFrame.pixel(8, 7), 0xFF0000FFu);
}

TEST_F(ZnDeviceTest, PresentWithoutAWindowDoesNothing)
{
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(ZnDeviceTest, BackBufferWritesThroughALock)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    IDirect3DSurface9 *surface = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
    D3DLOCKED_RECT locked;
    RECT rect = {3, 5, 4, 6};
    ASSERT_EQ(surface->LockRect(&locked, &rect, 0), D3D_OK);
    static_cast<DWORD *>(locked.pBits)[0] = 0xFF123456;
    ASSERT_EQ(surface->UnlockRect(), D3D_OK);
    surface->Release();
    EXPECT_EQ(Pixel(3, 5), 0xFF123456u);
    EXPECT_EQ(Pixel(4, 5), 0xFF000000u);

    // A surface taken before a reset describes the back buffer as it is now.
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface), D3D_OK);
    D3DPRESENT_PARAMETERS smaller = params;
    smaller.BackBufferWidth = 8;
    smaller.BackBufferHeight = 4;
    ASSERT_EQ(device->Reset(&smaller), D3D_OK);
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(desc.Height, 4u);
    ASSERT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32);
    surface->UnlockRect();
    surface->Release();
}

TEST_F(ZnDeviceTest, OffscreenPlainSurfaceLocks)
{
    IDirect3DSurface9 *surface = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(5, 3, D3DFMT_R8G8B8, D3DPOOL_SCRATCH, &surface, nullptr), D3D_OK);
    D3DSURFACE_DESC desc;
    surface->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 5u);
    EXPECT_EQ(desc.Height, 3u);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 15);
    D3DLOCKED_RECT again;
    EXPECT_EQ(surface->LockRect(&again, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(surface->UnlockRect(), D3D_OK);
    RECT outside = {4, 0, 6, 1};
    EXPECT_EQ(surface->LockRect(&locked, &outside, 0), D3DERR_INVALIDCALL);
    surface->Release();
}

// The device belongs to the thread that made it (its GL context is current there): a call from
// another thread asserts in a debug build and is refused otherwise, changing nothing.
TEST_F(ZnDeviceTest, ACallFromAnotherThreadIsRefused)
{
    ASSERT_NE(device, nullptr);
    auto callElsewhere = [this] {
        HRESULT result = D3D_OK;
        std::thread([&] { result = device->SetRenderState(D3DRS_FOGENABLE, TRUE); }).join();
        return result;
    };
#ifdef NDEBUG
    EXPECT_EQ(callElsewhere(), D3DERR_INVALIDCALL);
    DWORD fog = 1;
    device->GetRenderState(D3DRS_FOGENABLE, &fog);
    EXPECT_EQ(fog, 0u);
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(callElsewhere(), "the device is called from the thread that made it only");
#endif
    EXPECT_EQ(device->SetRenderState(D3DRS_FOGENABLE, FALSE), D3D_OK);
}
