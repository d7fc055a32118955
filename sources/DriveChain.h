// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The drive chain over a block, in the widest vector form the processor has.
// Every form runs the per-sample chain's operations in its order, so all of
// them give the bits of the literal chain (DSPProcessor per sample).
#pragma once

// The clipper's bias: FastTanh(g * drive + 0.2) - FastTanh(0.2).
const double kClipperBias = 0.2;

struct DriveChainSettings
{
  double inGain = 1.0, outGain = 1.0;  // factors, 2^(dB / 6.014)
  double driveGain = 1.0, makeup = 1.0, bias = 0.0, mix = 1.0;
};

// Ordered by width.
enum class DriveSimd { kScalar, kSSE2, kAVX2, kAVX512 };

// The widest form this processor runs, found once.
DriveSimd DriveSimdAvailable();

// in[i] becomes the gained input, out[i] the chain's output. The forms
// wider than the processor has fall back to the widest it has.
void DriveChainProcess(const DriveChainSettings& s, double* in, double* out, int n);
void DriveChainProcess(const DriveChainSettings& s, double* in, double* out, int n, DriveSimd simd);

// One channel's buffers and length.
struct DriveChainSpan
{
  double* in;
  double* out;
  int n;
};

// Several channels in one run: the chain's chunks pair up across the joins
// as they do within a channel, so the run's start and end, where a chunk
// has no partner, come once per block instead of once per channel. When a
// channel's buffers overlap another channel's (one input for both, or one
// channel's output the next one's input), the channels run one after the
// other instead, which is the chain's own order.
void DriveChainProcessChannels(const DriveChainSettings& s, const DriveChainSpan* channels, int count,
                               DriveSimd simd = DriveSimdAvailable());

// e^x over a block in one form, for the tests that hold the forms together.
void DriveExpBlock(const double* x, double* y, int n, DriveSimd simd);
