#pragma once

#include <cstdint>
#include <functional>

#include "common/error_code.h"
#include "draw/rasterize.h"
#include "draw/reveal_frame.h"
#include "geometry/rect_list.h"

namespace boxwander {

// Progress report after each counted rectangle: (done, total) -> 0 to go on; anything
// else is the render's result, and no further report is made (drawing goes on).
using ProgressFn = std::function<ErrorCode(std::int32_t done, std::int32_t total)>;

// Scales a record's sides about (anchorX, anchorY) by ratio.
RectSpan ShrinkSpan(const RectRecord& record, std::int32_t anchorX, std::int32_t anchorY,
                    double ratio) noexcept;

// Draws the part of frame.rects that frame.time and frame.mode leave visible.
// Returns 0 or the first non-zero progress result. progress may be empty.
ErrorCode RevealWalk(const RevealFrame& frame, const ProgressFn& progress);

}  // namespace boxwander
