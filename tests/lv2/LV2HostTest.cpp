// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The LV2 plug-ins under a lilv host, against the VST 3 binding of the same
// class: random block lengths (0 among them), parameter changes between
// blocks, in-place and separate buffers, and the state saved and restored.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "BindingFixture.h"
#include "BypassSwitch.h"
#include "LV2Host.h"

using namespace Steinberg;

namespace
{
struct ParamPort
{
  const char* symbol;
  int id;
  double min, max;
};
const ParamPort kParams[] = {{"in", 0, -10, 10}, {"out", 1, -10, 10}, {"mix", 2, 0, 1}, {"drive", 3, 0, 1}};

std::vector<std::vector<float>> Signal(int channels, int frames, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
  std::vector<std::vector<float>> s((size_t) channels, std::vector<float>((size_t) frames));
  for (auto& channel : s)
    for (float& v : channel) v = sample(rng);
  return s;
}

struct LV2Plugins : Binding
{
  LV2World world{PLUSHGRIT_LV2_BUNDLE};
};
}  // namespace

TEST_F(LV2Plugins, StereoAndMonoSoundAsTheVST3BindingThroughRandomBlocksAndChanges)
{
  for (const char* uri : {kStereoURI, kMonoURI})
  {
    SCOPED_TRACE(uri);
    const int channels = uri == kStereoURI ? 2 : 1;
    const int kFrames = 30000, kMax = 9000;
    LV2Instance lv2(world, uri, 48000.0, kMax);
    ASSERT_TRUE(lv2.Valid());
    ASSERT_EQ(lv2.Channels(), channels);
    vst3host::HostedPlugin vst3;
    ASSERT_TRUE(vst3.Load(*sModule, &context));
    ASSERT_EQ(vst3.SetBusArrangements(channels, channels), kResultTrue);
    ASSERT_EQ(vst3.Setup(48000.0, kMax, Vst::kSample32), kResultOk);
    ASSERT_TRUE(vst3.Start());

    const auto in = Signal(channels, kFrames, 7);
    auto outLV2 = in, outVST3 = in;
    std::mt19937 rng(11);
    std::vector<float*> inPtr, outPtr;
    auto inCopy = in;
    for (int c = 0; c < channels; ++c) inPtr.push_back(inCopy[(size_t) c].data()), outPtr.push_back(outVST3[(size_t) c].data());
    int blocks = 0;
    for (int done = 0; done < kFrames; ++blocks)
    {
      // Lengths from none to more than the binding's piece of 4096 frames.
      static const int kLengths[] = {0, 1, 3, 64, 500, 4096, 4097, 8999};
      const int n = std::min(kLengths[rng() % 8], kFrames - done);
      vst3host::ParameterChanges changes;
      if (rng() % 3 == 0)
      {
        // Values whose plain and normalized forms are both exact.
        const ParamPort& p = kParams[rng() % 4];
        const double normalized = (double) (rng() % 65) / 64.0;
        lv2.Control(p.symbol) = (float) (p.min + (p.max - p.min) * normalized);
        changes.Add(p.id, normalized);
      }
      if (rng() % 11 == 0)
      {
        const bool bypass = rng() % 2;
        lv2.Control("enabled") = bypass ? 0.0f : 1.0f;
        changes.Add(kBypass, bypass ? 1.0 : 0.0);
      }
      lv2.Run(in, outLV2, done, n, blocks % 2);
      std::vector<float*> pin, pout;
      for (int c = 0; c < channels; ++c) pin.push_back(inPtr[(size_t) c] + done), pout.push_back(outPtr[(size_t) c] + done);
      ASSERT_EQ(vst3.Process(pin.data(), channels, pout.data(), channels, n, &changes), kResultOk);
      done += n;
    }
    for (int c = 0; c < channels; ++c)
      EXPECT_EQ(memcmp(outLV2[(size_t) c].data(), outVST3[(size_t) c].data(), sizeof(float) * kFrames), 0) << "channel " << c;
    vst3.Stop();
  }
}

TEST_F(LV2Plugins, StateIsTheVST3StateAndRestoresWhatItSaved)
{
  LV2Instance a(world, kStereoURI, 48000.0, 512);
  ASSERT_TRUE(a.Valid());
  a.Control("in") = -2.5f;
  a.Control("mix") = 0.25f;
  a.Control("drive") = 0.75f;
  a.RunEmpty();  // a run without samples takes the values
  std::vector<unsigned char> saved;
  ASSERT_TRUE(a.SaveState(&saved));

  // The same bytes the VST 3 binding saves for the same values.
  ASSERT_EQ(plugin.SetBusArrangements(2, 2), kResultTrue);
  for (const auto& [id, normalized] : std::vector<std::pair<int, double>>{{0, 0.375}, {2, 0.25}, {3, 0.75}})
    plugin.Controller()->setParamNormalized((Vst::ParamID) id, normalized);
  vst3host::Bytes vst3State;
  ASSERT_TRUE(plugin.GetControllerState(vst3State));
  ASSERT_EQ(saved.size(), vst3State.size());
  EXPECT_EQ(memcmp(saved.data(), vst3State.data(), saved.size()), 0);

  // A new instance, restored, holds the same state; with the ports a host
  // restores beside it, it sounds as the first.
  LV2Instance b(world, kStereoURI, 48000.0, 512);
  b.RunEmpty();  // its ports at the defaults are taken first, as a host's would be
  EXPECT_EQ(b.RestoreState(saved), LV2_STATE_SUCCESS);
  std::vector<unsigned char> restored;
  ASSERT_TRUE(b.SaveState(&restored));
  EXPECT_EQ(restored, saved);
  b.Control("in") = -2.5f;
  b.Control("mix") = 0.25f;
  b.Control("drive") = 0.75f;
  const auto in = Signal(2, 512, 3);
  auto outA = in, outB = in;
  a.Run(in, outA, 0, 512);
  b.Run(in, outB, 0, 512);
  EXPECT_EQ(outA, outB);

  // A chunk cut short changes nothing and says so.
  std::vector<unsigned char> cut(saved.begin(), saved.begin() + 12);
  b.Control("out") = 3.0f;
  b.RunEmpty();
  std::vector<unsigned char> before;
  ASSERT_TRUE(b.SaveState(&before));
  EXPECT_NE(b.RestoreState(cut), LV2_STATE_SUCCESS);
  std::vector<unsigned char> after;
  ASSERT_TRUE(b.SaveState(&after));
  EXPECT_EQ(after, before);
}

// A host writes a port, saves before the next run (the state still holds
// the old value), then restores that state and its ports: what the ports
// say is what is heard, as the host shows it.
TEST_F(LV2Plugins, PortsAreTakenAgainAfterAStateRestore)
{
  LV2Instance lv2(world, kStereoURI, 48000.0, 256);
  ASSERT_TRUE(lv2.Valid());
  lv2.Control("drive") = 0.2f;
  lv2.RunEmpty();
  lv2.Control("drive") = 0.8f;
  std::vector<unsigned char> state;
  ASSERT_TRUE(lv2.SaveState(&state));
  lv2.RunEmpty();  // takes 0.8
  ASSERT_EQ(lv2.RestoreState(state), LV2_STATE_SUCCESS);  // 0.2 again, the port still 0.8
  lv2.RunEmpty();
  ASSERT_TRUE(lv2.SaveState(&state));
  double drive;
  memcpy(&drive, state.data() + 24, sizeof(drive));
  EXPECT_EQ(drive, (double) 0.8f);
}

// lv2:enabled fades both ways without a click, ends exactly on the input or
// the processed signal, and counts every value above 0 as enabled.
TEST_F(LV2Plugins, EnablePortFadesWithoutAClickAndEndsExact)
{
  const int kBlock = 64, kFrames = 48000, kOffAt = 200 * kBlock, kOnAt = 500 * kBlock, kFade = 240;
  struct Case
  {
    const char* uri;
    float in, out, drive, amplitude;
  };
  for (const Case& k : {Case{kStereoURI, 6, 6, 1, 0.5f}, Case{kMonoURI, 0, 0, 0, 1.0f}})
  {
    const std::vector<float> x = BypassTestSine(kFrames, k.amplitude);
    auto render = [&](bool switched) {
      LV2Instance lv2(world, k.uri, 48000.0, kBlock);
      lv2.Control("in") = k.in;
      lv2.Control("out") = k.out;
      lv2.Control("drive") = k.drive;
      std::vector<std::vector<float>> in((size_t) lv2.Channels(), x), out = in;
      for (int done = 0; done < kFrames; done += kBlock)
      {
        // 0.25 is enabled: only 0 and below bypass.
        lv2.Control("enabled") = switched && done >= kOffAt && done < kOnAt ? 0.0f : 0.25f;
        lv2.Run(in, out, done, kBlock);
      }
      return out[0];
    };
    const std::vector<float> y = render(true), processed = render(false);
    const double steady = std::fmax(LargestStep(y, kBlock, kOffAt), LargestStep(y, kOffAt + kFade + 1, kOnAt));
    EXPECT_LE(LargestStep(y, kOffAt - 1, kOffAt + kFade + 2), 1.5 * steady) << k.uri;
    EXPECT_LE(LargestStep(y, kOnAt - 1, kOnAt + kFade + 2), 1.5 * steady) << k.uri;
    for (int n = 0; n < kOffAt; ++n) ASSERT_EQ(y[(size_t) n], processed[(size_t) n]) << n;
    for (int n = kOffAt + kFade; n < kOnAt; ++n) ASSERT_EQ(y[(size_t) n], x[(size_t) n]) << n;
    for (int n = kOnAt + kFade; n < kFrames; ++n) ASSERT_EQ(y[(size_t) n], processed[(size_t) n]) << n;
  }
}

TEST_F(LV2Plugins, ValuesOutsideTheRangeAreClampedAndNaNIgnored)
{
  LV2Instance lv2(world, kMonoURI, 44100.0, 64);
  ASSERT_TRUE(lv2.Valid());
  lv2.Control("drive") = 0.5f;
  lv2.RunEmpty();
  lv2.Control("drive") = std::nanf("");
  lv2.Control("in") = 1e9f;
  lv2.RunEmpty();
  std::vector<unsigned char> state;
  ASSERT_TRUE(lv2.SaveState(&state));
  double in, drive;
  memcpy(&in, state.data(), sizeof(in));
  memcpy(&drive, state.data() + 24, sizeof(drive));
  EXPECT_EQ(in, 10.0);
  EXPECT_EQ(drive, 0.5);
}
