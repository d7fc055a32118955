// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The scalar and SSE2 forms of the chain and the choice among the forms.
#include "DriveChain.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>

#include "DriveChainBlock.h"

// Built with AVX2 and AVX-512 in units of their own.
void DriveChainProcessAVX2(const DriveChainSettings& s, const DriveChainSpan* spans, int count);
void DriveExpBlockAVX2(const double* x, double* y, int n);
void DriveChainProcessAVX512(const DriveChainSettings& s, const DriveChainSpan* spans, int count);
void DriveExpBlockAVX512(const double* x, double* y, int n);

namespace
{
struct V2
{
  static const int kWidth = 2;
  __m128d v;
  V2(__m128d value) : v(value) {}
  V2(double d) : v(_mm_set1_pd(d)) {}
  static V2 Load(const double* p) { return _mm_loadu_pd(p); }
  void Store(double* p) const { _mm_storeu_pd(p, v); }
  // a < b ? a : b, lane by lane: b where a is NaN.
  static V2 Min(V2 a, V2 b) { return _mm_min_pd(a.v, b.v); }
  // a > b ? a : b, lane by lane: b where a is NaN.
  static V2 Max(V2 a, V2 b) { return _mm_max_pd(a.v, b.v); }
  // Every lane |x| <= limit (and none NaN).
  static bool AllWithin(V2 x, double limit)
  {
    const __m128d magnitude = _mm_andnot_pd(_mm_set1_pd(-0.0), x.v);
    return _mm_movemask_pd(_mm_cmple_pd(magnitude, _mm_set1_pd(limit))) == 3;
  }
};
inline V2 operator+(V2 a, V2 b) { return _mm_add_pd(a.v, b.v); }
inline V2 operator-(V2 a, V2 b) { return _mm_sub_pd(a.v, b.v); }
inline V2 operator*(V2 a, V2 b) { return _mm_mul_pd(a.v, b.v); }
inline V2 operator/(V2 a, V2 b) { return _mm_div_pd(a.v, b.v); }
// Found by argument-dependent lookup from ExpNormalRange.
inline V2 PowerOfTwoFromShifted(V2 shifted)
{
  const __m128i bits = _mm_add_epi64(_mm_castpd_si128(shifted.v), _mm_set1_epi64x(1023));
  return _mm_castsi128_pd(_mm_slli_epi64(bits, 52));
}
// k << 52 from x * kInvLn2 + kShifter, whose low bits hold k; added to the
// bits of a normal double it multiplies by 2^k.
inline V2 ExponentFieldFromShifted(V2 shifted)
{
  return _mm_castsi128_pd(_mm_slli_epi64(_mm_castpd_si128(shifted.v), 52));
}
inline V2 AddToExponent(V2 y, V2 field)
{
  return _mm_castsi128_pd(_mm_add_epi64(_mm_castpd_si128(y.v), _mm_castpd_si128(field.v)));
}

// A form wider than the processor has falls back to the widest it has.
DriveSimd runnable(DriveSimd simd) { return std::min(simd, DriveSimdAvailable()); }

void chainScalar(const DriveChainSettings& s, const DriveChainSpan* spans, int count)
{
  for (int k = 0; k < count; ++k)
    for (int i = 0; i < spans[k].n; ++i) spans[k].out[i] = ChainSample(s, spans[k].in + i);
}

// Runs channels already known not to overlap.
void chainRun(const DriveChainSettings& s, const DriveChainSpan* spans, int count, DriveSimd simd)
{
  switch (runnable(simd))
  {
    case DriveSimd::kAVX512: DriveChainProcessAVX512(s, spans, count); break;
    case DriveSimd::kAVX2: DriveChainProcessAVX2(s, spans, count); break;
    case DriveSimd::kSSE2: ChainBlock<V2>(s, spans, count); break;
    case DriveSimd::kScalar: chainScalar(s, spans, count); break;
  }
}

// Whether any buffer of one channel shares a byte with any of the other's.
bool overlap(const DriveChainSpan& a, const DriveChainSpan& b)
{
  const auto meet = [](const double* p, int n, const double* q, int m) {
    const uintptr_t p0 = (uintptr_t) p, q0 = (uintptr_t) q;
    return n > 0 && m > 0 && p0 < q0 + (uintptr_t) m * sizeof(double) && q0 < p0 + (uintptr_t) n * sizeof(double);
  };
  return meet(a.in, a.n, b.in, b.n) || meet(a.in, a.n, b.out, b.n) || meet(a.out, a.n, b.in, b.n) ||
         meet(a.out, a.n, b.out, b.n);
}
}  // namespace

DriveSimd DriveSimdAvailable()
{
  // x86-64 always has SSE2.
  static const DriveSimd widest = [] {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return DriveSimd::kAVX512;
    return __builtin_cpu_supports("avx2") ? DriveSimd::kAVX2 : DriveSimd::kSSE2;
  }();
  return widest;
}

void DriveChainProcess(const DriveChainSettings& s, double* in, double* out, int n)
{
  DriveChainProcess(s, in, out, n, DriveSimdAvailable());
}

void DriveChainProcess(const DriveChainSettings& s, double* in, double* out, int n, DriveSimd simd)
{
  const DriveChainSpan span{in, out, n};
  chainRun(s, &span, 1, simd);
}

void DriveChainProcessChannels(const DriveChainSettings& s, const DriveChainSpan* channels, int count, DriveSimd simd)
{
  for (int a = 0; a < count; ++a)
    for (int b = a + 1; b < count; ++b)
      if (overlap(channels[a], channels[b]))
      {
        for (int k = 0; k < count; ++k) chainRun(s, channels + k, 1, simd);
        return;
      }
  chainRun(s, channels, count, simd);
}

void DriveExpBlock(const double* x, double* y, int n, DriveSimd simd)
{
  switch (runnable(simd))
  {
    case DriveSimd::kAVX512: DriveExpBlockAVX512(x, y, n); break;
    case DriveSimd::kAVX2: DriveExpBlockAVX2(x, y, n); break;
    case DriveSimd::kSSE2: ExpBlock<V2>(x, y, n); break;
    case DriveSimd::kScalar:
      for (int i = 0; i < n; ++i) y[i] = DriveExp(x[i]);
      break;
  }
}
