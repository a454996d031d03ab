#include "geometry/path_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/truncate.h"

namespace boxwander {

namespace {

// From 2^53 on, t + 1.0 == t and stepping along the segment would never end.
constexpr double kLongestWalkable = 9007199254740992.0;

bool Walkable(double length) {
  return std::isfinite(length) && length < kLongestWalkable;
}

// The whole steps of a segment of the given length that can land inside the image: all of
// 0..length, or the part of it the path says can reach the image.
struct Steps {
  double first = 0.0;
  double last = 0.0;
};
Steps StepsToSample(MaskPath& path, std::int32_t s, SegmentPrep prep, double length,
                    std::int32_t width, std::int32_t height) {
  Steps steps{0.0, length};
  ArcStretch reach;
  if (path.reachableStretch(s, prep, width, height, reach) && !std::isnan(reach.from) &&
      !std::isnan(reach.to)) {
    // A whole number: stepping from it by 1.0 meets the same t as stepping from 0.
    steps.first = std::max(0.0, std::ceil(reach.from));
    steps.last = std::min(length, reach.to);
  }
  return steps;
}

// Gives a prepared segment back however its sampling ends: a failed path call, or an
// allocation failure thrown out of the walk.
class PreparedSegment {
 public:
  PreparedSegment(MaskPath& path, std::int32_t segment, SegmentPrep prep)
      : path_(path), segment_(segment), prep_(prep) {}
  ~PreparedSegment() {
    if (!released_) {
      try {
        path_.releaseSegment(segment_, prep_);
      } catch (...) {  // already unwinding: the first failure is the one that counts
      }
    }
  }
  PreparedSegment(const PreparedSegment&) = delete;
  PreparedSegment& operator=(const PreparedSegment&) = delete;

  ErrorCode release() {
    released_ = true;
    return path_.releaseSegment(segment_, prep_);
  }

 private:
  MaskPath& path_;
  std::int32_t segment_;
  SegmentPrep prep_;
  bool released_ = false;
};

}  // namespace

WalkResult WalkPath(MaskPath& path, const ChainSettings& settings, std::int32_t width,
                    std::int32_t height, CoverageMap* coverage, RandomGenerator& width_rng,
                    RandomGenerator& ratio_rng, RectList& rects, ErrorCode error) {
  WalkResult result;
  result.error = error;
  if (error != kErrNone) {
    return result;
  }
  if (coverage == nullptr) {
    result.error = kErrInternalStructDamaged;
    return result;
  }
  coverage->reset(width, height);
  WalkState state;
  state.ratio = settings.wh_ratio;

  // Samples one prepared segment every 1.0 of arc length and places a rectangle wherever a
  // sample leaves the last one. Returns the first failing path call's code.
  const auto sample_segment = [&](std::int32_t s, SegmentPrep prep) -> ErrorCode {
    double length = 0.0;
    if (const ErrorCode failed = path.segmentLength(s, prep, length); failed != kErrNone) {
      return failed;
    }
    if (!Walkable(length)) {
      return kErrNone;
    }
    const Steps steps = StepsToSample(path, s, prep, length, width, height);
    for (double t = steps.first; steps.last >= t; t += 1.0) {
      PathPoint p;
      if (const ErrorCode failed = path.evaluateAt(s, prep, t, p); failed != kErrNone) {
        return failed;
      }
      // A point that is not a number lies nowhere; truncated it would land in column 0.
      if (std::isnan(p.x) || std::isnan(p.y)) {
        continue;
      }
      const std::int32_t ix = TruncateToInt32(p.x);
      const std::int32_t iy = TruncateToInt32(p.y);
      if (ix < 0 || ix >= width || iy < 0 || iy >= height) {
        continue;
      }
      // The sample still lies in the last rectangle.
      if (coverage->holdsLast(ix, iy)) {
        continue;
      }
      // Indices must stay unique and nextIndex must not overflow: once the largest index
      // is given out, no further rectangle is placed. That takes over two billion list
      // nodes, so memory runs out long before in practice.
      if (state.nextIndex == std::numeric_limits<std::int32_t>::max()) {
        continue;
      }
      const RectRecord record =
          PlaceRectangle(ix, iy, p.dx, p.dy, state, *coverage, width_rng, ratio_rng, settings);
      rects.append(record);
      result.halfWidthTotal = SaturatingAdd(result.halfWidthTotal, record.halfWidth);
      coverage->stamp(record, state.nextIndex);
      ++result.rectCount;
      ++state.nextIndex;
    }
    return kErrNone;
  };

  // Path calls are made only while no error is pending, so the walk returns at the first
  // failure. The one exception is the release of a segment already prepared: a preparation
  // may hold the host's memory, so it is given back even after a failure (its own result
  // is then dropped, the first failure stands).
  std::int32_t count = 0;
  if ((result.error = path.segmentCount(count)) != kErrNone) {
    return result;
  }
  for (std::int32_t s = 0; s < count; ++s) {
    SegmentPrep prep = nullptr;
    if ((result.error = path.prepareSegment(s, kPathFrequency, prep)) != kErrNone) {
      return result;
    }
    PreparedSegment prepared(path, s, prep);
    result.error = sample_segment(s, prep);
    const ErrorCode released = prepared.release();
    if (result.error == kErrNone) {
      result.error = released;
    }
    if (result.error != kErrNone) {
      return result;
    }
  }
  return result;
}

}  // namespace boxwander
