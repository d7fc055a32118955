// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The audio thread's block: the framework mutex that it only tries, the
// host changes it defers while another thread holds that mutex, and the
// bypass switch faded between the processed and the dry signal.
#include <cmath>

#include "../IGraphics/IGraphics.h"
#include "IPlugBase.h"

// ---- The mutex, tried -------------------------------------------------------------

IPlugBase::AudioBlockLock::AudioBlockLock(IPlugBase* plug) : mPlug(plug), mHeld(plug->mMutex.TryEnter())
{
  if (!mHeld && !plug->ProcessesWithoutMutex())
  {
    plug->mMutex.Enter();
    mHeld = true;
  }
  plug->mBlockHoldsMutex = mHeld;
  if (mHeld) plug->ApplyDeferredChanges();
}

IPlugBase::AudioBlockLock::~AudioBlockLock()
{
  // The settings this block ended with are what the next block runs from
  // if it cannot have the mutex.
  if (mHeld)
  {
    mPlug->KeepBlockSettings();
    mPlug->mMutex.Leave();
  }
  mPlug->mBlockHoldsMutex = true;
}

void IPlugBase::HostParamChangeOnAudioThread(int idx, double value)
{
  if (idx < 0 || idx >= NParams() || !std::isfinite(value)) return;
  if (mBlockHoldsMutex)
    ApplyHostParamValue(idx, value);
  else
    mDeferred.DeferParam(idx, value);
}

void IPlugBase::HostProgramChangeOnAudioThread(double value)
{
  if (!std::isfinite(value)) return;
  if (mBlockHoldsMutex)
    ApplyHostProgramChange(value);
  else
    mDeferred.DeferProgram(value);
}

void IPlugBase::ApplyHostParamValue(int idx, double normalized)
{
  IParam* param = GetParam(idx);
  if (!param) return;
  param->SetNormalized(normalized);
  // Only stored for the editor's thread: no lock, no allocation.
  if (mGraphics) mGraphics->SetParameterFromPlug(idx, normalized, true);
  OnParamChange(idx);
}

void IPlugBase::ApplyDeferredChanges()
{
  if (!mDeferred.Any() || !mDeferred.TakeAny()) return;
  WDL_MutexLock lock(&mMutex);
  double value;
  if (mDeferred.TakeProgram(&value)) ApplyHostProgramChange(value);
  for (int i = 0; i < mDeferred.NParams(); ++i)
    if (mDeferred.TakeParam(i, &value)) ApplyHostParamValue(i, value);
}

// ---- Bypass, faded --------------------------------------------------------------------

int IPlugBase::BypassFadeLength() const
{
  const long n = std::lround(GetSampleRate() * kBypassFadeSeconds);
  return n < 1 ? 1 : n > (1 << 20) ? (1 << 20) : (int) n;
}

void IPlugBase::ProcessOrBypass(double, int nFrames)
{
  if (nFrames <= 0) return;
  const int length = BypassFadeLength();
  const int target = GetIsBypassed() ? length : 0;
  if (mSettleBypass.exchange(false, std::memory_order_acq_rel)) mFadePos = target;
  if (mFadePos > length) mFadePos = length;
  if (mFadePos == target)
  {
    if (target) PassThroughBuffers(0.0, nFrames);
    else ProcessBuffers(0.0, nFrames);
    return;
  }
  FadeBypass(nFrames, target, length);
}

void IPlugBase::ProcessOrBypass(float, int nFrames)
{
  ProcessOrBypass(0.0, nFrames);
  ConvertOutputs(nFrames);
}

// The frame converts every input of a piece before it writes an output, so
// in-place buffers are safe.
void IPlugBase::ProcessOrBypassInPieces(float** inputs, int nIn, float** outputs, int nOut, int nFrames)
{
  if (mBlockSize <= 0 || nIn > mPieceIn.GetSize() || nOut > mPieceOut.GetSize()) return;
  float** in = mPieceIn.Get();
  float** out = mPieceOut.Get();
  for (int done = 0; done < nFrames;)
  {
    const int n = nFrames - done < mBlockSize ? nFrames - done : mBlockSize;
    for (int c = 0; c < nIn; ++c) in[c] = inputs[c] + done;
    for (int c = 0; c < nOut; ++c) out[c] = outputs[c] + done;
    AttachInputBuffers(0, nIn, in, n);
    AttachOutputBuffers(0, nOut, out);
    ProcessOrBypass(0.0f, n);
    done += n;
  }
}

// The dry signal is taken before processing, which may write over the
// input (the chain keeps its gained input there, and hosts may process in
// place). Each sample moves the fade one step towards its end, so a switch
// back during a fade turns around where it stands.
void IPlugBase::FadeBypass(int nFrames, int target, int length)
{
  double** dry = mDryData.Get();
  for (int c = 0; c < NOutChannels(); ++c)
    if (!dry[c]) return;  // no block size set up: nothing to process into
  PassThroughInto(dry, nFrames);
  ProcessBuffers(0.0, nFrames);

  const int step = target > mFadePos ? 1 : -1;
  int pos = mFadePos;
  double** out = mOutData.Get();
  for (int c = 0; c < NOutChannels(); ++c)
  {
    pos = mFadePos;
    double* o = out[c];
    const double* d = dry[c];
    for (int s = 0; s < nFrames; ++s)
    {
      if (pos != target) pos += step;
      // A quotient, not a product with 1 / length: its ends are exactly 0 and 1.
      const double bypassShare = (double) pos / length;
      o[s] = o[s] * (1.0 - bypassShare) + d[s] * bypassShare;
    }
  }
  mFadePos = pos;
}
