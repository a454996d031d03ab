#include "cli/shapes/curve_reach.h"

#include <algorithm>
#include <cmath>

namespace boxwander::shapes {
namespace {

// Deep enough for pieces of a few pixels even on curves of 2^40 pixels.
constexpr int kMaxDepth = 48;
// Pieces no larger than this are kept whole: finer halving buys few samples.
constexpr double kSmallPiece = 16.0;

struct Controls {
  ShapePoint p[4];
};

ShapePoint Mid(ShapePoint a, ShapePoint b) {
  return {0.5 * (a.x + b.x), 0.5 * (a.y + b.y)};
}

struct Search {
  double left, top, right, bottom;  // the image with a pixel's margin
  // Rounding in halving and in evaluating far-away points, bounded by the coordinates' size.
  double slack;
  ParameterRange found;

  void visit(const Controls& c, double u0, double u1, int depth) {
    double x0 = c.p[0].x, x1 = x0, y0 = c.p[0].y, y1 = y0;
    for (const ShapePoint& p : c.p) {
      x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
      y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
    if (x1 + slack < left || x0 - slack > right || y1 + slack < top || y0 - slack > bottom) {
      return;
    }
    if (depth >= kMaxDepth || (x1 - x0 <= kSmallPiece && y1 - y0 <= kSmallPiece) ||
        (u0 >= found.from && u1 <= found.to)) {
      found.from = std::min(found.from, u0);
      found.to = std::max(found.to, u1);
      return;
    }
    // de Casteljau at the middle: two halves with their own control points.
    const ShapePoint a = Mid(c.p[0], c.p[1]), b = Mid(c.p[1], c.p[2]), d = Mid(c.p[2], c.p[3]);
    const ShapePoint ab = Mid(a, b), bd = Mid(b, d);
    const ShapePoint m = Mid(ab, bd);
    const double um = 0.5 * (u0 + u1);
    visit({{c.p[0], a, ab, m}}, u0, um, depth + 1);
    visit({{m, bd, d, c.p[3]}}, um, u1, depth + 1);
  }
};

}  // namespace

ParameterRange ReachableParameters(const ShapePiece& piece, std::int32_t width,
                                   std::int32_t height) {
  double size = 0.0;
  for (const ShapePoint& p : {piece.p0, piece.p1, piece.p2, piece.p3}) {
    size = std::max({size, std::fabs(p.x), std::fabs(p.y)});
  }
  Search search{
      -2.0,        -2.0, static_cast<double>(width) + 1.0, static_cast<double>(height) + 1.0,
      1e-9 * size, {}};
  if (width <= 0 || height <= 0 || !std::isfinite(size)) {
    return search.found;
  }
  search.visit({{piece.p0, piece.p1, piece.p2, piece.p3}}, 0.0, 1.0, 0);
  return search.found;
}

}  // namespace boxwander::shapes
