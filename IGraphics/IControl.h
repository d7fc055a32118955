// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Controls: rectangular elements of the editor that draw themselves into
// the graphics context's off-screen bitmap, may be bound to one parameter
// whose normalized value they show and edit, and react to the mouse.
// IControl holds the value, dirty and redraw protocol; the concrete
// controls here are the ones the editor is built from.
#pragma once

#include <atomic>

#include "../wdl/WDL_String.h"
#include "../wdl/WDL_TypedBuf.h"
#include "IGraphicsStructs.h"

class IGraphics;
class IPlugBase;
class ITextControl;

// The frame of an N-frame image that shows a value: (N - 1) v rounded half
// up, as frames 1..N, the first and last for values outside 0..1 (and NaN).
int FrameForValue(double value, int frames);

class IControl
{
public:
  struct AuxParam
  {
    double mValue;
    int mParamIdx;
  };

  IControl(IPlugBase* plug, IRECT r, int paramIdx = -1, EBlendMethod method = kBlendNone);
  virtual ~IControl() = default;
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int, int, IMouseMod*) {}
  virtual void OnMouseDrag(int, int, int, int, IMouseMod*) {}
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  virtual void OnMouseWheel(int, int, IMouseMod*, int) {}
  virtual bool OnKeyDown(int, int, int) { return false; }
  virtual void OnMouseOver(int, int, IMouseMod*) {}
  virtual void OnMouseOut() {}
  virtual bool Draw(IGraphics* graphics) = 0;
  virtual void SetValueFromPlug(double value);
  virtual void SetValueFromUserInput(double value);
  virtual void TextFromTextEntry(const char*) {}
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y) { return mHitRect.Contains(x, y); }
  virtual void SetDirty(bool pushToPlug = true);
  virtual void SetClean();
  virtual bool IsDirty() { return mDirty; }
  virtual void OnGUIIdle() {}
  virtual void SetAuxParamValueFromPlug(int auxIdx, double value);

  void PromptUserInput();
  void PromptUserInput(IRECT* area);
  AuxParam* GetAuxParam(int auxIdx);
  int AuxParamIdx(int paramIdx) const;
  void AddAuxParam(int paramIdx);
  void SetAllAuxParamsFromGUI();
  int NAuxParams() const { return mAuxParams.GetSize(); }

  int ParamIdx() const { return mParamIdx; }
  void SetParamIdx(int idx) { mParamIdx = idx; }
  IRECT* GetRECT() { return &mRect; }
  IRECT* GetHitRECT() { return &mHitRect; }
  void SetTargetArea(IRECT r) { mHitRect = r; }
  double GetValue() const { return mValue; }
  void SetValue(double v) { mValue = v; }
  double GetDefaultValue() const { return mDefaultValue; }
  void SetDefaultValue(double v) { mDefaultValue = v; }
  IChannelBlend* GetBlend() { return &mBlend; }
  IText* GetText() { return &mText; }
  void SetText(const IText& text) { mText = text; }
  int GetTextEntryLength() const { return mTextEntryMaxChars; }
  void SetTextEntryLength(int n) { mTextEntryMaxChars = n; }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool GetMOWhenGrayed() const { return mMouseOverWhenGrayed; }
  void SetMOWhenGrayed(bool allow) { mMouseOverWhenGrayed = allow; }
  bool GetDblAsSingleClick() const { return mDoubleClickAsSingle; }
  void SetDblAsSingleClick(bool single) { mDoubleClickAsSingle = single; }
  bool GetNoPrompt() const { return mNoPrompt; }
  void DisablePrompt(bool disable) { mNoPrompt = disable; }
  void SetValDisplayControl(ITextControl* control) { mValueDisplayControl = control; }
  void SetNameDisplayControl(ITextControl* control) { mNameDisplayControl = control; }
  void SetTooltip(const char* text) { mTooltip.Set(text); }
  const char* GetTooltip() const { return mTooltip.Get(); }
  void SetClamp(double lo, double hi)
  {
    mClampLo = lo;
    mClampHi = hi;
  }

protected:
  int mTextEntryMaxChars = 7;
  IText mText;
  IPlugBase* mPlug;
  IRECT mRect, mHitRect;
  int mParamIdx;
  WDL_TypedBuf<AuxParam> mAuxParams{(int) sizeof(AuxParam) * 4};
  double mValue = 0.0;
  double mDefaultValue = -1.0;
  double mClampLo = 0.0, mClampHi = 1.0;
  bool mDirty = true;
  bool mHide = false;
  bool mGrayed = false;
  bool mRedrawRequested = false;
  bool mNoPrompt = true;
  bool mDoubleClickAsSingle = false;
  bool mMouseOverWhenGrayed = false;
  IChannelBlend mBlend;
  ITextControl* mValueDisplayControl = nullptr;
  ITextControl* mNameDisplayControl = nullptr;
  WDL_String mTooltip;
};

// A rectangle filled with one colour.
class IPanelControl : public IControl
{
public:
  IPanelControl(IPlugBase* plug, IRECT r, const IColor* color);
  bool Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
};

// An image, one frame of it chosen by the value.
class IBitmapControl : public IControl
{
public:
  IBitmapControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, EBlendMethod method = kBlendNone);
  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
};

// A knob: vertical or horizontal dragging and the wheel change the value.
class IKnobControl : public IControl
{
public:
  IKnobControl(IPlugBase* plug, IRECT r, int paramIdx, EDirection direction = kVertical, double gearing = 4.0);
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int delta) override;

protected:
  EDirection mDirection;
  double mGearing;
};

// A knob drawn from a film strip, one frame per position.
class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IPlugBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, EDirection direction = kVertical,
                    double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
};

// A line of text in a style. Its text may be set from any thread that
// holds the plug-in's mutex (the parameter-change hook writes read-outs on
// the audio thread): the text goes into a fixed buffer published whole, and
// the user-interface thread takes it before it looks at or draws the
// control. Nothing on the writing side allocates or waits.
class ITextControl : public IControl
{
public:
  static const int kMaxText = 128;  // longer texts are cut

  ITextControl(IPlugBase* plug, IRECT r, IText* style, const char* text = "");
  bool Draw(IGraphics* graphics) override;
  bool IsDirty() override;
  // Marks the control for redrawing when text differs from what it shows.
  void SetTextFromPlug(const char* text);
  // The text shown, with any newly published text taken first (the
  // user-interface thread only).
  const char* GetTextShown();

private:
  void TakePublishedText();

  WDL_String mStr;
  // Three buffers: the writer fills its own, then swaps it with the middle
  // one; the reader swaps the middle one with its own when a new text is
  // there. No buffer is ever read and written at once.
  char mBuffers[3][kMaxText];
  int mWriteIdx = 0;                // the writer's buffer (writers hold the plug-in's mutex)
  int mReadIdx = 1;                 // the reader's buffer
  std::atomic<int> mMiddle{2};      // index of the middle buffer, | kFresh when it holds a new text
  static const int kFresh = 4;
};

// An invisible area that opens a web address.
class IURLControl : public IControl
{
public:
  IURLControl(IPlugBase* plug, IRECT r, const char* url, const char* backupURL = nullptr,
              const char* errorMessage = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
  const char* GetURL() const { return mURL; }

protected:
  char mURL[256] = {};
  char mBackupURL[256] = {};
  char mErrorMessage[1024] = {};
};
