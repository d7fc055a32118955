// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// Input dispatch: the platform hands over mouse and key events in editor
// pixels; the context finds the control, keeps the gesture's state and
// brackets parameter gestures with begin-edit and end-edit. Value prompts
// turn a control's request into a popup menu or a text entry.
#include <cstdlib>
#include <cstring>

#include "../IPlug/IPlugBase.h"
#include "IControl.h"
#include "IGraphics.h"
#include "IPopupMenu.h"

namespace
{
const int kAPIVST3Binding = 1;
}

void IGraphics::ReleaseMouseCapture()
{
  mMouseCapture = mMouseX = mMouseY = -1;
}

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver)
{
  if (mMouseCapture >= 0) return mMouseCapture;
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* c = mControls.Get(i);
    if (c->IsHidden()) continue;
    if (c->IsGrayed() && !(mouseOver && c->GetMOWhenGrayed())) continue;
    if (c->IsHit(x, y)) return i;
  }
  return -1;
}

bool IGraphics::BeginGesture(int param)
{
  if (param < 0 || !mPlug || param == mGestureParam) return false;
  EndGesture();
  mGestureParam = param;
  mPlug->BeginInformHostOfParamChange(param);
  return true;
}

void IGraphics::EndGesture()
{
  if (mGestureParam < 0) return;
  const int param = mGestureParam;
  mGestureParam = -1;
  if (mPlug) mPlug->EndInformHostOfParamChange(param);
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  EndGesture();  // a release we never saw
  const int c = GetMouseControlIdx(x, y);
  if (c < 0) return;
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  IControl* control = mControls.Get(c);
  const int p = control->ParamIdx();
  if (mPlug && mPlug->GetAPI() == kAPIVST3Binding && mod && mod->right && p >= 0)
  {
    ReleaseMouseCapture();
    mPlug->PopupHostContextMenuForParam(p, x, y);
    return;
  }
  BeginGesture(p);
  control->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod)
{
  const int c = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  // The gesture ends on the parameter it began with, even when the up-call
  // replaces the controls (a resize rebuilds them).
  if (IControl* control = mControls.Get(c)) control->OnMouseUp(x, y, mod);
  EndGesture();
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod)
{
  IControl* control = mControls.Get(mMouseCapture);
  if (!control) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  if (!dX && !dY) return;
  mMouseX = x;
  mMouseY = y;
  control->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  EndGesture();
  const int c = GetMouseControlIdx(x, y);
  IControl* control = mControls.Get(c);
  if (!control) return false;
  if (control->GetDblAsSingleClick())
  {
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    BeginGesture(control->ParamIdx());
    control->OnMouseDown(x, y, mod);
    return true;
  }
  // A reset is a gesture of its own; the button's release finds it closed.
  const bool opened = BeginGesture(control->ParamIdx());
  control->OnMouseDblClick(x, y, mod);
  if (opened) EndGesture();
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int delta)
{
  IControl* control = mControls.Get(GetMouseControlIdx(x, y));
  if (!control) return;
  // Each notch is one gesture, unless it turns the knob being dragged.
  const bool opened = BeginGesture(control->ParamIdx());
  control->OnMouseWheel(x, y, mod, delta);
  if (opened) EndGesture();
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod)
{
  if (!mHandleMouseOver) return false;
  const int c = GetMouseControlIdx(x, y, true);
  if (c >= 0)
  {
    mMouseX = x;
    mMouseY = y;
    mControls.Get(c)->OnMouseOver(x, y, mod);
    if (mMouseOver >= 0 && mMouseOver != c)
      if (IControl* previous = mControls.Get(mMouseOver)) previous->OnMouseOut();
    mMouseOver = c;
  }
  return true;
}

void IGraphics::OnMouseOut()
{
  for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  const int c = GetMouseControlIdx(x, y);
  if (c > 0) return mControls.Get(c)->OnKeyDown(x, y, key);
  if (mKeyCatcher) return mKeyCatcher->OnKeyDown(x, y, key);
  return false;
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y)
{
  const int c = GetMouseControlIdx(x, y);
  mLastClickedParam = c > 0 ? mControls.Get(c)->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int p = mLastClickedParam;
  mLastClickedParam = -1;
  return p;
}

// ---- Value prompts ----------------------------------------------------------------------

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* area)
{
  if (!control || !param || !area) return;
  const int n = param->GetNDisplayTexts();
  char current[32];
  if (param->Type() == IParam::kTypeEnum || (param->Type() == IParam::kTypeBool && n > 0))
  {
    param->GetDisplayForHost(param->Value(), false, current, true, (int) sizeof(current));
    IPopupMenu menu;
    for (int i = 0; i < n; ++i)
    {
      const char* text = param->GetDisplayText(i);  // the text of value i
      menu.AddItem(text, -1, !strcmp(text, current) ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
    }
    if (IPopupMenu* chosen = CreateIPopupMenu(&menu, area))
    {
      const bool opened = BeginGesture(control->ParamIdx());
      control->SetValueFromUserInput(param->GetNormalized((double) chosen->GetChosenItemIdx()));
      if (opened) EndGesture();
    }
    return;
  }
  param->GetDisplayForHost(param->Value(), false, current, false, (int) sizeof(current));
  CreateTextEntry(control, control->GetText(), area, current, param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text)
{
  if (!param || !control) return;
  double v = 0.0;
  if (param->Type() == IParam::kTypeBool || param->Type() == IParam::kTypeEnum)
  {
    int mapped = 0;
    if (param->MapDisplayText(text ? text : "", &mapped)) v = (double) mapped;
  }
  else
  {
    v = strtod(text ? text : "", nullptr);
    if (param->DisplayIsNegated()) v = -v;
  }
  const bool opened = BeginGesture(control->ParamIdx());
  control->SetValueFromUserInput(param->GetNormalized(v));
  if (opened) EndGesture();
}
