// An overlay's face setters and texture mapping, its picking in 2D and 3D, and its 2D drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "app/editor_app.h"
#include "editor/editor_doc.h"
#include "platform/gdi/pen.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "scene/face_pick_desc.h"
#include "scene/overlay.h"
#include "scene/scene_test_support.h"
#include "sdk/override_data.h"
#include "sdk/pick3d_info.h"
#include "support/gdi_canvas.h"
#include "support/shapes.h"

namespace
{

// A default overlay built over the top of the cube (-64, -128, -64)-(64, 0, 64): one floor face.
struct FloorDecal {
    FloorDecal()
    {
        ZnBuildBox(*document.NewBrush(), {-64, -128, -64}, {64, 0, 64});
        overlay.Rebuild();
        EXPECT_EQ(overlay.GetFaceCount(), 1u);
    }
    ZNFACE &Face() { return *overlay.GetFace(0); }
    CZNEDITORDoc document;
    CZNOverlay overlay;
    SizedTexture texture{64, 64};
};

TEST(OverlayTexture, AFloorDecalInModeFiveSpansTheTextureOnce)
{
    FloorDecal decal;
    decal.Face().SetTexture(&decal.texture);
    ASSERT_EQ(decal.overlay.SetFaceMappingMode(0, 5), 1);
    // x and z across the 60 x 60 square; the flat y extent counts as 1.
    for (short k = 0; k < decal.Face().GetVertexCount(); ++k) {
        const ZNVERTEX v = decal.Face().GetVertex(k);
        EXPECT_NEAR(v.tu, (v.x + 30.0f) / 60.0f, 1e-5f);
        EXPECT_NEAR(v.tv, 1.0f - (v.z + 30.0f) / 60.0f, 1e-5f);
        EXPECT_TRUE(v.tu == 0.0f || std::fabs(v.tu - 1.0f) < 1e-5f);
    }
    decal.Face().SetTexture(nullptr);
}

TEST(OverlayTexture, TheAngularModesStayFinite)
{
    FloorDecal decal;
    decal.Face().SetTexture(&decal.texture);
    for (DWORD mode : {2u, 3u, 4u, 6u, 1u}) {
        ASSERT_EQ(decal.overlay.SetFaceMappingMode(0, mode), 1);
        for (short k = 0; k < decal.Face().GetVertexCount(); ++k) {
            EXPECT_TRUE(std::isfinite(decal.Face().GetVertex(k).tu)) << mode;
            EXPECT_TRUE(std::isfinite(decal.Face().GetVertex(k).tv)) << mode;
        }
    }
    decal.Face().SetTexture(nullptr);
}

struct SetterCase {
    const char *name;
    std::function<int(CZNOverlay &)> call;
    int result;
    std::function<void(const ZNFACE &)> check;
    bool locked = false;
    bool textured = false;
};

void PrintTo(const SetterCase &c, std::ostream *os)
{
    *os << c.name;
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

const SetterCase kSetterCases[] = {
    {"RotateIsHeldWithinRange", [](CZNOverlay &o) { return o.SetFaceTextureRotate(0, 7.0f, -1.0f, 3.0f, 6.28f); }, 1,
     [](const ZNFACE &f) {
         EXPECT_EQ(f.m_Rotation, D3DXVECTOR4(6.28f, 0.0f, 3.0f, 6.28f));
     }},
    {"RotateNaNStoresZero", [](CZNOverlay &o) { return o.SetFaceTextureRotate(0, kNaN, 1, 1, 1); }, 1,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_Rotation.x, 0.0f); }},
    {"ModeZeroRefused", [](CZNOverlay &o) { return o.SetFaceMappingMode(0, 0); }, 0,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_MappingMode, 1); }},
    {"ModeEightRefused", [](CZNOverlay &o) { return o.SetFaceMappingMode(0, 8); }, 0,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_MappingMode, 1); }},
    {"ModeThreeWithoutTextureStored", [](CZNOverlay &o) { return o.SetFaceMappingMode(0, 3); }, 1,
     [](const ZNFACE &f) {
         EXPECT_EQ(f.m_MappingMode, 3);
         EXPECT_EQ(f.GetVertex(0).tu, 0.0f); // nothing recomputed
     }},
    {"ModeUsesTheLowByte", [](CZNOverlay &o) { return o.SetFaceMappingMode(0, 0x104); }, 1,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_MappingMode, 4); }},
    {"AlphaOutOfRangeTurnsBlendingOff", [](CZNOverlay &o) { return o.SetFaceAlphaBlend(0, 2, 10); }, 0,
     [](const ZNFACE &f) {
         EXPECT_EQ(f.m_SrcBlend, -1);
         EXPECT_EQ(f.m_DestBlend, -1);
     }},
    {"AlphaInRangeStored", [](CZNOverlay &o) { return o.SetFaceAlphaBlend(0, 4, 5); }, 1,
     [](const ZNFACE &f) {
         EXPECT_EQ(f.m_SrcBlend, 4);
         EXPECT_EQ(f.m_DestBlend, 5);
     }},
    {"LockedFaceStoresUPosButKeepsCoordinates", [](CZNOverlay &o) { return o.SetFaceTextureUPos(0, 16.0f); }, 0,
     [](const ZNFACE &f) {
         EXPECT_EQ(f.m_UPos, 16.0f);
         EXPECT_EQ(f.GetVertex(0).tu, 0.0f);
     },
     true, true},
    {"UnlockedFaceUPosRemaps", [](CZNOverlay &o) { return o.SetFaceTextureUPos(0, 16.0f); }, 1,
     [](const ZNFACE &f) { EXPECT_NE(f.GetVertex(0).tu, 0.0f); }, false, true},
    {"LockedFaceRefusesATexture", [](CZNOverlay &o) { return o.SetFaceTexture(0, nullptr, 1); }, 0,
     [](const ZNFACE &f) { EXPECT_NE(f.GetTexture(), nullptr); }, true, true},
    {"IndexPastTheEnd", [](CZNOverlay &o) { return o.SetFaceStyle(1, 0x10); }, 0,
     [](const ZNFACE &f) { EXPECT_EQ(f.m_Style, 0u); }},
};

class OverlaySetterTest : public ::testing::TestWithParam<SetterCase>
{
};

TEST_P(OverlaySetterTest, StoresAndAnswers)
{
    const SetterCase &c = GetParam();
    FloorDecal decal;
    for (short k = 0; k < decal.Face().GetVertexCount(); ++k) {
        ZNVERTEX v = decal.Face().GetVertex(k);
        v.tu = v.tv = 0.0f;
        decal.Face().SetVertex(k, v);
    }
    if (c.textured)
        decal.Face().SetTexture(&decal.texture);
    if (c.locked)
        decal.Face().m_Style = ZNFACESTYLE_LOCKUV;
    EXPECT_EQ(c.call(decal.overlay), c.result);
    decal.Face().m_Style &= ~static_cast<DWORD>(ZNFACESTYLE_LOCKUV);
    c.check(decal.Face());
    decal.Face().SetTexture(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Setters, OverlaySetterTest, ::testing::ValuesIn(kSetterCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(OverlayTexture, FacePlanesComeFromTheBestShapedTriangle)
{
    CZNOverlay overlay;
    ZNFACE *sliver = new ZNFACE;
    // The first fan triangle is nearly flat along one line; the second is square.
    FillFace(*sliver, {{0, 0, 0}, {10, 0.001f, 0}, {10, 10, 0}, {0, 10, 0}}, {0, 1, 0});
    ZNFACE *line = new ZNFACE;
    FillFace(*line, {{0, 0, 0}, {1, 0, 0}}, {1, 2, 3});
    overlay.AppendFace(sliver);
    overlay.AppendFace(line);
    overlay.CalculateFacePlanes();
    EXPECT_NEAR(std::fabs(sliver->m_Normal.z), 1.0f, 1e-5f);
    EXPECT_EQ(line->m_Normal, D3DXVECTOR3(1, 2, 3));
}

// Picking: square faces of +-20 appended by hand, seen in a 100 x 100 "Front" view at zoom 1
// where the faces' corners are the pixels (30, 30) to (70, 70) and the box's (20, 20) to (80, 80).
class OverlayPickTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.SetViewType(ZN2DVIEW_FRONT);
        view.SetClientSize(100, 100);
        AddSquare(10);
        AddSquare(0);
        overlay.CalculateBoxPlanes();
    }
    void AddSquare(float z)
    {
        ZNFACE *face = new ZNFACE;
        FillFace(*face, {{-20, 20, z}, {20, 20, z}, {20, -20, z}, {-20, -20, z}}, {0, 0, -1});
        ASSERT_EQ(overlay.AppendFace(face), 1);
    }
    static PICK3DINFO FreshInfo() { return PICK3DINFO{nullptr, 0, {0, 0, 0}, 1e9f}; }
    CZN2DView view;
    CZNOverlay overlay;
};

TEST_F(OverlayPickTest, TheNearerOfTwoStackedFacesWins)
{
    const D3DXVECTOR3 origin(0, 0, -100), direction(0, 0, 1);
    PICK3DINFO info = FreshInfo();
    ASSERT_EQ(overlay.Pick3D(&origin, &direction, 1000.0f, &info, nullptr), 1);
    EXPECT_EQ(info.Object, &overlay);
    EXPECT_EQ(info.Face, 1u);
    EXPECT_NEAR(info.Distance, 100.0f, 1e-3f);
    // A record already nearer is kept.
    EXPECT_EQ(overlay.Pick3D(&origin, &direction, 1000.0f, &info, nullptr), 0);

    const D3DXVECTOR3 beside(50, 0, -100);
    PICK3DINFO miss = FreshInfo();
    EXPECT_EQ(overlay.Pick3D(&beside, &direction, 1000.0f, &miss, nullptr), 0);
    EXPECT_EQ(miss.Object, nullptr);
}

TEST_F(OverlayPickTest, HiddenAndSkippedOnlyWithARecord)
{
    const D3DXVECTOR3 origin(0, 0, -100), direction(0, 0, 1);
    OVERRIDEDATA over{};
    overlay.m_Flags |= ZNOVERLAY_HIDDEN;
    PICK3DINFO info = FreshInfo();
    EXPECT_EQ(overlay.Pick3D(&origin, &direction, 1000.0f, &info, &over), 0);
    EXPECT_EQ(overlay.Pick3D(&origin, &direction, 1000.0f, &info, nullptr), 1);
    overlay.m_Flags = 0;
    over.Skip = 2;
    info = FreshInfo();
    EXPECT_EQ(overlay.Pick3D(&origin, &direction, 1000.0f, &info, &over), 0);
}

struct Click2DCase {
    const char *name;
    CPoint click;
    int face;    // the one-face test's result for face 1
    int box;     // HitTestBox2D
    DWORD listed; // entries PickFaces2D adds
};

class OverlayClickTest : public OverlayPickTest, public ::testing::WithParamInterface<Click2DCase>
{
};

TEST_P(OverlayClickTest, Picks)
{
    const Click2DCase &c = GetParam();
    EXPECT_EQ(overlay.HitTestFaces2D(&view, 1, c.click.x, c.click.y), c.face);
    EXPECT_EQ(overlay.HitTestBox2D(&view, c.click.x, c.click.y), c.box);
    ZNFACEPICKDESC list;
    EXPECT_EQ(overlay.PickFaces2D(&view, c.click.x, c.click.y, &list), c.listed ? 1 : 0);
    EXPECT_EQ(list.GetCount(), c.listed);
    for (DWORD i = 0; i < list.GetCount(); ++i)
        EXPECT_EQ(list.GetObject(i), &overlay);
    EXPECT_EQ(overlay.PickFaces2D(&view, c.click.x, c.click.y, nullptr), c.listed ? 1 : 0);

    overlay.m_Flags |= ZNOVERLAY_HIDDEN;
    EXPECT_EQ(overlay.HitTestFaces2D(&view, 1, c.click.x, c.click.y), 0);
    EXPECT_EQ(overlay.HitTestBox2D(&view, c.click.x, c.click.y), 0);
    EXPECT_EQ(overlay.PickFaces2D(&view, c.click.x, c.click.y, nullptr), 0);
}

INSTANTIATE_TEST_SUITE_P(FrontView, OverlayClickTest,
                         ::testing::Values(Click2DCase{"FaceEdgeAtThreePixelsMisses", {50, 33}, 0, 0, 0},
                                           Click2DCase{"FaceEdgeAtTwoPixelsHits", {50, 32}, 1, 0, 2},
                                           Click2DCase{"BoxEdgeAtTwoPixelsHits", {50, 22}, 0, 1, 0},
                                           Click2DCase{"BoxEdgeAtThreePixelsMisses", {77, 50}, 0, 0, 0},
                                           Click2DCase{"NearABoxCornerHits", {79, 79}, 0, 1, 0},
                                           Click2DCase{"InsideMisses", {50, 50}, 0, 0, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(OverlayPickTest, NoViewOrBadIndexPicksNothing)
{
    EXPECT_EQ(overlay.HitTestFaces2D(&view, 2, 50, 32), 0);
    EXPECT_EQ(overlay.HitTestFaces2D(nullptr, 1, 50, 32), 0);
    EXPECT_EQ(overlay.HitTestBox2D(nullptr, 50, 22), 0);
    EXPECT_EQ(overlay.PickFaces2D(nullptr, 50, 32, nullptr), 0);
}

// 2D drawing on a black canvas with a yellow pen; the record's pen is red.
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

struct Draw2DCase {
    const char *name;
    std::function<void(CZNOverlay &, CZN2DView &, CDC &, OVERRIDEDATA &)> draw;
    COLORREF box;   // colour of the square (20, 20)-(80, 80); black: not drawn
    COLORREF faces; // colour of the square (30, 30)-(70, 70)
    int optionsOff = 0; // 1: the 2D box option off, 2: the 2D surface option off
};

void PrintTo(const Draw2DCase &c, std::ostream *os)
{
    *os << c.name;
}

const Draw2DCase kDraw2DCases[] = {
    {"Box", [](CZNOverlay &o, CZN2DView &v, CDC &dc, OVERRIDEDATA &) { o.DrawBox2D(&v, &dc); }, kYellow, kBlack},
    {"BoxOptionOff", [](CZNOverlay &o, CZN2DView &v, CDC &dc, OVERRIDEDATA &) { o.DrawBox2D(&v, &dc); }, kBlack,
     kBlack, 1},
    {"OneFace", [](CZNOverlay &o, CZN2DView &v, CDC &dc, OVERRIDEDATA &) { o.DrawFace2D(&v, &dc, 0); }, kBlack,
     kYellow},
    {"OneFaceOptionOff", [](CZNOverlay &o, CZN2DView &v, CDC &dc, OVERRIDEDATA &) { o.DrawFace2D(&v, &dc, 0); },
     kBlack, kBlack, 2},
    {"FacePastTheEnd", [](CZNOverlay &o, CZN2DView &v, CDC &dc, OVERRIDEDATA &) { o.DrawFace2D(&v, &dc, 2); }, kBlack,
     kBlack},
    {"Everything", [](CZNOverlay &o, CZN2DView &v, CDC &dc, OVERRIDEDATA &) { o.DrawFaces2D(&v, &dc, nullptr, nullptr); },
     kYellow, kYellow},
    {"EverythingWithoutTheBox",
     [](CZNOverlay &o, CZN2DView &v, CDC &dc, OVERRIDEDATA &) { o.DrawFaces2D(&v, &dc, nullptr, nullptr); }, kBlack,
     kYellow, 1},
    {"SelectedRecordDrawsInItsPen",
     [](CZNOverlay &o, CZN2DView &v, CDC &dc, OVERRIDEDATA &over) {
         over.Selected = 1;
         o.DrawFaces2D(&v, &dc, nullptr, &over);
     },
     kRed, kRed},
    {"SkippedByTheRecord",
     [](CZNOverlay &o, CZN2DView &v, CDC &dc, OVERRIDEDATA &over) {
         over.Skip = 1;
         o.DrawFaces2D(&v, &dc, nullptr, &over);
     },
     kBlack, kBlack},
    {"HiddenWithoutARecord",
     [](CZNOverlay &o, CZN2DView &v, CDC &dc, OVERRIDEDATA &) {
         o.m_Flags |= ZNOVERLAY_HIDDEN;
         o.DrawFaces2D(&v, &dc, nullptr, nullptr);
     },
     kBlack, kBlack},
};

class OverlayDraw2DTest : public ::testing::TestWithParam<Draw2DCase>
{
protected:
    void TearDown() override { GetEditorApp()->SetDefaultOptions(); }
};

TEST_P(OverlayDraw2DTest, DrawsTheSquaresExactly)
{
    const Draw2DCase &c = GetParam();
    GetEditorApp()->SetDefaultOptions();
    if (c.optionsOff == 1)
        GetEditorApp()->Options().m_DrawOverlayBoxes2D = 0;
    if (c.optionsOff == 2)
        GetEditorApp()->Options().m_DrawOverlays2D = 0;
    CZN2DView view;
    view.SetViewType(ZN2DVIEW_FRONT);
    view.SetClientSize(100, 100);
    CZNOverlay overlay;
    ZNFACE *face = new ZNFACE;
    FillFace(*face, {{-20, 20, 0}, {20, 20, 0}, {20, -20, 0}, {-20, -20, 0}});
    overlay.AppendFace(face);
    ZnCanvas canvas{100, 100};
    CPen yellow{PS_SOLID, 1, kYellow};
    CPen red{PS_SOLID, 1, kRed};
    CPen *previous = canvas.Dc().SelectObject(&yellow);
    OVERRIDEDATA over{};
    over.Pen = &red;
    c.draw(overlay, view, canvas.Dc(), over);
    auto onSquare = [](int x, int y, int lo, int hi) {
        return ((x == lo || x == hi) && y >= lo && y <= hi) || ((y == lo || y == hi) && x >= lo && x <= hi);
    };
    canvas.ExpectPixels([&](int x, int y) {
        if (onSquare(x, y, 20, 80))
            return c.box;
        if (onSquare(x, y, 30, 70))
            return c.faces;
        return kBlack;
    });
    EXPECT_EQ(canvas.Dc().GetCurrentPen(), &yellow);
    canvas.Dc().SelectObject(previous);
}

INSTANTIATE_TEST_SUITE_P(Square, OverlayDraw2DTest, ::testing::ValuesIn(kDraw2DCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
