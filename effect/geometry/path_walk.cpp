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

// Writes index over the part of the rectangle that lies inside the map. Clipping first
// gives the same map as testing every pixel of the full extent, without the cost of
// visiting pixels far outside.
void Stamp(const RectRecord& r, std::int32_t index, std::int32_t width, std::int32_t height,
           std::int32_t* coverage) {
  const std::int64_t x0 = std::max<std::int64_t>(std::int64_t{r.centerX} - r.halfWidth, 0);
  const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{r.centerX} + r.halfWidth, width - 1);
  const std::int64_t y0 = std::max<std::int64_t>(std::int64_t{r.centerY} - r.halfHeight, 0);
  const std::int64_t y1 =
      std::min<std::int64_t>(std::int64_t{r.centerY} + r.halfHeight, height - 1);
  for (std::int64_t y = y0; y <= y1; ++y) {
    std::int32_t* row = coverage + y * width;
    for (std::int64_t x = x0; x <= x1; ++x) {
      row[x] = index;
    }
  }
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
                    std::int32_t height, std::int32_t* coverage, RandomGenerator& width_rng,
                    RandomGenerator& ratio_rng, RectList& rects, ErrorCode error) {
  WalkResult result;
  result.error = error;
  if (error != kErrNone) {
    return result;
  }
  if (coverage == nullptr && width > 0 && height > 0) {
    result.error = kErrInternalStructDamaged;
    return result;
  }
  WalkState state;
  state.ratio = settings.wh_ratio;
  const CoverageView view{coverage, width, height};

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
    for (double t = 0.0; length >= t; t += 1.0) {
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
      // Every index in the map is at most nextIndex - 1, so this holds exactly on the
      // last rectangle's pixels.
      if (coverage[std::int64_t{iy} * width + ix] >= state.nextIndex - 1) {
        continue;
      }
      // Indices must stay unique and nextIndex must not overflow: once the largest index
      // is given out, no further rectangle is placed. That takes over two billion list
      // nodes, so memory runs out long before in practice.
      if (state.nextIndex == std::numeric_limits<std::int32_t>::max()) {
        continue;
      }
      const RectRecord record =
          PlaceRectangle(ix, iy, p.dx, p.dy, state, view, width_rng, ratio_rng, settings);
      rects.append(record);
      result.halfWidthTotal = SaturatingAdd(result.halfWidthTotal, record.halfWidth);
      Stamp(record, state.nextIndex, width, height, coverage);
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
