#include "X11ErrorTrap.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <atomic>
#include <mutex>
#include <vector>

namespace
{
// Held from a trap's start to its end: one set of our handlers at a time.
std::recursive_mutex gTrapMutex;
thread_local X11ErrorTrap* tInnermost = nullptr;
thread_local int tDepth = 0;  // traps open on this thread
std::atomic<XErrorHandler> gPreviousError{nullptr};
std::atomic<XIOErrorHandler> gPreviousIO{nullptr};

// Our displays, and those whose server is gone.
std::mutex gRegistryMutex;
std::vector<Display*> gOwn, gLost;

bool Contains(const std::vector<Display*>& list, Display* dpy)
{
  return std::find(list.begin(), list.end(), dpy) != list.end();
}

bool IsOwn(Display* dpy)
{
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  return Contains(gOwn, dpy);
}

int TrapIOErrorHandler(Display* dpy)
{
  if (IsOwn(dpy))
  {
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    if (!Contains(gLost, dpy)) gLost.push_back(dpy);
    return 0;  // then Xlib calls our exit handler, which returns: no exit
  }
  const XIOErrorHandler previous = gPreviousIO.load();
  return previous ? previous(dpy) : 0;
}

void NoExit(Display*, void*) {}
}  // namespace

int X11TrapErrorHandler(Display* dpy, XErrorEvent* error)
{
  bool ours = false;
  for (X11ErrorTrap* t = tInnermost; t; t = t->mOuter)
    if (t->mDisplay == dpy)
    {
      if (!t->mErrors++) t->mResource = error->resourceid, t->mCode = error->error_code;
      ours = true;
    }
  // Errors of our connections never reach the host, even outside a trap.
  if (ours || IsOwn(dpy)) return 0;
  const XErrorHandler previous = gPreviousError.load();
  return previous ? previous(dpy, error) : 0;
}

Display* X11OpenOwnDisplay()
{
  // A server resetting after its last client left refuses us for a moment.
  Display* dpy = nullptr;
  const int attempts = getenv("DISPLAY") ? 10 : 1;
  for (int attempt = 0; attempt < attempts && !(dpy = XOpenDisplay(nullptr)); ++attempt) usleep(20 * 1000);
  if (!dpy) return nullptr;
  XSetIOErrorExitHandler(dpy, NoExit, nullptr);
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  gOwn.push_back(dpy);
  return dpy;
}

void X11CloseOwnDisplay(Display* dpy)
{
  if (!dpy) return;
  {
    X11ErrorTrap trap(dpy);
    XCloseDisplay(dpy);
    // The trap's closing sync must not touch the closed display.
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    gLost.push_back(dpy);
  }
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  gOwn.erase(std::remove(gOwn.begin(), gOwn.end(), dpy), gOwn.end());
  gLost.erase(std::remove(gLost.begin(), gLost.end(), dpy), gLost.end());
}

bool X11DisplayLost(Display* dpy)
{
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  return Contains(gLost, dpy);
}

X11ErrorTrap::X11ErrorTrap(Display* dpy) : mDisplay(dpy)
{
  gTrapMutex.lock();
  ++tDepth;
  mOuter = tInnermost;
  if (!mOuter)
  {
    gPreviousError.store(XSetErrorHandler(X11TrapErrorHandler));
    gPreviousIO.store(XSetIOErrorHandler(TrapIOErrorHandler));
  }
  tInnermost = this;
}

bool X11ErrorTrap::Failed()
{
  if (mDisplay && !X11DisplayLost(mDisplay)) XSync(mDisplay, False);
  return mErrors > 0;
}

X11ErrorTrap::~X11ErrorTrap()
{
  if (mDisplay && !X11DisplayLost(mDisplay)) XSync(mDisplay, False);
  tInnermost = mOuter;
  if (!mOuter)
  {
    XSetErrorHandler(gPreviousError.load());
    XSetIOErrorHandler(gPreviousIO.load());
  }
  --tDepth;
  gTrapMutex.unlock();
}

X11TrapPause::X11TrapPause() : mInnermost(tInnermost), mDepth(tDepth)
{
  for (X11ErrorTrap* t = mInnermost; t; t = t->mOuter)
    if (t->mDisplay && !X11DisplayLost(t->mDisplay)) XSync(t->mDisplay, False);
  if (mInnermost)
  {
    XSetErrorHandler(gPreviousError.load());
    XSetIOErrorHandler(gPreviousIO.load());
  }
  tInnermost = nullptr;
  tDepth = 0;
  for (int i = 0; i < mDepth; ++i) gTrapMutex.unlock();
}

X11TrapPause::~X11TrapPause()
{
  for (int i = 0; i < mDepth; ++i) gTrapMutex.lock();
  tDepth = mDepth;
  tInnermost = mInnermost;
  if (mInnermost)
  {
    gPreviousError.store(XSetErrorHandler(X11TrapErrorHandler));
    gPreviousIO.store(XSetIOErrorHandler(TrapIOErrorHandler));
  }
}
