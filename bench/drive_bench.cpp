// Speed of the drive chain per stereo frame: the plug-in's block processing
// at 64 bits and through the 32-bit frame, and each vector form, next to the
// literal per-sample chain, on 512-frame stereo blocks.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "DriveChain.h"
#include "MyDSP/DSPProcessor.h"
#include "Plushgrit.h"
#include "ReferenceChain.h"

namespace
{
const int kFrames = 512;
const ReferenceChainSettings kSettings{3.0, -2.0, 0.7, 0.6};

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
BENCHMARK(BM_LiteralChain);

static void BM_ProcessDoubleReplacing(benchmark::State& state)
{
  Plushgrit plug{IPlugInstanceInfo()};
  configure(plug);
  const std::vector<double> l0 = testSignal(0.0), r0 = testSignal(1.0);
  std::vector<double> l(l0), r(r0), ol(kFrames), orr(kFrames);
  double* in[] = {l.data(), r.data()};
  double* out[] = {ol.data(), orr.data()};
  for (auto _ : state)
  {
    // The block writes the gained input back; start each from the same data.
    std::copy(l0.begin(), l0.end(), l.begin());
    std::copy(r0.begin(), r0.end(), r.begin());
    plug.ProcessDoubleReplacing(in, out, kFrames);
    benchmark::DoNotOptimize(ol.data());
  }
  perFrame(state);
}
BENCHMARK(BM_ProcessDoubleReplacing);

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
  const std::vector<double> l0 = testSignal(0.0), r0 = testSignal(1.0);
  std::vector<double> l(l0), r(r0), ol(kFrames), orr(kFrames);
  for (auto _ : state)
  {
    std::copy(l0.begin(), l0.end(), l.begin());
    std::copy(r0.begin(), r0.end(), r.begin());
    DriveChainProcess(s, l.data(), ol.data(), kFrames, simd);
    DriveChainProcess(s, r.data(), orr.data(), kFrames, simd);
    benchmark::DoNotOptimize(ol.data());
  }
  perFrame(state);
  state.SetLabel(simd == DriveSimd::kAVX2 ? "AVX2" : simd == DriveSimd::kSSE2 ? "SSE2" : "scalar");
}
BENCHMARK(BM_ChainForm)->Arg((int) DriveSimd::kScalar)->Arg((int) DriveSimd::kSSE2)->Arg((int) DriveSimd::kAVX2);

BENCHMARK_MAIN();
