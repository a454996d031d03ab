#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace boxwander::cli::preview {

// What changed from one frame to the next (both rows of 4-byte pixels, the same size), as
// the page patches its copy of the picture:
//   run count n, then n times (first pixel, pixel count), then the runs' pixels in order,
// every number 32 bits little-endian. Pixels are counted along the rows (y * width + x),
// so a run may go on into the next row. A count with its top bit set is a fill: one pixel,
// repeated over the count without the bit (a rectangle's inside comes as little more than
// its colour). Changes a few pixels apart are sent as one run: the pixels between cost
// less than a run's header and the page's copy of it.
// Empty when the patch would be no smaller than the frame itself (or the frame has more
// pixels than 31 bits count); the page is then sent the whole frame.
std::optional<std::string> FramePatch(std::string_view before, std::string_view after);

// The top bit of a fill run's count.
inline constexpr std::uint32_t kFillRun = 0x80000000u;

}  // namespace boxwander::cli::preview
