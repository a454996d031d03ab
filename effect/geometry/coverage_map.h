#pragma once

#include <algorithm>
#include <cstdint>

#include "geometry/rect_list.h"

namespace boxwander {

// Which input pixels carry the last placed rectangle's index. The walk only ever asks
// whether a pixel carries the last index: every later stamp overwrites a rectangle's
// pixels, so the last rectangle's pixels are exactly its extent clipped to the image, and
// older indices are never consulted. The map is that clipped extent, a few words whatever
// the image or rectangle size. Trivially copyable, so it can live in host handle memory.
struct CoverageMap {
  std::int32_t width = 0;  // the input's size; stamps are clipped to it
  std::int32_t height = 0;
  std::int32_t index = 0;  // the last stamped index, 0 before the first stamp
  // The last rectangle's pixels inside the image, inclusive; empty while left > right.
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = -1;
  std::int32_t bottom = -1;

  // No rectangle stamped: no pixel carries an index.
  void reset(std::int32_t w, std::int32_t h) noexcept { *this = CoverageMap{w, h}; }

  // The rectangle's pixels inside the image now carry stamp_index. Clipped in 64 bits:
  // centre plus half size can leave the 32-bit range.
  void stamp(const RectRecord& r, std::int32_t stamp_index) noexcept {
    index = stamp_index;
    const std::int64_t x0 = std::max<std::int64_t>(std::int64_t{r.centerX} - r.halfWidth, 0);
    const std::int64_t x1 =
        std::min<std::int64_t>(std::int64_t{r.centerX} + r.halfWidth, width - 1);
    const std::int64_t y0 = std::max<std::int64_t>(std::int64_t{r.centerY} - r.halfHeight, 0);
    const std::int64_t y1 =
        std::min<std::int64_t>(std::int64_t{r.centerY} + r.halfHeight, height - 1);
    if (x0 > x1 || y0 > y1) {
      left = top = 0;
      right = bottom = -1;
      return;
    }
    left = static_cast<std::int32_t>(x0);
    right = static_cast<std::int32_t>(x1);
    top = static_cast<std::int32_t>(y0);
    bottom = static_cast<std::int32_t>(y1);
  }

  // The pixel carries the last stamped index (false before any stamp).
  bool holdsLast(std::int32_t x, std::int32_t y) const noexcept {
    return x >= left && x <= right && y >= top && y <= bottom;
  }

  friend bool operator==(const CoverageMap&, const CoverageMap&) = default;
};

}  // namespace boxwander
