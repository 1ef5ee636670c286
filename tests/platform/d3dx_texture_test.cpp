// Texture creation, surface loading with conversion and rescaling, and mip-level filtering.
#include "device_fixture.h"

#include "platform/d3d9/pixel_format.h"
#include "platform/d3dx/d3dx_texture.h"

class ZnD3DXTextureTest : public ZnDeviceTest
{
protected:
    void TearDown() override
    {
        IDirect3D9::SetAdapterCapsForTesting(nullptr, 0);
        ZnDeviceTest::TearDown();
    }
    // The pixels of a surface as 0xAARRGGBB, row by row.
    static std::vector<D3DCOLOR> Read(IDirect3DSurface9 *surface)
    {
        D3DSURFACE_DESC desc;
        surface->GetDesc(&desc);
        std::vector<D3DCOLOR> pixels;
        D3DLOCKED_RECT locked;
        if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)))
            return pixels;
        UINT bpp = ZNFormatBytesPerPixel(desc.Format);
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
                pixels.push_back(
                    ZNReadPixel(desc.Format, static_cast<BYTE *>(locked.pBits) + y * locked.Pitch + x * bpp));
        surface->UnlockRect();
        return pixels;
    }
    IDirect3DSurface9 *Surface(UINT width, UINT height, D3DFORMAT format)
    {
        IDirect3DSurface9 *surface = nullptr;
        EXPECT_EQ(device->CreateOffscreenPlainSurface(width, height, format, D3DPOOL_SCRATCH, &surface, nullptr),
                  D3D_OK);
        return surface;
    }
};

TEST_F(ZnD3DXTextureTest, CreateTextureFitsTheDevice)
{
    IDirect3DTexture9 *texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 256u);
    EXPECT_EQ(desc.Height, 256u);
    EXPECT_EQ(texture->GetLevelCount(), 9u);
    texture->Release();

    // A format the device lacks becomes the 32-bit one with or without alpha.
    ASSERT_EQ(D3DXCreateTexture(device, 100, 30, 3, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Width, 100u);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    texture->Release();

    struct Case {
        DWORD textureCaps, maxSize;
        UINT width, height;
    };
    const Case cases[] = {
        {D3DPTEXTURECAPS_POW2, 4096, 128, 32},
        {D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY, 4096, 128, 128},
        {0, 64, 64, 30},
    };
    for (const Case &c : cases) {
        D3DCAPS9 caps;
        device->GetDeviceCaps(&caps);
        caps.TextureCaps = c.textureCaps | D3DPTEXTURECAPS_MIPMAP;
        caps.MaxTextureWidth = caps.MaxTextureHeight = c.maxSize;
        IDirect3D9::SetAdapterCapsForTesting(&caps, 1);
        ASSERT_EQ(D3DXCreateTexture(device, 100, 30, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, c.width) << "caps " << c.textureCaps;
        EXPECT_EQ(desc.Height, c.height) << "caps " << c.textureCaps;
        texture->Release();
    }
}

TEST_F(ZnD3DXTextureTest, LoadFromMemoryConvertsFormats)
{
    // Three-byte pixels blue, green, red as the light maps are stored.
    const BYTE bgr[2 * 2 * 3] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0xA0, 0xB0, 0xC0};
    IDirect3DTexture9 *texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 2, 2, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    IDirect3DSurface9 *level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    const RECT all = {0, 0, 2, 2};
    ASSERT_EQ(
        D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, bgr, D3DFMT_R8G8B8, 6, nullptr, &all, D3DX_FILTER_POINT, 0),
        D3D_OK);
    EXPECT_EQ(Read(level), (std::vector<D3DCOLOR>{0xFF302010, 0xFF605040, 0xFF908070, 0xFFC0B0A0}));

    // Four-byte pixels with alpha into a 16-bit surface.
    const DWORD argb[2] = {0xFFFF0000, 0x0000FF00};
    IDirect3DSurface9 *small = Surface(2, 1, D3DFMT_A1R5G5B5);
    const RECT row = {0, 0, 2, 1};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(small, nullptr, nullptr, argb, D3DFMT_A8R8G8B8, 8, nullptr, &row,
                                        D3DX_FILTER_NONE, 0),
              D3D_OK);
    EXPECT_EQ(Read(small), (std::vector<D3DCOLOR>{0xFFFF0000, 0x0000FF00}));
    // A source rectangle is required and must fit the pitch.
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(small, nullptr, nullptr, argb, D3DFMT_A8R8G8B8, 8, nullptr, nullptr,
                                        D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    const RECT wide = {0, 0, 3, 1};
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(small, nullptr, nullptr, argb, D3DFMT_A8R8G8B8, 8, nullptr, &wide,
                                        D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    small->Release();
    level->Release();
    texture->Release();
}

TEST_F(ZnD3DXTextureTest, RescalingWithPointAndLinearFilters)
{
    // Source row 0, 200 and a 4 x 4 block pattern.
    const DWORD pair[2] = {0xFF000000, 0xFFC8C8C8};
    const RECT pairRect = {0, 0, 2, 1};
    IDirect3DSurface9 *row = Surface(4, 1, D3DFMT_X8R8G8B8);
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(row, nullptr, nullptr, pair, D3DFMT_X8R8G8B8, 8, nullptr, &pairRect,
                                        D3DX_FILTER_LINEAR, 0),
              D3D_OK);
    // Grown by the sample centres: 0, 0.25, 0.75 and 1 of the way.
    EXPECT_EQ(Read(row), (std::vector<D3DCOLOR>{0xFF000000, 0xFF323232, 0xFF969696, 0xFFC8C8C8}));
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(row, nullptr, nullptr, pair, D3DFMT_X8R8G8B8, 8, nullptr, &pairRect,
                                        D3DX_FILTER_POINT, 0),
              D3D_OK);
    EXPECT_EQ(Read(row), (std::vector<D3DCOLOR>{0xFF000000, 0xFF000000, 0xFFC8C8C8, 0xFFC8C8C8}));
    row->Release();

    DWORD block[16];
    for (int i = 0; i < 16; ++i)
        block[i] = 0xFF000000u | static_cast<DWORD>(i * 16);
    const RECT blockRect = {0, 0, 4, 4};
    IDirect3DSurface9 *half = Surface(2, 2, D3DFMT_X8R8G8B8);
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(half, nullptr, nullptr, block, D3DFMT_X8R8G8B8, 16, nullptr, &blockRect,
                                        D3DX_FILTER_LINEAR, 0),
              D3D_OK);
    // Each pixel the mean of a 2 x 2 block: (0 + 16 + 64 + 80) / 4 = 40, ...
    EXPECT_EQ(Read(half), (std::vector<D3DCOLOR>{0xFF000028, 0xFF000048, 0xFF0000A8, 0xFF0000C8}));
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(half, nullptr, nullptr, block, D3DFMT_X8R8G8B8, 16, nullptr, &blockRect,
                                        D3DX_FILTER_POINT, 0),
              D3D_OK);
    // The source pixel under each destination centre: (1, 1), (3, 1), (1, 3), (3, 3).
    EXPECT_EQ(Read(half), (std::vector<D3DCOLOR>{0xFF000050, 0xFF000070, 0xFF0000D0, 0xFF0000F0}));
    half->Release();
}

TEST_F(ZnD3DXTextureTest, ColourKeyBecomesTransparentBlack)
{
    const DWORD pixels[3] = {0xFFFF00FF, 0xFF123456, 0xFFFF00FF};
    const RECT rect = {0, 0, 3, 1};
    IDirect3DSurface9 *surface = Surface(3, 1, D3DFMT_A8R8G8B8);
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, pixels, D3DFMT_A8R8G8B8, 12, nullptr, &rect,
                                        D3DX_FILTER_POINT, 0xFFFF00FF),
              D3D_OK);
    EXPECT_EQ(Read(surface), (std::vector<D3DCOLOR>{0, 0xFF123456, 0}));
    surface->Release();
}

TEST_F(ZnD3DXTextureTest, BackBufferIntoAThreeByteSurface)
{
    // The capture path: viewport area of the back buffer into an R8G8B8 scratch surface.
    D3DRECT right = {16, 0, 32, 32};
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
    device->Clear(1, &right, D3DCLEAR_TARGET, 0xFFA0B0C0, 1.0f, 0);
    IDirect3DSurface9 *back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    IDirect3DSurface9 *capture = Surface(20, 10, D3DFMT_R8G8B8);
    const RECT area = {0, 0, 20, 10};
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(capture, nullptr, &area, back, nullptr, &area, D3DX_FILTER_POINT, 0), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(capture->LockRect(&locked, &area, D3DLOCK_READONLY | D3DLOCK_NO_DIRTY_UPDATE), D3D_OK);
    const BYTE *row = static_cast<BYTE *>(locked.pBits) + 5 * locked.Pitch;
    EXPECT_EQ(row[15 * 3 + 0], 0x30);
    EXPECT_EQ(row[15 * 3 + 1], 0x20);
    EXPECT_EQ(row[15 * 3 + 2], 0x10);
    EXPECT_EQ(row[16 * 3 + 0], 0xC0);
    EXPECT_EQ(row[16 * 3 + 1], 0xB0);
    EXPECT_EQ(row[16 * 3 + 2], 0xA0);
    capture->UnlockRect();
    capture->Release();
    back->Release();
}

TEST_F(ZnD3DXTextureTest, FilterTextureBuildsTheLevels)
{
    IDirect3DTexture9 *texture = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 4, 4, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 3u);
    DWORD block[16];
    for (int i = 0; i < 16; ++i)
        block[i] = 0xFF000000u | static_cast<DWORD>(i * 16) << 8;
    IDirect3DSurface9 *level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    const RECT all = {0, 0, 4, 4};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, block, D3DFMT_X8R8G8B8, 16, nullptr, &all,
                                        D3DX_FILTER_LINEAR, 0),
              D3D_OK);
    level->Release();
    ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_FILTER_LINEAR), D3D_OK);
    texture->GetSurfaceLevel(1, &level);
    EXPECT_EQ(Read(level), (std::vector<D3DCOLOR>{0xFF002800, 0xFF004800, 0xFF00A800, 0xFF00C800}));
    level->Release();
    texture->GetSurfaceLevel(2, &level);
    EXPECT_EQ(Read(level), (std::vector<D3DCOLOR>{0xFF007800})); // (40 + 72 + 168 + 200) / 4
    level->Release();
    EXPECT_EQ(D3DXFilterTexture(texture, nullptr, 3, D3DX_FILTER_LINEAR), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXFilterTexture(nullptr, nullptr, 0, D3DX_FILTER_LINEAR), D3DERR_INVALIDCALL);
    texture->Release();
}
