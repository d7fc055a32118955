// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The AVX2 form of the chain: four samples at a time. This unit alone is
// built with -mavx2 (and never with FMA), and is only called after the
// processor has been asked.
#include <immintrin.h>

#include "DriveChainBlock.h"

namespace
{
struct V4
{
  static const int kWidth = 4;
  __m256d v;
  V4(__m256d value) : v(value) {}
  V4(double d) : v(_mm256_set1_pd(d)) {}
  static V4 Load(const double* p) { return _mm256_loadu_pd(p); }
  void Store(double* p) const { _mm256_storeu_pd(p, v); }
  // a < b ? a : b, lane by lane: b where a is NaN.
  static V4 Min(V4 a, V4 b) { return _mm256_min_pd(a.v, b.v); }
  // a > b ? a : b, lane by lane: b where a is NaN.
  static V4 Max(V4 a, V4 b) { return _mm256_max_pd(a.v, b.v); }
  // Every lane |x| <= limit (and none NaN).
  static bool AllWithin(V4 x, double limit)
  {
    const __m256d magnitude = _mm256_andnot_pd(_mm256_set1_pd(-0.0), x.v);
    return _mm256_movemask_pd(_mm256_cmp_pd(magnitude, _mm256_set1_pd(limit), _CMP_LE_OQ)) == 15;
  }
};
inline V4 operator+(V4 a, V4 b) { return _mm256_add_pd(a.v, b.v); }
inline V4 operator-(V4 a, V4 b) { return _mm256_sub_pd(a.v, b.v); }
inline V4 operator*(V4 a, V4 b) { return _mm256_mul_pd(a.v, b.v); }
inline V4 operator/(V4 a, V4 b) { return _mm256_div_pd(a.v, b.v); }
inline V4 PowerOfTwoFromShifted(V4 shifted)
{
  const __m256i bits = _mm256_add_epi64(_mm256_castpd_si256(shifted.v), _mm256_set1_epi64x(1023));
  return _mm256_castsi256_pd(_mm256_slli_epi64(bits, 52));
}
// k << 52 from x * kInvLn2 + kShifter, whose low bits hold k; added to the
// bits of a normal double it multiplies by 2^k.
inline V4 ExponentFieldFromShifted(V4 shifted)
{
  return _mm256_castsi256_pd(_mm256_slli_epi64(_mm256_castpd_si256(shifted.v), 52));
}
inline V4 AddToExponent(V4 y, V4 field)
{
  return _mm256_castsi256_pd(_mm256_add_epi64(_mm256_castpd_si256(y.v), _mm256_castpd_si256(field.v)));
}
}  // namespace

void DriveChainProcessAVX2(const DriveChainSettings& s, const DriveChainSpan* spans, int count)
{
  ChainBlock<V4>(s, spans, count);
}

void DriveExpBlockAVX2(const double* x, double* y, int n) { ExpBlock<V4>(x, y, n); }
