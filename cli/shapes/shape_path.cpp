#include "cli/shapes/shape_path.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "cli/shapes/curve_reach.h"

namespace boxwander::shapes {
namespace {

std::vector<StraightSegmentPath::Segment> StraightSegmentsOf(const MaskShape& shape) {
  std::vector<StraightSegmentPath::Segment> segments;
  const std::int32_t count = PieceCount(shape);
  for (std::int32_t i = 0; i < count; ++i) {
    const ShapePiece piece = PieceOf(shape, i);
    if (piece.straight) {
      segments.push_back({piece.p0.x, piece.p0.y, piece.p3.x, piece.p3.y});
    }
  }
  return segments;
}

}  // namespace

ShapePath::ShapePath(const MaskShape& shape) : straight_(StraightSegmentsOf(shape)) {
  const std::int32_t count = PieceCount(shape);
  pieces_.reserve(static_cast<std::size_t>(count));
  std::int32_t straightCount = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    Piece piece{PieceOf(shape, i)};
    if (piece.shape.straight) {
      piece.straightIndex = straightCount++;
    }
    pieces_.push_back(piece);
  }
}

ShapePath::~ShapePath() {
  for (const auto& prep : live_) {
    const auto& piece = pieces_[static_cast<std::size_t>(prep->segment)];
    if (piece.straightIndex >= 0) {
      straight_.releaseSegment(piece.straightIndex, prep->straightPrep);
    }
  }
}

ErrorCode ShapePath::segmentCount(std::int32_t& count) {
  count = static_cast<std::int32_t>(pieces_.size());
  return kErrNone;
}

ErrorCode ShapePath::prepareSegment(std::int32_t segment, std::int32_t frequency,
                                    SegmentPrep& prep) {
  prep = nullptr;
  if (segment < 0 || static_cast<std::size_t>(segment) >= pieces_.size()) {
    return kErrBadCallbackParam;
  }
  try {
    const Piece& piece = pieces_[static_cast<std::size_t>(segment)];
    auto preparation = std::make_unique<Preparation>();
    preparation->segment = segment;
    live_.reserve(live_.size() + 1);  // so that the push below cannot fail
    if (piece.straightIndex >= 0) {
      const ErrorCode error =
          straight_.prepareSegment(piece.straightIndex, frequency, preparation->straightPrep);
      if (error != kErrNone) {
        return error;
      }
    } else {
      preparation->curve.emplace(piece.shape);
    }
    prep = preparation.get();
    live_.push_back(std::move(preparation));
    return kErrNone;
  } catch (const std::bad_alloc&) {
    return kErrOutOfMemory;
  }
}

ShapePath::Preparation* ShapePath::find(std::int32_t segment, SegmentPrep prep) const noexcept {
  for (const auto& live : live_) {
    if (live.get() == prep) {
      return live->segment == segment ? live.get() : nullptr;
    }
  }
  return nullptr;
}

ErrorCode ShapePath::segmentLength(std::int32_t segment, SegmentPrep prep, double& length) {
  Preparation* preparation = find(segment, prep);
  if (preparation == nullptr) {
    return kErrBadCallbackParam;
  }
  if (preparation->curve) {
    length = preparation->curve->length();
    return kErrNone;
  }
  const auto& piece = pieces_[static_cast<std::size_t>(segment)];
  return straight_.segmentLength(piece.straightIndex, preparation->straightPrep, length);
}

ErrorCode ShapePath::evaluateAt(std::int32_t segment, SegmentPrep prep, double t,
                                PathPoint& point) {
  Preparation* preparation = find(segment, prep);
  if (preparation == nullptr) {
    return kErrBadCallbackParam;
  }
  if (preparation->curve) {
    if (std::isnan(t)) {
      return kErrBadCallbackParam;
    }
    point = preparation->curve->evaluate(t);
    return kErrNone;
  }
  const auto& piece = pieces_[static_cast<std::size_t>(segment)];
  return straight_.evaluateAt(piece.straightIndex, preparation->straightPrep, t, point);
}

bool ShapePath::reachableStretch(std::int32_t segment, SegmentPrep prep, std::int32_t width,
                                 std::int32_t height, ArcStretch& stretch) {
  Preparation* preparation = find(segment, prep);
  if (preparation == nullptr) {
    return false;
  }
  if (!preparation->curve) {
    const auto& piece = pieces_[static_cast<std::size_t>(segment)];
    return straight_.reachableStretch(piece.straightIndex, preparation->straightPrep, width, height,
                                      stretch);
  }
  const CubicArcLength& curve = *preparation->curve;
  if (!std::isfinite(curve.length())) {
    return false;
  }
  const ParameterRange range =
      ReachableParameters(pieces_[static_cast<std::size_t>(segment)].shape, width, height);
  if (range.from > range.to) {
    stretch = {1.0, 0.0};
    return true;
  }
  // Well beyond the arc-length table's inversion error, so that no sample whose parameter
  // lies in the range falls outside the stretch.
  const double margin = 1.0 + 1e-9 * curve.length();
  stretch = {curve.lengthAt(range.from) - margin, curve.lengthAt(range.to) + margin};
  return true;
}

ErrorCode ShapePath::releaseSegment(std::int32_t segment, SegmentPrep prep) {
  const auto it = std::find_if(live_.begin(), live_.end(),
                               [prep](const auto& live) { return live.get() == prep; });
  if (it == live_.end() || (*it)->segment != segment) {
    return kErrBadCallbackParam;
  }
  ErrorCode error = kErrNone;
  const auto& piece = pieces_[static_cast<std::size_t>(segment)];
  if (piece.straightIndex >= 0) {
    error = straight_.releaseSegment(piece.straightIndex, (*it)->straightPrep);
  }
  live_.erase(it);
  return error;
}

}  // namespace boxwander::shapes
