#include "cli/shapes/cubic_arc_length.h"

#include <algorithm>
#include <cmath>

namespace boxwander::shapes {
namespace {

// Eight-point Gauss-Legendre rule on [-1, 1]: exact for polynomials up to degree 15.
constexpr double kNodes[4] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267,
                              0.9602898564975363};
constexpr double kWeights[4] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745,
                                0.1012285362903763};

// Intervals to start from, so that a symmetric loop cannot fool the first error estimate.
constexpr int kStartIntervals = 8;
// Depth and interval limits bound the work on pathological pieces (cusps, huge values).
constexpr int kMaxDepth = 30;
constexpr std::size_t kMaxBreakpoints = std::size_t{1} << 16;
constexpr int kMaxNewtonSteps = 60;

ShapePoint Sub(ShapePoint a, ShapePoint b) {
  return {a.x - b.x, a.y - b.y};
}

bool IsFinite(ShapePoint p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

CubicArcLength::CubicArcLength(const ShapePiece& piece)
    : p_{piece.p0, piece.p1, piece.p2, piece.p3} {
  double polygon = 0.0;
  for (int i = 0; i < 3; ++i) {
    const ShapePoint d = Sub(p_[i + 1], p_[i]);
    polygon += std::hypot(d.x, d.y);
  }
  bool finite = std::isfinite(polygon);
  for (const ShapePoint& p : p_) {
    finite = finite && IsFinite(p);
  }
  u_.push_back(0.0);
  s_.push_back(0.0);
  if (!finite) {
    length_ = polygon;  // infinity or NaN: the walk gives such a segment no samples
    u_.push_back(1.0);
    s_.push_back(polygon);
    return;
  }
  // Relative to the piece's size, well above rounding noise, well below 0.01 pixel.
  const double tolerance = 1e-11 * std::max(1.0, polygon);
  for (int i = 0; i < kStartIntervals; ++i) {
    const double a = static_cast<double>(i) / kStartIntervals;
    const double b = static_cast<double>(i + 1) / kStartIntervals;
    subdivide(a, b, lengthBetween(a, b), 0, tolerance);
  }
  u_.back() = 1.0;
  length_ = s_.back();
}

void CubicArcLength::subdivide(double a, double b, double whole, int depth, double tolerance) {
  const double m = 0.5 * (a + b);
  const double left = lengthBetween(a, m);
  const double right = lengthBetween(m, b);
  const bool settled = std::abs(left + right - whole) <= tolerance;
  if (settled || !std::isfinite(whole) || depth >= kMaxDepth || u_.size() >= kMaxBreakpoints) {
    u_.push_back(m);
    s_.push_back(s_.back() + left);
    u_.push_back(b);
    s_.push_back(s_.back() + right);
    return;
  }
  subdivide(a, m, left, depth + 1, tolerance);
  subdivide(m, b, right, depth + 1, tolerance);
}

double CubicArcLength::speed(double u) const noexcept {
  // B'(u) = 3[(1-u)^2 (P1-P0) + 2(1-u)u (P2-P1) + u^2 (P3-P2)]
  const double v = 1.0 - u;
  const ShapePoint d0 = Sub(p_[1], p_[0]);
  const ShapePoint d1 = Sub(p_[2], p_[1]);
  const ShapePoint d2 = Sub(p_[3], p_[2]);
  const double dx = 3.0 * (v * v * d0.x + 2.0 * v * u * d1.x + u * u * d2.x);
  const double dy = 3.0 * (v * v * d0.y + 2.0 * v * u * d1.y + u * u * d2.y);
  return std::hypot(dx, dy);
}

double CubicArcLength::lengthBetween(double a, double b) const noexcept {
  const double half = 0.5 * (b - a);
  const double mid = 0.5 * (a + b);
  double sum = 0.0;
  for (int i = 0; i < 4; ++i) {
    sum += kWeights[i] * (speed(mid - half * kNodes[i]) + speed(mid + half * kNodes[i]));
  }
  return half * sum;
}

double CubicArcLength::parameterAt(double s) const noexcept {
  if (!std::isfinite(length_) || !(s > 0.0)) {
    return 0.0;
  }
  if (s >= length_) {
    return 1.0;
  }
  // The interval holding s: s_[k] <= s < s_[k + 1].
  const auto it = std::upper_bound(s_.begin(), s_.end(), s);
  const auto k = static_cast<std::size_t>(it - s_.begin()) - 1;
  double lo = u_[k];
  double hi = u_[k + 1];
  const double start = lo;
  const double target = s - s_[k];
  const double span = s_[k + 1] - s_[k];
  double u = span > 0.0 ? lo + (hi - lo) * (target / span) : lo;
  const double tolerance = 1e-12 * std::max(1.0, length_);
  for (int step = 0; step < kMaxNewtonSteps; ++step) {
    const double g = lengthBetween(start, u) - target;
    if (std::abs(g) <= tolerance) {
      break;
    }
    if (g > 0.0) {
      hi = u;
    } else {
      lo = u;
    }
    // Newton where the speed allows it, bisection where the step would leave the bracket.
    const double d = speed(u);
    double next = d > 0.0 ? u - g / d : lo;
    if (!(next > lo && next < hi)) {
      next = 0.5 * (lo + hi);
    }
    if (next == u) {
      break;
    }
    u = next;
  }
  return u;
}

double CubicArcLength::lengthAt(double u) const noexcept {
  if (!std::isfinite(length_) || !(u > 0.0)) {
    return 0.0;
  }
  if (u >= 1.0) {
    return length_;
  }
  const auto it = std::upper_bound(u_.begin(), u_.end(), u);
  const auto k = static_cast<std::size_t>(it - u_.begin()) - 1;
  return s_[k] + lengthBetween(u_[k], u);
}

PathPoint CubicArcLength::evaluate(double s) const noexcept {
  const double u = parameterAt(s);
  const double v = 1.0 - u;
  const double b0 = v * v * v;
  const double b1 = 3.0 * v * v * u;
  const double b2 = 3.0 * v * u * u;
  const double b3 = u * u * u;
  PathPoint point;
  point.x = b0 * p_[0].x + b1 * p_[1].x + b2 * p_[2].x + b3 * p_[3].x;
  point.y = b0 * p_[0].y + b1 * p_[1].y + b2 * p_[2].y + b3 * p_[3].y;

  const ShapePoint d0 = Sub(p_[1], p_[0]);
  const ShapePoint d1 = Sub(p_[2], p_[1]);
  const ShapePoint d2 = Sub(p_[3], p_[2]);
  // First derivative (up to the factor 3).
  point.dx = v * v * d0.x + 2.0 * v * u * d1.x + u * u * d2.x;
  point.dy = v * v * d0.y + 2.0 * v * u * d1.y + u * u * d2.y;
  if (point.dx == 0.0 && point.dy == 0.0) {
    // Second derivative (up to the factor 6): the direction the curve leaves a stop in.
    const ShapePoint e0 = Sub(d1, d0);
    const ShapePoint e1 = Sub(d2, d1);
    point.dx = v * e0.x + u * e1.x;
    point.dy = v * e0.y + u * e1.y;
    if (point.dx == 0.0 && point.dy == 0.0) {
      // Third derivative (up to the factor 6), constant along the piece.
      point.dx = e1.x - e0.x;
      point.dy = e1.y - e0.y;
    }
  }
  return point;
}

}  // namespace boxwander::shapes
