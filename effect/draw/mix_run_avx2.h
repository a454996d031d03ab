#pragma once

// The over-blend runs in AVX2 registers, for machines that have them: chosen at run time by
// MixRun, the SSE2 loops being the fallback. Included by mix_run.h only where
// BOXWANDER_AVX2_MIX is defined. The arithmetic of the SSE2 loops on wider registers; their
// proofs hold lane by lane, so the results are BlendOver's, bit for bit.
//
// Every function and lambda that holds AVX2 values carries the target attribute itself:
// they do not inherit it from their caller, and the compiler would not inline them.

#include <immintrin.h>

#include <bit>
#include <cstdint>
#include <cstring>

#include "draw/pixel.h"

namespace boxwander {

#define BOXWANDER_AVX2 __attribute__((target("avx2")))

namespace mix_avx2 {

// Whether this processor (and its system) runs AVX2, asked once.
inline bool Supported() noexcept {
  static const bool supported = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return supported;
}

// Blends row[from..to] with blend(in, out), which blends the N pixels at in into out. A run
// shorter than N goes to the SSE2 loop; in a longer one the last N pixels are blended first
// and stored at the end, as ByFours does.
template <int N, class P, class Blend>
BOXWANDER_AVX2 inline void ByGroups(P* row, std::int64_t from, std::int64_t to,
                                    const MixColor<P>& mix, const Blend& blend) noexcept {
  const std::int64_t count = to - from + 1;
  if (count < N) {
    MixRunVector(row, from, to, mix);
    return;
  }
  P last[N];
  blend(row + to - (N - 1), last);
  const std::int64_t end = from + count / N * N;
  for (std::int64_t x = from; x < end; x += N) {
    blend(row + x, row + x);
  }
  std::memcpy(row + to - (N - 1), last, sizeof last);
}

// The SSE2 loop's Quotients8 in eight lanes.
BOXWANDER_AVX2 inline __m256i Quotients8(__m256i product, __m256 weightedHalf,
                                         __m256 inverse) noexcept {
  const __m256 x = _mm256_add_ps(_mm256_cvtepi32_ps(product), weightedHalf);
  return _mm256_cvttps_epi32(_mm256_mul_ps(x, inverse));
}

// The SSE2 loop's Quotients16 in four lanes.
BOXWANDER_AVX2 inline __m128i Quotients16(__m256d product, __m256d weightedHalf,
                                          __m256d inverse) noexcept {
  return _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_add_pd(product, weightedHalf), inverse));
}

// The lower and upper four 32-bit lanes as doubles.
BOXWANDER_AVX2 inline __m256d LowToDouble(__m256i v) noexcept {
  return _mm256_cvtepi32_pd(_mm256_castsi256_si128(v));
}
BOXWANDER_AVX2 inline __m256d HighToDouble(__m256i v) noexcept {
  return _mm256_cvtepi32_pd(_mm256_extracti128_si256(v, 1));
}

// The SSE2 loop's NarrowToFull in each 128-bit half.
BOXWANDER_AVX2 inline __m256i NarrowToFull(__m256i x, __m256i y) noexcept {
  const __m256i one = _mm256_set1_epi32(1);
  return _mm256_add_epi16(_mm256_packs_epi32(_mm256_sub_epi32(x, one), _mm256_sub_epi32(y, one)),
                          _mm256_set1_epi16(1));
}

// _MM_TRANSPOSE4_PS in each 128-bit half.
BOXWANDER_AVX2 inline void Transpose4(__m256& a, __m256& b, __m256& c, __m256& d) noexcept {
  const __m256 ab01 = _mm256_unpacklo_ps(a, b);
  const __m256 cd01 = _mm256_unpacklo_ps(c, d);
  const __m256 ab23 = _mm256_unpackhi_ps(a, b);
  const __m256 cd23 = _mm256_unpackhi_ps(c, d);
  a = _mm256_shuffle_ps(ab01, cd01, _MM_SHUFFLE(1, 0, 1, 0));
  b = _mm256_shuffle_ps(ab01, cd01, _MM_SHUFFLE(3, 2, 3, 2));
  c = _mm256_shuffle_ps(ab23, cd23, _MM_SHUFFLE(1, 0, 1, 0));
  d = _mm256_shuffle_ps(ab23, cd23, _MM_SHUFFLE(3, 2, 3, 2));
}

// where ? a : b, lane by lane.
BOXWANDER_AVX2 inline __m256 Select(__m256 where, __m256 a, __m256 b) noexcept {
  return _mm256_blendv_ps(b, a, where);
}

}  // namespace mix_avx2

// 8 bits, eight pixels at a time.
BOXWANDER_AVX2 inline void MixRunAvx2(Pixel8* row, std::int64_t from, std::int64_t to,
                                      const MixColor<Pixel8>& mix) noexcept {
  using mix_avx2::Quotients8;
  const __m256i byte = _mm256_set1_epi32(0xFF);
  const __m256i s = _mm256_set1_epi32(mix.color.alpha);
  const __m256i rest = _mm256_set1_epi32(256 - mix.color.alpha);
  const __m256 wr = _mm256_set1_ps(static_cast<float>(mix.weighted[0]) + 0.5f);
  const __m256 wg = _mm256_set1_ps(static_cast<float>(mix.weighted[1]) + 0.5f);
  const __m256 wb = _mm256_set1_ps(static_cast<float>(mix.weighted[2]) + 0.5f);
  const __m256 one = _mm256_set1_ps(1.0f);
  // Red and green to the low byte of their lanes (index -1: zero), and the results from
  // a0..a3 r0..r3 g0..g3 b0..b3 (each half) back to pixels.
  const __m256i red = _mm256_setr_epi8(1, -1, -1, -1, 5, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1,
                                       1, -1, -1, -1, 5, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1);
  const __m256i green =
      _mm256_setr_epi8(2, -1, -1, -1, 6, -1, -1, -1, 10, -1, -1, -1, 14, -1, -1, -1, 2, -1, -1, -1,
                       6, -1, -1, -1, 10, -1, -1, -1, 14, -1, -1, -1);
  const __m256i pixels = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0,
                                          4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  mix_avx2::ByGroups<8>(row, from, to, mix, [&](const Pixel8* in, Pixel8* out) BOXWANDER_AVX2 {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i da = _mm256_and_si256(v, byte);
    const __m256i d = _mm256_srli_epi32(_mm256_mullo_epi16(da, rest), 8);
    const __m256i a = _mm256_min_epi16(_mm256_add_epi32(s, d), byte);
    const __m256 inverse = _mm256_div_ps(one, _mm256_cvtepi32_ps(a));
    const __m256i r = Quotients8(_mm256_mullo_epi16(_mm256_shuffle_epi8(v, red), d), wr, inverse);
    const __m256i g = Quotients8(_mm256_mullo_epi16(_mm256_shuffle_epi8(v, green), d), wg, inverse);
    const __m256i b = Quotients8(_mm256_mullo_epi16(_mm256_srli_epi32(v, 24), d), wb, inverse);
    const __m256i planes =
        _mm256_packus_epi16(_mm256_packus_epi32(a, r), _mm256_packus_epi32(g, b));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_shuffle_epi8(planes, pixels));
  });
}

// 16 bits: eight pixels at a time, the SSE2 loop's steps on two groups of four, one per
// 128-bit half: pixels 0, 1, 4, 5 in the lower and 2, 3, 6, 7 in the upper, the order in
// which they come back.
BOXWANDER_AVX2 inline void MixRunAvx2(Pixel16* row, std::int64_t from, std::int64_t to,
                                      const MixColor<Pixel16>& mix) noexcept {
  using mix_avx2::HighToDouble;
  using mix_avx2::LowToDouble;
  using mix_avx2::NarrowToFull;
  using mix_avx2::Quotients16;
  const __m256i zero = _mm256_setzero_si256();
  const __m256i s = _mm256_set1_epi32(mix.color.alpha);
  const __m256i rest = _mm256_set1_epi32(32768 - mix.color.alpha);
  const __m256i full = _mm256_set1_epi32(32768);
  const __m256d wr = _mm256_set1_pd(mix.weighted[0] + 0.5);
  const __m256d wg = _mm256_set1_pd(mix.weighted[1] + 0.5);
  const __m256d wb = _mm256_set1_pd(mix.weighted[2] + 0.5);
  const __m256i source = _mm256_set1_epi64x(std::bit_cast<std::int64_t>(mix.color));
  const __m256d one = _mm256_set1_pd(1.0);
  mix_avx2::ByGroups<8>(row, from, to, mix, [&](const Pixel16* in, Pixel16* out) BOXWANDER_AVX2 {
    const __m256i p0123 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i p4567 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 4));
    const __m256i t0 = _mm256_unpacklo_epi16(p0123, p4567);
    const __m256i t1 = _mm256_unpackhi_epi16(p0123, p4567);
    const __m256i ar = _mm256_unpacklo_epi16(t0, t1);
    const __m256i gb = _mm256_unpackhi_epi16(t0, t1);
    const __m256i da = _mm256_unpacklo_epi16(ar, zero);
    const __m256i product = _mm256_or_si256(_mm256_mullo_epi16(da, rest),
                                            _mm256_slli_epi32(_mm256_mulhi_epu16(da, rest), 16));
    const __m256i d = _mm256_srli_epi32(product, 15);
    const __m256i a = _mm256_min_epi32(_mm256_add_epi32(s, d), full);
    const __m256d dLow = LowToDouble(d);
    const __m256d dHigh = HighToDouble(d);
    const __m256d inverseLow = _mm256_div_pd(one, LowToDouble(a));
    const __m256d inverseHigh = _mm256_div_pd(one, HighToDouble(a));
    const auto channel = [&](__m256i c, __m256d weightedHalf) BOXWANDER_AVX2 {
      const __m128i low =
          Quotients16(_mm256_mul_pd(LowToDouble(c), dLow), weightedHalf, inverseLow);
      const __m128i high =
          Quotients16(_mm256_mul_pd(HighToDouble(c), dHigh), weightedHalf, inverseHigh);
      return _mm256_set_m128i(high, low);
    };
    const __m256i r = channel(_mm256_unpackhi_epi16(ar, zero), wr);
    const __m256i g = channel(_mm256_unpacklo_epi16(gb, zero), wg);
    const __m256i b = channel(_mm256_unpackhi_epi16(gb, zero), wb);
    const __m256i outAr = NarrowToFull(a, r);
    const __m256i outGb = NarrowToFull(g, b);
    const __m256i ag = _mm256_unpacklo_epi16(outAr, outGb);
    const __m256i rb = _mm256_unpackhi_epi16(outAr, outGb);
    __m256i p0123Out = _mm256_unpacklo_epi16(ag, rb);
    __m256i p4567Out = _mm256_unpackhi_epi16(ag, rb);
    // An empty destination takes the source as it is.
    const __m256i empty = _mm256_cmpeq_epi32(da, zero);
    if (_mm256_movemask_epi8(empty) != 0) {
      p0123Out = _mm256_blendv_epi8(p0123Out, source, _mm256_unpacklo_epi32(empty, empty));
      p4567Out = _mm256_blendv_epi8(p4567Out, source, _mm256_unpackhi_epi32(empty, empty));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), p0123Out);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4), p4567Out);
  });
}

// Float: eight pixels at a time, pixels k and k + 4 in the lower and upper half of one
// register, so that turning pixels into channels and back stays within the halves.
BOXWANDER_AVX2 inline void MixRunAvx2(PixelFloat* row, std::int64_t from, std::int64_t to,
                                      const MixColor<PixelFloat>& mix) noexcept {
  using mix_avx2::Select;
  using mix_avx2::Transpose4;
  const PixelFloat src = mix.color;
  const __m256 s = _mm256_set1_ps(src.alpha);
  const __m256 rest = _mm256_set1_ps(1.0f - src.alpha);
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256 zero = _mm256_setzero_ps();
  const __m256 wr = _mm256_set1_ps(mix.weighted[0]);
  const __m256 wg = _mm256_set1_ps(mix.weighted[1]);
  const __m256 wb = _mm256_set1_ps(mix.weighted[2]);
  const __m256 sr = _mm256_set1_ps(src.red);
  const __m256 sg = _mm256_set1_ps(src.green);
  const __m256 sb = _mm256_set1_ps(src.blue);
  mix_avx2::ByGroups<8>(
      row, from, to, mix, [&](const PixelFloat* in, PixelFloat* out) BOXWANDER_AVX2 {
        const float* const i = reinterpret_cast<const float*>(in);
        __m256 da = _mm256_loadu2_m128(i + 16, i);
        __m256 dr = _mm256_loadu2_m128(i + 20, i + 4);
        __m256 dg = _mm256_loadu2_m128(i + 24, i + 8);
        __m256 db = _mm256_loadu2_m128(i + 28, i + 12);
        Transpose4(da, dr, dg, db);
        const __m256 d = _mm256_mul_ps(rest, da);
        // As in the SSE2 loop: the minimum keeps a NaN, the comparisons are the same.
        const __m256 a = _mm256_min_ps(one, _mm256_add_ps(s, d));
        const __m256 none = _mm256_cmp_ps(a, zero, _CMP_LE_OS);
        const __m256 take = _mm256_cmp_ps(da, zero, _CMP_EQ_OQ);
        const auto channel = [&](__m256 dst, __m256 weighted, __m256 divisor) BOXWANDER_AVX2 {
          return _mm256_div_ps(_mm256_add_ps(weighted, _mm256_mul_ps(dst, d)), divisor);
        };
        __m256 oa = a;
        __m256 or_;
        __m256 og;
        __m256 ob;
        if (_mm256_movemask_ps(_mm256_or_ps(none, take)) == 0) {
          or_ = channel(dr, wr, a);
          og = channel(dg, wg, a);
          ob = channel(db, wb, a);
        } else {
          const auto result = [&](__m256 source, __m256 value) BOXWANDER_AVX2 {
            return Select(take, source, _mm256_andnot_ps(none, value));
          };
          const __m256 divisor = Select(none, one, a);
          oa = result(s, a);
          or_ = result(sr, channel(dr, wr, divisor));
          og = result(sg, channel(dg, wg, divisor));
          ob = result(sb, channel(db, wb, divisor));
        }
        Transpose4(oa, or_, og, ob);
        float* const o = reinterpret_cast<float*>(out);
        _mm256_storeu2_m128(o + 16, o, oa);
        _mm256_storeu2_m128(o + 20, o + 4, or_);
        _mm256_storeu2_m128(o + 24, o + 8, og);
        _mm256_storeu2_m128(o + 28, o + 12, ob);
      });
}

#undef BOXWANDER_AVX2

}  // namespace boxwander
