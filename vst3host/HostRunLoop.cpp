// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include "HostRunLoop.h"

#include <poll.h>
#include <time.h>

#include <algorithm>

using namespace Steinberg;

namespace vst3host
{
namespace
{
long long NowMs()
{
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long) t.tv_sec * 1000 + t.tv_nsec / 1000000;
}
}  // namespace

tresult PLUGIN_API HostRunLoop::registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd)
{
  if (!handler) return kInvalidArgument;
  mHandlers.push_back({handler, fd});
  return kResultOk;
}

tresult PLUGIN_API HostRunLoop::unregisterEventHandler(Linux::IEventHandler* handler)
{
  const size_t before = mHandlers.size();
  mHandlers.erase(std::remove_if(mHandlers.begin(), mHandlers.end(), [&](const Handler& h) { return h.handler == handler; }),
                  mHandlers.end());
  return before != mHandlers.size() ? kResultOk : kResultFalse;
}

tresult PLUGIN_API HostRunLoop::registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval milliseconds)
{
  if (!handler || !milliseconds) return kInvalidArgument;
  mTimers.push_back({handler, (int) milliseconds, NowMs() + (long long) milliseconds});
  return kResultOk;
}

tresult PLUGIN_API HostRunLoop::unregisterTimer(Linux::ITimerHandler* handler)
{
  const size_t before = mTimers.size();
  mTimers.erase(std::remove_if(mTimers.begin(), mTimers.end(), [&](const Timer& t) { return t.handler == handler; }),
                mTimers.end());
  return before != mTimers.size() ? kResultOk : kResultFalse;
}

tresult PLUGIN_API HostRunLoop::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, Linux::IRunLoop)
  QUERY_INTERFACE(iid, obj, Linux::IRunLoop::iid, Linux::IRunLoop)
  *obj = nullptr;
  return kNoInterface;
}

void HostRunLoop::Pump(int ms)
{
  const long long end = NowMs() + ms;
  do
  {
    long long wait = end - NowMs();
    for (const Timer& t : mTimers) wait = std::min(wait, t.due - NowMs());
    std::vector<pollfd> fds;
    for (const Handler& h : mHandlers) fds.push_back({h.fd, POLLIN, 0});
    poll(fds.data(), fds.size(), (int) std::max(0LL, wait));
    // Handlers may unregister themselves (or others) while called: work on
    // copies and check membership before each call.
    const std::vector<Handler> handlers = mHandlers;
    for (size_t i = 0; i < fds.size() && i < handlers.size(); ++i)
      if ((fds[i].revents & POLLIN) &&
          std::any_of(mHandlers.begin(), mHandlers.end(), [&](const Handler& h) { return h.handler == handlers[i].handler; }))
        handlers[i].handler->onFDIsSet(handlers[i].fd);
    const long long now = NowMs();
    const std::vector<Timer> timers = mTimers;
    for (const Timer& t : timers)
    {
      auto it = std::find_if(mTimers.begin(), mTimers.end(), [&](const Timer& m) { return m.handler == t.handler; });
      if (it == mTimers.end() || it->due > now) continue;
      it->due = now + it->interval;
      t.handler->onTimer();
    }
  } while (NowMs() < end);
}

tresult PLUGIN_API HostPlugFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
  ++mResizes;
  if (newSize) mLastSize = *newSize;
  return view && newSize ? view->onSize(newSize) : kInvalidArgument;
}

tresult PLUGIN_API HostPlugFrame::queryInterface(const TUID iid, void** obj)
{
  QUERY_INTERFACE(iid, obj, FUnknown::iid, IPlugFrame)
  QUERY_INTERFACE(iid, obj, IPlugFrame::iid, IPlugFrame)
  if (mLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
  {
    *obj = static_cast<Linux::IRunLoop*>(mLoop);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}
}  // namespace vst3host
