// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The AVX-512 form of the chain: eight samples at a time. This unit alone is
// built with -mavx512f (and never with FMA), and is only called after the
// processor has been asked.
// GCC 12 warns of an uninitialised "__Y" inside its own AVX-512 intrinsics
// (its bug 105593, mended in GCC 13), as "maybe" or, in the sanitizer
// builds, as certain; nothing of ours is uninitialised.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#include "DriveChainBlock.h"

namespace
{
struct V8
{
  static const int kWidth = 8;
  __m512d v;
  V8(__m512d value) : v(value) {}
  V8(double d) : v(_mm512_set1_pd(d)) {}
  static V8 Load(const double* p) { return _mm512_loadu_pd(p); }
  void Store(double* p) const { _mm512_storeu_pd(p, v); }
  // a < b ? a : b, lane by lane: b where a is NaN.
  static V8 Min(V8 a, V8 b) { return _mm512_min_pd(a.v, b.v); }
  // a > b ? a : b, lane by lane: b where a is NaN.
  static V8 Max(V8 a, V8 b) { return _mm512_max_pd(a.v, b.v); }
  // Every lane |x| <= limit (and none NaN).
  static bool AllWithin(V8 x, double limit)
  {
    return _mm512_cmp_pd_mask(_mm512_abs_pd(x.v), _mm512_set1_pd(limit), _CMP_LE_OQ) == 0xff;
  }
};
inline V8 operator+(V8 a, V8 b) { return _mm512_add_pd(a.v, b.v); }
inline V8 operator-(V8 a, V8 b) { return _mm512_sub_pd(a.v, b.v); }
inline V8 operator*(V8 a, V8 b) { return _mm512_mul_pd(a.v, b.v); }
inline V8 operator/(V8 a, V8 b) { return _mm512_div_pd(a.v, b.v); }
inline V8 PowerOfTwoFromShifted(V8 shifted)
{
  const __m512i bits = _mm512_add_epi64(_mm512_castpd_si512(shifted.v), _mm512_set1_epi64(1023));
  return _mm512_castsi512_pd(_mm512_slli_epi64(bits, 52));
}
// k << 52 from x * kInvLn2 + kShifter, whose low bits hold k; added to the
// bits of a normal double it multiplies by 2^k.
inline V8 ExponentFieldFromShifted(V8 shifted)
{
  return _mm512_castsi512_pd(_mm512_slli_epi64(_mm512_castpd_si512(shifted.v), 52));
}
inline V8 AddToExponent(V8 y, V8 field)
{
  return _mm512_castsi512_pd(_mm512_add_epi64(_mm512_castpd_si512(y.v), _mm512_castpd_si512(field.v)));
}
}  // namespace

void DriveChainProcessAVX512(const DriveChainSettings& s, const DriveChainSpan* spans, int count)
{
  ChainBlock<V8>(s, spans, count);
}

void DriveExpBlockAVX512(const double* x, double* y, int n) { ExpBlock<V8>(x, y, n); }
