#pragma once

#include "cli/shapes/mask_shape.h"

namespace boxwander::shapes {

// Why a mask has nothing to walk along: "has a single vertex", or "has only zero-length
// segments" (every piece's start, controls and end at one point); nullptr for a mask with
// length. The host draws nothing along such a mask: the frame keeps its starting content.
const char* DegenerateReason(const MaskShape& shape);

// The shape as the host serves it to the effect: one with nothing to walk along becomes its
// first vertex alone, open, a path of no segment, so that the effect draws nothing on it
// (given zero-length segments, it would place a rectangle at their point).
MaskShape ServedShape(const MaskShape& shape);

}  // namespace boxwander::shapes
