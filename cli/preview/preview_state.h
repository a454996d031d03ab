#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "cli/controls/controls.h"
#include "cli/shapes/mask_shape.h"

namespace boxwander::cli::preview {

// What the page shows: every control at one moment (all set), the mask, the preview resolution.
struct PreviewState {
  AnimatedControls controls;
  shapes::MaskShape mask;
  std::int32_t downsample = 1;
};

// The page's request body:
//   {"controls": {"time": 35, "mode": "continuous", "edge-color": "#ff202020",
//                 "invert": true, ...},
//    "mask": {"v": ..., "i": ..., "o": ..., "c": ...}, "downsample": 1}
// Controls are named by the tool's options with the values the options take (numbers as
// JSON numbers, flags as true/false); controls left out keep their value in `declared`,
// the values the module declares. Every value is checked as the command line checks it.
// Other keys of the body are left to the caller. Throws CliError naming what is wrong.
PreviewState ParseState(const nlohmann::json& body, const AnimatedControls& declared);
// Parses the text first; refuses anything that is not a JSON object.
nlohmann::json ParseBody(std::string_view text);

// The state in the same form.
nlohmann::json StateJson(const PreviewState& state);

// 1, 2 or 4, as the page offers; throws CliError otherwise.
std::int32_t CheckDownsample(std::int64_t factor);

}  // namespace boxwander::cli::preview
