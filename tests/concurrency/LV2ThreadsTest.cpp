// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// An LV2 plug-in run on its own audio thread while the host's other thread
// saves and restores its state: the framework mutex keeps them apart, and
// nothing else is shared.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "LV2Host.h"

TEST(LV2Threads, RunOnTheAudioThreadWhileTheStateIsSavedAndRestored)
{
  LV2World world(PLUSHGRIT_LV2_BUNDLE);
  LV2Instance lv2(world, kStereoURI, 48000.0, 256);
  ASSERT_TRUE(lv2.Valid());
  lv2.RunEmpty();
  std::vector<unsigned char> state;
  ASSERT_TRUE(lv2.SaveState(&state));
  std::atomic<bool> stop{false};
  std::atomic<long> runs{0};
  // The ports belong to the audio thread here, as a host keeps them.
  std::thread audio([&] {
    std::vector<std::vector<float>> in(2, std::vector<float>(256, 0.5f)), out = in;
    for (long i = 0; !stop.load(); ++i)
    {
      lv2.Control("drive") = (float) (i % 10) / 10.0f;
      lv2.Run(in, out, 0, 256);
      runs.fetch_add(1);
    }
  });
  int saved = 0, restored = 0;
  while (runs.load() < 2000)
  {
    std::vector<unsigned char> bytes;
    saved += lv2.SaveState(&bytes);
    restored += lv2.RestoreState(state) == LV2_STATE_SUCCESS;
  }
  stop.store(true);
  audio.join();
  EXPECT_GT(saved, 0);
  EXPECT_EQ(saved, restored);
}
