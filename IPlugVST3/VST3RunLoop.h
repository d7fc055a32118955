// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The host's VST 3 run loop (Steinberg::Linux::IRunLoop) as the editor's
// event loop: one timer and one descriptor handler, registered while the
// editor is open. A detach asked for from inside one of the loop's own
// callbacks waits until that callback has returned, since some hosts
// cannot unregister a timer from within it.
#pragma once

#include "EditorRunLoop.h"
#include "pluginterfaces/gui/iplugview.h"

class VST3RunLoop : public EditorRunLoop,
                    public Steinberg::Linux::ITimerHandler,
                    public Steinberg::Linux::IEventHandler
{
public:
  explicit VST3RunLoop(Steinberg::Linux::IRunLoop* loop);
  ~VST3RunLoop() override;

  bool Attach(Client* client, int fd, int intervalMs) override;
  void Detach(Client* client) override;

  void PLUGIN_API onTimer() override;
  void PLUGIN_API onFDIsSet(Steinberg::Linux::FileDescriptor fd) override;
  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
  // Owned by its view; the host's references do not decide its lifetime.
  Steinberg::uint32 PLUGIN_API addRef() override { return 1000; }
  Steinberg::uint32 PLUGIN_API release() override { return 1000; }

private:
  void Unregister();

  Steinberg::Linux::IRunLoop* mLoop;
  Client* mClient = nullptr;
  bool mRegistered = false;
  int mInCallback = 0;
  bool mDetachPending = false;
};
