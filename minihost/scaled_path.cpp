#include "minihost/scaled_path.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace boxwander::minihost {

struct ScaledPath::Prepared {
  SegmentPrep source = nullptr;
  double sourceLength = 0.0;
  // Non-uniform scaling only: scaled arc length at each of the evenly spaced source
  // lengths sourceLength * i / (n - 1).
  std::vector<double> table;
};

ScaledPath::ScaledPath(std::shared_ptr<MaskPath> source, double sx, double sy)
    : source_(std::move(source)), sx_(sx), sy_(sy) {
  if (!source_ || !(sx > 0.0) || !(sy > 0.0) || !std::isfinite(sx) || !std::isfinite(sy)) {
    throw std::invalid_argument("a scaled path needs a path and positive finite factors");
  }
}

ErrorCode ScaledPath::segmentCount(std::int32_t& count) {
  return source_->segmentCount(count);
}

ErrorCode ScaledPath::prepareSegment(std::int32_t segment, std::int32_t frequency,
                                     SegmentPrep& prep) {
  auto p = std::make_unique<Prepared>();
  ErrorCode err = source_->prepareSegment(segment, frequency, p->source);
  if (err != kErrNone) {
    return err;
  }
  err = source_->segmentLength(segment, p->source, p->sourceLength);
  if (err == kErrNone && sx_ != sy_) {
    const int n = std::max(16, std::min(frequency, 100000)) + 1;
    p->table.resize(static_cast<std::size_t>(n));
    double lastX = 0.0;
    double lastY = 0.0;
    for (int i = 0; i < n && err == kErrNone; ++i) {
      PathPoint q;
      err = source_->evaluateAt(segment, p->source, p->sourceLength * i / (n - 1), q);
      const double x = q.x * sx_;
      const double y = q.y * sy_;
      p->table[static_cast<std::size_t>(i)] =
          i == 0 ? 0.0
                 : p->table[static_cast<std::size_t>(i - 1)] + std::hypot(x - lastX, y - lastY);
      lastX = x;
      lastY = y;
    }
  }
  if (err != kErrNone) {
    source_->releaseSegment(segment, p->source);
    return err;
  }
  prep = p.release();
  return kErrNone;
}

ErrorCode ScaledPath::segmentLength(std::int32_t, SegmentPrep prep, double& length) {
  const auto& p = *static_cast<const Prepared*>(prep);
  length = p.table.empty() ? p.sourceLength * sx_ : p.table.back();
  return kErrNone;
}

ErrorCode ScaledPath::sourceAt(std::int32_t segment, const Prepared& p, double t,
                               PathPoint& point) {
  if (p.table.empty()) {
    return source_->evaluateAt(segment, p.source, t / sx_, point);
  }
  // Invert the table: find the source length whose scaled length is t.
  const auto& table = p.table;
  const auto upper = std::upper_bound(table.begin(), table.end(), t);
  double sourceT = p.sourceLength;
  if (upper == table.begin()) {
    sourceT = 0.0;
  } else if (upper != table.end()) {
    const auto i = static_cast<std::size_t>(upper - table.begin()) - 1;
    const double span = table[i + 1] - table[i];
    const double f = span > 0.0 ? (t - table[i]) / span : 0.0;
    sourceT = p.sourceLength * (static_cast<double>(i) + f) / static_cast<double>(table.size() - 1);
  }
  return source_->evaluateAt(segment, p.source, sourceT, point);
}

ErrorCode ScaledPath::evaluateAt(std::int32_t segment, SegmentPrep prep, double t,
                                 PathPoint& point) {
  PathPoint q;
  const ErrorCode err = sourceAt(segment, *static_cast<const Prepared*>(prep), t, q);
  if (err != kErrNone) {
    return err;
  }
  point = {q.x * sx_, q.y * sy_, q.dx * sx_, q.dy * sy_};
  return kErrNone;
}

ErrorCode ScaledPath::releaseSegment(std::int32_t segment, SegmentPrep prep) {
  std::unique_ptr<Prepared> p(static_cast<Prepared*>(prep));
  return source_->releaseSegment(segment, p->source);
}

}  // namespace boxwander::minihost
