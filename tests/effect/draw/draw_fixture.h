#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <vector>

#include "draw/color.h"
#include "draw/pixel.h"
#include "draw/rasterize.h"
#include "draw/reveal_frame.h"

namespace boxwander {

inline void PrintTo(const Pixel8& p, std::ostream* os) {
  *os << "{" << int{p.alpha} << ", " << int{p.red} << ", " << int{p.green} << ", " << int{p.blue}
      << "}";
}
inline void PrintTo(const Pixel16& p, std::ostream* os) {
  *os << "{" << p.alpha << ", " << p.red << ", " << p.green << ", " << p.blue << "}";
}
inline void PrintTo(const PixelFloat& p, std::ostream* os) {
  *os << "{" << p.alpha << ", " << p.red << ", " << p.green << ", " << p.blue << "}";
}

inline void PrintTo(const RectSpan& s, std::ostream* os) {
  *os << "{" << s.centerX << ", " << s.centerY << ", " << s.left << ", " << s.right << ", " << s.up
      << ", " << s.down << "}";
}

// A small picture; rows may be longer than the width, as host worlds' rows may be.
template <class P>
struct Image {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t rowPixels = 0;
  std::vector<P> pixels;

  Image(std::int32_t w, std::int32_t h, P fill = {}, std::int32_t row = 0)
      : width(w),
        height(h),
        rowPixels(row > 0 ? row : w),
        pixels(static_cast<std::size_t>(std::int64_t{rowPixels} * h), fill) {}

  P& at(std::int32_t x, std::int32_t y) {
    return pixels[static_cast<std::size_t>(std::int64_t{y} * rowPixels + x)];
  }
  const P& at(std::int32_t x, std::int32_t y) const {
    return pixels[static_cast<std::size_t>(std::int64_t{y} * rowPixels + x)];
  }
};

// Bit for bit, padding included; names the first differing pixel.
template <class P>
::testing::AssertionResult SameImage(const Image<P>& actual, const Image<P>& expected) {
  for (std::int32_t y = 0; y < expected.height; ++y) {
    for (std::int32_t x = 0; x < expected.rowPixels; ++x) {
      const P& a = actual.at(x, y);
      const P& e = expected.at(x, y);
      if (std::memcmp(&a, &e, sizeof(P)) != 0) {
        return ::testing::AssertionFailure()
               << "first difference at (" << x << ", " << y << "): actual "
               << ::testing::PrintToString(a) << ", expected " << ::testing::PrintToString(e);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// The render settings the drawing and the reveal depend on, in render pixels.
struct DrawLook {
  std::int32_t mode = kModeContinuous;
  double time = 0.5;
  std::int32_t edge_thickness = 1;
  std::int32_t edge_mode = kEdgeModeBrightness;
  Pixel8 edge_color{255, 255, 255, 255};
  double edge_brightness = 1.0;
  std::int32_t invert = 0;
};

// The control defaults: Brightness, gain 1, thickness 1.
inline DrawLook DrawSettings() {
  return {};
}

// Points the frame at the two images and takes the reveal's and the drawing's inputs from
// settings, working out the drawing values.
template <class P>
void AttachImages(RevealFrame& frame, const DrawLook& settings, const Image<P>& input,
                  Image<P>& output) {
  frame.format = kFormatOf<P>;
  frame.width = input.width;
  frame.height = input.height;
  frame.in_row_pixels = input.rowPixels;
  frame.out_row_pixels = output.rowPixels;
  frame.in_pixels = input.pixels.data();
  frame.out_pixels = output.pixels.data();
  frame.mode = settings.mode;
  frame.time = settings.time;
  frame.edge_mode = settings.edge_mode;
  frame.edge_color = settings.edge_color;
  frame.invert = settings.invert;
  frame.edge_color16 = Color8To16(settings.edge_color);
  frame.edge_color_float = Color8ToFloat(settings.edge_color);
  frame.edge_gain = std::pow(2.0, settings.edge_brightness) - 1.0;
  frame.edge_inset = settings.edge_thickness - 1;
}

}  // namespace boxwander
