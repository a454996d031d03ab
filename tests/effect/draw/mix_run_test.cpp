// The vector blends divide exactly: their quotient steps checked over every divisor and
// every numerator the blends can form (8 bits) or at the numerators where rounding could
// show (16 bits), and the whole 8-bit loops (SSE2 and AVX2) over every source alpha,
// destination alpha and destination channel.
#include "draw/mix_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "draw/blend_run.h"

namespace boxwander {
namespace {

#if defined(BOXWANDER_VECTOR_MIX)

// Every 8-bit numerator n = 0 .. 255 * a of every divisor a = 1 .. 255, four at a time
// (a group running past 255 * a repeats its last numerator).
TEST(VectorMix, EveryEightBitQuotient) {
  alignas(16) std::int32_t q[4];
  for (std::int32_t a = 1; a <= 255; ++a) {
    const __m128 inverse = _mm_div_ps(_mm_set1_ps(1.0f), _mm_set1_ps(static_cast<float>(a)));
    const std::int32_t top = 255 * a;
    for (std::int32_t n = 0; n <= top; n += 4) {
      const std::int32_t ns[4] = {n, std::min(n + 1, top), std::min(n + 2, top),
                                  std::min(n + 3, top)};
      // The numerator split as the blend splits it: a product plus a weighted source.
      const __m128i product = _mm_setr_epi32(ns[0], ns[1], ns[2], ns[3]);
      _mm_store_si128(reinterpret_cast<__m128i*>(q),
                      mix_sse2::Quotients8(product, _mm_set1_ps(0.5f), inverse));
      for (int i = 0; i < 4; ++i) {
        if (q[i] != ns[i] / a) {
          FAIL() << ns[i] << " / " << a << " gave " << q[i];
        }
      }
    }
  }
}

// A run loop of one depth: the SSE2 one, and the AVX2 one where the build has it.
using MixRun8 = void (*)(Pixel8* row, std::int64_t from, std::int64_t to,
                         const MixColor<Pixel8>& mix) noexcept;

// The whole 8-bit loop against BlendOver: for every source alpha 1 .. 254, one row of every
// destination alpha with every destination channel value (in all three channels, turned
// differently, and with source channels that vary with the alpha). The numerators it forms
// are the ones checked above, so the colour channels need not be run through every source
// value as well.
void CheckEveryEightBitAlphaAndDestination(MixRun8 run) {
  std::vector<Pixel8> row(65536);
  for (int s = 1; s <= 254; ++s) {
    for (int i = 0; i < 65536; ++i) {
      const auto da = static_cast<std::uint8_t>(i >> 8);
      const auto c = static_cast<std::uint8_t>(i);
      row[static_cast<std::size_t>(i)] = {da, c, static_cast<std::uint8_t>(255 - c),
                                          static_cast<std::uint8_t>(c ^ 0x5A)};
    }
    const Pixel8 colour{static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(255 - s),
                        static_cast<std::uint8_t>(s * 7), static_cast<std::uint8_t>(s | 0x80)};
    std::vector<Pixel8> plain = row;
    run(row.data(), 0, 65535, MixColor<Pixel8>::Of(colour));
    BlendRunPlain(plain.data(), 0, 65535, colour);
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (!(row[i] == plain[i])) {
        FAIL() << "source alpha " << s << ", destination " << ::testing::PrintToString(plain[i])
               << " (before: pixel " << i << ")";
      }
    }
  }
}

TEST(VectorMix, EveryEightBitAlphaAndDestination) {
  CheckEveryEightBitAlphaAndDestination(MixRunVector);
}

TEST(VectorMix, EveryEightBitAlphaAndDestinationAvx2) {
#if defined(BOXWANDER_AVX2_MIX)
  if (!mix_avx2::Supported()) {
    GTEST_SKIP() << "this processor has no AVX2";
  }
  CheckEveryEightBitAlphaAndDestination(MixRunAvx2);
#else
  GTEST_SKIP() << "no AVX2 loop in this build";
#endif
}

// 16 bits: for every divisor a = 1 .. 32768, the numerators next to multiples of a, where a
// rounding would first change the quotient (k * a - 1, k * a, k * a + a - 1), for quotients
// k from 0 up to the largest numerator a blend forms with that divisor: 65535 * a, or
// 65535 * 65536 when a is 32768 (where s + d beyond full scale is limited).
// One 16-bit quotient step, n / a with the inverse worked out as the blend does, in every
// lane: the quotient, or -1 where the lanes disagree.
using Quotient16 = std::int64_t (*)(std::int64_t n, std::int64_t a);

std::int64_t Sse2Quotient16(std::int64_t n, std::int64_t a) {
  const __m128d inverse = _mm_div_pd(_mm_set1_pd(1.0), _mm_set1_pd(static_cast<double>(a)));
  alignas(16) std::int32_t q[4];
  _mm_store_si128(
      reinterpret_cast<__m128i*>(q),
      mix_sse2::Quotients16(_mm_set1_pd(static_cast<double>(n)), _mm_set1_pd(0.5), inverse));
  return q[0] == q[1] ? q[0] : -1;
}

#if defined(BOXWANDER_AVX2_MIX)
__attribute__((target("avx2"))) std::int64_t Avx2Quotient16(std::int64_t n, std::int64_t a) {
  const __m256d inverse =
      _mm256_div_pd(_mm256_set1_pd(1.0), _mm256_set1_pd(static_cast<double>(a)));
  alignas(16) std::int32_t q[4];
  _mm_store_si128(
      reinterpret_cast<__m128i*>(q),
      mix_avx2::Quotients16(_mm256_set1_pd(static_cast<double>(n)), _mm256_set1_pd(0.5), inverse));
  return q[0] == q[1] && q[0] == q[2] && q[0] == q[3] ? q[0] : -1;
}
#endif

void CheckSixteenBitQuotientsAtEveryDivisor(Quotient16 quotient) {
  for (std::int64_t a = 1; a <= 32768; ++a) {
    const std::int64_t largest = 65535 * (a < 32768 ? a : 65536);
    const std::int64_t top = largest / a;
    const std::int64_t ks[] = {0,     1,     2,     3,       255,     256,     32767,
                               32768, 32769, 65535, top / 3, top / 2, top - 1, top};
    for (const std::int64_t k : ks) {
      for (const std::int64_t n : {k * a - 1, k * a, k * a + a - 1}) {
        if (n < 0 || n > largest) {
          continue;
        }
        const std::int64_t q = quotient(n, a);
        if (q != n / a) {
          FAIL() << n << " / " << a << " gave " << q;
        }
      }
    }
  }
}

TEST(VectorMix, SixteenBitQuotientsAtEveryDivisor) {
  CheckSixteenBitQuotientsAtEveryDivisor(Sse2Quotient16);
}

TEST(VectorMix, SixteenBitQuotientsAtEveryDivisorAvx2) {
#if defined(BOXWANDER_AVX2_MIX)
  if (!mix_avx2::Supported()) {
    GTEST_SKIP() << "this processor has no AVX2";
  }
  CheckSixteenBitQuotientsAtEveryDivisor(Avx2Quotient16);
#else
  GTEST_SKIP() << "no AVX2 loop in this build";
#endif
}

// The 16-bit results are limited to full scale as they are narrowed: every value up to
// beyond the largest quotient, 65535 * 65536 / 32768.
TEST(VectorMix, SixteenBitNarrowingLimitsToFullScale) {
  alignas(16) std::uint16_t narrowed[8];
  for (std::int32_t v = 0; v <= 131072; v += 4) {
    const __m128i x = _mm_setr_epi32(v, v + 1, v + 2, v + 3);
    _mm_store_si128(reinterpret_cast<__m128i*>(narrowed),
                    mix_sse2::NarrowToFull(x, _mm_set1_epi32(v)));
    for (int i = 0; i < 8; ++i) {
      const std::int32_t expected = std::min(i < 4 ? v + i : v, 32768);
      if (narrowed[i] != expected) {
        FAIL() << "lane " << i << " of " << v << " gave " << narrowed[i];
      }
    }
  }
}

// The whole 16-bit loop against BlendOver over every destination alpha the channel holds
// (beyond full scale too), for source alphas at the ends and in between, channels at 0,
// full scale and the channel's maximum.
using MixRun16 = void (*)(Pixel16* row, std::int64_t from, std::int64_t to,
                          const MixColor<Pixel16>& mix) noexcept;
void CheckEverySixteenBitDestinationAlpha(MixRun16 run) {
  const std::uint16_t channels[] = {0, 1, 32767, 32768, 65535};
  for (const std::uint16_t s : {1, 2, 255, 16384, 32766, 32767}) {
    for (const std::uint16_t c : channels) {
      std::vector<Pixel16> row(65536);
      for (std::size_t i = 0; i < row.size(); ++i) {
        row[i] = {static_cast<std::uint16_t>(i), c, static_cast<std::uint16_t>(65535 - c),
                  static_cast<std::uint16_t>(i * 3)};
      }
      const Pixel16 colour{s, static_cast<std::uint16_t>(65535 - c), c, 32768};
      std::vector<Pixel16> plain = row;
      run(row.data(), 0, 65535, MixColor<Pixel16>::Of(colour));
      BlendRunPlain(plain.data(), 0, 65535, colour);
      for (std::size_t i = 0; i < row.size(); ++i) {
        if (!(row[i] == plain[i])) {
          FAIL() << "source alpha " << s << ", channel " << c << ", pixel " << i << ": "
                 << ::testing::PrintToString(row[i]) << " against "
                 << ::testing::PrintToString(plain[i]);
        }
      }
    }
  }
}

TEST(VectorMix, EverySixteenBitDestinationAlpha) {
  CheckEverySixteenBitDestinationAlpha(MixRunVector);
}

TEST(VectorMix, EverySixteenBitDestinationAlphaAvx2) {
#if defined(BOXWANDER_AVX2_MIX)
  if (!mix_avx2::Supported()) {
    GTEST_SKIP() << "this processor has no AVX2";
  }
  CheckEverySixteenBitDestinationAlpha(MixRunAvx2);
#else
  GTEST_SKIP() << "no AVX2 loop in this build";
#endif
}

#else

TEST(VectorMix, NotOnThisMachine) {
  GTEST_SKIP() << "no vector loops on this machine";
}

#endif

}  // namespace
}  // namespace boxwander
