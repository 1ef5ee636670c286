// State blocks capture and restore every state; Reset returns the device to its defaults.
#include "device_fixture.h"

#include <functional>
#include <utility>

#include "platform/d3d9/direct3d_state_block9.h"
#include "platform/d3d9/direct3d_texture9.h"

namespace
{
struct RenderStateCase {
    D3DRENDERSTATETYPE state;
    DWORD first, second;
};
const RenderStateCase kRenderStates[] = {
    {D3DRS_ZENABLE, D3DZB_TRUE, D3DZB_FALSE},
    {D3DRS_ZWRITEENABLE, TRUE, FALSE},
    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL, D3DCMP_GREATER},
    {D3DRS_FILLMODE, D3DFILL_WIREFRAME, D3DFILL_POINT},
    {D3DRS_CULLMODE, D3DCULL_NONE, D3DCULL_CW},
    {D3DRS_LIGHTING, FALSE, TRUE},
    {D3DRS_AMBIENT, 0xFF4C4C4C, 0xFF000000},
    {D3DRS_SPECULARENABLE, TRUE, FALSE},
    {D3DRS_NORMALIZENORMALS, TRUE, FALSE},
    {D3DRS_ALPHABLENDENABLE, TRUE, FALSE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA, D3DBLEND_DESTCOLOR},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO},
    {D3DRS_FOGENABLE, TRUE, FALSE},
    {D3DRS_FOGCOLOR, 0x00808080, 0x00FF0000},
    {D3DRS_FOGSTART, 0x44FA0000 /* 2000.0f */, 0x3F800000},
    {D3DRS_FOGEND, 0x461AB000 /* 9900.0f */, 0x40000000},
    {D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR, D3DFOG_NONE},
    {D3DRS_FOGTABLEMODE, D3DFOG_NONE, D3DFOG_EXP},
    {D3DRS_RANGEFOGENABLE, FALSE, TRUE},
    {D3DRS_SHADEMODE, D3DSHADE_GOURAUD, D3DSHADE_FLAT},
    {D3DRS_DITHERENABLE, TRUE, FALSE},
};

D3DMATRIX Translation(float x, float y, float z)
{
    D3DMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

D3DLIGHT9 PointLight(float x, float range)
{
    D3DLIGHT9 l = {};
    l.Type = D3DLIGHT_POINT;
    l.Diffuse = {1.0f, 0.5f, 0.25f, 1.0f};
    l.Position = {x, 2.0f, 3.0f};
    l.Range = range;
    l.Attenuation0 = 1.0f;
    return l;
}

struct Settings {
    DWORD index; // 0 or 1: which of the two values of every state
    D3DMATRIX world, view, projection;
    D3DVIEWPORT9 viewport;
    D3DMATERIAL9 material;
    D3DLIGHT9 light0, light1;
    BOOL light0On;
    DWORD fvf, alphaOp, magFilter;
    IDirect3DBaseTexture9 *texture;
};

void Apply(IDirect3DDevice9 *device, const Settings &s)
{
    for (const auto &c : kRenderStates)
        device->SetRenderState(c.state, s.index ? c.second : c.first);
    device->SetTransform(D3DTS_WORLD, &s.world);
    device->SetTransform(D3DTS_VIEW, &s.view);
    device->SetTransform(D3DTS_PROJECTION, &s.projection);
    device->SetViewport(&s.viewport);
    device->SetMaterial(&s.material);
    device->SetLight(0, &s.light0);
    device->SetLight(1, &s.light1);
    device->LightEnable(0, s.light0On);
    device->LightEnable(1, !s.light0On);
    device->SetFVF(s.fvf);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, s.alphaOp);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, s.magFilter);
    device->SetTexture(0, s.texture);
}

void ExpectSettings(IDirect3DDevice9 *device, const Settings &s)
{
    for (const auto &c : kRenderStates) {
        DWORD v = 0;
        device->GetRenderState(c.state, &v);
        EXPECT_EQ(v, s.index ? c.second : c.first) << "render state " << c.state;
    }
    D3DMATRIX m;
    device->GetTransform(D3DTS_WORLD, &m);
    EXPECT_EQ(m, s.world);
    device->GetTransform(D3DTS_VIEW, &m);
    EXPECT_EQ(m, s.view);
    device->GetTransform(D3DTS_PROJECTION, &m);
    EXPECT_EQ(m, s.projection);
    D3DVIEWPORT9 vp;
    device->GetViewport(&vp);
    EXPECT_EQ(std::memcmp(&vp, &s.viewport, sizeof vp), 0);
    D3DMATERIAL9 mat;
    device->GetMaterial(&mat);
    EXPECT_EQ(std::memcmp(&mat, &s.material, sizeof mat), 0);
    D3DLIGHT9 l;
    ASSERT_EQ(device->GetLight(0, &l), D3D_OK);
    EXPECT_EQ(std::memcmp(&l, &s.light0, sizeof l), 0);
    ASSERT_EQ(device->GetLight(1, &l), D3D_OK);
    EXPECT_EQ(std::memcmp(&l, &s.light1, sizeof l), 0);
    BOOL on = -1;
    device->GetLightEnable(0, &on);
    EXPECT_EQ(on, s.light0On);
    device->GetLightEnable(1, &on);
    EXPECT_EQ(on, !s.light0On);
    DWORD v = 0;
    device->GetFVF(&v);
    EXPECT_EQ(v, s.fvf);
    device->GetTextureStageState(0, D3DTSS_ALPHAOP, &v);
    EXPECT_EQ(v, s.alphaOp);
    device->GetSamplerState(0, D3DSAMP_MAGFILTER, &v);
    EXPECT_EQ(v, s.magFilter);
    IDirect3DBaseTexture9 *texture = nullptr;
    device->GetTexture(0, &texture);
    EXPECT_EQ(texture, s.texture);
    if (texture)
        texture->Release();
}
} // namespace

class ZnDeviceStateTest : public ZnDeviceTest
{
protected:
    void SetUp() override
    {
        ZnDeviceTest::SetUp();
        ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
        a.index = 0;
        D3DXMatrixIdentity(&a.world);
        a.view = Translation(1.0f, 2.0f, 3.0f);
        D3DXMatrixPerspectiveFovLH(&a.projection, D3DX_PI / 3.0f, 1.0f, 1.01f, 10000.0f);
        a.viewport = {0, 0, 32, 32, 0.0f, 1.0f};
        a.material = {{1, 1, 1, 0.5f}, {1, 1, 1, 0.5f}, {0, 0, 0, 0}, {1, 0, 0, 0.5f}, 0.0f};
        a.light0 = PointLight(1.0f, 100.0f);
        a.light1 = PointLight(2.0f, 50.0f);
        a.light0On = TRUE;
        a.fvf = 0x212;
        a.alphaOp = D3DTOP_MODULATE;
        a.magFilter = D3DTEXF_LINEAR;
        a.texture = texture;

        b.index = 1;
        b.world = Translation(5.0f, 0.0f, 0.0f);
        b.view = Translation(0.0f, 0.0f, 9.0f);
        D3DXMatrixIdentity(&b.projection);
        b.viewport = {4, 4, 10, 12, 0.25f, 0.75f};
        b.material = {{0.2f, 0.3f, 0.4f, 1}, {0, 0, 0, 1}, {1, 1, 1, 1}, {0, 0, 0, 0}, 8.0f};
        b.light0 = PointLight(-7.0f, 10.0f);
        b.light1 = PointLight(-8.0f, 20.0f);
        b.light0On = FALSE;
        b.fvf = 0x242;
        b.alphaOp = D3DTOP_SELECTARG1;
        b.magFilter = D3DTEXF_POINT;
        b.texture = nullptr;
    }
    void TearDown() override
    {
        texture->Release();
        ZnDeviceTest::TearDown();
    }
    IDirect3DTexture9 *texture = nullptr;
    Settings a = {}, b = {};
};

TEST_F(ZnDeviceStateTest, AppliedBlockRestoresEveryState)
{
    Apply(device, a);
    IDirect3DStateBlock9 *block = nullptr;
    ASSERT_EQ(device->CreateStateBlock(D3DSBT_ALL, &block), D3D_OK);
    Apply(device, b);
    ExpectSettings(device, b);
    ASSERT_EQ(block->Apply(), D3D_OK);
    ExpectSettings(device, a);
    block->Release();
}

TEST_F(ZnDeviceStateTest, CaptureTakesTheCurrentStates)
{
    Apply(device, b);
    IDirect3DStateBlock9 *block = nullptr;
    ASSERT_EQ(device->CreateStateBlock(D3DSBT_ALL, &block), D3D_OK);
    Apply(device, a);
    ASSERT_EQ(block->Capture(), D3D_OK);
    Apply(device, b);
    block->Apply();
    ExpectSettings(device, a);
    block->Release();
}

TEST_F(ZnDeviceStateTest, LightsCreatedAfterTheBlockAreLeftAlone)
{
    Apply(device, a);
    IDirect3DStateBlock9 *block = nullptr;
    ASSERT_EQ(device->CreateStateBlock(D3DSBT_ALL, &block), D3D_OK);
    D3DLIGHT9 later = PointLight(3.0f, 5.0f);
    device->SetLight(7, &later);
    device->LightEnable(7, TRUE);
    block->Capture();
    device->LightEnable(7, FALSE);
    block->Apply();
    BOOL on = TRUE;
    ASSERT_EQ(device->GetLightEnable(7, &on), D3D_OK);
    EXPECT_EQ(on, FALSE);
    block->Release();
}

TEST_F(ZnDeviceStateTest, ResetReturnsToDefaultsAndResizes)
{
    Apply(device, b);
    D3DPRESENT_PARAMETERS p = params;
    p.BackBufferWidth = 48;
    p.BackBufferHeight = 40;
    ASSERT_EQ(device->Reset(&p), D3D_OK);

    const std::pair<D3DRENDERSTATETYPE, DWORD> defaults[] = {
        {D3DRS_ZENABLE, D3DZB_TRUE},
        {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_FILLMODE, D3DFILL_SOLID},
        {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_AMBIENT, 0},
        {D3DRS_SPECULARENABLE, FALSE},
        {D3DRS_NORMALIZENORMALS, FALSE},
        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_FOGENABLE, FALSE},
        {D3DRS_FOGCOLOR, 0},
        {D3DRS_FOGSTART, ZNFloatToDWORD(0.0f)},
        {D3DRS_FOGEND, ZNFloatToDWORD(1.0f)},
        {D3DRS_FOGDENSITY, ZNFloatToDWORD(1.0f)},
        {D3DRS_FOGVERTEXMODE, D3DFOG_NONE},
        {D3DRS_FOGTABLEMODE, D3DFOG_NONE},
        {D3DRS_RANGEFOGENABLE, FALSE},
        {D3DRS_DITHERENABLE, FALSE},
        {D3DRS_COLORVERTEX, TRUE},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
    };
    for (const auto &d : defaults) {
        DWORD v = 0xDEADBEEF;
        device->GetRenderState(d.first, &v);
        EXPECT_EQ(v, d.second) << "render state " << d.first;
    }
    DWORD v = 0;
    device->GetTextureStageState(0, D3DTSS_COLOROP, &v);
    EXPECT_EQ(v, D3DTOP_MODULATE);
    device->GetTextureStageState(0, D3DTSS_ALPHAOP, &v);
    EXPECT_EQ(v, D3DTOP_SELECTARG1);
    device->GetTextureStageState(0, D3DTSS_ALPHAARG1, &v);
    EXPECT_EQ(v, D3DTA_TEXTURE);
    device->GetSamplerState(0, D3DSAMP_MINFILTER, &v);
    EXPECT_EQ(v, D3DTEXF_POINT);
    device->GetSamplerState(0, D3DSAMP_MIPFILTER, &v);
    EXPECT_EQ(v, D3DTEXF_NONE);
    device->GetFVF(&v);
    EXPECT_EQ(v, 0u);
    D3DMATRIX m, identity;
    D3DXMatrixIdentity(&identity);
    for (D3DTRANSFORMSTATETYPE t : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION}) {
        device->GetTransform(t, &m);
        EXPECT_EQ(m, identity);
    }
    D3DVIEWPORT9 vp;
    device->GetViewport(&vp);
    EXPECT_EQ(vp.Width, 48u);
    EXPECT_EQ(vp.Height, 40u);
    D3DLIGHT9 l;
    EXPECT_EQ(device->GetLight(0, &l), D3DERR_INVALIDCALL);
    IDirect3DBaseTexture9 *bound = texture;
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, nullptr);
    D3DMATERIAL9 mat, zero = {};
    device->GetMaterial(&mat);
    EXPECT_EQ(std::memcmp(&mat, &zero, sizeof mat), 0);

    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    std::vector<D3DCOLOR> pixels = ReadBackBuffer();
    EXPECT_EQ(pixels.size(), 48u * 40u);
}

TEST_F(ZnDeviceStateTest, InvalidLightsAreRefused)
{
    D3DLIGHT9 l = PointLight(0.0f, 10.0f);
    l.Type = static_cast<D3DLIGHTTYPE>(0);
    EXPECT_EQ(device->SetLight(2, &l), D3DERR_INVALIDCALL);
    l = PointLight(0.0f, -1.0f);
    EXPECT_EQ(device->SetLight(2, &l), D3DERR_INVALIDCALL);
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Direction = {0, 0, 0};
    EXPECT_EQ(device->SetLight(2, &l), D3DERR_INVALIDCALL);
    // Enabling a light that was never set makes the default white directional light.
    EXPECT_EQ(device->LightEnable(20, TRUE), D3D_OK);
    ASSERT_EQ(device->GetLight(20, &l), D3D_OK);
    EXPECT_EQ(l.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(l.Direction, D3DXVECTOR3(0, 0, 1));
}

TEST_F(ZnDeviceStateTest, TheStateRevisionMovesOnlyWhenAValueChanges)
{
    Apply(device, a);
    const DWORD start = device->GetStateRevision();
    Apply(device, a);
    EXPECT_EQ(device->GetStateRevision(), start);
    // Each setter on its own, set to another value and then to that value again.
    const std::pair<const char *, std::function<void()>> setters[] = {
        {"render state", [&] { device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW); }},
        {"world", [&] { device->SetTransform(D3DTS_WORLD, &b.world); }},
        {"view", [&] { device->SetTransform(D3DTS_VIEW, &b.view); }},
        {"projection", [&] { device->SetTransform(D3DTS_PROJECTION, &b.projection); }},
        {"material", [&] { device->SetMaterial(&b.material); }},
        {"texture", [&] { device->SetTexture(0, nullptr); }},
        {"vertex format", [&] { device->SetFVF(b.fvf); }},
        {"stage state", [&] { device->SetTextureStageState(0, D3DTSS_ALPHAOP, b.alphaOp); }},
        {"sampler state", [&] { device->SetSamplerState(0, D3DSAMP_MAGFILTER, b.magFilter); }},
        {"viewport", [&] { device->SetViewport(&b.viewport); }},
        {"light", [&] { device->SetLight(0, &b.light0); }},
        {"light switch", [&] { device->LightEnable(0, FALSE); }},
    };
    for (const auto &[name, set] : setters) {
        const DWORD before = device->GetStateRevision();
        set();
        const DWORD changed = device->GetStateRevision();
        EXPECT_NE(changed, before) << name;
        set();
        EXPECT_EQ(device->GetStateRevision(), changed) << name;
    }
}
