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

// The block is taken in chunks, each in four loops: the reduction of the
// exponential's argument, its polynomial, its quotient and scale, and the
// clipper's quotient with the mix. Run whole, one sample's chain of
// dependent operations (two divisions among them) is longer than the
// processor can look ahead, and each vector waits on the one before; split
// at these points each loop's chains are short and its vectors overlap.
const int kChunk = 64;

struct ChunkState
{
  alignas(64) double hi[kChunk], lo[kChunk], scale[kChunk], num[kChunk], den[kChunk], exp[kChunk];
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
inline void StepReduce(const ChainVectors<V>& c, double* in, ChunkState& st, int j)
{
  using namespace drive_exp;
  const V g = V::Load(in + j) * c.inGain;
  g.Store(in + j);
  const V x = V::Min(V::Max(g * c.twoDrive + V(2 * kClipperBias), V(-kNormalRangeLimit)), V(kNormalRangeLimit));
  const V shifted = x * V(kInvLn2) + V(kShifter);
  const V k = shifted - V(kShifter);
  (x - k * V(kLn2Hi)).Store(st.hi + j);
  (k * V(kLn2Lo)).Store(st.lo + j);
  PowerOfTwoFromShifted(shifted).Store(st.scale + j);
}

template <class V>
inline void StepPolynomial(ChunkState& st, int j)
{
  using namespace drive_exp;
  const V r = V::Load(st.hi + j) - V::Load(st.lo + j);
  const V t = r * r;
  const V c = r - t * (V(kP1) + t * (V(kP2) + t * (V(kP3) + t * (V(kP4) + t * V(kP5)))));
  (r * c).Store(st.num + j);
  (V(2.0) - c).Store(st.den + j);
}

template <class V>
inline void StepExponential(ChunkState& st, int j)
{
  const V lo = V::Load(st.lo + j), hi = V::Load(st.hi + j);
  ((V(1.0) - ((lo - V::Load(st.num + j) / V::Load(st.den + j)) - hi)) * V::Load(st.scale + j)).Store(st.exp + j);
}

// in[j] holds the gained input; out[j] may be the same place. t lies in
// 2^-1021..2^1021, so the quotient is never NaN nor above 1 and needs no
// limit.
template <class V>
inline void StepClipAndMix(const ChainVectors<V>& c, const double* in, double* out, const ChunkState& st, int j)
{
  const V t = V::Load(st.exp + j);
  const V w = c.makeup * ((t - V(1.0)) / (t + V(1.0)) - c.bias);
  ((c.dry * V::Load(in + j) + w * c.mix) * c.outGain).Store(out + j);
}

template <class V>
inline void ChainBlock(const DriveChainSettings& s, double* in, double* out, int n)
{
  const ChainVectors<V> c(s);
  ChunkState st;
  const int vectorEnd = n / V::kWidth * V::kWidth;
  for (int begin = 0; begin < vectorEnd; begin += kChunk)
  {
    const int length = std::min(kChunk, vectorEnd - begin);
    double *chunkIn = in + begin, *chunkOut = out + begin;
    for (int j = 0; j < length; j += V::kWidth) StepReduce(c, chunkIn, st, j);
    for (int j = 0; j < length; j += V::kWidth) StepPolynomial<V>(st, j);
    for (int j = 0; j < length; j += V::kWidth) StepExponential<V>(st, j);
    for (int j = 0; j < length; j += V::kWidth) StepClipAndMix(c, chunkIn, chunkOut, st, j);
  }
  for (int i = vectorEnd; i < n; ++i) out[i] = ChainSample(s, in + i);
}

template <class V>
inline void ExpBlock(const double* x, double* y, int n)
{
  int i = 0;
  for (; i + V::kWidth <= n; i += V::kWidth) ExpLanes(V::Load(x + i)).Store(y + i);
  for (; i < n; ++i) y[i] = DriveExp(x[i]);
}
}  // namespace
