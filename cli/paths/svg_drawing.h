#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cli/paths/svg_viewport.h"
#include "cli/shapes/mask_shape.h"

namespace boxwander::cli {

// A shape the document draws, in layer pixels: every transform of the element and its
// ancestors and the viewBox of each enclosing <svg> applied.
struct SvgShape {
  std::string element;  // "path", "rect", ...
  std::string id;       // empty when it has none
  std::string label;    // for messages: <path id="outline"> (line 12)
  std::vector<shapes::MaskShape> subpaths;
  // Why the shape cannot be read (a malformed transform, length or path data, its own or an
  // enclosing element's, named with its line); it has no subpaths then.
  std::string error;
};

struct SvgDrawing {
  // The root viewport in layer pixels; zero when the document gives no size at all.
  SvgViewport layer;
  std::vector<SvgShape> shapes;  // in document order
  // Why a shape or group with an id draws nothing ("... is inside <defs>, not drawn").
  std::map<std::string, std::string> notDrawn;
  // Other elements with an id (gradients, filters, text, ...), described.
  std::map<std::string, std::string> notShapes;
  // Elements that draw but are not read (<use>, <text>, <image>, ...), by name.
  std::map<std::string, int> ignored;
};

// The shapes an SVG document draws. Elements inside <defs>, <clipPath>, <mask>, <symbol>,
// <marker> and <pattern>, and under display="none", are not drawn. Throws CliError when
// the XML does not parse, the document is not SVG, or the root's size or viewBox is
// malformed; a shape that cannot be read is kept with the reason (see SvgShape::error).
SvgDrawing ReadSvgDrawing(std::string_view document);

}  // namespace boxwander::cli
