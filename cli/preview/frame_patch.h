#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace boxwander::cli::preview {

// What changed from one frame to the next (both rows of 4-byte pixels, the same size), as
// the page patches its copy of the picture:
//   run count n, then n times (first pixel, pixel count), then the runs' pixels in order,
// every number 32 bits little-endian. Pixels are counted along the rows (y * width + x),
// so a run may go on into the next row. Changes a few pixels apart are sent as one run: the
// pixels between cost less than a run's header and the page's copy of it.
// Empty when the patch would be no smaller than the frame itself (or the frame has more
// pixels than 32 bits count); the page is then sent the whole frame.
std::optional<std::string> FramePatch(std::string_view before, std::string_view after);

}  // namespace boxwander::cli::preview
