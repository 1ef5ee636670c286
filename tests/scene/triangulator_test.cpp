#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "scene/triangulator.h"
#include "scene_test_support.h"

namespace
{

using Triangulator = MaterialListTest;

struct Shape {
    std::string name;
    std::vector<P3> points; // in the plane z = 0
};

void PrintTo(const Shape &shape, std::ostream *out)
{
    *out << shape.name;
}

std::vector<P3> Reversed(std::vector<P3> points)
{
    return {points.rbegin(), points.rend()};
}

std::vector<P3> Star(int tips, float outer, float inner)
{
    std::vector<P3> points;
    for (int i = 0; i < tips * 2; ++i) {
        float a = D3DX_PI * i / tips;
        float r = (i % 2 == 0) ? outer : inner;
        points.push_back({r * std::cos(a), r * std::sin(a), 0});
    }
    return points;
}

std::vector<P3> Comb(int teeth)
{
    std::vector<P3> points;
    for (int k = 0; k < teeth * 2; ++k)
        points.push_back({static_cast<float>(k), (k % 2 == 0) ? 10.0f : 2.0f, 0});
    points.push_back({static_cast<float>(teeth * 2 - 1), 0, 0});
    points.push_back({0, 0, 0});
    return points;
}

// Two arms winding out together, joined at both ends: most corners are concave and each sees
// far along the channel.
std::vector<P3> Spiral(int points)
{
    std::vector<P3> outer, inner;
    for (int i = 0; i < points; ++i) {
        const float a = i * 0.05f, r = 10 + 2 * a;
        outer.push_back({(r + 1) * std::cos(a), (r + 1) * std::sin(a), 0});
        inner.push_back({r * std::cos(a), r * std::sin(a), 0});
    }
    outer.insert(outer.end(), inner.rbegin(), inner.rend());
    return outer;
}

std::vector<P3> Turned(std::vector<P3> points, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    for (P3 &p : points)
        p = {p.x * c - p.y * s, p.x * s + p.y * c, 0};
    return points;
}

const std::vector<Shape> &Shapes()
{
    static const std::vector<Shape> shapes = {
        {"triangle", {{0, 0, 0}, {0, 10, 0}, {10, 0, 0}}},
        {"hexagon", Star(3, 40, 40)},
        {"ell", {{0, 0, 0}, {0, 20, 0}, {10, 20, 0}, {10, 10, 0}, {20, 10, 0}, {20, 0, 0}}},
        {"ell reversed", Reversed({{0, 0, 0}, {0, 20, 0}, {10, 20, 0}, {10, 10, 0}, {20, 10, 0}, {20, 0, 0}})},
        {"u", {{0, 0, 0}, {0, 30, 0}, {10, 30, 0}, {10, 10, 0}, {20, 10, 0}, {20, 30, 0}, {30, 30, 0}, {30, 0, 0}}},
        {"u reversed",
         Reversed(
             {{0, 0, 0}, {0, 30, 0}, {10, 30, 0}, {10, 10, 0}, {20, 10, 0}, {20, 30, 0}, {30, 30, 0}, {30, 0, 0}})},
        {"square with edge midpoints",
         {{0, 0, 0}, {0, 5, 0}, {0, 10, 0}, {5, 10, 0}, {10, 10, 0}, {10, 5, 0}, {10, 0, 0}, {5, 0, 0}}},
        {"two squares side by side", {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {0, 1, 0}}},
        {"star", Star(5, 50, 20)},
        {"comb", Comb(10)},
    };
    return shapes;
}

// Shoelace area of the polygon in the x-y plane, signed; in double, so that faces of thousands
// of vertices add up as exactly as small ones.
double SignedArea(const std::vector<P3> &p)
{
    double sum = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const P3 &a = p[i];
        const P3 &b = p[(i + 1) % p.size()];
        sum += double(a.x) * b.y - double(b.x) * a.y;
    }
    return sum * 0.5;
}

bool InsidePolygon(const std::vector<P3> &p, float x, float y)
{
    bool inside = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].y > y) != (p[j].y > y) && x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
            inside = !inside;
    }
    return inside;
}

// Every triangle is wound like the polygon, lies inside it and the areas add up to the whole.
void ExpectValidTriangulation(const Shape &shape, const WORD *indices)
{
    SCOPED_TRACE(shape.name);
    const std::vector<P3> &p = shape.points;
    const double polygon = SignedArea(p);
    const size_t triangles = p.size() - 2;
    double total = 0;
    std::set<WORD> used;
    for (size_t t = 0; t < triangles; ++t) {
        WORD i[3] = {indices[t * 3], indices[t * 3 + 1], indices[t * 3 + 2]};
        for (WORD k : i) {
            ASSERT_LT(k, p.size());
            used.insert(k);
        }
        std::vector<P3> tri = {p[i[0]], p[i[1]], p[i[2]]};
        double area = SignedArea(tri);
        EXPECT_GT(area * polygon, 0.0f) << "triangle " << t << " is wound against the polygon or is flat";
        float cx = (tri[0].x + tri[1].x + tri[2].x) / 3, cy = (tri[0].y + tri[1].y + tri[2].y) / 3;
        EXPECT_TRUE(InsidePolygon(p, cx, cy)) << "triangle " << t << " lies outside the polygon";
        total += area;
    }
    EXPECT_NEAR(total, polygon, std::fabs(polygon) * 1e-5f);
    EXPECT_EQ(used.size(), p.size());
}

} // namespace

TEST_F(Triangulator, CutsEveryShapeIntoTrianglesInsideThePolygon)
{
    for (const Shape &shape : Shapes()) {
        ZNFACE face;
        FillFace(face, shape.points);
        CZNTriangulator triangulator;
        // Several runs: each draws other start corners, and every result must be valid.
        for (int run = 0; run < 5; ++run) {
            ASSERT_TRUE(triangulator.Triangulate(&face)) << shape.name;
            EXPECT_EQ(triangulator.GetTriangleCount(), shape.points.size() - 2);
            EXPECT_EQ(triangulator.GetIndexCount(), (shape.points.size() - 2) * 3);
            WORD *indices = triangulator.GetIndices();
            ExpectValidTriangulation(shape, indices);
            std::free(indices); // the list belongs to the caller
        }
    }
}

// Faces of one to three thousand vertices, cut from two start corners each. The long comb's
// base, 2999 long and 2 high under 1500 teeth, can only be closed with triangles whose corner on
// the base is so nearly straight that its edges count as parallel.
class LargeFace : public MaterialListTest, public ::testing::WithParamInterface<Shape>
{
};

TEST_P(LargeFace, CutsIntoTrianglesInsideThePolygon)
{
    const Shape &shape = GetParam();
    ZNFACE face;
    FillFace(face, shape.points);
    CZNTriangulator triangulator;
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(triangulator.Triangulate(&face));
        ASSERT_EQ(triangulator.GetTriangleCount(), shape.points.size() - 2);
        WORD *indices = triangulator.GetIndices();
        ExpectValidTriangulation(shape, indices);
        std::free(indices);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, LargeFace,
                         ::testing::Values(Shape{"LongComb", Comb(1500)}, Shape{"TurnedComb", Turned(Comb(500), 0.5f)},
                                           Shape{"Spiral", Spiral(600)}, Shape{"StarOf1000Tips", Star(1000, 50, 45)}),
                         [](const auto &info) { return info.param.name; });

TEST_F(Triangulator, FaceKeepsTheListOnlyWhenItNeedsOne)
{
    for (const Shape &shape : Shapes()) {
        ZNFACE face;
        // A stored normal against the winding changes nothing.
        FillFace(face, shape.points, D3DXVECTOR3(0, 0, 1));
        face.BuildTriIndices();
        if (face.IsConvex() && !face.ContainsDegenerate()) {
            EXPECT_EQ(face.m_TriIndices, nullptr) << shape.name;
            continue;
        }
        ASSERT_NE(face.m_TriIndices, nullptr) << shape.name;
        ExpectValidTriangulation(shape, face.m_TriIndices);
    }
}

TEST_F(Triangulator, ATriangleGivesItsOwnCornersInRingOrder)
{
    ZNFACE face;
    FillFace(face, {{0, 0, 0}, {0, 10, 0}, {10, 0, 0}});
    CZNTriangulator triangulator;
    ASSERT_TRUE(triangulator.Triangulate(&face));
    WORD *i = triangulator.GetIndices();
    EXPECT_EQ((i[1] + 3 - i[0]) % 3, 1);
    EXPECT_EQ((i[2] + 3 - i[1]) % 3, 1);
    std::free(i);
}

TEST_F(Triangulator, RefusesFacesWithFewerThanThreeVertices)
{
    CZNTriangulator triangulator;
    EXPECT_FALSE(triangulator.Triangulate(nullptr));
    EXPECT_FALSE(triangulator.Init(nullptr));
    ZNFACE face;
    FillFace(face, {{0, 0, 0}, {0, 10, 0}});
    EXPECT_FALSE(triangulator.Triangulate(&face));
    EXPECT_EQ(triangulator.GetIndices(), nullptr);
    // Points all on one line enclose nothing and give no triangles.
    ZNFACE line;
    FillFace(line, {{0, 0, 0}, {5, 0, 0}, {10, 0, 0}, {15, 0, 0}}, D3DXVECTOR3(0, 0, 0));
    EXPECT_FALSE(triangulator.Triangulate(&line));
    line.BuildTriIndices();
    EXPECT_EQ(line.m_TriIndices, nullptr);
}

TEST_F(Triangulator, RefusesFacesWithPointsThatAreNotFinite)
{
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        ZNFACE face;
        FillFace(face, {{0, 0, 0}, {0, 20, 0}, {10, 20, 0}, {bad, 10, 0}, {20, 10, 0}, {20, 0, 0}});
        CZNTriangulator triangulator;
        EXPECT_FALSE(triangulator.Triangulate(&face)) << bad;
        EXPECT_EQ(triangulator.GetIndices(), nullptr);
    }
}

TEST_F(Triangulator, AddEdgeRefusesPointsOutsideTheFace)
{
    ZNFACE face;
    FillFace(face, {{0, 0, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}});
    CZNTriangulator triangulator;
    ASSERT_TRUE(triangulator.Init(&face));
    EXPECT_TRUE(triangulator.AddEdge(0, 2));
    EXPECT_FALSE(triangulator.AddEdge(0, 9));
    triangulator.RemoveEdge(1);
    triangulator.RemoveEdge(40);
    triangulator.Reset();
    EXPECT_EQ(triangulator.GetIndices(), nullptr);
}
