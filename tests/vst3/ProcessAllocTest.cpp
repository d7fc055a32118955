// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Process calls through the binary interface allocate nothing: 32 and 64
// bits, parameter, bypass and preset changes, long blocks and flushes.
#include <vector>

#include "AllocationCounter.h"
#include "BindingFixture.h"

using namespace Steinberg::Vst;

TEST_F(Binding, ProcessAllocatesNothing)
{
  for (int size : {kSample32, kSample64})
  {
    plugin.Stop();
    Prepare(size, 256);
    const int n = 700;  // longer than the maximum: processed in pieces
    std::vector<float> f(n, 0.25f), fo(n);
    std::vector<double> d(n, 0.25), dout(n);
    float* fin[] = {f.data(), f.data()};
    float* fout[] = {fo.data(), fo.data()};
    double* din[] = {d.data(), d.data()};
    double* dou[] = {dout.data(), dout.data()};
    vst3host::ParameterChanges changes;
    ProcessContext ctx = {};
    ctx.tempo = 120;

    AllocationCounter::Arm();
    for (int block = 0; block < 40; ++block)
    {
      changes.Clear();
      changes.Add(block % 4, (block % 10) / 10.0);
      if (block % 7 == 0) changes.Add(kBypass, block % 14 ? 1.0 : 0.0);
      if (block % 9 == 0) changes.Add(kPreset, 0.5);
      int frames = block % 5 == 0 ? 0 : n - block;
      if (size == kSample64)
        plugin.Process(din, 2, dou, 2, frames, &changes, &ctx);
      else
        plugin.Process(fin, 2, fout, 2, frames, &changes, &ctx);
    }
    EXPECT_EQ(AllocationCounter::Disarm(), 0) << "sample size " << size;
  }
}
