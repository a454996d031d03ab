#include "draw/color.h"

#include <cstdint>
#include <limits>

#include "common/truncate.h"

namespace boxwander {
namespace {

// x truncated toward zero, of which the low bits of the channel type are kept. Wraps
// (it does not clamp) below zero; defined for every double through TruncateToInt32.
template <class T>
T LowBits(double x) noexcept {
  return static_cast<T>(static_cast<std::uint32_t>(TruncateToInt32(x)));
}

// Nearest float. Finite doubles beyond the float range become infinities, as rounding to
// nearest does, instead of the undefined out-of-range cast.
float RoundToFloat(double x) noexcept {
  constexpr double kOverflow = 0x1.ffffffp127;  // halfway between FLT_MAX and 2^128
  if (x >= kOverflow) {
    return std::numeric_limits<float>::infinity();
  }
  if (x <= -kOverflow) {
    return -std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(x);
}

// How each depth meets the 0..255 scale of the HSV arithmetic.
template <class P>
struct HsvScale;

template <>
struct HsvScale<Pixel8> {
  static double ToScale(std::uint8_t c) noexcept { return c; }
  static double FromScale(double x) noexcept { return x; }
  static std::uint8_t Store(double x) noexcept {
    return x > 255.0 ? 255 : LowBits<std::uint8_t>(x);
  }
  static std::uint8_t StoreAlpha(double a) noexcept { return LowBits<std::uint8_t>(a); }
};

template <>
struct HsvScale<Pixel16> {
  static double ToScale(std::uint16_t c) noexcept { return c / 32768.0 * 255.0; }
  static double FromScale(double x) noexcept { return x / 255.0 * 32768.0; }
  static std::uint16_t Store(double x) noexcept {
    return x > 32768.0 ? 32768 : LowBits<std::uint16_t>(x);
  }
  static std::uint16_t StoreAlpha(double a) noexcept { return LowBits<std::uint16_t>(a); }
};

template <>
struct HsvScale<PixelFloat> {
  static double ToScale(float c) noexcept { return static_cast<double>(c) * 255.0; }
  static double FromScale(double x) noexcept { return x / 255.0; }
  static float Store(double x) noexcept { return x > 1.0 ? 1.0f : RoundToFloat(x); }
  static float StoreAlpha(double a) noexcept { return RoundToFloat(a); }
};

}  // namespace

template <class P>
HsvColor RgbToHsv(P pixel) noexcept {
  using S = HsvScale<P>;
  const double r = S::ToScale(pixel.red);
  const double g = S::ToScale(pixel.green);
  const double b = S::ToScale(pixel.blue);
  const double m = b < g ? g : b;
  const double max = m < r ? r : m;
  const double n = b > g ? g : b;
  const double min = n > r ? r : n;

  HsvColor hsv{static_cast<double>(pixel.alpha), 0.0, 0.0, max};
  if (min != max) {
    const double range = max - min;
    if (r == max) {
      hsv.hue = (g - b) * 60.0 / range;
    } else if (g == max) {
      hsv.hue = ((b - r) / range + 2.0) * 60.0;
    } else {
      hsv.hue = ((r - g) / range + 4.0) * 60.0;
    }
    if (hsv.hue < 0.0) {
      hsv.hue += 360.0;
    }
    hsv.saturation = range * 255.0 / max;
  }
  return hsv;
}

template <class P>
P HsvToRgb(const HsvColor& hsv) noexcept {
  using S = HsvScale<P>;
  P out{};
  out.alpha = S::StoreAlpha(hsv.alpha);
  if (hsv.saturation == 0.0) {
    const auto grey = S::Store(S::FromScale(hsv.value));
    out.red = out.green = out.blue = grey;
    return out;
  }
  const std::int32_t sector = TruncateToInt32(hsv.hue) / 60 % 6;
  const double f = hsv.hue / 60.0 - sector;
  const double s = hsv.saturation / 255.0;
  const double p = S::FromScale((1.0 - s) * hsv.value);
  const double q = S::FromScale((1.0 - s * f) * hsv.value);
  const double t = S::FromScale((1.0 - s * (1.0 - f)) * hsv.value);
  const double v = S::FromScale(hsv.value);

  // A negative hue (RgbToHsv never makes one) picks its sector modulo 6 like any other.
  double r = v, g = p, b = q;  // sector 5
  switch (sector < 0 ? sector + 6 : sector) {
    case 0:
      r = v, g = t, b = p;
      break;
    case 1:
      r = q, g = v, b = p;
      break;
    case 2:
      r = p, g = v, b = t;
      break;
    case 3:
      r = p, g = q, b = v;
      break;
    case 4:
      r = t, g = p, b = v;
      break;
    default:
      break;
  }
  out.red = S::Store(r);
  out.green = S::Store(g);
  out.blue = S::Store(b);
  return out;
}

template HsvColor RgbToHsv<Pixel8>(Pixel8) noexcept;
template HsvColor RgbToHsv<Pixel16>(Pixel16) noexcept;
template HsvColor RgbToHsv<PixelFloat>(PixelFloat) noexcept;
template Pixel8 HsvToRgb<Pixel8>(const HsvColor&) noexcept;
template Pixel16 HsvToRgb<Pixel16>(const HsvColor&) noexcept;
template PixelFloat HsvToRgb<PixelFloat>(const HsvColor&) noexcept;

Pixel16 Color8To16(Pixel8 color) noexcept {
  const auto widen = [](std::uint8_t c) {
    return static_cast<std::uint16_t>((std::uint32_t{c} * 32768u + 128u) / 255u);
  };
  return {widen(color.alpha), widen(color.red), widen(color.green), widen(color.blue)};
}

PixelFloat Color8ToFloat(Pixel8 color) noexcept {
  const auto scale = [](std::uint8_t c) { return static_cast<float>(c / 255.0); };
  return {scale(color.alpha), scale(color.red), scale(color.green), scale(color.blue)};
}

}  // namespace boxwander
