// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The drive chain's own exponentials. The C library's exp gives different
// last bits on different processors and library versions; these give the
// same bits everywhere, because they are built only from IEEE additions,
// multiplications and divisions (never contracted: the build passes
// -ffp-contract=off) and integer bit operations.
//
// The natural exponential reduces x = k ln2 + r with |r| <= ln2 / 2, k
// found by the round-to-nearest of adding 1.5 * 2^52, and takes e^r from
// the rational form 1 + 2r / (R(r) - r) with a degree-10 even minimax
// polynomial (the classic Remez coefficients), error below 1 ulp.
//
// ExpNormalRange is a template over the arithmetic type so that the vector
// forms of the block path run exactly these operations in exactly this
// order; everything here has internal linkage, so that a translation unit
// built for wider instructions keeps its copies to itself.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

namespace drive_exp
{
// Beyond this |x| the scale 2^k leaves the normal range, and NaN lands here
// as well: the scalar function takes those arguments on a slower path.
static constexpr double kNormalRangeLimit = 708.0;

static constexpr double kShifter = 0x1.8p52;  // adding it rounds to an integer
static constexpr double kInvLn2 = 0x1.71547652b82fep+0;
static constexpr double kLn2Hi = 0x1.62e42feep-1;  // k * kLn2Hi is exact
static constexpr double kLn2Lo = 0x1.a39ef35793c76p-33;
static constexpr double kP1 = 0x1.555555555553ep-3;
static constexpr double kP2 = -0x1.6c16c16bebd93p-9;
static constexpr double kP3 = 0x1.1566aaf25de2cp-14;
static constexpr double kP4 = -0x1.bbd41c5d26bf1p-20;
static constexpr double kP5 = 0x1.6376972bea4d0p-25;
static constexpr double kOverflow = 0x1.62e42fefa39efp+9;    // above it e^x is infinite
static constexpr double kUnderflow = -0x1.74910d52d3051p+9;  // below it e^x rounds to 0

// 2^k from x * kInvLn2 + kShifter, whose low bits hold k; k + 1023 must
// lie in 1..2046.
static inline double PowerOfTwoFromShifted(double shifted)
{
  uint64_t bits;
  memcpy(&bits, &shifted, sizeof bits);
  bits = (bits + 1023) << 52;
  double scale;
  memcpy(&scale, &bits, sizeof scale);
  return scale;
}

// e^(hi - lo) for |hi - lo| <= ln2 / 2 (and a little more).
template <class V>
static inline V ExpKernel(V hi, V lo)
{
  const V r = hi - lo;
  const V t = r * r;
  const V c = r - t * (V(kP1) + t * (V(kP2) + t * (V(kP3) + t * (V(kP4) + t * V(kP5)))));
  return V(1.0) - ((lo - (r * c) / (V(2.0) - c)) - hi);
}

// e^x for |x| <= kNormalRangeLimit.
template <class V>
static inline V ExpNormalRange(V x)
{
  const V shifted = x * V(kInvLn2) + V(kShifter);
  const V k = shifted - V(kShifter);
  const V y = ExpKernel(x - k * V(kLn2Hi), k * V(kLn2Lo));
  return y * PowerOfTwoFromShifted(shifted);
}

// 2^n for n in -1022..1023, from its bits.
static inline double PowerOfTwo(int n)
{
  const uint64_t bits = uint64_t(n + 1023) << 52;
  double p;
  memcpy(&p, &bits, sizeof p);
  return p;
}

// y * 2^k for any k that a finite or just-infinite e^x needs: two exact
// steps, then one rounding into the subnormal or infinite range.
static inline double ScaleWide(double y, int k)
{
  if (k > 1000) return y * PowerOfTwo(k - 64) * 0x1p64;
  return y * PowerOfTwo(k + 1000) * 0x1p-1000;
}
}  // namespace drive_exp

// e^x: the same bits on every machine, within 1 ulp of the exact value;
// +inf above about 709.78, 0 below about -745.13, NaN for NaN.
static inline double DriveExp(double x)
{
  using namespace drive_exp;
  if (std::fabs(x) <= kNormalRangeLimit) return ExpNormalRange(x);
  if (x != x) return x + x;
  if (x > kOverflow) return INFINITY;
  if (x < kUnderflow) return 0.0;
  const double shifted = x * kInvLn2 + kShifter;
  const double k = shifted - kShifter;
  return ScaleWide(ExpKernel(x - k * kLn2Hi, k * kLn2Lo), (int) k);
}

// 2^x with the same kernel: x = k + f, and f ln2 formed exactly enough
// (f cut to 26 bits times ln2 cut to 26 bits is exact) to keep 1 ulp.
static inline double DriveExp2(double x)
{
  using namespace drive_exp;
  if (x != x) return x + x;
  if (x >= 1024.0) return INFINITY;
  if (x < -1075.0) return 0.0;
  const double shifted = x + kShifter;
  const double k = shifted - kShifter;
  const double f = x - k;  // exact, |f| <= 0.5
  uint64_t bits;
  memcpy(&bits, &f, sizeof bits);
  bits &= ~((uint64_t(1) << 27) - 1);
  double fHi;
  memcpy(&fHi, &bits, sizeof fHi);
  const double fLo = f - fHi;
  const double ln2Hi26 = 0x1.62e42f8p-1, ln2Rest = 0x1.be8e7bcd5e4f2p-27, ln2 = 0x1.62e42fefa39efp-1;
  const double y = ExpKernel(fHi * ln2Hi26, -(fHi * ln2Rest + fLo * ln2));
  if (k >= -1021 && k <= 1021) return y * PowerOfTwoFromShifted(shifted);
  return ScaleWide(y, (int) k);
}
