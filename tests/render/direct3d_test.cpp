#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/editor_app.h"
#include "platform/d3d9/direct3d_texture9.h"
#include "render/direct3d.h"
#include "scene/face.h"
#include "scene/material.h"
#include "wrapper_fixture.h"

TEST(MaterialList, AddLookUpAndTrim)
{
    CZN3D &d3d = *GetEditorApp()->Get3D();
    d3d.TrimMaterialList();
    EXPECT_EQ(d3d.GetMaterialRecord(0), nullptr);
    EXPECT_EQ(d3d.AddMaterial(), 0);
    EXPECT_EQ(d3d.AddMaterial(), 1);
    ASSERT_NE(d3d.GetMaterialRecord(1), nullptr);
    EXPECT_STREQ(d3d.GetMaterialRecord(1)->GetName(), "New Material");
    EXPECT_EQ(d3d.GetMaterialRecord(2), nullptr);
    EXPECT_EQ(d3d.GetMaterialList()->GetElementCount(), 2u);
    EXPECT_EQ(d3d.GetMaterialList()->GetElement(0), d3d.GetMaterialRecord(0));
    EXPECT_EQ(d3d.TrimMaterialList(), 0u);
    EXPECT_EQ(d3d.GetMaterialRecord(0), nullptr);
}

TEST(Direct3DWrapper, ConstructedWithoutADevice)
{
    CZN3D d3d;
    EXPECT_EQ(d3d.GetDevice(), nullptr);
    EXPECT_EQ(d3d.GetDirect3D(), nullptr);
    EXPECT_EQ(d3d.GetRenderMode(), 4u);
    EXPECT_EQ(d3d.GetPrimitiveType(), static_cast<DWORD>(D3DPT_TRIANGLEFAN));
    EXPECT_EQ(d3d.GetVertexFormat(), 0u);
    EXPECT_EQ(d3d.GetVertexStride(), 0u);
    EXPECT_EQ(d3d.IsDefaultLighting(), 1u);
    EXPECT_EQ(d3d.GetLightKindCapacity(), 3);
    EXPECT_EQ(d3d.GetBuiltInMaterialCount(), 0);
    EXPECT_EQ(d3d.GetCamera()->GetOwner(), &d3d);
    EXPECT_EQ(d3d.ResetDevice(nullptr), 0);
    EXPECT_EQ(d3d.SetVertexFormat(0x212, 40), 0);
    EXPECT_EQ(d3d.FindTextureFormat(1), D3DFMT_UNKNOWN);
}

namespace
{
D3DCAPS9 AdapterCaps(DWORD devCaps, DWORD textureCaps, DWORD filterCaps, DWORD rasterCaps, DWORD textures)
{
    D3DCAPS9 caps = {};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.DevCaps = devCaps;
    caps.TextureCaps = textureCaps;
    caps.TextureFilterCaps = filterCaps;
    caps.RasterCaps = rasterCaps;
    caps.MaxTextureWidth = caps.MaxTextureHeight = 4096;
    caps.MaxActiveLights = 8;
    caps.MaxSimultaneousTextures = textures;
    return caps;
}

constexpr DWORD kHW = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
constexpr DWORD kAllFilters = D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MAGFLINEAR | D3DPTFILTERCAPS_MIPFLINEAR;
} // namespace

TEST_F(ZnWrapperTest, StartUpPicksTheFirstAdapterWithHardwareVertexProcessing)
{
    struct Case {
        const char *what;
        D3DCAPS9 first, second;
        UINT ordinal;
        DWORD behavior;
    };
    const D3DCAPS9 software = AdapterCaps(0, D3DPTEXTURECAPS_MIPMAP, kAllFilters, 0, 1);
    const D3DCAPS9 hardware = AdapterCaps(kHW, D3DPTEXTURECAPS_MIPMAP, kAllFilters, 0, 1);
    const Case cases[] = {
        {"software then hardware", software, hardware, 1, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {"hardware then hardware", hardware, hardware, 0, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {"software only", software, software, 0, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    };
    for (const Case &c : cases) {
        const D3DCAPS9 adapters[2] = {c.first, c.second};
        IDirect3D9::SetAdapterCapsForTesting(adapters, 2);
        CZN3D &d3d = Start(64, 48);
        ASSERT_NE(d3d.GetDevice(), nullptr) << c.what;
        EXPECT_EQ(d3d.GetAdapterInfo().Ordinal, c.ordinal) << c.what;
        EXPECT_EQ(d3d.GetAdapterInfo().BehaviorFlags, c.behavior) << c.what;
        EXPECT_EQ(d3d.GetAdapterInfo().DepthFormat, D3DFMT_D24X8) << c.what;
        const D3DPRESENT_PARAMETERS &pp = d3d.GetPresentParameters();
        EXPECT_EQ(pp.BackBufferWidth, 64u);
        EXPECT_EQ(pp.BackBufferHeight, 48u);
        EXPECT_EQ(pp.SwapEffect, D3DSWAPEFFECT_COPY);
        EXPECT_EQ(pp.Flags, D3DPRESENTFLAG_LOCKABLE_BACKBUFFER);
        EXPECT_EQ(pp.EnableAutoDepthStencil, TRUE);
        EXPECT_EQ(pp.Windowed, TRUE);
    }
    EXPECT_TRUE(reporter.Entries().empty());
}

TEST_F(ZnWrapperTest, StartUpReadsTheChosenAdaptersCapabilities)
{
    struct Case {
        D3DCAPS9 caps;
        int32_t mipMaps, linear;
        DWORD multiTexture, wBuffer;
    };
    const Case cases[] = {
        {AdapterCaps(kHW, D3DPTEXTURECAPS_MIPMAP, kAllFilters, D3DPRASTERCAPS_WBUFFER, 2), 1, 1, 1, 1},
        {AdapterCaps(kHW, 0, kAllFilters, 0, 1), 0, 1, 0, 0},
        {AdapterCaps(kHW, D3DPTEXTURECAPS_MIPMAP, D3DPTFILTERCAPS_MAGFLINEAR | D3DPTFILTERCAPS_MIPFLINEAR, 0, 1), 1, 0,
         0, 0},
    };
    for (const Case &c : cases) {
        IDirect3D9::SetAdapterCapsForTesting(&c.caps, 1);
        CZN3D &d3d = Start();
        EXPECT_EQ(GetEditorApp()->Options().m_SupportsMipMaps, c.mipMaps);
        EXPECT_EQ(GetEditorApp()->Options().m_SupportsLinearFilter, c.linear);
        EXPECT_EQ(d3d.HasMultiTexture(), c.multiTexture);
        EXPECT_EQ(d3d.HasWBuffer(), c.wBuffer);
        DWORD filter = 0;
        Device()->GetSamplerState(0, D3DSAMP_MINFILTER, &filter);
        EXPECT_EQ(filter, c.linear ? static_cast<DWORD>(D3DTEXF_LINEAR) : static_cast<DWORD>(D3DTEXF_POINT));
    }
}

TEST_F(ZnWrapperTest, FailedDeviceCreationIsReported)
{
    s_context->DoneCurrent();
    ZnRecordingWindow w(32, 32);
    CZN3D d3d;
    EXPECT_EQ(d3d.Initialize(&w), 0);
    ASSERT_TRUE(s_context->MakeCurrent());
    EXPECT_EQ(d3d.GetDevice(), nullptr);
    EXPECT_EQ(d3d.GetDirect3D(), nullptr);
    ASSERT_EQ(reporter.Entries().size(), 1u);
    EXPECT_EQ(reporter.Entries()[0].text,
              "ABORT LEVEL ERROR:\n\nTovra Failed to Create a 3D device with the required presentation parameters");
    EXPECT_EQ(reporter.Entries()[0].type & MB_ICONMASK, static_cast<unsigned>(MB_ICONSTOP));
}

TEST_F(ZnWrapperTest, FixedStatesAfterStartUpAndAfterAReset)
{
    CZN3D &d3d = Start(80, 60);
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "after start-up" : "after a reset");
        EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0xFF4C4C4Cu);
        EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE));
        EXPECT_EQ(RenderState(D3DRS_FOGVERTEXMODE), static_cast<DWORD>(D3DFOG_LINEAR));
        EXPECT_EQ(ZNDWORDToFloat(RenderState(D3DRS_FOGSTART)), 2000.0f);
        EXPECT_EQ(ZNDWORDToFloat(RenderState(D3DRS_FOGEND)), 9900.0f);
        EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0u);
        EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(TRUE));
        EXPECT_EQ(RenderState(D3DRS_ZWRITEENABLE), static_cast<DWORD>(TRUE));
        EXPECT_EQ(RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
        EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
        EXPECT_EQ(RenderState(D3DRS_SHADEMODE), static_cast<DWORD>(D3DSHADE_GOURAUD));
        EXPECT_EQ(RenderState(D3DRS_LIGHTING), static_cast<DWORD>(TRUE));
        EXPECT_EQ(RenderState(D3DRS_SPECULARENABLE), static_cast<DWORD>(TRUE));
        EXPECT_EQ(RenderState(D3DRS_NORMALIZENORMALS), static_cast<DWORD>(TRUE));
        EXPECT_EQ(RenderState(D3DRS_FILLMODE), static_cast<DWORD>(D3DFILL_SOLID));
        DWORD value = 0;
        Device()->GetTextureStageState(0, D3DTSS_ALPHAOP, &value);
        EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE));
        Device()->GetTextureStageState(0, D3DTSS_ALPHAARG1, &value);
        EXPECT_EQ(value, D3DTA_CURRENT);
        Device()->GetTextureStageState(0, D3DTSS_ALPHAARG2, &value);
        EXPECT_EQ(value, D3DTA_TEXTURE);
        Device()->GetSamplerState(0, D3DSAMP_MIPFILTER, &value);
        EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_LINEAR));
        Device()->GetFVF(&value);
        EXPECT_EQ(value, 0x212u);
        EXPECT_EQ(d3d.GetVertexFormat(), 0x212u);
        EXPECT_EQ(d3d.GetVertexStride(), 40u);
        EXPECT_EQ(d3d.GetPrimitiveType(), static_cast<DWORD>(D3DPT_TRIANGLEFAN));
        D3DXMATRIX world, identity;
        Device()->GetTransform(D3DTS_WORLD, &world);
        D3DXMatrixIdentity(&identity);
        EXPECT_EQ(world, identity);
        ASSERT_EQ(d3d.ResetDevice(nullptr), 1);
    }
}

TEST_F(ZnWrapperTest, ProjectionFollowsTheWindowAndSmallWindowsGetA200Square)
{
    CZN3D &d3d = Start(150, 120);
    for (int pass = 0; pass < 2; ++pass) {
        D3DXMATRIX projection, expected;
        d3d.GetProjection(&projection);
        D3DXMatrixPerspectiveFovLH(&expected, 3.14159265f / 3.0f, 150.0f / 120.0f, 1.01f, 10000.0f);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(projection[i], expected[i], 1e-5f) << i;
        D3DVIEWPORT9 viewport = {};
        Device()->GetViewport(&viewport);
        EXPECT_EQ(viewport.Width, 150u);
        EXPECT_EQ(viewport.Height, 120u);
        EXPECT_EQ(viewport.MinZ, 0.0f);
        EXPECT_EQ(viewport.MaxZ, 1.0f);
        ASSERT_EQ(d3d.ResetDevice(nullptr), 1);
    }
    UINT width = 0, height = 0;
    BackBuffer(&width, &height);
    EXPECT_EQ(width, 200u);
    EXPECT_EQ(height, 200u);

    RECT large = {0, 0, 320, 240};
    ASSERT_EQ(d3d.ResetDevice(&large), 1);
    BackBuffer(&width, &height);
    EXPECT_EQ(width, 320u);
    EXPECT_EQ(height, 240u);

    RECT area = {0, 0, 100, 50};
    d3d.SetupViewport(&area);
    D3DXMATRIX projection, expected;
    d3d.GetProjection(&projection);
    D3DXMatrixPerspectiveFovLH(&expected, 3.14159265f / 3.0f, 2.0f, 1.01f, 10000.0f);
    EXPECT_NEAR(projection._11, expected._11, 1e-5f);
}

TEST_F(ZnWrapperTest, AFailedResetReturnsZero)
{
    CZN3D &d3d = Start();
    d3d.BeginScene(); // the device refuses a reset inside a scene
    EXPECT_EQ(d3d.ResetDevice(nullptr), 0);
    d3d.EndScene();
    EXPECT_EQ(d3d.ResetDevice(nullptr), 1);
}

TEST_F(ZnWrapperTest, PrimitiveCountsPerType)
{
    struct Case {
        D3DPRIMITIVETYPE type;
        DWORD vertices, primitives;
    };
    const Case cases[] = {
        {D3DPT_TRIANGLELIST, 7, 2},
        {D3DPT_TRIANGLELIST, 2, 0},
        {D3DPT_TRIANGLESTRIP, 5, 3},
        {D3DPT_TRIANGLESTRIP, 1, 0},
        {D3DPT_TRIANGLEFAN, 6, 4},
        {D3DPT_TRIANGLEFAN, 2, 0},
        {D3DPT_LINELIST, 5, 2},
        {D3DPT_LINESTRIP, 4, 3},
        {D3DPT_LINESTRIP, 0, 0},
        {D3DPT_POINTLIST, 3, 3},
        {static_cast<D3DPRIMITIVETYPE>(9), 6, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CZN3D::GetPrimitiveCount(c.type, c.vertices), c.primitives) << c.type << " " << c.vertices;
}

namespace
{
// Three triangles side by side at depth 10, wound clockwise on the screen.
void ThreeTriangles(ZNVERTEX out[9])
{
    const float left[3] = {-5.0f, -1.0f, 3.0f};
    for (int t = 0; t < 3; ++t) {
        const float x0 = left[t], x1 = left[t] + 2.0f;
        const float corners[3][2] = {{x0, 2.0f}, {x1, 2.0f}, {x0, -2.0f}};
        for (int k = 0; k < 3; ++k)
            out[t * 3 + k] = {corners[k][0], corners[k][1], 10.0f, 0, 0, -1, 0, 0, 0, 0};
    }
}
} // namespace

TEST_F(ZnWrapperTest, DrawsOnlyWholePrimitives)
{
    CZN3D &d3d = Start(64, 64);
    ZNVERTEX vertices[9];
    ThreeTriangles(vertices);
    auto pixelAt = [&](float x, float y) {
        D3DXMATRIX view, projection, m;
        d3d.GetView(&view);
        d3d.GetProjection(&projection);
        D3DXMatrixMultiply(&m, &view, &projection);
        D3DXVECTOR3 p(x, y, 10.0f), s;
        D3DXVec3TransformCoord(&s, &p, &m);
        const int px = static_cast<int>((s.x + 1.0f) * 32.0f), py = static_cast<int>((1.0f - s.y) * 32.0f);
        return BackBuffer()[static_cast<size_t>(py) * 64 + static_cast<size_t>(px)] & 0xFFFFFF;
    };
    struct Case {
        D3DPRIMITIVETYPE type;
        DWORD count;
        bool drawn[3];
    };
    const Case cases[] = {
        {D3DPT_TRIANGLELIST, 7, {true, true, false}},
        {D3DPT_TRIANGLELIST, 9, {true, true, true}},
        {D3DPT_TRIANGLESTRIP, 2, {false, false, false}},
    };
    for (const Case &c : cases) {
        d3d.SetPrimitiveType(c.type);
        d3d.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f);
        d3d.BeginScene();
        d3d.SetDefaultMaterial(1); // pure emissive red
        d3d.DrawPrimitive(vertices, c.count);
        d3d.EndScene();
        const float probeX[3] = {-4.5f, -0.5f, 3.5f};
        for (int t = 0; t < 3; ++t)
            EXPECT_EQ(pixelAt(probeX[t], 1.5f), c.drawn[t] ? 0xFF0000u : 0u)
                << "type " << c.type << ", " << c.count << " vertices, triangle " << t;
    }
}

TEST_F(ZnWrapperTest, BatchedTrianglesCoverWhatTheyCoverDrawnOneByOne)
{
    // Triangles turned every way, some nearly edge-on and two reaching behind the camera, under
    // plain, mirrored and turned world transforms, each cull mode, and a perspective and a
    // parallel projection: the batch leaves out only what the device would cull.
    CZN3D &d3d = Start(96, 96);
    std::vector<ZNVERTEX> triangles;
    uint32_t seed = 12345;
    auto random = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 16777216.0f;
    };
    for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 7; ++column) {
            D3DXMATRIX turn;
            const D3DXVECTOR3 axis(random() - 0.5f, random() - 0.5f, random() - 0.5f);
            // Every fourth one close to a quarter turn about an axis across the view.
            const float angle = (row * 7 + column) % 4 == 0 ? D3DX_PI / 2 + (random() - 0.5f) * 0.04f
                                                             : random() * 2.0f * D3DX_PI;
            const D3DXVECTOR3 across(axis.x, axis.y, 0.0f);
            D3DXMatrixRotationAxis(&turn, (row * 7 + column) % 4 == 0 ? &across : &axis, angle);
            const D3DXVECTOR3 centre(static_cast<float>(column) * 1.8f - 5.4f, static_cast<float>(row) * 1.8f - 5.4f,
                                     20.0f);
            const D3DXVECTOR3 corners[3] = {{-0.8f, 0.7f, 0}, {0.8f, 0.6f, 0}, {0.1f, -0.8f, 0}};
            for (const D3DXVECTOR3 &corner : corners) {
                D3DXVECTOR3 p;
                D3DXVec3TransformCoord(&p, &corner, &turn);
                triangles.push_back({centre.x + p.x, centre.y + p.y, centre.z + p.z, 0, 0, -1, 0, 0, 0, 0});
            }
        }
    for (float side : {-1.0f, 1.0f}) // from behind the camera to far in front, one of each winding
        for (const D3DXVECTOR3 &p : {D3DXVECTOR3(side * 2.0f, -3.0f, -8.0f), D3DXVECTOR3(side * 6.0f, -1.0f, 40.0f),
                                     D3DXVECTOR3(side * 7.0f, -6.0f, 40.0f)})
            triangles.push_back({p.x, p.y, p.z, 0, 0, -1, 0, 0, 0, 0});

    D3DXMATRIX perspective, parallel, identity, mirror, turned, translate;
    d3d.GetProjection(&perspective);
    D3DXMatrixOrthoLH(&parallel, 16.0f, 16.0f, 1.0f, 100.0f);
    D3DXMatrixIdentity(&identity);
    D3DXMatrixScaling(&mirror, -1.0f, 1.0f, 1.0f);
    const D3DXVECTOR3 zAxis(0.2f, 0.1f, 1.0f);
    D3DXMatrixRotationAxis(&turned, &zAxis, 0.4f);
    D3DXMatrixTranslation(&translate, 0.5f, -0.3f, 2.0f);
    D3DXMatrixMultiply(&turned, &turned, &translate);
    auto frame = [&](bool batched, DWORD cull) {
        d3d.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f);
        d3d.BeginScene();
        d3d.SetDefaultMaterial(1); // pure emissive red
        d3d.SetCullMode(cull);
        if (batched)
            d3d.BeginBatch();
        for (size_t t = 0; t < triangles.size(); t += 3)
            d3d.DrawPrimitive(&triangles[t], 3);
        d3d.FlushBatch();
        d3d.SetCullMode(D3DCULL_CCW);
        d3d.EndScene();
        return BackBuffer();
    };
    for (D3DXMATRIX *projection : {&perspective, &parallel})
        for (const D3DXMATRIX *world : {&identity, &mirror, &turned})
            for (DWORD cull : {DWORD(D3DCULL_CCW), DWORD(D3DCULL_CW), DWORD(D3DCULL_NONE)}) {
                d3d.SetProjection(projection);
                Device()->SetTransform(D3DTS_WORLD, world);
                const std::vector<D3DCOLOR> oneByOne = frame(false, cull);
                const std::vector<D3DCOLOR> batched = frame(true, cull);
                const auto drawn = std::count_if(batched.begin(), batched.end(), [](D3DCOLOR c) { return (c & 0xFFFFFF) != 0; });
                EXPECT_GT(drawn, 200);
                EXPECT_TRUE(batched == oneByOne) << "projection " << (projection == &parallel) << ", world "
                                                 << (world == &identity ? 0 : world == &mirror ? 1 : 2) << ", cull " << cull;
            }
    d3d.SetProjection(&perspective);
    Device()->SetTransform(D3DTS_WORLD, &identity);
}

TEST_F(ZnWrapperTest, TexturesAreBoundOnlyInTexturedMode)
{
    CZN3D &d3d = Start();
    IDirect3DTexture9 *texture = nullptr;
    ASSERT_EQ(Device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    const struct {
        DWORD mode;
        DWORD fill;
        bool bound;
    } cases[] = {
        {1, D3DFILL_POINT, false}, {2, D3DFILL_WIREFRAME, false}, {3, D3DFILL_SOLID, false}, {4, D3DFILL_SOLID, true}};
    for (const auto &c : cases) {
        Device()->SetTexture(0, texture);
        d3d.SetRenderMode(c.mode);
        EXPECT_EQ(d3d.GetRenderMode(), c.mode);
        EXPECT_EQ(RenderState(D3DRS_FILLMODE), c.fill);
        d3d.SetTexture(0, texture);
        IDirect3DBaseTexture9 *bound = nullptr;
        Device()->GetTexture(0, &bound);
        EXPECT_EQ(bound, c.bound ? texture : nullptr) << "mode " << c.mode;
        if (bound)
            bound->Release();
    }
    d3d.SetTexture(0, nullptr);
    texture->Release();
}

TEST_F(ZnWrapperTest, BlendIndicesMapToBlendFactors)
{
    CZN3D &d3d = Start();
    for (signed char i = 0; i <= 9; ++i) {
        d3d.SetBlendMode(i, static_cast<signed char>(9 - i));
        EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(i + 1));
        EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(10 - i));
    }
    d3d.SetBlendMode(4, 5);
    for (signed char outside : {static_cast<signed char>(-1), static_cast<signed char>(10)}) {
        d3d.SetBlendMode(outside, outside);
        EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCALPHA));
        EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
    }
}

TEST_F(ZnWrapperTest, PresentShowsTheViewportInTheWindow)
{
    CZN3D &d3d = Start(40, 30);
    d3d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF2040C0, 1.0f);
    d3d.Present(nullptr);
    ASSERT_FALSE(window->lastFrame.isNull());
    EXPECT_EQ(window->lastFrame.width(), 40);
    EXPECT_EQ(window->lastFrame.height(), 30);
    EXPECT_EQ(window->lastFrame.pixel(20, 15) & 0xFFFFFF, 0x2040C0u);
}

TEST_F(ZnWrapperTest, PushAndPopStateRetargetForAMoment)
{
    CZN3D &d3d = Start(120, 90);
    D3DXVECTOR3 offset(1, 2, 3);
    d3d.GetCamera()->Move(&offset, 1, 1); // a drag in progress holds a snapshot
    d3d.PushState();

    ZnRecordingWindow thumbnail(64, 64);
    d3d.SetTargetWindow(&thumbnail);
    d3d.SetDefaultLighting(0);
    d3d.GetCamera()->ClearCache();
    D3DXVECTOR3 eye(0, 50, -50), target(0, 0, 0), up(0, 1, 0);
    d3d.GetCamera()->LookAt(&eye, &target, &up, 1);
    D3DVIEWPORT9 viewport = {};
    Device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 64u);

    d3d.PopState();
    EXPECT_EQ(d3d.GetTargetWindow(), window.get());
    Device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 120u);
    EXPECT_EQ(viewport.Height, 90u);
    EXPECT_EQ(d3d.GetCamera()->GetPosition(), D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(d3d.GetCamera()->GetLook(), D3DXVECTOR3(0, 0, 1));
    EXPECT_FALSE(d3d.GetCamera()->IsCached());
    D3DXMATRIX view;
    d3d.GetView(&view);
    EXPECT_EQ(view, d3d.GetCamera()->GetViewMatrix());
    EXPECT_EQ(d3d.IsDefaultLighting(), 1u);
    BOOL enabled = FALSE;
    Device()->GetLightEnable(0, &enabled);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0xFF4C4C4Cu);
}

TEST_F(ZnWrapperTest, TextureFormatsOfTheAdapter)
{
    CZN3D &d3d = Start();
    EXPECT_EQ(d3d.FindTextureFormat(1), D3DFMT_A8R8G8B8);
    EXPECT_EQ(d3d.FindTextureFormat(0), D3DFMT_X8R8G8B8);
}

TEST_F(ZnWrapperTest, AViewportLargerThanTheBackBufferIsCutToItAndPresentedWhole)
{
    CZN3D &d3d = Start(64, 64); // a 64 x 64 back buffer
    ZnRecordingWindow big(500, 300);
    const RECT small = {0, 0, 30, 20};
    d3d.SetupViewport(&small);
    d3d.SetTargetWindow(&big);
    D3DVIEWPORT9 viewport{};
    Device()->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 64u);
    EXPECT_EQ(viewport.Height, 64u);
    // The projection keeps the window's proportions.
    D3DXMATRIX projection, expected;
    d3d.GetProjection(&projection);
    D3DXMatrixPerspectiveFovLH(&expected, 3.14159265f / 3.0f, 500.0f / 300.0f, 1.01f, 10000.0f);
    EXPECT_NEAR(projection._11, expected._11, 1e-5f);
    d3d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f);
    d3d.Present(nullptr);
    ASSERT_EQ(big.presents, 1);
    EXPECT_EQ(big.lastFrame.size(), QSize(64, 64));
    EXPECT_EQ(big.lastFrame.pixel(63, 63) & 0xFFFFFF, 0x336699u);
    d3d.SetTargetWindow(window.get());
}
