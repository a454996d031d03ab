#pragma once

#include <cstdint>

namespace boxwander {

// The depth of a render.
enum class PixelFormat : std::int32_t { k8 = 0, k16 = 1, kFloat = 2 };

inline constexpr std::int32_t BytesPerPixel(PixelFormat f) noexcept {
  return f == PixelFormat::k8 ? 4 : f == PixelFormat::k16 ? 8 : 16;
}

// The three pixel layouts: alpha, red, green, blue.
struct Pixel8 {
  std::uint8_t alpha, red, green, blue;
  friend bool operator==(const Pixel8&, const Pixel8&) = default;
};
struct Pixel16 {  // full scale is 32768, not 65535
  std::uint16_t alpha, red, green, blue;
  friend bool operator==(const Pixel16&, const Pixel16&) = default;
};
struct PixelFloat {  // 0.0 to 1.0 nominal; colour channels may exceed 1.0
  float alpha, red, green, blue;
  friend bool operator==(const PixelFloat&, const PixelFloat&) = default;
};

// What differs between the depths; one templated implementation serves all three.
template <class P>
struct PixelTraits;

template <>
struct PixelTraits<Pixel8> {
  using Channel = std::uint8_t;
  static constexpr Channel kFull = 255;
};
template <>
struct PixelTraits<Pixel16> {
  using Channel = std::uint16_t;
  static constexpr Channel kFull = 32768;
};
template <>
struct PixelTraits<PixelFloat> {
  using Channel = float;
  static constexpr Channel kFull = 1.0f;
};

}  // namespace boxwander
