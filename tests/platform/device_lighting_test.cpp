// Per-vertex lighting and fog, checked against colours worked out from the fixed-function
// formulas. The scene: a camera at the origin looking along +z with a 60 degree field of view,
// and an 8 x 8 quad at z = 10 facing it (normal (0, 0, -1)). Every corner of the quad lies at the
// same distance and angle from the lights below, so the whole quad takes one colour.
#include "device_fixture.h"

namespace
{
D3DLIGHT9 Light(D3DLIGHTTYPE type)
{
    D3DLIGHT9 l = {};
    l.Type = type;
    l.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    l.Range = 1000.0f;
    l.Attenuation0 = 1.0f;
    l.Direction = {0.0f, 0.0f, 1.0f};
    return l;
}

const D3DMATERIAL9 kWhite = {{1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0.0f};
} // namespace

class ZnDeviceLightingTest : public ZnDeviceTest
{
protected:
    void SetUp() override
    {
        ZnDeviceTest::SetUp();
        D3DMATRIX identity, projection;
        D3DXMatrixIdentity(&identity);
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 3.0f, 1.0f, 1.0f, 100.0f);
        device->SetTransform(D3DTS_WORLD, &identity);
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        device->SetRenderState(D3DRS_AMBIENT, 0);
        device->SetMaterial(&kWhite);
        device->SetFVF(0x212);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    }
    void SetLight(const D3DLIGHT9 &light)
    {
        ASSERT_EQ(device->SetLight(0, &light), D3D_OK);
        ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
    }
    // The lit quad's colour, in the middle of the back buffer.
    D3DCOLOR DrawQuad()
    {
        const ZnVertex212 v[4] = {{-4, 4, 10, 0, 0, -1, 0, 0, 0, 0},
                                  {4, 4, 10, 0, 0, -1, 1, 0, 0, 0},
                                  {4, -4, 10, 0, 0, -1, 1, 1, 0, 0},
                                  {-4, -4, 10, 0, 0, -1, 0, 1, 0, 0}};
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(ZnVertex212)), D3D_OK);
        D3DCOLOR centre = Pixel(16, 16);
        EXPECT_EQ(Pixel(10, 10), centre);
        EXPECT_EQ(Pixel(22, 21), centre);
        return centre;
    }
};

TEST_F(ZnDeviceLightingTest, DirectionalLightWithMaterialAndGlobalAmbient)
{
    // Light travelling along (0, -0.866025, 0.5): N.L = (0, 0, -1).(0, 0.866025, -0.5) = 0.5.
    D3DLIGHT9 l = Light(D3DLIGHT_DIRECTIONAL);
    l.Direction = {0.0f, -0.8660254f, 0.5f};
    l.Diffuse = {0.9f, 0.7f, 0.1f, 1.0f};
    SetLight(l);
    D3DMATERIAL9 m = kWhite;
    m.Diffuse = {1.0f, 0.8f, 0.6f, 1.0f};
    device->SetMaterial(&m);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF202020);
    // colour = material ambient x global ambient + material diffuse x light diffuse x N.L
    const double ga = 32.0 / 255.0;
    EXPECT_TRUE(ColorNear(DrawQuad(), ZnRgb(ga + 1.0 * 0.9 * 0.5, ga + 0.8 * 0.7 * 0.5, ga + 0.6 * 0.1 * 0.5), 2));

    // The emissive colour adds; with lighting off the vertex colour (white here) is used as is.
    m.Emissive = {0.25f, 0.0f, 0.0f, 0.0f};
    device->SetMaterial(&m);
    EXPECT_TRUE(ColorNear(DrawQuad(), ZnRgb(0.25 + ga + 0.45, ga + 0.8 * 0.7 * 0.5, ga + 0.6 * 0.1 * 0.5), 2));
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    EXPECT_EQ(DrawQuad(), 0xFFFFFFFFu);
}

TEST_F(ZnDeviceLightingTest, PointLightAttenuationAndRange)
{
    // The light on the axis at z = 10 - h; each corner (+-4, +-4, 10) lies at d = sqrt(32 + h^2),
    // with N.L = h / d: h = 7 gives d = 9, h = 2 gives d = 6.
    struct Case {
        float h, d;
    };
    for (Case c : {Case{7.0f, 9.0f}, Case{2.0f, 6.0f}}) {
        D3DLIGHT9 l = Light(D3DLIGHT_POINT);
        l.Position = {0.0f, 0.0f, 10.0f - c.h};
        l.Diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
        l.Ambient = {0.2f, 0.2f, 0.2f, 1.0f};
        l.Attenuation0 = 0.5f;
        l.Attenuation1 = 0.1f;
        l.Attenuation2 = 0.02f;
        SetLight(l);
        // atten = 1 / (a0 + a1 d + a2 d^2); colour = atten x (light ambient + light diffuse x N.L)
        double d = c.d, atten = 1.0 / (0.5 + 0.1 * d + 0.02 * d * d), nl = c.h / d;
        EXPECT_TRUE(ColorNear(DrawQuad(),
                              ZnRgb(atten * (0.2 + 1.0 * nl), atten * (0.2 + 0.5 * nl), atten * (0.2 + 0.25 * nl)), 2))
            << "distance " << d;
        // Beyond its range the light gives nothing, not even ambient.
        l.Range = c.d - 0.1f;
        SetLight(l);
        EXPECT_EQ(DrawQuad(), 0xFF000000u) << "distance " << d;
    }
}

TEST_F(ZnDeviceLightingTest, SpotLightInsideFalloffAndOutside)
{
    // The light at (0, 0, 3) pointing along +z: every corner lies at d = 9, N.L = 7/9, and the
    // angle to the spot axis has rho = cos = 7/9.
    const double rho = 7.0 / 9.0, nl = 7.0 / 9.0;
    struct Case {
        float thetaDegrees, phiDegrees, falloff;
        double spot;
    };
    const double cosHalfTheta = std::cos(D3DXToRadian(60.0f) / 2), cosHalfPhi = std::cos(D3DXToRadian(100.0f) / 2);
    const Case cases[] = {
        {90.0f, 100.0f, 1.0f, 1.0},                                              // inside theta
        {60.0f, 100.0f, 1.0f, (rho - cosHalfPhi) / (cosHalfTheta - cosHalfPhi)}, // between theta and phi
        {60.0f, 100.0f, 2.0f, std::pow((rho - cosHalfPhi) / (cosHalfTheta - cosHalfPhi), 2.0)},
        {40.0f, 60.0f, 1.0f, 0.0}, // outside phi
    };
    for (const Case &c : cases) {
        D3DLIGHT9 l = Light(D3DLIGHT_SPOT);
        l.Position = {0.0f, 0.0f, 3.0f};
        l.Theta = D3DXToRadian(c.thetaDegrees);
        l.Phi = D3DXToRadian(c.phiDegrees);
        l.Falloff = c.falloff;
        SetLight(l);
        EXPECT_TRUE(ColorNear(DrawQuad(), ZnRgb(c.spot * nl, c.spot * nl, c.spot * nl), 2))
            << "theta " << c.thetaDegrees << " phi " << c.phiDegrees << " falloff " << c.falloff;
    }
}

TEST_F(ZnDeviceLightingTest, SpecularOnAndOff)
{
    // Light along +z: N.L = 1. Viewer at the origin: at a corner V = (-+4, -+4, -10) / sqrt(132),
    // H = unit(L + V), N.H = (1 + 10 / sqrt(132)) / |L + V|.
    D3DLIGHT9 l = Light(D3DLIGHT_DIRECTIONAL);
    l.Diffuse = {0.25f, 0.25f, 0.25f, 1.0f};
    l.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    SetLight(l);
    D3DMATERIAL9 m = kWhite;
    m.Specular = {0.5f, 0.25f, 0.0f, 1.0f};
    m.Power = 10.0f;
    device->SetMaterial(&m);
    const double len = std::sqrt(132.0);
    const double hx = 4.0 / len, hz = 1.0 + 10.0 / len;
    const double nh = hz / std::sqrt(2 * hx * hx + hz * hz);
    const double s = std::pow(nh, 10.0);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    EXPECT_TRUE(ColorNear(DrawQuad(), ZnRgb(0.25 + 0.5 * s, 0.25 + 0.25 * s, 0.25), 2));
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    EXPECT_TRUE(ColorNear(DrawQuad(), ZnRgb(0.25, 0.25, 0.25), 2));
}

TEST_F(ZnDeviceLightingTest, NormalsAreNormalisedOnRequest)
{
    // A world scaled by 2 doubles nothing in the normals' direction, but their length is 1/2 after
    // the inverse transpose: N.L = 0.5 unless the normals are normalised.
    D3DMATRIX scale;
    D3DXMatrixScaling(&scale, 2.0f, 2.0f, 2.0f);
    D3DXMATRIX view;
    D3DXMatrixTranslation(&view, 0.0f, 0.0f, -10.0f);
    device->SetTransform(D3DTS_WORLD, &scale);
    device->SetTransform(D3DTS_VIEW, &view);
    SetLight(Light(D3DLIGHT_DIRECTIONAL));
    // The quad at z = 10 becomes z = 20 - 10 = 10 again, 16 x 16 wide.
    EXPECT_TRUE(ColorNear(DrawQuad(), ZnRgb(0.5, 0.5, 0.5), 2));
    device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    EXPECT_EQ(DrawQuad(), 0xFFFFFFFFu);
}

TEST_F(ZnDeviceLightingTest, SixteenLightsAddUp)
{
    D3DLIGHT9 l = Light(D3DLIGHT_DIRECTIONAL);
    l.Diffuse = {1.0f / 32.0f, 1.0f / 32.0f, 1.0f / 32.0f, 1.0f};
    for (DWORD i = 0; i < 16; ++i) {
        device->SetLight(i + 2, &l);
        device->LightEnable(i + 2, TRUE);
    }
    EXPECT_TRUE(ColorNear(DrawQuad(), ZnRgb(0.5, 0.5, 0.5), 2));
    device->LightEnable(5, FALSE);
    EXPECT_TRUE(ColorNear(DrawQuad(), ZnRgb(15.0 / 32.0, 15.0 / 32.0, 15.0 / 32.0), 2));
}

TEST_F(ZnDeviceLightingTest, LinearFogAtStartMiddleAndEnd)
{
    // Unlit white quad at eye depth 10 in fog colour (65, 33, 1): f = (end - 10) / (end - start),
    // colour = f x white + (1 - f) x fog colour.
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGCOLOR, 0x00412101);
    struct Case {
        float start, end;
        D3DCOLOR expected;
    };
    const Case cases[] = {
        {10.0f, 20.0f, 0xFFFFFFFF}, // at the start: no fog
        {0.0f, 20.0f, 0xFFA09080},  // half way: (255 + 65) / 2, (255 + 33) / 2, (255 + 1) / 2
        {0.0f, 10.0f, 0xFF412101},  // at the end: the fog colour
    };
    for (DWORD tableMode : {0u, 1u}) {
        device->SetRenderState(D3DRS_FOGVERTEXMODE, tableMode ? D3DFOG_NONE : D3DFOG_LINEAR);
        device->SetRenderState(D3DRS_FOGTABLEMODE, tableMode ? D3DFOG_LINEAR : D3DFOG_NONE);
        for (const Case &c : cases) {
            device->SetRenderState(D3DRS_FOGSTART, ZNFloatToDWORD(c.start));
            device->SetRenderState(D3DRS_FOGEND, ZNFloatToDWORD(c.end));
            EXPECT_TRUE(ColorNear(DrawQuad(), c.expected, 1))
                << (tableMode ? "table" : "vertex") << " fog " << c.start << ".." << c.end;
        }
    }
    // Exponential fog: f = exp(-density x d) and exp(-(density x d)^2).
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    device->SetRenderState(D3DRS_FOGDENSITY, ZNFloatToDWORD(0.05f));
    for (DWORD mode : {static_cast<DWORD>(D3DFOG_EXP), static_cast<DWORD>(D3DFOG_EXP2)}) {
        device->SetRenderState(D3DRS_FOGVERTEXMODE, mode);
        double f = mode == D3DFOG_EXP ? std::exp(-0.5) : std::exp(-0.25);
        EXPECT_TRUE(ColorNear(DrawQuad(),
                              ZnRgb(f + (1 - f) * 65 / 255.0, f + (1 - f) * 33 / 255.0, f + (1 - f) * 1 / 255.0), 2));
    }
    // Fog switched off leaves the colour alone.
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    EXPECT_EQ(DrawQuad(), 0xFFFFFFFFu);
}
