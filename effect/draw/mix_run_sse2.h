#pragma once

// The over-blend runs in SSE2 registers: the x86-64 baseline, so no dispatch at run time.
// Included by mix_run.h only where __SSE2__ is defined. Same results as BlendOver, bit for
// bit.

#include <emmintrin.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "draw/pixel.h"

namespace boxwander {

namespace mix_sse2 {

// floor(n / a) in four 32-bit lanes, for 1 <= a <= 255 and 0 <= n <= 255 * a (every
// numerator an 8-bit blend forms), given n = product + weighted, weightedHalf = weighted +
// 1/2 and inverse = 1 / a in single precision. (n + 1/2) / a lies at least 1 / (2a) >= 1/510
// away from every integer, and the two roundings (of 1 / a and of the product, both below
// 256) move it by less than 256 * 2^-23: truncation gives the exact quotient. n + 1/2 itself
// is exact, n being below 2^16.
inline __m128i Quotients8(__m128i product, __m128 weightedHalf, __m128 inverse) noexcept {
  const __m128 x = _mm_add_ps(_mm_cvtepi32_ps(product), weightedHalf);
  return _mm_cvttps_epi32(_mm_mul_ps(x, inverse));
}

// floor(n / a) in the two low 32-bit lanes, for 1 <= a <= 32768 and integers
// 0 <= n <= 65535 * 65536 with quotients below 2^17 (what 16-bit blends form: n <= 65535 * a
// unless a is limited to 32768), given n = product + weighted, weightedHalf = weighted + 1/2
// and inverse = 1 / a in double precision. (n + 1/2) / a lies at least 1 / (2a) >= 2^-16
// away from every integer; n + 1/2 is exact and the two roundings move the quotient by less
// than 2^17 * 2^-51.
inline __m128i Quotients16(__m128d product, __m128d weightedHalf, __m128d inverse) noexcept {
  return _mm_cvttpd_epi32(_mm_mul_pd(_mm_add_pd(product, weightedHalf), inverse));
}

// The upper two 32-bit lanes as doubles.
inline __m128d HighToDouble(__m128i v) noexcept {
  return _mm_cvtepi32_pd(_mm_unpackhi_epi64(v, v));
}

// min(v, 32768) for 32-bit lanes holding 0 <= v < 2^31, as 16-bit lanes, x's four before
// y's: v - 1 packed with signed saturation at 32767, then 1 added back.
inline __m128i NarrowToFull(__m128i x, __m128i y) noexcept {
  const __m128i one = _mm_set1_epi32(1);
  return _mm_add_epi16(_mm_packs_epi32(_mm_sub_epi32(x, one), _mm_sub_epi32(y, one)),
                       _mm_set1_epi16(1));
}

// where ? a : b, bit by bit.
inline __m128i Select(__m128i where, __m128i a, __m128i b) noexcept {
  return _mm_or_si128(_mm_and_si128(where, a), _mm_andnot_si128(where, b));
}
inline __m128 Select(__m128 where, __m128 a, __m128 b) noexcept {
  return _mm_or_ps(_mm_and_ps(where, a), _mm_andnot_ps(where, b));
}

// Blends row[from..to] with blend(in, out), which blends the four pixels at in into out.
// No pixel is left to a slower loop: a run shorter than four goes through a padded copy,
// and the last four pixels of a longer one are blended first, from the pixels as they are,
// and stored at the end, over the same values wherever the loop's groups reach them.
template <class P, class Blend4>
inline void ByFours(P* row, std::int64_t from, std::int64_t to, const Blend4& blend) noexcept {
  const std::int64_t count = to - from + 1;
  if (count < 4) {
    if (count > 0) {
      P four[4] = {};
      std::memcpy(four, row + from, static_cast<std::size_t>(count) * sizeof(P));
      blend(four, four);
      std::memcpy(row + from, four, static_cast<std::size_t>(count) * sizeof(P));
    }
    return;
  }
  P last[4];
  blend(row + to - 3, last);
  const std::int64_t end = from + count / 4 * 4;
  for (std::int64_t x = from; x < end; x += 4) {
    blend(row + x, row + x);
  }
  std::memcpy(row + to - 3, last, sizeof last);
}

}  // namespace mix_sse2

// 8 bits: four pixels at a time, one per 32-bit lane (alpha in the low byte). All integer
// steps stay below 2^16, where the 16-bit multiply of lanes with zero upper halves is exact:
// rest * da <= 255 * 255, and n = weighted + c * d <= 255 * (s + d) = 255 * a. An empty
// destination needs no case of its own: d = 0 then, and the blend gives the source back.
inline void MixRunVector(Pixel8* row, std::int64_t from, std::int64_t to,
                         const MixColor<Pixel8>& mix) noexcept {
  using mix_sse2::Quotients8;
  const __m128i byte = _mm_set1_epi32(0xFF);
  const __m128i s = _mm_set1_epi32(mix.color.alpha);
  const __m128i rest = _mm_set1_epi32(256 - mix.color.alpha);
  const __m128i full = _mm_set1_epi32(255);
  const __m128 wr = _mm_set1_ps(static_cast<float>(mix.weighted[0]) + 0.5f);
  const __m128 wg = _mm_set1_ps(static_cast<float>(mix.weighted[1]) + 0.5f);
  const __m128 wb = _mm_set1_ps(static_cast<float>(mix.weighted[2]) + 0.5f);
  const __m128 one = _mm_set1_ps(1.0f);
  mix_sse2::ByFours(row, from, to, [&](const Pixel8* in, Pixel8* out) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i da = _mm_and_si128(v, byte);
    const __m128i d = _mm_srli_epi32(_mm_mullo_epi16(da, rest), 8);
    // s + d never exceeds 255 here; limited all the same, as BlendOver does.
    const __m128i a = _mm_min_epi16(_mm_add_epi32(s, d), full);
    const __m128 inverse = _mm_div_ps(one, _mm_cvtepi32_ps(a));
    const auto channel = [&](__m128i c, __m128 weightedHalf) {
      return Quotients8(_mm_mullo_epi16(c, d), weightedHalf, inverse);
    };
    const __m128i r = channel(_mm_and_si128(_mm_srli_epi32(v, 8), byte), wr);
    const __m128i g = channel(_mm_and_si128(_mm_srli_epi32(v, 16), byte), wg);
    const __m128i b = channel(_mm_srli_epi32(v, 24), wb);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_or_si128(_mm_or_si128(a, _mm_slli_epi32(r, 8)),
                                  _mm_or_si128(_mm_slli_epi32(g, 16), _mm_slli_epi32(b, 24))));
  });
}

// 16 bits: four pixels at a time, turned into four 32-bit lanes per channel. rest * da is
// below 2^31 and is put together from the low and high halves of the 16-bit products; the
// numerators (below 2^32) and the quotients are worked out exactly in doubles.
inline void MixRunVector(Pixel16* row, std::int64_t from, std::int64_t to,
                         const MixColor<Pixel16>& mix) noexcept {
  using mix_sse2::HighToDouble;
  using mix_sse2::NarrowToFull;
  using mix_sse2::Quotients16;
  using mix_sse2::Select;
  const __m128i zero = _mm_setzero_si128();
  const __m128i s = _mm_set1_epi32(mix.color.alpha);
  const __m128i rest = _mm_set1_epi32(32768 - mix.color.alpha);
  const __m128i full = _mm_set1_epi32(32768);
  const __m128d wr = _mm_set1_pd(mix.weighted[0] + 0.5);
  const __m128d wg = _mm_set1_pd(mix.weighted[1] + 0.5);
  const __m128d wb = _mm_set1_pd(mix.weighted[2] + 0.5);
  const __m128i source = _mm_set1_epi64x(std::bit_cast<std::int64_t>(mix.color));
  const __m128d one = _mm_set1_pd(1.0);
  mix_sse2::ByFours(row, from, to, [&](const Pixel16* in, Pixel16* out) {
    const __m128i p01 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i p23 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2));
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
    const auto channel = [&](__m128i c, __m128d weightedHalf) {
      const __m128i low =
          Quotients16(_mm_mul_pd(_mm_cvtepi32_pd(c), dLow), weightedHalf, inverseLow);
      const __m128i high =
          Quotients16(_mm_mul_pd(HighToDouble(c), dHigh), weightedHalf, inverseHigh);
      return _mm_unpacklo_epi64(low, high);
    };
    const __m128i r = channel(_mm_unpackhi_epi16(ar, zero), wr);
    const __m128i g = channel(_mm_unpacklo_epi16(gb, zero), wg);
    const __m128i b = channel(_mm_unpackhi_epi16(gb, zero), wb);
    // Back to pixels: a0 g0 a1 g1 .. and r0 b0 r1 b1 .., then a0 r0 g0 b0 a1 r1 g1 b1 ..
    const __m128i outAr = NarrowToFull(a, r);
    const __m128i outGb = NarrowToFull(g, b);
    const __m128i ag = _mm_unpacklo_epi16(outAr, outGb);
    const __m128i rb = _mm_unpackhi_epi16(outAr, outGb);
    __m128i p01Out = _mm_unpacklo_epi16(ag, rb);
    __m128i p23Out = _mm_unpackhi_epi16(ag, rb);
    // An empty destination takes the source as it is (its channels may lie beyond full
    // scale, where the blend would limit them): each pixel's mask over its 64 bits.
    const __m128i empty = _mm_cmpeq_epi32(da, zero);
    if (_mm_movemask_epi8(empty) != 0) {
      p01Out = Select(_mm_unpacklo_epi32(empty, empty), source, p01Out);
      p23Out = Select(_mm_unpackhi_epi32(empty, empty), source, p23Out);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), p01Out);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2), p23Out);
  });
}

// Float: four pixels at a time, turned into one register per channel, each step the
// single-precision operation BlendOver makes.
inline void MixRunVector(PixelFloat* row, std::int64_t from, std::int64_t to,
                         const MixColor<PixelFloat>& mix) noexcept {
  using mix_sse2::Select;
  const PixelFloat src = mix.color;
  const __m128 s = _mm_set1_ps(src.alpha);
  const __m128 rest = _mm_set1_ps(1.0f - src.alpha);
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 zero = _mm_setzero_ps();
  const __m128 wr = _mm_set1_ps(mix.weighted[0]);
  const __m128 wg = _mm_set1_ps(mix.weighted[1]);
  const __m128 wb = _mm_set1_ps(mix.weighted[2]);
  const __m128 sr = _mm_set1_ps(src.red);
  const __m128 sg = _mm_set1_ps(src.green);
  const __m128 sb = _mm_set1_ps(src.blue);
  mix_sse2::ByFours(row, from, to, [&](const PixelFloat* in, PixelFloat* out) {
    const float* const i = reinterpret_cast<const float*>(in);
    __m128 da = _mm_loadu_ps(i);
    __m128 dr = _mm_loadu_ps(i + 4);
    __m128 dg = _mm_loadu_ps(i + 8);
    __m128 db = _mm_loadu_ps(i + 12);
    _MM_TRANSPOSE4_PS(da, dr, dg, db);
    const __m128 d = _mm_mul_ps(rest, da);
    // a > 1 ? 1 : a, which keeps a NaN: the minimum gives its second operand unless the
    // first is smaller.
    const __m128 a = _mm_min_ps(one, _mm_add_ps(s, d));
    const __m128 none = _mm_cmple_ps(a, zero);
    const __m128 take = _mm_cmpeq_ps(da, zero);
    const auto channel = [&](__m128 dst, __m128 weighted, __m128 divisor) {
      return _mm_div_ps(_mm_add_ps(weighted, _mm_mul_ps(dst, d)), divisor);
    };
    __m128 oa = a;
    __m128 or_;
    __m128 og;
    __m128 ob;
    if (_mm_movemask_ps(_mm_or_ps(none, take)) == 0) {  // the usual case: four plain blends
      or_ = channel(dr, wr, a);
      og = channel(dg, wg, a);
      ob = channel(db, wb, a);
    } else {
      // take ? source : none ? 0 : value
      const auto result = [&](__m128 source, __m128 value) {
        return Select(take, source, _mm_andnot_ps(none, value));
      };
      const __m128 divisor = Select(none, one, a);
      oa = result(s, a);
      or_ = result(sr, channel(dr, wr, divisor));
      og = result(sg, channel(dg, wg, divisor));
      ob = result(sb, channel(db, wb, divisor));
    }
    _MM_TRANSPOSE4_PS(oa, or_, og, ob);
    float* const o = reinterpret_cast<float*>(out);
    _mm_storeu_ps(o, oa);
    _mm_storeu_ps(o + 4, or_);
    _mm_storeu_ps(o + 8, og);
    _mm_storeu_ps(o + 12, ob);
  });
}

}  // namespace boxwander
