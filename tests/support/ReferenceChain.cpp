// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "ReferenceChain.h"

#include "MyDSP/DSPProcessor.h"

namespace
{
// What the parameter-change hook keeps for the drive, and the clipper's
// constant offset.
struct WorkingMembers
{
  double driveGain, makeup, bias;
  explicit WorkingMembers(const ReferenceChainSettings& s)
      : driveGain(15.0 * s.drive + 1.0), makeup(DriveExp2(s.drive) / driveGain), bias(DSPProcessor::FastTanh(0.2))
  {
  }
};

// The chain per sample through the per-sample signal functions: three
// exponentials (the input gain, the clipper, the output gain).
double Sample(double x, const ReferenceChainSettings& s, const WorkingMembers& m, double* gainedInput)
{
  const double g = DSPProcessor::DecibelGain(x, s.inDb);
  if (gainedInput) *gainedInput = g;
  const double w = m.makeup * (DSPProcessor::FastTanh(g * m.driveGain + 0.2) - m.bias);
  const double y = DSPProcessor::MixAB(g, w, s.mix);
  return DSPProcessor::DecibelGain(y, s.outDb);
}
}  // namespace

double ReferenceChainSample(double x, const ReferenceChainSettings& s, double* gainedInput)
{
  return Sample(x, s, WorkingMembers(s), gainedInput);
}

void ReferenceChainBlock(const double* in, double* out, int n, const ReferenceChainSettings& s)
{
  const WorkingMembers m(s);
  for (int i = 0; i < n; ++i) out[i] = Sample(in[i], s, m, nullptr);
}
