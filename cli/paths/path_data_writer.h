#pragma once

#include <optional>
#include <string>

#include "cli/shapes/mask_shape.h"

namespace boxwander::cli {

// The mask as SVG path data ("M x y C ... Z"), numbers in their shortest form that reads
// back as the same value: straight pieces as L, curves as C with absolute controls. Only
// when ParsePathDataMask reads the text back as the very same mask (handles that no piece
// uses aside); otherwise none, since absolute controls do not always give the relative
// handles back to the last bit.
std::optional<std::string> ExactPathData(const shapes::MaskShape& shape);

}  // namespace boxwander::cli
