#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "draw/blend.h"
#include "draw/blend_table.h"
#include "draw/pixel.h"

namespace boxwander {

// The over-blend of one colour onto a run of pixels, pixel by pixel: the plain reference
// that every faster way of blending a run must match bit for bit.
template <class P>
void BlendRunPlain(P* row, std::int64_t from, std::int64_t to, P color) noexcept {
  for (std::int64_t x = from; x <= to; ++x) {
    row[x] = BlendOver(row[x], color);
  }
}

// One colour worked out for blending runs: what depends only on the source is settled once
// per rectangle, so a run does only what each destination pixel needs. Same results as
// BlendOver, bit for bit.
template <class P>
class RunColor {
 public:
  explicit RunColor(P color) noexcept : color_(color) {
    using Channel = typename PixelTraits<P>::Channel;
    const Channel s = color.alpha;
    if (s == PixelTraits<P>::kFull) {
      kind_ = Kind::kFill;
    } else if (s == Channel{0}) {
      kind_ = Kind::kUnder;
    } else if (Mixable(s)) {
      kind_ = Kind::kMix;
      weighted_[0] = Weigh(color.red, s);
      weighted_[1] = Weigh(color.green, s);
      weighted_[2] = Weigh(color.blue, s);
    } else {
      kind_ = Kind::kPlain;
    }
  }

  // Opaque: the blend is the colour itself, whatever lies below.
  bool fills() const noexcept { return kind_ == Kind::kFill; }
  P color() const noexcept { return color_; }

  void blend(P* row, std::int64_t from, std::int64_t to) const noexcept {
    switch (kind_) {
      case Kind::kFill:  // an opaque source replaces every pixel
        Fill(row, from, to, color_);
        return;
      case Kind::kUnder:  // a transparent source shows only where nothing is
        Under(row, from, to, color_);
        return;
      case Kind::kMix:
        Mix(row, from, to);
        return;
      case Kind::kPlain:
        BlendRunPlain(row, from, to, color_);
        return;
    }
  }

 private:
  enum class Kind { kFill, kUnder, kMix, kPlain };
  using Channel = typename PixelTraits<P>::Channel;
  using Weighted = std::conditional_t<std::is_floating_point_v<Channel>, float, std::uint32_t>;

  // The colour passed by value: a copy the loops can keep in registers.
  static void Fill(P* row, std::int64_t from, std::int64_t to, const P c) noexcept {
    for (std::int64_t x = from; x <= to; ++x) {
      row[x].alpha = c.alpha;
      row[x].red = c.red;
      row[x].green = c.green;
      row[x].blue = c.blue;
    }
  }
  static void Under(P* row, std::int64_t from, std::int64_t to, const P c) noexcept {
    for (std::int64_t x = from; x <= to; ++x) {
      if (row[x].alpha == Channel{0}) {
        row[x] = c;
      }
    }
  }

  // Integer alphas beyond full scale (16 bits only) take the plain blend.
  static bool Mixable(Channel s) noexcept {
    if constexpr (std::is_floating_point_v<Channel>) {
      return true;
    } else {
      return s < PixelTraits<P>::kFull;
    }
  }
  static Weighted Weigh(Channel c, Channel s) noexcept {
    if constexpr (std::is_floating_point_v<Channel>) {
      return c * s;
    } else {
      return std::uint32_t{c} * s;
    }
  }

  void Mix(P* row, std::int64_t from, std::int64_t to) const noexcept;

  P color_;
  Kind kind_ = Kind::kPlain;
  Weighted weighted_[3] = {};  // each colour channel times the source alpha
};

// Integer depths: the destination's weight and the result alpha follow from its alpha,
// the division from the reciprocal table.
template <class P>
inline void RunColor<P>::Mix(P* row, std::int64_t from, std::int64_t to) const noexcept {
  using B = blend_detail::IntegerBlend<P>;
  using R = ReciprocalTable<P>;
  using Word = typename R::Word;
  constexpr std::uint32_t kFull = PixelTraits<P>::kFull;
  const std::uint32_t s = color_.alpha;
  const std::uint32_t rest = B::kUnit - s;
  for (std::int64_t x = from; x <= to; ++x) {
    const P dst = row[x];
    if (dst.alpha == 0) {
      row[x] = color_;
      continue;
    }
    const std::uint32_t d = (rest * dst.alpha) >> B::kShift;
    const std::uint32_t a = s + d < kFull ? s + d : kFull;
    const Word m = R::kTable[a];
    const auto mix = [&](std::uint32_t weighted, Channel c) {
      const auto q = static_cast<std::uint32_t>((Word{weighted + c * d} * m) >> R::kShift);
      return static_cast<Channel>(q < kFull ? q : kFull);
    };
    row[x] = {static_cast<Channel>(a), mix(weighted_[0], dst.red), mix(weighted_[1], dst.green),
              mix(weighted_[2], dst.blue)};
  }
}

// Float: every step rounded to single precision as in BlendOver, written without branches
// so that the loop vectorises. A result alpha of 0 or below gives all zeros; the division is
// then made by 1 instead, and its result dropped.
template <>
inline void RunColor<PixelFloat>::Mix(PixelFloat* row, std::int64_t from,
                                      std::int64_t to) const noexcept {
  const float s = color_.alpha;
  const float rest = 1.0f - s;
  const float wr = weighted_[0];
  const float wg = weighted_[1];
  const float wb = weighted_[2];
  const PixelFloat src = color_;
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

// With both colours opaque every inner row of a rectangle comes out the same: laid out once
// (edge, fill, edge), it is copied onto each row instead of blending three runs per row.
template <class P>
class OpaqueRow {
 public:
  // False (nothing laid out) unless both colours fill and the row fits the buffer.
  bool layOut(const RunColor<P>& edge, const RunColor<P>& fill, std::int64_t x0,
              std::int64_t innerX0, std::int64_t innerX1, std::int64_t x1) noexcept {
    if (!edge.fills() || !fill.fills() || x1 - x0 + 1 > kPixels || innerX0 > innerX1) {
      return false;
    }
    count_ = x1 - x0 + 1;
    const P e = edge.color();
    const P f = fill.color();
    for (std::int64_t x = x0; x <= x1; ++x) {
      pixels_[x - x0] = x < innerX0 || x > innerX1 ? e : f;
    }
    return true;
  }
  // The laid-out row onto row[x0..].
  void copyTo(P* row, std::int64_t x0) const noexcept {
    std::memcpy(row + x0, pixels_, static_cast<std::size_t>(count_) * sizeof(P));
  }

 private:
  static constexpr std::int64_t kPixels = 8192 / sizeof(P);
  P pixels_[kPixels];
  std::int64_t count_ = 0;
};

// The over-blend of one colour onto row[from..to].
template <class P>
inline void BlendRun(P* row, std::int64_t from, std::int64_t to,
                     const RunColor<P>& color) noexcept {
  color.blend(row, from, to);
}

}  // namespace boxwander
