// Textures: levels, locking, formats, stage-0 modulation, filtering, mip levels and wrapping.
#include "device_fixture.h"

#include "platform/d3d9/direct3d_texture9.h"
#include "platform/d3d9/pixel_format.h"

class ZnDeviceTextureTest : public ZnDeviceTest
{
protected:
    void SetUp() override
    {
        ZnDeviceTest::SetUp();
        ZnSetScreenSpace(device, 32.0f, 32.0f);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetFVF(0x242);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    }
    void TearDown() override
    {
        if (texture)
            texture->Release();
        ZnDeviceTest::TearDown();
    }
    // A texture whose level-0 texels are given row by row (0xAARRGGBB).
    void MakeTexture(UINT width, UINT height, const std::vector<D3DCOLOR> &texels, D3DFORMAT format = D3DFMT_A8R8G8B8,
                     UINT levels = 1)
    {
        ASSERT_EQ(device->CreateTexture(width, height, levels, 0, format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
        Fill(0, texels);
    }
    void Fill(UINT level, const std::vector<D3DCOLOR> &texels)
    {
        D3DSURFACE_DESC desc;
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
        UINT bpp = ZNFormatBytesPerPixel(desc.Format);
        for (UINT y = 0; y < desc.Height; ++y)
            for (UINT x = 0; x < desc.Width; ++x)
                ZNWritePixel(desc.Format, static_cast<BYTE *>(locked.pBits) + y * locked.Pitch + x * bpp,
                             texels.size() == 1 ? texels[0] : texels[y * desc.Width + x]);
        ASSERT_EQ(texture->UnlockRect(level), D3D_OK);
    }
    // The whole back buffer covered by texture coordinates 0..uMax, 0..vMax.
    void DrawScreen(D3DCOLOR color, float uMax = 1.0f, float vMax = 1.0f)
    {
        // The second texture pair is there to be ignored: stage 0 reads the first.
        const ZnVertex242 v[4] = {{-0.5f, -0.5f, 0, color, 0, 0, 9, 9},
                                  {31.5f, -0.5f, 0, color, uMax, 0, 9, 9},
                                  {31.5f, 31.5f, 0, color, uMax, vMax, 9, 9},
                                  {-0.5f, 31.5f, 0, color, 0, vMax, 9, 9}};
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(ZnVertex242)), D3D_OK);
    }
    IDirect3DTexture9 *texture = nullptr;
};

namespace
{
// texel x colour / 255 in every channel, rounded.
D3DCOLOR Modulate(D3DCOLOR texel, D3DCOLOR color)
{
    D3DCOLOR out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        double t = (texel >> shift) & 0xFF, c = (color >> shift) & 0xFF;
        out |= static_cast<DWORD>(std::lround(t * c / 255.0)) << shift;
    }
    return out;
}
} // namespace

TEST_F(ZnDeviceTextureTest, LevelsAndDescriptions)
{
    ASSERT_EQ(device->CreateTexture(64, 32, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 7u);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(3, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(desc.Height, 4u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    ASSERT_EQ(texture->GetLevelDesc(6, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(texture->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);
    IDirect3DSurface9 *surface = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &surface), D3D_OK);
    surface->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 32u);
    surface->Release();
    IDirect3DTexture9 *other = nullptr;
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, &other, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4, 4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &other, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(ZnDeviceTextureTest, StageZeroModulatesByTheVertexColour)
{
    const std::vector<D3DCOLOR> texels = {0xFFFFFFFF, 0xFF804020, 0xFF00FF00, 0xFF102030};
    MakeTexture(2, 2, texels);
    device->SetTexture(0, texture);
    const D3DCOLOR color = 0xFF80C0FF;
    DrawScreen(color);
    EXPECT_EQ(Pixel(8, 8), Modulate(texels[0], color));
    EXPECT_EQ(Pixel(24, 8), Modulate(texels[1], color));
    EXPECT_EQ(Pixel(8, 24), Modulate(texels[2], color));
    EXPECT_EQ(Pixel(24, 24), Modulate(texels[3], color));
    // Without a texture the stage reads white: the vertex colour itself.
    device->SetTexture(0, nullptr);
    DrawScreen(color);
    EXPECT_EQ(Pixel(24, 24), color);
}

TEST_F(ZnDeviceTextureTest, StageZeroModulatesByTheLitMaterial)
{
    MakeTexture(1, 1, {0xFFC08040});
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetFVF(0x212);
    D3DLIGHT9 l = {};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = {1, 1, 1, 1};
    l.Direction = {0, 0, 1};
    device->SetLight(0, &l);
    device->LightEnable(0, TRUE);
    const D3DMATERIAL9 m = {{0.4f, 0.6f, 1.0f, 1.0f}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0.0f};
    device->SetMaterial(&m);
    const ZnVertex212 v[4] = {{-0.5f, -0.5f, 0, 0, 0, -1, 0, 0, 0, 0},
                              {31.5f, -0.5f, 0, 0, 0, -1, 1, 0, 0, 0},
                              {31.5f, 31.5f, 0, 0, 0, -1, 1, 1, 0, 0},
                              {-0.5f, 31.5f, 0, 0, 0, -1, 0, 1, 0, 0}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(ZnVertex212)), D3D_OK);
    // lit colour = material diffuse x N.L (1); result = texel x lit colour.
    EXPECT_TRUE(ColorNear(Pixel(16, 16), ZnRgb(0.4 * 0xC0 / 255.0, 0.6 * 0x80 / 255.0, 1.0 * 0x40 / 255.0), 1));
}

TEST_F(ZnDeviceTextureTest, AlphaModulatesAsTheEditorSetsTheStage)
{
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    MakeTexture(1, 1, {0x80FFFFFF});
    device->SetTexture(0, texture);
    // alpha = 0x80/255 (texture) x 1 (vertex): white over black at about half.
    DrawScreen(0xFFFFFFFF);
    EXPECT_TRUE(ColorNear(Pixel(16, 16), 0xFF808080, 1));
}

TEST_F(ZnDeviceTextureTest, EveryTextureFormatReadsBack)
{
    struct Case {
        D3DFORMAT format;
        D3DCOLOR written, drawn;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, 0xFF123456, 0xFF123456}, {D3DFMT_X8R8G8B8, 0x00123456, 0xFF123456},
        {D3DFMT_R5G6B5, 0xFFFF0000, 0xFFFF0000},   {D3DFMT_R5G6B5, 0xFF00FF00, 0xFF00FF00},
        {D3DFMT_X1R5G5B5, 0xFF0000FF, 0xFF0000FF}, {D3DFMT_A1R5G5B5, 0xFFFFFFFF, 0xFFFFFFFF},
        {D3DFMT_A4R4G4B4, 0xFF88FF00, 0xFF88FF00}, {D3DFMT_X4R4G4B4, 0xFF0044FF, 0xFF0044FF},
    };
    for (const Case &c : cases) {
        MakeTexture(2, 2, {c.written}, c.format);
        device->SetTexture(0, texture);
        DrawScreen(0xFFFFFFFF);
        EXPECT_EQ(Pixel(16, 16), c.drawn) << "format " << c.format;
        device->SetTexture(0, nullptr);
        texture->Release();
        texture = nullptr;
    }
}

TEST_F(ZnDeviceTextureTest, PointAndLinearFilteringAndWrapping)
{
    MakeTexture(2, 1, {0xFF000000, 0xFFFFFFFF});
    device->SetTexture(0, texture);
    DrawScreen(0xFFFFFFFF);
    // Point: the left half black, the right half white.
    EXPECT_EQ(Pixel(15, 16), 0xFF000000u);
    EXPECT_EQ(Pixel(16, 16), 0xFFFFFFFFu);

    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    DrawScreen(0xFFFFFFFF);
    // Pixel x has u = (x + 0.5) / 32, texel coordinate 2u - 0.5 between the two texel centres.
    for (UINT x : {8u, 15u, 16u, 20u}) {
        double t = std::clamp(2.0 * (x + 0.5) / 32.0 - 0.5, 0.0, 1.0);
        EXPECT_TRUE(ColorNear(Pixel(x, 16), ZnRgb(t, t, t), 2)) << "x " << x;
    }

    // Wrapping: u from 0 to 2 repeats the texture; pixel 4 and pixel 20 read the same texel.
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    DrawScreen(0xFFFFFFFF, 2.0f, 1.0f);
    EXPECT_EQ(Pixel(4, 16), 0xFF000000u);
    EXPECT_EQ(Pixel(12, 16), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(20, 16), 0xFF000000u);
    EXPECT_EQ(Pixel(28, 16), 0xFFFFFFFFu);
}

TEST_F(ZnDeviceTextureTest, MipFilterPicksTheLevel)
{
    // A 64 x 64 texture drawn on 32 x 32 pixels samples level 1 when mip-mapping is on.
    MakeTexture(64, 64, {0xFFFF0000}, D3DFMT_X8R8G8B8, 3);
    Fill(1, {0xFF00FF00});
    Fill(2, {0xFF0000FF});
    device->SetTexture(0, texture);
    DrawScreen(0xFFFFFFFF);
    EXPECT_EQ(Pixel(16, 16), 0xFFFF0000u);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    DrawScreen(0xFFFFFFFF);
    EXPECT_EQ(Pixel(16, 16), 0xFF00FF00u);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    DrawScreen(0xFFFFFFFF);
    EXPECT_EQ(Pixel(16, 16), 0xFF00FF00u);
}

// Creation uploads nothing: levels never written are drawn as the zeros they hold (alpha 0
// included, so blending them leaves what was drawn before), whether the texture is drawn before
// any write or after only some of its levels were written.
TEST_F(ZnDeviceTextureTest, LevelsNeverWrittenDrawAsZeros)
{
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    ASSERT_EQ(device->CreateTexture(64, 64, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    device->SetTexture(0, texture);
    auto drawOverBlue = [&] {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
        DrawScreen(0xFFFFFFFF);
        return Pixel(16, 16);
    };
    EXPECT_EQ(drawOverBlue(), 0xFF0000FFu);

    Fill(0, {0xFFFF0000});
    EXPECT_EQ(drawOverBlue(), 0xFFFF0000u);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    EXPECT_EQ(drawOverBlue(), 0xFF0000FFu); // level 1, never written
    Fill(1, {0xFF00FF00});
    EXPECT_EQ(drawOverBlue(), 0xFF00FF00u);
}
