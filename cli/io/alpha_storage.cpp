#include "cli/io/alpha_storage.h"

#include <cstdint>
#include <type_traits>

namespace boxwander::cli {
namespace {

// Integer depths: exact in 64 bits, ties rounded up; float: in double, rounded once to float.
template <class C>
C Divide(C colour, C alpha, C full) noexcept {
  if constexpr (std::is_same_v<C, float>) {
    return alpha > 0.0f ? static_cast<float>(static_cast<double>(colour) / alpha) : 0.0f;
  } else {
    if (alpha == 0)
      return 0;
    const std::uint64_t v = (2ull * colour * full + alpha) / (2ull * alpha);
    return static_cast<C>(v > full ? full : v);
  }
}

template <class C>
C Multiply(C colour, C alpha, C full) noexcept {
  if constexpr (std::is_same_v<C, float>) {
    return static_cast<float>(static_cast<double>(colour) * alpha);
  } else {
    // Capped: only values above full scale, which no valid picture holds, could exceed it.
    const std::uint64_t v = (2ull * colour * alpha + full) / (2ull * full);
    return static_cast<C>(v > full ? full : v);
  }
}

template <class P, class F>
void EachPixel(Image& image, F f) {
  P* p = image.pixels<P>();
  for (std::int64_t i = 0; i < image.pixelCount(); ++i) {
    constexpr auto full = PixelTraits<P>::kFull;
    p[i].red = f(p[i].red, p[i].alpha, full);
    p[i].green = f(p[i].green, p[i].alpha, full);
    p[i].blue = f(p[i].blue, p[i].alpha, full);
  }
}

template <class F>
void ForDepth(Image& image, F f) {
  VisitFormat(image.format(), [&]<class P>(PixelTag<P>) { EachPixel<P>(image, f); });
}

}  // namespace

void Unpremultiply(Image& image) {
  ForDepth(image, [](auto c, auto a, auto full) { return Divide<decltype(c)>(c, a, full); });
}

void Premultiply(Image& image) {
  ForDepth(image, [](auto c, auto a, auto full) { return Multiply<decltype(c)>(c, a, full); });
}

}  // namespace boxwander::cli
