#pragma once

#include <cstdint>

#include "draw/pixel.h"
#include "geometry/coverage_map.h"
#include "geometry/random_generator.h"
#include "geometry/rect_list.h"
#include "render/pre_render_data.h"

namespace boxwander {

enum class PixelFormat : std::int32_t { k8 = 0, k16 = 1, kFloat = 2 };

inline constexpr std::int32_t BytesPerPixel(PixelFormat f) noexcept {
  return f == PixelFormat::k8 ? 4 : f == PixelFormat::k16 ? 8 : 16;
}

// The values of one render handed from the frame to the walk and the drawing. Buffers are
// borrowed; the walk fills coverage, rects and the totals.
struct RenderFrame {
  const PreRenderData* settings = nullptr;
  PixelFormat format = PixelFormat::k8;
  std::int32_t width = 0;  // the input's; bounds everything, output included
  std::int32_t height = 0;
  std::int32_t in_row_pixels = 0;
  std::int32_t out_row_pixels = 0;
  const void* in_pixels = nullptr;  // Pixel8, Pixel16 or PixelFloat by format
  void* out_pixels = nullptr;
  std::int64_t pixel_count = 0;     // width * height, in 64 bits
  CoverageMap* coverage = nullptr;  // the walk's working memory
  RandomGenerator width_rng;
  RandomGenerator ratio_rng;
  Pixel16 edge_color16{};
  PixelFloat edge_color_float{};
  double edge_gain = 1.0;       // 2^edge_brightness - 1
  std::int32_t edge_inset = 0;  // edge_thickness - 1
  RectList rects;
  std::int32_t rectCount = 0;
  std::int32_t halfWidthTotal = 0;

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
