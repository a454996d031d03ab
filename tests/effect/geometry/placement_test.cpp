#include "geometry/placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace boxwander {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t kW = 20;
constexpr std::int32_t kH = 12;
// Seed 0, M 10, m 0.1: the first draw gives half width 8, and ratio 1 half height 8.
constexpr ChainSettings kSettings{10, 0.1, 1.0, 0.0, {}};

struct Placed {
  RectRecord record;
  WalkState state;
  RandomGenerator width_rng;
  RandomGenerator ratio_rng;
};

// The last rectangle, index 2, covering the one pixel (x, y); none when x < 0.
CoverageMap LastAt(std::int32_t x, std::int32_t y) {
  CoverageMap map;
  map.reset(kW, kH);
  if (x >= 0) {
    map.stamp({x, y, x, y, 0, 0}, 2);
  }
  return map;
}

Placed Place(std::int32_t ix, std::int32_t iy, double dx, double dy, bool first,
             const CoverageMap& map, const ChainSettings& settings = kSettings,
             double ratio = 1.0) {
  Placed p;
  SeedForRender(p.width_rng, 0);
  SeedForRender(p.ratio_rng, 100);
  p.state.firstRect = first;
  p.state.nextIndex = 3;  // the last rectangle is index 2
  p.state.ratio = ratio;
  p.record = PlaceRectangle(ix, iy, dx, dy, p.state, map, p.width_rng, p.ratio_rng, settings);
  return p;
}

TEST(PlaceRectangle, CentreByRule) {
  struct Case {
    const char* name;
    bool first;
    std::int32_t last_x, last_y;  // a pixel of the last rectangle, or -1
    std::int32_t ix, iy;
    double dx, dy;
    RectRecord expected;
  };
  const Case cases[] = {
      {"first, heading right: sample mid left edge",
       true,
       -1,
       -1,
       5,
       6,
       1.0,
       0.0,
       {5, 6, 13, 6, 8, 8}},
      {"first, heading up", true, -1, -1, 5, 6, 0.0, -1.0, {5, 6, 5, -2, 8, 8}},
      {"first, no direction grows down", true, -1, -1, 5, 6, 0.0, 0.0, {5, 6, 5, 14, 8, 8}},
      {"first ignores the map", true, 4, 6, 5, 6, 0.0, -1.0, {5, 6, 5, -2, 8, 8}},
      {"later, running right from the last", false, 4, 6, 5, 6, 1.0, 0.0, {5, 6, 13, 6, 8, 8}},
      {"later, first column grows right", false, -1, -1, 0, 6, 1.0, 0.0, {0, 6, 8, 6, 8, 8}},
      {"later, no neighbour grows up", false, -1, -1, 5, 6, 0.0, -1.0, {5, 6, 5, -2, 8, 8}},
      {"later, no direction grows up on the axis",
       false,
       -1,
       -1,
       5,
       6,
       0.0,
       0.0,
       {5, 6, 5, -2, 8, 8}},
      {"later, steep up-right: corner", false, 4, 6, 5, 6, 1.0, -3.0, {5, 6, 13, -2, 8, 8}},
      {"later, steep down-left: corner", false, 6, 6, 5, 6, -1.0, 3.0, {5, 6, -3, 14, 8, 8}},
      {"later, -0 counts as >= 0", false, 4, 6, 5, 6, -0.0, -1.0, {5, 6, 13, -2, 8, 8}},
      {"later, NaN takes the corner", false, 4, 6, 5, 6, kNaN, kNaN, {5, 6, 13, 14, 8, 8}},
  };
  for (const Case& c : cases) {
    const Placed p = Place(c.ix, c.iy, c.dx, c.dy, c.first, LastAt(c.last_x, c.last_y));
    EXPECT_EQ(p.record, c.expected) << c.name;
    EXPECT_FALSE(p.state.firstRect) << c.name;
  }
}

TEST(PlaceRectangle, RatioIsDrawnOnlyWithVariance) {
  struct Case {
    const char* name;
    double variance;
    double ratio;  // the current ratio after the placement
    std::int32_t half_height;
    bool ratio_drawn;
  };
  // Starting ratio 2.5; R0 1. The first ratio draw of seed 100 is 0.7138795265927911.
  const Case cases[] = {
      {"none keeps the current ratio", 0.0, 2.5, 3, false},
      {"full", 1.0, 2.6776823330300537, 3, true},
      {"half", 0.5, 1.6363625310517391, 5, true},
      {"NaN counts as not 0, and gives no height", kNaN, kNaN, 0, true},
  };
  for (const Case& c : cases) {
    ChainSettings settings = kSettings;
    settings.wh_variance = c.variance;
    const Placed p = Place(5, 6, 1.0, 0.0, true, LastAt(-1, -1), settings, 2.5);
    if (std::isnan(c.ratio)) {
      EXPECT_TRUE(std::isnan(p.state.ratio)) << c.name;
    } else {
      EXPECT_EQ(p.state.ratio, c.ratio) << c.name;
    }
    EXPECT_EQ(p.record.halfWidth, 8) << c.name;
    EXPECT_EQ(p.record.halfHeight, c.half_height) << c.name;

    RandomGenerator width_once;
    RandomGenerator ratio_once;
    SeedForRender(width_once, 0);
    SeedForRender(ratio_once, 100);
    width_once.nextInt();
    if (c.ratio_drawn) {
      ratio_once.nextInt();
    }
    EXPECT_EQ(p.width_rng.state(), width_once.state()) << c.name;
    EXPECT_EQ(p.ratio_rng.state(), ratio_once.state()) << c.name;
  }
}

// The heading rule and the slope test measure the diagonal of the rectangle being placed,
// with the ratio just drawn, not the base ratio: here 2.6776823330300537 against R0 1.
TEST(PlaceRectangle, NewRatioDecidesHeadingAndSlope) {
  struct Case {
    const char* name;
    bool first;
    double dx, dy;
    RectRecord expected;
  };
  const Case cases[] = {
      // 45 degrees is steeper than the wide diagonal: Up (with R0 it would be Right).
      {"first, heading up-right grows up", true, 1.0, -1.0, {5, 6, 8, 3, 8, 3}},
      // atan2(0.6, 1) lies between the two limits: the corner (with R0 the tangent).
      {"later, running right takes the corner", false, 1.0, 0.6, {5, 6, 13, 9, 8, 3}},
  };
  ChainSettings settings = kSettings;
  settings.wh_variance = 1.0;
  for (const Case& c : cases) {
    // The last rectangle lies left of the sample.
    const Placed p = Place(5, 6, c.dx, c.dy, c.first, LastAt(4, 6), settings, settings.wh_ratio);
    EXPECT_EQ(p.record, c.expected) << c.name;
  }
}

// Inside a host the placement computes with the host's pow and hypot: stand-ins with other
// answers than the standard functions change the ratio and the tangent centre.
TEST(PlaceRectangle, ComputesWithTheMathItIsGiven) {
  struct Case {
    const char* name;
    HypotFn hypot;
    RectRecord expected;
  };
  // Ratio 4 from the stand-in pow: half height 2. The last rectangle lies left of the
  // sample; running right and a little down (atan2(0.2, 1) below atan2(1, 4)), the centre
  // follows the tangent: y = 6 + 0.2 * 8.
  const Case cases[] = {
      {"standard hypot", nullptr, {5, 6, 13, 7, 8, 2}},
      {"a hypot of 0 leaves no tangent: the grow axis",
       [](double, double) { return 0.0; },
       {5, 6, 13, 6, 8, 2}},
  };
  for (const Case& c : cases) {
    ChainSettings settings = kSettings;
    settings.wh_variance = 1.0;
    settings.math.pow = [](double, double) { return 4.0; };
    settings.math.hypot = c.hypot;
    const Placed p = Place(5, 6, 1.0, 0.2, false, LastAt(4, 6), settings, settings.wh_ratio);
    EXPECT_EQ(p.state.ratio, 4.0) << c.name;
    EXPECT_EQ(p.record, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace boxwander
