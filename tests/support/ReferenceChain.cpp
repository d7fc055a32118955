#include "ReferenceChain.h"

#include "MyDSP/DSPProcessor.h"

// Every exponential per sample, through the per-sample signal functions.
double ReferenceChainSample(double x, const ReferenceChainSettings& s, double* gainedInput)
{
  const double driveGain = 15.0 * s.drive + 1.0;
  const double makeup = DriveExp2(s.drive) / driveGain;
  const double bias = DSPProcessor::FastTanh(0.2);
  const double g = DSPProcessor::DecibelGain(x, s.inDb);
  if (gainedInput) *gainedInput = g;
  const double w = makeup * (DSPProcessor::FastTanh(g * driveGain + 0.2) - bias);
  const double y = DSPProcessor::MixAB(g, w, s.mix);
  return DSPProcessor::DecibelGain(y, s.outDb);
}

void ReferenceChainBlock(const double* in, double* out, int n, const ReferenceChainSettings& s)
{
  for (int i = 0; i < n; ++i) out[i] = ReferenceChainSample(in[i], s);
}
