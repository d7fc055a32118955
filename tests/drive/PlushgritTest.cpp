// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The drive plug-in: identity, parameters, its preset, the working members
// and the exact values of the chain.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "MyDSP/DriveExp.h"
#include "Plushgrit.h"

namespace
{
struct Drive : ::testing::Test
{
  Plushgrit plug{IPlugInstanceInfo()};

  void Set(int idx, double v)
  {
    plug.GetParam(idx)->Set(v);
    plug.OnParamChange(idx);
  }
  // One sample through both channels; returns channel 0.
  double Run(double x)
  {
    double l = x, r = x, ol = 0, orr = 0;
    double* in[] = {&l, &r};
    double* out[] = {&ol, &orr};
    plug.ProcessDoubleReplacing(in, out, 1);
    EXPECT_EQ(ol, orr);
    return ol;
  }
  std::string Readout(int idx)
  {
    char text[64] = "unset";
    plug.FormatReadout(idx, text, sizeof(text));
    return text;
  }
};
}  // namespace

TEST_F(Drive, IdentityAndChannelModel)
{
  EXPECT_STREQ(plug.GetEffectName(), "Plushgrit");
  EXPECT_STREQ(plug.GetProductName(), "");
  EXPECT_STREQ(plug.GetMfrName(), "Quorvane");
  EXPECT_EQ(plug.GetEffectVersion(false), 0x10000);
  EXPECT_EQ(plug.GetUniqueID(), 0x51563031);  // 'QV01'
  EXPECT_EQ(plug.GetMfrID(), 0x5172766E);     // 'Qrvn'
  EXPECT_EQ(plug.GetLatency(), 0);
  EXPECT_FALSE(plug.DoesMIDI());
  EXPECT_FALSE(plug.DoesStateChunks());
  EXPECT_FALSE(plug.IsInst());
  EXPECT_EQ(plug.NInChannels(), 2);
  EXPECT_EQ(plug.NOutChannels(), 2);
  EXPECT_TRUE(plug.LegalIO(2, 2));
  EXPECT_TRUE(plug.LegalIO(1, 1));
  EXPECT_FALSE(plug.LegalIO(2, 1));
}

TEST_F(Drive, FourParametersAsTheHostSeesThem)
{
  struct Expect
  {
    const char* name;
    double def, lo, hi, step;
    const char* label;
    int precision;
  } expect[] = {
    {"In", 0, -10, 10, 0.01, "dB", 2},
    {"Out", 0, -10, 10, 0.01, "dB", 2},
    {"Mix", 1, 0, 1, 0.001, "50/50", 3},
    {"Drive", 0, 0, 1, 0.001, "%", 3},
  };
  ASSERT_EQ(plug.NParams(), 4);
  for (int i = 0; i < 4; ++i)
  {
    IParam* p = plug.GetParam(i);
    EXPECT_EQ(p->Type(), IParam::kTypeDouble);
    EXPECT_STREQ(p->GetNameForHost(), expect[i].name);
    EXPECT_STREQ(p->GetLabelForHost(), expect[i].label);
    EXPECT_STREQ(p->GetParamGroupForHost(), "");
    EXPECT_EQ(p->GetDefault(), expect[i].def);
    EXPECT_EQ(p->GetMin(), expect[i].lo);
    EXPECT_EQ(p->GetMax(), expect[i].hi);
    EXPECT_EQ(p->GetStep(), expect[i].step);
    EXPECT_EQ(p->GetShape(), 1.0);
    EXPECT_EQ(p->GetPrecision(), expect[i].precision);
  }
}

TEST_F(Drive, InitPresetIsMadeAndRestoredAtConstruction)
{
  EXPECT_EQ(plug.NPresets(), 1);
  EXPECT_STREQ(plug.GetPresetName(0), "init");
  EXPECT_EQ(plug.GetCurrentPresetIdx(), 0);
  EXPECT_EQ(plug.GetParam(Plushgrit::kMix)->Value(), 1.0);
  EXPECT_EQ(plug.InGainDb(), 0.0);
  EXPECT_EQ(plug.OutGainDb(), 0.0);
  EXPECT_EQ(plug.Mix(), 1.0);
  EXPECT_EQ(plug.DriveGain(), 1.0);
  EXPECT_EQ(plug.DriveMakeup(), 1.0);
  EXPECT_EQ(plug.BiasOffset(), 0.197375320224904);

  Set(Plushgrit::kDrive, 0.7);
  Set(Plushgrit::kIn, -4);
  EXPECT_TRUE(plug.RestorePreset(0));
  EXPECT_EQ(plug.DriveGain(), 1.0);
  EXPECT_EQ(plug.InGainDb(), 0.0);
}

TEST_F(Drive, WorkingMembersFollowEveryParameter)
{
  Set(Plushgrit::kIn, -3.5);
  Set(Plushgrit::kOut, 2.5);
  Set(Plushgrit::kMix, 0.25);
  Set(Plushgrit::kDrive, 1.0);
  EXPECT_EQ(plug.InGainDb(), -3.5);
  EXPECT_EQ(plug.OutGainDb(), 2.5);
  EXPECT_EQ(plug.Mix(), 0.25);
  EXPECT_EQ(plug.DriveGain(), 16.0);
  EXPECT_EQ(plug.DriveMakeup(), 0.125);
  plug.OnParamChange(17);  // not a parameter: nothing happens
  plug.OnParamChange(-1);
  EXPECT_EQ(plug.DriveGain(), 16.0);
}

TEST_F(Drive, ChainValuesAreExact)
{
  EXPECT_EQ(Run(1.0), 0.6362792867872512);
  EXPECT_EQ(Run(-1.0), -0.861412090492753);
  Set(Plushgrit::kDrive, 1.0);
  EXPECT_EQ(Run(1.0), 0.10032808497188488);
}

TEST_F(Drive, ZeroInGivesZeroOutEverywhere)
{
  for (double in : {-10.0, 0.0, 10.0})
    for (double mix : {0.0, 0.37, 1.0})
      for (double drive : {0.0, 0.5, 1.0})
      {
        Set(Plushgrit::kIn, in);
        Set(Plushgrit::kOut, -in);
        Set(Plushgrit::kMix, mix);
        Set(Plushgrit::kDrive, drive);
        EXPECT_EQ(Run(0.0), 0.0);
      }
}

TEST_F(Drive, DryMixIsTheInputScaledByBothGains)
{
  Set(Plushgrit::kMix, 0.0);
  Set(Plushgrit::kIn, 10.0);
  Set(Plushgrit::kOut, -4.0);
  Set(Plushgrit::kDrive, 0.9);
  double x = 0.3;
  EXPECT_EQ(Run(x), x * DriveExp2(10.0 / 6.014) * DriveExp2(-4.0 / 6.014));
  EXPECT_EQ(DriveExp2(10.0 / 6.014), 3.1662755873858366);
}

TEST_F(Drive, InputBufferKeepsTheGainedInputAndEmptyBlocksTouchNothing)
{
  Set(Plushgrit::kIn, 10.0);
  std::vector<double> l = {0.5, -0.25}, r = {1.0, 0.0}, ol(2, 7), orr(2, 7);
  double* in[] = {l.data(), r.data()};
  double* out[] = {ol.data(), orr.data()};
  plug.ProcessDoubleReplacing(in, out, 0);
  plug.ProcessDoubleReplacing(in, out, -5);
  EXPECT_EQ(l, (std::vector<double>{0.5, -0.25}));
  EXPECT_EQ(ol, (std::vector<double>{7, 7}));
  plug.ProcessDoubleReplacing(in, out, 2);
  EXPECT_EQ(l[0], 0.5 * 3.1662755873858366);
  EXPECT_EQ(r[0], 1.0 * 3.1662755873858366);
}

TEST_F(Drive, ReadoutTexts)
{
  EXPECT_EQ(Readout(Plushgrit::kIn), "0.00 dB");
  EXPECT_EQ(Readout(Plushgrit::kOut), "0.00 dB");
  EXPECT_EQ(Readout(Plushgrit::kMix), "0 | 100");
  Set(Plushgrit::kIn, -10);
  EXPECT_EQ(Readout(Plushgrit::kIn), "-10.00 dB");
  Set(Plushgrit::kOut, 2.5);
  EXPECT_EQ(Readout(Plushgrit::kOut), "2.50 dB");

  const struct
  {
    double mix;
    const char* text;
  } mixes[] = {{0.5, "50 | 50"}, {0.0, "100 | 0"}, {0.3, "70 | 30"}, {0.01, "100 | 0"},
               {0.999, "1 | 99"}, {0.29, "72 | 28"}, {1.0, "0 | 100"}};
  for (const auto& m : mixes)
  {
    Set(Plushgrit::kMix, m.mix);
    EXPECT_EQ(Readout(Plushgrit::kMix), m.text) << m.mix;
  }
  EXPECT_EQ(Readout(Plushgrit::kDrive), "unset");  // Drive has no read-out
}
