// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IPlugStandalone.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "../IGraphics/IGraphics.h"

IPlugStandalone::IPlugStandalone(IPlugInstanceInfo, int nParams, const char* channelIOStr, int nPresets,
                                 const char* effectName, const char* productName, const char* mfrName,
                                 int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                                 bool plugDoesChunks, bool plugIsInst, int)
    : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPISA)
{
}

bool IPlugStandalone::PrepareAudio(double sampleRate)
{
  if (!(sampleRate > 0.0) || !SetBlockSize(kPieceFrames)) return false;
  SetSampleRate(sampleRate);
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  ZeroScratchBuffers();
  WDL_MutexLock lock(&mMutex);
  Reset();
  SettleBypass();
  return true;
}

void IPlugStandalone::ChangeSampleRate(double sampleRate)
{
  if (sampleRate > 0.0) mPendingRate.store(sampleRate, std::memory_order_release);
}

void IPlugStandalone::ProcessAudio(float** inputs, float** outputs, int nFrames)
{
  AudioBlockLock lock(this);
  const double rate = mPendingRate.exchange(0.0, std::memory_order_acq_rel);
  if (rate > 0.0)
  {
    // Only this thread reads the rate while processing; the fade starts anew.
    SetSampleRate(rate);
    SettleBypass();
  }
  ProcessOrBypassInPieces(inputs, NAudioChannels(), outputs, NAudioChannels(), nFrames);
}

bool IPlugStandalone::SaveStateBytes(ByteChunk* out)
{
  out->Clear();
  WDL_MutexLock lock(&mMutex);
  ApplyDeferredChanges();
  if (!SerializeState(out)) return false;
  const int32_t bypass = GetIsBypassed() ? 1 : 0;
  const int expected = out->Size() + (int) sizeof(bypass);
  return out->Put(&bypass) == expected;
}

bool IPlugStandalone::RestoreStateBytes(const void* data, size_t size)
{
  ByteChunk current;
  if (!data || !SaveStateBytes(&current) || size != (size_t) current.Size()) return false;
  ByteChunk chunk;
  if (chunk.PutBytes(data, (int) size) != (int) size) return false;
  int32_t bypass = 0;
  memcpy(&bypass, static_cast<const char*>(data) + size - sizeof(bypass), sizeof(bypass));
  if (bypass != 0 && bypass != 1) return false;
  {
    WDL_MutexLock lock(&mMutex);
    ByteChunk previous;
    if (!SerializeState(&previous)) return false;
    // Values that are not numbers are no state of ours.
    for (int i = 0; i < NParams(); ++i)
    {
      double v;
      if (chunk.Get(&v, i * (int) sizeof(double)) < 0 || !std::isfinite(v)) return false;
    }
    if (UnserializeState(&chunk, 0) < 0)
    {
      UnserializeState(&previous, 0);
      return false;
    }
    SetBypassed(bypass != 0);
  }
  RedrawParamControls();
  return true;
}

bool IPlugStandalone::SetParamByName(const std::string& name, double plainValue, std::string* error)
{
  for (int i = 0; i < NParams(); ++i)
  {
    IParam* p = GetParam(i);
    if (strcasecmp(p->GetNameForHost(), name.c_str())) continue;
    if (!std::isfinite(plainValue) || plainValue < p->GetMin() || plainValue > p->GetMax())
    {
      char text[160];
      snprintf(text, sizeof(text), "%s %g is out of range: it takes %g..%g", p->GetNameForHost(), plainValue, p->GetMin(),
               p->GetMax());
      if (error) *error = text;
      return false;
    }
    {
      WDL_MutexLock lock(&mMutex);
      p->Set(plainValue);
      OnParamChange(i);
    }
    if (IGraphics* graphics = GetGUI()) graphics->SetParameterFromPlug(i, p->GetNormalized(), true);
    return true;
  }
  if (error)
  {
    std::string names;
    for (int i = 0; i < NParams(); ++i) names += std::string(i ? ", " : "") + GetParam(i)->GetNameForHost();
    *error = "no parameter named " + name + " (there are " + names + ")";
  }
  return false;
}
