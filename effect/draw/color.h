#pragma once

#include "draw/pixel.h"

namespace boxwander {

// alpha in the pixel's own scale; hue in degrees [0, 360); saturation 0..255; value
// 0..255 (above 255 for float pixels brighter than 1.0).
struct HsvColor {
  double alpha, hue, saturation, value;
};

HsvColor RgbToHsv8(Pixel8 pixel) noexcept;
HsvColor RgbToHsv16(Pixel16 pixel) noexcept;
HsvColor RgbToHsvFloat(PixelFloat pixel) noexcept;
Pixel8 HsvToRgb8(const HsvColor& hsv) noexcept;
Pixel16 HsvToRgb16(const HsvColor& hsv) noexcept;
PixelFloat HsvToRgbFloat(const HsvColor& hsv) noexcept;

// Depth-generic spellings of the above, for templated callers.
template <class P>
HsvColor RgbToHsv(P pixel) noexcept;
template <class P>
P HsvToRgb(const HsvColor& hsv) noexcept;

// c16 = (c * 32768 + 128) / 255, per channel, alpha included.
Pixel16 Color8To16(Pixel8 color) noexcept;
// c / 255 in double, rounded to float.
PixelFloat Color8ToFloat(Pixel8 color) noexcept;

}  // namespace boxwander
