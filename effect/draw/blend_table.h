#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "draw/pixel.h"

namespace boxwander {

// Exact integer division by multiplication. The integer over-blends divide numerators
// n = source * s + destination * d by the result alpha a (1 .. full scale), and
// n / a == (n * Reciprocal(a)) >> kShift for every numerator they can form:
//
//   with m = ceil(2^k / a) and e = m * a - 2^k (0 <= e < a),
//   n * m / 2^k = n / a + n * e / (a * 2^k), and the last term stays below 1 / a, too
//   little to reach the next multiple of 1 / a, as long as n * e < 2^k.
//
// 8 bits: a = s + d <= 255 is never limited, and n <= 255 * a, so n * e < 255 * 255^2 < 2^24.
// 16 bits: while s + d < 32768, n <= 65535 * a (channels up to 65535, beyond full scale),
// so n * e < 2^16 * 2^15 * 2^15 = 2^46; a = 32768 is a power of two, e = 0, and
// n < 2^32 there. The products stay within the word: below 2^32 and 2^64.
// The test of this header checks both conditions for every divisor.
template <class P>
struct ReciprocalTable;

namespace blend_detail {

template <class Word, std::size_t kSize, int kShift>
constexpr std::array<Word, kSize> MakeReciprocals() {
  std::array<Word, kSize> table{};
  for (std::size_t a = 1; a < kSize; ++a) {
    table[a] = static_cast<Word>(((Word{1} << kShift) + a - 1) / a);
  }
  return table;
}

}  // namespace blend_detail

template <>
struct ReciprocalTable<Pixel8> {
  using Word = std::uint32_t;
  static constexpr int kShift = 24;
  static constexpr std::size_t kSize = 256;  // divisors 1..255
  static constexpr std::array<Word, kSize> kTable =
      blend_detail::MakeReciprocals<Word, kSize, kShift>();
};

template <>
struct ReciprocalTable<Pixel16> {
  using Word = std::uint64_t;
  static constexpr int kShift = 46;
  static constexpr std::size_t kSize = 32769;  // divisors 1..32768
  static constexpr std::array<Word, kSize> kTable =
      blend_detail::MakeReciprocals<Word, kSize, kShift>();
};

}  // namespace boxwander
