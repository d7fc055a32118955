// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// LV2 allows save() and restore() beside run(). A host thread saves the
// state, restores it and loads the preset's state in a loop while the audio
// thread runs short blocks with moving ports: run never waits for a lock
// another thread holds and never touches the heap, and once the ports stop
// moving, the values in force are the ports'. In the sanitizer trees the
// same run is watched by ThreadSanitizer instead of the counters.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "AllocationCounter.h"
#include "LV2Host.h"

TEST(LV2Contention, RunNeverWaitsWhileTheHostSavesAndRestores)
{
  const int kFrames = 32, kRuns = 100000, kFinalRuns = 2000;
  const char* const symbols[] = {"in", "out", "mix", "drive"};
  const float lo[] = {-10, -10, 0, 0}, hi[] = {10, 10, 1, 1};
  LV2World world(PLUSHGRIT_LV2_BUNDLE);
  LV2Instance lv2(world, kStereoURI, 48000.0, kFrames);
  ASSERT_TRUE(lv2.Valid());
  lv2.RunEmpty();
  std::vector<unsigned char> saved, preset;
  ASSERT_TRUE(lv2.SaveState(&saved));
  lv2.Control("drive") = 0.5f;
  lv2.RunEmpty();
  ASSERT_TRUE(lv2.SaveState(&preset));

  std::atomic<bool> quietAsked{false}, quiet{false}, done{false};
  std::atomic<long> rounds{0};
  std::thread host([&] {
    while (!done.load())
    {
      std::vector<unsigned char> bytes;
      lv2.SaveState(&bytes);
      if (quietAsked.load())
      {
        quiet.store(true);
        continue;
      }
      lv2.RestoreState(saved);
      lv2.RestoreState(preset);
      rounds.fetch_add(1);
    }
  });

  std::vector<std::vector<float>> in(2, std::vector<float>(kFrames, 0.5f)), out = in;
  // The ports' values once the audio thread's loop is over.
  float last[4];
  for (int p = 0; p < 4; ++p) last[p] = lv2.Control(symbols[p]);
  // A loaded machine may start the thread late: the runs begin once it works.
  while (rounds.load() == 0) std::this_thread::yield();
  long allocs = 0, frees = 0, waits = 0, foundHeld = 0;
  for (int run = 0; run < kRuns; ++run)
  {
    if (run == kRuns - kFinalRuns)
    {
      quietAsked.store(true);
      while (!quiet.load()) std::this_thread::yield();
    }
    const int p = run % 4;
    last[p] = lo[p] + (hi[p] - lo[p]) * (float) ((run * 37) % 101) / 100.0f;
    lv2.Control(symbols[p]) = last[p];
    if (run % 1000 == 0) lv2.Control("enabled") = (float) ((run / 1000) % 2);
    AllocationCounter::Arm();
    lv2.Run(in, out, 0, kFrames, run % 2);
    allocs += AllocationCounter::Disarm();
    frees += AllocationCounter::Frees();
    waits += AllocationCounter::LockWaits();
    foundHeld += AllocationCounter::LocksFoundHeld();
  }
  done.store(true);
  host.join();

  EXPECT_GT(rounds.load(), 0);
  if (AllocationCounter::Counting())
  {
    EXPECT_EQ(allocs, 0);
    EXPECT_EQ(frees, 0);
    EXPECT_EQ(waits, 0);
    EXPECT_GT(foundHeld, 0) << "the host thread never held the mutex during a run";
    printf("runs that found the mutex held: %ld of %d\n", foundHeld, kRuns);
  }
  std::vector<unsigned char> final;
  ASSERT_TRUE(lv2.SaveState(&final));
  for (int p = 0; p < 4; ++p)
  {
    double v;
    memcpy(&v, final.data() + 8 * p, sizeof(v));
    EXPECT_EQ(v, (double) last[p]) << symbols[p];
  }
}
