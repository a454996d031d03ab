#pragma once

#include <cstdint>

namespace boxwander {

// The depth of a render.
enum class PixelFormat : std::int32_t { k8 = 0, k16 = 1, kFloat = 2 };

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
  static constexpr PixelFormat kFormat = PixelFormat::k8;
};
template <>
struct PixelTraits<Pixel16> {
  using Channel = std::uint16_t;
  static constexpr Channel kFull = 32768;
  static constexpr PixelFormat kFormat = PixelFormat::k16;
};
template <>
struct PixelTraits<PixelFloat> {
  using Channel = float;
  static constexpr Channel kFull = 1.0f;
  static constexpr PixelFormat kFormat = PixelFormat::kFloat;
};

// The depth of a pixel type.
template <class P>
inline constexpr PixelFormat kFormatOf = PixelTraits<P>::kFormat;

// A pixel type as a value, for VisitFormat's visitor: [&]<class P>(PixelTag<P>) { ... }.
template <class P>
struct PixelTag {
  using Pixel = P;
};

// Calls f with the PixelTag of format's pixel type and returns what f returns: the one
// place where a depth known at run time becomes a pixel type. No PixelFormat holds a value
// outside the three; were one made by a cast, it would count as float.
template <class F>
constexpr decltype(auto) VisitFormat(PixelFormat format, F&& f) {
  switch (format) {
    case PixelFormat::k8:
      return f(PixelTag<Pixel8>{});
    case PixelFormat::k16:
      return f(PixelTag<Pixel16>{});
    case PixelFormat::kFloat:
      break;
  }
  return f(PixelTag<PixelFloat>{});
}

inline constexpr std::int32_t BytesPerPixel(PixelFormat format) noexcept {
  return VisitFormat(format,
                     []<class P>(PixelTag<P>) { return static_cast<std::int32_t>(sizeof(P)); });
}
static_assert(BytesPerPixel(PixelFormat::k8) == 4 && BytesPerPixel(PixelFormat::k16) == 8 &&
              BytesPerPixel(PixelFormat::kFloat) == 16);

}  // namespace boxwander
