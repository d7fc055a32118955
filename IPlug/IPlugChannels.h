// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The processing frame's channel model: accepted channel configurations,
// one record per input and output channel, and the delay line that keeps a
// bypassed plug-in's output aligned with its latency.
#pragma once

#include "../wdl/WDL_String.h"
#include "../wdl/WDL_TypedBuf.h"

struct ChannelIO
{
  int mIn, mOut;
  ChannelIO(int nIn, int nOut) : mIn(nIn), mOut(nOut) {}
};

// mSrc points at this channel's slot in the base's input data array; the
// slot holds the host buffer when connected at 64 bits, else mScratchBuf.
struct InChannel
{
  bool mConnected = false;
  double** mSrc = nullptr;
  WDL_TypedBuf<double> mScratchBuf;
  WDL_String mLabel;
};

struct OutChannel
{
  bool mConnected = false;
  double** mDest = nullptr;
  float* mFDest = nullptr;  // the host's 32-bit buffer when converting
  WDL_TypedBuf<double> mScratchBuf;
  // What the channel would pass through when bypassed, kept while a bypass
  // switch fades.
  WDL_TypedBuf<double> mDryBuf;
  WDL_String mLabel;
};

// Delays each input channel by a fixed number of samples into the matching
// output channel. Works in its preallocated buffer; only SetDelay allocates.
class NChanDelayLine
{
public:
  NChanDelayLine(int nInputChans, int nOutputChans) : mNInChans(nInputChans), mNOutChans(nOutputChans) {}

  void SetDelay(int delaySamples)
  {
    mDTSamples = delaySamples > 0 ? delaySamples : 0;
    double* p = mBuf.Resize(mNInChans * mDTSamples);
    if (p) for (int i = 0; i < mBuf.GetSize(); ++i) p[i] = 0.0;
    mWriteAddress = 0;
  }

  int GetDelay() const { return mDTSamples; }

  void ProcessBlock(double** inputs, double** outputs, int nFrames)
  {
    if (!mDTSamples || mBuf.GetSize() < mNInChans * mDTSamples) return;
    double* buf = mBuf.Get();
    unsigned w = mWriteAddress;
    int nChans = mNInChans < mNOutChans ? mNInChans : mNOutChans;
    for (int s = 0; s < nFrames; ++s)
    {
      for (int c = 0; c < nChans; ++c)
      {
        double* slot = buf + c * mDTSamples + w;
        outputs[c][s] = *slot;
        *slot = inputs[c][s];
      }
      if (++w >= (unsigned) mDTSamples) w = 0;
    }
    mWriteAddress = w;
  }

private:
  WDL_TypedBuf<double> mBuf;
  unsigned mWriteAddress = 0;
  int mNInChans, mNOutChans;
  int mDTSamples = 0;
};
