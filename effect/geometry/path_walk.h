#pragma once

#include <cstdint>

#include "common/error_code.h"
#include "geometry/coverage_map.h"
#include "geometry/mask_path.h"
#include "geometry/placement.h"
#include "geometry/random_generator.h"
#include "geometry/rect_list.h"

namespace boxwander {

// The arc-length step frequency handed to prepareSegment.
inline constexpr std::int32_t kPathFrequency = 100;

struct WalkResult {
  std::int32_t rectCount = 0;
  std::int32_t halfWidthTotal = 0;  // saturates at the 32-bit maximum
  ErrorCode error = kErrNone;
};

// Walks every segment of the path in steps of 1.0 arc length and places a rectangle
// wherever a sample leaves the last one. The walk starts coverage afresh for a width x
// height image; rects must be empty and the generators seeded. With an error already
// pending the walk makes no path call. A segment whose length is not finite, or so long
// that adding 1.0 no longer advances t, gets no samples. Where the path tells which stretch
// of a segment can reach the image, only the samples t = 0, 1, 2 ... inside it are
// evaluated: the others could place nothing.
WalkResult WalkPath(MaskPath& path, const ChainSettings& settings, std::int32_t width,
                    std::int32_t height, CoverageMap* coverage, RandomGenerator& width_rng,
                    RandomGenerator& ratio_rng, RectList& rects, ErrorCode error);

}  // namespace boxwander
