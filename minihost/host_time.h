#pragma once

#include <cstdint>

namespace boxwander::minihost {

// A time as the host passes it: value and step in units of 1/scale second.
struct HostTime {
  std::int32_t value = 0;
  std::int32_t step = 1;
  std::uint32_t scale = 30;

  double seconds() const noexcept {
    return scale == 0 ? 0.0 : static_cast<double>(value) / static_cast<double>(scale);
  }
  // The time of frame `frame` at `scale` frames per second.
  static constexpr HostTime Frame(std::int32_t frame, std::uint32_t scale = 30) noexcept {
    return {frame, 1, scale};
  }
};

}  // namespace boxwander::minihost
