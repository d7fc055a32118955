// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The standalone program's audio callback, as JACK calls it, while its
// other threads do what the program does beside it (the editor setting
// values, settings saved and restored, options applied, the server's rate
// changing): the callback never touches the heap and never waits for a lock
// another thread holds. The sanitizer trees run it for their own findings.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "AllocationCounter.h"
#include "Plushgrit.h"

TEST(StandaloneAudio, TheCallbackNeverAllocatesOrWaitsWhileTheProgramWorksBesideIt)
{
  Plushgrit plug{IPlugInstanceInfo()};
  ASSERT_TRUE(plug.PrepareAudio(48000.0));
  ByteChunk saved;
  ASSERT_TRUE(plug.SaveStateBytes(&saved));

  std::atomic<bool> done{false}, started{false};
  std::thread program([&] {
    for (long i = 0; !done.load(); ++i)
    {
      started.store(true);
      plug.SetParameterFromGUI(Plushgrit::kDrive, (i % 10) / 10.0);
      std::string error;
      plug.SetParamByName("Mix", (i % 7) / 7.0, &error);
      ByteChunk state;
      plug.SaveStateBytes(&state);
      plug.RestoreStateBytes(saved.GetBytes(), (size_t) saved.Size());
      if (i % 50 == 0) plug.ChangeSampleRate(i % 100 ? 44100.0 : 48000.0);
    }
  });

  // JACK's callbacks vary in length; up to more than a piece.
  const int kMaxFrames = 1500;
  std::vector<float> l(kMaxFrames, 0.5f), r(kMaxFrames, -0.25f), ol(kMaxFrames), orr(kMaxFrames);
  float* in[] = {l.data(), r.data()};
  float* out[] = {ol.data(), orr.data()};
  long allocs = 0, frees = 0, waits = 0, foundHeld = 0, call = 0;
  while (!started.load()) std::this_thread::yield();
  // At least 20000 callbacks, and on a loaded machine on until the program's
  // thread has been seen holding the mutex.
  for (; call < 20000 || (foundHeld == 0 && call < 5000000); ++call)
  {
    const int n = call % 97 == 0 ? kMaxFrames : 64 + call % 200;
    AllocationCounter::Arm();
    plug.ProcessAudio(in, out, n);
    allocs += AllocationCounter::Disarm();
    frees += AllocationCounter::Frees();
    waits += AllocationCounter::LockWaits();
    foundHeld += AllocationCounter::LocksFoundHeld();
    ASSERT_TRUE(std::isfinite(ol[(size_t) n - 1]) && std::isfinite(orr[0]));
  }
  done.store(true);
  program.join();
  if (!AllocationCounter::Counting()) GTEST_SKIP() << "counted only where the allocator is not the sanitizer's";
  EXPECT_EQ(allocs, 0);
  EXPECT_EQ(frees, 0);
  EXPECT_EQ(waits, 0);
  EXPECT_GT(foundHeld, 0) << "the program's thread never held the mutex during a callback";
  printf("callbacks that found the mutex held: %ld of %ld\n", foundHeld, call);
}
