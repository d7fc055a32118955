// The chain over one vector of samples, as a template over the vector type,
// included by each translation unit that builds a vector form. Internal
// linkage throughout: a unit built for AVX2 must not lend its copies to
// the others.
#pragma once

#include "DriveChain.h"
#include "MyDSP/DriveExp.h"

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

template <class V>
inline void ChainBlock(const DriveChainSettings& s, double* in, double* out, int n)
{
  const V inGain(s.inGain), outGain(s.outGain), driveGain(s.driveGain), makeup(s.makeup), bias(s.bias), mix(s.mix);
  const V dry = V(1.0) - mix;
  int i = 0;
  for (; i + V::kWidth <= n; i += V::kWidth)
  {
    const V g = V::Load(in + i) * inGain;
    g.Store(in + i);
    const V a = g * driveGain + V(kClipperBias);
    const V t = ExpLanes(a + a);
    const V w = makeup * (V::Min((t - V(1.0)) / (t + V(1.0)), V(1.0)) - bias);
    ((dry * g + w * mix) * outGain).Store(out + i);
  }
  for (; i < n; ++i) out[i] = ChainSample(s, in + i);
}

template <class V>
inline void ExpBlock(const double* x, double* y, int n)
{
  int i = 0;
  for (; i + V::kWidth <= n; i += V::kWidth) ExpLanes(V::Load(x + i)).Store(y + i);
  for (; i < n; ++i) y[i] = DriveExp(x[i]);
}
}  // namespace
