#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cli/common/cli_error.h"
#include "cli/shapes/mask_shape.h"

namespace boxwander::cli {

// Malformed path data, with the character offset (from 0) where reading stopped.
class PathDataError : public CliError {
 public:
  PathDataError(std::size_t offset, const std::string& message);
  std::size_t offset() const noexcept { return offset_; }

 private:
  std::size_t offset_;
};

// Reads SVG path data (M L H V C S Q T A Z, absolute and relative) into mask shapes, one
// per subpath. Lines become straight pieces; quadratics are raised to cubics and elliptical
// arcs become cubics of at most a quarter turn each. Z closes the subpath; when the last
// point already lies on the first, the two become one vertex, so that no empty closing
// piece is left. A lone moveto draws nothing and is dropped; data made only of them gives
// the last as a single-vertex shape. Empty data, a missing first moveto, a bad number or
// flag, or coordinates that overflow throw PathDataError.
std::vector<shapes::MaskShape> ParseSvgPathData(std::string_view data);

}  // namespace boxwander::cli
