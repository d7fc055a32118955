// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Switching the host's bypass fades between the processed and the dry
// signal: no step near a switch is much larger than the steady signal's,
// and once the fade is over the output is exactly the input (bypassed) or
// exactly what a fresh instance plays (processed).
#include <vector>

#include "BindingFixture.h"
#include "BypassSwitch.h"

using namespace Steinberg::Vst;

namespace
{
const int kBlock = 64, kFrames = 48000, kOnAt = 200 * kBlock, kOffAt = 500 * kBlock;
const int kFade = 240;  // 5 ms at 48 kHz

struct Settings
{
  int channels;
  double in, out, drive;  // normalized
  double amplitude;
};

// Renders x (on every channel) in blocks; bypass goes on at onAt and off at
// offAt (never, when negative). Channel 0 comes back.
std::vector<float> Render(vst3host::HostedPlugin& plugin, const Settings& s, const std::vector<float>& x, int onAt,
                          int offAt)
{
  std::vector<std::vector<float>> in((size_t) s.channels, x), out((size_t) s.channels, std::vector<float>(x.size()));
  vst3host::ParameterChanges changes;
  for (int done = 0; done < (int) x.size(); done += kBlock)
  {
    changes.Clear();
    if (!done)
    {
      changes.Add(0, s.in);
      changes.Add(1, s.out);
      changes.Add(3, s.drive);
    }
    if (done == onAt) changes.Add(kBypass, 1.0);
    if (done == offAt) changes.Add(kBypass, 0.0);
    std::vector<float*> pin, pout;
    for (int c = 0; c < s.channels; ++c) pin.push_back(in[(size_t) c].data() + done), pout.push_back(out[(size_t) c].data() + done);
    plugin.Process(pin.data(), s.channels, pout.data(), s.channels, kBlock, &changes);
  }
  return out[0];
}
}  // namespace

TEST_F(Binding, BypassSwitchesFadeWithoutAClickAndEndExact)
{
  // In and Out +6 dB with Drive 1; and mono at the defaults, loud.
  for (const Settings& s : {Settings{2, 0.8, 0.8, 1.0, 0.5}, Settings{1, 0.5, 0.5, 0.0, 1.0}})
  {
    plugin.Terminate();
    ASSERT_TRUE(plugin.Load(*sModule, &context));
    ASSERT_EQ(plugin.SetBusArrangements(s.channels, s.channels), Steinberg::kResultTrue);
    ASSERT_EQ(plugin.Setup(48000.0, kBlock, kSample32), Steinberg::kResultOk);
    ASSERT_TRUE(plugin.Start());
    const std::vector<float> x = BypassTestSine(kFrames, s.amplitude);
    const std::vector<float> y = Render(plugin, s, x, kOnAt, kOffAt);

    vst3host::HostedPlugin fresh;
    ASSERT_TRUE(fresh.Load(*sModule, &context));
    ASSERT_EQ(fresh.SetBusArrangements(s.channels, s.channels), Steinberg::kResultTrue);
    ASSERT_EQ(fresh.Setup(48000.0, kBlock, kSample32), Steinberg::kResultOk);
    ASSERT_TRUE(fresh.Start());
    const std::vector<float> processed = Render(fresh, s, x, -1, -1);

    const double steady = std::fmax(LargestStep(y, kBlock, kOnAt), LargestStep(y, kOnAt + kFade + 1, kOffAt));
    EXPECT_LE(LargestStep(y, kOnAt - 1, kOnAt + kFade + 2), 1.5 * steady) << "on, channels " << s.channels;
    EXPECT_LE(LargestStep(y, kOffAt - 1, kOffAt + kFade + 2), 1.5 * steady) << "off, channels " << s.channels;

    for (int n = kOnAt + kFade; n < kOffAt; ++n) ASSERT_EQ(y[(size_t) n], x[(size_t) n]) << n;
    for (int n = 0; n < kOnAt; ++n) ASSERT_EQ(y[(size_t) n], processed[(size_t) n]) << n;
    for (int n = kOffAt + kFade; n < kFrames; ++n) ASSERT_EQ(y[(size_t) n], processed[(size_t) n]) << n;
    // Inside the fade the output is neither.
    EXPECT_NE(y[(size_t) kOnAt + kFade / 2], x[(size_t) kOnAt + kFade / 2]);
    EXPECT_NE(y[(size_t) kOnAt + kFade / 2], processed[(size_t) kOnAt + kFade / 2]);
  }
}
