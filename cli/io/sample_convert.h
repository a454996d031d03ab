#pragma once

#include <cmath>
#include <cstdint>

#include "common/truncate.h"
#include "draw/pixel.h"

namespace boxwander::cli {

// One channel from a file's sample type (8-bit, 16-bit 0..65535, float) to an effect depth
// (8-bit, 16-bit 0..32768, float), and from an effect depth back to its file type.
// Integer scalings round to the nearest; a tie is rounded up. The 16-bit ties never occur
// reading (v * 32768 / 65535 is never k + 1/2) and once writing (16384 -> 32767.5 -> 32768).
// Effect 16-bit values survive a write and a read unchanged; 8-bit and float ones trivially.

// floor(v * to / from + 1/2) in integers.
constexpr std::uint32_t Rescale(std::uint32_t v, std::uint32_t from, std::uint32_t to) noexcept {
  return static_cast<std::uint32_t>((2ull * v * to + from) / (2ull * from));
}

// floor(clamp(f, 0, 1) * full + 1/2); NaN counts as 0.
inline std::uint32_t FromUnit(float f, std::uint32_t full) noexcept {
  const double clamped = f > 1.0f ? 1.0 : (f > 0.0f ? static_cast<double>(f) : 0.0);
  return static_cast<std::uint32_t>(TruncateToInt32(std::floor(clamped * full + 0.5)));
}

template <class Channel>
struct FileSample;  // Channel: the effect's channel type

template <>
struct FileSample<std::uint8_t> {
  static std::uint8_t From(std::uint8_t v) noexcept { return v; }
  static std::uint8_t From(std::uint16_t v) noexcept {
    return static_cast<std::uint8_t>(Rescale(v, 65535, 255));
  }
  static std::uint8_t From(float v) noexcept { return static_cast<std::uint8_t>(FromUnit(v, 255)); }
};

template <>
struct FileSample<std::uint16_t> {  // the effect's 0..32768
  static std::uint16_t From(std::uint8_t v) noexcept {
    return static_cast<std::uint16_t>(Rescale(v, 255, 32768));
  }
  static std::uint16_t From(std::uint16_t v) noexcept {
    return static_cast<std::uint16_t>(Rescale(v, 65535, 32768));
  }
  static std::uint16_t From(float v) noexcept {
    return static_cast<std::uint16_t>(FromUnit(v, 32768));
  }
};

template <>
struct FileSample<float> {
  static float From(std::uint8_t v) noexcept { return static_cast<float>(v) / 255.0f; }
  static float From(std::uint16_t v) noexcept { return static_cast<float>(v) / 65535.0f; }
  static float From(float v) noexcept { return v; }
};

// Back to the file: 8-bit and float as they are, 16-bit from 0..32768 to 0..65535
// (values above 32768 count as 32768).
inline std::uint8_t ToFile(std::uint8_t v) noexcept {
  return v;
}
inline std::uint16_t ToFile(std::uint16_t v) noexcept {
  return static_cast<std::uint16_t>(Rescale(v > 32768 ? 32768 : v, 32768, 65535));
}
inline float ToFile(float v) noexcept {
  return v;
}

}  // namespace boxwander::cli
