// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The host's side of X in the window tests: a connection of its own and a
// parent window at the root's origin (so editor pixels are screen pixels
// for XTest), real input through the server, and screen grabs.
#pragma once

#include <cstdint>
#include <vector>

// Xlib's own types, without its macros (Bool, None, Status), which would
// break the framework's headers in the files that include this one.
typedef struct _XDisplay Display;
typedef unsigned long Window;
typedef unsigned long KeySym;

struct XHost
{
  Display* dpy = nullptr;
  Window parent = 0;

  XHost();
  ~XHost();
  XHost(const XHost&) = delete;
  XHost& operator=(const XHost&) = delete;
  // A new parent window, after the last one was destroyed.
  void NewParent();
  // The newest child of the parent window (the editor's), or 0.
  Window EditorWindow();
  // The host closes its window on its own, as some hosts do before they
  // tell the plug-in.
  void DestroyParent();
  void Move(int x, int y);
  void Button(unsigned b, bool down);
  void Key(KeySym sym);
};

// The pixels of w on screen, as 0xRRGGBB.
std::vector<uint32_t> Grab(Display* dpy, Window w, int width, int height);
