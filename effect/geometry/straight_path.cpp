#include "geometry/straight_path.h"

#include <cmath>
#include <cstddef>
#include <limits>

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

ErrorCode StraightSegmentPath::releaseSegment(std::int32_t segment, SegmentPrep prep) {
  return Lookup(segments_, segment, prep) == nullptr ? kErrBadCallbackParam : kErrNone;
}

}  // namespace boxwander
