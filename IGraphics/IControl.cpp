// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IControl.h"

#include <cmath>
#include <cstring>

#include "../IPlug/IPlugBase.h"
#include "../wdl/wdl_text.h"
#include "IGraphics.h"

IControl::IControl(IPlugBase* plug, IRECT r, int paramIdx, EBlendMethod method)
    : mPlug(plug), mRect(r), mHitRect(r), mParamIdx(paramIdx), mBlend(method, 1.0f)
{
}

void IControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && mod->right) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
  // A parameter's control goes back to the parameter's own default, not to
  // whatever value it first showed (a loaded project's, say).
  IParam* param = mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr;
  const double value = param ? param->GetNormalized(param->GetDefault()) : mDefaultValue;
  if (value >= 0.0)
  {
    mValue = value;
    SetDirty(true);
  }
}

void IControl::SetValueFromPlug(double value)
{
  // The first value from the plug-in becomes the double-click default.
  if (mDefaultValue < 0.0) mDefaultValue = mValue = value;
  if (mValue != value)
  {
    mValue = value;
    SetDirty(false);
    mRedrawRequested = true;
  }
}

void IControl::SetValueFromUserInput(double value)
{
  if (mValue != value)
  {
    mValue = value;
    SetDirty(true);
    mRedrawRequested = true;
  }
}

void IControl::Hide(bool hide)
{
  mHide = hide;
  mRedrawRequested = true;
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed = gray;
  mBlend.weight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

void IControl::SetDirty(bool pushToPlug)
{
  if (mClampLo > mValue) mValue = mClampLo;
  else mValue = std::fmin(mClampHi, mValue);
  mDirty = true;
  if (!pushToPlug || !mPlug || mParamIdx < 0) return;

  mPlug->SetParameterFromGUI(mParamIdx, mValue);
  if (IGraphics* graphics = mPlug->GetGUI()) graphics->DropPendingValue(mParamIdx);
  IParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  // Read-outs are written under the plug-in's mutex, as the parameter-change
  // hook writes them, so that one writer publishes at a time.
  WDL_MutexLock lock(mPlug->GetMutex());
  if (mValueDisplayControl)
  {
    char display[32], label[33], text[80];
    param->GetDisplayForHost(param->Value(), false, display, true, (int) sizeof(display));
    lstrcpyn_safe(label, param->GetLabelForHost(), sizeof(label));
    snprintf(text, sizeof(text), "%s %s", display, label);
    mValueDisplayControl->SetTextFromPlug(text);
  }
  if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean()
{
  mDirty = mRedrawRequested;
  mRedrawRequested = false;
}

void IControl::SetAuxParamValueFromPlug(int auxIdx, double value)
{
  AuxParam* aux = GetAuxParam(auxIdx);
  if (aux && aux->mValue != value)
  {
    aux->mValue = value;
    SetDirty(false);
    mRedrawRequested = true;
  }
}

void IControl::PromptUserInput()
{
  if (mParamIdx < 0 || mNoPrompt || !mPlug) return;
  IParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  IRECT area = mRect;
  if (!param->GetNDisplayTexts())
  {
    const int cx = (int) ((float) (mRect.left + mRect.right) * 0.5f);
    const int cy = (int) ((float) (mRect.top + mRect.bottom) * 0.5f);
    area = IRECT(cx - 20, cy - 8, cx + 20, cy + 8);
  }
  PromptUserInput(&area);
}

void IControl::PromptUserInput(IRECT* area)
{
  if (mParamIdx < 0 || mNoPrompt || !mPlug || !mPlug->GetGUI()) return;
  mPlug->GetGUI()->PromptUserInput(this, mPlug->GetParam(mParamIdx), area);
  mRedrawRequested = true;
}

IControl::AuxParam* IControl::GetAuxParam(int auxIdx)
{
  return auxIdx >= 0 && auxIdx < mAuxParams.GetSize() ? mAuxParams.Get() + auxIdx : nullptr;
}

int IControl::AuxParamIdx(int paramIdx) const
{
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    if (mAuxParams.Get()[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::AddAuxParam(int paramIdx) { mAuxParams.Add(AuxParam{0.0, paramIdx}); }

void IControl::SetAllAuxParamsFromGUI()
{
  if (!mPlug) return;
  for (int i = 0; i < mAuxParams.GetSize(); ++i)
    mPlug->SetParameterFromGUI(mAuxParams.Get()[i].mParamIdx, mAuxParams.Get()[i].mValue);
}

// ---- Panels and images -----------------------------------------------------------

IPanelControl::IPanelControl(IPlugBase* plug, IRECT r, const IColor* color)
    : IControl(plug, r, -1, kBlendNone), mColor(color ? *color : COLOR_BLACK)
{
}

bool IPanelControl::Draw(IGraphics* graphics) { return graphics->FillIRect(&mColor, &mRect, &mBlend); }

int FrameForValue(double value, int n)
{
  const double k = std::trunc((double) (n - 1) * value + 0.5);
  if (!(k >= 0.0)) return 1;  // also NaN
  if (k >= (double) n) return n;
  return (int) k + 1;
}

IBitmapControl::IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, EBlendMethod method)
    : IControl(plug, IRECT(x, y, *bitmap), paramIdx, method), mBitmap(*bitmap)
{
}

bool IBitmapControl::Draw(IGraphics* graphics)
{
  const int frame = mBitmap.frameCount < 2 ? 1 : FrameForValue(mValue, mBitmap.frameCount);
  return graphics->DrawBitmap(&mBitmap, &mRect, frame, &mBlend);
}

// ---- Knobs ---------------------------------------------------------------------------

IKnobControl::IKnobControl(IPlugBase* plug, IRECT r, int paramIdx, EDirection direction, double gearing)
    : IControl(plug, r, paramIdx), mDirection(direction), mGearing(gearing)
{
}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod)
{
  double gearing = mGearing;
  if (mod && (mod->control || mod->shift)) gearing *= 10.0;
  if (mDirection == kVertical)
    mValue += (double) dY / (double) (mRect.top - mRect.bottom) / gearing;
  else
    mValue += (double) dX / (double) (mRect.right - mRect.left) / gearing;
  SetDirty(true);
}

void IKnobControl::OnMouseWheel(int, int, IMouseMod* mod, int delta)
{
  mValue += (mod && (mod->control || mod->shift) ? 0.001 : 0.01) * delta;
  SetDirty(true);
}

IKnobMultiControl::IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, *bitmap), paramIdx, direction, gearing), mBitmap(*bitmap)
{
}

bool IKnobMultiControl::Draw(IGraphics* graphics)
{
  const int frame = FrameForValue(mValue, mBitmap.frameCount);
  return graphics->DrawBitmap(&mBitmap, &mRect, frame, &mBlend);
}

// ---- Text ----------------------------------------------------------------------------

ITextControl::ITextControl(IPlugBase* plug, IRECT r, IText* style, const char* text) : IControl(plug, r, -1, kBlendNone)
{
  if (style) mText = *style;
  mStr.Set(text ? text : "", kMaxText - 1);
  memset(mBuffers, 0, sizeof(mBuffers));
}

void ITextControl::SetTextFromPlug(const char* text)
{
  lstrcpyn_safe(mBuffers[mWriteIdx], text ? text : "", kMaxText);
  mWriteIdx = mMiddle.exchange(mWriteIdx | kFresh, std::memory_order_acq_rel) & 3;
}

void ITextControl::TakePublishedText()
{
  if (!(mMiddle.load(std::memory_order_acquire) & kFresh)) return;
  mReadIdx = mMiddle.exchange(mReadIdx, std::memory_order_acq_rel) & 3;
  const char* text = mBuffers[mReadIdx];
  if (strcmp(text, mStr.Get()) != 0)
  {
    SetDirty(false);
    mStr.Set(text);
  }
}

bool ITextControl::IsDirty()
{
  TakePublishedText();
  return mDirty;
}

const char* ITextControl::GetTextShown()
{
  TakePublishedText();
  return mStr.Get();
}

bool ITextControl::Draw(IGraphics* graphics)
{
  TakePublishedText();
  if (!mStr.GetLength()) return true;
  return graphics->DrawIText(&mText, mStr.Get(), &mRect);
}

// ---- Links ---------------------------------------------------------------------------

IURLControl::IURLControl(IPlugBase* plug, IRECT r, const char* url, const char* backupURL, const char* errorMessage)
    : IControl(plug, r, -1, kBlendNone)
{
  // Addresses and the message are cut to their fields.
  if (url && *url) CopyField(mURL, url);
  if (backupURL && *backupURL) CopyField(mBackupURL, backupURL);
  if (errorMessage && *errorMessage) CopyField(mErrorMessage, errorMessage);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!graphics) return;
  bool opened = false;
  if (mURL[0]) opened = graphics->OpenURL(mURL, mErrorMessage, nullptr, nullptr);
  if (!opened && mBackupURL[0]) graphics->OpenURL(mBackupURL, mErrorMessage, nullptr, nullptr);
}
