// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The bundle through the binary interface: time from dlopen to a processed
// first block, and the cost of one process call at 32 and 64 bits.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "HostedPlugin.h"
#include "PluginModule.h"

using namespace Steinberg::Vst;

static void BM_DlopenToFirstBlock(benchmark::State& state)
{
  std::vector<float> l(512, 0.1f), r(512, 0.1f), ol(512), orr(512);
  float* in[] = {l.data(), r.data()};
  float* out[] = {ol.data(), orr.data()};
  vst3host::HostContext context;
  for (auto _ : state)
  {
    vst3host::PluginModule module;
    if (!module.Open(PLUSHGRIT_BUNDLE)) state.SkipWithError(module.Error().c_str());
    vst3host::HostedPlugin plugin;
    plugin.Load(module, &context);
    plugin.SetBusArrangements(2, 2);
    plugin.Setup(48000.0, 512, kSample32);
    plugin.Start();
    plugin.Process(in, 2, out, 2, 512);
    benchmark::DoNotOptimize(ol.data());
    plugin.Terminate();
  }
}
BENCHMARK(BM_DlopenToFirstBlock)->Unit(benchmark::kMicrosecond);

template <class Sample>
static void BM_Process(benchmark::State& state)
{
  const int n = (int) state.range(0);
  vst3host::PluginModule module;
  if (!module.Open(PLUSHGRIT_BUNDLE)) state.SkipWithError(module.Error().c_str());
  vst3host::HostContext context;
  vst3host::HostedPlugin plugin;
  plugin.Load(module, &context);
  plugin.SetBusArrangements(2, 2);
  plugin.Setup(48000.0, n, sizeof(Sample) == 8 ? kSample64 : kSample32);
  plugin.Start();
  std::vector<Sample> l(n), r(n), ol(n), orr(n);
  for (int i = 0; i < n; ++i) l[i] = r[i] = (Sample) (0.5 * std::sin(i * 0.01));
  Sample* in[] = {l.data(), r.data()};
  Sample* out[] = {ol.data(), orr.data()};
  vst3host::ParameterChanges changes;
  changes.Add(3, 0.6);
  plugin.Process(in, 2, out, 2, n, &changes);
  for (auto _ : state)
  {
    plugin.Process(in, 2, out, 2, n);
    benchmark::DoNotOptimize(ol.data());
  }
  // Seconds per stereo frame, shown by the library in ns.
  state.counters["per_frame"] =
      benchmark::Counter((double) n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  plugin.Terminate();
}
BENCHMARK_TEMPLATE(BM_Process, float)->Arg(64)->Arg(512)->Arg(4096)->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Process, double)->Arg(64)->Arg(512)->Arg(4096)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
