#pragma once

#include <cstdint>

#include "draw/choices.h"
#include "draw/pixel.h"
#include "geometry/placement.h"

namespace boxwander {

// The fourteen control values as the host stores them at a frame's time: fixed-point
// sliders as 16.16, integer sliders as integers, float sliders as doubles. The defaults are
// the values the parameters are declared with (a test holds them so).
struct ControlValues {
  std::int32_t path_id = 0;
  std::int32_t mode = kModeContinuous;
  std::int32_t time_fixed = 50 << 16;  // percent, 16.16
  std::int32_t max_width = 50;
  std::int32_t min_width_fixed = 10 << 16;  // percent, 16.16
  double wh = 0.0;
  std::int32_t wh_variance_fixed = 0;  // percent, 16.16
  std::int32_t edge_thickness = 1;
  std::int32_t edge_mode = kEdgeModeBrightness;
  double edge_brightness = 1.0;
  Pixel8 edge_color{255, 255, 255, 255};
  std::int32_t invert = 0;
  std::int32_t seed = 0;
  std::int32_t on_original = 0;

  friend bool operator==(const ControlValues&, const ControlValues&) = default;
};

// The render settings of one frame, scaled to the render's horizontal downsampling.
// Field order and types are fixed; the record never leaves the effect.
struct PreRenderData {
  double scale;
  std::int32_t path_id;
  std::int32_t mode;
  double time;                  // 0..1
  std::int32_t max_half_width;  // render pixels
  double min_fraction;
  std::int32_t edge_thickness;  // render pixels
  std::int32_t edge_mode;
  Pixel8 edge_color;
  double edge_brightness;
  std::int32_t invert;
  std::int32_t seed;
  std::int32_t on_original;
  double wh_ratio;  // 10^(W/H)
  double wh_variance;
};

// Fills the record from control values and the horizontal downsample factor num/den.
// pow is the host's (std::pow when null). A factor that is negative or not finite (a zero
// denominator, say) counts as full resolution.
PreRenderData DerivePreRenderData(const ControlValues& controls, std::int32_t downsample_num,
                                  std::uint32_t downsample_den, PowFn pow = nullptr);

// No mask, or Time exactly 0 % or 100 %: the frame is only the copy or the clear.
inline bool NothingToDraw(const PreRenderData& s) noexcept {
  return s.path_id == 0 || s.time == 0.0 || s.time == 1.0;
}

// The walk's settings from the record, computing with math (the host's, or the standard
// functions by default).
inline ChainSettings ChainSettingsOf(const PreRenderData& s, const HostMath& math = {}) noexcept {
  return {s.max_half_width, s.min_fraction, s.wh_ratio, s.wh_variance, math};
}

}  // namespace boxwander
