#pragma once

#include <string>
#include <string_view>

namespace boxwander::cli {

// The d attribute of the first <path> element of an SVG document, with XML character
// references decoded. A small careful reader, not a full XML parser: it skips comments,
// CDATA, processing instructions and doctype, and reads quoted attribute values, so a '>'
// or "<path" inside them fools nothing. Transforms are not applied: the coordinates are
// taken as written. Throws CliError when there is no such element or the markup is broken.
std::string FirstPathData(std::string_view document);

}  // namespace boxwander::cli
