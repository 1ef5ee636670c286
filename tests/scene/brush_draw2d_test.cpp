#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/gdi/pen.h"
#include "render/view/2d_view.h"
#include "scene/brush.h"
#include "sdk/override_data.h"
#include "support/gdi_canvas.h"
#include "support/shapes.h"

namespace
{

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A cube of +-20 in a 100 x 100 "Front" view at zoom 1, drawn on a black canvas whose pen is
// yellow; the record's pen is red.
struct Scene {
    Scene()
    {
        view.SetViewType(ZN2DVIEW_FRONT);
        view.SetClientSize(100, 100);
        ZnBuildBox(brush, {-20, -20, -20}, {20, 20, 20});
        over = {};
        over.Pen = &red;
        previousPen = canvas.Dc().SelectObject(&yellow);
    }
    ~Scene() { canvas.Dc().SelectObject(previousPen); }

    CZN2DView view;
    ZNBRUSH brush;
    ZnCanvas canvas{100, 100};
    CPen yellow{PS_SOLID, 1, kYellow};
    CPen red{PS_SOLID, 1, kRed};
    CPen *previousPen = nullptr;
    OVERRIDEDATA over;
};

struct Draw2DCase {
    const char *name;
    std::function<void(Scene &)> draw;
    COLORREF colour; // black: nothing drawn
    int shift;       // of the square along x, in pixels
};

void PrintTo(const Draw2DCase &c, std::ostream *os)
{
    *os << c.name;
}

D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

const Draw2DCase kDraw2DCases[] = {
    {"Outline", [](Scene &s) { s.brush.Draw2D(&s.view, &s.canvas.Dc(), nullptr, nullptr); }, kYellow, 0},
    {"MovedByTheMatrix",
     [](Scene &s) {
         const D3DXMATRIX m = Translation(10, 0, 0);
         s.brush.Draw2D(&s.view, &s.canvas.Dc(), &m, nullptr);
     },
     kYellow, 10},
    {"BoundingBoxInBlue", [](Scene &s) { s.brush.DrawBBOX2D(&s.view, &s.canvas.Dc(), nullptr); }, kBlue, 0},
    {"BoundingBoxMovedByTheMatrix",
     [](Scene &s) {
         const D3DXMATRIX m = Translation(-5, 0, 0);
         s.brush.DrawBBOX2D(&s.view, &s.canvas.Dc(), &m);
     },
     kBlue, -5},
    {"SelectedRecordDrawsWithItsPen",
     [](Scene &s) {
         s.over.Selected = 1;
         s.brush.Draw2D(&s.view, &s.canvas.Dc(), nullptr, &s.over);
     },
     kRed, 0},
    {"UnselectedRecordKeepsTheCurrentPen", [](Scene &s) { s.brush.Draw2D(&s.view, &s.canvas.Dc(), nullptr, &s.over); },
     kYellow, 0},
    {"SelectedRecordWithoutPenKeepsTheCurrentPen",
     [](Scene &s) {
         s.over.Selected = 1;
         s.over.Pen = nullptr;
         s.brush.Draw2D(&s.view, &s.canvas.Dc(), nullptr, &s.over);
     },
     kYellow, 0},
    {"RecordSkipDrawsNothing",
     [](Scene &s) {
         s.over.Skip = 1;
         s.brush.Draw2D(&s.view, &s.canvas.Dc(), nullptr, &s.over);
     },
     kBlack, 0},
    {"HiddenDrawsNothingWithoutARecord",
     [](Scene &s) {
         s.brush.m_Flags |= ZNBRUSH_HIDDEN;
         s.brush.Draw2D(&s.view, &s.canvas.Dc(), nullptr, nullptr);
         s.brush.Draw2D(&s.view, 4, &s.canvas.Dc());
     },
     kBlack, 0},
    {"HiddenDrawsWithARecord",
     [](Scene &s) {
         s.brush.m_Flags |= ZNBRUSH_HIDDEN;
         s.brush.Draw2D(&s.view, &s.canvas.Dc(), nullptr, &s.over);
     },
     kYellow, 0},
    {"OneFace", [](Scene &s) { s.brush.Draw2D(&s.view, 4, &s.canvas.Dc()); }, kYellow, 0},
    {"FaceIndexPastTheEnd", [](Scene &s) { s.brush.Draw2D(&s.view, 6, &s.canvas.Dc()); }, kBlack, 0},
    {"NoView",
     [](Scene &s) {
         s.brush.Draw2D(nullptr, &s.canvas.Dc(), nullptr, nullptr);
         s.brush.Draw2D(nullptr, 4, &s.canvas.Dc());
         s.brush.DrawBBOX2D(nullptr, &s.canvas.Dc(), nullptr);
     },
     kBlack, 0},
};

class BrushDraw2DTest : public ::testing::TestWithParam<Draw2DCase>
{
};

TEST_P(BrushDraw2DTest, DrawsTheSquareExactly)
{
    const Draw2DCase &c = GetParam();
    Scene scene;
    c.draw(scene);
    // The outline of the square (30, 30)-(70, 70), moved by the shift.
    const int left = 30 + c.shift, right = 70 + c.shift;
    scene.canvas.ExpectPixels([&](int x, int y) {
        const bool onVertical = (x == left || x == right) && y >= 30 && y <= 70;
        const bool onHorizontal = (y == 30 || y == 70) && x >= left && x <= right;
        return onVertical || onHorizontal ? c.colour : kBlack;
    });
    EXPECT_EQ(scene.canvas.Dc().GetCurrentPen(), &scene.yellow);
}

INSTANTIATE_TEST_SUITE_P(Cube, BrushDraw2DTest, ::testing::ValuesIn(kDraw2DCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
