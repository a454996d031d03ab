#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "cli/shapes/mask_shape.h"

namespace boxwander::shapes {

struct MaskKey {
  std::int32_t frame = 0;
  MaskShape shape;
};

// A mask over time as the compositing host animates one: keyframes of the same vertex count
// and closedness, interpolated linearly vertex by vertex (positions and both handles)
// between two keyframes, and held before the first and after the last.
class MaskTrack {
 public:
  explicit MaskTrack(MaskShape shape);
  // Keyframes in any order. Throws std::invalid_argument, saying why, when there is none,
  // when two share a frame, or when their vertex counts or closedness differ.
  explicit MaskTrack(std::vector<MaskKey> keys);

  MaskShape at(std::int32_t frame) const;
  bool animated() const noexcept { return keys_.size() > 1; }

 private:
  std::vector<MaskKey> keys_;  // sorted by frame, never empty
};

}  // namespace boxwander::shapes
