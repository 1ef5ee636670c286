// Rasterisation: primitive types, culling, fill modes, depth test, blending.
#include "device_fixture.h"

class ZnDeviceDrawTest : public ZnDeviceTest
{
protected:
    void SetUp() override
    {
        ZnDeviceTest::SetUp();
        // Stage 0 as the editor sets it: alpha from the vertex times the texture.
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        ZnSetScreenSpace(device, 32.0f, 32.0f);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetFVF(0x242);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    }
    // A rectangle as a fan, clockwise on the screen.
    void Rect(float x1, float y1, float x2, float y2, float z, D3DCOLOR color)
    {
        ZnVertex242 v[4] = {{x1, y1, z, color, 0, 0, 0, 0},
                            {x2, y1, z, color, 1, 0, 0, 0},
                            {x2, y2, z, color, 1, 1, 0, 0},
                            {x1, y2, z, color, 0, 1, 0, 0}};
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(ZnVertex242)), D3D_OK);
    }
};

TEST_F(ZnDeviceDrawTest, EveryPrimitiveType)
{
    const D3DCOLOR w = 0xFFFFFFFF;
    struct Case {
        D3DPRIMITIVETYPE type;
        UINT primitives;
        std::vector<ZnVertex242> vertices;
        std::vector<std::pair<UINT, UINT>> lit, unlit;
    };
    const Case cases[] = {
        {D3DPT_POINTLIST, 2, {{5, 5, 0, w}, {20, 7, 0, w}}, {{5, 5}, {20, 7}}, {{6, 5}, {5, 6}}},
        {D3DPT_LINELIST, 1, {{2, 10, 0, w}, {20, 10, 0, w}}, {{2, 10}, {10, 10}, {19, 10}}, {{10, 9}, {10, 11}}},
        {D3DPT_LINESTRIP, 2, {{2, 3, 0, w}, {12, 3, 0, w}, {12, 20, 0, w}}, {{7, 3}, {12, 10}}, {{7, 10}}},
        {D3DPT_TRIANGLELIST,
         2,
         {{2, 2, 0, w}, {10, 2, 0, w}, {2, 10, 0, w}, {20, 20, 0, w}, {30, 20, 0, w}, {20, 30, 0, w}},
         {{3, 3}, {21, 21}},
         {{9, 9}, {15, 15}}},
        {D3DPT_TRIANGLESTRIP,
         2,
         {{2, 2, 0, w}, {20, 2, 0, w}, {2, 20, 0, w}, {20, 20, 0, w}},
         {{5, 5}, {18, 18}},
         {{25, 25}}},
        {D3DPT_TRIANGLEFAN,
         2,
         {{2, 2, 0, w}, {20, 2, 0, w}, {20, 20, 0, w}, {2, 20, 0, w}},
         {{5, 18}, {18, 5}},
         {{25, 25}}},
    };
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    for (const Case &c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        ASSERT_EQ(device->DrawPrimitiveUP(c.type, c.primitives, c.vertices.data(), sizeof(ZnVertex242)), D3D_OK);
        for (auto p : c.lit)
            EXPECT_EQ(Pixel(p.first, p.second), 0xFFFFFFFFu)
                << "type " << c.type << " at " << p.first << "," << p.second;
        for (auto p : c.unlit)
            EXPECT_EQ(Pixel(p.first, p.second), 0xFF000000u)
                << "type " << c.type << " at " << p.first << "," << p.second;
    }
}

TEST_F(ZnDeviceDrawTest, IndexedTrianglesWithSixteenBitIndices)
{
    const ZnVertex242 v[4] = {
        {4, 4, 0, 0xFF00FF00}, {28, 4, 0, 0xFF00FF00}, {28, 28, 0, 0xFF00FF00}, {4, 28, 0, 0xFF00FF00}};
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    ASSERT_EQ(
        device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, indices, D3DFMT_INDEX16, v, sizeof(ZnVertex242)),
        D3D_OK);
    EXPECT_EQ(Pixel(20, 8), 0xFF00FF00u);
    EXPECT_EQ(Pixel(8, 20), 0xFF00FF00u);
    EXPECT_EQ(Pixel(30, 30), 0xFF000000u);
    // No primitives, too many, or an index beyond the vertices handed over are refused.
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0, v, sizeof(ZnVertex242)), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0x60000000u, v, sizeof(ZnVertex242)), D3DERR_INVALIDCALL);
    const uint16_t bad[3] = {0, 1, 4};
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, bad, D3DFMT_INDEX16, v, sizeof(ZnVertex242)),
              D3DERR_INVALIDCALL);
}

TEST_F(ZnDeviceDrawTest, CullingFollowsScreenWinding)
{
    // On the screen (y down) the first triangle turns clockwise, the second counter-clockwise.
    const ZnVertex242 clockwise[3] = {{2, 2, 0, 0xFFFFFFFF}, {14, 2, 0, 0xFFFFFFFF}, {2, 14, 0, 0xFFFFFFFF}};
    const ZnVertex242 counter[3] = {{18, 18, 0, 0xFFFFFFFF}, {18, 30, 0, 0xFFFFFFFF}, {30, 18, 0, 0xFFFFFFFF}};
    struct Case {
        DWORD mode;
        bool clockwiseDrawn, counterDrawn;
    };
    const Case cases[] = {{D3DCULL_CCW, true, false}, {D3DCULL_CW, false, true}, {D3DCULL_NONE, true, true}};
    for (const Case &c : cases) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        device->SetRenderState(D3DRS_CULLMODE, c.mode);
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, sizeof(ZnVertex242));
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counter, sizeof(ZnVertex242));
        EXPECT_EQ(Pixel(4, 4), c.clockwiseDrawn ? 0xFFFFFFFFu : 0xFF000000u) << "cull mode " << c.mode;
        EXPECT_EQ(Pixel(20, 20), c.counterDrawn ? 0xFFFFFFFFu : 0xFF000000u) << "cull mode " << c.mode;
    }
}

TEST_F(ZnDeviceDrawTest, WireframeAndPointFill)
{
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    Rect(4, 4, 27, 27, 0, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(15, 4), 0xFFFFFFFFu);  // top edge
    EXPECT_EQ(Pixel(27, 15), 0xFFFFFFFFu); // right edge
    EXPECT_EQ(Pixel(4, 15), 0xFFFFFFFFu);  // left edge
    EXPECT_EQ(Pixel(15, 27), 0xFFFFFFFFu); // bottom edge
    EXPECT_EQ(Pixel(12, 12), 0xFFFFFFFFu); // the diagonal shared by the fan's triangles
    EXPECT_EQ(Pixel(20, 10), 0xFF000000u); // inside
    EXPECT_EQ(Pixel(10, 20), 0xFF000000u);

    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_POINT);
    Rect(4, 4, 27, 27, 0, 0xFFFFFFFF);
    EXPECT_EQ(Pixel(4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(27, 4), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(27, 27), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(4, 27), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(15, 4), 0xFF000000u);
    EXPECT_EQ(Pixel(15, 15), 0xFF000000u);
    std::vector<D3DCOLOR> pixels = ReadBackBuffer();
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0xFFFFFFFFu), 4);

    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    Rect(4, 4, 27, 27, 0, 0xFFFFFFFF);
    pixels = ReadBackBuffer();
    // Solid fill covers the pixels whose centres lie inside: 4..26 on both axes.
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0xFFFFFFFFu), 23 * 23);
    EXPECT_EQ(Pixel(4, 4), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(26, 26), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(27, 27), 0xFF000000u);
}

TEST_F(ZnDeviceDrawTest, DepthTestLessEqual)
{
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    Rect(0, 0, 32, 32, 0.5f, 0xFFFF0000);
    EXPECT_EQ(Pixel(16, 16), 0xFFFF0000u);
    Rect(0, 0, 32, 32, 0.5f, 0xFF00FF00); // equal depth passes
    EXPECT_EQ(Pixel(16, 16), 0xFF00FF00u);
    Rect(0, 0, 32, 32, 0.7f, 0xFF0000FF); // farther fails
    EXPECT_EQ(Pixel(16, 16), 0xFF00FF00u);
    Rect(0, 0, 16, 32, 0.3f, 0xFFFFFFFF); // nearer passes
    EXPECT_EQ(Pixel(8, 16), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(24, 16), 0xFF00FF00u);

    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    Rect(0, 0, 32, 32, 0.3f, 0xFF808080); // equal depth fails with LESS
    EXPECT_EQ(Pixel(8, 16), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(24, 16), 0xFF808080u);

    // Without depth writes a nearer surface leaves the depth as it was.
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    Rect(0, 0, 32, 32, 0.1f, 0xFF101010);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    Rect(0, 0, 32, 32, 0.2f, 0xFF202020);
    EXPECT_EQ(Pixel(16, 16), 0xFF202020u);
}

TEST_F(ZnDeviceDrawTest, EveryBlendFactorPair)
{
    // Source (200, 100, 50) with alpha 64 over destination (40, 80, 160); the back buffer has no
    // alpha, so destination alpha reads as 1.
    const double src[4] = {200 / 255.0, 100 / 255.0, 50 / 255.0, 64 / 255.0};
    const double dst[4] = {40 / 255.0, 80 / 255.0, 160 / 255.0, 1.0};
    auto factor = [&](DWORD blend, int channel) {
        switch (blend) {
        case D3DBLEND_ZERO:
            return 0.0;
        case D3DBLEND_ONE:
            return 1.0;
        case D3DBLEND_SRCCOLOR:
            return src[channel];
        case D3DBLEND_INVSRCCOLOR:
            return 1.0 - src[channel];
        case D3DBLEND_SRCALPHA:
            return src[3];
        case D3DBLEND_INVSRCALPHA:
            return 1.0 - src[3];
        case D3DBLEND_DESTALPHA:
            return dst[3];
        case D3DBLEND_INVDESTALPHA:
            return 1.0 - dst[3];
        case D3DBLEND_DESTCOLOR:
            return dst[channel];
        default:
            return 1.0 - dst[channel]; // D3DBLEND_INVDESTCOLOR
        }
    };
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    for (DWORD s = D3DBLEND_ZERO; s <= D3DBLEND_INVDESTCOLOR; ++s) {
        for (DWORD d = D3DBLEND_ZERO; d <= D3DBLEND_INVDESTCOLOR; ++d) {
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF2850A0, 1.0f, 0);
            device->SetRenderState(D3DRS_SRCBLEND, s);
            device->SetRenderState(D3DRS_DESTBLEND, d);
            Rect(0, 0, 32, 32, 0, 0x40C86432);
            double c[3];
            for (int i = 0; i < 3; ++i)
                c[i] = src[i] * factor(s, i) + dst[i] * factor(d, i);
            EXPECT_TRUE(ColorNear(Pixel(16, 16), ZnRgb(c[0], c[1], c[2]), 2)) << "blend " << s << ", " << d;
        }
    }
}
