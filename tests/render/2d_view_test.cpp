#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "render/view/2d_view.h"

namespace
{

struct ProjectionCase {
    const char *name;
    WORD type;
    int width, height;
    D3DXVECTOR2 centre;
    float zoom;
    D3DXVECTOR3 world;
    LONG x, y;
};

void PrintTo(const ProjectionCase &c, std::ostream *os)
{
    *os << c.name;
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

const ProjectionCase kProjectionCases[] = {
    // Half sizes 50 and 40; u and v less the centre, times the zoom.
    {"TopShowsXAndMinusZ", ZN2DVIEW_TOP, 100, 80, {3, -4}, 2, {10, 20, 30}, 64, -12},
    {"RightShowsZAndMinusY", ZN2DVIEW_RIGHT, 100, 80, {3, -4}, 2, {10, 20, 30}, 104, 8},
    {"FrontShowsXAndMinusY", ZN2DVIEW_FRONT, 100, 80, {3, -4}, 2, {10, 20, 30}, 64, 8},
    {"OtherTypesShowTheFrontAxes", 3, 100, 80, {3, -4}, 2, {10, 20, 30}, 64, 8},
    {"OddSizesHalveInWholePixels", ZN2DVIEW_FRONT, 101, 81, {0, 0}, 1, {0, 0, 0}, 50, 40},
    {"TruncatedTowardZero", ZN2DVIEW_FRONT, 100, 100, {0, 0}, 1, {-50.5f, 50.7f, 0}, 0, 0},
    {"FractionsCutOff", ZN2DVIEW_FRONT, 100, 100, {0, 0}, 1, {10.9f, -10.9f, 0}, 60, 60},
    {"FarPositionsHeldAtTheLimit", ZN2DVIEW_FRONT, 100, 100, {0, 0}, 25, {1e30f, 1e30f, 0}, 1073741824, -1073741824},
    {"NaNGivesZero", ZN2DVIEW_FRONT, 100, 100, {0, 0}, 1, {kNaN, kNaN, 0}, 0, 0},
};

class WorldToScreenTest : public ::testing::TestWithParam<ProjectionCase>
{
};

TEST_P(WorldToScreenTest, GivesThePixel)
{
    const ProjectionCase &c = GetParam();
    CZN2DView view;
    view.SetViewType(c.type);
    view.SetClientSize(c.width, c.height);
    view.SetCentre(c.centre.x, c.centre.y);
    view.SetZoom(c.zoom);
    POINT pixel{-99, -99};
    EXPECT_EQ(view.WorldToScreen(&pixel, &c.world), &pixel);
    EXPECT_EQ(pixel.x, c.x);
    EXPECT_EQ(pixel.y, c.y);
}

INSTANTIATE_TEST_SUITE_P(Views, WorldToScreenTest, ::testing::ValuesIn(kProjectionCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(View2D, StartsAtTheOriginWithZoomOne)
{
    CZN2DView view;
    EXPECT_EQ(view.GetViewType(), ZN2DVIEW_TOP);
    EXPECT_EQ(view.GetClientWidth(), 0);
    EXPECT_EQ(view.GetClientHeight(), 0);
    EXPECT_EQ(view.GetCentre(), D3DXVECTOR2(0, 0));
    EXPECT_EQ(view.GetZoom(), 1.0f);
    const D3DXVECTOR3 p(1, 2, 3);
    EXPECT_EQ(view.WorldToScreen(nullptr, &p), nullptr);
}

} // namespace
