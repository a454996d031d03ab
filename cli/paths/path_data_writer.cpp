#include "cli/paths/path_data_writer.h"

#include <charconv>

#include "cli/common/cli_error.h"
#include "cli/paths/path_source.h"

namespace boxwander::cli {
namespace {

using shapes::MaskShape;
using shapes::ShapePoint;

void Append(std::string& text, ShapePoint p) {
  char buffer[64];
  for (const double v : {p.x, p.y}) {
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    text += ' ';
    text.append(buffer, result.ptr);
  }
}

std::string PathData(const MaskShape& shape) {
  std::string text = "M";
  Append(text, shape.vertices.front().position);
  const std::int32_t pieces = shapes::PieceCount(shape);
  for (std::int32_t k = 0; k < pieces; ++k) {
    const shapes::ShapePiece piece = shapes::PieceOf(shape, k);
    const bool closing = shape.closed && k == pieces - 1;
    if (piece.straight) {
      if (!closing) {
        text += " L";
        Append(text, piece.p3);
      }
      continue;
    }
    text += " C";
    Append(text, piece.p1);
    Append(text, piece.p2);
    Append(text, piece.p3);
  }
  if (shape.closed) {
    text += " Z";
  }
  return text;
}

// The handles no piece uses: the first vertex's in and the last one's out on an open shape.
MaskShape WithoutUnusedHandles(MaskShape shape) {
  if (!shape.closed && !shape.vertices.empty()) {
    shape.vertices.front().in = {};
    shape.vertices.back().out = {};
  }
  return shape;
}

}  // namespace

std::optional<std::string> ExactPathData(const MaskShape& shape) {
  if (shape.vertices.empty()) {
    return std::nullopt;
  }
  std::string text = PathData(shape);
  try {
    if (WithoutUnusedHandles(ParsePathDataMask(text)) == WithoutUnusedHandles(shape)) {
      return text;
    }
  } catch (const CliError&) {
  }
  return std::nullopt;
}

}  // namespace boxwander::cli
