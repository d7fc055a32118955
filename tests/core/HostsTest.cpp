// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Host identification from the host's name.
#include <gtest/gtest.h>

#include <string>

#include "Hosts.h"

TEST(HostLookup, KeysAreFoundCaseInsensitivelyInTableOrder)
{
  EXPECT_EQ(LookUpHost("Cubase 12.0.52"), kHostCubase);
  EXPECT_EQ(LookUpHost("REAPER"), kHostReaper);
  EXPECT_EQ(LookUpHost("Ableton Live 11"), kHostAbletonLive);
  EXPECT_EQ(LookUpHost("Logic Pro"), kHostLogic);
  EXPECT_EQ(LookUpHost("Digital Performer"), kHostDigitalPerformer);
  EXPECT_EQ(LookUpHost("Pro Tools"), kHostUnknown);
  EXPECT_EQ(LookUpHost("ProTools"), kHostProTools);
  EXPECT_EQ(LookUpHost("Studio One"), kHostUnknown);
  EXPECT_EQ(LookUpHost("PreSonus Studio One"), kHostStudioOne);
  EXPECT_EQ(LookUpHost("Cubase Live edition"), kHostCubase);  // earlier key wins
  EXPECT_EQ(LookUpHost("Ardour"), kHostArdour);
  EXPECT_EQ(LookUpHost("VST3PluginTestHost"), kHostVST3TestHost);
  EXPECT_EQ(LookUpHost(""), kHostUnknown);
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
}

TEST(HostLookup, OverlongNamesAreCutNotOverflowed)
{
  std::string name(5000, 'x');
  EXPECT_EQ(LookUpHost(name.c_str()), kHostUnknown);
  std::string late = std::string(300, 'x') + "reaper";  // beyond the 263 characters looked at
  EXPECT_EQ(LookUpHost(late.c_str()), kHostUnknown);
  std::string early = "reaper" + std::string(300, 'x');
  EXPECT_EQ(LookUpHost(early.c_str()), kHostReaper);
}

TEST(HostNames, DisplayNames)
{
  char name[32];
  for (EHost h : {kHostMelodyneStudio, kHostTracktion, kHostNTracks, kHostBias, kHostUnknown, kHostUninit})
  {
    GetHostNameStr(h, name);
    EXPECT_STREQ(name, "Unknown") << h;
  }
  GetHostNameStr(kHostVegas, name);
  EXPECT_STREQ(name, "Vegas");
  GetHostNameStr(kHostVST3TestHost, name);
  EXPECT_STREQ(name, "VST3PluginTestHost");
  GetHostNameStr(kHostSonar, name);
  EXPECT_STREQ(name, "Sonar");
}
