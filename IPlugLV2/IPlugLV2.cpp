// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IPlugLV2.h"

#include <lv2/ui/ui.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "../IGraphics/IGraphics.h"

IPlugLV2::IPlugLV2(IPlugInstanceInfo, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                   const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                   int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int)
    : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPILV2)
{
  // Everything the audio thread touches is sized here, once.
  const int maxChannels = NInChannels() > NOutChannels() ? NInChannels() : NOutChannels();
  mAudio.Resize(2 * maxChannels);
  for (int i = 0; i < mAudio.GetSize(); ++i) mAudio.Get()[i] = nullptr;
  mControls.Resize(nParams);
  mLastControl.Resize(nParams);
  for (int i = 0; i < nParams; ++i)
  {
    mControls.Get()[i] = nullptr;
    mLastControl.Get()[i] = std::numeric_limits<float>::quiet_NaN();
  }
}

// ---- The audio instance ------------------------------------------------------------

bool IPlugLV2::PrepareInstance(double sampleRate, int nIn, int nOut)
{
  if (!LegalIO(nIn, nOut) || nIn > NInChannels() || nOut > NOutChannels()) return false;
  mPortsIn = nIn;
  mPortsOut = nOut;
  SetSampleRate(sampleRate);
  if (!SetBlockSize(kPieceFrames)) return false;
  // Channels of the widest configuration that this one lacks read silence.
  SetInputChannelConnections(0, nIn, true);
  SetInputChannelConnections(nIn, NInChannels() - nIn, false);
  SetOutputChannelConnections(0, nOut, true);
  SetOutputChannelConnections(nOut, NOutChannels() - nOut, false);
  ZeroScratchBuffers();
  return true;
}

int IPlugLV2::ParamOfPort(uint32_t port) const
{
  const uint32_t first = ControlPort(0);
  return port >= first && port < first + (uint32_t) NParams() ? (int) (port - first) : -1;
}

void IPlugLV2::ConnectPort(uint32_t port, void* data)
{
  if (port < (uint32_t) (mPortsIn + mPortsOut))
  {
    const int channel = (int) port < mPortsIn ? (int) port : mAudio.GetSize() / 2 + (int) port - mPortsIn;
    mAudio.Get()[channel] = static_cast<float*>(data);
  }
  else if (const int p = ParamOfPort(port); p >= 0)
  {
    mControls.Get()[p] = static_cast<const float*>(data);
  }
  else if (port == EnablePort())
  {
    mEnable = static_cast<const float*>(data);
  }
}

void IPlugLV2::Activate()
{
  WDL_MutexLock lock(&mMutex);
  Reset();
  // The first run starts where the enable port stands, without a fade.
  SettleBypass();
}

// The audio thread never waits for the framework mutex: while another
// thread holds it, changed ports are deferred and the run goes on from the
// settings the last one used (see AudioBlockLock).
void IPlugLV2::Run(uint32_t nFrames)
{
  AudioBlockLock lock(this);
  // After a state restore every port is taken again: the host sets the
  // ports it shows, and those are what it expects to hear.
  if (mRetakePorts.exchange(false, std::memory_order_acq_rel))
    for (int i = 0; i < NParams(); ++i) mLastControl.Get()[i] = std::numeric_limits<float>::quiet_NaN();
  for (int i = 0; i < NParams(); ++i)
  {
    const float* port = mControls.Get()[i];
    if (!port) continue;
    const float v = *port;
    // A value not a number is no value; one unchanged since the last run is
    // no change.
    if (!std::isfinite(v) || v == mLastControl.Get()[i]) continue;
    mLastControl.Get()[i] = v;
    HostParamChangeOnAudioThread(i, v);
  }
  if (!nFrames) return;

  const int half = mAudio.GetSize() / 2;
  float** audio = mAudio.Get();
  for (int c = 0; c < mPortsIn; ++c)
    if (!audio[c]) return;
  for (int c = 0; c < mPortsOut; ++c)
    if (!audio[half + c]) return;
  // lv2:enabled: any value above 0 is enabled.
  SetBypassed(mEnable && !(*mEnable > 0.0f));
  ProcessOrBypassInPieces(audio, mPortsIn, audio + half, mPortsOut, (int) nFrames);
}

// Ports carry plain values.
void IPlugLV2::ApplyHostParamValue(int idx, double value)
{
  IParam* param = GetParam(idx);
  if (!param) return;
  param->Set(value);
  if (IGraphics* graphics = GetGUI()) graphics->SetParameterFromPlug(idx, param->GetNormalized(), true);
  OnParamChange(idx);
}

// ---- State ---------------------------------------------------------------------------

// Copied under the mutex; the host stores the copy outside it.
bool IPlugLV2::SaveStateBytes(ByteChunk* out)
{
  out->Clear();
  WDL_MutexLock lock(&mMutex);
  ApplyDeferredChanges();
  if (!SerializeState(out)) return false;
  const int32_t bypass = GetIsBypassed() ? 1 : 0;
  const int expected = out->Size() + (int) sizeof(bypass);
  return out->Put(&bypass) == expected;
}

bool IPlugLV2::RestoreStateBytes(const void* data, uint32_t size)
{
  if (!data || size > 0x7FFFFFFF) return false;
  ByteChunk chunk;
  if (chunk.PutBytes(data, (int) size) != (int) size) return false;
  {
    WDL_MutexLock lock(&mMutex);
    ApplyDeferredChanges();
    ByteChunk previous;
    if (!SerializeState(&previous)) return false;
    if (UnserializeState(&chunk, 0) < 0)
    {
      UnserializeState(&previous, 0);
      return false;
    }
  }
  mRetakePorts.store(true, std::memory_order_release);
  RedrawParamControls();
  return true;
}

// ---- The editor instance -------------------------------------------------------------

void IPlugLV2::SetUIHost(const UIHost& host, int nIn, int nOut)
{
  mUIHost = host;
  mPortsIn = nIn;
  mPortsOut = nOut;
}

void IPlugLV2::PortEvent(uint32_t port, float value)
{
  const int p = ParamOfPort(port);
  if (p < 0 || !std::isfinite(value)) return;
  WDL_MutexLock lock(&mMutex);
  IParam* param = GetParam(p);
  param->Set(value);
  if (IGraphics* graphics = GetGUI()) graphics->SetParameterFromPlug(p, param->GetNormalized(), true);
  OnParamChange(p);
}

void IPlugLV2::BeginInformHostOfParamChange(int idx)
{
  if (mUIHost.touch && idx >= 0 && idx < NParams()) mUIHost.touch->touch(mUIHost.touch->handle, ControlPort(idx), true);
}

void IPlugLV2::InformHostOfParamChange(int idx, double)
{
  IParam* param = GetParam(idx);
  if (!mUIHost.write || !param) return;
  // Ports carry plain values.
  const float value = (float) param->Value();
  mUIHost.write(mUIHost.controller, ControlPort(idx), sizeof(float), 0, &value);
}

void IPlugLV2::EndInformHostOfParamChange(int idx)
{
  if (mUIHost.touch && idx >= 0 && idx < NParams()) mUIHost.touch->touch(mUIHost.touch->handle, ControlPort(idx), false);
}

// The graphics context has its new editor size already; the window is that
// times the draw scale.
void IPlugLV2::ResizeGraphics(int, int) { ReportEditorSize(); }

void IPlugLV2::ReportEditorSize()
{
  IGraphics* graphics = GetGUI();
  if (!mUIHost.resize || !graphics) return;
  const int k = mHostPixelsPerUnit;
  mUIHost.resize->ui_resize(mUIHost.resize->handle, (graphics->DrawWidth() + k - 1) / k, (graphics->DrawHeight() + k - 1) / k);
}
