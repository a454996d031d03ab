#pragma once

#include <cstdint>

#include "draw/choices.h"
#include "draw/pixel.h"

namespace boxwander {

// What drawing a rectangle reads: the two images of one render and the look of its
// rectangles. Buffers are borrowed.
struct DrawFrame {
  PixelFormat format = PixelFormat::k8;
  std::int32_t width = 0;  // the input's; bounds everything, output included
  std::int32_t height = 0;
  std::int32_t in_row_pixels = 0;
  std::int32_t out_row_pixels = 0;
  const void* in_pixels = nullptr;  // Pixel8, Pixel16 or PixelFloat by format
  void* out_pixels = nullptr;
  std::int32_t edge_mode = kEdgeModeBrightness;
  // The Edge Color in each depth; its own alpha is never drawn.
  Pixel8 edge_color{};
  Pixel16 edge_color16{};
  PixelFloat edge_color_float{};
  double edge_gain = 1.0;       // 2^edge_brightness - 1
  std::int32_t edge_inset = 0;  // edge_thickness - 1
  std::int32_t invert = 0;

  template <class P>
  const P* in() const noexcept {
    return static_cast<const P*>(in_pixels);
  }
  template <class P>
  P* out() const noexcept {
    return static_cast<P*>(out_pixels);
  }
};

}  // namespace boxwander
