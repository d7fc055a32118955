// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Quorvane
//
// The standalone program around a plug-in: its command line, its settings
// kept between runs, JACK, the editor in a window of its own, and a clean
// end on its window's close button, SIGINT or SIGTERM (settings saved) or
// on a JACK server that goes away or is not there (a clear message).
#pragma once

#include <string>
#include <vector>

class IPlugStandalone;

struct StandaloneProduct
{
  IPlugStandalone* (*make)();
  const char* program;  // the command's name, the default client name, the settings folder
  const char* version;
  // The window's icon as _NET_WM_ICON wants it; may be empty.
  std::vector<unsigned long> (*icon)();
  // Before the first instance: tells the editor where its images and fonts
  // are.
  void (*prepare)();
};

int RunStandalone(int argc, char** argv, const StandaloneProduct& product);
