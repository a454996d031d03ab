#pragma once

#include <cstdint>

#include "common/error_code.h"

namespace boxwander {

// Opaque per-segment preparation, valid from prepareSegment to releaseSegment.
using SegmentPrep = void*;

// A point on a segment and the direction of travel there; only the direction of
// (dx, dy) matters, not its length.
struct PathPoint {
  double x = 0.0;
  double y = 0.0;
  double dx = 0.0;
  double dy = 0.0;
};

// Arc lengths from..to (inclusive) along a segment; empty when from > to.
struct ArcStretch {
  double from = 0.0;
  double to = 0.0;
};

// The walk's only view of a mask path, so it can run without a host. Coordinates are
// input-buffer pixels; lengths are arc lengths in the same unit. Every operation can fail
// with a host error code.
class MaskPath {
 public:
  virtual ~MaskPath() = default;

  virtual ErrorCode segmentCount(std::int32_t& count) = 0;
  virtual ErrorCode prepareSegment(std::int32_t segment, std::int32_t frequency,
                                   SegmentPrep& prep) = 0;
  virtual ErrorCode segmentLength(std::int32_t segment, SegmentPrep prep, double& length) = 0;
  // t is the arc length from the segment's start.
  virtual ErrorCode evaluateAt(std::int32_t segment, SegmentPrep prep, double t,
                               PathPoint& point) = 0;
  virtual ErrorCode releaseSegment(std::int32_t segment, SegmentPrep prep) = 0;

  // Optional: which stretch of a prepared segment can land inside a width x height image.
  // Answering true promises that every arc length outside the stretch gives a point whose
  // truncated pixel lies outside the image, so the walk need not evaluate it. A path that
  // cannot tell (the host's) answers false and is sampled along its whole length.
  virtual bool reachableStretch(std::int32_t /*segment*/, SegmentPrep /*prep*/,
                                std::int32_t /*width*/, std::int32_t /*height*/,
                                ArcStretch& /*stretch*/) {
    return false;
  }
};

}  // namespace boxwander
