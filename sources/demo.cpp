// Runs a decaying test tone through a Plushgrit object at a few settings and
// prints what the drive did to it.
#include <cmath>
#include <cstdio>
#include <vector>

#include "Plushgrit.h"

namespace
{
const double kSampleRate = 48000.0;
const int kBlock = 512;

struct Setting
{
  const char* what;
  double inDb, outDb, mix, drive;
};

double peak(const std::vector<double>& v)
{
  double p = 0.0;
  for (double x : v) p = std::fmax(p, std::fabs(x));
  return p;
}

double rms(const std::vector<double>& v)
{
  double s = 0.0;
  for (double x : v) s += x * x;
  return v.empty() ? 0.0 : std::sqrt(s / (double) v.size());
}
}  // namespace

int main()
{
  const int nFrames = (int) kSampleRate * 2;
  std::vector<double> tone(nFrames);
  for (int i = 0; i < nFrames; ++i)
  {
    double t = i / kSampleRate;
    tone[i] = 0.9 * std::exp(-2.0 * t) * std::sin(2.0 * M_PI * 110.0 * t);
  }

  const Setting settings[] = {
    {"clean (defaults)", 0.0, 0.0, 1.0, 0.0},
    {"light drive", 0.0, 0.0, 1.0, 0.3},
    {"full drive", 6.0, -2.0, 1.0, 1.0},
    {"half mix, hot input", 10.0, -6.0, 0.5, 0.8},
  };

  printf("Plushgrit demo: 2 s of a 110 Hz decaying tone, stereo, %d-frame blocks\n", kBlock);
  printf("%-22s %8s %8s %8s %8s\n", "setting", "peak in", "peak out", "rms in", "rms out");
  for (const Setting& s : settings)
  {
    Plushgrit plug{IPlugInstanceInfo()};
    const double values[] = {s.inDb, s.outDb, s.mix, s.drive};
    for (int p = 0; p < Plushgrit::kNumParams; ++p)
    {
      plug.GetParam(p)->Set(values[p]);
      plug.OnParamChange(p);
    }

    std::vector<double> inL(tone), inR(tone), outL(nFrames), outR(nFrames);
    for (int pos = 0; pos < nFrames; pos += kBlock)
    {
      int n = nFrames - pos < kBlock ? nFrames - pos : kBlock;
      double* ins[2] = {inL.data() + pos, inR.data() + pos};
      double* outs[2] = {outL.data() + pos, outR.data() + pos};
      WDL_MutexLock lock(plug.GetMutex());
      plug.ProcessDoubleReplacing(ins, outs, n);
    }
    printf("%-22s %8.4f %8.4f %8.4f %8.4f\n", s.what, peak(tone), peak(outL), rms(tone), rms(outL));
  }
  return 0;
}
