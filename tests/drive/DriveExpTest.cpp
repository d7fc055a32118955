// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The drive chain's own exponentials: within 1 ulp of a long-double
// reference over the whole range, the same bits in every vector form, the
// chain's known values, and a pinned hash of the output that fails on any
// change of a single bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "DriveChain.h"
#include "MyDSP/DSPProcessor.h"
#include "MyDSP/DriveExp.h"
#include "Plushgrit.h"

namespace
{
uint64_t bitsOf(double v)
{
  uint64_t b;
  memcpy(&b, &v, sizeof b);
  return b;
}

// |y - exact| in units of the last place of the exact value (the subnormal
// spacing below the normal range).
double ulpError(double y, long double exact)
{
  const double rounded = (double) exact;
  if (std::isinf(rounded)) return std::isinf(y) ? 0.0 : 1e9;
  const double spacing = std::fabs(rounded) < std::numeric_limits<double>::min()
                             ? std::numeric_limits<double>::denorm_min()
                             : std::ldexp(1.0, std::ilogb(rounded) - 52);
  return (double) (std::fabs((long double) y - exact) / spacing);
}

// Arguments across the range: uniform over it, dense near 0, and packed
// around the overflow and underflow thresholds.
std::vector<double> arguments(double lo, double hi, int n, uint64_t seed)
{
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> range(lo, hi), unit(-1, 1);
  std::vector<double> x(n);
  for (int i = 0; i < n; ++i)
  {
    switch (i % 4)
    {
      case 0:
      case 1: x[i] = range(rng); break;
      case 2: x[i] = unit(rng) * std::ldexp(1.0, (int) (rng() % 70) - 60); break;
      default: x[i] = (i % 8 == 3 ? hi : lo) - std::fabs(unit(rng)) * 2.0; break;
    }
  }
  return x;
}
}  // namespace

TEST(DriveExp, WithinOneUlpOverTheWholeRange)
{
  double worst = 0.0, worstAt = 0.0;
  for (double x : arguments(-745.2, 709.8, 3000000, 1))
  {
    double e = ulpError(DriveExp(x), expl((long double) x));
    if (e > worst) worst = e, worstAt = x;
  }
  EXPECT_LT(worst, 1.0) << "at " << worstAt;

  worst = 0.0;
  for (double x : arguments(-1075.0, 1024.0, 1000000, 2))
  {
    double e = ulpError(DriveExp2(x), exp2l((long double) x));
    if (e > worst) worst = e, worstAt = x;
  }
  EXPECT_LT(worst, 1.0) << "at " << worstAt;

  for (auto f : {DriveExp, DriveExp2})
  {
    EXPECT_TRUE(std::isnan(f(NAN)));
    EXPECT_EQ(f(INFINITY), INFINITY);
    EXPECT_EQ(f(-INFINITY), 0.0);
    EXPECT_EQ(f(0.0), 1.0);
    EXPECT_EQ(f(-0.0), 1.0);
    EXPECT_EQ(f(2000.0), INFINITY);
    EXPECT_EQ(f(-2000.0), 0.0);
  }
  EXPECT_EQ(DriveExp(709.79), INFINITY);
  EXPECT_EQ(DriveExp(-745.14), 0.0);
  EXPECT_EQ(DriveExp2(1023.0), std::ldexp(1.0, 1023));
  EXPECT_EQ(DriveExp2(-1074.0), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(DriveExp2(1.0), 2.0);
}

TEST(DriveExp, EveryVectorFormGivesTheScalarBits)
{
  // The width of the widest form plus odd lengths, so that tails and lanes
  // out of the normal range (which go scalar) meet in the same vectors.
  std::vector<double> x = arguments(-800.0, 800.0, 1000003, 3);
  x[17] = NAN;
  x[18] = INFINITY;
  x[19] = -INFINITY;
  std::vector<double> scalar(x.size()), vec(x.size());
  DriveExpBlock(x.data(), scalar.data(), (int) x.size(), DriveSimd::kScalar);
  for (DriveSimd simd : {DriveSimd::kSSE2, DriveSimd::kAVX2, DriveSimd::kAVX512})
  {
    DriveExpBlock(x.data(), vec.data(), (int) x.size(), simd);
    for (size_t i = 0; i < x.size(); ++i)
      ASSERT_EQ(bitsOf(vec[i]), bitsOf(scalar[i])) << "form " << (int) simd << " at " << x[i];
  }
  if (DriveSimdAvailable() != DriveSimd::kAVX512) GTEST_SKIP() << "the forms wider than this processor ran narrower";
}

TEST(DriveExp, ChainValuesAndSaturation)
{
  auto chain = [](double x, double drive) {
    const double driveGain = 15.0 * drive + 1.0, makeup = DriveExp2(drive) / driveGain;
    return makeup * (DSPProcessor::FastTanh(x * driveGain + 0.2) - DSPProcessor::FastTanh(0.2));
  };
  EXPECT_EQ(chain(1.0, 0.0), 0.6362792867872512);
  EXPECT_EQ(chain(-1.0, 0.0), -0.861412090492753);
  EXPECT_EQ(chain(1.0, 1.0), 0.10032808497188488);
  EXPECT_EQ(DSPProcessor::DecibelGain(1.0, 10.0), 3.1662755873858366);
  // Where e^2x overflows the clipper gives its limit, not NaN.
  EXPECT_EQ(DSPProcessor::FastTanh(400.0), 1.0);
  EXPECT_EQ(DSPProcessor::FastTanh(-400.0), -1.0);
  EXPECT_EQ(DSPProcessor::FastTanh(354.0), 1.0);
}

// A fixed block through every corner of the settings, hashed. Any change of
// compiler, flags, library or processor that moves one bit fails here.
TEST(DriveExp, OutputIsPinnedToTheBit)
{
  Plushgrit plug{IPlugInstanceInfo()};
  const int n = 257;
  std::vector<double> signal(n);
  for (int i = 0; i < n; ++i) signal[i] = std::sin(i * 0.37) * std::ldexp(1.0, i % 9 - 4);
  uint64_t hash = 14695981039346656037ull;  // FNV-1a over the output bits
  auto mix = [&](double v) {
    uint64_t b = bitsOf(v);
    for (int i = 0; i < 8; ++i) hash = (hash ^ ((b >> (8 * i)) & 0xff)) * 1099511628211ull;
  };
  for (double in : {-10.0, 0.0, 10.0})
    for (double out : {-10.0, 0.0, 10.0})
      for (double mixValue : {0.0, 0.5, 1.0})
        for (double drive : {0.0, 0.5, 1.0})
        {
          const double v[] = {in, out, mixValue, drive};
          for (int p = 0; p < 4; ++p)
          {
            plug.GetParam(p)->Set(v[p]);
            plug.OnParamChange(p);
          }
          std::vector<double> l(signal), r(signal.rbegin(), signal.rend()), ol(n), orr(n);
          double* ins[] = {l.data(), r.data()};
          double* outs[] = {ol.data(), orr.data()};
          plug.ProcessDoubleReplacing(ins, outs, n);
          for (int i = 0; i < n; ++i) mix(ol[i]), mix(orr[i]), mix(l[i]);
        }
  EXPECT_EQ(hash, 0xc17eb9dedbca7e14ull);
}
