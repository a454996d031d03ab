#pragma once

#include <cstdint>
#include <type_traits>

#include "draw/blend.h"
#include "draw/blend_table.h"
#include "draw/pixel.h"

namespace boxwander {

// A translucent colour ready to be blended over runs: the colour, and each colour channel
// times its alpha (red, green, blue), worked out once per rectangle as BlendOver does per
// pixel. Integer alphas are above 0 and below full scale; float alphas anything but 0 and 1.
template <class P>
struct MixColor {
  using Weighted = std::conditional_t<std::is_same_v<P, PixelFloat>, float, std::uint32_t>;
  P color;
  Weighted weighted[3];

  static MixColor Of(P color) noexcept {
    return {color,
            {Weigh(color.red, color.alpha), Weigh(color.green, color.alpha),
             Weigh(color.blue, color.alpha)}};
  }

 private:
  using Channel = typename PixelTraits<P>::Channel;
  static Weighted Weigh(Channel c, Channel s) noexcept {
    if constexpr (std::is_floating_point_v<Channel>) {
      return c * s;
    } else {
      return std::uint32_t{c} * s;
    }
  }
};

// The over-blend of a MixColor onto row[from..to], one pixel at a time: the way of machines
// without the vector loops. Same results as BlendOver, bit for bit.
template <class P>
inline void MixRunScalar(P* row, std::int64_t from, std::int64_t to,
                         const MixColor<P>& mix) noexcept {
  // Integer depths: the destination's weight and the result alpha follow from its alpha,
  // the division from the reciprocal table.
  using B = blend_detail::IntegerBlend<P>;
  using R = ReciprocalTable<P>;
  using Word = typename R::Word;
  using Channel = typename PixelTraits<P>::Channel;
  constexpr std::uint32_t kFull = PixelTraits<P>::kFull;
  const P color = mix.color;
  const std::uint32_t s = color.alpha;
  const std::uint32_t rest = B::kUnit - s;
  for (std::int64_t x = from; x <= to; ++x) {
    const P dst = row[x];
    if (dst.alpha == 0) {
      row[x] = color;
      continue;
    }
    const std::uint32_t d = (rest * dst.alpha) >> B::kShift;
    const std::uint32_t a = s + d < kFull ? s + d : kFull;
    const Word m = R::kTable[a];
    const auto channel = [&](std::uint32_t weighted, Channel c) {
      const auto q = static_cast<std::uint32_t>((Word{weighted + c * d} * m) >> R::kShift);
      return static_cast<Channel>(q < kFull ? q : kFull);
    };
    row[x] = {static_cast<Channel>(a), channel(mix.weighted[0], dst.red),
              channel(mix.weighted[1], dst.green), channel(mix.weighted[2], dst.blue)};
  }
}

// Float: every step rounded to single precision as in BlendOver, written without branches.
// A result alpha of 0 or below gives all zeros; the division is then made by 1 instead,
// and its result dropped.
template <>
inline void MixRunScalar(PixelFloat* row, std::int64_t from, std::int64_t to,
                         const MixColor<PixelFloat>& mix) noexcept {
  const PixelFloat src = mix.color;
  const float s = src.alpha;
  const float rest = 1.0f - s;
  const float wr = mix.weighted[0];
  const float wg = mix.weighted[1];
  const float wb = mix.weighted[2];
  for (std::int64_t x = from; x <= to; ++x) {
    const PixelFloat dst = row[x];
    const float d = rest * dst.alpha;
    float a = s + d;
    a = a > 1.0f ? 1.0f : a;
    const bool none = a <= 0.0f;
    const float divisor = none ? 1.0f : a;
    const float r = (wr + dst.red * d) / divisor;
    const float g = (wg + dst.green * d) / divisor;
    const float b = (wb + dst.blue * d) / divisor;
    const bool take = dst.alpha == 0.0f;
    row[x] = {take   ? src.alpha
              : none ? 0.0f
                     : a,
              take   ? src.red
              : none ? 0.0f
                     : r,
              take   ? src.green
              : none ? 0.0f
                     : g,
              take   ? src.blue
              : none ? 0.0f
                     : b};
  }
}

}  // namespace boxwander

// x86-64 always has SSE2; elsewhere the scalar loops do all the work.
#if defined(__SSE2__)
#define BOXWANDER_VECTOR_MIX 1
#include "draw/mix_run_sse2.h"
#endif

// AVX2 beside it, chosen at run time, with GCC or Clang on x86-64. Not on Windows:
// MinGW-w64's GCC does not align the stack for 32-byte spills of AVX values.
#if defined(BOXWANDER_VECTOR_MIX) && defined(__x86_64__) && defined(__GNUC__) && !defined(_WIN32)
#define BOXWANDER_AVX2_MIX 1
#include "draw/mix_run_avx2.h"
#endif

namespace boxwander {

// The over-blend of a MixColor onto row[from..to], in vector registers where the machine
// has them: the widest it has.
template <class P>
inline void MixRun(P* row, std::int64_t from, std::int64_t to, const MixColor<P>& mix) noexcept {
#if defined(BOXWANDER_AVX2_MIX)
  if (mix_avx2::Supported()) {
    MixRunAvx2(row, from, to, mix);
    return;
  }
#endif
#if defined(BOXWANDER_VECTOR_MIX)
  MixRunVector(row, from, to, mix);
#else
  MixRunScalar(row, from, to, mix);
#endif
}

}  // namespace boxwander
