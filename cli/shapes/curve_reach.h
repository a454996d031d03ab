#pragma once

#include <cstdint>

#include "cli/shapes/mask_shape.h"

namespace boxwander::shapes {

// Bezier parameters from..to; empty when from > to.
struct ParameterRange {
  double from = 1.0;
  double to = 0.0;
};

// A conservative bound on the parameters of a cubic piece whose points can lie near a
// width x height image: every parameter outside the range gives a point more than a pixel
// away from it. Found by halving the piece and dropping halves whose control polygon's box
// misses the image, since a Bezier piece lies inside the hull of its control points.
ParameterRange ReachableParameters(const ShapePiece& piece, std::int32_t width,
                                   std::int32_t height);

}  // namespace boxwander::shapes
