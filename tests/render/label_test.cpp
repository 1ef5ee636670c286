#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3dx/d3dx_font.h"
#include "render/direct3d.h"
#include "support/gui_app.h"
#include "wrapper_fixture.h"

namespace
{
class LabelTest : public ZnWrapperTest
{
protected:
    void SetUp() override
    {
        ZnGuiApp();
        ZnWrapperTest::SetUp();
    }
    // Non-black pixels after drawing one label on a black frame.
    int LabelPixels(CZN3D &d3d, D3DXVECTOR3 point)
    {
        d3d.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f);
        d3d.BeginScene();
        d3d.DrawText3D(&point, "Light01", 0xFFFFFFFF);
        d3d.EndScene();
        int lit = 0;
        for (D3DCOLOR c : BackBuffer())
            lit += (c & 0xFFFFFF) != 0;
        return lit;
    }
};
} // namespace

TEST_F(LabelTest, DrawnOnlyNearAndInFrontOfTheCamera)
{
    CZN3D &d3d = Start(200, 200);
    ASSERT_NE(d3d.GetFont(), nullptr);
    LOGFONT logFont = {};
    d3d.GetFont()->GetLogFont(&logFont);
    EXPECT_STREQ(logFont.lfFaceName, "Tahoma");
    EXPECT_EQ(logFont.lfHeight, -21); // 16 points at 96 pixels per inch

    struct Case {
        const char *what;
        D3DXVECTOR3 point;
        bool drawn;
    };
    const Case cases[] = {
        {"180 ahead", {0, 0, 180.0f}, true},
        {"180.01 ahead", {0, 0, 180.01f}, false},
        {"near, ahead and aside", {-20, 10, 60}, true},
        {"behind", {0, 0, -50}, false},
        {"beside, slightly behind", {100, 0, -0.5f}, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(LabelPixels(d3d, c.point) > 0, c.drawn) << c.what;
    EXPECT_EQ(RenderState(D3DRS_FOGENABLE), static_cast<DWORD>(TRUE)); // fog comes back on

    // The label's top left corner is the point's place on the screen.
    d3d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f);
    D3DXVECTOR3 centre(0, 0, 100);
    d3d.DrawText3D(&centre, "Light01", 0xFFFFFFFF);
    std::vector<D3DCOLOR> pixels = BackBuffer();
    int litLeftOrAbove = 0, litBelowRight = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (pixels[static_cast<size_t>(y) * 200 + x] & 0xFFFFFF)
                (x < 99 || y < 99 ? litLeftOrAbove : litBelowRight)++;
    EXPECT_EQ(litLeftOrAbove, 0);
    EXPECT_GT(litBelowRight, 0);

    // The small font of thumbnails.
    d3d.CreateFont(1);
    d3d.GetFont()->GetLogFont(&logFont);
    EXPECT_EQ(logFont.lfHeight, -10);
}
