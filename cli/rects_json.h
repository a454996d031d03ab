#pragma once

#include <cstdint>
#include <string>

#include "render/render_core.h"

namespace boxwander::cli {

// The chain of one frame as JSON: frame, rectCount, halfWidthTotal, error (the walk's host
// error code, 0 when none) and the records in list order, each with its anchor, centre and
// half sizes.
std::string ChainJson(const Chain& chain, std::int32_t frame);

// Writes text to a file under a temporary name, renamed when complete. Throws CliError.
void WriteTextFile(const std::string& path, const std::string& text);

}  // namespace boxwander::cli
