#pragma once

#include <cstdint>

#include "draw/pixel.h"

namespace boxwander {

namespace blend_detail {

// The integer depths differ only in the destination's weight unit and shift.
template <class P>
struct IntegerBlend;
template <>
struct IntegerBlend<Pixel8> {
  static constexpr std::uint32_t kUnit = 256;
  static constexpr int kShift = 8;
};
template <>
struct IntegerBlend<Pixel16> {
  static constexpr std::uint32_t kUnit = 32768;
  static constexpr int kShift = 15;
};

}  // namespace blend_detail

// Source over destination: colour is the alpha-weighted mean, alpha the sum of weights.
// 8 and 16 bits stay in integers, float in single precision. Defined here so that pixel
// loops inline it.
template <class P>
inline P BlendOver(P destination, P source) noexcept {
  using Channel = typename PixelTraits<P>::Channel;
  using B = blend_detail::IntegerBlend<P>;
  // 32 bits suffice even for 16-bit channels up to 65535: with d below 2 * (unit - s),
  // source * s + destination * d stays under 65535 * 65536.
  using Wide = std::uint32_t;
  constexpr Wide kFull = PixelTraits<P>::kFull;

  if (destination.alpha == 0 || source.alpha == kFull) {
    return source;
  }
  if (source.alpha == 0) {
    return destination;
  }
  const Wide s = source.alpha;
  // d = ((unit - s) * destination alpha) >> shift. A source alpha beyond full scale
  // leaves the destination no weight instead of wrapping around.
  const Wide d = s >= B::kUnit ? 0 : ((B::kUnit - s) * destination.alpha) >> B::kShift;
  const Wide a = s + d < kFull ? s + d : kFull;
  // channel = (source * s + destination * d) / a, at most full scale.
  const auto mix = [&](Channel src, Channel dst) {
    const Wide c = (src * s + dst * d) / a;
    return static_cast<Channel>(c < kFull ? c : kFull);
  };
  return {static_cast<Channel>(a), mix(source.red, destination.red),
          mix(source.green, destination.green), mix(source.blue, destination.blue)};
}

template <>
inline PixelFloat BlendOver(PixelFloat destination, PixelFloat source) noexcept {
  if (destination.alpha == 0.0f || source.alpha == 1.0f) {
    return source;
  }
  if (source.alpha == 0.0f) {
    return destination;
  }
  const float s = source.alpha;
  const float d = (1.0f - s) * destination.alpha;
  float a = s + d;
  if (a > 1.0f) {
    a = 1.0f;
  }
  if (a <= 0.0f) {
    return {0.0f, 0.0f, 0.0f, 0.0f};
  }
  // channel = (source * s + destination * d) / a, unclamped: float keeps over-range colour.
  const auto mix = [&](float src, float dst) { return (src * s + dst * d) / a; };
  return {a, mix(source.red, destination.red), mix(source.green, destination.green),
          mix(source.blue, destination.blue)};
}

}  // namespace boxwander
