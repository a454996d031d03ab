#pragma once

#include <cstdint>

#include "cli/io/image.h"

namespace boxwander::cli {

// Soft colour bands with a few discs, so that the rectangles take varied colours: 8 bits,
// 320 by 180 pixels times `scale`.
Image DemoPicture(std::int32_t scale = 1);

}  // namespace boxwander::cli
