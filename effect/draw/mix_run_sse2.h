#pragma once

// The over-blend runs in SSE2 registers: the x86-64 baseline, so no dispatch at run time.
// Included by mix_run.h only where __SSE2__ is defined. Same results as BlendOver, bit for
// bit; pixels left over at the end of a run go through MixRunScalar.

#include <emmintrin.h>

#include <bit>
#include <cstdint>

#include "draw/pixel.h"

namespace boxwander {

namespace mix_sse2 {

// floor(n / a) in four 32-bit lanes, for 1 <= a <= 255 and 0 <= n <= 255 * a (every
// numerator an 8-bit blend forms), given inverse = 1 / a in single precision. (n + 1/2) / a
// lies at least 1 / (2a) >= 1/510 away from every integer, and the two roundings (of 1 / a
// and of the product, both below 256) move it by less than 256 * 2^-23: truncation gives the
// exact quotient. n + 1/2 itself is exact, n being below 2^16.
inline __m128i Quotients8(__m128i n, __m128 inverse) noexcept {
  const __m128 x = _mm_add_ps(_mm_cvtepi32_ps(n), _mm_set1_ps(0.5f));
  return _mm_cvttps_epi32(_mm_mul_ps(x, inverse));
}

// min(floor(n / a), 32768) in two double lanes, each as a 32-bit integer in the low half,
// for 1 <= a <= 32768 and integers 0 <= n < 2^33 (16-bit blends stay below 2^32), given
// inverse = 1 / a in double precision. (n + 1/2) / a lies at least 1 / (2a) >= 2^-16 away
// from every integer; n + 1/2 is exact and the two roundings move a quotient below 2^18 by
// less than 2^18 * 2^-52. Limited before the truncation, which then cannot overflow.
inline __m128i Quotients16(__m128d n, __m128d inverse) noexcept {
  const __m128d x = _mm_mul_pd(_mm_add_pd(n, _mm_set1_pd(0.5)), inverse);
  return _mm_cvttpd_epi32(_mm_min_pd(x, _mm_set1_pd(32768.0)));
}

// Where the pixels left over by four at a time start in a run from..to (empty when to is
// below from).
inline std::int64_t TailStart(std::int64_t from, std::int64_t to) noexcept {
  return to < from ? from : from + (to - from + 1) / 4 * 4;
}

// The upper two 32-bit lanes as doubles.
inline __m128d HighToDouble(__m128i v) noexcept {
  return _mm_cvtepi32_pd(_mm_unpackhi_epi64(v, v));
}

// 32-bit lanes holding 0 .. 65535 to 16-bit lanes, x's four before y's. The signed pack
// would saturate 32768 and above, so each value is first made the signed 16-bit number
// with the same bits.
inline __m128i Narrow(__m128i x, __m128i y) noexcept {
  return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(x, 16), 16),
                         _mm_srai_epi32(_mm_slli_epi32(y, 16), 16));
}

// where ? a : b, bit by bit.
inline __m128i Select(__m128i where, __m128i a, __m128i b) noexcept {
  return _mm_or_si128(_mm_and_si128(where, a), _mm_andnot_si128(where, b));
}
inline __m128 Select(__m128 where, __m128 a, __m128 b) noexcept {
  return _mm_or_ps(_mm_and_ps(where, a), _mm_andnot_ps(where, b));
}

}  // namespace mix_sse2

// 8 bits: four pixels at a time, one per 32-bit lane (alpha in the low byte). All integer
// steps stay below 2^16, where the 16-bit multiply of lanes with zero upper halves is exact:
// rest * da <= 255 * 255, and n = weighted + c * d <= 255 * (s + d) = 255 * a.
inline void MixRunVector(Pixel8* row, std::int64_t from, std::int64_t to,
                         const MixColor<Pixel8>& mix) noexcept {
  using mix_sse2::Quotients8;
  using mix_sse2::Select;
  using mix_sse2::TailStart;
  const __m128i byte = _mm_set1_epi32(0xFF);
  const __m128i zero = _mm_setzero_si128();
  const __m128i s = _mm_set1_epi32(mix.color.alpha);
  const __m128i rest = _mm_set1_epi32(256 - mix.color.alpha);
  const __m128i full = _mm_set1_epi32(255);
  const __m128i wr = _mm_set1_epi32(static_cast<std::int32_t>(mix.weighted[0]));
  const __m128i wg = _mm_set1_epi32(static_cast<std::int32_t>(mix.weighted[1]));
  const __m128i wb = _mm_set1_epi32(static_cast<std::int32_t>(mix.weighted[2]));
  const __m128i source = _mm_set1_epi32(std::bit_cast<std::int32_t>(mix.color));
  const __m128 one = _mm_set1_ps(1.0f);
  const std::int64_t tail = TailStart(from, to);
  for (std::int64_t x = from; x < tail; x += 4) {
    __m128i* const at = reinterpret_cast<__m128i*>(row + x);
    const __m128i v = _mm_loadu_si128(at);
    const __m128i da = _mm_and_si128(v, byte);
    const __m128i d = _mm_srli_epi32(_mm_mullo_epi16(da, rest), 8);
    // s + d never exceeds 255 here; limited all the same, as BlendOver does.
    const __m128i a = _mm_min_epi16(_mm_add_epi32(s, d), full);
    const __m128 inverse = _mm_div_ps(one, _mm_cvtepi32_ps(a));
    const auto channel = [&](__m128i c, __m128i weighted) {
      return Quotients8(_mm_add_epi32(weighted, _mm_mullo_epi16(c, d)), inverse);
    };
    const __m128i r = channel(_mm_and_si128(_mm_srli_epi32(v, 8), byte), wr);
    const __m128i g = channel(_mm_and_si128(_mm_srli_epi32(v, 16), byte), wg);
    const __m128i b = channel(_mm_srli_epi32(v, 24), wb);
    const __m128i mixed = _mm_or_si128(_mm_or_si128(a, _mm_slli_epi32(r, 8)),
                                       _mm_or_si128(_mm_slli_epi32(g, 16), _mm_slli_epi32(b, 24)));
    _mm_storeu_si128(at, Select(_mm_cmpeq_epi32(da, zero), source, mixed));
  }
  MixRunScalar(row, tail, to, mix);
}

// 16 bits: four pixels at a time, turned into four 32-bit lanes per channel. rest * da is
// below 2^31 and is put together from the low and high halves of the 16-bit products; the
// numerators (below 2^32) and the quotients are worked out exactly in doubles.
inline void MixRunVector(Pixel16* row, std::int64_t from, std::int64_t to,
                         const MixColor<Pixel16>& mix) noexcept {
  using mix_sse2::HighToDouble;
  using mix_sse2::Narrow;
  using mix_sse2::Quotients16;
  using mix_sse2::Select;
  using mix_sse2::TailStart;
  const __m128i zero = _mm_setzero_si128();
  const __m128i s = _mm_set1_epi32(mix.color.alpha);
  const __m128i rest = _mm_set1_epi32(32768 - mix.color.alpha);
  const __m128i full = _mm_set1_epi32(32768);
  const __m128d wr = _mm_set1_pd(mix.weighted[0]);
  const __m128d wg = _mm_set1_pd(mix.weighted[1]);
  const __m128d wb = _mm_set1_pd(mix.weighted[2]);
  const __m128i source = _mm_set1_epi64x(std::bit_cast<std::int64_t>(mix.color));
  const __m128d one = _mm_set1_pd(1.0);
  const std::int64_t tail = TailStart(from, to);
  for (std::int64_t x = from; x < tail; x += 4) {
    __m128i* const at = reinterpret_cast<__m128i*>(row + x);
    const __m128i p01 = _mm_loadu_si128(at);
    const __m128i p23 = _mm_loadu_si128(at + 1);
    // Channel by channel: a0 a1 a2 a3 r0 r1 r2 r3 and g0 .. g3 b0 .. b3.
    const __m128i t02 = _mm_unpacklo_epi16(p01, p23);
    const __m128i t13 = _mm_unpackhi_epi16(p01, p23);
    const __m128i ar = _mm_unpacklo_epi16(t02, t13);
    const __m128i gb = _mm_unpackhi_epi16(t02, t13);
    const __m128i da = _mm_unpacklo_epi16(ar, zero);
    const __m128i product =
        _mm_or_si128(_mm_mullo_epi16(da, rest), _mm_slli_epi32(_mm_mulhi_epu16(da, rest), 16));
    const __m128i d = _mm_srli_epi32(product, 15);
    const __m128i sum = _mm_add_epi32(s, d);
    const __m128i a = Select(_mm_cmpgt_epi32(sum, full), full, sum);
    const __m128d dLow = _mm_cvtepi32_pd(d);
    const __m128d dHigh = HighToDouble(d);
    const __m128d inverseLow = _mm_div_pd(one, _mm_cvtepi32_pd(a));
    const __m128d inverseHigh = _mm_div_pd(one, HighToDouble(a));
    const auto channel = [&](__m128i c, __m128d weighted) {
      const __m128i low =
          Quotients16(_mm_add_pd(weighted, _mm_mul_pd(_mm_cvtepi32_pd(c), dLow)), inverseLow);
      const __m128i high =
          Quotients16(_mm_add_pd(weighted, _mm_mul_pd(HighToDouble(c), dHigh)), inverseHigh);
      return _mm_unpacklo_epi64(low, high);
    };
    const __m128i r = channel(_mm_unpackhi_epi16(ar, zero), wr);
    const __m128i g = channel(_mm_unpacklo_epi16(gb, zero), wg);
    const __m128i b = channel(_mm_unpackhi_epi16(gb, zero), wb);
    // Back to pixels: a0 g0 a1 g1 .. and r0 b0 r1 b1 .., then a0 r0 g0 b0 a1 r1 g1 b1 ..
    const __m128i outAr = Narrow(a, r);
    const __m128i outGb = Narrow(g, b);
    const __m128i ag = _mm_unpacklo_epi16(outAr, outGb);
    const __m128i rb = _mm_unpackhi_epi16(outAr, outGb);
    // Each pixel's "destination empty" over its 64 bits.
    const __m128i empty = _mm_cmpeq_epi32(da, zero);
    _mm_storeu_si128(at,
                     Select(_mm_unpacklo_epi32(empty, empty), source, _mm_unpacklo_epi16(ag, rb)));
    _mm_storeu_si128(at + 1,
                     Select(_mm_unpackhi_epi32(empty, empty), source, _mm_unpackhi_epi16(ag, rb)));
  }
  MixRunScalar(row, tail, to, mix);
}

// Float: one pixel per register (alpha, red, green, blue), each step the single-precision
// operation BlendOver makes, so one division serves the three colour channels.
inline void MixRunVector(PixelFloat* row, std::int64_t from, std::int64_t to,
                         const MixColor<PixelFloat>& mix) noexcept {
  using mix_sse2::Select;
  const float alpha = mix.color.alpha;
  const __m128 s = _mm_set1_ps(alpha);
  const __m128 rest = _mm_set1_ps(1.0f - alpha);
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 zero = _mm_setzero_ps();
  // The alpha lane's sum is not used: its result is a.
  const __m128 weighted = _mm_setr_ps(0.0f, mix.weighted[0], mix.weighted[1], mix.weighted[2]);
  const PixelFloat c = mix.color;
  const __m128 source = _mm_setr_ps(c.alpha, c.red, c.green, c.blue);
  const __m128 alphaLane = _mm_castsi128_ps(_mm_setr_epi32(-1, 0, 0, 0));
  for (std::int64_t x = from; x <= to; ++x) {
    float* const at = reinterpret_cast<float*>(row + x);
    const __m128 p = _mm_loadu_ps(at);
    const __m128 da = _mm_shuffle_ps(p, p, 0);
    const __m128 d = _mm_mul_ps(rest, da);
    // a > 1 ? 1 : a, which keeps a NaN: the minimum takes its second operand unless the
    // first is smaller.
    const __m128 a = _mm_min_ps(one, _mm_add_ps(s, d));
    const __m128 none = _mm_cmple_ps(a, zero);
    const __m128 q = _mm_div_ps(_mm_add_ps(weighted, _mm_mul_ps(p, d)), Select(none, one, a));
    const __m128 mixed = _mm_andnot_ps(none, Select(alphaLane, a, q));
    _mm_storeu_ps(at, Select(_mm_cmpeq_ps(da, zero), source, mixed));
  }
}

}  // namespace boxwander
