// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// A host's user-interface thread saves and restores state, changes programs
// and sets parameters in a loop while its audio thread processes short
// blocks with automation: process never waits for a lock another thread
// holds and never touches the heap, and once the automation stops, the
// values in force are the last ones it sent. In the sanitizer trees the
// same run is watched by ThreadSanitizer instead of the counters.
#include <atomic>
#include <thread>
#include <vector>

#include "AllocationCounter.h"
#include "BindingFixture.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

TEST_F(Binding, ProcessNeverWaitsWhileTheHostSavesRestoresAndSetsValues)
{
  const int kFrames = 32, kBlocks = 100000, kFinalBlocks = 2000;
  Prepare(kSample32, kFrames);
  vst3host::Bytes saved;
  ASSERT_TRUE(plugin.GetComponentState(saved));

  // The user-interface thread mixes everything until asked to keep to what
  // leaves the values alone (saving and reading), so that the automation's
  // last values are the last word.
  std::atomic<bool> quietAsked{false}, quiet{false}, done{false};
  std::atomic<long> uiRounds{0};
  std::thread ui([&] {
    IEditController* c = plugin.Controller();
    for (long i = 0; !done.load(); ++i)
    {
      vst3host::Bytes state;
      plugin.GetComponentState(state);
      c->getParamNormalized(i % 4);
      if (quietAsked.load())
      {
        quiet.store(true);
        continue;
      }
      plugin.SetComponentState(saved);
      c->setParamNormalized(kPreset, 0.0);
      c->setParamNormalized(i % 4, (i % 9) / 9.0);
      plugin.SetControllerState(state);
      uiRounds.fetch_add(1);
    }
  });

  // A loaded machine may start the thread late: the blocks begin once it works.
  while (uiRounds.load() == 0) std::this_thread::yield();
  long allocs = 0, frees = 0, waits = 0, foundHeld = 0;
  double last[4] = {-1, -1, -1, -1};
  std::vector<float> l(kFrames, 0.25f), r(kFrames, -0.5f), ol(kFrames), orr(kFrames);
  float* in[] = {l.data(), r.data()};
  float* out[] = {ol.data(), orr.data()};
  vst3host::ParameterChanges changes;
  for (int block = 0; block < kBlocks; ++block)
  {
    if (block == kBlocks - kFinalBlocks)
    {
      quietAsked.store(true);
      while (!quiet.load()) std::this_thread::yield();
    }
    changes.Clear();
    const int p = block % 4;
    const double v = ((block * 37) % 101) / 100.0;
    changes.Add(p, v);
    if (block % 1000 == 0) changes.Add(kBypass, (block / 1000) % 2);
    if (block % 997 == 0 && block < kBlocks - kFinalBlocks) changes.Add(kPreset, 0.0);
    last[p] = v;
    AllocationCounter::Arm();
    plugin.Process(in, 2, out, 2, kFrames, &changes);
    allocs += AllocationCounter::Disarm();
    frees += AllocationCounter::Frees();
    waits += AllocationCounter::LockWaits();
    foundHeld += AllocationCounter::LocksFoundHeld();
  }
  done.store(true);
  ui.join();

  EXPECT_GT(uiRounds.load(), 0);
  if (AllocationCounter::Counting())
  {
    EXPECT_EQ(allocs, 0);
    EXPECT_EQ(frees, 0);
    EXPECT_EQ(waits, 0);
    // The run is only worth something if the two threads met.
    EXPECT_GT(foundHeld, 0) << "the user-interface thread never held the mutex during a block";
    printf("blocks that found the mutex held: %ld of %d\n", foundHeld, kBlocks);
  }
  for (int p = 0; p < 4; ++p) EXPECT_NEAR(plugin.Controller()->getParamNormalized(p), last[p], 1e-12) << p;
}
