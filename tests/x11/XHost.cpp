// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
#include <X11/Xlib.h>
#include <unistd.h>

#include "XHost.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

XHost::XHost()
{
  // A server that resets when its last client leaves (xvfb-run's) refuses
  // connections for a moment after that.
  for (int attempt = 0; attempt < 100 && !(dpy = XOpenDisplay(nullptr)); ++attempt) usleep(20 * 1000);
  if (dpy) NewParent();
}

void XHost::NewParent()
{
  XSetWindowAttributes attrs = {};
  attrs.override_redirect = True;
  parent = XCreateWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1200, 960, 0, CopyFromParent, InputOutput, CopyFromParent,
                         CWOverrideRedirect, &attrs);
  XMapRaised(dpy, parent);
  XSync(dpy, False);
}

XHost::~XHost()
{
  if (!dpy) return;
  if (parent) XDestroyWindow(dpy, parent);
  XCloseDisplay(dpy);
}

Window XHost::EditorWindow()
{
  Window root, up, *children = nullptr;
  unsigned n = 0;
  if (!parent || !XQueryTree(dpy, parent, &root, &up, &children, &n)) return 0;
  const Window w = n ? children[n - 1] : 0;
  if (children) XFree(children);
  return w;
}

void XHost::DestroyParent()
{
  XDestroyWindow(dpy, parent);
  XSync(dpy, False);
  parent = 0;
}

void XHost::Move(int x, int y) { XTestFakeMotionEvent(dpy, -1, x, y, 0), XFlush(dpy); }
void XHost::Button(unsigned b, bool down) { XTestFakeButtonEvent(dpy, b, down, 0), XFlush(dpy); }

void XHost::Key(KeySym sym)
{
  const KeyCode code = XKeysymToKeycode(dpy, sym);
  XTestFakeKeyEvent(dpy, code, True, 0);
  XTestFakeKeyEvent(dpy, code, False, 0);
  XFlush(dpy);
}

std::vector<uint32_t> Grab(Display* dpy, Window w, int width, int height)
{
  std::vector<uint32_t> px;
  XImage* img = XGetImage(dpy, w, 0, 0, (unsigned) width, (unsigned) height, AllPlanes, ZPixmap);
  if (!img) return px;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
    {
      const unsigned long p = XGetPixel(img, x, y);
      auto channel = [&](unsigned long mask) {
        int shift = 0;
        while (mask && !(mask & 1)) mask >>= 1, ++shift;
        return (uint32_t) ((p >> shift) & 0xFF);
      };
      px.push_back(channel(img->red_mask) << 16 | channel(img->green_mask) << 8 | channel(img->blue_mask));
    }
  XDestroyImage(img);
  return px;
}
