#pragma once

#include <cstdint>

#include "draw/draw_frame.h"
#include "geometry/rect_list.h"

namespace boxwander {

// The drawn extent of one rectangle: columns centerX - left to centerX + right, rows
// centerY - up to centerY + down. Empty when left + right < 0 or up + down < 0.
struct RectSpan {
  std::int32_t centerX = 0;
  std::int32_t centerY = 0;
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t up = 0;
  std::int32_t down = 0;

  friend bool operator==(const RectSpan&, const RectSpan&) = default;
};

inline RectSpan WholeSpan(const RectRecord& r) noexcept {
  return {r.centerX, r.centerY, r.halfWidth, r.halfWidth, r.halfHeight, r.halfHeight};
}

// Colours the span from the input pixel at the record's anchor, with the edge band, and
// blends it over frame.out_pixels. Reads one input pixel, allocates nothing. A record
// whose anchor lies outside the image has no colour and draws nothing.
void DrawRectangle(const DrawFrame& frame, const RectRecord& record, const RectSpan& span);

// The same for a frame whose pixels are known to be P (Pixel8, Pixel16 or PixelFloat),
// for callers that dispatch on the depth once for many rectangles.
template <class P>
void DrawRectangleOf(const DrawFrame& frame, const RectRecord& record, const RectSpan& span);

}  // namespace boxwander
