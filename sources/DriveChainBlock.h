// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The chain over one vector of samples, as a template over the vector type,
// included by each translation unit that builds a vector form. Internal
// linkage throughout: a unit built for AVX2 must not lend its copies to
// the others.
#pragma once

#include "DriveChain.h"
#include "MyDSP/DriveExp.h"

#include <algorithm>

namespace
{
// e^x per lane; lanes outside the normal range (and NaN) take the scalar
// function, which is the same arithmetic with a wider scale.
template <class V>
inline V ExpLanes(V x)
{
  V y = drive_exp::ExpNormalRange(x);
  if (!V::AllWithin(x, drive_exp::kNormalRangeLimit))
  {
    double xs[V::kWidth], ys[V::kWidth];
    x.Store(xs);
    y.Store(ys);
    for (int i = 0; i < V::kWidth; ++i)
      if (!(xs[i] <= drive_exp::kNormalRangeLimit && xs[i] >= -drive_exp::kNormalRangeLimit)) ys[i] = DriveExp(xs[i]);
    y = V::Load(ys);
  }
  return y;
}

// The per-sample chain, DSPProcessor's functions spelled out here (their
// inline copies have external linkage and must not be built for AVX2).
inline double ChainSample(const DriveChainSettings& s, double* in)
{
  const double g = *in * s.inGain;
  *in = g;
  const double a = g * s.driveGain + kClipperBias;
  const double t = DriveExp(a + a);
  const double q = (t - 1.0) / (t + 1.0);
  const double w = s.makeup * ((q < 1.0 ? q : 1.0) - s.bias);
  return ((1.0 - s.mix) * g + w * s.mix) * s.outGain;
}

// The block is taken in chunks, each in two halves: the reduction of the
// exponential's argument and its polynomial, then the exponential's
// quotient and scale and the clipper's quotient with the mix. One sample's
// chain of dependent operations (two divisions among them) is longer than
// the processor can look ahead, so each half is split into short loops
// whose vectors overlap, and each loop runs a half of one chunk beside a
// half of the chunk before: the divisions of the older chunk then share
// the time with the multiplications and stores of the newer one. Run
// alone, the dividing loops wait on the divider and the others on stores.
//
// 56 samples a chunk: the buffers of both chunks then fit one 4 KB page,
// so no load is mistaken for a store to another buffer that shares its
// address bits within a page.
const int kChunk = 56;

// What the first half of a chunk hands on to the second.
struct FirstHalf
{
  double hi[kChunk], lo[kChunk], exponent[kChunk], poly[kChunk];
};

struct alignas(4096) ChunkPipeline
{
  FirstHalf half[2];
  double exp[kChunk];
};

template <class V>
struct ChainVectors
{
  explicit ChainVectors(const DriveChainSettings& s)
  : inGain(s.inGain), outGain(s.outGain), twoDrive(s.driveGain + s.driveGain), makeup(s.makeup), bias(s.bias),
    mix(s.mix), dry(V(1.0) - mix)
  {
  }
  V inGain, outGain, twoDrive, makeup, bias, mix, dry;
};

// in[j] becomes the gained input, and the clipper's argument is split as
// the exponential splits it. The argument a + a, a = g * drive + 0.2, is
// formed as g * (2 drive) + 0.4: doubling is exact, so both round the same
// real number the same way, with one addition fewer. The argument is held
// within the exponential's normal range: beyond it e^x is above 2^1021 or
// below 2^-1021, where the clipper's quotient (t - 1) / (t + 1) is exactly
// 1 or -1 whatever t is, as it is for the chain's own t there (an infinite
// t gives NaN, which the chain's limit makes 1). A NaN input stays NaN
// through the dry product whatever the clipper gives.
template <class V>
inline void StepReduce(const ChainVectors<V>& c, double* in, FirstHalf& h, int j)
{
  using namespace drive_exp;
  const V g = V::Load(in + j) * c.inGain;
  g.Store(in + j);
  const V x = V::Min(V::Max(g * c.twoDrive + V(2 * kClipperBias), V(-kNormalRangeLimit)), V(kNormalRangeLimit));
  const V shifted = x * V(kInvLn2) + V(kShifter);
  const V k = shifted - V(kShifter);
  (x - k * V(kLn2Hi)).Store(h.hi + j);
  (k * V(kLn2Lo)).Store(h.lo + j);
  ExponentFieldFromShifted(shifted).Store(h.exponent + j);
}

// The rational form hands on only its polynomial: the quotient's loop forms
// r and the two terms again from what it loads anyway, cheaper than storing
// them.
template <class V>
inline void StepPolynomial(FirstHalf& h, int j)
{
  using namespace drive_exp;
  const V r = V::Load(h.hi + j) - V::Load(h.lo + j);
  const V t = r * r;
  (r - t * (V(kP1) + t * (V(kP2) + t * (V(kP3) + t * (V(kP4) + t * V(kP5)))))).Store(h.poly + j);
}

// 2^k is added to the exponent field of e^r, which lies in [0.7, 1.42]:
// over the held range the product stays normal, so this is exactly the
// multiplication's result, without the multiplier (which the divider
// shares).
template <class V>
inline void StepExponential(const FirstHalf& h, double* exp, int j)
{
  const V lo = V::Load(h.lo + j), hi = V::Load(h.hi + j), c = V::Load(h.poly + j);
  const V r = hi - lo;
  const V y = V(1.0) - ((lo - (r * c) / (V(2.0) - c)) - hi);
  AddToExponent(y, V::Load(h.exponent + j)).Store(exp + j);
}

// in[j] holds the gained input; out[j] may be the same place. t lies in
// 2^-1021..2^1021, so the quotient is never NaN nor above 1 and needs no
// limit.
template <class V>
inline void StepClipAndMix(const ChainVectors<V>& c, const double* in, double* out, const double* exp, int j)
{
  const V t = V::Load(exp + j);
  const V w = c.makeup * ((t - V(1.0)) / (t + V(1.0)) - c.bias);
  ((c.dry * V::Load(in + j) + w * c.mix) * c.outGain).Store(out + j);
}

// Cuts the whole vectors of each channel into chunks of at most kChunk
// samples, one channel after another.
template <class V>
struct ChunkCursor
{
  const DriveChainSpan* spans;
  int count;
  int index = 0, offset = 0;

  // The next chunk; its n is 0 after the last.
  DriveChainSpan Next()
  {
    while (index < count && offset >= spans[index].n / V::kWidth * V::kWidth)
    {
      ++index;
      offset = 0;
    }
    if (index == count) return {nullptr, nullptr, 0};
    const DriveChainSpan& span = spans[index];
    const int length = std::min(kChunk, span.n / V::kWidth * V::kWidth - offset);
    const DriveChainSpan chunk{span.in + offset, span.out + offset, length};
    offset += length;
    return chunk;
  }
};

// The channels' buffers must not overlap each other (within a channel, in
// and out may be the same place).
template <class V>
inline void ChainBlock(const DriveChainSettings& s, const DriveChainSpan* spans, int count)
{
  const ChainVectors<V> c(s);
  ChunkPipeline p;
  ChunkCursor<V> chunks{spans, count};
  // Each turn takes the first half of one chunk and the second half of the
  // chunk before it; the last turn has only a second half.
  DriveChainSpan now = chunks.Next(), last{nullptr, nullptr, 0};
  for (int turn = 0; now.n > 0 || last.n > 0; ++turn)
  {
    FirstHalf &nowHalf = p.half[turn & 1], &lastHalf = p.half[(turn + 1) & 1];
    const int both = std::min(now.n, last.n);
    for (int j = 0; j < both; j += V::kWidth)
    {
      StepReduce(c, now.in, nowHalf, j);
      StepExponential<V>(lastHalf, p.exp, j);
    }
    for (int j = both; j < now.n; j += V::kWidth) StepReduce(c, now.in, nowHalf, j);
    for (int j = both; j < last.n; j += V::kWidth) StepExponential<V>(lastHalf, p.exp, j);
    for (int j = 0; j < both; j += V::kWidth)
    {
      StepPolynomial<V>(nowHalf, j);
      StepClipAndMix(c, last.in, last.out, p.exp, j);
    }
    for (int j = both; j < now.n; j += V::kWidth) StepPolynomial<V>(nowHalf, j);
    for (int j = both; j < last.n; j += V::kWidth) StepClipAndMix(c, last.in, last.out, p.exp, j);
    last = now;
    now = chunks.Next();
  }
  // What fills no vector, per sample.
  for (int k = 0; k < count; ++k)
    for (int i = spans[k].n / V::kWidth * V::kWidth; i < spans[k].n; ++i)
      spans[k].out[i] = ChainSample(s, spans[k].in + i);
}

template <class V>
inline void ExpBlock(const double* x, double* y, int n)
{
  int i = 0;
  for (; i + V::kWidth <= n; i += V::kWidth) ExpLanes(V::Load(x + i)).Store(y + i);
  for (; i < n; ++i) y[i] = DriveExp(x[i]);
}
}  // namespace
