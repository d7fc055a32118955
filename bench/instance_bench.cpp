// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// What one more instance costs a session when nobody opens its editor: the
// time and the memory of the 2nd to the 20th instance, in both formats,
// each loaded through its binary interface as a host loads it. Memory is
// the growth of the heap in use (mallinfo2) plus mapped pages, per instance.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <lv2/core/lv2.h>
#include <lv2/urid/urid.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "HostedPlugin.h"
#include "PluginModule.h"

namespace
{
const int kInstances = 20;

long HeapInUse() { return (long) mallinfo2().uordblks + (long) mallinfo2().hblkhd; }

// Resident pages, in bytes.
long Resident()
{
  long pages = 0, resident = 0;
  if (FILE* f = fopen("/proc/self/statm", "r"))
  {
    if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    fclose(f);
  }
  return resident * 4096;
}

struct Cost
{
  double msEach = 0, heapKBEach = 0, residentKBEach = 0;
};

// Makes kInstances instances with make(i); the figures are those of the
// 2nd to the last.
template <class Make>
Cost Measure(Make make)
{
  make(0);
  const long heap0 = HeapInUse(), rss0 = Resident();
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 1; i < kInstances; ++i) make(i);
  const auto t1 = std::chrono::steady_clock::now();
  Cost c;
  const double n = kInstances - 1;
  c.msEach = std::chrono::duration<double, std::milli>(t1 - t0).count() / n;
  c.heapKBEach = (double) (HeapInUse() - heap0) / 1024.0 / n;
  c.residentKBEach = (double) (Resident() - rss0) / 1024.0 / n;
  return c;
}

void Report(benchmark::State& state, const Cost& c)
{
  state.counters["ms_each"] = c.msEach;
  state.counters["heap_kB_each"] = c.heapKBEach;
  state.counters["rss_kB_each"] = c.residentKBEach;
}

void BM_VST3Instances(benchmark::State& state)
{
  vst3host::PluginModule module;
  if (!module.Open(PLUSHGRIT_BUNDLE)) return state.SkipWithError(module.Error().c_str());
  vst3host::HostContext context;
  for (auto _ : state)
  {
    std::vector<std::unique_ptr<vst3host::HostedPlugin>> plugins;
    const Cost c = Measure([&](int) {
      plugins.emplace_back(new vst3host::HostedPlugin);
      plugins.back()->Load(module, &context);
      plugins.back()->SetBusArrangements(2, 2);
      plugins.back()->Setup(48000.0, 512, Steinberg::Vst::kSample32);
      plugins.back()->Start();
    });
    Report(state, c);
  }
}
BENCHMARK(BM_VST3Instances)->Iterations(1)->Unit(benchmark::kMillisecond);

// A URID map that is enough for instantiation.
LV2_URID MapURI(LV2_URID_Map_Handle handle, const char* uri)
{
  auto* uris = static_cast<std::vector<std::string>*>(handle);
  for (size_t i = 0; i < uris->size(); ++i)
    if ((*uris)[i] == uri) return (LV2_URID) (i + 1);
  uris->push_back(uri);
  return (LV2_URID) uris->size();
}

void BM_LV2Instances(benchmark::State& state)
{
  const std::string path = std::string(PLUSHGRIT_LV2_BUNDLE) + "/Contents/x86_64-linux/plushgrit.so";
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return state.SkipWithError(dlerror());
  auto descriptorOf = reinterpret_cast<const LV2_Descriptor* (*) (uint32_t)>(dlsym(module, "lv2_descriptor"));
  const LV2_Descriptor* d = descriptorOf ? descriptorOf(0) : nullptr;
  if (!d) return state.SkipWithError("no lv2_descriptor");
  std::vector<std::string> uris;
  LV2_URID_Map map = {&uris, MapURI};
  const LV2_Feature mapFeature = {LV2_URID__map, &map};
  const LV2_Feature* features[] = {&mapFeature, nullptr};
  for (auto _ : state)
  {
    std::vector<LV2_Handle> handles;
    const Cost c = Measure([&](int) {
      handles.push_back(d->instantiate(d, 48000.0, PLUSHGRIT_LV2_BUNDLE, features));
      if (d->activate) d->activate(handles.back());
    });
    Report(state, c);
    for (LV2_Handle h : handles)
      if (h) d->cleanup(h);
  }
  // The module stays loaded: its statics may be referenced until exit.
}
BENCHMARK(BM_LV2Instances)->Iterations(1)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
