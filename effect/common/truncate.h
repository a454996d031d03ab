#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace boxwander {

// The one conversion from floating point to a 32-bit integer: toward zero, as C does,
// but defined everywhere. NaN gives 0; values beyond the range saturate at its ends.
constexpr std::int32_t TruncateToInt32(double value) noexcept {
  if (value != value) {
    return 0;
  }
  // Compared before the cast: a cast of an out-of-range value is undefined.
  if (value <= -2147483649.0) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (value >= 2147483648.0) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(value);
}

// Adds without leaving the 32-bit range: the sum saturates instead of wrapping.
constexpr std::int32_t SaturatingAdd(std::int32_t a, std::int32_t b) noexcept {
  const std::int64_t sum = static_cast<std::int64_t>(a) + b;
  if (sum > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (sum < std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(sum);
}

}  // namespace boxwander
