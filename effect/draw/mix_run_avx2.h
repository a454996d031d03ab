#pragma once

// The 8-bit over-blend runs in AVX2 registers, for machines that have them: chosen at run
// time by MixRun, the SSE2 loop being the fallback. Included by mix_run.h only where
// BOXWANDER_AVX2_MIX is defined. The arithmetic of the SSE2 loop, eight pixels at a time;
// the quotient's proof holds lane by lane, so the results are BlendOver's, bit for bit.
//
// Every function that holds AVX2 values carries the target attribute itself: lambdas and
// templates called from one do not inherit it, and the compiler would not inline them.

#include <immintrin.h>

#include <cstdint>

#include "draw/pixel.h"

namespace boxwander {

namespace mix_avx2 {

// Whether this processor (and its system) runs AVX2, asked once.
inline bool Supported() noexcept {
  static const bool supported = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return supported;
}

// The colour of an 8-bit run, spread over eight lanes.
struct Mix8 {
  __m256i s;
  __m256i rest;
  __m256 wr;
  __m256 wg;
  __m256 wb;
};

// The SSE2 loop's Quotients8 in eight lanes.
__attribute__((target("avx2"))) inline __m256i Quotients8(__m256i product, __m256 weightedHalf,
                                                          __m256 inverse) noexcept {
  const __m256 x = _mm256_add_ps(_mm256_cvtepi32_ps(product), weightedHalf);
  return _mm256_cvttps_epi32(_mm256_mul_ps(x, inverse));
}

// Blends the eight pixels at in into out, as the SSE2 loop blends four.
__attribute__((target("avx2"))) inline void Blend8(const Pixel8* in, Pixel8* out,
                                                   const Mix8& mix) noexcept {
  const __m256i byte = _mm256_set1_epi32(0xFF);
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
  // Red and green to the low byte of their lanes (index -1: zero).
  const __m256i red = _mm256_setr_epi8(1, -1, -1, -1, 5, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1,
                                       1, -1, -1, -1, 5, -1, -1, -1, 9, -1, -1, -1, 13, -1, -1, -1);
  const __m256i green =
      _mm256_setr_epi8(2, -1, -1, -1, 6, -1, -1, -1, 10, -1, -1, -1, 14, -1, -1, -1, 2, -1, -1, -1,
                       6, -1, -1, -1, 10, -1, -1, -1, 14, -1, -1, -1);
  const __m256i da = _mm256_and_si256(v, byte);
  const __m256i d = _mm256_srli_epi32(_mm256_mullo_epi16(da, mix.rest), 8);
  const __m256i a = _mm256_min_epi16(_mm256_add_epi32(mix.s, d), byte);
  const __m256 inverse = _mm256_div_ps(_mm256_set1_ps(1.0f), _mm256_cvtepi32_ps(a));
  const __m256i r = Quotients8(_mm256_mullo_epi16(_mm256_shuffle_epi8(v, red), d), mix.wr, inverse);
  const __m256i g =
      Quotients8(_mm256_mullo_epi16(_mm256_shuffle_epi8(v, green), d), mix.wg, inverse);
  const __m256i b = Quotients8(_mm256_mullo_epi16(_mm256_srli_epi32(v, 24), d), mix.wb, inverse);
  // a0..a3 r0..r3 g0..g3 b0..b3 in bytes (each half), then back to pixels.
  const __m256i planes = _mm256_packus_epi16(_mm256_packus_epi32(a, r), _mm256_packus_epi32(g, b));
  const __m256i pixels = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0,
                                          4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_shuffle_epi8(planes, pixels));
}

}  // namespace mix_avx2

// 8 bits, eight pixels at a time. A run shorter than eight goes to the SSE2 loop; in a
// longer one the last eight pixels are blended first and stored at the end, as ByFours does.
__attribute__((target("avx2"))) inline void MixRunAvx2(Pixel8* row, std::int64_t from,
                                                       std::int64_t to,
                                                       const MixColor<Pixel8>& mix) noexcept {
  const std::int64_t count = to - from + 1;
  if (count < 8) {
    MixRunVector(row, from, to, mix);
    return;
  }
  const mix_avx2::Mix8 m{_mm256_set1_epi32(mix.color.alpha),
                         _mm256_set1_epi32(256 - mix.color.alpha),
                         _mm256_set1_ps(static_cast<float>(mix.weighted[0]) + 0.5f),
                         _mm256_set1_ps(static_cast<float>(mix.weighted[1]) + 0.5f),
                         _mm256_set1_ps(static_cast<float>(mix.weighted[2]) + 0.5f)};
  alignas(32) Pixel8 last[8];
  mix_avx2::Blend8(row + to - 7, last, m);
  const std::int64_t end = from + count / 8 * 8;
  for (std::int64_t x = from; x < end; x += 8) {
    mix_avx2::Blend8(row + x, row + x, m);
  }
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + to - 7),
                      _mm256_load_si256(reinterpret_cast<const __m256i*>(last)));
}

}  // namespace boxwander
