// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The editor view the host holds while the editor is shown: it opens the
// graphics context's X11 window inside the host's window, hands it the
// host's run loop, reports the editor's size (times the content scale the
// host sets) and closes the window again.
#pragma once

#include <memory>

#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/common/pluginview.h"

class IPlugVST3;
class VST3RunLoop;

class IPlugVST3View : public Steinberg::CPluginView, public Steinberg::IPlugViewContentScaleSupport
{
public:
  // Holds one reference on the plug-in from construction to destruction.
  explicit IPlugVST3View(IPlugVST3* plug);
  ~IPlugVST3View() override;

  Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
  Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
  Steinberg::tresult PLUGIN_API removed() override;
  Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
  Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
  Steinberg::tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override;

  // Asks the host's frame for a new size (the editor's own resize).
  void resize(int w, int h);

  OBJ_METHODS(IPlugVST3View, CPluginView)
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  REFCOUNT_METHODS(CPluginView)

private:
  IPlugVST3* mPlug;
  bool mExpectingNewSize = false;
  // The host's factor once it sets one; until then the desktop's.
  float Scale();
  float mScale = 1.0f;
  bool mHostScaled = false;
  std::unique_ptr<VST3RunLoop> mRunLoop;  // kept past removed(): a host may call it from within the loop
};
