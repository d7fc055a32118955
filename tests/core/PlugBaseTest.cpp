// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The plug-in base: construction, channel configurations, connections,
// labels, versions and the editor's parameter path.
#include <gtest/gtest.h>

#include "TestPlug.h"

TEST(PlugBaseConstruction, IdentityAndDefaults)
{
  TestPlug plug(3, "2-2 1-1", 2);
  EXPECT_STREQ(plug.GetEffectName(), "TestPlug");
  EXPECT_STREQ(plug.GetProductName(), "Test Product");
  EXPECT_STREQ(plug.GetMfrName(), "Test Maker");
  EXPECT_EQ(plug.GetUniqueID(), MakeFourCC("Tst1"));
  EXPECT_EQ(plug.NParams(), 3);
  EXPECT_EQ(plug.GetParam(3), nullptr);
  EXPECT_EQ(plug.GetParam(0)->Type(), IParam::kTypeNone);
  EXPECT_EQ(plug.NPresets(), 2);
  EXPECT_STREQ(plug.GetPresetName(0), "empty");
  EXPECT_EQ(plug.GetHost(), kHostUninit);
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_EQ(plug.GetBlockSize(), 0);
  EXPECT_EQ(plug.GetAPI(), kAPIVST3);
  EXPECT_STREQ(plug.GetAPIString(), "VST3");
  EXPECT_STREQ(plug.GetArchString(), "x64");
}

TEST(PlugBaseConstruction, OverlongNamesAreCut)
{
  std::string name(300, 'n');
  class Named : public IPlugBase
  {
  public:
    explicit Named(const char* n)
        : IPlugBase(0, "1-1", 0, n, n, n, 0, 0, 0, 0, false, false, false, kAPIVST3) {}
    void BeginInformHostOfParamChange(int) override {}
    void InformHostOfParamChange(int, double) override {}
    void EndInformHostOfParamChange(int) override {}
    void InformHostOfProgramChange() override {}
    int GetSamplePos() override { return 0; }
    double GetTempo() override { return 0; }
    void GetTimeSig(int*, int*) override {}
    void GetTime(ITimeInfo*) override {}
    void ResizeGraphics(int, int) override {}
    bool SendMidiMsg(IMidiMsg*) override { return false; }
  } plug(name.c_str());
  EXPECT_EQ(strlen(plug.GetEffectName()), 127u);
  EXPECT_EQ(strlen(plug.GetProductName()), 127u);
  EXPECT_EQ(strlen(plug.GetMfrName()), 127u);
}

TEST(PlugBaseChannels, ConfigurationTextAndLegalIO)
{
  TestPlug plug(0, "2-2 1-1");
  ASSERT_EQ(plug.NChannelIO(), 2);
  EXPECT_EQ(plug.GetChannelIO(0)->mIn, 2);
  EXPECT_EQ(plug.GetChannelIO(1)->mOut, 1);
  EXPECT_EQ(plug.NInChannels(), 2);
  EXPECT_EQ(plug.NOutChannels(), 2);
  EXPECT_TRUE(plug.LegalIO(2, 2));
  EXPECT_TRUE(plug.LegalIO(1, 1));
  EXPECT_TRUE(plug.LegalIO(-1, 2));
  EXPECT_TRUE(plug.LegalIO(1, -1));
  EXPECT_FALSE(plug.LegalIO(2, 1));

  TestPlug trailing(0, "2-2 ");
  ASSERT_EQ(trailing.NChannelIO(), 2);
  EXPECT_EQ(trailing.GetChannelIO(1)->mIn, 0);
  EXPECT_EQ(trailing.GetChannelIO(1)->mOut, 0);

  TestPlug doubled(0, "2-2  1-1");
  ASSERT_EQ(doubled.NChannelIO(), 3);
  EXPECT_EQ(doubled.GetChannelIO(1)->mIn, 1);
  EXPECT_EQ(doubled.GetChannelIO(2)->mIn, 1);

  TestPlug none(0, nullptr);
  EXPECT_EQ(none.NChannelIO(), 0);
  EXPECT_EQ(none.NInChannels(), 0);
  EXPECT_FALSE(none.LegalIO(-1, -1));
}

TEST(PlugBaseChannels, ConnectionsAreClippedToTheChannelCount)
{
  TestPlug plug(0, "2-2");
  plug.SetInputChannelConnections(0, 5, true);
  EXPECT_TRUE(plug.IsInChannelConnected(0));
  EXPECT_TRUE(plug.IsInChannelConnected(1));
  EXPECT_FALSE(plug.IsInChannelConnected(2));
  EXPECT_FALSE(plug.IsInChannelConnected(-1));
  plug.SetInputChannelConnections(1, 1, false);
  EXPECT_FALSE(plug.IsInChannelConnected(1));
  plug.SetOutputChannelConnections(-3, 4, true);  // negative start is clipped
  EXPECT_TRUE(plug.IsOutChannelConnected(0));
  EXPECT_FALSE(plug.IsOutChannelConnected(1));
}

TEST(PlugBaseChannels, BusLabelsInsertReplaceAndRefuse)
{
  TestPlug plug(0);
  plug.SetInputBusLabel(2, "nope");
  EXPECT_EQ(plug.GetInputBusLabel(0), nullptr);
  plug.SetInputBusLabel(0, "Main Input");
  plug.SetInputBusLabel(0, "Replaced");
  EXPECT_STREQ(plug.GetInputBusLabel(0)->Get(), "Replaced");
  EXPECT_EQ(plug.GetInputBusLabel(1), nullptr);
  plug.SetOutputBusLabel(5, "Output");
  EXPECT_STREQ(plug.GetOutputBusLabel(0)->Get(), "Output");
  plug.SetOutputBusLabel(-1, "x");
  EXPECT_EQ(plug.GetOutputBusLabel(1), nullptr);
}

TEST(PlugBaseVersions, PackedDecimalAndText)
{
  TestPlug plug(0);
  EXPECT_EQ(plug.GetEffectVersion(false), 0x10203);
  EXPECT_EQ(plug.GetEffectVersion(true), 10203);
  char str[32];
  plug.GetEffectVersionStr(str);
  EXPECT_STREQ(str, "v1.2.3");
  GetVersionStr(0x10000, str);
  EXPECT_STREQ(str, "v1.0.0");
  EXPECT_EQ(GetDecimalVersion(0x10000), 10000);
  int v, r, m;
  GetVersionParts(0x7FFF0A0B, &v, &r, &m);
  EXPECT_EQ(v, 0x7FFF);
  EXPECT_EQ(r, 10);
  EXPECT_EQ(m, 11);
}

TEST(PlugBaseVersions, SamplesPerBeat)
{
  TestPlug plug(0);
  plug.tempo = 120.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 22050.0);
  plug.tempo = 0.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
}

TEST(PlugBaseParams, EditorChangeSetsStoresAndTellsTheHostTheRawValue)
{
  TestPlug plug(1);
  plug.GetParam(0)->InitInt("i", 0, 0, 3);
  plug.SetParameterFromGUI(0, 0.5);
  EXPECT_EQ(plug.GetParam(0)->Value(), 2);
  ASSERT_EQ(plug.informs.size(), 1u);
  EXPECT_EQ(plug.informs[0].value, 0.5);
  ASSERT_EQ(plug.paramChanges.size(), 1u);
  EXPECT_EQ(plug.paramChanges[0], 0);

  plug.SetParameterFromGUI(7, 0.5);  // no such parameter: ignored
  EXPECT_EQ(plug.informs.size(), 1u);
}

TEST(PlugBaseParams, ResetDirtyAndMidiRouting)
{
  TestPlug plug(3);
  for (int i = 0; i < 3; ++i) plug.GetParam(i)->InitDouble("p", 0.25 * i, 0, 1, 0.01);
  plug.OnParamReset();
  EXPECT_EQ(plug.paramChanges, (std::vector<int>{0, 1, 2}));
  plug.DirtyParameters();
  ASSERT_EQ(plug.informs.size(), 3u);
  EXPECT_EQ(plug.informs[2].value, 0.5);

  WDL_TypedBuf<IMidiMsg> msgs;
  EXPECT_TRUE(plug.SendMidiMsgs(&msgs));
  IMidiMsg ok(0, 0x90, 60, 100), bad(0, 0xFF, 0, 0);
  msgs.Add(ok);
  msgs.Add(bad);
  msgs.Add(ok);
  EXPECT_FALSE(plug.SendMidiMsgs(&msgs));
  EXPECT_EQ(plug.sentMidi.size(), 3u);  // every message is still sent

  IMidiMsg through(3, 0x80, 1, 0);
  plug.ProcessMidiMsg(&through);
  EXPECT_EQ(plug.sentMidi.back().mOffset, 3);
  char name[8] = "x";
  EXPECT_FALSE(plug.MidiNoteName(60, name));
  EXPECT_STREQ(name, "");
}

TEST(PlugBaseHosts, SetHostIdentifiesAndKeepsVersion)
{
  TestPlug plug(0);
  plug.SetHost("REAPER", 0);
  EXPECT_EQ(plug.GetHost(), kHostReaper);
  EXPECT_EQ(plug.GetHostVersion(true), 0);
  char str[32];
  plug.GetHostVersionStr(str);
  EXPECT_STREQ(str, "v0.0.0");
  plug.SetHost("Some DAW", 0x20103);
  EXPECT_EQ(plug.GetHost(), kHostUnknown);
  EXPECT_EQ(plug.GetHostVersion(false), 0x20103);
  EXPECT_EQ(plug.GetHostVersion(true), 20103);
}
