// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// SSE2 rows for the busiest combiners (SSE2 is the x86-64 baseline). Each
// gives the same bits as its combiner's formula; the reference tests in the
// test suite hold them to that.
#pragma once

#include <emmintrin.h>

#include <cstring>

#include "lice_combine.h"

// Add at weight w (0..256): d = min(255, d + (s * w >> 8)) on all four
// channels. s * w fits 16 bits, and the saturating pack is the clamp.
static inline void LICE_AddRowSSE2(LICE_pixel* dest, const LICE_pixel* src, int n, int w)
{
  const __m128i zero = _mm_setzero_si128(), weight = _mm_set1_epi16((short) w);
  int x = 0;
  for (; x + 4 <= n; x += 4)
  {
    const __m128i s = _mm_loadu_si128((const __m128i*) (src + x));
    const __m128i d = _mm_loadu_si128((const __m128i*) (dest + x));
    const __m128i slo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(s, zero), weight), 8);
    const __m128i shi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(s, zero), weight), 8);
    const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(d, zero), slo);
    const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(d, zero), shi);
    _mm_storeu_si128((__m128i*) (dest + x), _mm_packus_epi16(lo, hi));
  }
  for (; x < n; ++x)
  {
    const LICE_pixel p = src[x];
    _LICE_CombinePixelsAdd::doPix((LICE_pixel_chan*) (dest + x), (int) LICE_GETR(p), (int) LICE_GETG(p),
                                  (int) LICE_GETB(p), (int) LICE_GETA(p), w);
  }
}

// Signed division by 256 truncating toward zero, on 32-bit lanes.
static inline __m128i LICE_DivTrunc256(__m128i t)
{
  return _mm_srai_epi32(_mm_add_epi32(t, _mm_and_si128(_mm_srai_epi32(t, 31), _mm_set1_epi32(255))), 8);
}

// Copy honouring the source alpha at full weight: alpha 0 keeps the pixel,
// 255 takes the colour with alpha 255, otherwise each colour channel is
// s + (d - s) * (255 - a) / 256 and alpha min(255, d + a).
static inline void LICE_SourceAlphaRowSSE2(LICE_pixel* dest, const LICE_pixel* src, int n)
{
  const __m128i zero = _mm_setzero_si128(), alphaMask = _mm_set1_epi32(0xFF), all255 = _mm_set1_epi32(255);
  int x = 0;
  for (; x + 4 <= n; x += 4)
  {
    const __m128i s = _mm_loadu_si128((const __m128i*) (src + x));
    const __m128i d = _mm_loadu_si128((const __m128i*) (dest + x));
    const __m128i a = _mm_and_si128(s, alphaMask);  // one alpha per 32-bit lane
    // (255 - a) in the low half of each 32-bit lane, for pmaddwd.
    const __m128i k = _mm_sub_epi32(all255, a);
    const __m128i k2 = _mm_or_si128(k, _mm_slli_epi32(k, 16));  // the same factor in both 16-bit halves

    // Channels as 16-bit values; multiply (d - s) by k in 32 bits.
    const __m128i slo = _mm_unpacklo_epi8(s, zero), shi = _mm_unpackhi_epi8(s, zero);
    const __m128i dlo = _mm_unpacklo_epi8(d, zero), dhi = _mm_unpackhi_epi8(d, zero);
    const __m128i difflo = _mm_sub_epi16(dlo, slo), diffhi = _mm_sub_epi16(dhi, shi);
    // Factors per pixel: pixels 0, 1 in the low half, 2, 3 in the high.
    const __m128i klo = _mm_unpacklo_epi32(k2, k2), khi = _mm_unpackhi_epi32(k2, k2);
    // 16 x 16 -> 32: low and high products interleaved into 32-bit lanes.
    const __m128i plo_l = _mm_mullo_epi16(difflo, klo), plo_h = _mm_mulhi_epi16(difflo, klo);
    const __m128i phi_l = _mm_mullo_epi16(diffhi, khi), phi_h = _mm_mulhi_epi16(diffhi, khi);
    const __m128i q0 = LICE_DivTrunc256(_mm_unpacklo_epi16(plo_l, plo_h));  // pixel 0 channels
    const __m128i q1 = LICE_DivTrunc256(_mm_unpackhi_epi16(plo_l, plo_h));  // pixel 1
    const __m128i q2 = LICE_DivTrunc256(_mm_unpacklo_epi16(phi_l, phi_h));  // pixel 2
    const __m128i q3 = LICE_DivTrunc256(_mm_unpackhi_epi16(phi_l, phi_h));  // pixel 3
    const __m128i mixlo = _mm_add_epi16(_mm_packs_epi32(q0, q1), slo);
    const __m128i mixhi = _mm_add_epi16(_mm_packs_epi32(q2, q3), shi);
    // Colour channels always land in 0..255 here; the pack keeps low bytes.
    __m128i mixed = _mm_packus_epi16(mixlo, mixhi);
    // Alpha: min(255, d + a), as a saturating byte add.
    const __m128i newAlpha = _mm_and_si128(_mm_adds_epu8(d, a), alphaMask);
    mixed = _mm_or_si128(_mm_andnot_si128(alphaMask, mixed), newAlpha);

    const __m128i isZero = _mm_cmpeq_epi32(a, zero), isFull = _mm_cmpeq_epi32(a, all255);
    const __m128i full = _mm_or_si128(s, alphaMask);
    __m128i out = _mm_or_si128(_mm_and_si128(isFull, full), _mm_andnot_si128(isFull, mixed));
    out = _mm_or_si128(_mm_and_si128(isZero, d), _mm_andnot_si128(isZero, out));
    _mm_storeu_si128((__m128i*) (dest + x), out);
  }
  for (; x < n; ++x)
  {
    const LICE_pixel p = src[x];
    _LICE_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp::doPix(
        (LICE_pixel_chan*) (dest + x), (int) LICE_GETR(p), (int) LICE_GETG(p), (int) LICE_GETB(p), (int) LICE_GETA(p), 256);
  }
}

// Copy of one colour at weight v + 1 for each coverage byte v (v = 0 keeps
// the pixel): every channel becomes c + (d - c) * (255 - v) / 256.
static inline void LICE_CoverageCopyRowSSE2(LICE_pixel* dest, const unsigned char* cov, int n, LICE_pixel color)
{
  const __m128i zero = _mm_setzero_si128(), all255 = _mm_set1_epi32(255);
  const __m128i s = _mm_set1_epi32((int) color);
  const __m128i slo = _mm_unpacklo_epi8(s, zero);
  int x = 0;
  for (; x + 4 <= n; x += 4)
  {
    int four;
    memcpy(&four, cov + x, 4);
    if (!four) continue;
    const __m128i v = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(four), zero), zero);
    const __m128i d = _mm_loadu_si128((const __m128i*) (dest + x));
    const __m128i k = _mm_sub_epi32(all255, v);
    const __m128i k2 = _mm_or_si128(k, _mm_slli_epi32(k, 16));
    const __m128i klo = _mm_unpacklo_epi32(k2, k2), khi = _mm_unpackhi_epi32(k2, k2);
    const __m128i difflo = _mm_sub_epi16(_mm_unpacklo_epi8(d, zero), slo);
    const __m128i diffhi = _mm_sub_epi16(_mm_unpackhi_epi8(d, zero), slo);
    const __m128i plo_l = _mm_mullo_epi16(difflo, klo), plo_h = _mm_mulhi_epi16(difflo, klo);
    const __m128i phi_l = _mm_mullo_epi16(diffhi, khi), phi_h = _mm_mulhi_epi16(diffhi, khi);
    const __m128i q0 = LICE_DivTrunc256(_mm_unpacklo_epi16(plo_l, plo_h));
    const __m128i q1 = LICE_DivTrunc256(_mm_unpackhi_epi16(plo_l, plo_h));
    const __m128i q2 = LICE_DivTrunc256(_mm_unpacklo_epi16(phi_l, phi_h));
    const __m128i q3 = LICE_DivTrunc256(_mm_unpackhi_epi16(phi_l, phi_h));
    const __m128i mixed = _mm_packus_epi16(_mm_add_epi16(_mm_packs_epi32(q0, q1), slo),
                                           _mm_add_epi16(_mm_packs_epi32(q2, q3), slo));
    const __m128i keep = _mm_cmpeq_epi32(v, zero);
    _mm_storeu_si128((__m128i*) (dest + x), _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, mixed)));
  }
  for (; x < n; ++x)
  {
    const int v = cov[x];
    if (!v) continue;
    _LICE_CombinePixelsCopyNoClamp::doPix((LICE_pixel_chan*) (dest + x), (int) LICE_GETR(color), (int) LICE_GETG(color),
                                          (int) LICE_GETB(color), (int) LICE_GETA(color), v + 1);
  }
}
