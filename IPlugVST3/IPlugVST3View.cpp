// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "IPlugVST3View.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "IGraphicsLinux.h"
#include "IPlugVST3.h"
#include "VST3RunLoop.h"

using namespace Steinberg;

IPlugVST3View::IPlugVST3View(IPlugVST3* plug) : mPlug(plug)
{
  if (mPlug) mPlug->addRef();
}

IPlugVST3View::~IPlugVST3View()
{
  if (isAttached()) removed();
  if (mPlug)
  {
    mPlug->removeDependentView(this);
    mPlug->release();
  }
}

tresult PLUGIN_API IPlugVST3View::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, IPlugViewContentScaleSupport::iid, IPlugViewContentScaleSupport)
  return CPluginView::queryInterface(iid, obj);
}

tresult PLUGIN_API IPlugVST3View::isPlatformTypeSupported(FIDString type)
{
  return mPlug && mPlug->GetGUI() && type && !strcmp(type, kPlatformTypeX11EmbedWindowID) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API IPlugVST3View::attached(void* parent, FIDString type)
{
  // Any other platform type opens nothing and runs no hook. A view shows
  // in one parent at a time, and an instance's one editor in one view: a
  // second attach would take the window away from the first.
  if (isPlatformTypeSupported(type) != kResultTrue || !parent || isAttached()) return kResultFalse;
  if (mPlug->AttachedView()) return kResultFalse;
  IGraphics* graphics = mPlug->GetGUI();
  if (auto* linux = dynamic_cast<IGraphicsLinux*>(graphics))
  {
    // The host's run loop: from the frame, else from the host context.
    Linux::IRunLoop* loop = nullptr;
    if (plugFrame) plugFrame->queryInterface(Linux::IRunLoop::iid, (void**) &loop);
    if (!loop && mPlug->GetHostContext()) mPlug->GetHostContext()->queryInterface(Linux::IRunLoop::iid, (void**) &loop);
    mRunLoop.reset(loop ? new VST3RunLoop(loop) : nullptr);
    if (loop) loop->release();  // the adapter keeps its own reference
    linux->SetRunLoop(mRunLoop.get());
    linux->SetContentScale(Scale());
  }
  if (!graphics->OpenWindow(parent)) return kResultFalse;
  systemWindow = parent;
  mPlug->OnGUIOpen();
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::removed()
{
  if (mPlug && mPlug->GetGUI() && isAttached())
  {
    mPlug->OnGUIClose();
    mPlug->GetGUI()->CloseWindow();
  }
  return CPluginView::removed();
}

tresult PLUGIN_API IPlugVST3View::getSize(ViewRect* size)
{
  IGraphics* graphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!graphics || !size) return kResultFalse;
  const float s = Scale();
  *size = ViewRect(0, 0, (int32) std::lround(graphics->Width() * s), (int32) std::lround(graphics->Height() * s));
  return kResultOk;
}

tresult PLUGIN_API IPlugVST3View::onSize(ViewRect* newSize)
{
  if (newSize)
  {
    rect = *newSize;
    if (mExpectingNewSize)
    {
      mPlug->OnWindowResize();
      mExpectingNewSize = false;
    }
  }
  return kResultTrue;
}

float IPlugVST3View::Scale()
{
  // A host that never sets a factor gets the desktop's (Xft.dpi / 96).
  if (!mHostScaled)
  {
    mScale = IGraphicsLinux::DesktopScale();
    mHostScaled = true;
  }
  return mScale;
}

tresult PLUGIN_API IPlugVST3View::setContentScaleFactor(ScaleFactor factor)
{
  // Any factor from 1 to 3; what the host sets wins over the desktop's.
  const float scale = !(factor >= 1.0f) ? 1.0f : factor > 3.0f ? 3.0f : factor;
  const float before = Scale();
  mScale = scale;
  if (scale == before) return kResultOk;
  // The instance's one editor window belongs to the attached view: another
  // view keeps its factor for when it is attached itself.
  if (!isAttached()) return kResultOk;
  if (auto* linux = dynamic_cast<IGraphicsLinux*>(mPlug ? mPlug->GetGUI() : nullptr)) linux->SetContentScale(mScale);
  // An open editor has a new size: the host's frame must follow.
  if (plugFrame && mPlug->GetGUI())
  {
    ViewRect r;
    getSize(&r);
    plugFrame->resizeView(this, &r);
  }
  return kResultOk;
}

void IPlugVST3View::resize(int w, int h)
{
  mExpectingNewSize = true;
  const float s = Scale();
  ViewRect r(0, 0, (int32) std::lround(w * s), (int32) std::lround(h * s));
  if (plugFrame) plugFrame->resizeView(this, &r);
}
