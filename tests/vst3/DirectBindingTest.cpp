// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Parts of the binding that a host cannot reach from outside: edit
// notifications from the framework, host identification, timing queries
// and latency changes. The plug-in object is used directly.
#include <gtest/gtest.h>

#include <vector>

#include "HostObjects.h"
#include "Plushgrit.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
struct Direct : ::testing::Test
{
  Direct() : plug(new Plushgrit(IPlugInstanceInfo())) {}
  ~Direct() override
  {
    plug->terminate();
    plug->release();
  }
  // Host objects outlive the plug-in, which holds them until terminate.
  vst3host::HostContext reaper{"REAPER"}, other{"Ardour 8"};
  vst3host::ComponentHandlerRecorder handler;
  Plushgrit* plug;
};
}  // namespace

TEST_F(Direct, HostIsIdentifiedByItsApplicationName)
{
  EXPECT_EQ(plug->GetHost(), kHostUninit);
  ASSERT_EQ(plug->initialize(&reaper), kResultOk);
  EXPECT_EQ(plug->GetHost(), kHostReaper);
  EXPECT_EQ(plug->GetHostVersion(true), 0);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 0);

  // A second initialize is refused and changes nothing: no second set of
  // busses, the same host, and no restore of preset 0 over the settings.
  plug->setParamNormalized(3, 0.8);
  EXPECT_EQ(plug->initialize(&other), kResultFalse);
  EXPECT_EQ(plug->getBusCount(kAudio, kInput), 1);
  EXPECT_EQ(plug->getParameterCount(), 6);
  EXPECT_EQ(plug->GetHost(), kHostReaper);
  EXPECT_DOUBLE_EQ(plug->getParamNormalized(3), 0.8);
}

TEST_F(Direct, EditorGesturesReachTheComponentHandler)
{
  plug->initialize(nullptr);
  // Without a handler every notification is refused.
  EXPECT_EQ(plug->beginEdit(0), kResultFalse);

  plug->setComponentHandler(&handler);
  plug->BeginInformHostOfParamChange(2);
  plug->SetParameterFromGUI(2, 0.3);
  plug->EndInformHostOfParamChange(2);
  auto edits = handler.Edits();
  ASSERT_EQ(edits.size(), 3u);
  EXPECT_EQ(edits[0].kind, vst3host::ComponentHandlerRecorder::Edit::kBegin);
  EXPECT_EQ(edits[1].kind, vst3host::ComponentHandlerRecorder::Edit::kPerform);
  EXPECT_EQ(edits[1].id, 2u);
  EXPECT_EQ(edits[1].value, 0.3);
  EXPECT_EQ(edits[2].kind, vst3host::ComponentHandlerRecorder::Edit::kEnd);
  EXPECT_EQ(plug->Mix(), 0.3);

  plug->SetLatency(32);
  EXPECT_EQ(handler.Restarts(), std::vector<int32>{kLatencyChanged});
  EXPECT_EQ(plug->getLatencySamples(), 32u);
  plug->setComponentHandler(nullptr);
}

TEST_F(Direct, TimingComesFromTheLastBlockThatCarriedAContext)
{
  plug->initialize(nullptr);
  ProcessSetup setup{kRealtime, kSample32, 64, 48000.0};
  plug->setupProcessing(setup);
  EXPECT_FALSE(plug->IsRenderingOffline());

  ProcessContext ctx = {};
  ctx.tempo = 140.0;
  ctx.projectTimeSamples = 96000;
  ctx.projectTimeMusic = 8.5;
  ctx.barPositionMusic = 8.0;
  ctx.cycleStartMusic = 4.0;
  ctx.cycleEndMusic = 12.0;
  ctx.timeSigNumerator = 7;
  ctx.timeSigDenominator = 8;
  ctx.state = ProcessContext::kPlaying | ProcessContext::kCycleActive;
  ProcessData data;
  data.processContext = &ctx;
  plug->process(data);

  ProcessData noContext;
  plug->process(noContext);  // stale values stay
  EXPECT_EQ(plug->GetTempo(), 140.0);
  EXPECT_EQ(plug->GetSamplePos(), 96000);
  int num = 0, den = 0;
  plug->GetTimeSig(&num, &den);
  EXPECT_EQ(num, 7);
  EXPECT_EQ(den, 8);
  ITimeInfo t;
  plug->GetTime(&t);
  EXPECT_EQ(t.mPPQPos, 8.5);
  EXPECT_EQ(t.mLastBar, 8.0);
  EXPECT_EQ(t.mCycleStart, 4.0);
  EXPECT_EQ(t.mCycleEnd, 12.0);
  EXPECT_TRUE(t.mTransportIsRunning);
  EXPECT_TRUE(t.mTransportLoopEnabled);
  EXPECT_DOUBLE_EQ(plug->GetSamplesPerBeat(), 48000.0 * 60.0 / 140.0);

  ProcessSetup offline{kOffline, kSample64, 64, 48000.0};
  plug->setupProcessing(offline);
  EXPECT_TRUE(plug->IsRenderingOffline());
}

TEST_F(Direct, BusLabelsAndDelayLineFromConstruction)
{
  EXPECT_STREQ(plug->GetInputBusLabel(0)->Get(), "Main Input");
  EXPECT_STREQ(plug->GetOutputBusLabel(0)->Get(), "Output");
  EXPECT_EQ(plug->GetInputBusLabel(1), nullptr);
  EXPECT_TRUE(plug->IsInChannelConnected(0));
  EXPECT_TRUE(plug->IsOutChannelConnected(1));
  EXPECT_EQ(plug->GetAPI(), kAPIVST3);

  // The delay line exists: with a latency of 3 the bypassed output lags.
  plug->initialize(nullptr);
  plug->SetLatency(3);
  ProcessSetup setup{kRealtime, kSample64, 8, 48000.0};
  ASSERT_EQ(plug->setupProcessing(setup), kResultOk);
  plug->setParamNormalized(kBypassParam, 1.0);
  plug->activateBus(kAudio, kInput, 0, true);
  plug->activateBus(kAudio, kOutput, 0, true);
  double in[5] = {1, 2, 3, 4, 5}, out[5] = {};
  double *ins[1] = {in}, *outs[1] = {out};
  AudioBusBuffers inBus, outBus;
  inBus.numChannels = outBus.numChannels = 1;
  inBus.channelBuffers64 = ins;
  outBus.channelBuffers64 = outs;
  ProcessData data;
  data.symbolicSampleSize = kSample64;
  data.numSamples = 5;
  data.numInputs = data.numOutputs = 1;
  data.inputs = &inBus;
  data.outputs = &outBus;
  plug->process(data);
  EXPECT_EQ(std::vector<double>(out, out + 5), (std::vector<double>{0, 0, 0, 1, 2}));
}

namespace
{
// A plug-in with a side-chain: a stereo main and a stereo auxiliary input,
// and an enumerated parameter without display texts.
struct SidechainPlug : IPlugVST3
{
  SidechainPlug()
      : IPlugVST3(IPlugInstanceInfo(), 1, "4-2 1-2", 0, "Sc", "Sc", "Test", 0x10000, MakeFourCC("Scpl"), MakeFourCC("Test"), 0, false, false,
                  false, 2)
  {
    GetParam(0)->InitEnum("Mode", 1, 4);
  }
};
}  // namespace

TEST(DirectSidechain, ArrangementsKeepBusPositionsAndBareEnumsGetWholeSteps)
{
  auto* plug = new SidechainPlug;
  ASSERT_EQ(plug->initialize(nullptr), kResultOk);
  ASSERT_EQ(plug->getBusCount(kAudio, kInput), 2);

  SpeakerArrangement ins[2] = {SpeakerArr::kMono, SpeakerArr::kStereo};
  SpeakerArrangement outs[1] = {SpeakerArr::kStereo};
  EXPECT_EQ(plug->setBusArrangements(ins, 2, outs, 1), kResultTrue);
  BusInfo main, aux;
  ASSERT_EQ(plug->getBusInfo(kAudio, kInput, 0, main), kResultOk);
  ASSERT_EQ(plug->getBusInfo(kAudio, kInput, 1, aux), kResultOk);
  EXPECT_EQ(main.busType, kMain);  // still bus 0, now mono
  EXPECT_EQ(main.channelCount, 1);
  EXPECT_EQ(aux.busType, kAux);
  EXPECT_EQ(aux.channelCount, 2);

  ParameterInfo info;
  ASSERT_EQ(plug->getParameterInfo(1, info), kResultOk);  // after Bypass
  EXPECT_EQ(info.id, 0u);
  EXPECT_EQ(info.stepCount, 3);
  EXPECT_DOUBLE_EQ(plug->normalizedParamToPlain(0, 1.0 / 3.0), 1.0);

  plug->terminate();
  plug->release();
}
