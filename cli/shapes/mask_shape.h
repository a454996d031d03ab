#pragma once

#include <cstdint>
#include <vector>

namespace boxwander::shapes {

struct ShapePoint {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const ShapePoint&, const ShapePoint&) = default;
};

// One vertex of a mask as the compositing host exchanges it: its position and the two
// Bezier handles, each relative to the vertex. A zero handle means no curvature on that side.
struct MaskVertex {
  ShapePoint position;
  ShapePoint in;   // handle toward the previous vertex
  ShapePoint out;  // handle toward the next vertex
  friend bool operator==(const MaskVertex&, const MaskVertex&) = default;
};

struct MaskShape {
  std::vector<MaskVertex> vertices;
  bool closed = false;
  friend bool operator==(const MaskShape&, const MaskShape&) = default;
};

// One vertex-to-vertex piece as a cubic Bezier: start, its two controls and end.
struct ShapePiece {
  ShapePoint p0, p1, p2, p3;
  // Both handles zero: the piece is the straight line from p0 to p3.
  bool straight = false;
};

// Every vertex-to-vertex piece counts; a closed shape adds the one back to the first vertex.
std::int32_t PieceCount(const MaskShape& shape) noexcept;

// Piece `index` (0 <= index < PieceCount) with its controls made absolute.
ShapePiece PieceOf(const MaskShape& shape, std::int32_t index);

// The shape at reduced resolution: positions and handles scaled by `factor` (0.5 at half
// resolution), as the compositing host hands a path to a downsampled render. A cubic
// scaled through its control points is the scaled curve exactly, also with different
// horizontal and vertical factors.
MaskShape ScaleShape(const MaskShape& shape, double factor);
MaskShape ScaleShape(const MaskShape& shape, double factorX, double factorY);

}  // namespace boxwander::shapes
