// An entity in a 2D view, pixel for pixel on a canvas (the cross in the pen of its state, the
// facing line, the name, the override words and the plug-in's own drawing), and its picking:
// the 2D click test and the 3D pick through the plug-in.
#include <gtest/gtest.h>

#include <functional>

#include "platform/gdi/pen.h"
#include "render/view/2d_view.h"
#include "scene/entity_fixture.h"
#include "sdk/override_data.h"
#include "sdk/pick3d_info.h"
#include "sdk/render_info_2d.h"
#include "support/gdi_canvas.h"
#include "support/gui_app.h"

namespace
{

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kFacing = RGB(255, 35, 200);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr int kSize = 80;

class EntityDrawTest : public ZnEntityPluginTest
{
protected:
    void SetUp() override
    {
        ZnEntityPluginTest::SetUp();
        view.SetViewType(ZN2DVIEW_FRONT);
        view.SetClientSize(kSize, kSize);
        view.SetCentre(0, 0);
        view.SetZoom(1.0f);
    }
    // An entity facing down the screen (-y in the front view) at the view's centre.
    CZNEntity *Facing(const std::string &plugin)
    {
        CZNEntity *entity = Make(plugin, D3DXVECTOR3(0, 0, 0));
        D3DXMATRIX head = Head(entity);
        head._31 = 0;
        head._32 = -5; // not of unit length: the line is 30 pixels all the same
        head._33 = 0;
        SetHead(entity, head);
        return entity;
    }
    // The cross at the centre (40, 40) in crossColour and the facing line from it 30 pixels down.
    static COLORREF Symbol(int x, int y, COLORREF crossColour)
    {
        if (x == 40 && y >= 40 && y < 70)
            return kFacing;
        if ((x == 40 && y >= 35 && y < 46) || (y == 40 && x >= 35 && x < 46))
            return crossColour;
        return kBlack;
    }

    CZN2DView view;
    ZnCanvas canvas{kSize, kSize};
};

struct PenCase {
    const char *name;
    bool selected;
    bool light; // owns a light
    COLORREF cross;
};

class EntityPenTest : public EntityDrawTest, public ::testing::WithParamInterface<PenCase>
{
};

TEST_P(EntityPenTest, DrawsTheCrossInThePenOfItsStateAndTheFacingLine)
{
    CZNEntity *entity = Facing("reference"); // draws nothing of its own without a name
    entity->SetSelected(GetParam().selected);
    if (GetParam().light)
        entity->SetLightIndex(0);
    entity->Draw2D(&view, &canvas.Dc(), nullptr);
    canvas.ExpectPixels([&](int x, int y) { return Symbol(x, y, GetParam().cross); });
}

INSTANTIATE_TEST_SUITE_P(States, EntityPenTest,
                         ::testing::Values(PenCase{"Unselected", false, false, RGB(255, 255, 0)},
                                           PenCase{"Light", false, true, RGB(0, 255, 255)},
                                           PenCase{"Selected", true, false, RGB(255, 0, 0)},
                                           PenCase{"SelectedLight", true, true, RGB(255, 0, 0)}),
                         [](const ::testing::TestParamInfo<PenCase> &info) { return std::string(info.param.name); });

TEST_F(EntityDrawTest, TheFacingLineIsThirtyPixelsAtZoomTwo)
{
    view.SetZoom(2.0f);
    Facing("reference")->Draw2D(&view, &canvas.Dc(), nullptr);
    canvas.ExpectPixels([&](int x, int y) { return Symbol(x, y, RGB(255, 255, 0)); });
}

TEST_F(EntityDrawTest, TheNameIsDrawnBelowRightOfTheCrossInTheColourOfTheState)
{
    ZnGuiApp();
    CZNEntity *entity = Facing("reference");
    entity->SetName("Lamp");
    for (bool selected : {false, true}) {
        ZnCanvas named(kSize, kSize);
        entity->SetSelected(selected);
        entity->Draw2D(&view, &named.Dc(), nullptr);
        const COLORREF text = selected ? RGB(255, 0, 0) : RGB(255, 255, 255);
        int textPixels = 0, outside = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                if (named.At(x, y) != text || Symbol(x, y, text) == text)
                    continue;
                ++(x >= 45 && y >= 45 ? textPixels : outside);
            }
        EXPECT_GT(textPixels, 0) << named.Dump();
        EXPECT_EQ(outside, 0) << named.Dump();
    }
}

TEST_F(EntityDrawTest, OverrideWordsSkipEverythingOrLeaveOnlyThePluginsDrawing)
{
    auto probe = Probe("ent_protocol");
    CZNEntity *entity = Facing("ent_protocol");
    OVERRIDEDATA over{};
    over.Skip = 1;
    over.DrawOwnSymbol = 1;
    entity->Draw2D(&view, &canvas.Dc(), &over);
    canvas.ExpectPixels([](int, int) { return kBlack; });
    EXPECT_EQ(*probe->Symbol<int>("g_Render2DCalls"), 0);

    // Word 26 = 0: the plug-in's green line only.
    over.Skip = 0;
    over.DrawOwnSymbol = 0;
    entity->Draw2D(&view, &canvas.Dc(), &over);
    canvas.ExpectPixels([](int x, int y) { return y == 1 && x >= 1 && x < 5 ? kGreen : kBlack; });
    EXPECT_EQ(*probe->Symbol<int>("g_Render2DCalls"), 1);

    // The plug-in got the view's own values; word 7 chooses the selected pen.
    view.SetCentre(12.0f, -7.0f); // world x 12, world y 7
    view.SetZoom(1.5f);
    over.DrawOwnSymbol = 1;
    over.Selected = 1;
    ZnCanvas second(kSize, kSize);
    entity->Draw2D(&view, &second.Dc(), &over);
    const RENDERINFO2D info = *probe->Symbol<RENDERINFO2D>("g_LastInfo");
    EXPECT_EQ(info.Dc, &second.Dc());
    EXPECT_EQ(info.Width, kSize);
    EXPECT_EQ(info.Height, kSize);
    EXPECT_FLOAT_EQ(info.Zoom, 1.5f);
    EXPECT_FLOAT_EQ(info.CentreU, 12.0f);
    EXPECT_FLOAT_EQ(info.CentreV, 7.0f);
    EXPECT_EQ(info.View, ZN2DVIEW_FRONT);
    int32_t px, py;
    ZnRenderInfoWorldToPixel(&info, D3DXVECTOR3(0, 0, 0), &px, &py);
    POINT p;
    const D3DXVECTOR3 origin(0, 0, 0);
    view.WorldToScreen(&p, &origin);
    EXPECT_EQ(px, p.x);
    EXPECT_EQ(py, p.y);
    EXPECT_EQ(second.At(p.x + 3, p.y), RGB(255, 0, 0));
}

TEST_F(EntityDrawTest, AHiddenEntityOrOneWithoutABlockIsNotDrawn)
{
    CZNEntity *hidden = Facing("reference");
    hidden->m_Flags |= 1;
    hidden->Draw2D(&view, &canvas.Dc(), nullptr);
    CZNEntity empty;
    empty.Draw2D(&view, &canvas.Dc(), nullptr);
    canvas.ExpectPixels([](int, int) { return kBlack; });
}

struct HitCase {
    const char *name;
    int dx, dy;
    int hit;
};

class EntityHitTest : public EntityDrawTest, public ::testing::WithParamInterface<HitCase>
{
};

TEST_P(EntityHitTest, HitsStrictlyWithinSixPixels)
{
    // World (10, -4) is pixel (50, 44) in the front view at zoom 1.
    CZNEntity *entity = Make("reference", D3DXVECTOR3(10, -4, 99));
    EXPECT_EQ(entity->HitTest2D(&view, 50 + GetParam().dx, 44 + GetParam().dy), GetParam().hit);
    entity->m_Flags |= 1;
    EXPECT_EQ(entity->HitTest2D(&view, 50, 44), 0);
    EXPECT_EQ(entity->HitTest2D(nullptr, 50, 44), 0);
}

INSTANTIATE_TEST_SUITE_P(Offsets, EntityHitTest,
                         ::testing::Values(HitCase{"On", 0, 0, 1}, HitCase{"Right5", 5, 0, 1},
                                           HitCase{"Right6", 6, 0, 0}, HitCase{"Left5Up5", -5, -5, 1},
                                           HitCase{"Left6", -6, 0, 0}, HitCase{"Down6", 0, 6, 0},
                                           HitCase{"Up6", 0, -6, 0}),
                         [](const ::testing::TestParamInfo<HitCase> &info) { return std::string(info.param.name); });

class EntityPickTest : public ZnEntityPluginTest
{
protected:
    CZNEntity *At(float distance)
    {
        CZNEntity *entity = Make("ent_protocol");
        Put(entity, 172, distance);
        return entity;
    }
    int Pick(CZNEntity *entity, PICK3DINFO *info, int mode = 0)
    {
        const D3DXVECTOR3 origin(0, 0, 0), direction(0, 0, 1);
        return entity->Pick3D(&origin, &direction, 50000.0f, info, mode, 0);
    }
};

TEST_F(EntityPickTest, TheNearerHitWinsAndAnEqualOneKeepsTheFirst)
{
    CZNEntity *far = At(50.0f), *near = At(30.0f), *same = At(30.0f), *miss = At(0.0f);
    PICK3DINFO info{};
    info.Distance = 999999.0f;
    EXPECT_EQ(Pick(far, &info), 1);
    EXPECT_EQ(Pick(near, &info), 1);
    EXPECT_EQ(Pick(same, &info), 0);
    EXPECT_EQ(Pick(miss, &info), 0);
    EXPECT_EQ(Pick(far, &info), 0);
    EXPECT_EQ(info.Object, near);
    EXPECT_EQ(info.Face, 7u);
    EXPECT_FLOAT_EQ(info.Distance, 30.0f);
    EXPECT_EQ(info.Point, D3DXVECTOR3(30, 0, 0));
}

TEST_F(EntityPickTest, ThePluginGetsACopyOfTheRecordTheLengthTheModeAndTheFlag)
{
    auto probe = Probe("ent_protocol");
    CZNEntity *entity = At(20.0f);
    PICK3DINFO info{};
    info.Object = this;
    info.Face = 3;
    info.Distance = 10.0f; // nearer than the entity's hit
    EXPECT_EQ(Pick(entity, &info, 26), 0);
    EXPECT_EQ(info.Object, this);
    EXPECT_EQ(info.Face, 3u);
    EXPECT_FLOAT_EQ(info.Distance, 10.0f);
    const PICK3DINFO seen = *probe->Symbol<PICK3DINFO>("g_LastPickIn");
    EXPECT_EQ(seen.Object, this);
    EXPECT_EQ(seen.Face, 3u);
    EXPECT_FLOAT_EQ(seen.Distance, 10.0f);
    EXPECT_EQ(*probe->Symbol<int>("g_LastPickMode"), 26);
    EXPECT_EQ(*probe->Symbol<int>("g_LastPickFlag"), 0);
    EXPECT_FLOAT_EQ(*probe->Symbol<float>("g_LastPickLength"), 50000.0f);

    // Hidden entities and plug-ins without a pick are never asked.
    const int calls = *probe->Symbol<int>("g_PickCalls");
    entity->m_Flags |= 1;
    info.Distance = 999999.0f;
    EXPECT_EQ(Pick(entity, &info), 0);
    EXPECT_EQ(Pick(Make("light"), &info), 0);
    EXPECT_EQ(*probe->Symbol<int>("g_PickCalls"), calls);
    EXPECT_FLOAT_EQ(info.Distance, 999999.0f);
}

} // namespace
