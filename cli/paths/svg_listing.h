#pragma once

#include <string>

#include "cli/paths/svg_drawing.h"

namespace boxwander::cli {

// The shapes and subpaths a document draws, with what picks each (#ID:N), the elements
// with an id that are not drawn and why, and what is not read; lines ending in '\n'.
std::string ListSvgShapes(const SvgDrawing& drawing, const std::string& file);

}  // namespace boxwander::cli
