// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The host side of an editor on Linux: a run loop (timers and descriptor
// handlers, driven by Pump on the host's user-interface thread) and a plug
// frame that offers it, as Linux VST 3 hosts do.
#pragma once

#include <vector>

#include "HostObjects.h"
#include "pluginterfaces/gui/iplugview.h"

namespace vst3host
{
class HostRunLoop : public Steinberg::Linux::IRunLoop
{
public:
  Steinberg::tresult PLUGIN_API registerEventHandler(Steinberg::Linux::IEventHandler* handler,
                                                     Steinberg::Linux::FileDescriptor fd) override;
  Steinberg::tresult PLUGIN_API unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
  Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                              Steinberg::Linux::TimerInterval milliseconds) override;
  Steinberg::tresult PLUGIN_API unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_FIXED_REFCOUNT

  // Runs the loop for about ms milliseconds: descriptor handlers when their
  // descriptor is readable, timers when due.
  void Pump(int ms);
  int NTimers() const { return (int) mTimers.size(); }
  int NHandlers() const { return (int) mHandlers.size(); }

private:
  struct Timer
  {
    Steinberg::Linux::ITimerHandler* handler;
    int interval;
    long long due;
  };
  struct Handler
  {
    Steinberg::Linux::IEventHandler* handler;
    int fd;
  };
  std::vector<Timer> mTimers;
  std::vector<Handler> mHandlers;
};

class HostPlugFrame : public Steinberg::IPlugFrame
{
public:
  explicit HostPlugFrame(HostRunLoop* loop) : mLoop(loop) {}
  Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view, Steinberg::ViewRect* newSize) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  VST3HOST_FIXED_REFCOUNT
  int Resizes() const { return mResizes; }
  const Steinberg::ViewRect& LastSize() const { return mLastSize; }

private:
  HostRunLoop* mLoop;
  int mResizes = 0;
  Steinberg::ViewRect mLastSize;
};
}  // namespace vst3host
