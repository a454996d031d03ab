#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "draw/blend.h"
#include "draw/copy_row.h"
#include "draw/mix_run.h"
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
      mix_ = MixColor<P>::Of(color);
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
        MixRun(row, from, to, mix_);
        return;
      case Kind::kPlain:
        BlendRunPlain(row, from, to, color_);
        return;
    }
  }

 private:
  enum class Kind { kFill, kUnder, kMix, kPlain };
  using Channel = typename PixelTraits<P>::Channel;

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
  P color_;
  Kind kind_ = Kind::kPlain;
  MixColor<P> mix_{};  // set for kMix only
};

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
    CopyRow(row + x0, pixels_, static_cast<std::size_t>(count_) * sizeof(P));
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
