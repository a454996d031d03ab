#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace boxwander::cli {

struct Keyframe {
  std::int32_t frame = 0;
  double value = 0.0;
};

// A control's value over time: linear between keyframes, held before the first and after
// the last. A plain value is one keyframe.
class Track {
 public:
  Track() = default;
  explicit Track(double value) : keys_{{0, value}} {}
  // Keyframes in any order; frames must differ.
  explicit Track(std::vector<Keyframe> keys);

  double at(std::int32_t frame) const noexcept;
  const std::vector<Keyframe>& keys() const noexcept { return keys_; }

 private:
  std::vector<Keyframe> keys_;  // sorted by frame, never empty once parsed
};

// "VALUE" or "VALUE@FRAME[,VALUE@FRAME...]". Throws CliError on anything else, or on a
// frame given twice.
Track ParseTrack(std::string_view text);

}  // namespace boxwander::cli
