// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "VST3RunLoop.h"

using namespace Steinberg;

VST3RunLoop::VST3RunLoop(Linux::IRunLoop* loop) : mLoop(loop)
{
  if (mLoop) mLoop->addRef();
}

VST3RunLoop::~VST3RunLoop()
{
  Unregister();
  if (mLoop) mLoop->release();
}

bool VST3RunLoop::Attach(Client* client, int fd, int intervalMs)
{
  if (!mLoop || !client) return false;
  Unregister();
  mClient = client;
  mDetachPending = false;
  const bool timer = mLoop->registerTimer(this, (Linux::TimerInterval) intervalMs) == kResultOk;
  const bool input = mLoop->registerEventHandler(this, fd) == kResultOk;
  mRegistered = timer || input;
  return timer;
}

void VST3RunLoop::Detach(Client*)
{
  mClient = nullptr;
  if (mInCallback) mDetachPending = true;
  else Unregister();
}

void VST3RunLoop::Unregister()
{
  if (!mRegistered || !mLoop) return;
  mLoop->unregisterTimer(this);
  mLoop->unregisterEventHandler(this);
  mRegistered = false;
}

void PLUGIN_API VST3RunLoop::onTimer()
{
  ++mInCallback;
  if (mClient) mClient->OnTimer();
  if (--mInCallback == 0 && mDetachPending)
  {
    mDetachPending = false;
    Unregister();
  }
}

void PLUGIN_API VST3RunLoop::onFDIsSet(Linux::FileDescriptor)
{
  ++mInCallback;
  if (mClient) mClient->OnInput();
  if (--mInCallback == 0 && mDetachPending)
  {
    mDetachPending = false;
    Unregister();
  }
}

tresult PLUGIN_API VST3RunLoop::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, Linux::ITimerHandler)
  QUERY_INTERFACE(iid, obj, Linux::ITimerHandler::iid, Linux::ITimerHandler)
  QUERY_INTERFACE(iid, obj, Linux::IEventHandler::iid, Linux::IEventHandler)
  *obj = nullptr;
  return kNoInterface;
}
