#pragma once

#include <string>

#include "cli/paths/svg_document.h"
#include "cli/paths/svg_viewport.h"

namespace boxwander::cli {

// The path data of a drawing element in its own user units: a <path>'s d, or the path SVG
// defines for a basic shape (rect with or without rounded corners, circle, ellipse, line,
// polyline, polygon), starting where SVG says each starts and running the same way.
// Empty when the element draws nothing (no d, a zero width or radius). Throws CliError
// on a malformed length or points list.
std::string ShapePathData(const SvgElement& element, const SvgViewport& viewport);

// Whether ShapePathData knows the element.
bool IsDrawingElement(const SvgElement& element);

}  // namespace boxwander::cli
