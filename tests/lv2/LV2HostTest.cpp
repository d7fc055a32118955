// The LV2 plug-ins under a lilv host, against the VST 3 binding of the same
// class: random block lengths (0 among them), parameter changes between
// blocks, in-place and separate buffers, and the state saved and restored.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "BindingFixture.h"
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

  // A new instance, restored, sounds as the first.
  LV2Instance b(world, kStereoURI, 48000.0, 512);
  b.RunEmpty();  // its ports at the defaults are taken first, as a host's would be
  EXPECT_EQ(b.RestoreState(saved), LV2_STATE_SUCCESS);
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
