#pragma once

#include <string>

#include "cli/controls/frame_range.h"

namespace boxwander::cli {

// An INPUT with a run of '#' names one picture per frame. Every one of the range must exist
// and have the size of the first: checked from the files' headers before any frame renders.
// Throws CliError naming the missing or differing file.
void CheckInputSequence(const std::string& pattern, FrameRange frames);

}  // namespace boxwander::cli
