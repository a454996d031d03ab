#pragma once

#include <vector>

#include "draw/pixel.h"
#include "geometry/rect_list.h"
#include "render/render_core.h"

namespace boxwander::bench {

// The peer: cairo copies the 8-bit input into an image surface over the output's memory
// and fills each rectangle with its anchor's colour, CAIRO_OPERATOR_OVER, no antialiasing.
void CairoCopyAndFill(const ImageView& input, const ImageView& output,
                      const std::vector<RectRecord>& rects);

}  // namespace boxwander::bench
