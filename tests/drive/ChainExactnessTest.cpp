// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The plug-in's block processing against the literal per-sample chain, bit
// for bit, over random inputs and settings; and the 32-bit frame path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "DriveChain.h"
#include "MyDSP/DSPProcessor.h"
#include "Plushgrit.h"
#include "ReferenceChain.h"

namespace
{
ReferenceChainSettings randomSettings(std::mt19937_64& rng)
{
  std::uniform_real_distribution<double> db(-10, 10), unit(0, 1);
  ReferenceChainSettings s;
  s.inDb = db(rng);
  s.outDb = db(rng);
  s.mix = unit(rng);
  s.drive = unit(rng);
  return s;
}

void apply(Plushgrit& plug, const ReferenceChainSettings& s)
{
  const double v[] = {s.inDb, s.outDb, s.mix, s.drive};
  for (int i = 0; i < 4; ++i)
  {
    plug.GetParam(i)->Set(v[i]);
    plug.OnParamChange(i);
  }
}

bool sameBits(double a, double b) { return memcmp(&a, &b, sizeof a) == 0; }
}  // namespace

TEST(ChainExactness, BlockProcessingMatchesTheLiteralChainBitForBit)
{
  Plushgrit plug{IPlugInstanceInfo()};
  std::mt19937_64 rng(20261208);
  std::uniform_real_distribution<double> sample(-4, 4);
  std::uniform_int_distribution<int> blockLen(1, 700);
  long compared = 0;
  for (int trial = 0; trial < 300; ++trial)
  {
    ReferenceChainSettings s = randomSettings(rng);
    apply(plug, s);
    int n = blockLen(rng);
    std::vector<double> l(n), r(n), ol(n), orr(n);
    for (int i = 0; i < n; ++i)
    {
      l[i] = sample(rng);
      r[i] = trial % 7 ? sample(rng) * 1e-3 : 0.0;
    }
    std::vector<double> l0(l), r0(r);
    double* in[] = {l.data(), r.data()};
    double* out[] = {ol.data(), orr.data()};
    plug.ProcessDoubleReplacing(in, out, n);
    for (int i = 0; i < n; ++i)
    {
      double gl, gr;
      double el = ReferenceChainSample(l0[i], s, &gl), er = ReferenceChainSample(r0[i], s, &gr);
      ASSERT_TRUE(sameBits(ol[i], el)) << "trial " << trial << " sample " << i;
      ASSERT_TRUE(sameBits(orr[i], er)) << "trial " << trial << " sample " << i;
      ASSERT_TRUE(sameBits(l[i], gl));
      ASSERT_TRUE(sameBits(r[i], gr));
      compared += 2;
    }
  }
  EXPECT_GT(compared, 100000);
}

// Each vector form, whatever the processor picks for the plug-in, against
// the literal chain: samples from silence to far past the clipper's and the
// exponential's ranges, NaN and infinities included.
TEST(ChainExactness, EveryVectorFormMatchesTheLiteralChain)
{
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(-1, 1);
  std::uniform_int_distribution<int> octave(-30, 12);
  const double specials[] = {0.0, -0.0, NAN, INFINITY, -INFINITY, 1e300, -1e300, 5e-324};
  for (DriveSimd simd : {DriveSimd::kScalar, DriveSimd::kSSE2, DriveSimd::kAVX2, DriveSimd::kAVX512})
  {
    for (int trial = 0; trial < 40; ++trial)
    {
      ReferenceChainSettings rs = randomSettings(rng);
      DriveChainSettings s;
      s.inGain = DriveExp2(rs.inDb / 6.014);
      s.outGain = DriveExp2(rs.outDb / 6.014);
      s.driveGain = 15.0 * rs.drive + 1.0;
      s.makeup = DriveExp2(rs.drive) / s.driveGain;
      s.bias = DSPProcessor::FastTanh(0.2);
      s.mix = rs.mix;
      const int n = 1 + trial * 13;
      std::vector<double> in(n), out(n);
      for (int i = 0; i < n; ++i) in[i] = i % 37 == 5 ? specials[i % 8] : unit(rng) * std::ldexp(1.0, octave(rng));
      std::vector<double> original(in);
      DriveChainProcess(s, in.data(), out.data(), n, simd);
      for (int i = 0; i < n; ++i)
      {
        double gained;
        double expected = ReferenceChainSample(original[i], rs, &gained);
        ASSERT_TRUE(sameBits(out[i], expected)) << "form " << (int) simd << " input " << original[i];
        ASSERT_TRUE(sameBits(in[i], gained));
      }
    }
  }
}

// The vector forms hold the clipper's argument within the exponential's
// normal range; beyond it the clipper's quotient must still be exactly the
// chain's +-1. Arguments around +-708, the overflow at 709.78 and the
// underflow at -745.13, for every form.
TEST(ChainExactness, ArgumentsAroundTheExponentialsLimitsMatch)
{
  const ReferenceChainSettings rs{0.0, 0.0, 0.5, 0.0};
  DriveChainSettings s;
  s.makeup = DriveExp2(0.0);
  s.bias = DSPProcessor::FastTanh(0.2);
  s.mix = 0.5;
  std::vector<double> args;
  for (double edge : {-746.0, -745.13, -708.0, 708.0, 709.78, 711.0})
    for (int i = -40; i <= 40; ++i) args.push_back(edge + i * 0.013);
  for (DriveSimd simd : {DriveSimd::kSSE2, DriveSimd::kAVX2, DriveSimd::kAVX512})
  {
    std::vector<double> in, out(args.size());
    for (double x : args) in.push_back(x / 2 - 0.2);  // x = 2 (g + 0.2)
    const std::vector<double> original(in);
    DriveChainProcess(s, in.data(), out.data(), (int) in.size(), simd);
    for (size_t i = 0; i < in.size(); ++i)
      ASSERT_TRUE(sameBits(out[i], ReferenceChainSample(original[i], rs))) << "form " << (int) simd << " x " << args[i];
  }
}

TEST(ChainExactness, InPlaceBuffersGiveTheSameResult)
{
  Plushgrit plug{IPlugInstanceInfo()};
  ReferenceChainSettings s{3.0, -2.0, 0.6, 0.8};
  apply(plug, s);
  const DriveChainSettings chain = plug.BlockSettings();
  // Two whole chunks of 56, a part chunk and a tail that fills no vector:
  // each turn of the block path writes one chunk while it reads the next.
  const int n = 56 * 2 + 24 + 5;
  for (DriveSimd simd : {DriveSimd::kScalar, DriveSimd::kSSE2, DriveSimd::kAVX2, DriveSimd::kAVX512})
  {
    std::vector<double> io(n);
    for (int i = 0; i < n; ++i) io[i] = std::sin(i * 0.37) * 2.0;
    const std::vector<double> original(io);
    DriveChainProcess(chain, io.data(), io.data(), n, simd);
    for (int i = 0; i < n; ++i)
      ASSERT_TRUE(sameBits(io[i], ReferenceChainSample(original[i], s))) << "form " << (int) simd << " sample " << i;
  }
  std::vector<double> l(n), r(n);
  for (int i = 0; i < n; ++i)
  {
    l[i] = std::sin(i * 0.37) * 2.0;
    r[i] = std::cos(i * 0.11) * 0.3;
  }
  const std::vector<double> l0(l), r0(r);
  double* io[] = {l.data(), r.data()};
  plug.ProcessDoubleReplacing(io, io, n);
  for (int i = 0; i < n; ++i)
  {
    ASSERT_TRUE(sameBits(l[i], ReferenceChainSample(l0[i], s))) << i;
    ASSERT_TRUE(sameBits(r[i], ReferenceChainSample(r0[i], s))) << i;
  }
}

// Channels run as one, unless their buffers meet: one input for both
// channels, or the first channel's output as the second one's input, must
// give what running them one after the other gives.
TEST(ChainExactness, ChannelsThatShareBuffersRunInTheChainsOrder)
{
  Plushgrit plug{IPlugInstanceInfo()};
  apply(plug, ReferenceChainSettings{4.0, -1.0, 0.4, 0.7});
  const DriveChainSettings chain = plug.BlockSettings();
  for (DriveSimd simd : {DriveSimd::kSSE2, DriveSimd::kAVX2, DriveSimd::kAVX512})
    for (int n : {8, 61, 200})
      for (int layout = 0; layout < 3; ++layout)
      {
        SCOPED_TRACE(testing::Message() << "form " << (int) simd << " n " << n << " layout " << layout);
        // Four buffers; the layout decides which the channels use.
        std::vector<std::vector<double>> got(4, std::vector<double>(n)), want;
        for (int b = 0; b < 4; ++b)
          for (int i = 0; i < n; ++i) got[b][i] = std::sin(i * 0.3 + b) * 1.5;
        want = got;
        const int use[3][4] = {{0, 1, 2, 3}, {0, 1, 0, 3}, {0, 1, 1, 3}};  // in0, out0, in1, out1
        auto spans = [&](std::vector<std::vector<double>>& v, const int* u) {
          return std::vector<DriveChainSpan>{{v[u[0]].data(), v[u[1]].data(), n}, {v[u[2]].data(), v[u[3]].data(), n}};
        };
        const std::vector<DriveChainSpan> together = spans(got, use[layout]), apart = spans(want, use[layout]);
        DriveChainProcessChannels(chain, together.data(), 2, simd);
        for (const DriveChainSpan& c : apart) DriveChainProcess(chain, c.in, c.out, c.n, simd);
        for (int b = 0; b < 4; ++b)
          for (int i = 0; i < n; ++i) ASSERT_TRUE(sameBits(got[b][i], want[b][i])) << "buffer " << b << " sample " << i;
      }
}

TEST(ChainExactness, SinglePrecisionFrameConvertsBothWays)
{
  Plushgrit plug{IPlugInstanceInfo()};
  ReferenceChainSettings s{-2.0, 1.0, 0.8, 0.4};
  apply(plug, s);
  const int n = 64;
  plug.SetBlockSize(n);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> l(n), r(n), ol(n), orr(n);
  for (int i = 0; i < n; ++i)
  {
    l[i] = (float) std::sin(i * 0.3);
    r[i] = (float) (0.5 * std::cos(i * 0.11));
  }
  float* in[] = {l.data(), r.data()};
  float* out[] = {ol.data(), orr.data()};
  plug.AttachInputBuffers(0, 2, in, n);
  plug.AttachOutputBuffers(0, 2, out);
  plug.ProcessBuffers(0.0f, n);
  for (int i = 0; i < n; ++i)
  {
    EXPECT_EQ(ol[i], (float) ReferenceChainSample((double) l[i], s));
    EXPECT_EQ(orr[i], (float) ReferenceChainSample((double) r[i], s));
  }
  // The host's float input buffers are not written.
  EXPECT_EQ(l[1], (float) std::sin(0.3));
}

TEST(ChainExactness, MonoHostIsServedByTheScratchChannel)
{
  Plushgrit plug{IPlugInstanceInfo()};
  ReferenceChainSettings s{1.0, 0.0, 1.0, 0.5};
  apply(plug, s);
  plug.SetBlockSize(8);
  plug.SetInputChannelConnections(0, 1, true);
  plug.SetInputChannelConnections(1, 1, false);
  plug.SetOutputChannelConnections(0, 1, true);
  plug.SetOutputChannelConnections(1, 1, false);
  std::vector<double> in(8, 0.25), out(8);
  double* ins[] = {in.data()};
  double* outs[] = {out.data()};
  plug.AttachInputBuffers(0, 2, ins, 8);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0, 8);
  for (double v : out) EXPECT_TRUE(sameBits(v, ReferenceChainSample(0.25, s)));
}
