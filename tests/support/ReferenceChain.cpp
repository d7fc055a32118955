#include "ReferenceChain.h"

#include <cmath>

static double decibelGain(double x, double dB) { return x * std::exp2(dB / 6.014); }

static double fastTanh(double x)
{
  double t = std::exp(x + x);
  return (t - 1.0) / (t + 1.0);
}

double ReferenceChainSample(double x, const ReferenceChainSettings& s, double* gainedInput)
{
  const double driveGain = 15.0 * s.drive + 1.0;
  const double makeup = std::exp2(s.drive) / driveGain;
  const double bias = fastTanh(0.2);
  const double g = decibelGain(x, s.inDb);
  if (gainedInput) *gainedInput = g;
  const double w = makeup * (fastTanh(g * driveGain + 0.2) - bias);
  const double y = (1.0 - s.mix) * g + w * s.mix;
  return decibelGain(y, s.outDb);
}

void ReferenceChainBlock(const double* in, double* out, int n, const ReferenceChainSettings& s)
{
  for (int i = 0; i < n; ++i) out[i] = ReferenceChainSample(in[i], s);
}
