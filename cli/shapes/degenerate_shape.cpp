#include "cli/shapes/degenerate_shape.h"

namespace boxwander::shapes {

const char* DegenerateReason(const MaskShape& shape) {
  // A cubic is a single point exactly when its four control points coincide. (A lone closed
  // vertex with handles is a loop, and has length.)
  for (std::int32_t k = 0; k < PieceCount(shape); ++k) {
    const ShapePiece p = PieceOf(shape, k);
    if (!(p.p1 == p.p0 && p.p2 == p.p0 && p.p3 == p.p0)) {
      return nullptr;
    }
  }
  return shape.vertices.size() <= 1 ? "has a single vertex" : "has only zero-length segments";
}

MaskShape ServedShape(const MaskShape& shape) {
  if (shape.vertices.empty() || DegenerateReason(shape) == nullptr)
    return shape;
  return MaskShape{{{shape.vertices.front().position, {}, {}}}, false};
}

}  // namespace boxwander::shapes
