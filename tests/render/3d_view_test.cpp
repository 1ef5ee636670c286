#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "platform/os/input.h"
#include "platform/os/pointer_host.h"
#include "render/view3d_fixture.h"
#include "scene/object_type.h"
#include "scene/overlay.h"
#include "sdk/pick3d_info.h"
#include "support/shapes.h"

namespace
{

constexpr D3DCOLOR kOpaqueTexel = 0x3C78B4;
constexpr D3DCOLOR kSkyTexel = 0xC8A064;
constexpr D3DCOLOR kBackTexel = 0x50DC28;
constexpr D3DCOLOR kWhite = 0xFFFFFF;

// 0xRRGGBB with green and blue scaled by 0x55 / 255: a texel under the highlight colour.
D3DCOLOR Highlighted(D3DCOLOR texel)
{
    auto scale = [](D3DCOLOR c) { return static_cast<D3DCOLOR>(std::lround(c * 85.0 / 255.0)); };
    return (texel & 0xFF0000) | (scale((texel >> 8) & 0xFF) << 8) | scale(texel & 0xFF);
}

class View3DFrameTest : public ZnView3DTest
{
};

TEST_F(View3DFrameTest, ScreenshotShowsOpaqueSkyBlendedAndTwoSidedFaces)
{
    const int white = Material(kWhite);
    // Top row at depth 10: an opaque textured face, a sky-box face, the same highlighted, and a
    // two-sided face turned away from the camera.
    Rect(Brush(), -7, 1, -4, 4, 10, white, Texture(kOpaqueTexel));
    CZNTexture *sky = Texture(kSkyTexel);
    Rect(Brush(), -3, 1, -0.5f, 4, 10, white, sky, ZNFACESTYLE_SKYBOX);
    ZNBRUSH *selected = Brush();
    Rect(selected, 0.5f, 1, 3, 4, 10, white, sky, ZNFACESTYLE_SKYBOX);
    selected->SelectBrush(1);
    Rect(Brush(), 4, 1, 7, 4, 10, white, Texture(kBackTexel), ZNFACESTYLE_TWOSIDED, true);
    // Bottom row: two blended faces, the near one (blue, alpha 0.25) filed before the far one
    // (red, alpha 0.5), overlapping over x/z in -0.25..0.
    ZNFACE *nearFace = Rect(Brush(), -2.5f, -4, 2.5f, -1, 10, Material(0x0000FF, 0.25f), nullptr);
    ZNFACE *farFace = Rect(Brush(), -10, -8, 0, -2, 20, Material(0xFF0000, 0.5f), nullptr);
    for (ZNFACE *face : {nearFace, farFace}) {
        face->m_SrcBlend = 4; // source alpha
        face->m_DestBlend = 5; // inverse source alpha
    }

    view.Render(0, 0, 1);
    ASSERT_EQ(window->presents, 1);
    const std::vector<D3DCOLOR> frame = Presented();
    EXPECT_EQ(frame, BackBufferRgb());
    const std::string png = std::string(ZN_TEST_TMP_DIR) + "/3d_view_screenshot.png";
    EXPECT_TRUE(window->lastFrame.save(QString::fromStdString(png), "PNG"));

    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(-5.5f, 2.5f, 10)), kOpaqueTexel));
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(-1.75f, 2.5f, 10)), kSkyTexel));
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(1.75f, 2.5f, 10)), Highlighted(kSkyTexel)));
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(5.5f, 2.5f, 10)), kBackTexel));
    // Far alone: red * 0.5. Near over far: blue * 0.25 + (red * 0.5) * 0.75. Near alone: blue * 0.25.
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(-7.5f, -5, 20)), 0x800000));
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(-1.25f, -2.5f, 10)), 0x600040));
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(1.25f, -2.5f, 10)), 0x000040));
    EXPECT_EQ(At(frame, {2, kHeight - 3}), 0u); // background
}

TEST_F(View3DFrameTest, BatchedFrameEqualsFaceByFaceFrame)
{
    // Boxes of several textures and materials at different depths, one of them selected and one
    // two-sided face seen from behind, a concave face drawn by its triangles, and unlit faces.
    std::vector<int> materials = {Material(0xFFFFFF), Material(0x80C0FF), Material(0xFF8040)};
    std::vector<CZNTexture *> pictures = {Texture(0x3C78B4), Texture(0xC8A064), Texture(0x50DC28)};
    // Lit for real: the default lights and ambient on a diffuse material.
    const int lit = D3D().AddMaterial();
    D3DMATERIAL9 diffuse = {{0.8f, 0.6f, 0.4f, 1}, {0.5f, 0.5f, 0.5f, 1}, {}, {}, 0};
    D3D().GetMaterialRecord(static_cast<DWORD>(lit))->SetD3DMaterial(&diffuse);
    materials.push_back(lit);
    int k = 0;
    for (int row = -1; row <= 1; ++row)
        for (int column = -2; column <= 2; ++column, ++k) {
            ZNBRUSH *brush = Brush();
            const float x = column * 4.0f, y = row * 3.5f, z = 14.0f + static_cast<float>((k * 7) % 5) * 1.5f;
            ZnBuildBox(*brush, {x - 1.2f, y - 1.0f, z - 1.0f}, {x + 1.2f + 0.3f * static_cast<float>(row), y + 1.0f, z + 1.0f});
            brush->SetTexture(pictures[static_cast<size_t>(k) % pictures.size()], 0);
            brush->SetMaterial(materials[static_cast<size_t>(k) % materials.size()]);
            for (DWORD f = 0; f < brush->m_FaceCount; ++f)
                for (short v = 0; v < brush->GetFace(f)->GetVertexCount(); ++v) {
                    brush->GetFace(f)->m_Vertices[v].tu = 0.5f;
                    brush->GetFace(f)->m_Vertices[v].tv = 0.5f;
                }
            if (k == 3)
                brush->SelectBrush(1);
            if (k == 5)
                brush->GetFace(0)->m_Style = ZNFACESTYLE_FULLBRIGHT;
        }
    Rect(Brush(), -9, -6, -5, -4.5f, 11, materials[0], pictures[1], ZNFACESTYLE_TWOSIDED, true);
    Rect(Brush(), 5, -6, 9, -4.5f, 11, materials[1], pictures[2], ZNFACESTYLE_SKYBOX | ZNFACESTYLE_TWOSIDED);
    ZNFACE *concave =
        Face(Brush(), {{-1, 5, 12}, {-1, 7, 12}, {0, 7, 12}, {0, 6, 12}, {1, 6, 12}, {1, 5, 12}}, materials[2], pictures[0]);
    concave->BuildTriIndices();
    ASSERT_NE(concave->m_TriIndices, nullptr);

    view.SetBatching(false);
    view.Render(0, 0, 1);
    const std::vector<D3DCOLOR> faceByFace = Presented();
    view.SetBatching(true);
    view.Render(0, 0, 1);
    const std::vector<D3DCOLOR> batched = Presented();
    ASSERT_EQ(window->presents, 2);
    int drawn = 0;
    for (D3DCOLOR c : batched)
        drawn += c != 0;
    EXPECT_GT(drawn, kWidth * kHeight / 4);
    EXPECT_TRUE(faceByFace == batched);
    // The frame leaves the device as the fixed states put it.
    DWORD cull = 0, lighting = 0;
    D3D().GetDevice()->GetRenderState(D3DRS_CULLMODE, &cull);
    D3D().GetDevice()->GetRenderState(D3DRS_LIGHTING, &lighting);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(lighting, static_cast<DWORD>(TRUE));
    EXPECT_EQ(D3D().GetVertexFormat(), 0x212u);
}

TEST_F(View3DFrameTest, FrameRules)
{
    const int white = Material(kWhite);
    Rect(Brush(), -2, -2, 2, 2, 10, white, Texture(kOpaqueTexel));
    ZNFACE *blended = Rect(Brush(), -3, -3, 3, 3, 12, white, nullptr);
    blended->m_SrcBlend = 4;
    blended->m_DestBlend = 5;
    Rect(Brush(), -6, -4, -3, -3, 9, white, nullptr, ZNFACESTYLE_SKYBOX);
    const POINT middle = Pixel(0, 0, 10);

    // Before start-up has finished nothing is drawn or presented.
    GetEditorApp()->Options().m_Initialized = 0;
    D3D().Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f);
    view.Render(0, 0, 1);
    EXPECT_EQ(window->presents, 0);
    EXPECT_EQ(At(BackBufferRgb(), middle), 0x00FF00u);
    GetEditorApp()->Options().m_Initialized = 1;

    // A selected-only frame is drawn but never presented.
    view.Render(0, 1, 1);
    EXPECT_EQ(window->presents, 0);
    view.Redraw(0, 0, 0);
    EXPECT_EQ(window->presents, 0);
    view.Redraw(0, 0, 1);
    EXPECT_EQ(window->presents, 1);
    EXPECT_TRUE(ZnColourNear(At(Presented(), middle), kOpaqueTexel));

    // The batches are empty after a frame.
    EXPECT_EQ(document->GetBlendedBatch().GetCount(), 0u);
    EXPECT_EQ(document->GetUnlitBatch().GetCount(), 0u);
    EXPECT_TRUE(document->GetBlendedBatch().Matrices.empty());
    EXPECT_TRUE(document->GetUnlitBatch().MatrixIndices.empty());

    // Without a device nothing is drawn and nothing fails.
    D3D().Shutdown();
    view.Render(0, 0, 1);
    EXPECT_EQ(window->presents, 1);
    EXPECT_EQ(view.Pick3D(80, 60, 0).Distance, CZN3DView::kNoHit);
}

TEST_F(View3DFrameTest, ASkyBoxFaceOfTwoThousandVerticesDraws)
{
    std::vector<D3DXVECTOR3> ring;
    for (int i = 0; i < 2000; ++i) {
        // Clockwise as seen from the camera.
        const double a = -2.0 * 3.14159265358979 * i / 2000.0;
        ring.push_back({static_cast<float>(3 * std::cos(a)), static_cast<float>(3 * std::sin(a)), 10.0f});
    }
    Face(Brush(), ring, Material(kWhite), Texture(kSkyTexel), ZNFACESTYLE_SKYBOX);
    view.Render(0, 0, 1);
    const std::vector<D3DCOLOR> frame = Presented();
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(0, 0, 10)), kSkyTexel));
    EXPECT_TRUE(ZnColourNear(At(frame, Pixel(2.5f, 0, 10)), kSkyTexel));
    EXPECT_EQ(At(frame, Pixel(3.5f, 0, 10)), 0u);
}

TEST_F(View3DFrameTest, BlendedFacesWithoutAMaterialRecordDrawWithTheFirstBuiltInMaterial)
{
    // Built-in material 0 is white with diffuse alpha 0.5: lit by the default ambient alone here.
    ZNFACE *face = Rect(Brush(), -2, -2, 2, 2, 10, -1, nullptr);
    face->m_SrcBlend = 1;
    face->m_DestBlend = 0;
    std::vector<D3DCOLOR> seen;
    for (LONG material : {-1L, 9999L, 0L}) {
        face->m_Material = material;
        view.Render(0, 0, 1);
        seen.push_back(At(Presented(), Pixel(0, 0, 10)));
    }
    face->m_Material = -1;
    EXPECT_NE(seen[2], 0u);
    EXPECT_EQ(seen[0], seen[2]);
    EXPECT_EQ(seen[1], seen[2]);
}

TEST_F(View3DFrameTest, OverlayFacesAreDrawnWithTheirLayersDepthBias)
{
    // An opaque wall at depth 10, and blended faces just behind it: overlay faces of layers 0, 2
    // and 2 and a plain face. Only a bias of at least 0.00006 brings a face in front.
    const int white = Material(kWhite);
    Rect(Brush(), -8, -4, 8, 4, 10, white, nullptr);
    const int green = Material(0x00FF00);
    struct Placed {
        float x;
        BYTE type, layer;
    };
    const std::vector<Placed> faces = {{-6, ZNOBJECT_OVERLAYFACE, 0},
                                       {-2, ZNOBJECT_OVERLAYFACE, 2},
                                       {2, ZNOBJECT_OVERLAYFACE, 2},
                                       {6, ZNOBJECT_FACE, 0}};
    for (const Placed &p : faces) {
        ZNFACE *face = Rect(Brush(), p.x - 1, -1, p.x + 1, 1, 10.003f, green, nullptr);
        face->m_ObjectType = p.type;
        face->m_FaceFlag = p.layer;
        face->m_SrcBlend = 1;
        face->m_DestBlend = 0;
    }
    D3DXMATRIX before, after;
    D3D().GetProjection(&before);
    view.Render(0, 0, 1);
    D3D().GetProjection(&after);
    const std::vector<D3DCOLOR> frame = Presented();
    EXPECT_EQ(At(frame, Pixel(-6, 0, 10)), kWhite);
    EXPECT_EQ(At(frame, Pixel(-2, 0, 10)), 0x00FF00u);
    EXPECT_EQ(At(frame, Pixel(2, 0, 10)), 0x00FF00u);
    EXPECT_EQ(At(frame, Pixel(6, 0, 10)), kWhite);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(View3DFrameTest, ADecalOnABrushFaceShowsOverIt)
{
    // A white cube whose front lies at depth 10 and a decal over the middle of that front.
    ZNBRUSH *cube = Brush();
    ZnBuildBox(*cube, {-8, -4, 10}, {8, 4, 20});
    cube->SetMaterial(Material(kWhite));
    const D3DXVECTOR3 centre(0, 0, 10);
    CZNOverlay *decal = document->NewOverlay(centre);
    for (int k = 0; k < 8; ++k) // a box of +-2 across and +-1 deep
        decal->SetCorner(k, centre + D3DXVECTOR3(decal->GetCorner(k).x > 0 ? 2.0f : -2.0f,
                                                 decal->GetCorner(k).y > 0 ? 2.0f : -2.0f,
                                                 decal->GetCorner(k).z > 10 ? 1.0f : -1.0f));
    decal->GetBounds(1);
    decal->Rebuild();
    ASSERT_EQ(decal->GetFaceCount(), 1u);
    decal->SetMaterial(Material(0x00FF00));
    GetEditorApp()->Options().m_DrawOverlayWireframe3D = 0;
    GetEditorApp()->Options().m_DrawOverlayBoxes3D = 0;
    D3DXMATRIX before, after;
    D3D().GetProjection(&before);
    view.Render(0, 0, 1);
    D3D().GetProjection(&after);
    const std::vector<D3DCOLOR> frame = Presented();
    EXPECT_EQ(At(frame, Pixel(0, 0, 10)), 0x00FF00u);
    EXPECT_EQ(At(frame, Pixel(5, 0, 10)), kWhite);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);

    // Its box is drawn when the option is on; hidden, it shows nothing.
    GetEditorApp()->Options().m_DrawOverlayBoxes3D = 1;
    view.Render(0, 0, 1);
    EXPECT_EQ(At(Presented(), Pixel(2, 0, 9)) & 0xFF00FF, 0u) << std::hex << At(Presented(), Pixel(2, 0, 9));
    decal->m_Flags |= ZNOVERLAY_HIDDEN;
    GetEditorApp()->Options().m_DrawOverlayBoxes3D = 0;
    view.Render(0, 0, 1);
    EXPECT_EQ(At(Presented(), Pixel(0, 0, 10)), kWhite);
    GetEditorApp()->SetDefaultOptions();
    GetEditorApp()->Options().m_Initialized = 1;
}

// ---------------------------------------------------------------------------------------------
// Picking

class View3DPickTest : public ZnView3DTest
{
protected:
    ZNBRUSH *Cube(const D3DXVECTOR3 &centre, float half)
    {
        ZNBRUSH *brush = Brush();
        ZnBuildBox(*brush, centre - D3DXVECTOR3(half, half, half), centre + D3DXVECTOR3(half, half, half));
        return brush;
    }
};

TEST_F(View3DPickTest, TheCentreRayIsTheLookDirectionFromTheCamera)
{
    CZNCAMERA *camera = D3D().GetCamera();
    const D3DXVECTOR3 eye(3, -2, -5);
    camera->Move(&eye, 1, 0);
    camera->Turn(-7, 13, 0, 1, 0);
    const D3DXVECTOR3 look = camera->GetLook();
    ZNBRUSH *brush = Cube(eye + look * 40.0f, 4);
    const PICK3DINFO hit = view.Pick3D(kWidth / 2, kHeight / 2, 0);
    ASSERT_EQ(hit.Object, brush);
    // The face facing -z is met first, at the distance the look direction needs to get there.
    const float front = eye.z + look.z * 40.0f - 4.0f;
    const float distance = (front - eye.z) / look.z;
    EXPECT_NEAR(hit.Distance, distance, 1e-3f);
    const D3DXVECTOR3 expected = eye + look * distance;
    EXPECT_NEAR(hit.Point.x, expected.x, 1e-3f);
    EXPECT_NEAR(hit.Point.y, expected.y, 1e-3f);
    EXPECT_NEAR(hit.Point.z, front, 1e-3f);
    EXPECT_EQ(brush->GetFace(hit.Face)->m_Normal.z, -1.0f);
}

TEST_F(View3DPickTest, AnOffCentrePixelPicksWhatItShows)
{
    ZNBRUSH *left = Cube({-6, 0, 20}, 2);
    ZNBRUSH *right = Cube({6, 0, 20}, 2);
    EXPECT_EQ(view.Pick3D(Pixel(-6, 0, 18).x, Pixel(-6, 0, 18).y, 0).Object, left);
    EXPECT_EQ(view.Pick3D(Pixel(6, 0, 18).x, Pixel(6, 0, 18).y, 0).Object, right);
    EXPECT_EQ(view.Pick3D(kWidth / 2, kHeight / 2, 0).Distance, CZN3DView::kNoHit);
}

TEST_F(View3DPickTest, HiddenBrushesNeitherTakeNorBlockTheClick)
{
    ZNBRUSH *hidden = Cube({0, 0, 10}, 2);
    hidden->m_Flags |= ZNBRUSH_HIDDEN;
    EXPECT_EQ(view.Pick3D(kWidth / 2, kHeight / 2, 0).Distance, CZN3DView::kNoHit);
    ZNBRUSH *behind = Cube({0, 0, 20}, 2);
    const PICK3DINFO hit = view.Pick3D(kWidth / 2, kHeight / 2, 0);
    EXPECT_EQ(hit.Object, behind);
    EXPECT_NEAR(hit.Distance, 18.0f, 1e-3f);
    // Overlay picking finds no brushes.
    EXPECT_EQ(view.Pick3D(kWidth / 2, kHeight / 2, 1).Distance, CZN3DView::kNoHit);
}

TEST_F(View3DPickTest, OverlayModePicksVisibleOverlayFaces)
{
    Cube({0, 0, 20}, 8);
    CZNOverlay *decal = document->NewOverlay({0, 0, 12});
    decal->Rebuild();
    ASSERT_GT(decal->GetFaceCount(), 0u);
    const PICK3DINFO hit = view.Pick3D(kWidth / 2, kHeight / 2, 1);
    ASSERT_EQ(hit.Object, decal);
    EXPECT_NEAR(hit.Distance, 12.0f, 1e-3f);
    EXPECT_EQ(decal->GetFace(hit.Face)->m_Normal.z, -1.0f);
    // Brush mode never sees overlays; hidden overlays and the option off are not picked.
    EXPECT_NE(view.Pick3D(kWidth / 2, kHeight / 2, 0).Object, decal);
    decal->m_Flags |= ZNOVERLAY_HIDDEN;
    EXPECT_EQ(view.Pick3D(kWidth / 2, kHeight / 2, 1).Distance, CZN3DView::kNoHit);
    decal->m_Flags = 0;
    GetEditorApp()->Options().m_DrawOverlays3D = 0;
    EXPECT_EQ(view.Pick3D(kWidth / 2, kHeight / 2, 1).Distance, CZN3DView::kNoHit);
    GetEditorApp()->Options().m_DrawOverlays3D = 1;
}

TEST_F(View3DPickTest, AnEmptyClientAreaPicksNothing)
{
    Cube({0, 0, 10}, 2);
    for (const auto &[w, h] : {std::pair{0L, 120L}, std::pair{160L, 0L}}) {
        ZnRecordingWindow empty(w, h);
        view.SetWindow(&empty);
        const PICK3DINFO hit = view.Pick3D(0, 0, 0);
        EXPECT_EQ(hit.Object, nullptr);
        EXPECT_EQ(hit.Distance, CZN3DView::kNoHit);
    }
    view.SetWindow(nullptr);
    EXPECT_EQ(view.Pick3D(0, 0, 0).Distance, CZN3DView::kNoHit);
}

} // namespace
