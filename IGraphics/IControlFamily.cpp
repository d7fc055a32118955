// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IControlFamily.h"

#include <cmath>
#include <cstdio>

#include "../IPlug/IPlugBase.h"

// ---- Switches ------------------------------------------------------------------------

void ISwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  // Every press steps, the right button included; past the last frame the
  // value wraps to the first.
  const int n = mBitmap.frameCount;
  mValue += n >= 2 ? 1.0 / (n - 1) : 1.0;
  if (mValue > 1.001) mValue = 0.0;
  SetDirty(true);
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*)
{
  PromptUserInput();
  SetDirty(true);
}

ISwitchFramesControl::ISwitchFramesControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                           bool imagesAreHorizontal, EBlendMethod method)
    : IBitmapControl(plug, x, y, paramIdx, bitmap, method)
{
  mNoPrompt = false;
  const int n = mBitmap.frameCount > 0 ? mBitmap.frameCount : 1;
  for (int i = 0; i < n; ++i)
  {
    IRECT r = mRect;
    if (imagesAreHorizontal)
    {
      const int w = mRect.W() / n;
      r.left = mRect.left + i * w;
      r.right = r.left + w;
    }
    else
    {
      const int h = mRect.H() / n;
      r.top = mRect.top + i * h;
      r.bottom = r.top + h;
    }
    mFrameRects.Add(r);
  }
}

void ISwitchFramesControl::OnMouseDown(int x, int y, IMouseMod*)
{
  const int n = mFrameRects.GetSize();
  for (int i = 0; i < n; ++i)
    if (mFrameRects.Get()[i].Contains(x, y))
    {
      // One frame: its value is 0 (the only frame shows), not 0 / 0.
      mValue = n > 1 ? (double) i / (n - 1) : 0.0;
      break;
    }
  SetDirty(true);
}

void ISwitchFramesControl::OnMouseDblClick(int, int, IMouseMod*)
{
  const int n = mBitmap.frameCount;
  mValue += n >= 2 ? 1.0 / (n - 1) : 1.0;
  if (mValue > 1.001) mValue = 0.0;
  SetDirty(true);
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IPlugBase* plug, IRECT r, int paramIdx)
    : IControl(plug, r, paramIdx, kBlendOpaque)
{
  mNoPrompt = true;
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
  mValue = 0.0;
  SetDirty(true);
}

// ---- Radio buttons --------------------------------------------------------------------

IRadioButtonsControl::IRadioButtonsControl(IPlugBase* plug, IRECT r, int paramIdx, int nButtons, IBitmap* bitmap,
                                           EDirection direction, bool reverse)
    : IControl(plug, r, paramIdx), mBitmap(*bitmap)
{
  if (nButtons < 1) nButtons = 1;
  const int h = (int) std::trunc((double) mBitmap.height / (double) (mBitmap.frameCount > 0 ? mBitmap.frameCount : 1));
  const int w = mBitmap.width;
  // One button has no gaps (there is nothing to divide them among).
  const int gaps = nButtons - 1;
  const int gap = !gaps ? 0
                  : direction == kVertical ? (int) std::trunc((double) (r.H() - nButtons * h) / gaps)
                                           : (int) std::trunc((double) (r.W() - nButtons * w) / gaps);
  int x = reverse && direction == kHorizontal ? r.right - w : r.left;
  int y = reverse && direction == kVertical ? r.bottom - h : r.top;
  for (int i = 0; i < nButtons; ++i)
  {
    mButtonRects.Add(IRECT(x, y, x + w, y + h));
    const int step = reverse ? -1 : 1;
    if (direction == kVertical) y += step * (h + gap);
    else x += step * (w + gap);
  }
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->right)
  {
    PromptUserInput();
    return;
  }
  const int n = mButtonRects.GetSize();
  for (int i = 0; i < n; ++i)
    if (mButtonRects.Get()[i].Contains(x, y))
    {
      mValue = n > 1 ? (double) i / (n - 1) : 0.0;
      break;
    }
  SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics)
{
  const int n = mButtonRects.GetSize();
  int active = (int) std::trunc((double) (n - 1) * mValue + 0.5);
  active = active < 0 ? 0 : (active > n - 1 ? n - 1 : active);
  for (int i = 0; i < n; ++i) graphics->DrawBitmap(&mBitmap, mButtonRects.Get() + i, i == active ? 2 : 1, &mBlend);
  return true;
}

// ---- Faders ---------------------------------------------------------------------------

IFaderControl::IFaderControl(IPlugBase* plug, int x, int y, int length, int paramIdx, IBitmap* handle,
                             EDirection direction, bool hitOnlyHandle)
    : IControl(plug, IRECT(), paramIdx),
      mLength(length),
      mHandleSize(direction == kHorizontal ? handle->width : handle->height),
      mBitmap(*handle),
      mDirection(direction),
      mHitOnlyHandle(hitOnlyHandle)
{
  mRect = mHitRect = direction == kHorizontal ? IRECT(x, y, x + length, y + handle->height)
                                              : IRECT(x, y, x + handle->width, y + length);
}

IRECT IFaderControl::GetHandleRECT(double value) const
{
  if (value < 0.0) value = mValue;
  const int travel = mLength - mHandleSize;
  if (mDirection == kHorizontal)
  {
    const int o = (int) std::trunc(value * travel);
    return IRECT(mRect.left + o, mRect.top, mRect.left + o + mBitmap.width, mRect.top + mBitmap.height);
  }
  const int o = (int) std::trunc(travel * (1.0 - value));
  return IRECT(mRect.left, mRect.top + o, mRect.left + mBitmap.width, mRect.top + o + mBitmap.height);
}

void IFaderControl::SnapToMouse(int x, int y)
{
  const int half = mHandleSize / 2, travel = mLength - mHandleSize;
  if (travel > 0)
  {
    if (mDirection == kHorizontal) mValue = (double) (x - mRect.left - half) / travel;
    else mValue = 1.0 - (double) (y - mRect.top - half) / travel;
  }
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->right) PromptUserInput();
  else SnapToMouse(x, y);
}

void IFaderControl::OnMouseWheel(int, int, IMouseMod* mod, int delta)
{
  mValue += (mod && (mod->control || mod->shift) ? 0.001 : 0.01) * delta;
  SetDirty(true);
}

bool IFaderControl::Draw(IGraphics* graphics)
{
  IRECT handle = GetHandleRECT();
  return graphics->DrawBitmap(&mBitmap, &handle, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y) { return mHitOnlyHandle ? GetHandleRECT().Contains(x, y) : mHitRect.Contains(x, y); }

// ---- Knobs ------------------------------------------------------------------------------

IKnobLineControl::IKnobLineControl(IPlugBase* plug, IRECT r, int paramIdx, const IColor* color, double innerRadius,
                                   double outerRadius, double minAngle, double maxAngle, EDirection direction,
                                   double gearing)
    : IKnobControl(plug, r, paramIdx, direction, gearing),
      mColor(*color),
      mMinAngle((float) minAngle),
      mMaxAngle((float) maxAngle),
      mInnerRadius((float) innerRadius),
      mOuterRadius(outerRadius == 0.0 ? 0.5f * (float) r.W() : (float) outerRadius)
{
  mBlend = IChannelBlend(kBlendOpaque);
}

bool IKnobLineControl::Draw(IGraphics* graphics)
{
  const double a = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  const float cx = (float) ((mRect.left + mRect.right) * 0.5), cy = (float) ((mRect.top + mRect.bottom) * 0.5);
  const float s = (float) std::sin(a), c = (float) std::cos(a);
  return graphics->DrawLine(&mColor, cx + mInnerRadius * s, cy - mInnerRadius * c, cx + mOuterRadius * s,
                            cy - mOuterRadius * c, &mBlend, true);
}

IKnobRotaterControl::IKnobRotaterControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, double minAngle,
                                         double maxAngle, int yOffsetZeroDeg, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, *bitmap), paramIdx, direction, gearing),
      mBitmap(*bitmap),
      mMinAngle(minAngle),
      mMaxAngle(maxAngle),
      mPivotYOffset(yOffsetZeroDeg)
{
}

bool IKnobRotaterControl::Draw(IGraphics* graphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedBitmap(&mBitmap, (mRect.left + mRect.right) / 2, (mRect.top + mRect.bottom) / 2, angle,
                                     mPivotYOffset, &mBlend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* base,
                                                   IBitmap* mask, IBitmap* top, double minAngleDegrees,
                                                   double maxAngleDegrees, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, *base), paramIdx, direction, gearing),
      mBase(*base),
      mMask(*mask),
      mTop(*top),
      mMinAngle(minAngleDegrees),
      mMaxAngle(maxAngleDegrees)
{
}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRect.left, mRect.top, angle, &mBlend);
}

// ---- Overlays, captions and file selectors ------------------------------------------------

bool IBitmapOverlayControl::Draw(IGraphics* graphics)
{
  if (mValue < 0.5)
  {
    mHitRect = mOffHitRect;
    return true;
  }
  mHitRect = mRect;
  return IBitmapControl::Draw(graphics);
}

ICaptionControl::ICaptionControl(IPlugBase* plug, IRECT r, int paramIdx, IText* style, bool showParamLabel)
    : ITextControl(plug, r, style, ""), mShowParamLabel(showParamLabel)
{
  mParamIdx = paramIdx;
}

bool ICaptionControl::Draw(IGraphics* graphics)
{
  IParam* param = mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
  if (param)
  {
    char display[64], text[128];
    param->GetDisplayForHost(param->Value(), false, display, true, (int) sizeof(display));
    if (mShowParamLabel) snprintf(text, sizeof(text), "%s %s", display, param->GetLabelForHost());
    else snprintf(text, sizeof(text), "%s", display);
    SetTextFromPlug(text);
  }
  return ITextControl::Draw(graphics);
}

IFileSelectorControl::IFileSelectorControl(IPlugBase* plug, IRECT r, int paramIdx, IBitmap* bitmap, EFileAction action,
                                           const char* dir, const char* extensions)
    : IControl(plug, r, paramIdx), mBitmap(*bitmap), mDir(dir), mExtensions(extensions), mFileAction(action)
{
}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!graphics) return;
  mState = kFSSelecting;
  SetDirty(false);
  graphics->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.GetMutable());
  mValue += 1.0;
  if (mValue > 1.0) mValue = 0.0;
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics)
{
  if (mState != kFSSelecting) return true;
  IRECT r = mRect;
  return graphics->DrawBitmap(&mBitmap, &r, 0, 0, nullptr);
}

bool IFileSelectorControl::IsDirty()
{
  if (mDirty) return true;
  if (mState == kFSDone)
  {
    mState = kFSNone;
    return true;
  }
  return false;
}
