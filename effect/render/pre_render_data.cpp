#include "render/pre_render_data.h"

#include <cmath>
#include <cstring>

#include "common/host_math.h"
#include "common/truncate.h"

namespace boxwander {
namespace {

// 16.16 fixed percent -> fraction: divided by 65536, then times 0.01.
double FixedPercentToFraction(std::int32_t fixed) {
  return fixed / 65536.0 * 0.01;
}

// A size in layer pixels -> render pixels, never below 1. Non-positive values stay as set.
std::int32_t ScaleSize(std::int32_t value, double scaled) {
  if (value <= 0) {
    return value;
  }
  const std::int32_t size = TruncateToInt32(scaled);
  return size == 0 ? 1 : size;
}

}  // namespace

PreRenderData DerivePreRenderData(const ControlValues& controls, std::int32_t downsample_num,
                                  std::uint32_t downsample_den, PowFn pow) {
  PreRenderData data;
  std::memset(&data, 0, sizeof data);

  data.scale = static_cast<double>(downsample_num) / static_cast<double>(downsample_den);
  // A zero denominator or a negative factor would turn every size into nonsense
  // (saturated, negative); such a factor is taken as full resolution.
  if (!std::isfinite(data.scale) || data.scale < 0.0) {
    data.scale = 1.0;
  }
  const double v_max = controls.max_width;
  const double v_edge = controls.edge_thickness;

  data.path_id = controls.path_id;
  data.mode = controls.mode;
  data.time = FixedPercentToFraction(controls.time_fixed);
  data.max_half_width = ScaleSize(controls.max_width, v_max * data.scale * 0.5 + 0.5);
  data.min_fraction = FixedPercentToFraction(controls.min_width_fixed);
  data.edge_thickness = ScaleSize(controls.edge_thickness, v_edge * data.scale);
  data.edge_mode = controls.edge_mode;
  data.edge_color = controls.edge_color;
  data.edge_brightness = controls.edge_brightness;
  data.invert = controls.invert;
  data.seed = controls.seed;
  data.on_original = controls.on_original;
  data.wh_ratio = HostMath{pow, nullptr}.Pow(10.0, controls.wh);
  data.wh_variance = FixedPercentToFraction(controls.wh_variance_fixed);
  return data;
}

}  // namespace boxwander
