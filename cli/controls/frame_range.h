#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace boxwander::cli {

struct FrameRange {
  std::int32_t first = 0;
  std::int32_t last = 0;
  std::int64_t count() const noexcept { return std::int64_t{last} - first + 1; }
};

// "A-B" (A <= B) or a single frame "A"; frames are whole numbers from 0. Throws CliError.
FrameRange ParseFrameRange(std::string_view text);

// Whether the name holds a '#' run that takes the frame number.
bool HasFrameNumber(std::string_view pattern) noexcept;

// Each run of '#' becomes the frame number, zero-padded to the run's length (longer when
// the number needs it): "out/frame.####.png" at frame 7 is "out/frame.0007.png".
std::string FrameFileName(std::string_view pattern, std::int32_t frame);

}  // namespace boxwander::cli
