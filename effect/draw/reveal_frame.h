#pragma once

#include <cstdint>

#include "draw/choices.h"
#include "draw/draw_frame.h"
#include "geometry/rect_list.h"

namespace boxwander {

// What the time reveal reads besides the drawing's inputs: Mode, Time and the chain the
// path walk placed, with its totals.
struct RevealFrame : DrawFrame {
  std::int32_t mode = kModeContinuous;
  double time = 0.0;  // 0..1
  RectList rects;
  std::int32_t rectCount = 0;
  std::int32_t halfWidthTotal = 0;
};

}  // namespace boxwander
