// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The drive chain written out literally from its definition, one sample at a
// time: the drive's working members as the parameter-change hook computes
// them, and the three exponentials of each sample (input gain, clipper,
// output gain) taken per sample. Tests and benchmarks hold the plug-in's
// optimised block processing against it.
#pragma once

struct ReferenceChainSettings
{
  double inDb = 0.0, outDb = 0.0, mix = 1.0, drive = 0.0;
};

double ReferenceChainSample(double x, const ReferenceChainSettings& s, double* gainedInput = nullptr);
void ReferenceChainBlock(const double* in, double* out, int n, const ReferenceChainSettings& s);
