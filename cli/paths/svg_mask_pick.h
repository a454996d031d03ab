#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli/paths/svg_drawing.h"
#include "cli/shapes/mask_shape.h"

namespace boxwander::cli {

// What follows '#' in @FILE.svg#PICK: "ID", "ID:N" or ":N". ID names a drawn shape by its
// id or, when no shape has that id and it is a whole number K, the K-th drawn shape; N
// counts the shape's subpaths from 1. Empty parts are left to the defaults (the first).
struct SvgPick {
  std::string shape;
  int subpath = 0;  // 0: not given
};

// Throws CliError when N is not a whole number from 1.
SvgPick ParseSvgPick(std::string_view text);

struct PickedMask {
  shapes::MaskShape shape;
  // One line when the choice was the default among several, saying how to pick another.
  std::string note;
};

// The subpath the pick names (without a pick: the first subpath of the first drawn shape).
// `file` is the file's name as the user wrote it, for the note. Throws CliError when the
// document draws no shape, the id names nothing drawn, or the subpath is out of range.
PickedMask PickSvgMask(const SvgDrawing& drawing, const std::optional<SvgPick>& pick,
                       const std::string& file);

}  // namespace boxwander::cli
