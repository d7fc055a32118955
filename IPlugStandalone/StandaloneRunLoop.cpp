// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "StandaloneRunLoop.h"

#include <poll.h>

bool StandaloneRunLoop::Attach(Client* client, int fd, int intervalMs)
{
  mClient = client;
  mFd = fd;
  mIntervalMs = intervalMs > 0 ? intervalMs : 40;
  mNext = Clock::now();
  return true;
}

void StandaloneRunLoop::Detach(Client*)
{
  mClient = nullptr;
  mFd = -1;
}

bool StandaloneRunLoop::Wait(const std::vector<int>& wakeFds)
{
  std::vector<pollfd> fds;
  for (int fd : wakeFds) fds.push_back({fd, POLLIN, 0});
  const bool editor = mClient && mFd >= 0;
  if (editor) fds.push_back({mFd, POLLIN, 0});
  const int wait = mClient ? (int) std::chrono::duration_cast<std::chrono::milliseconds>(mNext - Clock::now()).count() : 200;
  poll(fds.data(), fds.size(), wait > 0 ? wait : 0);
  for (size_t i = 0; i < wakeFds.size(); ++i)
    if (fds[i].revents) return true;
  // Each callback may end the editor (a lost server detaches it).
  if (editor && mClient && fds.back().revents) mClient->OnInput();
  if (mClient && Clock::now() >= mNext)
  {
    mNext = Clock::now() + std::chrono::milliseconds(mIntervalMs);
    mClient->OnTimer();
  }
  return false;
}
