// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The one thing the X11 editor needs from whoever hosts it: a loop on the
// host's user-interface thread that calls it back on a timer and when its
// X connection has input. The VST 3 binding adapts the host's run loop to
// this; without one, ThreadRunLoop stands in (see there).
#pragma once

#include <atomic>
#include <memory>
#include <thread>

class EditorRunLoop
{
public:
  struct Client
  {
    virtual ~Client() = default;
    virtual void OnTimer() = 0;
    virtual void OnInput() = 0;
  };
  virtual ~EditorRunLoop() = default;
  // Calls client->OnTimer every intervalMs and client->OnInput when fd is
  // readable, until Detach. False when the loop cannot take it.
  virtual bool Attach(Client* client, int fd, int intervalMs) = 0;
  // Stops the callbacks. Safe from inside one of them: the loop then stops
  // them as soon as that callback returns.
  virtual void Detach(Client* client) = 0;
};

// The fallback for hosts that offer no run loop: a thread of its own that
// polls the descriptor and keeps the timer. The editor then draws and takes
// input on that thread, with its own X connection, as the host's own user
// interface keeps running; everything the editor shares with other threads
// is already made for that (values pushed from any thread, the framework
// mutex for gestures).
class ThreadRunLoop : public EditorRunLoop
{
public:
  ~ThreadRunLoop() override { Detach(nullptr); }
  bool Attach(Client* client, int fd, int intervalMs) override;
  void Detach(Client* client) override;
  // Whether the caller is the loop's thread (the one place the editor's
  // drawing state may change while the loop runs).
  bool OnLoopThread() const { return mThread.get_id() == std::this_thread::get_id(); }

private:
  std::thread mThread;
  // Shared with the thread: one that stopped itself from inside a callback
  // outlives this object by the rest of that callback.
  std::shared_ptr<std::atomic<bool>> mStop;
};
