// X errors and a lost server on the editor's own connections, kept away from
// the host. Xlib's error handlers are process-wide and belong to the host;
// its defaults exit the process. Every call we make on one of our displays
// runs inside an X11ErrorTrap: for that span (ending in XSync, so every
// error of those calls has arrived) our handlers stand in, note what
// happened to our display, hand anything about other displays to the
// handlers that were there, and are then put back. Traps on any thread are
// serialised, so the handler we restore is always the one we replaced.
#pragma once

#include <X11/Xlib.h>

// Opens a display of the editor's own: a lost server on it is survived
// (see Lost) rather than ending the process. Null when there is no server.
Display* X11OpenOwnDisplay();
// Closes it, inside a trap.
void X11CloseOwnDisplay(Display* dpy);
// True once the server of dpy has gone away: nothing more is asked of it.
bool X11DisplayLost(Display* dpy);

class X11ErrorTrap
{
public:
  explicit X11ErrorTrap(Display* dpy);
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Waits for the server to answer everything asked so far, then tells
  // whether any of it failed since the trap was set (or since Reset).
  bool Failed();
  // The first error caught since the trap was set (or since Reset): its
  // request's resource id and error code; 0 when none.
  unsigned long FailedResource() const { return mResource; }
  int FailedCode() const { return mCode; }
  void Reset() { mErrors = 0, mResource = 0, mCode = 0; }

private:
  friend int X11TrapErrorHandler(Display*, XErrorEvent*);
  friend class X11TrapPause;
  Display* mDisplay;
  X11ErrorTrap* mOuter;  // the trap this one is nested in, on this thread
  int mErrors = 0;
  unsigned long mResource = 0;
  int mCode = 0;
};

// Inside a trap, a wait for the user or the clock (a popup menu's modal
// loop): the host's handlers are back and other threads' traps may run
// until the pause ends.
class X11TrapPause
{
public:
  X11TrapPause();
  ~X11TrapPause();
  X11TrapPause(const X11TrapPause&) = delete;
  X11TrapPause& operator=(const X11TrapPause&) = delete;

private:
  X11ErrorTrap* mInnermost;
  int mDepth;
};
