// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Text drawn from a bitmap font: an image with one frame per character in
// code order from the blank (code 32).
#pragma once

#include "../wdl/WDL_String.h"
#include "IControl.h"

void DrawBitmapedText(IGraphics* graphics, IBitmap* font, IRECT* r, IText* style, IChannelBlend* blend,
                      const char* text, bool vCentre = true, bool multiLine = false, int charWidth = 6,
                      int charHeight = 12, int charOffset = 0);

class IBitmapTextControl : public IControl
{
public:
  IBitmapTextControl(IPlugBase* plug, IRECT r, IBitmap* font, const char* text = "", IText* style = nullptr,
                     int charWidth = 6, int charHeight = 12, int charOffset = 0, bool multiLine = false,
                     bool vCentre = true);
  void SetTextFromPlug(const char* text);
  const char* GetTextShown() const { return mStr.Get(); }
  bool Draw(IGraphics* graphics) override;

protected:
  WDL_String mStr;
  int mCharWidth, mCharHeight, mCharOffset;
  IBitmap mTextBitmap;
  bool mMultiLine, mVCentre;
};
