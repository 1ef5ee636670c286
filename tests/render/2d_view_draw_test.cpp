#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/os/input.h"
#include "render/view2d_fixture.h"
#include "scene/brush.h"
#include "scene/face.h"
#include "support/shapes.h"

namespace
{

// The colours of a 2D view, one character each; anything else shows as '?'.
const std::map<COLORREF, char> kLegend = {
    {RGB(0, 0, 0), '.'},        // background of an inactive view
    {RGB(70, 70, 70), 'm'},     // minor grid line
    {RGB(120, 120, 120), 'M'},  // major grid line
    {RGB(155, 50, 50), 'A'},    // world axis
    {RGB(35, 35, 200), 'c'},    // crosshair dots
    {RGB(255, 255, 255), 'w'},  // unselected brush; crosshair gaps
    {RGB(255, 100, 100), 'r'},  // selected brush or face
    {RGB(255, 128, 100), 'v'},  // selected vertex
    {RGB(0, 0, 255), 'b'},      // a brush drawn as its box
    {RGB(255, 0, 0), 'R'},      // selected camera
    {RGB(128, 128, 128), '_'},  // the fake window before any paint
};

COLORREF ColourAt(const QImage &image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return RGB(static_cast<BYTE>(qRed(c)), static_cast<BYTE>(qGreen(c)), static_cast<BYTE>(qBlue(c)));
}

char CharAt(const QImage &image, int x, int y)
{
    const auto it = kLegend.find(ColourAt(image, x, y));
    return it == kLegend.end() ? '?' : it->second;
}

// The picture as text; pixels inside mask show as ' '.
std::string Map(const QImage &image, RECT mask = RECT{0, 0, 0, 0})
{
    std::string out;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            out += (x >= mask.left && x < mask.right && y >= mask.top && y < mask.bottom) ? ' ' : CharAt(image, x, y);
        out += '\n';
    }
    return out;
}

// The characters of one row or column.
std::string Row(const QImage &image, int y)
{
    std::string out;
    for (int x = 0; x < image.width(); ++x)
        out += CharAt(image, x, y);
    return out;
}

int Count(const QImage &image, char c)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += CharAt(image, x, y) == c;
    return n;
}

ZNBRUSH *AddBox(CZNEDITORDoc &document, D3DXVECTOR3 lo, D3DXVECTOR3 hi)
{
    ZNBRUSH *brush = document.NewBrush();
    ZnBuildBox(*brush, lo, hi);
    return brush;
}

// Selects the vertex of the face lying at p; false when none does.
bool SelectVertexAt(ZNFACE &face, const D3DXVECTOR3 &p)
{
    for (short k = 0; k < face.GetVertexCount(); ++k)
        if (face.GetVector(k) == p)
            return face.SelectVertex(k, 1), true;
    return false;
}

class View2DDrawTest : public View2DTest
{
protected:
    void SetUp() override
    {
        View2DTest::SetUp();
        PaintSceneWithGrid(1.0f);
    }

    // The area the view's name covers.
    RECT LabelRect(const char *name)
    {
        CZNDC dc;
        QImage scratch(1, 1, QImage::Format_RGB32);
        dc.AttachImage(&scratch);
        const SIZE size = dc.GetTextExtent(name, -1);
        return RECT{5, 5, 5 + size.cx, 5 + size.cy};
    }
};

// Two boxes, the second selected, and the crosshair at (3, 7, 2), in a 40 x 50 view at zoom 3
// with grid size 1 centred on (5, -8): lines every 3 pixels, the axes at x = 5 and y = 49 (the
// last row), the major lines 30 pixels from them at x = 35 and y = 19. The crosshair is dotted
// blue on white; the name's box is masked.
struct SceneCase {
    const char *name;
    WORD type;
    const char *map;
};

void PrintTo(const SceneCase &c, std::ostream *os)
{
    *os << c.name;
}

const SceneCase kSceneCases[] = {
    {"Top", ZN2DVIEW_TOP,
     "..m..A..m..m..c..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmmmmmmmcmmmmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..m..m..c..m..m..m..m..m..m..M..m.\n"
     "..m..A..m..m..w..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmmmmmmmwmmmmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..                           m..M..m.\n"
     "..m..                           m..M..m.\n"
     "mmmmm                           mmmmmmmm\n"
     "..m..                           m..M..m.\n"
     "..m..                           m..M..m.\n"
     "mmmmm                           mmmmmmmm\n"
     "..m..                           m..M..m.\n"
     "..m..                           m..M..m.\n"
     "mmmmm                           mmmmmmmm\n"
     "..m..                           m..M..m.\n"
     "..m..                           m..M..m.\n"
     "mmmmm                           mmmmmmmm\n"
     "..m..                           m..M..m.\n"
     "..m..                           m..M..m.\n"
     "MMMMM                           MMMMMMMM\n"
     "..m..                           m..M..m.\n"
     "..m..A..m..m..w..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmmmmmmmwmmmmmmmmrrrrrrrrrrrrrmmmm\n"
     "..m..A..m..m..w..m..m..r..m..m..m..r..m.\n"
     "..m..A..m..m..c..m..m..r..m..m..m..r..m.\n"
     "mmmmmAmmmmmmmmcmmmmmmmmrmmmmmmmmmmmrmmmm\n"
     "..m..A..m..m..c..m..m..r..m..m..m..r..m.\n"
     "..m..A..m..m..w..m..m..r..m..m..m..r..m.\n"
     "mmmmmAmmmmmmmmwmmmmmmmmrmmmmmmmmmmmrmmmm\n"
     "..m..A..m..m..w..m..m..r..m..m..m..r..m.\n"
     "..m..A..m..m..c..m..m..r..m..m..m..r..m.\n"
     "mmmmmAmmmmmmmmcmmmmmmmmrrrrrrrrrrrrrmmmm\n"
     "..m..A..m..m..c..m..m..m..m..m..m..M..m.\n"
     "..m..A..m..m..w..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmmmmmmmwmmmmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..m..m..w..m..m..m..m..m..m..M..m.\n"
     "..m..A..m..m..c..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwwwwwwwwwwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..w..m..c..w..m..m..m..m..m..M..m.\n"
     "..m..A..w..m..w..w..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwmmmmmwmmwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..w..m..w..w..m..m..m..m..m..M..m.\n"
     "..m..A..w..m..c..w..m..m..m..m..m..M..m.\n"
     "cccwwwccwwwwcccwwwcccwwwcccwwwcccwwwcccw\n"
     "..m..A..w..m..c..w..m..m..m..m..m..M..m.\n"
     "..m..A..w..m..w..w..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwwwwwwwwwwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..m..m..w..m..m..m..m..m..m..M..m.\n"
     "..m..A..m..m..c..m..m..m..m..m..m..M..m.\n"
     "AAAAAAAAAAAAAAcAAAAAAAAAAAAAAAAAAAAAAAAA\n"},
    {"Right", ZN2DVIEW_RIGHT,
     "..m..A..m..c..m..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmmmmcmmmmmmmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..m..c..m..m..m..m..m..m..m..M..m.\n"
     "..m..A..m..w..m..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmmmmwmmmmmmmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..                                   \n"
     "..m..                                   \n"
     "mmmmm                                   \n"
     "..m..                                   \n"
     "..m..                                   \n"
     "mmmmm                                   \n"
     "..m..                                   \n"
     "..m..                                   \n"
     "mmmmm                                   \n"
     "..m..                                   \n"
     "..m..                                   \n"
     "mmmmm                                   \n"
     "..m..                                   \n"
     "..m..                                   \n"
     "MMMMM                                   \n"
     "..m..                                   \n"
     "..m..A..m..w..m..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmmmmwmmmmmmmmmmmrrrrrrrrrrmmmmmmm\n"
     "..m..A..m..w..m..m..m..r..m..m..r..M..m.\n"
     "..m..A..m..c..m..m..m..r..m..m..r..M..m.\n"
     "mmmmmAmmmmmcmmmmmmmmmmmrmmmmmmmmrmmmmmmm\n"
     "..m..A..m..c..m..m..m..r..m..m..r..M..m.\n"
     "..m..A..m..w..m..m..m..r..m..m..r..M..m.\n"
     "cccwwwcccwwwcccwwwcccwwrcccwwwccrwwwcccw\n"
     "..m..A..m..w..m..m..m..r..m..m..r..M..m.\n"
     "..m..A..m..c..m..m..m..r..m..m..r..M..m.\n"
     "mmmmmAmmmmmcmmmmmmmmmmmrmmmmmmmmrmmmmmmm\n"
     "..m..A..m..c..m..m..m..r..m..m..r..M..m.\n"
     "..m..A..m..w..m..m..m..r..m..m..r..M..m.\n"
     "mmmmmAmmmmmwmmmmmmmmmmmrrrrrrrrrrmmmmmmm\n"
     "..m..A..m..w..m..m..m..m..m..m..m..M..m.\n"
     "..m..A..m..c..m..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwwwwwwwwwwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..w..c..m..w..m..m..m..m..m..M..m.\n"
     "..m..A..w..w..m..w..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwmmwmmmmmwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..w..w..m..w..m..m..m..m..m..M..m.\n"
     "..m..A..w..c..m..w..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwmmcmmmmmwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..w..c..m..w..m..m..m..m..m..M..m.\n"
     "..m..A..w..w..m..w..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwwwwwwwwwwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..m..w..m..m..m..m..m..m..m..M..m.\n"
     "..m..A..m..c..m..m..m..m..m..m..m..M..m.\n"
     "AAAAAAAAAAAcAAAAAAAAAAAAAAAAAAAAAAAAAAAA\n"},
    {"Front", ZN2DVIEW_FRONT,
     "..m..A..m..m..c..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmmmmmmmcmmmmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..m..m..c..m..m..m..m..m..m..M..m.\n"
     "..m..A..m..m..w..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmmmmmmmwmmmmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..                                   \n"
     "..m..                                   \n"
     "mmmmm                                   \n"
     "..m..                                   \n"
     "..m..                                   \n"
     "mmmmm                                   \n"
     "..m..                                   \n"
     "..m..                                   \n"
     "mmmmm                                   \n"
     "..m..                                   \n"
     "..m..                                   \n"
     "mmmmm                                   \n"
     "..m..                                   \n"
     "..m..                                   \n"
     "MMMMM                                   \n"
     "..m..                                   \n"
     "..m..A..m..m..w..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmmmmmmmwmmmmmmmmrrrrrrrrrrrrrmmmm\n"
     "..m..A..m..m..w..m..m..r..m..m..m..r..m.\n"
     "..m..A..m..m..c..m..m..r..m..m..m..r..m.\n"
     "mmmmmAmmmmmmmmcmmmmmmmmrmmmmmmmmmmmrmmmm\n"
     "..m..A..m..m..c..m..m..r..m..m..m..r..m.\n"
     "..m..A..m..m..w..m..m..r..m..m..m..r..m.\n"
     "cccwwwcccwwwcccwwwcccwwrcccwwwcccwwrcccw\n"
     "..m..A..m..m..w..m..m..r..m..m..m..r..m.\n"
     "..m..A..m..m..c..m..m..r..m..m..m..r..m.\n"
     "mmmmmAmmmmmmmmcmmmmmmmmrmmmmmmmmmmmrmmmm\n"
     "..m..A..m..m..c..m..m..r..m..m..m..r..m.\n"
     "..m..A..m..m..w..m..m..r..m..m..m..r..m.\n"
     "mmmmmAmmmmmmmmwmmmmmmmmrrrrrrrrrrrrrmmmm\n"
     "..m..A..m..m..w..m..m..m..m..m..m..M..m.\n"
     "..m..A..m..m..c..m..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwwwwwwwwwwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..w..m..c..w..m..m..m..m..m..M..m.\n"
     "..m..A..w..m..w..w..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwmmmmmwmmwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..w..m..w..w..m..m..m..m..m..M..m.\n"
     "..m..A..w..m..c..w..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwmmmmmcmmwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..w..m..c..w..m..m..m..m..m..M..m.\n"
     "..m..A..w..m..w..w..m..m..m..m..m..M..m.\n"
     "mmmmmAmmwwwwwwwwwwmmmmmmmmmmmmmmmmmmmmmm\n"
     "..m..A..m..m..w..m..m..m..m..m..m..M..m.\n"
     "..m..A..m..m..c..m..m..m..m..m..m..M..m.\n"
     "AAAAAAAAAAAAAAcAAAAAAAAAAAAAAAAAAAAAAAAA\n"},
};

class View2DSceneTest : public View2DDrawTest, public ::testing::WithParamInterface<SceneCase>
{
};

TEST_P(View2DSceneTest, WholeWindow)
{
    const SceneCase &c = GetParam();
    AddBox(*document, {1, 1, 1}, {4, 4, 4});
    AddBox(*document, {6, 5, 6}, {10, 9, 9})->SelectBrush(1);
    document->SetCursorPoint(D3DXVECTOR3(3, 7, 2));
    MakeView(c.type, 40, 50);
    view->SetName(c.name);
    view->SetCentre(5, -8);
    view->SetZoom(3);
    for (int doubleBuffer = 0; doubleBuffer < 2; ++doubleBuffer) {
        SCOPED_TRACE(doubleBuffer ? "double buffered" : "straight to the window");
        GetEditorApp()->Options().m_DoubleBuffer2D = doubleBuffer;
        window->GetWindowImage()->fill(0xFF808080);
        view->Redraw(FALSE);
        EXPECT_EQ(Map(window->Image(), LabelRect(c.name)), c.map);
    }
}

INSTANTIATE_TEST_SUITE_P(Views, View2DSceneTest, ::testing::ValuesIn(kSceneCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Grid size 10 at zoom 1 in a 400-pixel Front view centred on the origin.
TEST_F(View2DDrawTest, GridLinesFallOnMultiplesOfTheGridSize)
{
    GetEditorApp()->SetGridSize(10.0f);
    document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
    MakeView(ZN2DVIEW_FRONT, 400, 400);
    view->Redraw(FALSE);
    const std::string row = Row(window->Image(), 395);
    for (int x = 0; x < 400; ++x) {
        SCOPED_TRACE(x);
        const char want = x == 200 ? 'A' : x % 100 == 0 ? 'M' : x % 10 == 0 ? 'm' : '.';
        EXPECT_EQ(row[x], want);
    }
    // The same across: the axis at y = 200, major lines at 100 and 300.
    EXPECT_EQ(CharAt(window->Image(), 395, 200), 'A');
    EXPECT_EQ(CharAt(window->Image(), 395, 100), 'M');
    EXPECT_EQ(CharAt(window->Image(), 395, 310), 'm');
    EXPECT_EQ(CharAt(window->Image(), 395, 311), '.');
}

TEST_F(View2DDrawTest, MinorLinesOnlyAboveZoomPointFour)
{
    GetEditorApp()->SetGridSize(10.0f);
    document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
    MakeView(ZN2DVIEW_FRONT, 400, 400);
    view->SetZoom(0.4f);
    view->Redraw(FALSE);
    EXPECT_EQ(Count(window->Image(), 'm'), 0);
    EXPECT_GT(Count(window->Image(), 'M'), 0);
    view->SetZoom(0.41f);
    view->Redraw(FALSE);
    EXPECT_GT(Count(window->Image(), 'm'), 0);
}

struct BadGridCase {
    const char *name;
    float size;
};

void PrintTo(const BadGridCase &c, std::ostream *os)
{
    *os << c.name;
}

const BadGridCase kBadGrids[] = {
    {"Zero", 0.0f},
    {"Negative", -10.0f},
    {"NaN", std::numeric_limits<float>::quiet_NaN()},
    {"Infinite", std::numeric_limits<float>::infinity()},
    {"BelowAHundredthOfAPixel", 0.001f},
};

class BadGridTest : public View2DDrawTest, public ::testing::WithParamInterface<BadGridCase>
{
};

TEST_P(BadGridTest, DrawsOnlyTheAxes)
{
    GetEditorApp()->SetGridSize(GetParam().size);
    document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
    MakeView(ZN2DVIEW_FRONT, 60, 40);
    view->Redraw(FALSE);
    EXPECT_EQ(Count(window->Image(), 'm') + Count(window->Image(), 'M'), 0);
    EXPECT_EQ(Count(window->Image(), 'A'), 60 + 40 - 1);
}

INSTANTIATE_TEST_SUITE_P(Grid, BadGridTest, ::testing::ValuesIn(kBadGrids),
                         [](const auto &info) { return std::string(info.param.name); });

// A view centred a billion units away at the lowest zoom still paints, and quickly.
TEST_F(View2DDrawTest, FarCentreEndsTheGrid)
{
    MakeView(ZN2DVIEW_FRONT, 60, 40);
    view->SetZoom(0.1f);
    view->SetCentre(1e9f, -1e9f);
    GetEditorApp()->SetGridSize(0.2f);
    view->Redraw(FALSE);
    EXPECT_EQ(Count(window->Image(), '_'), 0);
}

TEST_F(View2DDrawTest, ThinBrushAtLowZoomIsDrawn)
{
    document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
    AddBox(*document, {0, 0, 0}, {0.5f, 50, 50});
    MakeView(ZN2DVIEW_FRONT, 60, 40);
    GetEditorApp()->SetGridSize(1000.0f);
    view->SetZoom(0.1f);
    view->Redraw(FALSE);
    // Rows 15 (y = 50) to 20 (y = 0) of column 30.
    EXPECT_EQ(Count(window->Image(), 'w'), 6) << Map(window->Image());
}

TEST_F(View2DDrawTest, BoxOutsideTheViewIsSkipped)
{
    document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
    AddBox(*document, {-10, -10, -10}, {10, 10, 10});
    MakeView(ZN2DVIEW_FRONT, 60, 40);
    EXPECT_TRUE(view->IsBoxVisible(&document->GetBrushList()->m_Bounds));
    view->SetCentre(41, 0); // the box ends one pixel left of the window
    EXPECT_FALSE(view->IsBoxVisible(&document->GetBrushList()->m_Bounds));
    view->SetCentre(40, 0); // its right edge is column 0
    EXPECT_TRUE(view->IsBoxVisible(&document->GetBrushList()->m_Bounds));
}

TEST_F(View2DDrawTest, FaceModeColoursSelectedFaces)
{
    document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
    ZNBRUSH *brush = AddBox(*document, {-10, -10, -10}, {10, 10, 10});
    brush->m_Faces[0]->SelectFace(1); // -x: the left edge in Front
    GetEditorApp()->SetEditMode(ZNEDITMODE_FACE);
    GetEditorApp()->SetGridSize(1000.0f);
    MakeView(ZN2DVIEW_FRONT, 60, 40);
    view->Redraw(FALSE);
    const QImage &image = window->Image();
    EXPECT_EQ(CharAt(image, 20, 25), 'r'); // left edge
    EXPECT_EQ(CharAt(image, 40, 25), 'w'); // right edge
    EXPECT_EQ(CharAt(image, 25, 10), 'w'); // top edge
}

TEST_F(View2DDrawTest, VertexModeCirclesSelectedVerticesOfSelectedFacesOnly)
{
    document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
    ZNBRUSH *brush = AddBox(*document, {-10, -10, -10}, {10, 10, 10});
    ZNFACE &left = *brush->m_Faces[0];  // -x
    ZNFACE &right = *brush->m_Faces[1]; // +x
    left.SelectFace(1);
    ASSERT_TRUE(SelectVertexAt(left, {-10, 10, -10}));  // pixel (20, 10)
    ASSERT_TRUE(SelectVertexAt(right, {10, -10, -10})); // pixel (40, 30), its face not selected
    GetEditorApp()->SetEditMode(ZNEDITMODE_VERTEX);
    GetEditorApp()->SetGridSize(1000.0f);
    MakeView(ZN2DVIEW_FRONT, 60, 40);
    view->Redraw(FALSE);
    const QImage &image = window->Image();
    // A circle in the square (17, 7)-(23, 13), filled white.
    EXPECT_EQ(CharAt(image, 17, 10), 'v');
    EXPECT_EQ(CharAt(image, 20, 7), 'v');
    EXPECT_EQ(CharAt(image, 19, 9), 'w');
    int around = 0;
    for (int y = 26; y <= 34; ++y)
        for (int x = 36; x <= 44; ++x)
            around += CharAt(image, x, y) == 'v';
    EXPECT_EQ(around, 0);
}

TEST_F(View2DDrawTest, DetailBrushIsABoxWhilePanningWithFastDraw)
{
    document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
    AddBox(*document, {-10, -10, -10}, {10, 10, 10})->m_Flags |= ZNBRUSH_DETAIL;
    GetEditorApp()->SetGridSize(1000.0f);
    MakeView(ZN2DVIEW_FRONT, 60, 40);
    window->MoveMouse(30, 20);
    view->OnRButtonDown(MK_RBUTTON, CPoint(30, 20));
    window->MoveMouse(31, 20);
    view->OnMouseMove(MK_RBUTTON, CPoint(31, 20));
    EXPECT_GT(Count(window->Image(), 'b'), 0);
    EXPECT_EQ(Count(window->Image(), 'w'), 0);
    EXPECT_TRUE(view->IsFastPainted());
    view->OnRButtonUp(0, CPoint(31, 20));
    EXPECT_EQ(Count(window->Image(), 'b'), 0);
    EXPECT_GT(Count(window->Image(), 'w'), 0);
    EXPECT_FALSE(view->IsFastPainted());

    // Without the option the drag draws the brush itself.
    GetEditorApp()->Options().m_FastDraw2D = 0;
    view->OnRButtonDown(MK_RBUTTON, CPoint(31, 20));
    window->MoveMouse(32, 20);
    view->OnMouseMove(MK_RBUTTON, CPoint(32, 20));
    EXPECT_EQ(Count(window->Image(), 'b'), 0);
    EXPECT_FALSE(view->IsFastPainted());
}

TEST_F(View2DDrawTest, BeforeStartUpOnlyBackgroundGridAndCrosshair)
{
    GetEditorApp()->Options().m_Initialized = 0;
    GetEditorApp()->Options().m_DrawCamera2D = 1;
    AddBox(*document, {-10, -10, -10}, {10, 10, 10});
    document->SetCursorPoint(D3DXVECTOR3(5, 5, 5));
    MakeView(ZN2DVIEW_FRONT, 60, 40);
    view->SetName("Front");
    GetEditorApp()->Options().m_DoubleBuffer2D = 0;
    view->Redraw(FALSE);
    const QImage &image = window->Image();
    EXPECT_GT(Count(image, 'c'), 0);
    EXPECT_GT(Count(image, 'm'), 0);
    for (int x = 0; x < 60; ++x) // the box's top edge at y = 10 is not there (x = 35: crosshair)
        if (x != 35) {
            EXPECT_NE(CharAt(image, x, 10), 'w') << x;
        }
    EXPECT_EQ(Count(image, '?'), 0);

    // Double buffered, the window is not touched.
    GetEditorApp()->Options().m_DoubleBuffer2D = 1;
    window->GetWindowImage()->fill(0xFF808080);
    view->Redraw(FALSE);
    EXPECT_EQ(Count(window->Image(), '_'), 60 * 40);
}

TEST_F(View2DDrawTest, CameraDrawnWhenTheOptionIsOn)
{
    document->SetCursorPoint(D3DXVECTOR3(1000, 1000, 1000));
    GetEditorApp()->SetGridSize(1000.0f);
    const D3DXVECTOR3 position(-20, 5, 0), look(1, 0, 0), up(0, 1, 0), right(0, 0, -1);
    Camera().SetPositionAndAxes(&position, &look, &up, &right, 0);
    Camera().Select(1);
    MakeView(ZN2DVIEW_FRONT, 60, 40);
    view->Redraw(FALSE);
    EXPECT_EQ(Count(window->Image(), 'R'), 0);
    GetEditorApp()->Options().m_DrawCamera2D = 1;
    view->Redraw(FALSE);
    const QImage &image = window->Image();
    // The square (5, 10)-(15, 20) around pixel (10, 15), and the look line to the right, capped
    // 40 pixels out.
    EXPECT_EQ(CharAt(image, 5, 10), 'R');
    EXPECT_EQ(CharAt(image, 14, 19), 'R');
    EXPECT_EQ(CharAt(image, 15, 9), '.');
    EXPECT_EQ(CharAt(image, 4, 10), '.');
    EXPECT_EQ(CharAt(image, 49, 15), 'R');
    EXPECT_EQ(CharAt(image, 50, 15), '.');
    // Unselected, it is white.
    Camera().Select(0);
    view->Redraw(FALSE);
    EXPECT_EQ(CharAt(image, 5, 10), 'w');
    EXPECT_EQ(Count(image, 'R'), 0);
}

struct PickCase {
    const char *name;
    int dx, dy;
    bool hit;
};

void PrintTo(const PickCase &c, std::ostream *os)
{
    *os << c.name;
}

const PickCase kCameraPicks[] = {
    {"OnIt", 0, 0, true},          {"FivePixelsLeft", -5, 0, true},   {"SixPixelsLeft", -6, 0, false},
    {"SixPixelsRight", 6, 0, false}, {"FiveBelowFiveRight", 5, 5, true}, {"SixAbove", 0, -6, false},
    {"SixBelow", 0, 6, false},
};

class CameraPick2DTest : public View2DTest, public ::testing::WithParamInterface<PickCase>
{
};

TEST_P(CameraPick2DTest, WithinSixPixels)
{
    const PickCase &c = GetParam();
    const D3DXVECTOR3 position(-20, 10, 0), look(0, 0, 1), up(0, 1, 0), right(1, 0, 0);
    Camera().SetPositionAndAxes(&position, &look, &up, &right, 0);
    MakeView(ZN2DVIEW_FRONT, 60, 40); // the camera at pixel (10, 10)
    EXPECT_EQ(Camera().Pick2D(view.get(), 10 + c.dx, 10 + c.dy), c.hit);
    EXPECT_FALSE(Camera().Pick2D(nullptr, 10, 10));
}

INSTANTIATE_TEST_SUITE_P(Camera, CameraPick2DTest, ::testing::ValuesIn(kCameraPicks),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
