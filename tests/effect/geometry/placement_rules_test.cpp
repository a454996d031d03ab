#include "geometry/placement_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace boxwander {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
// The largest value nextReal can return.
const double kLargestReal = std::ldexp(2147483647.0, -31);

TEST(PlacementRules, RectangleSize) {
  struct Case {
    const char* name;
    double r;
    std::int32_t max_half_width;
    double min_fraction;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"smallest draw gives the minimum", 0.0, 10, 0.1, 3},
      {"largest draw gives the maximum", kLargestReal, 10, 0.1, 10},
      {"min fraction 1, smallest draw", 0.0, 10, 1.0, 11},
      {"min fraction 1, largest draw", kLargestReal, 10, 1.0, 11},
      {"M 1, smallest draw", 0.0, 1, 0.1, 3},
      {"M 1, largest draw", kLargestReal, 1, 0.1, 3},
      {"M 1, min fraction 1", 0.5, 1, 1.0, 2},
      // Evaluated as written; other groupings of the same sum truncate to another integer.
      {"grouping lands on 13.0", 0.5, 22, 0.3, 16},
      {"grouping stays below 15", 0.0625, 26, 0.6, 17},
      {"grouping stays below 21", 0.6875, 32, 0.04, 23},
      {"saturates at the 32-bit maximum", 0.5, kMax, 1.0, kMax},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RectangleSize(c.r, c.max_half_width, c.min_fraction), c.expected) << c.name;
  }
}

TEST(PlacementRules, HalfHeightRoundsHalfUp) {
  struct Case {
    std::int32_t size;
    double ratio;
    std::int32_t expected;
  };
  const Case cases[] = {
      {8, 1.0, 8}, {5, 2.0, 3}, {5, 10.0, 1}, {5, 10.5, 0}, {8, 0.1, 80}, {8, kNaN, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HalfHeightFor(c.size, c.ratio), c.expected) << c.size << " / " << c.ratio;
  }
}

TEST(PlacementRules, HeadingGrowDirection) {
  struct Case {
    const char* name;
    double dx, dy, ratio;
    GrowDirection expected;
  };
  const Case cases[] = {
      {"exactly right", 1.0, 0.0, 1.0, GrowDirection::kRight},
      {"up with +0 (h = 0)", 0.0, -1.0, 1.0, GrowDirection::kUp},
      {"up with -0 (h = 360)", -0.0, -1.0, 1.0, GrowDirection::kUp},
      {"down", 0.0, 1.0, 1.0, GrowDirection::kDown},
      {"left", -1.0, 0.0, 1.0, GrowDirection::kLeft},
      {"no direction grows down", 0.0, 0.0, 1.0, GrowDirection::kDown},
      {"NaN grows up", kNaN, 1.0, 1.0, GrowDirection::kUp},
      // Diagonals of a square sit exactly on the boundaries; every test is strict.
      {"h = 90 - d", 1.0, -1.0, 1.0, GrowDirection::kRight},
      {"h = 90 + d", 1.0, 1.0, 1.0, GrowDirection::kDown},
      {"h = 270 - d", -1.0, 1.0, 1.0, GrowDirection::kLeft},
      {"h = 270 + d", -1.0, -1.0, 1.0, GrowDirection::kUp},
      {"wide rectangle: 45 degrees is up", 1.0, -1.0, 10.0, GrowDirection::kUp},
      {"tall rectangle: 45 degrees is right", 1.0, -1.0, 0.1, GrowDirection::kRight},
      // Exactly along the diagonal the rounding of each step decides: degrees are formed as
      // angle * 180 / pi, not angle * (180 / pi).
      {"diagonal of W/H -1", 0.1, -1.0, 0.1, GrowDirection::kUp},
      {"diagonal of W/H 0.1", 1.2589254117941673, -1.0, 1.2589254117941673, GrowDirection::kRight},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HeadingGrowDirection(c.dx, c.dy, c.ratio), c.expected) << c.name;
  }
}

TEST(PlacementRules, NeighbourSearch) {
  // Not square, so mixing up width and height shows.
  constexpr std::int32_t kW = 6;
  constexpr std::int32_t kH = 4;
  // The last rectangle's pixels: columns x0..x1, rows y0..y1 (none when x0 > x1).
  struct Extent {
    std::int32_t x0, y0, x1, y1;
  };
  constexpr Extent kNone{0, 0, -1, -1};
  struct Case {
    const char* name;
    Extent last;
    std::int32_t ix, iy;
    AttachSide expected;
  };
  const Case cases[] = {
      {"left", {0, 2, 1, 2}, 2, 2, AttachSide::kLeft},
      {"top before right", {2, 1, 3, 2}, 2, 2, AttachSide::kTop},
      {"right", {3, 2, 3, 2}, 2, 2, AttachSide::kRight},
      {"bottom", {2, 3, 2, 3}, 2, 2, AttachSide::kBottom},
      {"side before corner", {1, 1, 2, 1}, 2, 2, AttachSide::kTop},
      {"upper left corner", {1, 1, 1, 1}, 2, 2, AttachSide::kLeft},
      {"upper right corner", {3, 0, 5, 1}, 2, 2, AttachSide::kTop},
      {"lower right corner", {3, 3, 3, 3}, 2, 2, AttachSide::kRight},
      {"lower left corner", {0, 3, 1, 3}, 2, 2, AttachSide::kBottom},
      {"a rectangle further away is no neighbour", {4, 0, 5, 3}, 2, 2, AttachSide::kNone},
      {"no rectangle yet", kNone, 2, 2, AttachSide::kNone},
      {"first column", kNone, 0, 1, AttachSide::kLeft},
      {"first row", kNone, 2, 0, AttachSide::kTop},
      {"last column", kNone, kW - 1, 1, AttachSide::kRight},
      {"last row", kNone, 2, kH - 1, AttachSide::kBottom},
      {"neighbour before border", {1, 0, 1, 0}, 0, 0, AttachSide::kRight},
      {"last column before last row", kNone, kW - 1, kH - 1, AttachSide::kRight},
  };
  for (const Case& c : cases) {
    const CoverageMap map{kW, kH, 5, c.last.x0, c.last.y0, c.last.x1, c.last.y1};
    EXPECT_EQ(FindAttachSide(c.ix, c.iy, map), c.expected) << c.name;
  }
}

TEST(PlacementRules, SlopeTest) {
  struct Case {
    const char* name;
    GrowDirection grow;
    double dx, dy, ratio;
    bool tangent;
  };
  const Case cases[] = {
      {"flatter than the diagonal", GrowDirection::kRight, 1.0, 0.5, 1.0, true},
      {"along the diagonal", GrowDirection::kLeft, -1.0, 1.0, 1.0, true},
      {"steeper than the diagonal", GrowDirection::kRight, 1.0, -1.0000001, 1.0, false},
      {"wide limit is atan2(1, ratio)", GrowDirection::kRight, 1.0, 0.6, 2.0, false},
      {"tall limit is atan2(ratio, 1)", GrowDirection::kDown, 1.0, 0.6, 2.0, true},
      {"beyond the vertical limit", GrowDirection::kUp, -1.0, 0.4, 2.0, false},
      {"no direction", GrowDirection::kUp, 0.0, 0.0, 1.0, true},
      {"NaN takes the corner", GrowDirection::kRight, kNaN, 0.0, 1.0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FollowsTangent(c.grow, c.dx, c.dy, c.ratio), c.tangent) << c.name;
  }
}

struct CenterCase {
  const char* name;
  GrowDirection grow;  // unused by the corner rule
  std::int32_t ix, iy;
  double dx, dy;
  double x, y;
};

TEST(PlacementRules, TangentCenter) {
  // Half width 6, half height 4.
  const CenterCase cases[] = {
      {"right, heading down-right", GrowDirection::kRight, 10, 20, 1.0, 1.0, 16.0, 26.0},
      {"right, length of (dx, dy) is irrelevant", GrowDirection::kRight, 10, 20, 5.0, 5.0, 16.0,
       26.0},
      {"left, heading down-left", GrowDirection::kLeft, 10, 20, -1.0, 1.0, 4.0, 26.0},
      {"left, heading up-left", GrowDirection::kLeft, 10, 20, -1.0, -1.0, 4.0, 14.0},
      {"down, heading down-right", GrowDirection::kDown, 10, 20, 1.0, 1.0, 14.0, 24.0},
      {"down, heading down-left", GrowDirection::kDown, 10, 20, -1.0, 1.0, 6.0, 24.0},
      {"up, heading up-right", GrowDirection::kUp, 10, 20, 1.0, -1.0, 14.0, 16.0},
      {"up, heading up-left", GrowDirection::kUp, 10, 20, -1.0, -1.0, 6.0, 16.0},
      {"no direction, right", GrowDirection::kRight, 10, 20, 0.0, 0.0, 16.0, 20.0},
      {"no direction, left", GrowDirection::kLeft, 10, 20, 0.0, 0.0, 4.0, 20.0},
      {"no direction, down", GrowDirection::kDown, 10, 20, 0.0, 0.0, 10.0, 24.0},
      {"no direction, up", GrowDirection::kUp, 10, 20, -0.0, 0.0, 10.0, 16.0},
      {"infinite direction", GrowDirection::kRight, 10, 20, kInf, 1.0, 16.0, 20.0},
      {"sum beyond 32 bits", GrowDirection::kRight, kMax - 1, 20, 1.0, 0.0, 2147483652.0, 20.0},
      // The slope term is (unit quotient) * half size, rounded step by step; dy / dx would
      // land exactly on the whole number and truncate one pixel further.
      {"unit quotient, right", GrowDirection::kRight, 10, 20, 5.0, 25.0, 16.0, 49.999999999999993},
      {"unit quotient, left", GrowDirection::kLeft, 10, 20, 5.0, 25.0, 4.0, -9.9999999999999929},
      {"unit quotient, down", GrowDirection::kDown, 10, 20, -25.0, 5.0, -9.9999999999999964, 24.0},
      {"unit quotient, up", GrowDirection::kUp, 10, 20, 7.0, 2.0, -3.9999999999999982, 16.0},
  };
  for (const CenterCase& c : cases) {
    const Center center = TangentCenter(c.grow, c.ix, c.iy, c.dx, c.dy, 6, 4);
    EXPECT_EQ(center.x, c.x) << c.name;
    EXPECT_EQ(center.y, c.y) << c.name;
  }
}

TEST(PlacementRules, CornerCenterFollowsSigns) {
  const CenterCase cases[] = {
      {"down-right", {}, 10, 20, 1.0, 1.0, 16.0, 24.0},
      {"down-left", {}, 10, 20, -1.0, 1.0, 4.0, 24.0},
      {"up-right", {}, 10, 20, 1.0, -1.0, 16.0, 16.0},
      {"up-left", {}, 10, 20, -1.0, -1.0, 4.0, 16.0},
      {"-0 counts as >= 0", {}, 10, 20, -0.0, -0.0, 16.0, 24.0},
      {"NaN counts as >= 0", {}, 10, 20, kNaN, -1.0, 16.0, 16.0},
      {"NaN vertical", {}, 10, 20, -1.0, kNaN, 4.0, 24.0},
  };
  for (const CenterCase& c : cases) {
    const Center center = CornerCenter(c.ix, c.iy, c.dx, c.dy, 6, 4);
    EXPECT_EQ(center.x, c.x) << c.name;
    EXPECT_EQ(center.y, c.y) << c.name;
  }
}

}  // namespace
}  // namespace boxwander
