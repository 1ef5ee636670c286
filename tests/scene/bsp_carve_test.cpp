#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "peg_grid.h"
#include "scene/brush.h"
#include "scene/bsp_carve.h"
#include "scene/bsp_tree.h"
#include "solid_checks.h"

namespace
{

using BrushMaker = std::function<std::unique_ptr<ZNBRUSH>()>;

// A box carved by several brushes at once.
struct CarveCase {
    const char *name;
    std::vector<BrushMaker> carvers;
    double volume; // what is left of the box (0, 0, 0)-(10, 10, 10); negative: not worked out
};

void PrintTo(const CarveCase &c, std::ostream *os)
{
    *os << c.name;
}

class CarveByManyTest : public ::testing::TestWithParam<CarveCase>
{
};

TEST_P(CarveByManyTest, LeavesTheBoxLessTheCarvers)
{
    const CarveCase &c = GetParam();
    auto box = MakeBox({0, 0, 0}, {10, 10, 10});
    std::vector<std::unique_ptr<ZNBRUSH>> brushes;
    std::vector<std::unique_ptr<CZNBSPTREE>> trees;
    std::vector<ZNBSPCARVER> carvers;
    for (const BrushMaker &make : c.carvers) {
        brushes.push_back(make());
        trees.push_back(std::make_unique<CZNBSPTREE>());
        ASSERT_EQ(trees.back()->BuildFromBrush(brushes.back().get()), 1);
        carvers.push_back({trees.back().get(), brushes.back()->GetBoundingBox(0)});
    }

    // All at once in the carve's own order, and one by one in the order given.
    double first = -1.0;
    for (bool oneByOne : {false, true}) {
        SCOPED_TRACE(oneByOne ? "one by one" : "all at once");
        CZNBSPTREE tree;
        ASSERT_EQ(tree.BuildFromBrush(box.get()), 1);
        CZNBSPCARVE carve(&tree, box->GetBoundingBox(0));
        if (oneByOne) {
            for (const ZNBSPCARVER &carver : carvers)
                EXPECT_EQ(carve.Carve(carver), 1);
        } else {
            EXPECT_EQ(carve.Carve(carvers), static_cast<int>(carvers.size()));
        }
        const ZnSurface left = SurfaceOf(tree);
        EXPECT_EQ(OpenEdges(left, true), "");
        const double volume = SurfaceVolume(left);
        if (c.volume >= 0.0) {
            EXPECT_NEAR(volume, c.volume, 1e-2);
        } else if (first >= 0.0) {
            EXPECT_NEAR(volume, first, 1e-2);
        }
        first = volume;
    }
    // The carvers are untouched.
    for (size_t i = 0; i < trees.size(); ++i)
        EXPECT_EQ(SurfaceOf(*trees[i]).size(), brushes[i]->GetFaceCount());
}

double CylinderVolume(float radius, float height, int sides)
{
    return 0.5 * sides * radius * radius * std::sin(2.0 * 3.14159265358979323846 / sides) * height;
}

const CarveCase kCarveCases[] = {
    {"TwoOverlapping",
     {[] {
          return MakeBox({2, 2, 5}, {6, 6, 15});
      },
      [] {
          return MakeBox({4, 4, 5}, {8, 8, 15});
      }},
     1000.0 - (80.0 + 80.0 - 20.0)},
    // The wall the two share inside the box goes.
    {"TwoSharingAFace",
     {[] {
          return MakeBox({2, 2, 5}, {5, 8, 15});
      },
      [] {
          return MakeBox({5, 2, 5}, {8, 8, 15});
      }},
     1000.0 - 180.0},
    // A hollow inside, and a notch flush with three faces of the box.
    {"HollowAndFlushNotch",
     {[] {
          return MakeBox({2, 2, 2}, {4, 4, 4});
      },
      [] {
          return MakeBox({6, 0, 6}, {10, 10, 10});
      }},
     1000.0 - 8.0 - 160.0},
    {"CylinderThrough",
     {[] {
         return MakeCylinder({5, -2, 5}, 3, 14);
     }},
     1000.0 - CylinderVolume(3, 10, 16)},
    {"CylinderThroughAndTurnedBox",
     {[] {
          return MakeCylinder({5, -2, 5}, 3, 14);
      },
      [] {
          return Rotated(MakeBox({-2, 6, -2}, {3, 12, 12}), 0, 17, 0);
      }},
     -1.0},
    {"SameBoxTwice",
     {[] {
          return MakeBox({3, 3, 8}, {7, 7, 12});
      },
      [] {
          return MakeBox({3, 3, 8}, {7, 7, 12});
      }},
     1000.0 - 32.0},
};

INSTANTIATE_TEST_SUITE_P(Carvers, CarveByManyTest, ::testing::ValuesIn(kCarveCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(CarveByManyTest, GridOfPegsLeavesTheBoxLessThePegs)
{
    for (int count : {1, 4, 12, 30}) {
        SCOPED_TRACE(count);
        ZnPegGrid grid(count);
        CZNBSPTREE tree;
        ASSERT_EQ(tree.BuildFromBrush(grid.box.get()), 1);
        CZNBSPCARVE carve(&tree, grid.box->GetBoundingBox(0));
        EXPECT_EQ(carve.Carve(grid.carvers), grid.meeting);
        const ZnSurface left = SurfaceOf(tree);
        EXPECT_EQ(OpenEdges(left, true), "");
        EXPECT_NEAR(SurfaceVolume(left), grid.CarvedVolume(), 1e-3 * grid.CarvedVolume());
    }
}

TEST(CarveByManyTest, CarversThatMissCostNothing)
{
    auto box = MakeBox({0, 0, 0}, {10, 10, 10});
    auto far = MakeBox({20, 0, 0}, {30, 10, 10});
    // Boxes that meet, but no part of the carver reaches the box's solid: the box's faces are
    // not split.
    auto corner = Rotated(MakeBox({10.5f, 10.5f, 0}, {14, 14, 10}), 0, 0, 45);
    CZNBSPTREE tree, farTree, cornerTree;
    ASSERT_EQ(tree.BuildFromBrush(box.get()), 1);
    ASSERT_EQ(farTree.BuildFromBrush(far.get()), 1);
    ASSERT_EQ(cornerTree.BuildFromBrush(corner.get()), 1);
    CZNBSPCARVE carve(&tree, box->GetBoundingBox(0));
    EXPECT_EQ(carve.Carve(ZNBSPCARVER{&farTree, far->GetBoundingBox(0)}), 0);
    EXPECT_EQ(carve.Carve(ZNBSPCARVER{&cornerTree, corner->GetBoundingBox(0)}), 1);
    EXPECT_EQ(tree.m_PolygonCount, 6u);
    EXPECT_NEAR(SurfaceVolume(SurfaceOf(tree)), 1000.0, 1e-3);
    // The carver may not be the target.
    EXPECT_EQ(carve.Carve(ZNBSPCARVER{&tree, box->GetBoundingBox(0)}), 0);
}

} // namespace
