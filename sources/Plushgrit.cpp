#include "Plushgrit.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "../IGraphics/IControl.h"
#include "../IGraphics/IGraphics.h"
#include "../IPlug/Log.h"
#include "IGraphicsHeadless.h"
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
const char* const kMakerURL = "https://www.quorvane.com";

// Editor images: resource id, file, frames.
struct ImageSpec
{
  int id;
  const char* file;
  int frames;
};
const ImageSpec kBackground = {105, "resources/img/Plushgrit_Background.png", 1};
const ImageSpec kKnobImages[Plushgrit::kNumParams] = {
  {101, "resources/img/Knob_In_Frames.png", 21},
  {102, "resources/img/Knob_Out_Frames.png", 21},
  {103, "resources/img/Knob_Mix_Frames.png", 21},
  {104, "resources/img/Knob_Drive_Frames.png", 101},
};
// Each knob's top-left corner; it takes the size of one frame.
const int kKnobCorners[Plushgrit::kNumParams][2] = {{24, 200}, {303, 201}, {162, 224}, {135, 63}};

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

  // The editor: background and link area, handed to the base before any
  // parameter is initialised.
  IGraphics* graphics = MakePlatformGraphics(this, kWidth, kHeight, 0);
  graphics->SetBundleID(kBundleID);
  graphics->AttachBackground(kBackground.id, kBackground.file);
  graphics->AttachControl(new IURLControl(this, IRECT(280, 68, 374, 158), kMakerURL));
  AttachGraphics(graphics);

  for (int i = 0; i < kNumParams; ++i)
  {
    const ParamSpec& p = kParamSpecs[i];
    GetParam(i)->SetShape(1.0);
    GetParam(i)->InitDouble(p.name, p.defaultVal, p.minVal, p.maxVal, p.step, p.label, "", 1.0);
    IBitmap knob = graphics->LoadIBitmap(kKnobImages[i].id, kKnobImages[i].file, kKnobImages[i].frames);
    graphics->AttachControl(new IKnobMultiControl(this, kKnobCorners[i][0], kKnobCorners[i][1], i, &knob));
  }

  IText readout(13, IColor(255, 0, 0, 0), "Tahoma Bold", IText::kStyleNormal, IText::kAlignCenter, 0,
                IText::kQualityNonAntiAliased);
  mInText = new ITextControl(this, IRECT(5, 254, 105, 274), &readout, "0.00 db");
  graphics->AttachControl(mInText);
  mOutText = new ITextControl(this, IRECT(283, 255, 383, 275), &readout, "0.00 db");
  graphics->AttachControl(mOutText);
  mMixText = new ITextControl(this, IRECT(140, 279, 240, 299), &readout, "50 | 50");
  graphics->AttachControl(mMixText);

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
  switch (paramIdx)
  {
    case kIn: SetParamText(kIn, mInText); break;
    case kOut: SetParamText(kOut, mOutText); break;
    case kMix: SetParamText(kMix, mMixText); break;
    default: break;
  }
}

// Runs under the mutex on whichever thread changed the parameter: the text
// is formatted on the stack and published whole (no allocation, no wait).
void Plushgrit::SetParamText(int paramIdx, ITextControl* readout)
{
  char text[64];
  if (readout && FormatReadout(paramIdx, text, (int) sizeof(text))) readout->SetTextFromPlug(text);
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
