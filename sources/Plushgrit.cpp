// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The plug-in apart from its editor: identity, parameters, preset, the
// parameter hook and the block (see PlushgritEditor.cpp for the editor).
#include "Plushgrit.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "../IPlug/Log.h"
#include "../Includes/MyDSP/DSPProcessor.h"
#include "DriveChain.h"

namespace
{
const int kNumPrograms = 1;
const char* const kChannelIO = "2-2 1-1";
const int kVendorVersion = 0x10000;
const int kUniqueID = Plushgrit::kUniqueID;
const int kMfrID = Plushgrit::kMfrID;
const int kLatency = 0;
struct ParamSpec
{
  const char* name;
  double defaultVal, minVal, maxVal, step;
  const char* label;
};

const ParamSpec kParamSpecs[Plushgrit::kNumParams] = {
  {"In", 0.0, -10.0, 10.0, 0.01, "dB"},
  {"Out", 0.0, -10.0, 10.0, 0.01, "dB"},
  {"Mix", 1.0, 0.0, 1.0, 0.001, "50/50"},
  {"Drive", 0.0, 0.0, 1.0, 0.001, "%"},
};
}  // namespace

Plushgrit::Plushgrit(IPlugInstanceInfo instanceInfo)
    : IPlugBinding(instanceInfo, kNumParams, kChannelIO, kNumPrograms, "Plushgrit", "", "Quorvane", kVendorVersion,
                kUniqueID, kMfrID, kLatency, false, false, false, 0)
{
  Trace(TRACE_HERE, "%s", "");
  // Asks the processor now, so that the first block does not.
  DriveSimdAvailable();
  mBiasOffset = DSPProcessor::FastTanh(kClipperBias);

  // The editor's background and link area are handed to the base before
  // any parameter is initialised; each knob follows its parameter.
  BeginEditor();
  for (int i = 0; i < kNumParams; ++i)
  {
    const ParamSpec& p = kParamSpecs[i];
    GetParam(i)->SetShape(1.0);
    GetParam(i)->InitDouble(p.name, p.defaultVal, p.minVal, p.maxVal, p.step, p.label, "", 1.0);
    AttachKnob(i);
  }
  AttachReadouts();

  MakePreset("init", 0.0, 0.0, 1.0, 0.0);
  RestorePreset(0);
  KeepBlockSettings();
}

void Plushgrit::MakeClassID(unsigned char cid[16])
{
  const uint32_t words[4] = {0xF2AEE70D, 0x00DE4F4E, (uint32_t) kMfrID, (uint32_t) kUniqueID};
  for (int w = 0; w < 4; ++w)
    for (int b = 0; b < 4; ++b) cid[w * 4 + b] = (unsigned char) ((words[w] >> (24 - 8 * b)) & 0xFF);
}

void Plushgrit::Reset()
{
  Trace(TRACE_HERE, "%s", "");
  WDL_MutexLock lock(&mMutex);
}

void Plushgrit::OnParamChange(int paramIdx)
{
  WDL_MutexLock lock(&mMutex);
  IParam* param = GetParam(paramIdx);
  switch (paramIdx)
  {
    case kIn:
      mInGainDb = param->Value();
      mInGain = DriveExp2(mInGainDb / 6.014);
      break;
    case kOut:
      mOutGainDb = param->Value();
      mOutGain = DriveExp2(mOutGainDb / 6.014);
      break;
    case kMix: mMix = param->Value(); break;
    case kDrive:
    {
      double d = param->Value();
      mDriveGain = 15.0 * d + 1.0;
      mDriveMakeup = DriveExp2(d) / mDriveGain;
      break;
    }
    default: break;
  }
  ShowReadout(paramIdx);
}

bool Plushgrit::FormatReadout(int paramIdx, char* text, int size) const
{
  if (paramIdx < kIn || paramIdx > kMix || !text || size <= 0) return false;
  IParam* param = GetParam(paramIdx);
  char display[IParam::kDisplaySize];
  param->GetDisplayForHost(param->Value(), false, display, true, (int) sizeof(display));

  if (paramIdx != kMix)
  {
    snprintf(text, (size_t) size, "%s %s", display, param->GetLabelForHost());
    return true;
  }

  // Mix goes through its three-decimal text and single precision, so some
  // values read one percent less than their decimals (0.290 reads 72 | 28).
  float f = (float) strtod(display, nullptr);
  double r = 1.0;
  if (f < 1.0f)
  {
    double whole;
    r = std::modf((double) f, &whole);
  }
  int wet = (int) (r * 100.0);
  snprintf(text, (size_t) size, "%d | %d", 100 - wet, wet);
  return true;
}

// The chain per sample: g = x * inGain (written back over the input),
// w = makeup * (FastTanh(g * driveGain + 0.2) - bias), y = MixAB(g, w, mix),
// out = y * outGain. The gains are the same 2^(dB / 6.014) factors that
// DecibelGain computes, formed when their parameters change (the members
// cannot change while the block holds the mutex); the vector forms form
// every product as the per-sample functions do, so the output is
// bit-identical to them.
DriveChainSettings Plushgrit::BlockSettings() const
{
  DriveChainSettings s;
  s.inGain = mInGain;
  s.outGain = mOutGain;
  s.driveGain = mDriveGain;
  s.makeup = mDriveMakeup;
  s.bias = mBiasOffset;
  s.mix = mMix;
  return s;
}

namespace
{
void RunChain(const DriveChainSettings& settings, double** inputs, double** outputs, int nFrames)
{
  if (nFrames <= 0) return;
  const DriveChainSpan channels[] = {{inputs[0], outputs[0], nFrames}, {inputs[1], outputs[1], nFrames}};
  DriveChainProcessChannels(settings, channels, 2);
}
}  // namespace

void Plushgrit::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  RunChain(BlockSettings(), inputs, outputs, nFrames);
}

void Plushgrit::ProcessKeptDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  RunChain(mKept, inputs, outputs, nFrames);
}
