// The plug-in's block processing against the literal per-sample chain, bit
// for bit, over random inputs and settings; and the 32-bit frame path.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

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

TEST(ChainExactness, InPlaceBuffersGiveTheSameResult)
{
  Plushgrit plug{IPlugInstanceInfo()};
  ReferenceChainSettings s{3.0, -2.0, 0.6, 0.8};
  apply(plug, s);
  std::vector<double> l = {0.1, -0.7, 2.0}, r = {-0.2, 0.4, 0.0};
  std::vector<double> l0(l), r0(r);
  double* io[] = {l.data(), r.data()};
  plug.ProcessDoubleReplacing(io, io, 3);
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_TRUE(sameBits(l[i], ReferenceChainSample(l0[i], s)));
    EXPECT_TRUE(sameBits(r[i], ReferenceChainSample(r0[i], s)));
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
