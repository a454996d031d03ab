#pragma once

#include <cstdint>

#include "common/host_math.h"
#include "draw/reveal_frame.h"
#include "geometry/coverage_map.h"
#include "geometry/random_generator.h"
#include "render/pre_render_data.h"

namespace boxwander {

// The values of one render handed from the frame to the walk and the drawing: the
// reveal's and the drawing's inputs, which PrepareFrame takes from settings, and the
// walk's working state. Buffers are borrowed; the walk fills coverage, rects and the
// totals.
struct RenderFrame : RevealFrame {
  const PreRenderData* settings = nullptr;
  std::int64_t pixel_count = 0;     // width * height, in 64 bits
  CoverageMap* coverage = nullptr;  // the walk's working memory
  RandomGenerator width_rng;
  RandomGenerator ratio_rng;
  HostMath math;  // the host's pow and hypot, for the edges and the walk
};

}  // namespace boxwander
