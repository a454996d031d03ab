#pragma once

#include <string_view>

#include "cli/shapes/mask_shape.h"

namespace boxwander::cli {

// An affine map as SVG writes it, matrix(a b c d e f): x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
  double a = 1.0, b = 0.0, c = 0.0, d = 1.0, e = 0.0, f = 0.0;

  // This map after `inner`: (*this)(inner(p)).
  Affine operator*(const Affine& inner) const;
  shapes::ShapePoint apply(shapes::ShapePoint p) const;
  // For vectors, as the handles of a vertex: the linear part only.
  shapes::ShapePoint applyLinear(shapes::ShapePoint v) const;
};

Affine Translation(double x, double y);
Affine Scaling(double x, double y);

// A transform attribute's list: matrix, translate, scale, rotate (with or without a centre),
// skewX and skewY, separated by whitespace and commas; empty text is the identity. Throws
// CliError ("transform, offset N: ...") where the text goes wrong.
Affine ParseTransformList(std::string_view text);

// A Bezier shape under an affine map is the shape of the mapped control points, so the
// vertices move with the whole map and their handles with its linear part.
shapes::MaskShape TransformShape(const shapes::MaskShape& shape, const Affine& m);

}  // namespace boxwander::cli
