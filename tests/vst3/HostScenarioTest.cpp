// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The sequences conformance suites and real hosts put a plug-in through:
// activation cycles, set-ups at other rates and sizes, random block sizes
// with automation at random offsets, busses switched off, processing from
// a second thread, and a fresh instance restoring a saved state. Output
// must stay finite and equal to the chain wherever audio is processed.
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "BindingFixture.h"
#include "ReferenceChain.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

TEST_F(Binding, ActivationCyclesAndRandomBlocksStayOnTheChain)
{
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> frames(0, 1100);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int cycle = 0; cycle < 6; ++cycle)
  {
    const int maxBlock = cycle % 2 ? 256 : 1024;
    const double rate = cycle % 3 == 0 ? 44100.0 : cycle % 3 == 1 ? 96000.0 : 8000.0;
    const int size = cycle % 2 ? kSample64 : kSample32;
    ASSERT_EQ(plugin.SetBusArrangements(2, 2), kResultTrue);
    ASSERT_EQ(plugin.Setup(rate, maxBlock, size), kResultOk);
    ASSERT_TRUE(plugin.Start());

    for (int block = 0; block < 40; ++block)
    {
      const int n = frames(rng);
      vst3host::ParameterChanges changes;
      ReferenceChainSettings s;
      const double v[4] = {unit(rng), unit(rng), unit(rng), unit(rng)};
      for (int p = 0; p < 4; ++p)
      {
        changes.Add(p, unit(rng), n ? (int) (rng() % (unsigned) n) : 0);
        changes.Add(p, v[p], n ? n - 1 : 0);  // the last point counts
      }
      s.inDb = -10 + 20 * v[0];
      s.outDb = -10 + 20 * v[1];
      s.mix = v[2];
      s.drive = v[3];
      std::vector<double> l(n), r(n), ol(n), orr(n);
      for (int i = 0; i < n; ++i) l[i] = r[i] = std::sin(0.01 * i + block);
      std::vector<double> l0(l);
      if (size == kSample64)
      {
        double* in[] = {l.data(), r.data()};
        double* out[] = {ol.data(), orr.data()};
        ASSERT_EQ(plugin.Process(in, 2, out, 2, n, &changes), kResultOk);
        for (int i = 0; i < n; ++i) ASSERT_EQ(ol[i], ReferenceChainSample(l0[i], s)) << cycle << "/" << block << "/" << i;
      }
      else
      {
        std::vector<float> fl(l.begin(), l.end()), fr(fl), fol(n), forr(n);
        float* in[] = {fl.data(), fr.data()};
        float* out[] = {fol.data(), forr.data()};
        ASSERT_EQ(plugin.Process(in, 2, out, 2, n, &changes), kResultOk);
        for (int i = 0; i < n; ++i)
          ASSERT_EQ(fol[i], (float) ReferenceChainSample((double) (float) l0[i], s)) << cycle << "/" << block << "/" << i;
      }
    }
    plugin.Stop();
  }
}

TEST_F(Binding, SwitchedOffOutputBusIsLeftAlone)
{
  Prepare(kSample32, 128);
  ASSERT_EQ(plugin.Component()->activateBus(kAudio, kOutput, 0, false), kResultTrue);
  std::vector<float> in(64, 0.5f), out(64, 7.0f);
  float* ins[] = {in.data(), in.data()};
  float* outs[] = {out.data(), out.data()};
  EXPECT_EQ(plugin.Process(ins, 2, outs, 2, 64), kResultOk);
  for (float v : out) ASSERT_EQ(v, 7.0f);
  ASSERT_EQ(plugin.Component()->activateBus(kAudio, kOutput, 0, true), kResultTrue);
  plugin.Process(ins, 2, outs, 2, 64);
  EXPECT_EQ(out[0], (float) ReferenceChainSample(0.5, ReferenceChainSettings{}));
  EXPECT_EQ(plugin.Component()->activateBus(kAudio, kOutput, 3, true), kInvalidArgument);
}

TEST_F(Binding, ProcessingMovesToAnotherThreadBetweenBlocks)
{
  Prepare(kSample64, 512);
  std::vector<double> l(512), r(512), ol(512), orr(512);
  for (int i = 0; i < 512; ++i) l[i] = r[i] = 0.8 * std::sin(i * 0.03);
  double* in[] = {l.data(), r.data()};
  double* outs[] = {ol.data(), orr.data()};
  // Each thread changes the drive; the next thread hears exactly that drive.
  for (int t = 0; t < 4; ++t)
  {
    std::thread audio([&] {
      vst3host::ParameterChanges changes;
      changes.Add(3, 0.25 * t);
      for (int i = 0; i < 3; ++i) plugin.Process(in, 2, outs, 2, 512, i ? nullptr : &changes);
    });
    audio.join();
    const ReferenceChainSettings heard{0.0, 0.0, 1.0, 0.25 * t};
    for (int i = 0; i < 512; ++i) ASSERT_EQ(ol[i], ReferenceChainSample(l[i], heard)) << t << " " << i;
  }
}

TEST_F(Binding, AFreshInstanceRestoresAndSoundsTheSame)
{
  Prepare(kSample64, 256);
  vst3host::ParameterChanges changes;
  changes.Add(0, 0.8);
  changes.Add(2, 0.4);
  changes.Add(3, 0.9);
  std::vector<double> a(256), b(256), oa(256), ob(256);
  for (int i = 0; i < 256; ++i) a[i] = b[i] = 0.7 * std::sin(i * 0.05);
  double* in[] = {a.data(), a.data()};
  double* out[] = {oa.data(), oa.data()};
  plugin.Process(in, 2, out, 2, 256, &changes);
  vst3host::Bytes state;
  ASSERT_TRUE(plugin.GetComponentState(state));

  vst3host::HostedPlugin fresh;
  ASSERT_TRUE(fresh.Load(*sModule, &context));
  ASSERT_EQ(fresh.SetComponentState(state), kResultOk);
  ASSERT_EQ(fresh.SetControllerComponentState(state), kResultOk);
  ASSERT_EQ(fresh.SetBusArrangements(2, 2), kResultTrue);
  ASSERT_EQ(fresh.Setup(48000.0, 256, kSample64), kResultOk);
  ASSERT_TRUE(fresh.Start());
  double* in2[] = {b.data(), b.data()};
  double* out2[] = {ob.data(), ob.data()};
  fresh.Process(in2, 2, out2, 2, 256);
  EXPECT_EQ(oa, ob);
}
