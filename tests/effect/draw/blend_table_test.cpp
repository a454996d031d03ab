// The reciprocal tables divide exactly: checked for every divisor over every numerator the
// blends can form, not on samples.
#include "draw/blend_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "draw/blend.h"

namespace boxwander {
namespace {

// Largest s + d (before the limit to full scale) for any source alpha from 1 to below full
// scale and any destination alpha the channel type can hold.
template <class P>
std::uint64_t LargestWeightSum() {
  using B = blend_detail::IntegerBlend<P>;
  using Channel = typename PixelTraits<P>::Channel;
  constexpr std::uint64_t kMaxChannel = static_cast<Channel>(~Channel{0});
  std::uint64_t largest = 0;
  for (std::uint64_t s = 1; s < PixelTraits<P>::kFull; ++s) {
    const std::uint64_t d = ((B::kUnit - s) * kMaxChannel) >> B::kShift;
    largest = std::max(largest, s + d);
  }
  return largest;
}

// For every divisor a: the largest numerator n it meets is the largest channel value times
// s + d (which equals a unless a is limited to full scale); exactness holds for all n up to
// it when n * e < 2^k, e = m * a - 2^k, and n * m must fit the table's word.
template <class P>
void CheckEveryDivisor() {
  using R = ReciprocalTable<P>;
  using Channel = typename PixelTraits<P>::Channel;
  constexpr std::uint64_t kFull = PixelTraits<P>::kFull;
  constexpr std::uint64_t kMaxChannel = static_cast<Channel>(~Channel{0});
  const std::uint64_t largest_sum = LargestWeightSum<P>();
  // Every product below stays under 2^63: m < 2^47, a <= 2^15, n < 2^32, e < a.
  const std::uint64_t two_k = std::uint64_t{1} << R::kShift;
  const std::uint64_t word_max = std::numeric_limits<typename R::Word>::max();
  for (std::uint64_t a = 1; a <= kFull; ++a) {
    const std::uint64_t m = R::kTable[a];
    ASSERT_GE(m * a, two_k) << a;
    const std::uint64_t e = m * a - two_k;
    ASSERT_LT(e, a) << a;
    const std::uint64_t n_max = kMaxChannel * (a < kFull ? a : largest_sum);
    ASSERT_LT(n_max * e, two_k) << "divisor " << a;
    ASSERT_LE(n_max, word_max / m) << "divisor " << a;
  }
}

TEST(ReciprocalTable, ExactForEveryDivisorEightBit) {
  CheckEveryDivisor<Pixel8>();
  // 8 bits never limit s + d, so a = s + d and the numerators stop at 255 * a.
  EXPECT_EQ(LargestWeightSum<Pixel8>(), 255u);
}

TEST(ReciprocalTable, ExactForEveryDivisorSixteenBit) {
  CheckEveryDivisor<Pixel16>();
}

// Backs the bound above with the division itself, every numerator of every 8-bit divisor.
TEST(ReciprocalTable, EveryEightBitQuotient) {
  using R = ReciprocalTable<Pixel8>;
  for (std::uint32_t a = 1; a <= 255; ++a) {
    for (std::uint32_t n = 0; n <= 255 * a; ++n) {
      if ((n * R::kTable[a]) >> R::kShift != n / a) {
        FAIL() << n << " / " << a;
      }
    }
  }
}

}  // namespace
}  // namespace boxwander
