// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The LV2 plug-ins' run allocates nothing: control changes, NaN, bypass,
// empty runs, runs longer than the binding's piece, in place.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "AllocationCounter.h"
#include "LV2Host.h"

TEST(LV2RunAllocations, RunAllocatesNothing)
{
  LV2World world(PLUSHGRIT_LV2_BUNDLE);
  for (const char* uri : {kStereoURI, kMonoURI})
  {
    const int n = 5000;
    LV2Instance lv2(world, uri, 48000.0, n);
    ASSERT_TRUE(lv2.Valid());
    std::vector<std::vector<float>> in((size_t) lv2.Channels(), std::vector<float>(n, 0.25f)), out = in;
    lv2.Run(in, out, 0, 16);  // the first run takes the defaults
    AllocationCounter::Arm();
    for (int block = 0; block < 40; ++block)
    {
      lv2.Control("in") = (float) (block % 21) - 10.0f;
      lv2.Control("drive") = block % 6 ? (float) (block % 10) / 10.0f : std::nanf("");
      lv2.Control("enabled") = block % 7 ? 1.0f : 0.0f;
      lv2.Run(in, out, 0, block % 5 ? n - block : 0, block % 2);
    }
    EXPECT_EQ(AllocationCounter::Disarm(), 0) << uri;
  }
}
