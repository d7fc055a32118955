// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The audio path allocates nothing: blocks at 64 and 32 bits, with
// parameter changes and a preset restore in between, as the binding runs them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "AllocationCounter.h"
#include "Plushgrit.h"

TEST(AudioPathAllocations, CounterSeesAllocations)
{
  // Called through volatile pointers so the compiler cannot drop them.
  void* (*volatile allocate)(size_t) = malloc;
  void (*volatile release)(void*) = free;
  AllocationCounter::Arm();
  void* p = allocate(64);
  static std::vector<int>* volatile keep;
  keep = new std::vector<int>(100);
  long n = AllocationCounter::Disarm();
  delete keep;
  release(p);
  EXPECT_GE(n, 3);
}

TEST(AudioPathAllocations, ProcessingChangingParametersAndRestoringAllocateNothing)
{
  Plushgrit plug{IPlugInstanceInfo()};
  const int n = 512;
  plug.SetBlockSize(n);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<double> l(n, 0.3), r(n, -0.2), ol(n), orr(n);
  std::vector<float> fl(n, 0.3f), fr(n, -0.2f), fol(n), forr(n);
  double* in[] = {l.data(), r.data()};
  double* out[] = {ol.data(), orr.data()};
  float* fin[] = {fl.data(), fr.data()};
  float* fout[] = {fol.data(), forr.data()};

  AllocationCounter::Arm();
  for (int block = 0; block < 50; ++block)
  {
    WDL_MutexLock lock(plug.GetMutex());
    plug.GetParam(block % 4)->SetNormalized((block % 10) / 10.0);
    plug.OnParamChange(block % 4);
    if (block % 2)
    {
      plug.AttachInputBuffers(0, 2, in, n);
      plug.AttachOutputBuffers(0, 2, out);
      plug.ProcessBuffers(0.0, n);
    }
    else
    {
      plug.AttachInputBuffers(0, 2, fin, n);
      plug.AttachOutputBuffers(0, 2, fout);
      plug.ProcessBuffers(0.0f, n);
    }
    if (block % 5 == 0) plug.RestorePreset(0);
    plug.PassThroughBuffers(0.0, n);
  }
  EXPECT_EQ(AllocationCounter::Disarm(), 0);
}
