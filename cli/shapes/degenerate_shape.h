#pragma once

#include "cli/shapes/mask_shape.h"

namespace boxwander::shapes {

// Why a mask has nothing to walk along: "has a single vertex", or "has only zero-length
// segments" (every piece's start, controls and end at one point); nullptr for a mask with
// length. The host draws nothing along such a mask: the frame keeps its starting content.
const char* DegenerateReason(const MaskShape& shape);

}  // namespace boxwander::shapes
