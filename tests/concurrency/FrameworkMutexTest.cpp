// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The framework mutex is recursive and shared: processing on one thread
// while another changes parameters, restores presets and loads state. Run
// under ThreadSanitizer, any access outside the mutex is reported.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "Plushgrit.h"

TEST(FrameworkMutex, IsRecursiveAndExcludesOtherThreads)
{
  Plushgrit plug{IPlugInstanceInfo()};
  std::atomic<bool> otherHasIt{false};
  std::thread other;
  {
    WDL_MutexLock outer(plug.GetMutex());
    {
      WDL_MutexLock inner(plug.GetMutex());
      plug.OnParamChange(0);  // locks a third time on this thread
    }
    other = std::thread([&] {
      WDL_MutexLock lock(plug.GetMutex());
      otherHasIt = true;
    });
    // Still held once by this thread: the other thread must wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(otherHasIt.load());
  }
  other.join();
  EXPECT_TRUE(otherHasIt.load());
}

TEST(FrameworkMutex, BlocksNeverSeeHalfLoadedState)
{
  Plushgrit plug{IPlugInstanceInfo()};
  const int n = 256;
  plug.SetBlockSize(n);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);

  // Two complete states: either may be in force, never a mix of them.
  ByteChunk stateA, stateB;
  const double a[] = {-10, 10, 0.0, 1.0}, b[] = {10, -10, 1.0, 0.0};
  for (double v : a) stateA.Put(&v);
  for (double v : b) stateB.Put(&v);

  std::atomic<bool> stop{false};
  std::atomic<long> blocks{0}, torn{0};

  std::thread audio([&] {
    std::vector<double> l(n), r(n), ol(n), orr(n);
    while (!stop.load())
    {
      WDL_MutexLock lock(plug.GetMutex());
      double in = plug.InGainDb(), out = plug.OutGainDb();
      // States A and B, the preset and GUI values all keep In and Out
      // related; a torn load would break that relation.
      if (in != -out) torn.fetch_add(1);
      double* ins[] = {l.data(), r.data()};
      double* outs[] = {ol.data(), orr.data()};
      for (int i = 0; i < n; ++i) l[i] = r[i] = 0.1 * i / n;
      plug.AttachInputBuffers(0, 2, ins, n);
      plug.AttachOutputBuffers(0, 2, outs);
      plug.ProcessBuffers(0.0, n);
      blocks.fetch_add(1);
    }
  });

  std::thread control([&] {
    for (int i = 0; i < 4000 || blocks.load() < 200; ++i)
    {
      switch (i % 4)
      {
        case 0: plug.UnserializeParams(&stateA, 0); break;
        case 1: plug.UnserializeParams(&stateB, 0); break;
        case 2:
        {
          WDL_MutexLock lock(plug.GetMutex());
          plug.RestorePreset(0);
          break;
        }
        case 3:
        {
          WDL_MutexLock lock(plug.GetMutex());  // a GUI gesture keeps In == -Out
          plug.SetParameterFromGUI(Plushgrit::kIn, 0.55);
          plug.SetParameterFromGUI(Plushgrit::kOut, 0.45);
          break;
        }
      }
      ByteChunk saved;
      plug.SerializeParams(&saved);
      std::this_thread::yield();
    }
    stop.store(true);
  });

  control.join();
  audio.join();
  EXPECT_GT(blocks.load(), 0);
  EXPECT_EQ(torn.load(), 0);
}
