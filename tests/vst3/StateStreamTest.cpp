// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The state stream through the controller's and the component's doors:
// layout, round trips, short streams, and garbage that must never crash.
#include <algorithm>
#include <cstring>
#include <random>

#include "BindingFixture.h"
#include "pluginterfaces/base/ibstream.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace
{
vst3host::Bytes stateOf(std::initializer_list<double> values, int bypass = -1)
{
  vst3host::Bytes b;
  for (double v : values)
  {
    const char* p = reinterpret_cast<const char*>(&v);
    b.insert(b.end(), p, p + 8);
  }
  if (bypass >= 0)
  {
    int32 flag = bypass;
    const char* p = reinterpret_cast<const char*>(&flag);
    b.insert(b.end(), p, p + 4);
  }
  return b;
}
// Takes at most `room` bytes in all, then refuses; reads hand out at most
// `chunk` bytes a call, as pipes and network streams do.
class LimitedStream : public IBStream
{
public:
  LimitedStream(int32 room, vst3host::Bytes data = {}, int32 chunk = 1 << 30)
      : mRoom(room), mData(std::move(data)), mChunk(chunk) {}
  tresult PLUGIN_API read(void* buffer, int32 n, int32* numRead) override
  {
    int32 got = std::min({n, mChunk, (int32) mData.size() - mPos});
    memcpy(buffer, mData.data() + mPos, (size_t) got);
    mPos += got;
    if (numRead) *numRead = got;
    return kResultOk;
  }
  tresult PLUGIN_API write(void* buffer, int32 n, int32* written) override
  {
    int32 put = std::min(n, mRoom - (int32) mData.size());
    mData.insert(mData.end(), (char*) buffer, (char*) buffer + put);
    if (written) *written = put;
    return put > 0 ? kResultOk : kResultFalse;
  }
  tresult PLUGIN_API seek(int64, int32, int64*) override { return kNotImplemented; }
  tresult PLUGIN_API tell(int64* pos) override { return pos ? (*pos = mPos, kResultOk) : kInvalidArgument; }
  tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
  VST3HOST_FIXED_REFCOUNT

private:
  int32 mRoom, mPos = 0;
  vst3host::Bytes mData;
  int32 mChunk;
};
}  // namespace

TEST_F(Binding, SavingIntoAStreamThatRefusesReportsFailure)
{
  for (int32 room : {0, 20, 32, 35})
  {
    LimitedStream stream(room);
    EXPECT_EQ(plugin.Controller()->getState(&stream), kResultFalse) << room;
    EXPECT_EQ(plugin.Component()->getState(&stream), kResultFalse) << room;
  }
  LimitedStream roomy(36);
  EXPECT_EQ(plugin.Controller()->getState(&roomy), kResultOk);
}

TEST_F(Binding, StreamEndingInsideAValueNeverMixesOldAndNewBytes)
{
  plugin.Controller()->setParamNormalized(1, 0.6);   // Out +2 dB
  plugin.Controller()->setParamNormalized(3, 0.4);
  vst3host::Bytes cut = stateOf({4.0, -2.0});
  cut.resize(12);  // In, then half of Out
  LimitedStream stream(0, cut);
  EXPECT_EQ(plugin.Controller()->setState(&stream), kResultFalse);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(0), 0.7);  // In 4 dB
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(1), 0.5);  // a failed read: 0 dB, no mixed bytes
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(3), 0.4);  // not reached: kept
}

TEST_F(Binding, StateDeliveredAFewBytesAtATimeLoadsWhole)
{
  LimitedStream trickle(0, stateOf({-2.5, 3.0, 0.25, 0.75}, 1), 5);
  EXPECT_EQ(plugin.Controller()->setState(&trickle), kResultOk);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(1), 0.65);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(3), 0.75);
  EXPECT_EQ(plugin.Controller()->getParamNormalized(kBypass), 1.0);
}

TEST_F(Binding, StateIsFourDoublesAndTheBypassFlag)
{
  Prepare(kSample32);
  vst3host::ParameterChanges changes;
  changes.Add(0, 0.75);  // In +5 dB
  changes.Add(3, 0.5);
  changes.Add(kBypass, 1.0);
  std::vector<float> buf(16);
  float* chans[] = {buf.data(), buf.data()};
  plugin.Process(chans, 2, chans, 2, 16, &changes);

  vst3host::Bytes controller, component;
  ASSERT_TRUE(plugin.GetControllerState(controller));
  ASSERT_TRUE(plugin.GetComponentState(component));
  EXPECT_EQ(controller, stateOf({5.0, 0.0, 1.0, 0.5}, 1));
  EXPECT_EQ(component, controller);
  EXPECT_EQ(controller.size(), 36u);
}

TEST_F(Binding, EveryDoorRestoresTheSameState)
{
  const vst3host::Bytes saved = stateOf({-2.5, 3.0, 0.25, 0.75}, 1);
  using Setter = tresult (vst3host::HostedPlugin::*)(const vst3host::Bytes&);
  for (Setter set : {&vst3host::HostedPlugin::SetControllerState, &vst3host::HostedPlugin::SetComponentState,
                     &vst3host::HostedPlugin::SetControllerComponentState})
  {
    vst3host::HostedPlugin other;
    ASSERT_TRUE(other.Load(*sModule, &context));
    EXPECT_EQ((other.*set)(saved), kResultOk);
    IEditController* c = other.Controller();
    EXPECT_DOUBLE_EQ(c->getParamNormalized(0), 0.375);
    EXPECT_DOUBLE_EQ(c->getParamNormalized(1), 0.65);
    EXPECT_DOUBLE_EQ(c->getParamNormalized(2), 0.25);
    EXPECT_DOUBLE_EQ(c->getParamNormalized(3), 0.75);
    EXPECT_EQ(c->getParamNormalized(kBypass), 1.0);
    vst3host::Bytes again;
    ASSERT_TRUE(other.GetControllerState(again));
    EXPECT_EQ(again, saved);
  }
}

TEST_F(Binding, StreamWithoutBypassLoadsParametersAndReportsFailure)
{
  ASSERT_EQ(plugin.SetControllerState(stateOf({0, 0, 1, 0}, 1)), kResultOk);
  EXPECT_EQ(plugin.SetControllerState(stateOf({1.0, 2.0, 0.5, 0.5})), kResultFalse);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(0), 0.55);
  EXPECT_EQ(plugin.Controller()->getParamNormalized(kBypass), 1.0);  // kept
}

TEST_F(Binding, ShortStreamKeepsTheMissingParameters)
{
  plugin.Controller()->setParamNormalized(3, 0.4);
  vst3host::Bytes shortState = stateOf({4.0, -4.0});
  EXPECT_EQ(plugin.SetControllerState(shortState), kResultFalse);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(0), 0.7);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(3), 0.4);
}

TEST_F(Binding, NonFiniteAndOutOfRangeValuesInAStateAreHandled)
{
  vst3host::Bytes weird = stateOf({std::nan(""), 1e300, -1e300, std::numeric_limits<double>::infinity()}, 0);
  plugin.Controller()->setParamNormalized(0, 0.3);
  plugin.Controller()->setParamNormalized(3, 0.6);
  EXPECT_EQ(plugin.SetControllerState(weird), kResultOk);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(0), 0.3);  // NaN refused
  EXPECT_EQ(plugin.Controller()->getParamNormalized(1), 1.0);         // clamped
  EXPECT_EQ(plugin.Controller()->getParamNormalized(2), 0.0);
  EXPECT_DOUBLE_EQ(plugin.Controller()->getParamNormalized(3), 0.6);  // infinity refused
}

TEST_F(Binding, GarbageAndTruncatedStreamsNeverCrash)
{
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> byte(0, 255), len(0, 80);
  for (int trial = 0; trial < 300; ++trial)
  {
    vst3host::Bytes junk((size_t) len(rng));
    for (char& b : junk) b = (char) byte(rng);
    plugin.SetControllerState(junk);
    plugin.SetComponentState(junk);
    plugin.SetControllerComponentState(junk);
    for (int p = 0; p < 4; ++p)
    {
      double v = plugin.Controller()->getParamNormalized(p);
      ASSERT_TRUE(v >= 0.0 && v <= 1.0) << trial;
    }
  }
  EXPECT_EQ(plugin.Component()->setState(nullptr), kResultFalse);
  EXPECT_EQ(plugin.Controller()->setState(nullptr), kResultFalse);
}
