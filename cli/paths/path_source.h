#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "cli/shapes/mask_shape.h"

namespace boxwander::cli {

// Reads a whole file (at most `limit` bytes); throws CliError naming the file on failure.
std::string ReadTextFile(const std::string& path, std::size_t limit = std::size_t{64} << 20);

// FILE.svg#PICK split into the file's name and the pick (none for other names; a file name
// may hold a '#' itself).
std::pair<std::string, std::optional<std::string>> SplitSvgPick(std::string_view file);

// SVG path data that draws exactly one subpath, as a mask. Throws CliError (PathDataError
// for malformed data).
shapes::MaskShape ParsePathDataMask(std::string_view data);

// The mask the --path argument names: SVG path data as it stands, @FILE.json (a mask in the
// host's exchange form), or @FILE.svg[#PICK] naming one subpath the document draws, in
// layer pixels (see ParseSvgPick; by default the first subpath of the first drawn shape).
// Path data given as it stands must be one subpath. Throws CliError with a one-line reason
// (for path data, the offset where it went wrong). When `note` is given, it receives a line
// to tell the user when an SVG file's default choice was one of several, or else "".
shapes::MaskShape LoadMaskShape(std::string_view argument, std::string* note = nullptr);

// The shapes and subpaths an SVG file draws, for the user to pick from (see ListSvgShapes).
std::string ListSvgFile(const std::string& path);

}  // namespace boxwander::cli
