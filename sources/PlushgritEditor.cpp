// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Plushgrit's editor: a 383 x 300 background with a link area, a bitmap
// knob per parameter, and the In, Out and Mix read-outs. The constructor
// builds it in three steps around the parameters (see Plushgrit.h).
#include "../IGraphics/IControl.h"
#include "../IGraphics/IGraphics.h"
#include "IGraphicsHeadless.h"
#include "Plushgrit.h"

namespace
{
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
}  // namespace

void Plushgrit::BeginEditor()
{
  IGraphics* graphics = MakePlatformGraphics(this, kWidth, kHeight, 0);
  graphics->SetBundleID(kBundleID);
  graphics->AttachBackground(kBackground.id, kBackground.file);
  graphics->AttachControl(new IURLControl(this, IRECT(280, 68, 374, 158), kMakerURL));
  AttachGraphics(graphics);
}

void Plushgrit::AttachKnob(int i)
{
  IGraphics* graphics = GetGUI();
  IBitmap knob = graphics->LoadIBitmap(kKnobImages[i].id, kKnobImages[i].file, kKnobImages[i].frames);
  graphics->AttachControl(new IKnobMultiControl(this, kKnobCorners[i][0], kKnobCorners[i][1], i, &knob));
}

void Plushgrit::AttachReadouts()
{
  IGraphics* graphics = GetGUI();
  IText readout(13, IColor(255, 0, 0, 0), "Tahoma Bold", IText::kStyleNormal, IText::kAlignCenter, 0,
                IText::kQualityNonAntiAliased);
  mInText = new ITextControl(this, IRECT(5, 254, 105, 274), &readout, "0.00 db");
  graphics->AttachControl(mInText);
  mOutText = new ITextControl(this, IRECT(283, 255, 383, 275), &readout, "0.00 db");
  graphics->AttachControl(mOutText);
  mMixText = new ITextControl(this, IRECT(140, 279, 240, 299), &readout, "50 | 50");
  graphics->AttachControl(mMixText);
}

void Plushgrit::ShowReadout(int paramIdx)
{
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
