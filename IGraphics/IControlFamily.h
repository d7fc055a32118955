// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The rest of the control family: switches, frame switches, invisible
// switches, radio buttons, contacts, faders, line, rotater and rotating-mask
// knobs, overlays, captions and file selectors. Each differs from the base
// only in how a gesture changes the value and how the value is drawn.
#pragma once

#include "../wdl/WDL_TypedBuf.h"
#include "IControl.h"
#include "IGraphics.h"

class ISwitchControl : public IBitmapControl
{
public:
  ISwitchControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, EBlendMethod method = kBlendNone)
      : IBitmapControl(plug, x, y, paramIdx, bitmap, method)
  {
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override { OnMouseDown(x, y, mod); }
};

class ISwitchPopUpControl : public ISwitchControl
{
public:
  ISwitchPopUpControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap)
      : ISwitchControl(plug, x, y, paramIdx, bitmap)
  {
    mNoPrompt = false;
  }
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override { ISwitchControl::OnMouseDown(x, y, mod); }
};

class ISwitchFramesControl : public IBitmapControl
{
public:
  ISwitchFramesControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, bool imagesAreHorizontal = false,
                       EBlendMethod method = kBlendNone);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;

protected:
  WDL_TypedBuf<IRECT> mFrameRects;
};

class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IPlugBase* plug, IRECT r, int paramIdx);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};

class IRadioButtonsControl : public IControl
{
public:
  IRadioButtonsControl(IPlugBase* plug, IRECT r, int paramIdx, int nButtons, IBitmap* bitmap,
                       EDirection direction = kVertical, bool reverse = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  const IRECT* GetButtonRect(int i) const { return i >= 0 && i < mButtonRects.GetSize() ? mButtonRects.Get() + i : nullptr; }

protected:
  WDL_TypedBuf<IRECT> mButtonRects;
  IBitmap mBitmap;
};

class IContactControl : public ISwitchControl
{
public:
  IContactControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap) : ISwitchControl(plug, x, y, paramIdx, bitmap) {}
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

class IFaderControl : public IControl
{
public:
  IFaderControl(IPlugBase* plug, int x, int y, int length, int paramIdx, IBitmap* handle,
                EDirection direction = kVertical, bool hitOnlyHandle = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int, int, IMouseMod*) override { SnapToMouse(x, y); }
  void OnMouseWheel(int x, int y, IMouseMod* mod, int delta) override;
  bool Draw(IGraphics* graphics) override;
  bool IsHit(int x, int y) override;
  virtual void SnapToMouse(int x, int y);
  // The handle's rectangle at value (negative: the current value).
  IRECT GetHandleRECT(double value = -1.0) const;

protected:
  int mLength, mHandleSize;
  IBitmap mBitmap;
  EDirection mDirection;
  bool mHitOnlyHandle;
};

class IKnobLineControl : public IKnobControl
{
public:
  IKnobLineControl(IPlugBase* plug, IRECT r, int paramIdx, const IColor* color, double innerRadius = 0.0,
                   double outerRadius = 0.0, double minAngle = -0.75 * 3.14159265358979323846,
                   double maxAngle = 0.75 * 3.14159265358979323846, EDirection direction = kVertical,
                   double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

class IKnobRotaterControl : public IKnobControl
{
public:
  IKnobRotaterControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                      double minAngle = -0.75 * 3.14159265358979323846, double maxAngle = 0.75 * 3.14159265358979323846,
                      int yOffsetZeroDeg = 0, EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mPivotYOffset;
};

class IKnobRotatingMaskControl : public IKnobControl
{
public:
  IKnobRotatingMaskControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* base, IBitmap* mask, IBitmap* top,
                           double minAngleDegrees = -151.0, double maxAngleDegrees = 151.0,
                           EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};

class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, IRECT offHitRect)
      : ISwitchControl(plug, x, y, paramIdx, bitmap), mOffHitRect(offHitRect)
  {
  }
  bool Draw(IGraphics* graphics) override;

protected:
  IRECT mOffHitRect;
};

class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IPlugBase* plug, IRECT r, int paramIdx, IText* style, bool showParamLabel = true);
  void OnMouseDown(int, int, IMouseMod*) override { PromptUserInput(); }
  void OnMouseDblClick(int, int, IMouseMod*) override { PromptUserInput(); }
  bool Draw(IGraphics* graphics) override;

protected:
  bool mShowParamLabel;
};

class IFileSelectorControl : public IControl
{
public:
  enum EFileSelectorState { kFSNone = 0, kFSSelecting = 1, kFSDone = 2 };

  IFileSelectorControl(IPlugBase* plug, IRECT r, int paramIdx, IBitmap* bitmap, EFileAction action,
                       const char* dir = "", const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  bool IsDirty() override;
  void GetLastSelectedFileForPlug(WDL_String* out) const { out->Set(mFile.Get()); }
  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
  int GetState() const { return mState; }

protected:
  IBitmap mBitmap;
  WDL_String mDir, mFile, mExtensions;
  EFileAction mFileAction;
  int mState = kFSNone;
};
