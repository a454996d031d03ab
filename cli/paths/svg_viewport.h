#pragma once

#include <optional>
#include <string_view>

#include "cli/paths/svg_transform.h"

namespace boxwander::cli {

// The size of the viewport that percentages refer to, in the user units around it.
struct SvgViewport {
  double width = 0.0;
  double height = 0.0;
  // What a percentage of a length that is neither horizontal nor vertical (r) refers to.
  double diagonal() const;
};

enum class LengthAxis { kHorizontal, kVertical, kOther };

// A length attribute: a number with an optional unit (px, in, cm, mm, pt, pc at 96 pixels per
// inch; em and ex at the 12 pixel font size librsvg assumes; % of the viewport), in user
// units. Throws CliError naming the text when it is not a length.
double ParseLength(std::string_view text, const SvgViewport& viewport, LengthAxis axis);

struct ViewBox {
  double x = 0.0, y = 0.0, width = 0.0, height = 0.0;
};

// Four numbers; throws CliError on malformed text or a negative width or height.
ViewBox ParseViewBox(std::string_view text);

// The map from the viewBox to a viewport of the given size at (x, y), as preserveAspectRatio
// says (its text, or empty for the default xMidYMid meet). Throws CliError on malformed text.
Affine ViewBoxTransform(const ViewBox& box, double x, double y, double width, double height,
                        std::string_view preserveAspectRatio);

}  // namespace boxwander::cli
