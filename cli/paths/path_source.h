#pragma once

#include <string>
#include <string_view>

#include "cli/shapes/mask_shape.h"

namespace boxwander::cli {

// Reads a whole file (at most `limit` bytes); throws CliError naming the file on failure.
std::string ReadTextFile(const std::string& path, std::size_t limit = std::size_t{64} << 20);

// SVG path data that draws exactly one subpath, as a mask. Throws CliError (PathDataError
// for malformed data).
shapes::MaskShape ParsePathDataMask(std::string_view data);

// The mask the --path argument names: SVG path data as it stands, or @FILE naming an .svg
// file (its first path element) or a .json mask in the host's exchange form. A mask is one
// shape: SVG data with no drawn subpath, or with more than one, is refused. Throws
// CliError with a one-line reason (for path data, the offset where it went wrong).
shapes::MaskShape LoadMaskShape(std::string_view argument);

}  // namespace boxwander::cli
