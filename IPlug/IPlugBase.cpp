// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IPlugBase.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "../wdl/wdl_text.h"
#include "../IGraphics/IGraphics.h"
#include "Log.h"

void GetVersionParts(int version, int* pVer, int* pMaj, int* pMin)
{
  *pVer = (int) (((unsigned) version & 0xFFFF0000u) >> 16);
  *pMaj = (version & 0x0000FF00) >> 8;
  *pMin = version & 0x000000FF;
}

int GetDecimalVersion(int version)
{
  int ver, rmaj, rmin;
  GetVersionParts(version, &ver, &rmaj, &rmin);
  return 10000 * ver + 100 * rmaj + rmin;
}

void GetVersionStr(int version, char* str)
{
  int ver, rmaj, rmin;
  GetVersionParts(version, &ver, &rmaj, &rmin);
  sprintf(str, "v%d.%d.%d", ver, rmaj, rmin);
}

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                     const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                     int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : mUniqueID(uniqueID),
      mMfrID(mfrID),
      mVersion(vendorVersion),
      mAPI(plugAPI),
      mStateChunks(plugDoesChunks),
      mIsInst(plugIsInst),
      mDoesMIDI(plugDoesMidi),
      mLatency(latency),
      mDeferred(nParams)
{
  Trace(TRACE_HERE, "%s:%s", effectName ? effectName : "", CurrentTime());

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset);

  CopyField(mEffectName, effectName);
  CopyField(mProductName, productName);
  CopyField(mMfrName, mfrName);

  int nInputs = 0, nOutputs = 0;
  for (const char* ioStr = channelIOStr; ioStr;)
  {
    int nIn = 0, nOut = 0;
    sscanf(ioStr, "%d-%d", &nIn, &nOut);
    if (nIn > nInputs) nInputs = nIn;
    if (nOut > nOutputs) nOutputs = nOut;
    mChannelIO.Add(new ChannelIO(nIn, nOut));
    ioStr = strchr(ioStr, ' ');
    if (ioStr) ++ioStr;
  }

  double** inData = mInData.Resize(nInputs);
  double** outData = mOutData.Resize(nOutputs);
  double** dryData = mDryData.Resize(nOutputs);
  mPieceIn.Resize(nInputs);
  mPieceOut.Resize(nOutputs);
  for (int i = 0; i < nInputs; ++i)
  {
    InChannel* pIn = new InChannel;
    inData[i] = nullptr;
    pIn->mSrc = inData + i;
    mInChannels.Add(pIn);
  }
  for (int i = 0; i < nOutputs; ++i)
  {
    OutChannel* pOut = new OutChannel;
    outData[i] = dryData[i] = nullptr;
    pOut->mDest = outData + i;
    mOutChannels.Add(pOut);
  }
}

IPlugBase::~IPlugBase()
{
  Trace(TRACE_HERE, "%s", mEffectName);
  delete mGraphics;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mChannelIO.Empty(true);
  mInputBusLabels.Empty(true);
  mOutputBusLabels.Empty(true);
  delete mDelay;
}

// ---- Hooks ----------------------------------------------------------------

void IPlugBase::Reset()
{
  Trace(TRACE_HERE, "%s", "");
  WDL_MutexLock lock(&mMutex);
}

void IPlugBase::OnParamChange(int paramIdx)
{
  Trace(TRACE_HERE, "%d", paramIdx);
  WDL_MutexLock lock(&mMutex);
}

void IPlugBase::OnActivate(bool active)
{
  Trace(TRACE_HERE, "%d", active);
  WDL_MutexLock lock(&mMutex);
}

static void copyOrZeroChannels(double** inputs, double** outputs, int nIn, int nOut, int nFrames)
{
  int nCopy = nIn < nOut ? nIn : nOut;
  size_t bytes = (size_t) nFrames * sizeof(double);
  for (int c = 0; c < nCopy; ++c)
    if (inputs[c] != outputs[c]) memmove(outputs[c], inputs[c], bytes);
  for (int c = nCopy; c < nOut; ++c) memset(outputs[c], 0, bytes);
}

void IPlugBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  if (nFrames <= 0) return;
  copyOrZeroChannels(inputs, outputs, NInChannels(), NOutChannels(), nFrames);
}

void IPlugBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames)
{
  if (nFrames <= 0) return;
  size_t bytes = (size_t) nFrames * sizeof(float);
  int nIn = NInChannels(), nOut = NOutChannels();
  for (int c = 0; c < nIn && c < nOut; ++c)
    if (inputs[c] != outputs[c]) memmove(outputs[c], inputs[c], bytes);
  for (int c = nIn; c < nOut; ++c) memset(outputs[c], 0, bytes);
}

void IPlugBase::ProcessMidiMsg(IMidiMsg* pMsg) { SendMidiMsg(pMsg); }

bool IPlugBase::MidiNoteName(int, char* noteName)
{
  *noteName = 0;
  return false;
}

bool IPlugBase::SerializeState(ByteChunk* pChunk) { return SerializeParams(pChunk); }

int IPlugBase::UnserializeState(ByteChunk* pChunk, int startPos) { return UnserializeParams(pChunk, startPos); }

bool IPlugBase::CompareState(const unsigned char* incomingState, int startPos)
{
  bool isEqual = true;
  for (int i = 0; i < NParams(); ++i)
  {
    double stored;
    memcpy(&stored, incomingState + 8 * ((size_t) startPos + (size_t) i), sizeof(stored));
    float diff = (float) GetParam(i)->Value() - (float) stored;
    isEqual &= std::fabs(diff) < 1e-5f;
  }
  return isEqual;
}

// ---- Host-facing framework operations --------------------------------------

void IPlugBase::SetParameterFromGUI(int idx, double normalizedValue)
{
  Trace(TRACE_HERE, "%d:%f", idx, normalizedValue);
  IParam* param = GetParam(idx);
  if (!param) return;
  {
    WDL_MutexLock lock(&mMutex);
    param->SetNormalized(normalizedValue);
    OnParamChange(idx);
  }
  // The host hears of it after the lock is released: a host that takes its
  // time in there must not hold up the audio thread.
  InformHostOfParamChange(idx, normalizedValue);
}

void IPlugBase::AttachGraphics(IGraphics* graphics)
{
  if (!graphics) return;
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i) graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  mGraphics = graphics;
}

void IPlugBase::RedrawParamControls()
{
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i) mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

void IPlugBase::SetLatency(int samples)
{
  mLatency = samples;
  if (mDelay) mDelay->SetDelay(samples);
}

bool IPlugBase::SetBlockSize(int blockSize)
{
  if (blockSize < 0) blockSize = 0;
  if (blockSize == mBlockSize) return true;
  if (blockSize > kMaxBlockSize) return false;

  // Grow every scratch buffer first; if one cannot grow, all go back to the
  // old size, so the previous set-up keeps working.
  bool grown = true;
  for (int i = 0; i < NInChannels() && grown; ++i)
    grown = mInChannels.Get(i)->mScratchBuf.Resize(blockSize) != nullptr || !blockSize;
  for (int i = 0; i < NOutChannels() && grown; ++i)
    grown = (mOutChannels.Get(i)->mScratchBuf.Resize(blockSize) && mOutChannels.Get(i)->mDryBuf.Resize(blockSize)) ||
            !blockSize;
  const int size = grown ? blockSize : mBlockSize;

  for (int i = 0; i < NInChannels(); ++i)
  {
    InChannel* pIn = mInChannels.Get(i);
    double* p = pIn->mScratchBuf.Resize(size);
    if (p) memset(p, 0, (size_t) size * sizeof(double));
    // A disconnected channel's slot points at its scratch buffer, which may
    // have moved.
    if (!pIn->mConnected) *(pIn->mSrc) = pIn->mScratchBuf.Get();
  }
  for (int i = 0; i < NOutChannels(); ++i)
  {
    OutChannel* pOut = mOutChannels.Get(i);
    double* p = pOut->mScratchBuf.Resize(size);
    if (p) memset(p, 0, (size_t) size * sizeof(double));
    mDryData.Get()[i] = pOut->mDryBuf.Resize(size);
    if (!pOut->mConnected) *(pOut->mDest) = pOut->mScratchBuf.Get();
  }
  mBlockSize = size;
  return grown;
}

// ---- Identity ----------------------------------------------------------------

int IPlugBase::GetEffectVersion(bool decimal) const
{
  return decimal ? GetDecimalVersion(mVersion) : mVersion;
}

void IPlugBase::GetEffectVersionStr(char* str) const { GetVersionStr(mVersion, str); }

const char* IPlugBase::GetAPIString() const
{
  switch (mAPI)
  {
    case kAPIVST2: return "VST2";
    case kAPIVST3: return "VST3";
    case kAPIAU: return "AU";
    case kAPIRTAS: return "RTAS";
    case kAPIAAX: return "AAX";
    case kAPISA: return "Standalone";
    case kAPILV2: return "LV2";
    default: return "";
  }
}

double IPlugBase::GetSamplesPerBeat()
{
  double tempo = GetTempo();
  if (tempo > 0.0) return GetSampleRate() * 60.0 / tempo;
  return 0.0;
}

void IPlugBase::SetHost(const char* host, int version)
{
  mHost = LookUpHost(host);
  mHostVersion = version;
  char vStr[32];
  GetVersionStr(version, vStr);
  Trace(TRACE_HERE, "host_%sknown:%s:%s", mHost == kHostUnknown ? "un" : "", host ? host : "", vStr);
}

int IPlugBase::GetHostVersion(bool decimal)
{
  GetHost();
  return decimal ? GetDecimalVersion(mHostVersion) : mHostVersion;
}

void IPlugBase::GetHostVersionStr(char* str)
{
  GetHost();
  GetVersionStr(mHostVersion, str);
}

// ---- Channel model -------------------------------------------------------------

bool IPlugBase::LegalIO(int nIn, int nOut)
{
  bool legal = false;
  for (int i = 0; i < NChannelIO() && !legal; ++i)
  {
    const ChannelIO* pIO = mChannelIO.Get(i);
    legal = (nIn < 0 || nIn == pIO->mIn) && (nOut < 0 || nOut == pIO->mOut);
  }
  Trace(TRACE_HERE, "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

void IPlugBase::SetInputChannelConnections(int idx, int n, bool connected)
{
  int iEnd = idx + n < NInChannels() ? idx + n : NInChannels();
  for (int i = idx < 0 ? 0 : idx; i < iEnd; ++i)
  {
    InChannel* pIn = mInChannels.Get(i);
    // A channel that was just disconnected still holds the last samples
    // converted into its scratch buffer; it must read silence instead.
    if (!connected && pIn->mConnected)
      if (double* p = pIn->mScratchBuf.Get()) memset(p, 0, (size_t) pIn->mScratchBuf.GetSize() * sizeof(double));
    pIn->mConnected = connected;
    if (!connected) *(pIn->mSrc) = pIn->mScratchBuf.Get();
  }
}

void IPlugBase::SetOutputChannelConnections(int idx, int n, bool connected)
{
  int iEnd = idx + n < NOutChannels() ? idx + n : NOutChannels();
  for (int i = idx < 0 ? 0 : idx; i < iEnd; ++i)
  {
    OutChannel* pOut = mOutChannels.Get(i);
    pOut->mConnected = connected;
    if (!connected) *(pOut->mDest) = pOut->mScratchBuf.Get();
  }
}

bool IPlugBase::IsInChannelConnected(int chIdx) const
{
  return chIdx >= 0 && chIdx < NInChannels() && mInChannels.Get(chIdx)->mConnected;
}

bool IPlugBase::IsOutChannelConnected(int chIdx) const
{
  return chIdx >= 0 && chIdx < NOutChannels() && mOutChannels.Get(chIdx)->mConnected;
}

void IPlugBase::SetInputLabel(int idx, const char* label)
{
  if (idx >= 0 && idx < NInChannels()) mInChannels.Get(idx)->mLabel.Set(label);
}

void IPlugBase::SetOutputLabel(int idx, const char* label)
{
  if (idx >= 0 && idx < NOutChannels()) mOutChannels.Get(idx)->mLabel.Set(label);
}

static void replaceLabel(WDL_PtrList<WDL_String>& labels, int idx, const char* label)
{
  labels.Delete(idx, true);
  labels.Insert(idx, new WDL_String(label));
}

void IPlugBase::SetInputBusLabel(int idx, const char* label)
{
  if (idx < 0 || idx > 1) return;
  replaceLabel(mInputBusLabels, idx, label);
}

void IPlugBase::SetOutputBusLabel(int idx, const char* label)
{
  if (idx < 0) return;
  replaceLabel(mOutputBusLabels, idx, label);
}

// ---- Processing frame ------------------------------------------------------------

void IPlugBase::AttachInputBuffers(int idx, int n, double** ppData, int)
{
  int iEnd = idx + n < NInChannels() ? idx + n : NInChannels();
  for (int i = idx < 0 ? 0 : idx; i < iEnd; ++i)
  {
    InChannel* pIn = mInChannels.Get(i);
    if (pIn->mConnected) *(pIn->mSrc) = *(ppData++);
  }
}

void IPlugBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames)
{
  int iEnd = idx + n < NInChannels() ? idx + n : NInChannels();
  for (int i = idx < 0 ? 0 : idx; i < iEnd; ++i)
  {
    InChannel* pIn = mInChannels.Get(i);
    if (!pIn->mConnected) continue;
    const float* src = *(ppData++);
    double* dest = pIn->mScratchBuf.Get();
    for (int s = 0; s < nFrames; ++s) dest[s] = (double) src[s];
    *(pIn->mSrc) = dest;
  }
}

void IPlugBase::AttachOutputBuffers(int idx, int n, double** ppData)
{
  int iEnd = idx + n < NOutChannels() ? idx + n : NOutChannels();
  for (int i = idx < 0 ? 0 : idx; i < iEnd; ++i)
  {
    OutChannel* pOut = mOutChannels.Get(i);
    if (pOut->mConnected) *(pOut->mDest) = *(ppData++);
  }
}

void IPlugBase::AttachOutputBuffers(int idx, int n, float** ppData)
{
  int iEnd = idx + n < NOutChannels() ? idx + n : NOutChannels();
  for (int i = idx < 0 ? 0 : idx; i < iEnd; ++i)
  {
    OutChannel* pOut = mOutChannels.Get(i);
    if (!pOut->mConnected) continue;
    *(pOut->mDest) = pOut->mScratchBuf.Get();
    pOut->mFDest = *(ppData++);
  }
}

void IPlugBase::ZeroScratchBuffers()
{
  size_t bytes = (size_t) mBlockSize * sizeof(double);
  for (int i = 0; i < NInChannels(); ++i)
    if (double* p = mInChannels.Get(i)->mScratchBuf.Get()) memset(p, 0, bytes);
  for (int i = 0; i < NOutChannels(); ++i)
    if (double* p = mOutChannels.Get(i)->mScratchBuf.Get()) memset(p, 0, bytes);
}

void IPlugBase::ProcessBuffers(double, int nFrames)
{
  if (mBlockHoldsMutex)
    ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  else
    ProcessKeptDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

template <bool accumulate>
static void convertOutputs(WDL_PtrList<OutChannel>& outs, int nFrames)
{
  for (int i = 0; i < outs.GetSize(); ++i)
  {
    OutChannel* pOut = outs.Get(i);
    if (!pOut->mConnected || !pOut->mFDest) continue;
    const double* src = *(pOut->mDest);
    float* dest = pOut->mFDest;
    for (int s = 0; s < nFrames; ++s)
    {
      if (accumulate)
        dest[s] += (float) src[s];
      else
        dest[s] = (float) src[s];
    }
  }
}

void IPlugBase::ProcessBuffers(float, int nFrames)
{
  ProcessBuffers(0.0, nFrames);
  convertOutputs<false>(mOutChannels, nFrames);
}

void IPlugBase::ProcessBuffersAccumulating(float, int nFrames)
{
  ProcessBuffers(0.0, nFrames);
  convertOutputs<true>(mOutChannels, nFrames);
}

void IPlugBase::PassThroughInto(double** outputs, int nFrames)
{
  if (mLatency && mDelay)
    mDelay->ProcessBlock(mInData.Get(), outputs, nFrames);
  else if (nFrames > 0)
    copyOrZeroChannels(mInData.Get(), outputs, NInChannels(), NOutChannels(), nFrames);
}

void IPlugBase::PassThroughBuffers(double, int nFrames) { PassThroughInto(mOutData.Get(), nFrames); }

void IPlugBase::PassThroughBuffers(float, int nFrames)
{
  PassThroughBuffers(0.0, nFrames);
  convertOutputs<false>(mOutChannels, nFrames);
}

void IPlugBase::ConvertOutputs(int nFrames) { convertOutputs<false>(mOutChannels, nFrames); }

// ---- Parameter routing -----------------------------------------------------------

void IPlugBase::OnParamReset()
{
  for (int i = 0; i < NParams(); ++i) OnParamChange(i);
}

void IPlugBase::DirtyParameters()
{
  WDL_MutexLock lock(&mMutex);
  for (int i = 0; i < NParams(); ++i) InformHostOfParamChange(i, GetParam(i)->GetNormalized());
}

bool IPlugBase::SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* pMsgs)
{
  bool allSent = true;
  IMidiMsg* msgs = pMsgs->Get();
  for (int i = 0; i < pMsgs->GetSize(); ++i) allSent &= SendMidiMsg(&msgs[i]);
  return allSent;
}
