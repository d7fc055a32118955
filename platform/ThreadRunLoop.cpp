// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include <poll.h>

#include <chrono>

#include "EditorRunLoop.h"

bool ThreadRunLoop::Attach(Client* client, int fd, int intervalMs)
{
  Detach(nullptr);
  mStop = std::make_shared<std::atomic<bool>>(false);
  mThread = std::thread([stop = mStop, client, fd, intervalMs] {
    using clock = std::chrono::steady_clock;
    auto next = clock::now() + std::chrono::milliseconds(intervalMs);
    while (!stop->load())
    {
      const int wait = (int) std::chrono::duration_cast<std::chrono::milliseconds>(next - clock::now()).count();
      pollfd p = {fd, POLLIN, 0};
      if (poll(&p, 1, wait > 0 ? wait : 0) > 0 && !stop->load()) client->OnInput();
      if (clock::now() >= next && !stop->load())
      {
        client->OnTimer();
        next += std::chrono::milliseconds(intervalMs);
      }
    }
  });
  return true;
}

void ThreadRunLoop::Detach(Client*)
{
  if (mStop) mStop->store(true);
  // From inside a callback the thread cannot join itself: it leaves the
  // loop when the callback returns.
  if (mThread.joinable())
  {
    if (mThread.get_id() == std::this_thread::get_id()) mThread.detach();
    else mThread.join();
  }
}
