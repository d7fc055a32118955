// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IBitmapMonoText.h"

#include <cstring>

#include "IGraphics.h"

void DrawBitmapedText(IGraphics* graphics, IBitmap* font, IRECT* r, IText* style, IChannelBlend* blend,
                      const char* text, bool vCentre, bool multiLine, int charWidth, int charHeight, int charOffset)
{
  if (!graphics || !font || !r || !text || !*text || charWidth <= 0) return;
  const int len = (int) strlen(text);
  const long long textWidth = (long long) len * charWidth;
  const int y0 = vCentre ? r->top + (r->H() - charHeight) / 2 : r->top;
  const int align = style ? style->align : IText::kAlignNear;
  int x0 = r->left;
  if (align == IText::kAlignFar) x0 = (int) (r->right - textWidth);
  else if (align == IText::kAlignCenter) x0 = (int) (r->left + (r->W() - textWidth) / 2);

  const int avail = r->W();
  int perLine, lines;
  if (multiLine && textWidth > avail)
  {
    perLine = avail / charWidth;
    lines = avail > 0 ? (int) (textWidth / avail) + 1 : 0;
  }
  else if (multiLine)
  {
    perLine = len;
    lines = 1;
  }
  else
  {
    perLine = avail / charWidth;
    lines = 1;
  }
  if (perLine <= 0) return;

  int i = 0;
  for (int k = 0; k < lines && i < len; ++k)
    for (int p = 0; p < perLine && i < len; ++p, ++i)
    {
      // Codes below 32 and above 127 draw the first frame, the blank.
      const int frame = (int) (signed char) text[i] - 31;
      IRECT cell(x0 + p * (charWidth + charOffset), y0 + k * charHeight, 0, 0);
      cell.right = cell.left + charWidth;
      cell.bottom = cell.top + charHeight;
      graphics->DrawBitmap(font, &cell, frame, blend);
    }
}

IBitmapTextControl::IBitmapTextControl(IPlugBase* plug, IRECT r, IBitmap* font, const char* text, IText* style,
                                       int charWidth, int charHeight, int charOffset, bool multiLine, bool vCentre)
    : IControl(plug, r),
      mStr(text),
      mCharWidth(charWidth),
      mCharHeight(charHeight),
      mCharOffset(charOffset),
      mTextBitmap(font ? *font : IBitmap()),
      mMultiLine(multiLine),
      mVCentre(vCentre)
{
  if (style) mText = *style;
}

void IBitmapTextControl::SetTextFromPlug(const char* text)
{
  if (strcmp(mStr.Get(), text ? text : "") != 0)
  {
    SetDirty(false);
    mStr.Set(text);
  }
}

bool IBitmapTextControl::Draw(IGraphics* graphics)
{
  if (!mStr.GetLength()) return true;
  DrawBitmapedText(graphics, &mTextBitmap, &mRect, &mText, &mBlend, mStr.Get(), mVCentre, mMultiLine, mCharWidth,
                   mCharHeight, mCharOffset);
  return true;
}
