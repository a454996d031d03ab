#pragma once

#include <cstdint>

#include "common/host_math.h"
#include "geometry/coverage_map.h"
#include "geometry/random_generator.h"
#include "geometry/rect_list.h"

namespace boxwander {

// The four render settings that shape the chain (see PreRenderData), and the math the
// placement computes with.
struct ChainSettings {
  std::int32_t max_half_width = 1;  // M, render pixels, at least 1
  double min_fraction = 0.0;        // m, 0..1
  double wh_ratio = 1.0;            // R0 = 10^(W/H)
  double wh_variance = 0.0;         // v, 0..1
  HostMath math;                    // pow and hypot
};

// What a walk carries from one placement to the next.
struct WalkState {
  std::int32_t nextIndex = 2;  // index of the next rectangle; the last one is nextIndex - 1
  bool firstRect = true;
  double ratio = 1.0;  // current width-to-height ratio
};

// Places the rectangle for the sample (ix, iy), which lies inside the map, heading
// (dx, dy). Draws from the generators, may replace state.ratio, clears state.firstRect.
// A direction whose length is 0 or not finite has no tangent: where the tangent rule
// applies, the centre then lies on the grow axis through the sample, one half size away
// (a first rectangle heading (0, 0) grows Down).
RectRecord PlaceRectangle(std::int32_t ix, std::int32_t iy, double dx, double dy, WalkState& state,
                          const CoverageMap& coverage, RandomGenerator& width_rng,
                          RandomGenerator& ratio_rng, const ChainSettings& settings);

}  // namespace boxwander
