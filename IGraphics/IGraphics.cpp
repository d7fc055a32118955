// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The graphics context's lifetime, control list, parameter push, dirty
// tracking and draw pass.
#include "IGraphics.h"

#include "../IPlug/IPlugBase.h"
#include "IControl.h"
#include "lice.h"

#include <cmath>

IGraphics::IGraphics(IPlugBase* plug, int width, int height, int fps)
    : mPlug(plug), mWidth(width), mHeight(height), mFPS(fps > 0 ? fps : 25), mNParams(plug ? plug->NParams() : 0)
{
  // Sized once here, on the constructing thread: the audio thread only ever
  // stores into these slots.
  mPendingValue.reset(new std::atomic<double>[(size_t) mNParams]);
  mPending.reset(new std::atomic<bool>[(size_t) mNParams]);
  for (int i = 0; i < mNParams; ++i)
  {
    mPendingValue[i].store(0.0, std::memory_order_relaxed);
    mPending[i].store(false, std::memory_order_relaxed);
  }
}

IGraphics::~IGraphics()
{
  ReleaseEditorResources();
  delete mKeyCatcher;
  DeleteControls();
}

void IGraphics::DeleteControls() { mControls.Empty(true); }

void IGraphics::PrepDraw()
{
  mDrawBitmap.reset(new LICE_SysBitmap(DrawWidth(), DrawHeight()));
  mScratchBitmap.reset(new LICE_MemBitmap());
}

void IGraphics::ReleaseEditorResources()
{
  ReleaseImagesAndFonts();
  mDrawBitmap.reset();
  mScratchBitmap.reset();
}


IRECT IGraphics::ToDrawPixels(const IRECT& r) const
{
  if (mDrawScale == 1.0f) return r;
  return IRECT(Scaled(r.left), Scaled(r.top), Scaled(r.right), Scaled(r.bottom));
}


void IGraphics::SetDrawScale(float scale)
{
  scale = scale < 1.0f ? 1.0f : scale > 3.0f ? 3.0f : scale;
  if (scale == mDrawScale) return;
  mDrawScale = scale;
  // Images and fonts at the new scale are other ones, taken when first
  // drawn; those at the old one go back to the caches.
  ReleaseImagesAndFonts();
  if (mDrawBitmap) PrepDraw();
  SetAllControlsDirty();
}

void IGraphics::Resize(int w, int h)
{
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  DeleteControls();
  const bool drawing = mDrawBitmap != nullptr;
  ReleaseEditorResources();
  if (drawing) PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

// ---- Control list -------------------------------------------------------------------

int IGraphics::AttachControl(IControl* control)
{
  mControls.Add(control);
  return mControls.GetSize() - 1;
}

void IGraphics::AttachBackground(int id, const char* name)
{
  IBitmap bitmap = LoadIBitmap(id, name, 1, false);
  mControls.Insert(0, new IBitmapControl(mPlug, 0, 0, -1, &bitmap, kBlendOpaque));
}

void IGraphics::AttachPanelBackground(const IColor* color)
{
  mControls.Insert(0, new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color));
}

void IGraphics::AttachKeyCatcher(IControl* control)
{
  delete mKeyCatcher;
  mKeyCatcher = control;
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->Hide(hide);
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->GrayOut(gray);
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
  if (!normalized && param)
  {
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->SetClamp(lo, hi);
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  if (paramIdx < 0 || paramIdx >= mNParams) return;
  if (!normalized)
  {
    IParam* param = mPlug->GetParam(paramIdx);
    if (!param) return;
    value = param->GetNormalized(value);
  }
  mPendingValue[paramIdx].store(value, std::memory_order_relaxed);
  mPending[paramIdx].store(true, std::memory_order_release);
  mAnyPending.store(true, std::memory_order_release);
}

void IGraphics::DropPendingValue(int param)
{
  if (param >= 0 && param < mNParams) mPending[param].store(false, std::memory_order_release);
}

int IGraphics::ParamOfCapture() const
{
  IControl* captured = mControls.Get(mMouseCapture);
  return captured ? captured->ParamIdx() : -1;
}

void IGraphics::ApplyParameterValues()
{
  if (!mAnyPending.exchange(false, std::memory_order_acq_rel)) return;
  const int editing = ParamOfCapture();
  for (int p = 0; p < mNParams; ++p)
  {
    // The control the user holds is not pulled from under the pointer: a
    // host value that came after the user's last move waits for the
    // release (DropPendingValue clears what came before).
    if (p == editing)
    {
      if (mPending[p].load(std::memory_order_acquire)) mAnyPending.store(true, std::memory_order_release);
      continue;
    }
    if (!mPending[p].exchange(false, std::memory_order_acq_rel)) continue;
    const double value = mPendingValue[p].load(std::memory_order_relaxed);
    for (int i = 0; i < mControls.GetSize(); ++i)
    {
      IControl* c = mControls.Get(i);
      if (c->ParamIdx() == p) c->SetValueFromPlug(value);
      const int aux = c->AuxParamIdx(p);
      if (aux >= 0) c->SetAuxParamValueFromPlug(aux, value);
    }
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  if (IControl* c = mControls.Get(controlIdx)) c->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  for (int i = 0; i < mControls.GetSize(); ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->SetValueFromUserInput(normalizedValue);
}

void IGraphics::SetAllControlsDirty()
{
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

void IGraphics::AssignParamNameToolTips()
{
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* c = mControls.Get(i);
    IParam* param = mPlug && c->ParamIdx() >= 0 ? mPlug->GetParam(c->ParamIdx()) : nullptr;
    if (param) c->SetTooltip(param->GetNameForHost());
  }
}

void IGraphics::OnGUIIdle()
{
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnGUIIdle();
}

// ---- Dirty tracking and drawing ------------------------------------------------------

bool IGraphics::IsDirty(IRECT* area)
{
  ApplyParameterValues();
  bool dirty = false;
  for (int i = 0; i < mControls.GetSize(); ++i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsDirty())
    {
      *area = area->Union(*c->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* area)
{
  const int n = mControls.GetSize();
  if (!n) return true;
  ApplyParameterValues();
  if (!mDrawBitmap) PrepDraw();

  if (mStrict)
  {
    mDrawRect = *area;
    for (int i = 0; i < n; ++i)
    {
      IControl* c = mControls.Get(i);
      if (!c->IsHidden() && area->Intersects(*c->GetRECT())) c->Draw(this);
      c->SetClean();
    }
  }
  else if (mControls.Get(0)->IsDirty())
  {
    mDrawRect = *mControls.Get(0)->GetRECT();
    for (int i = 0; i < n; ++i)
    {
      IControl* c = mControls.Get(i);
      if (i && c->IsHidden()) continue;
      c->Draw(this);
      c->SetClean();
    }
  }
  else
  {
    for (int i = 1; i < n; ++i)
    {
      IControl* dirty = mControls.Get(i);
      if (!dirty->IsDirty()) continue;
      mDrawRect = *dirty->GetRECT();
      for (int j = 0; j < n; ++j)
      {
        IControl* c = mControls.Get(j);
        if (!c->IsHidden() && (j == i || c->GetRECT()->Intersects(mDrawRect))) c->Draw(this);
      }
      dirty->SetClean();
    }
  }
  return DrawScreen(area);
}
