#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "geometry/straight_path.h"
#include "render/pre_render_data.h"

namespace boxwander::bench {

// An Archimedean spiral around the centre of a width x height frame, as a polyline of about
// `length` pixels of arc length.
inline StraightSegmentPath Spiral(std::int32_t width, std::int32_t height, double length) {
  std::vector<StraightSegmentPath::Point> points;
  double travelled = 0.0;
  double px = width / 2.0 + 20.0;
  double py = height / 2.0;
  points.push_back({px, py});
  for (double theta = 0.05; travelled < length; theta += 0.05) {
    const double r = 20.0 + 12.0 * theta;
    const double x = width / 2.0 + r * std::cos(theta);
    const double y = height / 2.0 + r * std::sin(theta);
    travelled += std::hypot(x - px, y - py);
    points.push_back({x, y});
    px = x;
    py = y;
  }
  return StraightSegmentPath::Polyline(points, false);
}

// Rows `spacing` apart, run left and right in turn, so that a chain of rectangles about as
// tall as the spacing covers the frame.
inline StraightSegmentPath Zigzag(std::int32_t width, std::int32_t height, double spacing) {
  std::vector<StraightSegmentPath::Point> points;
  bool rightward = true;
  for (double y = spacing / 2.0; y < height; y += spacing) {
    points.push_back({rightward ? 0.0 : width - 1.0, y});
    points.push_back({rightward ? width - 1.0 : 0.0, y + spacing / 4.0});
    rightward = !rightward;
  }
  return StraightSegmentPath::Polyline(points, false);
}

// Time 50 % (the whole chain stands), On Original, edge thickness 3.
inline ControlValues SceneControls(std::int32_t max_width) {
  ControlValues controls;
  controls.path_id = 1;
  controls.time_fixed = 50 << 16;
  controls.max_width = max_width;
  controls.edge_thickness = 3;
  controls.edge_brightness = 1.5;
  controls.on_original = 1;
  return controls;
}

inline PreRenderData SceneSettings(std::int32_t max_width) {
  return DerivePreRenderData(SceneControls(max_width), 1, 1);
}

}  // namespace boxwander::bench
