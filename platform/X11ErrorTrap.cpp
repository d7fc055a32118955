// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "X11ErrorTrap.h"
// For XESetWireToError and the wire error; last, since it defines min and max.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace
{
// One record per display of ours: the errors it caught (the last few, with
// their running numbers) and whether its server is gone. The mutex guards
// the list only; no Xlib call is made while it is held.
struct OwnDisplay
{
  Display* dpy = nullptr;
  bool lost = false;
  unsigned long errors = 0;
  struct Caught
  {
    unsigned long number, resource;
    int code;
  };
  std::vector<Caught> recent;  // at most kRecent, oldest first
};
const size_t kRecent = 32;
std::mutex gMutex;
std::vector<OwnDisplay> gOwn;

OwnDisplay* Find(Display* dpy)
{
  for (OwnDisplay& d : gOwn)
    if (d.dpy == dpy) return &d;
  return nullptr;
}

// Xlib calls this, with the display locked, for every error on one of our
// displays, before it would call the process-wide handler; False drops the
// error there.
Bool CatchError(Display* dpy, XErrorEvent* error, xError* wire)
{
  std::lock_guard<std::mutex> lock(gMutex);
  if (OwnDisplay* d = Find(dpy))
  {
    ++d->errors;
    if (d->recent.size() == kRecent) d->recent.erase(d->recent.begin());
    d->recent.push_back({d->errors, wire ? (unsigned long) wire->resourceID : error->resourceid, error->error_code});
  }
  return False;
}

bool MarkLost(Display* dpy)
{
  std::lock_guard<std::mutex> lock(gMutex);
  OwnDisplay* d = Find(dpy);
  if (d) d->lost = true;
  return d != nullptr;
}

// The display's exit handler: returning keeps the process alive.
void NoteLost(Display* dpy, void*) { MarkLost(dpy); }

// Xlib calls the process-wide I/O error handler before a display's exit
// handler, and its default one ends the process. So one handler of ours is
// installed once, for the life of the process (the module is pinned in
// memory first, so the handler never points into unloaded code): it
// returns for our displays and hands every other display to the handler it
// found, or to Xlib's default. It is never put in and out again, which is
// what a host thread swapping handlers could interleave with.
XIOErrorHandler gPreviousIO = nullptr;

int IOErrorHandler(Display* dpy)
{
  if (MarkLost(dpy)) return 0;
  const XIOErrorHandler previous = gPreviousIO;
  return previous ? previous(dpy) : _XDefaultIOError(dpy);
}

void PinModule()
{
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&IOErrorHandler), &info) && info.dli_fname)
    dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

void InstallIOErrorHandlerOnce()
{
  static std::once_flag once;
  std::call_once(once, [] {
    PinModule();
    const XIOErrorHandler previous = XSetIOErrorHandler(IOErrorHandler);
    gPreviousIO = previous == IOErrorHandler ? nullptr : previous;
  });
}

// XSetIOErrorExitHandler is libX11 1.7.1's; the module must load without it.
using ExitHandler = void (*)(Display*, void*);
using SetExitHandler = void (*)(Display*, ExitHandler, void*);
SetExitHandler ExitHandlerSetter()
{
  static const SetExitHandler setter =
      reinterpret_cast<SetExitHandler>(dlsym(RTLD_DEFAULT, "XSetIOErrorExitHandler"));
  return setter;
}
}  // namespace

bool X11SurvivesLostServer() { return ExitHandlerSetter() != nullptr; }

Display* X11OpenOwnDisplay()
{
  // A server resetting after its last client left refuses us for a moment.
  Display* dpy = nullptr;
  const int attempts = getenv("DISPLAY") ? 10 : 1;
  for (int attempt = 0; attempt < attempts && !(dpy = XOpenDisplay(nullptr)); ++attempt) usleep(20 * 1000);
  if (!dpy) return nullptr;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    OwnDisplay own;
    own.dpy = dpy;
    gOwn.push_back(own);
  }
  // Every error code, core and extension: nothing of ours reaches the host.
  for (int code = 1; code < 256; ++code) XESetWireToError(dpy, code, CatchError);
  if (SetExitHandler set = ExitHandlerSetter()) set(dpy, NoteLost, nullptr);
  InstallIOErrorHandlerOnce();
  return dpy;
}

void X11CloseOwnDisplay(Display* dpy)
{
  if (!dpy) return;
  {
    // Forgotten first: the next display opened may have the same address.
    // The display's own hooks still swallow what its closing brings.
    std::lock_guard<std::mutex> lock(gMutex);
    gOwn.erase(std::remove_if(gOwn.begin(), gOwn.end(), [dpy](const OwnDisplay& d) { return d.dpy == dpy; }), gOwn.end());
  }
  XCloseDisplay(dpy);
}

bool X11DisplayLost(Display* dpy)
{
  std::lock_guard<std::mutex> lock(gMutex);
  const OwnDisplay* d = Find(dpy);
  return d && d->lost;
}

X11ErrorTrap::X11ErrorTrap(Display* dpy) : mDisplay(dpy) { Reset(); }

X11ErrorTrap::~X11ErrorTrap()
{
  if (mDisplay && !X11DisplayLost(mDisplay)) XFlush(mDisplay);
}

void X11ErrorTrap::Reset()
{
  std::lock_guard<std::mutex> lock(gMutex);
  const OwnDisplay* d = Find(mDisplay);
  mMark = d ? d->errors : 0;
  mResource = 0;
  mCode = 0;
}

bool X11ErrorTrap::Failed()
{
  if (mDisplay && !X11DisplayLost(mDisplay)) XSync(mDisplay, False);
  std::lock_guard<std::mutex> lock(gMutex);
  const OwnDisplay* d = Find(mDisplay);
  if (!d || d->errors == mMark) return false;
  if (!mCode)
    for (const OwnDisplay::Caught& c : d->recent)
      if (c.number > mMark)
      {
        mResource = c.resource;
        mCode = c.code;
        break;
      }
  return true;
}
