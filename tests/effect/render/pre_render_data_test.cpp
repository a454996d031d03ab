#include "render/pre_render_data.h"

#include <gtest/gtest.h>

#include <cmath>

namespace boxwander {
namespace {

struct SizeCase {
  const char* name;
  std::int32_t num;
  std::uint32_t den;
  std::int32_t max_width;
  std::int32_t edge_thickness;
  std::int32_t expected_max_half_width;
  std::int32_t expected_edge_thickness;
};

TEST(DerivePreRenderData, ScalesSizesToTheRender) {
  const SizeCase cases[] = {
      {"full 50", 1, 1, 50, 1, 25, 1},
      {"full 51 rounds half up", 1, 1, 51, 1, 26, 1},
      {"full 2", 1, 1, 2, 1, 1, 1},
      {"full 5000", 1, 1, 5000, 100, 2500, 100},
      {"half 50 thickness 10", 1, 2, 50, 10, 13, 5},
      {"half thickness 1 raised to 1", 1, 2, 50, 1, 13, 1},
      {"quarter 2 raised to 1, thickness 3", 1, 4, 2, 3, 1, 1},
      {"2/4 is a half", 2, 4, 50, 10, 13, 5},
      {"non-positive sizes stored as set", 1, 2, 0, -3, 0, -3},
      // A zero denominator or a negative factor is taken as full resolution.
      {"zero denominator", 1, 0, 50, 10, 25, 10},
      {"negative factor", -1, 2, 50, 10, 25, 10},
      {"zero factor raises both sizes to 1", 0, 2, 50, 10, 1, 1},
  };
  for (const SizeCase& c : cases) {
    ControlValues controls;
    controls.max_width = c.max_width;
    controls.edge_thickness = c.edge_thickness;
    const PreRenderData d = DerivePreRenderData(controls, c.num, c.den);
    EXPECT_EQ(d.max_half_width, c.expected_max_half_width) << c.name;
    EXPECT_EQ(d.edge_thickness, c.expected_edge_thickness) << c.name;
  }
}

TEST(DerivePreRenderData, TurnsPercentagesAndSliderIntoFractionsAndRatio) {
  ControlValues controls;
  controls.time_fixed = 0;
  EXPECT_EQ(DerivePreRenderData(controls, 1, 1).time, 0.0);
  controls.time_fixed = 100 << 16;
  EXPECT_EQ(DerivePreRenderData(controls, 1, 1).time, 1.0);
  controls.time_fixed = 50 << 16;
  EXPECT_EQ(DerivePreRenderData(controls, 1, 1).time, 0.5);

  const struct {
    double wh;
    double ratio;
  } ratios[] = {{1.0, 10.0}, {-1.0, 0.1}, {0.0, 1.0}};
  for (const auto& r : ratios) {
    controls.wh = r.wh;
    EXPECT_EQ(DerivePreRenderData(controls, 1, 1).wh_ratio, std::pow(10.0, r.wh)) << r.wh;
    EXPECT_DOUBLE_EQ(DerivePreRenderData(controls, 1, 1).wh_ratio, r.ratio) << r.wh;
  }

  controls.min_width_fixed = 10 << 16;
  controls.wh_variance_fixed = 25 << 16;
  const PreRenderData d = DerivePreRenderData(controls, 1, 2);
  EXPECT_EQ(d.min_fraction, 10.0 * 0.01);
  EXPECT_EQ(d.wh_variance, 0.25);
  EXPECT_EQ(d.scale, 0.5);
}

TEST(DerivePreRenderData, CopiesChoicesFlagsAndColourAndUsesTheGivenPow) {
  ControlValues controls;
  controls.path_id = 7;
  controls.mode = kModeDiscrete2;
  controls.edge_mode = kEdgeModeColor;
  controls.edge_color = Pixel8{10, 20, 30, 40};
  controls.edge_brightness = 2.5;
  controls.invert = 1;
  controls.seed = 50000;
  controls.on_original = 1;
  controls.wh = 0.5;
  const PreRenderData d = DerivePreRenderData(controls, 1, 1, [](double, double) { return 42.0; });
  EXPECT_EQ(d.path_id, 7);
  EXPECT_EQ(d.mode, kModeDiscrete2);
  EXPECT_EQ(d.edge_mode, kEdgeModeColor);
  EXPECT_EQ(d.edge_color, (Pixel8{10, 20, 30, 40}));
  EXPECT_EQ(d.edge_brightness, 2.5);
  EXPECT_EQ(d.invert, 1);
  EXPECT_EQ(d.seed, 50000);
  EXPECT_EQ(d.on_original, 1);
  EXPECT_EQ(d.wh_ratio, 42.0);
}

}  // namespace
}  // namespace boxwander
