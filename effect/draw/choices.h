#pragma once

#include <cstdint>

namespace boxwander {

// Popup values as the host stores them (counted from 1).
enum ModeChoice : std::int32_t { kModeContinuous = 1, kModeDiscrete1 = 2, kModeDiscrete2 = 3 };
enum EdgeModeChoice : std::int32_t { kEdgeModeBrightness = 1, kEdgeModeColor = 2 };

}  // namespace boxwander
