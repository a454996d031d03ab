#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "geometry/straight_path.h"
#include "render/pre_render_data.h"

namespace boxwander::bench {

inline constexpr std::int32_t kWidth = 1920;
inline constexpr std::int32_t kHeight = 1080;

// An Archimedean spiral around the frame's centre, as a polyline of about `length`
// pixels of arc length.
inline StraightSegmentPath Spiral(double length) {
  std::vector<StraightSegmentPath::Point> points;
  double travelled = 0.0;
  double px = kWidth / 2.0 + 20.0;
  double py = kHeight / 2.0;
  points.push_back({px, py});
  for (double theta = 0.05; travelled < length; theta += 0.05) {
    const double r = 20.0 + 12.0 * theta;
    const double x = kWidth / 2.0 + r * std::cos(theta);
    const double y = kHeight / 2.0 + r * std::sin(theta);
    travelled += std::hypot(x - px, y - py);
    points.push_back({x, y});
    px = x;
    py = y;
  }
  return StraightSegmentPath::Polyline(points, false);
}

inline PreRenderData SceneSettings() {
  ControlValues controls;
  controls.path_id = 1;
  controls.time_fixed = 50 << 16;
  controls.max_width = 40;
  controls.edge_thickness = 2;
  controls.edge_brightness = 1.5;
  controls.on_original = 1;
  return DerivePreRenderData(controls, 1, 1);
}

}  // namespace boxwander::bench
