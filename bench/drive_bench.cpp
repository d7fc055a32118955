// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Speed of the drive chain per stereo frame: the plug-in's block processing
// at 64 bits and through the 32-bit frame, and each vector form, next to two
// references on 512-frame stereo blocks: the literal per-sample chain (the
// exact bits the block path must give), and the same chain written plainly
// with the C library's exp, as a user would write it. The ratios of the
// block path to both are printed last, from the medians and from the
// fastest of nine runs of each: on a shared machine single runs vary by
// 10 % and more, and only ever slower.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "DriveChain.h"
#include "MyDSP/DSPProcessor.h"
#include "Plushgrit.h"
#include "ReferenceChain.h"

namespace
{
const int kFrames = 512;
// The block path writes the gained input back over its input. At 0 dB input
// gain (a multiplication by 1, as dear as any other) that leaves the input as
// it was, so no run has to restore it: restoring cost about 7 % of the block
// path's time, which no reference pays.
const ReferenceChainSettings kSettings{0.0, -2.0, 0.7, 0.6};

std::vector<double> testSignal(double phase)
{
  std::vector<double> v(kFrames);
  for (int i = 0; i < kFrames; ++i) v[i] = 0.8 * std::sin(phase + i * 0.05);
  return v;
}

void configure(Plushgrit& plug)
{
  const double v[] = {kSettings.inDb, kSettings.outDb, kSettings.mix, kSettings.drive};
  for (int i = 0; i < 4; ++i)
  {
    plug.GetParam(i)->Set(v[i]);
    plug.OnParamChange(i);
  }
  plug.SetBlockSize(kFrames);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
}

// Reports nanoseconds per stereo frame.
void perFrame(benchmark::State& state)
{
  state.SetItemsProcessed(state.iterations() * kFrames);
  // Seconds per stereo frame, shown by the library in ns.
  state.counters["per_frame"] =
      benchmark::Counter((double) kFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
}  // namespace

static void BM_LiteralChain(benchmark::State& state)
{
  const std::vector<double> l = testSignal(0.0), r = testSignal(1.0);
  std::vector<double> ol(kFrames), orr(kFrames);
  for (auto _ : state)
  {
    ReferenceChainBlock(l.data(), ol.data(), kFrames, kSettings);
    ReferenceChainBlock(r.data(), orr.data(), kFrames, kSettings);
    benchmark::DoNotOptimize(ol.data());
    benchmark::DoNotOptimize(orr.data());
  }
  perFrame(state);
}
BENCHMARK(BM_LiteralChain)->Repetitions(9);

// The chain as anyone would write it: gains once per block, std::exp for
// the clipper, the compiler free to optimise. Not bit-exact, a yardstick.
static void PlainChain(const double* in, double* out, int n, const ReferenceChainSettings& s)
{
  const double inGain = std::exp2(s.inDb / 6.014), outGain = std::exp2(s.outDb / 6.014);
  const double driveGain = 15.0 * s.drive + 1.0, makeup = std::exp2(s.drive) / driveGain;
  const double bias = std::tanh(0.2);
  for (int i = 0; i < n; ++i)
  {
    const double g = in[i] * inGain;
    const double t = std::exp(2.0 * (g * driveGain + 0.2));
    const double w = makeup * ((t - 1.0) / (t + 1.0) - bias);
    out[i] = ((1.0 - s.mix) * g + w * s.mix) * outGain;
  }
}

static void BM_PlainChain(benchmark::State& state)
{
  const std::vector<double> l = testSignal(0.0), r = testSignal(1.0);
  std::vector<double> ol(kFrames), orr(kFrames);
  for (auto _ : state)
  {
    PlainChain(l.data(), ol.data(), kFrames, kSettings);
    PlainChain(r.data(), orr.data(), kFrames, kSettings);
    benchmark::DoNotOptimize(ol.data());
    benchmark::DoNotOptimize(orr.data());
  }
  perFrame(state);
}
BENCHMARK(BM_PlainChain)->Repetitions(9);

static void BM_ProcessDoubleReplacing(benchmark::State& state)
{
  Plushgrit plug{IPlugInstanceInfo()};
  configure(plug);
  std::vector<double> l = testSignal(0.0), r = testSignal(1.0), ol(kFrames), orr(kFrames);
  double* in[] = {l.data(), r.data()};
  double* out[] = {ol.data(), orr.data()};
  for (auto _ : state)
  {
    plug.ProcessDoubleReplacing(in, out, kFrames);
    benchmark::DoNotOptimize(ol.data());
  }
  perFrame(state);
}
BENCHMARK(BM_ProcessDoubleReplacing)->Repetitions(9);

static void BM_FloatFrame(benchmark::State& state)
{
  Plushgrit plug{IPlugInstanceInfo()};
  configure(plug);
  std::vector<float> l(kFrames), r(kFrames), ol(kFrames), orr(kFrames);
  const std::vector<double> l0 = testSignal(0.0), r0 = testSignal(1.0);
  for (int i = 0; i < kFrames; ++i)
  {
    l[i] = (float) l0[i];
    r[i] = (float) r0[i];
  }
  float* in[] = {l.data(), r.data()};
  float* out[] = {ol.data(), orr.data()};
  for (auto _ : state)
  {
    plug.AttachInputBuffers(0, 2, in, kFrames);
    plug.AttachOutputBuffers(0, 2, out);
    plug.ProcessBuffers(0.0f, kFrames);
    benchmark::DoNotOptimize(ol.data());
  }
  perFrame(state);
}
BENCHMARK(BM_FloatFrame);

// Each form of the block chain, as processors without AVX2 would run it.
static void BM_ChainForm(benchmark::State& state)
{
  const DriveSimd simd = (DriveSimd) state.range(0);
  DriveChainSettings s;
  s.inGain = DriveExp2(kSettings.inDb / 6.014);
  s.outGain = DriveExp2(kSettings.outDb / 6.014);
  s.driveGain = 15.0 * kSettings.drive + 1.0;
  s.makeup = DriveExp2(kSettings.drive) / s.driveGain;
  s.bias = DSPProcessor::FastTanh(kClipperBias);
  s.mix = kSettings.mix;
  std::vector<double> l = testSignal(0.0), r = testSignal(1.0), ol(kFrames), orr(kFrames);
  for (auto _ : state)
  {
    const DriveChainSpan channels[] = {{l.data(), ol.data(), kFrames}, {r.data(), orr.data(), kFrames}};
    DriveChainProcessChannels(s, channels, 2, simd);
    benchmark::DoNotOptimize(ol.data());
  }
  perFrame(state);
  const char* names[] = {"scalar", "SSE2", "AVX2", "AVX-512"};
  state.SetLabel(names[(int) simd]);
}
BENCHMARK(BM_ChainForm)->Arg((int) DriveSimd::kScalar)->Arg((int) DriveSimd::kSSE2)->Arg((int) DriveSimd::kAVX2)->Arg((int) DriveSimd::kAVX512);

namespace
{
// Keeps each run's time per iteration for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
  void ReportRuns(const std::vector<Run>& runs) override
  {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && run.iterations > 0)
        seconds[run.run_name.function_name].push_back(run.real_accumulated_time / (double) run.iterations);
    ConsoleReporter::ReportRuns(runs);
  }
  // The median or the fastest of a benchmark's runs, 0 when it did not run.
  double Median(const std::string& name)
  {
    std::vector<double>& v = seconds[name];
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  }
  double Fastest(const std::string& name)
  {
    const std::vector<double>& v = seconds[name];
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
  }
  std::map<std::string, std::vector<double>> seconds;
};
}  // namespace

int main(int argc, char** argv)
{
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const char* block = "BM_ProcessDoubleReplacing";
  if (reporter.Median(block) > 0)
    for (const char* reference : {"BM_LiteralChain", "BM_PlainChain"})
      if (reporter.Median(reference) > 0)
        printf("block path (ProcessDoubleReplacing) against %s: %.2fx as fast (medians), %.2fx (fastest runs)\n",
               reference + 3, reporter.Median(reference) / reporter.Median(block),
               reporter.Fastest(reference) / reporter.Fastest(block));
  benchmark::Shutdown();
  return 0;
}
