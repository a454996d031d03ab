#pragma once

#include "draw/pixel.h"

namespace boxwander {

// alpha in the pixel's own scale; hue in degrees [0, 360); saturation 0..255; value
// 0..255 (above 255 for float pixels brighter than 1.0).
struct HsvColor {
  double alpha, hue, saturation, value;
};

// Between a pixel of any depth and HSV; defined for Pixel8, Pixel16 and PixelFloat.
template <class P>
HsvColor RgbToHsv(P pixel) noexcept;
template <class P>
P HsvToRgb(const HsvColor& hsv) noexcept;

// c16 = (c * 32768 + 128) / 255, per channel, alpha included: the pictures are fixed to this
// rule. It is not rounding to nearest: 254 gives 32640 where 32639.498 is exact, and a host
// that rounds to nearest (the minihost's fill does) differs there alone.
Pixel16 Color8To16(Pixel8 color) noexcept;
// c / 255 in double, rounded to float.
PixelFloat Color8ToFloat(Pixel8 color) noexcept;

}  // namespace boxwander
