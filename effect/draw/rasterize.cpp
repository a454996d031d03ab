#include "draw/rasterize.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "draw/blend_run.h"
#include "draw/color.h"
#include "draw/pixel.h"

namespace boxwander {
namespace {

// The Edge Color in the frame's depth.
template <class P>
P EdgeColorOf(const DrawFrame& frame) noexcept;
template <>
Pixel8 EdgeColorOf<Pixel8>(const DrawFrame& frame) noexcept {
  return frame.edge_color;
}
template <>
Pixel16 EdgeColorOf<Pixel16>(const DrawFrame& frame) noexcept {
  return frame.edge_color16;
}
template <>
PixelFloat EdgeColorOf<PixelFloat>(const DrawFrame& frame) noexcept {
  return frame.edge_color_float;
}

template <class P>
struct RectColors {
  P fill;
  P edge;
};

// Worked out once per rectangle: the HSV round trip is far too slow for every pixel.
template <class P>
RectColors<P> ColorsFor(const DrawFrame& frame, P sample) noexcept {
  RectColors<P> colors{sample, sample};
  if (frame.edge_mode == kEdgeModeBrightness) {
    // At gain 1 the band is the fill bit for bit, without the round trip's truncations.
    if (frame.edge_gain != 1.0) {
      HsvColor hsv = RgbToHsv(sample);
      hsv.value *= frame.edge_gain;
      if (hsv.value > 255.0) {
        hsv.value = 255.0;
      }
      colors.edge = HsvToRgb<P>(hsv);
    }
  } else {
    // The Edge Color's own alpha is never used: the band is as opaque as the sample.
    colors.edge = EdgeColorOf<P>(frame);
    colors.edge.alpha = sample.alpha;
  }
  if (frame.invert != 0) {
    std::swap(colors.fill, colors.edge);
  }
  return colors;
}

}  // namespace

template <class P>
void DrawRectangleOf(const DrawFrame& frame, const RectRecord& record, const RectSpan& span) {
  if (frame.in_pixels == nullptr || frame.out_pixels == nullptr) {
    return;
  }
  if (record.anchorX < 0 || record.anchorX >= frame.width || record.anchorY < 0 ||
      record.anchorY >= frame.height) {
    return;
  }
  // The span's sides, inclusive, in 64 bits: centre plus extent can leave the int32 range.
  const std::int64_t left = std::int64_t{span.centerX} - span.left;
  const std::int64_t right = std::int64_t{span.centerX} + span.right;
  const std::int64_t top = std::int64_t{span.centerY} - span.up;
  const std::int64_t bottom = std::int64_t{span.centerY} + span.down;

  // Clip first: only the visible columns and rows are visited.
  const std::int64_t x0 = std::max<std::int64_t>(left, 0);
  const std::int64_t x1 = std::min<std::int64_t>(right, std::int64_t{frame.width} - 1);
  const std::int64_t y0 = std::max<std::int64_t>(top, 0);
  const std::int64_t y1 = std::min<std::int64_t>(bottom, std::int64_t{frame.height} - 1);
  if (x0 > x1 || y0 > y1) {
    return;
  }

  const P sample =
      frame.in<P>()[std::int64_t{record.anchorY} * frame.in_row_pixels + record.anchorX];
  const RectColors<P> colors = ColorsFor(frame, sample);

  // A pixel is inner when it lies more than edge_inset pixels inside all four sides; the
  // band is measured from the span's sides, not from the clipped ones.
  const std::int64_t e = frame.edge_inset;
  const std::int64_t innerX0 = std::max(x0, left + e + 1);
  const std::int64_t innerX1 = std::min(x1, right - e - 1);
  const std::int64_t innerY0 = top + e + 1;
  const std::int64_t innerY1 = bottom - e - 1;

  const RunColor<P> edge(colors.edge);
  const RunColor<P> fill(colors.fill);
  OpaqueRow<P> opaque;
  const bool copyRows = opaque.layOut(edge, fill, x0, innerX0, innerX1, x1);
  P* const out = frame.out<P>();
  for (std::int64_t y = y0; y <= y1; ++y) {
    P* const row = out + static_cast<std::ptrdiff_t>(y * frame.out_row_pixels);
    if (y < innerY0 || y > innerY1 || innerX0 > innerX1) {
      BlendRun(row, x0, x1, edge);
    } else if (copyRows) {
      opaque.copyTo(row, x0);
    } else {
      BlendRun(row, x0, innerX0 - 1, edge);
      BlendRun(row, innerX0, innerX1, fill);
      BlendRun(row, innerX1 + 1, x1, edge);
    }
  }
}

template void DrawRectangleOf<Pixel8>(const DrawFrame&, const RectRecord&, const RectSpan&);
template void DrawRectangleOf<Pixel16>(const DrawFrame&, const RectRecord&, const RectSpan&);
template void DrawRectangleOf<PixelFloat>(const DrawFrame&, const RectRecord&, const RectSpan&);

void DrawRectangle(const DrawFrame& frame, const RectRecord& record, const RectSpan& span) {
  VisitFormat(frame.format, [&]<class P>(PixelTag<P>) { DrawRectangleOf<P>(frame, record, span); });
}

}  // namespace boxwander
