// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// X errors and a lost server on the editor's own connections, kept away from
// the host without touching anything the process shares. Xlib's error
// handlers are process-wide and belong to the host: another thread of the
// host may swap them at any moment (XInitThreads allows it), so we never
// install one. Instead each display of ours converts every error it
// receives itself (XESetWireToError, a per-display hook Xlib consults before
// the process-wide handler) into a note on that display, and swallows it. A
// lost server is survived through the display's own exit handler, where
// libX11 has one (1.7.1 and later, found at run time), with the one
// process-wide I/O error handler that Xlib calls before it installed once
// and never removed (see X11ErrorTrap.cpp); where libX11 has no exit
// handler, Xlib ends the process after that handler as it always has there.
#pragma once

#include <X11/Xlib.h>

// Opens a display of the editor's own, with its errors caught as above.
// Null when there is no server.
Display* X11OpenOwnDisplay();
// Closes it (its errors still caught until it is gone).
void X11CloseOwnDisplay(Display* dpy);
// True once the server of dpy has gone away: nothing more is asked of it.
bool X11DisplayLost(Display* dpy);
// Whether this libX11 lets a display survive a lost server.
bool X11SurvivesLostServer();

// A span of calls on one of our displays whose errors the caller wants to
// know about. No lock, no process-wide state: the errors are the display's
// own notes, counted from the trap's start (or its last Reset).
class X11ErrorTrap
{
public:
  explicit X11ErrorTrap(Display* dpy);
  // Sends what the span asked for.
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Waits for the server to answer everything asked so far, then tells
  // whether any of it failed since the trap was set (or since Reset).
  bool Failed();
  // The first error since the trap was set (or since Reset): its request's
  // resource id and error code; 0 when none.
  unsigned long FailedResource() const { return mResource; }
  int FailedCode() const { return mCode; }
  void Reset();

private:
  Display* mDisplay;
  unsigned long mMark = 0;  // the display's error count when the span began
  unsigned long mResource = 0;
  int mCode = 0;
};
