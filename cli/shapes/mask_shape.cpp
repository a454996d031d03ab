#include "cli/shapes/mask_shape.h"

#include <limits>

namespace boxwander::shapes {

std::int32_t PieceCount(const MaskShape& shape) noexcept {
  const std::size_t n = shape.vertices.size();
  if (n == 0) {
    return 0;
  }
  const std::size_t count = shape.closed ? n : n - 1;
  // A mask of more than 2^31 - 1 vertices cannot be addressed by the path interface.
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(count > kMax ? kMax : count);
}

ShapePiece PieceOf(const MaskShape& shape, std::int32_t index) {
  const auto n = shape.vertices.size();
  const auto i = static_cast<std::size_t>(index);
  const MaskVertex& a = shape.vertices[i];
  const MaskVertex& b = shape.vertices[(i + 1) % n];
  ShapePiece piece;
  piece.p0 = a.position;
  piece.p1 = {a.position.x + a.out.x, a.position.y + a.out.y};
  piece.p2 = {b.position.x + b.in.x, b.position.y + b.in.y};
  piece.p3 = b.position;
  piece.straight = a.out == ShapePoint{} && b.in == ShapePoint{};
  return piece;
}

MaskShape ScaleShape(const MaskShape& shape, double factor) {
  return ScaleShape(shape, factor, factor);
}

MaskShape ScaleShape(const MaskShape& shape, double factorX, double factorY) {
  MaskShape scaled = shape;
  const auto scale = [factorX, factorY](ShapePoint& p) {
    p.x *= factorX;
    p.y *= factorY;
  };
  for (MaskVertex& v : scaled.vertices) {
    scale(v.position);
    scale(v.in);
    scale(v.out);
  }
  return scaled;
}

}  // namespace boxwander::shapes
