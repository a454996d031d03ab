#pragma once

#include <vector>

#include "cli/shapes/mask_shape.h"
#include "geometry/mask_path.h"

namespace boxwander::shapes {

// A cubic Bezier piece measured by arc length. The constructor builds a table of
// parameter breakpoints and the arc length up to each, by adaptive Gauss-Legendre
// quadrature, so that lengths and positions are good to far better than 0.01 pixel;
// evaluation then inverts the table with a safeguarded Newton step inside one interval.
class CubicArcLength {
 public:
  explicit CubicArcLength(const ShapePiece& piece);

  // Not finite when a control point is not finite or the piece is too large to measure.
  double length() const noexcept { return length_; }

  // The point at arc length s (clamped to 0..length) and the direction of travel there.
  // Where the curve stops for an instant (a zero handle at an end, a cusp), the direction
  // is the one it leaves in: the first non-zero derivative of higher order.
  PathPoint evaluate(double s) const noexcept;

  // The Bezier parameter (0..1) at arc length s, clamped like evaluate.
  double parameterAt(double s) const noexcept;

  // The arc length from the start to parameter u (clamped to 0..1), from the same table.
  double lengthAt(double u) const noexcept;

 private:
  double speed(double u) const noexcept;
  double lengthBetween(double a, double b) const noexcept;
  void subdivide(double a, double b, double whole, int depth, double tolerance);

  ShapePoint p_[4];
  std::vector<double> u_;  // breakpoints, 0 first and 1 last
  std::vector<double> s_;  // arc length from the start to each breakpoint
  double length_ = 0.0;
};

}  // namespace boxwander::shapes
