#include "geometry/straight_path.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "common/truncate.h"

namespace boxwander {

StraightSegmentPath::StraightSegmentPath(const std::vector<Segment>& segments) {
  segments_.reserve(segments.size());
  for (const Segment& s : segments) {
    const double length = std::hypot(s.x1 - s.x0, s.y1 - s.y0);
    Prepared p{s.x0, s.y0, 0.0, 0.0, length};
    // A zero-length segment has no direction; dividing would give NaN.
    if (length != 0.0) {
      p.ux = (s.x1 - s.x0) / length;
      p.uy = (s.y1 - s.y0) / length;
    }
    segments_.push_back(p);
  }
}

StraightSegmentPath StraightSegmentPath::Polyline(const std::vector<Point>& points, bool closed) {
  std::vector<Segment> segments;
  for (std::size_t i = 1; i < points.size(); ++i) {
    segments.push_back({points[i - 1].x, points[i - 1].y, points[i].x, points[i].y});
  }
  if (closed && points.size() >= 2) {
    segments.push_back({points.back().x, points.back().y, points.front().x, points.front().y});
  }
  return StraightSegmentPath(segments);
}

ErrorCode StraightSegmentPath::segmentCount(std::int32_t& count) {
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  count = static_cast<std::int32_t>(segments_.size() < kMax ? segments_.size() : kMax);
  return kErrNone;
}

ErrorCode StraightSegmentPath::prepareSegment(std::int32_t segment, std::int32_t /*frequency*/,
                                              SegmentPrep& prep) {
  if (segment < 0 || static_cast<std::size_t>(segment) >= segments_.size()) {
    return kErrBadCallbackParam;
  }
  prep = &segments_[static_cast<std::size_t>(segment)];
  return kErrNone;
}

namespace {

// The token must be the one prepareSegment handed out for this very segment.
template <class Prepared>
const Prepared* Lookup(std::vector<Prepared>& segments, std::int32_t segment, SegmentPrep prep) {
  if (segment < 0 || static_cast<std::size_t>(segment) >= segments.size() ||
      prep != &segments[static_cast<std::size_t>(segment)]) {
    return nullptr;
  }
  return &segments[static_cast<std::size_t>(segment)];
}

}  // namespace

ErrorCode StraightSegmentPath::segmentLength(std::int32_t segment, SegmentPrep prep,
                                             double& length) {
  const Prepared* p = Lookup(segments_, segment, prep);
  if (p == nullptr) {
    return kErrBadCallbackParam;
  }
  length = p->length;
  return kErrNone;
}

ErrorCode StraightSegmentPath::evaluateAt(std::int32_t segment, SegmentPrep prep, double t,
                                          PathPoint& point) {
  const Prepared* p = Lookup(segments_, segment, prep);
  if (p == nullptr) {
    return kErrBadCallbackParam;
  }
  point = {p->x0 + t * p->ux, p->y0 + t * p->uy, p->ux, p->uy};
  return kErrNone;
}

namespace {

// The first k in lo..hi at which a predicate that turns from false to true (at most once)
// holds, or hi + 1.
template <class Pred>
std::int64_t FirstTrue(std::int64_t lo, std::int64_t hi, Pred pred) {
  std::int64_t end = hi + 1;
  while (lo < end) {
    const std::int64_t mid = lo + (end - lo) / 2;
    if (pred(mid)) {
      end = mid;
    } else {
      lo = mid + 1;
    }
  }
  return end;
}

struct SampleRange {
  std::int64_t first;
  std::int64_t last;  // empty when first > last
};

// The samples k = 0..n whose coordinate start + k * step, truncated, lies in 0..size - 1.
// Rounding keeps start + k * step monotone in k, and truncation is monotone, so the
// samples form one run whose ends bisection finds on the very arithmetic of evaluateAt.
SampleRange AxisRange(double start, double step, std::int32_t size, std::int64_t n) {
  const auto cell = [&](std::int64_t k) {
    return TruncateToInt32(start + static_cast<double>(k) * step);
  };
  if (step == 0.0) {
    const std::int32_t c = cell(0);
    return c >= 0 && c < size ? SampleRange{0, n} : SampleRange{0, -1};
  }
  if (step > 0.0) {
    return {FirstTrue(0, n, [&](std::int64_t k) { return cell(k) >= 0; }),
            FirstTrue(0, n, [&](std::int64_t k) { return cell(k) >= size; }) - 1};
  }
  return {FirstTrue(0, n, [&](std::int64_t k) { return cell(k) < size; }),
          FirstTrue(0, n, [&](std::int64_t k) { return cell(k) < 0; }) - 1};
}

}  // namespace

bool StraightSegmentPath::reachableStretch(std::int32_t segment, SegmentPrep prep,
                                           std::int32_t width, std::int32_t height,
                                           ArcStretch& stretch) {
  const Prepared* p = Lookup(segments_, segment, prep);
  // Whole steps are exact doubles only below 2^53; such segments are not walked anyway.
  if (p == nullptr || !(p->length >= 0.0 && p->length < 9007199254740992.0) ||
      !std::isfinite(p->x0) || !std::isfinite(p->y0)) {
    return false;
  }
  const auto n = static_cast<std::int64_t>(std::floor(p->length));
  const SampleRange x = AxisRange(p->x0, p->ux, width, n);
  const SampleRange y = AxisRange(p->y0, p->uy, height, n);
  stretch = {static_cast<double>(std::max(x.first, y.first)),
             static_cast<double>(std::min(x.last, y.last))};
  return true;
}

ErrorCode StraightSegmentPath::releaseSegment(std::int32_t segment, SegmentPrep prep) {
  return Lookup(segments_, segment, prep) == nullptr ? kErrBadCallbackParam : kErrNone;
}

}  // namespace boxwander
