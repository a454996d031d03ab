#pragma once

#include <string>
#include <string_view>

#include "cli/shapes/mask_shape.h"
#include "cli/shapes/mask_track.h"

namespace boxwander::cli {

// A mask in the compositing host's exchange form:
//   {"v": [[x, y], ...], "i": [[dx, dy], ...], "o": [[dx, dy], ...], "c": true}
// v holds the vertices; i and o the in and out handles relative to their vertex (all zero
// when left out, i.e. straight pieces); c whether the shape is closed (true when left out,
// as the host's own new shapes are). Throws CliError on malformed JSON, an unknown key, a
// value of the wrong kind, lists of different lengths, no vertex, or a number that is not
// finite.
shapes::MaskShape ParseMaskJson(std::string_view text);

// The mask in the same form, every key written; numbers in their shortest form that reads
// back as the same value, so ParseMaskJson gives the shape back exactly.
std::string WriteMaskJson(const shapes::MaskShape& shape);

// A JSON mask that may be animated: the form above (one shape for every frame), or
//   {"keyframes": [{"frame": 0, "v": ..., "i": ..., "o": ..., "c": ...}, ...]}
// with keyframes of the same vertex count and closedness, interpolated as the host does.
// Throws CliError as above, and on a keyframe without a whole frame number, two at one frame,
// or keyframes that differ in vertex count or closedness.
shapes::MaskTrack ParseMaskTrackJson(std::string_view text);

}  // namespace boxwander::cli
