// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Busses, processing set-up, and blocks at 32 and 64 bits with parameter
// automation, bypass and preset changes, against the literal chain.
#include <cmath>
#include <cstring>
#include <vector>

#include "BindingFixture.h"
#include "ReferenceChain.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
template <class Sample>
struct Stereo
{
  explicit Stereo(int n, double phase = 0.0) : l(n), r(n), ol(n, 9), orr(n, 9)
  {
    for (int i = 0; i < n; ++i)
    {
      l[i] = (Sample) (0.9 * std::sin(phase + i * 0.071));
      r[i] = (Sample) (0.6 * std::cos(phase + i * 0.013));
    }
    l0 = l;
    r0 = r;
  }
  Sample** in() { return ins; }
  Sample** out() { return outs; }
  std::vector<Sample> l, r, ol, orr, l0, r0;
  Sample* ins[2] = {l.data(), r.data()};
  Sample* outs[2] = {ol.data(), orr.data()};
};

ReferenceChainSettings defaults() { return ReferenceChainSettings{0.0, 0.0, 1.0, 0.0}; }
}  // namespace

TEST_F(Binding, BusLayoutAndArrangements)
{
  IComponent* comp = plugin.Component();
  ASSERT_EQ(comp->getBusCount(kAudio, kInput), 1);
  ASSERT_EQ(comp->getBusCount(kAudio, kOutput), 1);
  EXPECT_EQ(comp->getBusCount(kEvent, kInput), 0);
  BusInfo info;
  ASSERT_EQ(comp->getBusInfo(kAudio, kInput, 0, info), kResultTrue);
  EXPECT_EQ(Utf8(info.name), "Main Input");
  EXPECT_EQ(info.channelCount, 2);
  EXPECT_EQ(info.busType, kMain);
  EXPECT_EQ(info.flags, (uint32) BusInfo::kDefaultActive);
  ASSERT_EQ(comp->getBusInfo(kAudio, kOutput, 0, info), kResultTrue);
  EXPECT_EQ(Utf8(info.name), "Output");

  EXPECT_EQ(plugin.SetBusArrangements(2, 2), kResultTrue);
  EXPECT_EQ(plugin.SetBusArrangements(2, 1), kResultFalse);
  EXPECT_EQ(plugin.SetBusArrangements(1, 1), kResultTrue);
  ASSERT_EQ(comp->getBusInfo(kAudio, kInput, 0, info), kResultTrue);
  EXPECT_EQ(Utf8(info.name), "Input");
  EXPECT_EQ(info.channelCount, 1);
  ASSERT_EQ(comp->getBusInfo(kAudio, kOutput, 0, info), kResultTrue);
  EXPECT_EQ(Utf8(info.name), "Output");
  EXPECT_EQ(info.channelCount, 1);
  SpeakerArrangement arr = 0;
  EXPECT_EQ(plugin.Processor()->getBusArrangement(kOutput, 0, arr), kResultTrue);
  EXPECT_EQ(arr, SpeakerArr::kMono);

  // Zero busses or null arrays are refused without reading past them.
  SpeakerArrangement stereo = SpeakerArr::kStereo;
  EXPECT_EQ(plugin.Processor()->setBusArrangements(nullptr, 0, &stereo, 1), kResultFalse);
  EXPECT_EQ(plugin.Processor()->setBusArrangements(&stereo, 1, nullptr, 0), kResultFalse);
  EXPECT_EQ(plugin.Processor()->setBusArrangements(nullptr, 1, nullptr, 1), kResultFalse);
  SpeakerArrangement two[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
  EXPECT_EQ(plugin.Processor()->setBusArrangements(two, 2, two, 1), kResultFalse);  // one input bus only
}

TEST_F(Binding, SetupSampleSizesAndLatency)
{
  IAudioProcessor* p = plugin.Processor();
  EXPECT_EQ(p->canProcessSampleSize(kSample32), kResultTrue);
  EXPECT_EQ(p->canProcessSampleSize(kSample64), kResultTrue);
  EXPECT_EQ(p->canProcessSampleSize(2), kResultFalse);
  EXPECT_EQ(plugin.Setup(44100, 256, 2), kResultFalse);
  EXPECT_EQ(plugin.Setup(44100, 256, kSample64), kResultOk);
  EXPECT_EQ(p->getLatencySamples(), 0u);
  EXPECT_EQ(p->getTailSamples(), 0u);
}

TEST_F(Binding, BlocksAtBothPrecisionsEqualTheChain)
{
  for (int size : {kSample32, kSample64})
  {
    SCOPED_TRACE(size);
    plugin.Stop();
    Prepare(size);
    vst3host::ParameterChanges changes;
    changes.Add(0, 0.6);   // In +2 dB
    changes.Add(1, 0.3);   // Out -4 dB
    changes.Add(2, 0.2);   // Mix: the last point (0.8) counts for the whole block
    changes.Add(2, 0.8, 100);
    changes.Add(3, 0.45);  // Drive
    ReferenceChainSettings s{2.0, -4.0, 0.8, 0.45};

    const int n = 300;
    if (size == kSample64)
    {
      Stereo<double> io(n);
      ASSERT_EQ(plugin.Process(io.in(), 2, io.out(), 2, n, &changes), kResultOk);
      for (int i = 0; i < n; ++i)
      {
        ASSERT_EQ(io.ol[i], ReferenceChainSample(io.l0[i], s)) << i;
        ASSERT_EQ(io.orr[i], ReferenceChainSample(io.r0[i], s)) << i;
      }
    }
    else
    {
      Stereo<float> io(n);
      ASSERT_EQ(plugin.Process(io.in(), 2, io.out(), 2, n, &changes), kResultOk);
      for (int i = 0; i < n; ++i)
      {
        ASSERT_EQ(io.ol[i], (float) ReferenceChainSample(io.l0[i], s)) << i;
        ASSERT_EQ(io.orr[i], (float) ReferenceChainSample(io.r0[i], s)) << i;
      }
    }
    EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(2), 0.8);
  }
}

TEST_F(Binding, BypassFollowsTheLastPointAboveOneHalfAndSurvivesANewSetUp)
{
  Prepare(kSample32);
  const int n = 64;
  vst3host::ParameterChanges changes;
  changes.Add(kBypass, 1.0);
  changes.Add(kBypass, 0.5);
  Stereo<float> a(n);
  plugin.Process(a.in(), 2, a.out(), 2, n, &changes);
  EXPECT_EQ(plugin.Controller()->getParamNormalized(kBypass), 0.0);
  EXPECT_EQ(a.ol[10], (float) ReferenceChainSample(a.l0[10], defaults()));

  changes.Clear();
  changes.Add(kBypass, 0.51);
  Stereo<float> fade(256);  // the switch fades over 5 ms, 240 frames at 48 kHz
  plugin.Process(fade.in(), 2, fade.out(), 2, 256, &changes);
  Stereo<float> b(n);
  plugin.Process(b.in(), 2, b.out(), 2, n);
  EXPECT_EQ(plugin.Controller()->getParamNormalized(kBypass), 1.0);
  EXPECT_EQ(b.ol, b.l0);  // passed through unchanged
  EXPECT_EQ(b.orr, b.r0);

  // A new sample rate keeps the host's bypass: heard, shown and saved.
  plugin.Stop();
  ASSERT_EQ(plugin.Setup(96000.0, 256, kSample32), kResultOk);
  ASSERT_TRUE(plugin.Start());
  EXPECT_EQ(plugin.Controller()->getParamNormalized(kBypass), 1.0);
  Stereo<float> c(n);
  plugin.Process(c.in(), 2, c.out(), 2, n);
  EXPECT_EQ(c.ol, c.l0);
  vst3host::Bytes state;
  ASSERT_TRUE(plugin.GetControllerState(state));
  int32 savedBypass = 0;
  memcpy(&savedBypass, state.data() + 32, 4);
  EXPECT_EQ(savedBypass, 1);

  // A NaN point changes nothing.
  changes.Clear();
  changes.Add(kBypass, std::nan(""));
  plugin.Process(c.in(), 2, c.out(), 2, n, &changes);
  EXPECT_EQ(plugin.Controller()->getParamNormalized(kBypass), 1.0);
}

TEST_F(Binding, PresetChangesRestoreOnlyExistingPresets)
{
  Prepare(kSample64);
  const int n = 16;
  vst3host::ParameterChanges changes;
  changes.Add(3, 0.9);
  Stereo<double> a(n);
  plugin.Process(a.in(), 2, a.out(), 2, n, &changes);

  changes.Clear();
  changes.Add(kPreset, 1.0);  // names preset 1, which does not exist
  plugin.Process(a.in(), 2, a.out(), 2, n, &changes);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(3), 0.9);

  changes.Clear();
  changes.Add(kPreset, 0.99);  // preset 0, "init"
  plugin.Process(a.in(), 2, a.out(), 2, n, &changes);
  EXPECT_EQ(plugin.Controller()->getParamNormalized(3), 0.0);
  EXPECT_EQ(plugin.Controller()->getParamNormalized(kPreset), 0.0);
}

TEST_F(Binding, BlocksLongerThanTheSetUpMaximumAreProcessedWhole)
{
  for (int size : {kSample32, kSample64})
  {
    SCOPED_TRACE(size);
    plugin.Stop();
    Prepare(size, 64);
    vst3host::ParameterChanges changes;
    changes.Add(3, 0.7);
    ReferenceChainSettings s{0.0, 0.0, 1.0, 0.7};
    const int n = 1000;  // 15 full pieces and a short one
    if (size == kSample64)
    {
      Stereo<double> io(n, 0.3);
      plugin.Process(io.in(), 2, io.out(), 2, n, &changes);
      for (int i = 0; i < n; ++i) ASSERT_EQ(io.orr[i], ReferenceChainSample(io.r0[i], s)) << i;
    }
    else
    {
      Stereo<float> io(n, 0.3);
      plugin.Process(io.in(), 2, io.out(), 2, n, &changes);
      for (int i = 0; i < n; ++i) ASSERT_EQ(io.orr[i], (float) ReferenceChainSample(io.r0[i], s)) << i;
    }
  }
}

TEST_F(Binding, ParameterFlushesTouchNoAudio)
{
  Prepare(kSample32);
  vst3host::ParameterChanges changes;
  changes.Add(2, 0.25);
  // Zero samples with buffers, then no buffers at all.
  Stereo<float> io(8);
  EXPECT_EQ(plugin.Process(io.in(), 2, io.out(), 2, 0, &changes), kResultOk);
  EXPECT_EQ(io.ol, std::vector<float>(8, 9));
  changes.Clear();
  changes.Add(3, 0.5);
  EXPECT_EQ(plugin.Process((float**) nullptr, 0, (float**) nullptr, 0, 128, &changes), kResultOk);
  EXPECT_EQ(plugin.Controller()->getParamNormalized(2), 0.25);
  EXPECT_EQ(plugin.Controller()->getParamNormalized(3), 0.5);

  // Null channel pointers are not written through.
  float* nullChannels[2] = {nullptr, nullptr};
  EXPECT_EQ(plugin.Process(io.in(), 2, nullChannels, 2, 8), kResultOk);
}

TEST_F(Binding, MonoAndInputlessBlocks)
{
  ASSERT_EQ(plugin.SetBusArrangements(1, 1), kResultTrue);
  ASSERT_EQ(plugin.Setup(48000.0, 128, kSample64), kResultOk);
  ASSERT_TRUE(plugin.Start());
  std::vector<double> in(100, 0.5), out(100);
  double* ins[] = {in.data()};
  double* outs[] = {out.data()};
  plugin.Process(ins, 1, outs, 1, 100);
  for (double v : out) ASSERT_EQ(v, ReferenceChainSample(0.5, defaults()));

  // An output bus without an input bus reads silence: zero in, zero out.
  std::vector<double> o2(100, 3.0);
  double* outs2[] = {o2.data()};
  plugin.Process(nullptr, 0, outs2, 1, 100);
  for (double v : o2) ASSERT_EQ(v, 0.0);
}

TEST_F(Binding, ProcessBeforeSetupWritesSilenceInsteadOfCrashing)
{
  Stereo<float> io(32);
  EXPECT_EQ(plugin.Process(io.in(), 2, io.out(), 2, 32), kResultOk);
  EXPECT_EQ(io.ol, std::vector<float>(32, 0.0f));
}

TEST_F(Binding, UnusableSetUpsAreRefusedAndThePreviousOneKeepsWorking)
{
  Prepare(kSample32, 256);
  plugin.Stop();
  EXPECT_EQ(plugin.Setup(96000.0, 300000000, kSample32), kResultFalse);  // 2.4 GB a channel
  EXPECT_EQ(plugin.Setup(96000.0, 0, kSample32), kResultFalse);
  EXPECT_EQ(plugin.Setup(std::nan(""), 256, kSample32), kResultFalse);
  ASSERT_TRUE(plugin.Start());
  Stereo<float> a(256);
  plugin.Process(a.in(), 2, a.out(), 2, 256);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(a.ol[i], (float) ReferenceChainSample(a.l0[i], defaults())) << i;
}

TEST_F(Binding, BlockOfAnotherSampleSizeThanTheSetUpIsSkipped)
{
  Prepare(kSample64, 64);
  Stereo<float> a(64);  // 32-bit buffers read as 64-bit would be read past their end
  EXPECT_EQ(plugin.Process(a.in(), 2, a.out(), 2, 64), kResultOk);
  EXPECT_EQ(a.ol, std::vector<float>(64, 9.0f));
  Stereo<double> b(64);
  plugin.Process(b.in(), 2, b.out(), 2, 64);
  EXPECT_EQ(b.ol[5], ReferenceChainSample(b.l0[5], defaults()));
}

TEST_F(Binding, ControllerChangesReachTheSoundAndTheSavedState)
{
  Prepare(kSample64);
  IEditController* c = plugin.Controller();
  ASSERT_EQ(c->setParamNormalized(3, 0.6), kResultOk);  // Drive, only on the controller
  ASSERT_EQ(c->setParamNormalized(2, 0.5), kResultOk);  // Mix
  Stereo<double> a(64);
  plugin.Process(a.in(), 2, a.out(), 2, 64);
  const ReferenceChainSettings heard{0.0, 0.0, 0.5, 0.6};
  for (int i = 0; i < 64; ++i) ASSERT_EQ(a.ol[i], ReferenceChainSample(a.l0[i], heard)) << i;

  vst3host::Bytes saved;
  ASSERT_TRUE(plugin.GetControllerState(saved));
  vst3host::HostedPlugin reloaded;
  ASSERT_TRUE(reloaded.Load(*sModule, &context));
  ASSERT_EQ(reloaded.SetControllerState(saved), kResultOk);
  ASSERT_EQ(reloaded.SetBusArrangements(2, 2), kResultTrue);
  ASSERT_EQ(reloaded.Setup(48000.0, 512, kSample64), kResultOk);
  ASSERT_TRUE(reloaded.Start());
  Stereo<double> b(64);
  reloaded.Process(b.in(), 2, b.out(), 2, 64);
  EXPECT_EQ(b.ol, a.ol);
}

TEST_F(Binding, BypassAndProgramChangesThroughTheController)
{
  Prepare(kSample32);
  IEditController* c = plugin.Controller();
  EXPECT_EQ(c->setParamNormalized(kBypass, 1.0), kResultOk);
  EXPECT_EQ(c->getParamNormalized(kBypass), 1.0);
  Stereo<float> a(32);
  plugin.Process(a.in(), 2, a.out(), 2, 32);
  EXPECT_EQ(a.ol, a.l0);
  EXPECT_EQ(c->setParamNormalized(kBypass, 0.2), kResultOk);
  EXPECT_EQ(c->getParamNormalized(kBypass), 0.0);

  // A program change that moves the parameters tells the host at once.
  c->setParamNormalized(3, 0.9);
  const size_t before = plugin.Handler().Restarts().size();
  EXPECT_EQ(c->setParamNormalized(kPreset, 0.0), kResultOk);
  EXPECT_EQ(c->getParamNormalized(3), 0.0);
  auto restarts = plugin.Handler().Restarts();
  ASSERT_EQ(restarts.size(), before + 1);
  EXPECT_EQ(restarts.back(), kParamValuesChanged);
  // The same program again moves nothing and says nothing; NaN is refused.
  EXPECT_EQ(c->setParamNormalized(kPreset, 0.0), kResultOk);
  c->setParamNormalized(3, 0.9);
  EXPECT_EQ(c->setParamNormalized(kPreset, std::nan("")), kResultFalse);
  EXPECT_DOUBLE_EQ(c->getParamNormalized(3), 0.9);
  EXPECT_EQ(plugin.Handler().Restarts().size(), before + 1);

  // Through process the news waits for the host's user-interface thread.
  vst3host::ParameterChanges changes;
  changes.Add(kPreset, std::nan(""));
  plugin.Process(a.in(), 2, a.out(), 2, 32, &changes);
  EXPECT_DOUBLE_EQ(c->getParamNormalized(3), 0.9);  // NaN restored nothing
  changes.Clear();
  changes.Add(kPreset, 0.0);
  plugin.Process(a.in(), 2, a.out(), 2, 32, &changes);
  EXPECT_EQ(plugin.Handler().Restarts().size(), before + 1);
  EXPECT_EQ(c->getParamNormalized(3), 0.0);
  EXPECT_EQ(plugin.Handler().Restarts().size(), before + 2);
}
