// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The standalone program's main loop: it waits in poll() for the editor's
// X connection, for the descriptors that say the program should end (a
// signal's, the JACK server's), and for the editor's next frame, and calls
// the editor back on the program's main thread, as a host's run loop would.
#pragma once

#include <chrono>
#include <vector>

#include "EditorRunLoop.h"

class StandaloneRunLoop : public EditorRunLoop
{
public:
  bool Attach(Client* client, int fd, int intervalMs) override;
  void Detach(Client* client) override;
  // Waits until one of wakeFds is readable (true) or up to the editor's next
  // frame, serving the editor meanwhile (false).
  bool Wait(const std::vector<int>& wakeFds);

private:
  using Clock = std::chrono::steady_clock;
  Client* mClient = nullptr;
  int mFd = -1, mIntervalMs = 40;
  Clock::time_point mNext;
};
